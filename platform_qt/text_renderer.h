// The bitmaps' text through Qt's fonts: QFont and QFontMetrics at a fixed 96
// dpi, QPainter on an RGB32 view of the bitmap's pixels, so that white text
// leaves its coverage in the blue byte. Glyphs are drawn without the host's
// antialiasing (the bitmaps smooth text themselves, RenderText). Needs a
// QGuiApplication; the calls raise platform::Exception without one.
#pragma once

#include <QFont>

#include "gfx/text_renderer.h"

namespace platform_qt {

class TQtTextRenderer : public gfx::TTextRenderer {
  public:
    gfx::TSize TextExtent(const gfx::TFont& Font, const std::string& Text) override;
    void TextOut(gfx::TDeviceContext& DC, const gfx::TFont& Font, int32_t X, int32_t Y,
                 const gfx::TRect* Clip, const std::string& Text) override;
    void DrawText(gfx::TDeviceContext& DC, const gfx::TFont& Font, const gfx::TRect& Rect, uint32_t Flags,
                  const std::string& Text) override;
};

// The Qt font for a library font: its size in points at 96 dpi as a pixel
// size (at most 4096), its style, no kerning and no antialiasing.
QFont ToQFont(const gfx::TFont& Font);

// Makes a TQtTextRenderer the bitmaps' text renderer (programs call this at
// start-up, after creating their application object).
void InstallQtTextRenderer();

} // namespace platform_qt
