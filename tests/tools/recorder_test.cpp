// The recorder: a session of the game written as a replay script, every event
// and run of frames in order and a loss where a frame met one, that the
// replay tool repeats to the recording's final line.
#include "tools/recorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "graphics/soft/control.h"
#include "shell/carpex.h"
#include "shell/form_event.h"
#include "tools/replay.h"
#include "tools/script.h"

namespace carpex {
namespace {

// The platform under the recorder: a window that does nothing, a fixed clock
// seed, and a message loop that is the test's list of steps.
class ScriptedApp final : public Application {
 public:
  void* WindowHandle() override { return &token_; }
  void Minimize() override {}
  void Maximize() override {}
  void Hide() override {}
  void Terminate() override {}
  void Sleep(uint32_t) override {
    if (OnSleep) OnSleep();
  }
  void WriteText(int32_t, int32_t, const char*) override {}
  void ShowMessageBox(const char*, const char*, uint32_t) override {}
  void Run(FormHandlers& Form) override { Loop(Form); }
  uint32_t ClockSeed() override { return 20240607; }

  std::function<void(FormHandlers&)> Loop;
  // The frame's sleep at its start: inside the frame.
  std::function<void()> OnSleep;

 private:
  int token_ = 0;
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

TEST(Recorder, WritesTheSessionAsAScriptThatRepeatsItToItsFinalLine) {
  soft::Reset();
  ScriptedApp app;
  app.Loop = [](FormHandlers& Form) {
    Frames(Form, 2);
    Deliver(Form, {FormEvent::Char, '3'});
    Frames(Form, 30);
    Deliver(Form, {FormEvent::KeyDown, 32});
    Frames(Form, 1);
    Deliver(Form, {FormEvent::KeyUp, 32});
    Deliver(Form, {FormEvent::Tick, 0});
    soft::LoseAllSurfaces();
    Frames(Form, 40);
    Deliver(Form, {FormEvent::Deactivate, 0});
    Frames(Form, 2);
    Deliver(Form, {FormEvent::Restore, 0});
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
    Deliver(Form, {FormEvent::Char, '3'});
    Frames(Form, 30);
    app.OnSleep = [&] { Form.ProgramEnding(); };
    Frames(Form, 1);
    app.OnSleep = nullptr;
    Deliver(Form, {FormEvent::Char, 27});
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
      if (i % 60 == 59) Deliver(Form, {FormEvent::Tick, 0});
      Frames(Form, 1);
    }
  };
  app.Loop = [&](FormHandlers& Form) {
    Deliver(Form, {FormEvent::Char, 'f'});
    Frames(Form, 70);
    Deliver(Form, {FormEvent::Tick, 0});
    Deliver(Form, {FormEvent::Char, '9'});
    Frames(Form, 200);
    Deliver(Form, {FormEvent::KeyDown, 32});
    Frames(Form, 3);
    Deliver(Form, {FormEvent::KeyUp, 32});
    playUntil(Form, kRoundOver);
    Frames(Form, 20);
    Deliver(Form, {FormEvent::Char, 27});
    recorder.UsePictures(Language::Chinese);
    Frames(Form, 5);
    Deliver(Form, {FormEvent::Char, '0'});
    Frames(Form, 90);
    Deliver(Form, {FormEvent::Tick, 0});
    Frames(Form, 7);
    round = recorder.LastRound();
    Deliver(Form, {FormEvent::Char, 27});
    roundAfterEscape = recorder.LastRound();
    Deliver(Form, {FormEvent::Char, '4'});
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
  EXPECT_EQ(round, roundAfterEscape);
  EXPECT_EQ(round, roundOfNoFrames);
  EXPECT_EQ(round.rfind(std::string("# Carpex ") + GameVersion() + "\nlanguage zh\nrandom ", 0), 0u)
      << round;
  for (const std::string& script : {round, whole}) {
    const size_t final = script.find("# final: ");
    ASSERT_NE(final, std::string::npos) << script;
    EXPECT_EQ("# final: " + ReplayedLastLine(script) + "\n", script.substr(final));
  }
  // The round began with the frame rate shown, and left the first round's bomb behind.
  EXPECT_NE(round.find("\nchar 102\n"), std::string::npos) << round;
  EXPECT_NE(round.find(" bomb=0,0,0,0,0,0 banner=0,0,0 "), std::string::npos) << round;
  EXPECT_EQ(whole.find(" bomb=0,0,0,0,"), std::string::npos) << whole;

  soft::Reset();
  ScriptedApp small;
  Recorder bounded(small, 12000, Language::English);
  small.Loop = [](FormHandlers& Form) {
    for (int i = 0; i < 2000; ++i) {
      Deliver(Form, {FormEvent::Tick, 0});
      Frames(Form, 2);
    }
  };
  Carpex(bounded, [&](GameSession& Session) { bounded.Record(Session); });
  const std::string kept = bounded.Recording();
  EXPECT_TRUE(bounded.Ended());
  EXPECT_LE(kept.size(), 12000u);
  const size_t final = kept.find("# final: ");
  ASSERT_NE(final, std::string::npos);
  EXPECT_EQ("# final: " + ReplayedLastLine(kept) + "\n", kept.substr(final));
  soft::Reset();
}

}  // namespace
}  // namespace carpex
