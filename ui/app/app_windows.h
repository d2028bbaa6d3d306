// The emulator's eight windows, created in this order, each stored in its
// global: the main window (which builds the machine), the debugger, the about
// box, the I/O monitor, the options, the floppy drives, the tape window and
// the WAV to QJF wizard. They are destroyed in the reverse order, each global
// cleared before its window goes.
#pragma once

#include "ui/app/main_form.h"

#include <memory>

class TDebugForm;
class TAboutBox;
class TIOForm;
class TConfigForm;
class TFloppyForm;
class TTapeForm;
class TConvertForm;

// What SIGTERM and SIGINT do: close the main window as the user would (its
// close deletes the machine, which saves the modified discs and the settings)
// or, while there is no main window (the error box of a failed start), end
// the event loop.
void CloseOnSignal();

class TAppWindows {
  public:
    // A window that fails to build raises; the ones built before it are destroyed.
    explicit TAppWindows(const TMainFormSetup& setup = {});
    ~TAppWindows();
    TAppWindows(const TAppWindows&) = delete;
    TAppWindows& operator=(const TAppWindows&) = delete;

  private:
    void DestroyAll();

    std::unique_ptr<TMainForm> Main;
    std::unique_ptr<TDebugForm> Debug;
    std::unique_ptr<TAboutBox> About;
    std::unique_ptr<TIOForm> IO;
    std::unique_ptr<TConfigForm> Config;
    std::unique_ptr<TFloppyForm> Floppy;
    std::unique_ptr<TTapeForm> Tape;
    std::unique_ptr<TConvertForm> Convert;
};
