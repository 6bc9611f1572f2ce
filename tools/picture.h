// Screen pictures as files: PNG, or binary PPM for a name ending in .ppm.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace carpex {

// A file name ending in .png or .ppm, in any case.
bool IsPictureFileName(std::string_view Path);

// Writes Width x Height pixels of 8-bit red, green and blue, top row first, as
// PPM when Path ends in .ppm and as PNG otherwise. False when it cannot be written.
bool WritePicture(const std::string& Path, int Width, int Height, const uint8_t* Rgb);

}  // namespace carpex
