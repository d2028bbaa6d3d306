#include "fixtures/temp_dir.h"
#include "machine/varnel_cmt.h"
#include "fixtures/recording_services.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {
// Each test runs in a fresh current folder, where the deck creates roms/tape.pcm.
class Deck : public ::testing::Test {
  protected:
    fixtures::TempDir Dir{true};
    RecordingServices Log;
    VarnelCMT Cmt{Log.LogHook()};
};
} // namespace

TEST_F(Deck, MotorEdgesAndTheUnchangedShortcut) {
    Cmt.PortChange(0x10, 0x00); // control bits equal the stored bytes: nothing
    EXPECT_EQ(Cmt.LastPortA, 0);
    EXPECT_TRUE(Log.Lines().empty());
    Cmt.PortChange(0x11, 0x00);
    EXPECT_EQ(Log.TakeLines(), (Lines{"CMT Motor Engaged"}));
    EXPECT_EQ(Cmt.LastPortA, 0x11);
    Cmt.PortChange(0x11, 0x00); // same pins: no edge
    EXPECT_TRUE(Log.Lines().empty());
    Cmt.PortChange(0x10, 0x00);
    EXPECT_EQ(Log.TakeLines(), (Lines{"CMT Motor Disengaged"}));
    EXPECT_EQ(Cmt.MotorEngaged, 0);
}

TEST_F(Deck, EachLineLogsItsEdgesInOrder) {
    fs::create_directory("roms");
    Cmt.PortChange(0x03, 0x60); // PA0, PA1, PC6, PC5 rise together
    EXPECT_EQ(Log.TakeLines(), (Lines{"CMT Motor Engaged", "FF Direction Selected", "AMP set to READ state",
                                      "Fast Speed Selected"}));
    Cmt.PortChange(0x00, 0x00);
    EXPECT_EQ(Log.TakeLines(), (Lines{"CMT Motor Disengaged", "REW Direction Selected",
                                      "AMP set to WRITE state", "Normal Speed Selected"}));
    // PC4 alone is hidden by the shortcut (only PA0-3 and PC6-7 are compared) ...
    Cmt.PortChange(0x00, 0x10);
    EXPECT_EQ(Cmt.LastPortC, 0);
    // ... and seen with another change; eject on every second edge.
    Cmt.PortChange(0x01, 0x10);
    EXPECT_EQ(Log.TakeLines(), (Lines{"CMT Motor Engaged"}));
    Cmt.PortChange(0x00, 0x00);
    EXPECT_EQ(Log.TakeLines(), (Lines{"CMT Motor Disengaged", "Tape ejected"}));
    EXPECT_EQ(Cmt.GetPort(1), 0x30);
}

TEST_F(Deck, PlayCreatesAnEmptyRecordingAndStopClosesIt) {
    fs::create_directory("roms");
    {
        std::ofstream old("roms/tape.pcm");
        old << "old recording";
    }
    Cmt.PortChange(0x04, 0x00);
    EXPECT_EQ(Log.TakeLines(), (Lines{"Play Requested"}));
    EXPECT_TRUE(Cmt.Playing);
    EXPECT_TRUE(Cmt.RecordingOpen);
    ASSERT_TRUE(Cmt.TapeRecording);
    EXPECT_EQ(fs::file_size("roms/tape.pcm"), 0u);
    Cmt.PortChange(0x00, 0x00); // second PA2 edge: only stops playing
    EXPECT_TRUE(Log.Lines().empty());
    EXPECT_FALSE(Cmt.Playing);
    EXPECT_TRUE(Cmt.RecordingOpen);
    Cmt.PortChange(0x08, 0x00); // PA3 sets the stop latch
    EXPECT_EQ(Log.TakeLines(), (Lines{"stop() triggered"}));
    EXPECT_FALSE(Cmt.RecordingOpen);
    EXPECT_FALSE(Cmt.TapeRecording);
    Cmt.PortChange(0x00, 0x00); // the latch falls: no stop
    EXPECT_TRUE(Log.Lines().empty());
}

TEST_F(Deck, NoRomsFolderLogsTheFailureAndPlaysOn) {
    EXPECT_NO_THROW(Cmt.PortChange(0x04, 0x00));
    EXPECT_EQ(Log.TakeLines(),
              (Lines{"Play Requested", "Cannot create file roms/tape.pcm: No such file or directory"}));
    EXPECT_TRUE(Cmt.Playing);
    EXPECT_FALSE(Cmt.TapeRecording);
    // A tape would still be read; nothing is recorded.
    Cmt.CmtHandler->QjfStream = std::make_unique<platform::TMemoryStream>();
    Cmt.AmpRead = 1;
    EXPECT_NO_THROW(Cmt.ReadBit());
}

TEST_F(Deck, DataBitFollowsPC7EdgesWithoutATape) {
    Cmt.PortChange(0x01, 0x80);
    EXPECT_EQ(Cmt.ReadBit(), 1);
    Cmt.PortChange(0x01, 0x80); // shortcut: the flag stays
    EXPECT_EQ(Cmt.ReadBit(), 1);
    Cmt.PortChange(0x00, 0x80); // processed, PC7 unchanged
    EXPECT_EQ(Cmt.ReadBit(), 0);
}

TEST_F(Deck, RecordsTheLevelsItDelivers) {
    fs::create_directory("roms");
    Cmt.PortChange(0x04, 0x40); // play, AMP to READ
    auto tape = std::make_unique<platform::TMemoryStream>();
    tape->WriteBuffer("\xFF", 1);
    tape->SetPosition(0);
    TQJFHandler& h = *Cmt.CmtHandler;
    h.QjfStream = std::move(tape);
    h.BlockState = 1;
    h.PulsesLeft[1] = 100;
    std::vector<std::uint8_t> bits;
    for (int i = 0; i < 21; ++i)
        bits.push_back(Cmt.ReadBit());
    Cmt.TapeRecording.reset();
    EXPECT_EQ(fs::file_size("roms/tape.pcm"), 21u);
    // A short pulse: 9 samples high, then 11 low, then the next pulse.
    EXPECT_EQ(bits,
              (std::vector<std::uint8_t>{1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    std::ifstream in("roms/tape.pcm", std::ios::binary);
    EXPECT_EQ(in.get(), 0xC8);
    for (int i = 1; i < 10; ++i)
        in.get();
    EXPECT_EQ(in.get(), 0x32);
}

TEST_F(Deck, EjectClosesALoadedTape) {
    Cmt.CmtHandler->QjfStream = std::make_unique<platform::TMemoryStream>();
    Cmt.TapeLoaded = 1;
    Cmt.CmtStatus = 0x10;
    Cmt.PortChange(0x01, 0x10);
    Cmt.PortChange(0x00, 0x00);
    EXPECT_FALSE(Cmt.CmtHandler->IsOpen());
    EXPECT_EQ(Cmt.CmtStatus, 0x30);
    EXPECT_EQ(Cmt.TapeLoaded, 0);
}
