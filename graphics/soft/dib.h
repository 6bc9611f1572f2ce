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

  uint32_t At(int32_t X, int32_t Y) const {
    return Pixels[static_cast<std::size_t>(Y) * Width + X];
  }
};

// A packed DIB as RT_BITMAP resources hold it: BITMAPINFOHEADER, colour table, bits.
bool DecodeDib(const uint8_t* Data, std::size_t Size, DibImage* Out);
// A .bmp file: BITMAPFILEHEADER followed by a packed DIB.
bool DecodeBmpFile(const uint8_t* Data, std::size_t Size, DibImage* Out);

}  // namespace soft
