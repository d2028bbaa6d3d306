#include "gfx/color.h"

#include <algorithm>
#include <cmath>

#include "gfx/float_math.h"

namespace gfx {

namespace {
// Classic desktop defaults, by system colour index; a port with a live palette
// installs SysColorSource.
constexpr TWinColor kDefaultSysColors[] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0,
};
} // namespace

TWinColor (*SysColorSource)(int Index) = nullptr;

TWinColor GetSysColor(int Index) {
    if (SysColorSource) return SysColorSource(Index);
    if (Index < 0 || Index >= int(std::size(kDefaultSysColors))) return 0;
    return kDefaultSysColors[Index];
}

TColor32 Color32(TWinColor C) {
    if (C < 0) C = GetSysColor(C & 0xFF);
    const uint32_t U = uint32_t(C);
    return 0xFF000000u | ((U & 0xFF) << 16) | (U & 0xFF00) | ((U >> 16) & 0xFF);
}

TArrayOfColor32 ArrayOfColor32(std::initializer_list<TColor32> Colors) { return TArrayOfColor32(Colors); }

namespace {
uint32_t Channel(long double V) { return uint32_t(std::clamp(RoundToInt(255 * V), 0, 255)); }
} // namespace

TColor32 HSLtoRGB(float H, float S, float L) {
    const long double Sat = std::clamp<long double>(S, 0, 1);
    const long double Lum = std::clamp<long double>(L, 0, 1);
    if (std::isnan(S) || std::isnan(L)) RoundToInt(NAN); // raises EInvalidOp
    if (Sat == 0) {
        const uint32_t V = Channel(Lum);
        return 0xFF000000u | V * 0x010101u;
    }
    const long double M2 = Lum <= 0.5L ? Lum * (1 + Sat) : Lum + Sat - Lum * Sat;
    const long double M1 = 2 * Lum - M2;
    auto HueToColor = [M1, M2](long double Hue) {
        CheckFinite(Hue);
        Hue = Hue - std::floor(Hue);
        long double V;
        if (6 * Hue < 1)
            V = M1 + (M2 - M1) * Hue * 6;
        else if (2 * Hue < 1)
            V = M2;
        else if (3 * Hue < 2)
            V = M1 + (M2 - M1) * (2.0L / 3 - Hue) * 6;
        else
            V = M1;
        return Channel(V);
    };
    const long double Hue = H;
    return 0xFF000000u | HueToColor(Hue + 1.0L / 3) << 16 | HueToColor(Hue) << 8 | HueToColor(Hue - 1.0L / 3);
}

void RGBtoHSL(TColor32 RGB, float& H, float& S, float& L) {
    const long double R = RedComponent(RGB) / 255.0L;
    const long double G = GreenComponent(RGB) / 255.0L;
    const long double B = BlueComponent(RGB) / 255.0L;
    const long double Max = std::max({R, G, B});
    const long double Min = std::min({R, G, B});
    const long double Lum = (Max + Min) / 2;
    L = float(Lum);
    if (Max == Min) {
        H = 0;
        S = 0;
        return;
    }
    const long double D = Max - Min;
    S = float(Lum < 0.5L ? D / (Max + Min) : D / (2 - Max - Min));
    long double Hue;
    if (R == Max)
        Hue = (G - B) / D;
    else if (G == Max)
        Hue = 2 + (B - R) / D;
    else
        Hue = 4 + (R - G) / D;
    Hue = Hue / 6;
    if (Hue < 0) Hue = Hue + 1;
    H = float(Hue);
}

} // namespace gfx
