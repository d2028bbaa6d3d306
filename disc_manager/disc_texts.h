// The texts the disc manager shows: tree node captions and sector dump lines.
#pragma once

#include "machine/disc/virtual_dsk.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

// "40 Tracks, 1 Heads (creator)".
QString DiscNodeText(const TVirtualDsk& disk);
// "Track 3 Head 0" from a track information block.
QString TrackNodeText(const std::uint8_t* trackInfo);
// "Sector T3 H0 S1 (256bytes)" for entry j of a track information block.
QString SectorNodeText(const std::uint8_t* trackInfo, int j);

// Lines of a sector dump: the stored bytes `data[0..count)` shown complemented,
// sixteen to a line, "%04x: " then "%02X " per byte, " | " and the text column.
// When fewer than sectorSize bytes were there, the last line is cut short and a
// closing line says where the image's data ended.
QStringList HexDumpLines(const std::uint8_t* data, std::size_t count, std::uint64_t sectorSize);
