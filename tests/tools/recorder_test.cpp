// The recorder: a session of the game written as a replay script, every event
// and run of frames in order and a loss where a frame met one, that the
// replay tool repeats to the recording's final line.
#include "tools/recorder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "graphics/soft/control.h"
#include "shell/carpex.h"
#include "shell/form_event.h"
#include "tests/support/scripted_app.h"
#include "tools/replay.h"
#include "tools/script.h"

namespace carpex {
namespace {

// The platform under the recorder, with the clock seed recordings begin with.
class ScriptedApp final : public testsupport::ScriptedApp {
 public:
  ScriptedApp() : testsupport::ScriptedApp(20240607) {}
};

void Frames(FormHandlers& Form, int Count) {
  for (int i = 0; i < Count; ++i) {
    bool done = true;
    Form.GameLoop(done);
  }
}

// The session recorded over App, as the file holds it.
std::string Recording(ScriptedApp& App) {
  // A file of each test's own: ctest runs them side by side.
  const std::string path = ::testing::TempDir() +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                           ".replay";
  std::FILE* file = std::fopen(path.c_str(), "w+b");
  EXPECT_NE(file, nullptr) << path;
  if (file == nullptr) return "";
  Recorder recorder(App, file);
  EXPECT_EQ(Carpex(recorder, [&](GameSession& Session) { recorder.Record(Session); }), 0);
  EXPECT_TRUE(recorder.Finish());
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  std::remove(path.c_str());
  return text.str();
}

// The last trace line of the recording's replay.
std::string ReplayedLastLine(const std::string& Recording) {
  std::ostringstream out, err;
  EXPECT_EQ(RunReplay(Recording, "rec", out, err, MakeReplayPlatform), kReplayRan) << err.str();
  std::string last;
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) last = line;
  return last;
}

// The recording ends with a final line, and that is the last line its replay
// writes.
::testing::AssertionResult EndsWithItsReplayedFinalLine(const std::string& Recording) {
  const size_t final = Recording.find("# final: ");
  if (final == std::string::npos) return ::testing::AssertionFailure() << "no final line";
  const std::string expected = "# final: " + ReplayedLastLine(Recording) + "\n";
  if (Recording.substr(final) == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Recording.substr(final) << "instead of " << expected;
}

TEST(Recorder, WritesTheSessionAsAScriptThatRepeatsItToItsFinalLine) {
  soft::Reset();
  ScriptedApp app;
  app.Loop = [](FormHandlers& Form) {
    Frames(Form, 2);
    Form.Handle({FormEvent::Char, '3'});
    Frames(Form, 30);
    Form.Handle({FormEvent::KeyDown, 32});
    Frames(Form, 1);
    Form.Handle({FormEvent::KeyUp, 32});
    Form.Handle({FormEvent::Tick, 0});
    soft::LoseAllSurfaces();
    Frames(Form, 40);
    Form.Handle({FormEvent::Deactivate, 0});
    Frames(Form, 2);
    Form.Handle({FormEvent::Restore, 0});
    Frames(Form, 1);
  };
  const std::string recording = Recording(app);
  const size_t final = recording.find("# final: ");
  ASSERT_NE(final, std::string::npos) << recording;
  EXPECT_EQ(recording.substr(0, final),
            std::string("# Carpex ") + GameVersion() +
                "\nlanguage zh\nseed 20240607\nframes 2\nchar 51\nframes 30\ndown 32\nframes 1\nup "
                "32\ntick\n"
                "lose\nframes 40\ndeactivate\nframes 2\nrestore\nframes 1\n");

  const std::string last = ReplayedLastLine(recording);
  EXPECT_EQ("# final: " + last + "\n", recording.substr(final));
  EXPECT_NE(last.find(" gs=2 level=3 "), std::string::npos) << last;
  soft::Reset();
}

// The program ending in the middle of a frame (its X server gone, the
// system's session ending): the recording ends with the last whole frame,
// which its replay ends on, and nothing that follows is written.
TEST(Recorder, AProgramEndingInTheMiddleOfAFrameEndsItWithTheLastWholeFrame) {
  soft::Reset();
  ScriptedApp app;
  app.Loop = [&](FormHandlers& Form) {
    Form.Handle({FormEvent::Char, '3'});
    Frames(Form, 30);
    app.OnSleep = [&] { Form.ProgramEnding(); };
    Frames(Form, 1);
    app.OnSleep = nullptr;
    Form.Handle({FormEvent::Char, 27});
    Frames(Form, 5);
  };
  const std::string recording = Recording(app);
  const size_t final = recording.find("# final: ");
  ASSERT_NE(final, std::string::npos) << recording;
  EXPECT_EQ(recording.substr(0, final), std::string("# Carpex ") + GameVersion() +
                                            "\nlanguage zh\nseed 20240607\nchar 51\nframes 30\n");
  const std::string last = ReplayedLastLine(recording);
  EXPECT_EQ("# final: " + last + "\n", recording.substr(final));
  EXPECT_EQ(last.rfind("n=30 gs=2 ", 0), 0u) << last;
  soft::Reset();
}

// A disk that fills while the game records (here the file size limit, as a
// full disk would): the file keeps the whole lines written before, which
// replay to the last frame they hold, and the recorder says how many.
TEST(Recorder, AFullDiskLeavesWholeLinesThatReplayToTheirLastFrame) {
  soft::Reset();
  ScriptedApp app;
  app.Loop = [](FormHandlers& Form) {
    Form.Handle({FormEvent::Char, '3'});
    for (int second = 0; second < 100; ++second) {
      Frames(Form, 20);
      Form.Handle({FormEvent::KeyDown, 32});
      Frames(Form, 3);
      Form.Handle({FormEvent::KeyUp, 32});
      Frames(Form, 37);
      Form.Handle({FormEvent::Tick, 0});
    }
  };
  const std::string path = ::testing::TempDir() + "full-disk.replay";
  std::FILE* file = std::fopen(path.c_str(), "w+b");
  ASSERT_NE(file, nullptr);
  constexpr rlim_t kRoom = 3000;
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit full = before;
  full.rlim_cur = kRoom;
  const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
  uint64_t kept = 0;
  int why = 0;
  bool written = true;
  {
    Recorder recorder(app, file);
    Carpex(recorder, [&](GameSession& Session) { recorder.Record(Session); });
    written = recorder.Finish();
    kept = recorder.FramesKept();
    why = recorder.WriteError();
  }
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, ignored);
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  std::remove(path.c_str());
  const std::string recording = text.str();

  EXPECT_FALSE(written);
  EXPECT_EQ(why, EFBIG);
  EXPECT_GT(recording.size(), kRoom - 100);
  ASSERT_LE(recording.size(), kRoom);
  EXPECT_EQ(recording.back(), '\n');
  EXPECT_GT(kept, 0u);
  TextSource source(recording);
  ScriptSummary summary;
  std::string error;
  EXPECT_TRUE(CheckScript(source, "rec", &summary, &error)) << error;
  EXPECT_EQ(summary.Cut, "");
  EXPECT_EQ(summary.Frames, kept);
  soft::Reset();
}

// The page's recording, in memory: the whole of it and its last round alone
// each replay to their own final lines, whatever the rounds before left
// behind (a bomb's place, a banner, the frame rate shown); a round that has
// not run a frame leaves the last one as it was. Past its limit the
// recording ends with the last whole frame.
TEST(Recorder, KeptInMemoryTheRecordingAndItsLastRoundEachReplayToTheirFinalLine) {
  soft::Reset();
  ScriptedApp app;
  Recorder recorder(app, 1 << 20, Language::English);
  GameSession* session = nullptr;
  std::string round, roundAfterEscape, roundOfNoFrames, whole;
  const auto playUntil = [&](FormHandlers& Form, TGameState State) {
    for (int i = 0; i < 20000 && session->View().W.GameState != State; ++i) {
      if (i % 60 == 59) Form.Handle({FormEvent::Tick, 0});
      Frames(Form, 1);
    }
  };
  app.Loop = [&](FormHandlers& Form) {
    Form.Handle({FormEvent::Char, 'f'});
    Frames(Form, 70);
    Form.Handle({FormEvent::Tick, 0});
    Form.Handle({FormEvent::Char, '9'});
    Frames(Form, 200);
    Form.Handle({FormEvent::KeyDown, 32});
    Frames(Form, 3);
    Form.Handle({FormEvent::KeyUp, 32});
    playUntil(Form, kRoundOver);
    Frames(Form, 20);
    Form.Handle({FormEvent::Char, 27});
    Form.Handle({FormEvent::Language, 0});
    Form.Handle({FormEvent::Speed, 50});
    Form.Handle({FormEvent::Speed, 50});
    Frames(Form, 5);
    Form.Handle({FormEvent::Char, '0'});
    Frames(Form, 90);
    Form.Handle({FormEvent::Tick, 0});
    Frames(Form, 7);
    round = recorder.LastRound();
    Form.Handle({FormEvent::Char, 27});
    roundAfterEscape = recorder.LastRound();
    Form.Handle({FormEvent::Char, '4'});
    roundOfNoFrames = recorder.LastRound();
    Frames(Form, 3);
    whole = recorder.Recording();
  };
  EXPECT_EQ(Carpex(
                recorder,
                [&](GameSession& Session) {
                  session = &Session;
                  recorder.Record(Session);
                },
                Language::English),
            0);
  EXPECT_FALSE(recorder.Full());
  EXPECT_EQ(round, roundAfterEscape);
  EXPECT_EQ(round, roundOfNoFrames);
  // Each says the speed it was played at: the round from its start, the
  // recording where the player changed it.
  EXPECT_EQ(round.rfind(
                std::string("# Carpex ") + GameVersion() + "\n# speed 50\nlanguage zh\nrandom ", 0),
            0u)
      << round;
  EXPECT_NE(whole.find("\nlanguage zh\n# speed 50\nframes 5\n"), std::string::npos) << whole;
  for (const std::string& script : {round, whole}) {
    EXPECT_TRUE(EndsWithItsReplayedFinalLine(script)) << script;
  }
  // The round began with the frame rate shown and the first round's bomb and
  // banner where they were: it says so before its digit.
  const size_t state = round.find("\nstate active=1 ");
  ASSERT_NE(state, std::string::npos) << round;
  const std::string carried = round.substr(state, round.find('\n', state + 1) - state);
  EXPECT_NE(carried.find(" shown=1 bomb="), std::string::npos) << carried;
  EXPECT_EQ(carried.find(" bomb=0,0,0,0 banner=0,0 "), std::string::npos) << carried;
  EXPECT_EQ(whole.find(" bomb=0,0,0,0,"), std::string::npos) << whole;

  soft::Reset();
  ScriptedApp small;
  Recorder bounded(small, 12000, Language::English);
  small.Loop = [](FormHandlers& Form) {
    for (int i = 0; i < 2000; ++i) {
      Form.Handle({FormEvent::Tick, 0});
      Frames(Form, 2);
    }
  };
  Carpex(bounded, [&](GameSession& Session) { bounded.Record(Session); });
  const std::string kept = bounded.Recording();
  EXPECT_TRUE(bounded.Full());
  EXPECT_LE(kept.size(), 12000u);
  EXPECT_TRUE(EndsWithItsReplayedFinalLine(kept)) << kept;
  soft::Reset();
}

}  // namespace
}  // namespace carpex

namespace carpex {
namespace {

// Kept for its rounds alone, a recording of a long game holds a round's
// worth, and its last round still replays to its own final line.
TEST(Recorder, KeptForItsRoundsAloneItHoldsARoundsWorth) {
  soft::Reset();
  ScriptedApp app;
  Recorder recorder(app, Recorder::RoundsOnly{}, 1 << 20, Language::English);
  size_t most = 0;
  app.Loop = [&](FormHandlers& Form) {
    for (int round = 0; round < 40; ++round) {
      Form.Handle({FormEvent::Char, static_cast<uint16_t>('0' + round % 10)});
      for (int i = 0; i < 120; ++i) {
        if (i % 60 == 59) Form.Handle({FormEvent::Tick, 0});
        Frames(Form, 1);
      }
      Form.Handle({FormEvent::Char, 27});
      most = std::max(most, recorder.Recording().size());
    }
  };
  Carpex(recorder, [&](GameSession& Session) { recorder.Record(Session); });
  EXPECT_LT(most, 2000u) << "the rounds before the last were kept";
  const std::string round = recorder.LastRound();
  EXPECT_TRUE(EndsWithItsReplayedFinalLine(round)) << round;
  soft::Reset();
}

}  // namespace
}  // namespace carpex

namespace carpex {
namespace {

// Today's city taken up in the middle of a game (the page's button) is in the
// recording before the round that first draws it, which replays exactly.
TEST(Recorder, TodaysCityTakenUpBetweenFramesIsWrittenWhereItWasTaken) {
  soft::Reset();
  ScriptedApp app;
  Recorder recorder(app, 1 << 20, Language::English);
  GameSession* session = nullptr;
  std::string whole;
  app.Loop = [&](FormHandlers& Form) {
    Frames(Form, 5);
    session->UseDailyCity(20261210);
    Form.Handle({FormEvent::Char, '3'});
    Frames(Form, 100);
    whole = recorder.Recording();
  };
  Carpex(recorder, [&](GameSession& Session) {
    session = &Session;
    recorder.Record(Session);
  });
  EXPECT_NE(whole.find("\nframes 5\ndaily 20261210\nchar 51\n"), std::string::npos) << whole;
  EXPECT_TRUE(EndsWithItsReplayedFinalLine(whole)) << whole;
  soft::Reset();
}

}  // namespace
}  // namespace carpex
