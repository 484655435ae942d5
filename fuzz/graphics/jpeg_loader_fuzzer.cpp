#include "graphics/FuncGraphicWork.h"
#include "graphics/GraphicError.h"

#include <cstddef>
#include <cstdint>

using namespace tallix::graphics;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryReadStream stream(std::vector<std::uint8_t>(data, data + size));
    TBitmap bitmap;
    try {
        loadJpegFromStream(bitmap, stream);
    } catch (const EGraphicError&) {
        // Refusals are the expected outcome for most inputs; crashes, reports, time-outs and
        // memory beyond the limit are not.
    }
    return 0;
}
