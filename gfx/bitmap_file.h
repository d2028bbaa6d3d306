// The platform's bitmap file format: a file header, a device-independent
// bitmap header, optional colour masks and palette, then the pixel rows. The
// library reads and writes it itself, so that the alpha of 32-bit files is kept.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/color.h"
#include "gfx/pixel_memory.h"
#include "platform/exceptions.h"

namespace platform {
class TStream;
}

namespace gfx {

// A picture file that cannot be read: "Bitmap image is not valid", or
// "Unknown picture file extension (.%s)".
class EInvalidGraphic : public platform::Exception {
  public:
    using Exception::Exception;
};

// Width x Height pixels, top row first (null for an empty picture).
struct TBitmapFileImage {
    int32_t Width = 0, Height = 0;
    std::unique_ptr<TColor32[]> Pixels;
};

// The largest bitmap file the library reads: the largest picture it accepts
// (kMaxBitmapBytes of pixel rows: no depth stores more than 4 bytes a pixel,
// padding included) after the largest headers, masks and palette it reads
// (at most 14 + 124 + 12 + 256 * 4 = 1174 bytes): 2147484822 bytes in all.
constexpr uint64_t kMaxBitmapFileBytes = kMaxBitmapBytes + 14 + 124 + 12 + 256 * 4;

// Reads the bitmap file at the stream's position. A stream that gives no byte
// there is an empty picture; one that gives bytes past the size it reports is
// not valid. Read: 1, 4 and 8 bits per pixel with a palette, 16 and 32
// bits plain or with colour masks, 24 bits; rows bottom-up or top-down. The
// pixels of 32-bit files keep their alpha (or take it from an alpha mask);
// all others are opaque. Every header field is checked against what the
// stream holds before pixel memory is allocated: EInvalidGraphic for a
// damaged or unsupported file, EOutOfResources ("Can't allocate the DIB
// handle") for a picture beyond the bitmap size limit or memory that is not
// there, EReadError when the stream delivers less than it holds. The rows are
// read one at a time into the picture's own memory. The stream is left after
// the pixel rows.
TBitmapFileImage ReadBitmapFile(platform::TStream& Stream);

// Writes a 32-bit uncompressed bitmap file (bottom-up rows, alpha in the
// fourth byte of each pixel). An empty picture writes nothing.
void WriteBitmapFile(platform::TStream& Stream, const TColor32* Bits, int32_t Width, int32_t Height);

} // namespace gfx
