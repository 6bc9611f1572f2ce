// The replay runner: the real game driven by a script of events, one trace
// line after every call of the frame loop.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "shell/form_view.h"
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
};

// Exit statuses of the replay tool.
constexpr int kReplayRan = 0;
constexpr int kReplayFailed = 1;   // display, picture or trace output
constexpr int kReplayRefused = 2;  // script unreadable or malformed, Random unserved

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

// carpex-replay [--shots FOLDER [--overwrite]] SCRIPT (or - for standard
// input): runs the game from a script of events on the platform MakePlatform
// makes and prints one trace line per frame. The whole program, which each
// platform's main hands its arguments to; returns its exit status.
int ReplayTool(int Argc, char** Argv, std::unique_ptr<ReplayPlatform> (*MakePlatform)());

}  // namespace carpex
