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

// Where a frame of `length` may start along one axis so that one of its edges
// meets an edge of a span [begin, end) (inside it, outside it, or a gap away
// outside): the area that the frame covers of the spans changes its slope only
// at these starts, so the places that cover least lie among them.
std::vector<int> Stops(int length, const std::vector<std::pair<int, int>>& spans) {
    std::vector<int> stops;
    for (const auto& [begin, end] : spans)
        for (int stop :
             {begin, end - length, begin - length, end, begin - length - WindowGap, end + WindowGap})
            stops.push_back(stop);
    std::sort(stops.begin(), stops.end());
    stops.erase(std::unique(stops.begin(), stops.end()), stops.end());
    return stops;
}

// Every place whose edges meet the edges of `edges` (the room, the main window,
// its menu items, tool buttons, screen and status bar, the other open
// windows), across and down: among
// them the places that cover least of these, wherever on the screen they lie.
std::vector<QPoint> PlacesAnywhere(QSize size, const std::vector<QRect>& edges) {
    std::vector<std::pair<int, int>> across, down;
    for (const QRect& r : edges) {
        across.emplace_back(r.left(), r.right() + 1);
        down.emplace_back(r.top(), r.bottom() + 1);
    }
    std::vector<QPoint> places;
    for (int x : Stops(size.width(), across))
        for (int y : Stops(size.height(), down))
            places.emplace_back(x, y);
    return places;
}

// The room between two rectangles, across plus down; 0 when they touch or overlap.
int Distance(const QRect& a, const QRect& b) {
    const int across = std::max({0, b.left() - a.right() - 1, a.left() - b.right() - 1});
    const int down = std::max({0, b.top() - a.bottom() - 1, a.top() - b.bottom() - 1});
    return across + down;
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

void PlaceBeside(QWidget* window, const QWidget* anchor, const TKeepClear& keepClear, TSide side) {
    if (!anchor || window->testAttribute(Qt::WA_Moved)) return;
    const QRect room = AvailableGeometry(anchor);
    const QRect main = anchor->frameGeometry();
    const QSize size = FrameOf(window, anchor).size();
    const std::vector<QRect> others = OpenWindows(window, anchor);

    // The places beside the main window first, then the rest of the screen.
    std::vector<QPoint> places = PlacesBeside(size, main, others, side);
    std::vector<QRect> edges = others;
    edges.insert(edges.end(), {main, keepClear.Screen});
    edges.insert(edges.end(), keepClear.Controls.begin(), keepClear.Controls.end());
    if (!room.isEmpty()) edges.push_back(room);
    const std::vector<QPoint> anywhere = PlacesAnywhere(size, edges);
    places.insert(places.end(), anywhere.begin(), anywhere.end());

    // What a place costs, compared in this order: what it covers of the menu
    // items and tool buttons, of the screen and status bar, of the other open
    // windows and of the rest of the main window (the empty ends of its bars
    // among it); what it covers of the gaps around those windows; how far it
    // lies from the main window; and its turn among the places.
    using TCost =
        std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t, int, std::size_t>;
    const QMargins gap(WindowGap, WindowGap, WindowGap, WindowGap);
    std::optional<std::pair<TCost, QPoint>> best;
    for (std::size_t turn = 0; turn < places.size(); ++turn) {
        const QRect frame =
            room.isEmpty() ? QRect(places[turn], size) : InRoom(QRect(places[turn], size), room);
        std::int64_t controls = 0, covered = 0, nearby = Overlap(frame, main.marginsAdded(gap));
        for (const QRect& c : keepClear.Controls)
            controls += Overlap(frame, c);
        for (const QRect& o : others) {
            covered += Overlap(frame, o);
            nearby += Overlap(frame, o.marginsAdded(gap));
        }
        const int distance = Distance(frame, main);
        const TCost cost{
            controls, Overlap(frame, keepClear.Screen), covered, Overlap(frame, main), nearby, distance,
            turn};
        if (!best || cost < best->first) best = {cost, frame.topLeft()};
    }
    MoveFrame(window, best->second);
}

} // namespace form_style
