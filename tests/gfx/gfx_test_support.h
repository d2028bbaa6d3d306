// Shared helpers of the graphics tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/gfx.h"

namespace gfx_test {

// Starts the library once for the test program and stops it at the end.
class GfxEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { gfx::GfxInitialize(); }
    void TearDown() override { gfx::GfxFinalize(); }
};
inline ::testing::Environment* const kGfxEnvironment =
    ::testing::AddGlobalTestEnvironment(new GfxEnvironment);

// Selects a blend set for one test and restores the start-up choice after it.
class BlendSetScope {
  public:
    explicit BlendSetScope(bool UseMmx) : Saved_(gfx::MMX_ACTIVE) { gfx::SelectBlendRoutines(UseMmx); }
    ~BlendSetScope() { gfx::SelectBlendRoutines(Saved_); }

  private:
    bool Saved_;
};

// Records the order of a bitmap's notifications.
struct EventLog {
    std::vector<std::string> Events;
    void Attach(gfx::TBitmap32& B) {
        B.OnChange = [this](gfx::TObject*) { Events.push_back("change"); };
        B.OnResize = [this](gfx::TObject*) { Events.push_back("resize"); };
        B.OnHandleChanged = [this](gfx::TObject*) { Events.push_back("handle"); };
    }
    int Count(const std::string& Name) const {
        int N = 0;
        for (const auto& E : Events)
            N += E == Name;
        return N;
    }
};

// A bitmap filled with a distinct value per pixel: 0xFF000000 | (Y << 12) | X.
inline gfx::TColor32 Marker(int X, int Y) {
    return 0xFF000000u | (gfx::TColor32(Y) << 12) | gfx::TColor32(X);
}
inline void FillMarkers(gfx::TBitmap32& B) {
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            B.SetPixel(X, Y, Marker(X, Y));
}

// Mixing formulas of the two blend sets, channel by channel.
inline int Part(int C, int W) { return (C * W + 128) / 256; }
inline int Mix(int F, int B, int W) { return (F * W + B * (256 - W) + 128) / 256; }
inline int Chan(gfx::TColor32 C, int Shift) { return int((C >> Shift) & 0xFF); }
template <typename Fn> gfx::TColor32 PerChannel(Fn F) {
    gfx::TColor32 R = 0;
    for (int S = 0; S < 32; S += 8)
        R |= gfx::TColor32(F(S)) << S;
    return R;
}

} // namespace gfx_test
