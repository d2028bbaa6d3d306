#include "gfx/controls/cursors.h"

namespace gfx {

Qt::CursorShape CursorShapeOf(TCursor Cursor) {
    switch (Cursor) {
    case crCross: return Qt::CrossCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

} // namespace gfx
