// Screen pixels into 8-bit colours for the replay tool's pictures on Windows.
#include "platform/win32/pixel_format.h"

#include <gtest/gtest.h>

namespace carpex::win32 {
namespace {

TEST(ExpandChannel, EndsMapToEndsAndHighBitsRepeat) {
  EXPECT_EQ(ExpandChannel(0, 5), 0);
  EXPECT_EQ(ExpandChannel(31, 5), 255);
  EXPECT_EQ(ExpandChannel(16, 5), 0x84);  // 10000 -> 10000 100
  EXPECT_EQ(ExpandChannel(1, 5), 0x08);   // 00001 -> 00001 000
  EXPECT_EQ(ExpandChannel(0, 6), 0);
  EXPECT_EQ(ExpandChannel(63, 6), 255);
  EXPECT_EQ(ExpandChannel(32, 6), 0x82);  // 100000 -> 100000 10
  EXPECT_EQ(ExpandChannel(5, 3), 0xB6);   // 101 -> 101 101 10
  EXPECT_EQ(ExpandChannel(0xAB, 8), 0xAB);
  EXPECT_EQ(ExpandChannel(0x3FF, 10), 0xFF);
  EXPECT_EQ(ExpandChannel(7, 0), 0);
}

TEST(PixelToRgb, Rgb565AndX8R8G8B8) {
  const uint32_t rgb565[3] = {0xF800, 0x07E0, 0x001F};
  uint8_t out[3] = {};
  PixelToRgb(0xF800, rgb565, out);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], 0);
  PixelToRgb(0x07E0 | 0x0001, rgb565, out);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 255);
  EXPECT_EQ(out[2], 8);
  const uint32_t x8r8g8b8[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  PixelToRgb(0xFF123456, x8r8g8b8, out);
  EXPECT_EQ(out[0], 0x12);
  EXPECT_EQ(out[1], 0x34);
  EXPECT_EQ(out[2], 0x56);
  const uint32_t none[3] = {0, 0, 0};
  PixelToRgb(0xFFFF, none, out);
  EXPECT_EQ(out[0] | out[1] | out[2], 0);
}

// The table that shows the 16-bit picture on a desktop of another format
// gives back, read as the screen is read, the colour the 16-bit display shows.
TEST(Rgb565Table, ShowsEveryColourAsTheSixteenBitDisplayDoes) {
  static uint32_t table[65536];
  const uint32_t formats[][3] = {
      {0xFF0000, 0x00FF00, 0x0000FF}, {0x0000FF, 0x00FF00, 0xFF0000}, {0xF800, 0x07E0, 0x001F}};
  const uint32_t rgb565[3] = {0xF800, 0x07E0, 0x001F};
  for (const auto& masks : formats) {
    Rgb565Table(masks, table);
    int wrong = 0;
    for (uint32_t p = 0; p < 65536; ++p) {
      uint8_t want[3], got[3];
      PixelToRgb(p, rgb565, want);
      PixelToRgb(table[p], masks, got);
      wrong += want[0] != got[0] || want[1] != got[1] || want[2] != got[2];
    }
    EXPECT_EQ(wrong, 0) << std::hex << masks[0];
  }
}

}  // namespace
}  // namespace carpex::win32
