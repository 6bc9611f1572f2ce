// The Windows game's help is written for a message box and names only what
// that game has; each game takes its own ways of being shown, one at a time.
#include "platform/common/command_line.h"

#include <gtest/gtest.h>

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
                              "--record FILE", "--overwrite", "--version"}) {
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
      {GamePlatform::Windows,
       {"--borderless", "--record", "/dev/null", "--overwrite"},
       common::Show::Borderless},
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

}  // namespace
}  // namespace carpex
