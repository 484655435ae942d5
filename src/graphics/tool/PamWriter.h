#pragma once

#include "graphics/Bitmap.h"

#include <ostream>

namespace tallix::graphics {

// Writes the bitmap as a PAM image: RGB for 24-bit bitmaps, RGB_ALPHA for 32-bit ones.
void writePam(const TBitmap& bitmap, std::ostream& out);

} // namespace tallix::graphics
