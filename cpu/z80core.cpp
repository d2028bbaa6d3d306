// Construction, reset, register access and the processor-control handlers
// that reach no host; the loop compiled for z80cpu, which calls the host's
// operations through the virtual table.
#include <cstdlib>

#include "cpu/z80exec.h"
#include "cpu/z80flags.h"

template int z80cpu::Slice<z80cpu>();

z80cpu::z80cpu() : RunFlag(0), SliceTStates(50000), TStates(50000), Loop(&RunSlice<z80cpu>) { InitTables(); }

z80cpu::~z80cpu() = default;

void z80cpu::Reset() {
    Regs = z80regs{};
    Regs.SP = 0xF000;
    Regs.R = std::rand() & 0x7FFF; // 0 to 32767 whatever the library's RAND_MAX
    PendingVector = -1;
    TStates = SliceTStates;
}

void z80cpu::GetRegisters(z80regs* regs) { *regs = Regs; }

void z80cpu::SetRegisters(const z80regs* regs) { Regs = *regs; }

int z80cpu::GetPC() { return Regs.PC; }

// The byte after a DD/FD without an index form runs next as an unprefixed opcode.
void z80cpu::IgnorePrefix() { Regs.PC = (Regs.PC - 1) & 0xFFFF; }

void z80cpu::SkipIndexCB() { Regs.PC = (Regs.PC + 1) & 0xFFFF; }

void z80cpu::Nop() {}

void z80cpu::Di() {
    Regs.IFF1 = 0;
    Regs.IFF2 = 0;
}

// The HALT opcode is fetched again in every later pass until an interrupt.
void z80cpu::Halt() {
    Regs.PC = (Regs.PC - 1) & 0xFFFF;
    Regs.halted = 1;
    if (TStates > 0) TStates = 0;
}

void z80cpu::InitTables() {
    for (int v = 0; v < 256; ++v) {
        int sz = (v & z80flag::S) | (v == 0 ? z80flag::Z : 0);
        int bits = 0;
        for (int b = 0; b < 8; ++b)
            bits += (v >> b) & 1;
        SZ[v] = static_cast<uint8_t>(sz);
        SZP[v] = static_cast<uint8_t>(sz | ((bits & 1) == 0 ? z80flag::PV : 0));
    }
}
