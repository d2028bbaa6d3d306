#include "platform_qt/text_renderer.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "gfx/low_level.h"
#include "platform/exceptions.h"

namespace platform_qt {

namespace {
constexpr int kDotsPerMeter96 = 3780; // 96 dpi
constexpr int kMaxPixelSize = 4096;

void RequireApplication() {
    if (!QGuiApplication::instance())
        throw platform::Exception("Text output needs the application object (QGuiApplication)");
}

QImage Dpi96(QImage Image) {
    Image.setDotsPerMeterX(kDotsPerMeter96);
    Image.setDotsPerMeterY(kDotsPerMeter96);
    return Image;
}

// The measuring device: fonts measure as they draw on a 96 dpi image.
const QImage& MeasuringImage() {
    static const QImage Image = Dpi96(QImage(1, 1, QImage::Format_RGB32));
    return Image;
}

// A view of the context's pixels as RGB32 (null when it has none).
QImage PixelImage(gfx::TDeviceContext& DC) {
    if (!DC.PixelMemory() || DC.Width() <= 0 || DC.Height() <= 0) return QImage();
    return Dpi96(QImage(reinterpret_cast<uchar*>(DC.PixelMemory()), DC.Width(), DC.Height(), DC.Width() * 4,
                        QImage::Format_RGB32));
}

void PreparePainter(QPainter& P, const gfx::TFont& Font) {
    P.setRenderHint(QPainter::TextAntialiasing, false);
    P.setRenderHint(QPainter::Antialiasing, false);
    P.setFont(ToQFont(Font));
    P.setPen(QColor::fromRgb(Font.Color() & 0x00FFFFFF));
}

QRect ToQRect(const gfx::TRect& R) {
    return QRect(QPoint(R.Left, R.Top), QSize(std::max(0, R.Right - R.Left), std::max(0, R.Bottom - R.Top)));
}

int QtFlags(uint32_t Flags) {
    int Q = (Flags & gfx::DT_CENTER)  ? Qt::AlignHCenter
            : (Flags & gfx::DT_RIGHT) ? Qt::AlignRight
                                      : Qt::AlignLeft;
    if (Flags & gfx::DT_SINGLELINE) {
        Q |= Qt::TextSingleLine;
        Q |= (Flags & gfx::DT_VCENTER)  ? Qt::AlignVCenter
             : (Flags & gfx::DT_BOTTOM) ? Qt::AlignBottom
                                        : Qt::AlignTop;
    } else {
        Q |= Qt::AlignTop;
    }
    if (Flags & gfx::DT_WORDBREAK) Q |= Qt::TextWordWrap;
    if (Flags & gfx::DT_EXPANDTABS) Q |= Qt::TextExpandTabs;
    if (!(Flags & gfx::DT_NOPREFIX)) Q |= Qt::TextShowMnemonic;
    return Q;
}
} // namespace

QFont ToQFont(const gfx::TFont& Font) {
    QFont Q(QString::fromStdString(Font.Name()));
    const int32_t Points = Font.Size() == INT32_MIN ? INT32_MAX : std::abs(Font.Size());
    Q.setPixelSize(std::clamp(gfx::MulDiv(Points, 96, 72), 1, kMaxPixelSize));
    Q.setBold(Font.Style() & gfx::fsBold);
    Q.setItalic(Font.Style() & gfx::fsItalic);
    Q.setUnderline(Font.Style() & gfx::fsUnderline);
    Q.setStrikeOut(Font.Style() & gfx::fsStrikeOut);
    Q.setKerning(false);
    Q.setStyleStrategy(QFont::NoAntialias);
    return Q;
}

gfx::TSize TQtTextRenderer::TextExtent(const gfx::TFont& Font, const std::string& Text) {
    RequireApplication();
    const QFontMetrics Metrics(ToQFont(Font), &MeasuringImage());
    return {Metrics.horizontalAdvance(QString::fromStdString(Text)), Metrics.height()};
}

void TQtTextRenderer::TextOut(gfx::TDeviceContext& DC, const gfx::TFont& Font, int32_t X, int32_t Y,
                              const gfx::TRect* Clip, const std::string& Text) {
    RequireApplication();
    QImage Image = PixelImage(DC);
    if (Image.isNull()) return;
    QPainter P(&Image);
    PreparePainter(P, Font);
    if (Clip) P.setClipRect(ToQRect(*Clip));
    // (X, Y) is the top-left corner of the line; Qt draws from the baseline.
    P.drawText(QPointF(X, qreal(Y) + P.fontMetrics().ascent()), QString::fromStdString(Text));
}

void TQtTextRenderer::DrawText(gfx::TDeviceContext& DC, const gfx::TFont& Font, const gfx::TRect& Rect,
                               uint32_t Flags, const std::string& Text) {
    RequireApplication();
    if (Flags & gfx::DT_CALCRECT) return;
    QImage Image = PixelImage(DC);
    if (Image.isNull()) return;
    QPainter P(&Image);
    PreparePainter(P, Font);
    if (!(Flags & gfx::DT_NOCLIP)) P.setClipRect(ToQRect(Rect));
    P.drawText(ToQRect(Rect), QtFlags(Flags) | Qt::TextDontClip, QString::fromStdString(Text));
}

void InstallQtTextRenderer() {
    static TQtTextRenderer Renderer;
    gfx::SetTextRenderer(&Renderer);
}

} // namespace platform_qt
