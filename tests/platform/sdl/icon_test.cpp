#include "platform/sdl/icon.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/soft/resources.h"

namespace carpex::sdl {
namespace {

void Put16(std::vector<uint8_t>& B, uint16_t V) {
  B.push_back(V & 0xFF);
  B.push_back(V >> 8);
}
void Put32(std::vector<uint8_t>& B, uint32_t V) {
  for (int i = 0; i < 4; ++i) B.push_back((V >> (8 * i)) & 0xFF);
}

// One palette picture of an .ico: colour index and mask bit per pixel,
// top row first.
struct Picture {
  int size;
  int bits;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  int (*index)(int X, int Y);
  bool (*clear)(int X, int Y);
};

std::vector<uint8_t> Dib(const Picture& P) {
  std::vector<uint8_t> b;
  Put32(b, 40);
  Put32(b, P.size);
  Put32(b, P.size * 2);
  Put16(b, 1);
  Put16(b, P.bits);
  for (int i = 0; i < 4; ++i) Put32(b, 0);  // BI_RGB, image size, resolution
  // Colours used: 0 means all that the depth can index.
  Put32(b, P.palette.size() == (1u << P.bits) ? 0 : static_cast<uint32_t>(P.palette.size()));
  Put32(b, 0);
  for (uint32_t c : P.palette) Put32(b, c);  // stored as blue, green, red, 0
  const size_t stride = (P.size * P.bits + 31) / 32 * 4;
  const size_t maskStride = (P.size + 31) / 32 * 4;
  for (int y = P.size - 1; y >= 0; --y) {  // bottom-up
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < P.size; ++x) {
      const size_t bit = static_cast<size_t>(x) * P.bits;
      row[bit / 8] |= static_cast<uint8_t>(P.index(x, y) << (8 - P.bits - bit % 8));
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  for (int y = P.size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskStride, 0);
    for (int x = 0; x < P.size; ++x) {
      if (P.clear(x, y)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

std::vector<uint8_t> Ico(const std::vector<Picture>& Pictures) {
  std::vector<uint8_t> b;
  Put16(b, 0);
  Put16(b, 1);
  Put16(b, static_cast<uint16_t>(Pictures.size()));
  std::vector<std::vector<uint8_t>> dibs;
  for (const Picture& p : Pictures) dibs.push_back(Dib(p));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(Pictures.size());
  for (size_t i = 0; i < Pictures.size(); ++i) {
    b.push_back(static_cast<uint8_t>(Pictures[i].size));
    b.push_back(static_cast<uint8_t>(Pictures[i].size));
    b.push_back(static_cast<uint8_t>(Pictures[i].palette.size() & 0xFF));
    b.push_back(0);
    Put16(b, 1);
    Put16(b, static_cast<uint16_t>(Pictures[i].bits));
    Put32(b, static_cast<uint32_t>(dibs[i].size()));
    Put32(b, offset);
    offset += static_cast<uint32_t>(dibs[i].size());
  }
  for (const auto& d : dibs) b.insert(b.end(), d.begin(), d.end());
  return b;
}

std::vector<uint32_t> Palette16() {
  std::vector<uint32_t> p;
  for (uint32_t i = 0; i < 16; ++i) p.push_back(i * 0x100000u + i * 0x0100u + 0x07u);
  return p;
}

// Index from the position so that rows and columns, and the order of the two
// pixels in a byte, all show.
int Pattern(int X, int Y) {
  return (X + 3 * Y) % 16;
}
bool LeftColumnsClear(int X, int) {
  return X < 3;
}

TEST(DecodeIconTest, FourBitPictureWithItsMask) {
  const std::vector<uint8_t> ico = Ico({{32, 4, Palette16(), Pattern, LeftColumnsClear}});
  IconImage image;
  ASSERT_TRUE(DecodeIcon(ico.data(), ico.size(), 32, &image));
  ASSERT_EQ(image.Width, 32);
  ASSERT_EQ(image.Height, 32);
  ASSERT_EQ(image.Argb.size(), 32u * 32u);
  const std::vector<uint32_t> palette = Palette16();
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const uint32_t alpha = x < 3 ? 0 : 0xFF000000u;
      EXPECT_EQ(image.Argb[y * 32 + x], alpha | palette[Pattern(x, y)]) << x << "," << y;
    }
  }
}

TEST(DecodeIconTest, PicksTheWantedSizeAndOtherDepths) {
  auto one = [](int, int) { return 1; };
  auto none = [](int, int) { return false; };
  const std::vector<uint8_t> ico = Ico({{16, 4, Palette16(), Pattern, none},
                                        {32, 1, {0x000000, 0xFF8040}, one, none},
                                        {48, 8, Palette16(), Pattern, none}});
  IconImage image;
  ASSERT_TRUE(DecodeIcon(ico.data(), ico.size(), 32, &image));
  EXPECT_EQ(image.Width, 32);
  EXPECT_EQ(image.Argb[5 * 32 + 31], 0xFFFF8040u);
  ASSERT_TRUE(DecodeIcon(ico.data(), ico.size(), 48, &image));
  EXPECT_EQ(image.Width, 48);
  EXPECT_EQ(image.Argb[1 * 48 + 2], 0xFF000000u | Palette16()[Pattern(2, 1)]);
  // No picture of that size: the first one.
  ASSERT_TRUE(DecodeIcon(ico.data(), ico.size(), 64, &image));
  EXPECT_EQ(image.Width, 16);
}

TEST(DecodeIconTest, RefusesMalformedAndTruncatedFiles) {
  const std::vector<uint8_t> good = Ico({{32, 4, Palette16(), Pattern, LeftColumnsClear}});
  IconImage image;
  // Every shorter file is refused, without reading past its end.
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
    EXPECT_FALSE(DecodeIcon(cut.data(), cut.size(), 32, &image)) << n;
  }
  auto changed = [&](size_t At, uint8_t Value) {
    std::vector<uint8_t> b = good;
    b[At] = Value;
    return DecodeIcon(b.data(), b.size(), 32, &image);
  };
  EXPECT_FALSE(changed(2, 2));         // a cursor file, not an icon
  EXPECT_FALSE(changed(4, 0));         // no pictures
  EXPECT_FALSE(changed(18, 0xF0));     // offset beyond the file
  EXPECT_FALSE(changed(22 + 14, 3));   // 3 bits per pixel
  EXPECT_FALSE(changed(22 + 16, 1));   // RLE compression
  EXPECT_FALSE(changed(22 + 32, 17));  // more colours than 4 bits can index
  EXPECT_FALSE(DecodeIcon(nullptr, 0, 32, &image));
  // A palette smaller than the indices used.
  EXPECT_FALSE(changed(22 + 32, 4));
}

TEST(DecodeIconTest, TheGamesIconIsAThirtyTwoPixelPictureWithTransparency) {
  const soft::Resource* res = soft::FindEmbedded("ICON", "MAINICON");
  if (res == nullptr) GTEST_SKIP() << "no embedded icon in this build";
  IconImage image;
  ASSERT_TRUE(DecodeIcon(res->data, res->size, 32, &image));
  EXPECT_EQ(image.Width, 32);
  EXPECT_EQ(image.Height, 32);
  int clear = 0;
  for (uint32_t p : image.Argb) clear += (p >> 24) == 0;
  EXPECT_GT(clear, 0);
  EXPECT_LT(clear, 32 * 32);
}

}  // namespace
}  // namespace carpex::sdl
