// 3x3 matrices of 32-bit floats for plane transformations, indexed
// [column][row]: the point (x, y, 1) maps to
//   x' = M[0][0] x + M[1][0] y + M[2][0]
//   y' = M[0][1] x + M[1][1] y + M[2][1]
//   w' = M[0][2] x + M[1][2] y + M[2][2].
// Every routine forms its sums in extended precision and rounds each stored
// element to a 32-bit float.
#pragma once

#include <array>

namespace gfx {

using TFloatMatrix = std::array<std::array<float, 3>, 3>;

inline constexpr TFloatMatrix IdentityMatrix = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

// Replaces M by its adjugate; each 2x2 minor is rounded before its sign is applied.
void Adjoint(TFloatMatrix& M);
float Determinant(const TFloatMatrix& M);
// Every element times Factor.
void Scale(TFloatMatrix& M, float Factor);
// The inverse; a matrix whose determinant is below 1e-5 in magnitude becomes the identity.
void Invert(TFloatMatrix& M);
// The mapping that applies B first and A second.
TFloatMatrix Mult(const TFloatMatrix& A, const TFloatMatrix& B);

} // namespace gfx
