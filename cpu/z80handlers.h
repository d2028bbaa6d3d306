// The seven handler tables of the core, for a host class H. Handler rows
// are picked at compile time from the opcode's fields; the tables themselves
// are constant data.
#pragma once

#include <utility>

#include "cpu/z80cpu.h"
#include "cpu/z80ops_alu.h"
#include "cpu/z80ops_bits.h"
#include "cpu/z80ops_io.h"
#include "cpu/z80ops_jump.h"
#include "cpu/z80ops_load.h"

struct Z80Tables {
    using C = z80cpu;
    using H = z80cpu::Handler;
    static constexpr int rp[4] = {C::rBC, C::rDE, C::rHL, C::rSP};
    static constexpr int rp2[4] = {C::rBC, C::rDE, C::rHL, C::rAF};

    template <class Host, int op> static constexpr H Main() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
        if constexpr (x == 0) {
            if constexpr (z == 0) {
                if constexpr (y == 0)
                    return &C::Nop;
                else if constexpr (y == 1)
                    return &C::ExAF;
                else if constexpr (y == 2)
                    return &C::Djnz<Host>;
                else if constexpr (y == 3)
                    return &C::Jr<Host>;
                else
                    return &C::JrCC<Host, y - 4>;
            } else if constexpr (z == 1) {
                if constexpr (q == 0)
                    return &C::Ld16N<Host, rp[p]>;
                else
                    return &C::Add16<C::rHL, rp[p]>;
            } else if constexpr (z == 2) {
                if constexpr (y == 0)
                    return &C::LdRRFromA<Host, C::rBC>;
                else if constexpr (y == 1)
                    return &C::LdAFromRR<Host, C::rBC>;
                else if constexpr (y == 2)
                    return &C::LdRRFromA<Host, C::rDE>;
                else if constexpr (y == 3)
                    return &C::LdAFromRR<Host, C::rDE>;
                else if constexpr (y == 4)
                    return &C::LdNNFrom16<Host, C::rHL>;
                else if constexpr (y == 5)
                    return &C::Ld16FromNN<Host, C::rHL>;
                else if constexpr (y == 6)
                    return &C::LdNNFromA<Host>;
                else
                    return &C::LdAFromNN<Host>;
            } else if constexpr (z == 3) {
                if constexpr (q == 0)
                    return &C::Inc16<rp[p]>;
                else
                    return &C::Dec16<rp[p]>;
            } else if constexpr (z == 4) {
                if constexpr (y == 6)
                    return &C::IncHL<Host>;
                else
                    return &C::Inc8<y>;
            } else if constexpr (z == 5) {
                if constexpr (y == 6)
                    return &C::DecHL<Host>;
                else
                    return &C::Dec8<y>;
            } else if constexpr (z == 6) {
                if constexpr (y == 6)
                    return &C::LdHLN<Host>;
                else
                    return &C::Ld8N<Host, y>;
            } else {
                constexpr H ops[8] = {&C::Rlca, &C::Rrca, &C::Rla, &C::Rra,
                                      &C::Daa,  &C::Cpl,  &C::Scf, &C::Ccf};
                return ops[y];
            }
        } else if constexpr (x == 1) {
            if constexpr (op == 0x76)
                return &C::Halt;
            else if constexpr (y == 6)
                return &C::LdHLFrom8<Host, z>;
            else if constexpr (z == 6)
                return &C::Ld8FromHL<Host, y>;
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
                return &C::AluHL<Host, y>;
            else
                return &C::AluR<y, z>;
        } else {
            if constexpr (z == 0)
                return &C::RetCC<Host, y>;
            else if constexpr (z == 1) {
                if constexpr (q == 0)
                    return &C::Pop<Host, rp2[p]>;
                else {
                    constexpr H ops[4] = {&C::Ret<Host>, &C::Exx, &C::JpRR<C::rHL>, &C::LdSPFrom<C::rHL>};
                    return ops[p];
                }
            } else if constexpr (z == 2)
                return &C::JpCC<Host, y>;
            else if constexpr (z == 3) {
                constexpr H ops[8] = {&C::JpNN<Host>,
                                      &C::ExecCB<Host>,
                                      &C::OutNA<Host>,
                                      &C::InAN<Host>,
                                      &C::ExSPInd<Host, C::rHL>,
                                      &C::ExDEHL,
                                      &C::Di,
                                      &C::Ei<Host>};
                return ops[y];
            } else if constexpr (z == 4)
                return &C::CallCC<Host, y>;
            else if constexpr (z == 5) {
                if constexpr (q == 0)
                    return &C::Push<Host, rp2[p]>;
                else {
                    constexpr H ops[4] = {&C::CallNN<Host>, &C::ExecDD<Host>, &C::ExecED<Host>,
                                          &C::ExecFD<Host>};
                    return ops[p];
                }
            } else if constexpr (z == 6)
                return &C::AluN<Host, y>;
            else
                return &C::Rst<Host, y * 8>;
        }
    }

    template <class Host, int op> static constexpr H CB() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
        if constexpr (x == 0) {
            if constexpr (z == 6)
                return &C::ShiftHL<Host, y>;
            else
                return &C::ShiftR<y, z>;
        } else if constexpr (x == 1) {
            if constexpr (z == 6)
                return &C::BitHL<Host, y>;
            else
                return &C::BitR<y, z>;
        } else if constexpr (x == 2) {
            if constexpr (z == 6)
                return &C::ResHL<Host, y>;
            else
                return &C::ResR<y, z>;
        } else {
            if constexpr (z == 6)
                return &C::SetHL<Host, y>;
            else
                return &C::SetR<y, z>;
        }
    }

    template <class Host, int op> static constexpr H ED() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
        if constexpr (op == 0xFE)
            return &C::EdTrap<Host>;
        else if constexpr (x == 1) {
            if constexpr (z == 0)
                return &C::InC<Host, y>; // y = 6: IN 0,(C)
            else if constexpr (z == 1)
                return &C::OutC<Host, y>; // y = 6: OUT (C),0
            else if constexpr (z == 2) {
                if constexpr (q == 0)
                    return &C::Sbc16<rp[p]>;
                else
                    return &C::Adc16<rp[p]>;
            } else if constexpr (z == 3) {
                if constexpr (q == 0)
                    return &C::LdNNFrom16<Host, rp[p]>;
                else
                    return &C::Ld16FromNN<Host, rp[p]>;
            } else if constexpr (z == 4)
                return &C::Neg;
            else if constexpr (z == 5) {
                if constexpr (q == 0)
                    return &C::Retn<Host>;
                else
                    return &C::Reti<Host>;
            } else if constexpr (z == 6) {
                constexpr int modes[8] = {0, 0, 1, 2, 0, 0, 1, 2};
                return &C::Im<modes[y]>;
            } else {
                constexpr H ops[8] = {&C::LdIA,      &C::LdRA,      &C::LdAI, &C::LdAR,
                                      &C::Rrd<Host>, &C::Rld<Host>, &C::Nop,  &C::Nop};
                return ops[y];
            }
        } else if constexpr (x == 2 && z <= 3 && y >= 4) {
            constexpr H ops[16] = {
                &C::Ldx<Host, 1>,   &C::Cpx<Host, 1>,   &C::Inx<Host, 1>,   &C::Outx<Host, 1>,
                &C::Ldx<Host, -1>,  &C::Cpx<Host, -1>,  &C::Inx<Host, -1>,  &C::Outx<Host, -1>,
                &C::Ldxr<Host, 1>,  &C::Cpxr<Host, 1>,  &C::Inxr<Host, 1>,  &C::Otxr<Host, 1>,
                &C::Ldxr<Host, -1>, &C::Cpxr<Host, -1>, &C::Inxr<Host, -1>, &C::Otxr<Host, -1>};
            return ops[(y - 4) * 4 + z];
        } else {
            return &C::Nop;
        }
    }

    // DD (X = rIX) and FD (X = rIY) rows.
    template <class Host, int X, int op> static constexpr H Index() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
        constexpr int hi = X == C::rIX ? C::rIXh : C::rIYh;
        constexpr int lo = hi + 1;
        constexpr auto half = [](int r) { return r == C::rH ? hi : r == C::rL ? lo : r; };
        if constexpr (x == 0) {
            if constexpr (z == 1 && q == 1) {
                constexpr int src[4] = {C::rBC, C::rDE, X, C::rSP};
                return &C::Add16<X, src[p]>;
            } else if constexpr (op == 0x21)
                return &C::Ld16N<Host, X>;
            else if constexpr (op == 0x22)
                return &C::LdNNFrom16<Host, X>;
            else if constexpr (op == 0x2A)
                return &C::Ld16FromNN<Host, X>;
            else if constexpr (op == 0x23)
                return &C::Inc16<X>;
            else if constexpr (op == 0x2B)
                return &C::Dec16<X>;
            else if constexpr (op == 0x24 || op == 0x2C)
                return &C::Inc8<half(y)>;
            else if constexpr (op == 0x25 || op == 0x2D)
                return &C::Dec8<half(y)>;
            else if constexpr (op == 0x26 || op == 0x2E)
                return &C::Ld8N<Host, half(y)>;
            else if constexpr (op == 0x34)
                return &C::IncIdx<Host, X>;
            else if constexpr (op == 0x35)
                return &C::DecIdx<Host, X>;
            else if constexpr (op == 0x36)
                return &C::LdIdxN<Host, X>;
            else
                return &C::IgnorePrefix;
        } else if constexpr (x == 1) {
            if constexpr (op == 0x76)
                return &C::IgnorePrefix;
            else if constexpr (z == 6)
                return &C::Ld8FromIdx<Host, X, y>;
            else if constexpr (y == 6)
                return &C::LdIdxFrom8<Host, X, z>;
            else if constexpr (y == 4 || y == 5 || z == 4 || z == 5)
                return &C::Ld8<half(y), half(z)>;
            else
                return &C::IgnorePrefix;
        } else if constexpr (x == 2) {
            if constexpr (z == 6)
                return &C::AluIdx<Host, y, X>;
            else if constexpr (z == 4 || z == 5)
                return &C::AluR<y, half(z)>;
            else
                return &C::IgnorePrefix;
        } else {
            if constexpr (op == 0xCB) {
                if constexpr (X == C::rIX)
                    return &C::ExecDDCB<Host>;
                else
                    return &C::ExecFDCB<Host>;
            } else if constexpr (op == 0xE1)
                return &C::Pop<Host, X>;
            else if constexpr (op == 0xE5)
                return &C::Push<Host, X>;
            else if constexpr (op == 0xE3)
                return &C::ExSPInd<Host, X>;
            else if constexpr (op == 0xE9)
                return &C::JpRR<X>;
            else if constexpr (op == 0xF9)
                return &C::LdSPFrom<X>;
            else
                return &C::IgnorePrefix;
        }
    }

    // DD CB d op and FD CB d op rows.
    template <class Host, int X, int op> static constexpr H IndexCB() {
        constexpr int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
        if constexpr (x == 1)
            return &C::BitIdx<Host, y, X>;
        else if constexpr (z != 6)
            return &C::SkipIndexCB;
        else if constexpr (x == 0)
            return &C::ShiftIdx<Host, y, X>;
        else if constexpr (x == 2)
            return &C::ResIdx<Host, y, X>;
        else
            return &C::SetIdx<Host, y, X>;
    }

    template <class Host, std::size_t... I>
    static constexpr C::HandlerTable MainTable(std::index_sequence<I...>) {
        return {&C::RunHandler<Main<Host, I>()>...};
    }
    template <class Host, std::size_t... I>
    static constexpr C::HandlerTable CBTable(std::index_sequence<I...>) {
        return {&C::RunHandler<CB<Host, I>()>...};
    }
    template <class Host, std::size_t... I>
    static constexpr C::HandlerTable EDTable(std::index_sequence<I...>) {
        return {&C::RunHandler<ED<Host, I>()>...};
    }
    template <class Host, int X, std::size_t... I>
    static constexpr C::HandlerTable IndexTable(std::index_sequence<I...>) {
        return {&C::RunHandler<Index<Host, X, I>()>...};
    }
    template <class Host, int X, std::size_t... I>
    static constexpr C::HandlerTable IndexCBTable(std::index_sequence<I...>) {
        return {&C::RunHandler<IndexCB<Host, X, I>()>...};
    }
    static constexpr auto Rows = std::make_index_sequence<256>{};

    // The handler tables of the host class H: z80cpu for the virtual loop.
    template <class H> static constexpr C::HandlerTable OpsMain = MainTable<H>(Rows);
    template <class H> static constexpr C::HandlerTable OpsCB = CBTable<H>(Rows);
    template <class H> static constexpr C::HandlerTable OpsED = EDTable<H>(Rows);
    template <class H> static constexpr C::HandlerTable OpsDD = IndexTable<H, C::rIX>(Rows);
    template <class H> static constexpr C::HandlerTable OpsFD = IndexTable<H, C::rIY>(Rows);
    template <class H> static constexpr C::HandlerTable OpsDDCB = IndexCBTable<H, C::rIX>(Rows);
    template <class H> static constexpr C::HandlerTable OpsFDCB = IndexCBTable<H, C::rIY>(Rows);
};
