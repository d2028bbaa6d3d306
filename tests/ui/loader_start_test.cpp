// The Load ROM command on a real machine: the emulation is stopped, the machine
// reset out of IPL mode, the body copied, PC set and the emulation started, in
// that order; a file that cannot be loaded, or fails to read, leaves the
// running machine as it was.
#include "loader_test_support.h"

#include "machine/board_test_support.h"
#include "ui/loader/program_start.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

using namespace loader_test;

// The debugger's Run button: toggles the emulation and notes what the
// machine looked like at each press.
struct RunButton {
    struct Press {
        int PC;
        std::uint8_t IplMode;
        std::uint8_t Ram0;
        bool RunningBefore;
    };
    explicit RunButton(board_test::Rig& rig, bool running) : Rig(rig), Running(running) {}
    std::function<void()> Callback() {
        return [this] {
            Presses.push_back({Rig.PC(), Rig.M().IplMode(), MainRam[0], Running});
            Running = !Running;
        };
    }
    board_test::Rig& Rig;
    bool Running;
    std::vector<Press> Presses;
};

class LoaderStart : public ::testing::Test {
  protected:
    void SetUp() override {
        // The test IPL program running out of RAM, waiting for a key.
        Rig.RunSlices(20);
        ASSERT_EQ(Rig.M().IplMode(), 0);
        ASSERT_EQ(MainRam[0x3F00], 1) << "the IPL program should wait for a key";
        Rig.Services.TakeLines();
    }
    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = Dir.File(name);
        WriteFile(path, bytes);
        return path;
    }
    TRamCopy Load(const std::string& path, RunButton& run) {
        return LoadProgramFile(Rig.M(), path, run.Running, run.Callback(), &Rig.Services);
    }
    // The registers a reset out of IPL mode gives, with PC at `pc`.
    z80regs ResetRegisters(int pc) {
        Rig.M().ColdBoot = 0;
        Rig.M().Reset();
        z80regs r;
        Rig.M().GetRegisters(&r);
        r.PC = pc;
        return r;
    }
    z80regs Registers() {
        z80regs r;
        Rig.M().GetRegisters(&r);
        return r;
    }

    board_test::Rig Rig;
    fixtures::TempDir Dir;
};

TEST_F(LoaderStart, BinWhileRunningStopsResetsCopiesAndStartsAtZero) {
    const Bytes file = Counting(300);
    const std::string path = Write("PROG.BIN", file);
    const std::uint8_t ram0Before = MainRam[0];
    const int pcBefore = Rig.PC();
    Rig.M().ColdBoot = 1; // as after "IPL (Cold Boot)"
    RunButton run(Rig, true);

    const TRamCopy copy = Load(path, run);

    EXPECT_EQ(copy.Copied, 300u);
    EXPECT_EQ(copy.Dropped, 0u);
    ASSERT_EQ(run.Presses.size(), 2u);
    // First press: the emulation stops before anything is touched.
    EXPECT_TRUE(run.Presses[0].RunningBefore);
    EXPECT_EQ(run.Presses[0].PC, pcBefore);
    EXPECT_EQ(run.Presses[0].Ram0, ram0Before);
    // Second press: reset out of IPL mode, copied, PC set; the run starts.
    EXPECT_FALSE(run.Presses[1].RunningBefore);
    EXPECT_EQ(run.Presses[1].PC, 0);
    EXPECT_EQ(run.Presses[1].IplMode, 0);
    EXPECT_EQ(run.Presses[1].Ram0, file[0]);
    EXPECT_TRUE(run.Running);

    EXPECT_TRUE(std::equal(file.begin(), file.end(), MainRam));
    EXPECT_EQ(Rig.M().ReadMem(0), file[0]) << "RAM, not the IPL ROM, at address 0";
    EXPECT_EQ(Rig.M().ColdBoot, 0) << "a later reset stays out of IPL mode";
    EXPECT_TRUE(Rig.Services.Lines().empty());
}

TEST_F(LoaderStart, QjfWhileStoppedCopiesToItsAddressAndStartsTheEmulation) {
    const Bytes body = Counting(1000);
    const Bytes file = Qjf(0x1200, 0x1200, body);
    const std::string path = Write("prog.qjf", file);
    RunButton run(Rig, false);

    Load(path, run);

    ASSERT_EQ(run.Presses.size(), 1u) << "only the press that starts the emulation";
    EXPECT_FALSE(run.Presses[0].RunningBefore);
    EXPECT_TRUE(run.Running);
    EXPECT_TRUE(std::equal(file.begin() + 128, file.begin() + 1128, MainRam + 0x1200));
    EXPECT_EQ(MainRam[0x15E7], file[1127]);
    // Every register but PC as the reset left it (R starts at random).
    const z80regs loaded = Registers();
    z80regs expected = ResetRegisters(0x1200);
    expected.R = loaded.R;
    EXPECT_EQ(std::memcmp(&loaded, &expected, sizeof loaded), 0);
}

TEST_F(LoaderStart, NameWithoutExtensionIsLoadedAsQjf) {
    const Bytes body = {0x3E, 0x42, 0x32, 0x00, 0x90, 0x76}; // ld a,0x42; ld (0x9000),a; halt
    RunButton run(Rig, true);
    Load(Write("program", Qjf(0x8800, 0x8800, body)), run);
    EXPECT_EQ(Rig.PC(), 0x8800);
    EXPECT_TRUE(std::equal(body.begin(), body.end(), MainRam + 0x8800));

    Rig.RunSlices(1);
    EXPECT_EQ(MainRam[0x9000], 0x42) << "the loaded program ran";
}

TEST_F(LoaderStart, BodyPastFFFFStopsThereAndTheLogSaysHowMuchWasDropped) {
    const Bytes body = Counting(0x300);
    std::vector<std::uint8_t> low(MainRam, MainRam + 0x200);
    RunButton run(Rig, true);

    const TRamCopy copy = Load(Write("high.qjf", Qjf(0xFF00, 0xFF00, body)), run);

    EXPECT_EQ(copy.Copied, 0x100u);
    EXPECT_EQ(copy.Dropped, 0x200u);
    EXPECT_TRUE(std::equal(body.begin(), body.begin() + 0x100, MainRam + 0xFF00));
    EXPECT_TRUE(std::equal(low.begin(), low.end(), MainRam)) << "nothing wrapped round to address 0";
    EXPECT_EQ(Rig.Services.Lines(), std::vector<std::string>{"Load ROM: 512 bytes past FFFF dropped"});
    EXPECT_TRUE(run.Running);

    // A .bin image fills the RAM at the most: nothing of it is ever dropped.
    Rig.Services.TakeLines();
    const Bytes full = Counting(TProgramImage::MaxRawFileSize);
    EXPECT_EQ(Load(Write("full.bin", full), run).Copied, full.size());
    EXPECT_TRUE(std::equal(full.begin(), full.end(), MainRam));
    EXPECT_TRUE(Rig.Services.Lines().empty());
}

TEST_F(LoaderStart, FileThatCannotBeLoadedLeavesTheRunningMachineAsItWas) {
    const std::string missing = Dir.File("missing.qjf");
    const std::string empty = Write("empty.qjf", {});
    const std::string shortQjf = Write("short.qjf", Bytes(23, 0x11));
    const std::string huge = Write("huge.bin", Bytes(70000, 0x22));
    struct Case {
        std::string path, message;
    };
    const Case cases[] = {
        {missing, "Cannot open file " + missing + ": No such file or directory"},
        {empty, "Cannot load " + empty + ": the file is empty"},
        {shortQjf, "Cannot load " + shortQjf + ": a QJF image needs at least 24 bytes, the file has 23"},
        {huge, "Cannot load " + huge + ": a .bin image holds at most 65536 bytes, the file has 70000"},
        // Fails to read: the machine is stopped and reset only for a good file.
        {"/proc/self/mem", "Cannot read file /proc/self/mem: Input/output error"},
    };
    for (const Case& c : cases) {
        Rig.M().ColdBoot = 1;
        const std::vector<std::uint8_t> ram(MainRam, MainRam + 0x10000);
        const z80regs before = Registers();
        RunButton run(Rig, true);

        try {
            Load(c.path, run);
            ADD_FAILURE() << c.path << " was loaded";
        } catch (const platform::Exception& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }

        EXPECT_TRUE(run.Presses.empty()) << c.path;
        EXPECT_TRUE(run.Running) << c.path;
        const z80regs after = Registers();
        EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << c.path;
        EXPECT_TRUE(std::equal(ram.begin(), ram.end(), MainRam)) << c.path;
        EXPECT_EQ(Rig.M().ColdBoot, 1) << c.path;
        EXPECT_TRUE(Rig.Services.Lines().empty()) << c.path;
    }
    // And it goes on running the program it ran.
    Rig.RunSlices(1);
    EXPECT_EQ(MainRam[0x3F00], 1);
}

} // namespace
