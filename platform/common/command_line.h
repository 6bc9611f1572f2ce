// What the game's own programs (the SDL and the Windows game) take on their
// command line.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "assets/files.h"
#include "shell/app.h"
#include "shell/session.h"

namespace carpex {

// The game's command line: nothing, --version, --help, or --record FILE with
// --overwrite for a FILE that exists already. Parse checks it and opens the
// recording's file, before any window opens, without emptying it; Play then
// runs the game on the platform's application layer, recorded when asked. A
// game that never starts (no display) leaves an existing FILE as it was and no
// new one.
class GameCommandLine {
 public:
  GameCommandLine() = default;
  ~GameCommandLine();
  GameCommandLine(const GameCommandLine&) = delete;
  GameCommandLine& operator=(const GameCommandLine&) = delete;

  // Exit status for a command line the game cannot follow.
  static constexpr int kRefused = 2;
  // False with a message for the player in *Error.
  bool Parse(int Argc, const char* const* Argv, std::string* Error);
  // The game's exit status; a recording that could not be written whole makes
  // it 1, with the message in *Error. Started sees the game's session before
  // its message loop runs.
  int Play(Application& App, std::string* Error,
           const std::function<void(const GameSession&)>& Started = nullptr);
  // After --version or --help: the text to show instead of playing, then exit 0.
  const std::string& Answer() const { return answer_; }

 private:
  std::string answer_;
  std::string path_;
  bool overwrite_ = false;
  bool created_ = false;  // FILE is new: removed again if the game never starts
  std::FILE* file_ = nullptr;
  FileIdentity identity_;
};

}  // namespace carpex
