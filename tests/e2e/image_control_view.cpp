// A window that shows a 640 x 400 TImage32 the way the emulator shows the
// machine's screen: eight colour bands drawn with alpha 0, and after a moment
// one black 8 x 16 cell drawn into the bitmap, which the next paint shows.
// Runs until closed (or for a minute at most).
#include <QTimer>

#include "gfx/controls/image32.h"
#include "gfx/gfx.h"
#include "platform_qt/guarded.h"

int main(int argc, char** argv) {
    platform_qt::GuardedApplication App(argc, argv);
    gfx::GfxInitialize();
    int Status = 0;
    {
        gfx::TImage32 Screen;
        Screen.setWindowTitle("Image control check");
        Screen.SetBounds(0, 0, 640, 400);
        gfx::TBitmap32& Bitmap = *Screen.Bitmap();
        Bitmap.SetSize(640, 400);
        const gfx::TColor32 Bands[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,
                                       0xFFFF00, 0x00FFFF, 0xFF00FF, 0x808080};
        for (int I = 0; I < 8; ++I)
            Bitmap.FillRectS(I * 80, 0, I * 80 + 80, 400, Bands[I]);
        Screen.show();
        QTimer::singleShot(500, [&] { Bitmap.FillRectS(280, 192, 288, 208, 0x000000); });
        QTimer::singleShot(60000, [] { QCoreApplication::quit(); });
        Status = App.exec();
    }
    gfx::GfxFinalize();
    return Status;
}
