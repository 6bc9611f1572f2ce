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
  explicit BitWriter(std::vector<uint8_t>* Out) : out_(Out) {}

  void Bits(uint32_t Value, int Count) {
    for (int i = 0; i < Count; ++i) {
      if (((Value >> i) & 1) != 0) current_ |= static_cast<uint8_t>(1u << used_);
      if (++used_ == 8) Flush();
    }
  }
  // Huffman codes are defined most significant bit first.
  void Code(uint32_t Code, int Length) {
    for (int i = Length - 1; i >= 0; --i) Bits((Code >> i) & 1, 1);
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

void LiteralOrLength(BitWriter& Bits, int Symbol) {
  if (Symbol < 144) {
    Bits.Code(0x30 + Symbol, 8);
  } else if (Symbol < 256) {
    Bits.Code(0x190 + (Symbol - 144), 9);
  } else if (Symbol < 280) {
    Bits.Code(Symbol - 256, 7);
  } else {
    Bits.Code(0xC0 + (Symbol - 280), 8);
  }
}

void Match(BitWriter& Bits, int Length, int Distance) {
  int l = 28;
  while (kLengthBase[l] > Length) --l;
  LiteralOrLength(Bits, 257 + l);
  Bits.Bits(static_cast<uint32_t>(Length - kLengthBase[l]), kLengthExtra[l]);
  int d = 29;
  while (kDistanceBase[d] > Distance) --d;
  Bits.Code(static_cast<uint32_t>(d), 5);
  Bits.Bits(static_cast<uint32_t>(Distance - kDistanceBase[d]), kDistanceExtra[d]);
}

constexpr int kWindow = 32768;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kHashBits = 15;
constexpr int kMaxChain = 128;

uint32_t Hash3(const uint8_t* P) {
  return ((uint32_t{P[0]} << 10) ^ (uint32_t{P[1]} << 5) ^ P[2]) & ((1u << kHashBits) - 1);
}

void Deflate(const uint8_t* Data, std::size_t Size, std::vector<uint8_t>* Out) {
  BitWriter bits(Out);
  bits.Bits(1, 1);  // final block
  bits.Bits(1, 2);  // fixed Huffman codes
  std::vector<int64_t> head(std::size_t{1} << kHashBits, -1);
  std::vector<int64_t> prev(kWindow, -1);
  auto insert = [&](std::size_t Pos) {
    if (Pos + kMinMatch > Size) return;
    const uint32_t h = Hash3(Data + Pos);
    prev[Pos % kWindow] = head[h];
    head[h] = static_cast<int64_t>(Pos);
  };
  std::size_t i = 0;
  while (i < Size) {
    int bestLength = 0;
    int bestDistance = 0;
    if (i + kMinMatch <= Size) {
      const std::size_t limit = std::min<std::size_t>(kMaxMatch, Size - i);
      int64_t candidate = head[Hash3(Data + i)];
      for (int chain = 0; candidate >= 0 && chain < kMaxChain; ++chain) {
        const std::size_t c = static_cast<std::size_t>(candidate);
        if (i - c > static_cast<std::size_t>(kWindow)) break;
        std::size_t length = 0;
        while (length < limit && Data[c + length] == Data[i + length]) ++length;
        if (static_cast<int>(length) > bestLength) {
          bestLength = static_cast<int>(length);
          bestDistance = static_cast<int>(i - c);
          if (length == limit) break;
        }
        const int64_t next = prev[c % kWindow];
        if (next >= candidate) break;  // the slot was reused by a newer position
        candidate = next;
      }
    }
    if (bestLength >= kMinMatch) {
      Match(bits, bestLength, bestDistance);
      for (int k = 0; k < bestLength; ++k) insert(i + static_cast<std::size_t>(k));
      i += static_cast<std::size_t>(bestLength);
    } else {
      LiteralOrLength(bits, Data[i]);
      insert(i);
      ++i;
    }
  }
  LiteralOrLength(bits, 256);
  bits.Finish();
}

void PutBigEndian32(std::vector<uint8_t>* Out, uint32_t Value) {
  for (int shift = 24; shift >= 0; shift -= 8) Out->push_back(static_cast<uint8_t>(Value >> shift));
}

void Chunk(std::vector<uint8_t>* Out, const char Type[4], const std::vector<uint8_t>& Body) {
  PutBigEndian32(Out, static_cast<uint32_t>(Body.size()));
  const std::size_t start = Out->size();
  Out->insert(Out->end(), Type, Type + 4);
  Out->insert(Out->end(), Body.begin(), Body.end());
  PutBigEndian32(Out, Crc32(Out->data() + start, Out->size() - start));
}

int Paeth(int A, int B, int C) {
  const int p = A + B - C;
  const int pa = std::abs(p - A);
  const int pb = std::abs(p - B);
  const int pc = std::abs(p - C);
  if (pa <= pb && pa <= pc) return A;
  return pb <= pc ? B : C;
}

// One filtered scanline of Bpp bytes a pixel: the filter type byte and the
// filtered bytes. The filter with the smallest sum of absolute signed
// differences is taken.
void FilterRow(const uint8_t* Row, const uint8_t* Above, std::size_t Length, std::size_t Bpp,
               std::vector<uint8_t>* Out) {
  std::array<std::vector<uint8_t>, 5> candidates;
  long bestScore = -1;
  int best = 0;
  for (int type = 0; type < 5; ++type) {
    std::vector<uint8_t>& f = candidates[type];
    f.resize(Length);
    long score = 0;
    for (std::size_t x = 0; x < Length; ++x) {
      const int a = x >= Bpp ? Row[x - Bpp] : 0;
      const int b = Above != nullptr ? Above[x] : 0;
      const int c = (x >= Bpp && Above != nullptr) ? Above[x - Bpp] : 0;
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
      f[x] = static_cast<uint8_t>(Row[x] - predictor);
      score += std::abs(static_cast<int8_t>(f[x]));
    }
    if (bestScore < 0 || score < bestScore) {
      bestScore = score;
      best = type;
    }
  }
  Out->push_back(static_cast<uint8_t>(best));
  Out->insert(Out->end(), candidates[best].begin(), candidates[best].end());
}

}  // namespace

uint32_t Crc32(const uint8_t* Data, std::size_t Size, uint32_t Crc) {
  Crc = ~Crc;
  for (std::size_t i = 0; i < Size; ++i) Crc = kCrcTable[(Crc ^ Data[i]) & 0xFF] ^ (Crc >> 8);
  return ~Crc;
}

uint32_t Adler32(const uint8_t* Data, std::size_t Size, uint32_t Adler) {
  uint32_t a = Adler & 0xFFFF;
  uint32_t b = Adler >> 16;
  for (std::size_t i = 0; i < Size; ++i) {
    a = (a + Data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::vector<uint8_t> ZlibCompress(const uint8_t* Data, std::size_t Size) {
  std::vector<uint8_t> out = {0x78, 0x01};  // deflate, 32 KiB window, check bits
  Deflate(Data, Size, &out);
  PutBigEndian32(&out, Adler32(Data, Size));
  return out;
}

bool EncodePng(int Width, int Height, const uint8_t* Rgb, std::vector<uint8_t>* Out) {
  return EncodePng(Width, Height, Rgb, false, Out);
}

bool EncodePng(int Width, int Height, const uint8_t* Pixels, bool Alpha,
               std::vector<uint8_t>* Out) {
  constexpr int kMaxSide = 1 << 15;
  if (Width <= 0 || Height <= 0 || Width > kMaxSide || Height > kMaxSide || Pixels == nullptr ||
      Out == nullptr) {
    return false;
  }
  const std::size_t bpp = Alpha ? 4 : 3;
  const std::size_t stride = static_cast<std::size_t>(Width) * bpp;
  std::vector<uint8_t> filtered;
  filtered.reserve((stride + 1) * static_cast<std::size_t>(Height));
  for (int y = 0; y < Height; ++y) {
    const uint8_t* row = Pixels + stride * static_cast<std::size_t>(y);
    FilterRow(row, y > 0 ? row - stride : nullptr, stride, bpp, &filtered);
  }

  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Out->assign(signature, signature + 8);
  std::vector<uint8_t> header;
  PutBigEndian32(&header, static_cast<uint32_t>(Width));
  PutBigEndian32(&header, static_cast<uint32_t>(Height));
  // 8 bits, RGB or RGBA, deflate, default filters, no interlace
  header.insert(header.end(), {8, static_cast<uint8_t>(Alpha ? 6 : 2), 0, 0, 0});
  Chunk(Out, "IHDR", header);
  Chunk(Out, "IDAT", ZlibCompress(filtered.data(), filtered.size()));
  Chunk(Out, "IEND", {});
  return true;
}

bool WritePng(const std::string& Path, int Width, int Height, const uint8_t* Rgb, bool Alpha) {
  std::vector<uint8_t> bytes;
  if (!EncodePng(Width, Height, Rgb, Alpha, &bytes)) return false;
  std::FILE* file = std::fopen(Path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace carpex
