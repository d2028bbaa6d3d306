// Instruction results and flags, family by family, one instruction per case.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cpu/z80_test_host.h"

namespace {

constexpr int kCode = 0x1000;
constexpr int kAny = -1;

struct Regs {
    int AF = kAny, BC = kAny, DE = kAny, HL = kAny, IX = kAny, IY = kAny, SP = kAny, PC = kAny;
};

struct Case {
    const char* name;
    std::vector<int> code;
    Regs in;
    Regs out;
    std::vector<std::pair<int, int>> memIn = {};
    std::vector<std::pair<int, int>> memOut = {};
};

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestCpu cpu;
        for (std::size_t i = 0; i < c.code.size(); ++i)
            cpu.mem[kCode + i] = static_cast<uint8_t>(c.code[i]);
        for (auto [a, v] : c.memIn)
            cpu.mem[a] = static_cast<uint8_t>(v);
        z80regs& r = cpu.regs();
        auto set = [](int32_t& slot, int v, int dflt) { slot = v == kAny ? dflt : v; };
        set(r.AF, c.in.AF, 0);
        set(r.BC, c.in.BC, 0);
        set(r.DE, c.in.DE, 0);
        set(r.HL, c.in.HL, 0);
        set(r.IX, c.in.IX, 0);
        set(r.IY, c.in.IY, 0);
        set(r.SP, c.in.SP, 0x8000);
        r.PC = kCode;
        cpu.step();
        auto check = [](const char* what, int got, int want) {
            if (want != kAny) {
                EXPECT_EQ(got, want) << what;
            }
        };
        check("AF", r.AF, c.out.AF);
        check("BC", r.BC, c.out.BC);
        check("DE", r.DE, c.out.DE);
        check("HL", r.HL, c.out.HL);
        check("IX", r.IX, c.out.IX);
        check("IY", r.IY, c.out.IY);
        check("SP", r.SP, c.out.SP);
        check("PC", r.PC, c.out.PC == kAny ? kCode + static_cast<int>(c.code.size()) : c.out.PC);
        for (auto [a, v] : c.memOut)
            EXPECT_EQ(cpu.mem[a], v) << "memory at " << a;
    }
}

TEST(Arithmetic8, VectorsAndEdgeCases) {
    RunCases({
        {"ADD A,n 7F+1", {0xC6, 0x01}, {.AF = 0x7F00}, {.AF = 0x8094}},
        {"ADC A,n FF+0+C", {0xCE, 0x00}, {.AF = 0xFF01}, {.AF = 0x0051}},
        {"SUB n 80-1", {0xD6, 0x01}, {.AF = 0x8000}, {.AF = 0x7F16}},
        {"CP n 01-FF", {0xFE, 0xFF}, {.AF = 0x0100}, {.AF = 0x0113}},
        {"SUB n 01-FF no overflow", {0xD6, 0xFF}, {.AF = 0x0100}, {.AF = 0x0213}},
        {"SBC A,B with borrow", {0x98}, {.AF = 0x1001, .BC = 0x0F00}, {.AF = 0x0052}},
        {"NEG 80", {0xED, 0x44}, {.AF = 0x8000}, {.AF = 0x8087}},
        {"NEG 00", {0xED, 0x44}, {.AF = 0x0000}, {.AF = 0x0042}},
        {"NEG 01", {0xED, 0x44}, {.AF = 0x0100}, {.AF = 0xFF93}},
        {"NEG alias ED 7C", {0xED, 0x7C}, {.AF = 0x0100}, {.AF = 0xFF93}},
        {"INC A 7F keeps C", {0x3C}, {.AF = 0x7F01}, {.AF = 0x8095}},
        {"DEC B 80 keeps C", {0x05}, {.AF = 0x0001, .BC = 0x8000}, {.AF = 0x0017, .BC = 0x7F00}},
        {"DEC C 01", {0x0D}, {.AF = 0x0000, .BC = 0x0001}, {.AF = 0x0042, .BC = 0x0000}},
        {"INC (HL) FF",
         {0x34},
         {.AF = 0x0000, .HL = 0x9000},
         {.AF = 0x0050},
         {{0x9000, 0xFF}},
         {{0x9000, 0x00}}},
        {"AND giving 0", {0xE6, 0x0F}, {.AF = 0xF0FF}, {.AF = 0x0054}},
        {"OR giving 80", {0xB0}, {.AF = 0x00FF, .BC = 0x8000}, {.AF = 0x8080}},
        {"XOR A", {0xAF}, {.AF = 0x55FF}, {.AF = 0x0044}},
        {"SUB A", {0x97}, {.AF = 0x55FF}, {.AF = 0x0042}},
        {"XOR n parity", {0xEE, 0x01}, {.AF = 0x0200}, {.AF = 0x0304}},
        {"ADD A,28 leaves bits 5,3 clear", {0xC6, 0x28}, {.AF = 0x0000}, {.AF = 0x2800}},
        {"SCF keeps bits 5,3", {0x37}, {.AF = 0x0028}, {.AF = 0x0029}},
        {"CCF", {0x3F}, {.AF = 0x0001}, {.AF = 0x0010}},
        {"CPL", {0x2F}, {.AF = 0x5A00}, {.AF = 0xA512}},
        {"DAA 9A", {0x27}, {.AF = 0x9A00}, {.AF = 0x0055}},
        {"DAA 99", {0x27}, {.AF = 0x9900}, {.AF = 0x998C}},
        {"DAA 0F", {0x27}, {.AF = 0x0F00}, {.AF = 0x1510}},
        {"DAA 00 H N", {0x27}, {.AF = 0x0012}, {.AF = 0xFABE}},
        {"DAA FF C H", {0x27}, {.AF = 0xFF11}, {.AF = 0x6535}},
        {"ADD A,(IX+d) d=80",
         {0xDD, 0x86, 0x80},
         {.AF = 0x0100, .IX = 0x9080},
         {.AF = 0x0300},
         {{0x9000, 0x02}}},
        {"SUB (IY+d)", {0xFD, 0x96, 0x01}, {.AF = 0x0500, .IY = 0x9000}, {.AF = 0x0042}, {{0x9001, 0x05}}},
        {"ADD A,IXh", {0xDD, 0x84}, {.AF = 0x0100, .IX = 0x2000}, {.AF = 0x2100}},
        {"CP IYl", {0xFD, 0xBD}, {.AF = 0x1000, .IY = 0x0010}, {.AF = 0x1042}},
        {"INC IXh", {0xDD, 0x24}, {.AF = 0x0000, .IX = 0x7FFF}, {.AF = 0x0094, .IX = 0x80FF}},
        {"DEC IYl", {0xFD, 0x2D}, {.AF = 0x0000, .IY = 0x1201}, {.AF = 0x0042, .IY = 0x1200}},
        {"DEC (IX+d)",
         {0xDD, 0x35, 0x02},
         {.AF = 0x0000, .IX = 0x9000},
         {.AF = 0x0016},
         {{0x9002, 0x80}},
         {{0x9002, 0x7F}}},
        {"ADC A,(HL)", {0x8E}, {.AF = 0x0F01, .HL = 0x9000}, {.AF = 0x2010}, {{0x9000, 0x10}}},
    });
}

TEST(Arithmetic16, VectorsAndEdgeCases) {
    RunCases({
        {"ADD HL,DE keeps S Z PV",
         {0x19},
         {.AF = 0x00C5, .DE = 0x0001, .HL = 0x0FFF},
         {.AF = 0x00D4, .HL = 0x1000}},
        {"ADD HL,HL 8000", {0x29}, {.AF = 0x0000, .HL = 0x8000}, {.AF = 0x0001, .HL = 0x0000}},
        {"ADD IX,IX", {0xDD, 0x29}, {.AF = 0x00FF, .IX = 0x8800}, {.AF = 0x00D5, .IX = 0x1000}},
        {"ADD IY,SP", {0xFD, 0x39}, {.AF = 0x0000, .IY = 0x0001, .SP = 0xFFFF}, {.AF = 0x0011, .IY = 0x0000}},
        {"ADC HL,BC", {0xED, 0x4A}, {.AF = 0x0001, .BC = 0x0000, .HL = 0x7FFF}, {.AF = 0x0094, .HL = 0x8000}},
        {"ADC HL,HL", {0xED, 0x6A}, {.AF = 0x0000, .HL = 0x8000}, {.AF = 0x0045, .HL = 0x0000}},
        {"SBC HL,DE", {0xED, 0x52}, {.AF = 0x0000, .DE = 0x0001, .HL = 0x8000}, {.AF = 0x0016, .HL = 0x7FFF}},
        {"SBC HL,HL C=0", {0xED, 0x62}, {.AF = 0x0000, .HL = 0x1234}, {.AF = 0x0042, .HL = 0x0000}},
        {"SBC HL,HL C=1", {0xED, 0x62}, {.AF = 0x0001, .HL = 0x1234}, {.AF = 0x0093, .HL = 0xFFFF}},
        {"SBC HL,SP", {0xED, 0x72}, {.AF = 0x0000, .HL = 0x1000, .SP = 0x0001}, {.AF = 0x0012, .HL = 0x0FFF}},
        {"INC SP wraps", {0x33}, {.AF = 0x00FF, .SP = 0xFFFF}, {.AF = 0x00FF, .SP = 0x0000}},
        {"DEC BC wraps", {0x0B}, {.AF = 0x00FF, .BC = 0x0000}, {.AF = 0x00FF, .BC = 0xFFFF}},
        {"INC IX", {0xDD, 0x23}, {.IX = 0xFFFF}, {.IX = 0x0000}},
        {"DEC IY", {0xFD, 0x2B}, {.IY = 0x0000}, {.IY = 0xFFFF}},
    });
}

TEST(RotateShiftBit, VectorsAndEdgeCases) {
    RunCases({
        {"RLCA", {0x07}, {.AF = 0x80FF}, {.AF = 0x01ED}},
        {"RRA keeps Z", {0x1F}, {.AF = 0x01C4}, {.AF = 0x00C5}},
        {"RLA", {0x17}, {.AF = 0x4001}, {.AF = 0x8100}},
        {"RRCA", {0x0F}, {.AF = 0x0100}, {.AF = 0x8001}},
        {"RLC B 80", {0xCB, 0x00}, {.AF = 0x0000, .BC = 0x8000}, {.AF = 0x0001, .BC = 0x0100}},
        {"SRL A 01", {0xCB, 0x3F}, {.AF = 0x0100}, {.AF = 0x0045}},
        {"SRL C 81", {0xCB, 0x39}, {.AF = 0x0000, .BC = 0x0081}, {.AF = 0x0001, .BC = 0x0040}},
        {"SRA D 81", {0xCB, 0x2A}, {.AF = 0x0000, .DE = 0x8100}, {.AF = 0x0085, .DE = 0xC000}},
        {"SLL E 00", {0xCB, 0x33}, {.AF = 0x0000, .DE = 0x0000}, {.AF = 0x0000, .DE = 0x0001}},
        {"SLL H 80", {0xCB, 0x34}, {.AF = 0x0000, .HL = 0x8000}, {.AF = 0x0001, .HL = 0x0100}},
        {"RL L with C", {0xCB, 0x15}, {.AF = 0x0001, .HL = 0x0080}, {.AF = 0x0001, .HL = 0x0001}},
        {"RR (HL)",
         {0xCB, 0x1E},
         {.AF = 0x0001, .HL = 0x9000},
         {.AF = 0x0080},
         {{0x9000, 0x00}},
         {{0x9000, 0x80}}},
        {"SLA (IX+d)",
         {0xDD, 0xCB, 0x01, 0x26},
         {.AF = 0x0000, .IX = 0x9000},
         {.AF = 0x0081},
         {{0x9001, 0xC0}},
         {{0x9001, 0x80}}},
        {"BIT 7,A set", {0xCB, 0x7F}, {.AF = 0x8001}, {.AF = 0x8091}},
        {"BIT 0,A S stays 0", {0xCB, 0x47}, {.AF = 0x8100}, {.AF = 0x8110}},
        {"BIT 3,B clear", {0xCB, 0x58}, {.AF = 0x00FF, .BC = 0xF700}, {.AF = 0x0051}},
        {"BIT 2,(HL)", {0xCB, 0x56}, {.AF = 0x0000, .HL = 0x9000}, {.AF = 0x0010}, {{0x9000, 0x04}}},
        {"BIT 0,(IX+d) via row 40",
         {0xDD, 0xCB, 0x00, 0x40},
         {.AF = 0x0000, .BC = 0x1234, .IX = 0x9000},
         {.AF = 0x0050, .BC = 0x1234}},
        {"BIT 0,(IY+d) via row 47",
         {0xFD, 0xCB, 0x00, 0x47},
         {.AF = 0x0000, .IY = 0x9000},
         {.AF = 0x0010},
         {{0x9000, 0x01}}},
        {"RES 7,A", {0xCB, 0xBF}, {.AF = 0xFFFF}, {.AF = 0x7FFF}},
        {"SET 0,(IX+d) wraps",
         {0xDD, 0xCB, 0x01, 0xC6},
         {.AF = 0x00FF, .IX = 0xFFFF},
         {.AF = 0x00FF},
         {},
         {{0x0000, 0x01}}},
        {"RES 4,(HL)", {0xCB, 0xA6}, {.HL = 0x9000}, {}, {{0x9000, 0xFF}}, {{0x9000, 0xEF}}},
        // an undefined DD CB row costs nothing, so the NOP after it runs in the same step
        {"DD CB undefined row",
         {0xDD, 0xCB, 0x01, 0x00},
         {.AF = 0x12FF, .BC = 0x3456, .IX = 0x9000},
         {.AF = 0x12FF, .BC = 0x3456, .PC = kCode + 5},
         {{0x9001, 0x80}},
         {{0x9001, 0x80}}},
        {"RLD",
         {0xED, 0x6F},
         {.AF = 0x1201, .HL = 0x9000},
         {.AF = 0x1301},
         {{0x9000, 0x34}},
         {{0x9000, 0x42}}},
        {"RRD",
         {0xED, 0x67},
         {.AF = 0x1201, .HL = 0x9000},
         {.AF = 0x1405},
         {{0x9000, 0x34}},
         {{0x9000, 0x23}}},
    });
}

TEST(Loads, VectorsAndEdgeCases) {
    RunCases({
        {"LD B,n", {0x06, 0x42}, {.BC = 0x0011}, {.BC = 0x4211}},
        {"LD H,E", {0x63}, {.DE = 0x00AB, .HL = 0x1234}, {.HL = 0xAB34}},
        {"LD A,(BC)", {0x0A}, {.AF = 0x00C3, .BC = 0x9000}, {.AF = 0x77C3}, {{0x9000, 0x77}}},
        {"LD (DE),A", {0x12}, {.AF = 0x5500, .DE = 0x9000}, {}, {}, {{0x9000, 0x55}}},
        {"LD A,(nn)", {0x3A, 0x00, 0x90}, {.AF = 0x0000}, {.AF = 0x6600}, {{0x9000, 0x66}}},
        {"LD (nn),HL at FFFF", {0x22, 0xFF, 0xFF}, {.HL = 0xABCD}, {}, {}, {{0xFFFF, 0xCD}, {0x0000, 0xAB}}},
        {"LD HL,(nn)", {0x2A, 0x00, 0x90}, {}, {.HL = 0x2211}, {{0x9000, 0x11}, {0x9001, 0x22}}},
        {"LD DE,(nn) ED", {0xED, 0x5B, 0x00, 0x90}, {}, {.DE = 0x2211}, {{0x9000, 0x11}, {0x9001, 0x22}}},
        {"LD (nn),SP ED", {0xED, 0x73, 0x00, 0x90}, {.SP = 0x1234}, {}, {}, {{0x9000, 0x34}, {0x9001, 0x12}}},
        {"LD IX,nn", {0xDD, 0x21, 0x34, 0x12}, {}, {.IX = 0x1234}},
        {"LD IY,(nn)", {0xFD, 0x2A, 0x00, 0x90}, {}, {.IY = 0x2211}, {{0x9000, 0x11}, {0x9001, 0x22}}},
        {"LD (IX+d),n d=80", {0xDD, 0x36, 0x80, 0xFF}, {.IX = 0x9080}, {}, {}, {{0x9000, 0xFF}}},
        {"LD H,(IX+d) is real H",
         {0xDD, 0x66, 0x01},
         {.HL = 0x0000, .IX = 0x9000},
         {.HL = 0x9900, .IX = 0x9000},
         {{0x9001, 0x99}}},
        {"LD (IY+d),L is real L", {0xFD, 0x75, 0xFF}, {.HL = 0x1234, .IY = 0x9001}, {}, {}, {{0x9000, 0x34}}},
        {"LD IXh,n", {0xDD, 0x26, 0x55}, {.IX = 0x1234}, {.IX = 0x5534}},
        {"LD IXh,B", {0xDD, 0x60}, {.BC = 0xAB00, .IX = 0x1234}, {.IX = 0xAB34}},
        {"LD IXh,IXl (DD 65)", {0xDD, 0x65}, {.IX = 0x1234}, {.IX = 0x3434}},
        {"DD 64 changes nothing", {0xDD, 0x64}, {.HL = 0x5678, .IX = 0x1234}, {.HL = 0x5678, .IX = 0x1234}},
        {"DD 6D changes nothing", {0xDD, 0x6D}, {.IX = 0x1234}, {.IX = 0x1234}},
        {"LD A,IYl", {0xFD, 0x7D}, {.AF = 0x0000, .IY = 0x12EE}, {.AF = 0xEE00}},
        {"LD IYl,A", {0xFD, 0x6F}, {.AF = 0x7700, .IY = 0x1234}, {.IY = 0x1277}},
        {"LD SP,IX", {0xDD, 0xF9}, {.IX = 0x4321}, {.SP = 0x4321}},
        {"EX DE,HL", {0xEB}, {.DE = 0x1111, .HL = 0x2222}, {.DE = 0x2222, .HL = 0x1111}},
        {"EX (SP),HL at FFFF",
         {0xE3},
         {.HL = 0x1234, .SP = 0xFFFF},
         {.HL = 0xBBAA, .SP = 0xFFFF},
         {{0xFFFF, 0xAA}, {0x0000, 0xBB}},
         {{0xFFFF, 0x34}, {0x0000, 0x12}}},
        {"EX (SP),IY",
         {0xFD, 0xE3},
         {.IY = 0x1234, .SP = 0x9000},
         {.IY = 0xBBAA},
         {{0x9000, 0xAA}, {0x9001, 0xBB}},
         {{0x9000, 0x34}, {0x9001, 0x12}}},
        {"PUSH AF keeps every F bit",
         {0xF5},
         {.AF = 0x12FF, .SP = 0x9002},
         {.SP = 0x9000},
         {},
         {{0x9000, 0xFF}, {0x9001, 0x12}}},
        {"POP AF loads every F bit",
         {0xF1},
         {.SP = 0x9000},
         {.AF = 0x3428, .SP = 0x9002},
         {{0x9000, 0x28}, {0x9001, 0x34}}},
        {"PUSH with SP=1 wraps",
         {0xC5},
         {.BC = 0xABCD, .SP = 0x0001},
         {.SP = 0xFFFF},
         {},
         {{0xFFFF, 0xCD}, {0x0000, 0xAB}}},
        {"POP IX",
         {0xDD, 0xE1},
         {.SP = 0xFFFF},
         {.IX = 0xBBAA, .SP = 0x0001},
         {{0xFFFF, 0xAA}, {0x0000, 0xBB}}},
        {"LDI",
         {0xED, 0xA0},
         {.AF = 0x00FF, .BC = 0x0002, .DE = 0x9100, .HL = 0x9000},
         {.AF = 0x00ED, .BC = 0x0001, .DE = 0x9101, .HL = 0x9001},
         {{0x9000, 0x5A}},
         {{0x9100, 0x5A}}},
        {"LDD to BC=0",
         {0xED, 0xA8},
         {.AF = 0x00FF, .BC = 0x0001, .DE = 0x9100, .HL = 0x9000},
         {.AF = 0x00E9, .BC = 0x0000, .DE = 0x90FF, .HL = 0x8FFF},
         {{0x9000, 0x5A}},
         {{0x9100, 0x5A}}},
        {"DD before EB is skipped",
         {0xDD, 0xEB},
         {.DE = 0x1111, .HL = 0x2222, .IX = 0x3333},
         {.DE = 0x2222, .HL = 0x1111, .IX = 0x3333}},
        {"DD FD 21 loads IY", {0xDD, 0xFD, 0x21, 0x34, 0x12}, {.IX = 0, .IY = 0}, {.IX = 0, .IY = 0x1234}},
    });
}

TEST(JumpsCallsReturns, VectorsAndEdgeCases) {
    RunCases({
        {"JP nn", {0xC3, 0x34, 0x12}, {}, {.PC = 0x1234}},
        {"JP Z taken", {0xCA, 0x34, 0x12}, {.AF = 0x0040}, {.PC = 0x1234}},
        {"JP Z not taken", {0xCA, 0x34, 0x12}, {.AF = 0x0000}, {.PC = kCode + 3}},
        {"JP PE taken", {0xEA, 0x34, 0x12}, {.AF = 0x0004}, {.PC = 0x1234}},
        {"JP M not taken", {0xFA, 0x34, 0x12}, {.AF = 0x007F}, {.PC = kCode + 3}},
        {"JP (IY)", {0xFD, 0xE9}, {.IY = 0x4567}, {.PC = 0x4567}},
        {"JR to itself", {0x18, 0xFE}, {}, {.PC = kCode}},
        {"JR NC not taken", {0x30, 0x10}, {.AF = 0x0001}, {.PC = kCode + 2}},
        {"DJNZ taken", {0x10, 0x10}, {.BC = 0x0200}, {.BC = 0x0100, .PC = kCode + 0x12}},
        {"DJNZ B=1 falls through", {0x10, 0x10}, {.BC = 0x0100}, {.BC = 0x0000, .PC = kCode + 2}},
        {"CALL with SP=0",
         {0xCD, 0x00, 0x20},
         {.SP = 0x0000},
         {.SP = 0xFFFE, .PC = 0x2000},
         {},
         {{0xFFFE, 0x03}, {0xFFFF, 0x10}}},
        {"CALL NZ not taken",
         {0xC4, 0x00, 0x20},
         {.AF = 0x0040, .SP = 0x9000},
         {.SP = 0x9000, .PC = kCode + 3}},
        {"RET", {0xC9}, {.SP = 0x9000}, {.SP = 0x9002, .PC = 0x2211}, {{0x9000, 0x11}, {0x9001, 0x22}}},
        {"RET C not taken", {0xD8}, {.AF = 0x0000, .SP = 0x9000}, {.SP = 0x9000, .PC = kCode + 1}},
        {"RST 28h",
         {0xEF},
         {.SP = 0x9000},
         {.SP = 0x8FFE, .PC = 0x0028},
         {},
         {{0x8FFE, 0x01}, {0x8FFF, 0x10}}},
        {"DD C3 jumps like C3", {0xDD, 0xC3, 0x34, 0x12}, {}, {.PC = 0x1234}},
    });
}

TEST(InputOutput, PortsAndFlags) {
    struct IoCase {
        const char* name;
        std::vector<int> code;
        int af, bc, hl;
        int portIn;
        int wantAF, wantBC, wantHL;
        std::vector<BusEvent> ports;
    };
    const std::vector<IoCase> cases = {
        {"IN A,(n)", {0xDB, 0xFE}, 0x12C5, 0, 0, 0x77, 0x77C5, 0, 0, {{'I', 0x12FE, 0x77}}},
        {"IN r,(C) zero", {0xED, 0x50}, 0x0001, 0x1234, 0, 0x00, 0x0045, 0x1234, 0, {{'I', 0x1234, 0x00}}},
        {"IN r,(C) 80", {0xED, 0x78}, 0x0000, 0x1234, 0, 0x80, 0x8080, 0x1234, 0, {{'I', 0x1234, 0x80}}},
        {"IN 0,(C) flags only",
         {0xED, 0x70},
         0x5500,
         0x1234,
         0,
         0x03,
         0x5504,
         0x1234,
         0,
         {{'I', 0x1234, 0x03}}},
        {"OUT (C),0", {0xED, 0x71}, 0x5500, 0x1234, 0, 0, 0x5500, 0x1234, 0, {{'O', 0x1234, 0x00}}},
        {"OUT (C),H", {0xED, 0x61}, 0, 0x1234, 0xAB00, 0, 0, 0x1234, 0xAB00, {{'O', 0x1234, 0xAB}}},
        {"OUT (n),A", {0xD3, 0x34}, 0x12FF, 0, 0, 0, 0x12FF, 0, 0, {{'O', 0x1234, 0x12}}},
        {"INI B=1",
         {0xED, 0xA2},
         0x00FF,
         0x0110,
         0x9000,
         0x5A,
         0x0042,
         0x0010,
         0x9001,
         {{'I', 0x0110, 0x5A}, {'W', 0x9000, 0x5A}}},
        {"INI B=0",
         {0xED, 0xA2},
         0x00FF,
         0x0010,
         0x9000,
         0x5A,
         0x0002,
         0xFF10,
         0x9001,
         {{'I', 0x0010, 0x5A}, {'W', 0x9000, 0x5A}}},
        {"IND",
         {0xED, 0xAA},
         0x0000,
         0x0210,
         0x9000,
         0x5A,
         0x0002,
         0x0110,
         0x8FFF,
         {{'I', 0x0210, 0x5A}, {'W', 0x9000, 0x5A}}},
        {"OUTI B=1",
         {0xED, 0xA3},
         0x00FF,
         0x0110,
         0x9000,
         0,
         0x0042,
         0x0010,
         0x9001,
         {{'R', 0x9000, 0x66}, {'O', 0x0010, 0x66}}},
        {"OUTD",
         {0xED, 0xAB},
         0x0000,
         0x0310,
         0x9000,
         0,
         0x0002,
         0x0210,
         0x8FFF,
         {{'R', 0x9000, 0x66}, {'O', 0x0210, 0x66}}},
    };
    for (const IoCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestCpu cpu;
        cpu.mem[0x9000] = 0x66;
        for (std::size_t i = 0; i < c.code.size(); ++i)
            cpu.mem[kCode + i] = static_cast<uint8_t>(c.code[i]);
        cpu.regs().PC = kCode;
        cpu.regs().AF = c.af;
        cpu.regs().BC = c.bc;
        cpu.regs().HL = c.hl;
        cpu.portIn = static_cast<uint8_t>(c.portIn);
        cpu.recordBus = true;
        cpu.step();
        EXPECT_EQ(cpu.regs().AF, c.wantAF);
        EXPECT_EQ(cpu.regs().BC, c.wantBC);
        EXPECT_EQ(cpu.regs().HL, c.wantHL);
        std::vector<BusEvent> data;
        for (const BusEvent& e : cpu.bus)
            if (e.kind != 'F') data.push_back(e);
        EXPECT_EQ(data, c.ports);
    }
}

TEST(BlockCompare, CpiAndCpir) {
    RunCases({
        {"CPI BC=1 match",
         {0xED, 0xA1},
         {.AF = 0x0501, .BC = 0x0001, .HL = 0x9000},
         {.AF = 0x0543, .BC = 0x0000, .HL = 0x9001},
         {{0x9000, 0x05}}},
        {"CPI BC=1 no match",
         {0xED, 0xA1},
         {.AF = 0x0500, .BC = 0x0001, .HL = 0x9000},
         {.AF = 0x0592, .BC = 0x0000, .HL = 0x9001},
         {{0x9000, 0x06}}},
        {"CPD half borrow",
         {0xED, 0xA9},
         {.AF = 0x1000, .BC = 0x0002, .HL = 0x9000},
         {.AF = 0x1016, .BC = 0x0001, .HL = 0x8FFF},
         {{0x9000, 0x01}}},
    });
    TestCpu cpu;
    cpu.load(kCode, {0xED, 0xB1});
    cpu.load(0x9000, {0x00, 0x05});
    z80regs& r = cpu.regs();
    r.PC = kCode;
    r.AF = 0x0501;
    r.BC = 10;
    r.HL = 0x9000;
    cpu.TStates = 100;
    cpu.SliceTStates = 0;
    while (r.PC != kCode + 2 && cpu.hookCosts.size() < 20) {
        cpu.TStates = 1;
        cpu.Execute();
    }
    EXPECT_EQ(cpu.hookCosts, (std::vector<int>{21, 16}));
    EXPECT_EQ(r.AF & 0xFF, 0x47); // Z, P/V, N, C kept
    EXPECT_EQ(r.BC, 8);
    EXPECT_EQ(r.HL, 0x9002);
}

} // namespace
