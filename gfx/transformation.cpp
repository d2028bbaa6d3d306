// Floating-point steps run in extended precision; every value held in a float
// field or variable is rounded to 32 bits where it is stored.
#include "gfx/transformation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "gfx/blend.h"
#include "gfx/float_math.h"

namespace gfx {

namespace {
using L = long double;
constexpr L kDegree = 3.141592653589793238462643383279502884L / 180;

// Nearest integer, halves to even, held to the 32-bit range: far positions
// stay far instead of wrapping round to the other side.
int32_t RoundSaturated(L V) {
    if (std::isnan(V)) return 0;
    if (V <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (V >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return int32_t(std::nearbyintl(V));
}

int32_t Saturate(int64_t V) {
    return int32_t(
        std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Left = Round(min - 0.5), Right = Round(max + 0.5), likewise vertically.
TRect Bounds(const float (&X)[4], const float (&Y)[4]) {
    const auto [MinX, MaxX] = std::minmax_element(X, X + 4);
    const auto [MinY, MaxY] = std::minmax_element(Y, Y + 4);
    return {RoundSaturated(L(*MinX) - 0.5L), RoundSaturated(L(*MinY) - 0.5L), RoundSaturated(L(*MaxX) + 0.5L),
            RoundSaturated(L(*MaxY) + 0.5L)};
}
} // namespace

void TTransformation::SetSrcRect(const TFloatRect& Value) {
    SrcRect_ = Value;
    Prepared_ = false;
}

// --- Affine -------------------------------------------------------------

void TAffineTransformation::Clear() {
    Matrix = IdentityMatrix;
    Prepared_ = false;
}

void TAffineTransformation::Append(const TFloatMatrix& Op) {
    Prepared_ = false;
    Matrix = Mult(Op, Matrix);
}

void TAffineTransformation::Rotate(float Cx, float Cy, float Alpha) {
    const bool Centred = Cx != 0 || Cy != 0;
    if (Centred) Translate(-Cx, -Cy);
    const L Radians = ToSingle(Alpha * kDegree);
    const float S = ToSingle(std::sin(Radians)), C = ToSingle(std::cos(Radians));
    TFloatMatrix Op = IdentityMatrix;
    Op[0][0] = C;
    Op[1][0] = S;
    Op[0][1] = -S;
    Op[1][1] = C;
    Append(Op);
    if (Centred) Translate(Cx, Cy);
}

void TAffineTransformation::Scale(float Sx, float Sy) {
    TFloatMatrix Op = IdentityMatrix;
    Op[0][0] = Sx;
    Op[1][1] = Sy;
    Append(Op);
}

void TAffineTransformation::Skew(float Fx, float Fy) {
    TFloatMatrix Op = IdentityMatrix;
    Op[1][0] = Fx;
    Op[0][1] = Fy;
    Append(Op);
}

void TAffineTransformation::Translate(float Dx, float Dy) {
    TFloatMatrix Op = IdentityMatrix;
    Op[2][0] = Dx;
    Op[2][1] = Dy;
    Append(Op);
}

void TAffineTransformation::PrepareTransform() {
    TFloatMatrix Inverse = Matrix;
    Invert(Inverse);
    const float Elements[6] = {Inverse[0][0], Inverse[1][0], Inverse[2][0],
                               Inverse[0][1], Inverse[1][1], Inverse[2][1]};
    for (int I = 0; I < 6; ++I)
        FixedInverse[I] = RoundToInt(4096.0L * Elements[I]);
    Prepared_ = true;
}

// Products of 32-bit coordinates and 20.12 factors need 64 bits.
void TAffineTransformation::Transform(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const {
    const int32_t* K = FixedInverse;
    SrcX = Saturate((int64_t(DstX) * K[0] + int64_t(DstY) * K[1] + K[2] + 2047) >> 12);
    SrcY = Saturate((int64_t(DstX) * K[3] + int64_t(DstY) * K[4] + K[5] + 2047) >> 12);
}

void TAffineTransformation::Transform256(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const {
    const int32_t* K = FixedInverse;
    SrcX = Saturate((int64_t(DstX) * K[0] + int64_t(DstY) * K[1] + K[2] + 7) >> 4);
    SrcY = Saturate((int64_t(DstX) * K[3] + int64_t(DstY) * K[4] + K[5] + 7) >> 4);
}

TRect TAffineTransformation::GetTransformedBounds() const {
    const TFloatRect& R = SrcRect_;
    const float CornerX[4] = {R.Left, R.Right, R.Left, R.Right};
    const float CornerY[4] = {R.Top, R.Top, R.Bottom, R.Bottom};
    float X[4], Y[4];
    for (int I = 0; I < 4; ++I) {
        X[I] = ToSingle(L(Matrix[0][0]) * CornerX[I] + L(Matrix[1][0]) * CornerY[I] + Matrix[2][0]);
        Y[I] = ToSingle(L(Matrix[0][1]) * CornerX[I] + L(Matrix[1][1]) * CornerY[I] + Matrix[2][1]);
    }
    return Bounds(X, Y);
}

// --- Projective -----------------------------------------------------------

void TProjectiveTransformation::PrepareTransform() {
    const float(&X)[4] = X_;
    const float(&Y)[4] = Y_;
    // The source rectangle onto the unit square, checked before anything changes.
    TFloatMatrix Unit = IdentityMatrix;
    Unit[0][0] = ToSingle(CheckedDiv(1, L(SrcRect_.Right) - SrcRect_.Left));
    Unit[1][1] = ToSingle(CheckedDiv(1, L(SrcRect_.Bottom) - SrcRect_.Top));
    TFloatMatrix Shift = IdentityMatrix;
    Shift[2][0] = -SrcRect_.Left;
    Shift[2][1] = -SrcRect_.Top;

    // The unit square onto the quadrilateral.
    const L Px = ToSingle(L(X[0]) - X[1] + X[2] - X[3]);
    const L Py = ToSingle(L(Y[0]) - Y[1] + Y[2] - Y[3]);
    TFloatMatrix& M = Matrix;
    if (Px == 0 && Py == 0) { // a parallelogram
        M[0][0] = ToSingle(L(X[1]) - X[0]);
        M[1][0] = ToSingle(L(X[2]) - X[1]);
        M[2][0] = X[0];
        M[0][1] = ToSingle(L(Y[1]) - Y[0]);
        M[1][1] = ToSingle(L(Y[2]) - Y[1]);
        M[2][1] = Y[0];
        M[0][2] = 0;
        M[1][2] = 0;
        M[2][2] = 1;
    } else {
        const L Dx1 = ToSingle(L(X[1]) - X[2]), Dx2 = ToSingle(L(X[3]) - X[2]);
        const L Dy1 = ToSingle(L(Y[1]) - Y[2]), Dy2 = ToSingle(L(Y[3]) - Y[2]);
        const L Det = ToSingle(Dx1 * Dy2 - Dx2 * Dy1);
        if (Det == 0) {
            M = {};
        } else {
            const float G = ToSingle((Px * Dy2 - Py * Dx2) / Det);
            const float H = ToSingle((Dx1 * Py - Dy1 * Px) / Det);
            M[0][0] = ToSingle(L(X[1]) - X[0] + L(G) * X[1]);
            M[1][0] = ToSingle(L(X[3]) - X[0] + L(H) * X[3]);
            M[2][0] = X[0];
            M[0][1] = ToSingle(L(Y[1]) - Y[0] + L(G) * Y[1]);
            M[1][1] = ToSingle(L(Y[3]) - Y[0] + L(H) * Y[3]);
            M[2][1] = Y[0];
            M[0][2] = G;
            M[1][2] = H;
            M[2][2] = 1;
        }
    }
    M = Mult(Mult(M, Unit), Shift);
    Invert(M);
    Prepared_ = true;
}

void TProjectiveTransformation::Map(int32_t DstX, int32_t DstY, long double Unit, int32_t& SrcX,
                                    int32_t& SrcY) const {
    EMMS();
    const TFloatMatrix& M = Matrix;
    const L X = float(DstX), Y = float(DstY);
    const float W = ToSingle(M[0][2] * X + M[1][2] * Y + M[2][2]);
    if (W == 0) return;
    L Sx = (M[0][0] * X + M[1][0] * Y + M[2][0]) * Unit;
    L Sy = (M[0][1] * X + M[1][1] * Y + M[2][1]) * Unit;
    if (W != 1) {
        const L Factor = ToSingle(1.0L / W);
        Sx *= Factor;
        Sy *= Factor;
    }
    SrcX = RoundSaturated(Sx);
    SrcY = RoundSaturated(Sy);
}

void TProjectiveTransformation::Transform(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const {
    Map(DstX, DstY, 1, SrcX, SrcY);
}

void TProjectiveTransformation::Transform256(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const {
    Map(DstX, DstY, 256, SrcX, SrcY);
}

TRect TProjectiveTransformation::GetTransformedBounds() const { return Bounds(X_, Y_); }

} // namespace gfx
