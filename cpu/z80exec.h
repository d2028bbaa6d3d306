// The execution loop, the prefix dispatchers and interrupt entry, compiled
// for a host class H: z80cpu itself (cpu/z80core.cpp), whose operations are
// virtual calls, or a final host class, whose operations the compiler calls
// directly. A final host includes this header in the one source file that
// defines its operations and instantiates the loop there:
//     template int z80cpu::Slice<Host>();
// and selects it from its constructor with UseHostLoop<Host>().
#pragma once

#include "cpu/z80cpu.h"
#include "cpu/z80cycles.h"
#include "cpu/z80handlers.h"

// The 256 rows of a table as arguments of X: X(0x00) X(0x01) ... X(0xFF).
// clang-format off
#define Z80_ROWS16(X, h) \
    X(h##0) X(h##1) X(h##2) X(h##3) X(h##4) X(h##5) X(h##6) X(h##7) \
    X(h##8) X(h##9) X(h##A) X(h##B) X(h##C) X(h##D) X(h##E) X(h##F)
#define Z80_ROWS(X) \
    Z80_ROWS16(X, 0x0) Z80_ROWS16(X, 0x1) Z80_ROWS16(X, 0x2) Z80_ROWS16(X, 0x3) \
    Z80_ROWS16(X, 0x4) Z80_ROWS16(X, 0x5) Z80_ROWS16(X, 0x6) Z80_ROWS16(X, 0x7) \
    Z80_ROWS16(X, 0x8) Z80_ROWS16(X, 0x9) Z80_ROWS16(X, 0xA) Z80_ROWS16(X, 0xB) \
    Z80_ROWS16(X, 0xC) Z80_ROWS16(X, 0xD) Z80_ROWS16(X, 0xE) Z80_ROWS16(X, 0xF)
// clang-format on

// Every row of OpsMain has a label of its own in the loop: it charges the
// row's CyclesMain entry, runs the row's handler (a constant of the table,
// so the compiler inlines it), then hands the cost to the host's hook and
// fetches and dispatches the next opcode itself, so that each row's jump to
// the next is predicted on its own.
template <class H> [[gnu::hot, gnu::flatten]] int z80cpu::Slice() {
    H& host = Host<H>();
#define Z80_ROW_ADDRESS(n) &&Row##n,
    static const void* const rows[256] = {Z80_ROWS(Z80_ROW_ADDRESS)};
    RunFlag = 1;
    int zeroCostRun = 0; // consecutive instructions that cost nothing
    int32_t before;
    int op;
#define Z80_FETCH                                                                                            \
    CountR();                                                                                                \
    before = TStates;                                                                                        \
    op = host.FetchMem(Regs.PC & 0xFFFF);                                                                    \
    Regs.PC = (Regs.PC + 1) & 0xFFFF;                                                                        \
    goto* rows[op];
#define Z80_ROW(n)                                                                                           \
    Row##n : {                                                                                               \
        TStates -= CyclesMain[n];                                                                            \
        constexpr Row row = Z80Tables::OpsMain<H>[n];                                                        \
        row(*this);                                                                                          \
        const int32_t cost = before - TStates;                                                               \
        if (host.CheckInterrupt(cost)) [[unlikely]]                                                          \
            Interrupt<H>(host.GetInterruptVector());                                                         \
        if (cost != 0) [[likely]]                                                                            \
            zeroCostRun = 0;                                                                                 \
        else if (++zeroCostRun >= MaxZeroCostRun)                                                            \
            goto done;                                                                                       \
        if (TStates <= 0) [[unlikely]]                                                                       \
            goto done;                                                                                       \
        Z80_FETCH                                                                                            \
    }

    Z80_FETCH
    Z80_ROWS(Z80_ROW)
done:
    TStates += SliceTStates;
    return RunFlag;
#undef Z80_ROW
#undef Z80_FETCH
#undef Z80_ROW_ADDRESS
}

// A prefix counts R, fetches the next opcode and runs it from its table.
template <class H> void z80cpu::Dispatch(const HandlerTable& ops, const CycleTable& cycles) {
    CountR();
    const int op = FetchByte<H>();
    TStates -= cycles[op];
    Run(ops, op);
}

template <class H> void z80cpu::ExecCB() { Dispatch<H>(Z80Tables::OpsCB<H>, CyclesCB); }

template <class H> void z80cpu::ExecED() { Dispatch<H>(Z80Tables::OpsED<H>, CyclesED); }

template <class H> void z80cpu::ExecDD() { Dispatch<H>(Z80Tables::OpsDD<H>, CyclesIndex); }

template <class H> void z80cpu::ExecFD() { Dispatch<H>(Z80Tables::OpsFD<H>, CyclesIndex); }

// DD CB d op: the opcode is the fourth byte, read ahead without counting R;
// the handler fetches d, then PC moves past the opcode.
template <class H> void z80cpu::DispatchIndexCB(const HandlerTable& ops) {
    const int op = Host<H>().FetchMem((Regs.PC + 1) & 0xFFFF);
    TStates -= CyclesIndexCB[op];
    Run(ops, op);
    Regs.PC = (Regs.PC + 1) & 0xFFFF;
}

template <class H> void z80cpu::ExecDDCB() { DispatchIndexCB<H>(Z80Tables::OpsDDCB<H>); }

template <class H> void z80cpu::ExecFDCB() { DispatchIndexCB<H>(Z80Tables::OpsFDCB<H>); }

template <class H> void z80cpu::EdTrap() { Host<H>().HostTrap(&Regs); }

// vector: -1 none, -2 NMI, otherwise maskable (meaning depends on IM).
template <class H> void z80cpu::Interrupt(int vector) {
    if (vector == -1) return;
    const bool nmi = vector == -2;
    if (!nmi && !Regs.IFF1) return;
    Regs.IFF1 = 0;
    // An NMI keeps IFF2 so RETN can restore the previous state; a maskable
    // interrupt clears both flip-flops.
    if (!nmi) Regs.IFF2 = 0;
    if (Regs.halted) {
        Regs.PC = (Regs.PC + 1) & 0xFFFF;
        Regs.halted = 0;
    }
    if (nmi) {
        PushWord<H>(Regs.PC);
        Regs.PC = 0x0066;
    } else if (Regs.IM == 2) {
        PushWord<H>(Regs.PC);
        Regs.PC = ReadWord<H>(((Regs.I & 0xFF) << 8) | (vector & 0xFF));
    } else if (Regs.IM == 1) {
        TStates -= CyclesMain[0xFF];
        Run(Z80Tables::OpsMain<H>, 0xFF);
    } else {
        const int op = (vector >> 16) & 0xFF;
        if (op == 0xC3) {
            Regs.PC = vector & 0xFFFF;
        } else if (op == 0xCD) {
            PushWord<H>(Regs.PC);
            Regs.PC = vector & 0xFFFF;
        } else {
            const int opcode = vector & 0xFF;
            TStates -= CyclesMain[opcode];
            Run(Z80Tables::OpsMain<H>, opcode);
        }
    }
}

// EI that enables interrupts runs the next instruction at once, so no
// interrupt can be accepted between the two.
template <class H> void z80cpu::Ei() {
    if (Regs.IFF1) {
        Regs.IFF2 = 1;
        return;
    }
    Regs.IFF1 = 1;
    Regs.IFF2 = 1;
    CountR();
    const int op = FetchByte<H>();
    TStates -= CyclesMain[op];
    Run(Z80Tables::OpsMain<H>, op);
    Interrupt<H>(PendingVector);
}
