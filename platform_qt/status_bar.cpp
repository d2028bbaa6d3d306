#include "platform_qt/status_bar.h"

#include <QPainter>
#include <utility>

namespace platform_qt {

void TStatusCanvas::FillRect(const QRect& rect) { Painter.fillRect(rect, BrushColor); }

void TStatusCanvas::TextOut(int x, int y, const QString& text) {
    Painter.setPen(FontColor);
    Painter.drawText(QPoint(x, y + Painter.fontMetrics().ascent()), text);
}

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {}

void TStatusBar::SetPanels(std::vector<TStatusPanel> panels) {
    Panels_ = std::move(panels);
    update();
}

QRect TStatusBar::PanelFrame(int index) const {
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += Panels_[std::size_t(i)].Width;
    const int gap = index > 0 ? PanelGap : 0;
    return QRect(left + gap, TopBorder, Panels_[std::size_t(index)].Width - gap, height() - TopBorder);
}

QRect TStatusBar::PanelRect(int index) const {
    if (index < 0 || std::size_t(index) >= Panels_.size()) return {};
    return PanelFrame(index).adjusted(1, 1, -1, -1);
}

QSize TStatusBar::sizeHint() const {
    int width = 0;
    for (const TStatusPanel& panel : Panels_)
        width += panel.Width;
    return {width, 19};
}

void TStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    for (int i = 0; std::size_t(i) < Panels_.size(); ++i) {
        const TStatusPanel& panel = Panels_[std::size_t(i)];
        const QRect frame = PanelFrame(i);
        if (panel.Bevel == TPanelBevel::Lowered) {
            // Shadow on the top and left edges, highlight on the bottom and right.
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawLine(frame.topLeft(), frame.topRight());
            painter.drawLine(frame.topLeft(), frame.bottomLeft());
            painter.setPen(palette().color(QPalette::Light));
            painter.drawLine(frame.bottomLeft(), frame.bottomRight());
            painter.drawLine(frame.topRight(), frame.bottomRight());
        }
        const QRect inside = PanelRect(i);
        painter.save();
        painter.setClipRect(inside);
        if (panel.Style == TPanelStyle::OwnerDraw) {
            if (OnDrawPanel) {
                TStatusCanvas canvas(painter);
                canvas.BrushColor = palette().color(QPalette::Button);
                OnDrawPanel(this, i, canvas, inside);
            }
        } else {
            painter.setPen(palette().color(QPalette::ButtonText));
            painter.drawText(inside, Qt::AlignCenter, panel.Text);
        }
        painter.restore();
    }
}

} // namespace platform_qt
