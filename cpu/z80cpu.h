// The Z80 processor core: registers, execution loop, table-driven dispatch.
// A host derives from z80cpu and supplies memory, ports and interrupts through
// the eleven pure virtual operations.
#pragma once

#include <array>
#include <cstdint>

struct z80regs {
    int32_t AF, BC, DE, HL, IX, IY, PC, SP, AltAF, AltBC, AltDE, AltHL, IFF1, IFF2, halted, IM, I, R, R7;
};

struct Z80TableBuilder;

class z80cpu {
  public:
    z80cpu();
    virtual ~z80cpu();

    void Reset();
    int Execute();
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

    void InitTables();
    void Interrupt(int vector);

    // A row of a handler table is a plain function that runs one member
    // handler; the call needs none of a member pointer's run-time checks.
    using Handler = void (z80cpu::*)();
    using Row = void (*)(z80cpu&);
    using HandlerTable = std::array<Row, 256>;
    template <Handler h> static void RunHandler(z80cpu& cpu) { (cpu.*h)(); }
    void Run(const HandlerTable& ops, int op) { ops[op](*this); }
    using CycleTable = std::array<int32_t, 256>;
    static const HandlerTable OpsMain, OpsCB, OpsED, OpsDD, OpsFD, OpsDDCB, OpsFDCB;
    static const CycleTable CyclesMain, CyclesCB, CyclesED, CyclesIndex, CyclesIndexCB;

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

    // Access routines.
    int FetchByte() {
        int v = FetchMem(Regs.PC & 0xFFFF);
        Regs.PC = (Regs.PC + 1) & 0xFFFF;
        return v;
    }
    int FetchWord() {
        int lo = FetchByte();
        int hi = FetchByte();
        return lo | (hi << 8);
    }
    int ReadWord(int address) {
        int lo = ReadMem(address & 0xFFFF);
        int hi = ReadMem((address + 1) & 0xFFFF);
        return lo | (hi << 8);
    }
    void WriteWord(int address, int value) {
        WriteMem(address & 0xFFFF, value & 0xFF);
        WriteMem((address + 1) & 0xFFFF, (value >> 8) & 0xFF);
    }
    template <int x> int IndexedAddress() {
        int d = static_cast<int8_t>(FetchByte());
        return (Reg16<x>() + d) & 0xFFFF;
    }
    template <int x> int ReadIndexed() { return ReadMem(IndexedAddress<x>()); }
    template <int x> void WriteIndexed(int value) { WriteMem(IndexedAddress<x>(), value & 0xFF); }
    void PushWord(int w) {
        Regs.SP = (Regs.SP - 2) & 0xFFFF;
        PushMem(Regs.SP, w & 0xFF);
        PushMem((Regs.SP + 1) & 0xFFFF, (w >> 8) & 0xFF);
    }
    int PopWord() {
        int lo = FetchMem(Regs.SP & 0xFFFF);
        int hi = FetchMem((Regs.SP + 1) & 0xFFFF);
        Regs.SP = (Regs.SP + 2) & 0xFFFF;
        return lo | (hi << 8);
    }

    // Dispatchers and special rows.
    void Dispatch(const HandlerTable& ops, const CycleTable& cycles);
    void DispatchIndexCB(const HandlerTable& ops);
    void ExecCB();
    void ExecED();
    void ExecDD();
    void ExecFD();
    void ExecDDCB();
    void ExecFDCB();
    void IgnorePrefix();
    void EdTrap();
    void SkipIndexCB();
    void Nop();

    // Processor control.
    void Ei();
    void Di();
    void Halt();
    template <int mode> void Im();

    // Loads, exchanges, stack, block transfers.
    template <int d, int s> void Ld8();
    template <int d> void Ld8N();
    template <int d> void Ld8FromHL();
    template <int s> void LdHLFrom8();
    void LdHLN();
    template <int rr> void LdAFromRR();
    template <int rr> void LdRRFromA();
    void LdAFromNN();
    void LdNNFromA();
    template <int x, int d> void Ld8FromIdx();
    template <int x, int s> void LdIdxFrom8();
    template <int x> void LdIdxN();
    void LdAI();
    void LdAR();
    void LdIA();
    void LdRA();
    template <int rr> void Ld16N();
    template <int rr> void Ld16FromNN();
    template <int rr> void LdNNFrom16();
    template <int rr> void LdSPFrom();
    void ExAF();
    void ExDEHL();
    void Exx();
    template <int rr> void ExSPInd();
    template <int rr> void Push();
    template <int rr> void Pop();
    // Block instructions: step +1 for the I forms, -1 for the D forms.
    void RepeatBlock(bool again);
    template <int step> void Ldx();
    template <int step> void Ldxr();

    // Jumps, calls, returns.
    template <int cc> bool Cond() const;
    void JpNN();
    template <int cc> void JpCC();
    template <int rr> void JpRR();
    void Jr();
    template <int cc> void JrCC();
    void Djnz();
    void CallNN();
    template <int cc> void CallCC();
    void Ret();
    template <int cc> void RetCC();
    void Retn();
    void Reti();
    template <int p> void Rst();

    // 8-bit arithmetic and logic.
    template <int k> void Alu(int s);
    template <int k, int r> void AluR();
    template <int k> void AluHL();
    template <int k> void AluN();
    template <int k, int x> void AluIdx();
    void SubA();
    void XorA();
    int IncValue(int v);
    int DecValue(int v);
    template <int r> void Inc8();
    template <int r> void Dec8();
    void IncHL();
    void DecHL();
    template <int x> void IncIdx();
    template <int x> void DecIdx();
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
    template <int k> void ShiftHL();
    template <int k, int x> void ShiftIdx();
    template <int b> void BitFlags(int v);
    template <int b, int r> void BitR();
    template <int b> void BitHL();
    template <int b, int x> void BitIdx();
    template <int b, int r> void ResR();
    template <int b> void ResHL();
    template <int b, int x> void ResIdx();
    template <int b, int r> void SetR();
    template <int b> void SetHL();
    template <int b, int x> void SetIdx();
    void Rld();
    void Rrd();

    // Input, output, block compare.
    template <int r> void InC();
    template <int r> void OutC();
    void InAN();
    void OutNA();
    template <int step> void Inx();
    template <int step> void Inxr();
    template <int step> void Outx();
    template <int step> void Otxr();
    template <int step> void Cpx();
    template <int step> void Cpxr();

    friend struct Z80TableBuilder;
};
