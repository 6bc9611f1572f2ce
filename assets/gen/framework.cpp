#include "assets/gen/framework.h"

#include <array>
#include <cmath>
#include <functional>

namespace carpex::assetgen {

namespace {

// The standard 16 colours, as the button glyphs use them.
const std::vector<Rgb> kSixteenColours = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};
enum : uint8_t {
  kMaroon = 1,
  kGreen = 2,
  kOlive = 3,
  kNavy = 4,
  kTeal = 6,
  kGrey = 8,
  kRed = 9,
  kLime = 10,
  kYellow = 11,
  kCyan = 14,
  kWhite = 15,
};

// A set of pixels, each tested at its centre: crisp edges for 16 colours and
// for black and white.
using Shape = std::function<bool(double x, double y)>;

Shape Polygon(std::vector<Point> points) {
  return [points = std::move(points)](double x, double y) { return InPolygon(points, x, y); };
}

Shape Box(double left, double top, double width, double height) {
  return [=](double x, double y) {
    return x >= left && y >= top && x < left + width && y < top + height;
  };
}

// A straight stroke of the given half width with round ends.
Shape Line(double x0, double y0, double x1, double y1, double half_width) {
  return [=](double x, double y) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    const double ex = x - (x0 + t * dx);
    const double ey = y - (y0 + t * dy);
    return ex * ex + ey * ey <= half_width * half_width;
  };
}

// The part of a ring between two directions, in degrees clockwise from the
// right (y grows downward), from `from` round to `to`.
Shape Ring(double cx, double cy, double inner, double outer, double from = 0, double to = 360) {
  return [=](double x, double y) {
    const double d = std::hypot(x - cx, y - cy);
    if (d < inner || d > outer) return false;
    const double angle = std::atan2(y - cy, x - cx) * 180.0 / 3.14159265358979323846;
    return std::fmod(angle - from + 720.0, 360.0) <= std::fmod(to - from + 720.0, 360.0) ||
           to - from >= 360.0;
  };
}

Shape Moved(Shape shape, double dx, double dy) {
  return [=](double x, double y) { return shape(x - dx, y - dy); };
}

bool Covers(const Shape& shape, int x, int y) {
  return shape(x + 0.5, y + 0.5);
}

struct Layer {
  Shape shape;
  uint8_t colour;
};

// The glyph in its colours on the left, and greyed out with a white shadow
// on the right, as a disabled button shows it.
IndexedImage ButtonGlyph(int height, const std::vector<Layer>& layers) {
  constexpr int kCell = 18;
  IndexedImage glyph;
  glyph.width = 2 * kCell;
  glyph.height = height;
  glyph.palette = kSixteenColours;
  glyph.indices.assign(static_cast<std::size_t>(glyph.width) * height, kOlive);
  const auto any = [&](int x, int y) {
    for (const Layer& layer : layers) {
      if (Covers(layer.shape, x, y)) return true;
    }
    return false;
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < kCell; ++x) {
      uint8_t& shown = glyph.indices[static_cast<std::size_t>(y) * glyph.width + x];
      for (const Layer& layer : layers) {
        if (Covers(layer.shape, x, y)) shown = layer.colour;
      }
      uint8_t& greyed = glyph.indices[static_cast<std::size_t>(y) * glyph.width + kCell + x];
      if (any(x, y)) {
        greyed = kGrey;
      } else if (any(x - 1, y - 1)) {
        greyed = kWhite;
      }
    }
  }
  return glyph;
}

Shape Tick(double dx, double dy) {
  return [=](double x, double y) {
    return Line(3, 9, 7, 13, 1.5)(x - dx, y - dy) || Line(7, 13, 14, 4, 1.5)(x - dx, y - dy);
  };
}

// ---------------------------------------------------------------- cursors

constexpr int kCursorSize = 32;

class CursorCanvas {
 public:
  explicit CursorCanvas(int id, int hot_x, int hot_y) {
    cursor_.id = id;
    cursor_.hot_x = hot_x;
    cursor_.hot_y = hot_y;
    cursor_.pixels.assign(kCursorSize * kCursorSize, MonoCursor::kClear);
  }

  CursorCanvas& Fill(const Shape& shape, uint8_t pixel) {
    for (int y = 0; y < kCursorSize; ++y) {
      for (int x = 0; x < kCursorSize; ++x) {
        if (Covers(shape, x, y)) cursor_.pixels[y * kCursorSize + x] = pixel;
      }
    }
    return *this;
  }
  CursorCanvas& White(const Shape& shape) { return Fill(shape, MonoCursor::kWhite); }
  CursorCanvas& Black(const Shape& shape) { return Fill(shape, MonoCursor::kBlack); }

  // A sheet of paper: white with a black edge.
  CursorCanvas& Page(int left, int top, int width, int height) {
    Black(Box(left, top, width, height));
    return White(Box(left + 1, top + 1, width - 2, height - 2));
  }

  // Every white area gets a black rim, so the cursor shows on any ground.
  MonoCursor Finish() {
    std::vector<uint8_t>& p = cursor_.pixels;
    const auto white = [&](int x, int y) {
      return x >= 0 && y >= 0 && x < kCursorSize && y < kCursorSize &&
             p[y * kCursorSize + x] == MonoCursor::kWhite;
    };
    std::vector<uint8_t> rimmed = p;
    for (int y = 0; y < kCursorSize; ++y) {
      for (int x = 0; x < kCursorSize; ++x) {
        if (p[y * kCursorSize + x] == MonoCursor::kClear &&
            (white(x - 1, y) || white(x + 1, y) || white(x, y - 1) || white(x, y + 1))) {
          rimmed[y * kCursorSize + x] = MonoCursor::kBlack;
        }
      }
    }
    p = rimmed;
    return cursor_;
  }

 private:
  MonoCursor cursor_;
};

const Shape kArrow =
    Polygon({{1, 1}, {1, 17}, {5, 13}, {8, 20}, {10, 19}, {7, 12.5}, {12.5, 12.5}});

MonoCursor Transposed(MonoCursor cursor, int id) {
  const std::vector<uint8_t> p = cursor.pixels;
  for (int y = 0; y < kCursorSize; ++y) {
    for (int x = 0; x < kCursorSize; ++x)
      cursor.pixels[y * kCursorSize + x] = p[x * kCursorSize + y];
  }
  cursor.id = id;
  std::swap(cursor.hot_x, cursor.hot_y);
  return cursor;
}

}  // namespace

std::vector<NamedGlyph> DrawButtonGlyphs() {
  const Shape cross = [](double x, double y) {
    return Line(4, 4, 14, 14, 1.5)(x, y) || Line(14, 4, 4, 14, 1.5)(x, y);
  };
  return {
      {"BBABORT", ButtonGlyph(18, {{Ring(9, 9, 0, 7.5), kRed}, {Box(5, 8, 8, 2), kWhite}})},
      {"BBALL",
       ButtonGlyph(19, {{Moved(Tick(0, 0), -1, -2), kGreen}, {Moved(Tick(0, 0), 2, 3), kGreen}})},
      {"BBCANCEL", ButtonGlyph(18, {{cross, kRed}})},
      {"BBCLOSE", ButtonGlyph(18, {{Box(5, 2, 9, 15), kNavy},
                                   {Box(6, 3, 7, 13), kTeal},
                                   {Box(11, 9, 1, 2), kYellow}})},
      {"BBHELP", ButtonGlyph(18, {{Ring(9, 6.5, 2.2, 4.4, 180, 90), kNavy},
                                  {Line(9, 10.5, 9, 12, 1.1), kNavy},
                                  {Box(8, 14, 2, 2), kNavy}})},
      {"BBIGNORE", ButtonGlyph(18, {{Box(6, 3, 2, 12), kMaroon},
                                    {Line(2, 9, 12, 9, 1.1), kTeal},
                                    {Polygon({{11, 5}, {16, 9}, {11, 13}}), kTeal}})},
      {"BBNO", ButtonGlyph(18, {{Ring(9, 9, 5, 7.2), kRed}, {Line(5, 13, 13, 5, 1.2), kRed}})},
      {"BBOK", ButtonGlyph(18, {{Tick(0, 0), kGreen}})},
      {"BBRETRY", ButtonGlyph(18, {{Ring(9, 9.5, 4, 6.2, 300, 200), kGreen},
                                   {Polygon({{9, 1}, {15, 4.5}, {9, 8}}), kGreen}})},
      {"BBYES", ButtonGlyph(18, {{Tick(0, 0), kLime}})},
  };
}

IndexedImage DrawPreviewGlyph() {
  IndexedImage glyph;
  glyph.width = 16;
  glyph.height = 16;
  glyph.palette = kSixteenColours;
  glyph.indices.assign(16 * 16, kOlive);
  // A magnifying glass.
  const std::array<Layer, 3> layers = {{{Line(9.5, 9.5, 14, 14, 1.4), kMaroon},
                                        {Ring(6.5, 6.5, 0, 4), kCyan},
                                        {Ring(6.5, 6.5, 4, 5.5), kNavy}}};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      for (const Layer& layer : layers) {
        if (Covers(layer.shape, x, y)) glyph.indices[y * 16 + x] = layer.colour;
      }
    }
  }
  return glyph;
}

std::vector<MonoCursor> DrawCursors() {
  std::vector<MonoCursor> cursors;
  // Dragging several things: the arrow with two sheets.
  cursors.push_back(
      CursorCanvas(32761, 1, 1).White(kArrow).Page(12, 17, 10, 11).Page(15, 20, 10, 11).Finish());
  // Waiting: the arrow with an hourglass.
  cursors.push_back(CursorCanvas(32762, 1, 1)
                        .White(kArrow)
                        .White(Polygon({{14, 14}, {25, 14}, {19.5, 21}}))
                        .White(Polygon({{19.5, 21}, {25, 28}, {14, 28}}))
                        .Black(Box(13, 12, 13, 2))
                        .Black(Box(13, 28, 13, 2))
                        .Finish());
  // Pointing: a hand with the index finger up.
  cursors.push_back(CursorCanvas(32763, 11, 2)
                        .White(Box(10, 2, 4, 14))
                        .White(Polygon({{6, 14}, {21, 14}, {21, 24}, {18, 29}, {9, 29}, {6, 24}}))
                        .White(Polygon({{2, 17}, {5, 15}, {8, 20}, {6, 23}}))
                        .Black(Box(14, 14, 1, 4))
                        .Black(Box(17, 14, 1, 4))
                        .Finish());
  // Splitting side by side: two bars with arrows to the left and right.
  const MonoCursor split = CursorCanvas(32764, 16, 16)
                               .White(Box(13, 4, 7, 24))
                               .Black(Box(14, 5, 2, 22))
                               .Black(Box(17, 5, 2, 22))
                               .White(Polygon({{12, 11}, {4, 16}, {12, 21}}))
                               .White(Polygon({{21, 11}, {29, 16}, {21, 21}}))
                               .Finish();
  cursors.push_back(split);
  // Splitting one above the other.
  cursors.push_back(Transposed(split, 32765));
  // No drop here: a ring with a bar across.
  cursors.push_back(CursorCanvas(32766, 15, 15)
                        .White(Ring(15.5, 15.5, 6.5, 11))
                        .White(Line(8.5, 22.5, 22.5, 8.5, 2.2))
                        .Black(Ring(15.5, 15.5, 7.7, 9.8))
                        .Black(Line(9, 22, 22, 9, 1.0))
                        .Finish());
  // Dragging one thing: the arrow with a sheet.
  cursors.push_back(CursorCanvas(32767, 1, 1).White(kArrow).Page(13, 19, 11, 12).Finish());
  return cursors;
}

}  // namespace carpex::assetgen
