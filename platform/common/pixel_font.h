// The small bitmap font of the window's text: cells of 6 x 13 pixels, the
// size of the form's 8-point sans-serif (digits 5 pixels wide and 8 high,
// standing on row 10 of the cell).
#pragma once

#include <cstdint>

namespace carpex::common {

constexpr int kCellWidth = 6;
constexpr int kCellHeight = 13;

// The text's colours, as the form's canvas has them: clWindowText on the
// clBtnFace of the classic Windows scheme.
struct TextColour {
  uint8_t R, G, B;
};
constexpr TextColour kTextInk{0, 0, 0};
constexpr TextColour kTextFace{212, 208, 200};

// Row `Row` (0 = top) of the character's cell; bit 7 is the leftmost pixel.
// Characters without a drawing show as an empty box, as a missing glyph does.
uint8_t GlyphRow(char Character, int Row);

int TextWidth(const char* Text);

// A rectangle of ink in the text's own pixels (cell row 0 of the first
// character at 0, 0).
struct InkRun {
  int X;
  int Y;
  int Width;
};

// The ink of Text as horizontal runs, at most MaxRuns of them (the rest is
// dropped); returns how many were written.
int TextInk(const char* Text, InkRun* Runs, int MaxRuns);

}  // namespace carpex::common
