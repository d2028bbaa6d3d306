// The diagnostic log's lines, keeping only the newest ones: a program polling a
// port nobody answers would otherwise grow it without end.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

class TBoundedLog {
  public:
    static constexpr std::size_t DefaultMaxLines = 5000;

    explicit TBoundedLog(std::size_t maxLines = DefaultMaxLines) : MaxLines(maxLines ? maxLines : 1) {}

    // Adds a line at the end; returns how many old lines were dropped (0 or 1).
    std::size_t Append(std::string line) {
        Lines.push_back(std::move(line));
        if (Lines.size() <= MaxLines) return 0;
        Lines.pop_front();
        ++Dropped;
        return 1;
    }
    void Clear() { Lines.clear(); }

    const std::deque<std::string>& Contents() const { return Lines; }
    std::size_t Size() const { return Lines.size(); }
    std::size_t DroppedLines() const { return Dropped; }
    std::size_t Capacity() const { return MaxLines; }

  private:
    std::size_t MaxLines;
    std::size_t Dropped = 0;
    std::deque<std::string> Lines;
};
