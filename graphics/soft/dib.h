// Decoding of Windows device-independent bitmaps: the format of the game's
// pictures. Any malformed or truncated input is refused; nothing is read
// outside the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace soft {

struct DibImage {
  int32_t Width = 0;
  int32_t Height = 0;
  uint16_t BitsPerPixel = 0;  // as stored: 1, 4, 8, 24 or 32
  // Width * Height colours as COLORREF (0x00BBGGRR), top row first.
  std::vector<uint32_t> Pixels;

  uint32_t At(int32_t x, int32_t y) const {
    return Pixels[static_cast<std::size_t>(y) * Width + x];
  }
};

// A packed DIB as RT_BITMAP resources hold it: BITMAPINFOHEADER, colour table, bits.
bool DecodeDib(const uint8_t* data, std::size_t size, DibImage* out);
// A .bmp file: BITMAPFILEHEADER followed by a packed DIB.
bool DecodeBmpFile(const uint8_t* data, std::size_t size, DibImage* out);

}  // namespace soft
