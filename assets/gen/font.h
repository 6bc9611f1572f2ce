// The game's bitmap font: proportional 5 x 7 glyphs with two rows of
// descenders, drawn enlarged with their diagonals smoothed and anti-aliased.
#pragma once

#include <string>

#include "assets/gen/image.h"

namespace carpex::assetgen {

// Rows in a glyph: 7 above the baseline, 2 below it.
constexpr int kGlyphRows = 9;
constexpr int kBaselineRow = 7;

// Width of `Text` in font units (glyph columns plus one column between glyphs).
// Throws for a character the font does not have.
int TextUnits(const std::string& Text);

// Draws `Text` into `Mask` (coverage kept as the maximum) with the top-left
// corner of its first glyph cell at (x, y) and `Scale` pixels per font unit.
void DrawText(Mask& Mask, double X, double Y, const std::string& Text, double Scale);

}  // namespace carpex::assetgen
