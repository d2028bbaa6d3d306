// The bitmap object: sizing, events, update nesting, locking, Assign.
#include <atomic>
#include <thread>

#include "gfx_test_support.h"

using namespace gfx;
using gfx_test::EventLog;

TEST(Bitmap32, NewBitmapIsEmptyWithDefaults) {
    TBitmap32 B;
    EXPECT_TRUE(B.Empty());
    EXPECT_EQ(B.Width(), 0);
    EXPECT_EQ(B.Bits(), nullptr);
    EXPECT_EQ(B.Handle(), nullptr);
    EXPECT_EQ(B.DrawMode(), dmOpaque);
    EXPECT_EQ(B.MasterAlpha(), 255u);
    EXPECT_EQ(B.PenColor, 0xFFFFFFFFu);
    EXPECT_EQ(B.StippleStep, 1.0f);
    EXPECT_EQ(B.BitmapInfo().bmiHeader.biSize, 40u);
    EXPECT_EQ(B.BitmapInfo().bmiHeader.biBitCount, 32);
}

TEST(Bitmap32, SetSizeFiresHandleChangeResizeInOrder) {
    EventLog Log;
    TBitmap32 B;
    Log.Attach(B);
    EXPECT_TRUE(B.SetSize(640, 400));
    EXPECT_EQ(Log.Events, (std::vector<std::string>{"handle", "change", "resize"}));
    EXPECT_EQ(B.BitmapInfo().bmiHeader.biWidth, 640);
    EXPECT_EQ(B.BitmapInfo().bmiHeader.biHeight, -400);
    ASSERT_NE(B.Handle(), nullptr);
    EXPECT_EQ(B.Handle()->PixelMemory(), B.Bits());
    EXPECT_EQ(B.ScanLine(1), B.Bits() + 640);

    Log.Events.clear();
    EXPECT_FALSE(B.SetSize(640, 400));
    EXPECT_TRUE(Log.Events.empty());
}

TEST(Bitmap32, NegativeSizeBecomesZeroWithoutPixels) {
    EventLog Log;
    TBitmap32 B;
    Log.Attach(B);
    EXPECT_TRUE(B.SetSize(-5, 3));
    EXPECT_EQ(B.Width(), 0);
    EXPECT_EQ(B.Height(), 3);
    EXPECT_TRUE(B.Empty());
    EXPECT_EQ(B.Bits(), nullptr);
    EXPECT_EQ(Log.Count("change"), 1);
    EXPECT_EQ(Log.Count("resize"), 1);
}

TEST(Bitmap32, OversizedAllocationLeavesBitmapEmpty) {
    EventLog Log;
    TBitmap32 B;
    B.SetSize(4, 4);
    Log.Attach(B);
    for (auto [W, H] :
         {std::pair{100000, 100000}, std::pair{65536, 65536}, std::pair{0x7FFFFFFF, 0x7FFFFFFF}}) {
        try {
            B.SetSize(W, H);
            FAIL() << "no exception for " << W << " x " << H;
        } catch (const platform::Exception& E) {
            EXPECT_STREQ(E.what(), "Can't allocate the DIB handle");
        }
        EXPECT_TRUE(B.Empty());
        EXPECT_EQ(B.Width(), 0);
        EXPECT_EQ(B.Height(), 0);
        EXPECT_EQ(B.Bits(), nullptr);
    }
    // The context was replaced each time, but no change or resize was reported.
    EXPECT_EQ(Log.Count("handle"), 3);
    EXPECT_EQ(Log.Count("change"), 0);
    EXPECT_EQ(Log.Count("resize"), 0);
}

TEST(Bitmap32, ClearFillsAndNotifiesOnce) {
    EventLog Log;
    TBitmap32 B;
    Log.Attach(B);
    B.Clear(0xFF00FF00u);
    EXPECT_TRUE(Log.Events.empty());
    B.SetSize(32, 32);
    Log.Events.clear();
    B.Clear(0xFF00FF00u);
    EXPECT_EQ(Log.Events, std::vector<std::string>{"change"});
    for (int I = 0; I < 32 * 32; ++I)
        ASSERT_EQ(B.Bits()[I], 0xFF00FF00u);
    B.Clear();
    EXPECT_EQ(B.Pixel(31, 31), 0xFF000000u);
}

TEST(Bitmap32, UpdateNestingSilencesChanges) {
    EventLog Log;
    TBitmap32 B;
    B.SetSize(4, 4);
    Log.Attach(B);
    B.BeginUpdate();
    B.BeginUpdate();
    B.Clear(1);
    B.EndUpdate();
    B.Clear(2);
    B.EndUpdate();
    EXPECT_TRUE(Log.Events.empty());
    B.Clear(3);
    EXPECT_EQ(Log.Count("change"), 1);
    try {
        B.EndUpdate();
        FAIL();
    } catch (const platform::EAssertionFailed& E) {
        EXPECT_STREQ(E.what(), "Unpaired TThreadPersistent.EndUpdate");
    }
    EXPECT_EQ(B.UpdateCount(), 0);
}

TEST(Bitmap32, SettersNotifyOnlyOnDifference) {
    EventLog Log;
    TBitmap32 B;
    Log.Attach(B);
    B.SetMasterAlpha(127);
    B.SetMasterAlpha(127);
    B.SetMasterAlpha(300);
    EXPECT_EQ(B.MasterAlpha(), 300u);
    B.SetDrawMode(dmBlend);
    B.SetDrawMode(dmBlend);
    B.SetStretchFilter(sfLinear);
    B.SetStretchFilter(sfLinear);
    B.OuterColor = 5;
    EXPECT_EQ(Log.Count("change"), 4);
}

TEST(Bitmap32, ResetAlphaKeepsColours) {
    TBitmap32 B;
    B.SetSize(2, 1);
    B.SetPixel(0, 0, 0x00123456);
    B.SetPixel(1, 0, 0x80ABCDEF);
    B.ResetAlpha();
    EXPECT_EQ(B.Pixel(0, 0), 0xFF123456u);
    EXPECT_EQ(B.Pixel(1, 0), 0xFFABCDEFu);
}

TEST(Bitmap32, AssignCopiesPixelsAndDrawingProperties) {
    EventLog Log;
    TBitmap32 Src, Dst;
    Src.SetSize(3, 2);
    gfx_test::FillMarkers(Src);
    Src.SetPixel(0, 0, 0x12345678);
    Src.SetDrawMode(dmBlend);
    Src.SetMasterAlpha(77);
    Src.OuterColor = 0xABCDEF01;
    Src.SetStretchFilter(sfSpline);
    Src.PenColor = 1;
    Dst.PenColor = 2;
    Log.Attach(Dst);
    Dst.Assign(&Src);
    EXPECT_EQ(Log.Count("change"), 1);
    ASSERT_EQ(Dst.Width(), 3);
    ASSERT_EQ(Dst.Height(), 2);
    for (int Y = 0; Y < 2; ++Y)
        for (int X = 0; X < 3; ++X)
            EXPECT_EQ(Dst.Pixel(X, Y), Src.Pixel(X, Y));
    EXPECT_EQ(Dst.DrawMode(), dmBlend);
    EXPECT_EQ(Dst.MasterAlpha(), 77u);
    EXPECT_EQ(Dst.OuterColor, 0xABCDEF01u);
    EXPECT_EQ(Dst.StretchFilter(), sfSpline);
    EXPECT_EQ(Dst.PenColor, 2u);

    // From an empty bitmap: emptied, properties kept.
    TBitmap32 Empty;
    Dst.Assign(&Empty);
    EXPECT_TRUE(Dst.Empty());
    EXPECT_EQ(Dst.MasterAlpha(), 77u);

    // From null: emptied, one change.
    Dst.SetSize(2, 2);
    Log.Events.clear();
    Dst.Assign(nullptr);
    EXPECT_TRUE(Dst.Empty());
    EXPECT_EQ(Log.Count("change"), 1);
    EXPECT_EQ(Log.Events.back(), "change"); // after the update closed
}

TEST(Bitmap32, AssignFromUnsupportedClassRaisesConversionError) {
    class TOther : public TPersistent {
      public:
        std::string ClassName() const override { return "TOther"; }
    } Other;
    EventLog Log;
    TBitmap32 B;
    Log.Attach(B);
    try {
        B.Assign(&Other);
        FAIL();
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "Cannot assign a TOther to a TBitmap32");
    }
    EXPECT_EQ(B.UpdateCount(), 0);
    EXPECT_EQ(Log.Count("change"), 1);
}

TEST(Bitmap32, SetSizeFromMapsAndUnsupportedClasses) {
    TBitmap32 A, B;
    A.SetSize(7, 9);
    EXPECT_TRUE(B.SetSizeFrom(&A));
    EXPECT_EQ(B.Width(), 7);
    EXPECT_EQ(B.Height(), 9);
    EXPECT_TRUE(B.SetSizeFrom(nullptr));
    EXPECT_TRUE(B.Empty());
    TFont Font;
    try {
        B.SetSizeFrom(&Font);
        FAIL();
    } catch (const platform::Exception& E) {
        EXPECT_STREQ(E.what(), "Can't set size from 'TFont'");
    }
}

TEST(Bitmap32, DestructionFiresResizeButNotChange) {
    EventLog Log;
    {
        TBitmap32 B;
        B.SetSize(10, 10);
        Log.Attach(B);
    }
    EXPECT_EQ(Log.Count("resize"), 1);
    EXPECT_EQ(Log.Count("change"), 0);
}

TEST(Bitmap32, CanvasFollowsHandleAndReportsChanges) {
    EventLog Log;
    TBitmap32 B;
    B.SetSize(2, 2);
    EXPECT_FALSE(B.CanvasAllocated());
    TCanvas* C = B.GetCanvas();
    EXPECT_EQ(C->Handle(), B.Handle());
    B.SetSize(3, 3);
    EXPECT_EQ(C->Handle(), B.Handle());
    Log.Attach(B);
    C->Changed();
    EXPECT_EQ(Log.Count("change"), 1);
    B.DeleteCanvas();
    EXPECT_FALSE(B.CanvasAllocated());
}

TEST(Bitmap32, FontChangeDeselectsTheFont) {
    TBitmap32 B;
    B.SetSize(2, 2);
    B.UpdateFont();
    EXPECT_NE(B.FontHandle(), 0u);
    B.Font().SetSize(12);
    EXPECT_EQ(B.FontHandle(), 0u);
    EXPECT_EQ(B.Handle()->SelectedFont, StockFont);
}

TEST(Bitmap32, LockSerialisesHolders) {
    TBitmap32 B;
    B.Lock();
    B.Lock(); // re-entrant for the holder
    EXPECT_EQ(B.LockCount(), 2);
    std::atomic<bool> Entered = false;
    std::thread Other([&] {
        B.Lock();
        Entered = true;
        B.Unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(Entered);
    B.Unlock();
    B.Unlock();
    Other.join();
    EXPECT_TRUE(Entered);
    EXPECT_EQ(B.LockCount(), 0);
}

TEST(Gfx, StartUpSetsGammaAndStockObjects) {
    EXPECT_TRUE(GfxInitialized());
    EXPECT_EQ(GAMMA_TABLE[64], 97);
    EXPECT_EQ(StockFont, kSystemFontHandle);
    ASSERT_NE(StockBitmap, nullptr);
    EXPECT_EQ(StockBitmap->Width(), 8);
    EXPECT_EQ(StockBitmap->Height(), 8);
    EXPECT_EQ(MMX_ACTIVE, HasMMX());
    EXPECT_FALSE(USE_THEMES);
}
