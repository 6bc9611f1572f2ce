// The embedded resource table and the committed files, byte by byte: what
// RT_BITMAP, RT_GROUP_ICON and RT_RCDATA would hold in the Windows build.
#include "graphics/soft/resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> ReadAsset(const std::string& Relative) {
  std::ifstream in(std::string(CARPEX_ASSETS_DIR) + "/" + Relative, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t U32(const uint8_t* P) {
  return P[0] | (P[1] << 8) | (P[2] << 16) | (uint32_t{P[3]} << 24);
}
uint16_t U16(const uint8_t* P) {
  return static_cast<uint16_t>(P[0] | (P[1] << 8));
}

const soft::Resource* Exact(const char* Type, const char* Name) {
  for (std::size_t i = 0; i < soft::kResourceCount; ++i) {
    if (std::strcmp(soft::kResources[i].type, Type) == 0 &&
        std::strcmp(soft::kResources[i].name, Name) == 0) {
      return &soft::kResources[i];
    }
  }
  return nullptr;
}

struct Picture {
  const char* name;
  const char* file;
  int32_t width;
  int32_t height;
  uint16_t bits;
  uint32_t key;  // 0x00RRGGBB of the top-left pixel
};

const Picture kPictures[] = {
    {"BACK1", "bitmaps/back1.bmp", 1, 1, 24, 0x000000},
    {"LEVELCH1", "bitmaps/levelch1.bmp", 331, 100, 24, 0x010101},
    {"LEVELCH", "bitmaps/levelch.bmp", 331, 100, 24, 0x010101},
    {"BUILD", "bitmaps/build.bmp", 48, 48, 24, 0x000000},
    {"PLANE1", "bitmaps/plane1.bmp", 96, 16, 24, 0x000000},
    {"BLOW", "bitmaps/blow.bmp", 864, 60, 24, 0x000000},
    {"BOMB", "bitmaps/bomb.bmp", 16, 16, 24, 0x000000},
    {"LOSEWIN1", "bitmaps/losewin1.bmp", 191, 94, 8, 0x000000},
    {"LOSEWIN", "bitmaps/losewin.bmp", 191, 94, 24, 0x000000},
};

TEST(EmbeddedResources, HoldExactlyTheGamesResources) {
  ASSERT_EQ(soft::kResourceCount, 12u);
  for (const Picture& p : kPictures) EXPECT_NE(Exact("BITMAP", p.name), nullptr) << p.name;
  EXPECT_NE(Exact("ICON", "MAINICON"), nullptr);
  EXPECT_NE(Exact("RCDATA", "TFORM1"), nullptr);
  EXPECT_NE(Exact("RCDATA", "LEGENDFONT"), nullptr);
}

TEST(EmbeddedResources, BitmapsArePackedDibsOfTheCommittedFiles) {
  for (const Picture& p : kPictures) {
    SCOPED_TRACE(p.name);
    const std::vector<uint8_t> file = ReadAsset(p.file);
    ASSERT_GT(file.size(), 54u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32(&file[2]), file.size());
    const soft::Resource* r = Exact("BITMAP", p.name);
    ASSERT_NE(r, nullptr);
    // The resource is the file without its 14-byte BITMAPFILEHEADER.
    ASSERT_EQ(r->size, file.size() - 14);
    EXPECT_EQ(std::memcmp(r->data, file.data() + 14, r->size), 0);

    const uint8_t* dib = r->data;
    EXPECT_EQ(U32(dib), 40u);
    EXPECT_EQ(static_cast<int32_t>(U32(dib + 4)), p.width);
    EXPECT_EQ(static_cast<int32_t>(U32(dib + 8)), p.height);  // positive: bottom-up
    EXPECT_EQ(U16(dib + 12), 1);
    EXPECT_EQ(U16(dib + 14), p.bits);
    EXPECT_EQ(U32(dib + 16), 0u);  // BI_RGB
    const uint32_t colours = p.bits == 8 ? 256 : 0;
    EXPECT_EQ(U32(dib + 32), colours);
    const uint32_t stride = ((p.width * p.bits + 31) / 32) * 4;
    EXPECT_EQ(r->size, 40 + colours * 4 + stride * static_cast<uint32_t>(p.height));
    EXPECT_EQ(U32(file.data() + 10), 14 + 40 + colours * 4);  // where the bits start

    // The top-left pixel, which gives the key colour, is the first of the last stored row.
    const uint8_t* topRow = dib + 40 + colours * 4 + stride * static_cast<uint32_t>(p.height - 1);
    const uint8_t* bgr = p.bits == 8 ? dib + 40 + 4 * topRow[0] : topRow;
    EXPECT_EQ((bgr[2] << 16) | (bgr[1] << 8) | bgr[0], static_cast<int>(p.key));
    // Row padding is zero, so equal pictures are equal files.
    for (int32_t y = 0; y < p.height; ++y) {
      const uint8_t* row = dib + 40 + colours * 4 + stride * static_cast<uint32_t>(y);
      for (uint32_t i = static_cast<uint32_t>(p.width) * p.bits / 8; i < stride; ++i) {
        ASSERT_EQ(row[i], 0) << "row " << y;
      }
    }
  }
}

TEST(EmbeddedResources, IconIsOne32By32SixteenColourPictureWithItsMask) {
  const std::vector<uint8_t> file = ReadAsset("mainicon.ico");
  const soft::Resource* r = Exact("ICON", "MAINICON");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->size, file.size());
  EXPECT_EQ(std::memcmp(r->data, file.data(), file.size()), 0);

  ASSERT_EQ(file.size(), 6u + 16 + 40 + 16 * 4 + 32 * 16 + 32 * 4);
  EXPECT_EQ(U16(&file[0]), 0);
  EXPECT_EQ(U16(&file[2]), 1);  // icon
  EXPECT_EQ(U16(&file[4]), 1);  // one picture
  EXPECT_EQ(file[6], 32);
  EXPECT_EQ(file[7], 32);
  EXPECT_EQ(file[8], 16);
  EXPECT_EQ(U16(&file[12]), 4);
  EXPECT_EQ(U32(&file[14]), file.size() - 22);
  EXPECT_EQ(U32(&file[18]), 22u);
  const uint8_t* dib = &file[22];
  EXPECT_EQ(U32(dib), 40u);
  EXPECT_EQ(U32(dib + 4), 32u);
  EXPECT_EQ(U32(dib + 8), 64u);  // picture and AND mask
  EXPECT_EQ(U16(dib + 14), 4);

  // The jet is there, and the corners are transparent: mask bit set, colour 0.
  const uint8_t* xorBits = dib + 40 + 64;
  const uint8_t* andBits = xorBits + 32 * 16;
  int opaque = 0;
  for (int i = 0; i < 32 * 32; ++i) {
    if ((andBits[i / 8] & (0x80 >> (i % 8))) == 0) ++opaque;
  }
  EXPECT_GT(opaque, 150);
  EXPECT_LT(opaque, 32 * 32 - 150);
  for (int row : {0, 31}) {  // stored bottom-up: row 0 is the bottom one
    EXPECT_EQ(andBits[row * 4] & 0x80, 0x80);
    EXPECT_EQ(xorBits[row * 16] & 0xF0, 0);
  }
}

// What only the Windows programs carry (framework.rc): the 16-colour button
// and preview glyphs, and monochrome 32 x 32 cursors.
TEST(UnusedResources, HaveTheirSizesDepthsAndColours) {
  struct Unused {
    std::string file;
    int32_t width;
    int32_t height;
    uint16_t bits;
  };
  std::vector<Unused> files = {{"bitmaps/previewglyph.bmp", 16, 16, 4}};
  for (const char* name :
       {"abort", "all", "cancel", "close", "help", "ignore", "no", "ok", "retry", "yes"}) {
    files.push_back(
        {std::string("bitmaps/bb") + name + ".bmp", 36, std::string(name) == "all" ? 19 : 18, 4});
  }
  for (const Unused& u : files) {
    SCOPED_TRACE(u.file);
    const std::vector<uint8_t> file = ReadAsset(u.file);
    ASSERT_GT(file.size(), 54u);
    const uint8_t* dib = file.data() + 14;
    EXPECT_EQ(static_cast<int32_t>(U32(dib + 4)), u.width);
    EXPECT_EQ(static_cast<int32_t>(U32(dib + 8)), u.height);
    EXPECT_EQ(U16(dib + 14), u.bits);
    EXPECT_EQ(U32(dib + 32), u.bits == 4 ? 16u : 0u);
    const uint32_t stride = ((u.width * u.bits + 31) / 32) * 4;
    EXPECT_EQ(file.size(), 14 + 40 + U32(dib + 32) * 4 + stride * static_cast<uint32_t>(u.height));
  }
  for (int id = 32761; id <= 32767; ++id) {
    SCOPED_TRACE(id);
    const std::vector<uint8_t> cur = ReadAsset("cursors/" + std::to_string(id) + ".cur");
    ASSERT_EQ(cur.size(), 6u + 16 + 40 + 2 * 4 + 2 * 32 * 4);
    EXPECT_EQ(U16(&cur[2]), 2);  // cursor
    EXPECT_EQ(cur[6], 32);
    EXPECT_EQ(cur[7], 32);
    EXPECT_LT(U16(&cur[10]), 32);  // hot spot
    EXPECT_LT(U16(&cur[12]), 32);
    EXPECT_EQ(U16(&cur[22 + 14]), 1);  // one bit a pixel
    // Some pixels are shown and some are transparent.
    const uint8_t* andBits = &cur[22 + 40 + 8 + 32 * 4];
    int clear = 0;
    for (int i = 0; i < 32 * 4; ++i) clear += __builtin_popcount(andBits[i]);
    EXPECT_GT(clear, 32 * 16);
    EXPECT_LT(clear, 32 * 32 - 40);
  }
}

}  // namespace
