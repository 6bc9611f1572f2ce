// The game's pixels: RGB565, as the 640 x 480 x 16 display holds them. To
// 8-bit channels the top bits are repeated into the low ones, so that 0xFFFF
// is white and a colour read back converts to the same pixel again; from
// them each channel is truncated to its top bits.
#pragma once

#include <cstdint>

namespace carpex {

struct Rgb {
  uint8_t R, G, B;
};

constexpr Rgb FromRgb565(uint16_t P) {
  const uint32_t r = (P >> 11) & 0x1Fu;
  const uint32_t g = (P >> 5) & 0x3Fu;
  const uint32_t b = P & 0x1Fu;
  return {static_cast<uint8_t>((r << 3) | (r >> 2)), static_cast<uint8_t>((g << 2) | (g >> 4)),
          static_cast<uint8_t>((b << 3) | (b >> 2))};
}

constexpr uint16_t ToRgb565(Rgb C) {
  return static_cast<uint16_t>(((C.R & 0xF8u) << 8) | ((C.G & 0xFCu) << 3) | (C.B >> 3));
}

}  // namespace carpex
