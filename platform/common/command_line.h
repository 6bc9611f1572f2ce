// What the game's own programs (the SDL and the Windows game) take on their
// command line.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "assets/files.h"
#include "assets/sprite_sheets.h"
#include "platform/common/settings.h"
#include "shell/app.h"
#include "shell/session.h"
#include "tools/replay.h"
#include "tools/watch.h"

namespace carpex {

// The game whose command line it is: the ways of showing it and the help differ.
enum class GamePlatform : uint8_t { Linux, Windows };

// The game's command line: nothing, --version, --help, how to show the game
// (--window or --fullscreen, on Windows also --borderless), --record FILE with
// --overwrite for a FILE that exists already, --language zh|en, or --watch
// FILE. Parse checks it and opens the recording's file, before any window
// opens, without emptying it; Play then runs the game on the platform's
// application layer, recorded when asked. A game that never starts (no
// display) leaves an existing FILE as it was and no new one. A recording to
// watch is read whole by Parse, into a private copy, and checked as the
// replay tool checks it; Watch then shows it.
class GameCommandLine {
 public:
  explicit GameCommandLine(GamePlatform For) : platform_(For) {}
  ~GameCommandLine();
  GameCommandLine(const GameCommandLine&) = delete;
  GameCommandLine& operator=(const GameCommandLine&) = delete;

  // Exit status for a command line the game cannot follow.
  static constexpr int kRefused = 2;
  // False with a message for the player in *Error.
  bool Parse(int Argc, const char* const* Argv, std::string* Error);
  // The game's exit status; a recording that could not be written whole makes
  // it 1, with the message in *Error. The pictures are in the language that
  // --language names, else in the platform's Default. Started sees the game's
  // session before its message loop runs.
  int Play(Application& App, Language Default, std::string* Error,
           const std::function<void(GameSession&)>& Started = nullptr);
  // After --version or --help: the text to show instead of playing, then exit 0.
  const std::string& Answer() const { return answer_; }
  // How the player asked the game to be shown; Unsaid: as it was last played.
  common::Show Presentation() const { return show_; }
  // --watch FILE: a recording to watch instead of playing.
  bool Watching() const { return source_ != nullptr; }
  // Watches the recording on the platform's application layer (its `lose`
  // lines brought about by Lose) and returns the exit status (tools/watch.h).
  // Show hears of every change of what the watching shows.
  int Watch(Application& App, const std::function<void(const Watcher&)>& Show,
            const std::function<bool()>& Lose = nullptr);

 private:
  GamePlatform platform_;
  common::Show show_ = common::Show::Unsaid;
  std::string answer_;
  std::string path_;
  bool language_given_ = false;
  Language language_ = Language::Chinese;
  bool overwrite_ = false;
  bool created_ = false;  // FILE is new: removed again if the game never starts
  std::FILE* file_ = nullptr;
  FileIdentity identity_;
  // The recording to watch, read from its private copy.
  std::string watched_;
  std::FILE* watched_file_ = nullptr;
  std::FILE* watched_copy_ = nullptr;
  std::unique_ptr<CopyingSource> source_;
  ScriptSummary summary_;
  bool OpenWatched(std::string* Error);
};

// The player's language as the locale names it, from the values of the
// environment variables LANGUAGE, LC_ALL, LC_MESSAGES and LANG (null when not
// set), read as gettext reads them: the locale is the first of LC_ALL,
// LC_MESSAGES and LANG that is set; unless it is C or POSIX, LANGUAGE's list
// of languages, when set, takes its place, and its first Chinese or English
// entry counts. Chinese for Chinese, English for any other language.
Language LocaleLanguage(const char* LanguageList, const char* All, const char* Messages,
                        const char* Lang);

}  // namespace carpex
