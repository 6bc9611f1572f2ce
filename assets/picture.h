// Screen pictures as files: PNG, or binary PPM for a name ending in .ppm.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace carpex {

// A file name ending in .png or .ppm, in any case.
bool IsPictureFileName(std::string_view Path);

// Width x Height pixels of 8-bit red, green and blue, top row first, as the
// bytes of a PPM file when Name ends in .ppm and of a PNG file otherwise.
// False for a size that is not positive or too large for one picture.
bool EncodePicture(std::string_view Name, int Width, int Height, const uint8_t* Rgb,
                   std::vector<uint8_t>* Out);

}  // namespace carpex
