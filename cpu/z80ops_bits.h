// Rotates, shifts, BIT, SET, RES, RLD and RRD.
#pragma once

#include "cpu/z80cpu.h"
#include "cpu/z80flags.h"

// Accumulator rotates: C = the bit shifted out, H and N cleared, the rest kept.
inline void z80cpu::Rlca() {
    const int a = GetA();
    const int c = a >> 7;
    SetAF((a << 1) | c, (GetF() & ~(z80flag::H | z80flag::N | z80flag::C)) | c);
}

inline void z80cpu::Rrca() {
    const int a = GetA();
    const int c = a & 0x01;
    SetAF((a >> 1) | (c << 7), (GetF() & ~(z80flag::H | z80flag::N | z80flag::C)) | c);
}

inline void z80cpu::Rla() {
    const int a = GetA();
    const int c = a >> 7;
    SetAF((a << 1) | (GetF() & z80flag::C), (GetF() & ~(z80flag::H | z80flag::N | z80flag::C)) | c);
}

inline void z80cpu::Rra() {
    const int a = GetA();
    const int c = a & 0x01;
    SetAF((a >> 1) | ((GetF() & z80flag::C) << 7), (GetF() & ~(z80flag::H | z80flag::N | z80flag::C)) | c);
}

// k: 0 RLC, 1 RRC, 2 RL, 3 RR, 4 SLA, 5 SRA, 6 SLL, 7 SRL. Sets F, returns the result.
template <int k> int z80cpu::Shift(int v) {
    int t, c;
    if constexpr (k == 0) {
        c = v >> 7;
        t = ((v << 1) | c) & 0xFF;
    } else if constexpr (k == 1) {
        c = v & 0x01;
        t = (v >> 1) | (c << 7);
    } else if constexpr (k == 2) {
        c = v >> 7;
        t = ((v << 1) | (GetF() & z80flag::C)) & 0xFF;
    } else if constexpr (k == 3) {
        c = v & 0x01;
        t = (v >> 1) | ((GetF() & z80flag::C) << 7);
    } else if constexpr (k == 4) {
        c = v >> 7;
        t = (v << 1) & 0xFF;
    } else if constexpr (k == 5) {
        c = v & 0x01;
        t = (v >> 1) | (v & 0x80);
    } else if constexpr (k == 6) {
        c = v >> 7;
        t = ((v << 1) | 0x01) & 0xFF;
    } else {
        c = v & 0x01;
        t = v >> 1;
    }
    SetF(SZP[t] | c);
    return t;
}

template <int k, int r> void z80cpu::ShiftR() {
    const int t = Shift<k>(Get8<r>());
    Set8<r>(t);
}

template <class H, int k> void z80cpu::ShiftHL() {
    const int a = Regs.HL & 0xFFFF;
    Host<H>().WriteMem(a, Shift<k>(Host<H>().ReadMem(a)));
}

template <class H, int k, int x> void z80cpu::ShiftIdx() {
    const int a = IndexedAddress<H, x>();
    Host<H>().WriteMem(a, Shift<k>(Host<H>().ReadMem(a)));
}

// BIT: H set, N and P/V cleared, C kept; Z when the bit is 0, S only for bit 7.
template <int b> void z80cpu::BitFlags(int v) {
    int f = (GetF() & z80flag::C) | z80flag::H;
    if (!(v & (1 << b))) f |= z80flag::Z;
    if (b == 7 && (v & 0x80)) f |= z80flag::S;
    SetF(f);
}

template <int b, int r> void z80cpu::BitR() { BitFlags<b>(Get8<r>()); }

template <class H, int b> void z80cpu::BitHL() { BitFlags<b>(Host<H>().ReadMem(Regs.HL & 0xFFFF)); }

template <class H, int b, int x> void z80cpu::BitIdx() { BitFlags<b>(ReadIndexed<H, x>()); }

template <int b, int r> void z80cpu::ResR() { Set8<r>(Get8<r>() & ~(1 << b)); }

template <class H, int b> void z80cpu::ResHL() {
    const int a = Regs.HL & 0xFFFF;
    Host<H>().WriteMem(a, Host<H>().ReadMem(a) & ~(1 << b));
}

template <class H, int b, int x> void z80cpu::ResIdx() {
    const int a = IndexedAddress<H, x>();
    Host<H>().WriteMem(a, Host<H>().ReadMem(a) & ~(1 << b));
}

template <int b, int r> void z80cpu::SetR() { Set8<r>(Get8<r>() | (1 << b)); }

template <class H, int b> void z80cpu::SetHL() {
    const int a = Regs.HL & 0xFFFF;
    Host<H>().WriteMem(a, Host<H>().ReadMem(a) | (1 << b));
}

template <class H, int b, int x> void z80cpu::SetIdx() {
    const int a = IndexedAddress<H, x>();
    Host<H>().WriteMem(a, Host<H>().ReadMem(a) | (1 << b));
}

template <class H> void z80cpu::Rld() {
    const int hl = Regs.HL & 0xFFFF;
    const int m = Host<H>().ReadMem(hl);
    const int a = GetA();
    Host<H>().WriteMem(hl, ((m << 4) | (a & 0x0F)) & 0xFF);
    const int na = (a & 0xF0) | (m >> 4);
    SetAF(na, (GetF() & z80flag::C) | SZP[na]);
}

template <class H> void z80cpu::Rrd() {
    const int hl = Regs.HL & 0xFFFF;
    const int m = Host<H>().ReadMem(hl);
    const int a = GetA();
    Host<H>().WriteMem(hl, ((a << 4) | (m >> 4)) & 0xFF);
    const int na = (a & 0xF0) | (m & 0x0F);
    SetAF(na, (GetF() & z80flag::C) | SZP[na]);
}
