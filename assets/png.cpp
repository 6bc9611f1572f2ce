#include "assets/png.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace carpex {
namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

// Bits go out least significant first, as deflate packs them.
class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>* out) : out_(out) {}

  void Bits(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
      if (((value >> i) & 1) != 0) current_ |= static_cast<uint8_t>(1u << used_);
      if (++used_ == 8) Flush();
    }
  }
  // Huffman codes are defined most significant bit first.
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bits((code >> i) & 1, 1);
  }
  void Finish() {
    if (used_ > 0) Flush();
  }

 private:
  void Flush() {
    out_->push_back(current_);
    current_ = 0;
    used_ = 0;
  }
  std::vector<uint8_t>* out_;
  uint8_t current_ = 0;
  int used_ = 0;
};

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void LiteralOrLength(BitWriter& bits, int symbol) {
  if (symbol < 144) {
    bits.Code(0x30 + symbol, 8);
  } else if (symbol < 256) {
    bits.Code(0x190 + (symbol - 144), 9);
  } else if (symbol < 280) {
    bits.Code(symbol - 256, 7);
  } else {
    bits.Code(0xC0 + (symbol - 280), 8);
  }
}

void Match(BitWriter& bits, int length, int distance) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  LiteralOrLength(bits, 257 + l);
  bits.Bits(static_cast<uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
  int d = 29;
  while (kDistanceBase[d] > distance) --d;
  bits.Code(static_cast<uint32_t>(d), 5);
  bits.Bits(static_cast<uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

constexpr int kWindow = 32768;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kHashBits = 15;
constexpr int kMaxChain = 128;

uint32_t Hash3(const uint8_t* p) {
  return ((uint32_t{p[0]} << 10) ^ (uint32_t{p[1]} << 5) ^ p[2]) & ((1u << kHashBits) - 1);
}

void Deflate(const uint8_t* data, std::size_t size, std::vector<uint8_t>* out) {
  BitWriter bits(out);
  bits.Bits(1, 1);  // final block
  bits.Bits(1, 2);  // fixed Huffman codes
  std::vector<int64_t> head(std::size_t{1} << kHashBits, -1);
  std::vector<int64_t> prev(kWindow, -1);
  auto insert = [&](std::size_t pos) {
    if (pos + kMinMatch > size) return;
    const uint32_t h = Hash3(data + pos);
    prev[pos % kWindow] = head[h];
    head[h] = static_cast<int64_t>(pos);
  };
  std::size_t i = 0;
  while (i < size) {
    int best_length = 0;
    int best_distance = 0;
    if (i + kMinMatch <= size) {
      const std::size_t limit = std::min<std::size_t>(kMaxMatch, size - i);
      int64_t candidate = head[Hash3(data + i)];
      for (int chain = 0; candidate >= 0 && chain < kMaxChain; ++chain) {
        const std::size_t c = static_cast<std::size_t>(candidate);
        if (i - c > static_cast<std::size_t>(kWindow)) break;
        std::size_t length = 0;
        while (length < limit && data[c + length] == data[i + length]) ++length;
        if (static_cast<int>(length) > best_length) {
          best_length = static_cast<int>(length);
          best_distance = static_cast<int>(i - c);
          if (length == limit) break;
        }
        const int64_t next = prev[c % kWindow];
        if (next >= candidate) break;  // the slot was reused by a newer position
        candidate = next;
      }
    }
    if (best_length >= kMinMatch) {
      Match(bits, best_length, best_distance);
      for (int k = 0; k < best_length; ++k) insert(i + static_cast<std::size_t>(k));
      i += static_cast<std::size_t>(best_length);
    } else {
      LiteralOrLength(bits, data[i]);
      insert(i);
      ++i;
    }
  }
  LiteralOrLength(bits, 256);
  bits.Finish();
}

void PutBigEndian32(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

void Chunk(std::vector<uint8_t>* out, const char type[4], const std::vector<uint8_t>& body) {
  PutBigEndian32(out, static_cast<uint32_t>(body.size()));
  const std::size_t start = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), body.begin(), body.end());
  PutBigEndian32(out, Crc32(out->data() + start, out->size() - start));
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// One filtered scanline of Bpp bytes a pixel: the filter type byte and the
// filtered bytes. The filter with the smallest sum of absolute signed
// differences is taken.
void FilterRow(const uint8_t* row, const uint8_t* above, std::size_t length, std::size_t bpp,
               std::vector<uint8_t>* out) {
  std::array<std::vector<uint8_t>, 5> candidates;
  long best_score = -1;
  int best = 0;
  for (int type = 0; type < 5; ++type) {
    std::vector<uint8_t>& f = candidates[type];
    f.resize(length);
    long score = 0;
    for (std::size_t x = 0; x < length; ++x) {
      const int a = x >= bpp ? row[x - bpp] : 0;
      const int b = above != nullptr ? above[x] : 0;
      const int c = (x >= bpp && above != nullptr) ? above[x - bpp] : 0;
      int predictor = 0;
      switch (type) {
        case 1:
          predictor = a;
          break;
        case 2:
          predictor = b;
          break;
        case 3:
          predictor = (a + b) / 2;
          break;
        case 4:
          predictor = Paeth(a, b, c);
          break;
        default:
          break;
      }
      f[x] = static_cast<uint8_t>(row[x] - predictor);
      score += std::abs(static_cast<int8_t>(f[x]));
    }
    if (best_score < 0 || score < best_score) {
      best_score = score;
      best = type;
    }
  }
  out->push_back(static_cast<uint8_t>(best));
  out->insert(out->end(), candidates[best].begin(), candidates[best].end());
}

}  // namespace

uint32_t Crc32(const uint8_t* data, std::size_t size, uint32_t crc) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const uint8_t* data, std::size_t size, uint32_t adler) {
  uint32_t a = adler & 0xFFFF;
  uint32_t b = adler >> 16;
  for (std::size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::vector<uint8_t> ZlibCompress(const uint8_t* data, std::size_t size) {
  std::vector<uint8_t> out = {0x78, 0x01};  // deflate, 32 KiB window, check bits
  Deflate(data, size, &out);
  PutBigEndian32(&out, Adler32(data, size));
  return out;
}

bool EncodePng(int width, int height, const uint8_t* rgb, std::vector<uint8_t>* out) {
  return EncodePng(width, height, rgb, false, out);
}

bool EncodePng(int width, int height, const uint8_t* pixels, bool alpha,
               std::vector<uint8_t>* out) {
  constexpr int kMaxSide = 1 << 15;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || pixels == nullptr ||
      out == nullptr) {
    return false;
  }
  const std::size_t bpp = alpha ? 4 : 3;
  const std::size_t stride = static_cast<std::size_t>(width) * bpp;
  std::vector<uint8_t> filtered;
  filtered.reserve((stride + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels + stride * static_cast<std::size_t>(y);
    FilterRow(row, y > 0 ? row - stride : nullptr, stride, bpp, &filtered);
  }

  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  out->assign(signature, signature + 8);
  std::vector<uint8_t> header;
  PutBigEndian32(&header, static_cast<uint32_t>(width));
  PutBigEndian32(&header, static_cast<uint32_t>(height));
  // 8 bits, RGB or RGBA, deflate, default filters, no interlace
  header.insert(header.end(), {8, static_cast<uint8_t>(alpha ? 6 : 2), 0, 0, 0});
  Chunk(out, "IHDR", header);
  Chunk(out, "IDAT", ZlibCompress(filtered.data(), filtered.size()));
  Chunk(out, "IEND", {});
  return true;
}

bool WritePng(const std::string& path, int width, int height, const uint8_t* rgb, bool alpha) {
  std::vector<uint8_t> bytes;
  if (!EncodePng(width, height, rgb, alpha, &bytes)) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace carpex
