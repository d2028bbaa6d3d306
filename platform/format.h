// printf-style formatting into a std::string, for the programs' fixed message
// and log line texts ("FDC: Command %02x").
#pragma once

#include <cstdarg>
#include <string>

namespace platform {

std::string FormatV(const char* format, va_list args);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace platform
