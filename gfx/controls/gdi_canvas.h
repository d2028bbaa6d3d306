// The window system's drawing calls that the bars and the image view paint
// with, drawn into a bitmap: a pen and a brush, lines that leave out their end
// point, polylines, filled polygons, rectangles filled or framed with the brush
// (a solid colour, or the one-pixel dither of a two-colour pattern brush), 3-D
// edges and the scroll bar's frame controls. Colours are framework colours,
// system colours resolved when drawn. Pixels outside the clip rectangle are
// left alone.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "gfx/bitmap32.h"
#include "gfx/color.h"
#include "gfx/geometry.h"

namespace gfx {

// DrawEdge: the edges (outer and inner, raised or sunken) and the sides.
constexpr uint32_t BDR_RAISEDOUTER = 1, BDR_SUNKENOUTER = 2, BDR_RAISEDINNER = 4, BDR_SUNKENINNER = 8;
constexpr uint32_t EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr uint32_t EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr uint32_t BF_LEFT = 1, BF_TOP = 2, BF_RIGHT = 4, BF_BOTTOM = 8, BF_RECT = 15, BF_MIDDLE = 0x800;

// DrawFrameControl: the scroll bar class, its parts and their states.
constexpr uint32_t DFC_SCROLL = 3;
constexpr uint32_t DFCS_SCROLLUP = 0, DFCS_SCROLLDOWN = 1, DFCS_SCROLLLEFT = 2, DFCS_SCROLLRIGHT = 3;
constexpr uint32_t DFCS_SCROLLSIZEGRIP = 8;
constexpr uint32_t DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_FLAT = 0x4000;

class TGdiCanvas {
  public:
    // Point (0, 0) of the canvas lies at Origin of Target; only pixels inside
    // Clip (Target's coordinates, cut to Target) change.
    TGdiCanvas(TBitmap32& Target, TPoint Origin, const TRect& Clip);
    explicit TGdiCanvas(TBitmap32& Target) : TGdiCanvas(Target, {0, 0}, Target.BoundsRect()) {}

    TWinColor PenColor = clBlack;
    // A solid brush, or a pattern brush whose pixels alternate between the
    // two colours (Color1 where X + Y of the bitmap is even).
    void SetBrushColor(TWinColor Color) { SetBrushPattern(Color, Color); }
    void SetBrushPattern(TWinColor Color1, TWinColor Color2);

    void MoveTo(int32_t X, int32_t Y) { PenPos_ = {X, Y}; }
    // A line in the pen's colour from the pen position up to, not including, (X, Y).
    void LineTo(int32_t X, int32_t Y);
    void Polyline(std::initializer_list<TPoint> Points);
    // The inside (the pixels within the outline) filled with the brush, then
    // the closed outline in the pen's colour.
    void Polygon(std::initializer_list<TPoint> Points);
    // The half-open rectangle filled with the brush; a one-pixel frame along its inside.
    void FillRect(const TRect& R);
    void FrameRect(const TRect& R);

    // The edges named by Edge on the sides in Flags (outer edge outermost),
    // then with BF_MIDDLE the inside in the button face colour.
    void DrawEdge(TRect R, uint32_t Edge, uint32_t Flags);
    // A scroll bar's arrow button or size grip (Type DFC_SCROLL).
    void DrawFrameControl(const TRect& R, uint32_t Type, uint32_t State);

  private:
    void Plot(int64_t X, int64_t Y, TColor32 Colour);
    // Pixels from X1 up to X2 on row Y (canvas coordinates), Even where X + Y
    // of the bitmap is even, else Odd.
    void Span(int64_t Y, int64_t X1, int64_t X2, TColor32 Even, TColor32 Odd);
    void FillWith(const TRect& R, TColor32 Even, TColor32 Odd);
    void FrameWith(const TRect& R, TColor32 Even, TColor32 Odd);
    void SolidRect(const TRect& R, TWinColor Colour);
    // An arrow glyph of DFCS direction Part centred in R, in Colour.
    void ArrowGlyph(const TRect& R, uint32_t Part, TWinColor Colour);

    TBitmap32& Target_;
    TPoint Origin_;
    TRect Clip_;
    TColor32 Brush1_ = 0xFFFFFFFF, Brush2_ = 0xFFFFFFFF;
    TPoint PenPos_;
};

} // namespace gfx
