#include "ui/app/form_style.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace form_style {

namespace {

QFont Font(const QStringList& families, QFont::StyleHint hint, int pixelSize, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setFixedPitch(hint == QFont::TypeWriter);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

QFont FormFont() { return SansFont("MS Sans Serif", 11); }

QFont SansFont(const QString& family, int pixelSize, bool bold) {
    return Font({family, "DejaVu Sans", "Sans Serif"}, QFont::SansSerif, pixelSize, bold);
}

QFont FixedFont(const QString& family, int pixelSize, bool bold) {
    return Font({family, "DejaVu Sans Mono", "Monospace"}, QFont::TypeWriter, pixelSize, bold);
}

void CenterOnScreen(QWidget* window) {
    const QWidget* parent = window->parentWidget();
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void PlaceBeside(QWidget* window, const QWidget* anchor, TSide side, int offset) {
    if (!anchor || window->testAttribute(Qt::WA_Moved)) return;
    const QRect beside = anchor->frameGeometry();
    QRect frame = window->frameGeometry();
    if (side == TSide::Right)
        frame.moveTopLeft(QPoint(beside.right() + 1 + WindowGap, beside.top() + offset));
    else
        frame.moveTopLeft(QPoint(beside.left() + offset, beside.bottom() + 1 + WindowGap));
    if (const QScreen* screen = anchor->screen()) {
        const QRect room = screen->availableGeometry();
        frame.moveLeft(std::max(room.left(), std::min(frame.left(), room.right() + 1 - frame.width())));
        frame.moveTop(std::max(room.top(), std::min(frame.top(), room.bottom() + 1 - frame.height())));
    }
    window->move(frame.topLeft());
}

} // namespace form_style
