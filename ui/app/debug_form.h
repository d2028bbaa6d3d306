// TDebugForm: the Z80 debugger, and the emulation's clock. Its CPUTimer ticks
// every 10 ms while the emulation runs; each tick runs one time slice of the
// machine through DoCPU. BtnRun is the program's one run/stop switch: pressing
// Run means calling BtnRunClick, which acts whether or not the button is
// enabled. The window shows the registers and flags, eight rows of memory and a
// 50-line disassembly from PC, and offers single step, step over and reset.
//
// The debugger's two counters that the machine's tick updates after every
// instruction, StepOverAddress and ExecutedTStates, are fields of the machine's
// host interface (TMachineServices in machine/machine_services.h).
#pragma once

#include "ui/timer/threaded_timer.h"
#include "ui_debug_form.h"

#include <QWidget>
#include <array>
#include <cstdint>

class QCheckBox;
class QShowEvent;

class TDebugForm : public QWidget, public Ui::TDebugForm {
    Q_OBJECT

  public:
    explicit TDebugForm(QWidget* parent = nullptr);
    ~TDebugForm() override;

    // CPUTimer's tick: one time slice sized by the speed control, then RefreshView.
    void DoCPU();
    // Toggles between running and stopped.
    void BtnRunClick();
    // Executes one instruction and refreshes.
    void BtnStepClick();
    // Arms StepOverAddress at the next instruction and starts the run.
    void BtnStepOverClick();
    // Resets the machine and refreshes.
    void BtnResetClick();
    // Each time the window is shown: memory grid column widths, full refresh.
    void PrepareGrids();
    // MemoryScroll moved.
    void ScrollChange();
    // Registers, flags, and the memory grid and listing when they are out of date.
    void RefreshView();
    // RefreshView with the memory grid drawn anew whatever the scroll position:
    // the bytes may have changed since it was drawn. The machine stopped,
    // stepped, reset or loaded with a program shows the memory as it is now;
    // while it runs, ticks redraw the grid only on a scroll.
    void RefreshMemory();

    // The emulation clock: interval 10 ms, disabled until Run; ticks run DoCPU.
    TThreadedTimer CPUTimer;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Whether the options window's automatic speed control is on (it is when
    // there is no options window).
    bool AutomaticSpeed() const;
    // Runs the processor for the T-states it was given, and tells the main
    // window's key handler how far the machine ran. Returns what Execute returned.
    int RunProcessor();
    // After a slice or a step: the I/O monitor's speaker counters and its log.
    void ReportSlice();
    void FillMemoryGrid(int firstAddress);
    void FillListing(int pc);

    // The check boxes of bits 7 to 0 of F and of F'.
    std::array<QCheckBox*, 8> PrimaryFlags{}, AlternateFlags{};
};

// Set when the program creates its windows.
extern TDebugForm* DebugForm;

// T-states granted to the current slice.
extern std::int32_t SliceBudget;
// T-states per tick that automatic speed control aims at.
inline constexpr std::int32_t TargetTStates = 80000;
// The largest automatic budget: a whole slice that was cut short (a step-over
// stop) plus the target. It bounds the first budget after a long run at a
// hand-set speed, or after one large manual slice, to one that returns soon.
inline constexpr std::int32_t MaxSliceBudget = 80000 + TargetTStates;
// Lines of the disassembly listing.
inline constexpr int ListingLines = 50;
// MemoryScroll position for which the memory grid was last drawn; -1 forces a redraw.
extern std::int32_t LastGridRow;
// PC for which the disassembly listing was last built; -1 = none.
extern std::int32_t LastListedPC;
