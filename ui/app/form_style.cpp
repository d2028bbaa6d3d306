#include "ui/app/form_style.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

} // namespace form_style
