// Looks at screenshots of the game's window (binary PPM, as `import` writes
// them) for the end-to-end test. Game coordinates are the 640 x 480 picture's;
// the picture sits on the screen where the window puts it.
//
//   shot_check levelchoice SHOT        the level-choice screen, pixel for pixel
//   shot_check same SHOT PICTURE       the game's picture is PICTURE (640 x 480), pixel for pixel
//   shot_check plane SHOT              the plane's extent in the rows above the city
//   shot_check diff A B X Y W H        how many game pixels of the rectangle differ
//   shot_check lost SHOT               how many game pixels show the lost pattern
//   shot_check fps SHOT                the number written at the window's top-left
//   shot_check legend SHOT             what is drawn around the picture (the legend):
//                                      how many pixels are not black, and their sum
//
// Exit status 0 when the question could be answered (and for levelchoice and same: yes),
// 1 when not, 2 for a usage or file error.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "graphics/soft/control.h"
#include "graphics/soft/dib.h"
#include "graphics/soft/resources.h"
#include "platform/common/layout.h"
#include "platform/common/pixel_font.h"
#include "tests/platform/sdl/colours.h"

namespace {

using carpex::common::Placement;
using carpex::sdl::FromColorref;
using carpex::sdl::Near;

struct Shot {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;

  uint32_t At(int X, int Y) const {
    const uint8_t* p = &Rgb[(static_cast<size_t>(Y) * Width + X) * 3];
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
};

bool ReadPpm(const char* Path, Shot* Shot) {
  std::ifstream in(Path, std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t pos = 0;
  auto token = [&]() {
    std::string t;
    while (pos < data.size()) {
      if (data[pos] == '#') {
        while (pos < data.size() && data[pos] != '\n') ++pos;
      } else if (std::isspace(static_cast<unsigned char>(data[pos]))) {
        ++pos;
      } else {
        break;
      }
    }
    while (pos < data.size() && !std::isspace(static_cast<unsigned char>(data[pos]))) {
      t += data[pos++];
    }
    return t;
  };
  if (token() != "P6") return false;
  Shot->Width = std::atoi(token().c_str());
  Shot->Height = std::atoi(token().c_str());
  if (token() != "255" || Shot->Width <= 0 || Shot->Height <= 0) return false;
  ++pos;  // the one whitespace before the pixels
  const size_t bytes = static_cast<size_t>(Shot->Width) * Shot->Height * 3;
  if (data.size() < pos + bytes) return false;
  Shot->Rgb.assign(data.begin() + static_cast<long>(pos),
                   data.begin() + static_cast<long>(pos + bytes));
  return true;
}

// COLORREF (0x00BBGGRR) to 0xRRGGBB, through the display's 16 bits.
uint32_t Displayed(uint32_t Colorref) {
  return FromColorref(soft::FromRgb565(soft::ToRgb565(Colorref)));
}

// The screen pixel at the centre of a game pixel.
uint32_t GamePixel(const Shot& S, const Placement& P, int Gx, int Gy) {
  const int x = P.X + (Gx * P.Width + P.Width / 2) / carpex::common::kPictureWidth;
  const int y = P.Y + (Gy * P.Height + P.Height / 2) / carpex::common::kPictureHeight;
  return S.At(x, y);
}

// Whether the shot shows the picture Want (0xRRGGBB, 640 x 480), every screen
// pixel of each game pixel, on black around it.
int ShowsPicture(const Shot& S, const std::vector<uint32_t>& Want) {
  const Placement p = carpex::common::PlacePicture(S.Width, S.Height);
  int wrong = 0, inked = 0;
  for (int gy = 0; gy < carpex::common::kPictureHeight; ++gy) {
    for (int gx = 0; gx < carpex::common::kPictureWidth; ++gx) {
      const uint32_t want = Want[static_cast<size_t>(gy) * carpex::common::kPictureWidth + gx];
      inked += want != 0;
      // Every screen pixel wholly inside the game pixel, not only its centre
      // (all of its square at a whole factor; reduced smoothly, those whose
      // colour is not mixed with a neighbour's).
      const int w = p.Width, h = p.Height, pw = carpex::common::kPictureWidth,
                ph = carpex::common::kPictureHeight;
      for (int y = p.Y + (gy * h + ph - 1) / ph; y < p.Y + (gy + 1) * h / ph; ++y) {
        for (int x = p.X + (gx * w + pw - 1) / pw; x < p.X + (gx + 1) * w / pw; ++x) {
          if (!Near(S.At(x, y), want, 4)) ++wrong;
        }
      }
    }
  }
  std::printf(
      "placement %dx%d at %d,%d scale %d; %d picture pixels wrong, %d inked game pixels "
      "expected\n",
      p.Width, p.Height, p.X, p.Y, p.Scale, wrong, inked);
  return wrong == 0 && inked > 0 ? 0 : 1;
}

// Around the picture the window is black but for the legend (and the frame
// rate's text at the window's top-left, when it shows): its pixels counted
// and summed, so that two legends can be told apart.
int Legend(const Shot& S) {
  const Placement p = carpex::common::PlacePicture(S.Width, S.Height);
  uint64_t count = 0, sum = 0;
  for (int y = 0; y < S.Height; ++y) {
    for (int x = 0; x < S.Width; ++x) {
      const bool inside = x >= p.X && y >= p.Y && x < p.X + p.Width && y < p.Y + p.Height;
      if (inside || S.At(x, y) == 0) continue;
      ++count;
      sum += static_cast<uint64_t>(y) * S.Width + x;
    }
  }
  std::printf("%llu %llu\n", static_cast<unsigned long long>(count),
              static_cast<unsigned long long>(sum));
  return count > 0 ? 0 : 1;
}

int LevelChoice(const Shot& S) {
  const soft::Resource* res = soft::FindEmbedded("BITMAP", "LEVELCH1");
  soft::DibImage sheet;
  if (res == nullptr || !soft::DecodeDib(res->data, res->size, &sheet)) {
    std::fprintf(stderr, "the level-choice bitmap is missing\n");
    return 2;
  }
  const uint32_t key = sheet.At(0, 0);
  constexpr int kLeft = 154, kTop = 111;
  std::vector<uint32_t> want(static_cast<size_t>(carpex::common::kPictureWidth) *
                             carpex::common::kPictureHeight);
  for (int sy = 0; sy < sheet.Height; ++sy) {
    for (int sx = 0; sx < sheet.Width; ++sx) {
      const uint32_t c = sheet.At(sx, sy);
      if (c != key) want[(kTop + sy) * carpex::common::kPictureWidth + kLeft + sx] = Displayed(c);
    }
  }
  return ShowsPicture(S, want);
}

int Same(const Shot& S, const Shot& Picture) {
  if (Picture.Width != carpex::common::kPictureWidth ||
      Picture.Height != carpex::common::kPictureHeight) {
    std::fprintf(stderr, "the picture is not 640 x 480\n");
    return 2;
  }
  std::vector<uint32_t> want(static_cast<size_t>(Picture.Width) * Picture.Height);
  for (int y = 0; y < Picture.Height; ++y) {
    for (int x = 0; x < Picture.Width; ++x) want[y * Picture.Width + x] = Picture.At(x, y);
  }
  return ShowsPicture(S, want);
}

int PlaneExtent(const Shot& S) {
  // The rows above the tallest city (level 9: 24 blocks leave rows 0 to 5).
  const Placement p = carpex::common::PlacePicture(S.Width, S.Height);
  int left = 640, right = -1, top = 480, bottom = -1;
  for (int gy = 0; gy < 96; ++gy) {
    for (int gx = 0; gx < 640; ++gx) {
      if (GamePixel(S, p, gx, gy) == 0) continue;
      left = std::min(left, gx);
      right = std::max(right, gx);
      top = std::min(top, gy);
      bottom = std::max(bottom, gy);
    }
  }
  if (right < 0) {
    std::printf("none\n");
    return 1;
  }
  std::printf("%d %d %d %d\n", left, right, top, bottom);
  return 0;
}

int Diff(const Shot& A, const Shot& B, int X0, int Y0, int W, int H) {
  if (A.Width != B.Width || A.Height != B.Height) return 2;
  const Placement p = carpex::common::PlacePicture(A.Width, A.Height);
  int differ = 0;
  for (int gy = Y0; gy < Y0 + H && gy < 480; ++gy) {
    for (int gx = X0; gx < X0 + W && gx < 640; ++gx) {
      if (GamePixel(A, p, gx, gy) != GamePixel(B, p, gx, gy)) ++differ;
    }
  }
  std::printf("%d\n", differ);
  return 0;
}

int Lost(const Shot& S) {
  const Placement p = carpex::common::PlacePicture(S.Width, S.Height);
  const uint32_t a = Displayed(soft::FromRgb565(soft::kLostPatternA));
  const uint32_t b = Displayed(soft::FromRgb565(soft::kLostPatternB));
  int count = 0;
  for (int gy = 0; gy < 480; ++gy) {
    for (int gx = 0; gx < 640; ++gx) {
      const uint32_t c = GamePixel(S, p, gx, gy);
      count += Near(c, a, 4) || Near(c, b, 4);
    }
  }
  std::printf("%d\n", count);
  return 0;
}

// Reads the text box at the window's top-left with the window's own font.
int Fps(const Shot& S) {
  const Placement p = carpex::common::PlacePicture(S.Width, S.Height);
  const int k = p.TextScale;
  const uint32_t face = S.At(0, 0);
  if (face == 0 || face == 0xFFFFFF) {
    std::printf("no text box\n");
    return 1;
  }
  std::string text;
  for (int cell = 0; (cell + 1) * carpex::common::kCellWidth * k <= S.Width; ++cell) {
    // A cell whose top-left corner is not the box colour is past the text.
    if (S.At(cell * carpex::common::kCellWidth * k, 0) != face) break;
    int found = -1;
    for (char c = '0'; c <= '9' && found < 0; ++c) {
      bool match = true;
      for (int row = 0; row < carpex::common::kCellHeight && match; ++row) {
        const uint8_t bits = carpex::common::GlyphRow(c, row);
        for (int x = 0; x < carpex::common::kCellWidth && match; ++x) {
          const bool ink = (bits >> (7 - x)) & 1;
          const uint32_t px =
              S.At((cell * carpex::common::kCellWidth + x) * k + k / 2, row * k + k / 2);
          match = ink ? px == 0 : px == face;
        }
      }
      if (match) found = c;
    }
    if (found < 0) break;
    text += static_cast<char>(found);
  }
  if (text.empty()) {
    std::printf("no digits\n");
    return 1;
  }
  std::printf("%s %06X\n", text.c_str(), face);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: shot_check levelchoice|same|plane|diff|lost|fps|legend SHOT ...\n");
    return 2;
  }
  const std::string what = argv[1];
  Shot a;
  if (!ReadPpm(argv[2], &a)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 2;
  }
  if (what == "levelchoice") return LevelChoice(a);
  if (what == "plane") return PlaneExtent(a);
  if (what == "lost") return Lost(a);
  if (what == "fps") return Fps(a);
  if (what == "legend") return Legend(a);
  if ((what == "diff" && argc == 8) || (what == "same" && argc == 4)) {
    Shot b;
    if (!ReadPpm(argv[3], &b)) {
      std::fprintf(stderr, "cannot read %s\n", argv[3]);
      return 2;
    }
    if (what == "same") return Same(a, b);
    return Diff(a, b, std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]),
                std::atoi(argv[7]));
  }
  std::fprintf(stderr, "unknown question %s\n", what.c_str());
  return 2;
}
