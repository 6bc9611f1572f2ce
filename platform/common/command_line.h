// What the game's own programs (the SDL and the Windows game) take on their
// command line.
#pragma once

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "assets/files.h"
#include "assets/sprite_sheets.h"
#include "platform/common/controls.h"
#include "platform/common/legend.h"
#include "platform/common/record_keeper.h"
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
// --overwrite for a FILE that exists already, --language zh|en, the player's
// speed and controls (--speed PERCENT, --bomb-key NAME, --leave-key NAME,
// --one-switch or --no-one-switch, --click or --no-click), --daily (every round on today's city,
// the UTC date's, or CARPEX_TODAY's YYYY-MM-DD), or --watch FILE. Parse checks it and
// opens the recording's file, before any window opens, without emptying it; Play then runs the game
// on the platform's application layer, recorded when asked. A game that never starts (no display)
// leaves an existing FILE as it was and no new one. A recording to watch is read whole by Parse,
// into memory (nothing is written), and checked as the replay tool checks it; Watch then shows it.
class GameCommandLine {
 public:
  // Its messages and help in the language Messages (or the one --language names).
  explicit GameCommandLine(GamePlatform For, Language Messages = Language::English)
      : platform_(For), messages_(Messages) {}
  ~GameCommandLine();
  GameCommandLine(const GameCommandLine&) = delete;
  GameCommandLine& operator=(const GameCommandLine&) = delete;

  // Exit status for a command line the game cannot follow.
  static constexpr int kRefused = 2;
  // False with a message for the player in *Error.
  bool Parse(int Argc, const char* const* Argv, std::string* Error);
  // The game's exit status; a recording that could not be written whole makes
  // it 1, with the message in *Error. The pictures are in the language that
  // --language names (the first time), else in the platform's Default, and the game starts at
  // Speed (the start settings'), which a recording names. Started sees the
  // game's session before its message loop runs.
  int Play(Application& App, Language Default, std::string* Error,
           const std::function<void(GameSession&)>& Started = nullptr, uint16_t Speed = 100);
  // Play keeps the player's records in Folder (made when first saved; empty:
  // nothing is kept between games), the rounds' scripts from a recorder of
  // the rounds alone. Its front end shows them (Records) and hands over the
  // keys that act on them (RecordsKey).
  void KeepRecordsIn(std::string Folder) { records_folder_ = std::move(Folder); }
  // While Play runs: what the legend says of the records, Level being the
  // level a gamepad or the one switch would start, at Speed.
  common::RecordsShown Records(uint8_t Level, uint16_t Speed) const;
  // While Play runs: the player's keys for the records. Watching the best
  // round ends Play, with Watching() true: the front end watches it, then
  // plays again (BackToPlay).
  void RecordsKey(common::Controls::Result::RecordsAct Act, uint8_t Level, uint16_t Speed);
  // After watching: true when it was a best round that Play left for, which
  // is then let go (Watching() is false again).
  bool BackToPlay();
  // --daily: the day (YYYYMMDD) whose city every round is on; 0 without it.
  uint32_t Daily() const { return day_; }
  // After --version or --help: the text to show instead of playing, then exit 0.
  const std::string& Answer() const { return answer_; }
  // How the player asked the game to be shown; Unsaid: as it was last played.
  common::Show Presentation() const { return show_; }
  // What the game starts with: what it Remembered, shown, paced and played as
  // the command line says, and a recording watched in a window unless told
  // otherwise (where the title tells how it goes).
  common::Settings StartSettings(common::Settings Remembered) const;
  // The language the game starts in: --language's, else the one the player
  // chose last (Remembered), else the platform's Default.
  Language StartLanguage(const common::Settings& Remembered, Language Default) const;
  // Into Values, what to remember of the language the game ended in (Last,
  // having started in Start): the player's choice when there was one
  // (--language, or a switch during the game), else what Before remembered.
  void RememberLanguage(const common::Settings& Before, Language Start, Language Last,
                        common::Settings* Values) const;
  // --watch FILE: a recording to watch instead of playing.
  bool Watching() const { return source_ != nullptr; }
  // Watches the recording on the platform's application layer (its `lose`
  // lines brought about by Lose) and returns the exit status (tools/watch.h).
  // Show hears of every change of what the watching shows, said in the
  // player's language In.
  int Watch(Application& App, Language In, const std::function<void(const Watcher&)>& Show,
            const std::function<bool()>& Lose = nullptr);

 private:
  GamePlatform platform_;
  Language messages_;
  common::Show show_ = common::Show::Unsaid;
  std::string answer_;
  std::string path_;
  bool language_given_ = false;
  Language language_ = Language::Chinese;
  bool overwrite_ = false;
  // The player's speed and controls as given; 0 (or -1) where not given.
  uint16_t speed_ = 0;
  bool bomb_given_ = false;
  bool leave_given_ = false;
  common::PlayerKeys keys_;
  int one_switch_ = -1;
  int click_ = -1;
  uint32_t day_ = 0;
  // The records, while Play runs.
  std::string records_folder_;
  common::RecordKeeper* keeper_ = nullptr;
  Application* playing_ = nullptr;
  // W found no best round for this level and speed.
  bool no_best_ = false;
  uint8_t no_best_level_ = 0;
  uint16_t no_best_speed_ = 0;
  common::LevelRecord no_best_record_;
  bool watching_best_ = false;
  bool played_ = false;
  // The player's options after the others: false with the message in *Error
  // for one it cannot follow; *Taken when Arg was one (and *I past its value).
  bool ParsePlayer(int Argc, const char* const* Argv, int* I, bool* Taken, std::string* Error);
  std::string created_;  // the file made for FILE: removed again if the game never starts
  std::FILE* file_ = nullptr;
  FileIdentity identity_;
  // The recording to watch, held whole.
  std::string watched_;
  std::string watched_text_;
  std::unique_ptr<TextSource> source_;
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

// The day of today's city (YYYYMMDD): Given's, a date written YYYY-MM-DD
// (CARPEX_TODAY's value, for tests), else Now's date in UTC. 0 when Given is
// set but no such date.
uint32_t TodayOf(const char* Given, std::time_t Now);

}  // namespace carpex
