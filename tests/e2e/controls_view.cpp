// A window with the graphics library's bars and image views: range and gauge
// bars in both looks (one disabled), an image view scrolled over a bitmap
// larger than itself that holds a bitmap layer under a rubber band, and an
// image view that centres a small bitmap. Runs until closed (a minute at most).
#include <QTimer>
#include <QWidget>

#include "gfx/controls/gauge_bar.h"
#include "gfx/controls/img_view32.h"
#include "gfx/controls/range_bar.h"
#include "gfx/controls/rubberband_layer.h"
#include "gfx/gfx.h"
#include "platform_qt/guarded.h"

namespace {
// A picture of 20-pixel squares in two colour ramps.
void FillSquares(gfx::TBitmap32& B, int W, int H) {
    B.SetSize(W, H);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            B.SetPixel(X, Y,
                       ((X / 20 + Y / 20) & 1) ? gfx::Color32(uint8_t(X * 255 / W), 80, uint8_t(Y * 255 / H))
                                               : gfx::Color32(230, 230, 210));
    B.Changed();
}
} // namespace

int main(int argc, char** argv) {
    platform_qt::GuardedApplication App(argc, argv);
    gfx::GfxInitialize();
    int Status = 0;
    {
        QWidget Form;
        Form.setWindowTitle("Graphics controls check");
        Form.resize(640, 400);
        Form.setObjectName("Form");

        auto* Range = new gfx::TRangeBar(&Form);
        Range->setObjectName("RangeClassic");
        Range->SetBounds(10, 10, 300, 18);
        Range->SetParams(1000, 200);
        Range->SetPosition(300);

        auto* RangeMac = new gfx::TRangeBar(&Form);
        RangeMac->setObjectName("RangeMac");
        RangeMac->SetStyle(gfx::rbsMac);
        RangeMac->SetBounds(10, 36, 300, 18);
        RangeMac->SetParams(1000, 200);
        RangeMac->SetPosition(600);

        auto* Gauge = new gfx::TGaugeBar(&Form);
        Gauge->setObjectName("GaugeClassic");
        Gauge->SetBounds(330, 10, 300, 18);
        Gauge->SetPosition(25);

        auto* GaugeMac = new gfx::TGaugeBar(&Form);
        GaugeMac->setObjectName("GaugeMac");
        GaugeMac->SetStyle(gfx::rbsMac);
        GaugeMac->SetBackgnd(gfx::bgSolid);
        GaugeMac->SetBounds(330, 36, 300, 18);
        GaugeMac->SetPosition(75);

        auto* GaugeOff = new gfx::TGaugeBar(&Form);
        GaugeOff->setObjectName("GaugeDisabled");
        GaugeOff->SetStyle(gfx::rbsMac);
        GaugeOff->SetBounds(330, 62, 300, 18);
        GaugeOff->SetEnabled(false);

        auto* Vertical = new gfx::TGaugeBar(&Form);
        Vertical->setObjectName("GaugeVertical");
        Vertical->SetKind(gfx::sbVertical);
        Vertical->SetBounds(610, 90, 18, 300);
        Vertical->SetPosition(40);

        auto* Big = new gfx::TImgView32(&Form);
        Big->setObjectName("ViewLarge");
        Big->ScrollBars()->SetSize(16);
        Big->SetBounds(10, 90, 300, 300);
        Big->SetSizeGrip(gfx::sgAlways);
        FillSquares(*Big->Bitmap(), 500, 400);
        auto* Picture = Big->Layers()->Add<gfx::TBitmapLayer>();
        FillSquares(*Picture->Bitmap(), 60, 40);
        Picture->Bitmap()->Clear(gfx::Color32(40, 160, 40));
        Picture->SetScaled(true);
        auto* Band = Big->Layers()->Add<gfx::TRubberbandLayer>();
        Band->SetChildLayer(Picture);
        Band->SetLocation({160, 120, 280, 200});

        auto* Small = new gfx::TImgView32(&Form);
        Small->setObjectName("ViewSmall");
        Small->ScrollBars()->SetSize(16);
        Small->ScrollBars()->SetStyle(gfx::rbsMac);
        Small->SetBounds(330, 90, 270, 300);
        FillSquares(*Small->Bitmap(), 120, 80);

        Form.show();
        QTimer::singleShot(60000, [] { QCoreApplication::quit(); });
        Status = App.exec();
    }
    gfx::GfxFinalize();
    return Status;
}
