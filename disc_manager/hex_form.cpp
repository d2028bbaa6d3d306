#include "disc_manager/hex_form.h"

#include <QFont>

THexForm::THexForm(QWidget* parent) : QWidget(parent) {
    setupUi(this);
    move(288, 185);
    // "Terminal" is rarely installed on Linux: the hints pick a fixed-pitch face then.
    QFont font("Terminal");
    font.setPixelSize(13);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    font.setFamilies({"Terminal", "DejaVu Sans Mono", "Monospace"});
    HexMemo->setFont(font);
    // Closing only hides the window; it never keeps the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
}

THexForm::~THexForm() = default;
