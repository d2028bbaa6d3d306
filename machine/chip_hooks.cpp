#include "machine/chip_hooks.h"

#include "platform/format.h"

void LogTo(const TLogHook& hook, const char* format, ...) {
    if (!hook) return;
    va_list args;
    va_start(args, format);
    std::string line = platform::FormatV(format, args);
    va_end(args);
    hook(line);
}
