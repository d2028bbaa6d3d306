// Video: every write into video memory is rendered at once into the screen
// bitmap. A text cell is its glyph from the font bitmap, with the shown
// graphics planes mixed in and the reverse-video mask applied over it.
#include "machine/qj47r.h"

#include "gfx/gfx.h"

#include <cstring>

namespace {

constexpr int ScreenWidth = 640, ScreenHeight = 400;
constexpr int GraphicsBytesPerLine = 40;
constexpr int GraphicsLinesPerTextRow = 8;

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
    if (Columns80) {
        if (p < TextColumns80 * TextRows) DrawCell<TextColumns80>(p, v);
    } else {
        if (p < TextColumns40 * TextRows) DrawCell<TextColumns40>(p, v);
    }
}

void TQJ47R::MaxCombine(std::uint32_t F, std::uint32_t& B, std::uint32_t) { B = gfx::ColorMax(F, B); }

void TQJ47R::XorCombine(std::uint32_t F, std::uint32_t& B, std::uint32_t) { B = (F ^ B) & 0x00FFFFFFu; }

// A cell is its glyph copied from the font bitmap, each shown plane mixed in
// (plane I by per-channel maximum, so lit dots light the cell; plane II
// blended at half weight, so dark dots darken it) and the reverse-video mask
// applied: the screen pixels depend on nothing else, so a cell drawn again
// with the same glyph and modes over unchanged planes is left as it is.
template <int Columns> void TQJ47R::DrawCell(int p, std::uint8_t g) {
    constexpr bool wide = Columns == TextColumns40;
    constexpr int w = wide ? 16 : 8, h = 16;
    const std::uint16_t key = CellKey(g);
    std::uint16_t& drawn = wide ? Drawn40[p] : Drawn80[p];
    if (drawn == key) return;
    gfx::TBitmap32& screen = *ScreenBitmap;
    if (screen.Width() != ScreenWidth || screen.Height() != ScreenHeight) return;

    // The cells of the other width under this one no longer show what they held.
    const int row = p / Columns, column = p % Columns;
    if (wide) {
        Drawn80[row * TextColumns80 + 2 * column] = 0;
        Drawn80[row * TextColumns80 + 2 * column + 1] = 0;
    } else {
        Drawn40[row * TextColumns40 + column / 2] = 0;
    }
    drawn = key;

    const gfx::TBitmap32& font = wide ? *Font40Bitmap : *Font80Bitmap;
    const int x = column * w, y = row * h;
    const std::uint32_t mask = NormalVideo ? Black : Green;
    std::uint32_t* out = screen.PixelPtr(x, y);
    const std::uint32_t* glyph = font.PixelPtr((g >> 4) * w, (g & 15) * h);
    const std::uint32_t* plane1 = Plane1Shown ? Plane1Image->PixelPtr(x, y) : nullptr;
    const std::uint32_t* plane2 = Plane2Shown ? Plane2Image->PixelPtr(x, y) : nullptr;
    const int fontStride = font.Width(), planeStride = Plane1Image->Width();
    for (int dy = 0; dy < h; ++dy) {
        // Each row is built apart and stored into the screen whole.
        std::uint32_t pixels[w];
        std::memcpy(pixels, glyph, sizeof pixels);
        if (plane1) {
            for (int i = 0; i < w; ++i)
                MaxCombine(plane1[i], pixels[i], 255);
            plane1 += planeStride;
        }
        if (plane2) {
            gfx::BlendLineEx(plane2, pixels, w, Plane2Weight);
            plane2 += planeStride;
        }
        for (int i = 0; i < w; ++i)
            XorCombine(mask, pixels[i], 255);
        std::memcpy(out, pixels, sizeof pixels);
        glyph += fontStride;
        out += ScreenWidth;
    }
    gfx::EMMS();
    screen.Changed();
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

    // The cells over the byte show the plane's old dots until drawn again.
    const int r = o / (GraphicsBytesPerLine * GraphicsLinesPerTextRow), c = o % GraphicsBytesPerLine;
    if (r < TextRows) {
        Drawn40[r * TextColumns40 + c] = 0;
        Drawn80[r * TextColumns80 + 2 * c] = 0;
        Drawn80[r * TextColumns80 + 2 * c + 1] = 0;
    }

    if (!Plane1Shown && !Plane2Shown) return;
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

std::uint16_t TQJ47R::CellKey(std::uint8_t g) const {
    return static_cast<std::uint16_t>(CellDrawn | g | (NormalVideo ? 0x100 : 0) | (Plane1Shown ? 0x200 : 0) |
                                      (Plane2Shown ? 0x400 : 0));
}
