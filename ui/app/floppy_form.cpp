#include "ui/app/floppy_form.h"

#include "platform_qt/guarded.h"
#include "ui/app/form_style.h"

#include <QPushButton>

TFloppyForm* FloppyForm = nullptr;

TFloppyForm::TFloppyForm(QWidget* parent) : QDialog(parent) {
    FloppyForm = this;
    setupUi(this);
    setFixedSize(size());
    setFont(form_style::FormFont());
    for (QLabel* label : {Label1, Label2, Label3, Label4})
        label->setFont(form_style::FixedFont("Monospac821 BT", 11, true));

    OpenDialog.Title = "Mount Disk Image";
    OpenDialog.Filter = "Disk Images (*.dsk)|*.dsk";

    // Each button hands itself to the handler its kind shares, as the sender.
    const auto bind = [this](QPushButton* button, void (TFloppyForm::*handler)(QObject*)) {
        connect(button, &QPushButton::clicked, this, [this, button, handler] {
            platform_qt::RunGuarded(this, [&] { (this->*handler)(button); });
        });
    };
    for (QPushButton* button : {Button1, Button4, Button7, Button10})
        bind(button, &TFloppyForm::Button1Click);
    for (QPushButton* button : {Button2, Button5, Button8, Button11})
        bind(button, &TFloppyForm::Button2Click);
    for (QPushButton* button : {Button3, Button6, Button9, Button12})
        bind(button, &TFloppyForm::Button3Click);
    connect(BitBtn1, &QPushButton::clicked, this, platform_qt::Guarded(this, &TFloppyForm::BitBtn1Click));
}

TFloppyForm::~TFloppyForm() = default;

void TFloppyForm::Button1Click(QObject*) {
    // built next
}

void TFloppyForm::Button2Click(QObject*) {
    // built next
}

void TFloppyForm::Button3Click(QObject*) {}

void TFloppyForm::BitBtn1Click() {
    // built next
}
