// TMainForm: the emulator's main window. Its constructor builds the one
// machine (global Machine) that draws into Screen; the status bar shows the
// machine's mode and drive lamps; the menu and tool bar reboot or interrupt
// the machine, load programs and open the other windows. Every key pressed
// while the window is active goes to the machine's key matrix. The first show
// starts the emulation; closing the window stops it and deletes the machine,
// which saves the modified disc images and the settings.
//
// The window is also the machine's host (TMachineServices): the I/O monitor's
// share goes to IOForm, the rest is the status bar, the screen and the
// debugger's Run button.
#pragma once

#include "platform_qt/open_dialog.h"
#include "platform_qt/status_bar.h"
#include "ui/app/form_style.h"
#include "ui/app/io_form_services.h"
#include "ui/keyboard/key_matrix.h"
#include "ui/timer/threaded_timer.h"
#include "ui_main_form.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

class QKeyEvent;
namespace platform {
class SoundDevice;
}

// The program's title: the main window's caption and the caption of error boxes.
inline constexpr const char* ApplicationTitle = "Varnel QJ-47R Emulator";

// What the main window builds its machine from.
struct TMainFormSetup {
    std::string RomFolder; // folder of ipl.BIN and qjfont.bin; empty = "roms" beside the program
    bool Sound = true;     // the speaker through the desktop's audio output, when it has one
    // The speaker through this device instead (a test's virtual device); it
    // must outlive the windows.
    platform::SoundDevice* SoundDevice = nullptr;
};

class TMainForm : public QMainWindow, public Ui::TMainForm, public TIOFormServices {
    Q_OBJECT

  public:
    // Lamp colours as the platform's colour values (0x00BBGGRR).
    static constexpr std::uint32_t ModeLampColor = 0xFF00; // lime green
    static constexpr std::uint32_t DriveLampColor = 0xFF;  // red
    static constexpr int StatusPanelCount = 19;

    // Builds the machine; a missing ROM image raises (platform::EFOpenError)
    // and leaves MainForm and Machine null.
    explicit TMainForm(const TMainFormSetup& setup = {}, QWidget* parent = nullptr);
    // Deletes the machine if the window was never closed.
    ~TMainForm() override;

    // First show: the settings into the options window, then Run.
    void FormShow();
    // Stops the emulation, settles every modified disc image (saved, or, where
    // that fails, as the user decides; rescued when no one can be asked), deletes
    // the machine and ends the event loop with the program's exit status.
    void FormClose();
    // The status bar's lamp panels.
    void DrawStatus(platform_qt::TStatusBar* Bar, int Panel, platform_qt::TStatusCanvas& Canvas,
                    const QRect& Rect);
    // Every key press and release of the window: the key matrix.
    void KeyHandle(QKeyEvent& Key);
    // The machine ran `tstates` T-states (a slice or a step): the key changes
    // that waited for it to see the ones before reach the matrix.
    void MachineRan(std::int64_t tstates) { Keys.MachineRan(tstates); }
    // The machine's four settings to and from the options window.
    void GetOptions();
    void SetOptions();

    void LoadROM1Click();
    void MenuFileExitClick();
    void IPLColdBoot1Click();
    void NMIWarmBoot1Click();
    void Options1Click();
    void MenuDebugDebuggerClick();
    void MenuDebugIOMonitorClick();
    void WAVtoQJFWizard1Click();
    void MenuHelpAboutClick();
    void TB_TapeClick();
    void TB_DiskClick();

    // The menu items, tool buttons, emulated screen and status bar on the
    // desktop: what the tool windows leave in view where there is room.
    form_style::TKeepClear ToolWindowKeepClear() const;

    // The menu separators after "&Load ROM..." and before "&Options...".
    QAction* N2 = nullptr;
    QAction* N1 = nullptr;
    // "Load Varnel Program".
    platform_qt::TOpenDialog OpenDialog;
    // Interval 50, no handler, never enabled.
    TThreadedTimer CPUTimer;

    // The machine's host, beside the I/O monitor's share.
    void RefreshStatusBar() override;
    TBitmap32* ScreenBitmap() override;
    void* WindowHandle() override;
    void ClickRun() override;
    void DiscWriteBackFailed(int drive, const std::string& message) override;
    void DiscWriteBackCleared(int drive) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    // Key preview: the keys of this window reach KeyHandle before any control.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetUpControls();
    void ConnectHandlers();
    void CreateMachine(const TMainFormSetup& setup);
    static void DeleteMachine();
    // After a load or a reset: the debugger's memory grid as memory is now.
    static void ShowMemoryInDebugger();
    void DrawLamp(platform_qt::TStatusCanvas& Canvas, const QRect& Rect, const QString& Text, bool On,
                  std::uint32_t Color, int TextLeft);

    std::unique_ptr<platform::SoundDevice> Sound; // outlives the machine
    keyboard::TKeyHandler Keys;                   // over KeyMatrix
    // Polls the machine's automatic disc write-back.
    QTimer* WriteBackTimer = nullptr;
    bool Closing = false;
    bool StartNoticesShown = false; // the first show's notices (settings, rescued images)
    // The notice of each drive's failed write-back while it is on the screen.
    QPointer<QWidget> WriteBackNotices[4];
};

// Set when the program creates its windows.
extern TMainForm* MainForm;
