// Watching a recording in the game's own window: the replay tool's runner,
// stepped from the platform's message loop instead of the form's frames, at
// the recorded pace or faster or slower. The player's keys, gamepad and
// focus changes steer the watching and never reach the game:
//
//   Space pauses and plays, Right or '.' runs one frame while paused, Up and
//   Down double and halve the speed (1/4x to 16x; above 1x the frames between
//   two shown are run unseen), Home starts again, Escape stops, and Escape on
//   nothing left to watch quits.
//
// The speed is that of the pace the recording was played at (its "# speed"
// comments): 2x of a game played at 50 % runs as fast as the game at 100 %.
//
// At the end the last picture stays, and the state says whether the game
// reached the recording's final line exactly, or where it first differed.
// The watcher is the game's application layer over the platform's (the
// recorded game's own switches away and its close are its, not the
// window's), and the platform's form (its loop hands the watcher its events
// and idle calls).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "assets/texts.h"
#include "tools/app_layer.h"
#include "tools/replay.h"
#include "tools/replay_platform.h"
#include "tools/script.h"

namespace carpex {

// Exit status of a watching: kReplayRan (0) when it ran to its end and the
// game reached the recording's final line exactly; 1 when the display could
// not be set up; kReplayRefused (2) for a recording refused as the replay
// tool refuses it; and this when it was not seen to replay exactly: it
// differed from its final line, had none, or the player stopped it before
// its end.
constexpr int kWatchNotExact = 3;

// A recording's name as the player is shown it: the file's name without its
// folder, nothing but printable characters, at most 60 bytes.
std::string ShownName(std::string_view Path);

class Watcher final : public ApplicationLayer, private FormHandlers, private ReplayPlatform {
 public:
  enum class Phase : uint8_t { Playing, Paused, Ended };

  // Source is a script checked whole (CheckScript, which gave Summary); the
  // game's session is made on the platform at once. Show is called whenever
  // what the watching shows changes (the window's title, the page's band),
  // which is said in the player's language, In (the recording's pictures
  // have their own); LoseSurfaces brings about a recording's `lose`
  // (nullptr: nothing); Rounds hears of the recorded game's rounds, for what
  // a recording proves (nullptr: nobody).
  Watcher(Application& Platform, ScriptSource& Source, std::string Name,
          const ScriptSummary& Summary, Language In, std::function<void(const Watcher&)> Show,
          std::function<bool()> LoseSurfaces = nullptr, RoundListener* Rounds = nullptr);
  ~Watcher() override;
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

  // Runs the platform's message loop until the player quits; the exit status.
  int Watch();

  Phase Now() const { return phase_; }
  // What the watching shows now, in a few words: the recording, the frame,
  // the speed, paused, or how it ended.
  std::string Description() const;
  // The key that matters most now, for a window's title (the others are the
  // help's).
  std::string Keys() const;
  // A window's title while watching: the game's name, the description, the key.
  std::string Title() const { return Say(Text::TitleWith, in_, {Description() + " - " + Keys()}); }
  // Once ended: the exit status Watch returns (kReplayRan: replayed exactly).
  int Status() const { return status_; }
  // A message for the player when the watching ended on a refused recording.
  const std::string& Refusal() const { return refusal_; }
  // How fast it runs: 2 to the power of Speed, -2 (1/4x) to 4 (16x).
  int Speed() const { return speed_; }

  // The application layer the recorded game runs on is the platform's, but
  // that the game's own switches away and its close leave the window where it
  // is, and the last picture with it.
  void Minimize() override {}
  void Maximize() override {}
  void Hide() override {}
  void Terminate() override { closed_ = true; }
  // Skipped for the frames run unseen above 1x; at the recording's pace.
  void Sleep(uint32_t Milliseconds) override;
  // The recorded game's own speed is the recording's, which this sets.
  void SetSpeed(uint16_t) override {}

 private:
  // The player's events, from the platform's loop.
  void Handle(const FormEvent& Event) override;
  void GameLoop(bool& Done) override;
  void KeyDown(uint16_t Key);
  void KeyUp(uint16_t Key);
  void Typed(uint8_t Key);

  // The replay platform the runner drives the recorded game on.
  Application& App() override { return *this; }
  bool Terminated() override { return closed_; }
  bool LoseSurfaces(const ReplayDisplay&) override { return lose_ && lose_(); }
  // Watching writes nothing: its shots are only checked.
  bool ReadPicture(const ReplayDisplay&, std::vector<uint8_t>*) override { return false; }

  void Begin();
  // The frames of one idle call, at most Count: how many ran, or -1 once the
  // recording has run out. A recording may hold more work between two frames
  // than a game ever gave its form (thousands of rounds started); the call
  // then ends when its time is up, having run no frame, and the next goes on,
  // so that the player's keys and the window's close are heard meanwhile.
  int RunFrames(int Count);
  void End();
  void Stop();
  // Right or '.': one frame on, while paused.
  void Step();
  void Tell(bool Now = true);

  ScriptSource& source_;
  const std::string name_;
  const ScriptSummary summary_;
  const Language in_;
  RoundListener* rounds_;
  std::function<void(const Watcher&)> show_;
  std::function<bool()> lose_;
  std::unique_ptr<ReplayRun> run_;
  bool closed_ = false;
  Phase phase_ = Phase::Playing;
  int speed_ = 0;
  uint16_t paced_ = 100;  // the platform's pace, the recording's speed
  int waited_ = 0;        // idle calls since the last frame, below 1x
  int steps_ = 0;         // frames asked for one at a time while paused
  bool restart_ = false;
  bool away_ = false;
  bool unseen_ = false;  // a frame run between two shown
  bool escape_held_ = false;
  bool escape_repeated_ = false;
  int status_ = kWatchNotExact;  // of the last end reached
  std::string outcome_;          // how it ended, said for Description
  std::string refusal_;
  bool failed_ = false;
  std::chrono::steady_clock::time_point told_;
};

}  // namespace carpex
