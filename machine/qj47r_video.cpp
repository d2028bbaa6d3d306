// Video: every write into video memory is rendered at once into the screen
// bitmap. A text cell is its glyph from the font bitmap, with the shown
// graphics planes mixed in and the reverse-video mask applied over it.
#include "machine/qj47r.h"

#include "gfx/gfx.h"

namespace {

constexpr int TextColumns40 = 40, TextColumns80 = 80, TextRows = 25;
constexpr int GraphicsBytesPerLine = 40;
constexpr int GraphicsLinesPerTextRow = 8;

gfx::TRect Cell(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// One run of `width` pixels at (x, y), and at (x, y + 1) as well when doubled,
// clipped to the bitmap. Its last pixel is drawn also where the run ends at the
// bitmap's right edge, so the rightmost dot of a line lights like every other.
void Dot(gfx::TBitmap32& b, std::uint32_t color, int x, int y, int width, bool doubled) {
    b.HorzLineS(x, y, x + width - 1, color);
    if (doubled) b.HorzLineS(x, y + 1, x + width - 1, color);
}

} // namespace

// Byte k of the character generator is line k mod 8 of glyph k div 8; glyphs
// stand in columns of 16, each line on every other bitmap row.
void TQJ47R::DrawFontByte(int k, std::uint8_t v) {
    const int c = k / 128, y = 2 * (k % 128);
    for (int i = 0; i < 8; ++i) {
        const std::uint32_t color = (v & (0x80 >> i)) ? Green : Black;
        Dot(*Font40Bitmap, color, c * 16 + 2 * i, y, 2, Setting.ScanDouble);
        Dot(*Font80Bitmap, color, c * 8 + i, y, 1, Setting.ScanDouble);
    }
}

void TQJ47R::WriteText(int p, std::uint8_t v) {
    if (p < 0 || p >= int(sizeof TextVram)) return; // the upper half of the window's text part has no memory
    TextVram[p] = v;
    if (p >= (Columns80 ? TextColumns80 : TextColumns40) * TextRows) return;

    const int g = v;
    gfx::TRect src, dst;
    gfx::TBitmap32* font;
    if (Columns80) {
        src = Cell((g >> 4) * 8, (g & 15) * 16, 8, 16);
        dst = Cell((p % TextColumns80) * 8, (p / TextColumns80) * 16, 8, 16);
        font = Font80Bitmap.get();
    } else {
        src = Cell((g >> 4) * 16, (g & 15) * 16, 16, 16);
        dst = Cell((p % TextColumns40) * 16, (p / TextColumns40) * 16, 16, 16);
        font = Font40Bitmap.get();
    }
    font->DrawTo(ScreenBitmap, dst, src);

    // The planes' draw modes and combine are set once at construction.
    if (Plane1Shown)
        Plane1Image->DrawTo(ScreenBitmap, dst, dst); // per channel maximum: lit dots light the cell
    if (Plane2Shown)
        Plane2Image->DrawTo(ScreenBitmap, dst, dst); // blended at half weight: dark dots darken it

    // The mask is only ever drawn from: it is filled again only when the mode changed.
    const std::uint32_t mask = NormalVideo ? Black : Green;
    if (mask != CellMask) {
        CellBitmap->Clear(mask);
        CellMask = mask;
    }
    CellBitmap->DrawTo(ScreenBitmap, dst, Cell(0, 0, dst.Right - dst.Left, 16));
}

void TQJ47R::RedrawText() {
    const int cells = (Columns80 ? TextColumns80 : TextColumns40) * TextRows;
    for (int p = 0; p < cells; ++p)
        WriteText(p, TextVram[p]);
}

void TQJ47R::WriteGraphics(int offset, std::uint8_t value) {
    const int o = offset & 0x1FFF;
    gfx::TBitmap32* plane;
    std::uint8_t drawn = value;
    if (Plane1Selected && Setting.Graphics1) {
        GraphicsRam1[o] = value;
        plane = Plane1Image.get();
    } else {
        // Plane II only gains bits through the window; an absent plane stores nothing.
        if (Plane2Selected && Setting.Graphics2) {
            GraphicsRam2[o] |= value;
            drawn = GraphicsRam2[o];
        }
        plane = Plane2Image.get();
    }

    const int x0 = (o % GraphicsBytesPerLine) * 16, y = (o / GraphicsBytesPerLine) * 2;
    for (int b = 0; b < 8; ++b)
        Dot(*plane, (drawn & (1 << b)) ? Green : Black, x0 + 2 * b, y, 2, Setting.ScanDouble);

    if (!Plane1Shown && !Plane2Shown) return;
    const int r = o / (GraphicsBytesPerLine * GraphicsLinesPerTextRow), c = o % GraphicsBytesPerLine;
    if (Columns80) {
        const int p = r * TextColumns80 + 2 * c;
        if (p < TextColumns80 * TextRows) {
            WriteText(p, TextVram[p]);
            WriteText(p + 1, TextVram[p + 1]);
        }
    } else {
        const int p = r * TextColumns40 + c;
        if (p < TextColumns40 * TextRows) WriteText(p, TextVram[p]);
    }
}

void TQJ47R::MaxCombine(std::uint32_t F, std::uint32_t& B, std::uint32_t) { B = gfx::ColorMax(F, B); }

void TQJ47R::XorCombine(std::uint32_t F, std::uint32_t& B, std::uint32_t) { B = (F ^ B) & 0x00FFFFFFu; }
