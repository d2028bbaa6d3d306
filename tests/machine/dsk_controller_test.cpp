#include "fixtures/dsk_builder.h"
#include "fixtures/temp_dir.h"
#include "machine/dsk_handler.h"
#include "platform/exceptions.h"
#include "fixtures/recording_services.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using fixtures::DskBuilder;
using fixtures::DskRecord;
using fixtures::PatternByte;
using fixtures::Sector;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Slurp(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The processor's side: ports D8-DD are registers 0-5, bytes on the bus inverted.
class Controller : public ::testing::Test {
  protected:
    fixtures::TempDir Dir;
    RecordingServices Log;
    TDskHandler Fdc{Log.LogHook()};

    std::string Image(const DskBuilder& b, const std::string& name = "a.dsk") {
        const std::string path = Dir.File(name);
        b.Save(path);
        return path;
    }
    void Out(std::uint8_t r, std::uint8_t v) { Fdc.WriteRegister(r, v); }
    std::uint8_t In(std::uint8_t r) { return Fdc.ReadRegister(r); }
    // Writes a command as the program means it and runs it to the end.
    void Command(std::uint8_t c) {
        Out(0, c ^ 0xFF);
        Steps(16);
        while (Fdc.FdcState != 0)
            Fdc.ExecuteCommand();
    }
    void Steps(int n) {
        for (int i = 0; i < n; ++i)
            Fdc.ExecuteCommand();
    }
    void SeekTo(std::uint8_t track) {
        Out(3, track ^ 0xFF);
        Command(0x10);
    }
};

} // namespace

TEST_F(Controller, RestoreWithHeadLoad) {
    Fdc.Mount(0, Image(DskBuilder().Uniform(2, 1, 16, 1)), 0);
    Fdc.PhysTrack[0] = 7;
    Out(0, 0xF7); // Restore, head load
    EXPECT_EQ(Log.TakeLines(), (Lines{"IOWRITE:Requested Cmd: 01 (Restore), Group: 01, Flags: 08",
                                      "IOWRITE:H:00, T:00, S:00, M:00, D:00"}));
    EXPECT_EQ(In(0), 0xFE); // busy
    Steps(15);
    EXPECT_TRUE(Log.TakeLines().empty());
    Steps(1);
    EXPECT_EQ(Log.TakeLines(), (Lines{"FDC: Command 01", "FDC: Restoring"}));
    EXPECT_EQ(Fdc.FdcState, TDskHandler::Seek);
    Steps(1);
    EXPECT_EQ(Log.TakeLines(),
              (Lines{"FDC: Command 02", "FDC: Seeking from ff to 00", "FDC: Seek found 00, status 26"}));
    EXPECT_EQ(In(0), 0xD9);
    EXPECT_EQ(Fdc.PhysTrack[0], 0);
    EXPECT_EQ(Fdc.FdcState, 0);
}

TEST_F(Controller, SingleSectorRead) {
    Fdc.Mount(0, Image(DskBuilder().Uniform(2, 1, 16, 1)), 0);
    Out(2, 0xFE); // sector 1
    Out(0, 0x7F); // Read Sect
    Steps(16);
    EXPECT_EQ(Log.Lines().back(), "FDC: Read Sector 01");
    EXPECT_EQ(In(0), 0xFC);
    Log.TakeLines();
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(In(3), PatternByte(0, 0, 1, i)) << i;
    EXPECT_EQ(Log.TakeLines(), (Lines{"FDC: Non-Multi Read of Sector 01 ended"}));
    EXPECT_EQ(In(0), 0xFF);
    // Past the sector the data register only repeats its value.
    const std::uint8_t last = In(3);
    EXPECT_EQ(In(3), last);
    EXPECT_EQ(Fdc.BytesLeft, 0);
}

TEST_F(Controller, SectorWriteSurvivesUnmountAndRemount) {
    const std::string path = Image(DskBuilder().Uniform(3, 1, 9, 1));
    Fdc.Mount(0, path, 0);
    SeekTo(2);
    Out(2, 5 ^ 0xFF);
    Command(0xA0); // Write Sect
    EXPECT_EQ(In(0), 0xFC);
    for (int i = 0; i < 256; ++i)
        Out(3, std::uint8_t(i * 3) ^ 0xFF);
    EXPECT_EQ(Log.Lines().back(), "FDC: Non-Multi Write of Sector 05 ended");
    EXPECT_EQ(In(0), 0xFF);
    Fdc.Unmount(0);
    EXPECT_EQ(In(0), 0x7F); // not ready

    TVirtualDsk disc; // the file holds the complements of what the program wrote
    disc.LoadImage(path, 0);
    disc.SeekTrack(0, 2);
    ASSERT_EQ(disc.SeekSector(5), 256);
    std::uint8_t b = 0xAA;
    disc.ReadByte(b);
    EXPECT_EQ(b, 0);
    disc.ReadByte(b);
    EXPECT_EQ(b, 3);
    disc.UnloadImage(1);

    Fdc.Mount(0, path, 0);
    SeekTo(2);
    Out(2, 5 ^ 0xFF);
    Command(0x80);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(In(3), std::uint8_t((i * 3) ^ 0xFF));
}

TEST_F(Controller, MultiSectorReadCrossesToTheOtherSideAndStopsAtTheTrackEnd) {
    // Side 1 holds sectors 1-3, side 0 sectors 4-6; a read starting on side 1
    // swaps to side 0 when the first track is done.
    DskBuilder b;
    b.Geometry(1, 2);
    DskRecord side0{0, 0, true, {Sector(4, 1), Sector(5, 1), Sector(6, 1)}};
    DskRecord side1{0, 1, true, {Sector(1, 1), Sector(2, 1), Sector(3, 1)}};
    b.Record(side0).Record(side1);
    Fdc.Mount(0, Image(b), 0);
    Out(5, 1); // side 1 (not inverted)
    SeekTo(0);
    Out(2, 1 ^ 0xFF);
    Command(0x90); // Read Sect, multiple
    Log.TakeLines();
    std::vector<int> firstBytes;
    for (int i = 0; i < 6 * 256 + 10; ++i) {
        const std::uint8_t v = In(3);
        if (i % 256 == 0 && i < 6 * 256) firstBytes.push_back(v);
    }
    EXPECT_EQ(firstBytes,
              (std::vector<int>{PatternByte(0, 1, 1, 0), PatternByte(0, 1, 2, 0), PatternByte(0, 1, 3, 0),
                                PatternByte(0, 0, 4, 0), PatternByte(0, 0, 5, 0), PatternByte(0, 0, 6, 0)}));
    EXPECT_EQ(Log.TakeLines(),
              (Lines{"FDC: Reading Next Sector: 02", "FDC: Seek OK", "FDC: Reading Next Sector: 03",
                     "FDC: Seek OK", "FDC: Reading Next Sector: 04", "FDC: Swap to Head 0", "FDC: Seek OK",
                     "FDC: Reading Next Sector: 05", "FDC: Seek OK", "FDC: Reading Next Sector: 06",
                     "FDC: Seek OK", "FDC: Reading Next Sector: 07", "FDC: Seek Fail (C:00, T:00, S:07)"}));
    EXPECT_EQ(Fdc.SideReg, 0);
    EXPECT_EQ(Fdc.SectorReg, 6);
    EXPECT_EQ(In(0), std::uint8_t(~0x10));
    EXPECT_EQ(Fdc.BytesLeft, 0);
}

TEST_F(Controller, MultiSectorWriteOnATrackWithoutSectorsEndsAsNotFound) {
    Fdc.Mount(0, Image(DskBuilder().Uniform(2, 1, 2, 1)), 0);
    SeekTo(0);
    Out(2, 1 ^ 0xFF);
    Command(0xB0); // Write Sect, multiple
    Out(5, 1);     // side 1 does not exist on this disc
    for (int i = 0; i < 256; ++i)
        Out(3, 0x00);
    EXPECT_EQ(Log.Lines().back(), "FDC: Seek Fail (C:01, T:00, S:02)");
    EXPECT_EQ(Fdc.FdcStatus, 0x10);
    EXPECT_EQ(Fdc.BytesLeft, 0);
}

TEST_F(Controller, CommandDecode) {
    // What the log shows of the decode, and when the command runs.
    struct Case {
        std::uint8_t Command;
        const char* Decoded;
        bool Busy;
    };
    const Case cases[] = {
        {0x08, "01 (Restore), Group: 01, Flags: 08", true},
        {0x1C, "02 (Seek), Group: 01, Flags: 0c", true},
        {0x35, "03 (Step), Group: 01, Flags: 15", true},
        {0x5F, "04 (Step In), Group: 01, Flags: 1f", true},
        {0x74, "05 (Step Out), Group: 01, Flags: 14", true},
        {0x9F, "06 (Read Sect), Group: 02, Flags: 1e", true},
        {0xBF, "07 (Write Sect), Group: 02, Flags: 1f", true},
        {0xC4, "08 (Read Addr), Group: 03, Flags: 04", true},
        {0xE7, "09 (Read Trk), Group: 03, Flags: 04", true},
        {0xF3, "0a (Write Trk), Group: 03, Flags: 00", true},
        {0xD8, "0b (Force INT), Group: 04, Flags: 08", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.Command));
        Log.TakeLines();
        Out(0, c.Command ^ 0xFF);
        const Lines decoded = Log.TakeLines();
        ASSERT_FALSE(decoded.empty());
        EXPECT_EQ(decoded[0], std::string("IOWRITE:Requested Cmd: ") + c.Decoded);
        EXPECT_EQ(Fdc.CommandReg, c.Command);
        EXPECT_EQ(In(0) & 1, c.Busy ? 0 : 1); // inverted on the bus
        Steps(15);
        EXPECT_TRUE(Log.TakeLines().empty()) << "runs at the 16th step";
        Steps(1);
        const Lines ran = Log.TakeLines();
        ASSERT_FALSE(ran.empty());
        EXPECT_EQ(ran[0], "FDC: Command " + std::string(c.Decoded, 2));
    }
    // Status bits each group keeps.
    const std::pair<std::uint8_t, std::uint8_t> keeps[] = {
        {0x00, 0xE5}, {0x80, 0x89}, {0xC0, 0xB9}, {0xD0, 0xB8}};
    for (auto [command, status] : keeps) {
        Fdc.FdcStatus = 0xFF;
        Out(0, command ^ 0xFF);
        EXPECT_EQ(Fdc.FdcStatus, status) << int(command);
    }
}

TEST_F(Controller, ANewCommandReplacesAPendingOne) {
    Fdc.Mount(0, Image(DskBuilder().Uniform(2, 1, 1, 1)), 0);
    Out(0, 0x08 ^ 0xFF);
    Steps(10);
    Out(0, 0xD0 ^ 0xFF); // Force INT
    Steps(15);
    EXPECT_EQ(Fdc.FdcState, TDskHandler::ForceInt);
    Steps(1);
    EXPECT_EQ(Fdc.FdcState, 0);
    EXPECT_EQ(Fdc.FdcStatus, 0);
}

TEST_F(Controller, SeekAndSteps) {
    Fdc.Mount(0, Image(DskBuilder().Uniform(5, 1, 1, 1)), 0);
    // Seek from TrackReg 10 to 5 with the head at 3: the head stops at 0.
    Fdc.PhysTrack[0] = 3;
    Out(1, 10 ^ 0xFF);
    SeekTo(5);
    EXPECT_EQ(Fdc.PhysTrack[0], 0);
    EXPECT_EQ(Fdc.TrackReg, 0);
    EXPECT_EQ(Fdc.StepOutward, 1);
    EXPECT_EQ(Fdc.FdcStatus, 0x06);

    SeekTo(4);
    EXPECT_EQ(Fdc.PhysTrack[0], 4);
    EXPECT_EQ(Fdc.FdcStatus, 0x02);
    SeekTo(9); // past the last track: not found
    EXPECT_EQ(Fdc.FdcStatus, 0x12);
    EXPECT_EQ(Log.Lines().back(), "FDC: Seek found 09, status 12");

    // Step In with update and verify (0x5C: update, head load, verify).
    SeekTo(3);
    Command(0x5C);
    EXPECT_EQ(Fdc.PhysTrack[0], 4);
    EXPECT_EQ(Fdc.TrackReg, 4);
    EXPECT_EQ(Fdc.FdcStatus, 0x22);
    // Step Out without update or verify: the head moves, TrackReg stays.
    Command(0x60);
    EXPECT_EQ(Fdc.PhysTrack[0], 3);
    EXPECT_EQ(Fdc.TrackReg, 4);
    EXPECT_EQ(Fdc.FdcStatus, 0);
    // Step repeats the last direction (outward), through Step Out at the next step.
    Command(0x30);
    EXPECT_EQ(Fdc.PhysTrack[0], 2);
    EXPECT_EQ(Fdc.TrackReg, 2);
    Fdc.PhysTrack[0] = 0;
    Command(0x70); // Step Out at track 0 stays there
    EXPECT_EQ(Fdc.PhysTrack[0], 0);
    EXPECT_EQ(Fdc.FdcStatus, 0x04);
}

TEST_F(Controller, UnemulatedTrackCommandsAndForceInterrupt) {
    Fdc.Mount(0, Image(DskBuilder().Uniform(2, 1, 1, 1)), 0);
    Command(0xC0);
    EXPECT_EQ(Fdc.FdcStatus, 0x80);
    Command(0xE0);
    EXPECT_EQ(Fdc.FdcStatus, 0x80);
    Out(1, 0 ^ 0xFF);
    Out(3, 1 ^ 0xFF);
    Out(0, 0xF0 ^ 0xFF); // Write Trk: write protected, then a seek
    Steps(16);
    EXPECT_EQ(Fdc.FdcStatus, 0x40);
    Steps(1);
    EXPECT_EQ(Fdc.TrackReg, 1);
    EXPECT_EQ(Fdc.FdcStatus, 0x02);
    // Force INT ends a transfer.
    Out(2, 1 ^ 0xFF);
    Command(0x80);
    EXPECT_EQ(Fdc.BytesLeft, 256);
    Command(0xD0);
    EXPECT_EQ(Fdc.BytesLeft, 0);
    EXPECT_EQ(Fdc.FdcStatus, 0);
}

TEST_F(Controller, SectorNotFoundAndEmptyDrives) {
    Fdc.Mount(0, Image(DskBuilder().Uniform(2, 1, 4, 1)), 0);
    SeekTo(1);
    Out(2, 9 ^ 0xFF);
    Command(0x80);
    EXPECT_EQ(Fdc.FdcStatus, 0x10);
    EXPECT_EQ(Fdc.BytesLeft, 0);
    Out(4, 0x06); // drive C, empty
    EXPECT_EQ(Fdc.SelectedDrive, 2);
    EXPECT_EQ(Fdc.FdcStatus, 0x80);
    SeekTo(0);
    EXPECT_EQ(Fdc.FdcStatus, 0x16);
    Out(2, 1 ^ 0xFF);
    Command(0x80);
    EXPECT_EQ(Fdc.FdcStatus, 0x10);
}

TEST_F(Controller, DataRegisterOutsideATransfer) {
    Out(3, 0x5A);
    EXPECT_EQ(Fdc.DataReg, 0xA5);
    EXPECT_EQ(Fdc.FdcStatus, 0);
    EXPECT_EQ(In(3), 0x5A);
    EXPECT_TRUE(Log.Lines().empty());
}

TEST_F(Controller, DriveLatchAndSidePort) {
    Fdc.Mount(1, Image(DskBuilder().Uniform(1, 1, 1, 1)), 0);
    Out(4, 0x05); // bit 2 set: select drive B
    EXPECT_EQ(Fdc.SelectedDrive, 1);
    EXPECT_EQ(Fdc.FdcStatus, 0);
    EXPECT_EQ(In(4), 0xFA);
    EXPECT_EQ(In(4) >> 7, 1); // the motor bit: bit 7 of the inverted byte
    Out(4, 0x01);             // bit 2 clear: no new selection
    EXPECT_EQ(Fdc.SelectedDrive, 1);
    EXPECT_EQ(In(4) >> 7, 1);
    Out(4, 0x84);
    EXPECT_EQ(Fdc.SelectedDrive, 0);
    EXPECT_EQ(In(4) >> 7, 0);
    EXPECT_EQ(Fdc.FdcStatus, 0x80);
    Out(5, 0x03); // side: bit 0, not inverted
    EXPECT_EQ(Fdc.SideReg, 1);
    EXPECT_EQ(Fdc.Drives[0].CursorSide, 1);
    EXPECT_EQ(In(5), 0xFE);
    EXPECT_EQ(In(6), 0);
    Out(1, 0x00);
    Out(2, 0x0F);
    EXPECT_EQ(In(1), 0x00);
    EXPECT_EQ(Fdc.TrackReg, 0xFF);
    EXPECT_EQ(Fdc.RegisterBlock(), (std::array<std::uint8_t, 6>{0, 0xFF, 0xF0, 0, 0x84, 1}));
}

TEST_F(Controller, MountingMidTransferAbortsIt) {
    const std::string first = Image(DskBuilder().Uniform(1, 1, 1, 1), "first.dsk");
    const std::string second = Image(DskBuilder().Uniform(1, 1, 1, 1), "second.dsk");
    const auto secondBytes = Slurp(second);
    Fdc.Mount(0, first, 0);
    SeekTo(0);
    Out(2, 1 ^ 0xFF);
    Command(0xA0);
    for (int i = 0; i < 100; ++i)
        Out(3, 0x00);
    Fdc.Mount(0, second, 0); // saves the first, half written
    EXPECT_EQ(Fdc.BytesLeft, 0);
    for (int i = 0; i < 156; ++i)
        Out(3, 0x00);
    EXPECT_FALSE(Fdc.Drives[0].Modified);
    Fdc.Unmount(0);
    EXPECT_EQ(Slurp(second), secondBytes);
    EXPECT_EQ(Slurp(first)[DskBuilder().Uniform(1, 1, 1, 1).DataOffset(1, 0) + 99], 0xFF);

    // Unmounting and changing drives abort as well.
    Fdc.Mount(0, first, 0);
    SeekTo(0);
    Command(0x80);
    ASSERT_EQ(Fdc.BytesLeft, 256);
    Fdc.Unmount(0);
    EXPECT_EQ(Fdc.BytesLeft, 0);
    Fdc.Mount(0, first, 0);
    Command(0x80);
    ASSERT_EQ(Fdc.BytesLeft, 256);
    Out(4, 0x05);
    EXPECT_EQ(Fdc.BytesLeft, 0);
}

TEST_F(Controller, FailedMountKeepsTheDrivesImage) {
    const std::string path = Image(DskBuilder().Uniform(1, 1, 1, 1));
    Fdc.Mount(0, path, 0);
    EXPECT_THROW(Fdc.Mount(0, Dir.File("missing.dsk"), 0), platform::Exception);
    EXPECT_TRUE(Fdc.Drives[0].IsMounted());
    EXPECT_EQ(Fdc.Drives[0].FileName, path);
}
