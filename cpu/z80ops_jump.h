// Jumps, calls, returns and restarts. The handlers of the relative jumps,
// calls and returns charge their extra T-states only when the transfer happens.
#pragma once

#include "cpu/z80cpu.h"
#include "cpu/z80flags.h"

// cc: 0 NZ, 1 Z, 2 NC, 3 C, 4 PO, 5 PE, 6 P, 7 M.
template <int cc> bool z80cpu::Cond() const {
    constexpr int masks[4] = {z80flag::Z, z80flag::C, z80flag::PV, z80flag::S};
    const bool set = (Regs.AF & masks[cc >> 1]) != 0;
    return (cc & 1) ? set : !set;
}

template <class H> void z80cpu::JpNN() {
    const int lo = Host<H>().FetchMem(Regs.PC & 0xFFFF);
    const int hi = Host<H>().FetchMem((Regs.PC + 1) & 0xFFFF);
    Regs.PC = lo | (hi << 8);
}

template <class H, int cc> void z80cpu::JpCC() {
    if (Cond<cc>())
        JpNN<H>();
    else
        Regs.PC = (Regs.PC + 2) & 0xFFFF;
}

template <int rr> void z80cpu::JpRR() { Regs.PC = Reg16<rr>() & 0xFFFF; }

template <class H> void z80cpu::Jr() {
    const int d = static_cast<int8_t>(Host<H>().FetchMem(Regs.PC & 0xFFFF));
    Regs.PC = (Regs.PC + 1 + d) & 0xFFFF;
    TStates -= 5;
}

template <class H, int cc> void z80cpu::JrCC() {
    if (Cond<cc>())
        Jr<H>();
    else
        Regs.PC = (Regs.PC + 1) & 0xFFFF;
}

template <class H> void z80cpu::Djnz() {
    const int b = (Get8<rB>() - 1) & 0xFF;
    Set8<rB>(b);
    if (b != 0)
        Jr<H>();
    else
        Regs.PC = (Regs.PC + 1) & 0xFFFF;
}

template <class H> void z80cpu::CallNN() {
    const int target = FetchWord<H>();
    PushWord<H>(Regs.PC);
    Regs.PC = target;
    TStates -= 7;
}

template <class H, int cc> void z80cpu::CallCC() {
    if (Cond<cc>())
        CallNN<H>();
    else
        Regs.PC = (Regs.PC + 2) & 0xFFFF;
}

template <class H> void z80cpu::Ret() {
    Regs.PC = PopWord<H>();
    TStates -= 6;
}

template <class H, int cc> void z80cpu::RetCC() {
    if (Cond<cc>()) Ret<H>();
}

template <class H> void z80cpu::Retn() {
    Regs.IFF1 = Regs.IFF2;
    Host<H>().OnRetn();
    Ret<H>();
}

template <class H> void z80cpu::Reti() {
    Host<H>().OnReti();
    Ret<H>();
}

template <class H, int p> void z80cpu::Rst() {
    PushWord<H>(Regs.PC);
    Regs.PC = p;
}

template <int mode> void z80cpu::Im() { Regs.IM = mode; }
