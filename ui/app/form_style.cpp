#include "ui/app/form_style.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

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

std::optional<QRect>& AvailableOverride() {
    static std::optional<QRect> room;
    return room;
}

// Puts the window's frame at `place`. Of a window that the window manager has
// not framed yet no frame size is known, and a move alone would put its client
// area there, the title bar above it: its native window is given the place as
// its frame's, at the widget's size (one made early may still have an older
// size, and showing it would then set the place again as the client's).
void MoveFrame(QWidget* window, const QPoint& place) {
    window->move(place);
    QWindow* const handle = window->windowHandle();
    if (!handle || window->frameGeometry() != window->geometry()) return;
    handle->resize(window->size());
    handle->setFramePosition(place);
}

// The frame moved as little as needed to lie in the room; a frame larger than
// the room keeps its top left corner (the title bar) in it.
QRect InRoom(QRect frame, const QRect& room) {
    frame.moveLeft(std::max(room.left(), std::min(frame.left(), room.right() + 1 - frame.width())));
    frame.moveTop(std::max(room.top(), std::min(frame.top(), room.bottom() + 1 - frame.height())));
    return frame;
}

std::int64_t Overlap(const QRect& a, const QRect& b) {
    const QRect both = a & b;
    return both.isEmpty() ? 0 : std::int64_t{both.width()} * both.height();
}

// A window not shown yet has no frame known: its client area gets the frame
// margins of the model (the main window), as the window manager decorates both.
QRect FrameOf(const QWidget* window, const QWidget* model) {
    const QRect frame = window->frameGeometry();
    const QRect inner = model->geometry(), outer = model->frameGeometry();
    if (frame != window->geometry() || inner == outer) return frame;
    return window->geometry().marginsAdded(QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                                                    outer.right() - inner.right(),
                                                    outer.bottom() - inner.bottom()));
}

// The frames of the other windows on the screen that a new one should not cover.
std::vector<QRect> OpenWindows(const QWidget* except, const QWidget* anchor) {
    std::vector<QRect> frames;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w == except || w == anchor || !w->isVisible() || w->isMinimized() ||
            (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool))
            continue;
        frames.push_back(w->frameGeometry());
    }
    return frames;
}

enum class TEdge { Right, Below, Left, Above };

// The places beside the anchor in the order they are tried: along each edge,
// the frame aligned with the anchor's start, then, in their order along the
// edge, aligned with its end and after each other open window.
std::vector<QPoint> PlacesBeside(QSize size, const QRect& anchor, const std::vector<QRect>& others,
                                 TSide side) {
    const TEdge rightFirst[] = {TEdge::Right, TEdge::Below, TEdge::Left, TEdge::Above};
    const TEdge belowFirst[] = {TEdge::Below, TEdge::Right, TEdge::Left, TEdge::Above};
    std::vector<QPoint> places;
    for (TEdge edge : side == TSide::Right ? rightFirst : belowFirst) {
        const bool vertical = edge == TEdge::Right || edge == TEdge::Left;
        int across = 0;
        switch (edge) {
        case TEdge::Right: across = anchor.right() + 1 + WindowGap; break;
        case TEdge::Left: across = anchor.left() - WindowGap - size.width(); break;
        case TEdge::Below: across = anchor.bottom() + 1 + WindowGap; break;
        case TEdge::Above: across = anchor.top() - WindowGap - size.height(); break;
        }
        std::vector<int> along = vertical
                                     ? std::vector<int>{anchor.top(), anchor.bottom() + 1 - size.height()}
                                     : std::vector<int>{anchor.left(), anchor.right() + 1 - size.width()};
        for (const QRect& o : others)
            along.push_back((vertical ? o.bottom() : o.right()) + 1 + WindowGap);
        std::sort(along.begin() + 1, along.end());
        for (int a : along)
            places.push_back(vertical ? QPoint(across, a) : QPoint(a, across));
    }
    return places;
}

} // namespace

QFont FormFont() { return SansFont("MS Sans Serif", 11); }

QFont SansFont(const QString& family, int pixelSize, bool bold) {
    return Font({family, "DejaVu Sans", "Sans Serif"}, QFont::SansSerif, pixelSize, bold);
}

QFont FixedFont(const QString& family, int pixelSize, bool bold) {
    return Font({family, "DejaVu Sans Mono", "Monospace"}, QFont::TypeWriter, pixelSize, bold);
}

QRect AvailableGeometry(const QWidget* window) {
    if (AvailableOverride()) return *AvailableOverride();
    const QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void SetAvailableGeometry(const std::optional<QRect>& room) { AvailableOverride() = room; }

void CenterOnScreen(QWidget* window) {
    const QRect room = AvailableGeometry(window->parentWidget());
    if (room.isEmpty()) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(room.center());
    MoveFrame(window, frame.topLeft());
}

void PlaceMainWindow(QWidget* window) {
    if (window->testAttribute(Qt::WA_Moved)) return;
    const QRect room = AvailableGeometry(window);
    if (!room.isEmpty()) MoveFrame(window, room.topLeft());
}

void KeepAbove(QWidget* window, QWidget* owner) {
    if (!owner) return;
    // winId() creates the native window of a widget that has none yet.
    QWidget* const ownerWindow = owner->window();
    ownerWindow->winId();
    window->winId();
    window->windowHandle()->setTransientParent(ownerWindow->windowHandle());
}

void ShowAndActivate(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void PlaceBeside(QWidget* window, const QWidget* anchor, const QRect& keepClear, TSide side) {
    if (!anchor || window->testAttribute(Qt::WA_Moved)) return;
    const QRect room = AvailableGeometry(anchor);
    const QRect main = anchor->frameGeometry();
    const QSize size = FrameOf(window, anchor).size();
    const std::vector<QRect> others = OpenWindows(window, anchor);

    using TCost = std::tuple<std::int64_t, std::int64_t, std::int64_t>;
    std::optional<std::pair<TCost, QPoint>> best;
    for (const QPoint& place : PlacesBeside(size, main, others, side)) {
        const QRect frame = room.isEmpty() ? QRect(place, size) : InRoom(QRect(place, size), room);
        std::int64_t covered = 0;
        for (const QRect& o : others)
            covered += Overlap(frame, o);
        const TCost cost{Overlap(frame, keepClear), Overlap(frame, main), covered};
        if (!best || cost < best->first) best = {cost, frame.topLeft()};
    }
    MoveFrame(window, best->second);
}

} // namespace form_style
