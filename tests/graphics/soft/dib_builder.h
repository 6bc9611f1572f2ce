// Builds Windows bitmaps byte by byte for the tests.
#pragma once

#include <cstdint>
#include <vector>

namespace soft_test {

struct DibSpec {
  std::int32_t width = 1;
  std::int32_t height = 1;  // rows; stored bottom-up unless topDown
  std::uint16_t bits = 24;
  // Top row first: COLORREFs for 24 and 32 bits, colour indices otherwise.
  std::vector<std::uint32_t> pixels;
  std::vector<std::uint32_t> palette;  // COLORREFs, written as RGBQUADs
  std::uint32_t clrUsed = 0;           // written as is into biClrUsed
  bool topDown = false;
};

inline void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void Poke32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A packed DIB, as an RT_BITMAP resource holds it.
inline std::vector<std::uint8_t> MakeDib(const DibSpec& spec) {
  std::vector<std::uint8_t> out;
  const std::uint32_t stride = (static_cast<std::uint32_t>(spec.width) * spec.bits + 31) / 32 * 4;
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(spec.width));
  Put32(out, static_cast<std::uint32_t>(spec.topDown ? -spec.height : spec.height));
  Put16(out, 1);
  Put16(out, spec.bits);
  Put32(out, 0);  // BI_RGB
  Put32(out, stride * static_cast<std::uint32_t>(spec.height));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, spec.clrUsed);
  Put32(out, 0);
  for (std::uint32_t c : spec.palette) {
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  for (std::int32_t r = 0; r < spec.height; ++r) {
    const std::int32_t y = spec.topDown ? r : spec.height - 1 - r;
    std::vector<std::uint8_t> row(stride, 0);
    for (std::int32_t x = 0; x < spec.width; ++x) {
      const std::uint32_t v = spec.pixels[static_cast<std::size_t>(y) * spec.width + x];
      if (spec.bits >= 24) {
        const std::size_t at = static_cast<std::size_t>(x) * (spec.bits / 8);
        row[at] = static_cast<std::uint8_t>(v >> 16);
        row[at + 1] = static_cast<std::uint8_t>(v >> 8);
        row[at + 2] = static_cast<std::uint8_t>(v);
        if (spec.bits == 32) row[at + 3] = 0xAB;  // the unused byte must be ignored
      } else {
        const std::uint32_t bitPos = static_cast<std::uint32_t>(x) * spec.bits;
        row[bitPos / 8] |= static_cast<std::uint8_t>(v << (8 - spec.bits - bitPos % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// A .bmp file: BITMAPFILEHEADER, then the DIB; `gap` bytes between the colour
// table and the bits, which bfOffBits steps over.
inline std::vector<std::uint8_t> MakeBmpFile(const DibSpec& spec, std::uint32_t gap = 0) {
  const std::vector<std::uint8_t> dib = MakeDib(spec);
  const std::uint32_t table = 40 + static_cast<std::uint32_t>(spec.palette.size()) * 4;
  std::vector<std::uint8_t> out = {'B', 'M'};
  Put32(out, static_cast<std::uint32_t>(14 + dib.size() + gap));
  Put32(out, 0);
  Put32(out, 14 + table + gap);
  out.insert(out.end(), dib.begin(), dib.begin() + table);
  out.insert(out.end(), gap, 0xEE);
  out.insert(out.end(), dib.begin() + table, dib.end());
  return out;
}

}  // namespace soft_test
