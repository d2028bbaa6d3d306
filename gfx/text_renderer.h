// Text measuring and drawing for the bitmaps. The library has no font engine:
// a port installs a TTextRenderer at start-up (platform_qt draws with Qt's
// fonts); without one, every text operation raises an exception.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/canvas.h"
#include "gfx/device_context.h"
#include "gfx/geometry.h"

namespace gfx {

// Format flags of Textout(DstRect, Flags, Text), the window system's values.
constexpr uint32_t DT_LEFT = 0x0;
constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_RIGHT = 0x2;
constexpr uint32_t DT_VCENTER = 0x4; // with DT_SINGLELINE only
constexpr uint32_t DT_BOTTOM = 0x8;  // with DT_SINGLELINE only
constexpr uint32_t DT_WORDBREAK = 0x10;
constexpr uint32_t DT_SINGLELINE = 0x20;
constexpr uint32_t DT_EXPANDTABS = 0x40;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_CALCRECT = 0x400; // measures only: nothing is drawn
constexpr uint32_t DT_NOPREFIX = 0x800; // '&' is drawn, not taken as a mnemonic

// Fonts are given by their attributes (name, size in points at 96 dpi, style,
// colour: the low 24 bits as red, green, blue). Texts are UTF-8.
class TTextRenderer {
  public:
    virtual ~TTextRenderer() = default;
    // The advance width of Text and the height of a line of the font.
    virtual TSize TextExtent(const TFont& Font, const std::string& Text) = 0;
    // Draws Text in the font's colour with a transparent background onto the
    // context's pixels, the top-left corner of its line at (X, Y), only inside
    // Clip when one is given. Drawn pixels are opaque; others are untouched.
    virtual void TextOut(TDeviceContext& DC, const TFont& Font, int32_t X, int32_t Y, const TRect* Clip,
                         const std::string& Text) = 0;
    // Draws formatted text into Rect (DT_ flags).
    virtual void DrawText(TDeviceContext& DC, const TFont& Font, const TRect& Rect, uint32_t Flags,
                          const std::string& Text) = 0;
};

// Installs the renderer (not owned; null removes it).
void SetTextRenderer(TTextRenderer* Renderer);
// The installed renderer; raises platform::Exception when there is none.
TTextRenderer& RequireTextRenderer();

} // namespace gfx
