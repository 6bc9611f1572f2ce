// The 640 x 480 RGB565 picture on a screen of another format, enlarged by a
// whole factor: each picture pixel becomes a square of Scale x Scale screen
// pixels of the same colour, so that it stays sharp at every factor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/soft/pixels.h"

namespace carpex::common {

// Picture columns [Left, Right) of one picture row (From), each pixel Scale
// times across through Table (RGB565 to the screen's pixel value) and the
// result Scale times down. Line is the screen row where the picture row's
// first pixel goes; Pitch the bytes from one screen row to the next.
void EnlargeRow(const uint16_t* From, int Left, int Right, const uint32_t* Table, int BytesPerPixel,
                uint8_t* Line, int Scale, std::ptrdiff_t Pitch);

// The part of a picture row that changed since the row Kept holds: copies
// Row's pixels [*Left, *Right) over Kept's, the span from the first to the
// last that differs (all Width of them when Whole), and returns false when no
// pixel differs.
bool CopyChangedSpan(const uint16_t* Row, uint16_t* Kept, int Width, bool Whole, int* Left,
                     int* Right);

// One pixel value of 1 to 4 bytes, in the machine's byte order.
void StorePixel(uint8_t* To, uint32_t Value, int BytesPerPixel);

}  // namespace carpex::common
