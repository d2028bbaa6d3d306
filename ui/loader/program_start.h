// The Load ROM command of the main window once its dialog gave a file name:
//   LoadProgramFile(*Machine, fileName, running, pressRun, services);
// reads the file first; then, in this order, stops the emulation when it runs,
// resets the machine out of IPL mode, copies the body into MainRam, sets PC to
// the execution address and starts the emulation. A file that cannot be
// loaded, or fails to read, raises its exception before the machine or the
// emulation is touched.
#pragma once

#include "ui/loader/program_image.h"

#include <functional>
#include <string>

class TQJ47R;
class TMachineServices;

// The main window's open dialog for the command.
inline constexpr const char* LoadDialogTitle = "Load Varnel Program";
inline constexpr const char* LoadDialogFilter =
    "Varnel QJ Images (*.qjf)|*.qjf|Binary Images (*.bin)|*.bin|Supported Images (*.qjf;*.bin)|*.qjf;*.bin";
inline constexpr int LoadDialogFilterIndex = 3; // "Supported Images"

// `running` tells whether the emulation runs now; `pressRun` clicks the
// debugger's Run button, which toggles it. A body that runs past 0xFFFF is cut
// there and the number of bytes dropped goes to the log of `log` (may be null).
TRamCopy LoadProgramFile(TQJ47R& machine, const std::string& fileName, bool running,
                         const std::function<void()>& pressRun, TMachineServices* log);

// The same with an image already read.
TRamCopy StartProgram(TQJ47R& machine, const TProgramImage& image, bool running,
                      const std::function<void()>& pressRun, TMachineServices* log);
