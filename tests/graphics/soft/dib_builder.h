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

inline void Put16(std::vector<std::uint8_t>& Out, std::uint16_t V) {
  Out.push_back(static_cast<std::uint8_t>(V));
  Out.push_back(static_cast<std::uint8_t>(V >> 8));
}

inline void Put32(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<std::uint8_t>(V >> (8 * i)));
}

inline void Poke32(std::vector<std::uint8_t>& Bytes, std::size_t At, std::uint32_t V) {
  for (int i = 0; i < 4; ++i) Bytes[At + i] = static_cast<std::uint8_t>(V >> (8 * i));
}

// A packed DIB, as an RT_BITMAP resource holds it.
inline std::vector<std::uint8_t> MakeDib(const DibSpec& Spec) {
  std::vector<std::uint8_t> out;
  const std::uint32_t stride = (static_cast<std::uint32_t>(Spec.width) * Spec.bits + 31) / 32 * 4;
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(Spec.width));
  Put32(out, static_cast<std::uint32_t>(Spec.topDown ? -Spec.height : Spec.height));
  Put16(out, 1);
  Put16(out, Spec.bits);
  Put32(out, 0);  // BI_RGB
  Put32(out, stride * static_cast<std::uint32_t>(Spec.height));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, Spec.clrUsed);
  Put32(out, 0);
  for (std::uint32_t c : Spec.palette) {
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  for (std::int32_t r = 0; r < Spec.height; ++r) {
    const std::int32_t y = Spec.topDown ? r : Spec.height - 1 - r;
    std::vector<std::uint8_t> row(stride, 0);
    for (std::int32_t x = 0; x < Spec.width; ++x) {
      const std::uint32_t v = Spec.pixels[static_cast<std::size_t>(y) * Spec.width + x];
      if (Spec.bits >= 24) {
        const std::size_t at = static_cast<std::size_t>(x) * (Spec.bits / 8);
        row[at] = static_cast<std::uint8_t>(v >> 16);
        row[at + 1] = static_cast<std::uint8_t>(v >> 8);
        row[at + 2] = static_cast<std::uint8_t>(v);
        if (Spec.bits == 32) row[at + 3] = 0xAB;  // the unused byte must be ignored
      } else {
        const std::uint32_t bitPos = static_cast<std::uint32_t>(x) * Spec.bits;
        row[bitPos / 8] |= static_cast<std::uint8_t>(v << (8 - Spec.bits - bitPos % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// A .bmp file: BITMAPFILEHEADER, then the DIB; `Gap` bytes between the colour
// table and the bits, which bfOffBits steps over.
inline std::vector<std::uint8_t> MakeBmpFile(const DibSpec& Spec, std::uint32_t Gap = 0) {
  const std::vector<std::uint8_t> dib = MakeDib(Spec);
  const std::uint32_t table = 40 + static_cast<std::uint32_t>(Spec.palette.size()) * 4;
  std::vector<std::uint8_t> out = {'B', 'M'};
  Put32(out, static_cast<std::uint32_t>(14 + dib.size() + Gap));
  Put32(out, 0);
  Put32(out, 14 + table + Gap);
  out.insert(out.end(), dib.begin(), dib.begin() + table);
  out.insert(out.end(), Gap, 0xEE);
  out.insert(out.end(), dib.begin() + table, dib.end());
  return out;
}

}  // namespace soft_test
