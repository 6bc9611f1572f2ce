#include "assets/gen/formats.h"

#include <stdexcept>

namespace carpex::assetgen {

namespace {

void Put16(std::vector<uint8_t>& Out, uint32_t Value) {
  Out.push_back(static_cast<uint8_t>(Value));
  Out.push_back(static_cast<uint8_t>(Value >> 8));
}

void Put32(std::vector<uint8_t>& Out, uint32_t Value) {
  Put16(Out, Value & 0xFFFF);
  Put16(Out, Value >> 16);
}

uint32_t Stride(int Width, int Bits) {
  return ((static_cast<uint32_t>(Width) * Bits + 31) / 32) * 4;
}

void FileHeader(std::vector<uint8_t>& Out, uint32_t FileSize, uint32_t BitsOffset) {
  Out.push_back('B');
  Out.push_back('M');
  Put32(Out, FileSize);
  Put32(Out, 0);  // two reserved words
  Put32(Out, BitsOffset);
}

// BITMAPINFOHEADER, BI_RGB. A stored height of twice the picture is what
// icons use to cover the AND mask as well.
void InfoHeader(std::vector<uint8_t>& Out, int Width, int StoredHeight, int Bits,
                uint32_t ImageSize, uint32_t ColoursUsed) {
  Put32(Out, 40);
  Put32(Out, static_cast<uint32_t>(Width));
  Put32(Out, static_cast<uint32_t>(StoredHeight));
  Put16(Out, 1);  // planes
  Put16(Out, static_cast<uint32_t>(Bits));
  Put32(Out, 0);  // BI_RGB
  Put32(Out, ImageSize);
  Put32(Out, 0);  // no preferred resolution
  Put32(Out, 0);
  Put32(Out, ColoursUsed);
  Put32(Out, 0);
}

void ColourTable(std::vector<uint8_t>& Out, const std::vector<Rgb>& Palette, std::size_t Entries) {
  for (std::size_t i = 0; i < Entries; ++i) {
    const Rgb c = i < Palette.size() ? Palette[i] : kBlack;
    Out.insert(Out.end(), {c.b, c.g, c.r, 0});
  }
}

void CheckIndexed(const IndexedImage& Image, std::size_t MaxColours) {
  if (Image.width <= 0 || Image.height <= 0 ||
      Image.indices.size() != static_cast<std::size_t>(Image.width) * Image.height ||
      Image.palette.size() > MaxColours) {
    throw std::invalid_argument("malformed indexed picture");
  }
  for (uint8_t index : Image.indices) {
    if (index >= Image.palette.size()) throw std::invalid_argument("index outside the palette");
  }
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const Image& Image) {
  if (Image.width() <= 0 || Image.height() <= 0) throw std::invalid_argument("empty picture");
  const uint32_t stride = Stride(Image.width(), 24);
  const uint32_t bitsSize = stride * static_cast<uint32_t>(Image.height());
  std::vector<uint8_t> out;
  FileHeader(out, 14 + 40 + bitsSize, 14 + 40);
  InfoHeader(out, Image.width(), Image.height(), 24, bitsSize, 0);
  for (int y = Image.height() - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < Image.width(); ++x) {
      const Rgb c = Image.Get(x, y);
      out.insert(out.end(), {c.b, c.g, c.r});
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

namespace {

// An indexed bitmap of 8 or 4 bits a pixel (the high nibble first), bottom
// row first, with its full colour table.
std::vector<uint8_t> EncodeIndexedBmp(const IndexedImage& Image, int Bits) {
  const uint32_t colours = 1u << Bits;
  CheckIndexed(Image, colours);
  const uint32_t stride = Stride(Image.width, Bits);
  const uint32_t bitsSize = stride * static_cast<uint32_t>(Image.height);
  const uint32_t bitsOffset = 14 + 40 + colours * 4;
  std::vector<uint8_t> out;
  FileHeader(out, bitsOffset + bitsSize, bitsOffset);
  InfoHeader(out, Image.width, Image.height, Bits, bitsSize, colours);
  ColourTable(out, Image.palette, colours);
  const int perByte = 8 / Bits;
  for (int y = Image.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    out.resize(rowStart + stride, 0);
    for (int x = 0; x < Image.width; ++x) {
      const int shift = (perByte - 1 - x % perByte) * Bits;
      out[rowStart + x / perByte] |= static_cast<uint8_t>(Image.At(x, y) << shift);
    }
  }
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeBmp8(const IndexedImage& Image) {
  return EncodeIndexedBmp(Image, 8);
}

std::vector<uint8_t> EncodeBmp4(const IndexedImage& Image) {
  return EncodeIndexedBmp(Image, 4);
}

std::vector<uint8_t> EncodeCur(const MonoCursor& Cursor) {
  const int size = Cursor.size;
  if (size <= 0 || size > 255 || Cursor.pixels.size() != static_cast<std::size_t>(size) * size) {
    throw std::invalid_argument("malformed cursor");
  }
  const uint32_t stride = Stride(size, 1);
  const uint32_t bitsSize = 2 * stride * static_cast<uint32_t>(size);
  std::vector<uint8_t> out;
  Put16(out, 0);  // ICONDIR: reserved, type 2 (cursor), one entry
  Put16(out, 2);
  Put16(out, 1);
  out.push_back(static_cast<uint8_t>(size));
  out.push_back(static_cast<uint8_t>(size));
  out.push_back(2);  // colours
  out.push_back(0);
  Put16(out, static_cast<uint32_t>(Cursor.hot_x));
  Put16(out, static_cast<uint32_t>(Cursor.hot_y));
  Put32(out, 40 + 2 * 4 + bitsSize);
  Put32(out, 6 + 16);

  InfoHeader(out, size, size * 2, 1, bitsSize, 0);
  ColourTable(out, {kBlack, {255, 255, 255}}, 2);
  // The XOR picture (white bits set), then the AND mask (transparent bits set).
  for (uint8_t set : {MonoCursor::kWhite, MonoCursor::kClear}) {
    for (int y = size - 1; y >= 0; --y) {
      const std::size_t rowStart = out.size();
      out.resize(rowStart + stride, 0);
      for (int x = 0; x < size; ++x) {
        if (Cursor.pixels[static_cast<std::size_t>(y) * size + x] == set) {
          out[rowStart + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
      }
    }
  }
  return out;
}

Image CursorPreview(const MonoCursor& Cursor, Rgb Ground) {
  Image out(Cursor.size, Cursor.size);
  for (int y = 0; y < Cursor.size; ++y) {
    for (int x = 0; x < Cursor.size; ++x) {
      const uint8_t p = Cursor.pixels[static_cast<std::size_t>(y) * Cursor.size + x];
      out.Set(x, y,
              p == MonoCursor::kClear   ? Ground
              : p == MonoCursor::kWhite ? Rgb{255, 255, 255}
                                        : kBlack);
    }
  }
  return out;
}

std::vector<uint8_t> EncodeIco4(const IndexedImage& Image, const std::vector<bool>& Transparent) {
  CheckIndexed(Image, 16);
  if (Image.width > 255 || Image.height > 255 || Transparent.size() != Image.indices.size()) {
    throw std::invalid_argument("malformed icon picture");
  }
  const uint32_t xorStride = Stride(Image.width, 4);
  const uint32_t andStride = Stride(Image.width, 1);
  const uint32_t bitsSize = (xorStride + andStride) * static_cast<uint32_t>(Image.height);
  const uint32_t entrySize = 40 + 16 * 4 + bitsSize;

  std::vector<uint8_t> out;
  Put16(out, 0);  // ICONDIR: reserved, type 1 (icon), one entry
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(static_cast<uint8_t>(Image.width));  // ICONDIRENTRY
  out.push_back(static_cast<uint8_t>(Image.height));
  out.push_back(16);  // colours
  out.push_back(0);
  Put16(out, 1);  // planes
  Put16(out, 4);  // bits a pixel
  Put32(out, entrySize);
  Put32(out, 6 + 16);  // the picture follows the directory

  InfoHeader(out, Image.width, Image.height * 2, 4, bitsSize, 0);
  ColourTable(out, Image.palette, 16);
  for (int y = Image.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < Image.width; x += 2) {
      const std::size_t i = static_cast<std::size_t>(y) * Image.width + x;
      // Transparent pixels are 0 in the XOR picture so that the AND mask alone decides.
      const uint8_t high = Transparent[i] ? 0 : Image.indices[i];
      const uint8_t low = (x + 1 < Image.width && !Transparent[i + 1]) ? Image.indices[i + 1] : 0;
      out.push_back(static_cast<uint8_t>((high << 4) | low));
    }
    out.resize(rowStart + xorStride, 0);
  }
  for (int y = Image.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    out.resize(rowStart + andStride, 0);
    for (int x = 0; x < Image.width; ++x) {
      if (Transparent[static_cast<std::size_t>(y) * Image.width + x]) {
        out[rowStart + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return out;
}

Image ToImage(const IndexedImage& Indexed) {
  Image out(Indexed.width, Indexed.height);
  for (int y = 0; y < Indexed.height; ++y) {
    for (int x = 0; x < Indexed.width; ++x) out.Set(x, y, Indexed.palette[Indexed.At(x, y)]);
  }
  return out;
}

Image IconPreview(const IndexedImage& Icon, const std::vector<bool>& Transparent, Rgb Ground) {
  Image out(Icon.width, Icon.height);
  for (int y = 0; y < Icon.height; ++y) {
    for (int x = 0; x < Icon.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * Icon.width + x;
      out.Set(x, y, Transparent[i] ? Ground : Icon.palette[Icon.indices[i]]);
    }
  }
  return out;
}

}  // namespace carpex::assetgen
