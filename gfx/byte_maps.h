// TByteMap: one byte per pixel with the bitmaps' size protocol, and its
// conversions to and from TBitmap32 (a channel, a grey level, a palette).
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/bitmap32.h"
#include "gfx/color.h"
#include "gfx/thread_persistent.h"

namespace gfx {

// How a pixel and a byte correspond.
enum TConversionType : uint8_t { ctRed, ctGreen, ctBlue, ctAlpha, ctUniformRGB, ctWeightedRGB };

class TByteMap : public TCustomMap {
  public:
    TByteMap() = default;
    ~TByteMap() override = default;
    std::string ClassName() const override { return "TByteMap"; }

    bool Empty() const override { return Bits_.empty(); }
    void Assign(TPersistent* Source) override;

    // Width * Height bytes, row after row from the top.
    uint8_t* Bits() { return Bits_.data(); }
    const uint8_t* Bits() const { return Bits_.data(); }
    void Clear(uint8_t FillValue);
    // No checks: 0 <= X < Width and 0 <= Y < Height.
    uint8_t GetValue(int32_t X, int32_t Y) const { return Bits_[size_t(Y) * size_t(Width()) + size_t(X)]; }
    void SetValue(int32_t X, int32_t Y, uint8_t Value) { *GetValPtr(X, Y) = Value; }
    uint8_t* GetValPtr(int32_t X, int32_t Y) {
        return Bits_.data() + size_t(Y) * size_t(Width()) + size_t(X);
    }

    // The map takes the source's size and one byte per pixel.
    void ReadFrom(TBitmap32& Source, TConversionType Conversion);
    // Dest takes the map's size and receives one pixel per byte.
    void WriteTo(TBitmap32& Dest, TConversionType Conversion);
    void WriteTo(TBitmap32& Dest, const TPalette32& Palette);

  protected:
    void AssignTo(TPersistent* Dest) override;
    // Keeps the bytes in array order; added bytes are 0.
    void ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight) override;

  private:
    std::vector<uint8_t> Bits_;
};

} // namespace gfx
