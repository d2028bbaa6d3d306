// Per-pixel mixing of TColor32 values through routine variables that point at
// one of two routine sets, chosen at start-up: the integer set or the "MMX"
// set (here portable code giving the same results as the vector routines).
#pragma once

#include <cstdint>

#include "gfx/color.h"

namespace gfx {

using TCombineReg = TColor32 (*)(TColor32 X, TColor32 Y, TColor32 W);
using TCombineMem = void (*)(TColor32 F, TColor32& B, TColor32 W);
using TBlendReg = TColor32 (*)(TColor32 F, TColor32 B);
using TBlendMem = void (*)(TColor32 F, TColor32& B);
using TBlendRegEx = TColor32 (*)(TColor32 F, TColor32 B, TColor32 M);
using TBlendMemEx = void (*)(TColor32 F, TColor32& B, TColor32 M);
using TBlendLine = void (*)(const TColor32* Src, TColor32* Dst, int32_t Count);
using TBlendLineEx = void (*)(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M);

// The routines in use. They point at the integer set until start-up selects.
extern TCombineReg CombineReg;
extern TCombineMem CombineMem;
extern TBlendReg BlendReg;
extern TBlendMem BlendMem;
extern TBlendRegEx BlendRegEx;
extern TBlendMemEx BlendMemEx;
extern TBlendLine BlendLine;
extern TBlendLineEx BlendLineEx;

extern bool MMX_ACTIVE;
// 256 entries of four 16-bit words (entry i holds i four times), 8-byte
// aligned; AlphaBias is entry 128. Both null unless the MMX set is in use.
extern uint16_t* AlphaTable;
extern uint16_t* AlphaBias;

// Leaves the vector state; nothing to do for the portable routines.
inline void EMMS() {}

// Points the variables at the MMX set (UseMmx) or the integer set; start-up
// passes HasMMX(), tests force either set.
void SelectBlendRoutines(bool UseMmx);
void BlendInitialize();
void BlendFinalize();

// Integer set: two channels per multiply; part(c, w) = (c * w + 128) div 256.
// Weights above 255 are taken as 255.
TColor32 CombineRegPlain(TColor32 X, TColor32 Y, TColor32 W);
void CombineMemPlain(TColor32 F, TColor32& B, TColor32 W);
TColor32 BlendRegPlain(TColor32 F, TColor32 B);
void BlendMemPlain(TColor32 F, TColor32& B);
TColor32 BlendRegExPlain(TColor32 F, TColor32 B, TColor32 M);
void BlendMemExPlain(TColor32 F, TColor32& B, TColor32 M);
void BlendLinePlain(const TColor32* Src, TColor32* Dst, int32_t Count);
void BlendLineExPlain(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M);

// MMX set: mix(f, b, w) = (f * w + b * (256 - w) + 128) div 256 on all four channels.
TColor32 CombineRegMmx(TColor32 X, TColor32 Y, TColor32 W);
void CombineMemMmx(TColor32 F, TColor32& B, TColor32 W);
TColor32 BlendRegMmx(TColor32 F, TColor32 B);
void BlendMemMmx(TColor32 F, TColor32& B);
TColor32 BlendRegExMmx(TColor32 F, TColor32 B, TColor32 M);
void BlendMemExMmx(TColor32 F, TColor32& B, TColor32 M);
void BlendLineMmx(const TColor32* Src, TColor32* Dst, int32_t Count);
void BlendLineExMmx(const TColor32* Src, TColor32* Dst, int32_t Count, TColor32 M);

// Per-channel colour operations, all four channels.
TColor32 ColorAdd(TColor32 C1, TColor32 C2);
TColor32 ColorSub(TColor32 C1, TColor32 C2);
TColor32 ColorModulate(TColor32 C1, TColor32 C2);
TColor32 ColorMax(TColor32 C1, TColor32 C2);
TColor32 ColorMin(TColor32 C1, TColor32 C2);
// Red, green and blue moved by Amount and clamped; alpha kept.
TColor32 Lighten(TColor32 Color, int32_t Amount);

} // namespace gfx
