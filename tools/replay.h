// The replay runner: the real game driven by a script of events, one frame at
// a time. The replay tool runs a script through it to its end with a trace
// line after every frame; the games' watching (tools/watch.h) steps it from
// their own frame loops.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "shell/form_view.h"
#include "shell/session.h"
#include "tools/replay_platform.h"
#include "tools/script.h"

namespace carpex {

struct ReplayOptions {
  // Called after every frame loop call, before its trace line (tests check
  // invariants here).
  std::function<void(const FormView&)> AfterFrame;
  // The folder `shot` writes its pictures into; empty: the script's shots
  // are checked but nothing is written.
  std::string ShotFolder;
  // A shot may replace a file of the same name in ShotFolder.
  bool OverwriteShots = false;
  // What the run has to say that does not stop it (a `lose` that could not be
  // brought about); nobody hears it when empty.
  std::function<void(const std::string&)> Note;
  // Writes the picture now on Display as the shot File, false with the
  // reason in *Error; RunReplay makes it of ShotFolder. Without it the
  // runner's shots are checked but nothing is written (the games' watching
  // neither writes files nor carries a picture encoder).
  std::function<bool(const ReplayDisplay& Display, const std::string& File, std::string* Error)>
      Shoot;
  // Hears of the rounds the game plays (nobody when null).
  RoundListener* Rounds = nullptr;
};

// Exit statuses of the replay tool.
constexpr int kReplayRan = 0;
constexpr int kReplayFailed = 1;   // display, picture or trace output
constexpr int kReplayRefused = 2;  // script unreadable or malformed, Random unserved

// What a whole reading of a script found.
struct ScriptSummary {
  uint64_t Frames = 0;  // all its `frames` lines together
  bool HasFinalLine = false;
  std::string FinalLine;  // a recording's last frame's trace line
  std::string Version;    // the version of the game that recorded it; empty: unnamed
  std::string Cut;        // the reader's message for a last line cut short; empty: none
};

// Reads the whole script: false with the first error's one-line message in
// *Error, the replay tool's.
bool CheckScript(ScriptSource& Source, const std::string& Name, ScriptSummary* Summary,
                 std::string* Error);

// One run of a checked script: the game's session on the platform, the
// script's commands carried out in order, one frame at a time.
class ReplayRun {
 public:
  ReplayRun(ScriptSource& Source, const std::string& Name, ReplayPlatform& Platform,
            const ReplayOptions& Options = {});
  ~ReplayRun();
  ReplayRun(const ReplayRun&) = delete;
  ReplayRun& operator=(const ReplayRun&) = delete;

  // Carries out the commands up to and including the next frame: true when a
  // frame ran; false once the script has ended, the game has closed, or the
  // run has failed (Status says which, Message why). At most Commands are
  // carried out: once that many have been short of a frame it returns false
  // too, with Busy() true, and the next Step goes on from there.
  bool Step(uint64_t Commands = UINT64_MAX);
  // The last Step stopped after its Commands, short of the next frame.
  bool Busy() const { return busy_; }
  // kReplayRan while the run goes on or when it ran to its end, else the
  // replay tool's status for why it stopped.
  int Status() const { return status_; }
  // The one-line message for a Status other than kReplayRan.
  const std::string& Message() const { return message_; }
  // How many frames have run.
  uint64_t Frames() const { return calls_; }
  // The trace line of the last frame (without its line feed), as the frame
  // left the game: the commands after it change nothing of it.
  const std::string& TraceLine();
  GameSession& Session() { return session_; }
  // The speed the recording was played at, as far as it has run (per cent).
  uint32_t Speed() const { return speed_; }

 private:
  class QueuedRandom;
  void CarryOut(const ScriptCommand& Command);
  void RunFrame();
  void Shoot(const ScriptCommand& Command);
  ReplayDisplay Display() const;
  bool RandomFailed(uint64_t Line);
  void Stop(int Status, std::string Message);

  const std::string name_;
  const std::string quoted_name_;
  ReplayPlatform& platform_;
  const ReplayOptions options_;
  int status_ = kReplayRan;
  std::string message_;
  bool ended_ = false;
  bool busy_ = false;
  GameSession session_;
  std::unique_ptr<QueuedRandom> queue_;
  std::unique_ptr<ScriptReader> reader_;
  ScriptCommand command_;
  uint32_t frames_left_ = 0;  // of the `frames` line being run
  std::string line_;
  bool line_taken_ = false;  // line_ is the last frame's
  uint64_t calls_ = 0;
  uint32_t speed_ = 100;
};

// Checks the whole script, then makes the platform and runs the script (read
// again from Source.Reread()):
// trace lines to Out, a one-line message to Err on failure. Returns the exit
// status: kReplayRan when the script ran to its end (or to the Escape that
// closes the game); kReplayRefused for an unreadable or malformed script (no
// frame runs) or a Random(n) the queue cannot serve; kReplayFailed when the
// display could not be set up or a picture or the trace could not be written.
int RunReplay(ScriptSource& Source, const std::string& Name, std::ostream& Out, std::ostream& Err,
              const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform,
              const ReplayOptions& Options = {});

// The same for a script held in memory.
int RunReplay(std::string_view Text, const std::string& Name, std::ostream& Out, std::ostream& Err,
              const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform,
              const ReplayOptions& Options = {});

// What carpex-replay --check says of a recording's last round: how it ended,
// its frames, bombs, level, speed and day, and whether the recording replays
// to its final line (Out); kReplayRan for a win that does, kWatchNotExact
// (3) for anything else, and the replay tool's other statuses as ever.
int CheckReplay(ScriptSource& Source, const std::string& Name, std::ostream& Out, std::ostream& Err,
                const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform);

// carpex-replay [--shots FOLDER [--overwrite]] SCRIPT (or - for standard
// input): runs the game from a script of events on the platform MakePlatform
// makes and prints one trace line per frame. The whole program, which each
// platform's main hands its arguments to; returns its exit status.
int ReplayTool(int Argc, char** Argv, std::unique_ptr<ReplayPlatform> (*MakePlatform)());

}  // namespace carpex
