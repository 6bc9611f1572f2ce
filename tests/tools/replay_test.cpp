// The replay tool end to end: the exact trace format, the random queue, and
// whole rounds driven through the real form and display (the script's reading
// is script_test's).
#include "tools/replay.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "shell/form_view.h"
#include "tools/replay_platform.h"
#include "tools/script.h"
#include "tools/trace.h"

namespace carpex {
namespace {

struct Replayed {
  int status;
  std::vector<std::string> lines;
  std::string err;
};

// The end of a trace line, the city's heights and kinds, made afresh from the
// world: the trace keeps its text of a city until the city changes.
std::string CityText(const World& W) {
  std::string heights = " heights=", kinds = " kinds=";
  for (int b = 1; b <= kCityBuildings; ++b) {
    heights += (b > 1 ? "," : "") + std::to_string(W.Buildings[b].Height);
    kinds += b > 1 ? "," : "";
    for (int j = 1; j <= W.Buildings[b].Height; ++j)
      kinds += static_cast<char>('0' + static_cast<int>(W.Buildings[b].Blocks[j].Kind));
  }
  return heights + kinds;
}

Replayed Replay(const std::string& Script, const std::string& Name = "s") {
  std::ostringstream out, err;
  std::string firstBroken;
  std::vector<std::string> cities;
  ReplayOptions options;
  // The world is checked after every frame.
  options.AfterFrame = [&](const FormView& Form) {
    cities.push_back(CityText(Form.W));
    const char* broken = CheckInvariants(Form.W);
    if (broken != nullptr && firstBroken.empty()) {
      firstBroken = std::string(broken) + " at frame " + std::to_string(cities.size());
    }
  };
  Replayed run{RunReplay(Script, Name, out, err, MakeReplayPlatform, options), {}, err.str()};
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) {
    const size_t frame = run.lines.size();
    if (frame < cities.size() && !line.ends_with(cities[frame]) && firstBroken.empty()) {
      firstBroken = "the trace's city is not the world's at frame " + std::to_string(frame + 1);
    }
    run.lines.push_back(line);
  }
  EXPECT_EQ(firstBroken, "") << "invariant broken";
  return run;
}

std::string ReadScript(const char* File) {
  std::ifstream in(std::string(CARPEX_REPLAY_SCRIPTS) + "/" + File);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The value of one field of a trace line ("plane" -> "586,464,..."), as the tools read it.
std::string Field(const std::string& Line, const std::string& Key) {
  return std::string(TraceField(Line, Key));
}

// A queue of Random values for a level-0 city: building b gets style b % 3 and height h(b).
std::string CityQueue(int (*Height)(int)) {
  std::string line = "random";
  for (int b = 1; b <= 38; ++b) {
    line += " " + std::to_string(b % 3) + " " + std::to_string(Height(b) - 1);
  }
  return line + "\n";
}

TEST(ReplayTrace, FirstFramesHaveTheExactFormat) {
  const Replayed run =
      Replay(CityQueue([](int B) { return B == 1 ? 3 : 1; }) + "frames 1\nchar 48\nframes 1\n");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.lines.size(), 2u);
  std::string zeros, empty;
  for (int i = 0; i < 38; ++i) {
    zeros += i ? ",0" : "0";
    empty += i ? "," : "";
  }
  EXPECT_EQ(run.lines[0],
            "n=1 gs=1 level=0 active=1 fc=1 fps=0 shown=-1 left=0 cells=0 crashed=0 "
            "plane=0,0,0,0,0,0,0,0 bomb=0,0,0,0,0,0 banner=0,0,0 strikes=- expl=- heights=" +
                zeros + " kinds=" + empty);
  std::string heights = "3", kinds = "110";
  for (int i = 2; i <= 38; ++i) {
    heights += ",1";
    kinds += ",0";
  }
  EXPECT_EQ(run.lines[1],
            "n=2 gs=2 level=0 active=1 fc=2 fps=0 shown=-1 left=40 cells=40 crashed=0 "
            "plane=-46,0,-46,0,0,0,1,0 bomb=0,0,0,0,0,0 banner=0,0,0 strikes=- expl=- heights=" +
                heights + " kinds=" + kinds);
}

TEST(ReplayTrace, StrikesAndExplosionsArePrintedPerBusySlot) {
  // A bomb released at once falls down empty column 0 and explodes at the bottom.
  const Replayed run = Replay(CityQueue([](int) { return 1; }) + "char 48\ndown 32\nframes 230\n");
  ASSERT_EQ(run.status, 0) << run.err;
  bool sawExplosion = false;
  for (const std::string& line : run.lines) {
    if (Field(line, "expl") == "1:1:0:-40:451") sawExplosion = true;
  }
  EXPECT_TRUE(sawExplosion);
}

TEST(ReplayRandom, AnEmptyQueueNamesTheLineThatAsked) {
  const Replayed run = Replay("random 0 0\nframes 1\nchar 48\nframes 1\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.lines.size(), 1u);
  EXPECT_EQ(run.err.rfind("'s':3: ", 0), 0u) << run.err;
}

TEST(ReplayRandom, AValueOutOfRangeEndsTheReplay) {
  const Replayed run = Replay("random 3 0\nchar 48\n");  // Random(3) cannot give 3
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("'s':2: ", 0), 0u) << run.err;
}

TEST(ReplayRandom, TheSeededGeneratorRepeatsAndDiffersBySeed) {
  const std::string script = "char 53\nframes 1\n";
  const Replayed a = Replay("seed 11\n" + script), b = Replay("seed 11\n" + script),
                 c = Replay("seed 12\n" + script);
  ASSERT_EQ(a.lines.size(), 1u);
  EXPECT_EQ(a.lines, b.lines);
  EXPECT_NE(Field(a.lines[0], "heights"), Field(c.lines[0], "heights"));
  // Level 5: every building from 13 to 24 blocks.
  std::stringstream heights(Field(a.lines[0], "heights"));
  for (std::string h; std::getline(heights, h, ',');) {
    EXPECT_GE(std::stoi(h), 13);
    EXPECT_LE(std::stoi(h), 24);
  }
}

TEST(ReplayFlow, EscapeOnTheLevelScreenEndsTheReplay) {
  const Replayed run = Replay("frames 1\nchar 27\nframes 5\nfly\n");
  EXPECT_EQ(run.status, 2) << "the whole script is read first";
  EXPECT_TRUE(run.lines.empty()) << "no frame runs before the script is read whole";
  EXPECT_EQ(run.err, "'s':4: unknown command 'fly'\n");
  const Replayed ok = Replay("frames 1\nchar 27\nframes 5\n");
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.lines.size(), 1u);
}

// What a script's bytes can ask for: a million frames, and five more a byte.
TEST(ReplayFlow, AScriptRunsNoMoreFramesThanItsLengthAllows) {
  const Replayed run = Replay("frames 1000000\nframes 1000\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.lines.empty());
  EXPECT_EQ(run.err,
            "'s': 1001000 frames, more than a script of 27 bytes runs (1000135: 1000000 and 5 a "
            "byte)\n");
}

TEST(ReplayFlow, FrameRateAndActivation) {
  const Replayed run = Replay(
      "frames 3\nchar 102\ntick\nframes 2\ntick\ndeactivate\nframes 4\ntick\n"
      "restore\nframes 1\nchar 70\nframes 1\nchar 102\nframes 1\n");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.lines.size(), 12u);
  EXPECT_EQ(Field(run.lines[3], "shown"), "1");
  EXPECT_EQ(Field(run.lines[3], "fps"), "3");
  EXPECT_EQ(Field(run.lines[4], "fc"), "2");
  // Inactive frames only sleep: nothing counted, and a whole inactive period reads 0.
  EXPECT_EQ(Field(run.lines[8], "active"), "0");
  EXPECT_EQ(Field(run.lines[8], "fc"), "0");
  EXPECT_EQ(Field(run.lines[8], "fps"), "2");
  EXPECT_EQ(Field(run.lines[9], "active"), "1");
  EXPECT_EQ(Field(run.lines[9], "fps"), "0");
  EXPECT_EQ(Field(run.lines[9], "fc"), "1");
  EXPECT_EQ(Field(run.lines[10], "shown"), "1") << "capital F does nothing";
  EXPECT_EQ(Field(run.lines[11], "shown"), "-1");
}

TEST(ReplayRounds, ALevelZeroCityFlattenedWinsAndThePlaneLands) {
  const Replayed run = Replay(ReadScript("won_level0.replay"), "won");
  ASSERT_EQ(run.status, 0) << run.err;
  size_t firstOver = 0;
  for (size_t i = 0; i < run.lines.size(); ++i) {
    if (Field(run.lines[i], "gs") == "3") {
      firstOver = i;
      break;
    }
  }
  ASSERT_GT(firstOver, 0u);
  EXPECT_EQ(Field(run.lines[firstOver], "left"), "0");
  EXPECT_EQ(Field(run.lines[firstOver], "banner"), "224,216,1");
  EXPECT_EQ(Field(run.lines[firstOver], "crashed"), "0");
  // The frame that ends the round runs the state-2 and the state-3 steps: the plane
  // moves twice.
  const int xBefore = std::stoi(Field(run.lines[firstOver - 1], "plane"));
  const int xAfter = std::stoi(Field(run.lines[firstOver], "plane"));
  EXPECT_EQ(xAfter - xBefore, 4);
  // Landed at (586, 464) with the wheels out, and still there after Escape.
  const std::string& last = run.lines.back();
  EXPECT_EQ(Field(last, "gs"), "1");
  EXPECT_EQ(Field(last, "plane"), "586,464,586,464,39,29,3,1");
  EXPECT_EQ(Field(run.lines[run.lines.size() - 3], "gs"), "3");
}

TEST(ReplayRounds, APlaneThatHitsATowerLosesTheRoundEightFramesLater) {
  const Replayed run = Replay(ReadScript("lost_level9.replay"), "lost");
  ASSERT_EQ(run.status, 0) << run.err;
  size_t crash = 0;
  for (size_t i = 0; i < run.lines.size() && crash == 0; ++i) {
    if (Field(run.lines[i], "crashed") == "1") crash = i;
  }
  ASSERT_GT(crash, 0u) << "the plane never crashed";
  const std::string& at = run.lines[crash];
  std::stringstream plane(Field(at, "plane"));
  std::vector<int> p;
  for (std::string v; std::getline(plane, v, ',');) p.push_back(std::stoi(v));
  ASSERT_EQ(p.size(), 8u);
  EXPECT_EQ(p[6], 0) << "the plane is gone";
  // The crash's explosion runs in the same frame, centred on the cell tested before
  // the last move: the previous line's cell.
  std::stringstream before(Field(run.lines[crash - 1], "plane"));
  std::vector<int> q;
  for (std::string v; std::getline(before, v, ',');) q.push_back(std::stoi(v));
  EXPECT_NE(
      Field(at, "expl")
          .find(":2:1:" + std::to_string(16 * q[4] - 40) + ":" + std::to_string(16 * q[5] - 22)),
      std::string::npos)
      << at;
  EXPECT_EQ(Field(run.lines[crash + 7], "gs"), "2");
  EXPECT_EQ(Field(run.lines[crash + 8], "gs"), "3");
  EXPECT_EQ(Field(run.lines[crash + 8], "banner"), "224,216,0");
  EXPECT_EQ(Field(run.lines.back(), "gs"), "1");
}

TEST(ReplayRounds, EscapeKeepsTheRoundAndADigitStartsAFreshOne) {
  const Replayed run = Replay(ReadScript("escape_and_new_round.replay"), "esc");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.lines.size(), 78u);
  const std::string& lastPlayed = run.lines[69];
  for (size_t i = 70; i < 75; ++i) {
    EXPECT_EQ(Field(run.lines[i], "gs"), "1");
    for (const char* key : {"heights", "kinds", "plane", "left", "strikes", "expl"}) {
      EXPECT_EQ(Field(run.lines[i], key), Field(lastPlayed, key)) << key;
    }
  }
  EXPECT_NE(Field(run.lines[75], "heights"), Field(lastPlayed, "heights"));
  EXPECT_EQ(Field(run.lines[75], "level"), "1");
  EXPECT_EQ(Field(run.lines[75], "plane"), "-46,0,-46,0,0,0,1,0");
  EXPECT_EQ(Field(run.lines[75], "strikes"), "-");
}

// Random events of every kind, about Frames frames of them.
std::string RandomScript(std::mt19937& Rng, long Frames) {
  std::string text = "seed " + std::to_string(Rng()) + "\nchar 48\n";
  for (long frames = 0; frames <= Frames;) {
    const int pick = static_cast<int>(Rng() % 100);
    if (pick < 4)
      text += "char " + std::to_string(48 + Rng() % 10) + "\n";
    else if (pick < 6)
      text += "char 27\nchar " + std::to_string(48 + Rng() % 10) + "\n";
    else if (pick < 30)
      text += "down " + std::string(Rng() % 2 ? "32" : "40") + "\n";
    else if (pick < 55)
      text += "up " + std::string(Rng() % 2 ? "32" : "40") + "\n";
    else if (pick < 58)
      text += "tick\nchar 102\n";
    else if (pick < 60)
      text += "deactivate\nframes 2\nrestore\n";
    else if (pick < 62)
      text += "lose\n";
    const int n = 1 + static_cast<int>(Rng() % 60);
    text += "frames " + std::to_string(n) + "\n";
    frames += n;
  }
  return text;
}

TEST(ReplayRounds, LongRandomScriptsKeepEveryInvariant) {
  // The platform checks the world after every frame.
  std::mt19937 rng(20261208);
  for (int script = 0; script < 6; ++script) {
    const Replayed run = Replay(RandomScript(rng, (script + 1) * 3500L));
    ASSERT_EQ(run.status, 0) << run.err;
  }
}

// The tool draws nothing when no shot is written; the game must not notice.
TEST(ReplayTrace, ARunThatDrawsTracesAsOneThatDoesNot) {
  std::mt19937 rng(20261210);
  const std::string script = RandomScript(rng, 4000);
  const Replayed undrawn = Replay(script);
  ASSERT_EQ(undrawn.status, 0) << undrawn.err;
  TextSource source(script);
  const std::unique_ptr<ReplayPlatform> platform = MakeReplayPlatform();
  ReplayRun drawn(source, "s", *platform);
  size_t line = 0;
  while (drawn.Step()) {
    ASSERT_LT(line, undrawn.lines.size());
    ASSERT_EQ(drawn.TraceLine(), undrawn.lines[line++]);
  }
  EXPECT_EQ(line, undrawn.lines.size());
}

}  // namespace
}  // namespace carpex

namespace carpex {
namespace {

// Today's city: a level's city is the day's, the same whoever plays it, and
// another day's is another.
TEST(ReplayDaily, ADaysCityIsTheSameForEveryGameAndAnotherDaysDiffers) {
  const auto heights = [](const std::string& Daily, uint32_t Seed) {
    const Replayed run = Replay("seed " + std::to_string(Seed) + "\n" + Daily +
                                "\nchar 51\nframes 1\nchar 27\nchar 51\nframes 1\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Field(run.lines.at(0), "heights"), Field(run.lines.at(1), "heights"))
        << "every round of the day on the day's city";
    return Field(run.lines.at(0), "heights");
  };
  const std::string day = heights("daily 20261209", 1);
  EXPECT_EQ(day, heights("daily 20261209", 2));
  EXPECT_NE(day, heights("daily 20261210", 1));
  EXPECT_EQ(DailySeed(2026, 12, 9), 20261209u);
  EXPECT_EQ(DailySeed(2026, 2, 29), 0u);
}

// carpex-replay --check: the last round's outcome, frames and bombs, proved
// by the recording's final line; anything else is said and is no success.
TEST(ReplayCheck, AWinIsProvedByItsFinalLineAndAnythingElseIsNot) {
  const std::string won = ReadScript("won_level0.replay");
  const Replayed run = Replay(won, "won");
  const std::string proved = won + "# final: " + run.lines.back() + "\n";
  std::ostringstream out, err;
  TextSource source(proved);
  EXPECT_EQ(CheckReplay(source, "won", out, err, MakeReplayPlatform), kReplayRan) << err.str();
  EXPECT_EQ(out.str(),
            "'won': won in 6650 frames (110.8 s at 100 %), 38 bombs, level 0, speed 100 %; "
            "replays exactly\n");
  std::string claimed = run.lines.back();
  SetTraceField(&claimed, "left", "1");
  const std::string forged = won + "# final: " + claimed + "\n";
  std::ostringstream out2;
  TextSource other(forged);
  EXPECT_EQ(CheckReplay(other, "forged", out2, err, MakeReplayPlatform), 3);
  EXPECT_NE(out2.str().find("differs from its final line: left: '0' here, '1'"), std::string::npos)
      << out2.str();
  // The final line is the last frame's, whatever came after it: Escape twice
  // in one turn leaves the round and closes the game.
  const std::string left = "seed 1\nframes 2\nchar 48\nframes 3\n";
  const std::string closed =
      left + "char 27\nchar 27\n# final: " + Replay(left, "left").lines.back() + "\n";
  std::ostringstream out3;
  TextSource twice(closed);
  EXPECT_EQ(CheckReplay(twice, "twice", out3, err, MakeReplayPlatform), 3);
  EXPECT_NE(out3.str().find("left in 3 frames"), std::string::npos) << out3.str();
  EXPECT_NE(out3.str().find("replays exactly"), std::string::npos) << out3.str();
}

}  // namespace
}  // namespace carpex
