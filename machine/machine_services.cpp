#include "machine/machine_services.h"

#include "platform/format.h"

#include <cstdarg>
#include <utility>

void LogLine(TMachineServices* services, const char* format, ...) {
    if (!services) return;
    va_list args;
    va_start(args, format);
    std::string line = platform::FormatV(format, args);
    va_end(args);
    services->AppendLog(std::move(line));
}
