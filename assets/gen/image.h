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
Rgb Dim(Rgb colour, int level);
// from + (to - from) * level / 255, rounded.
Rgb Mix(Rgb from, Rgb to, int level);
// True when the colour turns into pixel value 0 on a 16-bit RGB565 surface,
// where it would be indistinguishable from a black colour key.
bool IsBlackAt565(Rgb colour);

class Image {
 public:
  Image() = default;
  Image(int width, int height, Rgb fill = kBlack);

  int width() const { return width_; }
  int height() const { return height_; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  Rgb Get(int x, int y) const;
  // Writes outside the picture are dropped.
  void Set(int x, int y, Rgb colour);
  // Lays `colour` over the pixel with the given opacity (0..255).
  void Blend(int x, int y, Rgb colour, int alpha);
  // Adds `colour` scaled by level / 255 to the pixel, saturating.
  void Add(int x, int y, Rgb colour, int level);
  void FillRect(int x, int y, int width, int height, Rgb colour);
  // Copies `source` with its top-left corner at (x, y), clipped.
  void Paste(const Image& source, int x, int y);
  // Copies `source`, leaving out pixels of colour `key`.
  void PasteKeyed(const Image& source, int x, int y, Rgb key);
  // Every pixel enlarged to a factor x factor square.
  Image Enlarged(int factor) const;
  // The rectangle (x, y, width, height) of this picture.
  Image Crop(int x, int y, int width, int height) const;
  // Every pixel that a 16-bit display could not tell from black becomes `key`,
  // so that what is transparent on the screen is exactly the key colour here.
  void SnapDarkToKey(Rgb key);

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
  Mask(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  int Get(int x, int y) const;
  void Set(int x, int y, int value);
  // Keeps the larger of the two values.
  void Max(int x, int y, int value);
  // A separable box blur of the given radius, edges treated as zero.
  Mask Blurred(int radius) const;
  // Every value multiplied by numerator / denominator, capped at 255.
  Mask Scaled(int numerator, int denominator) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> values_;
};

// Lays `colour` over `image` at (x, y) wherever `mask` covers it.
void Composite(Image& image, const Mask& mask, int x, int y, Rgb colour);

// One sprite drawn as rows of characters; '.' is left untouched, every other
// character must be in `legend` (pairs of character and colour).
struct LegendEntry {
  char symbol;
  Rgb colour;
};
void DrawPixelArt(Image& image, int x, int y, const std::vector<std::string>& rows,
                  const std::vector<LegendEntry>& legend);

// A point of a polygon, in whatever units the caller draws in.
struct Point {
  double u;
  double v;
};
// Even-odd test of (u, v) against the closed polygon.
bool InPolygon(const std::vector<Point>& polygon, double u, double v);

}  // namespace carpex::assetgen
