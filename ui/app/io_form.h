// TIOForm: the I/O monitor. Bit lamps of the 8255's three ports and of the
// PIO's two ports with their line directions, the disc controller's motor,
// side, track and sector, the speaker's three ring counters, the 8253 group
// (never updated) and the memo IOLog, the machine's one diagnostic log.
//
// The main window's TMachineServices forward the machine's calls here one to
// one. The memo keeps the newest MaxLogLines lines; the user can select and
// copy its text but not change it, and long lines wrap. A running program may
// log thousands of lines per slice, so the lines wait and the memo takes them
// in one edit: the debugger calls FlushLog after each slice, and lines
// appended outside a slice are shown when the event loop next runs.
#pragma once

#include "platform/bounded_log.h"
#include "ui_io_form.h"

#include <QColor>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

class QShowEvent;

class TIOForm : public QWidget, public Ui::TIOForm {
    Q_OBJECT

  public:
    static constexpr std::size_t MaxLogLines = TBoundedLog::DefaultMaxLines;
    // Lamp colours; a lamp that is off has the button face colour.
    static inline const QColor Red{255, 0, 0};
    static inline const QColor Blue{0, 0, 255};

    explicit TIOForm(QWidget* parent = nullptr);
    ~TIOForm() override;

    // Bit n of the byte drives lamp n: port A and C red, port B blue.
    void ShowPPIPortA(std::uint8_t value);
    void ShowPPIPortB(std::uint8_t value);
    void ShowPPIPortC(std::uint8_t value);
    // Direction lamps red for an input line (bit 1), blue for an output line;
    // data lamps red on port A, blue on port B.
    void ShowPIOPortA(std::uint8_t direction, std::uint8_t data);
    void ShowPIOPortB(std::uint8_t direction, std::uint8_t data);
    // The controller's registers: command/status, track, sector, data, drive
    // and motor latch, side; shown as "%04X".
    void ShowFDCStatus(const std::uint8_t registers[6]);
    // Text of Label8, Label9 or Label10 (index 8-10); other indexes do nothing.
    void SetIOLabel(int index, const std::string& text);

    // One line at the end of the log; the memo shows it at the next FlushLog.
    void AppendLog(const std::string& line);
    // Adds the lines appended since the last flush to the memo in one edit.
    // Each new line costs the memo a microsecond or two: after an edit that
    // took t, the next waits until 3t have passed, so that the memo takes at
    // most a quarter of the time of a program that logs without pause; the
    // lines waiting then go in with that edit, at the latest from a timer.
    void FlushLog();
    // Lines waiting for the next flush (at most MaxLogLines, the newest).
    std::size_t PendingLogLines() const { return PendingLog.Size(); }

    QColor ButtonFace() const;

    void BtnOKClick();

  protected:
    // The first show places the window below the main window, or where else
    // it leaves the emulated screen in view.
    void showEvent(QShowEvent* event) override;

  private:
    using LampRow = std::array<platform_qt::TLamp*, 8>; // lamp n = bit n
    void ShowBits(const LampRow& lamps, std::uint8_t value, const QColor& on, const QColor& off);

    // The pending lines at the end of the memo, the oldest ones beyond its
    // bound dropped first.
    void AppendPendingLines();

    LampRow PiaA, PiaB, PiaC, PioA, PioB, PioADir, PioBDir;
    TBoundedLog PendingLog{MaxLogLines};
    QTimer LaterFlush;           // single shot: FlushLog
    QElapsedTimer SinceLastEdit; // invalid until the first edit
    qint64 LastEditNs = 0;
};

// Set when the program creates its windows.
extern TIOForm* IOForm;
