// TArrowBar: the looks of its zones and the unit's drawing routines.
#include <algorithm>

#include "gfx/controls/arrow_bar.h"
#include "platform/exceptions.h"

namespace gfx {

namespace {
TWinColor Resolved(TWinColor C) { return C < 0 ? GetSysColor(C & 0xFF) : C; }

// Every side but the one facing the track.
TRBDirections OuterSides(TRBDirection Direction) {
    constexpr TRBDirection Facing[] = {drRight, drDown, drLeft, drUp};
    return AllDirections & ~DirectionBit(Facing[Direction]);
}

// The classic frame control's direction flag per TRBDirection.
constexpr uint32_t kFrameDirection[] = {DFCS_SCROLLLEFT, DFCS_SCROLLUP, DFCS_SCROLLRIGHT, DFCS_SCROLLDOWN};
} // namespace

TWinColor ShadeColor(TWinColor Color, int32_t Amount) {
    const uint32_t C = uint32_t(Resolved(Color));
    auto Channel = [&](int Shift) {
        return uint32_t(std::clamp(int32_t((C >> Shift) & 0xFF) + Amount, 0, 255));
    };
    return TWinColor(Channel(0) | Channel(8) << 8 | Channel(16) << 16);
}

TWinColor MixColors(TWinColor C1, TWinColor C2, int32_t W) {
    if (W < 0 || W >= 256) throw platform::EAssertionFailed("Assertion failure");
    const uint32_t A = uint32_t(Resolved(C1)), B = uint32_t(Resolved(C2));
    const uint32_t WA = uint32_t(W), WB = 255 - WA;
    const uint32_t RedBlue = (((A & 0x00FF00FF) * WA + (B & 0x00FF00FF) * WB) >> 8) & 0x00FF00FF;
    const uint32_t Green = (((A & 0x0000FF00) * WA + (B & 0x0000FF00) * WB) >> 8) & 0x0000FF00;
    return TWinColor(RedBlue | Green);
}

void FillTrackRect(TGdiCanvas& Canvas, const TRect& R, TWinColor C1, TWinColor C2) {
    if (IsRectEmpty(R)) return;
    if (C1 != C2)
        Canvas.SetBrushPattern(C1, C2);
    else
        Canvas.SetBrushColor(C1);
    Canvas.FillRect(R);
}

void DrawRectSides(TGdiCanvas& Canvas, TRect& R, TRBDirections Sides, TWinColor Color) {
    if (Sides == 0) return;
    Canvas.PenColor = Color;
    if (Sides & DirectionBit(drUp)) {
        Canvas.MoveTo(R.Left, R.Top);
        Canvas.LineTo(R.Right, R.Top);
        ++R.Top;
    }
    if (Sides & DirectionBit(drDown)) {
        --R.Bottom;
        Canvas.MoveTo(R.Left, R.Bottom);
        Canvas.LineTo(R.Right, R.Bottom);
    }
    if (Sides & DirectionBit(drLeft)) {
        Canvas.MoveTo(R.Left, R.Top);
        Canvas.LineTo(R.Left, R.Bottom);
        ++R.Left;
    }
    if (Sides & DirectionBit(drRight)) {
        --R.Right;
        Canvas.MoveTo(R.Right, R.Top);
        Canvas.LineTo(R.Right, R.Bottom);
    }
}

void DrawBevel(TGdiCanvas& Canvas, TRect& R, TWinColor TopLeft, TWinColor BottomRight, bool Shrink) {
    const TRect Saved = R;
    --R.Right, --R.Bottom;
    Canvas.PenColor = TopLeft;
    Canvas.Polyline({{R.Left, R.Bottom}, {R.Left, R.Top}, {R.Right, R.Top}});
    Canvas.PenColor = BottomRight;
    Canvas.Polyline({{R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}});
    if (Shrink)
        R = {Saved.Left + 1, Saved.Top + 1, Saved.Right - 1, Saved.Bottom - 1};
    else
        R = Saved;
}

void DrawArrow(TGdiCanvas& Canvas, const TRect& R, TRBDirection Direction, TWinColor Color) {
    const int32_t CX = (R.Left + R.Right - 1) / 2, CY = (R.Top + R.Bottom - 1) / 2;
    int32_t S = (3 * std::min(CX - R.Left, CY - R.Top)) / 4 - 1;
    if (S == 0) S = 1;
    const int32_t Shift = Direction == drLeft || Direction == drUp ? (S + 1) / 3 : S / 3;
    Canvas.PenColor = Color;
    Canvas.SetBrushColor(Color);
    switch (Direction) {
    case drLeft: Canvas.Polygon({{CX + Shift, CY + S}, {CX + Shift - S, CY}, {CX + Shift, CY - S}}); break;
    case drUp: Canvas.Polygon({{CX + S, CY + Shift}, {CX, CY + Shift - S}, {CX - S, CY + Shift}}); break;
    case drRight: Canvas.Polygon({{CX - Shift, CY + S}, {CX - Shift + S, CY}, {CX - Shift, CY - S}}); break;
    case drDown: Canvas.Polygon({{CX + S, CY - Shift}, {CX, CY - Shift + S}, {CX - S, CY - Shift}}); break;
    }
}

void DrawMacHandle(TGdiCanvas& Canvas, TRect R, TWinColor Color, bool Horz, bool ShowGrip, bool Pushed) {
    const TWinColor Light = ShadeColor(Color, 24), Dark = ShadeColor(Color, -24);
    Canvas.SetBrushColor(clWindowFrame);
    Canvas.FrameRect(R);
    InflateRect(R, -1, -1);
    if (Pushed)
        DrawBevel(Canvas, R, Dark, Color, true);
    else
        DrawBevel(Canvas, R, Light, MixColors(clWindowFrame, Color, 96), true);
    Canvas.SetBrushColor(Color);
    Canvas.FillRect(R);
    if (!ShowGrip) return;
    if (Pushed) OffsetRect(R, 1, 1);
    if (Horz)
        ++R.Top, --R.Bottom;
    else
        ++R.Left, --R.Right;
    const int32_t C = Horz ? (R.Left + R.Right) / 2 : (R.Top + R.Bottom) / 2;
    const int32_t N = Horz ? R.Right - R.Left : R.Bottom - R.Top;
    for (const int32_t Offset : {-5, -2, 1, 4}) {
        if ((Offset == -5 || Offset == 4) && N <= 10) continue;
        TRect Bar = Horz ? TRect{C + Offset, R.Top, C + Offset + 2, R.Bottom}
                         : TRect{R.Left, C + Offset, R.Right, C + Offset + 2};
        DrawBevel(Canvas, Bar, Light, Dark, false);
    }
}

void TArrowBar::DoDrawButton(TRect R, TRBDirection Direction, bool Pushed, bool Enabled, bool) {
    TGdiCanvas& C = DrawCanvas();
    if (Style_ != rbsMac) {
        uint32_t State = kFrameDirection[Direction];
        if (!Enabled) State |= DFCS_INACTIVE;
        if (Pushed) State |= DFCS_PUSHED | DFCS_FLAT;
        C.DrawFrameControl(R, DFC_SCROLL, State);
        return;
    }
    if (Enabled) {
        DrawRectSides(C, R, OuterSides(Direction), clWindowFrame);
        C.SetBrushColor(clBtnFace);
        if (Pushed) {
            C.FillRect(R);
            OffsetRect(R, 1, 1);
            InflateRect(R, -1, -1);
        } else {
            DrawBevel(C, R, clBtnHighlight, clBtnShadow, true);
            C.FillRect(R);
        }
        DrawArrow(C, R, Direction, clBtnText);
    } else {
        // An embossed arrow: a light one a pixel down and right under a shadow one.
        DrawRectSides(C, R, OuterSides(Direction), clBtnShadow);
        C.SetBrushColor(clBtnFace);
        C.FillRect(R);
        InflateRect(R, -1, -1);
        OffsetRect(R, 1, 1);
        DrawArrow(C, R, Direction, clBtnHighlight);
        OffsetRect(R, -1, -1);
        DrawArrow(C, R, Direction, clBtnShadow);
    }
}

void TArrowBar::DoDrawTrack(TRect R, TRBDirection Direction, bool Pushed, bool Enabled, bool) {
    TGdiCanvas& C = DrawCanvas();
    if (Style_ != rbsMac) {
        if (Pushed)
            FillTrackRect(C, R, clWindowFrame, clWindowFrame);
        else
            FillTrackRect(C, R, clBtnHighlight, Color());
        return;
    }
    if (IsRectEmpty(R)) return;
    DrawRectSides(C, R, OuterSides(Direction), Enabled ? clWindowFrame : clBtnShadow);
    if (Pushed) {
        FillTrackRect(C, R, clWindowFrame, clWindowFrame);
        return;
    }
    if (IsRectEmpty(R)) return;
    if (!Enabled) {
        C.SetBrushColor(clBtnFace);
        C.FillRect(R);
        return;
    }
    // An inner shadow along the sides where the light comes from.
    C.PenColor = MixColors(clWindowFrame, MixColors(clBtnHighlight, Color(), 127), 32);
    const bool AlongLeft = Direction != drRight, AlongTop = Direction != drDown;
    if (AlongLeft) {
        C.MoveTo(R.Left, R.Top);
        C.LineTo(R.Left, R.Bottom);
    }
    if (AlongTop) {
        C.MoveTo(R.Left, R.Top);
        C.LineTo(R.Right, R.Top);
    }
    if (AlongLeft) ++R.Left;
    if (AlongTop) ++R.Top;
    if (Backgnd_ == bgSolid)
        FillTrackRect(C, R, Color(), Color());
    else
        FillTrackRect(C, R, clBtnHighlight, Color());
}

void TArrowBar::DoDrawHandle(TRect R, bool Horz, bool Pushed, bool) {
    TGdiCanvas& C = DrawCanvas();
    if (Style_ == rbsMac) {
        DrawMacHandle(C, R, HandleColor_, Horz, ShowHandleGrip_, Pushed);
        return;
    }
    C.DrawEdge(R, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

} // namespace gfx
