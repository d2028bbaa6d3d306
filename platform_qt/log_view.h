// A memo for a diagnostic log that grows by thousands of lines a second: it
// keeps the newest lines as text and draws only the lines in view, so adding
// a line costs the same however long the log is. Lines added are shown at the
// next Refresh, which updates the scroll range and repaints once. A view
// scrolled to the end follows the new lines; one scrolled back keeps showing
// the same lines while older ones are dropped.
#pragma once

#include "platform/bounded_log.h"

#include <QAbstractScrollArea>
#include <algorithm>
#include <cstddef>
#include <string>

namespace platform_qt {

class TLogView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    explicit TLogView(QWidget* parent = nullptr);

    // Keeps at most maxLines lines, the newest; empties the view.
    void SetMaxLines(std::size_t maxLines);
    std::size_t MaxLines() const { return Log.Capacity(); }

    // Adds a line at the end; it shows at the next Refresh.
    void Append(std::string line);
    // Shows the lines added since the last Refresh.
    void Refresh();
    void Clear();

    // The lines kept, oldest first.
    const std::deque<std::string>& Lines() const { return Log.Contents(); }
    // Lines added since the last Refresh that are still kept.
    std::size_t PendingLines() const { return std::min(Pending, Log.Size()); }
    // Index of the first line in view, and how many whole lines fit.
    int TopLine() const;
    int VisibleLines() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void UpdateScrollRange(int droppedLines);

    TBoundedLog Log;
    std::size_t Pending = 0;
    std::size_t DroppedBefore = 0; // Log.DroppedLines() at the last Refresh
    std::size_t LongestLine = 0;   // characters; never shrinks
};

} // namespace platform_qt
