#include "ui/app/config_form.h"

#include "platform_qt/guarded.h"
#include "ui/app/form_style.h"

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
}

TConfigForm::~TConfigForm() = default;

void TConfigForm::ChkSpeedClick() { SpeedBar->setEnabled(!ChkSpeed->isChecked()); }
