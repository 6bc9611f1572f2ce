// The Windows programs under Wine, on a virtual screen of 640 x 480 x 16:
// the game played as a new player would, with keys from xdotool and pictures
// of the screen; and the Windows replay tool against the native one on the
// same scripts, trace for trace and pixel for pixel.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/soft/dib.h"
#include "tests/platform/win32/wine_support.h"

namespace carpex::winetest {
namespace {

namespace fs = std::filesystem;

constexpr int kLevelX = 154;
constexpr int kLevelY = 111;

// The programs: those of the Windows build tree CARPEX_WINDOWS_BUILD (i686 or
// x86_64), or the game alone as CARPEX_WINDOWS_GAME names it (unpacked from
// its download), for which the replay tests skip.
std::string FromEnvironment(const char* Name) {
  const char* value = getenv(Name);
  return value != nullptr ? value : "";
}
std::string GameExe() {
  const std::string game = FromEnvironment("CARPEX_WINDOWS_GAME");
  const std::string tree = FromEnvironment("CARPEX_WINDOWS_BUILD");
  return !game.empty() || tree.empty() ? game : tree + "/platform/win32/carpex.exe";
}
std::string ReplayExe() {
  const std::string tree = FromEnvironment("CARPEX_WINDOWS_BUILD");
  return tree.empty() ? tree : tree + "/platform/win32/carpex-replay.exe";
}

// One desktop for the whole program: starting Xvfb and a Wine prefix is slow.
WineDesktop* Desktop = nullptr;

class DesktopEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    if (GameExe().empty()) return;
    for (const std::string& exe : {GameExe(), ReplayExe()}) {
      if (!exe.empty() && access(exe.c_str(), R_OK) != 0) {
        error_ = exe + " is missing";
        return;
      }
    }
    desktop_ = std::make_unique<WineDesktop>();
    if (desktop_->Start(GameExe(), &error_)) {
      Desktop = desktop_.get();
    } else {
      desktop_.reset();
    }
  }
  void TearDown() override {
    Desktop = nullptr;
    desktop_.reset();
  }
  const std::string& Error() const { return error_; }

 private:
  std::unique_ptr<WineDesktop> desktop_;
  std::string error_;
};

DesktopEnvironment* Environment = nullptr;

// Skips when no Windows program was named; fails when one was but Wine cannot run it.
#define REQUIRE_DESKTOP()                                                               \
  do {                                                                                  \
    if (GameExe().empty()) {                                                            \
      GTEST_SKIP() << "no Windows program (CARPEX_WINDOWS_BUILD, CARPEX_WINDOWS_GAME)"; \
    }                                                                                   \
    ASSERT_NE(Desktop, nullptr) << "no Wine desktop: " << Environment->Error();         \
  } while (0)

// Takes pictures of the screen until Check accepts one, for at most Seconds.
bool WaitForScreen(double Seconds, const std::function<bool(const Picture&)>& Check,
                   Picture* Last) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(Seconds);
  do {
    if (Desktop->Screenshot(Last) && Check(*Last)) return true;
    SleepSeconds(0.2);
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

// Waits up to 30 seconds for the screen to show Want (the replay tool's
// picture) with its top-left at (X, Y); the last screen in *Shown, and what
// differs when it never did.
::testing::AssertionResult ShowsPicture(const Picture& Want, int X, int Y, Picture* Shown) {
  const auto differs = [&](const Picture& Screen) {
    return Compare(Want, Crop(Screen, X, Y, Want.Width, Want.Height), "replay", "screen");
  };
  if (WaitForScreen(
          30, [&](const Picture& Taken) { return differs(Taken).Count == 0; }, Shown)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << differs(*Shown).Report;
}

// The level-choice picture as the screen must show it: the sheet with its key
// colour left out over the black background, at (154, 111), all else black.
struct LevelChoiceExpectation {
  soft::DibImage Sheet;
  uint32_t Key = 0;

  bool Load() {
    const std::string bytes = ReadFile(CARPEX_LEVEL_CHOICE_BMP);
    if (!soft::DecodeBmpFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                             &Sheet) ||
        Sheet.Width <= 0) {
      return false;
    }
    Key = Sheet.At(0, 0);
    return true;
  }

  // Pixels that differ by more than one step of a 16-bit display channel.
  long Mismatches(const Picture& Screen) const {
    long bad = 0;
    for (int y = 0; y < Screen.Height; ++y) {
      for (int x = 0; x < Screen.Width; ++x) {
        uint32_t want = 0;
        const int sx = x - kLevelX;
        const int sy = y - kLevelY;
        if (sx >= 0 && sy >= 0 && sx < Sheet.Width && sy < Sheet.Height) {
          const uint32_t c = Sheet.At(sx, sy);
          if (c != Key) want = c;
        }
        const uint8_t* got = Screen.At(x, y);
        const int wantRgb[3] = {static_cast<int>(want & 0xFF), static_cast<int>((want >> 8) & 0xFF),
                                static_cast<int>((want >> 16) & 0xFF)};
        for (int c = 0; c < 3; ++c) {
          if (std::abs(got[c] - wantRgb[c]) > 8) {
            ++bad;
            break;
          }
        }
      }
    }
    return bad;
  }
};

// Lit pixels in a band of rows.
long LitIn(const Picture& P, int Top, int Bottom, int Left = 0, int Right = 640) {
  long lit = 0;
  for (int y = Top; y < Bottom; ++y) {
    for (int x = Left; x < Right; ++x) lit += P.Lit(x, y) ? 1 : 0;
  }
  return lit;
}

// The leftmost lit column of a band, -1 when the band is dark.
int LeftmostLit(const Picture& P, int Top, int Bottom) {
  for (int x = 0; x < P.Width; ++x) {
    for (int y = Top; y < Bottom; ++y) {
      if (P.Lit(x, y)) return x;
    }
  }
  return -1;
}

// 16 x 16 cells from row 3 down that were mostly lit in Before and are dark in After.
int CellsCleared(const Picture& Before, const Picture& After) {
  int cleared = 0;
  for (int row = 3; row < 30; ++row) {
    for (int col = 0; col < 40; ++col) {
      const long before = LitIn(Before, row * 16, row * 16 + 16, col * 16, col * 16 + 16);
      const long after = LitIn(After, row * 16, row * 16 + 16, col * 16, col * 16 + 16);
      if (before > 64 && after == 0) ++cleared;
    }
  }
  return cleared;
}

long CountOf(const std::string& Text, const std::string& What) {
  long n = 0;
  for (size_t pos = Text.find(What); pos != std::string::npos; pos = Text.find(What, pos + 1)) ++n;
  return n;
}

// The last line of a text, without its line feed.
std::string LastLine(const std::string& Text) {
  const size_t end = Text.size() > 0 && Text.back() == '\n' ? Text.size() - 1 : Text.size();
  const size_t start = Text.rfind('\n', end == 0 ? 0 : end - 1);
  return Text.substr(start == std::string::npos ? 0 : start + 1,
                     end - (start == std::string::npos ? 0 : start + 1));
}

// The recording in the desktop's folder ends on its final line, and the native
// replay tool runs it to that line.
void ExpectReplaysToItsFinalLine(const std::string& Recording) {
  const std::string path = Desktop->Folder() + "/" + Recording;
  const std::string final = LastLine(ReadFile(path));
  ASSERT_EQ(final.rfind("# final: n=", 0), 0u) << "the recording ends with: " << final;
  const RunResult replay = RunCommand({CARPEX_NATIVE_REPLAY, path}, Desktop->Folder(), {}, 300);
  ASSERT_TRUE(replay.Finished);
  EXPECT_EQ(replay.Status, 0) << replay.Err;
  EXPECT_EQ("# final: " + LastLine(replay.Out), final);
}

// Escape, Escape: the round left and the game ended with status 0.
void LeaveTheGame(Child& Game) {
  Desktop->XDoTool({"key", "Escape", "Escape"});
  int status = -1;
  ASSERT_TRUE(Game.Wait(30, &status)) << "the game did not end after Escape, Escape";
  EXPECT_EQ(status, 0);
}

// The game's window, once it shows; "" when none came.
std::string WaitForWindow();

// Waits for the message box captioned Caption to show; its window, or "" when
// none came. A window named as the box is, the game's (Except), is no box.
std::string FindBox(const std::string& Caption, const std::string& Except = "") {
  std::string box;
  for (int i = 0; i < 150 && box.empty(); ++i) {
    std::istringstream found(
        Desktop->XDoTool({"search", "--onlyvisible", "--name", "^" + Caption + "$"}).Out);
    for (std::string window; box.empty() && std::getline(found, window);) {
      if (window != Except) box = window;
    }
    if (box.empty()) SleepSeconds(0.2);
  }
  return box;
}

// The place and size of a window, as xdotool tells them.
struct Geometry {
  int X = -1, Y = -1, Width = 0, Height = 0;
};
Geometry GeometryOf(const std::string& Window) {
  const std::string text = Desktop->XDoTool({"getwindowgeometry", Window}).Out;
  Geometry g;
  const size_t position = text.find("Position: ");
  const size_t size = text.find("Geometry: ");
  if (position != std::string::npos)
    std::sscanf(text.c_str() + position, "Position: %d,%d", &g.X, &g.Y);
  if (size != std::string::npos)
    std::sscanf(text.c_str() + size, "Geometry: %dx%d", &g.Width, &g.Height);
  return g;
}

// Clicks the box's one button, in the middle of its bottom row. (A Return
// typed into one box has been seen to reach the next program's box too.)
void DismissBox(const std::string& Box) {
  const Geometry g = GeometryOf(Box);
  Desktop->XDoTool({"mousemove", "--window", Box, std::to_string(g.Width / 2),
                    std::to_string(g.Height - 20), "click", "1"});
}

// Played with --record; the recording is then repeated by the replay tool on
// the software display, which must end on the recording's final trace line.
TEST(WineGame, PlaysARoundSurvivesASwitchAwayAndEndsWithEscape) {
  REQUIRE_DESKTOP();
  Desktop->ForgetSettings();  // as a new player's first start
  LevelChoiceExpectation level;
  ASSERT_TRUE(level.Load()) << "cannot read " << CARPEX_LEVEL_CHOICE_BMP;

  // Wine's DirectDraw trace tells which surfaces the game restored.
  const std::string trace = Desktop->Folder() + "/game-ddraw.log";
  Child game;
  const std::string recording = "wine-session.replay";
  ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe(), "--record", recording}, Desktop->Folder(),
                         Desktop->Env("-all,trace+ddraw"), Desktop->Folder() + "/game.out", trace));

  // Start: full screen, the level-choice picture at (154, 111) and nothing else.
  Picture screen;
  ASSERT_TRUE(WaitForScreen(
      60, [&](const Picture& p) { return level.Mismatches(p) == 0; }, &screen))
      << level.Mismatches(screen) << " pixels of the screen are not the level-choice picture";
  const RunResult found = Desktop->XDoTool({"search", "--name", "^Carpex"});
  std::string window = found.Out.substr(0, found.Out.find('\n'));
  ASSERT_FALSE(window.empty()) << "no window with the caption Carpex";

  // A digit starts a round: the city stands along the bottom and the plane moves
  // along the top row.
  Desktop->XDoTool({"key", "9"});
  ASSERT_TRUE(WaitForScreen(
      20, [&](const Picture& p) { return LitIn(p, 464, 480) > 4000 && LitIn(p, 0, 16) > 0; },
      &screen))
      << "no city and plane after the digit 9";
  const int planeAt = LeftmostLit(screen, 0, 16);
  Picture later;
  ASSERT_TRUE(WaitForScreen(
      10, [&](const Picture& p) { return LeftmostLit(p, 0, 16) > planeAt; }, &later))
      << "the plane does not move from x " << planeAt;

  // Space drops the bomb, and blocks come down.
  Picture city = later;
  Desktop->XDoTool({"key", "space"});
  ASSERT_TRUE(WaitForScreen(
      15, [&](const Picture& p) { return CellsCleared(city, p) > 0; }, &screen))
      << "no block came down after Space";
  Desktop->XDoTool({"key", "f"});  // the frame rate shown, in the plane's rows
  SleepSeconds(1.5);               // the demolition and its explosions run out
  Picture beforeSwitch;
  ASSERT_TRUE(Desktop->Screenshot(&beforeSwitch));
  const long restoresBefore = CountOf(ReadFile(trace), "ddraw_surface7_Restore");

  // Switching away minimises the game and takes the display back; switching
  // back brings every picture back through the game's own recovery.
  Desktop->XDoTool({"windowminimize", window});
  ASSERT_TRUE(WaitForScreen(
      10, [&](const Picture& p) { return LitIn(p, 96, 480) < LitIn(beforeSwitch, 96, 480) / 10; },
      &screen))
      << "the game is still on the screen after windowminimize";
  SleepSeconds(1);
  Desktop->XDoTool({"windowactivate", window});
  // The game was paused while away: the city comes back exactly as it was.
  ASSERT_TRUE(WaitForScreen(
      20, [&](const Picture& p) { return LitIn(p, 48, 480) == LitIn(beforeSwitch, 48, 480); },
      &screen))
      << "the city did not come back after windowactivate";
  Picture cityBack = screen;
  for (Picture* p : {&cityBack, &beforeSwitch}) {
    std::fill(p->Rgb.begin(), p->Rgb.begin() + 48 * 640 * 3, 0);  // the plane's rows
  }
  EXPECT_EQ(Compare(cityBack, beforeSwitch, "after", "before").Report, "");
  const long restoresAfter = CountOf(ReadFile(trace), "ddraw_surface7_Restore");
  // Primary, six sheets and two backgrounds, each restored and reloaded.
  EXPECT_GE(restoresAfter - restoresBefore, 9) << "the surfaces were not restored";

  // Escape returns to the level choice, drawn from restored surfaces too.
  Desktop->XDoTool({"key", "f", "Escape"});
  EXPECT_TRUE(WaitForScreen(
      10, [&](const Picture& p) { return level.Mismatches(p) == 0; }, &screen))
      << level.Mismatches(screen) << " pixels are not the level-choice picture after Escape";

  // A second round, then Escape, Escape ends the program with status 0.
  Desktop->XDoTool({"key", "9"});
  ASSERT_TRUE(WaitForScreen(
      20, [&](const Picture& p) { return LitIn(p, 464, 480) > 4000; }, &screen))
      << "no second round after the digit 9";
  ASSERT_NO_FATAL_FAILURE(LeaveTheGame(game));

  const std::string recorded = ReadFile(Desktop->Folder() + "/" + recording);
  for (const char* event : {"\nchar 57\n", "\ndown 32\n", "\nchar 102\n", "\ndeactivate\n",
                            "\nlose\n", "\nrestore\n", "\nchar 27\n"}) {
    EXPECT_NE(recorded.find(event), std::string::npos) << "no" << event << "in the recording";
  }
  ExpectReplaysToItsFinalLine(recording);
}

// The command line is answered in a message box and never with the game's
// window: --version and --help with status 0, an argument the game does not
// know with status 2, in the language asked for, the game's own Chinese the
// first time. Wine's trace of the box tells its text (Chinese as code points).
TEST(WineGame, CommandLineIsAnsweredInAMessageBox) {
  REQUIRE_DESKTOP();
  const struct {
    std::vector<std::string> Arguments;
    const char* Text;
    int Status;
  } cases[] = {{{"--language", "en", "--fly"}, "unknown argument '--fly'", 2},
               {{"--version"}, "Carpex " CARPEX_VERSION, 0},
               {{"--help", "--language", "en"},
                "Usage: carpex.exe [--window | --borderless | --fullscreen]",
                0},
               {{"--help"}, "\\7528\\6cd5\\ff1acarpex.exe", 0}};  // 用法：
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Arguments.back());
    const std::string trace = Desktop->Folder() + "/box.log";
    Child game;
    std::vector<std::string> command = {Desktop->Loader(), GameExe()};
    command.insert(command.end(), c.Arguments.begin(), c.Arguments.end());
    ASSERT_TRUE(
        game.Start(command, Desktop->Folder(), Desktop->Env("-all,trace+msgbox"), "", trace));
    const std::string box = FindBox("Carpex");
    ASSERT_FALSE(box.empty()) << "no message box";
    EXPECT_EQ(Desktop->XDoTool({"search", "--name", "^Carpex"}).Out, box + "\n")
        << "a window beside the box";
    DismissBox(box);
    int status = -1;
    ASSERT_TRUE(game.Wait(30, &status)) << "the game did not end after the box";
    EXPECT_EQ(status, c.Status);
    EXPECT_NE(ReadFile(trace).find(c.Text), std::string::npos) << ReadFile(trace);
  }
}

TEST(WineGame, FailedSetUpShowsItsMessageAndNeverTheForm) {
  REQUIRE_DESKTOP();
  // Without DDraw.dll the first set-up step fails.
  std::map<std::string, std::string> env = Desktop->Env("-all,trace+win");
  env["WINEDLLOVERRIDES"] += ";ddraw=d";
  const std::string trace = Desktop->Folder() + "/failed-setup.log";
  Child game;
  ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe()}, Desktop->Folder(), env, "", trace));

  // The message box, captioned as the form's description says.
  const std::string box = FindBox("Form1");
  ASSERT_FALSE(box.empty()) << "no message box captioned Form1";
  DismissBox(box);
  int status = -1;
  ASSERT_TRUE(game.Wait(30, &status)) << "the game did not end after its set-up failed";
  EXPECT_EQ(status, 1) << "as on Linux";

  // The form's window (created at its designed place and size) was never shown.
  const std::string log = ReadFile(trace);
  const std::string created = "NtUserCreateWindowEx hwnd ";
  const size_t at = log.find(" cs 403,213 559x368");
  ASSERT_NE(at, std::string::npos) << "no form window in the trace";
  const size_t start = log.rfind(created, at) + created.size();
  const std::string hwnd = log.substr(start, at - start);
  EXPECT_EQ(log.find("show_window hwnd=" + hwnd + ", cmd=5"), std::string::npos)
      << "the form " << hwnd << " was shown";
}

// A recording is never lost: an existing one is not replaced unless asked,
// and not emptied by a game that cannot start; the box for a long name stays
// on the screen.
TEST(WineGame, AnEarlierRecordingIsKeptAndTheBoxForALongNameFitsTheScreen) {
  REQUIRE_DESKTOP();
  const std::string kept = "an earlier recording\n";
  const std::string path = Desktop->Folder() + "/keep.replay";
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(kept.c_str(), f);
    std::fclose(f);
  }
  std::map<std::string, std::string> noDisplay = Desktop->Env();
  noDisplay["WINEDLLOVERRIDES"] += ";ddraw=d";
  const struct {
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    const char* caption;
    int status;
  } runs[] = {
      {{"--record", "keep.replay"}, Desktop->Env(), "Carpex", 2},
      {{"--record", "keep.replay", "--overwrite"}, noDisplay, "Form1", 1},
  };
  for (const auto& run : runs) {
    Child game;
    std::vector<std::string> argv = {Desktop->Loader(), GameExe()};
    argv.insert(argv.end(), run.args.begin(), run.args.end());
    ASSERT_TRUE(game.Start(argv, Desktop->Folder(), run.env, "", ""));
    const std::string box = FindBox(run.caption);
    EXPECT_FALSE(box.empty()) << "no box " << run.caption;
    if (!box.empty()) DismissBox(box);
    int status = -1;
    ASSERT_TRUE(game.Wait(30, &status)) << "the game did not end after its box";
    EXPECT_EQ(status, run.status) << run.args.back();
    EXPECT_EQ(ReadFile(path), kept) << "after " << run.args.back();
  }

  Child game;
  ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe(), "--record",
                          "no-such-folder/" + std::string(300, 'x') + ".replay"},
                         Desktop->Folder(), Desktop->Env(), "", ""));
  const std::string box = FindBox("Carpex");
  ASSERT_FALSE(box.empty()) << "no message box";
  const Geometry g = GeometryOf(box);
  EXPECT_GE(g.X, 0) << g.Width << "x" << g.Height << " at " << g.X << "," << g.Y;
  EXPECT_LE(g.X + g.Width, 640) << g.Width << "x" << g.Height << " at " << g.X << "," << g.Y;
  EXPECT_LE(g.Y + g.Height, 480) << g.Width << "x" << g.Height << " at " << g.X << "," << g.Y;
  DismissBox(box);
  int status = -1;
  ASSERT_TRUE(game.Wait(30, &status));
  EXPECT_EQ(status, 2);
}

// A recording takes any name the system allows, in a folder of any name, and
// the replay tool reads it by that name; a second game asking for a file that
// one records to is refused with its box and status 2, and the file is left
// to the first.
TEST(WineGame, ARecordingTakesAnyNameAndHasOneWriter) {
  REQUIRE_DESKTOP();
  const std::string folder =
      Desktop->Folder() + "/win dir \u00dcn\u00efc\u00f8d\u00e9 \u6e38\u620f";
  const std::string name = "\u0417\u0430\u043f\u0438\u0441\u044c \u5f55\u50cf \u00e9.replay";
  fs::create_directories(folder);
  // The names reach Wine as UTF-8.
  std::map<std::string, std::string> env = Desktop->Env();
  env["LC_ALL"] = "C.UTF-8";
  Child first;
  ASSERT_TRUE(first.Start({Desktop->Loader(), GameExe(), "--record", name}, folder, env, "", ""));
  Picture screen;
  ASSERT_TRUE(WaitForScreen(
      60, [](const Picture& p) { return LitIn(p, kLevelY, kLevelY + 36) > 1000; }, &screen))
      << "no level choice";

  const std::string firstWindow = WaitForWindow();
  Child second;
  ASSERT_TRUE(second.Start({Desktop->Loader(), GameExe(), "--record", name, "--overwrite"}, folder,
                           env, "", ""));
  const std::string box = FindBox("Carpex", firstWindow);
  EXPECT_FALSE(box.empty()) << "no box for the second game";
  if (!box.empty()) DismissBox(box);
  int status = -1;
  ASSERT_TRUE(second.Wait(30, &status)) << "the second game did not end after its box";
  EXPECT_EQ(status, 2);

  // The box took the focus: the first game back, then Escape until it has it.
  Desktop->XDoTool({"windowactivate", firstWindow});
  ASSERT_TRUE(WaitForScreen(
      30, [](const Picture& p) { return LitIn(p, kLevelY, kLevelY + 36) > 1000; }, &screen))
      << "the level choice did not come back";
  bool ended = false;
  for (int i = 0; i < 10 && !ended; ++i) {
    Desktop->XDoTool({"key", "Escape"});
    ended = first.Wait(3, &status);
  }
  ASSERT_TRUE(ended) << "the game did not end after Escape";
  EXPECT_EQ(status, 0);
  // Whole, the first game's alone: it replays to its final line.
  const std::string final = LastLine(ReadFile(folder + "/" + name));
  ASSERT_EQ(final.rfind("# final: n=", 0), 0u) << "the recording ends with: " << final;
  if (ReplayExe().empty()) return;
  const RunResult replay = RunCommand({Desktop->Loader(), ReplayExe(), name}, folder, env, 300);
  ASSERT_TRUE(replay.Finished);
  EXPECT_EQ(replay.Status, 0) << replay.Err;
  EXPECT_EQ("# final: " + LastLine(replay.Out), final);
}

// The system's session ending under a recording game (wineboot --end-session
// sends what Windows sends at a log-off): the recording ends whole, and
// replays to its final line.
TEST(WineGame, ARecordingEndsWholeWhenTheSessionEnds) {
  REQUIRE_DESKTOP();
  Child game;
  ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe(), "--record", "ended.replay"},
                         Desktop->Folder(), Desktop->Env(), "", ""));
  Picture screen;
  ASSERT_TRUE(WaitForScreen(
      60, [](const Picture& p) { return LitIn(p, kLevelY, kLevelY + 36) > 1000; }, &screen))
      << "no level choice";
  Desktop->XDoTool({"key", "9"});
  SleepSeconds(1.5);
  const RunResult ended = RunCommand({Desktop->Loader(), "wineboot", "--end-session"},
                                     Desktop->Folder(), Desktop->Env(), 60);
  EXPECT_TRUE(ended.Finished) << "wineboot --end-session did not finish";
  int status = -1;
  game.Wait(30, &status);
  ExpectReplaysToItsFinalLine("ended.replay");
}

// Waits until the plane (in the rows above every building of level 9) is in
// the middle of the screen, so that a bomb falls onto a building.
bool WaitOverCity(Picture* Screen) {
  return WaitForScreen(
      20,
      [](const Picture& P) {
        const int x = LeftmostLit(P, 0, 48);
        return x > 160 && x < 400;
      },
      Screen);
}

// Starts the game and a round of level 9 and waits until the plane is over
// the city; the picture of the screen then.
Picture StartRound(Child& Game, std::string* Window) {
  Picture screen;
  EXPECT_TRUE(
      Game.Start({Desktop->Loader(), GameExe()}, Desktop->Folder(), Desktop->Env(), "", ""));
  EXPECT_TRUE(WaitForScreen(
      60, [](const Picture& p) { return LitIn(p, kLevelY, kLevelY + 36) > 1000; }, &screen))
      << "no level choice";
  const RunResult found = Desktop->XDoTool({"search", "--name", "^Carpex"});
  *Window = found.Out.substr(0, found.Out.find('\n'));
  Desktop->XDoTool({"key", "9"});
  EXPECT_TRUE(WaitForScreen(
      20, [&](const Picture& p) { return LitIn(p, 464, 480) > 4000 && LitIn(p, 0, 16) > 0; },
      &screen))
      << "no city and plane after the digit 9";
  EXPECT_TRUE(WaitOverCity(&screen)) << "the plane does not fly over the city";
  return screen;
}

TEST(WineGame, BombKeyLetGoWhileAltIsHeldIsLetGoAndAltF4Closes) {
  REQUIRE_DESKTOP();
  Child game;
  std::string window;
  const Picture city = StartRound(game, &window);
  ASSERT_FALSE(window.empty()) << "no window with the caption Carpex";

  // Space goes down, Alt goes down, Space comes up (a system key now), Alt comes up.
  Desktop->XDoTool({"keydown", "space"});
  Desktop->XDoTool({"keydown", "Alt_L"});
  Desktop->XDoTool({"keyup", "space"});
  Desktop->XDoTool({"keyup", "Alt_L"});
  Picture screen;
  ASSERT_TRUE(WaitForScreen(
      15, [&](const Picture& p) { return CellsCleared(city, p) > 0; }, &screen))
      << "no block came down after Space";
  SleepSeconds(2.5);  // the bomb is spent and the demolition runs out
  Picture before;
  ASSERT_TRUE(WaitOverCity(&before));

  // Space was let go, so the next press drops the next bomb.
  Desktop->XDoTool({"key", "space"});
  EXPECT_TRUE(WaitForScreen(
      15, [&](const Picture& p) { return CellsCleared(before, p) > 0; }, &screen))
      << "Space dropped no bomb: its release with Alt held was lost";

  Desktop->XDoTool({"key", "alt+F4"});
  int status = -1;
  ASSERT_TRUE(game.Wait(30, &status)) << "the game did not end after Alt+F4";
  EXPECT_EQ(status, 0);
}

// Without a gamepad (Wine's XInput, loaded from the system's folder, finds
// none) the game starts and says nothing of it; with --click a left click on
// the picture drops the bomb, which the recording holds as the bomb key's.
TEST(WineGame, WithoutAGamepadItStartsAsEverAndAClickDropsTheBomb) {
  REQUIRE_DESKTOP();
  Desktop->ForgetSettings();
  const std::string trace = Desktop->Folder() + "/click.log";
  const std::string recording = "wine-click.replay";
  Child game;
  ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe(), "--click", "--record", recording},
                         Desktop->Folder(), Desktop->Env("-all,+loaddll"), "", trace));
  Picture screen;
  ASSERT_TRUE(WaitForScreen(
      60, [](const Picture& p) { return LitIn(p, kLevelY, kLevelY + 36) > 1000; }, &screen))
      << "no level choice";
  const std::string windows =
      Desktop->XDoTool({"search", "--onlyvisible", "--name", "^Carpex$"}).Out;
  EXPECT_EQ(std::count(windows.begin(), windows.end(), '\n'), 1) << "a box beside the game";
  Desktop->XDoTool({"key", "9"});
  ASSERT_TRUE(WaitOverCity(&screen)) << "the plane does not fly over the city";
  const Picture city = screen;
  Desktop->XDoTool({"mousemove", "320", "240", "mousedown", "1"});
  SleepSeconds(0.3);
  Desktop->XDoTool({"mouseup", "1"});
  EXPECT_TRUE(WaitForScreen(
      15, [&](const Picture& p) { return CellsCleared(city, p) > 0; }, &screen))
      << "no block came down after the click";
  ASSERT_NO_FATAL_FAILURE(LeaveTheGame(game));
  const std::string log = ReadFile(trace);
  EXPECT_NE(log.find("xinput1_4.dll"), std::string::npos) << "XInput was not looked for";
  const std::string recorded = ReadFile(Desktop->Folder() + "/" + recording);
  for (const char* event : {"\ndown 32\n", "\nup 32\n"}) {
    EXPECT_NE(recorded.find(event), std::string::npos) << "no" << event << "in the recording";
  }
  ExpectReplaysToItsFinalLine(recording);
  Desktop->ForgetSettings();
}

// ---- On the desktop as it is: a window, borderless, and Alt+Enter ------------

// The inside of a window on the screen, as the X server has it.
Geometry ClientArea(const std::string& Window) {
  const RunResult r = RunCommand({"xwininfo", "-id", Window}, Desktop->Folder(),
                                 {{"DISPLAY", Desktop->Display()}}, 30);
  Geometry g;
  auto number = [&](const char* Label, int* Value) {
    const size_t at = r.Out.find(Label);
    if (at != std::string::npos) *Value = std::atoi(r.Out.c_str() + at + std::strlen(Label));
  };
  number("Absolute upper-left X:", &g.X);
  number("Absolute upper-left Y:", &g.Y);
  number("Width:", &g.Width);
  number("Height:", &g.Height);
  return g;
}

std::string WaitForWindow() {
  std::string window;
  for (int i = 0; i < 150 && window.empty(); ++i) {
    const RunResult found = Desktop->XDoTool({"search", "--onlyvisible", "--name", "^Carpex"});
    window = found.Out.substr(0, found.Out.find('\n'));
    if (window.empty()) SleepSeconds(0.2);
  }
  return window;
}

// What the native replay tool shows after Script (a shot is added at its end).
Picture NativeShot(const std::string& Script, const std::string& Name) {
  const std::string dir = Desktop->Folder() + "/native-" + Name;
  fs::create_directories(dir);
  {
    std::FILE* f = std::fopen((dir + "/script.replay").c_str(), "wb");
    std::fputs((Script + "shot " + Name + ".ppm\n").c_str(), f);
    std::fclose(f);
  }
  RunCommand({CARPEX_NATIVE_REPLAY, "--shots", ".", "--overwrite", "script.replay"}, dir, {}, 300);
  Picture shot;
  EXPECT_TRUE(ReadPpm(dir + "/" + Name + ".ppm", &shot)) << "no native shot " << Name;
  return shot;
}

// Lit pixels of Screen outside the rectangle (the legend's, around the picture).
long LitOutside(const Picture& Screen, int X, int Y, int Width, int Height) {
  long lit = 0;
  for (int y = 0; y < Screen.Height; ++y) {
    for (int x = 0; x < Screen.Width; ++x) {
      const bool inside = x >= X && y >= Y && x < X + Width && y < Y + Height;
      lit += !inside && Screen.Lit(x, y) ? 1 : 0;
    }
  }
  return lit;
}

// The virtual screen changed for a test, and the first one back after it.
struct ScreenOfItsOwn {
  explicit ScreenOfItsOwn(const std::string& Screen) { Change(Screen); }
  ~ScreenOfItsOwn() {
    Desktop->ForgetSettings();
    Change("640x480x16");
  }
  void Change(const std::string& Screen) {
    std::string error;
    EXPECT_TRUE(Desktop->ChangeScreen(Screen, &error)) << error;
  }
};

// Another program, which takes the keyboard's focus from the game.
struct OtherProgram {
  Child program;
  OtherProgram() {
    program.Start({"xmessage", "-name", "other", "another program"}, Desktop->Folder(),
                  {{"DISPLAY", Desktop->Display()}}, "", "");
    std::string window;
    for (int i = 0; i < 100 && window.empty(); ++i) {
      window = Desktop->XDoTool({"search", "--name", "^other$"}).Out;
      window = window.substr(0, window.find('\n'));
      if (window.empty()) SleepSeconds(0.1);
    }
    Desktop->XDoTool({"windowactivate", "--sync", window});
  }
};

// The script of a recording up to its first line What, and What itself.
std::string RecordingUpTo(const std::string& Recording, const std::string& What) {
  const size_t at = Recording.find("\n" + What + "\n");
  return at == std::string::npos ? "" : Recording.substr(0, at + What.size() + 2);
}

// In a window, with the exact GDI renderer and with Wine's default one: the
// window's inside is the largest whole factor of the picture that fits, and
// shows the replay tool's level screen enlarged, pixel for pixel. During a
// round, switching to another program leaves the window as it is and pauses
// the game, whose picture then is the replay's at that switch; coming back
// resumes it, and the recording replays to its final line.
TEST(WineDesktopWays, AWindowShowsTheReplaysPictureEnlargedAndSwitchingAwayPausesIt) {
  REQUIRE_DESKTOP();
  ScreenOfItsOwn screen("1280x1024x24");
  const Picture level = NativeShot("seed 1\nframes 3\n", "level");
  for (const bool gdi : {true, false}) {
    SCOPED_TRACE(gdi ? "renderer gdi" : "default renderer");
    std::map<std::string, std::string> env = Desktop->Env();
    if (gdi) env["WINE_D3D_CONFIG"] = "renderer=gdi";
    Child game;
    const std::string recording = "window.replay";
    ASSERT_TRUE(
        game.Start({Desktop->Loader(), GameExe(), "--window", "--record", recording, "--overwrite"},
                   Desktop->Folder(), env, "", Desktop->Folder() + "/window.err"));
    const std::string window = WaitForWindow();
    ASSERT_FALSE(window.empty()) << "no window";
    const Geometry inside = ClientArea(window);
    const int k = inside.Width / 640;
    EXPECT_TRUE(k >= 1 && inside.Width == 640 * k && inside.Height == 480 * k)
        << inside.Width << "x" << inside.Height;
    // One more factor and the window with its frame would not fit the screen.
    EXPECT_TRUE(640 * (k + 1) + 2 > 1280 || 480 * (k + 1) + 20 > 1024) << k;
    const Picture want = Enlarge(level, k);
    Picture shown;
    EXPECT_TRUE(WaitForScreen(
        30,
        [&](const Picture& p) {
          shown = Crop(p, inside.X, inside.Y, inside.Width, inside.Height);
          return Compare(want, shown, "replay", "window").Count == 0;
        },
        &shown))
        << Compare(want, shown, "replay", "window").Report;
    if (!gdi) {
      Desktop->XDoTool({"key", "Escape"});
      int status = -1;
      ASSERT_TRUE(game.Wait(30, &status));
      EXPECT_EQ(status, 0);
      continue;
    }

    Desktop->XDoTool({"windowactivate", "--sync", window});
    Desktop->XDoTool({"key", "9"});
    SleepSeconds(2);
    Desktop->XDoTool({"key", "space"});
    SleepSeconds(1.5);
    Picture away, later;
    {
      OtherProgram other;
      SleepSeconds(1);
      ASSERT_TRUE(Desktop->Screenshot(&away));
      SleepSeconds(1);
      ASSERT_TRUE(Desktop->Screenshot(&later));
      const RunResult state = RunCommand({"xprop", "-id", window, "WM_STATE"}, Desktop->Folder(),
                                         {{"DISPLAY", Desktop->Display()}}, 30);
      EXPECT_NE(state.Out.find("Normal"), std::string::npos) << "not left as it was: " << state.Out;
    }
    const Picture paused = Crop(away, inside.X, inside.Y, inside.Width, inside.Height);
    EXPECT_EQ(Compare(paused, Crop(later, inside.X, inside.Y, inside.Width, inside.Height), "away",
                      "a second later")
                  .Report,
              "")
        << "the game did not pause";
    Desktop->XDoTool({"windowactivate", "--sync", window});
    EXPECT_TRUE(WaitForScreen(
        10,
        [&](const Picture& p) {
          return Compare(paused, Crop(p, inside.X, inside.Y, inside.Width, inside.Height), "a", "b")
                     .Count > 0;
        },
        &later))
        << "the game did not resume";
    ASSERT_NO_FATAL_FAILURE(LeaveTheGame(game));

    // The recording: a switch away and back, nothing lost; what the window
    // showed while away is the replay's picture at the switch.
    const std::string recorded = ReadFile(Desktop->Folder() + "/" + recording);
    EXPECT_EQ(recorded.find("\nlose\n"), std::string::npos);
    const std::string upToSwitch = RecordingUpTo(recorded, "deactivate");
    ASSERT_FALSE(upToSwitch.empty()) << "no deactivate in the recording";
    EXPECT_NE(recorded.find("\nrestore\n"), std::string::npos);
    const Picture atSwitch = Enlarge(NativeShot(upToSwitch, "paused"), k);
    EXPECT_EQ(Compare(atSwitch, paused, "replay", "window").Report, "");
    ExpectReplaysToItsFinalLine(recording);
  }
}

// A display that refuses 640 x 480 x 16 (Wine cannot switch this screen's
// mode): the box says so, and the game goes on borderless, the picture at 2x
// centred on black; Alt+Enter back and forth in a round keeps it going (its
// recording replays to its final line). Remembered, the next start is
// borderless at once, here on a 1920 x 1080 screen.
TEST(WineDesktopWays, ARefusedModeGoesOnBorderlessAndAltEnterKeepsTheRoundGoing) {
  REQUIRE_DESKTOP();
  ScreenOfItsOwn screen("1280x1024x24");
  const Picture level = NativeShot("seed 1\nframes 3\n", "level");
  Desktop->ForgetSettings();
  Child game;
  const std::string recording = "borderless.replay";
  ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe(), "--record", recording, "--overwrite"},
                         Desktop->Folder(), Desktop->Env("-all,trace+msgbox"), "",
                         Desktop->Folder() + "/refused.log"));
  const std::string box = FindBox("Form1");
  ASSERT_FALSE(box.empty()) << "no message box";
  EXPECT_NE(ReadFile(Desktop->Folder() + "/refused.log").find("setdisplaymode: "),
            std::string::npos);
  DismissBox(box);
  // The picture at 2x, the legend in the black under it.
  const Picture want = Enlarge(level, 2);
  Picture shown;
  EXPECT_TRUE(ShowsPicture(want, 0, 32, &shown));
  EXPECT_GT(LitOutside(shown, 0, 32, 1280, 960), 500) << "no legend under the picture";

  const std::string window = WaitForWindow();
  Desktop->XDoTool({"windowactivate", "--sync", window});
  Desktop->XDoTool({"key", "9"});
  SleepSeconds(1);
  for (int i = 0; i < 4; ++i) {
    Desktop->XDoTool({"key", "alt+Return"});
    SleepSeconds(0.7);
    const Geometry inside = ClientArea(window);
    EXPECT_EQ(inside.Y == 0, i % 2 == 1) << "Alt+Enter " << i + 1 << ": at " << inside.Y;
    Desktop->XDoTool({"key", "space"});
    SleepSeconds(0.7);
  }
  ASSERT_NO_FATAL_FAILURE(LeaveTheGame(game));
  ExpectReplaysToItsFinalLine(recording);
  EXPECT_NE(Desktop->Settings().find("borderless"), std::string::npos) << Desktop->Settings();

  screen.Change("1920x1080x24");
  Child again;
  ASSERT_TRUE(
      again.Start({Desktop->Loader(), GameExe()}, Desktop->Folder(), Desktop->Env(), "", ""));
  EXPECT_TRUE(ShowsPicture(want, 320, 60, &shown));
  Desktop->XDoTool({"key", "Escape"});
  int status = -1;
  ASSERT_TRUE(again.Wait(30, &status));
  EXPECT_EQ(status, 0);
}

// Around the picture, borderless on a 1280 x 1024 screen and in a window made
// larger on a 1920 x 1080 one, the legend says what applies now, in the
// player's language: other words in a round, and paused (when not a pixel of
// the picture changes); the picture itself is the replay tool's. The window's
// name is the game's, and the language chosen is kept for the next start.
TEST(WineDesktopWays, TheLegendSaysWhatAppliesAroundThePictureAndTheLanguageIsKept) {
  REQUIRE_DESKTOP();
  ScreenOfItsOwn screen("1280x1024x24");
  const Picture english = Enlarge(NativeShot("language en\nseed 1\nframes 3\n", "english"), 2);
  Child game;
  ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe(), "--borderless", "--language", "en"},
                         Desktop->Folder(), Desktop->Env(), "", ""));
  const std::string window = WaitForWindow();
  ASSERT_FALSE(window.empty());
  EXPECT_EQ(Desktop->XDoTool({"getwindowname", window}).Out, "Carpex\n");
  Picture level, round, paused, later;
  EXPECT_TRUE(WaitForScreen(
      30,
      [&](const Picture& p) {
        return Compare(english, Crop(p, 0, 32, 1280, 960), "replay", "screen").Count == 0 &&
               LitOutside(p, 0, 32, 1280, 960) > 500;
      },
      &level))
      << Compare(english, Crop(level, 0, 32, 1280, 960), "replay", "screen").Report;
  Desktop->XDoTool({"windowactivate", "--sync", window});
  // The screen once the legend band under the picture says other words than in Before.
  const auto bandChanged = [](const Picture& Before, Picture* After) {
    const Picture band = Crop(Before, 0, 992, 1280, 32);
    return WaitForScreen(
        10,
        [&](const Picture& Shot) {
          return Compare(band, Crop(Shot, 0, 992, 1280, 32), "a", "b").Count > 0;
        },
        After);
  };
  Desktop->XDoTool({"key", "9"});
  EXPECT_TRUE(bandChanged(level, &round))
      << "the legend says in a round what it said on the level screen";
  Desktop->XDoTool({"key", "p"});
  // Once the legend says so (a loaded machine may take a while), the round is
  // paused: from then on the picture stays as it is.
  EXPECT_TRUE(bandChanged(round, &paused)) << "the legend does not say the round is paused";
  SleepSeconds(1);
  ASSERT_TRUE(Desktop->Screenshot(&later));
  EXPECT_EQ(Compare(Crop(paused, 0, 32, 1280, 960), Crop(later, 0, 32, 1280, 960), "paused",
                    "a second later")
                .Report,
            "")
      << "the paused picture changed";
  Desktop->XDoTool({"key", "p", "Escape", "Escape"});
  int status = -1;
  ASSERT_TRUE(game.Wait(30, &status));
  EXPECT_EQ(status, 0);
  EXPECT_NE(Desktop->Settings().find("Language    REG_SZ    en"), std::string::npos)
      << Desktop->Settings();

  // Without --language the next start is English all the same; in a window
  // with room beside the picture the legend stands there.
  screen.Change("1920x1080x24");
  Child again;
  ASSERT_TRUE(again.Start({Desktop->Loader(), GameExe(), "--window"}, Desktop->Folder(),
                          Desktop->Env(), "", ""));
  const std::string second = WaitForWindow();
  ASSERT_FALSE(second.empty());
  Desktop->XDoTool({"windowsize", second, "1700", "1040"});
  Geometry inside;
  Picture shown;
  EXPECT_TRUE(WaitForScreen(
      30,
      [&](const Picture& p) {
        inside = ClientArea(second);
        const int x = inside.X + (inside.Width - 1280) / 2,
                  y = inside.Y + (inside.Height - 960) / 2;
        return inside.Width >= 1400 &&
               Compare(english, Crop(p, x, y, 1280, 960), "replay", "window").Count == 0 &&
               LitIn(p, inside.Y, inside.Y + inside.Height, x + 1280, inside.X + inside.Width) >
                   500;
      },
      &shown))
      << "the English level screen with its legend beside it in a window of " << inside.Width << "x"
      << inside.Height;
  EXPECT_EQ(Desktop->XDoTool({"getwindowname", second}).Out, "Carpex\n");
  Desktop->XDoTool({"key", "Escape"});
  ASSERT_TRUE(again.Wait(30, &status));
  EXPECT_EQ(status, 0);
}

// Alt+Enter in a round on the exclusive full screen: a window, with the round
// going on where it was; the recording replays to its final line.
TEST(WineGame, AltEnterLeavesTheFullScreenForAWindowAndTheRoundGoesOn) {
  REQUIRE_DESKTOP();
  Desktop->ForgetSettings();
  Child game;
  const std::string recording = "alt-enter.replay";
  ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe(), "--record", recording, "--overwrite"},
                         Desktop->Folder(), Desktop->Env(), "", ""));
  Picture screen;
  ASSERT_TRUE(WaitForScreen(
      60, [](const Picture& p) { return LitIn(p, kLevelY, kLevelY + 36) > 1000; }, &screen))
      << "no level choice";
  const std::string window = WaitForWindow();
  EXPECT_EQ(ClientArea(window).Y, 0);
  Desktop->XDoTool({"key", "9"});
  ASSERT_TRUE(WaitOverCity(&screen)) << "the plane does not fly over the city";
  Desktop->XDoTool({"key", "alt+Return"});
  // A window with its frame: its inside below the title bar, the plane flying on.
  Picture before;
  EXPECT_TRUE(WaitForScreen(
      20,
      [&](const Picture& p) {
        before = p;
        return ClientArea(window).Y > 0;
      },
      &screen))
      << "no window after Alt+Enter";
  const Geometry inside = ClientArea(window);
  EXPECT_EQ(inside.Width, 640);
  EXPECT_TRUE(WaitForScreen(
      10,
      [&](const Picture& p) {
        return LeftmostLit(Crop(p, inside.X, inside.Y, 640, 48), 0, 48) !=
               LeftmostLit(Crop(before, inside.X, inside.Y, 640, 48), 0, 48);
      },
      &screen))
      << "the round does not go on";
  Desktop->XDoTool({"key", "space"});
  SleepSeconds(1);
  ASSERT_NO_FATAL_FAILURE(LeaveTheGame(game));
  ExpectReplaysToItsFinalLine(recording);
  Desktop->ForgetSettings();
}

// ---- Watching a recording -------------------------------------------------

// A recording as the game writes one, made by the native replay tool: a
// round of level 5 with bombs, a switch away and back, and the close; and
// how many frames it runs.
std::string WatchedRecording(int* Frames) {
  std::string script = std::string("# Carpex ") + CARPEX_VERSION +
                       "\nlanguage en\nseed 5\nframes 30\ntick\nchar 53\n";
  for (int i = 0; i < 12; ++i) script += "frames 20\ndown 32\nframes 3\nup 32\nframes 37\ntick\n";
  script += "deactivate\nframes 5\nrestore\nframes 200\nchar 27\nframes 10\nchar 27\n";
  const std::string path = Desktop->Folder() + "/to-watch.replay";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs(script.c_str(), f);
  std::fclose(f);
  const RunResult trace = RunCommand({CARPEX_NATIVE_REPLAY, path}, Desktop->Folder(), {}, 300);
  *Frames = static_cast<int>(CountOf(trace.Out, "\n"));
  return script + "# final: " + LastLine(trace.Out) + "\n";
}

// The recording up to and including its frame Frame.
std::string UpToFrame(const std::string& Recording, int Frame) {
  std::istringstream lines(Recording);
  std::string out;
  int done = 0;
  for (std::string line; std::getline(lines, line) && done < Frame;) {
    int n = 0;
    if (std::sscanf(line.c_str(), "frames %d", &n) == 1 && done + n >= Frame) {
      line = "frames " + std::to_string(Frame - done);
      n = Frame - done;
    }
    done += n;
    out += line + "\n";
  }
  return out;
}

// The frame a watching window's title names ("..., frame N of ...").
int TitleFrame(const std::string& Title) {
  int frame = -1;
  const size_t at = Title.find(", frame ");
  if (at != std::string::npos) std::sscanf(Title.c_str() + at, ", frame %d", &frame);
  return frame;
}

// carpex.exe --watch in a window, on the exact GDI renderer: paused, its
// picture is the native replay tool's shot of the frame its title names;
// Right runs one frame, at 4x the frames go by four at a time; at the end it
// says it replays exactly and exits 0 on Escape. A malformed recording gets
// the replay tool's message in a box and status 2.
TEST(WineDesktopWays, WatchingARecordingShowsTheReplaysFramesAndItsVerdict) {
  REQUIRE_DESKTOP();
  ScreenOfItsOwn screen("1280x1024x24");
  int frames = 0;
  const std::string recording = WatchedRecording(&frames);
  {
    std::FILE* f = std::fopen((Desktop->Folder() + "/watched.replay").c_str(), "wb");
    std::fputs(recording.c_str(), f);
    std::fclose(f);
  }
  std::map<std::string, std::string> env = Desktop->Env();
  env["WINE_D3D_CONFIG"] = "renderer=gdi";
  // The player chose English: the watching's words are English too.
  Desktop->Remember("Language", "en");
  Child game;
  // Given alone, as a recording dropped on carpex.exe comes.
  ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe(), "watched.replay"}, Desktop->Folder(), env,
                         "", Desktop->Folder() + "/watch.err"));
  std::string window;
  for (int i = 0; i < 150 && window.empty(); ++i) {
    const RunResult found =
        Desktop->XDoTool({"search", "--onlyvisible", "--name", "^Carpex: 'watched.replay'"});
    window = found.Out.substr(0, found.Out.find('\n'));
    if (window.empty()) SleepSeconds(0.2);
  }
  ASSERT_FALSE(window.empty()) << "no window watching the recording";
  const auto title = [&] {
    const std::string name = Desktop->XDoTool({"getwindowname", window}).Out;
    return name.substr(0, name.find('\n'));
  };
  const Geometry inside = ClientArea(window);
  const int k = inside.Width / 640;
  const auto showsFrame = [&](int Frame, const std::string& Name) {
    const Picture want = Enlarge(NativeShot(UpToFrame(recording, Frame), Name), k);
    Picture shown;
    ASSERT_TRUE(Desktop->Screenshot(&shown));
    EXPECT_EQ(Compare(want, Crop(shown, inside.X, inside.Y, inside.Width, inside.Height), "replay",
                      "watching")
                  .Report,
              "")
        << "frame " << Frame;
  };
  Desktop->XDoTool({"windowactivate", "--sync", window});
  SleepSeconds(1);
  Desktop->XDoTool({"key", "space"});
  SleepSeconds(0.5);
  const int paused = TitleFrame(title());
  ASSERT_GT(paused, 0) << title();
  EXPECT_NE(title().find(", 1x, paused - "), std::string::npos) << title();
  Picture screenshot;
  Desktop->Screenshot(&screenshot, "watching-paused.ppm");
  showsFrame(paused, "paused");
  Desktop->XDoTool({"key", "Right", "Right", "period"});
  SleepSeconds(0.5);
  EXPECT_EQ(TitleFrame(title()), paused + 3) << title();
  showsFrame(paused + 3, "stepped");
  Desktop->XDoTool({"key", "Up", "Up", "space"});
  SleepSeconds(1);
  Desktop->XDoTool({"key", "space"});
  SleepSeconds(0.5);
  const int fast = TitleFrame(title());
  EXPECT_TRUE(fast > paused + 3 && (fast - paused - 3) % 4 == 0) << paused + 3 << " to " << fast;
  EXPECT_NE(title().find(", 4x, paused"), std::string::npos) << title();
  showsFrame(fast, "fast");
  Desktop->XDoTool({"key", "Up", "Up", "space"});
  for (int i = 0; i < 150 && title().find("replays exactly") == std::string::npos; ++i) {
    SleepSeconds(0.1);
  }
  EXPECT_EQ(title(), "Carpex: 'watched.replay' replays exactly (" + std::to_string(frames) +
                         " frames) - Escape quits");
  showsFrame(frames, "end");
  Desktop->XDoTool({"key", "Escape"});
  int status = -1;
  ASSERT_TRUE(game.Wait(30, &status)) << "the game did not end after Escape";
  EXPECT_EQ(status, 0);

  // Refused as the replay tool refuses it, in a box, before any window.
  {
    std::FILE* f = std::fopen((Desktop->Folder() + "/bad.replay").c_str(), "wb");
    std::fputs("seed 1\nframes 2\nfly 3\n", f);
    std::fclose(f);
  }
  const std::string trace = Desktop->Folder() + "/bad-box.log";
  Child refused;
  ASSERT_TRUE(refused.Start({Desktop->Loader(), GameExe(), "--watch", "bad.replay"},
                            Desktop->Folder(), Desktop->Env("-all,trace+msgbox"), "", trace));
  const std::string box = FindBox("Carpex");
  ASSERT_FALSE(box.empty()) << "no message box";
  DismissBox(box);
  ASSERT_TRUE(refused.Wait(30, &status));
  EXPECT_EQ(status, 2);
  EXPECT_NE(ReadFile(trace).find("'bad.replay':3: unknown command 'fly'"), std::string::npos)
      << ReadFile(trace);
}

// For players who never open a command prompt: the command beside the game
// starts it in a window.
TEST(WineGame, TheWindowCommandBesideTheGameStartsItInAWindow) {
  REQUIRE_DESKTOP();
  const fs::path folder = fs::path(GameExe()).parent_path();
  ASSERT_TRUE(fs::exists(folder / "carpex (window).cmd")) << "no command beside " << GameExe();
  Desktop->ForgetSettings();
  // Opened as a double click opens it (the shell's way, not a command prompt's).
  Child command;
  ASSERT_TRUE(command.Start(
      {Desktop->Loader(), "start", "/unix", fs::absolute(folder / "carpex (window).cmd").string()},
      folder.string(), Desktop->Env(), "", ""));
  const std::string window = WaitForWindow();
  ASSERT_FALSE(window.empty()) << "no game window";
  // Its inside below a title bar: a window, not the full screen.
  EXPECT_GT(ClientArea(window).Y, 0);
  Desktop->XDoTool({"windowactivate", "--sync", window});
  Desktop->XDoTool({"key", "Escape"});
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    SleepSeconds(0.2);
    gone = Desktop->XDoTool({"search", "--onlyvisible", "--name", "^Carpex"}).Out.empty();
  }
  EXPECT_TRUE(gone) << "the game did not end after Escape";
  command.Wait(30, nullptr);
  Desktop->ForgetSettings();
}

// The records kept in %APPDATA%\Carpex: a round left is there after the game
// ends, and the next start's legend (the title, where the window has no
// room for it) tells it.
TEST(WineGame, TheRecordsAreKeptInTheApplicationDataAcrossARestart) {
  REQUIRE_DESKTOP();
  Desktop->ForgetSettings();
  const fs::path users = fs::path(Desktop->Folder()) / "prefix" / "drive_c" / "users";
  auto records = [&] {
    std::error_code error;
    for (const auto& user : fs::directory_iterator(users, error)) {
      const fs::path file = user.path() / "AppData" / "Roaming" / "Carpex" / "records";
      if (fs::exists(file)) return file.string();
    }
    return std::string();
  };
  if (!records().empty()) fs::remove_all(fs::path(records()).parent_path());
  auto title = [](const std::string& Window) {
    return Desktop->XDoTool({"getwindowname", Window}).Out;
  };
  auto waitTitle = [&](const std::string& Window, const std::string& Part) {
    for (int i = 0; i < 100; ++i) {
      if (title(Window).find(Part) != std::string::npos) return true;
      SleepSeconds(0.2);
    }
    return false;
  };
  for (int run = 0; run < 2; ++run) {
    Child game;
    ASSERT_TRUE(game.Start({Desktop->Loader(), GameExe(), "--window", "--language", "en"},
                           Desktop->Folder(), Desktop->Env(), "", ""));
    const std::string window = WaitForWindow();
    ASSERT_FALSE(window.empty());
    Desktop->XDoTool({"windowactivate", "--sync", window});
    if (run == 0) {
      ASSERT_TRUE(waitTitle(window, "Level 0: no record yet")) << title(window);
      Desktop->XDoTool({"key", "0"});
      ASSERT_TRUE(waitTitle(window, "drop the bomb")) << title(window);
      SleepSeconds(0.5);
      Desktop->XDoTool({"key", "Escape"});
      ASSERT_TRUE(waitTitle(window, "0-9: choose a level")) << title(window);
    } else {
      EXPECT_TRUE(waitTitle(window, "Level 0: won 0, lost 0, left 1")) << title(window);
    }
    Desktop->XDoTool({"key", "Escape"});
    int status = -1;
    ASSERT_TRUE(game.Wait(30, &status));
    EXPECT_EQ(status, 0);
    ASSERT_FALSE(records().empty()) << "no records in the application data";
    EXPECT_NE(ReadFile(records()).find("level 0 speed 100 won 0 lost 0 left 1 "), std::string::npos)
        << ReadFile(records());
  }
  Desktop->ForgetSettings();
}

// ---- The replay tool on Wine's DirectDraw against the software display -------

// Every script of this folder and of the replay tool's own tests, by full path.
std::vector<std::string> ReplayScripts() {
  std::vector<std::string> paths;
  for (const char* folder : {CARPEX_REPLAY_SCRIPTS, CARPEX_SHARED_REPLAY_SCRIPTS}) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
      if (entry.path().extension() == ".replay") paths.push_back(entry.path().string());
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// The files a script writes with shot, in order.
std::vector<std::string> ShotFiles(const std::string& Script) {
  std::vector<std::string> files;
  std::istringstream lines(Script);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string command, file;
    if (words >> command >> file && command == "shot") files.push_back(file);
  }
  return files;
}

// The first line where two traces part, for the failure message.
std::string FirstDifference(const std::string& A, const std::string& B) {
  std::istringstream a(A), b(B);
  std::string la, lb;
  for (int n = 1;; ++n) {
    const bool moreA = static_cast<bool>(std::getline(a, la));
    const bool moreB = static_cast<bool>(std::getline(b, lb));
    if (!moreA && !moreB) return "";
    if (!moreA || !moreB || la != lb) {
      return "line " + std::to_string(n) + ":\n  native: " + (moreA ? la : "(end)") +
             "\n  wine:   " + (moreB ? lb : "(end)");
    }
  }
}

class WineReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(WineReplay, SameTraceAndPicturesAsTheSoftwareDisplay) {
  REQUIRE_DESKTOP();
  if (ReplayExe().empty()) GTEST_SKIP() << "no Windows replay tool (CARPEX_WINDOWS_BUILD)";
  const std::string script = GetParam();
  const std::string name = fs::path(script).stem().string();
  const std::string nativeDir = Desktop->Folder() + "/native-" + name;
  const std::string wineDir = Desktop->Folder() + "/wine-" + name;
  fs::create_directories(nativeDir);
  fs::create_directories(wineDir);

  const RunResult native =
      RunCommand({CARPEX_NATIVE_REPLAY, "--shots", ".", script}, nativeDir, {}, 300);
  const RunResult wine = RunCommand({Desktop->Loader(), ReplayExe(), "--shots", ".", script},
                                    wineDir, Desktop->Env(), 600);
  ASSERT_TRUE(native.Finished) << "the native replay did not finish";
  ASSERT_TRUE(wine.Finished) << "the Windows replay did not finish";
  EXPECT_EQ(native.Status, 0) << native.Err;
  EXPECT_EQ(wine.Status, native.Status) << wine.Err;
  EXPECT_EQ(wine.Err, native.Err);
  EXPECT_FALSE(native.Out.empty());
  EXPECT_TRUE(wine.Out == native.Out) << FirstDifference(native.Out, wine.Out);

  for (const std::string& shot : ShotFiles(ReadFile(script))) {
    Picture a, b;
    ASSERT_TRUE(ReadPpm(nativeDir + "/" + shot, &a)) << "native " << shot;
    ASSERT_TRUE(ReadPpm(wineDir + "/" + shot, &b)) << "wine " << shot;
    const PictureDiff diff = Compare(a, b, "soft", "wine");
    EXPECT_EQ(diff.Count, 0) << shot << ": " << diff.Report;
  }
}

// Every message of the Windows replay tool ends in a bare line feed and says
// what the native tool says; a closed output is said too.
TEST(WineReplayTool, MessagesAreTheNativeToolsLineForLine) {
  REQUIRE_DESKTOP();
  const std::string dir = Desktop->Folder() + "/messages";
  fs::create_directories(dir);
  {
    std::FILE* f = std::fopen((dir + "/bad.replay").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("frames 1\nframes 0\n", f);
    std::fclose(f);
  }
  const std::vector<std::vector<std::string>> cases = {
      {}, {"missing.replay"}, {"bad.replay"}, {"--shots", "no-such-folder", "bad.replay"}};
  for (const std::vector<std::string>& args : cases) {
    std::vector<std::string> native = {CARPEX_NATIVE_REPLAY},
                             wine = {Desktop->Loader(), ReplayExe()};
    native.insert(native.end(), args.begin(), args.end());
    wine.insert(wine.end(), args.begin(), args.end());
    const RunResult a = RunCommand(native, dir, {}, 60);
    const RunResult b = RunCommand(wine, dir, Desktop->Env(), 120);
    const std::string what = args.empty() ? "no arguments" : args.back();
    ASSERT_TRUE(b.Finished) << what;
    EXPECT_EQ(b.Status, a.Status) << what;
    EXPECT_EQ(b.Err, a.Err) << what;
    EXPECT_EQ(b.Err.find('\r'), std::string::npos) << what;
  }
  const RunResult closed =
      RunCommand({"sh", "-c", "cat \"$1\" | \"$2\" \"$3\" - >&-", "-",
                  std::string(CARPEX_SHARED_REPLAY_SCRIPTS) + "/escape_and_new_round.replay",
                  Desktop->Loader(), ReplayExe()},
                 dir, Desktop->Env(), 300);
  ASSERT_TRUE(closed.Finished);
  EXPECT_EQ(closed.Status, 1) << closed.Err;
  EXPECT_NE(closed.Err.find("'-': cannot write the trace\n"), std::string::npos) << closed.Err;
}

INSTANTIATE_TEST_SUITE_P(Scripts, WineReplay, ::testing::ValuesIn(ReplayScripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = fs::path(info.param).stem().string();
                           for (char& c : name) {
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace carpex::winetest

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // What this machine cannot run is skipped as a whole (ctest's 77), with the
  // reason; a program that Wine then fails to run is a failure.
  using carpex::winetest::GameExe;
  const std::string why =
      GameExe().empty() ? "no Windows program named (CARPEX_WINDOWS_BUILD, CARPEX_WINDOWS_GAME)"
                        : carpex::winetest::WhyWineCannotRun(GameExe());
  if (!why.empty()) {
    std::printf("skipped: %s\n", why.c_str());
    return 77;
  }
  carpex::winetest::Environment = new carpex::winetest::DesktopEnvironment;
  ::testing::AddGlobalTestEnvironment(carpex::winetest::Environment);
  return RUN_ALL_TESTS();
}
