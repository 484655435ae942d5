#include "graphics/FuncGraphicWork.h"
#include "graphics/GraphicError.h"

#include <cstddef>
#include <cstdint>

using namespace tallix::graphics;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryReadStream stream(std::vector<std::uint8_t>(data, data + size));
    TBitmap bitmap;
    try {
        loadPngFromStream(bitmap, stream);
    } catch (const EGraphicError&) {
        // Refusals are the expected outcome for most inputs; crashes and reports are not.
    }
    return 0;
}
