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
void reverseFilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                   std::size_t length, std::size_t distance);

// For rows of red, green, blue (and alpha) pixels: reverses the filter of raw and stores the
// pixels as blue, green, red (and alpha) into row, in one pass, which gives the same bytes as
// converting first and reversing in row afterwards. Returns false, having done nothing, for the
// filter types it leaves to that two-step way. distance is 3 or 4.
bool reverseFilterSwappingRedBlue(std::uint8_t filter, const std::uint8_t* raw, std::uint8_t* row,
                                  const std::uint8_t* above, std::size_t length,
                                  std::size_t distance);

} // namespace tallix::graphics
