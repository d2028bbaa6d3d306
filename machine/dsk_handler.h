// The floppy disc controller with four drives A-D. The processor reaches it
// through registers 0-7 (every byte inverted between bus and controller); a
// command waits 15 controller steps and then runs in ExecuteCommand, which the
// board calls every 4000 T-states while FdcState is not 0. Sector data moves one
// byte per data register access. Every decision goes to the log hook.
#pragma once

#include "machine/chip_hooks.h"
#include "machine/disc/virtual_dsk.h"
#include "machine/disc_write_back.h"
#include "platform/rescue.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A modified image that UnmountAll could not write back to its file (Reason
// says why): where the machine's copy went (the rescue folder, or the
// temporary one), or, when no place could take it, why not.
struct TDiscRescue {
    int Drive = 0;
    std::string FileName;
    std::string Reason;
    platform::TRescueResult Copy;
};

class TDskHandler {
  public:
    // Status register bits as this controller sets them.
    struct Status {
        static constexpr std::uint8_t Busy = 0x01;
        static constexpr std::uint8_t DataRequest = 0x02; // also: a verify or seek was done
        static constexpr std::uint8_t TrackZero = 0x04;
        static constexpr std::uint8_t CrcError = 0x08; // never set; kept through commands
        static constexpr std::uint8_t NotFound = 0x10; // seek error or sector not found
        static constexpr std::uint8_t HeadLoaded = 0x20;
        static constexpr std::uint8_t WriteProtect = 0x40; // Write Trk only
        static constexpr std::uint8_t NotReady = 0x80;
    };
    // The drive latch port (bus polarity): the motor bit reads inverted.
    static constexpr std::uint8_t LatchSelect = 0x04, LatchDrive = 0x03;

    explicit TDskHandler(TLogHook log = {});
    // Saves every modified image; a failed save is reported and the others are still saved.
    ~TDskHandler();
    TDskHandler(const TDskHandler&) = delete;
    TDskHandler& operator=(const TDskHandler&) = delete;

    std::uint8_t ReadRegister(std::uint8_t r);
    void WriteRegister(std::uint8_t r, std::uint8_t v);
    void ExecuteCommand();
    void SelectDrive(std::uint8_t d);
    // For the floppy window. Errors of the image file raise (platform exceptions);
    // a failed mount keeps the drive's previous image, a failed unmount keeps the
    // modified image mounted. Either aborts a transfer running on that drive.
    int Mount(int d, const std::string& fileName, std::uint8_t flag);
    void Unmount(int d);
    // Unmounts every drive, saving each modified image on its own. An image that
    // cannot be saved, or whose file another program changed, is rescued (its
    // copy goes to the rescue folder, or else the temporary one; the file stays
    // as it is); each is reported (log and stderr) and returned. Never raises.
    std::vector<TDiscRescue> UnmountAll();
    // Whether any drive holds an image with writes not yet in its file.
    bool AnyModified() const;

    // CommandReg, TrackReg, SectorReg, DataReg, DriveLatch, SideReg, for the I/O monitor.
    std::array<std::uint8_t, 6> RegisterBlock() const {
        return {CommandReg, TrackReg, SectorReg, DataReg, DriveLatch, SideReg};
    }
    static const char* StateName(std::uint8_t state);

    enum : std::uint8_t {
        Idle = 0,
        Restore,
        Seek,
        Step,
        StepIn,
        StepOut,
        ReadSect,
        WriteSect,
        ReadAddr,
        ReadTrk,
        WriteTrk,
        ForceInt
    };

    TLogHook OnLog;
    // An automatic write-back of a drive's image failed (the message names the
    // file and the reason); called once per run of failures.
    std::function<void(int drive, const std::string& message)> OnWriteBackFailed;

    TVirtualDsk Drives[4];
    // Writes modified images back by themselves; declared after the drives so
    // that it stops before they go. The host polls it.
    TDiscWriteBack WriteBack{Drives, 4};
    std::int32_t PhysTrack[4] = {};
    std::uint8_t NextSector[4] = {};
    std::uint8_t MultiSector = 0;
    std::int32_t BytesLeft = 0;
    std::uint8_t StepOutward = 0;
    std::uint8_t StepDelay = 0;
    std::uint8_t CommandGroup = 0;
    std::uint8_t CommandFlags = 0;
    std::uint8_t SelectedDrive = 0;
    std::uint8_t FdcStatus = 0;
    std::uint8_t FdcState = 0;
    std::uint8_t CommandReg = 0, TrackReg = 0, SectorReg = 0, DataReg = 0;
    std::uint8_t DriveLatch = 0;
    std::uint8_t SideReg = 0;

  private:
    void DecodeCommand(std::uint8_t c);
    void Transfer(bool write);
    void EndOfSector(bool write);
    void SeekResult(int found, std::uint8_t hld);
    void AbortTransfer();
};
