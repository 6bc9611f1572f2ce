// The 640 x 480 RGB565 picture on a screen of another format, enlarged by a
// whole factor: each picture pixel becomes a square of Scale x Scale screen
// pixels of the same colour, so that it stays sharp at every factor.
#pragma once

#include <cstddef>
#include <cstdint>

namespace carpex::common {

// An RGB565 pixel's channels at 8 bits, as a 16-bit display shows them: the
// top bits repeated into the low ones, so that 0xFFFF is white.
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

// Picture columns [Left, Right) of one picture row (From), each pixel Scale
// times across through Table (RGB565 to the screen's pixel value) and the
// result Scale times down. Line is the screen row where the picture row's
// first pixel goes; Pitch the bytes from one screen row to the next.
void EnlargeRow(const uint16_t* From, int Left, int Right, const uint32_t* Table, int BytesPerPixel,
                uint8_t* Line, int Scale, std::ptrdiff_t Pitch);

// One pixel value of 1 to 4 bytes, in the machine's byte order.
void StorePixel(uint8_t* To, uint32_t Value, int BytesPerPixel);

}  // namespace carpex::common
