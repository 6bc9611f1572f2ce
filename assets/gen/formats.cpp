#include "assets/gen/formats.h"

#include <stdexcept>

namespace carpex::assetgen {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

uint32_t Stride(int width, int bits) {
  return ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
}

void FileHeader(std::vector<uint8_t>& out, uint32_t file_size, uint32_t bits_offset) {
  out.push_back('B');
  out.push_back('M');
  Put32(out, file_size);
  Put32(out, 0);  // two reserved words
  Put32(out, bits_offset);
}

// BITMAPINFOHEADER, BI_RGB. A stored height of twice the picture is what
// icons use to cover the AND mask as well.
void InfoHeader(std::vector<uint8_t>& out, int width, int stored_height, int bits,
                uint32_t image_size, uint32_t colours_used) {
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(stored_height));
  Put16(out, 1);  // planes
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, 0);  // BI_RGB
  Put32(out, image_size);
  Put32(out, 0);  // no preferred resolution
  Put32(out, 0);
  Put32(out, colours_used);
  Put32(out, 0);
}

void ColourTable(std::vector<uint8_t>& out, const std::vector<Rgb>& palette, std::size_t entries) {
  for (std::size_t i = 0; i < entries; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : kBlack;
    out.insert(out.end(), {c.b, c.g, c.r, 0});
  }
}

void CheckIndexed(const IndexedImage& image, std::size_t max_colours) {
  if (image.width <= 0 || image.height <= 0 ||
      image.indices.size() != static_cast<std::size_t>(image.width) * image.height ||
      image.palette.size() > max_colours) {
    throw std::invalid_argument("malformed indexed picture");
  }
  for (uint8_t index : image.indices) {
    if (index >= image.palette.size()) throw std::invalid_argument("index outside the palette");
  }
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const Image& image) {
  if (image.width() <= 0 || image.height() <= 0) throw std::invalid_argument("empty picture");
  const uint32_t stride = Stride(image.width(), 24);
  const uint32_t bits_size = stride * static_cast<uint32_t>(image.height());
  std::vector<uint8_t> out;
  FileHeader(out, 14 + 40 + bits_size, 14 + 40);
  InfoHeader(out, image.width(), image.height(), 24, bits_size, 0);
  for (int y = image.height() - 1; y >= 0; --y) {
    const std::size_t row_start = out.size();
    for (int x = 0; x < image.width(); ++x) {
      const Rgb c = image.Get(x, y);
      out.insert(out.end(), {c.b, c.g, c.r});
    }
    out.resize(row_start + stride, 0);
  }
  return out;
}

namespace {

// An indexed bitmap of 8 or 4 bits a pixel (the high nibble first), bottom
// row first, with its full colour table.
std::vector<uint8_t> EncodeIndexedBmp(const IndexedImage& image, int bits) {
  const uint32_t colours = 1u << bits;
  CheckIndexed(image, colours);
  const uint32_t stride = Stride(image.width, bits);
  const uint32_t bits_size = stride * static_cast<uint32_t>(image.height);
  const uint32_t bits_offset = 14 + 40 + colours * 4;
  std::vector<uint8_t> out;
  FileHeader(out, bits_offset + bits_size, bits_offset);
  InfoHeader(out, image.width, image.height, bits, bits_size, colours);
  ColourTable(out, image.palette, colours);
  const int per_byte = 8 / bits;
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t row_start = out.size();
    out.resize(row_start + stride, 0);
    for (int x = 0; x < image.width; ++x) {
      const int shift = (per_byte - 1 - x % per_byte) * bits;
      out[row_start + x / per_byte] |= static_cast<uint8_t>(image.At(x, y) << shift);
    }
  }
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeBmp8(const IndexedImage& image) {
  return EncodeIndexedBmp(image, 8);
}

std::vector<uint8_t> EncodeBmp4(const IndexedImage& image) {
  return EncodeIndexedBmp(image, 4);
}

std::vector<uint8_t> EncodeCur(const MonoCursor& cursor) {
  const int size = cursor.size;
  if (size <= 0 || size > 255 || cursor.pixels.size() != static_cast<std::size_t>(size) * size) {
    throw std::invalid_argument("malformed cursor");
  }
  const uint32_t stride = Stride(size, 1);
  const uint32_t bits_size = 2 * stride * static_cast<uint32_t>(size);
  std::vector<uint8_t> out;
  Put16(out, 0);  // ICONDIR: reserved, type 2 (cursor), one entry
  Put16(out, 2);
  Put16(out, 1);
  out.push_back(static_cast<uint8_t>(size));
  out.push_back(static_cast<uint8_t>(size));
  out.push_back(2);  // colours
  out.push_back(0);
  Put16(out, static_cast<uint32_t>(cursor.hot_x));
  Put16(out, static_cast<uint32_t>(cursor.hot_y));
  Put32(out, 40 + 2 * 4 + bits_size);
  Put32(out, 6 + 16);

  InfoHeader(out, size, size * 2, 1, bits_size, 0);
  ColourTable(out, {kBlack, {255, 255, 255}}, 2);
  // The XOR picture (white bits set), then the AND mask (transparent bits set).
  for (uint8_t set : {MonoCursor::kWhite, MonoCursor::kClear}) {
    for (int y = size - 1; y >= 0; --y) {
      const std::size_t row_start = out.size();
      out.resize(row_start + stride, 0);
      for (int x = 0; x < size; ++x) {
        if (cursor.pixels[static_cast<std::size_t>(y) * size + x] == set) {
          out[row_start + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
      }
    }
  }
  return out;
}

Image CursorPreview(const MonoCursor& cursor, Rgb ground) {
  Image out(cursor.size, cursor.size);
  for (int y = 0; y < cursor.size; ++y) {
    for (int x = 0; x < cursor.size; ++x) {
      const uint8_t p = cursor.pixels[static_cast<std::size_t>(y) * cursor.size + x];
      out.Set(x, y,
              p == MonoCursor::kClear   ? ground
              : p == MonoCursor::kWhite ? Rgb{255, 255, 255}
                                        : kBlack);
    }
  }
  return out;
}

std::vector<uint8_t> EncodeIco4(const IndexedImage& image, const std::vector<bool>& transparent) {
  CheckIndexed(image, 16);
  if (image.width > 255 || image.height > 255 || transparent.size() != image.indices.size()) {
    throw std::invalid_argument("malformed icon picture");
  }
  const uint32_t xor_stride = Stride(image.width, 4);
  const uint32_t and_stride = Stride(image.width, 1);
  const uint32_t bits_size = (xor_stride + and_stride) * static_cast<uint32_t>(image.height);
  const uint32_t entry_size = 40 + 16 * 4 + bits_size;

  std::vector<uint8_t> out;
  Put16(out, 0);  // ICONDIR: reserved, type 1 (icon), one entry
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(static_cast<uint8_t>(image.width));  // ICONDIRENTRY
  out.push_back(static_cast<uint8_t>(image.height));
  out.push_back(16);  // colours
  out.push_back(0);
  Put16(out, 1);  // planes
  Put16(out, 4);  // bits a pixel
  Put32(out, entry_size);
  Put32(out, 6 + 16);  // the picture follows the directory

  InfoHeader(out, image.width, image.height * 2, 4, bits_size, 0);
  ColourTable(out, image.palette, 16);
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t row_start = out.size();
    for (int x = 0; x < image.width; x += 2) {
      const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
      // Transparent pixels are 0 in the XOR picture so that the AND mask alone decides.
      const uint8_t high = transparent[i] ? 0 : image.indices[i];
      const uint8_t low = (x + 1 < image.width && !transparent[i + 1]) ? image.indices[i + 1] : 0;
      out.push_back(static_cast<uint8_t>((high << 4) | low));
    }
    out.resize(row_start + xor_stride, 0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t row_start = out.size();
    out.resize(row_start + and_stride, 0);
    for (int x = 0; x < image.width; ++x) {
      if (transparent[static_cast<std::size_t>(y) * image.width + x]) {
        out[row_start + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return out;
}

Image ToImage(const IndexedImage& indexed) {
  Image out(indexed.width, indexed.height);
  for (int y = 0; y < indexed.height; ++y) {
    for (int x = 0; x < indexed.width; ++x) out.Set(x, y, indexed.palette[indexed.At(x, y)]);
  }
  return out;
}

Image IconPreview(const IndexedImage& image, const std::vector<bool>& transparent, Rgb ground) {
  Image out(image.width, image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
      out.Set(x, y, transparent[i] ? ground : image.palette[image.indices[i]]);
    }
  }
  return out;
}

}  // namespace carpex::assetgen
