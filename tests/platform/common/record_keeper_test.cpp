// The records kept as the game tells its rounds: saved as each round ends,
// a new fastest win and the day's result kept as their round's script once
// it has its last frame, cleared with their scripts; and kept in a folder so
// that a game killed while writing them leaves the last ones readable.
#include "platform/common/record_keeper.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "platform/common/record_folder.h"

namespace carpex::common {
namespace {

class MemoryStore final : public RecordStore {
 public:
  std::string Load() override { return text; }
  bool Save(const std::string& Text) override {
    if (!fails) text = Text;
    return !fails;
  }
  bool SaveScript(const std::string& Name, const std::string& Script) override {
    scripts[Name] = Script;
    return true;
  }
  void RemoveScript(const std::string& Name) override { scripts.erase(Name); }
  std::string text;
  std::map<std::string, std::string> scripts;
  bool fails = false;
};

RoundStart Start(uint8_t Level, uint16_t Speed, uint32_t Daily = 0) {
  RoundStart start;
  start.Level = Level;
  start.Speed = Speed;
  start.Daily = Daily;
  return start;
}

TEST(RecordKeeper, KeepsRoundsAndTheScriptsOfNewBestsOnceTheyAreWhole) {
  MemoryStore store;
  std::string round = "round one";
  {
    RecordKeeper keeper(store, [&] { return round; });
    keeper.RoundStarted(Start(2, 50));
    keeper.RoundEnded({RoundOutcome::Won, 900, 7});
    EXPECT_TRUE(keeper.News().Fastest);
    EXPECT_TRUE(store.scripts.empty()) << "saved before the round's last frame";
    round = "round one, whole";
    keeper.RoundClosed();
    EXPECT_EQ(store.scripts[BestRoundName(2, 50)], "round one, whole");

    keeper.RoundStarted(Start(2, 50));
    keeper.RoundEnded({RoundOutcome::Won, 950, 5});  // fewer bombs, not faster
    round = "round two";
    keeper.RoundClosed();
    EXPECT_EQ(store.scripts[BestRoundName(2, 50)], "round one, whole");

    // Today's city: the first round is the day's, kept even when the game
    // ends on its banner.
    keeper.RoundStarted(Start(4, 100, 20261210));
    keeper.RoundEnded({RoundOutcome::Lost, 300, 2});
    EXPECT_TRUE(keeper.News().DayResult);
    round = "the day's round";
    keeper.Finish();
    EXPECT_EQ(store.scripts[DayRoundName(20261210)], "the day's round");
    EXPECT_EQ(store.scripts.count(BestRoundName(4, 100)), 0u);
  }
  RecordKeeper again(store, nullptr);
  EXPECT_EQ(again.Kept().At(2, 50), (LevelRecord{2, 0, 0, 900, 5}));
  ASSERT_NE(again.Kept().ResultOf(20261210), nullptr);

  again.Clear();
  EXPECT_TRUE(store.scripts.empty());
  EXPECT_EQ(RecordKeeper(store, nullptr).Kept(), Records());
}

TEST(RecordKeeper, AFailedSaveLeavesWhatWasKept) {
  MemoryStore store;
  RecordKeeper keeper(store, [] { return std::string("round"); });
  keeper.RoundStarted(Start(0, 100));
  keeper.RoundEnded({RoundOutcome::Lost, 100, 1});
  const std::string kept = store.text;
  store.fails = true;
  keeper.RoundStarted(Start(0, 100));
  keeper.RoundEnded({RoundOutcome::Lost, 100, 1});
  EXPECT_FALSE(keeper.Saved());
  EXPECT_EQ(keeper.Kept().At(0, 100).Lost, 2u) << "the game goes on counting";
  EXPECT_EQ(store.text, kept);
}

// A game killed while it writes its records (here by the limit on a file's
// size, as a full disk would stop it) leaves the records it had kept before.
TEST(RecordFolder, AGameKilledWhileWritingLeavesTheRecordsBefore) {
  const std::string folder = ::testing::TempDir() + "carpex-records-" + std::to_string(getpid());
  std::filesystem::remove_all(folder);
  RecordFolder store(folder + "/carpex");
  ASSERT_TRUE(store.Save("level 1 speed 100 won 1 lost 0 left 0 fastest 500 fewest 4\n"));
  ASSERT_TRUE(store.SaveScript(BestRoundName(1, 100), "script\n"));

  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);  // SIGXFSZ ends the child mid-write
    store.Save(std::string(100000, '#'));
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status)) << "the write was not cut";

  RecordKeeper keeper(store, nullptr);
  EXPECT_EQ(keeper.Kept().At(1, 100).FastestFrames, 500u);
  keeper.Clear();
  EXPECT_FALSE(std::filesystem::exists(folder + "/carpex/" + BestRoundName(1, 100)));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace carpex::common
