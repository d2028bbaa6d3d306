// The debugger over a machine built from the fixture ROMs: the slice budgets of
// the speed control, run and stop, single step and step over, the register,
// memory and listing displays, and what a slice passes on to the I/O monitor
// and the sound output. The tests press the buttons and run the ticks
// themselves; the timer's own ticks do nothing here.
#include "fixtures/qt_test_app.h"

#include "machine/board_test_support.h"
#include "ui/app/config_form.h"
#include "ui/app/debug_form.h"
#include "ui/app/io_form.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// 0x0100: jr 0x0100 (12 T-states, for ever).
const Bytes Loop = {0x18, 0xFE};

class DebuggerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SliceBudget = 0;
        LastGridRow = -1;
        LastListedPC = -1;
        Machine = &Rig.M();
        Debug.CPUTimer.OnTimer = {};
    }
    void TearDown() override {
        Machine = nullptr;
        IOForm = nullptr;
    }

    TMachineServices& Host() { return Rig.Services; }
    z80regs Registers() {
        z80regs r;
        Rig.M().GetRegisters(&r);
        return r;
    }
    bool Running() const { return Debug.CPUTimer.Enabled(); }
    // The stopped or running state of the window as a whole.
    void ExpectRunning(bool running) {
        EXPECT_EQ(Running(), running);
        EXPECT_EQ(Debug.BtnRun->text(), running ? "Stop" : "Run");
        for (QPushButton* b : {Debug.BtnStep, Debug.BtnStepOver, Debug.BtnReset})
            EXPECT_EQ(b->isEnabled(), !running) << b->objectName().toStdString();
    }
    QString Cell(int row, int column) const { return Debug.MemoryGrid->item(row, column)->text(); }
    QString Line(int i) const { return Debug.SourceList->item(i)->text(); }

    board_test::Rig Rig;
    TConfigForm Config;
    TDebugForm Debug;
};

TEST_F(DebuggerTest, FreshAutomaticStartGrantsTheTargetThenTakesTheOvershootOff) {
    Rig.LoadProgram(Loop, 0x0100);
    Debug.BtnRunClick();
    ExpectRunning(true);

    Debug.DoCPU();
    EXPECT_EQ(SliceBudget, 80000);
    EXPECT_EQ(Config.SpeedBar->value(), 80000);
    EXPECT_EQ(Rig.M().SliceTStates, 80000 / 16) << "a sixteenth of the budget";
    const std::int64_t executed = Host().ExecutedTStates;
    EXPECT_EQ(executed, 80004) << "6667 jumps of 12 T-states";

    Debug.DoCPU();
    EXPECT_EQ(SliceBudget, 80000 - 4);
    ExpectRunning(true);
}

// Each automatic budget: the previous one plus the target minus what ran since,
// kept between 0 and a whole slice plus the target.
TEST_F(DebuggerTest, AutomaticBudgetFollowsWhatRanAndStaysBounded) {
    struct Case {
        const char* what;
        std::int32_t previous;
        std::int64_t executed;
        std::int32_t budget;
    };
    const Case cases[] = {
        {"fresh start", 0, 0, 80000},
        {"an overshoot of 11", 80000, 80011, 79989},
        {"a slice cut short at 1000 (step over)", 80000, 1000, 159000},
        {"single steps between two ticks", 0, 90000, 0},
        {"minutes at a hand-set speed", 500000, 3'000'000'000, 0},
        {"a large manual slice stopped at once", 500000, 4, MaxSliceBudget},
    };
    Rig.LoadProgram(Loop, 0x0100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SliceBudget = c.previous;
        Host().ExecutedTStates = c.executed;
        Debug.DoCPU();
        EXPECT_EQ(SliceBudget, c.budget);
        // A budget of 0 still runs one instruction.
        EXPECT_EQ(Host().ExecutedTStates, c.budget == 0 ? 12 : (c.budget + 11) / 12 * 12);
        EXPECT_EQ(Config.SpeedBar->value(), std::clamp(c.budget, 10000, 500000));
    }
}

TEST_F(DebuggerTest, ManualSpeedTakesTheBarAndSwitchingBackSubtractsEverythingSince) {
    Rig.LoadProgram(Loop, 0x0100);
    Config.ChkSpeed->setChecked(false);
    EXPECT_TRUE(Config.SpeedBar->isEnabled());
    for (int i = 0; i < 3; ++i) {
        Debug.DoCPU();
        EXPECT_EQ(SliceBudget, 50000);
    }
    EXPECT_EQ(Host().ExecutedTStates, 3 * 50004) << "not reset by hand-set ticks";
    EXPECT_EQ(Config.SpeedBar->value(), 50000);

    // A long manual run takes the counter past 32 bits.
    Host().ExecutedTStates = INT32_MAX - 5;
    Debug.DoCPU();
    EXPECT_EQ(Host().ExecutedTStates, std::int64_t{INT32_MAX} - 5 + 50004);

    Config.ChkSpeed->setChecked(true);
    EXPECT_FALSE(Config.SpeedBar->isEnabled());
    Debug.DoCPU();
    EXPECT_EQ(SliceBudget, 0);
    EXPECT_EQ(Host().ExecutedTStates, 12) << "one instruction";
    EXPECT_EQ(Config.SpeedBar->value(), 10000) << "the bar shows the budget within its range";
    Debug.DoCPU();
    EXPECT_EQ(SliceBudget, 80000 - 12);
    EXPECT_EQ(Config.SpeedBar->value(), 80000 - 12);

    // Unticked again, the bar starts where the driver left it.
    Config.ChkSpeed->setChecked(false);
    EXPECT_TRUE(Config.SpeedBar->isEnabled());
    Debug.DoCPU();
    EXPECT_EQ(SliceBudget, 80000 - 12);
}

TEST_F(DebuggerTest, RunAndStopToggleTheClockButtonsAndSound) {
    auto buffer = Rig.Sound.Buffer();
    ASSERT_NE(buffer, nullptr);
    ExpectRunning(false);
    Debug.BtnRunClick();
    ExpectRunning(true);
    EXPECT_EQ(Rig.M().TStates, 2);
    EXPECT_EQ(Rig.M().SliceTStates, 2);
    EXPECT_TRUE(buffer->IsPlaying());
    Debug.BtnRunClick();
    ExpectRunning(false);
    EXPECT_FALSE(buffer->IsPlaying());
    Debug.BtnRun->click(); // the button itself
    ExpectRunning(true);
    Debug.BtnRunClick();
}

// A square wave on the speaker while running; stopped, the output falls silent
// at once instead of looping over its last 78 ms; Run plays on from there.
TEST_F(DebuggerTest, SoundIsSilentWhileStoppedAndGoesOnAfterRun) {
    // ld a,5; out (0xE3),a; ld b,40; djnz $; ld a,4; out (0xE3),a; ld b,40; djnz $; jr start
    Rig.LoadProgram({0x3E, 0x05, 0xD3, 0xE3, 0x06, 0x28, 0x10, 0xFE, 0x3E, 0x04, 0xD3, 0xE3, 0x06, 0x28, 0x10,
                     0xFE, 0x18, 0xEE},
                    0x0100);
    const auto loud = [](const std::vector<std::int16_t>& s) {
        return std::count(s.begin(), s.end(), TQJ47R::HighSample);
    };
    Debug.BtnRunClick();
    // 10 ms of output per tick; the first 110 ms are the buffer's and the
    // ring's start-up silence.
    for (int i = 0; i < 30; ++i) {
        Debug.DoCPU();
        Rig.Sound.Advance(1280);
    }
    ASSERT_GT(loud(Rig.Sound.Samples16()), 1000) << "the tone plays while running";

    Debug.BtnRunClick();
    Rig.Sound.ClearCapture();
    Rig.Sound.Advance(30000);
    EXPECT_EQ(loud(Rig.Sound.Samples16()), 0) << "nothing replays while stopped";

    Debug.BtnRunClick();
    Rig.Sound.ClearCapture();
    Rig.Sound.Advance(1280);
    EXPECT_GT(loud(Rig.Sound.Samples16()), 100) << "what was written ahead plays on";
    Debug.DoCPU();
    Rig.Sound.Advance(1280);
    EXPECT_GT(loud(Rig.Sound.Samples16()), 300);
}

TEST_F(DebuggerTest, StepIntoRunsOneInstructionThroughTheTick) {
    struct Case {
        const char* what;
        Bytes code;
        std::uint8_t nmi;
        int pc;
        int halted;
        int pushed; // return address on the stack; -1: nothing pushed
    };
    const Case cases[] = {
        {"nop", {0x00}, 0, 0x0101, 0, -1},
        {"halt: executed once, PC stays on it", {0x76}, 0, 0x0100, 1, -1},
        {"halt with an NMI requested: the NMI is entered after it", {0x76}, 1, 0x0066, 0, 0x0101},
        {"nop with an NMI requested", {0x00}, 1, 0x0066, 0, 0x0101},
        {"a prefix of no cost runs with the next instruction", {0xDD, 0x00}, 0, 0x0102, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig.LoadProgram(c.code, 0x0100);
        Rig.M().NmiRequest = c.nmi;
        const std::int64_t executed = Host().ExecutedTStates;
        Debug.BtnStepClick();
        const z80regs r = Registers();
        EXPECT_EQ(r.PC, c.pc);
        EXPECT_EQ(r.halted, c.halted);
        EXPECT_GE(Host().ExecutedTStates, executed + 4);
        if (c.pushed >= 0) {
            EXPECT_EQ(r.SP, 0xEFFE);
            EXPECT_EQ(Rig.M().FetchMem(r.SP) | (Rig.M().FetchMem(r.SP + 1) << 8), c.pushed);
        }
        char pc[8];
        std::snprintf(pc, sizeof pc, "%04x", c.pc);
        EXPECT_EQ(Debug.EditPC->text(), pc);
        ExpectRunning(false);
    }
}

TEST_F(DebuggerTest, StepOverACallRunsToTheNextInstructionAndStaysArmed) {
    // 0x0100: call 0x0200; jr 0x0100     0x0200: ld b,5; djnz $; ret
    Rig.LoadProgram({0xCD, 0x00, 0x02, 0x18, 0xFB}, 0x0100);
    MainRam[0x0200] = 0x06;
    MainRam[0x0201] = 0x05;
    MainRam[0x0202] = 0x10;
    MainRam[0x0203] = 0xFE;
    MainRam[0x0204] = 0xC9;

    Debug.BtnStepOverClick();
    EXPECT_EQ(Host().StepOverAddress, 0x0103);
    ExpectRunning(true);
    Debug.DoCPU();
    EXPECT_EQ(Registers().PC, 0x0103);
    EXPECT_EQ((Registers().BC >> 8) & 0xFF, 0) << "the subroutine ran";
    ExpectRunning(false);
    const std::int64_t executed = Host().ExecutedTStates;
    EXPECT_EQ(executed, 17 + 7 + 4 * 13 + 8 + 10);

    // The armed address stays armed: the next Run stops there again, and its
    // budget makes up for the slice that was cut short.
    Debug.BtnRunClick();
    Debug.DoCPU();
    EXPECT_EQ(SliceBudget, 80000 + 80000 - executed);
    EXPECT_EQ(Registers().PC, 0x0103);
    ExpectRunning(false);
    EXPECT_EQ(Host().ExecutedTStates, 12 + executed);
}

TEST_F(DebuggerTest, StepOverAtTheTopOfMemoryWrapsToSixteenBits) {
    // 0xFFFF: ld bc,0x1234 (its operand at 0x0000 and 0x0001); 0x0002: halt
    Rig.LoadProgram({0x34, 0x12, 0x76}, 0x0000);
    MainRam[0xFFFF] = 0x01;
    Rig.SetPC(0xFFFF);
    Debug.BtnStepOverClick();
    EXPECT_EQ(Host().StepOverAddress, 0x0002);
    Debug.DoCPU();
    EXPECT_EQ(Registers().PC, 0x0002);
    EXPECT_EQ(Registers().BC & 0xFFFF, 0x1234);
    ExpectRunning(false);
}

TEST_F(DebuggerTest, RegistersAndFlagsShowInLowerCaseHex) {
    Rig.LoadProgram({0x00}, 0x0100);
    z80regs r = Registers();
    r.AF = 0xAB81; // S and C
    r.BC = 0xBEEF;
    r.DE = 0x1357;
    r.HL = 0x2468;
    r.SP = 0xE000;
    r.IX = 0x1FACE;
    r.IY = 0x9ABC;
    r.PC = 0x0102;
    r.AltAF = 0x127E;
    r.AltBC = 0x3579;
    r.AltDE = 0x4680;
    r.AltHL = 0xC0DE;
    Rig.M().SetRegisters(&r);
    Debug.RefreshView();

    const std::pair<const QLineEdit*, const char*> boxes[] = {
        {Debug.EditAF, "ab81"},  {Debug.EditBC, "beef"},  {Debug.EditDE, "1357"},  {Debug.EditHL, "2468"},
        {Debug.EditSP, "e000"},  {Debug.EditIX, "face"},  {Debug.EditIY, "9abc"},  {Debug.EditPC, "0102"},
        {Debug.EditAAF, "127e"}, {Debug.EditABC, "3579"}, {Debug.EditADE, "4680"}, {Debug.EditAHL, "c0de"},
    };
    for (const auto& [box, text] : boxes)
        EXPECT_EQ(box->text(), QString(text)) << box->objectName().toStdString();
    const QCheckBox* primary[] = {Debug.FlagS, Debug.FlagZ, Debug.Flag5, Debug.FlagH,
                                  Debug.Flag3, Debug.FlagP, Debug.FlagN, Debug.FlagC};
    const QCheckBox* alternate[] = {Debug.FlagAS, Debug.FlagAZ, Debug.FlagA5, Debug.FlagAH,
                                    Debug.FlagA3, Debug.FlagAP, Debug.FlagAN, Debug.FlagAC};
    for (int bit = 7; bit >= 0; --bit) {
        EXPECT_EQ(primary[7 - bit]->isChecked(), ((0x81 >> bit) & 1) != 0) << bit;
        EXPECT_EQ(alternate[7 - bit]->isChecked(), ((0x7E >> bit) & 1) != 0) << bit;
    }
}

TEST_F(DebuggerTest, MemoryGridShowsEightRowsFromTheScrollPosition) {
    Rig.LoadProgram({}, 0x0100);
    for (int a = 0; a < 64; ++a)
        MainRam[a] = static_cast<std::uint8_t>(a);
    const Bytes top = {0x7F, 0x1F, 0x80, 0x41, 0x20, 0x7E, 0x00, 0xFF};
    std::copy(top.begin(), top.end(), MainRam + 0xFFC0);

    Debug.PrepareGrids();
    EXPECT_EQ(Debug.MemoryGrid->columnWidth(0), 40);
    EXPECT_EQ(Debug.MemoryGrid->columnWidth(9), 80);
    EXPECT_EQ(Cell(0, 0), "0000");
    EXPECT_EQ(Cell(0, 1), "00");
    EXPECT_EQ(Cell(1, 0), "0008");
    EXPECT_EQ(Cell(7, 0), "0038");
    EXPECT_EQ(Cell(7, 8), "3f");
    EXPECT_EQ(Cell(0, 9), "........");
    EXPECT_EQ(Cell(4, 9), " !\"#$%&'");

    Debug.MemoryScroll->setValue(Debug.MemoryScroll->maximum());
    EXPECT_EQ(Cell(0, 0), "ffc0");
    EXPECT_EQ(Cell(7, 0), "fff8");
    EXPECT_EQ(Cell(0, 1), "7f");
    EXPECT_EQ(Cell(0, 3), "80");
    EXPECT_EQ(Cell(0, 8), "ff");
    EXPECT_EQ(Cell(0, 9), QString(QChar(0x7F)) + "..A ~..") << "0x7F as itself, 0x1F and 0x80 as dots";

    // Unchanged position: the grid keeps what it showed until shown anew.
    MainRam[0xFFC3] = 0x42;
    Debug.RefreshView();
    EXPECT_EQ(Cell(0, 4), "41");
    Debug.PrepareGrids();
    EXPECT_EQ(Cell(0, 4), "42");
}

TEST_F(DebuggerTest, ListingFollowsPcOnlyWhenTicked) {
    Rig.LoadProgram(Bytes(16, 0x00), 0x0100); // nops
    Debug.BtnStepClick();
    EXPECT_EQ(Debug.EditPC->text(), "0101");
    EXPECT_EQ(Debug.SourceList->count(), 0) << "not followed";

    Debug.TagSourceTrace->setChecked(true);
    Debug.RefreshView();
    ASSERT_EQ(Debug.SourceList->count(), ListingLines);
    EXPECT_EQ(Debug.SourceList->sizeHintForRow(0), 14);
    EXPECT_EQ(Line(0), "0101: nop");
    EXPECT_EQ(Line(1), "0102: nop");
    Debug.BtnStepClick();
    EXPECT_EQ(Line(0), "0102: nop");

    Debug.TagSourceTrace->setChecked(false);
    Debug.BtnStepClick();
    EXPECT_EQ(Debug.EditPC->text(), "0103");
    EXPECT_EQ(Line(0), "0102: nop") << "left as it was";
}

// The listing shows what the processor will fetch: the IPL ROM and the swapped
// RAM halves in IPL mode, and round past 0xFFFF.
TEST_F(DebuggerTest, ListingReadsTheFetchViewAndWrapsAtTheTop) {
    Debug.TagSourceTrace->setChecked(true);
    ASSERT_EQ(Rig.M().IplMode(), 1);
    Debug.RefreshView();
    char text[32];
    z80cpu::Disassemble(IplRom, text, 0);
    EXPECT_EQ(Line(0), QString("0000: ") + text);

    // jp 0x1234 at the ROM's last byte, its operand at 0x0800-0x0801 in RAM's
    // upper half, which IPL mode shows there.
    IplRom[0x07FF] = 0xC3;
    MainRam[0x8800] = 0x34;
    MainRam[0x8801] = 0x12;
    MainRam[0x8802] = 0xC9;
    Rig.SetPC(0x07FF);
    Debug.RefreshView();
    EXPECT_EQ(Line(0), "07ff: jp     $1234");
    EXPECT_EQ(Line(1), "0802: ret");

    // Out of IPL mode: ld bc,0x1234 at 0xFFFF, its operand at 0x0000.
    Rig.LoadProgram({0x34, 0x12, 0x00}, 0x0000);
    MainRam[0xFFFF] = 0x01;
    Rig.SetPC(0xFFFF);
    Debug.RefreshView();
    EXPECT_EQ(Line(0), "ffff: ld     bc,$1234");
    EXPECT_EQ(Line(1), "0002: nop");
}

// The speaker's counters reach the I/O monitor once per slice, not at each of
// the slice's fifty refills, and the monitor's log is shown once; single steps
// report them too.
TEST_F(DebuggerTest, SlicesAndStepsReportTheSoundCountersAndTheLog) {
    struct Case {
        const char* what;
        int steps; // 0: one tick
    };
    // 150 jumps of 12 T-states: one refill.
    for (const Case c : {Case{"a slice", 0}, Case{"single steps", 150}}) {
        SCOPED_TRACE(c.what);
        TIOForm monitor;
        IOForm = &monitor;
        Rig.LoadProgram(Loop, 0x0100);
        monitor.AppendLog("before the slice");
        Rig.Services.LabelWrites = 0;
        Rig.Sound.Advance(1280); // 10 ms played: the refills have room
        if (c.steps == 0) Debug.DoCPU();
        for (int i = 0; i < c.steps; ++i)
            Debug.BtnStepClick();
        EXPECT_EQ(Rig.Services.LabelWrites, 3);
        EXPECT_FALSE(Rig.Services.Labels[8].empty());
        EXPECT_EQ(monitor.PendingLogLines(), 0u);
        EXPECT_EQ(monitor.IOLog->document()->lastBlock().text(), "before the slice");
        IOForm = nullptr;
    }
}

TEST_F(DebuggerTest, ResetRestartsTheMachineAndShowsIt) {
    Rig.LoadProgram(Loop, 0x0100);
    Debug.RefreshView();
    EXPECT_EQ(Debug.EditPC->text(), "0100");
    Rig.M().ColdBoot = 1;
    Debug.BtnResetClick();
    EXPECT_EQ(Debug.EditPC->text(), "0000");
    EXPECT_EQ(Rig.M().IplMode(), 1);
}

TEST_F(DebuggerTest, WithoutAMachineTicksAndButtonsDoNothing) {
    Machine = nullptr;
    Debug.TagSourceTrace->setChecked(true);
    Debug.DoCPU();
    Debug.PrepareGrids();
    Debug.BtnStepClick();
    Debug.BtnStepOverClick();
    Debug.BtnResetClick();
    EXPECT_EQ(Debug.EditPC->text(), "FFFF");
    EXPECT_EQ(Debug.SourceList->count(), 0);
    EXPECT_EQ(Host().StepOverAddress, 0x10000);
    EXPECT_EQ(SliceBudget, 0);
    // Run and Stop still switch the clock (the main window stops it as it closes).
    Debug.BtnRunClick();
    ExpectRunning(true);
    Debug.BtnRunClick();
    ExpectRunning(false);
}

TEST_F(DebuggerTest, ShowingTheWindowDrawsTheGridAndRegisters) {
    Rig.LoadProgram(Loop, 0x0100);
    Debug.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Debug));
    EXPECT_EQ(Cell(0, 0), "0000");
    EXPECT_EQ(Debug.EditPC->text(), "0100");
    Debug.hide();
}

} // namespace
