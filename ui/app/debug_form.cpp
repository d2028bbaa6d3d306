#include "ui/app/debug_form.h"

#include "platform_qt/guarded.h"
#include "ui/app/form_style.h"

#include <QPushButton>
#include <QShowEvent>

TDebugForm* DebugForm = nullptr;

std::int32_t SliceBudget = 0;
std::int32_t LastGridRow = -1;
std::int32_t LastListedPC = -1;

TDebugForm::TDebugForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
    DebugForm = this;
    setupUi(this);
    setFixedSize(size());

    setFont(form_style::FormFont());
    SourceList->setFont(form_style::FixedFont("Courier New", 11));
    MemoryGrid->setFont(form_style::FixedFont("Courier New", 11));
    for (QLineEdit* edit :
         {EditAF, EditBC, EditDE, EditHL, EditAAF, EditABC, EditADE, EditAHL, EditIX, EditIY, EditSP, EditPC})
        edit->setFont(form_style::FixedFont("Courier New", 12, true));

    CPUTimer.SetInterval(10);
    CPUTimer.SetEnabled(false);
    CPUTimer.OnTimer = [this](QObject*) { platform_qt::RunGuarded(this, [this] { DoCPU(); }); };

    connect(BtnRun, &QPushButton::clicked, this, platform_qt::Guarded(this, &TDebugForm::BtnRunClick));
    connect(BtnStep, &QPushButton::clicked, this, platform_qt::Guarded(this, &TDebugForm::BtnStepClick));
    connect(BtnStepOver, &QPushButton::clicked, this,
            platform_qt::Guarded(this, &TDebugForm::BtnStepOverClick));
    connect(BtnReset, &QPushButton::clicked, this, platform_qt::Guarded(this, &TDebugForm::BtnResetClick));
    connect(MemoryScroll, &QScrollBar::valueChanged, this,
            platform_qt::Guarded(this, &TDebugForm::ScrollChange));
}

TDebugForm::~TDebugForm() = default;

void TDebugForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A restore from minimised is spontaneous and is not a new show of the window.
    if (!event->spontaneous()) platform_qt::RunGuarded(this, [this] { PrepareGrids(); });
}

void TDebugForm::DoCPU() {
    // built next
}

void TDebugForm::BtnRunClick() {
    // built next
}

void TDebugForm::BtnStepClick() {
    // built next
}

void TDebugForm::BtnStepOverClick() {
    // built next
}

void TDebugForm::BtnResetClick() {
    // built next
}

void TDebugForm::PrepareGrids() {
    // built next
}

void TDebugForm::ScrollChange() {
    // built next
}

void TDebugForm::RefreshView() {
    // built next
}
