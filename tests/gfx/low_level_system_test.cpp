// Low-level routines, processor features and the theme binding.
#include <array>

#include "gfx_test_support.h"

using namespace gfx;

TEST(LowLevel, ClampConstrainShifts) {
    EXPECT_EQ(Clamp(-1), 0);
    EXPECT_EQ(Clamp(256), 255);
    EXPECT_EQ(Clamp(77), 77);
    EXPECT_EQ(Constrain(5, 6, 9), 6);
    EXPECT_EQ(Constrain(10, 6, 9), 9);
    EXPECT_EQ(SAR_8(-1), -1);
    EXPECT_EQ(SAR_16(0x18000), 1);
    EXPECT_EQ(SAR_4(-17), -2);
    EXPECT_EQ(SAR_12(-4097), -2);
    EXPECT_EQ(ColorSwap(TWinColor(0x80563412)), 0xFF123456u); // no system-colour lookup
}

TEST(LowLevel, FillAndMoveLongword) {
    std::array<uint32_t, 8> A{};
    FillLongword(A.data() + 1, -3, 7);
    FillLongword(A.data() + 1, 0, 7);
    EXPECT_EQ(A, (std::array<uint32_t, 8>{}));
    FillLongword(A.data() + 1, 3, 7);
    EXPECT_EQ(A, (std::array<uint32_t, 8>{0, 7, 7, 7, 0, 0, 0, 0}));

    std::array<uint32_t, 8> B{1, 2, 3, 4, 5, 6, 7, 8};
    MoveLongword(B.data(), B.data() + 2, 5); // overlapping, forwards
    EXPECT_EQ(B, (std::array<uint32_t, 8>{1, 2, 1, 2, 3, 4, 5, 8}));
    MoveLongword(B.data() + 3, B.data() + 1, 4); // overlapping, backwards
    EXPECT_EQ(B, (std::array<uint32_t, 8>{1, 2, 3, 4, 5, 4, 5, 8}));
    MoveLongword(B.data(), B.data() + 4, -1);
    EXPECT_EQ(B[4], 5u);
}

TEST(LowLevel, SwapsAndTestClip) {
    int32_t A = 12, B = -3;
    EXPECT_TRUE(TestClip(A, B, 10));
    EXPECT_EQ(A, 0);
    EXPECT_EQ(B, 9);
    A = 10, B = 15;
    EXPECT_FALSE(TestClip(A, B, 10));
    EXPECT_EQ(A, 10);
    EXPECT_EQ(B, 9);
    A = 3, B = 1;
    TestSwap(A, B);
    EXPECT_EQ(A, 1);
    Swap(A, B);
    EXPECT_EQ(A, 3);
}

TEST(LowLevel, MulDivRoundsAndReportsOverflow) {
    struct Case {
        int32_t A, B, N, Result;
    };
    const Case Cases[] = {
        {7, 3, 2, 11},
        {-7, 3, 2, -11},
        {7, -3, -2, 11},
        {5, 5, 0, -1},
        {65536, 65536, 1, -1},
        {46341, 46341, 1, -1}, // 2147488281 does not fit
        {46340, 46340, 1, 2147395600},
        {INT32_MIN, 1, 1, INT32_MIN},
        {INT32_MIN, -1, 1, -1},
        {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN},
        {1, 1, 3, 0},
        {2, 1, 3, 1},
        {-2, 1, 3, -1},
        {3, 1, 2, 2},
        {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(MulDiv(C.A, C.B, C.N), C.Result) << C.A << "*" << C.B << "/" << C.N;
}

namespace {
// A fake visual-style library for the binding logic.
int OpenCalls = 0, CloseCalls = 0, ReleaseCalls = 0;
bool Active = true;
TThemeLibraryImage FullLibrary(const char* Name) {
    TThemeLibraryImage L;
    if (std::string(Name) != "uxtheme.dll") return L;
    L.Module = 42;
    L.EntryPoints.OpenThemeData = [](HWND, const char16_t* Class) -> HTHEME {
        ++OpenCalls;
        return std::u16string(Class) == u"SCROLLBAR" ? 100 : 200;
    };
    L.EntryPoints.CloseThemeData = [](HTHEME) -> HRESULT { return ++CloseCalls, 0; };
    L.EntryPoints.IsThemeActive = [] { return int32_t(Active); };
    L.EntryPoints.IsAppThemed = [] { return int32_t(1); };
    L.EntryPoints.EnableTheming = [](int32_t) -> HRESULT { return 0; };
    return L;
}
TThemeLibraryImage PartialLibrary(const char* Name) {
    TThemeLibraryImage L = FullLibrary(Name);
    L.EntryPoints.EnableTheming = nullptr;
    return L;
}

struct ThemeBinding : ::testing::Test {
    void SetUp() override {
        OpenCalls = CloseCalls = ReleaseCalls = 0;
        Active = true;
        ThemeLibraryRelease = [](uintptr_t) { ++ReleaseCalls; };
    }
    void TearDown() override {
        ThemeLibraryLoader = [](const char*) { return TThemeLibraryImage{}; };
        ThemeLibraryRelease = [](uintptr_t) {};
        // Themes switched off before the close leave their handles as they were
        // (the close only closes handles of themes in use): the next case
        // starts as the program does, without them.
        USE_THEMES = false;
        SCROLLBAR_THEME = GLOBALS_THEME = 0;
    }
};
} // namespace

TEST_F(ThemeBinding, LinuxFindsNoLibrary) {
    ASSERT_NE(ThemeNexus, nullptr);
    EXPECT_FALSE(USE_THEMES);
    EXPECT_EQ(SCROLLBAR_THEME, 0u);
    EXPECT_EQ(GLOBALS_THEME, 0u);
    EXPECT_EQ(ThemeLibrary, 0u);
    EXPECT_EQ(ThemeEntryPoints.OpenThemeData, nullptr);
    EXPECT_EQ(ThemeNexus->WndProc(WM_THEMECHANGED, 0, 0), 0);
    EXPECT_FALSE(USE_THEMES);
}

TEST_F(ThemeBinding, ThemeChangeClosesAndReopensHandles) {
    ThemeLibraryLoader = FullLibrary;
    {
        TThemeNexus Nexus;
        EXPECT_TRUE(USE_THEMES);
        EXPECT_EQ(SCROLLBAR_THEME, 100u);
        EXPECT_EQ(GLOBALS_THEME, 200u);
        Nexus.WndProc(WM_THEMECHANGED, 0, 0);
        EXPECT_EQ(CloseCalls, 2);
        EXPECT_EQ(OpenCalls, 4);
        EXPECT_EQ(ReleaseCalls, 1);
        EXPECT_TRUE(USE_THEMES);
        Active = false; // themes switched off
        Nexus.WndProc(WM_THEMECHANGED, 0, 0);
        EXPECT_FALSE(USE_THEMES);
        EXPECT_EQ(ThemeLibrary, 42u); // loaded, but themes off
    }
    EXPECT_EQ(ThemeLibrary, 0u);
    EXPECT_EQ(ThemeEntryPoints.IsThemeActive, nullptr);
}

TEST_F(ThemeBinding, LibraryWithoutRequiredEntryPointIsFreed) {
    ThemeLibraryLoader = PartialLibrary;
    TThemeNexus Nexus;
    EXPECT_FALSE(USE_THEMES);
    EXPECT_EQ(ThemeLibrary, 0u);
    EXPECT_EQ(ReleaseCalls, 1);
    EXPECT_EQ(ThemeEntryPoints.OpenThemeData, nullptr);
}

TEST(Processor, HasMMXMatchesTheFeatureBit) {
#if defined(__x86_64__)
    EXPECT_TRUE(HasMMX()); // every x86-64 processor has MMX
#else
    SUCCEED();
#endif
}
