// TBitmap32: a rectangle of TColor32 pixels, top row first, rows without gaps,
// with its device context, the properties that govern how it is drawn onto
// another bitmap, pixel access, lines, rectangles and change notification.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "gfx/blend.h"
#include "gfx/canvas.h"
#include "gfx/color.h"
#include "gfx/device_context.h"
#include "gfx/float_math.h"
#include "gfx/gamma.h"
#include "gfx/geometry.h"
#include "gfx/pixel_memory.h"
#include "gfx/text_renderer.h"
#include "gfx/thread_persistent.h"

namespace platform {
class TStream;
}

namespace gfx {

enum TDrawMode : uint8_t { dmOpaque, dmBlend, dmCustom };
enum TStretchFilter : uint8_t { sfNearest, sfLinear, sfSpline, sfLanczos, sfMitchell };

// F: the source pixel; B: the destination pixel, updated in place; M: the
// source bitmap's master alpha.
using TPixelCombineEvent = std::function<void(TColor32 F, TColor32& B, TColor32 M)>;

struct TBitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0; // negative: top-down
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 32;
    uint32_t biCompression = 0; // uncompressed RGB
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
struct TBitmapInfo {
    TBitmapInfoHeader bmiHeader;
    uint32_t bmiColors[1] = {0};
};

class TBitmap32 : public TCustomMap {
  public:
    TBitmap32();
    ~TBitmap32() override;
    std::string ClassName() const override { return "TBitmap32"; }

    // --- The object -----------------------------------------------------
    bool Empty() const override { return !Memory_ || Width() == 0 || Height() == 0; }
    void Delete() override { SetSize(0, 0); }
    void Assign(TPersistent* Source) override;
    void Clear() { Clear(0xFF000000u); }
    void Clear(TColor32 FillColor);
    void ResetAlpha();
    TRect BoundsRect() const { return {0, 0, Width(), Height()}; }

    TDrawMode DrawMode() const { return DrawMode_; }
    void SetDrawMode(TDrawMode Value);
    uint32_t MasterAlpha() const { return MasterAlpha_; }
    void SetMasterAlpha(uint32_t Value);
    TStretchFilter StretchFilter() const { return StretchFilter_; }
    void SetStretchFilter(TStretchFilter Value);

    TColor32* Bits() const { return Bits_; }
    const TBitmapInfo& BitmapInfo() const { return BitmapInfo_; }
    // The pixel memory's handle (0 when empty) and the device context over it.
    uintptr_t BitmapHandle() const { return reinterpret_cast<uintptr_t>(Memory_.get()); }
    TDeviceContext* Handle() const { return Handle_.get(); }
    TCanvas* GetCanvas();
    bool CanvasAllocated() const { return Canvas_ != nullptr; }
    void DeleteCanvas();
    TFont& Font() { return *Font_; }
    void SetFont(const TFont& Value) { Font_->Assign(const_cast<TFont*>(&Value)); }
    TFontHandle FontHandle() const { return FontHandle_; }
    void FontChanged(TObject* Sender);
    // Selects the bitmap's font into its context (the text operations' first step).
    void UpdateFont();

    // --- Pixel access (no suffix: unchecked) -----------------------------
    TColor32 GetPixel(int32_t X, int32_t Y) const { return Bits_[int64_t(Y) * Width() + X]; }
    void SetPixel(int32_t X, int32_t Y, TColor32 Value) { Bits_[int64_t(Y) * Width() + X] = Value; }
    TColor32* GetPixelPtr(int32_t X, int32_t Y) const { return Bits_ + int64_t(Y) * Width() + X; }
    TColor32* GetScanLine(int32_t Y) const { return Bits_ + int64_t(Y) * Width(); }
    bool Inside(int32_t X, int32_t Y) const { return X >= 0 && X < Width() && Y >= 0 && Y < Height(); }
    TColor32 GetPixelS(int32_t X, int32_t Y) const { return Inside(X, Y) ? GetPixel(X, Y) : OuterColor; }
    void SetPixelS(int32_t X, int32_t Y, TColor32 Value) {
        if (Inside(X, Y)) SetPixel(X, Y, Value);
    }
    TColor32 GetPixelB(int32_t X, int32_t Y) const {
        return GetPixel(X < 0          ? 0
                        : X >= Width() ? Width() - 1
                                       : X,
                        Y < 0           ? 0
                        : Y >= Height() ? Height() - 1
                                        : Y);
    }
    void SetPixelT(int32_t X, int32_t Y, TColor32 Value) {
        BlendMem(Value, *GetPixelPtr(X, Y));
        EMMS();
    }
    void SetPixelT(TColor32*& Ptr, TColor32 Value) {
        BlendMem(Value, *Ptr);
        EMMS();
        ++Ptr;
    }
    void SetPixelTS(int32_t X, int32_t Y, TColor32 Value) {
        if (Inside(X, Y)) SetPixelT(X, Y, Value);
    }
    // Anti-aliased points at 1/256-pixel precision over four pixels.
    void SET_T256(int32_t X, int32_t Y, TColor32 Color);
    void SET_TS256(int32_t X, int32_t Y, TColor32 Color);
    void SetPixelF(float X, float Y, TColor32 Value);
    void SetPixelX(TFixed X, TFixed Y, TColor32 Value);
    void SetPixelFS(float X, float Y, TColor32 Value);
    void SetPixelXS(TFixed X, TFixed Y, TColor32 Value);
    // Short names of the property forms.
    TColor32 Pixel(int32_t X, int32_t Y) const { return GetPixel(X, Y); }
    TColor32 PixelS(int32_t X, int32_t Y) const { return GetPixelS(X, Y); }
    TColor32 PixelB(int32_t X, int32_t Y) const { return GetPixelB(X, Y); }
    TColor32* PixelPtr(int32_t X, int32_t Y) const { return GetPixelPtr(X, Y); }
    TColor32* ScanLine(int32_t Y) const { return GetScanLine(Y); }

    // --- Drawing between bitmaps and onto device contexts ----------------
    void DrawTo(TBitmap32* Dst);
    void DrawTo(TBitmap32* Dst, int32_t DstX, int32_t DstY);
    void DrawTo(TBitmap32* Dst, const TRect& DstRect);
    void DrawTo(TBitmap32* Dst, const TRect& DstRect, const TRect& SrcRect);
    void DrawTo(TDeviceContext* hDst, int32_t DstX, int32_t DstY);
    void DrawTo(TDeviceContext* hDst, const TRect& DstRect, const TRect& SrcRect);
    void Draw(int32_t DstX, int32_t DstY, TBitmap32* Src);
    void Draw(const TRect& DstRect, const TRect& SrcRect, TBitmap32* Src);
    void Draw(const TRect& DstRect, const TRect& SrcRect, TDeviceContext* hSrc);
    void TileTo(TDeviceContext* hDst, const TRect& DstRect, const TRect& SrcRect);

    // --- Stipple --------------------------------------------------------
    void SetStipple(std::initializer_list<TColor32> NewStipple) { SetStipple(TArrayOfColor32(NewStipple)); }
    void SetStipple(const TArrayOfColor32& NewStipple);
    const TArrayOfColor32& StipplePattern() const { return StipplePattern_; }
    void AdvanceStippleCounter(float LengthPixels);
    TColor32 GetStippleColor();

    // --- Lines (L: draw the end point too) -------------------------------
    void HorzLine(int32_t X1, int32_t Y, int32_t X2, TColor32 Value);
    void HorzLineS(int32_t X1, int32_t Y, int32_t X2, TColor32 Value);
    void HorzLineT(int32_t X1, int32_t Y, int32_t X2, TColor32 Value);
    void HorzLineTS(int32_t X1, int32_t Y, int32_t X2, TColor32 Value);
    void HorzLineTSP(int32_t X1, int32_t Y, int32_t X2);
    void VertLine(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value);
    void VertLineS(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value);
    void VertLineT(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value);
    void VertLineTS(int32_t X, int32_t Y1, int32_t Y2, TColor32 Value);
    void VertLineTSP(int32_t X, int32_t Y1, int32_t Y2);
    void Line(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
    void LineS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
    void LineT(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
    void LineTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
    void MoveTo(int32_t X, int32_t Y) { PenPos = {X, Y}; }
    void LineToS(int32_t X, int32_t Y);
    void LineToTS(int32_t X, int32_t Y);

    // --- Rectangles (half-open) ------------------------------------------
    void FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
    void FillRectS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
    void FillRectS(const TRect& R, TColor32 Value) { FillRectS(R.Left, R.Top, R.Right, R.Bottom, Value); }
    void FillRectT(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
    void FillRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
    void FillRectTS(const TRect& R, TColor32 Value) { FillRectTS(R.Left, R.Top, R.Right, R.Bottom, Value); }
    void FrameRectS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
    void FrameRectS(const TRect& R, TColor32 Value) { FrameRectS(R.Left, R.Top, R.Right, R.Bottom, Value); }
    void FrameRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value);
    void FrameRectTS(const TRect& R, TColor32 Value) { FrameRectTS(R.Left, R.Top, R.Right, R.Bottom, Value); }
    void FrameRectTSP(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
    void RaiseRectTS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Contrast);
    void RaiseRectTS(const TRect& R, int32_t Contrast) {
        RaiseRectTS(R.Left, R.Top, R.Right, R.Bottom, Contrast);
    }

    // --- Sub-pixel (X: 16.16, F: float) and anti-aliased (A) lines -------
    void LineX(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L = false);
    void LineF(float X1, float Y1, float X2, float Y2, TColor32 Value, bool L = false);
    void LineXS(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, TColor32 Value, bool L = false);
    void LineFS(float X1, float Y1, float X2, float Y2, TColor32 Value, bool L = false);
    void LineXP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L = false);
    void LineFP(float X1, float Y1, float X2, float Y2, bool L = false);
    void LineXSP(TFixed X1, TFixed Y1, TFixed X2, TFixed Y2, bool L = false);
    void LineFSP(float X1, float Y1, float X2, float Y2, bool L = false);
    void LineA(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
    void LineAS(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 Value, bool L = false);
    void MoveToX(TFixed X, TFixed Y) { FixedPenPos = {X, Y}; }
    void MoveToF(float X, float Y) { FixedPenPos = {Fixed(X), Fixed(Y)}; }
    void LineToXS(TFixed X, TFixed Y);
    void LineToFS(float X, float Y) { LineToXS(Fixed(X), Fixed(Y)); }
    void LineToXSP(TFixed X, TFixed Y);
    void LineToFSP(float X, float Y) { LineToXSP(Fixed(X), Fixed(Y)); }
    void LineToAS(int32_t X, int32_t Y);

    // --- Text (through the installed TTextRenderer) ----------------------
    TSize TextExtent(const std::string& Text);
    int32_t TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
    int32_t TextHeight(const std::string& Text) { return TextExtent(Text).cy; }
    void Textout(int32_t X, int32_t Y, const std::string& Text);
    void Textout(int32_t X, int32_t Y, const TRect& ClipRect, const std::string& Text);
    void Textout(const TRect& DstRect, uint32_t Flags, const std::string& Text);
    // Smoothed text: AALevel 0 to 4 renders at 2^AALevel times the size and
    // averages blocks; Color's alpha scales the coverage.
    void RenderText(int32_t X, int32_t Y, const std::string& Text, int32_t AALevel, TColor32 Color);

    // --- Roll, flips and quarter turns (Dst null or this: in place) -------
    void Roll(int32_t Dx, int32_t Dy, bool FillBack, TColor32 FillColor);
    void FlipHorz(TBitmap32* Dst = nullptr);
    void FlipVert(TBitmap32* Dst = nullptr);
    void Rotate90(TBitmap32* Dst = nullptr);
    void Rotate180(TBitmap32* Dst = nullptr);
    void Rotate270(TBitmap32* Dst = nullptr);

    // --- Persistence: bitmap files, resources and the "Data" property -----
    void LoadFromStream(platform::TStream& Stream);
    void SaveToStream(platform::TStream& Stream);
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);
    void LoadFromResourceID(uintptr_t Instance, int32_t ResID);
    void LoadFromResourceName(uintptr_t Instance, const std::string& ResName);
    bool Equal(TBitmap32* Bmp);
    void DefineProperties(TFiler* Filer) override;
    virtual void ReadData(platform::TStream& Stream);
    virtual void WriteData(platform::TStream& Stream);

    // --- Plain fields ----------------------------------------------------
    TColor32 OuterColor = 0;
    TColor32 PenColor = 0xFFFFFFFFu;
    float StippleCounter = 0;
    float StippleStep = 1.0f;
    TPoint PenPos;
    TFixedPoint FixedPenPos;
    TNotifyEvent OnHandleChanged;
    TPixelCombineEvent OnPixelCombine;

  protected:
    void AssignTo(TPersistent* Dest) override;
    void ChangeSize(int32_t& Width, int32_t& Height, int32_t NewWidth, int32_t NewHeight) override;
    virtual void HandleChanged();
    void CanvasChanged(TObject*) { Changed(); }

  private:
    void ReleaseMemory();
    void AssignFromBitmap(class TBitmap& Source);
    void AssignFromGraphic(const class TGraphic& Source, int32_t W, int32_t H);
    void AssignToBitmap(class TBitmap& Dest);
    // SetSize(NewWidth, NewHeight) with its notifications, the new pixels
    // being Pixels (NewWidth * NewHeight of them, null for an empty size):
    // at another size they become the bitmap's memory, so nothing is
    // allocated; at the same size they are copied.
    void ReplacePixels(int32_t NewWidth, int32_t NewHeight, std::unique_ptr<TColor32[]> Pixels);
    // The same inside an update, with one change at the end, as Assign reports.
    void AssignPixels(int32_t NewWidth, int32_t NewHeight, std::unique_ptr<TColor32[]> Pixels);
    template <bool Clockwise> void QuarterTurn(TBitmap32* Dst);
    bool RejectRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) const {
        return !(X2 > X1 && Y2 > Y1 && X1 < Width() && Y1 < Height() && X2 > 0 && Y2 > 0);
    }

    TBitmapInfo BitmapInfo_;
    std::unique_ptr<TColor32[]> Memory_;
    std::unique_ptr<TColor32[]> Prepared_; // taken by the next ChangeSize in place of new memory
    TColor32* Bits_ = nullptr;
    std::unique_ptr<TDeviceContext> Handle_;
    std::unique_ptr<TCanvas> Canvas_;
    std::unique_ptr<TFont> Font_;
    TFontHandle FontHandle_ = 0;
    TDrawMode DrawMode_ = dmOpaque;
    uint32_t MasterAlpha_ = 255;
    TStretchFilter StretchFilter_ = sfNearest;
    TArrayOfColor32 StipplePattern_;
};

} // namespace gfx
