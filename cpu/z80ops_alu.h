// 8-bit and 16-bit arithmetic and logic. Bits 5 and 3 of F are 0 in every
// flag byte built here; only DAA takes them from its table.
#pragma once

#include "cpu/z80cpu.h"
#include "cpu/z80flags.h"

// k: 0 ADD, 1 ADC, 2 SUB, 3 SBC, 4 AND, 5 XOR, 6 OR, 7 CP.
template <int k> void z80cpu::Alu(int s) {
    const int a = GetA();
    if constexpr (k == 0 || k == 1) {
        const int t = a + s + (k == 1 ? (Regs.AF & 0x01) : 0);
        const int f = SZ[t & 0xFF] | ((a ^ s ^ t) & 0x10) | ((~(a ^ s) & (a ^ t) & 0x80) ? 0x04 : 0) |
                      ((t >> 8) & 0x01);
        SetAF(t, f);
    } else if constexpr (k == 2 || k == 3 || k == 7) {
        const int t = a - s - (k == 3 ? (Regs.AF & 0x01) : 0);
        const int f = SZ[t & 0xFF] | ((a ^ s ^ t) & 0x10) | (((a ^ s) & (a ^ t) & 0x80) ? 0x04 : 0) | 0x02 |
                      (t < 0 ? 0x01 : 0);
        SetAF(k == 7 ? a : t, f);
    } else if constexpr (k == 4) {
        const int t = a & s;
        SetAF(t, SZP[t] | 0x10);
    } else if constexpr (k == 5) {
        const int t = (a ^ s) & 0xFF;
        SetAF(t, SZP[t]);
    } else {
        const int t = (a | s) & 0xFF;
        SetAF(t, SZP[t]);
    }
}

template <int k, int r> void z80cpu::AluR() { Alu<k>(Get8<r>()); }

template <int k> void z80cpu::AluHL() { Alu<k>(ReadMem(Regs.HL & 0xFFFF)); }

template <int k> void z80cpu::AluN() { Alu<k>(FetchByte()); }

template <int k, int x> void z80cpu::AluIdx() { Alu<k>(ReadIndexed<x>()); }

// SUB A and XOR A in one store: A = 0 with Z+N, respectively Z+P/V.
inline void z80cpu::SubA() { Regs.AF = (Regs.AF & ~0xFFFF) | 0x0042; }

inline void z80cpu::XorA() { Regs.AF = (Regs.AF & ~0xFFFF) | 0x0044; }

inline int z80cpu::IncValue(int v) {
    const int t = (v + 1) & 0xFF;
    SetF((GetF() & 0x01) | SZ[t] | (t == 0x80 ? 0x04 : 0) | ((t & 0x0F) == 0 ? 0x10 : 0));
    return t;
}

inline int z80cpu::DecValue(int v) {
    const int t = (v - 1) & 0xFF;
    SetF((GetF() & 0x01) | SZ[t] | 0x02 | (v == 0x80 ? 0x04 : 0) | ((v & 0x0F) == 0 ? 0x10 : 0));
    return t;
}

template <int r> void z80cpu::Inc8() { Set8<r>(IncValue(Get8<r>())); }

template <int r> void z80cpu::Dec8() { Set8<r>(DecValue(Get8<r>())); }

inline void z80cpu::IncHL() {
    const int a = Regs.HL & 0xFFFF;
    WriteMem(a, IncValue(ReadMem(a)));
}

inline void z80cpu::DecHL() {
    const int a = Regs.HL & 0xFFFF;
    WriteMem(a, DecValue(ReadMem(a)));
}

template <int x> void z80cpu::IncIdx() {
    const int a = IndexedAddress<x>();
    WriteMem(a, IncValue(ReadMem(a)));
}

template <int x> void z80cpu::DecIdx() {
    const int a = IndexedAddress<x>();
    WriteMem(a, DecValue(ReadMem(a)));
}

inline void z80cpu::Neg() {
    const int s = GetA();
    SetAF(0, GetF());
    Alu<2>(s);
}

inline void z80cpu::Cpl() { SetAF(GetA() ^ 0xFF, GetF() | 0x12); }

inline void z80cpu::Scf() { SetF((GetF() & 0xEC) | 0x01); }

inline void z80cpu::Ccf() {
    const int f = GetF();
    SetF(((f & 0xED) | ((f & 0x01) << 4)) ^ 0x01);
}

inline void z80cpu::Daa() {
    const int f = GetF();
    const int index = GetA() | ((f & 0x01) << 8) | ((f & 0x10) << 5) | ((f & 0x02) << 9);
    Regs.AF = (Regs.AF & ~0xFFFF) | DaaTable[index];
}

// ADD rr,ss: S, Z and P/V kept; H from bit 11, C from bit 15.
template <int d, int s> void z80cpu::Add16() {
    const int dv = Reg16<d>() & 0xFFFF;
    const int sv = Reg16<s>() & 0xFFFF;
    const int t = dv + sv;
    SetF((GetF() & 0xC4) | (((dv ^ sv ^ t) >> 8) & 0x10) | ((t >> 16) & 0x01));
    Reg16<d>() = t & 0xFFFF;
}

template <int s> void z80cpu::Adc16() {
    const int hl = Regs.HL & 0xFFFF;
    const int sv = Reg16<s>() & 0xFFFF;
    const int t = hl + sv + (Regs.AF & 0x01);
    SetF((((hl ^ sv ^ t) >> 8) & 0x10) | ((t >> 16) & 0x01) | ((t >> 8) & 0x80) |
         ((t & 0xFFFF) == 0 ? 0x40 : 0) | ((~(hl ^ sv) & (hl ^ t) & 0x8000) ? 0x04 : 0));
    Regs.HL = t & 0xFFFF;
}

template <int s> void z80cpu::Sbc16() {
    const int hl = Regs.HL & 0xFFFF;
    const int sv = Reg16<s>() & 0xFFFF;
    const int t = hl - sv - (Regs.AF & 0x01);
    SetF((((hl ^ sv ^ t) >> 8) & 0x10) | (t < 0 ? 0x01 : 0) | ((t >> 8) & 0x80) |
         ((t & 0xFFFF) == 0 ? 0x40 : 0) | (((hl ^ sv) & (hl ^ t) & 0x8000) ? 0x04 : 0) | 0x02);
    Regs.HL = t & 0xFFFF;
}

template <int rr> void z80cpu::Inc16() { Reg16<rr>() = (Reg16<rr>() + 1) & 0xFFFF; }

template <int rr> void z80cpu::Dec16() { Reg16<rr>() = (Reg16<rr>() - 1) & 0xFFFF; }
