#pragma once

#include "graphics/Bitmap.h"
#include "platform/AtomicFile.h"

namespace tallix::graphics {

// Writes the bitmap as a PAM image: RGB for 24-bit bitmaps, RGB_ALPHA for 32-bit ones.
void writePam(const TBitmap& bitmap, platform::AtomicFileWriter& out);

} // namespace tallix::graphics
