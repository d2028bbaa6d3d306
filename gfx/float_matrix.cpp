#include "gfx/float_matrix.h"

#include <cmath>

#include "gfx/float_math.h"

namespace gfx {

namespace {
// p * s - q * r, rounded to a 32-bit float.
inline float Minor(long double P, long double S, long double Q, long double R) {
    return ToSingle(P * S - Q * R);
}
} // namespace

void Adjoint(TFloatMatrix& M) {
    const float A1 = M[0][0], A2 = M[0][1], A3 = M[0][2];
    const float B1 = M[1][0], B2 = M[1][1], B3 = M[1][2];
    const float C1 = M[2][0], C2 = M[2][1], C3 = M[2][2];
    M[0][0] = Minor(B2, C3, B3, C2);
    M[0][1] = -Minor(A2, C3, A3, C2);
    M[0][2] = Minor(A2, B3, A3, B2);
    M[1][0] = -Minor(B1, C3, B3, C1);
    M[1][1] = Minor(A1, C3, A3, C1);
    M[1][2] = -Minor(A1, B3, A3, B1);
    M[2][0] = Minor(B1, C2, B2, C1);
    M[2][1] = -Minor(A1, C2, A2, C1);
    M[2][2] = Minor(A1, B2, A2, B1);
}

float Determinant(const TFloatMatrix& M) {
    using L = long double;
    return ToSingle(L(M[0][0]) * (L(M[1][1]) * M[2][2] - L(M[2][1]) * M[1][2]) -
                    L(M[0][1]) * (L(M[1][0]) * M[2][2] - L(M[2][0]) * M[1][2]) +
                    L(M[0][2]) * (L(M[1][0]) * M[2][1] - L(M[2][0]) * M[1][1]));
}

void Scale(TFloatMatrix& M, float Factor) {
    for (auto& Column : M)
        for (float& E : Column)
            E = ToSingle(static_cast<long double>(E) * Factor);
}

void Invert(TFloatMatrix& M) {
    const float D = Determinant(M);
    if (std::fabs(static_cast<long double>(D)) < 1e-5L) {
        M = IdentityMatrix;
        return;
    }
    Adjoint(M);
    Scale(M, ToSingle(1.0L / D));
}

TFloatMatrix Mult(const TFloatMatrix& A, const TFloatMatrix& B) {
    using L = long double;
    TFloatMatrix R;
    for (int I = 0; I < 3; ++I)
        for (int J = 0; J < 3; ++J)
            R[I][J] = ToSingle(L(A[0][J]) * B[I][0] + L(A[1][J]) * B[I][1] + L(A[2][J]) * B[I][2]);
    return R;
}

} // namespace gfx
