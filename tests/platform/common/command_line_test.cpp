// The games' command lines: the Windows game's help is written for a message
// box and names only what that game has; each game takes its own ways of being
// shown, one at a time; the player's language as the locale's variables name
// it, read as gettext reads them.
#include "platform/common/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/common/language.h"

namespace carpex {
namespace {

bool Parse(std::vector<const char*> Args, GameCommandLine* Line, std::string* Error) {
  Args.insert(Args.begin(), "carpex");
  return Line->Parse(static_cast<int>(Args.size()), Args.data(), Error);
}

TEST(GameCommandLineTest, EachGameTakesItsWaysOfShowingAndWindowsHelpFitsABox) {
  std::string error;
  {
    GameCommandLine line(GamePlatform::Windows);
    ASSERT_TRUE(Parse({"--help"}, &line, &error));
    const std::string help = line.Answer();
    for (const char* named :
         {"--window", "--borderless", "--fullscreen", "Alt+Enter", "--record FILE", "--overwrite",
          "--watch FILE", "--version", "--speed", "--bomb-key", "--one-switch", "--click",
          "gamepad", "--daily"}) {
      EXPECT_NE(help.find(named), std::string::npos) << named;
    }
    // Not in the Windows program or its download.
    for (const char* absent : {"carpex-replay", "Linux"}) {
      EXPECT_EQ(help.find(absent), std::string::npos) << absent;
    }
    // A box's font is not of fixed width: no columns made of spaces.
    EXPECT_EQ(help.find("  "), std::string::npos);
  }
  const struct {
    GamePlatform platform;
    std::vector<const char*> args;
    common::Show how;  // Unsaid: refused
  } cases[] = {
      {GamePlatform::Windows, {}, common::Show::Unsaid},
      {GamePlatform::Windows, {"--borderless", "--language", "en"}, common::Show::Borderless},
      {GamePlatform::Windows, {"--fullscreen"}, common::Show::FullScreen},
      {GamePlatform::Linux, {"--window"}, common::Show::Window},
      {GamePlatform::Linux, {"--borderless"}, common::Show::Unsaid},
      {GamePlatform::Windows, {"--window", "--window"}, common::Show::Unsaid},
      {GamePlatform::Windows, {"--window", "--fullscreen"}, common::Show::Unsaid},
  };
  for (const auto& c : cases) {
    GameCommandLine line(c.platform);
    error.clear();
    const bool taken = Parse(c.args, &line, &error);
    const bool refused = c.how == common::Show::Unsaid && !c.args.empty();
    EXPECT_EQ(taken, !refused) << (c.args.empty() ? "" : c.args[0]) << ": " << error;
    if (taken) {
      EXPECT_EQ(line.Presentation(), c.how);
    }
  }
}

// The player's speed and controls: each given once, checked as the game
// checks a choice, and what the game starts with; the rest as remembered.
TEST(GameCommandLineTest, TheSpeedAndThePlayersControlsAreCheckedAndStartTheGame) {
  std::string error;
  GameCommandLine line(GamePlatform::Linux);
  ASSERT_TRUE(Parse({"--speed", "50", "--bomb-key", "b", "--leave-key", "space", "--one-switch"},
                    &line, &error))
      << error;
  common::Settings remembered;
  remembered.Keys = common::PlayerKeys{0, 'Q', common::kPadX};
  remembered.Click = true;
  const common::Settings start = line.StartSettings(remembered);
  EXPECT_EQ(start.Speed, 50);
  EXPECT_EQ(start.Keys, (common::PlayerKeys{'B', ' ', common::kPadX}));
  EXPECT_TRUE(start.OneSwitch && start.Click);
  GameCommandLine reset(GamePlatform::Linux);
  ASSERT_TRUE(Parse({"--bomb-key", "default", "--no-click"}, &reset, &error)) << error;
  EXPECT_EQ(reset.StartSettings(remembered).Keys.Bomb, 0);
  EXPECT_EQ(reset.StartSettings(remembered).Keys.Leave, 'Q');
  EXPECT_FALSE(reset.StartSettings(remembered).Click);

  const struct {
    std::vector<const char*> args;
    const char* error;
  } refused[] = {
      {{"--speed", "60"}, "--speed takes 100, 75, 50 or 25, not '60'"},
      {{"--speed"}, "--speed takes 100, 75, 50 or 25"},
      {{"--speed", "50", "--speed", "50"}, "--speed given twice"},
      {{"--bomb-key", "5"}, "--bomb-key '5': that key does something already"},
      {{"--bomb-key", "b", "--leave-key", "B"}, "--leave-key 'B': that key does something"},
      {{"--leave-key", "Down"}, "--leave-key 'Down': that key does something"},
      {{"--bomb-key", "LeftWindows"}, "--bomb-key takes the name of a key"},
      {{"--one-switch", "--no-one-switch"}, "give --one-switch or --no-one-switch, not both"},
  };
  for (const auto& c : refused) {
    GameCommandLine refusing(GamePlatform::Linux);
    error.clear();
    EXPECT_FALSE(Parse(c.args, &refusing, &error)) << c.error;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

// --watch takes one recording, read and checked whole before any window, and
// goes with nothing that would write or change what is watched.
TEST(GameCommandLineTest, WatchTakesOneRecordingCheckedWholeAndNothingThatWrites) {
  const std::string path = ::testing::TempDir() + "watched.replay";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("seed 1\nframes 2\nfly\n", file);
  std::fclose(file);
  const struct {
    std::vector<const char*> args;
    const char* error;
  } cases[] = {
      {{"--watch"}, "--watch needs the FILE"},
      {{"--watch", path.c_str(), "--watch", path.c_str()}, "--watch given twice"},
      {{"--watch", path.c_str(), "--record", "x"}, "--watch and --record cannot go together"},
      {{"--language", "en", "--watch", path.c_str()}, "--watch takes no --language"},
      {{"--watch", path.c_str(), "--speed", "50"}, "--watch takes no --speed"},
      {{"--watch", path.c_str()}, ":3: unknown command 'fly'"},
  };
  for (const auto& c : cases) {
    GameCommandLine line(GamePlatform::Linux);
    std::string error;
    EXPECT_FALSE(Parse(c.args, &line, &error)) << c.error;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
  file = std::fopen(path.c_str(), "wb");
  std::fputs("seed 1\nframes 2\n", file);
  std::fclose(file);
  GameCommandLine line(GamePlatform::Windows);
  std::string error;
  EXPECT_TRUE(Parse({"--borderless", "--watch", path.c_str()}, &line, &error)) << error;
  EXPECT_TRUE(line.Watching());
  EXPECT_EQ(line.Presentation(), common::Show::Borderless);
  std::remove(path.c_str());
}

TEST(GameCommandLineTest, DailyIsTodaysCityTheUtcDateOrCarpexTodaysAndNeverWatched) {
  // The UTC date, whatever the time of day or the year's leap day.
  EXPECT_EQ(TodayOf(nullptr, 0), 19700101u);
  EXPECT_EQ(TodayOf(nullptr, 951782400 + 86399), 20000229u);
  EXPECT_EQ(TodayOf(nullptr, 1796774400 - 1), 20261208u);
  EXPECT_EQ(TodayOf("2026-12-09", 0), 20261209u);
  for (const char* no : {"", "2026-2-09", "2026-02-30", "20261209", "2026-12-09x", "2026/12/09"}) {
    EXPECT_EQ(TodayOf(no, 0), 0u) << no;
  }
  ::setenv("CARPEX_TODAY", "2026-12-09", 1);
  GameCommandLine line(GamePlatform::Linux);
  std::string error;
  EXPECT_TRUE(Parse({"--daily", "--window"}, &line, &error)) << error;
  EXPECT_EQ(line.Daily(), 20261209u);
  GameCommandLine plain(GamePlatform::Linux);
  EXPECT_TRUE(Parse({}, &plain, &error));
  EXPECT_EQ(plain.Daily(), 0u);
  ::setenv("CARPEX_TODAY", "tomorrow", 1);
  GameCommandLine refused(GamePlatform::Windows);
  EXPECT_FALSE(Parse({"--daily"}, &refused, &error));
  EXPECT_NE(error.find("CARPEX_TODAY takes a date YYYY-MM-DD, not 'tomorrow'"), std::string::npos)
      << error;
  ::unsetenv("CARPEX_TODAY");
  GameCommandLine watched(GamePlatform::Linux);
  EXPECT_FALSE(Parse({"--daily", "--watch", "x.replay"}, &watched, &error));
  EXPECT_NE(error.find("--watch takes no --daily"), std::string::npos) << error;
}

constexpr Language kZh = Language::Chinese;
constexpr Language kEn = Language::English;

TEST(LocaleLanguage, FollowsTheLocaleAndLanguageListAsGettextDoes) {
  struct Case {
    const char* language;
    const char* all;
    const char* messages;
    const char* lang;
    Language expected;
  } cases[] = {
      {nullptr, nullptr, nullptr, "zh_CN.UTF-8", kZh},
      {nullptr, nullptr, nullptr, "zh_TW.Big5", kZh},
      {nullptr, nullptr, nullptr, "en_US.UTF-8", kEn},
      {nullptr, nullptr, nullptr, "fr_FR.UTF-8", kEn},
      {nullptr, nullptr, nullptr, "zhx_XX", kEn},
      {nullptr, nullptr, nullptr, nullptr, kEn},
      // LC_ALL before LC_MESSAGES before LANG; an empty one does not count.
      {nullptr, "en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", kEn},
      {nullptr, "", "zh_CN.UTF-8", "en_US.UTF-8", kZh},
      {nullptr, nullptr, "", "zh_SG", kZh},
      // LANGUAGE's first Chinese or English entry, unless the locale is C.
      {"fr:zh_CN:en", nullptr, nullptr, "en_US.UTF-8", kZh},
      {"en_GB:zh", nullptr, nullptr, "zh_CN.UTF-8", kEn},
      {"de:fr", nullptr, nullptr, "zh_CN.UTF-8", kEn},
      {"zh_CN", "C", nullptr, "zh_CN.UTF-8", kEn},
      {"zh_CN", nullptr, nullptr, nullptr, kEn},
      {"", nullptr, nullptr, "zh_CN.UTF-8", kZh},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language ? c.language : "-") + " " + (c.all ? c.all : "-") + " " +
                 (c.messages ? c.messages : "-") + " " + (c.lang ? c.lang : "-"));
    EXPECT_EQ(LocaleLanguage(c.language, c.all, c.messages, c.lang), c.expected);
  }
}

// The page's browser languages follow the same rule: the first Chinese or
// English one, by its primary code in any case.
TEST(ListedLanguage, ABrowsersLanguagesAsTheLocalesList) {
  EXPECT_EQ(ListedLanguage("zh-CN,en"), kZh);
  EXPECT_EQ(ListedLanguage("fr-FR,ZH-tw,en"), kZh);
  EXPECT_EQ(ListedLanguage("en-GB,zh"), kEn);
  EXPECT_EQ(ListedLanguage("de-DE,fr,zhx"), kEn);
  EXPECT_EQ(ListedLanguage(""), kEn);
}

}  // namespace
}  // namespace carpex
