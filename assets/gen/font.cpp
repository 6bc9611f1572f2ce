#include "assets/gen/font.h"

#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace carpex::assetgen {

namespace {

struct Glyph {
  char character;
  // Rows top first; rows left out (nullptr) are empty. All rows are as wide
  // as the first one.
  std::array<const char*, kGlyphRows> rows;
};

// clang-format off
const Glyph kGlyphs[] = {
    {' ', {"...", "...", "...", "...", "...", "...", "..."}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'J', {"..###", "...#.", "...#.", "...#.", "#..#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {'b', {"#....", "#....", "####.", "#...#", "#...#", "#...#", "####."}},
    {'c', {"....", "....", ".###", "#...", "#...", "#...", ".###"}},
    {'d', {"....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'f', {"..##", ".#..", "####", ".#..", ".#..", ".#..", ".#.."}},
    {'g', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'h', {"#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#"}},
    {'i', {"#", ".", "#", "#", "#", "#", "#"}},
    {'j', {"..#", "...", "..#", "..#", "..#", "..#", "..#", "#.#", ".#."}},
    {'k', {"#...", "#...", "#..#", "#.#.", "##..", "#.#.", "#..#"}},
    {'l', {"#.", "#.", "#.", "#.", "#.", "#.", ".#"}},
    {'m', {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"}},
    {'n', {".....", ".....", "####.", "#...#", "#...#", "#...#", "#...#"}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
    {'p', {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
    {'q', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", "....#"}},
    {'r', {"....", "....", "#.##", "##..", "#...", "#...", "#..."}},
    {'s', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
    {'t', {".#..", ".#..", "####", ".#..", ".#..", ".#..", "..##"}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####"}},
    {'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
    {'x', {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {'y', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'z', {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {".###.", "#...#", "....#", "..##.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'(', {"..#", ".#.", "#..", "#..", "#..", ".#.", "..#"}},
    {')', {"#..", ".#.", "..#", "..#", "..#", ".#.", "#.."}},
    {'-', {"...", "...", "...", "###", "...", "...", "..."}},
    {'.', {".", ".", ".", ".", ".", ".", "#"}},
    {',', {"..", "..", "..", "..", "..", ".#", ".#", "#."}},
    {'!', {"#", "#", "#", "#", "#", ".", "#"}},
    {':', {".", ".", "#", ".", ".", ".", "#"}},
    {'\'', {"#", "#", ".", ".", ".", ".", "."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},
};
// clang-format on

const Glyph& Find(char C) {
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.character == C) return glyph;
  }
  throw std::invalid_argument(std::string("the font has no glyph for '") + C + "'");
}

int GlyphWidth(const Glyph& Glyph) {
  return static_cast<int>(std::strlen(Glyph.rows[0]));
}

// The text laid out on the font's own grid: one cell per font unit.
class Grid {
 public:
  explicit Grid(const std::string& Text) : width_(TextUnits(Text)) {
    cells_.assign(static_cast<std::size_t>(width_) * kGlyphRows, false);
    int x = 0;
    for (char c : Text) {
      const Glyph& glyph = Find(c);
      const int w = GlyphWidth(glyph);
      for (int row = 0; row < kGlyphRows; ++row) {
        const char* line = glyph.rows[row];
        if (line == nullptr) continue;
        if (static_cast<int>(std::strlen(line)) != w) {
          throw std::logic_error(std::string("ragged glyph '") + c + "'");
        }
        for (int i = 0; i < w; ++i) {
          if (line[i] == '#') cells_[static_cast<std::size_t>(row) * width_ + x + i] = true;
        }
      }
      x += w + 1;
    }
  }

  int width() const { return width_; }
  bool Filled(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= width_ || Y >= kGlyphRows) return false;
    return cells_[static_cast<std::size_t>(Y) * width_ + X];
  }

  // Whether a point of the grid plane is ink. An empty cell between two ink
  // cells that touch only at a corner takes the half of it on their side,
  // which turns staircases into straight diagonals and rounds inner corners.
  bool Inside(double Gx, double Gy) const {
    const int i = static_cast<int>(std::floor(Gx));
    const int j = static_cast<int>(std::floor(Gy));
    if (Filled(i, j)) return true;
    const double u = Gx - i;
    const double v = Gy - j;
    const bool top = Filled(i, j - 1);
    const bool bottom = Filled(i, j + 1);
    const bool left = Filled(i - 1, j);
    const bool right = Filled(i + 1, j);
    if (left && top && !right && !bottom && u + v < 1.0) return true;
    if (right && top && !left && !bottom && (1.0 - u) + v < 1.0) return true;
    if (left && bottom && !right && !top && u + (1.0 - v) < 1.0) return true;
    if (right && bottom && !left && !top && (1.0 - u) + (1.0 - v) < 1.0) return true;
    return false;
  }

 private:
  int width_;
  std::vector<bool> cells_;
};

constexpr int kSamples = 4;  // per pixel and axis

}  // namespace

int TextUnits(const std::string& Text) {
  int units = 0;
  for (char c : Text) units += GlyphWidth(Find(c)) + 1;
  return units > 0 ? units - 1 : 0;
}

void DrawText(Mask& Mask, double X, double Y, const std::string& Text, double Scale) {
  const Grid grid(Text);
  const int left = static_cast<int>(std::floor(X));
  const int top = static_cast<int>(std::floor(Y));
  const int right = static_cast<int>(std::ceil(X + grid.width() * Scale));
  const int bottom = static_cast<int>(std::ceil(Y + kGlyphRows * Scale));
  for (int py = top; py < bottom; ++py) {
    for (int px = left; px < right; ++px) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double gx = (px + (sx + 0.5) / kSamples - X) / Scale;
          const double gy = (py + (sy + 0.5) / kSamples - Y) / Scale;
          if (grid.Inside(gx, gy)) ++hits;
        }
      }
      if (hits > 0)
        Mask.Max(px, py, (hits * 255 + kSamples * kSamples / 2) / (kSamples * kSamples));
    }
  }
}

}  // namespace carpex::assetgen
