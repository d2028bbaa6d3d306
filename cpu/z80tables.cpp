// The seven handler tables and five T-state tables of the core.
// Handler rows are picked at compile time from the opcode's fields; the
// tables themselves are constant data.
#include <utility>

#include "cpu/z80cpu.h"
#include "cpu/z80ops_alu.h"
#include "cpu/z80ops_bits.h"
#include "cpu/z80ops_io.h"
#include "cpu/z80ops_jump.h"
#include "cpu/z80ops_load.h"

struct Z80TableBuilder {
    using C = z80cpu;
    using H = z80cpu::Handler;
    static constexpr int rp[4] = {C::rBC, C::rDE, C::rHL, C::rSP};
    static constexpr int rp2[4] = {C::rBC, C::rDE, C::rHL, C::rAF};

    template <int op> static constexpr H Main() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
        if constexpr (x == 0) {
            if constexpr (z == 0) {
                if constexpr (y == 0)
                    return &C::Nop;
                else if constexpr (y == 1)
                    return &C::ExAF;
                else if constexpr (y == 2)
                    return &C::Djnz;
                else if constexpr (y == 3)
                    return &C::Jr;
                else
                    return &C::JrCC<y - 4>;
            } else if constexpr (z == 1) {
                if constexpr (q == 0)
                    return &C::Ld16N<rp[p]>;
                else
                    return &C::Add16<C::rHL, rp[p]>;
            } else if constexpr (z == 2) {
                if constexpr (y == 0)
                    return &C::LdRRFromA<C::rBC>;
                else if constexpr (y == 1)
                    return &C::LdAFromRR<C::rBC>;
                else if constexpr (y == 2)
                    return &C::LdRRFromA<C::rDE>;
                else if constexpr (y == 3)
                    return &C::LdAFromRR<C::rDE>;
                else if constexpr (y == 4)
                    return &C::LdNNFrom16<C::rHL>;
                else if constexpr (y == 5)
                    return &C::Ld16FromNN<C::rHL>;
                else if constexpr (y == 6)
                    return &C::LdNNFromA;
                else
                    return &C::LdAFromNN;
            } else if constexpr (z == 3) {
                if constexpr (q == 0)
                    return &C::Inc16<rp[p]>;
                else
                    return &C::Dec16<rp[p]>;
            } else if constexpr (z == 4) {
                if constexpr (y == 6)
                    return &C::IncHL;
                else
                    return &C::Inc8<y>;
            } else if constexpr (z == 5) {
                if constexpr (y == 6)
                    return &C::DecHL;
                else
                    return &C::Dec8<y>;
            } else if constexpr (z == 6) {
                if constexpr (y == 6)
                    return &C::LdHLN;
                else
                    return &C::Ld8N<y>;
            } else {
                constexpr H ops[8] = {&C::Rlca, &C::Rrca, &C::Rla, &C::Rra,
                                      &C::Daa,  &C::Cpl,  &C::Scf, &C::Ccf};
                return ops[y];
            }
        } else if constexpr (x == 1) {
            if constexpr (op == 0x76)
                return &C::Halt;
            else if constexpr (y == 6)
                return &C::LdHLFrom8<z>;
            else if constexpr (z == 6)
                return &C::Ld8FromHL<y>;
            else if constexpr (y == z)
                return &C::Nop;
            else
                return &C::Ld8<y, z>;
        } else if constexpr (x == 2) {
            if constexpr (op == 0x97)
                return &C::SubA;
            else if constexpr (op == 0xAF)
                return &C::XorA;
            else if constexpr (z == 6)
                return &C::AluHL<y>;
            else
                return &C::AluR<y, z>;
        } else {
            if constexpr (z == 0)
                return &C::RetCC<y>;
            else if constexpr (z == 1) {
                if constexpr (q == 0)
                    return &C::Pop<rp2[p]>;
                else {
                    constexpr H ops[4] = {&C::Ret, &C::Exx, &C::JpRR<C::rHL>, &C::LdSPFrom<C::rHL>};
                    return ops[p];
                }
            } else if constexpr (z == 2)
                return &C::JpCC<y>;
            else if constexpr (z == 3) {
                constexpr H ops[8] = {&C::JpNN,   &C::ExecCB, &C::OutNA, &C::InAN, &C::ExSPInd<C::rHL>,
                                      &C::ExDEHL, &C::Di,     &C::Ei};
                return ops[y];
            } else if constexpr (z == 4)
                return &C::CallCC<y>;
            else if constexpr (z == 5) {
                if constexpr (q == 0)
                    return &C::Push<rp2[p]>;
                else {
                    constexpr H ops[4] = {&C::CallNN, &C::ExecDD, &C::ExecED, &C::ExecFD};
                    return ops[p];
                }
            } else if constexpr (z == 6)
                return &C::AluN<y>;
            else
                return &C::Rst<y * 8>;
        }
    }

    template <int op> static constexpr H CB() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
        if constexpr (x == 0) {
            if constexpr (z == 6)
                return &C::ShiftHL<y>;
            else
                return &C::ShiftR<y, z>;
        } else if constexpr (x == 1) {
            if constexpr (z == 6)
                return &C::BitHL<y>;
            else
                return &C::BitR<y, z>;
        } else if constexpr (x == 2) {
            if constexpr (z == 6)
                return &C::ResHL<y>;
            else
                return &C::ResR<y, z>;
        } else {
            if constexpr (z == 6)
                return &C::SetHL<y>;
            else
                return &C::SetR<y, z>;
        }
    }

    template <int op> static constexpr H ED() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
        if constexpr (op == 0xFE)
            return &C::EdTrap;
        else if constexpr (x == 1) {
            if constexpr (z == 0)
                return &C::InC<y>; // y = 6: IN 0,(C)
            else if constexpr (z == 1)
                return &C::OutC<y>; // y = 6: OUT (C),0
            else if constexpr (z == 2) {
                if constexpr (q == 0)
                    return &C::Sbc16<rp[p]>;
                else
                    return &C::Adc16<rp[p]>;
            } else if constexpr (z == 3) {
                if constexpr (q == 0)
                    return &C::LdNNFrom16<rp[p]>;
                else
                    return &C::Ld16FromNN<rp[p]>;
            } else if constexpr (z == 4)
                return &C::Neg;
            else if constexpr (z == 5) {
                if constexpr (q == 0)
                    return &C::Retn;
                else
                    return &C::Reti;
            } else if constexpr (z == 6) {
                constexpr int modes[8] = {0, 0, 1, 2, 0, 0, 1, 2};
                return &C::Im<modes[y]>;
            } else {
                constexpr H ops[8] = {&C::LdIA, &C::LdRA, &C::LdAI, &C::LdAR,
                                      &C::Rrd,  &C::Rld,  &C::Nop,  &C::Nop};
                return ops[y];
            }
        } else if constexpr (x == 2 && z <= 3 && y >= 4) {
            constexpr H ops[16] = {&C::Ldx<1>,   &C::Cpx<1>,   &C::Inx<1>,   &C::Outx<1>,
                                   &C::Ldx<-1>,  &C::Cpx<-1>,  &C::Inx<-1>,  &C::Outx<-1>,
                                   &C::Ldxr<1>,  &C::Cpxr<1>,  &C::Inxr<1>,  &C::Otxr<1>,
                                   &C::Ldxr<-1>, &C::Cpxr<-1>, &C::Inxr<-1>, &C::Otxr<-1>};
            return ops[(y - 4) * 4 + z];
        } else {
            return &C::Nop;
        }
    }

    // DD (X = rIX) and FD (X = rIY) rows.
    template <int X, int op> static constexpr H Index() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
        constexpr int hi = X == C::rIX ? C::rIXh : C::rIYh;
        constexpr int lo = hi + 1;
        constexpr auto half = [](int r) { return r == C::rH ? hi : r == C::rL ? lo : r; };
        if constexpr (x == 0) {
            if constexpr (z == 1 && q == 1) {
                constexpr int src[4] = {C::rBC, C::rDE, X, C::rSP};
                return &C::Add16<X, src[p]>;
            } else if constexpr (op == 0x21)
                return &C::Ld16N<X>;
            else if constexpr (op == 0x22)
                return &C::LdNNFrom16<X>;
            else if constexpr (op == 0x2A)
                return &C::Ld16FromNN<X>;
            else if constexpr (op == 0x23)
                return &C::Inc16<X>;
            else if constexpr (op == 0x2B)
                return &C::Dec16<X>;
            else if constexpr (op == 0x24 || op == 0x2C)
                return &C::Inc8<half(y)>;
            else if constexpr (op == 0x25 || op == 0x2D)
                return &C::Dec8<half(y)>;
            else if constexpr (op == 0x26 || op == 0x2E)
                return &C::Ld8N<half(y)>;
            else if constexpr (op == 0x34)
                return &C::IncIdx<X>;
            else if constexpr (op == 0x35)
                return &C::DecIdx<X>;
            else if constexpr (op == 0x36)
                return &C::LdIdxN<X>;
            else
                return &C::IgnorePrefix;
        } else if constexpr (x == 1) {
            if constexpr (op == 0x76)
                return &C::IgnorePrefix;
            else if constexpr (z == 6)
                return &C::Ld8FromIdx<X, y>;
            else if constexpr (y == 6)
                return &C::LdIdxFrom8<X, z>;
            else if constexpr (y == 4 || y == 5 || z == 4 || z == 5)
                return &C::Ld8<half(y), half(z)>;
            else
                return &C::IgnorePrefix;
        } else if constexpr (x == 2) {
            if constexpr (z == 6)
                return &C::AluIdx<y, X>;
            else if constexpr (z == 4 || z == 5)
                return &C::AluR<y, half(z)>;
            else
                return &C::IgnorePrefix;
        } else {
            if constexpr (op == 0xCB) {
                if constexpr (X == C::rIX)
                    return &C::ExecDDCB;
                else
                    return &C::ExecFDCB;
            } else if constexpr (op == 0xE1)
                return &C::Pop<X>;
            else if constexpr (op == 0xE5)
                return &C::Push<X>;
            else if constexpr (op == 0xE3)
                return &C::ExSPInd<X>;
            else if constexpr (op == 0xE9)
                return &C::JpRR<X>;
            else if constexpr (op == 0xF9)
                return &C::LdSPFrom<X>;
            else
                return &C::IgnorePrefix;
        }
    }

    // DD CB d op and FD CB d op rows.
    template <int X, int op> static constexpr H IndexCB() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
        if constexpr (x == 1)
            return &C::BitIdx<y, X>;
        else if constexpr (z != 6)
            return &C::SkipIndexCB;
        else if constexpr (x == 0)
            return &C::ShiftIdx<y, X>;
        else if constexpr (x == 2)
            return &C::ResIdx<y, X>;
        else
            return &C::SetIdx<y, X>;
    }

    template <std::size_t... I> static constexpr C::HandlerTable MainTable(std::index_sequence<I...>) {
        return {&C::RunHandler<Main<I>()>...};
    }
    template <std::size_t... I> static constexpr C::HandlerTable CBTable(std::index_sequence<I...>) {
        return {&C::RunHandler<CB<I>()>...};
    }
    template <std::size_t... I> static constexpr C::HandlerTable EDTable(std::index_sequence<I...>) {
        return {&C::RunHandler<ED<I>()>...};
    }
    template <int X, std::size_t... I>
    static constexpr C::HandlerTable IndexTable(std::index_sequence<I...>) {
        return {&C::RunHandler<Index<X, I>()>...};
    }
    template <int X, std::size_t... I>
    static constexpr C::HandlerTable IndexCBTable(std::index_sequence<I...>) {
        return {&C::RunHandler<IndexCB<X, I>()>...};
    }
};

// The block handlers are named only inside a constant array above, which
// does not make the compiler emit them; instantiate them here.
template void z80cpu::Ldx<1>();
template void z80cpu::Ldx<-1>();
template void z80cpu::Ldxr<1>();
template void z80cpu::Ldxr<-1>();
template void z80cpu::Cpx<1>();
template void z80cpu::Cpx<-1>();
template void z80cpu::Cpxr<1>();
template void z80cpu::Cpxr<-1>();
template void z80cpu::Inx<1>();
template void z80cpu::Inx<-1>();
template void z80cpu::Inxr<1>();
template void z80cpu::Inxr<-1>();
template void z80cpu::Outx<1>();
template void z80cpu::Outx<-1>();
template void z80cpu::Otxr<1>();
template void z80cpu::Otxr<-1>();

using B = Z80TableBuilder;
constexpr auto kRows = std::make_index_sequence<256>{};

constinit const z80cpu::HandlerTable z80cpu::OpsMain = B::MainTable(kRows);
constinit const z80cpu::HandlerTable z80cpu::OpsCB = B::CBTable(kRows);
constinit const z80cpu::HandlerTable z80cpu::OpsED = B::EDTable(kRows);
constinit const z80cpu::HandlerTable z80cpu::OpsDD = B::IndexTable<z80cpu::rIX>(kRows);
constinit const z80cpu::HandlerTable z80cpu::OpsFD = B::IndexTable<z80cpu::rIY>(kRows);
constinit const z80cpu::HandlerTable z80cpu::OpsDDCB = B::IndexCBTable<z80cpu::rIX>(kRows);
constinit const z80cpu::HandlerTable z80cpu::OpsFDCB = B::IndexCBTable<z80cpu::rIY>(kRows);

// T-states per instruction, prefix bytes included. Conditional forms hold
// the not-taken count; handlers add the rest when the transfer happens
// (JR/DJNZ +5, CALL +7, RET +6, repeating block passes +5). Rows that cost 0:
// prefixes, undefined ED rows, DD/FD rows without an index form and
// undefined DD CB rows.
// clang-format off
constinit const z80cpu::CycleTable z80cpu::CyclesMain = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     4, 10,  7,  6,  4,  4,  7,  4,  4, 11,  7,  6,  4,  4,  7,  4,  // 0x
     8, 10,  7,  6,  4,  4,  7,  4,  7, 11,  7,  6,  4,  4,  7,  4,  // 1x
     7, 10, 16,  6,  4,  4,  7,  4,  7, 11, 16,  6,  4,  4,  7,  4,  // 2x
     7, 10, 13,  6, 11, 11, 10,  4,  7, 11, 13,  6,  4,  4,  7,  4,  // 3x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 4x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 5x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 6x
     7,  7,  7,  7,  7,  7,  4,  7,  4,  4,  4,  4,  4,  4,  7,  4,  // 7x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 8x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 9x
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // Ax
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // Bx
     5, 10, 10, 10, 10, 11,  7, 11,  5,  4, 10,  0, 10, 10,  7, 11,  // Cx
     5, 10, 10, 11, 10, 11,  7, 11,  5,  4, 10, 11, 10,  0,  7, 11,  // Dx
     5, 10, 10, 19, 10, 11,  7, 11,  5,  4, 10,  4, 10,  0,  7, 11,  // Ex
     5, 10, 10,  4, 10, 11,  7, 11,  5,  6, 10,  4, 10,  0,  7, 11,  // Fx
};

constinit const z80cpu::CycleTable z80cpu::CyclesCB = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // 0x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // 1x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // 2x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // 3x
     8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8,  // 4x
     8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8,  // 5x
     8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8,  // 6x
     8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8,  // 7x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // 8x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // 9x
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // Ax
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // Bx
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // Cx
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // Dx
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // Ex
     8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,  // Fx
};

constinit const z80cpu::CycleTable z80cpu::CyclesED = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 0x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 1x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 2x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 3x
    12, 12, 15, 20,  8,  8,  8,  9, 12, 12, 15, 20,  8,  8,  8,  9,  // 4x
    12, 12, 15, 20,  8,  8,  8,  9, 12, 12, 15, 20,  8,  8,  8,  9,  // 5x
    12, 12, 15, 20,  8,  8,  8, 18, 12, 12, 15, 20,  8,  8,  8, 18,  // 6x
    12, 12, 15, 20,  8,  8,  8,  0, 12, 12, 15, 20,  8,  8,  8,  0,  // 7x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 8x
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 9x
    16, 16, 16, 16,  0,  0,  0,  0, 16, 16, 16, 16,  0,  0,  0,  0,  // Ax
    16, 16, 16, 16,  0,  0,  0,  0, 16, 16, 16, 16,  0,  0,  0,  0,  // Bx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // Cx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // Dx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // Ex
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // Fx
};

constinit const z80cpu::CycleTable z80cpu::CyclesIndex = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     0,  0,  0,  0,  0,  0,  0,  0,  0, 15,  0,  0,  0,  0,  0,  0,  // 0x
     0,  0,  0,  0,  0,  0,  0,  0,  0, 15,  0,  0,  0,  0,  0,  0,  // 1x
     0, 14, 20, 10,  9,  9,  9,  0,  0, 15, 20, 10,  9,  9,  9,  0,  // 2x
     0,  0,  0,  0, 23, 23, 19,  0,  0, 15,  0,  0,  0,  0,  0,  0,  // 3x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,  // 4x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,  // 5x
     9,  9,  9,  9,  9,  9, 19,  9,  9,  9,  9,  9,  9,  9, 19,  9,  // 6x
    19, 19, 19, 19, 19, 19,  0, 19,  0,  0,  0,  0,  9,  9, 19,  0,  // 7x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,  // 8x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,  // 9x
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,  // Ax
     0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,  // Bx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // Cx
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // Dx
     0, 14,  0, 23,  0, 15,  0,  0,  0,  8,  0,  0,  0,  0,  0,  0,  // Ex
     0,  0,  0,  0,  0,  0,  0,  0,  0, 10,  0,  0,  0,  0,  0,  0,  // Fx
};

constinit const z80cpu::CycleTable z80cpu::CyclesIndexCB = {
//  x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // 0x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // 1x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // 2x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // 3x
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,  // 4x
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,  // 5x
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,  // 6x
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,  // 7x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // 8x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // 9x
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // Ax
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // Bx
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // Cx
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // Dx
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // Ex
     0,  0,  0,  0,  0,  0, 23,  0,  0,  0,  0,  0,  0,  0, 23,  0,  // Fx
};
// clang-format on
