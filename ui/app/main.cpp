// qj47r: the QJ-47R emulator. Creates its eight windows and runs the event
// loop until the main window closes. SIGTERM, SIGINT, SIGHUP and SIGQUIT end
// the program as its window would, without asking: the modified disc images
// and the settings are saved, and an image that cannot be saved goes to the
// rescue folder (exit status 1). An end that bypasses the windows (the display
// lost) rescues what is unsaved too. A window that cannot be built (a ROM
// image missing) is reported and the program ends with status 1. No command
// line.
#include "gfx/gfx_init.h"
#include "machine/qj47r.h"
#include "platform_qt/guarded.h"
#include "platform_qt/signal_action.h"
#include "platform_qt/text_renderer.h"
#include "ui/app/app_windows.h"
#include "ui/app/disc_saving.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// exit() called past the windows (Qt does so when the display goes away):
// the machine still holds unsaved writes, which go to their files or the
// rescue folder.
void SaveAtExit() {
    if (!Machine) return;
    EndWithoutQuestions();
    SaveBeforeExit(nullptr, *Machine);
}

} // namespace

int main(int argc, char** argv) {
    platform_qt::GuardedApplication app(argc, argv);
    // Our own title, which Qt adds to no window caption.
    QApplication::setApplicationName(ApplicationTitle);
    // The main window's close ends the program, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    platform_qt::InstallQtTextRenderer();
    gfx::GfxInitialize();
    std::atexit(SaveAtExit);

    int status = 0;
    {
        platform_qt::TSignalAction closeOnSignal(CloseOnSignal);
        try {
            TAppWindows windows;
            MainForm->show();
            status = app.exec();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "qj47r: %s\n", error.what());
            platform_qt::ShowException(nullptr, error);
            status = 1;
        }
    }
    gfx::GfxFinalize();
    return status;
}
