// Loads, exchanges, stack operations and block transfers.
// Included once, by the table definitions, which instantiate the templates.
#pragma once

#include <utility>

#include "cpu/z80cpu.h"
#include "cpu/z80flags.h"

template <int d, int s> void z80cpu::Ld8() { Set8<d>(Get8<s>()); }

template <int d> void z80cpu::Ld8N() { Set8<d>(FetchByte()); }

template <int d> void z80cpu::Ld8FromHL() { Set8<d>(ReadMem(Regs.HL & 0xFFFF)); }

template <int s> void z80cpu::LdHLFrom8() { WriteMem(Regs.HL & 0xFFFF, Get8<s>()); }

inline void z80cpu::LdHLN() {
    const int n = FetchByte();
    WriteMem(Regs.HL & 0xFFFF, n);
}

template <int rr> void z80cpu::LdAFromRR() {
    Regs.AF = (Regs.AF & ~0xFF00) | (ReadMem(Reg16<rr>() & 0xFFFF) << 8);
}

template <int rr> void z80cpu::LdRRFromA() { WriteMem(Reg16<rr>() & 0xFFFF, GetA()); }

inline void z80cpu::LdAFromNN() {
    const int nn = FetchWord();
    Regs.AF = (Regs.AF & ~0xFF00) | (ReadMem(nn) << 8);
}

inline void z80cpu::LdNNFromA() {
    const int nn = FetchWord();
    WriteMem(nn, GetA());
}

template <int x, int d> void z80cpu::Ld8FromIdx() { Set8<d>(ReadIndexed<x>()); }

template <int x, int s> void z80cpu::LdIdxFrom8() { WriteIndexed<x>(Get8<s>()); }

template <int x> void z80cpu::LdIdxN() {
    const int a = IndexedAddress<x>();
    const int n = FetchByte();
    WriteMem(a, n);
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

template <int rr> void z80cpu::Ld16N() { Reg16<rr>() = FetchWord(); }

template <int rr> void z80cpu::Ld16FromNN() {
    const int nn = FetchWord();
    Reg16<rr>() = ReadWord(nn);
}

template <int rr> void z80cpu::LdNNFrom16() {
    const int nn = FetchWord();
    WriteWord(nn, Reg16<rr>());
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
template <int rr> void z80cpu::ExSPInd() {
    const int v = ReadWord(Regs.SP);
    WriteWord(Regs.SP, Reg16<rr>());
    Reg16<rr>() = v;
}

template <int rr> void z80cpu::Push() { PushWord(Reg16<rr>()); }

template <int rr> void z80cpu::Pop() { Reg16<rr>() = PopWord(); }

// A repeating block instruction runs one pass and, to repeat, steps PC back
// onto its ED prefix, so each pass is an instruction of its own for the loop.
inline void z80cpu::RepeatBlock(bool again) {
    if (again) {
        TStates -= 5;
        Regs.PC = (Regs.PC - 2) & 0xFFFF;
    }
}

// LDI/LDD: H and N cleared, P/V while BC is not 0; S, Z, C and bits 5, 3 kept.
template <int step> void z80cpu::Ldx() {
    WriteMem(Regs.DE & 0xFFFF, ReadMem(Regs.HL & 0xFFFF));
    Regs.DE = (Regs.DE + step) & 0xFFFF;
    Regs.HL = (Regs.HL + step) & 0xFFFF;
    Regs.BC = (Regs.BC - 1) & 0xFFFF;
    SetF((GetF() & ~(z80flag::H | z80flag::N | z80flag::PV)) | (Regs.BC != 0 ? z80flag::PV : 0));
}

template <int step> void z80cpu::Ldxr() {
    Ldx<step>();
    RepeatBlock(Regs.BC != 0);
}
