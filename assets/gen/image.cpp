#include "assets/gen/image.h"

#include <algorithm>
#include <stdexcept>

namespace carpex::assetgen {

namespace {

uint8_t Channel(int value) {
  return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

int Lerp(int from, int to, int level) {
  // Rounded half away from zero, on integers only.
  const int delta = (to - from) * level;
  return from + (delta >= 0 ? (delta + 127) / 255 : -((-delta + 127) / 255));
}

}  // namespace

Rgb Dim(Rgb colour, int level) {
  return Mix(kBlack, colour, level);
}

Rgb Mix(Rgb from, Rgb to, int level) {
  level = std::clamp(level, 0, 255);
  return {Channel(Lerp(from.r, to.r, level)), Channel(Lerp(from.g, to.g, level)),
          Channel(Lerp(from.b, to.b, level))};
}

bool IsBlackAt565(Rgb colour) {
  return (colour.r >> 3) == 0 && (colour.g >> 2) == 0 && (colour.b >> 3) == 0;
}

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill) {
  if (width < 0 || height < 0) throw std::invalid_argument("negative image size");
}

Rgb Image::Get(int x, int y) const {
  if (!Contains(x, y)) throw std::out_of_range("pixel outside the image");
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void Image::Set(int x, int y, Rgb colour) {
  if (Contains(x, y)) pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
}

void Image::Blend(int x, int y, Rgb colour, int alpha) {
  if (!Contains(x, y) || alpha <= 0) return;
  Set(x, y, Mix(Get(x, y), colour, alpha));
}

void Image::Add(int x, int y, Rgb colour, int level) {
  if (!Contains(x, y) || level <= 0) return;
  const Rgb old = Get(x, y);
  const Rgb add = Dim(colour, level);
  Set(x, y, {Channel(old.r + add.r), Channel(old.g + add.g), Channel(old.b + add.b)});
}

void Image::FillRect(int x, int y, int width, int height, Rgb colour) {
  for (int j = y; j < y + height; ++j) {
    for (int i = x; i < x + width; ++i) Set(i, j, colour);
  }
}

void Image::Paste(const Image& source, int x, int y) {
  for (int j = 0; j < source.height(); ++j) {
    for (int i = 0; i < source.width(); ++i) Set(x + i, y + j, source.Get(i, j));
  }
}

void Image::PasteKeyed(const Image& source, int x, int y, Rgb key) {
  for (int j = 0; j < source.height(); ++j) {
    for (int i = 0; i < source.width(); ++i) {
      const Rgb c = source.Get(i, j);
      if (c != key) Set(x + i, y + j, c);
    }
  }
}

Image Image::Enlarged(int factor) const {
  Image out(width_ * factor, height_ * factor);
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width(); ++x) out.Set(x, y, Get(x / factor, y / factor));
  }
  return out;
}

Image Image::Crop(int x, int y, int width, int height) const {
  Image out(width, height);
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) out.Set(i, j, Get(x + i, y + j));
  }
  return out;
}

void Image::SnapDarkToKey(Rgb key) {
  for (Rgb& p : pixels_) {
    if (IsBlackAt565(p)) p = key;
  }
}

std::vector<uint8_t> Image::ToRgbBytes() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels_.size() * 3);
  for (const Rgb& p : pixels_) bytes.insert(bytes.end(), {p.r, p.g, p.b});
  return bytes;
}

Mask::Mask(int width, int height)
    : width_(width), height_(height), values_(static_cast<std::size_t>(width) * height, 0) {
  if (width < 0 || height < 0) throw std::invalid_argument("negative mask size");
}

int Mask::Get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return values_[static_cast<std::size_t>(y) * width_ + x];
}

void Mask::Set(int x, int y, int value) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  values_[static_cast<std::size_t>(y) * width_ + x] = Channel(value);
}

void Mask::Max(int x, int y, int value) {
  Set(x, y, std::max(Get(x, y), value));
}

Mask Mask::Blurred(int radius) const {
  const int span = 2 * radius + 1;
  Mask across(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      int sum = 0;
      for (int d = -radius; d <= radius; ++d) sum += Get(x + d, y);
      across.Set(x, y, (sum + span / 2) / span);
    }
  }
  Mask out(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      int sum = 0;
      for (int d = -radius; d <= radius; ++d) sum += across.Get(x, y + d);
      out.Set(x, y, (sum + span / 2) / span);
    }
  }
  return out;
}

Mask Mask::Scaled(int numerator, int denominator) const {
  Mask out(width_, height_);
  for (std::size_t i = 0; i < values_.size(); ++i) {
    out.values_[i] = Channel((values_[i] * numerator + denominator / 2) / denominator);
  }
  return out;
}

void Composite(Image& image, const Mask& mask, int x, int y, Rgb colour) {
  for (int j = 0; j < mask.height(); ++j) {
    for (int i = 0; i < mask.width(); ++i) image.Blend(x + i, y + j, colour, mask.Get(i, j));
  }
}

void DrawPixelArt(Image& image, int x, int y, const std::vector<std::string>& rows,
                  const std::vector<LegendEntry>& legend) {
  for (const std::string& row : rows) {
    if (row.size() != rows.front().size()) throw std::logic_error("ragged pixel art: " + row);
  }
  for (std::size_t j = 0; j < rows.size(); ++j) {
    for (std::size_t i = 0; i < rows[j].size(); ++i) {
      const char symbol = rows[j][i];
      if (symbol == '.') continue;
      const auto entry = std::find_if(legend.begin(), legend.end(), [symbol](const LegendEntry& e) {
        return e.symbol == symbol;
      });
      if (entry == legend.end()) {
        throw std::logic_error(std::string("pixel art symbol without a colour: ") + symbol);
      }
      image.Set(x + static_cast<int>(i), y + static_cast<int>(j), entry->colour);
    }
  }
}

bool InPolygon(const std::vector<Point>& polygon, double u, double v) {
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point& a = polygon[i];
    const Point& b = polygon[j];
    if ((a.v > v) != (b.v > v) && u < (b.u - a.u) * (v - a.v) / (b.v - a.v) + a.u) {
      inside = !inside;
    }
  }
  return inside;
}

}  // namespace carpex::assetgen
