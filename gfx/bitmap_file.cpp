#include "gfx/bitmap_file.h"

#include <algorithm>
#include <bit>

#include "gfx/bitmap32.h"
#include "platform/streams.h"

namespace gfx {

static_assert(std::endian::native == std::endian::little, "pixels are stored in memory order B, G, R, A");

namespace {
constexpr uint32_t BI_RGB = 0, BI_BITFIELDS = 3;
constexpr int64_t kFileHeaderSize = 14;
constexpr int64_t kInfoHeaderSize = 40;
constexpr int64_t kMasksOffset = kFileHeaderSize + kInfoHeaderSize; // where the colour masks lie
constexpr int64_t kMaxHeaderSize = 124;
constexpr int64_t kMaxPaletteEntries = 256;

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

uint16_t U16(const uint8_t* P) { return uint16_t(P[0] | P[1] << 8); }
uint32_t U32(const uint8_t* P) {
    return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
}
void Put16(uint8_t* P, uint32_t V) {
    P[0] = uint8_t(V);
    P[1] = uint8_t(V >> 8);
}
void Put32(uint8_t* P, uint32_t V) {
    Put16(P, V);
    Put16(P + 2, V >> 16);
}

// One colour channel of a 16- or 32-bit pixel, scaled to 8 bits.
struct TChannel {
    uint32_t Mask = 0;
    int Shift = 0, Bits = 0;
    uint32_t Of(uint32_t Pixel) const {
        if (Bits == 0) return 0;
        const uint32_t V = (Pixel & Mask) >> Shift;
        if (Bits >= 8) return V >> (Bits - 8);
        const uint32_t Max = (1u << Bits) - 1;
        return (V * 255 + Max / 2) / Max;
    }
};

// A mask must be one run of bits within the pixel.
TChannel MakeChannel(uint32_t Mask, uint32_t Bpp) {
    if (Mask == 0) return {};
    if (Bpp < 32 && (Mask >> Bpp) != 0) Invalid();
    const int Shift = std::countr_zero(Mask);
    const uint32_t Run = Mask >> Shift;
    if ((Run & (Run + 1)) != 0) Invalid();
    return {Mask, Shift, std::popcount(Run)};
}

struct TLayout {
    int64_t Width = 0, Height = 0;
    bool TopDown = false;
    uint32_t Bpp = 0;
    TChannel Channels[4];  // red, green, blue, alpha (16 and 32 bits)
    bool RawWords = false; // 32-bit pixels taken as they are, alpha included
    TColor32 Palette[kMaxPaletteEntries] = {};
    uint32_t PaletteSize = 0;
};

void ConvertRow(const TLayout& L, const uint8_t* In, TColor32* Out) {
    const int64_t W = L.Width;
    switch (L.Bpp) {
    case 1:
    case 4:
    case 8: {
        const uint32_t PerByte = 8 / L.Bpp, Mask = (1u << L.Bpp) - 1;
        for (int64_t X = 0; X < W; ++X) {
            const uint32_t Shift = 8 - L.Bpp * (1 + uint32_t(X % PerByte));
            const uint32_t Index = (In[X / PerByte] >> Shift) & Mask;
            Out[X] = Index < L.PaletteSize ? L.Palette[Index] : 0xFF000000u;
        }
        break;
    }
    case 24:
        for (int64_t X = 0; X < W; ++X, In += 3)
            Out[X] = 0xFF000000u | TColor32(In[2]) << 16 | TColor32(In[1]) << 8 | In[0];
        break;
    case 32:
        if (L.RawWords) {
            for (int64_t X = 0; X < W; ++X)
                Out[X] = U32(In + 4 * X);
            break;
        }
        [[fallthrough]];
    case 16:
        for (int64_t X = 0; X < W; ++X) {
            const uint32_t P = L.Bpp == 16 ? U16(In + 2 * X) : U32(In + 4 * X);
            const uint32_t A = L.Channels[3].Bits ? L.Channels[3].Of(P) : 255;
            Out[X] = A << 24 | L.Channels[0].Of(P) << 16 | L.Channels[1].Of(P) << 8 | L.Channels[2].Of(P);
        }
        break;
    }
}
} // namespace

TBitmapFileImage ReadBitmapFile(platform::TStream& Stream) {
    const int64_t Start = Stream.Position();
    const int64_t Available = Stream.Size() - Start;
    TBitmapFileImage Image;

    // Everything before the pixels: headers, masks and palette. The first
    // bytes are read whatever size the stream reports: a file of the kernel's
    // reports none and may still hold bytes or fail to read, so only a stream
    // that gives nothing is an empty picture.
    uint8_t Head[kFileHeaderSize + kMaxHeaderSize + 12 + kMaxPaletteEntries * 4];
    int64_t Pos = kFileHeaderSize + 4;
    const size_t Got = Stream.ReadUpTo(Head, size_t(Pos));
    if (Got == 0 && Available <= 0) return Image;
    if (Available < Pos) Invalid();
    if (Got < size_t(Pos)) throw platform::EReadError();
    if (Head[0] != 'B' || Head[1] != 'M') Invalid();
    const int64_t OffBits = U32(Head + 10);
    const uint32_t HeaderSize = U32(Head + kFileHeaderSize);
    if (HeaderSize != 12 && HeaderSize != 40 && HeaderSize != 52 && HeaderSize != 56 && HeaderSize != 108 &&
        HeaderSize != 124)
        Invalid();
    auto ReadHead = [&](int64_t Count) {
        if (Pos + Count > Available) Invalid();
        Stream.ReadBuffer(Head + Pos, size_t(Count));
        Pos += Count;
    };
    ReadHead(HeaderSize - 4);

    const uint8_t* H = Head + kFileHeaderSize;
    TLayout L;
    uint32_t Compression = BI_RGB, ColorsUsed = 0, EntrySize = 4;
    if (HeaderSize == 12) { // the old core header: 16-bit sizes, 3-byte palette entries
        L.Width = U16(H + 4);
        L.Height = U16(H + 6);
        L.Bpp = U16(H + 10);
        EntrySize = 3;
    } else {
        L.Width = int32_t(U32(H + 4));
        L.Height = int32_t(U32(H + 8));
        L.Bpp = U16(H + 14);
        Compression = U32(H + 16);
        ColorsUsed = U32(H + 32);
    }
    if (L.Width <= 0 || L.Height == 0) Invalid();
    if (L.Height < 0) {
        L.TopDown = true;
        L.Height = -L.Height;
    }
    if (L.Bpp != 1 && L.Bpp != 4 && L.Bpp != 8 && L.Bpp != 16 && L.Bpp != 24 && L.Bpp != 32) Invalid();

    if (Compression == BI_BITFIELDS) {
        if (L.Bpp != 16 && L.Bpp != 32) Invalid();
        if (HeaderSize == kInfoHeaderSize) ReadHead(12); // the three masks follow the header
        const uint32_t Alpha = HeaderSize >= 56 ? U32(Head + kMasksOffset + 12) : 0;
        const uint32_t R = U32(Head + kMasksOffset), G = U32(Head + kMasksOffset + 4);
        const uint32_t B = U32(Head + kMasksOffset + 8);
        L.RawWords =
            L.Bpp == 32 && R == 0xFF0000 && G == 0xFF00 && B == 0xFF && (Alpha == 0 || Alpha == 0xFF000000u);
        L.Channels[0] = MakeChannel(R, L.Bpp);
        L.Channels[1] = MakeChannel(G, L.Bpp);
        L.Channels[2] = MakeChannel(B, L.Bpp);
        L.Channels[3] = L.Bpp == 32 ? MakeChannel(Alpha, L.Bpp) : TChannel{};
    } else if (Compression == BI_RGB) {
        L.RawWords = L.Bpp == 32;
        if (L.Bpp == 16) {
            L.Channels[0] = MakeChannel(0x7C00, 16);
            L.Channels[1] = MakeChannel(0x03E0, 16);
            L.Channels[2] = MakeChannel(0x001F, 16);
        }
    } else {
        Invalid(); // run-length and embedded compressed images are not read
    }

    if (L.Bpp <= 8) {
        const uint32_t Count = ColorsUsed ? ColorsUsed : 1u << L.Bpp;
        if (Count > kMaxPaletteEntries) Invalid();
        const int64_t At = Pos;
        ReadHead(int64_t(Count) * EntrySize);
        for (uint32_t I = 0; I < Count; ++I) {
            const uint8_t* E = Head + At + I * EntrySize;
            L.Palette[I] = 0xFF000000u | TColor32(E[2]) << 16 | TColor32(E[1]) << 8 | E[0];
        }
        L.PaletteSize = Count;
    }

    // The pixel rows must lie wholly within the stream.
    const int64_t Stride = (L.Width * L.Bpp + 31) / 32 * 4;
    if (OffBits < Pos || OffBits > Available || L.Height > (Available - OffBits) / Stride) Invalid();
    std::unique_ptr<TColor32[]> Pixels = NewPixelMemory<TColor32>(uint64_t(L.Width) * uint64_t(L.Height));
    const std::unique_ptr<uint8_t[]> Row = NewPixelMemory<uint8_t>(uint64_t(Stride));

    Stream.Seek(Start + OffBits, platform::TSeekOrigin::soBeginning);
    for (int64_t R = 0; R < L.Height; ++R) {
        Stream.ReadBuffer(Row.get(), size_t(Stride)); // a short read raises: no part of a picture is kept
        const int64_t Y = L.TopDown ? R : L.Height - 1 - R;
        ConvertRow(L, Row.get(), Pixels.get() + Y * L.Width);
    }
    Image.Width = int32_t(L.Width);
    Image.Height = int32_t(L.Height);
    Image.Pixels = std::move(Pixels);
    return Image;
}

void WriteBitmapFile(platform::TStream& Stream, const TColor32* Bits, int32_t Width, int32_t Height) {
    if (!Bits || Width <= 0 || Height <= 0) return;
    const uint64_t RowBytes = uint64_t(Width) * 4;
    const uint64_t DataSize = RowBytes * uint64_t(Height);
    uint8_t Head[kMasksOffset] = {};
    Head[0] = 'B';
    Head[1] = 'M';
    Put32(Head + 2, uint32_t(kMasksOffset + DataSize));
    Put32(Head + 10, uint32_t(kMasksOffset));
    uint8_t* H = Head + kFileHeaderSize;
    Put32(H, uint32_t(kInfoHeaderSize));
    Put32(H + 4, uint32_t(Width));
    Put32(H + 8, uint32_t(Height)); // positive: bottom-up rows
    Put16(H + 12, 1);
    Put16(H + 14, 32);
    Put32(H + 16, BI_RGB);
    Put32(H + 20, uint32_t(DataSize));
    Stream.WriteBuffer(Head, sizeof Head);
    for (int64_t Y = Height - 1; Y >= 0; --Y)
        Stream.WriteBuffer(Bits + Y * Width, size_t(RowBytes));
}

} // namespace gfx
