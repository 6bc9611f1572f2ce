// The legend around the picture: what it says on each screen, in the
// player's language, where it goes on common screens (never over the
// picture), and the title where there is no room for it.
#include "platform/common/legend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "world/keys.h"

namespace carpex::common {
namespace {

std::vector<uint8_t> FontBytes() {
  std::ifstream in(CARPEX_LEGEND_FONT, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(Legend, SaysWhatAppliesOnEachScreenInThePlayersLanguage) {
  GameView view;
  view.In = Language::English;
  EXPECT_EQ(LegendLines(LegendKeyOf(view, 0, 0)).front(), "0-9: choose a level");
  view.LevelScreen = false;
  EXPECT_EQ(LegendLines(LegendKeyOf(view, 0, 0)).front(), "Space or Down: drop the bomb");
  view.Paused = true;
  view.In = Language::Chinese;
  EXPECT_EQ(LegendLines(LegendKeyOf(view, 1, 0)),
            (std::vector<std::string>{"已暂停", "P 或 Pause：继续", "手柄：Start 继续",
                                      "Esc：离开本局", "手柄：Back 离开本局"}));
  view.Paused = false;
  view.RoundOver = true;
  view.LevelScreen = true;
  EXPECT_EQ(LegendLines(LegendKeyOf(view, 2, 7))[1], "手柄：A 开始第 7 关，左右键选关");
}

// The player's own controls: the keys chosen and the one being asked for, the
// speed when it is not the game's own, one switch.
TEST(Legend, NamesThePlayersKeysTheSpeedAndTheOneSwitch) {
  Controls controls;
  controls.SetKeys(PlayerKeys{'B', kVkLeft});
  controls.SetClick(true);
  GameView view{false, 0};
  view.Speed = 50;
  EXPECT_EQ(LegendLines(LegendKeyOf(view, controls)),
            (std::vector<std::string>{"B or a click: drop the bomb", "S: speed 50 %", "P: pause",
                                      "Left: leave the round"}));
  view.In = Language::Chinese;
  view.Speed = 100;
  view.LevelScreen = true;
  EXPECT_EQ(LegendLines(LegendKeyOf(view, controls))[1], "左方向键：退出游戏");
  controls.KeyDown('K', view);
  controls.KeyDown('7', view);
  EXPECT_EQ(LegendLines(LegendKeyOf(view, controls)),
            (std::vector<std::string>{"请按新的投弹键，或按手柄上用来投弹的按钮",
                                      "7 已被占用：请按另一个键",
                                      "K：保留原来的键；Backspace：恢复默认按键"}));
  controls.KeyDown(kVkBack, view);
  controls.SetOneSwitch(true);
  view.In = Language::English;
  EXPECT_EQ(LegendLines(LegendKeyOf(view, controls)),
            (std::vector<std::string>{"One switch: Space or Down, a click or A",
                                      "Press: start level 0", "Hold 1 s: next level; 3 s: quit",
                                      "L: 中文", "H: hide these lines"}));
}

TEST(Legend, SaysTheChosenLevelsRecordAndWhatARoundChanged) {
  GameView view;
  LegendKey key = LegendKeyOf(view, 0, 0);
  key.Records.Kept = true;
  key.Records.Level = 3;
  auto has = [&](const std::string& Line) {
    const std::vector<std::string> lines = LegendLines(key);
    return std::find(lines.begin(), lines.end(), Line) != lines.end();
  };
  EXPECT_TRUE(has("Level 3: no record yet"));
  EXPECT_TRUE(has("W: watch the best round; C: clear the records"));
  key.Records.Record = {12, 30, 4, 1234, 17};
  EXPECT_TRUE(has("Level 3: won 12, lost 30, left 4, best 20.6 s, 17 bombs"));
  key.Records.NoBest = true;
  key.Speed = 50;
  EXPECT_TRUE(has("Level 3: no best round kept at 50 %"));
  // After a round: what it changed, and whether it was the day's result.
  key.On = LegendKey::Over;
  key.Records.Played = {1, 0, 0, 600, 9};
  key.Records.News = {true, true, false, false};
  EXPECT_TRUE(has("New fastest win: 10.0 s"));
  EXPECT_TRUE(has("Fewest bombs yet: 9"));
  key.Records.News = {false, false, false, true};
  key.Records.Day = {20261209, 3, 100, RoundOutcome::Won, 300, 4};
  key.In = Language::Chinese;
  EXPECT_TRUE(has("练习（今日成绩：5.0 秒获胜，投弹 4 枚）"));
  key.In = Language::English;
  key.AskingToClear = true;
  EXPECT_EQ(LegendLines(key),
            std::vector<std::string>{"Clear all records? Y: yes, any other key: no"});
}

TEST(Legend, GoesUnderOrBesideThePictureNeverOverItOrIntoTheTitle) {
  const std::vector<uint8_t> bytes = FontBytes();
  const LegendFont font(bytes.data(), bytes.size());
  ASSERT_TRUE(font.Usable());
  GameView view;
  struct Case {
    int W, H;
    Language In;
    bool Pads;
    const char* Where;  // "under", "beside" or "" (the title says it)
    bool OneSwitch = false;
    bool Records = false;  // a record of the level with a win, on today's city
  };
  const Case cases[] = {
      {1280, 1024, Language::Chinese, false, "under"},
      // One switch, slower, as the game's full screen shows it.
      {1280, 1024, Language::Chinese, false, "under", true},
      {1280, 1024, Language::English, false, "under", true},
      {1280, 1024, Language::Chinese, false, "under", false, true},
      {1280, 1024, Language::English, false, "under", false, true},
      {1920, 1080, Language::English, true, "beside", false, true},
      {1920, 1080, Language::English, false, "under"},
      {1920, 1080, Language::English, true, "beside"},
      {1366, 768, Language::Chinese, false, "beside"},
      {1366, 768, Language::English, true, "beside"},
      {640, 480, Language::English, false, ""},
      {1024, 768, Language::Chinese, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.W) + "x" + std::to_string(c.H));
    view.In = c.In;
    view.Speed = c.OneSwitch ? 50 : 100;
    LegendKey key = LegendKeyOf(view, c.Pads ? 1 : 0, 3);
    key.OneSwitch = c.OneSwitch;
    if (c.Records) {
      key.Records.Kept = true;
      key.Records.Level = 3;
      key.Records.Record = {12, 30, 4, 1234, 17};
      key.Records.Daily = 20261209;
    }
    std::vector<std::string> lines;
    const Placement picture = PlacePicture(c.W, c.H);
    LegendPicture legend;
    const bool shown = DrawLegendFitting(font, key, c.W, c.H, picture, &legend, &lines);
    if (c.Records) {
      // Under the picture of a 1280 x 1024 screen the record stands alone.
      key.Records.Brief = c.W == 1280;
      EXPECT_TRUE(DrawLegend(font, LegendLines(key), c.W, c.H, picture, &legend));
    }
    EXPECT_EQ(shown, c.Where[0] != '\0');
    const std::string title = LegendTitle(lines, shown, c.In);
    if (!shown) {
      EXPECT_NE(title.find(lines.front()), std::string::npos) << title;
      continue;
    }
    EXPECT_EQ(title, "Carpex");
    EXPECT_EQ(legend.Y >= picture.Y + picture.Height  ? "under"
              : legend.X >= picture.X + picture.Width ? "beside"
                                                      : "over",
              std::string(c.Where));
    EXPECT_LE(legend.X + legend.Width, c.W);
    EXPECT_LE(legend.Y + legend.Height, c.H);
    int ink = 0;
    for (uint32_t p : legend.Pixels) ink += p != 0;
    EXPECT_GT(ink, 500) << "the lines are drawn";
  }
}

}  // namespace
}  // namespace carpex::common
