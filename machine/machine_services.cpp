#include "machine/machine_services.h"

#include "machine/chip_hooks.h"

#include <cstdarg>

void LogLine(TMachineServices* services, const char* format, ...) {
    if (!services) return;
    va_list args;
    va_start(args, format);
    std::string line = FormatLine(format, args);
    va_end(args);
    services->AppendLog(line);
}
