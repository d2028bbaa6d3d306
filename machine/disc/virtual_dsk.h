// One floppy disc image in the Extended DSK layout, held whole in memory.
//
// Layout as read (little-endian): a 256-byte disc header (track count at 0x30,
// side count at 0x31, one size byte per record from 0x34, 0 = record absent),
// then for every present record a 256-byte track block (track 0x10, side 0x11,
// sector count 0x15, eight-byte sector entries from 0x18: C, H, R, N, ST1, ST2,
// data length) followed by its sector data. A record ends 128 << N bytes per
// entry after its block. Stored data bytes are the complements of the bytes the
// emulated program sees.
//
// Every offset is computed in 64 bits and checked against the image: a record
// or a sector that does not lie wholly inside the image (and, for a sector,
// inside its own record) is not found, and writes never grow the image.
#pragma once

#include "platform/exceptions.h"
#include "platform/streams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Sizes and offsets of the layout, shared by the emulator and the disc manager.
namespace dsk {

constexpr int MaxRecords = 203;         // record slots 1..203
constexpr int HeaderSize = 256;         // disc header
constexpr int TrackBlockSize = 256;     // track information block
constexpr int SectorTableOffset = 0x18; // first sector entry in a track block
constexpr int SectorEntrySize = 8;
constexpr int MaxSectorEntries = (TrackBlockSize - SectorTableOffset) / SectorEntrySize; // 29

// Records the image describes, tracks x sides, clamped to the slots there are.
inline int RecordCount(const std::uint8_t* diskInfo) {
    const int n = int(diskInfo[0x30]) * int(diskInfo[0x31]);
    return n < MaxRecords ? n : MaxRecords;
}
// Record k (1-based) is present when its size byte is not 0.
inline bool RecordPresent(const std::uint8_t* diskInfo, int k) { return diskInfo[0x34 + k - 1] != 0; }
// Sector entries of a track block, clamped to the entries a block can hold.
inline int SectorEntryCount(const std::uint8_t* trackInfo) {
    const int n = trackInfo[0x15];
    return n < MaxSectorEntries ? n : MaxSectorEntries;
}
inline const std::uint8_t* SectorEntry(const std::uint8_t* trackInfo, int j) {
    return trackInfo + SectorTableOffset + SectorEntrySize * j;
}
inline std::uint8_t SectorId(const std::uint8_t* trackInfo, int j) { return SectorEntry(trackInfo, j)[2]; }
inline std::uint8_t SectorSizeCode(const std::uint8_t* trackInfo, int j) {
    return SectorEntry(trackInfo, j)[3];
}
inline std::uint16_t SectorDataLength(const std::uint8_t* trackInfo, int j) {
    const std::uint8_t* e = SectorEntry(trackInfo, j);
    return std::uint16_t(e[6] | (e[7] << 8));
}
// Bytes a sector takes in its record: 128 << N, N taken modulo 32, in 64 bits.
inline std::uint64_t SectorSpan(std::uint8_t sizeCode) { return std::uint64_t(128) << (sizeCode % 32); }
// The largest image file read: the disc header and 204 records (as many as the
// header's size table has bytes) of the largest size the table can state,
// 255 x 256 bytes each: 256 + 204 x 65280 = 13317376 bytes.
constexpr std::uint64_t MaxImageSize = HeaderSize + std::uint64_t(0x100 - 0x34) * 0xFF00;

// Whether [offset, offset + length) lies inside [0, limit).
inline bool Within(std::uint64_t offset, std::uint64_t length, std::uint64_t limit) {
    return offset <= limit && length <= limit - offset;
}

} // namespace dsk

// A save that would overwrite an image file another program changed since it
// was loaded or last saved.
class EDiscChangedError : public platform::Exception {
  public:
    explicit EDiscChangedError(const std::string& fileName);
};

// Writes an image's bytes to its file unless another program changed the file
// since the image was loaded from it or last saved to it (EDiscChangedError);
// returns the new version. A file that is gone is written anew; when that
// fails (its folder is gone too) the system's reason is raised (EFCreateError).
platform::TFileVersion SaveImageFile(const std::string& fileName, const std::uint8_t* data, std::size_t size,
                                     const platform::TFileVersion& expected);

// A copy of an image for a save on another thread. Kept from one save to the
// next: only the blocks written since are copied again.
struct TDiscSnapshot {
    std::uint64_t Serial = 0; // the load it is a copy of (0: none)
    std::string FileName;
    std::vector<std::uint8_t> Data;
    platform::TFileVersion Expected; // what the file held when the copy was taken
    std::uint64_t Writes = 0;        // the image's write count at the copy
};

class TVirtualDsk {
  public:
    TVirtualDsk();
    // Saves a modified image; a failed save is reported on stderr, never thrown.
    ~TVirtualDsk();
    TVirtualDsk(const TVirtualDsk&) = delete;
    TVirtualDsk& operator=(const TVirtualDsk&) = delete;

    // Loads a whole image file (a regular file of at most dsk::MaxImageSize
    // bytes). A modified image already mounted is saved first; then the new file
    // is read. Either failure raises (EFCreateError, EDiscChangedError,
    // EFOpenError, EFileReadError) and leaves the mounted image as it was.
    // Returns 0.
    int LoadImage(const std::string& fileName, std::uint8_t flag);
    // LoadImage once the file is read: mounts the bytes as the image of
    // fileName as it was at version. A modified image already mounted is saved
    // first (raises and stays mounted when that fails). Returns 0.
    int LoadImageBytes(std::vector<std::uint8_t> bytes, const std::string& fileName,
                       const platform::TFileVersion& version, std::uint8_t flag);
    // Saves a modified image unless discard is set, then drops it. A failed save
    // raises and keeps the image mounted and modified.
    void UnloadImage(std::uint8_t discard);
    std::uint8_t IsMounted() const { return Mounted; }

    // Writes the image to its file (see SaveImageFile); Modified cleared.
    void Save();
    // Writes the image to its file even when another program changed it.
    void Overwrite();
    // Writes the image to another file, which it then belongs to.
    void SaveAs(const std::string& fileName);
    // Whether the image's file exists and the user may not write it.
    bool FileReadOnly() const;

    // For saves elsewhere: brings a copy up to the image as it is now (the
    // whole image for a copy of another load, else the blocks written since the
    // last update), and takes the news that such a copy reached the file
    // (Modified cleared unless written since).
    void UpdateSnapshot(TDiscSnapshot& snapshot);
    void SnapshotSaved(const TDiscSnapshot& snapshot, const platform::TFileVersion& version);
    static constexpr std::size_t DirtyBlockSize = 4096;

    // 0 found, -4 found but absent, -2 not in the image.
    int SeekTrack(std::uint8_t side, std::uint8_t track);
    // Data length of the sector on the cursor's track, stream at its first byte; -3 not found.
    int SeekSector(std::uint8_t sectorId);
    // One byte at the stream position, which advances; nothing past the image's end.
    int ReadByte(std::uint8_t& value);
    int WriteByte(std::uint8_t value);
    // Sector entries of the record of this track and side; 0 when absent or missing.
    std::uint8_t SectorsPerTrack(std::uint8_t side, std::uint8_t track) const;

    // Read-only views for the disc manager.
    int RecordCount() const { return Records; }
    bool RecordPresent(int k) const { return k >= 1 && k <= Records && State[k] == RecordState::Present; }
    std::string CreatorName() const;
    // Stream offset and length of entry j's data in record k; false when the
    // sector does not lie wholly inside its record and the image.
    bool SectorData(int k, int j, std::uint64_t& offset, std::uint64_t& length) const;

    std::uint8_t Mounted = 0;
    std::uint8_t LoadFlag = 0;
    std::uint8_t Modified = 0;    // set by WriteByte, cleared by a load and a successful save
    std::uint64_t Writes = 0;     // bytes written by WriteByte, over every image this drive held
    std::uint64_t LoadSerial = 0; // tells one load from every other, in every drive
    std::string FileName;
    std::uint8_t CursorSide = 0, CursorTrack = 0, CursorSector = 0;
    std::unique_ptr<platform::TMemoryStream> ImageStream;
    std::uint32_t TrackDataOffset[dsk::MaxRecords + 1] = {}; // slot 0 unused
    std::uint8_t TrackInfo[dsk::MaxRecords + 1][dsk::TrackBlockSize] = {};
    std::uint8_t DiskInfo[dsk::HeaderSize] = {};
    // The file as it was when loaded or last saved.
    platform::TFileVersion DiscVersion;
    // The user could not write the file when it was loaded (FileReadOnly), and
    // no save has reached the file since.
    bool ReadOnlySinceLoad = false;

  private:
    // Absent: size byte 0. Missing: its block lies past the end of the image.
    enum class RecordState : std::uint8_t { Absent, Present, Missing };

    void Parse();
    int FindSlot(std::uint8_t side, std::uint8_t track) const;
    std::uint64_t ImageSize() const;

    int Records = 0;
    std::vector<std::uint8_t> DirtyBlocks; // per DirtyBlockSize bytes: written since the last snapshot
    RecordState State[dsk::MaxRecords + 1] = {};
    std::uint64_t RecordEnd[dsk::MaxRecords + 1] = {}; // end of each present record's data
};
