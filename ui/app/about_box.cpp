#include "ui/app/about_box.h"

#include "platform_qt/guarded.h"
#include "ui/app/form_style.h"

#include <QPushButton>
#include <QShowEvent>

TAboutBox* AboutBox = nullptr;

// The logo lives in a resource of this static library: registered by hand,
// since nothing else would make the linker keep it.
static void InitAboutResources() { Q_INIT_RESOURCE(about_logo); }

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    AboutBox = this;
    InitAboutResources();
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setFont(form_style::SansFont("Tahoma", 11));
    LblProdName->setFont(form_style::SansFont("Tahoma", 13, true));
    LblProdVer->setFont(form_style::SansFont("Tahoma", 11, true));

    connect(BtnOK, &QPushButton::clicked, this, platform_qt::Guarded(this, &TAboutBox::BtnOKClick));
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showEvent(QShowEvent* event) {
    form_style::CenterOnScreen(this);
    QDialog::showEvent(event);
    if (!event->spontaneous()) platform_qt::RunGuarded(this, [this] { DoShow(); });
}

void TAboutBox::BtnOKClick() { accept(); }

void TAboutBox::DoShow() { LblProdVer->setText("Version 2.97 for Win32"); }
