// Which host operation every instruction calls, in which order, with which
// address and value; and the block instructions over whole areas.
#include <gtest/gtest.h>

#include <vector>

#include "cpu/z80_test_host.h"

namespace {

constexpr int kCode = 0x1000;

struct BusCase {
    const char* name;
    std::vector<int> code;
    std::vector<BusEvent> want; // every host call of one step, fetches included
    int f = 0x00;
};

// Registers and memory the cases below rely on.
void Prepare(TestCpu& cpu, const BusCase& c) {
    for (std::size_t i = 0; i < c.code.size(); ++i)
        cpu.mem[kCode + i] = static_cast<uint8_t>(c.code[i]);
    cpu.load(0x9002, {0x34, 0x12});
    cpu.mem[0x9100] = 0x5A;
    cpu.mem[0x9205] = 0x41;
    cpu.mem[0x9203] = 0x00;
    z80regs& r = cpu.regs();
    r.PC = kCode;
    r.AF = 0x1200 | c.f;
    r.BC = 0x0203;
    r.DE = 0x9300;
    r.HL = 0x9100;
    r.IX = 0x9200;
    r.SP = 0x9002;
    cpu.portIn = 0x99;
}

TEST(BusOrder, EveryHostCallOfOneInstruction) {
    const std::vector<BusCase> cases = {
        {"PUSH BC: low byte first, at the lower address",
         {0xC5},
         {{'F', 0x1000, 0xC5}, {'P', 0x9000, 0x03}, {'P', 0x9001, 0x02}}},
        {"PUSH IX",
         {0xDD, 0xE5},
         {{'F', 0x1000, 0xDD}, {'F', 0x1001, 0xE5}, {'P', 0x9000, 0x00}, {'P', 0x9001, 0x92}}},
        {"POP DE through FetchMem", {0xD1}, {{'F', 0x1000, 0xD1}, {'F', 0x9002, 0x34}, {'F', 0x9003, 0x12}}},
        {"RET pops through FetchMem",
         {0xC9},
         {{'F', 0x1000, 0xC9}, {'F', 0x9002, 0x34}, {'F', 0x9003, 0x12}}},
        {"RET NZ not taken pops nothing", {0xC0}, {{'F', 0x1000, 0xC0}}, 0x40},
        {"CALL fetches the target, then pushes the return address",
         {0xCD, 0x00, 0x20},
         {{'F', 0x1000, 0xCD},
          {'F', 0x1001, 0x00},
          {'F', 0x1002, 0x20},
          {'P', 0x9000, 0x03},
          {'P', 0x9001, 0x10}}},
        {"CALL NZ not taken reads no operand", {0xC4, 0x00, 0x20}, {{'F', 0x1000, 0xC4}}, 0x40},
        {"RST 38h", {0xFF}, {{'F', 0x1000, 0xFF}, {'P', 0x9000, 0x01}, {'P', 0x9001, 0x10}}},
        {"JP nn", {0xC3, 0x34, 0x12}, {{'F', 0x1000, 0xC3}, {'F', 0x1001, 0x34}, {'F', 0x1002, 0x12}}},
        {"JR e", {0x18, 0x05}, {{'F', 0x1000, 0x18}, {'F', 0x1001, 0x05}}},
        {"EX (SP),HL: data reads of both bytes, then data writes",
         {0xE3},
         {{'F', 0x1000, 0xE3},
          {'R', 0x9002, 0x34},
          {'R', 0x9003, 0x12},
          {'W', 0x9002, 0x00},
          {'W', 0x9003, 0x91}}},
        {"EX (SP),IX",
         {0xDD, 0xE3},
         {{'F', 0x1000, 0xDD},
          {'F', 0x1001, 0xE3},
          {'R', 0x9002, 0x34},
          {'R', 0x9003, 0x12},
          {'W', 0x9002, 0x00},
          {'W', 0x9003, 0x92}}},
        {"LD (nn),HL",
         {0x22, 0x00, 0x90},
         {{'F', 0x1000, 0x22},
          {'F', 0x1001, 0x00},
          {'F', 0x1002, 0x90},
          {'W', 0x9000, 0x00},
          {'W', 0x9001, 0x91}}},
        {"LD HL,(nn)",
         {0x2A, 0x02, 0x90},
         {{'F', 0x1000, 0x2A},
          {'F', 0x1001, 0x02},
          {'F', 0x1002, 0x90},
          {'R', 0x9002, 0x34},
          {'R', 0x9003, 0x12}}},
        {"INC (HL)", {0x34}, {{'F', 0x1000, 0x34}, {'R', 0x9100, 0x5A}, {'W', 0x9100, 0x5B}}},
        {"INC (IX+d): one displacement fetch, one read, one write",
         {0xDD, 0x34, 0x05},
         {{'F', 0x1000, 0xDD},
          {'F', 0x1001, 0x34},
          {'F', 0x1002, 0x05},
          {'R', 0x9205, 0x41},
          {'W', 0x9205, 0x42}}},
        {"LD (IX+d),n: displacement before the value",
         {0xDD, 0x36, 0xFE, 0x77},
         {{'F', 0x1000, 0xDD},
          {'F', 0x1001, 0x36},
          {'F', 0x1002, 0xFE},
          {'F', 0x1003, 0x77},
          {'W', 0x91FE, 0x77}}},
        {"SET 1,(IX+d): opcode read ahead, then the displacement",
         {0xDD, 0xCB, 0x03, 0xCE},
         {{'F', 0x1000, 0xDD},
          {'F', 0x1001, 0xCB},
          {'F', 0x1003, 0xCE},
          {'F', 0x1002, 0x03},
          {'R', 0x9203, 0x00},
          {'W', 0x9203, 0x02}}},
        {"BIT 1,(IX+d) writes nothing",
         {0xDD, 0xCB, 0x03, 0x4E},
         {{'F', 0x1000, 0xDD},
          {'F', 0x1001, 0xCB},
          {'F', 0x1003, 0x4E},
          {'F', 0x1002, 0x03},
          {'R', 0x9203, 0x00}}},
        {"undefined DD CB row touches no data, and the NOP after it runs too",
         {0xDD, 0xCB, 0x03, 0x00, 0x00},
         {{'F', 0x1000, 0xDD}, {'F', 0x1001, 0xCB}, {'F', 0x1003, 0x00}, {'F', 0x1004, 0x00}}},
        {"LDI",
         {0xED, 0xA0},
         {{'F', 0x1000, 0xED}, {'F', 0x1001, 0xA0}, {'R', 0x9100, 0x5A}, {'W', 0x9300, 0x5A}}},
        {"RLD",
         {0xED, 0x6F},
         {{'F', 0x1000, 0xED}, {'F', 0x1001, 0x6F}, {'R', 0x9100, 0x5A}, {'W', 0x9100, 0xA2}}},
        {"CPI", {0xED, 0xA1}, {{'F', 0x1000, 0xED}, {'F', 0x1001, 0xA1}, {'R', 0x9100, 0x5A}}},
        {"INI: port BC before B counts down",
         {0xED, 0xA2},
         {{'F', 0x1000, 0xED}, {'F', 0x1001, 0xA2}, {'I', 0x0203, 0x99}, {'W', 0x9100, 0x99}}},
        {"OUTI: port with the decremented B",
         {0xED, 0xA3},
         {{'F', 0x1000, 0xED}, {'F', 0x1001, 0xA3}, {'R', 0x9100, 0x5A}, {'O', 0x0103, 0x5A}}},
        {"IN A,(n): A is the high byte of the port",
         {0xDB, 0xFE},
         {{'F', 0x1000, 0xDB}, {'F', 0x1001, 0xFE}, {'I', 0x12FE, 0x99}}},
        {"OUT (C),A", {0xED, 0x79}, {{'F', 0x1000, 0xED}, {'F', 0x1001, 0x79}, {'O', 0x0203, 0x12}}},
    };
    for (const BusCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestCpu cpu;
        Prepare(cpu, c);
        cpu.recordBus = true;
        cpu.step();
        EXPECT_EQ(cpu.bus, c.want);
    }
}

TEST(BusOrder, AddressesWrapAtTheTopOfMemory) {
    struct WrapCase {
        const char* name;
        int pc;
        std::vector<int> code; // placed from pc on, wrapping
        std::vector<BusEvent> want;
        int wantPC;
    };
    const std::vector<WrapCase> cases = {
        {"opcode at FFFF, operand from 0000",
         0xFFFF,
         {0x3E, 0x42},
         {{'F', 0xFFFF, 0x3E}, {'F', 0x0000, 0x42}},
         0x0001},
        {"DD CB d op: the fourth byte read ahead across the top",
         0xFFFE,
         {0xDD, 0xCB, 0x00, 0x46},
         {{'F', 0xFFFE, 0xDD},
          {'F', 0xFFFF, 0xCB},
          {'F', 0x0001, 0x46},
          {'F', 0x0000, 0x00},
          {'R', 0x9000, 0x00}},
         0x0002},
        {"JR at FFFE", 0xFFFE, {0x18, 0x01}, {{'F', 0xFFFE, 0x18}, {'F', 0xFFFF, 0x01}}, 0x0001},
        {"LD HL,(FFFF) takes its high byte from 0000",
         0x2000,
         {0x2A, 0xFF, 0xFF},
         {{'F', 0x2000, 0x2A},
          {'F', 0x2001, 0xFF},
          {'F', 0x2002, 0xFF},
          {'R', 0xFFFF, 0x00},
          {'R', 0x0000, 0x00}},
         0x2003},
        {"RST at FFFF pushes 0000",
         0xFFFF,
         {0xC7},
         {{'F', 0xFFFF, 0xC7}, {'P', 0x8FFE, 0x00}, {'P', 0x8FFF, 0x00}},
         0x0000},
    };
    for (const WrapCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestCpu cpu;
        for (std::size_t i = 0; i < c.code.size(); ++i)
            cpu.mem[(c.pc + i) & 0xFFFF] = static_cast<uint8_t>(c.code[i]);
        cpu.regs().PC = c.pc;
        cpu.regs().IX = 0x9000;
        cpu.regs().SP = 0x9000;
        cpu.recordBus = true;
        cpu.step();
        EXPECT_EQ(cpu.bus, c.want);
        EXPECT_EQ(cpu.regs().PC, c.wantPC);
    }
}

TEST(Loops, DjnzWithBZeroLoops256Times) {
    TestCpu cpu;
    cpu.load(kCode, {0x10, 0xFE, 0x76}); // DJNZ to itself, then HALT
    cpu.regs().PC = kCode;
    cpu.regs().BC = 0x0000;
    cpu.run(1 << 20);
    ASSERT_EQ(cpu.hookCosts.size(), 257u);
    EXPECT_EQ(cpu.hookCosts[0], 13);
    EXPECT_EQ(cpu.hookCosts[254], 13);
    EXPECT_EQ(cpu.hookCosts[255], 8);
    EXPECT_EQ(cpu.regs().BC, 0);
    EXPECT_EQ(cpu.regs().PC, kCode + 2);
}

// Runs a block instruction at kCode, followed by HALT, to its end.
struct Block {
    TestCpu cpu;
    explicit Block(std::initializer_list<int> code) {
        cpu.load(kCode, code);
        cpu.mem[kCode + 2] = 0x76;
        cpu.regs().PC = kCode;
    }
    // The hook costs of the block's passes (the HALT's own call left out).
    std::vector<int> run() {
        cpu.run(1 << 30);
        EXPECT_EQ(cpu.regs().PC, kCode + 2);
        std::vector<int> passes = cpu.hookCosts;
        passes.pop_back();
        return passes;
    }
};

int Count(const std::vector<int>& costs, int cost) {
    int n = 0;
    for (int c : costs)
        n += c == cost;
    return n;
}

TEST(BlockInstructions, LdirAndLddr) {
    {
        SCOPED_TRACE("LDIR of 3 bytes: 21 + 21 + 16, flags");
        Block b({0xED, 0xB0});
        b.cpu.load(0x9000, {1, 2, 3});
        z80regs& r = b.cpu.regs();
        r.AF = 0x00FF;
        r.BC = 3, r.HL = 0x9000, r.DE = 0xA000;
        EXPECT_EQ(b.run(), (std::vector<int>{21, 21, 16}));
        EXPECT_EQ(r.AF & 0xFF, 0xE9); // S, Z, bits 5 and 3, C kept; H, P/V, N clear
        EXPECT_EQ(r.BC, 0);
        EXPECT_EQ(r.HL, 0x9003);
        EXPECT_EQ(r.DE, 0xA003);
        EXPECT_EQ(b.cpu.mem[0xA000], 1);
        EXPECT_EQ(b.cpu.mem[0xA001], 2);
        EXPECT_EQ(b.cpu.mem[0xA002], 3);
    }
    {
        SCOPED_TRACE("LDIR with DE = HL + 1 fills with the first byte");
        Block b({0xED, 0xB0});
        b.cpu.load(0x9000, {0xAB, 1, 2, 3, 4, 5});
        z80regs& r = b.cpu.regs();
        r.BC = 5, r.HL = 0x9000, r.DE = 0x9001;
        b.run();
        for (int a = 0x9000; a <= 0x9005; ++a)
            EXPECT_EQ(b.cpu.mem[a], 0xAB) << a;
        EXPECT_EQ(b.cpu.mem[0x9006], 0);
    }
    {
        SCOPED_TRACE("LDDR moves an overlapping block up by one without losing it");
        Block b({0xED, 0xB8});
        b.cpu.load(0x9000, {1, 2, 3, 4, 5});
        z80regs& r = b.cpu.regs();
        r.BC = 5, r.HL = 0x9004, r.DE = 0x9005;
        b.run();
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(b.cpu.mem[0x9001 + i], i + 1);
        EXPECT_EQ(r.HL, 0x8FFF);
        EXPECT_EQ(r.DE, 0x9000);
    }
    {
        SCOPED_TRACE("LDIR with BC = 0 copies 65536 bytes");
        Block b({0xED, 0xB0});
        z80regs& r = b.cpu.regs();
        r.BC = 0, r.HL = 0x4000, r.DE = 0x4000; // onto itself, so the program survives
        const std::vector<int> passes = b.run();
        EXPECT_EQ(passes.size(), 65536u);
        EXPECT_EQ(Count(passes, 21), 65535);
        EXPECT_EQ(passes.back(), 16);
        EXPECT_EQ(r.BC, 0);
        EXPECT_EQ(r.HL, 0x4000);
    }
}

TEST(BlockInstructions, CpirAndCpdr) {
    {
        SCOPED_TRACE("CPIR with BC = 0 and no match compares 65536 bytes");
        Block b({0xED, 0xB1});
        z80regs& r = b.cpu.regs();
        r.AF = 0x7701; // 0x77 is nowhere in memory
        r.BC = 0, r.HL = 0x2000;
        const std::vector<int> passes = b.run();
        EXPECT_EQ(passes.size(), 65536u);
        EXPECT_EQ(passes.back(), 16);
        EXPECT_EQ(r.AF & 0x45, 0x01); // no match, P/V 0, C kept
        EXPECT_EQ(r.HL, 0x2000);
    }
    {
        SCOPED_TRACE("CPDR stops on the match, HL one past it downwards");
        Block b({0xED, 0xB9});
        b.cpu.load(0x9000, {0x42, 0, 0, 0});
        z80regs& r = b.cpu.regs();
        r.AF = 0x4200;
        r.BC = 10, r.HL = 0x9003;
        EXPECT_EQ(b.run(), (std::vector<int>{21, 21, 21, 16}));
        EXPECT_EQ(r.AF & 0xFF, 0x46); // Z, P/V (BC = 6), N
        EXPECT_EQ(r.BC, 6);
        EXPECT_EQ(r.HL, 0x8FFF);
    }
}

TEST(BlockInstructions, BlockInputAndOutput) {
    {
        SCOPED_TRACE("INIR with B = 0 makes 256 passes");
        Block b({0xED, 0xB2});
        b.cpu.portIn = 0x3C;
        z80regs& r = b.cpu.regs();
        r.AF = 0x00FF;
        r.BC = 0x0010, r.HL = 0x9000;
        const std::vector<int> passes = b.run();
        EXPECT_EQ(passes.size(), 256u);
        EXPECT_EQ(r.AF & 0xFF, 0x42);
        EXPECT_EQ(r.HL, 0x9100);
        EXPECT_EQ(b.cpu.mem[0x90FF], 0x3C);
    }
    {
        SCOPED_TRACE("OTIR with B = 3: three passes, ports 02xx, 01xx, 00xx");
        Block b({0xED, 0xB3});
        b.cpu.load(0x9000, {7, 8, 9});
        z80regs& r = b.cpu.regs();
        r.BC = 0x0310, r.HL = 0x9000;
        b.cpu.recordBus = true;
        EXPECT_EQ(b.run(), (std::vector<int>{21, 21, 16}));
        std::vector<BusEvent> out;
        for (const BusEvent& e : b.cpu.bus)
            if (e.kind == 'O') out.push_back(e);
        EXPECT_EQ(out, (std::vector<BusEvent>{{'O', 0x0210, 7}, {'O', 0x0110, 8}, {'O', 0x0010, 9}}));
    }
    {
        SCOPED_TRACE("INDR and OTDR count HL down");
        for (int op : {0xBA, 0xBB}) {
            Block b({0xED, op});
            z80regs& r = b.cpu.regs();
            r.BC = 0x0210, r.HL = 0x9000;
            EXPECT_EQ(b.run(), (std::vector<int>{21, 16}));
            EXPECT_EQ(r.HL, 0x8FFE);
            EXPECT_EQ(r.BC, 0x0010);
        }
    }
    {
        SCOPED_TRACE("INIR that overwrites its own opcode runs the new one next pass");
        TestCpu cpu;
        cpu.load(kCode, {0xED, 0xB2, 0x00, 0x76});
        cpu.portIn = 0xA2; // INI
        z80regs& r = cpu.regs();
        r.PC = kCode;
        r.BC = 0x0510, r.HL = kCode + 1;
        cpu.run(1 << 20);
        // pass 1: INIR writes A2 over its B2 and repeats; pass 2: INI, no repeat
        EXPECT_EQ(cpu.hookCosts.front(), 21);
        EXPECT_EQ(cpu.hookCosts[1], 16);
        EXPECT_EQ(r.BC, 0x0310);
        EXPECT_EQ(cpu.mem[kCode + 2], 0xA2);
    }
}

} // namespace
