#include "disc_manager/disc_texts.h"

namespace {

constexpr int BytesPerLine = 16;

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
