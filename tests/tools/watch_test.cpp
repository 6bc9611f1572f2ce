// Watching a recording in the game: the player's keys steer it and never
// reach the game; it runs frame for frame what the replay tool runs, paused,
// a frame at a time, slower and faster, again from the start; at its end it
// says whether the game reached the recording's final line, and its status
// says so too.
#include "tools/watch.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "graphics/soft/control.h"
#include "shell/form_event.h"
#include "tools/replay.h"
#include "world/keys.h"

namespace carpex {
namespace {

// The platform under the watcher: a window that notes what is asked of it, and
// a message loop that is the test's list of steps.
class LoopApp final : public Application {
 public:
  void* WindowHandle() override { return &token_; }
  void Minimize() override { ++Minimized; }
  void Maximize() override {}
  void Hide() override { Hidden = true; }
  void Terminate() override { Terminated = true; }
  void Sleep(uint32_t) override { ++Sleeps; }
  void WriteText(int32_t, int32_t, const char*) override {}
  void ShowMessageBox(const char* Text, const char*, uint32_t) override { Boxes += Text; }
  void Run(FormHandlers& Form) override { Loop(Form); }
  uint32_t ClockSeed() override { return 7; }

  std::function<void(FormHandlers&)> Loop;
  int Minimized = 0;
  bool Hidden = false;
  bool Terminated = false;
  int Sleeps = 0;
  std::string Boxes;

 private:
  int token_ = 0;
};

void Idle(FormHandlers& Form, int Count = 1) {
  for (int i = 0; i < Count; ++i) {
    bool done = false;
    Form.GameLoop(done);
  }
}

void Press(FormHandlers& Form, uint16_t Key) {
  Form.Handle({FormEvent::KeyDown, Key});
  Form.Handle({FormEvent::KeyUp, Key});
}

// A round of level 3 with a bomb, recorded as the game writes it, ending with
// the replay tool's last trace line.
std::string Recording(const std::string& Version = GameVersion()) {
  const std::string script =
      "# Carpex " + Version +
      "\nlanguage en\nseed 12\nframes 2\nchar 51\nframes 40\ndown 32\nframes 2\nup 32\ntick\n"
      "frames 30\nchar 27\nframes 3\nchar 27\n";
  std::ostringstream out, err;
  EXPECT_EQ(RunReplay(script, "r", out, err, MakeReplayPlatform), kReplayRan) << err.str();
  const std::string trace = out.str();
  const size_t last = trace.rfind('\n', trace.size() - 2);
  return script + "# final: " + trace.substr(last + 1);
}

struct Watched {
  int Status;
  std::string Description;
};

// Watches Text, the loop's steps given the watcher and what it shows.
Watched Watch(const std::string& Text, LoopApp& App,
              const std::function<void(FormHandlers&, const Watcher&)>& Steps,
              Language In = Language::English) {
  soft::Reset();
  TextSource source(Text);
  ScriptSummary summary;
  std::string error;
  EXPECT_TRUE(CheckScript(source, "rec.replay", &summary, &error)) << error;
  std::string shown;
  int status = 0;
  {
    Watcher watcher(App, source, "/home/player/rec.replay", summary, In,
                    [&](const Watcher& W) { shown = W.Description(); });
    App.Loop = [&](FormHandlers& Form) { Steps(Form, watcher); };
    status = watcher.Watch();
  }
  soft::Reset();
  return {status, shown};
}

TEST(Watcher, PausesStepsChangesSpeedStartsAgainAndEndsOnTheFinalLine) {
  LoopApp app;
  const Watched watched = Watch(Recording(), app, [&](FormHandlers& Form, const Watcher& W) {
    Idle(Form, 5);
    EXPECT_EQ(W.Description(), "'rec.replay', frame 5 of 77, 1x");
    // The player's keys steer the watching: none reaches the game.
    Press(Form, kVkSpace);
    Form.Handle({FormEvent::Char, '7'});
    Idle(Form, 3);
    EXPECT_EQ(W.Description(), "'rec.replay', frame 5 of 77, 1x, paused");
    Press(Form, kVkRight);
    Form.Handle({FormEvent::Char, '.'});
    Idle(Form, 3);
    Press(Form, kVkRight);
    Idle(Form);
    EXPECT_EQ(W.Description(), "'rec.replay', frame 8 of 77, 1x, paused");
    // Four frames an idle call at 4x, the three unseen without their sleep;
    // one each second call at 1/2x, the other one sleeping.
    Press(Form, kVkUp);
    Press(Form, kVkUp);
    Press(Form, kVkSpace);
    app.Sleeps = 0;
    Idle(Form, 2);
    EXPECT_EQ(app.Sleeps, 2);
    EXPECT_EQ(W.Description(), "'rec.replay', frame 16 of 77, 4x");
    for (int i = 0; i < 3; ++i) Press(Form, kVkDown);
    Idle(Form, 4);
    EXPECT_EQ(W.Description(), "'rec.replay', frame 18 of 77, 1/2x");
    for (int i = 0; i < 5; ++i) Press(Form, kVkDown);
    Idle(Form, 8);
    EXPECT_EQ(W.Description(), "'rec.replay', frame 20 of 77, 1/4x");
    // Away, the watching waits; the window goes where the game's would.
    Form.Handle({FormEvent::Deactivate, 0});
    Idle(Form, 8);
    EXPECT_EQ(app.Minimized, 1);
    Form.Handle({FormEvent::Restore, 0});
    Press(Form, kVkHome);
    Press(Form, kVkUp);
    Press(Form, kVkUp);
    Idle(Form, 3);
    EXPECT_EQ(W.Description(), "'rec.replay', frame 3 of 77, 1x");
    // To the end: the recorded game closes, and the window stays.
    Idle(Form, 100);
    EXPECT_EQ(W.Now(), Watcher::Phase::Ended);
    EXPECT_FALSE(app.Hidden);
    EXPECT_FALSE(app.Terminated);
    Form.Handle({FormEvent::KeyDown, kVkEscape});
    Form.Handle({FormEvent::Char, 27});
  });
  EXPECT_EQ(watched.Description, "'rec.replay' replays exactly (77 frames)");
  EXPECT_EQ(watched.Status, kReplayRan);
  EXPECT_TRUE(app.Hidden && app.Terminated);
}

// Escape stops; a held Escape's repeats do not quit what it stopped; the
// next Escape quits. Stopped before its end, it was not seen to replay.
TEST(Watcher, EscapeStopsAndTheNextEscapeQuits) {
  LoopApp app;
  const Watched watched = Watch(Recording(), app, [&](FormHandlers& Form, const Watcher& W) {
    Idle(Form, 10);
    Form.Handle({FormEvent::KeyDown, kVkEscape});
    Form.Handle({FormEvent::Char, 27});
    Form.Handle({FormEvent::KeyDown, kVkEscape});
    Form.Handle({FormEvent::Char, 27});
    EXPECT_FALSE(app.Terminated);
    EXPECT_EQ(W.Keys(), "Escape quits");
    Form.Handle({FormEvent::KeyUp, kVkEscape});
    Form.Handle({FormEvent::Char, 27});
  });
  EXPECT_EQ(watched.Description, "'rec.replay' stopped at frame 10 of 77");
  EXPECT_EQ(watched.Status, kWatchNotExact);
  EXPECT_TRUE(app.Terminated);
}

// Thousands of rounds started and left between two frames, more than a game
// ever hands its form: an idle call does a slice of them and no frame, and
// Escape is heard before the rest.
TEST(Watcher, WorkBetweenTwoFramesIsSlicedAcrossIdleCalls) {
  std::string recording = "# Carpex " + std::string(GameVersion()) + "\nseed 1\n";
  for (int i = 0; i < 5000; ++i) recording += "char 57\nchar 27\n";
  recording += "frames 1\n";
  LoopApp app;
  const Watched watched = Watch(recording, app, [](FormHandlers& Form, const Watcher&) {
    Idle(Form);
    Form.Handle({FormEvent::Char, 27});
  });
  EXPECT_EQ(watched.Description, "'rec.replay' stopped at frame 0 of 1");
}

// Where the game parts from the recording's final line, from another
// version; a recording whose Random values run out says so as the replay
// tool does, in a box.
TEST(Watcher, ADifferenceAnotherVersionAndARefusalAreSaid) {
  std::string recording = Recording("0.9.0");
  const size_t fc = recording.rfind(" fc=");
  recording.replace(fc, 5, " fc=9");
  LoopApp app;
  Watched watched = Watch(recording, app, [](FormHandlers& Form, const Watcher&) {
    Idle(Form, 100);
    Form.Handle({FormEvent::Char, 27});
  });
  EXPECT_EQ(watched.Status, kWatchNotExact);
  EXPECT_EQ(watched.Description.rfind(
                "'rec.replay' differs from its final line after 77 frames: fc: '", 0),
            0u)
      << watched.Description;
  EXPECT_NE(watched.Description.find("' in the recording (recorded by Carpex 0.9.0)"),
            std::string::npos)
      << watched.Description;

  LoopApp refusing;
  watched =
      Watch("random 1\nchar 48\nframes 2\n", refusing, [](FormHandlers& Form, const Watcher&) {
        Idle(Form, 3);
        Form.Handle({FormEvent::Char, 27});
      });
  EXPECT_EQ(watched.Status, kReplayRefused);
  EXPECT_EQ(watched.Description,
            "'/home/player/rec.replay':2: Random(24) asked for a value but the queue is empty");
  EXPECT_EQ(refusing.Boxes, watched.Description);
}

// What the watching says is in the player's language, the title too.
TEST(Watcher, SaysItInThePlayersLanguage) {
  LoopApp app;
  const Watched watched = Watch(
      Recording("0.9.0"), app,
      [](FormHandlers& Form, const Watcher& W) {
        Idle(Form, 5);
        EXPECT_EQ(W.Description(), "“rec.replay”，第 5 帧，共 77 帧，1x（由 Carpex 0.9.0 录制）");
        EXPECT_EQ(W.Keys(), "空格暂停");
        Form.Handle({FormEvent::Char, 27});
        EXPECT_EQ(W.Title(),
                  "Carpex：“rec.replay”停在第 5 帧，共 77 帧（由 Carpex 0.9.0 录制） - Esc 退出");
        Form.Handle({FormEvent::Char, 27});
      },
      Language::Chinese);
  EXPECT_EQ(watched.Status, kWatchNotExact);
}

TEST(Watcher, ANameIsShownWithoutItsFolderAndWithoutControlCharacters) {
  EXPECT_EQ(ShownName("C:\\games\\bug.replay"), "bug.replay");
  EXPECT_EQ(ShownName("/tmp/\x1b]0;x\x07 \xe5\xbd\x95\xe5\x83\x8f\xff.replay"),
            "?]0;x? \xe5\xbd\x95\xe5\x83\x8f?.replay");
  EXPECT_EQ(ShownName(std::string(100, 'a')), std::string(60, 'a') + "...");
}

}  // namespace
}  // namespace carpex
