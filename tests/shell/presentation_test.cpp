// The game on the desktop as it is, beside the exclusive display: the same
// surface set, pictures, recovery and error reports; the way from a refused
// mode to a window; and the switch from the exclusive display to a window in
// the middle of a round.
#include <gtest/gtest.h>

#include <string>

#include "gfx_support.h"
#include "shell/carpex.h"
#include "tools/trace.h"

namespace carpex::gfxtest {
namespace {

using Presenting = GfxTest;

int Calls(const char* Method) {
  return soft::CallCount(Method);
}

// Whether a surface is a 640 x 480 RGB565 surface of the game's own in system memory.
bool OwnBackBuffer(IDirectDrawSurface7* Surface) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  if (Surface == nullptr || Surface->GetSurfaceDesc(&desc) != DD_OK) return false;
  return desc.dwWidth == 640 && desc.dwHeight == 480 && desc.ddpfPixelFormat.dwRGBBitCount == 16 &&
         desc.ddpfPixelFormat.dwGBitMask == 0x07E0 &&
         (desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY) != 0 &&
         (desc.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER) == 0;
}

// A round played in a window shows, frame for frame, what it shows on the
// exclusive display, through a loss of every surface in the middle of it.
TEST_F(Presenting, AWindowShowsTheExclusiveDisplaysPicturesAndRecoversLikeIt) {
  std::vector<Image> exclusive;
  for (const Presentation shows : {Presentation::Exclusive, Presentation::Windowed}) {
    SCOPED_TRACE(shows == Presentation::Exclusive ? "exclusive" : "windowed");
    game.Destroy();
    soft::Reset();
    game.Create(shows);
    const bool windowed = shows == Presentation::Windowed;
    ASSERT_TRUE(game.app.MessageBoxes.empty());
    EXPECT_EQ(Calls("SetDisplayMode"), windowed ? 0 : 1);
    EXPECT_EQ(windowed, OwnBackBuffer(game.Inside().BackBuffer().Get()));
    std::vector<Image> fronts;
    ASSERT_TRUE(game.Frame());
    fronts.push_back(Front());
    BeginShortRound(game);
    for (int i = 0; i < kShortRoundFrames; ++i) {
      if (i == 20) soft::LoseAllSurfaces();
      ASSERT_TRUE(game.Frame()) << i;
      fronts.push_back(Front());
    }
    EXPECT_EQ(game.flips, windowed ? 0 : kShortRoundFrames + 1);
    EXPECT_EQ(game.app.Presented, windowed ? kShortRoundFrames + 1u : 0u);
    if (!windowed) {
      exclusive = fronts;
      continue;
    }
    ASSERT_EQ(exclusive.size(), fronts.size());
    for (size_t i = 0; i < fronts.size(); ++i) {
      EXPECT_TRUE(SamePicture(exclusive[i], fronts[i])) << "frame " << i;
    }
  }
}

// Each step of the windowed set-up that fails says so in the box the
// exclusive display's would, and the program ends.
TEST(PresentingSetUp, AFailingStepOfTheWindowedSetUpSaysSoInTheSameBox) {
  const struct {
    void (*inject)();
    const char* text;
  } cases[] = {
      {[] { soft::FailSetCooperativeLevel(DDERR_HWNDALREADYSET); }, "setcooperativelevel: \r"},
      {[] { soft::FailCreateSurface(1, DDERR_OUTOFMEMORY); }, "create primary surface: \r"},
      {[] { soft::FailCreateSurface(2, DDERR_OUTOFMEMORY); }, "create particle surface: \r"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    soft::Reset();
    c.inject();
    headless::HeadlessApp app;
    app.Shows = Presentation::Windowed;
    app.CanLeaveExclusive = true;
    app.MaxIdleCalls = 5;
    EXPECT_EQ(1, Carpex(app));
    ASSERT_EQ(1u, app.MessageBoxes.size());
    EXPECT_EQ(0u, app.MessageBoxes[0].Text.rfind(c.text, 0)) << app.MessageBoxes[0].Text;
    EXPECT_EQ("Form1", app.MessageBoxes[0].Caption);
    EXPECT_TRUE(app.LeftExclusive.empty());
    EXPECT_EQ(0, soft::LiveDirectDrawObjects());
  }
  soft::Reset();
}

// A display that refuses 640 x 480 x 16: the box is shown as ever, and where
// the application has a window the game is played there.
TEST(PresentingSetUp, ARefusedModeIsReportedAndTheGameGoesOnInAWindow) {
  soft::Reset();
  soft::FailSetDisplayMode(DDERR_INVALIDMODE);
  headless::HeadlessApp app;
  app.CanLeaveExclusive = true;
  app.MaxIdleCalls = 5;
  EXPECT_EQ(0, Carpex(app));
  ASSERT_EQ(1u, app.MessageBoxes.size());
  EXPECT_EQ("setdisplaymode: \rDirectDraw does not support the requested mode.",
            app.MessageBoxes[0].Text);
  EXPECT_EQ(app.LeftExclusive, std::vector<bool>{true});
  EXPECT_FALSE(app.Terminated);
  EXPECT_EQ(5u, app.Presented);
  EXPECT_EQ(0, soft::LiveDirectDrawObjects());
  soft::Reset();
}

// Alt+Enter in a round: the display is set up again in a window and the round
// goes on where it was, its city as it stood.
TEST_F(Presenting, LeavingTheExclusiveDisplayInARoundGoesOnWhereItWas) {
  game.Create();
  game.app.CanLeaveExclusive = true;
  BeginShortRound(game);
  game.Frames(12);
  // The trace line says everything of the world and the frame counters.
  std::string before, after;
  FormatTraceLine(game.View(), 0, &before);
  const Image field = Pixels(game.Inside().PlayFieldBackground().Get());
  const IDirectDraw7* oldDevice = game.Inside().DirectDrawDevice().Get();

  game.F().Handle({FormEvent::LeaveExclusive, 0});
  EXPECT_EQ(game.app.LeftExclusive, std::vector<bool>{false});
  EXPECT_NE(oldDevice, game.Inside().DirectDrawDevice().Get());
  EXPECT_TRUE(OwnBackBuffer(game.Inside().BackBuffer().Get()));
  EXPECT_TRUE(game.app.MessageBoxes.empty());
  FormatTraceLine(game.View(), 0, &after);
  EXPECT_EQ(before, after);
  EXPECT_TRUE(SamePicture(field, Pixels(game.Inside().PlayFieldBackground().Get())));
  for (int i = 12; i < kShortRoundFrames; ++i) ASSERT_TRUE(game.Frame()) << i;
  EXPECT_EQ(kRoundOver, game.W().GameState);

  // In a window there is nothing more to leave.
  const IDirectDraw7* device = game.Inside().DirectDrawDevice().Get();
  game.F().Handle({FormEvent::LeaveExclusive, 0});
  EXPECT_EQ(device, game.Inside().DirectDrawDevice().Get());
  EXPECT_EQ(game.app.LeftExclusive.size(), 1u);
}

}  // namespace
}  // namespace carpex::gfxtest
