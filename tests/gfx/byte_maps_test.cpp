// Byte maps: sizing, values and the conversions to and from TBitmap32.
#include "gfx_test_support.h"

using namespace gfx;
using gfx_test::EventLog;

namespace {
struct MapLog {
    std::vector<std::string> Events;
    void Attach(TByteMap& M) {
        M.OnChange = [this](TObject*) { Events.push_back("change"); };
        M.OnResize = [this](TObject*) { Events.push_back("resize"); };
    }
};
constexpr TColor32 kPixel = 0x40306090; // alpha 0x40, red 0x30, green 0x60, blue 0x90
} // namespace

TEST(ByteMap, SizingKeepsBytesInArrayOrder) {
    TByteMap M;
    EXPECT_TRUE(M.Empty());
    EXPECT_EQ(M.Width(), 0);
    M.SetSize(3, 2);
    EXPECT_FALSE(M.Empty());
    for (int I = 0; I < 6; ++I) {
        EXPECT_EQ(M.Bits()[I], 0);
        M.Bits()[I] = uint8_t(I + 1);
    }
    M.SetSize(2, 3);
    EXPECT_EQ(std::vector<uint8_t>(M.Bits(), M.Bits() + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(M.GetValue(1, 2), 6);
    M.SetSize(4, 2); // grown: the added bytes are 0
    EXPECT_EQ(M.Bits()[5], 6);
    EXPECT_EQ(M.Bits()[7], 0);
    M.SetValue(3, 1, 9);
    EXPECT_EQ(*M.GetValPtr(3, 1), 9);
    M.SetSize(5, 0);
    EXPECT_TRUE(M.Empty());
    EXPECT_EQ(M.Width(), 5);
    EXPECT_THROW(M.SetSize(100000, 100000), platform::EOutOfResources);
}

TEST(ByteMap, ClearFillsAndNotifiesOnce) {
    MapLog Log;
    TByteMap M;
    M.SetSize(4, 4);
    Log.Attach(M);
    M.Clear(0x5A);
    for (int I = 0; I < 16; ++I)
        EXPECT_EQ(M.Bits()[I], 0x5A);
    EXPECT_EQ(Log.Events, (std::vector<std::string>{"change"}));
}

TEST(ByteMap, ReadFromEveryConversion) {
    TBitmap32 B;
    B.SetSize(1, 1);
    B.SetPixel(0, 0, kPixel);
    const std::pair<TConversionType, int> Cases[] = {{ctRed, 0x30},      {ctGreen, 0x60},
                                                     {ctBlue, 0x90},     {ctAlpha, 0x40},
                                                     {ctUniformRGB, 96}, {ctWeightedRGB, 88}};
    for (auto [Conversion, Want] : Cases) {
        MapLog Log;
        TByteMap M;
        Log.Attach(M);
        M.ReadFrom(B, Conversion);
        EXPECT_EQ(M.GetValue(0, 0), Want) << int(Conversion);
        // The resize inside the update reports only OnResize; one change at the end.
        EXPECT_EQ(Log.Events, (std::vector<std::string>{"resize", "change"}));
    }
}

TEST(ByteMap, WriteToOneChannelOrGrey) {
    TByteMap M;
    M.SetSize(2, 1);
    M.SetValue(0, 0, 0);
    M.SetValue(1, 0, 255);
    struct Case {
        TConversionType Conversion;
        TColor32 Want0, Want1;
    };
    const Case Cases[] = {
        {ctRed, 0x40006090, 0x40FF6090},        {ctGreen, 0x40300090, 0x4030FF90},
        {ctBlue, 0x40306000, 0x403060FF},       {ctAlpha, 0x00306090, 0xFF306090},
        {ctUniformRGB, 0xFF000000, 0xFFFFFFFF}, {ctWeightedRGB, 0xFF000000, 0xFFFFFFFF},
    };
    for (const Case& C : Cases) {
        EventLog Log;
        TBitmap32 B;
        B.SetSize(2, 1);
        B.Clear(kPixel);
        Log.Attach(B);
        M.WriteTo(B, C.Conversion);
        EXPECT_EQ(B.Pixel(0, 0), C.Want0) << int(C.Conversion);
        EXPECT_EQ(B.Pixel(1, 0), C.Want1) << int(C.Conversion);
        EXPECT_EQ(Log.Events, (std::vector<std::string>{"change"})) << int(C.Conversion);
    }
    // Into another size: the resize inside the update reports its new handle
    // and OnResize; one change at the end, and Resized once more after it.
    EventLog Log;
    TBitmap32 B;
    B.SetSize(3, 3);
    Log.Attach(B);
    M.WriteTo(B, ctAlpha);
    EXPECT_EQ(B.Width(), 2);
    EXPECT_EQ(B.Pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(Log.Events, (std::vector<std::string>{"handle", "resize", "change", "resize"}));
}

TEST(ByteMap, WriteToThroughAPalette) {
    TPalette32 Palette;
    for (int I = 0; I < 256; ++I)
        Palette[I] = 0xFF000000u | TColor32(I);
    Palette[7] = 0x12345678;
    TByteMap M;
    M.SetSize(3, 2);
    M.Clear(7);
    M.SetValue(2, 1, 200);
    EventLog Log;
    TBitmap32 B;
    Log.Attach(B);
    M.WriteTo(B, Palette);
    EXPECT_EQ(Log.Events, (std::vector<std::string>{"handle", "resize", "change"}))
        << "no Resized of its own";
    EXPECT_EQ(B.Width(), 3);
    EXPECT_EQ(B.Pixel(0, 0), 0x12345678u);
    EXPECT_EQ(B.Pixel(1, 1), 0x12345678u);
    EXPECT_EQ(B.Pixel(2, 1), 0xFF0000C8u);
}

TEST(ByteMap, AssignBetweenMapsAndBitmaps) {
    TBitmap32 B;
    B.SetSize(2, 2);
    B.Clear(kPixel);
    B.SetPixel(1, 1, 0xFFFFFFFF);
    TByteMap M, Read, Copy;
    M.Assign(&B);
    Read.ReadFrom(B, ctWeightedRGB);
    EXPECT_EQ(std::vector<uint8_t>(M.Bits(), M.Bits() + 4),
              std::vector<uint8_t>(Read.Bits(), Read.Bits() + 4));
    Copy.Assign(&M);
    EXPECT_EQ(Copy.Width(), 2);
    EXPECT_EQ(Copy.GetValue(1, 1), 255);
    EXPECT_EQ(Copy.GetValue(0, 0), 88);

    // Map to bitmap and back: a grey picture of the intensities.
    TBitmap32 Grey;
    Grey.Assign(&M);
    EXPECT_EQ(Grey.Pixel(0, 0), 0xFF585858u);
    EXPECT_EQ(Grey.Pixel(1, 1), 0xFFFFFFFFu);

    // Other classes: the conversion error, with the update still ended.
    TFont Font;
    MapLog Log;
    Log.Attach(Copy);
    EXPECT_THROW(Copy.Assign(&Font), EConvertError);
    EXPECT_EQ(Copy.UpdateCount(), 0);
    EXPECT_EQ(Log.Events, (std::vector<std::string>{"change"}));
    EXPECT_THROW(Copy.Assign(nullptr), EConvertError);
    EXPECT_THROW(Font.Assign(&Copy), EConvertError);

    // An empty bitmap makes an empty map; the notifications still happen.
    TBitmap32 Empty;
    Log.Events.clear();
    Copy.ReadFrom(Empty, ctRed);
    EXPECT_TRUE(Copy.Empty());
    EXPECT_EQ(Log.Events.back(), "change");
}
