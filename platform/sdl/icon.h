// The window icon: one picture of a Windows .ico file, decoded into colours
// with transparency. Malformed or truncated input is refused; nothing is read
// outside the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace carpex::sdl {

struct IconImage {
  int32_t Width = 0;
  int32_t Height = 0;
  // Width * Height pixels as 0xAARRGGBB, top row first; alpha is 0 or 255
  // for the palette pictures (from the AND mask).
  std::vector<uint32_t> Argb;
};

// Decodes the picture of the given size (the first one if there is none of
// that size). Pictures of 1, 4, 8, 24 and 32 bits per pixel are understood;
// PNG-compressed ones are not.
bool DecodeIcon(const uint8_t* Data, std::size_t Size, int32_t WantedSize, IconImage* Out);

}  // namespace carpex::sdl
