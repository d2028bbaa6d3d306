// The loop that a final host compiles for its own class, against the loop
// that reaches the host through the virtual table: from the same state both
// make the same bus accesses in the same order, hand the hook the same costs
// and leave the same registers, counters and memory. Every row of every
// table, random code with interrupts of every kind, the zero-cost bound and
// the whole program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "cpu/z80_test_host.h"
#include "cpu/z80exec.h"

namespace {

class FinalCpu final : public TestCpu {
  public:
    FinalCpu() { UseHostLoop<FinalCpu>(); }
};

constexpr int kCode = 0x4000;

std::string Describe(const BusEvent& e) {
    return std::string(1, e.kind) + " " + std::to_string(e.address) + " " + std::to_string(e.value);
}

// The virtual loop's processor and the final host's, always given the same.
struct Pair {
    TestCpu Virtual;
    FinalCpu Own;

    void Each(const std::function<void(TestCpu&)>& f) {
        f(Virtual);
        f(Own);
    }

    // Random memory (one image for every seed) and registers, PC at kCode,
    // the bus recorded.
    void Randomize(unsigned seed) {
        static const std::vector<uint8_t> memory = [] {
            std::mt19937 random(47);
            std::vector<uint8_t> m(65536);
            for (uint8_t& b : m)
                b = static_cast<uint8_t>(random());
            return m;
        }();
        std::mt19937 random(seed);
        z80regs r{};
        for (int32_t* slot :
             {&r.AF, &r.BC, &r.DE, &r.HL, &r.IX, &r.IY, &r.SP, &r.AltAF, &r.AltBC, &r.AltDE, &r.AltHL})
            *slot = static_cast<int32_t>(random() & 0xFFFF);
        r.PC = static_cast<int32_t>(kCode + (random() & 0xFFF));
        r.IFF1 = r.IFF2 = static_cast<int32_t>(random() & 1);
        r.IM = static_cast<int32_t>(random() % 3);
        r.I = static_cast<int32_t>(random() & 0xFF);
        r.R = static_cast<int32_t>(random() & 0x7FFF);
        r.R7 = static_cast<int32_t>(random() & 0xFF);
        Each([&](TestCpu& cpu) {
            std::copy(memory.begin(), memory.end(), cpu.mem);
            cpu.SetRegisters(&r);
            cpu.recordBus = true;
        });
    }

    // Both hooks ask for these vectors in turn (-1 none, -2 NMI).
    void Interrupts(const std::vector<int>& vectors) {
        Each([&](TestCpu& cpu) {
            cpu.vectorSource = [vectors, n = std::size_t(0)]() mutable {
                return vectors[n++ % vectors.size()];
            };
        });
    }

    void ExpectSame() {
        z80regs a, b;
        Virtual.GetRegisters(&a);
        Own.GetRegisters(&b);
        static_assert(sizeof(z80regs) == 19 * sizeof(int32_t));
        int32_t slotsA[19], slotsB[19];
        std::memcpy(slotsA, &a, sizeof a);
        std::memcpy(slotsB, &b, sizeof b);
        for (int i = 0; i < 19; ++i)
            EXPECT_EQ(slotsA[i], slotsB[i]) << "register slot " << i;
        EXPECT_EQ(Virtual.TStates, Own.TStates);
        EXPECT_EQ(Virtual.RunFlag, Own.RunFlag);
        EXPECT_EQ(Virtual.hookCosts, Own.hookCosts);
        EXPECT_EQ(Virtual.retiCalls, Own.retiCalls);
        EXPECT_EQ(Virtual.retnCalls, Own.retnCalls);
        EXPECT_EQ(Virtual.bus.size(), Own.bus.size());
        const auto [va, vb] =
            std::mismatch(Virtual.bus.begin(), Virtual.bus.end(), Own.bus.begin(), Own.bus.end());
        if (va != Virtual.bus.end() && vb != Own.bus.end())
            ADD_FAILURE() << "bus event " << (va - Virtual.bus.begin()) << ": " << Describe(*va)
                          << " against " << Describe(*vb);
        EXPECT_TRUE(std::equal(Virtual.mem, Virtual.mem + 65536, Own.mem));
    }
};

TEST(HostLoop, EveryRowOfEveryTableRunsAlike) {
    const std::vector<std::vector<int>> prefixes = {
        {}, {0xCB}, {0xED}, {0xDD}, {0xFD}, {0xDD, 0xCB, 0x05}, {0xFD, 0xCB, 0xFB}};
    for (const auto& prefix : prefixes)
        for (int op = 0; op < 256; ++op)
            for (int flags : {0x00, 0xFF}) {
                SCOPED_TRACE(testing::Message()
                             << "prefix " << prefix.size() << " " << (prefix.empty() ? 0 : prefix[0])
                             << ", opcode " << op << ", flags " << flags);
                Pair pair;
                pair.Randomize(static_cast<unsigned>(op * 7 + prefix.size()));
                pair.Each([&](TestCpu& cpu) {
                    int a = cpu.regs().PC;
                    for (int b : prefix)
                        cpu.mem[a++] = static_cast<uint8_t>(b);
                    cpu.mem[a] = static_cast<uint8_t>(op);
                    cpu.regs().AF = (cpu.regs().AF & 0xFF00) | flags;
                    cpu.step();
                });
                pair.ExpectSame();
                if (testing::Test::HasFailure()) return;
            }
}

TEST(HostLoop, RandomCodeWithInterruptsRunsAlike) {
    // Vectors of every kind: none, NMI, IM 2 table entries, IM 0 JP, CALL and
    // one-byte opcodes (RST, a prefix, HALT).
    const std::vector<int> vectors = {-1,   -1, -1,       0x10, -2,   -1,  0xC31234,
                                      0xFF, -1, 0xCD8000, 0xCB, 0x76, 0xD7};
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        Pair pair;
        pair.Randomize(seed);
        pair.Interrupts(vectors);
        // A host that ends the run early from its hook, as the debugger's
        // step-over address does.
        const int stopAt = static_cast<int>((seed * 2654435761u) & 0xFFFF);
        pair.Each([&](TestCpu& cpu) {
            cpu.onHook = [stopAt](TestCpu& c) {
                if (c.regs().PC == stopAt) {
                    c.TStates = -10;
                    c.RunFlag = 0;
                }
            };
            cpu.onTrap = [](z80regs* r) { r->BC = (r->BC + 1) & 0xFFFF; };
            cpu.run(4000);
        });
        pair.ExpectSame();
        if (testing::Test::HasFailure()) return;
    }
}

TEST(HostLoop, ZeroCostRunsEndAlike) {
    for (int filler : {0xDD, 0xFD}) {
        Pair pair;
        pair.Randomize(7);
        pair.Each([&](TestCpu& cpu) {
            std::fill(cpu.mem, cpu.mem + 65536, static_cast<uint8_t>(filler));
            cpu.run(100);
        });
        EXPECT_EQ(pair.Own.hookCosts.size(), static_cast<std::size_t>(z80cpu::MaxZeroCostRun));
        pair.ExpectSame();
    }
}

TEST(HostLoop, TheProgramSpendsTheSameTStates) {
    std::ifstream file(QJ_Z80_PROGRAM, std::ios::binary);
    ASSERT_TRUE(file) << QJ_Z80_PROGRAM;
    const std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(image.empty());
    Pair pair;
    std::vector<int64_t> spent;
    pair.Each([&](TestCpu& cpu) {
        std::copy(image.begin(), image.end(), cpu.mem);
        z80regs r{};
        r.SP = 0xF000;
        cpu.SetRegisters(&r);
        int64_t total = 0;
        for (int slice = 0; slice < 1000 && !cpu.regs().halted; ++slice) {
            cpu.run(80000);
            total += 80000 - cpu.TStates;
        }
        EXPECT_EQ(cpu.regs().halted, 1);
        spent.push_back(total);
    });
    EXPECT_EQ(spent[0], spent[1]);
    pair.ExpectSame();
}

} // namespace
