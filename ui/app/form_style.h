// Fonts and placement shared by the emulator's windows. The fonts the forms
// name are Windows fonts that a Linux desktop does not have: each named family
// comes first and a DejaVu family of the same kind stands in for it, with the
// style hint that lets the font matcher pick the right kind when neither exists.
#pragma once

#include <QFont>
#include <QString>

class QWidget;

namespace form_style {

// The forms' "MS Sans Serif" at its usual 11 pixels.
QFont FormFont();
// A proportional family such as "Tahoma".
QFont SansFont(const QString& family, int pixelSize, bool bold = false);
// A fixed-pitch family such as "Courier New" or "Monospac821 BT".
QFont FixedFont(const QString& family, int pixelSize, bool bold = false);

// Moves the window so that its frame is centred on its screen (the parent's
// screen when it has a parent).
void CenterOnScreen(QWidget* window);

enum class TSide { Right, Below };
// The first time the window is shown (until the program has moved it): its
// frame beside the anchor's (the main window's), to the right of it with the
// tops aligned, or below it with the left edges aligned, `offset` pixels
// further along that edge; moved as little as needed to lie on the anchor's
// screen. Without an anchor the window stays where the window system puts it.
void PlaceBeside(QWidget* window, const QWidget* anchor, TSide side, int offset = 0);

// The room left between two windows placed beside each other.
inline constexpr int WindowGap = 8;

} // namespace form_style
