#include "platform_qt/lamp.h"

#include <QPainter>

namespace platform_qt {

TLamp::TLamp(QWidget* parent) : QWidget(parent), Color_(palette().color(QPalette::Button)) {}

void TLamp::SetColor(const QColor& color) {
    if (color == Color_) return;
    Color_ = color;
    update();
}

void TLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Color_);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace platform_qt
