// A status bar of fixed-width panels in the classic look: each panel sits in
// a lowered bevel (or none), holds a centred text, or is drawn by its owner
// through OnDrawPanel with a canvas of brush and font colours. Panels lie left
// to right, two pixels apart, below a two-pixel top border.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class QPainter;

namespace platform_qt {

enum class TPanelStyle { Text, OwnerDraw };
enum class TPanelBevel { Lowered, None };

struct TStatusPanel {
    QString Text;
    int Width = 50;
    TPanelStyle Style = TPanelStyle::Text;
    TPanelBevel Bevel = TPanelBevel::Lowered;
};

// What an owner-drawn panel draws with: the brush colour fills, the font
// colour writes.
class TStatusCanvas {
  public:
    explicit TStatusCanvas(QPainter& painter) : Painter(painter) {}

    QColor BrushColor;
    QColor FontColor{Qt::black};

    void FillRect(const QRect& rect);
    // The text's top edge at y, without a background.
    void TextOut(int x, int y, const QString& text);

    QPainter& Painter;
};

class TStatusBar : public QWidget {
    Q_OBJECT

  public:
    static constexpr int TopBorder = 2, PanelGap = 2;

    explicit TStatusBar(QWidget* parent = nullptr);

    const std::vector<TStatusPanel>& Panels() const { return Panels_; }
    void SetPanels(std::vector<TStatusPanel> panels);

    // The inside of panel `index`'s bevel: what its owner draws on.
    QRect PanelRect(int index) const;

    // Draws an owner-drawn panel: the bar, the panel's number, the canvas and
    // the panel's rectangle.
    using TDrawPanelEvent =
        std::function<void(TStatusBar* StatusBar, int Panel, TStatusCanvas& Canvas, const QRect& Rect)>;
    TDrawPanelEvent OnDrawPanel;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // The panel with its bevel.
    QRect PanelFrame(int index) const;

    std::vector<TStatusPanel> Panels_;
};

} // namespace platform_qt
