// TBitmap32: measuring text, plain text output and smoothed text.
#include <algorithm>
#include <string>

#include "gfx/bitmap32.h"
#include "gfx/gfx_init.h"
#include "gfx/low_level.h"

namespace gfx {

namespace {
// Holds an object's lock for a scope (the stock bitmap serialises measuring).
class TLockScope {
  public:
    explicit TLockScope(TThreadPersistent* Object) : Object_(Object) {
        if (Object_) Object_->Lock();
    }
    ~TLockScope() {
        if (Object_) Object_->Unlock();
    }
    TLockScope(const TLockScope&) = delete;
    TLockScope& operator=(const TLockScope&) = delete;

  private:
    TThreadPersistent* Object_;
};

// Work bitmap holding Text white on black in Font, Size pixels large.
void RenderWhiteOnBlack(TBitmap32& Work, const TFont& Font, const TSize& Size, const std::string& Text) {
    Work.SetSize(Size.cx, Size.cy);
    Work.SetFont(Font);
    Work.Clear(0);
    Work.Font().SetColor(0xFFFFFF);
    Work.Textout(0, 0, Text);
}

// Each pixel of Dst := the average of the low bytes of a 2^S x 2^S block of
// Src (rounded down) as alpha, with Color's red, green and blue.
void TextScaleDown(TBitmap32& Dst, const TBitmap32& Src, int32_t S, TColor32 Color) {
    const int32_t Block = 1 << S;
    for (int32_t J = 0; J < Dst.Height(); ++J) {
        TColor32* Out = Dst.ScanLine(J);
        for (int32_t I = 0; I < Dst.Width(); ++I) {
            uint32_t Sum = 0;
            for (int32_t Row = 0; Row < Block; ++Row) {
                const TColor32* In = Src.PixelPtr(I << S, (J << S) + Row);
                for (int32_t Col = 0; Col < Block; ++Col)
                    Sum += In[Col] & 0xFF;
            }
            Out[I] = ((Sum >> S >> S) << 24) + Color;
        }
    }
}
} // namespace

TSize TBitmap32::TextExtent(const std::string& Text) {
    TTextRenderer& Renderer = RequireTextRenderer();
    UpdateFont();
    if (Handle_) return Renderer.TextExtent(*Font_, Text);
    const TLockScope Lock(StockBitmap);
    return Renderer.TextExtent(*Font_, Text);
}

void TBitmap32::Textout(int32_t X, int32_t Y, const std::string& Text) {
    TTextRenderer& Renderer = RequireTextRenderer();
    UpdateFont();
    if (Handle_) Renderer.TextOut(*Handle_, *Font_, X, Y, nullptr, Text);
    Changed();
}

void TBitmap32::Textout(int32_t X, int32_t Y, const TRect& ClipRect, const std::string& Text) {
    TTextRenderer& Renderer = RequireTextRenderer();
    UpdateFont();
    if (Handle_) Renderer.TextOut(*Handle_, *Font_, X, Y, &ClipRect, Text);
    Changed();
}

void TBitmap32::Textout(const TRect& DstRect, uint32_t Flags, const std::string& Text) {
    TTextRenderer& Renderer = RequireTextRenderer();
    UpdateFont();
    if (Handle_) Renderer.DrawText(*Handle_, *Font_, DstRect, Flags, Text);
    Changed();
}

void TBitmap32::RenderText(int32_t X, int32_t Y, const std::string& Text, int32_t AALevel, TColor32 Color) {
    if (Empty()) return;
    const TColor32 Alpha = Color >> 24;
    Color &= 0x00FFFFFF;
    AALevel = Constrain(AALevel, 0, 4);
    // The trailing space keeps glyph parts beyond the last advance width.
    const std::string Measured = Text + " ";

    TBitmap32 B;
    if (AALevel == 0) {
        RenderWhiteOnBlack(B, *Font_, TextExtent(Measured), Text);
        if (!B.Empty()) {
            TColor32* P = B.Bits();
            for (TColor32* End = P + int64_t(B.Width()) * B.Height(); P != End; ++P)
                if (*P != 0) *P = (*P << 24) + Color; // blue coverage becomes alpha
        }
    } else {
        const TLockScope Lock(StockBitmap);
        TFont Enlarged;
        Enlarged.Assign(Font_.get());
        Enlarged.SetSize(int32_t(
            std::clamp<int64_t>(int64_t(Font_->Size()) * (int64_t(1) << AALevel), INT32_MIN, INT32_MAX)));
        TSize Size = RequireTextRenderer().TextExtent(Enlarged, Measured);
        Size.cx = ((Size.cx >> AALevel) + 1) << AALevel;
        TBitmap32 Large;
        RenderWhiteOnBlack(Large, Enlarged, Size, Text);
        B.SetSize(Size.cx >> AALevel, Size.cy >> AALevel);
        if (!B.Empty()) TextScaleDown(B, Large, AALevel, Color);
    }
    B.SetDrawMode(dmBlend);
    B.SetMasterAlpha(Alpha);
    B.DrawTo(this, X, Y);
}

} // namespace gfx
