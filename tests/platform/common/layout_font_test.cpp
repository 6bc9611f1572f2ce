#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/common/layout.h"
#include "platform/common/pixel_font.h"

namespace carpex::common {
namespace {

void ExpectPlacement(int W, int H, int X, int Y, int Width, int Height, int Scale,
                     bool Smooth = false, Share Least = kWindowShare) {
  const Placement p = PlacePicture(W, H, Least);
  EXPECT_EQ(p.X, X) << W << "x" << H;
  EXPECT_EQ(p.Y, Y) << W << "x" << H;
  EXPECT_EQ(p.Width, Width) << W << "x" << H;
  EXPECT_EQ(p.Height, Height) << W << "x" << H;
  EXPECT_EQ(p.Scale, Scale) << W << "x" << H;
  EXPECT_EQ(p.Smooth, Smooth) << W << "x" << H;
}

TEST(PlacePictureTest, LargestWholeFactorCentred) {
  ExpectPlacement(640, 480, 0, 0, 640, 480, 1);
  ExpectPlacement(1280, 1024, 0, 32, 1280, 960, 2);
  ExpectPlacement(1920, 1080, 320, 60, 1280, 960, 2);
  ExpectPlacement(1919, 1439, 319, 239, 1280, 960, 2);  // 3 does not quite fit
  ExpectPlacement(2560, 1440, 320, 0, 1920, 1440, 3);
  ExpectPlacement(3840, 2160, 640, 120, 2560, 1920, 4);
  ExpectPlacement(960, 720, 160, 120, 640, 480, 1);  // 1x still fills two thirds
  ExpectPlacement(900, 700, 130, 110, 640, 480, 1);
}

// Where the best whole factor leaves more than a third of the room unused, or
// none fits, the picture fills the room with its shape kept, enlarged by the
// next whole factor and reduced smoothly.
TEST(PlacePictureTest, RoomsThatWholeFactorsFitBadlyAreFilledSmoothly) {
  ExpectPlacement(1024, 768, 0, 0, 1024, 768, 2, true);
  ExpectPlacement(1200, 1000, 0, 50, 1200, 900, 2, true);
  ExpectPlacement(800, 400, 133, 0, 533, 400, 1, true);
  ExpectPlacement(320, 600, 0, 180, 320, 240, 1, true);
  EXPECT_EQ(PlacePicture(1200, 1000).TextScale, 1);
  EXPECT_EQ(PlacePicture(1280, 1024).TextScale, 2);
  const Placement tiny = PlacePicture(0, 0);
  EXPECT_GE(tiny.Width, 1);
  EXPECT_GE(tiny.Height, 1);
}

// The page takes a whole factor only within a tenth of filling its room: a
// laptop's page beside the legend is filled where a window would stay at 1x.
TEST(PlacePictureTest, APageIsFilledUnlessAWholeFactorComesWithinATenth) {
  ExpectPlacement(1216, 657, 170, 0, 876, 657, 2, true, kPageShare);
  ExpectPlacement(1216, 657, 288, 88, 640, 480, 1, false, kWindowShare);
  ExpectPlacement(1400, 1050, 60, 45, 1280, 960, 2, false, kPageShare);
}

TEST(PixelFontTest, DigitsAreDistinctAndStayInTheirCell) {
  std::set<std::vector<uint8_t>> seen;
  for (char c = '0'; c <= '9'; ++c) {
    std::vector<uint8_t> rows;
    int ink = 0;
    for (int r = 0; r < kCellHeight; ++r) {
      const uint8_t bits = GlyphRow(c, r);
      rows.push_back(bits);
      ink += __builtin_popcount(bits);
      // The cell's last column is the gap to the next character.
      EXPECT_EQ(bits & (0xFF >> (kCellWidth - 1)), 0) << c << " row " << r;
    }
    EXPECT_GT(ink, 8) << c;
    // Blank rows above and below, as in the form's font.
    EXPECT_EQ(rows[0] | rows[1] | rows[kCellHeight - 1], 0) << c;
    EXPECT_TRUE(seen.insert(rows).second) << c << " looks like another digit";
  }
  EXPECT_EQ(GlyphRow('7', -1), 0);
  EXPECT_EQ(GlyphRow('7', kCellHeight), 0);
}

TEST(PixelFontTest, InkRunsCoverExactlyTheGlyphPixels) {
  const char* text = "60 x";
  EXPECT_EQ(TextWidth(text), 4 * kCellWidth);
  EXPECT_EQ(TextWidth(""), 0);
  EXPECT_EQ(TextWidth(nullptr), 0);
  InkRun runs[400];
  const int n = TextInk(text, runs, 400);
  std::vector<uint8_t> painted(static_cast<size_t>(TextWidth(text)) * kCellHeight, 0);
  for (int i = 0; i < n; ++i) {
    ASSERT_GT(runs[i].Width, 0);
    for (int x = runs[i].X; x < runs[i].X + runs[i].Width; ++x) {
      ASSERT_LT(x, TextWidth(text));
      ASSERT_LT(runs[i].Y, kCellHeight);
      EXPECT_EQ(painted[runs[i].Y * TextWidth(text) + x]++, 0) << "painted twice";
    }
  }
  for (int i = 0; text[i] != '\0'; ++i) {
    for (int r = 0; r < kCellHeight; ++r) {
      for (int x = 0; x < kCellWidth; ++x) {
        const bool ink = (GlyphRow(text[i], r) >> (7 - x)) & 1;
        EXPECT_EQ(painted[r * TextWidth(text) + i * kCellWidth + x] == 1, ink);
      }
    }
  }
  // The space is blank; an unknown character shows a box.
  for (int r = 0; r < kCellHeight; ++r) EXPECT_EQ(GlyphRow(' ', r), 0);
  EXPECT_NE(GlyphRow('x', 5), 0);
  // A short run buffer stops without writing past its end.
  EXPECT_EQ(TextInk("888", runs, 3), 3);
}

}  // namespace
}  // namespace carpex::common
