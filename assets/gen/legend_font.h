// The legend's font: the characters of the legend's texts in both languages
// and printable ASCII, at one size from the CJK font's bitmap strike, as the
// games carry it (the resource LEGENDFONT):
//
//   "CXF1", the cell's height (1 byte), the baseline's row (1 byte), the
//   number of glyphs (2 bytes, little-endian), then each glyph in the order
//   of its code point: the code point (4 bytes, little-endian), its advance
//   in pixels (1 byte), and the cell's rows, top first, each advance pixels
//   of 1 bit, the leftmost in the top bit, padded to whole bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/gen/cjk_text.h"

namespace carpex::assetgen {

inline constexpr int kLegendPixelSize = 16;

std::vector<uint8_t> DrawLegendFont(CjkFont& Font);

}  // namespace carpex::assetgen
