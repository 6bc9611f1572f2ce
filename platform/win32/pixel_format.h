// Pixels of a display surface as 8-bit red, green and blue, for pictures of
// the screen, and back. Free of <windows.h> so that it can be checked anywhere.
#pragma once

#include <cstdint>

namespace carpex::win32 {

// The 8-bit value of a channel of Bits bits, its high bits repeated into the
// low ones, so that 0 stays 0 and the largest value becomes 255.
uint8_t ExpandChannel(uint32_t Value, int Bits);

// One pixel, by the red, green and blue masks of its surface's format, into Rgb[0..2].
void PixelToRgb(uint32_t Pixel, const uint32_t (&Masks)[3], uint8_t* Rgb);

// The pixel of a surface with these masks nearest to 8-bit Rgb[0..2] (each
// channel's top bits).
uint32_t RgbToPixel(const uint8_t* Rgb, const uint32_t (&Masks)[3]);

// Table[p] is the pixel that shows RGB565 pixel p as the 16-bit display shows
// it, for a surface with these masks; 65536 entries.
void Rgb565Table(const uint32_t (&Masks)[3], uint32_t* Table);

}  // namespace carpex::win32
