#include "gfx/transform_bitmap.h"

#include <limits>

#include "gfx/combine_pixel.h"
#include "gfx/low_level.h"

namespace gfx {

namespace {
// A source position no transformation produced lies far outside every source.
constexpr int32_t kNoPosition = std::numeric_limits<int32_t>::min();

// The bilinear sample at (Sx, Sy), in 24.8 fixed point, of Src within the
// inclusive clip C. Inside the clip the four pixels are read directly; in a
// band one pixel wide around it, on every side, through GetPixelS, so the
// edge blends into the pixels beyond the clip or OuterColor; further out
// there is no colour.
bool SampleSourceBilinear(const TBitmap32& Src, const TRect& C, int32_t Sx, int32_t Sy, TColor32& Color) {
    const int32_t Ix = Sx >> 8, Iy = Sy >> 8;
    const uint32_t Fx = 255 - uint32_t(Sx & 255), Fy = 255 - uint32_t(Sy & 255);
    TColor32 P00, P10, P01, P11;
    if (C.Left < Ix && Ix < C.Right - 1 && C.Top < Iy && Iy < C.Bottom - 1) {
        const TColor32* P = Src.GetPixelPtr(Ix, Iy);
        P00 = P[0];
        P10 = P[1];
        P01 = P[Src.Width()];
        P11 = P[Src.Width() + 1];
    } else if (C.Left - 1 <= Ix && Ix <= C.Right && C.Top - 1 <= Iy && Iy <= C.Bottom) {
        P00 = Src.GetPixelS(Ix, Iy);
        P10 = Src.GetPixelS(Ix + 1, Iy);
        P01 = Src.GetPixelS(Ix, Iy + 1);
        P11 = Src.GetPixelS(Ix + 1, Iy + 1);
    } else {
        return false;
    }
    Color = CombineReg(CombineReg(P00, P10, Fx), CombineReg(P01, P11, Fx), Fy);
    return true;
}
} // namespace

void Transform(TBitmap32* Dst, TBitmap32* Src, TTransformation* Transformation) {
    if (!Dst || !Src || !Transformation) return;
    if (!Transformation->Prepared()) Transformation->PrepareTransform();
    TDrawMode Mode = Src->DrawMode();
    const TColor32 M = Src->MasterAlpha();
    const TPixelCombineEvent& CallBack = Src->OnPixelCombine;
    if (Mode == dmCustom && !CallBack) Mode = dmOpaque;

    // Both clips have inclusive bounds; an empty bitmap or a rectangle that
    // misses it leaves nothing, while one column or row is still drawn.
    TRect SrcClip, DstClip;
    if (!IntersectRect(SrcClip, MakeRect(Transformation->SrcRect(), rrClosest),
                       {0, 0, Src->Width() - 1, Src->Height() - 1}))
        return;
    if (!IntersectRect(DstClip, Transformation->GetTransformedBounds(),
                       {0, 0, Dst->Width() - 1, Dst->Height() - 1}))
        return;

    const bool Nearest = Src->StretchFilter() == sfNearest;
    for (int32_t Y = DstClip.Top; Y <= DstClip.Bottom; ++Y) {
        TColor32* D = Dst->GetScanLine(Y);
        for (int32_t X = DstClip.Left; X <= DstClip.Right; ++X) {
            // A pixel the mapping leaves unset keeps the far-off position and is skipped.
            int32_t Sx = kNoPosition, Sy = kNoPosition;
            TColor32 Color;
            if (Nearest) {
                Transformation->Transform(X, Y, Sx, Sy);
                if (Sx < SrcClip.Left || Sx > SrcClip.Right || Sy < SrcClip.Top || Sy > SrcClip.Bottom)
                    continue;
                Color = Src->GetPixel(Sx, Sy);
            } else {
                Transformation->Transform256(X, Y, Sx, Sy);
                if (!SampleSourceBilinear(*Src, SrcClip, Sx, Sy, Color)) continue;
            }
            CombinePixel(Color, D[X], Mode, M, CallBack);
        }
    }
    EMMS();
    Dst->Changed();
}

void SetBorderTransparent(TBitmap32* Bitmap, const TRect& R) {
    if (!Bitmap) return;
    int32_t L = R.Left, T = R.Top, Rt = R.Right, B = R.Bottom;
    if (!TestClip(L, Rt, Bitmap->Width()) || !TestClip(T, B, Bitmap->Height())) return;
    auto Clear = [&](int32_t X, int32_t Y) { Bitmap->SetPixel(X, Y, Bitmap->GetPixel(X, Y) & 0x00FFFFFF); };
    for (int32_t X = L; X <= Rt; ++X) {
        Clear(X, T);
        Clear(X, B);
    }
    for (int32_t Y = T + 1; Y < B; ++Y) {
        Clear(L, Y);
        Clear(Rt, Y);
    }
    Bitmap->Changed();
}

} // namespace gfx
