// What the game remembers: written and read back, and whatever a damaged file
// holds read as far as it makes sense and no further.
#include "platform/common/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace carpex::common {
namespace {

TEST(Settings, WhatIsWrittenIsReadBackAndDamageIsPassedOver) {
  for (const Show how : {Show::FullScreen, Show::Window, Show::Borderless}) {
    const Settings read = ParseSettings(FormatSettings(Settings{how, 1280, 960}));
    EXPECT_EQ(read.Presentation, how);
    EXPECT_EQ(read.WindowWidth, 1280);
    EXPECT_EQ(read.WindowHeight, 960);
  }
  EXPECT_EQ(FormatSettings(Settings{}).find("presentation"), std::string::npos);
  Settings player;
  player.Speed = 25;
  player.Keys = PlayerKeys{'B', 'Q', kPadRightShoulder};
  player.OneSwitch = player.Click = true;
  const Settings back = ParseSettings(FormatSettings(player));
  EXPECT_EQ(back.Speed, 25);
  EXPECT_EQ(back.Keys, player.Keys);
  EXPECT_TRUE(back.OneSwitch && back.Click);
  // A speed that is none of the game's, a key in use or unknown, a button that
  // cannot bomb: the default.
  const Settings odd = ParseSettings("speed 60\nbomb-key 5\nleave-key Nothing\npad-bomb Start\n");
  EXPECT_EQ(odd.Speed, 100);
  EXPECT_EQ(odd.Keys, PlayerKeys{});
  EXPECT_EQ(ParseSettings("bomb-key Escape\n").Keys.Bomb, 0) << "Escape leaves";

  static const std::string kHuge(100000, 'x');
  const struct {
    const char* text;
    Show how;
    int width;
  } damaged[] = {
      {"", Show::Unsaid, 0},
      {"presentation window\r\nwindow 800x600\r\n", Show::Window, 800},  // edited on Windows
      {"presentation sideways\nwindow 800x600", Show::Unsaid, 800},
      {"presentation window\nwindow 639x480\n", Show::Window, 0},  // smaller than the picture
      {"window 99999999999x480\npresentation borderless", Show::Borderless, 0},
      {"window -800x600\nwindow 800x\nwindow x600\nwindow 800 600\n", Show::Unsaid, 0},
      {"window 800x600abc\nwindow 900abcx700\n", Show::Unsaid, 0},  // a number and more
      {"presentation  window\nPRESENTATION window\n\x01\xff\n", Show::Unsaid, 0},
      {kHuge.c_str(), Show::Unsaid, 0},
  };
  for (const auto& d : damaged) {
    SCOPED_TRACE(d.text);
    const Settings read = ParseSettings(d.text);
    EXPECT_EQ(read.Presentation, d.how);
    EXPECT_EQ(read.WindowWidth, d.width);
    EXPECT_EQ(read.WindowWidth == 0, read.WindowHeight == 0);
  }
}

}  // namespace
}  // namespace carpex::common
