#include "assets/gen/framework.h"

#include <array>
#include <cmath>
#include <functional>

namespace carpex::assetgen {

namespace {

// A set of pixels, each tested at its centre: crisp edges for 16 colours and
// for black and white.
using Shape = std::function<bool(double X, double Y)>;

Shape Polygon(std::vector<Point> Points) {
  return [points = std::move(Points)](double X, double Y) { return InPolygon(points, X, Y); };
}

Shape Box(double Left, double Top, double Width, double Height) {
  return [=](double X, double Y) {
    return X >= Left && Y >= Top && X < Left + Width && Y < Top + Height;
  };
}

// A straight stroke of the given half width with round ends.
Shape Line(double X0, double Y0, double X1, double Y1, double HalfWidth) {
  return [=](double X, double Y) {
    const double dx = X1 - X0;
    const double dy = Y1 - Y0;
    const double t = std::clamp(((X - X0) * dx + (Y - Y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    const double ex = X - (X0 + t * dx);
    const double ey = Y - (Y0 + t * dy);
    return ex * ex + ey * ey <= HalfWidth * HalfWidth;
  };
}

// The part of a ring between two directions, in degrees clockwise from the
// right (y grows downward), from `From` round to `To`.
Shape Ring(double Cx, double Cy, double Inner, double Outer, double From = 0, double To = 360) {
  return [=](double X, double Y) {
    const double d = std::hypot(X - Cx, Y - Cy);
    if (d < Inner || d > Outer) return false;
    const double angle = std::atan2(Y - Cy, X - Cx) * 180.0 / 3.14159265358979323846;
    return std::fmod(angle - From + 720.0, 360.0) <= std::fmod(To - From + 720.0, 360.0) ||
           To - From >= 360.0;
  };
}

Shape Moved(Shape Original, double Dx, double Dy) {
  return [=](double X, double Y) { return Original(X - Dx, Y - Dy); };
}

bool Covers(const Shape& Area, int X, int Y) {
  return Area(X + 0.5, Y + 0.5);
}

struct Layer {
  Shape shape;
  uint8_t colour;
};

// The glyph in its colours on the left, and greyed out with a white shadow
// on the right, as a disabled button shows it.
IndexedImage ButtonGlyph(int Height, const std::vector<Layer>& Layers) {
  constexpr int kCell = 18;
  IndexedImage glyph;
  glyph.width = 2 * kCell;
  glyph.height = Height;
  glyph.palette = kVgaPalette;
  glyph.indices.assign(static_cast<std::size_t>(glyph.width) * Height, kVgaOlive);
  const auto any = [&](int X, int Y) {
    for (const Layer& layer : Layers) {
      if (Covers(layer.shape, X, Y)) return true;
    }
    return false;
  };
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < kCell; ++x) {
      uint8_t& shown = glyph.indices[static_cast<std::size_t>(y) * glyph.width + x];
      for (const Layer& layer : Layers) {
        if (Covers(layer.shape, x, y)) shown = layer.colour;
      }
      uint8_t& greyed = glyph.indices[static_cast<std::size_t>(y) * glyph.width + kCell + x];
      if (any(x, y)) {
        greyed = kVgaGrey;
      } else if (any(x - 1, y - 1)) {
        greyed = kVgaWhite;
      }
    }
  }
  return glyph;
}

Shape Tick(double Dx, double Dy) {
  return [=](double X, double Y) {
    return Line(3, 9, 7, 13, 1.5)(X - Dx, Y - Dy) || Line(7, 13, 14, 4, 1.5)(X - Dx, Y - Dy);
  };
}

// ---------------------------------------------------------------- cursors

constexpr int kCursorSize = 32;

class CursorCanvas {
 public:
  explicit CursorCanvas(int Id, int HotX, int HotY) {
    cursor_.id = Id;
    cursor_.hot_x = HotX;
    cursor_.hot_y = HotY;
    cursor_.pixels.assign(kCursorSize * kCursorSize, MonoCursor::kClear);
  }

  CursorCanvas& Fill(const Shape& Area, uint8_t Pixel) {
    for (int y = 0; y < kCursorSize; ++y) {
      for (int x = 0; x < kCursorSize; ++x) {
        if (Covers(Area, x, y)) cursor_.pixels[y * kCursorSize + x] = Pixel;
      }
    }
    return *this;
  }
  CursorCanvas& White(const Shape& Area) { return Fill(Area, MonoCursor::kWhite); }
  CursorCanvas& Black(const Shape& Area) { return Fill(Area, MonoCursor::kBlack); }

  // A sheet of paper: white with a black edge.
  CursorCanvas& Page(int Left, int Top, int Width, int Height) {
    Black(Box(Left, Top, Width, Height));
    return White(Box(Left + 1, Top + 1, Width - 2, Height - 2));
  }

  // Every white area gets a black rim, so the cursor shows on any ground.
  MonoCursor Finish() {
    std::vector<uint8_t>& p = cursor_.pixels;
    const auto white = [&](int X, int Y) {
      return X >= 0 && Y >= 0 && X < kCursorSize && Y < kCursorSize &&
             p[Y * kCursorSize + X] == MonoCursor::kWhite;
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

MonoCursor Transposed(MonoCursor Cursor, int Id) {
  const std::vector<uint8_t> p = Cursor.pixels;
  for (int y = 0; y < kCursorSize; ++y) {
    for (int x = 0; x < kCursorSize; ++x)
      Cursor.pixels[y * kCursorSize + x] = p[x * kCursorSize + y];
  }
  Cursor.id = Id;
  std::swap(Cursor.hot_x, Cursor.hot_y);
  return Cursor;
}

}  // namespace

std::vector<NamedGlyph> DrawButtonGlyphs() {
  const Shape cross = [](double X, double Y) {
    return Line(4, 4, 14, 14, 1.5)(X, Y) || Line(14, 4, 4, 14, 1.5)(X, Y);
  };
  return {
      {"BBABORT", ButtonGlyph(18, {{Ring(9, 9, 0, 7.5), kVgaRed}, {Box(5, 8, 8, 2), kVgaWhite}})},
      {"BBALL", ButtonGlyph(19, {{Moved(Tick(0, 0), -1, -2), kVgaGreen},
                                 {Moved(Tick(0, 0), 2, 3), kVgaGreen}})},
      {"BBCANCEL", ButtonGlyph(18, {{cross, kVgaRed}})},
      {"BBCLOSE", ButtonGlyph(18, {{Box(5, 2, 9, 15), kVgaNavy},
                                   {Box(6, 3, 7, 13), kVgaTeal},
                                   {Box(11, 9, 1, 2), kVgaYellow}})},
      {"BBHELP", ButtonGlyph(18, {{Ring(9, 6.5, 2.2, 4.4, 180, 90), kVgaNavy},
                                  {Line(9, 10.5, 9, 12, 1.1), kVgaNavy},
                                  {Box(8, 14, 2, 2), kVgaNavy}})},
      {"BBIGNORE", ButtonGlyph(18, {{Box(6, 3, 2, 12), kVgaMaroon},
                                    {Line(2, 9, 12, 9, 1.1), kVgaTeal},
                                    {Polygon({{11, 5}, {16, 9}, {11, 13}}), kVgaTeal}})},
      {"BBNO",
       ButtonGlyph(18, {{Ring(9, 9, 5, 7.2), kVgaRed}, {Line(5, 13, 13, 5, 1.2), kVgaRed}})},
      {"BBOK", ButtonGlyph(18, {{Tick(0, 0), kVgaGreen}})},
      {"BBRETRY", ButtonGlyph(18, {{Ring(9, 9.5, 4, 6.2, 300, 200), kVgaGreen},
                                   {Polygon({{9, 1}, {15, 4.5}, {9, 8}}), kVgaGreen}})},
      {"BBYES", ButtonGlyph(18, {{Tick(0, 0), kVgaLime}})},
  };
}

IndexedImage DrawPreviewGlyph() {
  IndexedImage glyph;
  glyph.width = 16;
  glyph.height = 16;
  glyph.palette = kVgaPalette;
  glyph.indices.assign(16 * 16, kVgaOlive);
  // A magnifying glass.
  const std::array<Layer, 3> layers = {{{Line(9.5, 9.5, 14, 14, 1.4), kVgaMaroon},
                                        {Ring(6.5, 6.5, 0, 4), kVgaCyan},
                                        {Ring(6.5, 6.5, 4, 5.5), kVgaNavy}}};
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
