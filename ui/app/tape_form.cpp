#include "ui/app/tape_form.h"

#include "platform_qt/guarded.h"
#include "ui/app/form_style.h"

#include <QHeaderView>
#include <QPushButton>

TTapeForm* TapeForm = nullptr;

TTapeForm::TTapeForm(QWidget* parent) : QDialog(parent) {
    TapeForm = this;
    setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setFont(form_style::FormFont());
    ListView1->setFont(form_style::FixedFont("Monospac821 BT", 11));
    ListView1->horizontalHeader()->setFont(font());
    ListView1->setColumnWidth(1, 150);
    ListView1->setColumnWidth(2, 90);

    connect(BitBtn5, &QPushButton::clicked, this, platform_qt::Guarded(this, &TTapeForm::BitBtn5Click));
}

TTapeForm::~TTapeForm() = default;

void TTapeForm::showEvent(QShowEvent* event) {
    form_style::CenterOnScreen(this);
    QDialog::showEvent(event);
}

void TTapeForm::BitBtn5Click() { accept(); }
