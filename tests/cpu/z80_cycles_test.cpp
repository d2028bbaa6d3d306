// Every T-state table row, measured through the host's hook, against the
// instruction timings of the Z80 manual (conditional forms both ways).
#include <gtest/gtest.h>

#include "cpu/z80_test_host.h"

namespace {

constexpr int kCode = 0x1000;

// Condition cc of the opcode's y field with flags f.
bool Taken(int cc, int f) {
    const int masks[4] = {0x40, 0x01, 0x04, 0x80};
    return ((f & masks[cc >> 1]) != 0) == ((cc & 1) != 0);
}

// Unprefixed opcode with B = 2 (DJNZ loops) and flags f.
int ManualMain(int op, int f) {
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7, p = y >> 1, q = y & 1;
    if (x == 0) {
        switch (z) {
        case 0:
            if (y < 2) return 4;
            if (y == 2) return 13; // DJNZ, B becomes 1
            if (y == 3) return 12;
            return Taken(y - 4, f) ? 12 : 7;
        case 1: return q ? 11 : 10;
        case 2: return y < 4 ? 7 : y < 6 ? 16 : 13;
        case 3: return 6;
        case 4:
        case 5: return y == 6 ? 11 : 4;
        case 6: return y == 6 ? 10 : 7;
        default: return 4;
        }
    }
    if (x == 1) return op == 0x76 ? 4 : (y == 6 || z == 6) ? 7 : 4;
    if (x == 2) return z == 6 ? 7 : 4;
    switch (z) {
    case 0: return Taken(y, f) ? 11 : 5;
    case 1: return q == 0 ? 10 : (const int[]){10, 4, 4, 6}[p];
    case 2: return 10;
    case 3: return (const int[]){10, -1, 11, 11, 19, 4, 4, 4}[y];
    case 4: return Taken(y, f) ? 17 : 10;
    case 5: return q == 0 ? 11 : 17;
    case 6: return 7;
    default: return 11;
    }
}

int ManualCB(int op) {
    const bool mem = (op & 7) == 6;
    if ((op >> 6) == 1) return mem ? 12 : 8;
    return mem ? 15 : 8;
}

// ED opcode; the repeating forms repeat (BC = 2, B = 2, no match).
int ManualED(int op) {
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    if (x == 1) {
        switch (z) {
        case 0:
        case 1: return 12;
        case 2: return 15;
        case 3: return 20;
        case 4: return 8;
        case 5: return 14;
        case 6: return 8;
        default: return y < 4 ? 9 : y < 6 ? 18 : 0;
        }
    }
    if (x == 2 && z <= 3 && y >= 4) return y < 6 ? 16 : 21;
    return 0;
}

// DD/FD opcode; 0 for the rows where the prefix is skipped.
int ManualIndex(int op) {
    const int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    const bool half = y == 4 || y == 5 || z == 4 || z == 5;
    // clang-format off
    switch (op) {
    case 0x09: case 0x19: case 0x29: case 0x39: return 15;
    case 0x21: return 14;
    case 0x22: case 0x2A: return 20;
    case 0x23: case 0x2B: return 10;
    case 0x24: case 0x25: case 0x26: case 0x2C: case 0x2D: case 0x2E: return 9;
    case 0x34: case 0x35: return 23;
    case 0x36: return 19;
    case 0xE1: return 14;
    case 0xE3: return 23;
    case 0xE5: return 15;
    case 0xE9: return 8;
    case 0xF9: return 10;
    default: break;
    }
    // clang-format on
    if (x == 1 && op != 0x76) return (y == 6 || z == 6) ? 19 : half ? 9 : 0;
    if (x == 2) return z == 6 ? 19 : (z == 4 || z == 5) ? 9 : 0;
    return 0;
}

int ManualIndexCB(int op) {
    if ((op >> 6) == 1) return 20;
    return (op & 7) == 6 ? 23 : 0;
}

int Measure(std::initializer_list<int> code, int f) {
    TestCpu cpu;
    cpu.load(kCode, code);
    z80regs& r = cpu.regs();
    r.PC = kCode;
    r.AF = 0x5500 | f;
    r.BC = 0x0202;
    r.HL = 0x9000;
    r.DE = 0x9100;
    r.SP = 0x8000;
    r.IFF1 = r.IFF2 = 1; // so that EI runs no instruction of its own
    return cpu.step();
}

TEST(Cycles, MainTable) {
    for (int f : {0x00, 0xFF})
        for (int op = 0; op < 256; ++op) {
            if (op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD) continue;
            EXPECT_EQ(Measure({op}, f), ManualMain(op, f)) << std::hex << "op " << op << " F " << f;
        }
}

TEST(Cycles, PrefixedTables) {
    for (int op = 0; op < 256; ++op) {
        EXPECT_EQ(Measure({0xCB, op}, 0), ManualCB(op)) << std::hex << "CB " << op;
        EXPECT_EQ(Measure({0xED, op}, 0), ManualED(op)) << std::hex << "ED " << op;
        if (op != 0xCB) {
            EXPECT_EQ(Measure({0xDD, op}, 0), ManualIndex(op)) << std::hex << "DD " << op;
            EXPECT_EQ(Measure({0xFD, op}, 0), ManualIndex(op)) << std::hex << "FD " << op;
        }
        EXPECT_EQ(Measure({0xDD, 0xCB, 0x05, op}, 0), ManualIndexCB(op)) << std::hex << "DD CB " << op;
        EXPECT_EQ(Measure({0xFD, 0xCB, 0x05, op}, 0), ManualIndexCB(op)) << std::hex << "FD CB " << op;
    }
}

TEST(Cycles, ConditionalAndRepeatingForms) {
    struct Row {
        const char* name;
        std::initializer_list<int> code;
        int bc, f, want;
    };
    const Row rows[] = {
        {"DJNZ with B=1 falls through", {0x10, 0x00}, 0x0100, 0, 8},
        {"LDIR last pass", {0xED, 0xB0}, 0x0001, 0, 16},
        {"OTIR last pass", {0xED, 0xB3}, 0x0100, 0, 16},
        {"INDR last pass", {0xED, 0xBA}, 0x0100, 0, 16},
        {"CPDR stops on BC=0", {0xED, 0xB9}, 0x0001, 0, 16},
    };
    for (const Row& row : rows) {
        TestCpu cpu;
        cpu.load(kCode, row.code);
        cpu.regs().PC = kCode;
        cpu.regs().BC = row.bc;
        cpu.regs().AF = 0x5500 | row.f;
        EXPECT_EQ(cpu.step(), row.want) << row.name;
    }
}

} // namespace
