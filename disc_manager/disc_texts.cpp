#include "disc_manager/disc_texts.h"

namespace {

constexpr int BytesPerLine = 16;
// Lines of a damage report shown before the rest is summed up.
constexpr qsizetype MaxFaultsShown = 12;

QString Number(std::uint64_t value) { return QString::number(value); }

} // namespace

QString DiscNodeText(const TVirtualDsk& disk) {
    return Number(disk.DiskInfo[0x30]) + " Tracks, " + Number(disk.DiskInfo[0x31]) + " Heads (" +
           QString::fromLatin1(disk.CreatorName()) + ")";
}

QString TrackNodeText(const std::uint8_t* trackInfo) {
    return "Track " + Number(trackInfo[0x10]) + " Head " + Number(trackInfo[0x11]);
}

QString SectorNodeText(const std::uint8_t* trackInfo, int j) {
    const std::uint8_t* entry = dsk::SectorEntry(trackInfo, j);
    return "Sector T" + Number(entry[0]) + " H" + Number(entry[1]) + " S" + Number(entry[2]) + " (" +
           Number(dsk::SectorSpan(entry[3])) + "bytes)";
}

QStringList HexDumpLines(const std::uint8_t* data, std::size_t count, std::uint64_t sectorSize) {
    const std::size_t shown = count < sectorSize ? count : std::size_t(sectorSize);
    QStringList lines;
    for (std::size_t o = 0; o < shown; o += BytesPerLine) {
        QString hex = QString::asprintf("%04llx: ", static_cast<unsigned long long>(o));
        QString text;
        for (std::size_t i = o; i < o + BytesPerLine; ++i) {
            if (i >= shown) {
                hex += "   ";
                continue;
            }
            const std::uint8_t b = data[i] ^ 0xFF;
            hex += QString::asprintf("%02X ", b);
            text += (b >= 0x20 && b <= 0x7F) ? QChar(b) : QChar(u'.');
        }
        lines << hex + " | " + text;
    }
    if (shown < sectorSize)
        lines << "End of image file after " + Number(shown) + " of " + Number(sectorSize) + " bytes";
    return lines;
}

QStringList DamageReport(const TVirtualDsk& disk) {
    QStringList faults;
    if (!disk.ImageStream) return faults;
    if (disk.ImageStream->Size() < dsk::HeaderSize)
        faults << "The file is shorter than a disc header (" + Number(disk.ImageStream->Size()) + " of " +
                      Number(dsk::HeaderSize) + " bytes).";
    const int claimed = int(disk.DiskInfo[0x30]) * int(disk.DiskInfo[0x31]);
    if (claimed > dsk::MaxRecords)
        faults << "The header describes " + Number(claimed) + " track records; only the first " +
                      Number(dsk::MaxRecords) + " are shown.";
    for (int k = 1; k <= disk.RecordCount(); ++k) {
        if (!dsk::RecordPresent(disk.DiskInfo, k)) continue;
        if (!disk.RecordPresent(k)) {
            faults << "Track record " + Number(k) + " lies past the end of the file.";
            continue;
        }
        const std::uint8_t* info = disk.TrackInfo[k];
        std::uint64_t end = disk.TrackDataOffset[k];
        for (int j = 0; j < dsk::SectorEntryCount(info); ++j)
            end += dsk::SectorSpan(dsk::SectorSizeCode(info, j));
        if (end > std::uint64_t(disk.ImageStream->Size()))
            faults << "Track record " + Number(k) + " runs past the end of the file.";
        if (info[0x15] > dsk::MaxSectorEntries)
            faults << "Track record " + Number(k) + " lists " + Number(info[0x15]) +
                          " sectors; only the first " + Number(dsk::MaxSectorEntries) + " are shown.";
        for (int j = 0; j < dsk::SectorEntryCount(info); ++j) {
            std::uint64_t offset = 0, length = 0;
            if (!disk.SectorData(k, j, offset, length))
                faults << "Sector " + Number(dsk::SectorId(info, j)) + " of track record " + Number(k) +
                              " runs past the end of its record or of the file.";
        }
    }
    return faults;
}

QString DamageMessage(const QStringList& faults) {
    if (faults.isEmpty()) return {};
    QStringList shown = faults.mid(0, MaxFaultsShown);
    if (faults.size() > MaxFaultsShown)
        shown << "... and " + Number(faults.size() - MaxFaultsShown) + " more.";
    return "The disc image is damaged; what it holds is shown as far as it goes.\n\n" + shown.join(u'\n');
}
