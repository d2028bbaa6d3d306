// Construction, reset, register access, the execution loop, the prefix
// dispatchers and interrupt entry.
#include <cstdlib>

#include "cpu/z80cpu.h"
#include "cpu/z80flags.h"

z80cpu::z80cpu() : RunFlag(0), SliceTStates(50000), TStates(50000) { InitTables(); }

z80cpu::~z80cpu() = default;

void z80cpu::Reset() {
    Regs = z80regs{};
    Regs.SP = 0xF000;
    Regs.R = std::rand() & 0x7FFF; // 0 to 32767 whatever the library's RAND_MAX
    PendingVector = -1;
    TStates = SliceTStates;
}

void z80cpu::GetRegisters(z80regs* regs) { *regs = Regs; }

void z80cpu::SetRegisters(const z80regs* regs) { Regs = *regs; }

int z80cpu::GetPC() { return Regs.PC; }

__attribute__((hot)) int z80cpu::Execute() {
    RunFlag = 1;
    int zeroCostRun = 0;
    do {
        CountR();
        const int32_t before = TStates;
        const int op = FetchMem(Regs.PC & 0xFFFF);
        Regs.PC = (Regs.PC + 1) & 0xFFFF;
        TStates -= CyclesMain[op];
        Run(OpsMain, op);
        const int32_t cost = before - TStates;
        if (CheckInterrupt(cost)) [[unlikely]]
            Interrupt(GetInterruptVector());
        if (cost != 0) [[likely]]
            zeroCostRun = 0;
        else if (++zeroCostRun >= MaxZeroCostRun)
            break;
    } while (TStates > 0);
    TStates += SliceTStates;
    return RunFlag;
}

// A prefix counts R, fetches the next opcode and runs it from its table.
void z80cpu::Dispatch(const HandlerTable& ops, const CycleTable& cycles) {
    CountR();
    const int op = FetchByte();
    TStates -= cycles[op];
    Run(ops, op);
}

void z80cpu::ExecCB() { Dispatch(OpsCB, CyclesCB); }

void z80cpu::ExecED() { Dispatch(OpsED, CyclesED); }

void z80cpu::ExecDD() { Dispatch(OpsDD, CyclesIndex); }

void z80cpu::ExecFD() { Dispatch(OpsFD, CyclesIndex); }

// DD CB d op: the opcode is the fourth byte, read ahead without counting R;
// the handler fetches d, then PC moves past the opcode.
void z80cpu::DispatchIndexCB(const HandlerTable& ops) {
    const int op = FetchMem((Regs.PC + 1) & 0xFFFF);
    TStates -= CyclesIndexCB[op];
    Run(ops, op);
    Regs.PC = (Regs.PC + 1) & 0xFFFF;
}

void z80cpu::ExecDDCB() { DispatchIndexCB(OpsDDCB); }

void z80cpu::ExecFDCB() { DispatchIndexCB(OpsFDCB); }

// The byte after a DD/FD without an index form runs next as an unprefixed opcode.
void z80cpu::IgnorePrefix() { Regs.PC = (Regs.PC - 1) & 0xFFFF; }

void z80cpu::EdTrap() { HostTrap(&Regs); }

void z80cpu::SkipIndexCB() { Regs.PC = (Regs.PC + 1) & 0xFFFF; }

void z80cpu::Nop() {}

// vector: -1 none, -2 NMI, otherwise maskable (meaning depends on IM).
void z80cpu::Interrupt(int vector) {
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
        PushWord(Regs.PC);
        Regs.PC = 0x0066;
    } else if (Regs.IM == 2) {
        PushWord(Regs.PC);
        Regs.PC = ReadWord(((Regs.I & 0xFF) << 8) | (vector & 0xFF));
    } else if (Regs.IM == 1) {
        TStates -= CyclesMain[0xFF];
        Run(OpsMain, 0xFF);
    } else {
        const int op = (vector >> 16) & 0xFF;
        if (op == 0xC3) {
            Regs.PC = vector & 0xFFFF;
        } else if (op == 0xCD) {
            PushWord(Regs.PC);
            Regs.PC = vector & 0xFFFF;
        } else {
            const int opcode = vector & 0xFF;
            TStates -= CyclesMain[opcode];
            Run(OpsMain, opcode);
        }
    }
}

// EI that enables interrupts runs the next instruction at once, so no
// interrupt can be accepted between the two.
void z80cpu::Ei() {
    if (Regs.IFF1) {
        Regs.IFF2 = 1;
        return;
    }
    Regs.IFF1 = 1;
    Regs.IFF2 = 1;
    CountR();
    const int op = FetchByte();
    TStates -= CyclesMain[op];
    Run(OpsMain, op);
    Interrupt(PendingVector);
}

void z80cpu::Di() {
    Regs.IFF1 = 0;
    Regs.IFF2 = 0;
}

// The HALT opcode is fetched again in every later pass until an interrupt.
void z80cpu::Halt() {
    Regs.PC = (Regs.PC - 1) & 0xFFFF;
    Regs.halted = 1;
    if (TStates > 0) TStates = 0;
}

void z80cpu::InitTables() {
    for (int v = 0; v < 256; ++v) {
        int sz = (v & z80flag::S) | (v == 0 ? z80flag::Z : 0);
        int bits = 0;
        for (int b = 0; b < 8; ++b)
            bits += (v >> b) & 1;
        SZ[v] = static_cast<uint8_t>(sz);
        SZP[v] = static_cast<uint8_t>(sz | ((bits & 1) == 0 ? z80flag::PV : 0));
    }
}
