// Pictures in memory for the asset generator: 8-bit RGB images and 8-bit
// coverage masks, with the few operations the drawings need. Everything is
// integer or exactly rounded arithmetic, so the output is the same everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace carpex::assetgen {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;

  friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kBlack{0, 0, 0};

// The colour scaled by level / 255, rounded.
Rgb Dim(Rgb Colour, int Level);
// from + (to - from) * level / 255, rounded.
Rgb Mix(Rgb From, Rgb To, int Level);
// True when the colour turns into pixel value 0 on a 16-bit RGB565 surface,
// where it would be indistinguishable from a black colour key.
bool IsBlackAt565(Rgb Colour);

class Image {
 public:
  Image() = default;
  Image(int Width, int Height, Rgb Fill = kBlack);

  int width() const { return width_; }
  int height() const { return height_; }
  bool Contains(int X, int Y) const { return X >= 0 && Y >= 0 && X < width_ && Y < height_; }

  Rgb Get(int X, int Y) const;
  // Writes outside the picture are dropped.
  void Set(int X, int Y, Rgb Colour);
  // Lays `Colour` over the pixel with the given opacity (0..255).
  void Blend(int X, int Y, Rgb Colour, int Alpha);
  // Adds `Colour` scaled by level / 255 to the pixel, saturating.
  void Add(int X, int Y, Rgb Colour, int Level);
  void FillRect(int X, int Y, int Width, int Height, Rgb Colour);
  // Copies `Source` with its top-left corner at (x, y), clipped.
  void Paste(const Image& Source, int X, int Y);
  // Copies `Source`, leaving out pixels of colour `Key`.
  void PasteKeyed(const Image& Source, int X, int Y, Rgb Key);
  // Every pixel enlarged to a factor x factor square.
  Image Enlarged(int Factor) const;
  // The rectangle (x, y, width, height) of this picture.
  Image Crop(int X, int Y, int Width, int Height) const;
  // Every pixel that a 16-bit display could not tell from black becomes `Key`,
  // so that what is transparent on the screen is exactly the key colour here.
  void SnapDarkToKey(Rgb Key);

  // Rows top first, 3 bytes a pixel.
  std::vector<uint8_t> ToRgbBytes() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;
};

// Coverage or intensity values 0..255, one per pixel.
class Mask {
 public:
  Mask() = default;
  Mask(int Width, int Height);

  int width() const { return width_; }
  int height() const { return height_; }
  int Get(int X, int Y) const;
  void Set(int X, int Y, int Value);
  // Keeps the larger of the two values.
  void Max(int X, int Y, int Value);
  // A separable box blur of the given radius, edges treated as zero.
  Mask Blurred(int Radius) const;
  // Every value multiplied by numerator / denominator, capped at 255.
  Mask Scaled(int Numerator, int Denominator) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> values_;
};

// Lays `Colour` over `Image` at (x, y) wherever `Mask` covers it.
void Composite(Image& Image, const Mask& Mask, int X, int Y, Rgb Colour);

// One sprite drawn as rows of characters; '.' is left untouched, every other
// character must be in `legend` (pairs of character and colour).
struct LegendEntry {
  char symbol;
  Rgb colour;
};
void DrawPixelArt(Image& Image, int X, int Y, const std::vector<std::string>& Rows,
                  const std::vector<LegendEntry>& Legend);

// A point of a polygon, in whatever units the caller draws in.
struct Point {
  double u;
  double v;
};
// Even-odd test of (u, v) against the closed polygon.
bool InPolygon(const std::vector<Point>& Polygon, double U, double V);

}  // namespace carpex::assetgen
