#include "machine/chip_hooks.h"

#include <cstdio>
#include <vector>

std::string FormatLine(const char* format, va_list args) {
    char small[256];
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    if (n < 0) {
        va_end(again);
        return {};
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        va_end(again);
        return std::string(small, static_cast<std::size_t>(n));
    }
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, again);
    va_end(again);
    return std::string(big.data(), static_cast<std::size_t>(n));
}

void LogTo(const TLogHook& hook, const char* format, ...) {
    if (!hook) return;
    va_list args;
    va_start(args, format);
    std::string line = FormatLine(format, args);
    va_end(args);
    hook(line);
}
