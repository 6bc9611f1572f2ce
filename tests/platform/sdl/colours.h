// Colours as the SDL tests read them off a screen, as 0xRRGGBB.
#pragma once

#include <cstdint>

namespace carpex::sdl {

// Whether each channel of A is within Tolerance of B's (the 16-bit display's
// colours in a format with fewer bits, or smoothed).
inline bool Near(uint32_t A, uint32_t B, int Tolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int d = static_cast<int>((A >> shift) & 0xFF) - static_cast<int>((B >> shift) & 0xFF);
    if (d > Tolerance || d < -Tolerance) return false;
  }
  return true;
}

// A COLORREF (0x00BBGGRR) as 0xRRGGBB.
inline uint32_t FromColorref(uint32_t Colorref) {
  return (Colorref & 0xFF) << 16 | (Colorref & 0xFF00) | (Colorref >> 16 & 0xFF);
}

}  // namespace carpex::sdl
