// The image control's coordinate mapping: factors from a rectangle, and point
// conversions that stay exact where 32-bit products would wrap.
#include <gtest/gtest.h>

#include <limits>

#include "gfx/coord_transform.h"

using namespace gfx;

TEST(CoordTransform, FactorsFollowTheRectangleAndEmptyPlacementsGiveTheUnitMapping) {
    EXPECT_EQ(CoordTransformFor({0, 0, 640, 400}, 640, 400), UnitTransform);
    EXPECT_EQ(CoordTransformFor({-20, -10, 300, 190}, 640, 400),
              (TCoordTransform{32768, 32768, -20, -10, 131072, 131072}));
    EXPECT_EQ(CoordTransformFor({5, 7, 5 + 1920, 7 + 400}, 640, 400),
              (TCoordTransform{196608, 65536, 5, 7, 21845, 65536}));
    // No area on either side: the unit mapping, no division by zero.
    for (const TRect R : {TRect{0, 0, 0, 0}, TRect{0, 0, 1, 0}, TRect{10, 10, 5, 20}})
        EXPECT_EQ(CoordTransformFor(R, 640, 400), UnitTransform);
    EXPECT_EQ(CoordTransformFor({0, 0, 100, 100}, 0, 400), UnitTransform);
}

TEST(CoordTransform, PointConversionsTruncateTowardZeroAndDoNotWrap) {
    struct Case {
        TCoordTransform T;
        TPoint Bitmap, Control;
    };
    const TCoordTransform Half{32768, 32768, 0, 0, 131072, 131072};
    const TCoordTransform Hundred{6553600, 6553600, -19680, -19800, 655, 655};
    const Case Cases[] = {
        {UnitTransform, {3, -4}, {3, -4}},
        {Half, {200, 100}, {100, 50}},
        {Half, {-3, 3}, {-1, 1}}, // -1.5 and 1.5 truncate toward zero
        // Scale 100: 30000 x 6553600 does not fit in 32 bits.
        {Hundred, {30000, 20000}, {3000000 - 19680, 2000000 - 19800}},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(BitmapToControl(C.T, C.Bitmap), C.Control) << C.Bitmap.X << "," << C.Bitmap.Y;
    EXPECT_EQ(ControlToBitmap(Half, {100, 50}), (TPoint{200, 100}));
    // Scale 1/100: 400 x 6553600 does not fit in 32 bits.
    const TCoordTransform Hundredth{655, 655, 0, 0, 6553600, 6553600};
    EXPECT_EQ(ControlToBitmap(Hundredth, {400, -300}), (TPoint{40000, -30000}));

    // The control coordinate minus the offset takes 33 bits here.
    const TCoordTransform FarOff{65536, 65536, std::numeric_limits<int32_t>::min(), 0, 65536, 65536};
    EXPECT_EQ(ControlToBitmap(FarOff, {std::numeric_limits<int32_t>::max(), 0}).X,
              std::numeric_limits<int32_t>::max());
    const TCoordTransform Huge{std::numeric_limits<int32_t>::max(), 65536, 0, 0, 1, 65536};
    EXPECT_EQ(BitmapToControl(Huge, {std::numeric_limits<int32_t>::max(), 1}),
              (TPoint{std::numeric_limits<int32_t>::max(), 1}));
    EXPECT_EQ(BitmapToControl(Huge, {std::numeric_limits<int32_t>::min(), 0}).X,
              std::numeric_limits<int32_t>::min());
}
