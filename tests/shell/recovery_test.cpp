// Lost surfaces: every picture comes back after a loss on each screen, and a
// restore that keeps failing abandons frames without hanging.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gfx_support.h"

namespace carpex::gfxtest {
namespace {

enum class Loss { Lose, SwitchAway };

class Recovery : public GfxTest {
 protected:
  FormHandlers& F() { return game.F(); }
  TForm1Access Inside() { return game.Inside(); }

  // Every surface is taken away between two frames: by the display alone, or
  // by switching away from the game and back through its own handlers (the
  // frames in between do nothing).
  void LoseBetweenFrames(Loss How) {
    if (How == Loss::Lose) {
      soft::LoseAllSurfaces();
      return;
    }
    soft::Deactivate();
    F().Handle({FormEvent::Deactivate, 0});
    EXPECT_TRUE(game.app.Minimized);
    const uint16_t frames = Inside().FrameCount();
    const int32_t planeX = Inside().W().Plane.X;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(game.Frame());
    EXPECT_EQ(frames, Inside().FrameCount());
    EXPECT_EQ(planeX, Inside().W().Plane.X) << "nothing moves while the game is switched away";
    soft::Activate();
    F().Handle({FormEvent::Restore, 0});
    EXPECT_TRUE(game.app.Maximized);
  }

  std::vector<Image> SheetPictures() {
    std::vector<Image> pictures;
    for (const Ref<IDirectDrawSurface7>* s :
         {&Inside().LevelChoiceSheet(), &Inside().BuildingSheet(), &Inside().PlaneSheet(),
          &Inside().ExplosionSheet(), &Inside().BombSheet(), &Inside().BannerSheet(),
          &Inside().CleanBackground()}) {
      pictures.push_back(Pixels(s->Get()));
    }
    return pictures;
  }

  Image FieldExpectedFromRecords() {
    return ExpectedField(Inside().W(), Pixels(Inside().BuildingSheet().Get()),
                         KeyOf(Inside().BuildingSheet().Get()));
  }

  // The short round, with `before(i)` called ahead of its frame i (from 0).
  void PlayShortRound(const std::function<void(int)>& Before,
                      const std::function<void(int)>& After) {
    game.Create();
    BeginShortRound(game);
    for (int i = 0; i < kShortRoundFrames; ++i) {
      Before(i);
      game.Frame();
      After(i);
    }
  }
};

TEST_F(Recovery, OnTheLevelScreenEverySheetComesBackAndTheOldPlayFieldIsLeftAlone) {
  for (Loss how : {Loss::Lose, Loss::SwitchAway}) {
    SCOPED_TRACE(how == Loss::Lose ? "lost" : "switched away");
    game.Destroy();
    soft::Reset();
    game.Create();
    BeginShortRound(game);
    game.Frames(5);
    game.Key(27);
    ASSERT_TRUE(game.Frame());
    const Image screen = Front();
    const std::vector<Image> sheets = SheetPictures();
    const IDirectDrawSurface7* oldField = Inside().PlayFieldBackground().Get();

    LoseBetweenFrames(how);
    soft::ClearCallLog();
    ASSERT_TRUE(game.Frame());
    EXPECT_TRUE(SamePicture(screen, Front()));
    EXPECT_EQ(sheets, SheetPictures());
    for (const soft::CallRecord& call : soft::CallLog()) {
      EXPECT_NE(oldField, call.object) << call.method << " on the old play field";
    }
    EXPECT_EQ(soft::kLostPatternA, Pixels(oldField).At(0, 0));
  }
}

// The level choice and the banners in the language chosen: at set-up, when
// the language changes between two frames, and when the pictures come back
// after a loss, also one that happened before the change.
TEST_F(Recovery, ThePicturesOfTheChosenLanguageAreShownAndComeBack) {
  game.Create(Language::English);
  ASSERT_TRUE(game.Frame());
  const Image english = Front();
  const std::vector<Image> englishSheets = SheetPictures();
  game.Destroy();
  soft::Reset();
  game.Create();
  ASSERT_TRUE(game.Frame());
  const Image chinese = Front();
  const std::vector<Image> chineseSheets = SheetPictures();
  ASSERT_FALSE(SamePicture(chinese, english));
  // Only the level choice and the banners differ.
  for (size_t i = 0; i < chineseSheets.size(); ++i) {
    EXPECT_EQ(chineseSheets[i] == englishSheets[i], i != 0 && i != 5) << "sheet " << i;
  }

  game.F().Handle({FormEvent::Language, 1});
  ASSERT_TRUE(game.Frame());
  EXPECT_TRUE(SamePicture(english, Front()));
  for (Loss how : {Loss::Lose, Loss::SwitchAway}) {
    LoseBetweenFrames(how);
    ASSERT_TRUE(game.Frame());
    EXPECT_TRUE(SamePicture(english, Front()));
    EXPECT_EQ(englishSheets, SheetPictures());
  }
  game.F().Handle({FormEvent::Language, 0});
  ASSERT_TRUE(game.Frame());
  EXPECT_TRUE(SamePicture(chinese, Front()));
  // Changed while the display is away: the recovery brings the new pictures.
  soft::Deactivate();
  F().Handle({FormEvent::Deactivate, 0});
  game.F().Handle({FormEvent::Language, 1});
  soft::Activate();
  F().Handle({FormEvent::Restore, 0});
  ASSERT_TRUE(game.Frame());
  EXPECT_TRUE(SamePicture(english, Front()));
  EXPECT_EQ(englishSheets, SheetPictures());
}

TEST_F(Recovery, DuringARoundAndAfterItThePicturesComeBackAsIfNothingHadHappened) {
  // After the demolition, while the crash explosion runs, and with the banner up.
  const int kLossFrames[] = {12, 32, 42};
  std::vector<Image> fronts, fields;
  PlayShortRound([](int) {},
                 [&](int I) {
                   for (int f : kLossFrames) {
                     if (f != I) continue;
                     fronts.push_back(Front());
                     fields.push_back(Pixels(Inside().PlayFieldBackground().Get()));
                   }
                 });
  ASSERT_EQ(kRoundOver, Inside().W().GameState);
  const Image lastFront = Front();

  for (Loss how : {Loss::Lose, Loss::SwitchAway}) {
    for (size_t n = 0; n < std::size(kLossFrames); ++n) {
      SCOPED_TRACE(std::string(how == Loss::Lose ? "lost" : "switched away") + " before frame " +
                   std::to_string(kLossFrames[n]));
      game.Destroy();
      soft::Reset();
      PlayShortRound(
          [&](int I) {
            if (I == kLossFrames[n]) LoseBetweenFrames(how);
          },
          [&](int I) {
            if (I != kLossFrames[n]) return;
            EXPECT_TRUE(SamePicture(fronts[n], Front()));
            const Image field = Pixels(Inside().PlayFieldBackground().Get());
            // Rebuilt whole from the records, it equals the one kept up to date block by block.
            EXPECT_TRUE(SamePicture(fields[n], field));
            EXPECT_TRUE(SamePicture(FieldExpectedFromRecords(), field));
          });
      EXPECT_TRUE(SamePicture(lastFront, Front()));
    }
  }
}

TEST_F(Recovery, ALossWhileARoundStartsIsRepairedAtOnce) {
  game.Create();
  ASSERT_TRUE(game.Frame());
  // Lost in the middle of drawing the new city, while the game is still on the level screen.
  soft::LoseBeforeCall(5);
  soft::ClearCallLog();
  game.StartRound(ShortRoundCity());
  int restoresOfThePrimary = 0;
  for (const soft::CallRecord& call : soft::CallLog()) {
    restoresOfThePrimary +=
        std::string(call.method) == "Restore" &&
        call.object == static_cast<const void*>(Inside().PrimarySurface().Get());
  }
  EXPECT_EQ(1, restoresOfThePrimary) << "one recovery, not one per block still to draw";
  EXPECT_TRUE(SamePicture(ExpectedCity(ShortRoundCity(), Pixels(Inside().BuildingSheet().Get()),
                                       KeyOf(Inside().BuildingSheet().Get())),
                          Pixels(Inside().PlayFieldBackground().Get())));
  EXPECT_TRUE(game.Frame());
}

TEST_F(Recovery, AFrameWhoseFlipMeetsALossThatCannotBeRepairedIsNotCounted) {
  game.Create();
  game.Key('f');
  ASSERT_TRUE(game.Frame());
  const uint16_t counted = Inside().FrameCount();
  const uint64_t texts = game.app.TextCount;
  // The level screen's two blits go through; the flip meets the loss.
  soft::LoseBeforeCall(3);
  soft::RefuseRestores(1);
  soft::ClearCallLog();
  EXPECT_FALSE(game.Frame());
  EXPECT_EQ(2, soft::CallCount("BltFast"));
  EXPECT_EQ(counted, Inside().FrameCount());
  EXPECT_EQ(texts, game.app.TextCount) << "no frame rate written for it";
}

TEST_F(Recovery, ARefusedRestoreAbandonsFramesUntilOneSucceeds) {
  game.Create();
  ASSERT_TRUE(game.Frame());
  const Image screen = Front();
  soft::RefuseRestores(3);
  soft::LoseAllSurfaces();
  const uint16_t counted = Inside().FrameCount();
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(game.Frame()) << "frame " << i;
    EXPECT_EQ(counted, Inside().FrameCount());
  }
  ASSERT_TRUE(game.Frame());
  EXPECT_EQ(counted + 1, Inside().FrameCount());
  EXPECT_TRUE(SamePicture(screen, Front()));

  // The game goes on: a round in which a restore is refused twice still ends,
  // with the city pictured as its records say.
  BeginShortRound(game);
  for (int i = 0; i < kShortRoundFrames; ++i) {
    if (i == 8) {
      soft::RefuseRestores(2);
      soft::LoseAllSurfaces();
    }
    const bool flipped = game.Frame();
    if (i == 8 || i == 9) {
      EXPECT_FALSE(flipped) << "frame " << i;
    }
    ASSERT_EQ(nullptr, CheckInvariants(Inside().W())) << "frame " << i;
  }
  EXPECT_EQ(kRoundOver, Inside().W().GameState);
  EXPECT_TRUE(
      SamePicture(FieldExpectedFromRecords(), Pixels(Inside().PlayFieldBackground().Get())));
}

TEST_F(Recovery, WhenThePrimaryCannotBeRestoredNoSheetIsTouched) {
  game.Create();
  ASSERT_TRUE(game.Frame());
  soft::RefuseRestores(1);
  soft::LoseAllSurfaces();
  soft::ClearCallLog();
  EXPECT_FALSE(game.Frame());
  int restores = 0;
  for (const soft::CallRecord& call : soft::CallLog()) {
    const std::string method = call.method;
    if (method == "Restore") {
      ++restores;
      EXPECT_EQ(static_cast<const void*>(Inside().PrimarySurface().Get()), call.object);
    }
    EXPECT_NE("GetDC", method);
    EXPECT_NE("Flip", method);
  }
  EXPECT_EQ(1, restores);
  for (const Image& sheet : SheetPictures()) EXPECT_EQ(soft::kLostPatternA, sheet.At(0, 0));
}

TEST_F(Recovery, RestoringWhileTheDisplayIsStillAwayAbandonsTheFrameAndTriesAgainLater) {
  game.Create();
  BeginShortRound(game);
  game.Frames(5);
  soft::Deactivate();
  F().Handle({FormEvent::Deactivate, 0});
  game.Frames(2);
  // The game is told it is back before the display lets it restore anything.
  F().Handle({FormEvent::Restore, 0});
  const uint16_t counted = Inside().FrameCount();
  EXPECT_FALSE(game.Frame());
  EXPECT_FALSE(game.Frame());
  EXPECT_EQ(counted, Inside().FrameCount());
  soft::Activate();
  EXPECT_TRUE(game.Frame());
  EXPECT_EQ(counted + 1, Inside().FrameCount());
  EXPECT_TRUE(
      SamePicture(FieldExpectedFromRecords(), Pixels(Inside().PlayFieldBackground().Get())));
  EXPECT_EQ(nullptr, CheckInvariants(Inside().W()));
}

}  // namespace
}  // namespace carpex::gfxtest
