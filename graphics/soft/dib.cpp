// Decoding of uncompressed Windows DIBs. Every size and offset is checked
// against the input in 64-bit arithmetic before anything is read, so a
// truncated or corrupt picture is refused and never read past its end.

#include "graphics/soft/dib.h"

#include <utility>

#include "graphics/soft/dib_detail.h"

namespace soft {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::size_t kFileHeaderSize = 14;  // BITMAPFILEHEADER
constexpr std::uint32_t kBiRgb = 0;

std::uint16_t Read16(const std::uint8_t* P) {
  return static_cast<std::uint16_t>(P[0] | (P[1] << 8));
}

std::uint32_t Read32(const std::uint8_t* P) {
  return static_cast<std::uint32_t>(P[0]) | (static_cast<std::uint32_t>(P[1]) << 8) |
         (static_cast<std::uint32_t>(P[2]) << 16) | (static_cast<std::uint32_t>(P[3]) << 24);
}

std::uint32_t ColorRef(std::uint8_t Blue, std::uint8_t Green, std::uint8_t Red) {
  return static_cast<std::uint32_t>(Red) | (static_cast<std::uint32_t>(Green) << 8) |
         (static_cast<std::uint32_t>(Blue) << 16);
}

// The header starts at `HeaderAt`. The bits follow the colour table, or for a
// file start at `FileBitsAt` when `FromFile` is set.
bool Decode(const std::uint8_t* Data, std::size_t Size, std::size_t HeaderAt, bool FromFile,
            std::uint64_t FileBitsAt, DibImage* Out, std::vector<std::uint32_t>* Palette) {
  if (Data == nullptr || Out == nullptr) return false;
  if (HeaderAt > Size || Size - HeaderAt < kInfoHeaderSize) return false;
  const std::uint8_t* header = Data + HeaderAt;
  const std::uint32_t headerSize = Read32(header);
  if (headerSize < kInfoHeaderSize || headerSize > Size - HeaderAt) return false;
  const auto width = static_cast<std::int32_t>(Read32(header + 4));
  const auto height = static_cast<std::int32_t>(Read32(header + 8));
  const std::uint16_t planes = Read16(header + 12);
  const std::uint16_t bits = Read16(header + 14);
  const std::uint32_t compression = Read32(header + 16);
  const std::uint32_t colorsUsed = Read32(header + 32);

  if (planes != 1 || compression != kBiRgb) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  const bool topDown = height < 0;
  const std::int32_t rows = topDown ? -height : height;
  if (width > detail::kMaxDibSide || rows > detail::kMaxDibSide ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(rows) >
          detail::kMaxDibPixels) {
    return false;
  }

  // Colour table: a full one when biClrUsed is 0; true-colour pictures may
  // carry an optional one, which is skipped.
  std::uint64_t tableEntries = colorsUsed;
  if (bits <= 8) {
    const std::uint64_t full = std::uint64_t{1} << bits;
    if (tableEntries == 0) tableEntries = full;
    if (tableEntries > full) return false;
  }
  const std::uint64_t tableAt = static_cast<std::uint64_t>(HeaderAt) + headerSize;
  const std::uint64_t tableEnd = tableAt + tableEntries * 4;
  if (tableEnd > Size) return false;

  const std::uint64_t bitsAt = FromFile ? FileBitsAt : tableEnd;
  if (bitsAt < tableEnd) return false;  // bits may not overlap the header or the table
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
  if (bitsAt > Size || Size - bitsAt < stride * static_cast<std::uint64_t>(rows)) return false;

  std::vector<std::uint32_t> table;
  if (bits <= 8) {
    table.reserve(static_cast<std::size_t>(tableEntries));
    for (std::uint64_t i = 0; i < tableEntries; ++i) {
      const std::uint8_t* q = Data + tableAt + i * 4;
      table.push_back(ColorRef(q[0], q[1], q[2]));
    }
  }

  DibImage image;
  image.Width = width;
  image.Height = rows;
  image.BitsPerPixel = bits;
  image.Pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
  for (std::int32_t r = 0; r < rows; ++r) {
    const std::uint8_t* row = Data + bitsAt + static_cast<std::uint64_t>(r) * stride;
    const std::int32_t y = topDown ? r : rows - 1 - r;
    std::uint32_t* to = image.Pixels.data() + static_cast<std::size_t>(y) * width;
    for (std::int32_t x = 0; x < width; ++x) {
      switch (bits) {
        case 24:
          to[x] = ColorRef(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]);
          break;
        case 32:
          to[x] = ColorRef(row[x * 4], row[x * 4 + 1], row[x * 4 + 2]);
          break;
        default: {
          const std::uint32_t bitPos = static_cast<std::uint32_t>(x) * bits;
          const std::uint8_t byte = row[bitPos / 8];
          const std::uint32_t shift = 8 - bits - bitPos % 8;
          const std::uint32_t index = (byte >> shift) & ((1u << bits) - 1);
          // An index past a short table shows black, as GDI shows it.
          to[x] = index < table.size() ? table[index] : 0;
          break;
        }
      }
    }
  }
  *Out = std::move(image);
  if (Palette != nullptr) *Palette = std::move(table);
  return true;
}

}  // namespace

bool DecodeDib(const std::uint8_t* Data, std::size_t Size, DibImage* Out) {
  return Decode(Data, Size, 0, false, 0, Out, nullptr);
}

bool DecodeBmpFile(const std::uint8_t* Data, std::size_t Size, DibImage* Out) {
  return detail::DecodeBmpFileWithPalette(Data, Size, Out, nullptr);
}

namespace detail {

bool DecodeDibWithPalette(const std::uint8_t* Data, std::size_t Size, DibImage* Out,
                          std::vector<std::uint32_t>* Palette) {
  return Decode(Data, Size, 0, false, 0, Out, Palette);
}

bool DecodeBmpFileWithPalette(const std::uint8_t* Data, std::size_t Size, DibImage* Out,
                              std::vector<std::uint32_t>* Palette) {
  if (Data == nullptr || Size < kFileHeaderSize || Data[0] != 'B' || Data[1] != 'M') return false;
  const std::uint32_t bitsAt = Read32(Data + 10);
  return Decode(Data, Size, kFileHeaderSize, true, bitsAt, Out, Palette);
}

}  // namespace detail
}  // namespace soft
