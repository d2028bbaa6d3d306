#include "ui/app/debug_form.h"

#include "machine/machine_services.h"
#include "machine/qj47r.h"
#include "platform_qt/guarded.h"
#include "ui/app/config_form.h"
#include "ui/app/form_style.h"
#include "ui/app/io_form.h"
#include "ui/app/main_form.h"

#include <QPushButton>
#include <QShowEvent>
#include <algorithm>
#include <cstdio>

TDebugForm* DebugForm = nullptr;

std::int32_t SliceBudget = 0;
std::int32_t LastGridRow = -1;
std::int32_t LastListedPC = -1;

namespace {

// Disassembles the instruction at `address` as the processor will fetch it:
// through the machine's fetch view (the IPL ROM and the swapped RAM halves in
// IPL mode), wrapping round at 0xFFFF. Returns its length, 1 to 4.
int DisassembleAt(TQJ47R& machine, int address, char* text) {
    unsigned char code[4];
    for (int i = 0; i < 4; ++i)
        code[i] = static_cast<unsigned char>(machine.FetchMem((address + i) & 0xFFFF));
    return z80cpu::Disassemble(code, text, address & 0xFFFF);
}

// Sets the text only when it differs, so that an unchanged control is not repainted.
void SetText(QLineEdit* edit, const char* text) {
    if (edit->text() != QLatin1String(text)) edit->setText(QLatin1String(text));
}

void SetText(QTableWidgetItem* item, const QString& text) {
    if (item->text() != text) item->setText(text);
}

void ShowFlags(const std::array<QCheckBox*, 8>& boxes, std::int32_t af) {
    for (int i = 0; i < 8; ++i)
        boxes[i]->setChecked((af >> (7 - i)) & 1);
}

} // namespace

TDebugForm::TDebugForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
    DebugForm = this;
    setupUi(this);
    setFixedSize(size());
    PrimaryFlags = {FlagS, FlagZ, Flag5, FlagH, Flag3, FlagP, FlagN, FlagC};
    AlternateFlags = {FlagAS, FlagAZ, FlagA5, FlagAH, FlagA3, FlagAP, FlagAN, FlagAC};
    // Every cell holds an item from the start; a redraw only changes texts.
    for (int r = 0; r < MemoryGrid->rowCount(); ++r)
        for (int c = 0; c < MemoryGrid->columnCount(); ++c)
            MemoryGrid->setItem(r, c, new QTableWidgetItem);

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
    form_style::KeepAbove(this, MainForm);
}

TDebugForm::~TDebugForm() = default;

void TDebugForm::showEvent(QShowEvent* event) {
    if (MainForm)
        form_style::PlaceBeside(this, MainForm, MainForm->ToolWindowKeepClear(), form_style::TSide::Right);
    QWidget::showEvent(event);
    // A restore from minimised is spontaneous and is not a new show of the window.
    if (!event->spontaneous()) platform_qt::RunGuarded(this, [this] { PrepareGrids(); });
}

void TDebugForm::DoCPU() {
    if (!Machine) return;
    TMachineServices& host = Machine->Host();
    if (AutomaticSpeed()) {
        // The previous budget plus the target minus what really ran since the
        // last automatic tick; 64-bit, since the count grows without bound
        // while the speed is set by hand.
        const std::int64_t budget = std::int64_t{SliceBudget} + TargetTStates - host.ExecutedTStates;
        SliceBudget = static_cast<std::int32_t>(std::clamp<std::int64_t>(budget, 0, MaxSliceBudget));
        host.ExecutedTStates = 0;
        if (ConfigForm) ConfigForm->SpeedBar->setValue(SliceBudget); // shown within the bar's range
    } else {
        SliceBudget = ConfigForm->SpeedBar->value();
    }
    Machine->TStates = SliceBudget;
    Machine->SliceTStates = SliceBudget >> 4;
    if (RunProcessor() == 0) BtnRunClick(); // the step-over address was reached
    ReportSlice();
    RefreshView();
}

int TDebugForm::RunProcessor() {
    const std::int64_t before = Machine->Host().ExecutedTStates;
    const int result = Machine->Execute();
    if (MainForm && Machine) MainForm->MachineRan(Machine->Host().ExecutedTStates - before);
    return result;
}

bool TDebugForm::AutomaticSpeed() const { return !ConfigForm || ConfigForm->ChkSpeed->isChecked(); }

void TDebugForm::ReportSlice() {
    Machine->ShowSoundCounters();
    if (IOForm) IOForm->FlushLog();
}

void TDebugForm::BtnRunClick() {
    const bool running = CPUTimer.Enabled();
    BtnStep->setEnabled(running);
    BtnStepOver->setEnabled(running);
    BtnReset->setEnabled(running);
    if (running) {
        CPUTimer.SetEnabled(false);
        BtnRun->setText("Run");
        if (Machine) Machine->PauseSound();
        RefreshMemory();
    } else {
        BtnRun->setText("Stop");
        if (Machine) {
            // Ends a slice in progress after its next instruction (the IPL exit).
            Machine->SliceTStates = 2;
            Machine->TStates = 2;
            Machine->ResumeSound();
        }
        CPUTimer.SetEnabled(true);
    }
}

// Every instruction that costs T-states costs at least 4, so a budget of 2
// runs one (and the ones of no cost before it).
void TDebugForm::BtnStepClick() {
    if (!Machine) return;
    Machine->SliceTStates = 2;
    Machine->TStates = 2;
    RunProcessor();
    ReportSlice();
    RefreshMemory();
}

void TDebugForm::BtnStepOverClick() {
    if (!Machine) return;
    const int pc = Machine->GetPC() & 0xFFFF;
    char text[32];
    const int length = DisassembleAt(*Machine, pc, text);
    // PC is 16 bits: past 0xFFFF the next instruction lies at the wrapped address.
    Machine->Host().StepOverAddress = (pc + length) & 0xFFFF;
    BtnRunClick();
}

void TDebugForm::BtnResetClick() {
    if (!Machine) return;
    Machine->Reset();
    RefreshMemory();
}

void TDebugForm::PrepareGrids() {
    MemoryGrid->setColumnWidth(0, 40);
    MemoryGrid->setColumnWidth(9, 80);
    RefreshMemory();
}

void TDebugForm::ScrollChange() { RefreshView(); }

void TDebugForm::RefreshMemory() {
    LastGridRow = -1;
    RefreshView();
}

void TDebugForm::RefreshView() {
    if (!Machine) return;
    z80regs r;
    Machine->GetRegisters(&r);

    ShowFlags(PrimaryFlags, r.AF);
    ShowFlags(AlternateFlags, r.AltAF);

    const std::pair<QLineEdit*, std::int32_t> registers[] = {
        {EditAF, r.AF},     {EditBC, r.BC},     {EditDE, r.DE},     {EditHL, r.HL},
        {EditSP, r.SP},     {EditIX, r.IX},     {EditIY, r.IY},     {EditPC, r.PC},
        {EditAAF, r.AltAF}, {EditABC, r.AltBC}, {EditADE, r.AltDE}, {EditAHL, r.AltHL},
    };
    for (const auto& [edit, value] : registers) {
        char text[8];
        std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value) & 0xFFFF);
        SetText(edit, text);
    }

    // Memory that the running program changes shows after a scroll, a new
    // show or a stop: a redraw on every tick would cost the emulation its time.
    const int row = MemoryScroll->value();
    if (row != LastGridRow) {
        LastGridRow = row;
        FillMemoryGrid(row * 8);
    }

    const std::int32_t pc = r.PC & 0xFFFF;
    if (TagSourceTrace->isChecked() && pc != LastListedPC) {
        LastListedPC = pc;
        FillListing(pc);
    }
}

// Eight rows of eight bytes from firstAddress: the row's address, the bytes,
// and the bytes 0x20 to 0x7F as characters (the others as ".").
void TDebugForm::FillMemoryGrid(int firstAddress) {
    char text[8];
    for (int r = 0; r < 8; ++r) {
        const int rowAddress = (firstAddress + 8 * r) & 0xFFFF;
        std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(rowAddress));
        SetText(MemoryGrid->item(r, 0), QLatin1String(text));
        QString characters;
        for (int c = 0; c < 8; ++c) {
            const int byte = Machine->FetchMem((rowAddress + c) & 0xFFFF) & 0xFF;
            std::snprintf(text, sizeof text, "%02x", static_cast<unsigned>(byte));
            SetText(MemoryGrid->item(r, c + 1), QLatin1String(text));
            characters += byte >= 0x20 && byte <= 0x7F ? QChar(byte) : QChar('.');
        }
        SetText(MemoryGrid->item(r, 9), characters);
    }
    MemoryGrid->viewport()->update();
}

// ListingLines instructions from pc, as the processor will fetch them.
void TDebugForm::FillListing(int pc) {
    while (SourceList->count() < ListingLines) {
        auto* item = new QListWidgetItem(SourceList);
        item->setSizeHint(QSize(0, 14)); // the listing's line height; the width follows the view
    }
    int address = pc;
    for (int i = 0; i < ListingLines; ++i) {
        char instruction[32], line[48];
        const int length = DisassembleAt(*Machine, address, instruction);
        std::snprintf(line, sizeof line, "%04x: %s", static_cast<unsigned>(address), instruction);
        SourceList->item(i)->setText(QLatin1String(line));
        address = (address + length) & 0xFFFF;
    }
    SourceList->scrollToTop();
}
