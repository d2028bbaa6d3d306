// 8-bit and 16-bit arithmetic and logic. Bits 5 and 3 of F are 0 in every
// flag byte built here; only DAA takes them from its table.
#pragma once

#include "cpu/z80cpu.h"
#include "cpu/z80flags.h"

// k: 0 ADD, 1 ADC, 2 SUB, 3 SBC, 4 AND, 5 XOR, 6 OR, 7 CP.
template <int k> void z80cpu::Alu(int s) {
    const int a = GetA();
    if constexpr (k == 0 || k == 1) {
        const int t = a + s + (k == 1 ? (Regs.AF & z80flag::C) : 0);
        const int f = SZ[t & 0xFF] | ((a ^ s ^ t) & z80flag::H) |
                      ((~(a ^ s) & (a ^ t) & 0x80) ? z80flag::PV : 0) | ((t >> 8) & z80flag::C);
        SetAF(t, f);
    } else if constexpr (k == 2 || k == 3 || k == 7) {
        const int t = a - s - (k == 3 ? (Regs.AF & z80flag::C) : 0);
        const int f = SZ[t & 0xFF] | ((a ^ s ^ t) & z80flag::H) |
                      (((a ^ s) & (a ^ t) & 0x80) ? z80flag::PV : 0) | z80flag::N | (t < 0 ? z80flag::C : 0);
        SetAF(k == 7 ? a : t, f);
    } else if constexpr (k == 4) {
        const int t = a & s;
        SetAF(t, SZP[t] | z80flag::H);
    } else if constexpr (k == 5) {
        const int t = (a ^ s) & 0xFF;
        SetAF(t, SZP[t]);
    } else {
        const int t = (a | s) & 0xFF;
        SetAF(t, SZP[t]);
    }
}

template <int k, int r> void z80cpu::AluR() { Alu<k>(Get8<r>()); }

template <class H, int k> void z80cpu::AluHL() { Alu<k>(Host<H>().ReadMem(Regs.HL & 0xFFFF)); }

template <class H, int k> void z80cpu::AluN() { Alu<k>(FetchByte<H>()); }

template <class H, int k, int x> void z80cpu::AluIdx() { Alu<k>(ReadIndexed<H, x>()); }

// SUB A and XOR A in one store: A = 0 with Z+N, respectively Z+P/V.
inline void z80cpu::SubA() { Regs.AF = (Regs.AF & ~0xFFFF) | z80flag::Z | z80flag::N; }

inline void z80cpu::XorA() { Regs.AF = (Regs.AF & ~0xFFFF) | z80flag::Z | z80flag::PV; }

inline int z80cpu::IncValue(int v) {
    const int t = (v + 1) & 0xFF;
    SetF((GetF() & z80flag::C) | SZ[t] | (t == 0x80 ? z80flag::PV : 0) | ((t & 0x0F) == 0 ? z80flag::H : 0));
    return t;
}

inline int z80cpu::DecValue(int v) {
    const int t = (v - 1) & 0xFF;
    SetF((GetF() & z80flag::C) | SZ[t] | z80flag::N | (v == 0x80 ? z80flag::PV : 0) |
         ((v & 0x0F) == 0 ? z80flag::H : 0));
    return t;
}

template <int r> void z80cpu::Inc8() { Set8<r>(IncValue(Get8<r>())); }

template <int r> void z80cpu::Dec8() { Set8<r>(DecValue(Get8<r>())); }

template <class H> void z80cpu::IncHL() {
    const int a = Regs.HL & 0xFFFF;
    Host<H>().WriteMem(a, IncValue(Host<H>().ReadMem(a)));
}

template <class H> void z80cpu::DecHL() {
    const int a = Regs.HL & 0xFFFF;
    Host<H>().WriteMem(a, DecValue(Host<H>().ReadMem(a)));
}

template <class H, int x> void z80cpu::IncIdx() {
    const int a = IndexedAddress<H, x>();
    Host<H>().WriteMem(a, IncValue(Host<H>().ReadMem(a)));
}

template <class H, int x> void z80cpu::DecIdx() {
    const int a = IndexedAddress<H, x>();
    Host<H>().WriteMem(a, DecValue(Host<H>().ReadMem(a)));
}

inline void z80cpu::Neg() {
    const int s = GetA();
    SetAF(0, GetF());
    Alu<2>(s);
}

inline void z80cpu::Cpl() { SetAF(GetA() ^ 0xFF, GetF() | z80flag::H | z80flag::N); }

inline void z80cpu::Scf() { SetF((GetF() & ~(z80flag::H | z80flag::N)) | z80flag::C); }

// H takes the old C, N is cleared, C is complemented.
inline void z80cpu::Ccf() {
    const int f = GetF();
    SetF(((f & ~(z80flag::H | z80flag::N)) | ((f & z80flag::C) ? z80flag::H : 0)) ^ z80flag::C);
}

inline void z80cpu::Daa() {
    const int f = GetF();
    const int index = GetA() | ((f & z80flag::C) ? 0x100 : 0) | ((f & z80flag::H) ? 0x200 : 0) |
                      ((f & z80flag::N) ? 0x400 : 0);
    Regs.AF = (Regs.AF & ~0xFFFF) | DaaTable[index];
}

// ADD rr,ss: S, Z and P/V kept; H from bit 11, C from bit 15.
template <int d, int s> void z80cpu::Add16() {
    const int dv = Reg16<d>() & 0xFFFF;
    const int sv = Reg16<s>() & 0xFFFF;
    const int t = dv + sv;
    SetF((GetF() & (z80flag::S | z80flag::Z | z80flag::PV)) | (((dv ^ sv ^ t) >> 8) & z80flag::H) |
         ((t >> 16) & z80flag::C));
    Reg16<d>() = t & 0xFFFF;
}

template <int s> void z80cpu::Adc16() {
    const int hl = Regs.HL & 0xFFFF;
    const int sv = Reg16<s>() & 0xFFFF;
    const int t = hl + sv + (Regs.AF & z80flag::C);
    SetF((((hl ^ sv ^ t) >> 8) & z80flag::H) | ((t >> 16) & z80flag::C) | ((t >> 8) & z80flag::S) |
         ((t & 0xFFFF) == 0 ? z80flag::Z : 0) | ((~(hl ^ sv) & (hl ^ t) & 0x8000) ? z80flag::PV : 0));
    Regs.HL = t & 0xFFFF;
}

template <int s> void z80cpu::Sbc16() {
    const int hl = Regs.HL & 0xFFFF;
    const int sv = Reg16<s>() & 0xFFFF;
    const int t = hl - sv - (Regs.AF & z80flag::C);
    SetF((((hl ^ sv ^ t) >> 8) & z80flag::H) | (t < 0 ? z80flag::C : 0) | ((t >> 8) & z80flag::S) |
         ((t & 0xFFFF) == 0 ? z80flag::Z : 0) | (((hl ^ sv) & (hl ^ t) & 0x8000) ? z80flag::PV : 0) |
         z80flag::N);
    Regs.HL = t & 0xFFFF;
}

template <int rr> void z80cpu::Inc16() { Reg16<rr>() = (Reg16<rr>() + 1) & 0xFFFF; }

template <int rr> void z80cpu::Dec16() { Reg16<rr>() = (Reg16<rr>() - 1) & 0xFFFF; }
