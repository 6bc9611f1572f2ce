// Lines of Chinese text from a CJK font through FreeType. Sizes for which the
// font has a bitmap strike come from the strike; others from the outlines,
// unhinted. Every pixel is either ink or not: coverage is cut at one half, so
// no dim fringe is left for the colour key to keep.
#pragma once

#include <string>
#include <vector>

#include "assets/gen/image.h"

namespace carpex::assetgen {

// The characters of a UTF-8 text; throws for one cut short.
std::vector<char32_t> DecodeUtf8(const std::string& Text);

class CjkFont {
 public:
  // Opens face `FaceIndex` of the font file; throws when it cannot.
  CjkFont(const std::string& Path, int FaceIndex);
  ~CjkFont();
  CjkFont(const CjkFont&) = delete;
  CjkFont& operator=(const CjkFont&) = delete;

  // Width in pixels of the UTF-8 `Text` at `PixelSize` pixels per em.
  int Width(const std::string& Text, int PixelSize);
  // Draws `Text` into `Ink` (255 where inked) with its em box's top-left
  // corner at (x, top). Throws for a character the font does not have.
  void Draw(Mask& Ink, int X, int Top, const std::string& Text, int PixelSize);
  // Centred in the mask's width.
  void DrawCentred(Mask& Ink, int Top, const std::string& Text, int PixelSize);
  // From the em box's top to the baseline, and from one line to the next.
  int Ascender(int PixelSize);
  int LineHeight(int PixelSize);

 private:
  // Loads and renders one character; returns its advance in 26.6 units.
  long Render(char32_t Character, int PixelSize);

  void* library_ = nullptr;  // FT_Library
  void* face_ = nullptr;     // FT_Face
};

}  // namespace carpex::assetgen
