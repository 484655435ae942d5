#pragma once

#include "formfunc/FormFuncRules.h"

#include <QRegion>
#include <Qt>

namespace tallix::formfunc {

// The visible outline of a window of width x height pixels. Rounded: the full rectangle less a
// staircase of 4, 2, 1 and 1 pixels in the rows at each corner; otherwise the plain rectangle,
// one row taller than the window.
QRegion windowOutline(bool rounded, int width, int height);

// The edges a resize border moves, and the pointer shape shown over it.
Qt::Edges resizeEdges(HitTest hit);
Qt::CursorShape resizeCursor(HitTest hit);

} // namespace tallix::formfunc
