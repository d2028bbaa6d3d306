// A whole Z80 program (z80_program.asm) run until HALT: table fill, CRC-16,
// bubble sort, block copy, CRC-32 and a BCD sum, checked against the same
// computations done here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "cpu/z80_test_host.h"

namespace {

constexpr int kTable = 0x9000, kCopy = 0x9100, kCount = 64;

std::vector<uint8_t> Table() {
    std::vector<uint8_t> t;
    int x = 1;
    for (int i = 0; i < kCount; ++i) {
        t.push_back(static_cast<uint8_t>(x));
        x = (x * 13 + 7) & 0xFF;
    }
    return t;
}

uint16_t Crc16(const std::vector<uint8_t>& data) {
    uint16_t crc = 0xFFFF;
    for (uint8_t byte : data) {
        crc ^= static_cast<uint16_t>(byte << 8);
        for (int i = 0; i < 8; ++i)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

uint32_t Crc32(const std::vector<uint8_t>& data) {
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t byte : data) {
        crc ^= byte;
        for (int i = 0; i < 8; ++i)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return ~crc;
}

int Word(const TestCpu& cpu, int a) { return cpu.mem[a] | (cpu.mem[a + 1] << 8); }

TEST(Program, ComputesWhatTheHostComputes) {
    std::ifstream file(QJ_Z80_PROGRAM, std::ios::binary);
    ASSERT_TRUE(file) << QJ_Z80_PROGRAM;
    const std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(image.empty());
    ASSERT_LT(image.size(), 0x8000u);

    TestCpu cpu;
    std::copy(image.begin(), image.end(), cpu.mem);
    cpu.recordHooks = false;
    int64_t spent = 0;
    for (int slice = 0; slice < 1000 && !cpu.regs().halted; ++slice) {
        cpu.run(80000);
        spent += 80000 - cpu.TStates;
    }
    ASSERT_EQ(cpu.regs().halted, 1);
    EXPECT_LT(cpu.GetPC(), static_cast<int>(image.size()));
    EXPECT_GT(spent, 100000); // the sort alone runs many thousands of instructions

    std::vector<uint8_t> table = Table();
    EXPECT_EQ(Word(cpu, 0x8000), Crc16(table));
    std::sort(table.begin(), table.end());
    EXPECT_TRUE(std::equal(table.begin(), table.end(), cpu.mem + kTable));
    EXPECT_TRUE(std::equal(table.begin(), table.end(), cpu.mem + kCopy));
    EXPECT_EQ(static_cast<uint32_t>(Word(cpu, 0x8002)) | (static_cast<uint32_t>(Word(cpu, 0x8004)) << 16),
              Crc32(table));
    EXPECT_EQ(Word(cpu, 0x8006), 0x4950); // 1 + ... + 99 = 4950
    EXPECT_EQ(cpu.regs().SP, 0x0000);     // every call returned
}

} // namespace
