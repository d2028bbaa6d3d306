// 32-bit pixels: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace gfx {

using TColor32 = uint32_t;
using PColor32 = TColor32*;
using TColor32Array = TColor32[];
using PColor32Array = TColor32*;
using TArrayOfColor32 = std::vector<TColor32>;
using TPalette32 = TColor32[256];
using PPalette32 = TColor32*;

using TArrayOfByte = std::vector<uint8_t>;
using TArrayOfInteger = std::vector<int32_t>;
using TArrayOfArrayOfInteger = std::vector<TArrayOfInteger>;
using TArrayOfSingle = std::vector<float>;

// The framework's colour: red in the lowest byte, green, blue; a negative value
// names a system colour by its low byte.
using TWinColor = int32_t;

// The framework's names of system colours (clSystemColor | index) and of the
// two plain colours the controls use.
constexpr TWinColor SystemColor(int Index) { return TWinColor(0xFF000000u | uint32_t(Index)); }
constexpr TWinColor clScrollBar = SystemColor(0);
constexpr TWinColor clWindow = SystemColor(5);
constexpr TWinColor clWindowFrame = SystemColor(6);
constexpr TWinColor clBtnFace = SystemColor(15);
constexpr TWinColor clBtnShadow = SystemColor(16);
constexpr TWinColor clBtnText = SystemColor(18);
constexpr TWinColor clBtnHighlight = SystemColor(20);
constexpr TWinColor cl3DDkShadow = SystemColor(21);
constexpr TWinColor cl3DLight = SystemColor(22);
constexpr TWinColor clBlack = 0x000000;
constexpr TWinColor clWhite = 0xFFFFFF;

// System colours as the window system reports them (index = low byte of a
// negative framework colour): from SysColorSource when a port installs one,
// else from a table of classic desktop defaults.
extern TWinColor (*SysColorSource)(int Index);
TWinColor GetSysColor(int Index);

TColor32 Color32(TWinColor WinColor);
constexpr TColor32 Color32(uint8_t R, uint8_t G, uint8_t B, uint8_t A = 0xFF) {
    return (TColor32(A) << 24) | (TColor32(R) << 16) | (TColor32(G) << 8) | B;
}
inline TColor32 Color32(uint8_t Index, const TColor32* Palette) { return Palette[Index]; }
constexpr TColor32 Gray32(uint8_t Intensity, uint8_t Alpha = 0xFF) {
    return (TColor32(Alpha) << 24) + TColor32(Intensity) * 0x010101u;
}
constexpr TWinColor WinColor(TColor32 Color) {
    return TWinColor(((Color >> 16) & 0xFF) | (Color & 0xFF00) | ((Color & 0xFF) << 16));
}
TArrayOfColor32 ArrayOfColor32(std::initializer_list<TColor32> Colors);

constexpr int RedComponent(TColor32 C) { return int((C >> 16) & 0xFF); }
constexpr int GreenComponent(TColor32 C) { return int((C >> 8) & 0xFF); }
constexpr int BlueComponent(TColor32 C) { return int(C & 0xFF); }
constexpr int AlphaComponent(TColor32 C) { return int(C >> 24); }
constexpr int Intensity(TColor32 C) {
    return (RedComponent(C) * 61 + GreenComponent(C) * 174 + BlueComponent(C) * 21) >> 8;
}
constexpr TColor32 SetAlpha(TColor32 C, int32_t NewAlpha) {
    const uint32_t A = NewAlpha < 0 ? 0 : NewAlpha > 255 ? 255 : uint32_t(NewAlpha);
    return (C & 0x00FFFFFF) | (A << 24);
}

// Hue, saturation and lightness range over 0..1; a hue of 1 is a full turn.
// Saturation and lightness outside 0..1 are clamped.
TColor32 HSLtoRGB(float H, float S, float L);
void RGBtoHSL(TColor32 RGB, float& H, float& S, float& L);

} // namespace gfx
