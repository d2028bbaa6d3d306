// Fonts and placement shared by the emulator's windows. The fonts the forms
// name are Windows fonts that a Linux desktop does not have: each named family
// comes first and a DejaVu family of the same kind stands in for it, with the
// style hint that lets the font matcher pick the right kind when neither exists.
//
// The tool windows (debugger, I/O monitor, floppy drives, options) belong to
// the main window: the window manager keeps them above it, and each opens
// first where it leaves the emulated screen and the status bar in view.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <optional>

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

// The first time the window is shown (until the program has moved it): its
// frame where it covers least of, in this order, `keepClear` (the main
// window's screen and status bar, in global coordinates), the other open
// windows and the rest of the main window, and then of the gaps of WindowGap
// around those windows. Of the places that cover as little, wins the nearest
// to the anchor (the main window), and of those the first beside it: `side`
// first, then the other sides, and along each side aligned with the anchor's
// start and end and after any other open window there. So a window goes
// beside the main window where there is room, else wherever on the screen it
// covers neither the screen and status bar nor another window, and only where
// there is no such place over another window, covering as little of them as
// it can. The frame always lies wholly in the available area when it fits in it.
// Without an anchor the window stays where the window system puts it.
void PlaceBeside(QWidget* window, const QWidget* anchor, const QRect& keepClear, TSide side);

// The room left between two windows placed beside each other.
inline constexpr int WindowGap = 8;

} // namespace form_style
