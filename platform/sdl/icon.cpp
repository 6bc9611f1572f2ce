#include "platform/sdl/icon.h"

#include <utility>

namespace carpex::sdl {

namespace {

uint16_t U16(const uint8_t* P) {
  return static_cast<uint16_t>(P[0] | P[1] << 8);
}
uint32_t U32(const uint8_t* P) {
  return static_cast<uint32_t>(P[0]) | static_cast<uint32_t>(P[1]) << 8 |
         static_cast<uint32_t>(P[2]) << 16 | static_cast<uint32_t>(P[3]) << 24;
}

constexpr std::size_t kDirHeader = 6;
constexpr std::size_t kDirEntry = 16;
constexpr std::size_t kInfoHeader = 40;

// Bytes in one stored row: rows are padded to whole 32-bit words.
std::size_t Stride(int32_t Width, int Bits) {
  return (static_cast<std::size_t>(Width) * Bits + 31) / 32 * 4;
}

// The picture stored at Dib: BITMAPINFOHEADER (twice the height: colours,
// then the AND mask), the colour table, the colour rows, the mask rows.
bool DecodeEntry(const uint8_t* Dib, std::size_t Size, IconImage* Out) {
  if (Size < kInfoHeader) return false;
  const uint32_t header = U32(Dib);
  const int32_t width = static_cast<int32_t>(U32(Dib + 4));
  const int32_t doubled = static_cast<int32_t>(U32(Dib + 8));
  const uint16_t bits = U16(Dib + 14);
  const uint32_t compression = U32(Dib + 16);
  const uint32_t used = U32(Dib + 32);
  if (header < kInfoHeader || header > Size) return false;
  if (width <= 0 || width > 256 || doubled <= 0 || doubled > 512 || doubled % 2 != 0) return false;
  if (compression != 0) return false;  // BI_RGB only
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  const int32_t height = doubled / 2;

  std::size_t colours = 0;
  if (bits <= 8) {
    colours = used != 0 ? used : (std::size_t{1} << bits);
    if (colours > (std::size_t{1} << bits)) return false;
  }
  const std::size_t table = header;
  const std::size_t pixels = table + colours * 4;
  const std::size_t colourStride = Stride(width, bits);
  const std::size_t maskStride = Stride(width, 1);
  const std::size_t mask = pixels + colourStride * height;
  if (mask + maskStride * height > Size) return false;

  Out->Width = width;
  Out->Height = height;
  Out->Argb.assign(static_cast<std::size_t>(width) * height, 0);
  for (int32_t y = 0; y < height; ++y) {
    // Rows are stored bottom-up.
    const uint8_t* row = Dib + pixels + colourStride * (height - 1 - y);
    const uint8_t* maskRow = Dib + mask + maskStride * (height - 1 - y);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t rgb = 0;
      uint32_t alpha = 0xFF;
      if (bits <= 8) {
        const std::size_t bit = static_cast<std::size_t>(x) * bits;
        const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        if (index >= colours) return false;
        const uint8_t* c = Dib + table + index * 4;  // blue, green, red, reserved
        rgb = static_cast<uint32_t>(c[2]) << 16 | static_cast<uint32_t>(c[1]) << 8 | c[0];
      } else {
        const uint8_t* c = row + static_cast<std::size_t>(x) * (bits / 8);
        rgb = static_cast<uint32_t>(c[2]) << 16 | static_cast<uint32_t>(c[1]) << 8 | c[0];
        if (bits == 32) alpha = c[3];
      }
      // A set mask bit lets the background through.
      if ((maskRow[x / 8] >> (7 - x % 8)) & 1) alpha = 0;
      Out->Argb[static_cast<std::size_t>(y) * width + x] = alpha << 24 | rgb;
    }
  }
  return true;
}

}  // namespace

bool DecodeIcon(const uint8_t* Data, std::size_t Size, int32_t WantedSize, IconImage* Out) {
  if (Data == nullptr || Out == nullptr || Size < kDirHeader) return false;
  if (U16(Data) != 0 || U16(Data + 2) != 1) return false;  // reserved, type 1 = icon
  const std::size_t count = U16(Data + 4);
  if (count == 0 || kDirHeader + count * kDirEntry > Size) return false;

  std::size_t chosen = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const uint8_t* entry = Data + kDirHeader + i * kDirEntry;
    // A width or height byte of 0 means 256.
    const int32_t w = entry[0] != 0 ? entry[0] : 256;
    const int32_t h = entry[1] != 0 ? entry[1] : 256;
    if (w == WantedSize && h == WantedSize) {
      chosen = i;
      break;
    }
  }
  const uint8_t* entry = Data + kDirHeader + chosen * kDirEntry;
  const std::size_t bytes = U32(entry + 8);
  const std::size_t offset = U32(entry + 12);
  if (offset > Size || bytes > Size - offset) return false;
  IconImage image;
  if (!DecodeEntry(Data + offset, bytes, &image)) return false;
  *Out = std::move(image);
  return true;
}

}  // namespace carpex::sdl
