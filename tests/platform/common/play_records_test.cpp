// The games' records as Play keeps them: a won round goes into the records
// file, and the level's best round beside it, a script of its own that the
// replay tool proves; W watches it, or the legend says there is none.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "graphics/soft/control.h"
#include "platform/common/command_line.h"
#include "platform/common/records.h"
#include "tests/support/scripted_app.h"
#include "tools/replay.h"
#include "tools/replay_platform.h"
#include "tools/script.h"

namespace carpex {
namespace {

// A window that does nothing; its message loop is the test's.
class ScriptedApp final : public testsupport::ScriptedApp {
 public:
  ScriptedApp() : testsupport::ScriptedApp(7) {}
};

// A city of one storey a building: a round that bombs on and on wins it.
class Flat final : public RandomSource {
 public:
  int32_t Random(int32_t) override { return 0; }
};

std::string FileText(const std::string& Path) {
  std::stringstream text;
  text << std::ifstream(Path, std::ios::binary).rdbuf();
  return text.str();
}

TEST(PlayRecords, AWinIsKeptWithItsBestRoundWhichReplaysToTheRecordsFramesAndBombs) {
  soft::Reset();
  const std::string folder = ::testing::TempDir() + "carpex-play-records";
  std::remove((folder + "/records").c_str());
  std::remove((folder + "/best-0-100.replay").c_str());
  GameCommandLine line(GamePlatform::Linux);
  std::string error;
  const char* args[] = {"carpex"};
  ASSERT_TRUE(line.Parse(1, args, &error)) << error;
  line.KeepRecordsIn(folder);
  using Act = common::Controls::Result::RecordsAct;
  ScriptedApp app;
  Flat flat;
  GameSession* session = nullptr;
  app.Loop = [&](FormHandlers& Form) {
    auto frames = [&](int Count) {
      for (bool done = true; Count-- > 0;) Form.GameLoop(done);
    };
    Form.Handle({FormEvent::Char, '0'});
    for (int i = 0; i < 3000 && session->View().W.GameState != kRoundOver; ++i) {
      frames(6);
      Form.Handle({FormEvent::KeyDown, 32});
      Form.Handle({FormEvent::KeyUp, 32});
    }
    EXPECT_EQ(session->View().W.GameState, kRoundOver);
    frames(3);
    Form.Handle({FormEvent::Char, 27});
    frames(2);
    // No best round of level 5: the legend says so, until the record changes.
    line.RecordsKey(Act::WatchBest, 5, 100);
    EXPECT_TRUE(line.Records(5, 100).NoBest);
    EXPECT_FALSE(app.terminated);
    line.RecordsKey(Act::WatchBest, 0, 100);
    EXPECT_TRUE(app.terminated) << "the game ends to watch the best round";
  };
  line.Play(app, Language::English, &error, [&](GameSession& Session) {
    Session.SetRandomSource(&flat);
    session = &Session;
  });
  EXPECT_TRUE(line.Watching());
  EXPECT_TRUE(line.BackToPlay());
  EXPECT_FALSE(line.Watching());

  const common::LevelRecord kept = common::Records::Parse(FileText(folder + "/records")).At(0, 100);
  ASSERT_EQ(kept.Won, 1u);
  const std::string best = FileText(folder + "/best-0-100.replay");
  TextSource source(best);
  std::ostringstream out, err;
  EXPECT_EQ(CheckReplay(source, "best", out, err, MakeReplayPlatform), kReplayRan) << err.str();
  EXPECT_NE(out.str().find("won in " + std::to_string(kept.FastestFrames) + " frames"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find(", " + std::to_string(kept.FewestBombs) + " bombs"), std::string::npos)
      << out.str();
  soft::Reset();
}

}  // namespace
}  // namespace carpex
