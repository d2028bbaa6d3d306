// Plane transformations of a source rectangle: affine (rotations, scalings,
// skews and translations in one matrix) and projective (the rectangle onto
// any quadrilateral). Each maps source to destination; PrepareTransform
// derives the inverse, through which Transform and Transform256 map a
// destination pixel back to the source.
#pragma once

#include <cstdint>

#include "gfx/float_matrix.h"
#include "gfx/geometry.h"

namespace gfx {

class TTransformation {
  public:
    virtual ~TTransformation() = default;

    // The source area in source pixels.
    const TFloatRect& SrcRect() const { return SrcRect_; }
    void SetSrcRect(const TFloatRect& Value);
    // True from PrepareTransform to the next change of a parameter.
    bool Prepared() const { return Prepared_; }

    // The source pixel of destination pixel (DstX, DstY). A pixel without a
    // source position leaves the outputs unchanged.
    virtual void Transform(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const = 0;
    // The same in 24.8 fixed point (256 = one pixel).
    virtual void Transform256(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const = 0;
    virtual void PrepareTransform() = 0;
    // The destination area that SrcRect covers.
    virtual TRect GetTransformedBounds() const = 0;

  protected:
    TFloatRect SrcRect_;
    bool Prepared_ = false;
};

class TAffineTransformation : public TTransformation {
  public:
    TAffineTransformation() { Clear(); }

    // The inverse of Matrix in 20.12 fixed point (4096 = 1.0): its elements
    // [0][0], [1][0], [2][0] (the x row), then [0][1], [1][1], [2][1].
    int32_t FixedInverse[6] = {};
    // Source to destination.
    TFloatMatrix Matrix = IdentityMatrix;

    void Clear();
    // Each appends an operation after those already in Matrix.
    // Alpha in degrees, turning about (Cx, Cy): x' = c x + s y, y' = -s x + c y.
    void Rotate(float Cx, float Cy, float Alpha);
    void Scale(float Sx, float Sy);
    // x' = x + Fx y, y' = Fy x + y.
    void Skew(float Fx, float Fy);
    void Translate(float Dx, float Dy);

    void Transform(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const override;
    void Transform256(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const override;
    void PrepareTransform() override;
    TRect GetTransformedBounds() const override;

  private:
    void Append(const TFloatMatrix& Op);
};

// Maps SrcRect onto the quadrilateral of the corners 0 (top-left), 1
// (top-right), 2 (bottom-right) and 3 (bottom-left). A new one has every
// corner at the origin and an empty SrcRect.
class TProjectiveTransformation : public TTransformation {
  public:
    float X0() const { return X_[0]; }
    float X1() const { return X_[1]; }
    float X2() const { return X_[2]; }
    float X3() const { return X_[3]; }
    float Y0() const { return Y_[0]; }
    float Y1() const { return Y_[1]; }
    float Y2() const { return Y_[2]; }
    float Y3() const { return Y_[3]; }
    void SetX0(float Value) { SetCorner(X_[0], Value); }
    void SetX1(float Value) { SetCorner(X_[1], Value); }
    void SetX2(float Value) { SetCorner(X_[2], Value); }
    void SetX3(float Value) { SetCorner(X_[3], Value); }
    void SetY0(float Value) { SetCorner(Y_[0], Value); }
    void SetY1(float Value) { SetCorner(Y_[1], Value); }
    void SetY2(float Value) { SetCorner(Y_[2], Value); }
    void SetY3(float Value) { SetCorner(Y_[3], Value); }

    // Destination to source once prepared; a degenerate quadrilateral gives the identity.
    TFloatMatrix Matrix = {};

    void Transform(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const override;
    void Transform256(int32_t DstX, int32_t DstY, int32_t& SrcX, int32_t& SrcY) const override;
    // EZeroDivide for a SrcRect without width or height.
    void PrepareTransform() override;
    TRect GetTransformedBounds() const override;

  private:
    void SetCorner(float& Corner, float Value) {
        Corner = Value;
        Prepared_ = false;
    }
    void Map(int32_t DstX, int32_t DstY, long double Unit, int32_t& SrcX, int32_t& SrcY) const;

    float X_[4] = {};
    float Y_[4] = {};
};

} // namespace gfx
