#include "assets/gen/image.h"

#include <algorithm>
#include <stdexcept>

namespace carpex::assetgen {

namespace {

uint8_t Channel(int Value) {
  return static_cast<uint8_t>(std::clamp(Value, 0, 255));
}

int Lerp(int From, int To, int Level) {
  // Rounded half away from zero, on integers only.
  const int delta = (To - From) * Level;
  return From + (delta >= 0 ? (delta + 127) / 255 : -((-delta + 127) / 255));
}

}  // namespace

Rgb Dim(Rgb Colour, int Level) {
  return Mix(kBlack, Colour, Level);
}

Rgb Mix(Rgb From, Rgb To, int Level) {
  Level = std::clamp(Level, 0, 255);
  return {Channel(Lerp(From.r, To.r, Level)), Channel(Lerp(From.g, To.g, Level)),
          Channel(Lerp(From.b, To.b, Level))};
}

bool IsBlackAt565(Rgb Colour) {
  return (Colour.r >> 3) == 0 && (Colour.g >> 2) == 0 && (Colour.b >> 3) == 0;
}

Image::Image(int Width, int Height, Rgb Fill)
    : width_(Width), height_(Height), pixels_(static_cast<std::size_t>(Width) * Height, Fill) {
  if (Width < 0 || Height < 0) throw std::invalid_argument("negative image size");
}

Rgb Image::Get(int X, int Y) const {
  if (!Contains(X, Y)) throw std::out_of_range("pixel outside the image");
  return pixels_[static_cast<std::size_t>(Y) * width_ + X];
}

void Image::Set(int X, int Y, Rgb Colour) {
  if (Contains(X, Y)) pixels_[static_cast<std::size_t>(Y) * width_ + X] = Colour;
}

void Image::Blend(int X, int Y, Rgb Colour, int Alpha) {
  if (!Contains(X, Y) || Alpha <= 0) return;
  Set(X, Y, Mix(Get(X, Y), Colour, Alpha));
}

void Image::Add(int X, int Y, Rgb Colour, int Level) {
  if (!Contains(X, Y) || Level <= 0) return;
  const Rgb old = Get(X, Y);
  const Rgb add = Dim(Colour, Level);
  Set(X, Y, {Channel(old.r + add.r), Channel(old.g + add.g), Channel(old.b + add.b)});
}

void Image::FillRect(int X, int Y, int Width, int Height, Rgb Colour) {
  for (int j = Y; j < Y + Height; ++j) {
    for (int i = X; i < X + Width; ++i) Set(i, j, Colour);
  }
}

void Image::Paste(const Image& Source, int X, int Y) {
  for (int j = 0; j < Source.height(); ++j) {
    for (int i = 0; i < Source.width(); ++i) Set(X + i, Y + j, Source.Get(i, j));
  }
}

void Image::PasteKeyed(const Image& Source, int X, int Y, Rgb Key) {
  for (int j = 0; j < Source.height(); ++j) {
    for (int i = 0; i < Source.width(); ++i) {
      const Rgb c = Source.Get(i, j);
      if (c != Key) Set(X + i, Y + j, c);
    }
  }
}

Image Image::Enlarged(int Factor) const {
  Image out(width_ * Factor, height_ * Factor);
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width(); ++x) out.Set(x, y, Get(x / Factor, y / Factor));
  }
  return out;
}

Image Image::Crop(int X, int Y, int Width, int Height) const {
  Image out(Width, Height);
  for (int j = 0; j < Height; ++j) {
    for (int i = 0; i < Width; ++i) out.Set(i, j, Get(X + i, Y + j));
  }
  return out;
}

void Image::SnapDarkToKey(Rgb Key) {
  for (Rgb& p : pixels_) {
    if (IsBlackAt565(p)) p = Key;
  }
}

std::vector<uint8_t> Image::ToRgbBytes() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels_.size() * 3);
  for (const Rgb& p : pixels_) bytes.insert(bytes.end(), {p.r, p.g, p.b});
  return bytes;
}

Mask::Mask(int Width, int Height)
    : width_(Width), height_(Height), values_(static_cast<std::size_t>(Width) * Height, 0) {
  if (Width < 0 || Height < 0) throw std::invalid_argument("negative mask size");
}

int Mask::Get(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return 0;
  return values_[static_cast<std::size_t>(Y) * width_ + X];
}

void Mask::Set(int X, int Y, int Value) {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return;
  values_[static_cast<std::size_t>(Y) * width_ + X] = Channel(Value);
}

void Mask::Max(int X, int Y, int Value) {
  Set(X, Y, std::max(Get(X, Y), Value));
}

Mask Mask::Blurred(int Radius) const {
  const int span = 2 * Radius + 1;
  Mask across(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      int sum = 0;
      for (int d = -Radius; d <= Radius; ++d) sum += Get(x + d, y);
      across.Set(x, y, (sum + span / 2) / span);
    }
  }
  Mask out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      int sum = 0;
      for (int d = -Radius; d <= Radius; ++d) sum += across.Get(x, y + d);
      out.Set(x, y, (sum + span / 2) / span);
    }
  }
  return out;
}

Mask Mask::Scaled(int Numerator, int Denominator) const {
  Mask out(width_, height_);
  for (std::size_t i = 0; i < values_.size(); ++i) {
    out.values_[i] = Channel((values_[i] * Numerator + Denominator / 2) / Denominator);
  }
  return out;
}

void Composite(Image& Image, const Mask& Mask, int X, int Y, Rgb Colour) {
  for (int j = 0; j < Mask.height(); ++j) {
    for (int i = 0; i < Mask.width(); ++i) Image.Blend(X + i, Y + j, Colour, Mask.Get(i, j));
  }
}

void DrawPixelArt(Image& Image, int X, int Y, const std::vector<std::string>& Rows,
                  const std::vector<LegendEntry>& Legend) {
  for (const std::string& row : Rows) {
    if (row.size() != Rows.front().size()) throw std::logic_error("ragged pixel art: " + row);
  }
  for (std::size_t j = 0; j < Rows.size(); ++j) {
    for (std::size_t i = 0; i < Rows[j].size(); ++i) {
      const char symbol = Rows[j][i];
      if (symbol == '.') continue;
      const auto entry = std::find_if(Legend.begin(), Legend.end(), [symbol](const LegendEntry& E) {
        return E.symbol == symbol;
      });
      if (entry == Legend.end()) {
        throw std::logic_error(std::string("pixel art symbol without a colour: ") + symbol);
      }
      Image.Set(X + static_cast<int>(i), Y + static_cast<int>(j), entry->colour);
    }
  }
}

bool InPolygon(const std::vector<Point>& Polygon, double U, double V) {
  bool inside = false;
  for (std::size_t i = 0, j = Polygon.size() - 1; i < Polygon.size(); j = i++) {
    const Point& a = Polygon[i];
    const Point& b = Polygon[j];
    if ((a.v > V) != (b.v > V) && U < (b.u - a.u) * (V - a.v) / (b.v - a.v) + a.u) {
      inside = !inside;
    }
  }
  return inside;
}

}  // namespace carpex::assetgen
