#include "gfx/controls/gdi_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace gfx {

TGdiCanvas::TGdiCanvas(TBitmap32& Target, TPoint Origin, const TRect& Clip)
    : Target_(Target), Origin_(Origin) {
    IntersectRect(Clip_, Clip, Target.BoundsRect());
}

void TGdiCanvas::SetBrushPattern(TWinColor Color1, TWinColor Color2) {
    Brush1_ = Color32(Color1);
    Brush2_ = Color32(Color2);
}

void TGdiCanvas::Plot(int64_t X, int64_t Y, TColor32 Colour) {
    X += Origin_.X;
    Y += Origin_.Y;
    if (X >= Clip_.Left && X < Clip_.Right && Y >= Clip_.Top && Y < Clip_.Bottom)
        Target_.SetPixel(int32_t(X), int32_t(Y), Colour);
}

void TGdiCanvas::Span(int64_t Y, int64_t X1, int64_t X2, TColor32 Even, TColor32 Odd) {
    const int64_t BY = Y + Origin_.Y;
    if (BY < Clip_.Top || BY >= Clip_.Bottom) return;
    const int64_t From = std::max<int64_t>(X1 + Origin_.X, Clip_.Left);
    const int64_t To = std::min<int64_t>(X2 + Origin_.X, Clip_.Right);
    for (int64_t BX = From; BX < To; ++BX)
        Target_.SetPixel(int32_t(BX), int32_t(BY), ((BX + BY) & 1) == 0 ? Even : Odd);
}

void TGdiCanvas::FillWith(const TRect& R, TColor32 Even, TColor32 Odd) {
    for (int64_t Y = R.Top; Y < R.Bottom; ++Y)
        Span(Y, R.Left, R.Right, Even, Odd);
}

void TGdiCanvas::FrameWith(const TRect& R, TColor32 Even, TColor32 Odd) {
    if (IsRectEmpty(R)) return;
    FillWith({R.Left, R.Top, R.Right, R.Top + 1}, Even, Odd);
    FillWith({R.Left, R.Bottom - 1, R.Right, R.Bottom}, Even, Odd);
    FillWith({R.Left, R.Top + 1, R.Left + 1, R.Bottom - 1}, Even, Odd);
    FillWith({R.Right - 1, R.Top + 1, R.Right, R.Bottom - 1}, Even, Odd);
}

void TGdiCanvas::LineTo(int32_t X, int32_t Y) {
    const TColor32 Colour = Color32(PenColor);
    int64_t X0 = PenPos_.X, Y0 = PenPos_.Y;
    const int64_t DX = std::llabs(int64_t(X) - X0), DY = -std::llabs(int64_t(Y) - Y0);
    const int64_t SX = X0 < X ? 1 : -1, SY = Y0 < Y ? 1 : -1;
    int64_t Err = DX + DY;
    while (X0 != X || Y0 != Y) {
        Plot(X0, Y0, Colour);
        const int64_t E2 = 2 * Err;
        if (E2 >= DY) Err += DY, X0 += SX;
        if (E2 <= DX) Err += DX, Y0 += SY;
    }
    PenPos_ = {X, Y};
}

void TGdiCanvas::Polyline(std::initializer_list<TPoint> Points) {
    if (Points.size() == 0) return;
    MoveTo(Points.begin()->X, Points.begin()->Y);
    for (auto P = Points.begin() + 1; P != Points.end(); ++P)
        LineTo(P->X, P->Y);
}

void TGdiCanvas::Polygon(std::initializer_list<TPoint> Points) {
    if (Points.size() < 2) return;
    const std::vector<TPoint> V(Points);
    int64_t Top = V[0].Y, Bottom = V[0].Y;
    for (const TPoint& P : V)
        Top = std::min<int64_t>(Top, P.Y), Bottom = std::max<int64_t>(Bottom, P.Y);
    // Integer coordinates name pixels: each row is cut at its own Y, an edge
    // covering the rows from its upper end up to, not including, its lower
    // end, and the pixels from one crossing to the next are filled.
    std::vector<double> Crossings;
    for (int64_t Y = Top; Y < Bottom; ++Y) {
        Crossings.clear();
        for (size_t I = 0; I < V.size(); ++I) {
            const TPoint A = V[I], B = V[(I + 1) % V.size()];
            if (A.Y == B.Y) continue;
            const TPoint& Up = A.Y < B.Y ? A : B;
            const TPoint& Down = A.Y < B.Y ? B : A;
            if (Y < Up.Y || Y >= Down.Y) continue;
            Crossings.push_back(Up.X + double(Y - Up.Y) * double(Down.X - Up.X) / double(Down.Y - Up.Y));
        }
        std::sort(Crossings.begin(), Crossings.end());
        for (size_t I = 0; I + 1 < Crossings.size(); I += 2)
            Span(Y, int64_t(std::ceil(Crossings[I])), int64_t(std::floor(Crossings[I + 1])) + 1, Brush1_,
                 Brush2_);
    }
    MoveTo(V.back().X, V.back().Y);
    for (const TPoint& P : V)
        LineTo(P.X, P.Y);
}

void TGdiCanvas::FillRect(const TRect& R) { FillWith(R, Brush1_, Brush2_); }
void TGdiCanvas::FrameRect(const TRect& R) { FrameWith(R, Brush1_, Brush2_); }

void TGdiCanvas::SolidRect(const TRect& R, TWinColor Colour) {
    const TColor32 C = Color32(Colour);
    FillWith(R, C, C);
}

namespace {
struct EdgeColours {
    TWinColor TopLeft, BottomRight;
};
} // namespace

void TGdiCanvas::DrawEdge(TRect R, uint32_t Edge, uint32_t Flags) {
    // Outer edge first; the bottom and right lines own the two far corners.
    const EdgeColours Outer = Edge & BDR_RAISEDOUTER ? EdgeColours{cl3DLight, cl3DDkShadow}
                                                     : EdgeColours{clBtnShadow, clBtnHighlight};
    const EdgeColours Inner = Edge & BDR_RAISEDINNER ? EdgeColours{clBtnHighlight, clBtnShadow}
                                                     : EdgeColours{cl3DDkShadow, cl3DLight};
    const bool Rings[2] = {(Edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) != 0,
                           (Edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) != 0};
    for (int Ring = 0; Ring < 2; ++Ring) {
        if (!Rings[Ring] || IsRectEmpty(R)) continue;
        const EdgeColours& C = Ring == 0 ? Outer : Inner;
        if (Flags & BF_TOP) SolidRect({R.Left, R.Top, R.Right, R.Top + 1}, C.TopLeft);
        if (Flags & BF_LEFT) SolidRect({R.Left, R.Top, R.Left + 1, R.Bottom}, C.TopLeft);
        if (Flags & BF_RIGHT) SolidRect({R.Right - 1, R.Top, R.Right, R.Bottom}, C.BottomRight);
        if (Flags & BF_BOTTOM) SolidRect({R.Left, R.Bottom - 1, R.Right, R.Bottom}, C.BottomRight);
        if (Flags & BF_LEFT) ++R.Left;
        if (Flags & BF_TOP) ++R.Top;
        if (Flags & BF_RIGHT) --R.Right;
        if (Flags & BF_BOTTOM) --R.Bottom;
    }
    if (Flags & BF_MIDDLE) SolidRect(R, clBtnFace);
}

void TGdiCanvas::ArrowGlyph(const TRect& R, uint32_t Part, TWinColor Colour) {
    const int32_t W = R.Right - R.Left, H = R.Bottom - R.Top;
    const bool Vertical = Part == DFCS_SCROLLUP || Part == DFCS_SCROLLDOWN;
    // K + 1 rows (or columns) of a triangle 2K + 1 wide.
    const int32_t K = (std::min(W, H) - 2) / 4;
    if (K < 1) return;
    const int32_t CX = R.Left + (W - 1) / 2, CY = R.Top + (H - 1) / 2;
    const TColor32 C = Color32(Colour);
    for (int32_t I = 0; I <= K; ++I) {
        // Row I from the point: up and left point to the start, down and right to the end.
        const bool Forward = Part == DFCS_SCROLLUP || Part == DFCS_SCROLLLEFT;
        const int32_t Step = Forward ? I - K / 2 : K / 2 - I;
        for (int32_t J = -I; J <= I; ++J) {
            if (Vertical)
                Plot(int64_t(CX) + J, int64_t(CY) + Step, C);
            else
                Plot(int64_t(CX) + Step, int64_t(CY) + J, C);
        }
    }
}

void TGdiCanvas::DrawFrameControl(const TRect& R, uint32_t Type, uint32_t State) {
    if (Type != DFC_SCROLL || IsRectEmpty(R)) return;
    const uint32_t Part = State & 0xFF;
    if (Part == DFCS_SCROLLSIZEGRIP) {
        // Diagonal ridges from the bottom-right corner: a light line, two
        // shadow lines and a gap, three times.
        SolidRect(R, clBtnFace);
        const int32_t N = std::min({R.Right - R.Left, R.Bottom - R.Top, 12});
        for (int32_t D = 1; D < N; ++D) {
            if (D % 4 == 0) continue;
            const TColor32 C = Color32(D % 4 == 1 ? clBtnHighlight : clBtnShadow);
            for (int32_t J = 0; J <= D; ++J)
                Plot(int64_t(R.Right) - 1 - J, int64_t(R.Bottom) - 1 - (D - J), C);
        }
        return;
    }
    TRect Glyph = R;
    if (State & DFCS_PUSHED) {
        // Pressed: a flat frame, the glyph one pixel down and right.
        SolidRect(R, clBtnFace);
        const TColor32 Shadow = Color32(clBtnShadow);
        FrameWith(R, Shadow, Shadow);
        OffsetRect(Glyph, 1, 1);
    } else {
        DrawEdge(R, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
    if (State & DFCS_INACTIVE) {
        TRect Light = Glyph;
        OffsetRect(Light, 1, 1);
        ArrowGlyph(Light, Part, clBtnHighlight);
        ArrowGlyph(Glyph, Part, clBtnShadow);
    } else {
        ArrowGlyph(Glyph, Part, clBtnText);
    }
}

} // namespace gfx
