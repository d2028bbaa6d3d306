// The framework's graphics and controls as the bitmap's Assign, AssignTo and
// SetSizeFrom see them. A port implements these (images, pictures, the
// clipboard, widgets); the library itself has none.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/device_context.h"
#include "gfx/geometry.h"
#include "gfx/persistent.h"

namespace gfx {

class TGraphic : public TPersistent {
  public:
    std::string ClassName() const override { return "TGraphic"; }
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
    // Draws the graphic stretched into Rect of the context.
    virtual void Draw(TDeviceContext& DC, const TRect& Rect) const = 0;
};

// A device-dependent bitmap with its own canvas.
class TBitmap : public TGraphic {
  public:
    std::string ClassName() const override { return "TBitmap"; }
    virtual bool PixelFormat32() const = 0;
    // Makes the bitmap a 32-bit device-independent one of the given size.
    virtual void SetDIB32(int32_t Width, int32_t Height) = 0;
    // The context of the bitmap's canvas.
    virtual TDeviceContext& CanvasHandle() = 0;
};

class TPicture : public TPersistent {
  public:
    std::string ClassName() const override { return "TPicture"; }
    // The picture's graphic, or null when it holds none.
    virtual TGraphic* Graphic() const = 0;
    // The graphic as a TBitmap when it is one; a picture made to receive a
    // bitmap creates one on first call of RequireBitmap.
    virtual TBitmap* Bitmap() const = 0;
    virtual TBitmap& RequireBitmap() = 0;
    int32_t GetWidth() const { return Graphic() ? Graphic()->GetWidth() : 0; }
    int32_t GetHeight() const { return Graphic() ? Graphic()->GetHeight() : 0; }
};

class TClipboard : public TPersistent {
  public:
    std::string ClassName() const override { return "TClipboard"; }
    // A picture of what the clipboard holds (empty when it holds no image).
    virtual std::unique_ptr<TPicture> GetPicture() const = 0;
    // Places the bitmap's pixels on the clipboard.
    virtual void SetBitmap(TBitmap& Bitmap) = 0;
    // A fresh bitmap, used to hand pixels to SetBitmap.
    virtual std::unique_ptr<TBitmap> NewBitmap() const = 0;
};

// A control: only its size is asked for.
class TControl : public TPersistent {
  public:
    std::string ClassName() const override { return "TControl"; }
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
};

} // namespace gfx
