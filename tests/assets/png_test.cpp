#include "assets/png.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace carpex {
namespace {

// An independent inflater for what the writer produces (stored and fixed
// Huffman blocks), so the round trip does not trust the code under test.
class Inflater {
 public:
  Inflater(const uint8_t* Data, std::size_t Size) : data_(Data), size_(Size) {}

  std::vector<uint8_t> Run() {
    std::vector<uint8_t> out;
    bool last = false;
    while (!last) {
      last = Bits(1) == 1;
      const uint32_t type = Bits(2);
      if (type == 0) {
        bit_ = 0;
        ++pos_;
        const uint32_t len = Byte() | (Byte() << 8);
        const uint32_t nlen = Byte() | (Byte() << 8);
        if ((len ^ 0xFFFF) != nlen) throw std::runtime_error("bad stored block");
        for (uint32_t i = 0; i < len; ++i) out.push_back(static_cast<uint8_t>(Byte()));
      } else if (type == 1) {
        Fixed(&out);
      } else {
        throw std::runtime_error("unexpected block type");
      }
    }
    return out;
  }

 private:
  uint32_t Byte() {
    if (pos_ >= size_) throw std::runtime_error("out of data");
    return data_[pos_++];
  }
  uint32_t Bits(int N) {
    uint32_t v = 0;
    for (int i = 0; i < N; ++i) {
      if (pos_ >= size_) throw std::runtime_error("out of data");
      v |= ((data_[pos_] >> bit_) & 1u) << i;
      if (++bit_ == 8) {
        bit_ = 0;
        ++pos_;
      }
    }
    return v;
  }
  uint32_t Code(int N) {  // Huffman codes are packed most significant bit first
    uint32_t v = 0;
    for (int i = 0; i < N; ++i) v = (v << 1) | Bits(1);
    return v;
  }
  int Symbol() {
    uint32_t code = Code(7);
    if (code <= 23) return 256 + static_cast<int>(code);
    code = (code << 1) | Bits(1);
    if (code >= 0x30 && code <= 0xBF) return static_cast<int>(code - 0x30);
    if (code >= 0xC0 && code <= 0xC7) return 280 + static_cast<int>(code - 0xC0);
    code = (code << 1) | Bits(1);
    if (code >= 0x190 && code <= 0x1FF) return 144 + static_cast<int>(code - 0x190);
    throw std::runtime_error("bad literal code");
  }
  void Fixed(std::vector<uint8_t>* Out) {
    static const int kLengthBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    for (;;) {
      const int symbol = Symbol();
      if (symbol < 256) {
        Out->push_back(static_cast<uint8_t>(symbol));
        continue;
      }
      if (symbol == 256) return;
      if (symbol > 285) throw std::runtime_error("bad length code");
      const int l = symbol - 257;
      const int length = kLengthBase[l] + static_cast<int>(Bits(kLengthExtra[l]));
      const int d = static_cast<int>(Code(5));
      if (d > 29) throw std::runtime_error("bad distance code");
      const int extra = d < 4 ? 0 : d / 2 - 1;
      const int base = d < 4 ? d + 1 : ((2 + d % 2) << extra) + 1;
      const std::size_t distance = static_cast<std::size_t>(base) + Bits(extra);
      if (distance > Out->size()) throw std::runtime_error("distance before the start");
      for (int i = 0; i < length; ++i) Out->push_back((*Out)[Out->size() - distance]);
    }
  }

  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  int bit_ = 0;
};

std::vector<uint8_t> Unzlib(const std::vector<uint8_t>& Z) {
  if (Z.size() < 6) throw std::runtime_error("short zlib stream");
  if ((Z[0] & 0x0F) != 8 || ((Z[0] << 8) | Z[1]) % 31 != 0) throw std::runtime_error("bad header");
  std::vector<uint8_t> out = Inflater(Z.data() + 2, Z.size() - 6).Run();
  const std::size_t n = Z.size();
  const uint32_t adler = (uint32_t{Z[n - 4]} << 24) | (uint32_t{Z[n - 3]} << 16) |
                         (uint32_t{Z[n - 2]} << 8) | Z[n - 1];
  if (adler != Adler32(out.data(), out.size())) throw std::runtime_error("bad Adler-32");
  return out;
}

uint32_t BigEndian(const std::vector<uint8_t>& D, std::size_t At) {
  return (uint32_t{D[At]} << 24) | (uint32_t{D[At + 1]} << 16) | (uint32_t{D[At + 2]} << 8) |
         D[At + 3];
}

struct DecodedPng {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<std::string> chunks;
  std::vector<uint8_t> rgb;  // or RGBA, for colour type 6
};

// Reads the chunks (checking each CRC), inflates IDAT and undoes the filters.
DecodedPng DecodePng(const std::vector<uint8_t>& Png) {
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (Png.size() < 8 || !std::equal(signature, signature + 8, Png.begin())) {
    throw std::runtime_error("no PNG signature");
  }
  DecodedPng out;
  std::size_t bpp = 3;
  std::vector<uint8_t> idat;
  std::size_t at = 8;
  while (at < Png.size()) {
    const uint32_t length = BigEndian(Png, at);
    const std::string type(Png.begin() + static_cast<long>(at) + 4,
                           Png.begin() + static_cast<long>(at) + 8);
    const uint8_t* body = Png.data() + at + 8;
    if (Crc32(Png.data() + at + 4, length + 4) != BigEndian(Png, at + 8 + length)) {
      throw std::runtime_error("bad CRC in " + type);
    }
    out.chunks.push_back(type);
    if (type == "IHDR") {
      out.width = BigEndian(Png, at + 8);
      out.height = BigEndian(Png, at + 12);
      if (body[8] != 8 || (body[9] != 2 && body[9] != 6) || body[10] != 0 || body[11] != 0 ||
          body[12] != 0) {
        throw std::runtime_error("not 8-bit RGB or RGBA");
      }
      bpp = body[9] == 6 ? 4 : 3;
    } else if (type == "IDAT") {
      idat.insert(idat.end(), body, body + length);
    }
    at += 12 + length;
  }
  const std::vector<uint8_t> raw = Unzlib(idat);
  const std::size_t stride = out.width * bpp;
  if (raw.size() != (stride + 1) * out.height) throw std::runtime_error("wrong amount of data");
  out.rgb.resize(stride * out.height);
  for (std::size_t y = 0; y < out.height; ++y) {
    const uint8_t filter = raw[y * (stride + 1)];
    for (std::size_t x = 0; x < stride; ++x) {
      const int v = raw[y * (stride + 1) + 1 + x];
      const int a = x >= bpp ? out.rgb[y * stride + x - bpp] : 0;
      const int b = y > 0 ? out.rgb[(y - 1) * stride + x] : 0;
      const int c = (x >= bpp && y > 0) ? out.rgb[(y - 1) * stride + x - bpp] : 0;
      int predictor = 0;
      if (filter == 1) predictor = a;
      if (filter == 2) predictor = b;
      if (filter == 3) predictor = (a + b) / 2;
      if (filter == 4) {
        const int p = a + b - c;
        const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
      }
      if (filter > 4) throw std::runtime_error("bad filter type");
      out.rgb[y * stride + x] = static_cast<uint8_t>(v + predictor);
    }
  }
  return out;
}

TEST(Checksums, MatchPublishedCheckValues) {
  const std::string digits = "123456789";
  const auto* d = reinterpret_cast<const uint8_t*>(digits.data());
  EXPECT_EQ(Crc32(d, digits.size()), 0xCBF43926u);
  EXPECT_EQ(Adler32(d, digits.size()), 0x091E01DEu);
  const std::string wiki = "Wikipedia";
  EXPECT_EQ(Adler32(reinterpret_cast<const uint8_t*>(wiki.data()), wiki.size()), 0x11E60398u);
  // Continuing a checksum over a second piece gives the checksum of the whole.
  EXPECT_EQ(Crc32(d + 4, 5, Crc32(d, 4)), 0xCBF43926u);
  EXPECT_EQ(Adler32(d + 4, 5, Adler32(d, 4)), 0x091E01DEu);
}

TEST(ZlibCompress, RoundTripsEveryKindOfInput) {
  std::vector<std::vector<uint8_t>> inputs;
  inputs.push_back({});
  inputs.push_back({42});
  inputs.push_back(std::vector<uint8_t>(100000, 7));  // long runs: maximum matches
  std::vector<uint8_t> allBytes;
  for (int i = 0; i < 256 * 3; ++i) allBytes.push_back(static_cast<uint8_t>(i * 7));
  inputs.push_back(allBytes);  // every literal code length
  std::vector<uint8_t> noisy;
  uint32_t state = 12345;
  for (int i = 0; i < 70000; ++i) {  // more than the 32 KiB window, few matches
    state = state * 1103515245u + 12345u;
    noisy.push_back(static_cast<uint8_t>((state >> 16) & 0x0F));
  }
  inputs.push_back(noisy);
  std::vector<uint8_t> far;  // a repeat exactly at the window's far end
  for (int i = 0; i < 32768; ++i) far.push_back(static_cast<uint8_t>((i * 131) >> 3));
  far.insert(far.end(), far.begin(), far.begin() + 300);
  inputs.push_back(far);

  for (const std::vector<uint8_t>& input : inputs) {
    const std::vector<uint8_t> z = ZlibCompress(input.data(), input.size());
    EXPECT_EQ(Unzlib(z), input) << "input of " << input.size() << " bytes";
  }
  const std::vector<uint8_t> runs(100000, 7);
  EXPECT_LT(ZlibCompress(runs.data(), runs.size()).size(), 1000u);
}

TEST(EncodePng, DecodesToTheSamePixelsWithAndWithoutAlpha) {
  const int w = 37;  // odd widths exercise the filters' left-edge handling
  const int h = 23;
  for (const bool alpha : {false, true}) {
    SCOPED_TRACE(alpha ? "RGBA" : "RGB");
    std::vector<uint8_t> pixels;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        pixels.insert(pixels.end(), {static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 11),
                                     static_cast<uint8_t>((x * y) ^ 0x5A)});
        if (alpha) pixels.push_back(static_cast<uint8_t>(x * y % 3 == 0 ? 0 : 255));
      }
    }
    std::vector<uint8_t> png;
    ASSERT_TRUE(EncodePng(w, h, pixels.data(), alpha, &png));
    const DecodedPng decoded = DecodePng(png);
    EXPECT_EQ(decoded.width, static_cast<uint32_t>(w));
    EXPECT_EQ(decoded.height, static_cast<uint32_t>(h));
    EXPECT_EQ(decoded.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(decoded.rgb, pixels);

    std::vector<uint8_t> again;
    ASSERT_TRUE(EncodePng(w, h, pixels.data(), alpha, &again));
    EXPECT_EQ(again, png);
  }
}

TEST(EncodePng, RefusesImpossibleSizes) {
  const uint8_t pixel[3] = {1, 2, 3};
  std::vector<uint8_t> png;
  EXPECT_FALSE(EncodePng(0, 1, pixel, &png));
  EXPECT_FALSE(EncodePng(1, -1, pixel, &png));
  EXPECT_FALSE(EncodePng(1, 1, nullptr, &png));
  EXPECT_FALSE(EncodePng(1 << 16, 1, pixel, &png));
  EXPECT_FALSE(WritePng("/nonexistent-dir/x.png", 1, 1, pixel));
}

}  // namespace
}  // namespace carpex
