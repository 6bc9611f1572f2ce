// The resource table the display tests link instead of the game's pictures.

#include <array>
#include <cstdint>

#include "graphics/soft/resources.h"

namespace {

// 1 x 1, 24 bits, one black pixel (row padded to 4 bytes).
constexpr std::array<std::uint8_t, 44> kBack1 = {40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24,
                                                 0,  0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                 0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// 2 x 2, 24 bits, bottom-up: red, green over blue, white.
constexpr std::array<std::uint8_t, 56> kQuad = {40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0,
                                                0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                0, 0, 0, 0, 0, 0,  // bottom row: blue, white
                                                0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0,
                                                // top row: red, green
                                                0, 0, 0xFF, 0, 0xFF, 0, 0, 0};

}  // namespace

namespace soft {

const Resource kResources[] = {
    {"BITMAP", "BACK1", kBack1.data(), kBack1.size()},
    {"BITMAP", "QUAD", kQuad.data(), kQuad.size()},
};
const std::size_t kResourceCount = sizeof(kResources) / sizeof(kResources[0]);

}  // namespace soft
