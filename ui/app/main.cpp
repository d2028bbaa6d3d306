// qj47r: the QJ-47R emulator. Creates its eight windows and runs the event
// loop until the main window closes; SIGTERM and SIGINT close the main window
// as the user would, so the machine saves its discs and settings. A window
// that cannot be built (a ROM image missing) is reported and the program ends
// with status 1. No command line.
#include "gfx/gfx_init.h"
#include "platform_qt/guarded.h"
#include "platform_qt/signal_action.h"
#include "platform_qt/text_renderer.h"
#include "ui/app/app_windows.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    platform_qt::GuardedApplication app(argc, argv);
    // Our own title, which Qt adds to no window caption.
    QApplication::setApplicationName(ApplicationTitle);
    // The main window's close ends the program, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    platform_qt::InstallQtTextRenderer();
    gfx::GfxInitialize();

    int status = 0;
    {
        platform_qt::TSignalAction closeOnSignal(CloseOnSignal);
        try {
            TAppWindows windows;
            MainForm->show();
            app.exec();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "qj47r: %s\n", error.what());
            platform_qt::ShowException(nullptr, error);
            status = 1;
        }
    }
    gfx::GfxFinalize();
    return status;
}
