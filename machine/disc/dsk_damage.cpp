#include "machine/disc/dsk_damage.h"

#include <cstring>

namespace {

// Lines of a damage report shown before the rest is summed up.
constexpr std::size_t MaxFaultsShown = 12;

// The beginnings of the disc header in the two DSK layouts, and of a track block.
constexpr const char* ExtendedSignature = "EXTENDED";
constexpr const char* StandardSignature = "MV - CPC";
constexpr const char* TrackSignature = "Track-Info";

std::string Number(std::uint64_t value) { return std::to_string(value); }

// The reader the findings name, and what it does with what it takes of an image.
struct TReaderWords {
    std::string Name;
    std::string Takes;
};

TReaderWords WordsOf(TDiscReader reader) {
    if (reader == TDiscReader::Machine) return {"the machine", "reads"};
    return {"folbrin", "shows"};
}

bool StartsWith(const std::uint8_t* bytes, const char* text) {
    return std::memcmp(bytes, text, std::strlen(text)) == 0;
}

} // namespace

std::vector<std::string> DamageReport(const TVirtualDsk& disk, TDiscReader reader) {
    std::vector<std::string> faults;
    if (!disk.ImageStream) return faults;
    const TReaderWords words = WordsOf(reader);
    const std::string takesOnly = words.Name + " " + words.Takes + " only the first ";
    const std::uint64_t size = std::uint64_t(disk.ImageStream->Size());
    if (size < dsk::HeaderSize)
        faults.push_back("The file is shorter than a disc header (" + Number(size) + " of " +
                         Number(dsk::HeaderSize) + " bytes).");
    // The standard layout gives one size for all tracks at 0x32 and leaves the
    // table of sizes per track empty: no record of it is read.
    if (StartsWith(disk.DiskInfo, StandardSignature))
        faults.push_back("The image is in the standard DSK layout (\"MV - CPCEMU Disk-File\"), with one size "
                         "for all its tracks; " +
                         words.Name +
                         " reads only the extended layout (\"EXTENDED CPC DSK File\"), with a size for each "
                         "track, so it " +
                         words.Takes + " no sector of this disc: the disc looks empty.");
    else if (!StartsWith(disk.DiskInfo, ExtendedSignature))
        faults.push_back("The file does not begin with the signature of a disc image (\"EXTENDED CPC DSK "
                         "File\"); it may be no disc image at all.");
    const int claimed = int(disk.DiskInfo[0x30]) * int(disk.DiskInfo[0x31]);
    if (claimed > dsk::MaxRecords)
        faults.push_back("The header describes " + Number(claimed) + " track records; " + takesOnly +
                         Number(dsk::MaxRecords) + ".");
    for (int k = 1; k <= disk.RecordCount(); ++k) {
        if (!dsk::RecordPresent(disk.DiskInfo, k)) continue;
        const std::string record = "Track record " + Number(k);
        if (!disk.RecordPresent(k)) {
            faults.push_back(record + " lies past the end of the file.");
            continue;
        }
        const std::uint8_t* info = disk.TrackInfo[k];
        if (!StartsWith(info, TrackSignature))
            faults.push_back(record + " does not begin with the signature of a track (\"Track-Info\").");
        std::uint64_t end = disk.TrackDataOffset[k];
        for (int j = 0; j < dsk::SectorEntryCount(info); ++j)
            end += dsk::SectorSpan(dsk::SectorSizeCode(info, j));
        if (end > size) faults.push_back(record + " runs past the end of the file.");
        if (info[0x15] > dsk::MaxSectorEntries)
            faults.push_back(record + " lists " + Number(info[0x15]) + " sectors; " + takesOnly +
                             Number(dsk::MaxSectorEntries) + ".");
        for (int j = 0; j < dsk::SectorEntryCount(info); ++j) {
            std::uint64_t offset = 0, length = 0;
            if (!disk.SectorData(k, j, offset, length))
                faults.push_back("Sector " + Number(dsk::SectorId(info, j)) + " of track record " +
                                 Number(k) + " runs past the end of its record or of the file.");
        }
    }
    return faults;
}

std::string DamageMessage(const std::string& opening, const std::vector<std::string>& faults) {
    if (faults.empty()) return {};
    std::string text = opening + "\n";
    for (std::size_t i = 0; i < faults.size() && i < MaxFaultsShown; ++i)
        text += "\n" + faults[i];
    if (faults.size() > MaxFaultsShown)
        text += "\n... and " + Number(faults.size() - MaxFaultsShown) + " more.";
    return text;
}
