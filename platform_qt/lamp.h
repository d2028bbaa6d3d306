// A round lamp, 14 x 14 pixels on the forms: a circle filled with the lamp's
// colour inside a thin black outline. It starts in the button face colour of
// its palette, the look of a lamp that is off.
#pragma once

#include <QColor>
#include <QWidget>

namespace platform_qt {

class TLamp : public QWidget {
    Q_OBJECT

  public:
    explicit TLamp(QWidget* parent = nullptr);

    QColor Color() const { return Color_; }
    // Repaints only when the colour changes.
    void SetColor(const QColor& color);

    QSize sizeHint() const override { return {14, 14}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor Color_;
};

} // namespace platform_qt
