// The disassembler: text and padding of each operand form, data lines, and the
// length of every instruction against the bytes the processor consumes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "cpu/z80_test_host.h"

namespace {

struct Line {
    std::vector<unsigned char> code;
    int address;
    const char* text;
    int length;
};

TEST(Disassembler, TextAndLength) {
    const Line lines[] = {
        {{0x01, 0x34, 0x12}, 0x0000, "ld     bc,$1234", 3},
        {{0x18, 0xFE}, 0x1000, "jr     $1000", 2},
        {{0x18, 0x01}, 0xFFFF, "jr     $0002", 2},
        {{0x10, 0x80}, 0x0010, "djnz   $ff92", 2},
        {{0x38, 0x7F}, 0x8000, "jr     c,$8081", 2},
        {{0xCD, 0x34, 0x12}, 0, "call   $1234", 3},
        {{0xC4, 0x00, 0x80}, 0, "call   nz,$8000", 3},
        {{0xDD, 0x36, 0x80, 0xFF}, 0, "ld     (ix-$80),$ff", 4},
        {{0xDD, 0x7E, 0x7F}, 0, "ld     a,(ix+$7f)", 3},
        {{0xFD, 0x77, 0x00}, 0, "ld     (iy+$00),a", 3},
        {{0xFD, 0x86, 0xFF}, 0, "add    a,(iy-$01)", 3},
        {{0xFD, 0xCB, 0x05, 0xC6}, 0, "set    0,(iy+$05)", 4},
        {{0xDD, 0xCB, 0xFE, 0x7E}, 0, "bit    7,(ix-$02)", 4},
        {{0xDD, 0xCB, 0x05, 0x36}, 0, "sll    (ix+$05)", 4},
        {{0xDD, 0xCB, 0x05, 0x40}, 0, "db     $dd,$cb,$05", 4}, // the processor runs it as BIT
        {{0xFD, 0xCB, 0x80, 0x00}, 0, "db     $fd,$cb,$80", 4},
        {{0xED, 0x00}, 0, "db     $ed,$00", 2},
        {{0xED, 0x4C}, 0, "db     $ed,$4c", 2}, // NEG alias
        {{0xED, 0xFE}, 0, "db     $ed,$fe", 2},
        {{0xDD, 0x00}, 0, "db     $dd", 1},
        {{0xDD, 0x76}, 0, "db     $dd", 1},
        {{0x76}, 0, "halt", 1},
        {{0x00}, 0, "nop", 1},
        {{0x08}, 0, "ex     af,af'", 1},
        {{0xFF}, 0, "rst    38h", 1},
        {{0xC7}, 0, "rst    00h", 1},
        {{0xD3, 0x12}, 0, "out    ($12),a", 2},
        {{0xDB, 0x34}, 0, "in     a,($34)", 2},
        {{0x3A, 0xCD, 0xAB}, 0, "ld     a,($abcd)", 3},
        {{0x36, 0x9C}, 0, "ld     (hl),$9c", 2},
        {{0xCB, 0x36}, 0, "sll    (hl)", 2},
        {{0xCB, 0x7C}, 0, "bit    7,h", 2},
        {{0xED, 0x43, 0x34, 0x12}, 0, "ld     ($1234),bc", 4},
        {{0xED, 0x7B, 0x34, 0x12}, 0, "ld     sp,($1234)", 4},
        {{0xED, 0x70}, 0, "in     0,(c)", 2},
        {{0xED, 0x71}, 0, "out    (c),0", 2},
        {{0xED, 0x5E}, 0, "im     2", 2},
        {{0xED, 0xB0}, 0, "ldir", 2},
        {{0xDD, 0x21, 0x34, 0x12}, 0, "ld     ix,$1234", 4},
        {{0xFD, 0x22, 0x34, 0x12}, 0, "ld     ($1234),iy", 4},
        {{0xDD, 0x64}, 0, "ld     ixh,ixh", 2},
        {{0xFD, 0x6C}, 0, "ld     iyl,iyh", 2},
        {{0xDD, 0x26, 0x42}, 0, "ld     ixh,$42", 3},
        {{0xFD, 0x95}, 0, "sub    iyl", 2},
        {{0xDD, 0x29}, 0, "add    ix,ix", 2},
        {{0xDD, 0xE3}, 0, "ex     (sp),ix", 2},
        {{0xFD, 0xE9}, 0, "jp     (iy)", 2},
        {{0xFD, 0xF9}, 0, "ld     sp,iy", 2},
        {{0xDD, 0x66, 0x01}, 0, "ld     h,(ix+$01)", 3},
    };
    for (const Line& l : lines) {
        unsigned char code[4] = {};
        std::memcpy(code, l.code.data(), l.code.size());
        char text[64];
        std::memset(text, 'x', sizeof text);
        const int length = z80cpu::Disassemble(code, text, l.address);
        EXPECT_STREQ(text, l.text);
        EXPECT_EQ(length, l.length) << l.text;
    }
}

// Bytes the processor takes for the instruction at kCode in its first pass
// (a DD/FD without an index form is a pass of its own): where PC ends, or, for
// a transfer of control or a repeat, one past the highest byte it fetched there.
constexpr int kCode = 0x1000;

int ConsumedLength(std::vector<int> code, int flags) {
    TestCpu cpu;
    for (std::size_t i = 0; i < code.size(); ++i)
        cpu.mem[kCode + i] = static_cast<uint8_t>(code[i]);
    z80regs& r = cpu.regs();
    r.PC = kCode;
    r.AF = flags;
    r.BC = 0x0202;
    r.HL = r.IX = r.IY = 0x9000;
    r.SP = 0x8000;
    r.IFF1 = r.IFF2 = 1;
    int pcAfter = -1, lastFetch = kCode;
    cpu.recordBus = true;
    cpu.onHook = [&](TestCpu& c) {
        if (pcAfter < 0) {
            pcAfter = c.regs().PC + c.regs().halted;
            for (const BusEvent& e : c.bus)
                if (e.kind == 'F' && e.address >= kCode && e.address < kCode + 8)
                    lastFetch = std::max(lastFetch, e.address);
        }
    };
    cpu.step();
    if (pcAfter > kCode && pcAfter <= kCode + 4) return pcAfter - kCode; // a repeating pass ends at kCode
    return lastFetch + 1 - kCode;
}

TEST(Disassembler, LengthIsWhatTheProcessorConsumes) {
    // operand bytes 0x40: jump targets and displacements lead far from kCode
    for (int first : {-1, 0xCB, 0xED, 0xDD, 0xFD, 0xDDCB, 0xFDCB})
        for (int op = 0; op < 256; ++op) {
            std::vector<int> code;
            if (first < 0) {
                if (op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD) continue;
                code = {op, 0x40, 0x40, 0x40};
            } else if (first > 0xFF) {
                code = {first >> 8, 0xCB, 0x40, op};
            } else {
                code = {first, op, 0x40, 0x40};
            }
            unsigned char bytes[4];
            for (int i = 0; i < 4; ++i)
                bytes[i] = static_cast<unsigned char>(code[i]);
            char text[64];
            const int length = z80cpu::Disassemble(bytes, text, kCode);
            for (int flags : {0x00, 0xFF}) {
                const int consumed = ConsumedLength(code, flags);
                EXPECT_EQ(length, consumed) << std::hex << "bytes " << code[0] << " " << code[1] << " "
                                            << code[2] << " " << code[3] << ": " << text;
            }
        }
}

TEST(Disassembler, EveryLineFitsAndIsLowerCase) {
    for (int b0 = 0; b0 < 256; ++b0)
        for (int b1 = 0; b1 < 256; ++b1)
            for (int b2 : {0x00, 0x80, 0xFF}) {
                const unsigned char code[4] = {static_cast<unsigned char>(b0), static_cast<unsigned char>(b1),
                                               static_cast<unsigned char>(b2),
                                               static_cast<unsigned char>(b1)};
                char text[64];
                std::memset(text, 0, sizeof text);
                const int length = z80cpu::Disassemble(code, text, 0xFFFF);
                ASSERT_GE(length, 1);
                ASSERT_LE(length, 4);
                const std::string s = text;
                ASSERT_LE(s.size(), 19u) << s;
                ASSERT_FALSE(s.empty());
                for (char c : s)
                    ASSERT_FALSE(std::isupper(static_cast<unsigned char>(c))) << s;
                ASSERT_EQ(s.find("INTERNAL"), std::string::npos);
            }
}

} // namespace
