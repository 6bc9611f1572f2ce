#include "tools/script.h"

#include <cerrno>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "assets/files.h"
#include "assets/picture.h"
#include "assets/sprite_sheets.h"

namespace carpex {

namespace {

// Values, in order, into the fields of the carried state named.
template <auto... Fields>
void Store(const int64_t* Values, CarriedState* Carried) {
  int i = 0;
  ((Carried->*Fields =
        static_cast<std::remove_reference_t<decltype(Carried->*Fields)>>(Values[i++])),
   ...);
}

void StoreStrikeTimers(const int64_t* Values, CarriedState* Carried) {
  for (int i = 0; i < kStrikeSlots; ++i) Carried->StrikeTimers[i] = static_cast<int32_t>(Values[i]);
}

// The words of a `state` line, in order, each NAME=VALUE with as many
// comma-separated whole numbers as Count, each from Min to Max, and where
// they go.
struct StateWord {
  const char* Name;
  int Count;
  int64_t Min;
  int64_t Max;
  void (*Set)(const int64_t* Values, CarriedState* Carried);
};
constexpr int64_t kInt32Min = -2147483647 - 1;
constexpr int64_t kInt32Max = 2147483647;
constexpr StateWord kStateWordSpecs[] = {
    {"active", 1, 0, 1, Store<&CarriedState::Active>},
    {"fc", 1, 0, 65535, Store<&CarriedState::FrameCount>},
    {"fps", 1, 0, 65535, Store<&CarriedState::FramesPerSecond>},
    {"shown", 1, -1, 1, Store<&CarriedState::FpsShown>},
    {"bomb", 4, kInt32Min, kInt32Max,
     Store<&CarriedState::BombX, &CarriedState::BombY, &CarriedState::BombCol,
           &CarriedState::BombRow>},
    {"banner", 2, kInt32Min, kInt32Max, Store<&CarriedState::BannerX, &CarriedState::BannerY>},
    {"timers", kStrikeSlots, kInt32Min, kInt32Max, StoreStrikeTimers},
};
constexpr int kStateWords = static_cast<int>(std::size(kStateWordSpecs));

// The values of word Index of a `state` line into Carried; false when the
// word is not that word with its values in range.
bool ParseStateWord(int Index, std::string_view Word, CarriedState* Carried) {
  const StateWord& spec = kStateWordSpecs[Index];
  const std::string_view name = spec.Name;
  if (!Word.starts_with(name) || Word.size() <= name.size() || Word[name.size()] != '=') {
    return false;
  }
  std::string_view rest = Word.substr(name.size() + 1);
  int64_t values[kStrikeSlots] = {};
  for (int i = 0; i < spec.Count; ++i) {
    const size_t comma = rest.find(',');
    std::string_view number = rest.substr(0, comma);
    if ((comma == std::string_view::npos) != (i == spec.Count - 1)) return false;
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    const bool negative = !number.empty() && number[0] == '-';
    if (negative) number.remove_prefix(1);
    if (number.empty() || number.size() > 10) return false;
    int64_t value = 0;
    for (char c : number) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < spec.Min || value > spec.Max || (name == "shown" && value == 0)) return false;
    values[i] = value;
  }
  spec.Set(values, Carried);
  return true;
}

struct OpSpec {
  const char* name;
  ScriptOp op;
  FormEvent::Kind event;  // the event of ScriptOp::Event
  int args;               // -1: one or more
  uint64_t min;           // range of a numeric argument
  uint64_t max;
};

// An event takes its key as its one argument, or no argument at all.
constexpr OpSpec EventOp(FormEvent::Kind Kind) {
  return {EventName(Kind), ScriptOp::Event, Kind, MaxKey(Kind) > 0 ? 1 : 0, 0, MaxKey(Kind)};
}

constexpr OpSpec kOps[] = {
    {"random", ScriptOp::Random, {}, -1, 0, 0xFFFFFFFFu},
    {"seed", ScriptOp::Seed, {}, 1, 0, 0xFFFFFFFFu},
    EventOp(FormEvent::Char),
    EventOp(FormEvent::KeyDown),
    EventOp(FormEvent::KeyUp),
    EventOp(FormEvent::Tick),
    EventOp(FormEvent::Deactivate),
    EventOp(FormEvent::Restore),
    EventOp(FormEvent::Language),
    EventOp(FormEvent::Pause),
    {"lose", ScriptOp::Lose, {}, 0, 0, 0},
    {"frames", ScriptOp::Frames, {}, 1, 1, ScriptReader::kMaxFrames},
    {"shot", ScriptOp::Shot, {}, 1, 0, 0},
    {"daily", ScriptOp::Daily, {}, 1, 10101, 99991231},
    {"state", ScriptOp::State, {}, kStateWords, 0, 0},
};
// Every event but the two no script holds as one (the speed, a comment's,
// and leaving the exclusive display).
static_assert(std::size(kOps) == 7 + kFormEventKinds - 2, "every scripted event is a command");

constexpr size_t kQuotedBytes = 40;

// Lines that end in a carriage return alone (old Mac files) would run together.
constexpr char kBareCarriageReturn[] =
    "a carriage return without a line feed: the lines of a script end in LF or CR LF";

// The longest command name: a first word longer than this is no command.
constexpr size_t LongestCommand() {
  size_t longest = 0;
  for (const OpSpec& spec : kOps) {
    size_t n = 0;
    while (spec.name[n] != '\0') ++n;
    if (n > longest) longest = n;
  }
  return longest;
}

bool ParseNumber(std::string_view Word, uint64_t Min, uint64_t Max, uint32_t* Out) {
  if (Word.empty() || Word.size() > 10) return false;
  uint64_t value = 0;
  for (char c : Word) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value < Min || value > Max) return false;
  *Out = static_cast<uint32_t>(value);
  return true;
}

}  // namespace

std::string StateLine(const CarriedState& Carried) {
  std::string line =
      "state active=" + std::to_string(Carried.Active) +
      " fc=" + std::to_string(Carried.FrameCount) +
      " fps=" + std::to_string(Carried.FramesPerSecond) +
      " shown=" + std::to_string(Carried.FpsShown) + " bomb=" + std::to_string(Carried.BombX) +
      "," + std::to_string(Carried.BombY) + "," + std::to_string(Carried.BombCol) + "," +
      std::to_string(Carried.BombRow) + " banner=" + std::to_string(Carried.BannerX) + "," +
      std::to_string(Carried.BannerY) + " timers=";
  for (int i = 0; i < kStrikeSlots; ++i) {
    line += (i > 0 ? "," : "") + std::to_string(Carried.StrikeTimers[i]);
  }
  return line;
}

std::string EventLine(const FormEvent& Event) {
  std::string line = EventName(Event.kind) != nullptr ? EventName(Event.kind) : "";
  if (Event.kind == FormEvent::Language) {
    line += Event.key == 1 ? " en" : " zh";
  } else if (MaxKey(Event.kind) > 0) {
    line += " " + std::to_string(Event.key);
  }
  return line;
}

const char* GameVersion() {
  return CARPEX_VERSION;
}

long long TextSource::Read(uint64_t Offset, char* Buffer, size_t Size) {
  if (Offset >= text_.size()) return 0;
  const size_t n = text_.copy(Buffer, Size, static_cast<size_t>(Offset));
  return static_cast<long long>(n);
}

std::string ScriptSource::Failure(int Error) const {
  return std::string("cannot read the script: ") + std::strerror(Error);
}

long long CopyingSource::Read(uint64_t Offset, char* Buffer, size_t Size) {
  if (fault_ != Fault::None || Offset != copied_) {
    if (fault_ == Fault::None) fault_ = Fault::Read;
    errno = EINVAL;
    return -1;
  }
  const size_t n = std::fread(Buffer, 1, Size, in_);
  if (n < Size && std::ferror(in_)) {
    fault_ = Fault::Read;
    return -1;
  }
  if (copied_ + n > kMaxBytes) {
    fault_ = Fault::TooLong;
    return -1;
  }
  if (n > 0 && std::fwrite(Buffer, 1, n, copy_) != n) {
    fault_ = Fault::Copy;
    return -1;
  }
  // The copy is read back from here on: all of it must be in the file.
  if (n < Size && std::fflush(copy_) != 0) {
    fault_ = Fault::Copy;
    return -1;
  }
  copied_ += n;
  return static_cast<long long>(n);
}

std::string ScriptTooLong() {
  return "the script is longer than " + std::to_string(kMaxScriptBytes >> 20) + " MiB";
}

std::string CopyingSource::Failure(int Error) const {
  switch (fault_) {
    case Fault::Copy:
      return std::string("cannot make a temporary copy of the script: ") + std::strerror(Error);
    case Fault::TooLong:
      return ScriptTooLong();
    default:
      return ScriptSource::Failure(Error);
  }
}

long long FileSource::Read(uint64_t Offset, char* Buffer, size_t Size) {
#ifdef _WIN32
  const int moved = _fseeki64(file_, static_cast<long long>(Offset), SEEK_SET);
#else
  const int moved = fseeko(file_, static_cast<off_t>(Offset), SEEK_SET);
#endif
  if (moved != 0) return -1;
  const size_t n = std::fread(Buffer, 1, Size, file_);
  if (n < Size && std::ferror(file_)) return -1;
  return static_cast<long long>(n);
}

std::string QuoteWord(std::string_view Word, uint64_t WholeLength) {
  std::string quoted = "'";
  const size_t shown = Word.size() < kQuotedBytes ? Word.size() : kQuotedBytes;
  for (size_t i = 0; i < shown; ++i) {
    const auto c = static_cast<unsigned char>(Word[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      quoted.push_back(static_cast<char>(c));
    } else {
      static constexpr char kHex[] = "0123456789abcdef";
      quoted += c == '\\' ? "\\\\" : std::string{'\\', 'x', kHex[c >> 4], kHex[c & 15]};
    }
  }
  quoted += WholeLength > shown ? "'..." : "'";
  return quoted;
}

ScriptReader::ScriptReader(ScriptSource& Source, std::string Name)
    : source_(Source), name_(std::move(Name)) {
  word_.reserve(kMaxWord);
  argument_.reserve(kMaxWord);
  if (Peek(0) == 0xEF && Peek(1) == 0xBB && Peek(2) == 0xBF) begin_ += 3;
}

int ScriptReader::Peek(size_t Ahead) {
  if (begin_ + Ahead >= end_ && !at_end_) {
    // Keep what is left and read on behind it.
    std::memmove(buffer_, buffer_ + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < kBufferSize && !at_end_) {
      const long long n = source_.Read(offset_, buffer_ + end_, kBufferSize - end_);
      if (n < 0) {
        read_error_ = errno != 0 ? errno : EIO;
        at_end_ = true;
      } else if (n == 0) {
        at_end_ = true;
      } else {
        end_ += static_cast<size_t>(n);
        offset_ += static_cast<uint64_t>(n);
      }
      if (begin_ + Ahead < end_) break;
    }
  }
  if (begin_ + Ahead >= end_) return -1;
  return static_cast<unsigned char>(buffer_[begin_ + Ahead]);
}

bool ScriptReader::AtLineEnd() {
  const int c = Peek();
  if (c == -1 || c == '\n') return true;
  if (c != '\r') return false;
  const int next = Peek(1);
  return next == '\n' || next == -1;
}

void ScriptReader::SkipLineEnd() {
  if (Peek() == '\r') Skip();
  line_over_ = true;
  line_fed_ = Peek() == '\n';
  if (line_fed_) Skip();
}

void ScriptReader::SkipRestOfLine() {
  while (!AtLineEnd()) {
    if (Peek() == '\r') bare_cr_ = true;
    Skip();
  }
  SkipLineEnd();
}

bool ScriptReader::ReadComment(ScriptCommand* Command) {
  comment_.clear();
  while (!AtLineEnd()) {
    if (Peek() == '\r') bare_cr_ = true;
    // One byte more than is kept: a line cut short is no trace line.
    if (comment_.size() <= kMaxComment) comment_.push_back(static_cast<char>(Peek()));
    Skip();
  }
  SkipLineEnd();
  const std::string_view text = comment_;
  constexpr std::string_view kFinal = " final: ";
  constexpr std::string_view kMadeBy = " Carpex ";
  constexpr std::string_view kSpeed = " speed ";
  uint32_t speed = 0;
  if (text.starts_with(kSpeed) && ParseNumber(text.substr(kSpeed.size()), 1, 100, &speed) &&
      IsSpeed(speed)) {
    // A speed that is none of the game's is a comment like any other.
    Command->Op = ScriptOp::Speed;
    Command->Line = line_;
    Command->Value = speed;
    return true;
  }
  if (text.starts_with(kFinal)) {
    has_final_ = true;
    final_ = text.substr(kFinal.size());
  } else if (version_.empty() && text.starts_with(kMadeBy)) {
    const std::string_view version = text.substr(kMadeBy.size());
    // Shown to the player as it is: only what a version number is made of.
    bool plain = !version.empty() && version.size() <= 32;
    for (char c : version) {
      plain = plain && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                        (c >= 'A' && c <= 'Z') || c == '.' || c == '-' || c == '+' || c == '~');
    }
    version_ = plain ? std::string(version) : "?";
  }
  return false;
}

bool ScriptReader::ReadWord(size_t Limit) {
  int c = Peek();
  while (c == ' ' || c == '\t' || (c == '\r' && !AtLineEnd())) {
    if (c == '\r') bare_cr_ = true;
    Skip();
    c = Peek();
  }
  if (AtLineEnd()) {
    SkipLineEnd();
    return false;
  }
  word_.clear();
  word_length_ = 0;
  word_cut_ = false;
  while (c != ' ' && c != '\t' && c != '\r' && !AtLineEnd()) {
    if (word_.size() == Limit) {
      word_cut_ = true;
      word_length_ = Limit + 1;
      break;
    }
    word_.push_back(static_cast<char>(c));
    ++word_length_;
    Skip();
    c = Peek();
  }
  return true;
}

bool ScriptReader::Fail(std::string* Error, const std::string& What) {
  const std::string at = QuoteWord(name_, name_.size()) + ":" + std::to_string(line_) + ": ";
  if (CutShort()) {
    cut_ = at +
           "the last line is cut short (no line feed, and no command): the script ends "
           "before it";
    return false;
  }
  *Error = at + What;
  return false;
}

bool ScriptReader::CutShort() {
  // Lines that end in a carriage return alone are no recording's.
  if (bare_cr_ || read_error_ != 0) return false;
  if (line_over_) return !line_fed_ && Peek() == -1;
  // Looked at no further than a word may be long: a script may be an endless stream.
  for (size_t ahead = 0; ahead <= kMaxWord; ++ahead) {
    const int c = Peek(ahead);
    if (c == '\n' || (c == '\r' && Peek(ahead + 1) != '\n' && Peek(ahead + 1) != -1)) {
      return false;
    }
    if (c == -1) return read_error_ == 0;
  }
  return false;
}

bool ScriptReader::Next(ScriptCommand* Command, std::string* Error) {
  Error->clear();
  for (;;) {
    if (!cut_.empty()) return false;
    if (Peek() == -1) {
      if (read_error_ == 0) return false;
      *Error = QuoteWord(name_, name_.size()) + ": " + source_.Failure(read_error_);
      return false;
    }
    ++line_;
    line_over_ = false;
    if (!ReadWord(LongestCommand())) continue;
    if (word_[0] == '#') {
      const bool command = word_ == "#" ? ReadComment(Command) : (SkipRestOfLine(), false);
      if (bare_cr_) return Fail(Error, kBareCarriageReturn);
      if (command) return true;
      continue;
    }
    const OpSpec* spec = nullptr;
    for (const OpSpec& candidate : kOps) {
      if (word_ == candidate.name) spec = &candidate;
    }
    if (spec == nullptr) return Fail(Error, "unknown command " + QuoteWord(word_, word_length_));
    Command->Op = spec->op;
    Command->Line = line_;

    uint64_t given = 0;
    while (ReadWord()) {
      ++given;
      // Refused at once: the rest of the word is never read.
      if (word_cut_ && spec->op == ScriptOp::Shot && given == 1) {
        return Fail(Error, "shot: the file name is too long");
      }
      if (word_cut_ && (spec->args == 0 || (spec->args == 1 && given > 1))) {
        return Fail(Error, QuoteWord(word_, word_length_) + " is too long for an argument");
      }
      if (spec->op == ScriptOp::State) {
        if (given > static_cast<uint64_t>(kStateWords)) continue;  // counted below
        if (word_cut_ || !ParseStateWord(static_cast<int>(given - 1), word_, &Command->Carried)) {
          return Fail(Error, QuoteWord(word_, word_length_) + " is not " +
                                 kStateWordSpecs[given - 1].Name + "=" +
                                 (kStateWordSpecs[given - 1].Count > 1 ? "numbers" : "a number") +
                                 " in range");
        }
      } else if (spec->op == ScriptOp::Random) {
        uint32_t value = 0;
        if (!ParseNumber(word_, spec->min, spec->max, &value)) {
          return Fail(Error, QuoteWord(word_, word_length_) + " is not a number from 0 to " +
                                 std::to_string(spec->max));
        }
      } else if (given == 1) {
        argument_ = word_;
        argument_length_ = word_length_;
        if (word_cut_) break;  // not a number: said below
      }
    }
    if (read_error_ != 0) continue;  // reported at the end
    if (bare_cr_) return Fail(Error, kBareCarriageReturn);
    if (spec->args == -1 && given == 0) {
      return Fail(Error, std::string(spec->name) + " needs at least one value");
    }
    if (spec->args >= 0 && given != static_cast<uint64_t>(spec->args)) {
      return Fail(Error, std::string(spec->name) + " takes " + std::to_string(spec->args) +
                             (spec->args == 1 ? " argument" : " arguments") + ", not " +
                             std::to_string(given));
    }
    if (spec->op == ScriptOp::Shot) {
      if (!IsPlainFileName(argument_) || !IsPictureFileName(argument_)) {
        return Fail(Error,
                    "shot needs a plain file name ending in .png or .ppm (letters, digits, "
                    "'-', '_' and '.', no folder): " +
                        QuoteWord(argument_, argument_length_));
      }
      Command->File = argument_;
    } else if (spec->op == ScriptOp::Event && spec->event == FormEvent::Language) {
      Language pictures = Language::Chinese;
      if (!ParseLanguageCode(argument_, &pictures)) {
        return Fail(Error,
                    "language takes zh or en, not " + QuoteWord(argument_, argument_length_));
      }
      Command->Value = pictures == Language::English ? 1 : 0;
    } else if (spec->op == ScriptOp::State) {
      // Read word by word above.
    } else if (spec->args == 1 && !ParseNumber(argument_, spec->min, spec->max, &Command->Value)) {
      return Fail(Error, QuoteWord(argument_, argument_length_) + " is not a number from " +
                             std::to_string(spec->min) + " to " + std::to_string(spec->max));
    }
    if (spec->op == ScriptOp::Daily &&
        DailySeed(static_cast<int>(Command->Value / 10000),
                  static_cast<int>(Command->Value / 100 % 100),
                  static_cast<int>(Command->Value % 100)) != Command->Value) {
      return Fail(Error,
                  "daily takes a day as YYYYMMDD, not " + QuoteWord(argument_, argument_length_));
    }
    if (spec->op == ScriptOp::Event) {
      Command->Event =
          FormEvent{spec->event, static_cast<uint16_t>(spec->args == 1 ? Command->Value : 0)};
    }
    return true;
  }
}

bool ScriptReader::NextQueued(uint64_t Before, uint32_t* Value) {
  for (;;) {
    if (in_random_line_) {
      if (ReadWord()) {
        *Value = 0;
        for (char c : word_) *Value = *Value * 10 + static_cast<uint32_t>(c - '0');
        return true;
      }
      in_random_line_ = false;
    }
    // The next line has not been run yet.
    if (line_ + 1 >= Before || Peek() == -1) return false;
    ++line_;
    if (!ReadWord()) continue;
    if (word_ == "random") {
      in_random_line_ = true;
    } else {
      SkipRestOfLine();
    }
  }
}

}  // namespace carpex
