// The Z80 processor core: registers, execution loop, table-driven dispatch.
// A host derives from z80cpu and supplies memory, ports and interrupts through
// the eleven pure virtual operations.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

struct z80regs {
    int32_t AF, BC, DE, HL, IX, IY, PC, SP, AltAF, AltBC, AltDE, AltHL, IFF1, IFF2, halted, IM, I, R, R7;
};

struct Z80Tables;

class z80cpu {
  public:
    z80cpu();
    virtual ~z80cpu();

    void Reset();
    // Runs a slice: the loop compiled for z80cpu, which calls the host's
    // operations through the virtual table, or the one a final host chose.
    int Execute() { return Loop(*this); }
    void GetRegisters(z80regs* regs);
    void SetRegisters(const z80regs* regs);
    int GetPC();
    // One instruction at code to text (at most 19 characters); returns its length, 1 to 4.
    static int Disassemble(const unsigned char* code, char* text, int address);

    // Host operations, in this slot order.
    virtual int ReadPort(int port) = 0;
    virtual void WritePort(int port, int value) = 0;
    virtual int ReadMem(int address) = 0;
    virtual void WriteMem(int address, int value) = 0;
    virtual int FetchMem(int address) = 0;
    virtual void PushMem(int address, int value) = 0;
    virtual void HostTrap(z80regs* regs) = 0;
    virtual void OnReti() = 0;
    virtual void OnRetn() = 0;
    virtual bool CheckInterrupt(int tstates) = 0;
    virtual int GetInterruptVector() = 0;

  protected:
    z80regs Regs{};

  public:
    int32_t RunFlag, SliceTStates, TStates;

    // Execute ends a call after this many consecutive instructions that cost
    // no T-states (prefix chains, undefined ED opcodes), so it always returns.
    static constexpr int MaxZeroCostRun = 4096;

  protected:
    int32_t PendingVector = -1;
    uint8_t SZ[256];  // S and Z of a byte
    uint8_t SZP[256]; // S, Z and even parity of a byte

    // A host whose class is final may have Execute run the loop compiled for
    // its class, selected once (from its constructor): the loop and the
    // handlers then call the host's operations directly, so the compiler can
    // inline them. The calls, their order and their arguments are those of
    // the virtual loop. The host's source file that defines its operations
    // includes cpu/z80exec.h and instantiates z80cpu::Slice<Host>.
    template <class H> void UseHostLoop() {
        static_assert(std::is_final_v<H> && std::is_base_of_v<z80cpu, H>,
                      "only a final host has a loop of its own");
        Loop = &RunSlice<H>;
    }

    void InitTables();
    // Rare: kept out of the loop's rows.
    template <class H> [[gnu::noinline, gnu::cold]] void Interrupt(int vector);

    // A row of a handler table is a plain function that runs one member
    // handler; the call needs none of a member pointer's run-time checks. A
    // row is compiled as one piece, the handler and what it calls inlined.
    using Handler = void (z80cpu::*)();
    using Row = void (*)(z80cpu&);
    using HandlerTable = std::array<Row, 256>;
    template <Handler h> [[gnu::flatten]] static void RunHandler(z80cpu& cpu) { (cpu.*h)(); }
    void Run(const HandlerTable& ops, int op) { ops[op](*this); }
    using CycleTable = std::array<int32_t, 256>;
    // The handler tables of each host class H are Z80Tables::OpsMain<H>
    // and the rest (cpu/z80handlers.h).
    static const CycleTable CyclesMain, CyclesCB, CyclesED, CyclesIndex, CyclesIndexCB;

    // The execution loop of the host class H (cpu/z80exec.h).
    template <class H> int Slice();
    template <class H> static int RunSlice(z80cpu& cpu) { return cpu.Slice<H>(); }
    using SliceLoop = int (*)(z80cpu&);
    SliceLoop Loop;

    // Register codes used as template arguments of the handlers.
    enum Reg8 { rB, rC, rD, rE, rH, rL, rMem, rA, rIXh, rIXl, rIYh, rIYl };
    enum Reg16 { rBC, rDE, rHL, rSP, rAF, rIX, rIY };

    static constexpr int32_t z80regs::*Slot16(int rr) {
        switch (rr) {
        case rBC: return &z80regs::BC;
        case rDE: return &z80regs::DE;
        case rHL: return &z80regs::HL;
        case rSP: return &z80regs::SP;
        case rAF: return &z80regs::AF;
        case rIX: return &z80regs::IX;
        default: return &z80regs::IY;
        }
    }
    static constexpr int32_t z80regs::*Slot8(int r) {
        return r <= rC     ? &z80regs::BC
               : r <= rE   ? &z80regs::DE
               : r <= rL   ? &z80regs::HL
               : r == rA   ? &z80regs::AF
               : r <= rIXl ? &z80regs::IX
                           : &z80regs::IY;
    }
    static constexpr int Shift8(int r) {
        return (r == rB || r == rD || r == rH || r == rA || r == rIXh || r == rIYh) ? 8 : 0;
    }

    // Register bytes are read and written in their 32-bit slots (whole-slot
    // stores keep the host's store forwarding happy).
    template <int r> int Get8() const { return (Regs.*Slot8(r) >> Shift8(r)) & 0xFF; }
    template <int r> void Set8(int v) {
        int32_t& s = Regs.*Slot8(r);
        s = (s & ~(0xFF << Shift8(r))) | ((v & 0xFF) << Shift8(r));
    }
    template <int rr> int32_t& Reg16() { return Regs.*Slot16(rr); }
    int GetA() const { return (Regs.AF >> 8) & 0xFF; }
    int GetF() const { return Regs.AF & 0xFF; }
    void SetF(int f) { Regs.AF = (Regs.AF & ~0xFF) | (f & 0xFF); }
    void SetAF(int a, int f) { Regs.AF = (Regs.AF & ~0xFFFF) | ((a & 0xFF) << 8) | (f & 0xFF); }

    // R counts every opcode fetch; it wraps before it could overflow and only
    // its low 7 bits are architectural.
    void CountR() { Regs.R = static_cast<int32_t>((static_cast<uint32_t>(Regs.R) + 1) & 0x7FFFFFFF); }

    // The host whose operations a handler calls: z80cpu itself reaches them
    // through the virtual table; a final host class reaches them directly.
    template <class H> H& Host() { return static_cast<H&>(*this); }

    // Access routines.
    template <class H> int FetchByte() {
        int v = Host<H>().FetchMem(Regs.PC & 0xFFFF);
        Regs.PC = (Regs.PC + 1) & 0xFFFF;
        return v;
    }
    template <class H> int FetchWord() {
        int lo = FetchByte<H>();
        int hi = FetchByte<H>();
        return lo | (hi << 8);
    }
    template <class H> int ReadWord(int address) {
        int lo = Host<H>().ReadMem(address & 0xFFFF);
        int hi = Host<H>().ReadMem((address + 1) & 0xFFFF);
        return lo | (hi << 8);
    }
    template <class H> void WriteWord(int address, int value) {
        Host<H>().WriteMem(address & 0xFFFF, value & 0xFF);
        Host<H>().WriteMem((address + 1) & 0xFFFF, (value >> 8) & 0xFF);
    }
    template <class H, int x> int IndexedAddress() {
        int d = static_cast<int8_t>(FetchByte<H>());
        return (Reg16<x>() + d) & 0xFFFF;
    }
    template <class H, int x> int ReadIndexed() { return Host<H>().ReadMem(IndexedAddress<H, x>()); }
    template <class H, int x> void WriteIndexed(int value) {
        Host<H>().WriteMem(IndexedAddress<H, x>(), value & 0xFF);
    }
    template <class H> void PushWord(int w) {
        Regs.SP = (Regs.SP - 2) & 0xFFFF;
        Host<H>().PushMem(Regs.SP, w & 0xFF);
        Host<H>().PushMem((Regs.SP + 1) & 0xFFFF, (w >> 8) & 0xFF);
    }
    template <class H> int PopWord() {
        int lo = Host<H>().FetchMem(Regs.SP & 0xFFFF);
        int hi = Host<H>().FetchMem((Regs.SP + 1) & 0xFFFF);
        Regs.SP = (Regs.SP + 2) & 0xFFFF;
        return lo | (hi << 8);
    }

    // The handlers. Those that reach the host take its class H first, so
    // that the tables of a final host's loop hold handlers compiled for it.

    // Dispatchers and special rows.
    template <class H> void Dispatch(const HandlerTable& ops, const CycleTable& cycles);
    template <class H> void DispatchIndexCB(const HandlerTable& ops);
    template <class H> void ExecCB();
    template <class H> void ExecED();
    template <class H> void ExecDD();
    template <class H> void ExecFD();
    template <class H> void ExecDDCB();
    template <class H> void ExecFDCB();
    void IgnorePrefix();
    template <class H> void EdTrap();
    void SkipIndexCB();
    void Nop();

    // Processor control.
    template <class H> void Ei();
    void Di();
    void Halt();
    template <int mode> void Im();

    // Loads, exchanges, stack, block transfers.
    template <int d, int s> void Ld8();
    template <class H, int d> void Ld8N();
    template <class H, int d> void Ld8FromHL();
    template <class H, int s> void LdHLFrom8();
    template <class H> void LdHLN();
    template <class H, int rr> void LdAFromRR();
    template <class H, int rr> void LdRRFromA();
    template <class H> void LdAFromNN();
    template <class H> void LdNNFromA();
    template <class H, int x, int d> void Ld8FromIdx();
    template <class H, int x, int s> void LdIdxFrom8();
    template <class H, int x> void LdIdxN();
    void LdAI();
    void LdAR();
    void LdIA();
    void LdRA();
    template <class H, int rr> void Ld16N();
    template <class H, int rr> void Ld16FromNN();
    template <class H, int rr> void LdNNFrom16();
    template <int rr> void LdSPFrom();
    void ExAF();
    void ExDEHL();
    void Exx();
    template <class H, int rr> void ExSPInd();
    template <class H, int rr> void Push();
    template <class H, int rr> void Pop();
    // Block instructions: step +1 for the I forms, -1 for the D forms.
    void RepeatBlock(bool again);
    template <class H, int step> void Ldx();
    template <class H, int step> void Ldxr();

    // Jumps, calls, returns.
    template <int cc> bool Cond() const;
    template <class H> void JpNN();
    template <class H, int cc> void JpCC();
    template <int rr> void JpRR();
    template <class H> void Jr();
    template <class H, int cc> void JrCC();
    template <class H> void Djnz();
    template <class H> void CallNN();
    template <class H, int cc> void CallCC();
    template <class H> void Ret();
    template <class H, int cc> void RetCC();
    template <class H> void Retn();
    template <class H> void Reti();
    template <class H, int p> void Rst();

    // 8-bit arithmetic and logic.
    template <int k> void Alu(int s);
    template <int k, int r> void AluR();
    template <class H, int k> void AluHL();
    template <class H, int k> void AluN();
    template <class H, int k, int x> void AluIdx();
    void SubA();
    void XorA();
    int IncValue(int v);
    int DecValue(int v);
    template <int r> void Inc8();
    template <int r> void Dec8();
    template <class H> void IncHL();
    template <class H> void DecHL();
    template <class H, int x> void IncIdx();
    template <class H, int x> void DecIdx();
    void Neg();
    void Cpl();
    void Daa();
    void Scf();
    void Ccf();

    // 16-bit arithmetic.
    template <int d, int s> void Add16();
    template <int s> void Adc16();
    template <int s> void Sbc16();
    template <int rr> void Inc16();
    template <int rr> void Dec16();

    // Rotates, shifts, bits.
    void Rlca();
    void Rrca();
    void Rla();
    void Rra();
    template <int k> int Shift(int v);
    template <int k, int r> void ShiftR();
    template <class H, int k> void ShiftHL();
    template <class H, int k, int x> void ShiftIdx();
    template <int b> void BitFlags(int v);
    template <int b, int r> void BitR();
    template <class H, int b> void BitHL();
    template <class H, int b, int x> void BitIdx();
    template <int b, int r> void ResR();
    template <class H, int b> void ResHL();
    template <class H, int b, int x> void ResIdx();
    template <int b, int r> void SetR();
    template <class H, int b> void SetHL();
    template <class H, int b, int x> void SetIdx();
    template <class H> void Rld();
    template <class H> void Rrd();

    // Input, output, block compare.
    template <class H, int r> void InC();
    template <class H, int r> void OutC();
    template <class H> void InAN();
    template <class H> void OutNA();
    template <class H, int step> void Inx();
    template <class H, int step> void Inxr();
    template <class H, int step> void Outx();
    template <class H, int step> void Otxr();
    template <class H, int step> void Cpx();
    template <class H, int step> void Cpxr();

    friend struct Z80Tables;
};
