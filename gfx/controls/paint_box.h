// TCustomPaintBox32: a control that paints itself from a back buffer. Every
// paint request copies the buffer to the window with one block transfer; the
// buffer is recomposed (DoPaintBuffer) only after it was marked out of date.
// TPaintBox32 takes the buffer's content from its OnPaintBuffer event.
#pragma once

#include <memory>
#include <optional>

#include "gfx/bitmap32.h"
#include "gfx/controls/custom_control.h"

namespace gfx {

enum TPaintBoxOption : uint8_t { pboWantArrowKeys = 1, pboAutoFocus = 2 };
using TPaintBoxOptions = uint8_t; // a set of TPaintBoxOption bits

class TCustomPaintBox32 : public TCustomControl {
  public:
    explicit TCustomPaintBox32(QWidget* Parent = nullptr);
    ~TCustomPaintBox32() override;
    std::string ClassName() const override { return "TCustomPaintBox32"; }

    // The back buffer. Its update stays open, so drawing into it notifies nobody.
    TBitmap32* Buffer() const { return Buffer_.get(); }
    // Margin added when the buffer grows and tolerated before it shrinks.
    int32_t BufferOversize() const { return BufferOversize_; }
    // Negative values store 0; neither resizes nor repaints.
    void SetBufferOversize(int32_t Value) { BufferOversize_ = Value < 0 ? 0 : Value; }
    TPaintBoxOptions Options() const { return Options_; }
    void SetOptions(TPaintBoxOptions Value) { Options_ = Value; }

    // Copy the buffer to the window now, without recomposing it: the viewport,
    // or SrcRect of the buffer (clipped to the buffer) at the same place.
    void Flush();
    void Flush(const TRect& SrcRect);

    // The part of the control that shows the buffer.
    virtual TRect GetViewportRect();

    void Invalidate() override;
    void Loaded() override;
    void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;
    uint32_t GetDlgCode() const override { return Options_ & pboWantArrowKeys ? DLGC_WANTARROWS : 0; }

    // The buffer holds the current picture.
    bool BufferUpToDate = false;
    // Raised after the buffer reached the window, to draw over it on Canvas().
    TNotifyEvent OnGDIOverlay;

  protected:
    // Composes the buffer; this base version marks it up to date.
    virtual void DoPaintBuffer() { BufferUpToDate = true; }
    virtual void DoPaintGDIOverlay();
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    // Sizes the buffer to the viewport, growing by the oversize and shrinking
    // only past it, never below 1 x 1.
    void ResizeBuffer();

  private:
    // Copies SrcRect of the buffer to the viewport's place for it, under the buffer's lock.
    void CopyBuffer(const TRect& SrcRect);

    std::unique_ptr<TBitmap32> Buffer_;
    int32_t BufferOversize_ = 40;
    TPaintBoxOptions Options_ = 0;
    std::optional<TRect> FlushSource_; // set while Flush has a paint of its own running
};

class TPaintBox32 : public TCustomPaintBox32 {
  public:
    using TCustomPaintBox32::TCustomPaintBox32;
    std::string ClassName() const override { return "TPaintBox32"; }
    // Raised on every paint request: the buffer is never marked up to date.
    TNotifyEvent OnPaintBuffer;

  protected:
    void DoPaintBuffer() override {
        if (OnPaintBuffer) OnPaintBuffer(this);
    }
};

} // namespace gfx
