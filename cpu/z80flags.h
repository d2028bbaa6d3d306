// Flag bits of F and the decimal-adjust table of the Z80 core.
// SZ and SZP are members of z80cpu, built by z80cpu::InitTables.
#pragma once

#include <array>
#include <cstdint>

namespace z80flag {
constexpr int S = 0x80;
constexpr int Z = 0x40;
constexpr int Y = 0x20; // bit 5
constexpr int H = 0x10;
constexpr int X = 0x08; // bit 3
constexpr int PV = 0x04;
constexpr int N = 0x02;
constexpr int C = 0x01;
} // namespace z80flag

// New AF after DAA, indexed by A + 256 x C + 512 x H + 1024 x N.
extern const std::array<uint16_t, 2048> DaaTable;
