#include "ui/app/config_form.h"

#include "platform_qt/guarded.h"
#include "ui/app/form_style.h"
#include "ui/app/main_form.h"

#include <QPushButton>

TConfigForm* ConfigForm = nullptr;

TConfigForm::TConfigForm(QWidget* parent) : QDialog(parent) {
    ConfigForm = this;
    setupUi(this);
    setFixedSize(size());
    setFont(form_style::FormFont());

    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    // Ticked by the user or by the program alike, as the check box's click event is.
    connect(ChkSpeed, &QCheckBox::toggled, this, platform_qt::Guarded(this, &TConfigForm::ChkSpeedClick));
    form_style::KeepAbove(this, MainForm);
}

TConfigForm::~TConfigForm() = default;

void TConfigForm::showEvent(QShowEvent* event) {
    if (MainForm)
        form_style::PlaceBeside(this, MainForm, MainForm->ToolWindowKeepClear(), form_style::TSide::Right);
    QDialog::showEvent(event);
}

void TConfigForm::ChkSpeedClick() { SpeedBar->setEnabled(!ChkSpeed->isChecked()); }
