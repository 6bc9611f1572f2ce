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

  uint16_t At(int X, int Y) const { return pixels[static_cast<size_t>(Y) * width + X]; }
  uint16_t& At(int X, int Y) { return pixels[static_cast<size_t>(Y) * width + X]; }
  bool operator==(const Image&) const = default;
};

inline Image Copy(const soft::PixelView& View) {
  Image image{View.width, View.height, {}};
  image.pixels.reserve(static_cast<size_t>(View.width) * View.height);
  for (int y = 0; y < View.height; ++y) {
    for (int x = 0; x < View.width; ++x) image.pixels.push_back(View.At(x, y));
  }
  return image;
}

inline Image Pixels(const IDirectDrawSurface7* Surface) {
  return Copy(soft::SurfacePixels(Surface));
}
inline Image Front() {
  return Copy(soft::FrontBuffer());
}
inline Image Filled(int Width, int Height, uint16_t Value) {
  return Image{Width, Height, std::vector<uint16_t>(static_cast<size_t>(Width) * Height, Value)};
}

// What BltFast with DDBLTFAST_SRCCOLORKEY (or without a key) puts at (x, y).
inline void Paste(Image& Dest, int X, int Y, const Image& Sheet, TRect Src,
                  std::optional<uint16_t> Key) {
  for (int sy = Src.Top; sy < Src.Bottom; ++sy) {
    for (int sx = Src.Left; sx < Src.Right; ++sx) {
      const uint16_t p = Sheet.At(sx, sy);
      if (Key && p == *Key) continue;
      Dest.At(X + sx - Src.Left, Y + sy - Src.Top) = p;
    }
  }
}

inline uint16_t KeyOf(IDirectDrawSurface7* Sheet) {
  DDCOLORKEY key{};
  EXPECT_EQ(DD_OK, Sheet->GetColorKey(DDCKEY_SRCBLT, &key));
  EXPECT_EQ(key.dwColorSpaceLowValue, key.dwColorSpaceHighValue);
  return static_cast<uint16_t>(key.dwColorSpaceLowValue);
}

// Equality with the first difference named, instead of two 300 000-pixel dumps.
inline ::testing::AssertionResult SamePicture(const Image& Expected, const Image& Actual) {
  if (Expected.width != Actual.width || Expected.height != Actual.height) {
    return ::testing::AssertionFailure()
           << "size " << Actual.width << "x" << Actual.height << ", expected " << Expected.width
           << "x" << Expected.height;
  }
  int differing = 0;
  int firstX = -1, firstY = -1;
  for (int y = 0; y < Expected.height; ++y) {
    for (int x = 0; x < Expected.width; ++x) {
      if (Expected.At(x, y) == Actual.At(x, y)) continue;
      if (differing++ == 0) firstX = x, firstY = y;
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << differing << " pixels differ; first at (" << firstX << ", " << firstY << "): 0x"
         << std::hex << Actual.At(firstX, firstY) << ", expected 0x" << Expected.At(firstX, firstY);
}

// Random(n) from a queue; 0 once the queue is empty.
class QueueRandom final : public RandomSource {
 public:
  int32_t Random(int32_t N) override {
    if (values.empty()) return 0;
    const int32_t v = values.front();
    values.pop_front();
    return N > 0 && v < N ? v : 0;
  }
  std::deque<int32_t> values;
};

// A level-0 city: building b (1..38) gets styles[b - 1] and heights[b - 1]
// (1..24); buildings past the lists get style 0 and height 1.
struct City {
  std::vector<int> styles;
  std::vector<int> heights;

  int Style(int B) const { return B <= static_cast<int>(styles.size()) ? styles[B - 1] : 0; }
  int Height(int B) const { return B <= static_cast<int>(heights.size()) ? heights[B - 1] : 1; }
  void Queue(QueueRandom& Rng) const {
    for (int b = 1; b <= 38; ++b) {
      Rng.values.push_back(Style(b));
      Rng.values.push_back(Height(b) - 1);
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

  // Starts the game's session, with the pictures in the language given;
  // faults meant for set-up are injected before. The application shows the
  // game as Shows says.
  GameSession& Create(Language Pictures = Language::Chinese) {
    return Create(Presentation::Exclusive, Pictures);
  }
  GameSession& Create(Presentation Shows, Language Pictures = Language::Chinese) {
    // A game made again in the same test starts with a fresh application.
    app = headless::HeadlessApp();
    app.Shows = Shows;
    rng.values.clear();
    flips = 0;
    soft::SetFlipHook([this](const soft::PixelView&) { ++flips; });
    session_ = std::make_unique<GameSession>(app, Pictures);
    session_->SetRandomSource(&rng);
    return *session_;
  }
  void Destroy() {
    if (!session_) return;
    session_.reset();
    soft::SetFlipHook(nullptr);
  }

  FormHandlers& F() { return session_->Handlers(); }
  GameSession& Session() { return *session_; }
  TForm1Access Inside() { return TForm1Access(*session_); }
  World& W() { return Inside().W(); }
  FormView View() const { return session_->View(); }

  void Key(uint8_t C) { F().Handle({FormEvent::Char, C}); }
  void Down(uint16_t K) { F().Handle({FormEvent::KeyDown, K}); }
  void Up(uint16_t K) { F().Handle({FormEvent::KeyUp, K}); }
  void Handle(const FormEvent& Event) { F().Handle(Event); }
  // A digit on the level screen with the city queued first.
  void StartRound(const City& City, uint8_t Digit = '0') {
    City.Queue(rng);
    Key(Digit);
  }
  // One GameLoop call; true when it flipped (or presented the frame in a window).
  bool Frame() {
    const uint64_t before = flips + app.Presented;
    bool done = true;
    F().GameLoop(done);
    EXPECT_FALSE(done);
    return flips + app.Presented > before;
  }
  void Frames(int N) {
    for (int i = 0; i < N; ++i) Frame();
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

// The play field a fresh DrawCity of `City` gives over the black background:
// roofs on top, plain storeys below, each cell cut from the building sheet.
inline Image ExpectedCity(const City& City, const Image& BuildingSheet, uint16_t Key) {
  Image field = Filled(640, 480, 0);
  for (int b = 1; b <= 38; ++b) {
    const int h = City.Height(b);
    const int s = City.Style(b);
    for (int j = 1; j <= h; ++j) {
      const int kind = j == h ? 0 : 1;
      Paste(field, b * 16, 480 - 16 * j, BuildingSheet,
            TRect{s * 16, kind * 16, s * 16 + 16, kind * 16 + 16}, Key);
    }
  }
  return field;
}

// The play field a fresh DrawCity of the world's records gives: every
// standing block of every building, its style's column and its kind's row.
inline Image ExpectedField(const World& W, const Image& BuildingSheet, uint16_t Key) {
  Image field = Filled(640, 480, 0);
  for (int b = 1; b <= W.BuildingCount; ++b) {
    const TBuilding& building = W.Buildings[b];
    for (int j = 1; j <= building.Height; ++j) {
      const int kind = static_cast<int>(building.Blocks[j].Kind);
      Paste(field, b * 16, 480 - 16 * j, BuildingSheet,
            TRect{building.Style * 16, kind * 16, building.Style * 16 + 16, kind * 16 + 16}, Key);
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
inline void BeginShortRound(Game& G) {
  G.StartRound(ShortRoundCity());
  TPlane& plane = G.W().Plane;
  plane.X = 0;
  plane.Y = 96;
  plane.Col = 2;
  plane.Row = 6;
  uint16_t space = kVkSpace;
  G.F().Handle({FormEvent::KeyDown, space});
}
// Frames of the short round from its start until a few frames after it is over.
inline constexpr int kShortRoundFrames = 45;

}  // namespace carpex::gfxtest
