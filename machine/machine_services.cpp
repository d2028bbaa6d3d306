#include "machine/machine_services.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

void LogLine(TMachineServices* services, const char* format, ...) {
    if (!services) return;
    char small[256];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        return;
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        va_end(again);
        services->AppendLog(std::string(small, static_cast<std::size_t>(n)));
        return;
    }
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, again);
    va_end(again);
    services->AppendLog(std::string(big.data(), static_cast<std::size_t>(n)));
}
