#include "ui/loader/program_start.h"

#include "machine/machine_services.h"
#include "machine/qj47r.h"

TRamCopy LoadProgramFile(TQJ47R& machine, const std::string& fileName, bool running,
                         const std::function<void()>& pressRun, TMachineServices* log) {
    // Read whole before anything is touched: a refused file changes nothing.
    const TProgramImage image = ReadProgramImage(fileName);
    return StartProgram(machine, image, running, pressRun, log);
}

TRamCopy StartProgram(TQJ47R& machine, const TProgramImage& image, bool running,
                      const std::function<void()>& pressRun, TMachineServices* log) {
    if (running) pressRun();
    // A later reset from the debugger keeps the normal memory map too.
    machine.ColdBoot = 0;
    machine.Reset();
    const TRamCopy copy = CopyToRam(image, MainRam);
    if (copy.Dropped) LogLine(log, "Load ROM: %zu bytes past FFFF dropped", copy.Dropped);
    z80regs regs;
    machine.GetRegisters(&regs);
    regs.PC = image.ExecAddress;
    machine.SetRegisters(&regs);
    pressRun();
    return copy;
}
