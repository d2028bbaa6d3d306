#include "machine/disc/virtual_dsk.h"

#include "platform/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

EDiscChangedError::EDiscChangedError(const std::string& fileName)
    : platform::Exception("The disk image " + fileName +
                          " was changed by another program since it was read") {}

platform::TFileVersion SaveImageFile(const std::string& fileName, const std::uint8_t* data, std::size_t size,
                                     const platform::TFileVersion& expected) {
    // A file that is gone is written anew: that overwrites nobody's work.
    if (platform::StampOf(fileName).Exists && !platform::StillHolds(fileName, expected, dsk::MaxImageSize))
        throw EDiscChangedError(fileName);
    return platform::WriteFileAtomic(fileName, data, size);
}

TVirtualDsk::TVirtualDsk() = default;

TVirtualDsk::~TVirtualDsk() {
    if (!Mounted) return;
    try {
        UnloadImage(0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

std::uint64_t TVirtualDsk::ImageSize() const {
    return ImageStream ? static_cast<std::uint64_t>(ImageStream->Size()) : 0;
}

int TVirtualDsk::LoadImage(const std::string& fileName, std::uint8_t flag) {
    // Save the current image before reading the new file, so that loading the
    // same file again sees what was written to it.
    if (ImageStream && Modified) Save();
    platform::TFileVersion version;
    std::vector<std::uint8_t> bytes =
        platform::ReadWholeFile(fileName, dsk::MaxImageSize, &version); // raises; the mounted image stays
    return LoadImageBytes(std::move(bytes), fileName, version, flag);
}

int TVirtualDsk::LoadImageBytes(std::vector<std::uint8_t> bytes, const std::string& fileName,
                                const platform::TFileVersion& version, std::uint8_t flag) {
    if (ImageStream && Modified) Save(); // raises; the mounted image stays
    auto stream = std::make_unique<platform::TMemoryStream>();
    stream->TakeData(std::move(bytes));
    static std::uint64_t loads = 0;
    ImageStream = std::move(stream);
    DiscVersion = version;
    LoadSerial = ++loads;
    DirtyBlocks.assign((std::size_t(ImageStream->Size()) + DirtyBlockSize - 1) / DirtyBlockSize, 0);
    FileName = fileName;
    ReadOnlySinceLoad = FileReadOnly();
    Parse();
    Mounted = 1;
    LoadFlag = flag;
    Modified = 0;
    return 0;
}

void TVirtualDsk::Parse() {
    std::memset(DiskInfo, 0, sizeof DiskInfo);
    std::memset(TrackInfo, 0, sizeof TrackInfo);
    std::memset(TrackDataOffset, 0, sizeof TrackDataOffset);
    std::memset(RecordEnd, 0, sizeof RecordEnd);
    std::memset(State, 0, sizeof State);

    const std::uint64_t size = ImageSize();
    const std::uint8_t* image = ImageStream->Memory();
    if (size > 0) std::memcpy(DiskInfo, image, size < dsk::HeaderSize ? size : dsk::HeaderSize);

    Records = dsk::RecordCount(DiskInfo);
    std::uint64_t pos = dsk::HeaderSize;
    for (int k = 1; k <= Records; ++k) {
        if (!dsk::RecordPresent(DiskInfo, k)) {
            State[k] = RecordState::Absent;
            TrackDataOffset[k] = static_cast<std::uint32_t>(pos <= size ? pos : size);
            continue;
        }
        if (!dsk::Within(pos, dsk::TrackBlockSize, size) ||
            pos + dsk::TrackBlockSize > std::numeric_limits<std::uint32_t>::max()) {
            State[k] = RecordState::Missing;
            TrackDataOffset[k] = static_cast<std::uint32_t>(pos <= size ? pos : size);
            pos = size + 1; // every later record is missing too
            continue;
        }
        State[k] = RecordState::Present;
        std::memcpy(TrackInfo[k], image + pos, dsk::TrackBlockSize);
        pos += dsk::TrackBlockSize;
        TrackDataOffset[k] = static_cast<std::uint32_t>(pos);
        for (int j = 0, n = dsk::SectorEntryCount(TrackInfo[k]); j < n; ++j)
            pos += dsk::SectorSpan(dsk::SectorSizeCode(TrackInfo[k], j)); // at most 29 * 2^38: no overflow
        RecordEnd[k] = pos;
    }
    ImageStream->SetPosition(dsk::HeaderSize);
}

void TVirtualDsk::UnloadImage(std::uint8_t discard) {
    if (ImageStream) {
        if (Modified && !discard) Save(); // raises; the image stays mounted
        ImageStream.reset();
        DirtyBlocks.clear();
    }
    Mounted = 0;
    Modified = 0;
}

void TVirtualDsk::Save() {
    if (!ImageStream) return;
    DiscVersion =
        SaveImageFile(FileName, ImageStream->Memory(), std::size_t(ImageStream->Size()), DiscVersion);
    Modified = 0;
    ReadOnlySinceLoad = false;
}

void TVirtualDsk::Overwrite() {
    if (!ImageStream) return;
    DiscVersion = ImageStream->SaveToFile(FileName);
    Modified = 0;
    ReadOnlySinceLoad = false;
}

void TVirtualDsk::SaveAs(const std::string& fileName) {
    if (!ImageStream) return;
    DiscVersion = ImageStream->SaveToFile(fileName);
    FileName = fileName;
    Modified = 0;
    ReadOnlySinceLoad = false;
}

bool TVirtualDsk::FileReadOnly() const {
    if (FileName.empty() || ::faccessat(AT_FDCWD, FileName.c_str(), W_OK, AT_EACCESS) == 0) return false;
    return errno == EACCES || errno == EROFS || errno == EPERM;
}

void TVirtualDsk::UpdateSnapshot(TDiscSnapshot& snapshot) {
    if (!ImageStream) return;
    const std::uint8_t* image = ImageStream->Memory();
    const std::size_t size = std::size_t(ImageStream->Size());
    if (snapshot.Serial != LoadSerial || snapshot.Data.size() != size) {
        snapshot.Data.assign(image, image + size);
        snapshot.Serial = LoadSerial;
    } else {
        for (std::size_t b = 0; b < DirtyBlocks.size(); ++b) {
            if (!DirtyBlocks[b]) continue;
            const std::size_t from = b * DirtyBlockSize, n = std::min(DirtyBlockSize, size - from);
            std::memcpy(snapshot.Data.data() + from, image + from, n);
        }
    }
    std::fill(DirtyBlocks.begin(), DirtyBlocks.end(), 0);
    snapshot.FileName = FileName;
    snapshot.Expected = DiscVersion;
    snapshot.Writes = Writes;
}

void TVirtualDsk::SnapshotSaved(const TDiscSnapshot& snapshot, const platform::TFileVersion& version) {
    // A copy of an image this drive no longer holds says nothing about this one.
    if (!ImageStream || snapshot.Serial != LoadSerial) return;
    DiscVersion = version;
    ReadOnlySinceLoad = false;
    if (Writes == snapshot.Writes) Modified = 0;
}

int TVirtualDsk::FindSlot(std::uint8_t side, std::uint8_t track) const {
    const int sides = DiskInfo[0x31];
    for (int k = 1; k <= Records; ++k) {
        switch (State[k]) {
        case RecordState::Present:
            if (TrackInfo[k][0x10] == track && TrackInfo[k][0x11] == side) return k;
            break;
        case RecordState::Absent:
            // An absent record has no block: it stands for its place in the order.
            if ((k - 1) / sides == track && (k - 1) % sides == side) return k;
            break;
        case RecordState::Missing: break;
        }
    }
    return 0;
}

int TVirtualDsk::SeekTrack(std::uint8_t side, std::uint8_t track) {
    CursorSide = side;
    CursorTrack = track;
    if (!ImageStream) return -2;
    const int k = FindSlot(side, track);
    if (k == 0) return -2;
    return State[k] == RecordState::Present ? 0 : -4;
}

bool TVirtualDsk::SectorData(int k, int j, std::uint64_t& offset, std::uint64_t& length) const {
    if (!RecordPresent(k) || j < 0 || j >= dsk::SectorEntryCount(TrackInfo[k])) return false;
    std::uint64_t p = TrackDataOffset[k];
    for (int i = 0; i < j; ++i)
        p += dsk::SectorDataLength(TrackInfo[k], i);
    const std::uint64_t len = dsk::SectorDataLength(TrackInfo[k], j);
    const std::uint64_t end = RecordEnd[k] < ImageSize() ? RecordEnd[k] : ImageSize();
    if (!dsk::Within(p, len, end)) return false;
    offset = p;
    length = len;
    return true;
}

int TVirtualDsk::SeekSector(std::uint8_t sectorId) {
    if (!ImageStream) return -3;
    for (int k = 1; k <= Records; ++k) {
        if (State[k] != RecordState::Present || TrackInfo[k][0x10] != CursorTrack ||
            TrackInfo[k][0x11] != CursorSide)
            continue;
        for (int j = 0, n = dsk::SectorEntryCount(TrackInfo[k]); j < n; ++j) {
            std::uint64_t offset, length;
            if (dsk::SectorId(TrackInfo[k], j) == sectorId && SectorData(k, j, offset, length)) {
                ImageStream->SetPosition(static_cast<std::int64_t>(offset));
                CursorSector = sectorId;
                return static_cast<int>(length);
            }
        }
    }
    return -3;
}

int TVirtualDsk::ReadByte(std::uint8_t& value) {
    if (ImageStream && ImageStream->Position() < ImageStream->Size()) ImageStream->Read(&value, 1);
    return 0;
}

int TVirtualDsk::WriteByte(std::uint8_t value) {
    if (ImageStream && ImageStream->Position() < ImageStream->Size()) {
        DirtyBlocks[std::size_t(ImageStream->Position()) / DirtyBlockSize] = 1;
        ImageStream->Write(&value, 1);
        Modified = 1;
        ++Writes;
    }
    return 0;
}

std::uint8_t TVirtualDsk::SectorsPerTrack(std::uint8_t side, std::uint8_t track) const {
    if (!ImageStream) return 0;
    const int k = FindSlot(side, track);
    return k != 0 && State[k] == RecordState::Present ? std::uint8_t(dsk::SectorEntryCount(TrackInfo[k])) : 0;
}

std::string TVirtualDsk::CreatorName() const {
    const char* p = reinterpret_cast<const char*>(DiskInfo + 0x22);
    return std::string(p, strnlen(p, 14));
}
