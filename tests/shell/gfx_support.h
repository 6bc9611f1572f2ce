// What the graphics tests share: a game on the software display driven by hand,
// a chosen city, pictures copied out of surfaces, and a small reference
// compositor that says what a picture should hold.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/soft/control.h"
#include "platform/headless/headless_app.h"
#include "shell/form_access.h"
#include "shell/session.h"

namespace carpex::gfxtest {

// A copy of 16-bit pixels, so that a picture outlives the next flip.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint16_t> pixels;

  uint16_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  uint16_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  bool operator==(const Image&) const = default;
};

inline Image Copy(const soft::PixelView& view) {
  Image image{view.width, view.height, {}};
  image.pixels.reserve(static_cast<size_t>(view.width) * view.height);
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) image.pixels.push_back(view.At(x, y));
  }
  return image;
}

inline Image Pixels(const IDirectDrawSurface7* surface) {
  return Copy(soft::SurfacePixels(surface));
}
inline Image Front() {
  return Copy(soft::FrontBuffer());
}
inline Image Filled(int width, int height, uint16_t value) {
  return Image{width, height, std::vector<uint16_t>(static_cast<size_t>(width) * height, value)};
}

// What BltFast with DDBLTFAST_SRCCOLORKEY (or without a key) puts at (x, y).
inline void Paste(Image& dest, int x, int y, const Image& sheet, TRect src,
                  std::optional<uint16_t> key) {
  for (int sy = src.Top; sy < src.Bottom; ++sy) {
    for (int sx = src.Left; sx < src.Right; ++sx) {
      const uint16_t p = sheet.At(sx, sy);
      if (key && p == *key) continue;
      dest.At(x + sx - src.Left, y + sy - src.Top) = p;
    }
  }
}

inline uint16_t KeyOf(IDirectDrawSurface7* sheet) {
  DDCOLORKEY key{};
  EXPECT_EQ(DD_OK, sheet->GetColorKey(DDCKEY_SRCBLT, &key));
  EXPECT_EQ(key.dwColorSpaceLowValue, key.dwColorSpaceHighValue);
  return static_cast<uint16_t>(key.dwColorSpaceLowValue);
}

// Equality with the first difference named, instead of two 300 000-pixel dumps.
inline ::testing::AssertionResult SamePicture(const Image& expected, const Image& actual) {
  if (expected.width != actual.width || expected.height != actual.height) {
    return ::testing::AssertionFailure()
           << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
           << "x" << expected.height;
  }
  int differing = 0;
  int firstX = -1, firstY = -1;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      if (expected.At(x, y) == actual.At(x, y)) continue;
      if (differing++ == 0) firstX = x, firstY = y;
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << differing << " pixels differ; first at (" << firstX << ", " << firstY << "): 0x"
         << std::hex << actual.At(firstX, firstY) << ", expected 0x" << expected.At(firstX, firstY);
}

// Random(n) from a queue; 0 once the queue is empty.
class QueueRandom final : public RandomSource {
 public:
  int32_t Random(int32_t n) override {
    if (values.empty()) return 0;
    const int32_t v = values.front();
    values.pop_front();
    return n > 0 && v < n ? v : 0;
  }
  std::deque<int32_t> values;
};

// A level-0 city: building b (1..38) gets styles[b - 1] and heights[b - 1]
// (1..24); buildings past the lists get style 0 and height 1.
struct City {
  std::vector<int> styles;
  std::vector<int> heights;

  int Style(int b) const { return b <= static_cast<int>(styles.size()) ? styles[b - 1] : 0; }
  int Height(int b) const { return b <= static_cast<int>(heights.size()) ? heights[b - 1] : 1; }
  void Queue(QueueRandom& rng) const {
    for (int b = 1; b <= 38; ++b) {
      rng.values.push_back(Style(b));
      rng.values.push_back(Height(b) - 1);
    }
  }
};

// One game on a fresh software display, driven the way the application layer
// drives it: the session's handlers between frames, one GameLoop call per frame.
class Game {
 public:
  Game() = default;
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;
  ~Game() { Destroy(); }

  // Starts the game's session; faults meant for set-up are injected before.
  GameSession& Create() {
    // A game made again in the same test starts with a fresh application.
    app = headless::HeadlessApp();
    rng.values.clear();
    flips = 0;
    soft::SetFlipHook([this](const soft::PixelView&) { ++flips; });
    session_ = std::make_unique<GameSession>(app);
    session_->SetRandomSource(&rng);
    return *session_;
  }
  void Destroy() {
    if (!session_) return;
    session_.reset();
    soft::SetFlipHook(nullptr);
  }

  FormHandlers& F() { return session_->Handlers(); }
  TForm1Access Inside() { return TForm1Access(*session_); }
  World& W() { return Inside().W(); }
  FormView View() const { return session_->View(); }

  void Key(uint8_t c) { F().FormKeyPress(c); }
  void Down(uint16_t k) { F().FormKeyDown(k); }
  void Up(uint16_t k) { F().FormKeyUp(k); }
  // A digit on the level screen with the city queued first.
  void StartRound(const City& city, uint8_t digit = '0') {
    city.Queue(rng);
    Key(digit);
  }
  // One GameLoop call; true when it flipped.
  bool Frame() {
    const int before = flips;
    bool done = true;
    F().GameLoop(done);
    EXPECT_FALSE(done);
    return flips > before;
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }

  headless::HeadlessApp app;
  QueueRandom rng;
  int flips = 0;  // successful flips since Create

 private:
  std::unique_ptr<GameSession> session_;
};

// Every test starts from a fresh display and leaves none behind.
class GfxTest : public ::testing::Test {
 protected:
  void SetUp() override { soft::Reset(); }
  void TearDown() override {
    game.Destroy();
    soft::Reset();
  }
  Game game;
};

// The play field a fresh DrawCity of `city` gives over the black background:
// roofs on top, plain storeys below, each cell cut from the building sheet.
inline Image ExpectedCity(const City& city, const Image& buildingSheet, uint16_t key) {
  Image field = Filled(640, 480, 0);
  for (int b = 1; b <= 38; ++b) {
    const int h = city.Height(b);
    const int s = city.Style(b);
    for (int j = 1; j <= h; ++j) {
      const int kind = j == h ? 0 : 1;
      Paste(field, b * 16, 480 - 16 * j, buildingSheet,
            TRect{s * 16, kind * 16, s * 16 + 16, kind * 16 + 16}, key);
    }
  }
  return field;
}

// The play field a fresh DrawCity of the world's records gives: every
// standing block of every building, its style's column and its kind's row.
inline Image ExpectedField(const World& w, const Image& buildingSheet, uint16_t key) {
  Image field = Filled(640, 480, 0);
  for (int b = 1; b <= w.BuildingCount; ++b) {
    const TBuilding& B = w.Buildings[b];
    for (int j = 1; j <= B.Height; ++j) {
      const int kind = static_cast<int>(B.Blocks[j].Kind);
      Paste(field, b * 16, 480 - 16 * j, buildingSheet,
            TRect{B.Style * 16, kind * 16, B.Style * 16 + 16, kind * 16 + 16}, key);
    }
  }
  return field;
}

// A short round that is lost: building 1 (24 blocks) takes the bomb in the
// first frame and loses three blocks to the demolition; the plane, put on row 6
// at the left edge, flies into building 6 (24 blocks) about 30 frames later and
// crashes; ten frames after that the round is over. Every other building is one block.
inline City ShortRoundCity() {
  City city;
  for (int b = 1; b <= 38; ++b) {
    city.styles.push_back(b % 3);
    city.heights.push_back(b == 1 || b == 6 ? 24 : 1);
  }
  return city;
}
inline void BeginShortRound(Game& g) {
  g.StartRound(ShortRoundCity());
  TPlane& plane = g.W().Plane;
  plane.X = 0;
  plane.Y = 96;
  plane.Col = 2;
  plane.Row = 6;
  uint16_t space = kVkSpace;
  g.F().FormKeyDown(space);
}
// Frames of the short round from its start until a few frames after it is over.
inline constexpr int kShortRoundFrames = 45;

}  // namespace carpex::gfxtest
