// The canvas the bitmaps get under Qt: it follows the bitmap's context and
// paints on its pixels through a QImage view; and the stock system font.
#pragma once

#include <QFont>
#include <QImage>

#include "gfx/canvas.h"

namespace platform_qt {

class TQtCanvas : public gfx::TCanvas {
  public:
    std::string ClassName() const override { return "TCanvas"; }
    // A view of the context's pixels (null when the context has none).
    QImage PixelImage() const;
};

// Makes the bitmaps' canvases TQtCanvas objects.
void InstallQtCanvas();

// The window system's stock system font, at 96 dpi.
QFont StockSystemFont();

} // namespace platform_qt
