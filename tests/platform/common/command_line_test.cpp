// The games' command lines: the Windows game's help is written for a message
// box and names only what that game has; each game takes its own ways of being
// shown, one at a time; the player's language as the locale's variables name
// it, read as gettext reads them.
#include "platform/common/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

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
    for (const char* named : {"--window", "--borderless", "--fullscreen", "Alt+Enter",
                              "--record FILE", "--overwrite", "--watch FILE", "--version"}) {
      EXPECT_NE(help.find(named), std::string::npos) << named;
    }
    // Not in the Windows program or its download.
    for (const char* absent : {"amepad", "carpex-replay", "Linux"}) {
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

constexpr Language zh = Language::Chinese;
constexpr Language en = Language::English;

TEST(LocaleLanguage, FollowsTheLocaleAndLanguageListAsGettextDoes) {
  struct Case {
    const char* language;
    const char* all;
    const char* messages;
    const char* lang;
    Language expected;
  } cases[] = {
      {nullptr, nullptr, nullptr, "zh_CN.UTF-8", zh},
      {nullptr, nullptr, nullptr, "zh_TW.Big5", zh},
      {nullptr, nullptr, nullptr, "en_US.UTF-8", en},
      {nullptr, nullptr, nullptr, "fr_FR.UTF-8", en},
      {nullptr, nullptr, nullptr, "zhx_XX", en},
      {nullptr, nullptr, nullptr, nullptr, en},
      // LC_ALL before LC_MESSAGES before LANG; an empty one does not count.
      {nullptr, "en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", en},
      {nullptr, "", "zh_CN.UTF-8", "en_US.UTF-8", zh},
      {nullptr, nullptr, "", "zh_SG", zh},
      // LANGUAGE's first Chinese or English entry, unless the locale is C.
      {"fr:zh_CN:en", nullptr, nullptr, "en_US.UTF-8", zh},
      {"en_GB:zh", nullptr, nullptr, "zh_CN.UTF-8", en},
      {"de:fr", nullptr, nullptr, "zh_CN.UTF-8", en},
      {"zh_CN", "C", nullptr, "zh_CN.UTF-8", en},
      {"zh_CN", nullptr, nullptr, nullptr, en},
      {"", nullptr, nullptr, "zh_CN.UTF-8", zh},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language ? c.language : "-") + " " + (c.all ? c.all : "-") + " " +
                 (c.messages ? c.messages : "-") + " " + (c.lang ? c.lang : "-"));
    EXPECT_EQ(LocaleLanguage(c.language, c.all, c.messages, c.lang), c.expected);
  }
}

}  // namespace
}  // namespace carpex
