// Qt images, pictures and the clipboard as the graphics library's TBitmap,
// TGraphic, TPicture and TClipboard, for TBitmap32::Assign and AssignTo.
#pragma once

#include <QImage>
#include <memory>

#include "gfx/graphic.h"
#include "platform_qt/device_context.h"

namespace platform_qt {

// A bitmap: a QImage with a context over it.
class TQtBitmap : public gfx::TBitmap {
  public:
    TQtBitmap() = default;
    explicit TQtBitmap(QImage Image) : Image_(std::move(Image)) {}
    int32_t GetWidth() const override { return Image_.width(); }
    int32_t GetHeight() const override { return Image_.height(); }
    void Draw(gfx::TDeviceContext& DC, const gfx::TRect& Rect) const override;
    bool PixelFormat32() const override { return Image_.depth() == 32; }
    void SetDIB32(int32_t Width, int32_t Height) override;
    gfx::TDeviceContext& CanvasHandle() override;
    const QImage& Image() const { return Image_; }

  private:
    QImage Image_;
    std::unique_ptr<TQImageDC> DC_;
};

// Any other graphic (a decoded PNG, a drawing): it can only draw itself.
class TQtGraphic : public gfx::TGraphic {
  public:
    explicit TQtGraphic(QImage Image) : Image_(std::move(Image)) {}
    int32_t GetWidth() const override { return Image_.width(); }
    int32_t GetHeight() const override { return Image_.height(); }
    void Draw(gfx::TDeviceContext& DC, const gfx::TRect& Rect) const override;

  private:
    QImage Image_;
};

class TQtPicture : public gfx::TPicture {
  public:
    TQtPicture() = default;
    explicit TQtPicture(std::unique_ptr<gfx::TGraphic> Graphic) : Graphic_(std::move(Graphic)) {}
    gfx::TGraphic* Graphic() const override { return Graphic_.get(); }
    gfx::TBitmap* Bitmap() const override { return dynamic_cast<gfx::TBitmap*>(Graphic_.get()); }
    gfx::TBitmap& RequireBitmap() override;

  private:
    std::unique_ptr<gfx::TGraphic> Graphic_;
};

// The application's clipboard (needs a QGuiApplication).
class TQtClipboard : public gfx::TClipboard {
  public:
    std::unique_ptr<gfx::TPicture> GetPicture() const override;
    void SetBitmap(gfx::TBitmap& Bitmap) override;
    std::unique_ptr<gfx::TBitmap> NewBitmap() const override { return std::make_unique<TQtBitmap>(); }
};

} // namespace platform_qt
