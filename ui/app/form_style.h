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

} // namespace form_style
