#include "platform/win32/pixel_format.h"

#include <bit>

#include "platform/common/enlarge.h"

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

uint32_t RgbToPixel(const uint8_t* Rgb, const uint32_t (&Masks)[3]) {
  uint32_t pixel = 0;
  for (int c = 0; c < 3; ++c) {
    const uint32_t mask = Masks[c];
    if (mask == 0) continue;
    const int bits = std::popcount(mask);
    const uint32_t value = bits >= 8 ? static_cast<uint32_t>(Rgb[c]) << (bits - 8)
                                     : static_cast<uint32_t>(Rgb[c]) >> (8 - bits);
    pixel |= (value << std::countr_zero(mask)) & mask;
  }
  return pixel;
}

void Rgb565Table(const uint32_t (&Masks)[3], uint32_t* Table) {
  for (uint32_t p = 0; p < 65536; ++p) {
    const Rgb c = FromRgb565(static_cast<uint16_t>(p));
    const uint8_t rgb[3] = {c.R, c.G, c.B};
    Table[p] = RgbToPixel(rgb, Masks);
  }
}

}  // namespace carpex::win32
