// Taking the display: the set-up chain with each of its failures, sheets that
// cannot be made, and the release of the surface set at shutdown.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gfx_support.h"
#include "shell/carpex.h"

namespace carpex::gfxtest {
namespace {

constexpr uint32_t kErrorBox = MB_OK | MB_ICONERROR;

struct SetUpFailure {
  const char* name;
  void (*inject)();
  const char* method;  // the DirectDraw call that fails
  HRESULT code;
  const char* text;  // the message box's text
  size_t releases;   // objects that exist when set-up stops
};

const SetUpFailure kSetUpFailures[] = {
    {"device", [] { soft::FailDirectDrawCreate(DDERR_NODIRECTDRAWHW); }, "DirectDrawCreateEx",
     DDERR_NODIRECTDRAWHW,
     "directdrawcreateex: \rA hardware-only DirectDraw object creation was attempted but the "
     "driver did not support any hardware.",
     0},
    {"cooperative level", [] { soft::FailSetCooperativeLevel(DDERR_EXCLUSIVEMODEALREADYSET); },
     "SetCooperativeLevel", DDERR_EXCLUSIVEMODEALREADYSET,
     "setcooperativelevel: \rAn attempt was made to set the cooperative level when it was "
     "already set to exclusive.",
     1},
    {"display mode", [] { soft::FailSetDisplayMode(DDERR_INVALIDMODE); }, "SetDisplayMode",
     DDERR_INVALIDMODE, "setdisplaymode: \rDirectDraw does not support the requested mode.", 1},
    {"primary", [] { soft::FailCreateSurface(1, DDERR_OUTOFVIDEOMEMORY); }, "CreateSurface",
     DDERR_OUTOFVIDEOMEMORY,
     "create primary surface: \rDirectDraw does not have enough memory to perform the "
     "operation.",
     1},
    // Switched away during set-up: the chain is born lost, so its back buffer cannot be had.
    {"back buffer", [] { soft::Deactivate(); }, "GetAttachedSurface", DDERR_SURFACELOST,
     "getattachedsurface: \rAccess to this surface is being refused because the surface memory "
     "is gone. The DirectDrawSurface object representing this surface should have Restore "
     "called on it.",
     2},
    {"clean background", [] { soft::FailCreateSurface(2, E_OUTOFMEMORY); }, "CreateSurface",
     E_OUTOFMEMORY,
     "create particle surface: \rDirectDraw does not have enough memory to perform the "
     "operation.",
     3},
};

// The whole program, as its main routine runs it, with a failure injected
// into one of the first six steps of set-up.
TEST(SetUp, EachOfTheFirstSixStepsStopsTheChainWithOneMessageAndTheProgramEnds) {
  for (const SetUpFailure& f : kSetUpFailures) {
    SCOPED_TRACE(f.name);
    soft::Reset();
    f.inject();
    headless::HeadlessApp app;
    app.MaxIdleCalls = 5;
    EXPECT_EQ(1, Carpex(app));

    ASSERT_EQ(1u, app.MessageBoxes.size());
    EXPECT_EQ(f.text, app.MessageBoxes[0].Text);
    EXPECT_EQ("Form1", app.MessageBoxes[0].Caption);
    EXPECT_EQ(kErrorBox, app.MessageBoxes[0].Flags);
    EXPECT_TRUE(app.Terminated);
    EXPECT_EQ(0u, app.SleptMs) << "no frame may run without a display";

    // The failing call is the last one of set-up: only releases come after it.
    const auto log = soft::CallLog();
    size_t failed = log.size();
    for (size_t i = 0; i < log.size(); ++i) {
      if (std::string(log[i].method) != "Release") failed = i;
    }
    ASSERT_LT(failed, log.size());
    EXPECT_STREQ(f.method, log[failed].method);
    EXPECT_EQ(f.code, log[failed].result);

    // FormDestroy released what existed, each object once and the device last.
    const auto& releases = soft::ReleaseLog();
    EXPECT_EQ(f.releases, releases.size());
    if (!releases.empty()) {
      EXPECT_STREQ("IDirectDraw7", releases.back().kind);
    }
    EXPECT_EQ(0, soft::LiveDirectDrawObjects());
  }
  soft::Reset();
}

TEST(SetUp, AMissingLibraryOrEntryPointIsReportedAsTheDeviceCreationFailing) {
  for (int missing = 0; missing < 2; ++missing) {
    SCOPED_TRACE(missing == 0 ? "DDraw.dll" : "DirectDrawCreateEx");
    soft::Reset();
    if (missing == 0) {
      soft::MissLibrary();
    } else {
      soft::MissEntryPoint("DirectDrawCreateEx");
    }
    headless::HeadlessApp app;
    app.MaxIdleCalls = 5;
    EXPECT_EQ(1, Carpex(app));
    ASSERT_EQ(1u, app.MessageBoxes.size());
    EXPECT_EQ(0u, app.MessageBoxes[0].Text.rfind("directdrawcreateex: \r", 0))
        << app.MessageBoxes[0].Text;
    EXPECT_EQ(kErrorBox, app.MessageBoxes[0].Flags);
    EXPECT_TRUE(app.Terminated);
    EXPECT_EQ(0u, soft::CallLog().size());
    EXPECT_TRUE(soft::ReleaseLog().empty());
  }
  soft::Reset();
}

using SetUpTest = GfxTest;

// A game that has lost something at set-up still plays: level screen, a round
// that ends, a loss of every surface during it, and the way back.
void PlayThroughEveryState(Game& G) {
  G.Frames(2);
  soft::LoseAllSurfaces();
  G.Frames(2);
  BeginShortRound(G);
  for (int i = 0; i < kShortRoundFrames; ++i) {
    if (i == 30) soft::LoseAllSurfaces();
    G.Frame();
    ASSERT_EQ(nullptr, CheckInvariants(G.W()));
  }
  EXPECT_EQ(kRoundOver, G.W().GameState);
  soft::LoseAllSurfaces();
  G.Frames(2);
  G.Key(27);
  G.Frames(2);
  EXPECT_EQ(kLevelChoice, G.W().GameState);
}

TEST_F(SetUpTest, AMissingBackgroundPictureStillLoadsEverySheet) {
  // The loader falls back to a file of the same name; none may be in the way.
  ASSERT_FALSE(std::filesystem::exists("back1")) << "remove the file back1 from the test's folder";
  soft::MissResource("back1");
  GameSession& f = game.Create();
  const TForm1Access in(f);
  ASSERT_EQ(1u, game.app.MessageBoxes.size());
  EXPECT_EQ("ddloadbitmap: \rUnrecognized Error", game.app.MessageBoxes[0].Text);
  EXPECT_EQ(kErrorBox, game.app.MessageBoxes[0].Flags);
  EXPECT_FALSE(in.CleanBackground());
  for (const Ref<IDirectDrawSurface7>* sheet :
       {&in.LevelChoiceSheet(), &in.BuildingSheet(), &in.PlaneSheet(), &in.ExplosionSheet(),
        &in.BombSheet(), &in.BannerSheet()}) {
    EXPECT_TRUE(*sheet);
  }
  EXPECT_EQ(11, in.LastFrameCount());
  EXPECT_FALSE(game.app.Terminated);
  PlayThroughEveryState(game);
  // The round's background, made from the same picture, is reported once.
  ASSERT_EQ(2u, game.app.MessageBoxes.size());
  EXPECT_EQ("ddloadbitmap: \rUnrecognized Error", game.app.MessageBoxes[1].Text);
}

struct SheetCase {
  const char* name;
  Ref<IDirectDrawSurface7>& (TForm1Access::*field)() const;
  int trialCreation;  // which CreateSurface of set-up is the sheet's trial surface
};

const SheetCase kSheets[] = {
    {"levelch1", &TForm1Access::LevelChoiceSheet, 4}, {"build", &TForm1Access::BuildingSheet, 6},
    {"plane1", &TForm1Access::PlaneSheet, 8},         {"blow", &TForm1Access::ExplosionSheet, 10},
    {"bomb", &TForm1Access::BombSheet, 12},           {"losewin1", &TForm1Access::BannerSheet, 14},
};

TEST_F(SetUpTest, ASheetThatCannotBeMadeStaysEmptyAndTheGamePlaysOn) {
  for (const SheetCase& sheet : kSheets) {
    for (bool missing : {false, true}) {
      SCOPED_TRACE(std::string(sheet.name) + (missing ? ": resource missing" : ": no memory"));
      game.Destroy();
      soft::Reset();
      if (missing) {
        soft::MissResource(sheet.name);
      } else {
        soft::FailCreateSurface(sheet.trialCreation, DDERR_OUTOFVIDEOMEMORY);
      }
      GameSession& f = game.Create();
      const TForm1Access in(f);
      ASSERT_EQ(1u, game.app.MessageBoxes.size());
      EXPECT_EQ(missing ? "ddloadbitmap: \rUnrecognized Error"
                        : "create particle surface: \rDirectDraw does not have enough memory to "
                          "perform the operation.",
                game.app.MessageBoxes[0].Text);
      EXPECT_FALSE((in.*sheet.field)());
      for (const SheetCase& other : kSheets) {
        if (&other != &sheet) {
          EXPECT_TRUE((in.*other.field)()) << other.name;
        }
      }
      EXPECT_TRUE(in.CleanBackground());
      EXPECT_FALSE(game.app.Terminated);
      PlayThroughEveryState(game);
      EXPECT_EQ(1u, game.app.MessageBoxes.size()) << "playing reports nothing";
    }
  }
}

// Which surface field a pointer is, for reading the release log.
std::vector<std::pair<const void*, const char*>> SurfaceSet(GameSession& F) {
  const TForm1Access in(F);
  return {{in.BannerSheet().Get(), "BannerSheet"},
          {in.BombSheet().Get(), "BombSheet"},
          {in.ExplosionSheet().Get(), "ExplosionSheet"},
          {in.PlaneSheet().Get(), "PlaneSheet"},
          {in.BuildingSheet().Get(), "BuildingSheet"},
          {in.LevelChoiceSheet().Get(), "LevelChoiceSheet"},
          {in.PlayFieldBackground().Get(), "PlayFieldBackground"},
          {in.CleanBackground().Get(), "CleanBackground"},
          {in.BackBuffer().Get(), "BackBuffer"},
          {in.PrimarySurface().Get(), "PrimarySurface"},
          {in.DirectDrawDevice().Get(), "DirectDrawDevice"}};
}

TEST_F(SetUpTest, FormDestroyReleasesEverySurfaceOnceInOrderAndTheDeviceLast) {
  GameSession& f = game.Create();
  const TForm1Access in(f);
  // A complete chain fills everything but the play field, says nothing, and
  // has given back all that GDI lent it while loading.
  EXPECT_TRUE(game.app.MessageBoxes.empty());
  EXPECT_FALSE(game.app.Terminated);
  for (const auto& [surface, name] : SurfaceSet(f)) {
    EXPECT_EQ(std::string(name) != "PlayFieldBackground", surface != nullptr) << name;
  }
  EXPECT_EQ(154, in.LevelChoiceX());
  EXPECT_EQ(111, in.LevelChoiceY());
  EXPECT_EQ(0, soft::LiveBitmaps());
  EXPECT_EQ(0, soft::LiveDCs());
  BeginShortRound(game);
  game.Frames(20);
  game.Key(27);
  game.Frames(2);
  const auto set = SurfaceSet(f);
  const size_t before = soft::ReleaseLog().size();
  in.FormDestroy();

  std::vector<std::string> released;
  for (size_t i = before; i < soft::ReleaseLog().size(); ++i) {
    const void* object = soft::ReleaseLog()[i].object;
    std::string name = "unknown";
    for (const auto& [pointer, field] : set) {
      if (pointer == object) name = field;
    }
    released.push_back(name);
  }
  std::vector<std::string> expected;
  for (const auto& entry : set) expected.push_back(entry.second);
  EXPECT_EQ(expected, released);
  EXPECT_EQ(0, soft::LiveDirectDrawObjects());
  EXPECT_EQ(0, soft::LiveDCs());
  EXPECT_EQ(0, soft::LiveBitmaps());
  for (const auto& entry : SurfaceSet(f)) EXPECT_EQ(nullptr, entry.first) << entry.second;
  // Destroying again finds nothing left to release.
  in.FormDestroy();
  EXPECT_EQ(before + expected.size(), soft::ReleaseLog().size());
}

TEST_F(SetUpTest, ANewRoundReleasesTheLastPlayFieldBeforeMakingItsOwn) {
  GameSession& f = game.Create();
  const TForm1Access in(f);
  BeginShortRound(game);
  game.Frames(3);
  game.Key(27);
  game.Frame();
  const void* first = in.PlayFieldBackground().Get();
  const int livingBefore = soft::LiveSurfaces();
  soft::ClearCallLog();
  game.StartRound(ShortRoundCity(), '1');

  const auto log = soft::CallLog();
  size_t released = log.size(), created = log.size();
  for (size_t i = 0; i < log.size(); ++i) {
    if (released == log.size() && log[i].object == first &&
        std::string(log[i].method) == "Release") {
      released = i;
    }
    if (created == log.size() && std::string(log[i].method) == "CreateSurface") created = i;
  }
  ASSERT_LT(released, log.size()) << "the first round's background was not released";
  EXPECT_LT(released, created);
  EXPECT_EQ(0u, log[released].result) << "the field held the only reference";
  EXPECT_EQ(livingBefore, soft::LiveSurfaces());
  EXPECT_TRUE(in.PlayFieldBackground());
  EXPECT_TRUE(game.app.MessageBoxes.empty());
}

}  // namespace
}  // namespace carpex::gfxtest
