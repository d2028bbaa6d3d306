// The hooks through which a chip reaches the rest of the board: plain callbacks
// that the board sets in its constructor. A hook left empty does nothing, so a
// chip also runs on its own.
#pragma once

#include <cstdarg>
#include <functional>
#include <string>

// One line for the diagnostic log.
using TLogHook = std::function<void(const std::string& line)>;

// printf-style line to the hook; nothing (not even the formatting) when it is empty.
void LogTo(const TLogHook& hook, const char* format, ...) __attribute__((format(printf, 2, 3)));
