#include "platform_qt/canvas.h"

#include <QFontDatabase>

namespace platform_qt {

QImage TQtCanvas::PixelImage() const {
    gfx::TDeviceContext* DC = Handle();
    if (!DC || !DC->PixelMemory()) return QImage();
    return QImage(reinterpret_cast<uchar*>(DC->PixelMemory()), DC->Width(), DC->Height(), DC->Width() * 4,
                  QImage::Format_ARGB32);
}

void InstallQtCanvas() {
    gfx::CanvasFactory = []() -> gfx::TCanvas* { return new TQtCanvas; };
}

QFont StockSystemFont() {
    QFont Font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    Font.setStyleStrategy(QFont::NoAntialias);
    return Font;
}

} // namespace platform_qt
