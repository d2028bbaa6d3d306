// Every operand combination of the 8-bit ALU, INC/DEC, the CB rotates and
// shifts, and a sweep of the 16-bit arithmetic, run through the processor and
// compared with reference models written here in nibble and signed-range form.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "cpu/z80_test_host.h"

namespace {

constexpr int S = 0x80, Z = 0x40, H = 0x10, PV = 0x04, N = 0x02, C = 0x01;

int SignZero(int v8) { return (v8 & 0x80 ? S : 0) | (v8 == 0 ? Z : 0); }

bool Even(int v) {
    bool even = true;
    for (int b = 0; b < 8; ++b)
        even ^= (v >> b) & 1;
    return even;
}

// k: 0 ADD, 1 ADC, 2 SUB, 3 SBC, 4 AND, 5 XOR, 6 OR, 7 CP. Returns A << 8 | F.
int ReferenceAlu(int k, int a, int s, int carry) {
    const int c = (k == 1 || k == 3) ? carry : 0;
    int r, f;
    if (k <= 1) {
        r = (a + s + c) & 0xFF;
        const int signedSum = int8_t(a) + int8_t(s) + c;
        f = SignZero(r) | ((a & 0xF) + (s & 0xF) + c > 0xF ? H : 0) |
            (signedSum < -128 || signedSum > 127 ? PV : 0) | (a + s + c > 0xFF ? C : 0);
    } else if (k == 2 || k == 3 || k == 7) {
        r = (a - s - c) & 0xFF;
        const int signedDiff = int8_t(a) - int8_t(s) - c;
        f = SignZero(r) | ((a & 0xF) - (s & 0xF) - c < 0 ? H : 0) |
            (signedDiff < -128 || signedDiff > 127 ? PV : 0) | N | (a - s - c < 0 ? C : 0);
        if (k == 7) r = a;
    } else {
        r = k == 4 ? a & s : k == 5 ? a ^ s : a | s;
        f = SignZero(r) | (Even(r) ? PV : 0) | (k == 4 ? H : 0);
    }
    return (r << 8) | f;
}

TEST(AluSweep, EightBitOperationsOnEveryOperandPair) {
    TestCpu cpu;
    cpu.recordHooks = false;
    z80regs& r = cpu.regs();
    for (int k = 0; k < 8; ++k) {
        cpu.mem[0] = static_cast<uint8_t>(0x80 + 8 * k); // op A,B
        int wrong = 0;
        for (int a = 0; a < 256; ++a)
            for (int s = 0; s < 256; ++s)
                for (int carry = 0; carry < 2; ++carry) {
                    r.PC = 0;
                    r.AF = (a << 8) | 0x28 | carry; // bits 5 and 3 set: never kept by these
                    r.BC = s << 8;
                    cpu.step();
                    const int want = ReferenceAlu(k, a, s, carry);
                    if (r.AF != want && ++wrong <= 5)
                        ADD_FAILURE() << std::hex << "op " << k << " A " << a << " s " << s << " C " << carry
                                      << ": AF " << r.AF << ", want " << want;
                }
        EXPECT_EQ(wrong, 0) << "op " << k;
    }
}

TEST(AluSweep, IncDecAndNegOfEveryValue) {
    TestCpu cpu;
    cpu.load(0, {0x3C, 0x3D, 0xED, 0x44}); // INC A; DEC A; NEG
    z80regs& r = cpu.regs();
    for (int v = 0; v < 256; ++v)
        for (int carry = 0; carry < 2; ++carry) {
            SCOPED_TRACE(v);
            r.PC = 0;
            r.AF = (v << 8) | carry;
            cpu.step();
            const int inc = (v + 1) & 0xFF;
            EXPECT_EQ(r.AF,
                      (inc << 8) | SignZero(inc) | ((v & 0xF) == 0xF ? H : 0) | (v == 0x7F ? PV : 0) | carry);
            r.AF = (v << 8) | carry;
            cpu.step();
            const int dec = (v - 1) & 0xFF;
            EXPECT_EQ(r.AF, (dec << 8) | SignZero(dec) | ((v & 0xF) == 0 ? H : 0) | (v == 0x80 ? PV : 0) | N |
                                carry);
            r.AF = (v << 8) | carry;
            cpu.step();
            EXPECT_EQ(r.AF, ReferenceAlu(2, 0, v, 0));
        }
}

TEST(AluSweep, RotatesAndShiftsOfEveryValue) {
    TestCpu cpu;
    z80regs& r = cpu.regs();
    for (int k = 0; k < 8; ++k)
        for (int v = 0; v < 256; ++v)
            for (int carry = 0; carry < 2; ++carry) {
                int t, out;
                switch (k) {
                case 0: out = v >> 7, t = (v << 1 | out) & 0xFF; break;
                case 1: out = v & 1, t = v >> 1 | out << 7; break;
                case 2: out = v >> 7, t = (v << 1 | carry) & 0xFF; break;
                case 3: out = v & 1, t = v >> 1 | carry << 7; break;
                case 4: out = v >> 7, t = (v << 1) & 0xFF; break;
                case 5: out = v & 1, t = v >> 1 | (v & 0x80); break;
                case 6: out = v >> 7, t = (v << 1 | 1) & 0xFF; break;
                default: out = v & 1, t = v >> 1; break;
                }
                // CB form on E, flags from the result
                cpu.load(0, {0xCB, 8 * k + 3});
                r.PC = 0;
                r.AF = 0xFF00 | 0x28 | carry;
                r.DE = v;
                cpu.step();
                ASSERT_EQ(r.DE, t) << k << " " << v;
                ASSERT_EQ(r.AF, 0xFF00 | SignZero(t) | (Even(t) ? PV : 0) | out) << k << " " << v;
                // the four accumulator rotates keep S, Z, P/V and bits 5 and 3
                if (k < 4) {
                    cpu.load(0, {0x07 + 8 * k});
                    r.PC = 0;
                    r.AF = (v << 8) | 0xFC | carry;
                    cpu.step();
                    ASSERT_EQ(r.AF, (t << 8) | 0xEC | out) << k << " " << v;
                }
            }
}

TEST(AluSweep, SixteenBitArithmetic) {
    TestCpu cpu;
    cpu.load(0, {0x09, 0xED, 0x4A, 0xED, 0x42}); // ADD HL,BC; ADC HL,BC; SBC HL,BC
    z80regs& r = cpu.regs();
    std::mt19937 random(47);
    for (int i = 0; i < 20000; ++i) {
        const int hl = i < 4 ? (0x7FFF + i) & 0xFFFF : static_cast<int>(random() & 0xFFFF);
        const int bc = i < 4 ? 1 : static_cast<int>(random() & 0xFFFF);
        const int carry = i & 1;
        SCOPED_TRACE(testing::Message() << std::hex << hl << " " << bc << " " << carry);
        r.PC = 0;
        r.AF = 0xC4 | 0x28 | carry;
        r.HL = hl, r.BC = bc;
        cpu.step();
        EXPECT_EQ(r.HL, (hl + bc) & 0xFFFF);
        EXPECT_EQ(r.AF, 0xC4 | ((hl & 0xFFF) + (bc & 0xFFF) > 0xFFF ? H : 0) | (hl + bc > 0xFFFF ? C : 0));

        auto sz16 = [](int v) { return (v & 0x8000 ? S : 0) | (v == 0 ? Z : 0); };
        r.AF = 0x28 | carry;
        r.HL = hl;
        cpu.step();
        const int sum = (hl + bc + carry) & 0xFFFF;
        const int signedSum = int16_t(hl) + int16_t(bc) + carry;
        EXPECT_EQ(r.HL, sum);
        EXPECT_EQ(r.AF, sz16(sum) | ((hl & 0xFFF) + (bc & 0xFFF) + carry > 0xFFF ? H : 0) |
                            (signedSum < -32768 || signedSum > 32767 ? PV : 0) |
                            (hl + bc + carry > 0xFFFF ? C : 0));

        r.AF = 0x28 | carry;
        r.HL = hl;
        cpu.step();
        const int diff = (hl - bc - carry) & 0xFFFF;
        const int signedDiff = int16_t(hl) - int16_t(bc) - carry;
        EXPECT_EQ(r.HL, diff);
        EXPECT_EQ(r.AF, sz16(diff) | ((hl & 0xFFF) - (bc & 0xFFF) - carry < 0 ? H : 0) |
                            (signedDiff < -32768 || signedDiff > 32767 ? PV : 0) | N |
                            (hl - bc - carry < 0 ? C : 0));
        if (HasFailure()) break;
    }
}

} // namespace
