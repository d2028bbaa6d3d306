#include "platform_qt/log_view.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace platform_qt {

namespace {
constexpr int Margin = 2;
}

TLogView::TLogView(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
}

void TLogView::SetMaxLines(std::size_t maxLines) {
    Log = TBoundedLog(maxLines);
    Pending = DroppedBefore = LongestLine = 0;
    UpdateScrollRange(0);
    viewport()->update();
}

void TLogView::Append(std::string line) {
    LongestLine = std::max(LongestLine, line.size());
    Log.Append(std::move(line));
    ++Pending;
}

void TLogView::Refresh() {
    if (Pending == 0) return;
    const std::size_t dropped = Log.DroppedLines() - DroppedBefore;
    DroppedBefore = Log.DroppedLines();
    Pending = 0;
    UpdateScrollRange(static_cast<int>(std::min<std::size_t>(dropped, Log.Capacity())));
    viewport()->update();
}

void TLogView::Clear() { SetMaxLines(Log.Capacity()); }

int TLogView::TopLine() const { return verticalScrollBar()->value(); }

int TLogView::VisibleLines() const {
    return std::max(1, (viewport()->height() - 2 * Margin) / fontMetrics().lineSpacing());
}

void TLogView::UpdateScrollRange(int droppedLines) {
    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    const int top = bar->value() - droppedLines;
    const int visible = VisibleLines();
    bar->setRange(0, std::max(0, static_cast<int>(Log.Size()) - visible));
    bar->setPageStep(visible);
    bar->setValue(following ? bar->maximum() : std::max(0, top));

    const int textWidth = static_cast<int>(LongestLine) * fontMetrics().horizontalAdvance(QLatin1Char('0'));
    QScrollBar* across = horizontalScrollBar();
    across->setRange(0, std::max(0, textWidth + 2 * Margin - viewport()->width()));
    across->setPageStep(viewport()->width());
}

void TLogView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange(0);
}

void TLogView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateScrollRange(0);
}

void TLogView::scrollContentsBy(int, int) { viewport()->update(); }

void TLogView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const QFontMetrics metrics = fontMetrics();
    const int step = metrics.lineSpacing();
    const int x = Margin - horizontalScrollBar()->value();
    // The lines as of the last Refresh: those added since are not shown yet,
    // and those dropped since shift the rest up.
    const auto& lines = Log.Contents();
    const std::size_t shown = lines.size() - PendingLines();
    const std::size_t droppedSince = Log.DroppedLines() - DroppedBefore;
    const std::size_t top = static_cast<std::size_t>(TopLine());
    const std::size_t first = top > droppedSince ? top - droppedSince : 0;
    // One more line than fits whole: the part of it that shows at the bottom.
    const std::size_t last = std::min(shown, first + static_cast<std::size_t>(VisibleLines()) + 1);
    int y = Margin + metrics.ascent();
    for (std::size_t i = first; i < last; ++i, y += step)
        painter.drawText(x, y, QString::fromStdString(lines[i]));
}

} // namespace platform_qt
