// The embedded pictures as the game sees them: looked up by name, decoded by
// the software display's DIB decoder, cut into frames by the sheet geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/soft/dib.h"
#include "graphics/soft/resources.h"

namespace {

struct Colour {
  int r;
  int g;
  int b;
};

Colour Split(uint32_t Colorref) {
  return {static_cast<int>(Colorref & 0xFF), static_cast<int>((Colorref >> 8) & 0xFF),
          static_cast<int>((Colorref >> 16) & 0xFF)};
}

bool IsCyan(Colour C) {
  return C.g > 150 && C.b > 150 && C.r < 110;
}
bool IsMagenta(Colour C) {
  return C.r > 180 && C.b > 180 && C.g < 110;
}
bool IsBlue(Colour C) {
  return C.b > 120 && C.b > C.r + 80 && C.b > C.g + 60;
}
bool IsYellow(Colour C) {
  return C.r > 200 && C.g > 170 && C.b < 120;
}
bool IsWhite(Colour C) {
  return C.r > 225 && C.g > 225 && C.b > 225;
}
bool IsGrey(Colour C) {
  return std::abs(C.r - C.g) < 24 && std::abs(C.g - C.b) < 24 && C.r > 60 && C.r < 225;
}
// What a 16-bit RGB565 surface turns into pixel value 0, like black.
bool IsZeroAt565(Colour C) {
  return (C.r >> 3) == 0 && (C.g >> 2) == 0 && (C.b >> 3) == 0;
}

soft::DibImage Load(const char* Name) {
  soft::DibImage image;
  const soft::Resource* r = soft::FindEmbedded("BITMAP", Name);
  EXPECT_NE(r, nullptr) << Name;
  if (r != nullptr) {
    EXPECT_TRUE(soft::DecodeDib(r->data, r->size, &image)) << Name;
  }
  return image;
}

// Counts the pixels of a rectangle (right and bottom exclusive) that pass `Passes`.
template <typename Test>
int Count(const soft::DibImage& Image, int Left, int Top, int Right, int Bottom, Test Passes) {
  int n = 0;
  for (int y = Top; y < Bottom; ++y) {
    for (int x = Left; x < Right; ++x) n += Passes(Split(Image.At(x, y))) ? 1 : 0;
  }
  return n;
}

struct Sheet {
  const char* name;
  int width;
  int height;
  int bits;
  uint32_t key;
  int frame_width;  // of one frame or cell
  int frame_height;
  int frames;
};

const Sheet kSheets[] = {
    {"back1", 1, 1, 24, 0x000000, 1, 1, 1},
    {"levelch1", 331, 100, 24, 0x010101, 331, 100, 1},
    {"levelch", 331, 100, 24, 0x010101, 331, 100, 1},
    {"build", 48, 48, 24, 0x000000, 16, 16, 9},
    {"plane1", 96, 16, 24, 0x000000, 48, 16, 2},
    {"blow", 864, 60, 24, 0x000000, 96, 60, 9},
    {"bomb", 16, 16, 24, 0x000000, 16, 16, 1},
    {"losewin1", 191, 94, 8, 0x000000, 191, 47, 2},
    {"losewin", 191, 94, 24, 0x000000, 191, 47, 2},
};

TEST(Pictures, HaveTheirSizeDepthFramesAndKeyColour) {
  for (const Sheet& s : kSheets) {
    SCOPED_TRACE(s.name);
    const soft::DibImage image = Load(s.name);
    EXPECT_EQ(image.Width, s.width);
    EXPECT_EQ(image.Height, s.height);
    EXPECT_EQ(image.BitsPerPixel, s.bits);
    EXPECT_EQ((image.Width / s.frame_width) * (image.Height / s.frame_height), s.frames);
    ASSERT_FALSE(image.Pixels.empty());
    EXPECT_EQ(image.At(0, 0), s.key);
  }
  EXPECT_EQ(Load("back1").At(0, 0), 0u);
}

TEST(Pictures, AreFoundByNameInAnyCase) {
  const soft::Resource* upper = soft::FindEmbedded("BITMAP", "LEVELCH1");
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(soft::FindEmbedded("BITMAP", "levelch1"), upper);
  EXPECT_EQ(soft::FindEmbedded("BITMAP", "LevelCh1"), upper);
  EXPECT_NE(soft::FindEmbedded("BITMAP", "levelch"), upper);
  EXPECT_EQ(soft::FindEmbedded("BITMAP", "bbok"), nullptr);  // the Windows programs' only
  EXPECT_NE(soft::FindEmbedded("ICON", "mainicon"), nullptr);
  EXPECT_NE(soft::FindEmbedded("RCDATA", "tform1"), nullptr);
}

TEST(Pictures, WhatIsTransparentOnA16BitScreenIsExactlyTheKey) {
  // A dark colour that RGB565 rounds to 0 would vanish like the key colour:
  // a sprite must use the key itself or a colour that stays visible.
  for (const Sheet& s : kSheets) {
    SCOPED_TRACE(s.name);
    const soft::DibImage image = Load(s.name);
    const Colour key = Split(s.key);
    EXPECT_EQ(Count(image, 0, 0, image.Width, image.Height,
                    [&](Colour c) {
                      return IsZeroAt565(c) && (c.r != key.r || c.g != key.g || c.b != key.b);
                    }),
              0);
  }
}

TEST(Pictures, BuildingCellsFollowStyleByColumnAndKindByRow) {
  const soft::DibImage build = Load("build");
  ASSERT_EQ(build.Width, 48);
  const auto cell = [](int Style, int Kind) {
    return std::array<int, 4>{Style * 16, Kind * 16, (Style + 1) * 16, (Kind + 1) * 16};
  };
  // Style 2, kind 1 is Rect(32, 16, 48, 32): a blue storey with white and grey windows.
  const std::array<int, 4> r = cell(2, 1);
  EXPECT_EQ(r, (std::array<int, 4>{32, 16, 48, 32}));
  EXPECT_GT(Count(build, r[0], r[1], r[2], r[3], IsBlue), 60);
  EXPECT_GT(Count(build, r[0], r[1], r[2], r[3], IsWhite), 8);
  EXPECT_GT(Count(build, r[0], r[1], r[2], r[3], IsGrey), 8);
  EXPECT_EQ(Count(build, r[0], r[1], r[2], r[3], IsCyan), 0);
  EXPECT_EQ(Count(build, r[0], r[1], r[2], r[3], IsMagenta), 0);

  for (int kind = 0; kind < 3; ++kind) {
    SCOPED_TRACE(kind);
    const std::array<int, 4> c0 = cell(0, kind);
    const std::array<int, 4> c1 = cell(1, kind);
    const std::array<int, 4> c2 = cell(2, kind);
    EXPECT_GT(Count(build, c0[0], c0[1], c0[2], c0[3], IsCyan), 20);
    EXPECT_EQ(Count(build, c0[0], c0[1], c0[2], c0[3], IsMagenta), 0);
    EXPECT_GT(Count(build, c1[0], c1[1], c1[2], c1[3], IsMagenta), 20);
    EXPECT_EQ(Count(build, c1[0], c1[1], c1[2], c1[3], IsCyan), 0);
    EXPECT_GT(Count(build, c2[0], c2[1], c2[2], c2[3], IsBlue), 20);
  }
  const auto opaque = [](Colour C) { return C.r != 0 || C.g != 0 || C.b != 0; };
  for (int style = 0; style < 3; ++style) {
    SCOPED_TRACE(style);
    const int x = style * 16;
    // A plain storey fills its cell but for the gap column between buildings;
    // a roof storey's roof leaves sky above it; a ruin has lost its top.
    EXPECT_EQ(Count(build, x, 16, x + 15, 32, opaque), 15 * 16);
    EXPECT_EQ(Count(build, x + 15, 0, x + 16, 48, opaque), 0);
    EXPECT_EQ(Count(build, x, 8, x + 15, 16, opaque), 15 * 8);
    EXPECT_LT(Count(build, x, 0, x + 15, 8, opaque), 15 * 8);
    EXPECT_GT(Count(build, x, 0, x + 15, 8, opaque), 10);
    EXPECT_EQ(Count(build, x, 32, x + 15, 36, opaque), 0);
    EXPECT_GT(Count(build, x, 44, x + 15, 48, opaque), 50);
  }
}

TEST(Pictures, PlaneFramesAreTheWhitePlaneWithTheGearUpAndDown) {
  const soft::DibImage plane = Load("plane1");
  ASSERT_EQ(plane.Width, 96);
  const auto opaque = [](Colour C) { return C.r != 0 || C.g != 0 || C.b != 0; };
  for (int frame = 0; frame < 2; ++frame) {
    const int x = frame * 48;
    EXPECT_GT(Count(plane, x, 0, x + 48, 16, IsWhite), 120);
    EXPECT_GT(Count(plane, x, 0, x + 48, 16, IsBlue), 3);
  }
  EXPECT_EQ(Count(plane, 0, 12, 48, 16, opaque), 0);
  EXPECT_GT(Count(plane, 48, 12, 96, 16, opaque), 10);  // wheels lowered
  // The nose is on the right: the rightmost ink is further right than the
  // leftmost ink is from the left edge, at mid-height.
  int first = 48;
  int last = -1;
  for (int x = 0; x < 48; ++x) {
    if (opaque(Split(plane.At(x, 9)))) {
      first = std::min(first, x);
      last = std::max(last, x);
    }
  }
  EXPECT_GE(last, 44);
}

struct Ink {
  int pixels = 0;
  int brightest = 0;     // largest channel value
  double reach = 0;      // largest distance from the frame's centre
  double nearest = 1e9;  // smallest distance from the frame's centre
  int left = 1000, right = -1;
};

Ink FrameInk(const soft::DibImage& Blow, int Frame) {
  Ink ink;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 96; ++x) {
      const Colour c = Split(Blow.At(Frame * 96 + x, y));
      if (c.r == 0 && c.g == 0 && c.b == 0) continue;
      ++ink.pixels;
      ink.brightest = std::max({ink.brightest, c.r, c.g, c.b});
      const double d = std::hypot(x + 0.5 - 48, y + 0.5 - 30);
      ink.reach = std::max(ink.reach, d);
      ink.nearest = std::min(ink.nearest, d);
      if (c.r > 100) {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
      }
    }
  }
  return ink;
}

TEST(Pictures, ExplosionGrowsSplitsFliesOutAndFades) {
  const soft::DibImage blow = Load("blow");
  ASSERT_EQ(blow.Width, 864);
  // Frame 0: a small fireball of about 20 pixels at the centre, red-orange.
  const Ink first = FrameInk(blow, 0);
  EXPECT_LT(first.nearest, 1.0);
  EXPECT_GE(first.right - first.left + 1, 16);
  EXPECT_LE(first.right - first.left + 1, 26);
  EXPECT_NEAR((first.left + first.right + 1) / 2.0, 48, 1.0);
  const Colour centre = Split(blow.At(48, 30));
  EXPECT_GE(centre.r, centre.g);
  EXPECT_GE(centre.g, centre.b);
  // Frame 3 on: a ring, nothing left at the very centre from frame 4.
  for (int frame = 4; frame < 9; ++frame) EXPECT_GT(FrameInk(blow, frame).nearest, 10) << frame;
  // The blobs fly outward and fade.
  for (int frame = 4; frame < 9; ++frame) {
    const Ink before = FrameInk(blow, frame - 1);
    const Ink now = FrameInk(blow, frame);
    EXPECT_GT(now.reach, before.reach) << frame;
    EXPECT_LE(now.brightest, before.brightest) << frame;
    EXPECT_LT(now.pixels, before.pixels) << frame;
  }
  // Frame 8 starts at x = 768: eight faint specks near the frame's edges.
  const Ink last = FrameInk(blow, 8);
  EXPECT_GT(last.pixels, 8);
  EXPECT_LT(last.brightest, 160);
  EXPECT_GT(last.nearest, 20);
  const auto lit = [](Colour C) { return C.r != 0 || C.g != 0 || C.b != 0; };
  EXPECT_GT(Count(blow, 768, 0, 778, 10, lit), 0);   // top left
  EXPECT_GT(Count(blow, 854, 50, 864, 60, lit), 0);  // bottom right
  EXPECT_GT(Count(blow, 768, 25, 778, 35, lit), 0);  // left
  EXPECT_GT(Count(blow, 811, 0, 821, 10, lit), 0);   // top
  EXPECT_EQ(Count(blow, 788, 12, 844, 48, lit), 0);  // nothing in the middle
}

// A colour as a 16-bit RGB565 surface gives it back.
Colour At565(Colour C) {
  return {(C.r >> 3) << 3 | C.r >> 5, (C.g >> 2) << 2 | C.g >> 6, (C.b >> 3) << 3 | C.b >> 5};
}

// Groups of touching lit pixels (eight neighbours) in one frame of the sheet.
int Blobs(const soft::DibImage& Blow, int Frame) {
  std::array<std::array<bool, 96>, 60> seen{};
  const auto lit = [&](int X, int Y) {
    return X >= 0 && Y >= 0 && X < 96 && Y < 60 && !IsZeroAt565(Split(Blow.At(Frame * 96 + X, Y)));
  };
  int blobs = 0;
  for (int y0 = 0; y0 < 60; ++y0) {
    for (int x0 = 0; x0 < 96; ++x0) {
      if (seen[y0][x0] || !lit(x0, y0)) continue;
      ++blobs;
      std::vector<std::array<int, 2>> todo = {{x0, y0}};
      seen[y0][x0] = true;
      while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            if (lit(x + dx, y + dy) && !seen[y + dy][x + dx]) {
              seen[y + dy][x + dx] = true;
              todo.push_back({x + dx, y + dy});
            }
          }
        }
      }
    }
  }
  return blobs;
}

TEST(Pictures, ExplosionIsARingOfEightAndLeavesNoDarkSmudge) {
  const soft::DibImage blow = Load("blow");
  ASSERT_EQ(blow.Width, 864);
  EXPECT_EQ(Blobs(blow, 3), 8);
  EXPECT_EQ(Blobs(blow, 8), 8);
  // What survives the key on a 16-bit screen is fire, not a dark rim: at most
  // 5 % of a frame's drawn pixels have every channel below 48.
  for (int frame = 0; frame < 9; ++frame) {
    const auto drawn = [](Colour C) { return !IsZeroAt565(C); };
    const auto dark = [](Colour C) {
      const Colour s = At565(C);
      return !IsZeroAt565(C) && s.r < 48 && s.g < 48 && s.b < 48;
    };
    const int shown = Count(blow, frame * 96, 0, frame * 96 + 96, 60, drawn);
    ASSERT_GT(shown, 0) << frame;
    EXPECT_LE(Count(blow, frame * 96, 0, frame * 96 + 96, 60, dark) * 20, shown) << frame;
  }
}

TEST(Pictures, BombIsGrey) {
  const soft::DibImage bomb = Load("bomb");
  const auto opaque = [](Colour C) { return C.r != 0 || C.g != 0 || C.b != 0; };
  const int ink = Count(bomb, 0, 0, 16, 16, opaque);
  EXPECT_GT(ink, 60);
  const auto neutral = [](Colour C) {  // any shade from dark grey to near white
    return std::abs(C.r - C.g) < 24 && std::abs(C.g - C.b) < 24 && C.r > 60;
  };
  EXPECT_EQ(Count(bomb, 0, 0, 16, 16, neutral), ink);
  // Nose down: the lowest row is narrower than the body above it.
  EXPECT_LT(Count(bomb, 0, 15, 16, 16, opaque), Count(bomb, 0, 10, 16, 11, opaque));
}

TEST(Pictures, BannerIsMagentaWhenLostAndYellowWhenWonInBothLanguages) {
  for (const char* name : {"losewin1", "losewin"}) {
    SCOPED_TRACE(name);
    const soft::DibImage banner = Load(name);
    ASSERT_EQ(banner.Height, 94);
    EXPECT_GT(Count(banner, 0, 0, 191, 47, IsMagenta), 200);
    EXPECT_EQ(Count(banner, 0, 0, 191, 47, IsYellow), 0);
    EXPECT_GT(Count(banner, 0, 47, 191, 94, IsYellow), 200);
    EXPECT_EQ(Count(banner, 0, 47, 191, 94, IsMagenta), 0);
    EXPECT_GT(Count(banner, 0, 0, 191, 94, IsGrey), 100);  // the glow
  }
}

TEST(Pictures, TextPicturesDifferByLanguageOnlyAndAreCleanOnTheKey) {
  const std::array<std::array<const char*, 2>, 2> pairs = {
      {{"levelch1", "levelch"}, {"losewin1", "losewin"}}};
  for (const auto& pair : pairs) {
    const soft::DibImage chinese = Load(pair[0]);
    const soft::DibImage english = Load(pair[1]);
    ASSERT_EQ(chinese.Width, english.Width);
    ASSERT_EQ(chinese.Height, english.Height);
    EXPECT_EQ(chinese.At(0, 0), english.At(0, 0));
    EXPECT_NE(chinese.Pixels, english.Pixels);
    for (const soft::DibImage* shown : {&chinese, &english}) {
      SCOPED_TRACE(shown == &chinese ? pair[0] : pair[1]);
      // Ink and glow are cut off sharply: nothing dim is left around them for
      // the key to keep (and whatever would turn black on screen is the key,
      // see WhatIsTransparentOnA16BitScreenIsExactlyTheKey).
      const uint32_t key = shown->At(0, 0);
      EXPECT_EQ(Count(*shown, 0, 0, shown->Width, shown->Height,
                      [&](Colour c) {
                        return std::max({c.r, c.g, c.b}) < 40 &&
                               (c.r | c.g << 8 | c.b << 16) != static_cast<int>(key);
                      }),
                0);
    }
  }
}

TEST(Pictures, LevelChoiceHasHeadingPromptAndCreditLinesInBothLanguages) {
  for (const char* name : {"levelch1", "levelch"}) {
    SCOPED_TRACE(name);
    const soft::DibImage level = Load(name);
    // The heading lies in the 36 rows by which the picture is placed.
    EXPECT_GT(Count(level, 0, 0, 331, 36, IsYellow), 500);
    EXPECT_EQ(Count(level, 0, 36, 331, 100, IsYellow), 0);
    EXPECT_GT(Count(level, 0, 36, 331, 70, IsWhite), 300);
    EXPECT_GT(Count(level, 0, 70, 331, 100, IsMagenta), 150);
    EXPECT_EQ(Count(level, 0, 0, 331, 70, IsMagenta), 0);
  }
}

}  // namespace
