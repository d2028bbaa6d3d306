// TCustomImgView32: the image control with a horizontal and a vertical scroll
// bar and a size grip. The bitmap is shown at Scale and placed by the view:
// scrolled by the bars, or centred where it is smaller than the viewport and
// Centered is set. TImgView32 is its published form; TIVScrollProperties
// hands scroll bar settings on to both bars.
#pragma once

#include <memory>

#include "gfx/controls/image32.h"
#include "gfx/controls/range_bar.h"

namespace gfx {

enum TSizeGripStyle : uint8_t { sgAuto, sgNone, sgAlways };

class TCustomImgView32;

// Reads from the horizontal bar, writes to both.
class TIVScrollProperties : public TArrowBarAccess {
  public:
    std::string ClassName() const override { return "TIVScrollProperties"; }
    TRBIncrement Increment() const;
    void SetIncrement(TRBIncrement Value) { Both(&TCustomRangeBar::SetIncrement, Value); }
    // The bars' thickness and the grip's side (0: the system's scroll bar width).
    int32_t Size() const;
    void SetSize(int32_t Value);

    TCustomImgView32* ScrolledView = nullptr;
};

class TCustomImgView32 : public TCustomImage32 {
  public:
    explicit TCustomImgView32(QWidget* Parent = nullptr);
    ~TCustomImgView32() override;
    std::string ClassName() const override { return "TCustomImgView32"; }

    bool Centered() const { return Centered_; }
    // Centres on the bitmap's middle, or scrolls to its top-left corner.
    void SetCentered(bool Value);
    TIVScrollProperties* ScrollBars() const { return ScrollBars_.get(); }
    // The generic copy, which the scroll properties do not implement.
    void SetScrollBars(TIVScrollProperties* Value) { ScrollBars_->Assign(Value); }
    TSizeGripStyle SizeGrip() const { return SizeGrip_; }
    void SetSizeGrip(TSizeGripStyle Value);
    TCustomRangeBar* HorzBar() const { return HorzBar_; }
    TCustomRangeBar* VertBar() const { return VertBar_; }

    // BarSize, or the system's scroll bar width when it is 0.
    int32_t GetScrollBarSize();
    // The control less the bars' strips (also when the bitmap fits).
    TRect GetViewportRect() override;
    // The square in the bottom-right corner between the bars.
    TRect GetSizeGripRect();
    bool IsSizeGripVisible();
    // Places the bars along the bottom and the right of the viewport.
    void AlignAll();
    // Each bar's range: the displayed bitmap size in its direction.
    void UpdateScrollBars();
    // Places the bitmap from the bars (or centred), with one repaint.
    void UpdateImage();
    // Moves the bars by (Dx, Dy) and the bitmap with them.
    void Scroll(int32_t Dx, int32_t Dy);
    // Scrolls so that bitmap point (X, Y) lies in the viewport's middle.
    void ScrollToCenter(int32_t X, int32_t Y);

    void Loaded() override;

    // The user scrolled.
    TNotifyEvent OnScroll;

  protected:
    virtual void DoScroll();
    // A bar's OnUserChange: the bitmap follows the bar.
    virtual void ScrollHandler(TObject* Sender);
    void DoDrawSizeGrip(const TRect& R);

    void BitmapResized() override;
    void DoScaleChange() override;
    void Resize() override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;

  private:
    friend class TIVScrollProperties;
    void CentreOnBitmap();
    // The grip square, or button face where there is no grip.
    void PaintSizeGrip();

    bool Centered_ = true;
    int32_t BarSize_ = 0;
    std::unique_ptr<TIVScrollProperties> ScrollBars_;
    TSizeGripStyle SizeGrip_ = sgAuto;
    bool InternalScroll = false;
    TCustomRangeBar* HorzBar_ = nullptr; // child widgets, freed with the view
    TCustomRangeBar* VertBar_ = nullptr;
};

class TImgView32 : public TCustomImgView32 {
  public:
    using TCustomImgView32::TCustomImgView32;
    std::string ClassName() const override { return "TImgView32"; }
};

} // namespace gfx
