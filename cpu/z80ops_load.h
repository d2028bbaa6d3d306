// Loads, exchanges, stack operations and block transfers.
#pragma once

#include <utility>

#include "cpu/z80cpu.h"
#include "cpu/z80flags.h"

template <int d, int s> void z80cpu::Ld8() { Set8<d>(Get8<s>()); }

template <class H, int d> void z80cpu::Ld8N() { Set8<d>(FetchByte<H>()); }

template <class H, int d> void z80cpu::Ld8FromHL() { Set8<d>(Host<H>().ReadMem(Regs.HL & 0xFFFF)); }

template <class H, int s> void z80cpu::LdHLFrom8() { Host<H>().WriteMem(Regs.HL & 0xFFFF, Get8<s>()); }

template <class H> void z80cpu::LdHLN() {
    const int n = FetchByte<H>();
    Host<H>().WriteMem(Regs.HL & 0xFFFF, n);
}

template <class H, int rr> void z80cpu::LdAFromRR() {
    Regs.AF = (Regs.AF & ~0xFF00) | (Host<H>().ReadMem(Reg16<rr>() & 0xFFFF) << 8);
}

template <class H, int rr> void z80cpu::LdRRFromA() { Host<H>().WriteMem(Reg16<rr>() & 0xFFFF, GetA()); }

template <class H> void z80cpu::LdAFromNN() {
    const int nn = FetchWord<H>();
    Regs.AF = (Regs.AF & ~0xFF00) | (Host<H>().ReadMem(nn) << 8);
}

template <class H> void z80cpu::LdNNFromA() {
    const int nn = FetchWord<H>();
    Host<H>().WriteMem(nn, GetA());
}

template <class H, int x, int d> void z80cpu::Ld8FromIdx() { Set8<d>(ReadIndexed<H, x>()); }

template <class H, int x, int s> void z80cpu::LdIdxFrom8() { WriteIndexed<H, x>(Get8<s>()); }

template <class H, int x> void z80cpu::LdIdxN() {
    const int a = IndexedAddress<H, x>();
    const int n = FetchByte<H>();
    Host<H>().WriteMem(a, n);
}

// LD A,I and LD A,R: S and Z from the value, P/V shows IFF2, C kept.
inline void z80cpu::LdAI() {
    const int a = Regs.I & 0xFF;
    SetAF(a, (GetF() & z80flag::C) | SZ[a] | (Regs.IFF2 ? z80flag::PV : 0));
}

inline void z80cpu::LdAR() {
    const int a = (Regs.R & 0x7F) | (Regs.R7 & 0x80);
    SetAF(a, (GetF() & z80flag::C) | SZ[a] | (Regs.IFF2 ? z80flag::PV : 0));
}

inline void z80cpu::LdIA() { Regs.I = GetA(); }

inline void z80cpu::LdRA() {
    Regs.R = GetA();
    Regs.R7 = GetA();
}

template <class H, int rr> void z80cpu::Ld16N() { Reg16<rr>() = FetchWord<H>(); }

template <class H, int rr> void z80cpu::Ld16FromNN() {
    const int nn = FetchWord<H>();
    Reg16<rr>() = ReadWord<H>(nn);
}

template <class H, int rr> void z80cpu::LdNNFrom16() {
    const int nn = FetchWord<H>();
    WriteWord<H>(nn, Reg16<rr>());
}

template <int rr> void z80cpu::LdSPFrom() { Regs.SP = Reg16<rr>(); }

inline void z80cpu::ExAF() { std::swap(Regs.AF, Regs.AltAF); }

inline void z80cpu::ExDEHL() { std::swap(Regs.DE, Regs.HL); }

inline void z80cpu::Exx() {
    std::swap(Regs.BC, Regs.AltBC);
    std::swap(Regs.DE, Regs.AltDE);
    std::swap(Regs.HL, Regs.AltHL);
}

// EX (SP),rr is a data access: both bytes are read before either is written.
template <class H, int rr> void z80cpu::ExSPInd() {
    const int v = ReadWord<H>(Regs.SP);
    WriteWord<H>(Regs.SP, Reg16<rr>());
    Reg16<rr>() = v;
}

template <class H, int rr> void z80cpu::Push() { PushWord<H>(Reg16<rr>()); }

template <class H, int rr> void z80cpu::Pop() { Reg16<rr>() = PopWord<H>(); }

// A repeating block instruction runs one pass and, to repeat, steps PC back
// onto its ED prefix, so each pass is an instruction of its own for the loop.
inline void z80cpu::RepeatBlock(bool again) {
    if (again) {
        TStates -= 5;
        Regs.PC = (Regs.PC - 2) & 0xFFFF;
    }
}

// LDI/LDD: H and N cleared, P/V while BC is not 0; S, Z, C and bits 5, 3 kept.
template <class H, int step> void z80cpu::Ldx() {
    Host<H>().WriteMem(Regs.DE & 0xFFFF, Host<H>().ReadMem(Regs.HL & 0xFFFF));
    Regs.DE = (Regs.DE + step) & 0xFFFF;
    Regs.HL = (Regs.HL + step) & 0xFFFF;
    Regs.BC = (Regs.BC - 1) & 0xFFFF;
    SetF((GetF() & ~(z80flag::H | z80flag::N | z80flag::PV)) | (Regs.BC != 0 ? z80flag::PV : 0));
}

template <class H, int step> void z80cpu::Ldxr() {
    Ldx<H, step>();
    RepeatBlock(Regs.BC != 0);
}
