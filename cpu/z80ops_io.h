// Port instructions, block input/output and block compares.
#pragma once

#include "cpu/z80cpu.h"
#include "cpu/z80flags.h"

// IN r,(C); r = rMem is IN 0,(C), which sets the flags only.
template <class H, int r> void z80cpu::InC() {
    const int v = Host<H>().ReadPort(Regs.BC & 0xFFFF) & 0xFF;
    if constexpr (r != rMem) Set8<r>(v);
    SetF((GetF() & z80flag::C) | SZP[v]);
}

// OUT (C),r; r = rMem is OUT (C),0.
template <class H, int r> void z80cpu::OutC() {
    if constexpr (r == rMem)
        Host<H>().WritePort(Regs.BC & 0xFFFF, 0);
    else
        Host<H>().WritePort(Regs.BC & 0xFFFF, Get8<r>());
}

template <class H> void z80cpu::InAN() {
    const int n = FetchByte<H>();
    Regs.AF = (Regs.AF & ~0xFF00) | ((Host<H>().ReadPort((GetA() << 8) | n) & 0xFF) << 8);
}

template <class H> void z80cpu::OutNA() {
    const int n = FetchByte<H>();
    Host<H>().WritePort((GetA() << 8) | n, GetA());
}

// Block input/output: Z from the new B, N set, every other flag 0.
template <class H, int step> void z80cpu::Inx() {
    Host<H>().WriteMem(Regs.HL & 0xFFFF, Host<H>().ReadPort(Regs.BC & 0xFFFF) & 0xFF);
    Regs.HL = (Regs.HL + step) & 0xFFFF;
    const int b = (Get8<rB>() - 1) & 0xFF;
    Set8<rB>(b);
    SetF(b == 0 ? z80flag::Z | z80flag::N : z80flag::N);
}

// OUTI/OUTD put the decremented B on the port's high byte.
template <class H, int step> void z80cpu::Outx() {
    const int b = (Get8<rB>() - 1) & 0xFF;
    Set8<rB>(b);
    Host<H>().WritePort(Regs.BC & 0xFFFF, Host<H>().ReadMem(Regs.HL & 0xFFFF));
    Regs.HL = (Regs.HL + step) & 0xFFFF;
    SetF(b == 0 ? z80flag::Z | z80flag::N : z80flag::N);
}

template <class H, int step> void z80cpu::Inxr() {
    Inx<H, step>();
    RepeatBlock(Get8<rB>() != 0);
}

template <class H, int step> void z80cpu::Otxr() {
    Outx<H, step>();
    RepeatBlock(Get8<rB>() != 0);
}

// CPI/CPD: A - (HL) for the flags, C kept, P/V while BC is not 0.
template <class H, int step> void z80cpu::Cpx() {
    const int v = Host<H>().ReadMem(Regs.HL & 0xFFFF);
    Regs.HL = (Regs.HL + step) & 0xFFFF;
    Regs.BC = (Regs.BC - 1) & 0xFFFF;
    const int a = GetA();
    const int t = (a - v) & 0xFF;
    SetF((GetF() & z80flag::C) | SZ[t] | ((a ^ v ^ t) & z80flag::H) | (Regs.BC != 0 ? z80flag::PV : 0) |
         z80flag::N);
}

// CPIR/CPDR stop at a match or when BC reaches 0.
template <class H, int step> void z80cpu::Cpxr() {
    Cpx<H, step>();
    RepeatBlock(Regs.BC != 0 && !(Regs.AF & z80flag::Z));
}
