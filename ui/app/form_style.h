// Fonts and placement shared by the emulator's windows. The fonts the forms
// name are Windows fonts that a Linux desktop does not have: each named family
// comes first and a DejaVu family of the same kind stands in for it, with the
// style hint that lets the font matcher pick the right kind when neither exists.
//
// The tool windows (debugger, I/O monitor, floppy drives, options) belong to
// the main window: the window manager keeps them above it, and each opens
// first where it leaves the main window's menus, tool buttons, emulated screen
// and status bar in view.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

class QWidget;

namespace form_style {

// The forms' "MS Sans Serif" at its usual 11 pixels.
QFont FormFont();
// A proportional family such as "Tahoma".
QFont SansFont(const QString& family, int pixelSize, bool bold = false);
// A fixed-pitch family such as "Courier New" or "Monospac821 BT".
QFont FixedFont(const QString& family, int pixelSize, bool bold = false);

// The room that windows are placed in: the available area (without panels
// and docks) of the window's screen, or of the primary screen without a
// window; the one given to SetAvailableGeometry while one is set.
QRect AvailableGeometry(const QWidget* window);
// Every placement uses `room` as the available area until it is set back to
// nullopt: window tests set the screens they place windows on.
void SetAvailableGeometry(const std::optional<QRect>& room);

// Moves the window so that its frame is centred on its screen (the parent's
// screen when it has a parent).
void CenterOnScreen(QWidget* window);

// The main window's first show (until the program has moved it): its frame at
// the top left of the available area, so that the room to its right and
// below it is free for the tool windows.
void PlaceMainWindow(QWidget* window);

// Makes `window` a tool window of `owner`: the window manager keeps it above
// the owner (its transient parent is the owner's window), and it stays as
// modal as it was. The native windows are created here if they do not exist
// yet; ownership and destruction order are unchanged.
void KeepAbove(QWidget* window, QWidget* owner);

// What a show of a tool window does: shows it, or brings it back from
// minimised, raises it above the other windows and gives it the focus.
void ShowAndActivate(QWidget* window);

enum class TSide { Right, Below };

// What a tool window leaves in view of the main window, on the desktop.
struct TKeepClear {
    // The menu bar's items and the tool bar's buttons: what the user must
    // reach to bring any tool window to the front again.
    std::vector<QRect> Controls;
    // The emulated screen and the status bar.
    QRect Screen;
};

// The first time the window is shown (until the program has moved it): its
// frame where it covers least of, in this order, the menu items and tool
// buttons of `keepClear`, its screen and status bar, the other open windows
// and the rest of the main window (the empty right ends of the menu bar and
// tool bar among it), and then of the gaps of WindowGap around those windows.
// Of the places that cover as little, wins the nearest to the anchor (the main
// window), and of those the first beside it: `side` first, then the other
// sides, and along each side aligned with the anchor's start and end and after
// any other open window there.
// So a window goes beside the main window where there is room, else wherever
// on the screen it covers neither the main window nor another window, else
// over the main window's title bar and the empty ends of its bars rather than
// over another window. Where no place leaves the emulated screen in view (a
// small screen, or the main window in the middle of one), the window leaves
// every menu item and tool button uncovered and covers as little of the
// emulated screen as it then can, over another tool window rather than more of
// the screen (a tool button brings that one to the front again). Only a screen
// too small even for that has it cover a menu item or a button, as little as
// it can. The frame always lies wholly in the available area when it fits in it.
// Without an anchor the window stays where the window system puts it.
void PlaceBeside(QWidget* window, const QWidget* anchor, const TKeepClear& keepClear, TSide side);

// The room left between two windows placed beside each other.
inline constexpr int WindowGap = 8;

} // namespace form_style
