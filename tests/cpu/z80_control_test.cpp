// Interrupt entry in every mode, HALT, EI/DI, RETI/RETN, the execution loop's
// slice rules, the bound on zero-cost runs, the R counter and reset.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "cpu/z80_test_host.h"

namespace {

constexpr int kCode = 0x1000;
constexpr int kNmi = -2;

// A processor at kCode with SP = 0x9000, whose hook asks for `vector` once,
// after the first instruction.
struct Machine {
    TestCpu cpu;
    int vector;
    bool delivered = false;
    explicit Machine(int v, std::initializer_list<int> code = {0x00}) : vector(v) {
        cpu.load(kCode, code);
        z80regs& r = cpu.regs();
        r.PC = kCode;
        r.SP = 0x9000;
        cpu.vectorSource = [this] {
            if (delivered) return -1;
            delivered = true;
            return vector;
        };
    }
    z80regs& r() { return cpu.regs(); }
    int pushed() const { return cpu.mem[0x8FFE] | (cpu.mem[0x8FFF] << 8); }
};

TEST(Interrupts, EntryInEveryMode) {
    struct Row {
        const char* name;
        int im, vector;
        int wantPC, wantPushed; // wantPushed -1: nothing pushed
        int wantCharge;         // T-states the entry charges on top of the NOP
    };
    const Row rows[] = {
        {"NMI", 0, kNmi, 0x0066, kCode + 1, 0},
        {"IM 1", 1, 0x00, 0x0038, kCode + 1, 11},
        {"IM 2 takes the word at I x 256 + vector", 2, 0x34, 0xBEEF, kCode + 1, 0},
        {"IM 0 CALL nn in bits 16-23", 0, 0xCD1234, 0x1234, kCode + 1, 0},
        {"IM 0 JP nn in bits 16-23", 0, 0xC31234, 0x1234, -1, 0},
        {"IM 0 one-byte opcode RST 38h", 0, 0xFF, 0x0038, kCode + 1, 11},
        {"IM 0 one-byte opcode RST 10h", 0, 0xD7, 0x0010, kCode + 1, 11},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Machine m(row.vector);
        m.cpu.load(0x1234, {0xEF, 0xBE});
        m.r().I = 0x12;
        m.r().IM = row.im;
        m.r().IFF1 = m.r().IFF2 = 1;
        m.cpu.TStates = 1;
        m.cpu.SliceTStates = 0;
        m.cpu.Execute();
        EXPECT_EQ(m.r().PC, row.wantPC);
        EXPECT_EQ(m.r().IFF1, 0);
        // only an NMI keeps IFF2, so RETN can restore the state before it
        EXPECT_EQ(m.r().IFF2, row.vector == kNmi ? 1 : 0);
        if (row.wantPushed >= 0) {
            EXPECT_EQ(m.r().SP, 0x8FFE);
            EXPECT_EQ(m.pushed(), row.wantPushed);
        } else {
            EXPECT_EQ(m.r().SP, 0x9000);
        }
        EXPECT_EQ(m.cpu.hookCosts, std::vector<int>{4}); // the entry's charge is not reported
        EXPECT_EQ(m.cpu.TStates, 1 - 4 - row.wantCharge);
    }
}

TEST(Interrupts, BusOrderOfTheEntry) {
    Machine m(0x34);
    m.cpu.load(0x1234, {0xEF, 0xBE});
    m.r().I = 0x12;
    m.r().IM = 2;
    m.r().IFF1 = 1;
    m.cpu.recordBus = true;
    m.cpu.step();
    const std::vector<BusEvent> want = {
        {'F', kCode, 0x00},  {'P', 0x8FFE, 0x01}, {'P', 0x8FFF, 0x10},
        {'R', 0x1234, 0xEF}, {'R', 0x1235, 0xBE},
    };
    EXPECT_EQ(m.cpu.bus, want);
}

TEST(Interrupts, MaskableOnlyWhileEnabledNmiAlways) {
    {
        SCOPED_TRACE("maskable with IFF1 = 0 changes nothing, not even HALT");
        Machine m(0xFF, {0x76});
        m.r().IM = 1;
        m.r().IFF2 = 1;
        m.cpu.step();
        EXPECT_EQ(m.r().PC, kCode);
        EXPECT_EQ(m.r().halted, 1);
        EXPECT_EQ(m.r().SP, 0x9000);
        EXPECT_EQ(m.r().IFF2, 1);
    }
    {
        SCOPED_TRACE("NMI with IFF1 = 0 is entered, IFF2 untouched");
        Machine m(kNmi);
        m.r().IFF2 = 1;
        m.cpu.step();
        EXPECT_EQ(m.r().PC, 0x0066);
        EXPECT_EQ(m.r().IFF1, 0);
        EXPECT_EQ(m.r().IFF2, 1);
    }
}

TEST(Interrupts, FromHaltInEveryMode) {
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode == 3 ? "NMI" : "IM " + std::to_string(mode));
        Machine m(mode == 3 ? kNmi : mode == 0 ? 0xFF : 0x34, {0x00, 0x76});
        m.cpu.load(0x1234, {0x00, 0x20});
        m.r().I = 0x12;
        m.r().IM = mode == 3 ? 0 : mode;
        m.r().IFF1 = 1;
        m.r().PC = kCode + 1;
        m.delivered = true; // no interrupt while halting
        m.cpu.step();
        EXPECT_EQ(m.r().halted, 1);
        EXPECT_EQ(m.r().PC, kCode + 1);
        m.delivered = false;
        m.cpu.step(); // HALT again, then the interrupt
        EXPECT_EQ(m.r().halted, 0);
        EXPECT_EQ(m.pushed(), kCode + 2); // the instruction after the HALT
        EXPECT_EQ(m.r().PC, mode == 3 ? 0x66 : mode == 2 ? 0x2000 : 0x38);
    }
}

TEST(Interrupts, LdAIInTheHandlerReportsTheFlipFlop) {
    // The handler at the entry address runs LD A,I; P/V shows IFF2.
    for (int vector : {kNmi, 0xFF}) {
        SCOPED_TRACE(vector == kNmi ? "NMI: P/V = 1" : "maskable: P/V = 0");
        Machine m(vector);
        m.cpu.load(0x0066, {0xED, 0x57});
        m.cpu.load(0x0038, {0xED, 0x57});
        m.r().IM = 1;
        m.r().IFF1 = m.r().IFF2 = 1;
        m.cpu.step();
        m.cpu.step();
        EXPECT_EQ(m.r().AF & 0x04, vector == kNmi ? 0x04 : 0);
    }
}

TEST(Interrupts, EiRunsTheNextInstructionBeforeAnyInterrupt) {
    {
        SCOPED_TRACE("EI; NOP: the hook sees both as one, the interrupt follows the NOP");
        Machine m(0xFF, {0xFB, 0x00, 0x00});
        m.r().IM = 1;
        m.cpu.step();
        EXPECT_EQ(m.cpu.hookCosts, std::vector<int>{8});
        EXPECT_EQ(m.pushed(), kCode + 2);
        EXPECT_EQ(m.r().PC, 0x38);
    }
    {
        SCOPED_TRACE("EI with IFF1 already 1 runs nothing early");
        Machine m(-1, {0xFB, 0x00});
        m.r().IFF1 = 1;
        EXPECT_EQ(m.cpu.step(), 4);
        EXPECT_EQ(m.r().PC, kCode + 1);
        EXPECT_EQ(m.r().IFF2, 1);
    }
    {
        SCOPED_TRACE("EI; HALT: the hook gets all that was left of the slice");
        Machine m(-1, {0xFB, 0x76});
        m.cpu.run(1000);
        EXPECT_EQ(m.cpu.hookCosts, std::vector<int>{1000});
        EXPECT_EQ(m.r().halted, 1);
    }
    {
        SCOPED_TRACE("a pending vector is entered right after the instruction after EI");
        Machine m(-1, {0xFB, 0x00, 0x00});
        m.r().IM = 1;
        m.cpu.setPendingVector(0xFF);
        m.cpu.step();
        EXPECT_EQ(m.pushed(), kCode + 2);
        EXPECT_EQ(m.r().PC, 0x38);
    }
}

TEST(Interrupts, RetnRestoresIff1RetiDoesNot) {
    struct Row {
        const char* name;
        int before;           // IFF1 = IFF2 before the NMI
        std::vector<int> ret; // return instruction at 0x0066
        int wantIFF1, wantRetn, wantReti;
    };
    const Row rows[] = {
        {"DI, NMI, RETN: disabled again", 0, {0xED, 0x45}, 0, 1, 0},
        {"EI, NMI, RETN: enabled again", 1, {0xED, 0x45}, 1, 1, 0},
        {"RETN alias ED 75", 1, {0xED, 0x75}, 1, 1, 0},
        {"EI, NMI, RETI: stays disabled", 1, {0xED, 0x4D}, 0, 0, 1},
        {"RETI alias ED 5D", 1, {0xED, 0x5D}, 0, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Machine m(kNmi);
        m.cpu.load(0x0066, {row.ret[0], row.ret[1]});
        m.r().IFF1 = m.r().IFF2 = row.before;
        m.cpu.step();
        EXPECT_EQ(m.cpu.step(), 14);
        EXPECT_EQ(m.r().PC, kCode + 1);
        EXPECT_EQ(m.r().SP, 0x9000);
        EXPECT_EQ(m.r().IFF1, row.wantIFF1);
        EXPECT_EQ(m.cpu.retnCalls, row.wantRetn);
        EXPECT_EQ(m.cpu.retiCalls, row.wantReti);
    }
}

TEST(Interrupts, BetweenPassesOfPrefixAndBlockInstructions) {
    {
        SCOPED_TRACE("after a skipped DD the return address is the opcode");
        Machine m(kNmi, {0xDD, 0x04});
        m.cpu.step();
        EXPECT_EQ(m.pushed(), kCode + 1);
        EXPECT_EQ(m.cpu.hookCosts.front(), 0);
    }
    {
        SCOPED_TRACE("an LDIR that is interrupted returns to itself");
        Machine m(kNmi, {0xED, 0xB0});
        m.r().BC = 3;
        m.cpu.step();
        EXPECT_EQ(m.pushed(), kCode);
        EXPECT_EQ(m.r().BC, 2);
    }
}

TEST(ExecutionLoop, SliceRules) {
    struct Row {
        const char* name;
        std::vector<int> code;
        int tstates;
        std::vector<int> wantHooks;
        int wantPC;
    };
    const Row rows[] = {
        {"single step runs one instruction", {0x00, 0x00}, 2, {4}, kCode + 1},
        {"a budget at 0 still runs one pass", {0x00, 0x00}, 0, {4}, kCode + 1},
        {"a negative budget still runs one pass", {0x00, 0x00}, -50, {4}, kCode + 1},
        {"single step of a skipped DD runs the opcode too", {0xDD, 0x04, 0x00}, 2, {0, 4}, kCode + 2},
        {"single step of ED 00 runs the next one too", {0xED, 0x00, 0x00}, 2, {0, 4}, kCode + 3},
        {"a budget at 0 with a skipped DD runs the prefix alone", {0xDD, 0x04}, 0, {0}, kCode + 1},
        {"DD 76 is a HALT of 4", {0xDD, 0x76}, 2, {0, 4}, kCode + 1},
        {"HALT as a single step reports 4", {0x76}, 2, {4}, kCode},
        {"HALT ends the slice with all that was left", {0x00, 0x76}, 100, {4, 96}, kCode + 1},
        {"ED FE costs 0", {0xED, 0xFE, 0x00}, 2, {0, 4}, kCode + 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestCpu cpu;
        for (std::size_t i = 0; i < row.code.size(); ++i)
            cpu.mem[kCode + i] = static_cast<uint8_t>(row.code[i]);
        cpu.regs().PC = kCode;
        cpu.TStates = row.tstates;
        cpu.SliceTStates = 2;
        cpu.Execute();
        EXPECT_EQ(cpu.hookCosts, row.wantHooks);
        EXPECT_EQ(cpu.regs().PC, row.wantPC);
        int spent = 0;
        for (int c : row.wantHooks)
            spent += c;
        EXPECT_EQ(cpu.TStates, row.tstates - spent + 2); // the hook saw every T-state charged
    }
}

TEST(ExecutionLoop, HookStopsTheRun) {
    TestCpu cpu;
    cpu.onHook = [](TestCpu& c) {
        if (c.regs().PC == kCode + 3) {
            c.TStates = -10;
            c.RunFlag = 0;
        }
    };
    cpu.regs().PC = kCode;
    cpu.TStates = 1000;
    cpu.SliceTStates = 5;
    EXPECT_EQ(cpu.Execute(), 0);
    EXPECT_EQ(cpu.hookCosts.size(), 3u);
    EXPECT_EQ(cpu.TStates, -5);
}

TEST(ExecutionLoop, ZeroCostRunsEndTheCall) {
    struct Row {
        const char* name;
        std::vector<int> pattern; // repeated over all of memory
    };
    const Row rows[] = {
        {"memory full of DD", {0xDD}},          {"memory full of FD", {0xFD}},
        {"memory full of DD FD", {0xDD, 0xFD}}, {"memory full of undefined ED", {0xED, 0x00}},
        {"memory full of ED FE", {0xED, 0xFE}}, {"memory full of undefined DD CB", {0xDD, 0xCB, 0x00, 0x00}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestCpu cpu;
        for (int a = 0; a < 65536; ++a)
            cpu.mem[a] = static_cast<uint8_t>(row.pattern[a % row.pattern.size()]);
        cpu.regs().PC = 0;
        cpu.TStates = 100000;
        cpu.SliceTStates = 7;
        EXPECT_EQ(cpu.Execute(), 1);
        EXPECT_EQ(cpu.hookCosts.size(), static_cast<std::size_t>(z80cpu::MaxZeroCostRun));
        EXPECT_EQ(cpu.TStates, 100007); // nothing charged
        // the next call goes on where this one stopped
        const int pc = cpu.regs().PC;
        cpu.hookCosts.clear();
        cpu.Execute();
        EXPECT_EQ(cpu.hookCosts.size(), static_cast<std::size_t>(z80cpu::MaxZeroCostRun));
        EXPECT_NE(cpu.regs().PC, pc);
    }
    {
        SCOPED_TRACE("an instruction with a cost restarts the count");
        TestCpu cpu;
        for (int a = 0; a < 65536; ++a)
            cpu.mem[a] = (a % 1000) == 999 ? 0x00 : 0xDD;
        cpu.run(40);
        EXPECT_EQ(cpu.TStates, 0); // ten NOPs, each after 999 prefixes
        EXPECT_EQ(cpu.hookCosts.size(), 10000u);
    }
}

TEST(RefreshCounter, CountsOpcodeFetches) {
    struct Row {
        const char* name;
        std::vector<int> code;
        int iff1;
        int want;
    };
    const Row rows[] = {
        {"unprefixed", {0x00}, 0, 1},
        {"CB op", {0xCB, 0x00}, 0, 2},
        {"ED op", {0xED, 0x44}, 0, 2},
        {"undefined ED op", {0xED, 0x00, 0x3C}, 0, 3},
        {"DD with an index form", {0xDD, 0x23}, 0, 2},
        {"DD CB d op", {0xDD, 0xCB, 0x01, 0x06}, 0, 2},
        {"DD before a non-index opcode", {0xDD, 0x3C}, 0, 3},
        {"DD before an ED instruction", {0xDD, 0xED, 0x44}, 0, 4},
        {"EI that enables runs the next", {0xFB, 0x00}, 0, 2},
        {"EI while enabled", {0xFB, 0x00}, 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestCpu cpu;
        for (std::size_t i = 0; i < row.code.size(); ++i)
            cpu.mem[kCode + i] = static_cast<uint8_t>(row.code[i]);
        z80regs& r = cpu.regs();
        r.PC = kCode;
        r.R = 0x10;
        r.IFF1 = r.IFF2 = row.iff1;
        cpu.step();
        EXPECT_EQ(r.R - 0x10, row.want);
    }
}

TEST(RefreshCounter, ArchitecturalValueAndWrap) {
    {
        SCOPED_TRACE("LD R,A with 0x80, then LD A,R gives 0x82");
        TestCpu cpu;
        cpu.load(kCode, {0xED, 0x4F, 0xED, 0x5F});
        cpu.regs().PC = kCode;
        cpu.regs().AF = 0x8000;
        cpu.step();
        cpu.step();
        EXPECT_EQ(cpu.regs().AF >> 8, 0x82);
        EXPECT_EQ(cpu.regs().AF & 0x80, 0x80); // S from the value
    }
    {
        SCOPED_TRACE("bit 7 stays while bits 0-6 wrap");
        TestCpu cpu;
        cpu.load(kCode, {0xED, 0x5F});
        z80regs& r = cpu.regs();
        r.PC = kCode;
        r.R = 0x7E; // the two fetches of LD A,R bring it to 0x80
        r.R7 = 0x80;
        cpu.step();
        EXPECT_EQ(r.AF >> 8, 0x80);
    }
    {
        SCOPED_TRACE("a counter at the top of its range keeps counting in its low 7 bits");
        TestCpu cpu;
        cpu.load(kCode, {0x00, 0x00, 0xED, 0x5F});
        z80regs& r = cpu.regs();
        r.PC = kCode;
        r.R = INT32_MAX;
        cpu.step();
        EXPECT_GE(r.R, 0);
        EXPECT_EQ(r.R & 0x7F, 0x00);
        cpu.step();
        cpu.step();
        EXPECT_EQ(r.AF >> 8, 0x03);
    }
    {
        SCOPED_TRACE("after a reset LD A,R has bit 7 clear");
        for (int i = 0; i < 20; ++i) {
            TestCpu cpu; // resets
            cpu.load(0, {0xED, 0x5F});
            cpu.step();
            EXPECT_EQ(cpu.regs().AF & 0x8000, 0);
        }
    }
}

TEST(Processor, ResetAndRegisterAccess) {
    TestCpu cpu;
    z80regs junk;
    std::fill_n(reinterpret_cast<int32_t*>(&junk), sizeof junk / sizeof(int32_t), 0x55);
    cpu.SetRegisters(&junk);
    cpu.SliceTStates = 2;
    cpu.Reset();
    z80regs r;
    cpu.GetRegisters(&r);
    EXPECT_EQ(r.SP, 0xF000);
    EXPECT_EQ(r.PC, 0);
    EXPECT_EQ(cpu.GetPC(), 0);
    for (int32_t v : {r.AF, r.BC, r.DE, r.HL, r.IX, r.IY, r.AltAF, r.AltBC, r.AltDE, r.AltHL, r.IFF1, r.IFF2,
                      r.halted, r.IM, r.I, r.R7})
        EXPECT_EQ(v, 0);
    EXPECT_GE(r.R, 0);
    EXPECT_LE(r.R, 32767);
    EXPECT_EQ(cpu.TStates, 2);

    cpu.load(0, {0xC5});
    cpu.recordBus = true;
    cpu.step();
    EXPECT_EQ(cpu.bus[1], (BusEvent{'P', 0xEFFE, 0}));
    EXPECT_EQ(cpu.bus[2], (BusEvent{'P', 0xEFFF, 0}));
}

TEST(Processor, HostTrapChangesTheRecordInPlace) {
    TestCpu cpu;
    cpu.load(kCode, {0xED, 0xFE});
    cpu.load(0x2000, {0x3C});
    cpu.regs().PC = kCode;
    cpu.onTrap = [&](z80regs* regs) {
        EXPECT_EQ(regs, &cpu.regs());
        regs->PC = 0x2000;
        regs->AF = 0x4100;
    };
    cpu.step();
    EXPECT_EQ(cpu.hookCosts, (std::vector<int>{0, 4}));
    EXPECT_EQ(cpu.regs().PC, 0x2001);
    EXPECT_EQ(cpu.regs().AF >> 8, 0x42);
}

} // namespace
