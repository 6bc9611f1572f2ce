// What the frames show: the level screen, the city in the play-field
// background, sprites clipped at the screen's edges, and the round-over frame.
#include <gtest/gtest.h>

#include <string>

#include "gfx_support.h"

namespace carpex::gfxtest {
namespace {

bool RectIs(const TRect& R, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  return R.Left == Left && R.Top == Top && R.Right == Right && R.Bottom == Bottom;
}

std::string Show(const TRect& R) {
  return "(" + std::to_string(R.Left) + ", " + std::to_string(R.Top) + ", " +
         std::to_string(R.Right) + ", " + std::to_string(R.Bottom) + ")";
}

class Pictures : public GfxTest {
 protected:
  FormHandlers& F() { return game.F(); }
  TForm1Access Inside() { return game.Inside(); }
  Image Sheet(const Ref<IDirectDrawSurface7>& Sheet) { return Pixels(Sheet.Get()); }
  Image Field() { return Pixels(Inside().PlayFieldBackground().Get()); }
  Image Back() { return Pixels(Inside().BackBuffer().Get()); }

  // A round with every style and a spread of heights, nothing moving yet.
  City VariedCity() {
    City city;
    for (int b = 1; b <= 38; ++b) {
      city.styles.push_back((b * 5) % 3);
      city.heights.push_back((b * 7) % 24 + 1);
    }
    return city;
  }
  void StartQuietRound() {
    game.Create();
    game.StartRound(VariedCity());
    ASSERT_EQ(kPlaying, Inside().W().GameState);
  }

  // BltFast calls of the log whose result was `Code`.
  static int BlitsAnswering(HRESULT Code) {
    int n = 0;
    for (const soft::CallRecord& c : soft::CallLog()) {
      n += std::string(c.method) == "BltFast" && c.result == Code;
    }
    return n;
  }

  void PaintField(uint16_t Value) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    IDirectDrawSurface7* field = Inside().PlayFieldBackground().Get();
    ASSERT_EQ(DD_OK, field->Lock(nullptr, &desc, 0, nullptr));
    for (int y = 0; y < 480; ++y) {
      auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) +
                                              static_cast<ptrdiff_t>(y) * desc.lPitch);
      for (int x = 0; x < 640; ++x) row[x] = Value;
    }
    field->Unlock(nullptr);
  }
};

TEST_F(Pictures, TheLevelScreenShowsTheWholeSheetAtItsPlaceWithItsKeyTransparent) {
  game.Create();
  ASSERT_TRUE(game.Frame());
  const Image sheet = Sheet(Inside().LevelChoiceSheet());
  ASSERT_EQ(331, sheet.width);
  ASSERT_EQ(100, sheet.height);
  const uint16_t key = KeyOf(Inside().LevelChoiceSheet().Get());
  Image expected = Filled(640, 480, 0);
  Paste(expected, 154, 111, sheet, TRect{0, 0, 331, 100}, key);
  EXPECT_TRUE(SamePicture(expected, Front()));

  // The picture has both kinds of pixel, and every pixel of the bitmap that is
  // RGB(1, 1, 1) lets the black background through.
  int keyed = 0, shown = 0;
  for (uint16_t p : sheet.pixels) (p == key ? keyed : shown)++;
  EXPECT_GT(keyed, 0);
  EXPECT_GT(shown, 0);
  auto* bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), "levelch1", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  const Image front = Front();
  int dark = 0, wrong = 0;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 331; ++x) {
      if (GetPixel(dc, x, y) != 0x00010101) continue;
      ++dark;
      wrong += front.At(154 + x, 111 + y) != 0;
    }
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(bitmap);
  EXPECT_GT(dark, 0);
  EXPECT_EQ(0, wrong);
}

TEST_F(Pictures, EveryBuildingIsDrawnToItsHeightWithItsStyleAndRoof) {
  StartQuietRound();
  const Image sheet = Sheet(Inside().BuildingSheet());
  ASSERT_EQ(48, sheet.width);
  EXPECT_TRUE(SamePicture(ExpectedCity(VariedCity(), sheet, KeyOf(Inside().BuildingSheet().Get())),
                          Field()));
}

TEST_F(Pictures, AStrikeErasesExactlyItsBuildingsStripAndShowsTheRuinOnTop) {
  StartQuietRound();
  const Image sheet = Sheet(Inside().BuildingSheet());
  const uint16_t key = KeyOf(Inside().BuildingSheet().Get());
  // A marker everywhere shows what the strike repaints and what it leaves alone.
  constexpr uint16_t kMarker = 0x39E7;
  PaintField(kMarker);
  const City city = VariedCity();
  const int b = 5, h = city.Height(b), s = city.Style(b);
  ASSERT_GE(h, 3);
  StartStrike(Inside().W(), b, 30 - h);
  ASSERT_FALSE(AdvanceStrikes(Inside().W(), Inside().AsPainter()));

  Image expected = Filled(640, 480, kMarker);
  Paste(expected, b * 16, 0, Filled(16, 480, 0), TRect{0, 0, 16, 480}, std::nullopt);
  for (int j = 1; j < h; ++j) {
    const int kind = j == h - 1 ? 2 : 1;
    Paste(expected, b * 16, 480 - 16 * j, sheet,
          TRect{s * 16, kind * 16, s * 16 + 16, kind * 16 + 16}, key);
  }
  EXPECT_TRUE(SamePicture(expected, Field()));

  // Drawing alone never erases: the key lets whatever is there show through.
  PaintField(kMarker);
  Inside().DrawBuilding(3);
  expected = Filled(640, 480, kMarker);
  for (int j = 1; j <= city.Height(3); ++j) {
    const int kind = j == city.Height(3) ? 0 : 1;
    const int s3 = city.Style(3);
    Paste(expected, 48, 480 - 16 * j, sheet,
          TRect{s3 * 16, kind * 16, s3 * 16 + 16, kind * 16 + 16}, key);
  }
  EXPECT_TRUE(SamePicture(expected, Field()));
}

TEST_F(Pictures, ClipToScreenAndClampPosition) {
  struct Case {
    TRect src;
    TPoint at;
    TRect clipped;
    TPoint drawnAt;
  };
  const Case cases[] = {
      {{0, 0, 48, 16}, {-48, 0}, {48, 0, 48, 16}, {0, 0}},
      {{0, 0, 48, 16}, {-46, 0}, {46, 0, 48, 16}, {0, 0}},
      {{0, 0, 48, 16}, {600, 32}, {0, 0, 40, 16}, {600, 32}},
      {{0, 0, 48, 16}, {-40, 48}, {40, 0, 48, 16}, {0, 48}},
      {{48, 0, 96, 16}, {10, 20}, {48, 0, 96, 16}, {10, 20}},
      {{0, 0, 96, 60}, {-40, 451}, {40, 0, 96, 29}, {0, 451}},
      {{288, 0, 384, 60}, {-40, 451}, {328, 0, 384, 29}, {0, 451}},
      {{768, 0, 864, 60}, {568, 442}, {768, 0, 840, 38}, {568, 442}},
      {{0, 0, 96, 60}, {-40, -22}, {40, 22, 96, 60}, {0, 0}},
  };
  for (const Case& c : cases) {
    const TRect r = TForm1Access::ClipToScreen(c.src, c.at);
    EXPECT_TRUE(RectIs(r, c.clipped.Left, c.clipped.Top, c.clipped.Right, c.clipped.Bottom))
        << Show(c.src) << " at " << c.at.X << "," << c.at.Y << " gave " << Show(r);
    const TPoint p = TForm1Access::ClampPosition(c.at);
    EXPECT_EQ(c.drawnAt.X, p.X);
    EXPECT_EQ(c.drawnAt.Y, p.Y);
  }
}

TEST_F(Pictures, ThePlaneIsClippedAtTheEdgesAndItsSecondCopyShowsTheRest) {
  StartQuietRound();
  const Image plane = Sheet(Inside().PlaneSheet());
  const uint16_t key = KeyOf(Inside().PlaneSheet().Get());
  TPlane& p = Inside().W().Plane;
  auto drawAt = [&](int32_t X, int32_t Y) {
    p.X = X;
    p.Y = Y;
    p.Mode = kPlaneFlying;
    p.Frame = kPlaneCruising;
    UpdatePlaneCell(Inside().W());
    soft::ClearCallLog();
    EXPECT_FALSE(Inside().DrawPlaying());
  };

  // Wholly off the left edge: an empty rectangle, nothing drawn, nothing retried.
  drawAt(-48, 0);
  EXPECT_TRUE(RectIs(p.SrcRect, 48, 0, 48, 16)) << Show(p.SrcRect);
  EXPECT_TRUE(SamePicture(Field(), Back()));
  EXPECT_EQ(1, BlitsAnswering(DDERR_INVALIDRECT));
  EXPECT_EQ(0, soft::CallCount("Restore"));

  // The first frame of a round: the nose, two columns, at the left edge.
  drawAt(-46, 0);
  Image expected = Field();
  Paste(expected, 0, 0, plane, TRect{46, 0, 48, 16}, key);
  EXPECT_TRUE(SamePicture(expected, Back()));

  // Across the right edge: columns 0..39 at the right, 40..47 on the next row at the left.
  drawAt(600, 32);
  expected = Field();
  Paste(expected, 600, 32, plane, TRect{0, 0, 40, 16}, key);
  Paste(expected, 0, 48, plane, TRect{40, 0, 48, 16}, key);
  EXPECT_TRUE(SamePicture(expected, Back()));
  EXPECT_TRUE(RectIs(p.SrcRect, 40, 0, 48, 16)) << Show(p.SrcRect);
  EXPECT_EQ(0, BlitsAnswering(DDERR_INVALIDRECT));

  // From the bottom row the second copy is at the top.
  drawAt(630, 464);
  expected = Field();
  Paste(expected, 630, 464, plane, TRect{0, 0, 10, 16}, key);
  Paste(expected, 0, 0, plane, TRect{10, 0, 48, 16}, key);
  EXPECT_TRUE(SamePicture(expected, Back()));
}

TEST_F(Pictures, ExplosionsAreClippedAtTheEdgesAndAReusedSlotDrawsNothingAtFirst) {
  StartQuietRound();
  const Image sheet = Sheet(Inside().ExplosionSheet());
  const uint16_t key = KeyOf(Inside().ExplosionSheet().Get());
  Inside().W().Plane.Mode = kPlaneGone;
  TExplosion& left = Inside().W().Explosions[1];
  TExplosion& right = Inside().W().Explosions[2];
  left.State = right.State = kExplosionRunning;
  left.X = -40, left.Y = 451, left.Frame = 3;
  right.X = 568, right.Y = 442, right.Frame = 8;
  // And one reaching above the top edge.
  TExplosion& top = Inside().W().Explosions[3];
  top.State = kExplosionRunning;
  top.X = 20, top.Y = -22, top.Frame = 4;
  ASSERT_FALSE(Inside().DrawPlaying());
  Image expected = Field();
  Paste(expected, 0, 451, sheet, TRect{3 * 96 + 40, 0, 3 * 96 + 96, 29}, key);
  Paste(expected, 568, 442, sheet, TRect{8 * 96, 0, 8 * 96 + 72, 38}, key);
  Paste(expected, 20, 0, sheet, TRect{4 * 96, 22, 4 * 96 + 96, 60}, key);
  EXPECT_TRUE(SamePicture(expected, Back()));
  EXPECT_TRUE(RectIs(left.SrcRect, 328, 0, 384, 29)) << Show(left.SrcRect);
  EXPECT_TRUE(RectIs(right.SrcRect, 768, 0, 840, 38)) << Show(right.SrcRect);

  // A slot taken again right after its explosion finished still holds frame 9,
  // which lies past the sheet: nothing is drawn for it, and nothing retried.
  right.State = top.State = kExplosionFree;
  left.State = kExplosionStarted;
  left.Frame = 9;
  left.X = 300, left.Y = 200;
  soft::ClearCallLog();
  ASSERT_FALSE(Inside().DrawPlaying());
  EXPECT_TRUE(SamePicture(Field(), Back()));
  EXPECT_EQ(1, BlitsAnswering(DDERR_INVALIDRECT));
  EXPECT_EQ(0, soft::CallCount("Restore"));
}

TEST_F(Pictures, TheRoundOverFrameShowsFieldPlaneAndBannerButNoExplosionOrBomb) {
  for (bool won : {false, true}) {
    SCOPED_TRACE(won ? "won" : "lost");
    game.Destroy();
    soft::Reset();
    StartQuietRound();
    World& w = Inside().W();
    // A bomb and an explosion are under way when the round ends.
    w.Explosions[1].State = kExplosionRunning;
    w.Explosions[1].Frame = 2;
    w.Explosions[1].X = 300, w.Explosions[1].Y = 250;
    w.Bomb.State = kBombFalling;
    w.Bomb.X = 160, w.Bomb.Y = 120;
    w.Plane.X = 100, w.Plane.Y = 32;
    w.GameState = kRoundOver;
    w.Plane.Frame = won ? kPlaneWheelsDown : kPlaneCruising;
    w.ResultBanner.Frame = won ? kBannerWon : kBannerLost;
    ASSERT_TRUE(game.Frame());

    const int frame = won ? 1 : 0;
    Image expected = Field();
    Paste(expected, w.Plane.X, 32, Sheet(Inside().PlaneSheet()),
          TRect{48 * frame, 0, 48 * frame + 48, 16}, KeyOf(Inside().PlaneSheet().Get()));
    Paste(expected, 224, 216, Sheet(Inside().BannerSheet()),
          TRect{0, 47 * frame, 191, 47 * frame + 47}, KeyOf(Inside().BannerSheet().Get()));
    EXPECT_TRUE(SamePicture(expected, Front()));
  }
}

}  // namespace
}  // namespace carpex::gfxtest
