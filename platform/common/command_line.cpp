#include "platform/common/command_line.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <tuple>

#include "assets/files.h"
#include "assets/texts.h"
#include "platform/common/language.h"
#include "platform/common/record_folder.h"
#include "shell/carpex.h"
#include "tools/recorder.h"
#include "tools/script.h"

namespace carpex {

namespace {

// The rounds' recorder keeps a round's worth, and a round is a few minutes
// at most: far below this.
constexpr size_t kRoundBytes = 16 << 20;

// A reason of the files' (assets/files.h) in the player's language; a
// reason of the system's as the system gives it.
std::string Reason(const std::string& Why, Language In) {
  const struct {
    const char* Said;
    Message Says;
  } kReasons[] = {{kFileExists, Message::FileExists},
                  {kFileNotAFile, Message::FileNotAFile},
                  {kFileTaken, Message::FileTaken},
                  {kFileLinkToNothing, Message::FileLinkToNothing},
                  {kFileLinkIntoNothing, Message::FileLinkIntoNothing}};
  for (const auto& reason : kReasons) {
    if (Why == reason.Said) return Say(reason.Says, In);
  }
  return Why;
}

}  // namespace

GameCommandLine::~GameCommandLine() {
  if (file_ == nullptr) return;
  // The game never started.
  std::fclose(file_);
  if (!created_.empty()) RemoveFile(created_);
}

bool GameCommandLine::Parse(int Argc, const char* const* Argv, std::string* Error) {
  const bool windows = platform_ == GamePlatform::Windows;
  // Said in the language asked for, when it is one.
  for (int i = 1; i + 1 < Argc; ++i) {
    if (std::string_view(Argv[i]) == "--language") ParseLanguageCode(Argv[i + 1], &messages_);
  }
  const Language in = messages_;
  const std::string presentations =
      Say(windows ? Message::CmdWaysWindows : Message::CmdWaysLinux, in);
  bool recording = false;
  bool watching = false;
  bool daily = false;
  for (int i = 1; i < Argc; ++i) {
    const std::string_view arg = Argv[i];
    // Answered before anything else is looked at or created.
    if (arg == "--version" || arg == "--help") {
      answer_ = arg == "--version" ? "Carpex " CARPEX_VERSION
                                   : Say(windows ? Message::HelpWindows : Message::HelpLinux, in);
      return true;
    }
    bool player = false;
    if (!ParsePlayer(Argc, Argv, &i, &player, Error)) return false;
    if (player) continue;
    common::Show how = common::Show::Unsaid;
    const bool presentation = arg.starts_with("--") && common::ParseShow(arg.substr(2), &how) &&
                              (how != common::Show::Borderless || windows);
    if (presentation) {
      if (show_ != common::Show::Unsaid) {
        *Error = Say(Message::CmdOneWay, in, {presentations});
        return false;
      }
      show_ = how;
    } else if (arg == "--overwrite") {
      overwrite_ = true;
    } else if (arg == "--daily") {
      if (daily) {
        *Error = Say(Message::CmdTwice, in, {arg});
        return false;
      }
      daily = true;
    } else if (arg == "--language") {
      if (language_given_) {
        *Error = Say(Message::CmdLanguageTwice, in);
        return false;
      }
      const std::string_view code = i + 1 < Argc ? Argv[i + 1] : "";
      if (!ParseLanguageCode(code, &language_)) {
        *Error = i + 1 < Argc ? Say(Message::CmdLanguageNot, in, {QuoteWord(code, code.size())})
                              : Say(Message::CmdLanguageTakes, in);
        return false;
      }
      language_given_ = true;
      ++i;
    } else if (arg == "--watch") {
      if (watching) {
        *Error = Say(Message::CmdWatchTwice, in);
        return false;
      }
      if (i + 1 >= Argc || Argv[i + 1][0] == '\0') {
        *Error = Say(Message::CmdWatchNeeds, in);
        return false;
      }
      watching = true;
      watched_ = Argv[++i];
    } else if (!arg.empty() && !arg.starts_with("-")) {
      // A recording given alone (opened from the desktop, dropped on the
      // program) is watched.
      if (watching) {
        *Error = Say(Message::CmdTwoFiles, in,
                     {QuoteWord(watched_, watched_.size()), QuoteWord(arg, arg.size())});
        return false;
      }
      watching = true;
      watched_ = arg;
    } else if (arg != "--record") {
      *Error = Say(Message::CmdUnknown, in, {QuoteWord(arg, arg.size()), presentations});
      return false;
    } else if (recording) {
      *Error = Say(Message::CmdRecordTwice, in);
      return false;
    } else if (i + 1 >= Argc || Argv[i + 1][0] == '\0') {
      *Error = Say(Message::CmdRecordNeeds, in);
      return false;
    } else {
      recording = true;
      path_ = Argv[++i];
    }
  }
  if (watching) {
    // What is watched is what was recorded: the recording's own pictures, and
    // nothing is written.
    if (recording || language_given_ || daily) {
      *Error = Say(recording ? Message::CmdWatchRecord
                   : daily   ? Message::CmdWatchDaily
                             : Message::CmdWatchLanguage,
                   in);
      return false;
    }
    const char* played = speed_ != 0        ? "--speed"
                         : bomb_given_      ? "--bomb-key"
                         : leave_given_     ? "--leave-key"
                         : one_switch_ >= 0 ? "--one-switch"
                         : click_ >= 0      ? "--click"
                                            : nullptr;
    if (played != nullptr) {
      *Error = Say(Message::CmdWatchPlays, in, {played});
      return false;
    }
    if (overwrite_) *Error = Say(Message::CmdOverwriteAlone, in);
    return !overwrite_ && OpenWatched(Error);
  }
  if (daily) {
    const char* given = std::getenv("CARPEX_TODAY");
    day_ = TodayOf(given, std::time(nullptr));
    if (day_ == 0) {
      const std::string_view value = given;
      *Error = Say(Message::CmdTodayNot, in, {QuoteWord(value, value.size())});
      return false;
    }
  }
  if (!recording) {
    if (overwrite_) *Error = Say(Message::CmdOverwriteAlone, in);
    return !overwrite_;
  }
  std::string reason;
  if (OpenForWriting(path_, overwrite_, &file_, &created_, &reason)) {
    identity_ = IdentityOf(file_);
    return true;
  }
  *Error = Say(Message::CmdCannotCreate, in, {QuoteWord(path_, path_.size()), Reason(reason, in)});
  return false;
}

bool GameCommandLine::ParsePlayer(int Argc, const char* const* Argv, int* I, bool* Taken,
                                  std::string* Error) {
  const std::string_view arg = Argv[*I];
  const std::string_view value = *I + 1 < Argc ? Argv[*I + 1] : "";
  const Language in = messages_;
  *Taken = true;
  // A switch and its opposite: given once, either way.
  for (auto [on, off, given] : {std::tuple{"--one-switch", "--no-one-switch", &one_switch_},
                                std::tuple{"--click", "--no-click", &click_}}) {
    if (arg != on && arg != off) continue;
    if (*given >= 0) {
      *Error = Say(Message::CmdOneOf, in, {on, off});
      return false;
    }
    *given = arg == on ? 1 : 0;
    return true;
  }
  if (arg == "--speed") {
    // Digits only, and few: anything else is no speed.
    uint32_t percent = 0;
    for (const char c : value) {
      percent = c >= '0' && c <= '9' && percent < 1000 ? percent * 10 + (c - '0') : 1000;
    }
    if (speed_ != 0) {
      *Error = Say(Message::CmdTwice, in, {arg});
    } else if (value.empty()) {
      *Error = Say(Message::CmdSpeedTakes, in);
    } else if (!IsSpeed(percent)) {
      *Error = Say(Message::CmdSpeedNot, in, {QuoteWord(value, value.size())});
    } else {
      speed_ = static_cast<uint16_t>(percent);
      ++*I;
      return true;
    }
    return false;
  }
  if (arg != "--bomb-key" && arg != "--leave-key") {
    *Taken = false;
    return true;
  }
  const bool bomb = arg == "--bomb-key";
  bool& given = bomb ? bomb_given_ : leave_given_;
  const uint16_t vk = common::KeyNamed(value);
  if (given) {
    *Error = Say(Message::CmdTwice, in, {arg});
    return false;
  }
  if (value.empty()) {
    *Error = Say(Message::CmdKeyTakes, in, {arg});
    return false;
  }
  given = true;
  ++*I;
  if (value == "default") {
    (bomb ? keys_.Bomb : keys_.Leave) = 0;
    return true;
  }
  switch (common::Choose(bomb ? common::KeyFor::Bomb : common::KeyFor::Leave, vk, &keys_)) {
    case common::Refusal::None:
      return true;
    case common::Refusal::Unnamed:
      *Error = Say(Message::CmdKeyNot, in, {arg, QuoteWord(value, value.size())});
      return false;
    case common::Refusal::InUse:
      *Error = Say(Message::CmdKeyInUse, in, {arg, QuoteWord(value, value.size())});
      return false;
  }
  return false;
}

common::Settings GameCommandLine::StartSettings(common::Settings Remembered) const {
  if (Watching()) Remembered.Presentation = common::Show::Window;
  if (show_ != common::Show::Unsaid) Remembered.Presentation = show_;
  if (speed_ != 0) Remembered.Speed = speed_;
  // A key given replaces the one remembered; the other stays, unless the two
  // would be one key.
  if (bomb_given_ || leave_given_) {
    common::PlayerKeys keys = Remembered.Keys;
    if (bomb_given_) keys.Bomb = keys_.Bomb;
    if (leave_given_) keys.Leave = keys_.Leave;
    if (keys.Bomb != 0 && keys.Bomb == keys.Leave) (bomb_given_ ? keys.Leave : keys.Bomb) = 0;
    Remembered.Keys = keys;
  }
  if (one_switch_ >= 0) Remembered.OneSwitch = one_switch_ == 1;
  if (click_ >= 0) Remembered.Click = click_ == 1;
  return Remembered;
}

Language GameCommandLine::StartLanguage(const common::Settings& Remembered,
                                        Language Default) const {
  if (language_given_) return language_;
  return Remembered.LanguageChosen ? Remembered.Chosen : Default;
}

void GameCommandLine::RememberLanguage(const common::Settings& Before, Language Start,
                                       Language Last, common::Settings* Values) const {
  Values->LanguageChosen = Before.LanguageChosen;
  Values->Chosen = Before.Chosen;
  if (language_given_ || Last != Start) {
    Values->LanguageChosen = true;
    Values->Chosen = Last;
  }
}

int GameCommandLine::Play(Application& App, Language Default, std::string* Error,
                          const std::function<void(GameSession&)>& Started, uint16_t Speed) {
  // Played again after a best round watched: in the language it was left in.
  const Language pictures = language_given_ && !played_ ? language_ : Default;
  played_ = true;
  // The records take the rounds' scripts from a recorder of the rounds
  // alone, over the platform or over the recording to a file.
  std::optional<Recorder> recorder;
  if (file_ != nullptr) recorder.emplace(App, file_, created_.empty(), pictures);
  file_ = nullptr;
  Recorder rounds(recorder ? static_cast<Application&>(*recorder) : App, Recorder::RoundsOnly{},
                  kRoundBytes, pictures);
  common::RecordFolder folder(records_folder_);
  common::RecordKeeper keeper(folder, [&rounds] { return rounds.LastRound(); });
  keeper_ = &keeper;
  playing_ = &App;
  no_best_ = watching_best_ = false;
  const int status = Carpex(
      rounds,
      [&](GameSession& Session) {
        // Today's city before anything is recorded, so that the recordings
        // name its day.
        if (day_ != 0) Session.UseDailyCity(day_);
        // The game's pace from the start, before a recording names it.
        if (Speed != 100) Session.Handlers().Handle({FormEvent::Speed, Speed});
        if (recorder) recorder->Record(Session);
        // Heard before the rounds' recorder: a round closed is still its last.
        Session.AddRoundListener(&keeper);
        rounds.Record(Session);
        if (Started) Started(Session);
      },
      pictures);
  keeper.Finish();
  keeper_ = nullptr;
  playing_ = nullptr;
  if (!recorder) return status;
  const bool written = recorder->Finish();
  if (!recorder->Started()) {
    if (!created_.empty()) RemoveFile(created_);
    return status;
  }
  if (!written) {
    // Whole lines only: what it keeps replays, to its last frame.
    const int why = recorder->WriteError();
    *Error = Say(Message::CmdNotWhole, messages_,
                 {QuoteWord(path_, path_.size()),
                  why != 0 ? std::string(" (") + std::strerror(why) + ")" : std::string(),
                  std::to_string(recorder->FramesKept())});
    return 1;
  }
  if (!StillNamed(path_, identity_)) {
    *Error = Say(Message::CmdLost, messages_, {QuoteWord(path_, path_.size())});
    return 1;
  }
  return status;
}

common::RecordsShown GameCommandLine::Records(uint8_t Level, uint16_t Speed) const {
  common::RecordsShown shown;
  if (keeper_ == nullptr) return shown;
  const common::Records& kept = keeper_->Kept();
  shown.Kept = true;
  shown.Level = Level;
  shown.Record = kept.At(Level, Speed);
  shown.News = keeper_->News();
  shown.Played = kept.At(keeper_->Level(), keeper_->Speed());
  shown.Daily = day_;
  if (const common::DayResult* result = day_ != 0 ? kept.ResultOf(day_) : nullptr) {
    shown.Day = *result;
  }
  // Until the level, the speed or its record changes.
  shown.NoBest = no_best_ && no_best_level_ == Level && no_best_speed_ == Speed &&
                 shown.Record == no_best_record_;
  return shown;
}

void GameCommandLine::RecordsKey(common::Controls::Result::RecordsAct Act, uint8_t Level,
                                 uint16_t Speed) {
  using RecordsAct = common::Controls::Result::RecordsAct;
  if (keeper_ == nullptr) return;
  no_best_ = false;
  if (Act == RecordsAct::Clear) {
    keeper_->Clear();
  } else if (Act == RecordsAct::WatchBest) {
    // Checked as any recording watched is; one that is not there (or will
    // not replay) is no best round.
    std::string why;
    watched_ = records_folder_ + "/" + common::BestRoundName(Level, Speed);
    if (!records_folder_.empty() && OpenWatched(&why)) {
      watching_best_ = true;
      playing_->Terminate();
    } else {
      no_best_ = true;
      no_best_level_ = Level;
      no_best_speed_ = Speed;
      no_best_record_ = keeper_->Kept().At(Level, Speed);
    }
  }
}

bool GameCommandLine::BackToPlay() {
  if (!watching_best_) return false;
  watching_best_ = false;
  source_.reset();
  return true;
}

bool GameCommandLine::OpenWatched(std::string* Error) {
  // Held in memory, whole, and read there again each time it is watched from
  // its start: watching writes nothing, not even a copy.
  const std::string quoted = QuoteWord(watched_, watched_.size());
  std::string why;
  if (!ReadWholeFile(watched_, kMaxScriptBytes, &watched_text_, &why)) {
    *Error = Say(Message::CmdCannotRead, messages_, {quoted, Reason(why, messages_)});
    return false;
  }
  if (watched_text_.size() > kMaxScriptBytes) {
    *Error = quoted + ": " + ScriptTooLong();
    return false;
  }
  source_ = std::make_unique<TextSource>(watched_text_);
  if (!CheckScript(*source_, watched_, &summary_, Error)) {
    source_.reset();
    return false;
  }
  return true;
}

int GameCommandLine::Watch(Application& App, Language In,
                           const std::function<void(const Watcher&)>& Show,
                           const std::function<bool()>& Lose) {
  Watcher watcher(App, *source_, watched_, summary_, In, Show, Lose);
  return watcher.Watch();
}

Language LocaleLanguage(const char* LanguageList, const char* All, const char* Messages,
                        const char* Lang) {
  auto set = [](const char* Value) { return Value != nullptr && Value[0] != '\0'; };
  const std::string_view locale = set(All)        ? All
                                  : set(Messages) ? Messages
                                  : set(Lang)     ? Lang
                                                  : "C";
  if (locale == "C" || locale == "POSIX") return Language::English;
  return ListedLanguage(set(LanguageList) ? LanguageList : locale);
}

uint32_t TodayOf(const char* Given, std::time_t Now) {
  if (Given != nullptr) {
    // Exactly YYYY-MM-DD.
    const std::string_view text = Given;
    auto digits = [&](size_t At, size_t Count) {
      int value = 0;
      for (size_t i = At; i < At + Count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
      }
      return value;
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return 0;
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    if (year < 0 || month < 0 || day < 0) return 0;
    return DailySeed(year, month, day);
  }
  // The civil date of the days since 1970-01-01 (Howard Hinnant's rule), the
  // same on every system whatever its time zone.
  const int64_t days = static_cast<int64_t>(Now) / 86400 - (Now < 0 && Now % 86400 != 0 ? 1 : 0);
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return DailySeed(year, month, day);
}

}  // namespace carpex
