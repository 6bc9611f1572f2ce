#include "platform/win32/pixel_format.h"

#include <bit>

namespace carpex::win32 {

uint8_t ExpandChannel(uint32_t Value, int Bits) {
  if (Bits <= 0) return 0;
  if (Bits >= 8) return static_cast<uint8_t>(Value >> (Bits - 8));
  uint32_t repeated = 0;
  int filled = 0;
  for (; filled < 8; filled += Bits) repeated = (repeated << Bits) | Value;
  return static_cast<uint8_t>(repeated >> (filled - 8));
}

void PixelToRgb(uint32_t Pixel, const uint32_t (&Masks)[3], uint8_t* Rgb) {
  for (int c = 0; c < 3; ++c) {
    const uint32_t mask = Masks[c];
    if (mask == 0) {
      Rgb[c] = 0;
      continue;
    }
    Rgb[c] = ExpandChannel((Pixel & mask) >> std::countr_zero(mask), std::popcount(mask));
  }
}

}  // namespace carpex::win32
