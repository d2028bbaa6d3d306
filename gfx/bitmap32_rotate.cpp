// TBitmap32: rolling the content, flips and quarter turns, in place or into
// another bitmap. The bitmap itself as destination means in place.
#include <algorithm>
#include <cstring>
#include <memory>

#include "gfx/bitmap32.h"
#include "gfx/low_level.h"
#include "gfx/pixel_memory.h"

namespace gfx {

namespace {
bool InPlace(const TBitmap32* Self, const TBitmap32* Dst) { return !Dst || Dst == Self; }

// Four pixels in one vector (a compiler extension that GCC and Clang share).
typedef TColor32 TQuad __attribute__((vector_size(16)));
TQuad LoadQuad(const TColor32* P) {
    TQuad Q;
    std::memcpy(&Q, P, sizeof Q);
    return Q;
}
void StoreQuad(TColor32* P, TQuad Q) { std::memcpy(P, &Q, sizeof Q); }

// Writes the W x H pixels of Src turned a quarter clockwise (or counter-
// clockwise) into Dst, H pixels wide: source pixel (X, Y) goes to target row X
// (or W - 1 - X). Tiles of 64 x 64 keep both sides in cache; inside them,
// blocks of 4 x 4 pixels are turned in registers.
template <bool Clockwise> void TurnPixels(const TColor32* Src, int32_t W, int32_t H, TColor32* Dst) {
    constexpr int32_t kTile = 64;
    auto Target = [=](int32_t X, int32_t Y) {
        return Clockwise ? Dst + int64_t(X) * H + (H - 1 - Y) : Dst + int64_t(W - 1 - X) * H + Y;
    };
    for (int32_t Y0 = 0; Y0 < H; Y0 += kTile) {
        const int32_t Y1 = std::min(Y0 + kTile, H), Y4 = Y0 + (Y1 - Y0) / 4 * 4;
        for (int32_t X0 = 0; X0 < W; X0 += kTile) {
            const int32_t X1 = std::min(X0 + kTile, W), X4 = X0 + (X1 - X0) / 4 * 4;
            for (int32_t X = X0; X < X4; X += 4) {
                for (int32_t Y = Y0; Y < Y4; Y += 4) {
                    // Rows a, b, c, d of the block; t0..t3 interleave them.
                    const TColor32* S = Src + int64_t(Y) * W + X;
                    const TQuad A = LoadQuad(S), B = LoadQuad(S + W), C = LoadQuad(S + 2 * W),
                                D = LoadQuad(S + 3 * W);
                    const TQuad T0 = __builtin_shufflevector(A, B, 0, 4, 1, 5);
                    const TQuad T1 = __builtin_shufflevector(A, B, 2, 6, 3, 7);
                    const TQuad T2 = __builtin_shufflevector(C, D, 0, 4, 1, 5);
                    const TQuad T3 = __builtin_shufflevector(C, D, 2, 6, 3, 7);
                    if constexpr (Clockwise) { // column j of the block, bottom up
                        StoreQuad(Target(X, Y + 3), __builtin_shufflevector(T0, T2, 5, 4, 1, 0));
                        StoreQuad(Target(X + 1, Y + 3), __builtin_shufflevector(T0, T2, 7, 6, 3, 2));
                        StoreQuad(Target(X + 2, Y + 3), __builtin_shufflevector(T1, T3, 5, 4, 1, 0));
                        StoreQuad(Target(X + 3, Y + 3), __builtin_shufflevector(T1, T3, 7, 6, 3, 2));
                    } else { // column j of the block, top down
                        StoreQuad(Target(X, Y), __builtin_shufflevector(T0, T2, 0, 1, 4, 5));
                        StoreQuad(Target(X + 1, Y), __builtin_shufflevector(T0, T2, 2, 3, 6, 7));
                        StoreQuad(Target(X + 2, Y), __builtin_shufflevector(T1, T3, 0, 1, 4, 5));
                        StoreQuad(Target(X + 3, Y), __builtin_shufflevector(T1, T3, 2, 3, 6, 7));
                    }
                }
            }
            // What the blocks leave of the tile: its last rows and columns.
            for (int32_t Y = Y0; Y < Y1; ++Y)
                for (int32_t X = Y < Y4 ? X4 : X0; X < X1; ++X)
                    *Target(X, Y) = Src[int64_t(Y) * W + X];
        }
    }
}
} // namespace

void TBitmap32::Roll(int32_t Dx, int32_t Dy, bool FillBack, TColor32 FillColor) {
    if (Empty() || (Dx == 0 && Dy == 0)) return;
    const int64_t W = Width(), H = Height();
    if (std::llabs(Dx) >= W || std::llabs(Dy) >= H) {
        if (FillBack) Clear(FillColor);
        return;
    }
    // The whole array slides; pixels pushed off a row end enter the next row.
    const int64_t Shift = int64_t(Dy) * W + Dx;
    const int32_t Count = int32_t(W * H - std::llabs(Shift));
    if (Shift > 0)
        MoveLongword(Bits_, Bits_ + Shift, Count);
    else
        MoveLongword(Bits_ - Shift, Bits_, Count);
    if (FillBack) {
        TRect R = BoundsRect();
        OffsetRect(R, Dx, Dy);
        IntersectRect(R, R, BoundsRect());
        if (R.Top > 0)
            FillRect(0, 0, Width(), R.Top, FillColor);
        else
            FillRect(0, R.Bottom, Width(), Height(), FillColor);
        if (R.Left > 0)
            FillRect(0, R.Top, R.Left, R.Bottom, FillColor);
        else
            FillRect(R.Right, R.Top, Width(), R.Bottom, FillColor);
    }
    Changed();
}

void TBitmap32::FlipHorz(TBitmap32* Dst) {
    if (InPlace(this, Dst)) {
        for (int32_t Y = 0; !Empty() && Y < Height(); ++Y)
            std::reverse(ScanLine(Y), ScanLine(Y) + Width());
        Changed();
        return;
    }
    ChangeInUpdate(*Dst, [this, Dst] {
        Dst->SetSize(Width(), Height());
        for (int32_t Y = 0; !Empty() && SameSize(*this, *Dst) && Y < Height(); ++Y)
            std::reverse_copy(ScanLine(Y), ScanLine(Y) + Width(), Dst->ScanLine(Y));
    });
}

void TBitmap32::FlipVert(TBitmap32* Dst) {
    if (InPlace(this, Dst)) {
        for (int32_t Y = 0; !Empty() && Y < Height() / 2; ++Y)
            std::swap_ranges(ScanLine(Y), ScanLine(Y) + Width(), ScanLine(Height() - 1 - Y));
        Changed();
        return;
    }
    Dst->SetSize(Width(), Height());
    for (int32_t Y = 0; !Empty() && SameSize(*this, *Dst) && Y < Height(); ++Y)
        MoveLongword(ScanLine(Y), Dst->ScanLine(Height() - 1 - Y), Width());
    Dst->Changed();
}

void TBitmap32::Rotate180(TBitmap32* Dst) {
    const size_t N = Empty() ? 0 : size_t(Width()) * size_t(Height());
    if (InPlace(this, Dst)) {
        std::reverse(Bits_, Bits_ + N);
        Changed();
        return;
    }
    Dst->SetSize(Width(), Height());
    if (SameSize(*this, *Dst)) std::reverse_copy(Bits_, Bits_ + N, Dst->Bits_);
    Dst->Changed();
}

template <bool Clockwise> void TBitmap32::QuarterTurn(TBitmap32* Dst) {
    const int32_t W = Width(), H = Height();
    if (!InPlace(this, Dst)) {
        ChangeInUpdate(*Dst, [this, Dst, W, H] {
            Dst->SetSize(H, W);
            if (!Empty() && Dst->Width() == H && Dst->Height() == W)
                TurnPixels<Clockwise>(Bits_, W, H, Dst->Bits_);
        });
        return;
    }
    // In place the pixels arrive with one change notification, as an Assign
    // from a turned copy would; the drawing properties stay. The turned
    // pixels are made first and become the bitmap's memory only when all of
    // them are there, so a failed allocation leaves the bitmap as it was.
    std::unique_ptr<TColor32[]> Turned;
    if (!Empty()) {
        Turned = NewPixelMemory<TColor32>(uint64_t(W) * uint64_t(H));
        TurnPixels<Clockwise>(Bits_, W, H, Turned.get());
    }
    AssignPixels(H, W, std::move(Turned));
}

void TBitmap32::Rotate90(TBitmap32* Dst) { QuarterTurn<true>(Dst); }
void TBitmap32::Rotate270(TBitmap32* Dst) { QuarterTurn<false>(Dst); }

} // namespace gfx
