#pragma once

#include <cstddef>
#include <cstdint>

namespace tallix::graphics {

// The PNG filter types a row can carry; other values leave the row as it was read.
enum TPngFilter : std::uint8_t {
    kFilterNone = 0,
    kFilterSub = 1,
    kFilterUp = 2,
    kFilterAverage = 3,
    kFilterPaeth = 4,
};

// Reverses the filter of one row in place. distance is the byte distance to the left neighbour
// (1, 3 or 4); above is the reconstructed row above, all zeros above the first row.
void ReverseFilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                   std::size_t length, std::size_t distance);

} // namespace tallix::graphics
