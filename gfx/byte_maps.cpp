#include "gfx/byte_maps.h"

#include <algorithm>

#include "gfx/pixel_memory.h"

namespace gfx {

namespace {
uint8_t ByteOf(TColor32 C, TConversionType Conversion) {
    switch (Conversion) {
    case ctRed: return uint8_t(RedComponent(C));
    case ctGreen: return uint8_t(GreenComponent(C));
    case ctBlue: return uint8_t(BlueComponent(C));
    case ctAlpha: return uint8_t(AlphaComponent(C));
    case ctUniformRGB: return uint8_t((RedComponent(C) + GreenComponent(C) + BlueComponent(C)) / 3);
    case ctWeightedRGB: return uint8_t(Intensity(C));
    }
    return 0;
}

template <typename PixelFn> void ForEachByte(std::vector<uint8_t>& Bits, TBitmap32& Bitmap, PixelFn Pixel) {
    TColor32* P = Bitmap.Bits();
    for (uint8_t& B : Bits)
        Pixel(B, *P++);
}
} // namespace

void TByteMap::ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight) {
    const uint64_t Count = uint64_t(NewWidth) * uint64_t(NewHeight);
    if (Count > kMaxBitmapBytes) OutOfPixelMemory();
    WithPixelMemory([&] { Bits_.resize(size_t(Count)); }); // a failure keeps the bytes as they were
    if (Count == 0) Bits_.shrink_to_fit();
    Width = NewWidth;
    Height = NewHeight;
}

void TByteMap::Clear(uint8_t FillValue) {
    std::fill(Bits_.begin(), Bits_.end(), FillValue);
    Changed();
}

void TByteMap::ReadFrom(TBitmap32& Source, TConversionType Conversion) {
    ChangeInUpdate(*this, [&] {
        SetSize(Source.Width(), Source.Height());
        if (Empty() || !SameSize(*this, Source)) return;
        ForEachByte(Bits_, Source, [Conversion](uint8_t& B, TColor32 P) { B = ByteOf(P, Conversion); });
    });
}

void TByteMap::WriteTo(TBitmap32& Dest, TConversionType Conversion) {
    // A size change is reported once more at the very end, also on failure.
    bool SizeChanged = false;
    auto Write = [&] {
        SizeChanged = Dest.SetSize(Width(), Height());
        if (Empty() || !SameSize(*this, Dest)) return;
        if (Conversion == ctUniformRGB || Conversion == ctWeightedRGB) {
            ForEachByte(Bits_, Dest, [](uint8_t B, TColor32& P) { P = Gray32(B, 255); });
            return;
        }
        // One channel changes; the other three stay.
        const int Shift = Conversion == ctRed     ? 16
                          : Conversion == ctGreen ? 8
                          : Conversion == ctBlue  ? 0
                                                  : 24;
        const TColor32 Keep = ~(TColor32(0xFF) << Shift);
        ForEachByte(Bits_, Dest, [=](uint8_t B, TColor32& P) { P = (P & Keep) | TColor32(B) << Shift; });
    };
    try {
        ChangeInUpdate(Dest, Write);
    } catch (...) {
        if (SizeChanged) Dest.Resized();
        throw;
    }
    if (SizeChanged) Dest.Resized();
}

void TByteMap::WriteTo(TBitmap32& Dest, const TPalette32& Palette) {
    ChangeInUpdate(Dest, [&] {
        Dest.SetSize(Width(), Height());
        if (Empty() || !SameSize(*this, Dest)) return;
        ForEachByte(Bits_, Dest, [&Palette](uint8_t B, TColor32& P) { P = Palette[B]; });
    });
}

void TByteMap::Assign(TPersistent* Source) {
    ChangeInUpdate(*this, [&] {
        if (auto* Map = dynamic_cast<TByteMap*>(Source)) {
            SetSize(Map->Width(), Map->Height());
            if (SameSize(*this, *Map)) std::copy_n(Map->Bits_.begin(), Bits_.size(), Bits_.begin());
        } else if (auto* Bitmap = dynamic_cast<TBitmap32*>(Source)) {
            ReadFrom(*Bitmap, ctWeightedRGB);
        } else {
            TCustomMap::Assign(Source);
        }
    });
}

void TByteMap::AssignTo(TPersistent* Dest) {
    if (auto* Bitmap = dynamic_cast<TBitmap32*>(Dest))
        WriteTo(*Bitmap, ctUniformRGB);
    else
        TCustomMap::AssignTo(Dest);
}

} // namespace gfx
