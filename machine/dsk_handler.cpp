#include "machine/dsk_handler.h"

#include "platform/format.h"
#include "platform/rescue.h"

#include <cstdio>
#include <exception>
#include <utility>

namespace {
// Bits that the group 3 and 4 commands keep in the status.
constexpr std::uint8_t KeptByGroups3And4 = TDskHandler::Status::NotReady | TDskHandler::Status::HeadLoaded |
                                           TDskHandler::Status::NotFound | TDskHandler::Status::CrcError;
// Flag bits of a command: group 1 loads the head, verifies the track, and (the
// steps) updates the track register; group 2 goes on with the next sector.
constexpr std::uint8_t HeadLoadFlag = 0x08, VerifyFlag = 0x04, UpdateTrackFlag = 0x10, MultipleFlag = 0x10;

constexpr const char* StateNames[] = {"Unknown",   "Restore",  "Seek",      "Step",
                                      "Step In",   "Step Out", "Read Sect", "Write Sect",
                                      "Read Addr", "Read Trk", "Write Trk", "Force INT"};
} // namespace

const char* TDskHandler::StateName(std::uint8_t state) {
    return state <= ForceInt ? StateNames[state] : "Unknown";
}

TDskHandler::TDskHandler(TLogHook log) : OnLog(std::move(log)) {
    WriteBack.OnFailed = [this](int d, const std::string& message) {
        LogTo(OnLog, "FDC: Drive %c not saved: %s", 'A' + d, message.c_str());
        if (OnWriteBackFailed) OnWriteBackFailed(d, message);
    };
}

TDskHandler::~TDskHandler() { UnmountAll(); }

bool TDskHandler::AnyModified() const {
    for (const TVirtualDsk& drive : Drives)
        if (drive.IsMounted() && drive.Modified) return true;
    return false;
}

std::vector<TDiscRescue> TDskHandler::UnmountAll() {
    WriteBack.Settle();
    std::vector<TDiscRescue> rescues;
    for (int d = 0; d < 4; ++d) {
        if (!Drives[d].IsMounted()) continue;
        try {
            Unmount(d);
            continue;
        } catch (const std::exception& e) {
            TDiscRescue r;
            r.Drive = d;
            r.FileName = Drives[d].FileName;
            r.Reason = e.what();
            rescues.push_back(r);
        }
        TDiscRescue& r = rescues.back();
        const platform::TMemoryStream& image = *Drives[d].ImageStream;
        r.Copy = platform::RescueCopy(r.FileName, image.Memory(), std::size_t(image.Size()));
        const std::string line = r.Reason + "; " + r.Copy.Report();
        LogTo(OnLog, "%s", line.c_str());
        std::fprintf(stderr, "qj47r: %s\n", line.c_str());
        Drives[d].UnloadImage(1); // its copy is safe, or nothing more can be done
    }
    return rescues;
}

// ---- registers ----

std::uint8_t TDskHandler::ReadRegister(std::uint8_t r) {
    switch (r) {
    case 0: return FdcStatus ^ 0xFF;
    case 1: return TrackReg ^ 0xFF;
    case 2: return SectorReg ^ 0xFF;
    case 3: Transfer(false); return DataReg ^ 0xFF;
    case 4: return DriveLatch ^ 0xFF;
    case 5: return SideReg ^ 0xFF;
    default: return 0;
    }
}

void TDskHandler::WriteRegister(std::uint8_t r, std::uint8_t v) {
    const std::uint8_t c = v ^ 0xFF;
    switch (r) {
    case 0: DecodeCommand(c); break;
    case 1: TrackReg = c; break;
    case 2: SectorReg = c; break;
    case 3:
        DataReg = c;
        Transfer(true);
        break;
    case 4: // the motor bit (bit 7 of c) drives nothing here
        DriveLatch = v;
        if (v & LatchSelect) SelectDrive(v & LatchDrive);
        break;
    case 5:
        SideReg = v & 1;
        Drives[SelectedDrive].CursorSide = SideReg;
        break;
    default: break;
    }
}

void TDskHandler::DecodeCommand(std::uint8_t c) {
    FdcState = Idle;
    CommandGroup = 0;
    CommandReg = c;
    if (!(c & 0x80)) { // group 1: head movement
        CommandGroup = 1;
        if (c & 0x40) {
            FdcState = (c & 0x20) ? StepOut : StepIn;
            CommandFlags = c & 0x1F;
        } else if (c & 0x20) {
            FdcState = Step;
            CommandFlags = c & 0x1F;
        } else {
            FdcState = (c & 0xF0) == 0 ? Restore : Seek;
            CommandFlags = c & 0x0F;
        }
        FdcStatus =
            (FdcStatus & (Status::NotReady | Status::WriteProtect | Status::HeadLoaded | Status::TrackZero)) |
            Status::Busy;
    } else if ((c & 0xC0) == 0x80) { // group 2: sectors
        CommandGroup = 2;
        if (c & 0x20) {
            FdcState = WriteSect;
            CommandFlags = c & 0x1F;
        } else {
            FdcState = ReadSect;
            CommandFlags = c & 0x1E;
        }
        BytesLeft = 0;
        FdcStatus = (FdcStatus & (Status::NotReady | Status::CrcError)) | Status::Busy;
    } else if ((c & 0x30) == 0x10) { // group 4
        CommandGroup = 4;
        FdcState = ForceInt;
        CommandFlags = c & 0x0F;
        FdcStatus &= KeptByGroups3And4;
    } else { // group 3: tracks and addresses
        CommandGroup = 3;
        FdcState = (c & 0x30) == 0x00 ? ReadAddr : (c & 0x30) == 0x20 ? ReadTrk : WriteTrk;
        CommandFlags = c & 0x04;
        FdcStatus = (FdcStatus & KeptByGroups3And4) | Status::Busy;
    }
    StepDelay = 15;
    LogTo(OnLog, "IOWRITE:Requested Cmd: %02x (%s), Group: %02x, Flags: %02x", FdcState, StateName(FdcState),
          CommandGroup, CommandFlags);
    LogTo(OnLog, "IOWRITE:H:%02x, T:%02x, S:%02x, M:%02x, D:%02x", SideReg, TrackReg, SectorReg, DriveLatch,
          DataReg);
}

// ---- command steps ----

void TDskHandler::SeekResult(int found, std::uint8_t hld) {
    FdcStatus |= found == 0 ? (hld | Status::DataRequest) : (hld | Status::DataRequest | Status::NotFound);
}

void TDskHandler::ExecuteCommand() {
    if (StepDelay != 0) {
        --StepDelay;
        return;
    }
    LogTo(OnLog, "FDC: Command %02x", FdcState);
    TVirtualDsk& drive = Drives[SelectedDrive];
    std::int32_t& head = PhysTrack[SelectedDrive];
    const std::uint8_t hld = (CommandFlags & HeadLoadFlag) ? Status::HeadLoaded : 0;
    switch (FdcState) {
    case Restore:
        DataReg = 0;
        TrackReg = 0xFF;
        FdcState = Seek;
        LogTo(OnLog, "FDC: Restoring");
        break;
    case Seek:
        if (TrackReg > DataReg)
            StepOutward = 1;
        else if (TrackReg < DataReg)
            StepOutward = 0;
        LogTo(OnLog, "FDC: Seeking from %02x to %02x", TrackReg, DataReg);
        head += int(DataReg) - int(TrackReg);
        if (head < 0) head = 0;
        TrackReg = std::uint8_t(head);
        FdcStatus = 0;
        SeekResult(drive.SeekTrack(SideReg, TrackReg), hld);
        if (TrackReg == 0) FdcStatus |= Status::TrackZero;
        LogTo(OnLog, "FDC: Seek found %02x, status %02x", TrackReg, FdcStatus);
        FdcState = Idle;
        break;
    case Step: FdcState = StepOutward ? StepOut : StepIn; break;
    case StepIn:
    case StepOut:
        if (FdcState == StepIn) {
            StepOutward = 0;
            ++head;
        } else {
            StepOutward = 1;
            if (head > 0) --head;
        }
        FdcStatus = 0;
        if (CommandFlags & UpdateTrackFlag) TrackReg = std::uint8_t(head);
        if (CommandFlags & VerifyFlag) SeekResult(drive.SeekTrack(SideReg, std::uint8_t(head)), hld);
        if (head == 0) FdcStatus |= Status::TrackZero;
        FdcState = Idle;
        break;
    case ReadSect:
    case WriteSect: {
        LogTo(OnLog, FdcState == ReadSect ? "FDC: Read Sector %02x" : "FDC: Write Sector %02x", SectorReg);
        const int n = drive.SeekSector(SectorReg);
        if (n > 0) {
            BytesLeft = n;
            FdcStatus = Status::Busy | Status::DataRequest;
            NextSector[SelectedDrive] = SectorReg;
            MultiSector = (CommandFlags & MultipleFlag) ? 1 : 0;
        } else {
            BytesLeft = 0;
            FdcStatus = Status::NotFound;
        }
        FdcState = Idle;
        break;
    }
    case ReadAddr:
    case ReadTrk:
        FdcStatus = Status::NotReady;
        FdcState = Idle;
        break;
    case WriteTrk:
        FdcStatus = Status::WriteProtect;
        FdcState = Seek;
        break;
    case ForceInt:
        BytesLeft = 0;
        FdcStatus = 0;
        FdcState = Idle;
        break;
    default: FdcState = Idle; break;
    }
}

// ---- data transfer ----

void TDskHandler::Transfer(bool write) {
    if (BytesLeft <= 0) return;
    TVirtualDsk& drive = Drives[SelectedDrive];
    FdcStatus |= Status::Busy | Status::DataRequest;
    --BytesLeft;
    if (write)
        drive.WriteByte(DataReg);
    else
        drive.ReadByte(DataReg);
    if (BytesLeft == 0) EndOfSector(write);
}

void TDskHandler::EndOfSector(bool write) {
    if (!MultiSector) {
        LogTo(OnLog,
              write ? "FDC: Non-Multi Write of Sector %02x ended"
                    : "FDC: Non-Multi Read of Sector %02x ended",
              SectorReg);
        FdcStatus = 0;
        return;
    }
    TVirtualDsk& drive = Drives[SelectedDrive];
    const std::int32_t head = PhysTrack[SelectedDrive];
    std::uint8_t& next = NextSector[SelectedDrive];
    ++next;
    LogTo(OnLog, write ? "FDC: Writing Next Sector: %02x" : "FDC: Reading Next Sector: %02x", next);
    const std::uint8_t s = drive.SectorsPerTrack(SideReg, std::uint8_t(head));
    int n = -3; // a track without sectors (side or head changed meanwhile) has no next sector
    if (s != 0) {
        if (next % s == 1) { // the track is done
            if (SideReg == 1) {
                SideReg = 0;
                LogTo(OnLog, "FDC: Swap to Head %d", 0);
                if (drive.SeekTrack(0, std::uint8_t(head)) != 0) FdcStatus |= Status::NotFound;
            } else {
                FdcStatus |= Status::NotFound;
            }
        }
        n = drive.SeekSector(next);
    }
    if (n > 0) {
        BytesLeft = n;
        LogTo(OnLog, "FDC: Seek OK");
        SectorReg = next;
    } else {
        LogTo(OnLog, "FDC: Seek Fail (C:%02x, T:%02x, S:%02x)", SideReg, unsigned(head) & 0xFF, next);
        BytesLeft = 0;
        FdcStatus = (FdcStatus & ~(Status::Busy | Status::DataRequest)) | Status::NotFound;
    }
}

void TDskHandler::AbortTransfer() {
    BytesLeft = 0;
    MultiSector = 0;
}

// ---- drives ----

void TDskHandler::SelectDrive(std::uint8_t d) {
    // Bytes still due belong to the sector of the drive that was selected.
    if (d != SelectedDrive) AbortTransfer();
    SelectedDrive = d;
    FdcStatus = Drives[d].IsMounted() ? 0 : Status::NotReady;
}

int TDskHandler::Mount(int d, const std::string& fileName, std::uint8_t flag) {
    WriteBack.Settle();
    if (d == SelectedDrive) AbortTransfer();
    const int r = Drives[d].LoadImage(fileName, flag);
    FdcStatus = r != 0 ? Status::NotReady : 0;
    return r;
}

void TDskHandler::Unmount(int d) {
    WriteBack.Settle();
    if (d == SelectedDrive) AbortTransfer();
    FdcStatus = Status::NotReady;
    Drives[d].UnloadImage(0);
}
