// Device contexts: something 32-bit pixels can be copied onto and read back
// from. The bitmap's own context (TMemoryDC) lies over its pixel memory; a
// port supplies others (an image view, a window's painter).
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/color.h"
#include "gfx/pixel_memory.h"

namespace gfx {

using TFontHandle = uintptr_t;

class TDeviceContext {
  public:
    virtual ~TDeviceContext() = default;

    // Copies the source rectangle of a top-down 32-bit pixel block
    // (BitsWidth x BitsHeight) stretched onto the destination rectangle
    // (nearest pixel), clipped to the context. Windows take RGB32 (alpha is
    // ignored); pixel memory takes all four bytes.
    virtual void StretchDIBits(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX,
                               int32_t SrcY, int32_t SrcW, int32_t SrcH, const TColor32* Bits,
                               int32_t BitsWidth, int32_t BitsHeight) = 0;
    // Reads W x H pixels at (X, Y) into Out (W per row); pixels outside the
    // context read 0. False when the context cannot be read (a window).
    virtual bool ReadPixels(int32_t X, int32_t Y, int32_t W, int32_t H, TColor32* Out) const = 0;
    // The pixel memory behind the context, when it has one (else null).
    virtual TColor32* PixelMemory() const { return nullptr; }
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual void SelectFont(TFontHandle Font) { SelectedFont = Font; }

    // Block transfers between contexts (SRCCOPY).
    void StretchBlt(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, const TDeviceContext& Src,
                    int32_t SrcX, int32_t SrcY, int32_t SrcW, int32_t SrcH) {
        if (SrcW <= 0 || SrcH <= 0 || DstW == 0 || DstH == 0) return;
        const std::unique_ptr<TColor32[]> Block =
            NewPixelMemory<TColor32>(uint64_t(SrcW) * uint64_t(SrcH), true);
        if (!Src.ReadPixels(SrcX, SrcY, SrcW, SrcH, Block.get())) return;
        StretchDIBits(DstX, DstY, DstW, DstH, 0, 0, SrcW, SrcH, Block.get(), SrcW, SrcH);
    }
    void BitBlt(int32_t DstX, int32_t DstY, int32_t W, int32_t H, const TDeviceContext& Src, int32_t SrcX,
                int32_t SrcY) {
        StretchBlt(DstX, DstY, W, H, Src, SrcX, SrcY, W, H);
    }

    TFontHandle SelectedFont = 0;
};

// A context over a block of top-down 32-bit pixels (the bitmap's own memory).
class TMemoryDC : public TDeviceContext {
  public:
    TMemoryDC(TColor32* Bits, int32_t Width, int32_t Height) : Bits_(Bits), Width_(Width), Height_(Height) {}
    void StretchDIBits(int32_t DstX, int32_t DstY, int32_t DstW, int32_t DstH, int32_t SrcX, int32_t SrcY,
                       int32_t SrcW, int32_t SrcH, const TColor32* Bits, int32_t BitsWidth,
                       int32_t BitsHeight) override;
    bool ReadPixels(int32_t X, int32_t Y, int32_t W, int32_t H, TColor32* Out) const override;
    TColor32* PixelMemory() const override { return Bits_; }
    int32_t Width() const override { return Width_; }
    int32_t Height() const override { return Height_; }

  private:
    TColor32* Bits_;
    int32_t Width_, Height_;
};

// The pixel copy that TMemoryDC and a port's image contexts share: nearest
// pixel mapping, clipped to both blocks, optionally forcing alpha to 255.
void StretchPixels(TColor32* Dst, int32_t DstWidth, int32_t DstHeight, int32_t DstX, int32_t DstY,
                   int32_t DstW, int32_t DstH, const TColor32* Src, int32_t SrcWidth, int32_t SrcHeight,
                   int32_t SrcX, int32_t SrcY, int32_t SrcW, int32_t SrcH, bool Opaque);

} // namespace gfx
