#include "tools/recorder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "assets/files.h"
#include "graphics/ddraw_api.h"
#include "shell/session.h"
#include "tools/script.h"
#include "tools/trace.h"

namespace carpex {

namespace {
// The file reaches the disk at least this often; a run of frames is written
// when it ends, and the timer ends one every second.
constexpr auto kFlushInterval = std::chrono::seconds(1);
// Room kept in a recording in memory for its end: the frames not yet written
// and the final line.
constexpr size_t kEndRoom = kTraceLineCapacity + 64;

// The frames of a recording's whole lines.
uint64_t FramesIn(std::string_view Lines) {
  uint64_t frames = 0;
  constexpr std::string_view kFrames = "frames ";
  for (size_t at = 0; at < Lines.size();) {
    const size_t end = Lines.find('\n', at);
    if (end == std::string_view::npos) break;
    const std::string_view line = Lines.substr(at, end - at);
    if (line.starts_with(kFrames)) {
      uint64_t n = 0;
      for (const char c : line.substr(kFrames.size())) n = n * 10 + static_cast<uint64_t>(c - '0');
      frames += n;
    }
    at = end + 1;
  }
  return frames;
}

// A speed's comment line, which a replay passes over and a watching goes by.
std::string SpeedLine(uint16_t Percent) {
  return "# speed " + std::to_string(Percent);
}

// The first lines of every recording: the game that made it, the speed it
// was played at when that is said from the start (a round's), and the
// language of the pictures the player saw, which the replay draws too.
std::string Heading(Language Pictures, uint16_t Speed = 0) {
  return std::string("# Carpex ") + GameVersion() + "\n" +
         (Speed != 0 ? SpeedLine(Speed) + "\n" : std::string()) +
         EventLine(
             {FormEvent::Language, Pictures == Language::English ? uint16_t{1} : uint16_t{0}}) +
         "\n";
}

}  // namespace

Recorder::Recorder(Application& Platform, std::FILE* File, bool EmptyFirst, Language Pictures)
    : ApplicationLayer(Platform), file_(File), empty_first_(EmptyFirst) {
  std::setvbuf(file_, nullptr, _IONBF, 0);
  final_.reserve(kTraceLineCapacity);
  last_flush_ = std::chrono::steady_clock::now();
  held_ = Heading(Pictures);
}

Recorder::Recorder(Application& Platform, size_t Limit, Language Pictures)
    : ApplicationLayer(Platform),
      file_(nullptr),
      empty_first_(false),
      // Nothing on a disk to leave alone: written from the start.
      started_(true),
      in_memory_(true),
      limit_(Limit) {
  final_.reserve(kTraceLineCapacity);
  last_flush_ = std::chrono::steady_clock::now();
  text_ = Heading(Pictures);
}

Recorder::Recorder(Application& Platform, RoundsOnly, size_t Limit, Language Pictures)
    : Recorder(Platform, Limit, Pictures) {
  rounds_only_ = true;
}

Recorder::~Recorder() {
  Finish();
}

void Recorder::Record(GameSession& Session) {
  session_ = &Session;
  // A game that starts slower says so before anything is played.
  if (Session.View().Speed != 100) {
    speed_ = Session.View().Speed;
    WriteLine(SpeedLine(speed_));
  }
  // Today's city is the day's: the replay draws it again from the day.
  NoteDaily();
  // A round is kept to be replayed alone: the game tells where rounds begin
  // and end, and from what they start.
  if (in_memory_) Session.AddRoundListener(this);
}

uint32_t Recorder::ClockSeed() {
  const uint32_t seed = platform_.ClockSeed();
  WriteLine("seed " + std::to_string(seed));
  return seed;
}

void Recorder::Run(FormHandlers& Form) {
  form_ = &Form;
  platform_.Run(*this);
  WriteEnd();
  form_ = nullptr;
}

void Recorder::WriteEnd() {
  if (ended_ || (file_ == nullptr && !in_memory_)) return;
  WriteFrames();
  if (in_round_) EndRound(text_.size());
  // Without a frame there is no last trace line to end with.
  if (calls_ > 0) {
    Write("# final: ", 9);
    Write(final_.data(), final_.size());
    Write("\n", 1);
  }
  ended_ = true;
  if (file_ != nullptr) WriteLines();
}

bool Recorder::Finish() {
  if (file_ == nullptr) return !write_failed_;
  if (std::fclose(file_) != 0 && !write_failed_) {
    write_failed_ = true;
    write_error_ = errno;
  }
  file_ = nullptr;
  return !write_failed_;
}

void Recorder::Write(const char* Text, size_t Size) {
  if (ended_) return;
  if (in_memory_) {
    text_.append(Text, Size);
  } else if (!started_) {
    held_.append(Text, Size);
  } else if (!write_failed_) {
    // Room is made by writing the lines before; no line is as long as the buffer.
    if (buffered_ + Size > sizeof buffer_) WriteLines();
    if (write_failed_ || buffered_ + Size > sizeof buffer_) return;
    std::memcpy(buffer_ + buffered_, Text, Size);
    buffered_ += Size;
  }
}

void Recorder::WriteLines() {
  const std::string_view buffered(buffer_, buffered_);
  const size_t lines = buffered.rfind('\n') + 1;  // 0 when there is no whole line
  if (write_failed_ || lines == 0) return;
  const size_t done = WriteToFile(file_, buffer_, lines);
  if (done < lines) {
    write_error_ = errno;
    // What reached the file up to its last line feed is kept.
    const size_t whole = buffered.substr(0, done).rfind('\n') + 1;
    frames_kept_ += FramesIn(buffered.substr(0, whole));
    written_ += whole;
    CutFile(file_, written_);
    Failed();
    return;
  }
  frames_kept_ += FramesIn(buffered.substr(0, lines));
  written_ += lines;
  std::memmove(buffer_, buffer_ + lines, buffered_ - lines);
  buffered_ -= lines;
}

void Recorder::Failed() {
  write_failed_ = true;
  buffered_ = 0;
}

void Recorder::WriteFrames() {
  if (pending_frames_ == 0) return;
  char line[32];
  const int n = std::snprintf(line, sizeof line, "frames %u\n", pending_frames_);
  Write(line, static_cast<size_t>(n));
  pending_frames_ = 0;
}

void Recorder::WriteLine(const std::string& Text) {
  // A recording in memory that has no room for one more line ends here.
  if (in_memory_ && !ended_ && text_.size() + kEndRoom > limit_) {
    WriteEnd();
    full_ = true;
  }
  WriteFrames();
  event_at_ = text_.size();
  Write(Text.data(), Text.size());
  Write("\n", 1);
}

bool Recorder::Lost() const {
  IDirectDrawSurface7* primary = session_ != nullptr ? session_->View().PrimarySurface : nullptr;
  return primary != nullptr && primary->IsLost() == DDERR_SURFACELOST;
}

void Recorder::NoteDaily() {
  // A day cannot be taken back in a script: the page never does.
  if (session_ == nullptr || session_->DailyCity() == daily_ || session_->DailyCity() == 0) return;
  daily_ = session_->DailyCity();
  WriteLine("daily " + std::to_string(daily_));
}

void Recorder::Handle(const FormEvent& Event) {
  NoteDaily();
  if (EventName(Event.kind) != nullptr) {
    WriteLine(EventLine(Event));
  } else if (Event.kind == FormEvent::Speed && IsSpeed(Event.key) && Event.key != speed_) {
    // Where the player changes it: what follows was played at this pace.
    speed_ = Event.key;
    WriteLine(SpeedLine(speed_));
  }
  form_->Handle(Event);
}

void Recorder::RoundStarted(const RoundStart& Start) {
  if (ended_) return;
  if (in_round_) EndRound(event_at_);
  round_ = Round{};
  round_.Begin = event_at_;
  round_.Start = Start;
  in_round_ = true;
  if (rounds_only_) {
    // Only the last round and this one are ever asked for.
    const size_t cut = has_last_round_ ? last_round_.Begin : round_.Begin;
    text_.erase(0, cut);
    round_.Begin -= cut;
    event_at_ -= cut;
    if (has_last_round_) {
      last_round_.Begin -= cut;
      last_round_.End -= cut;
    }
  }
}

void Recorder::RoundClosed() {
  // Its end is where the line of the event that closed it begins.
  if (in_round_) EndRound(event_at_);
}

void Recorder::EndRound(size_t At) {
  in_round_ = false;
  if (round_.Calls == 0) return;
  round_.End = At;
  last_round_ = std::move(round_);
  has_last_round_ = true;
}

void Recorder::GameLoop(bool& Done) {
  if (ended_) {
    form_->GameLoop(Done);
    return;
  }
  if (!started_) {
    // The display is set up and the game runs: what the file held may go.
    started_ = true;
    if (empty_first_ && !EmptyFile(file_)) {
      write_error_ = errno;
      Failed();
    }
    Write(held_.data(), held_.size());
    held_.clear();
  }
  NoteDaily();
  // A loss is written once, before the first frame that meets it; it lasts
  // until a frame ends with the surfaces back.
  if (!lose_written_ && Lost()) {
    WriteFrames();
    Write("lose\n", 5);
    lose_written_ = true;
  }
  form_->GameLoop(Done);
  if (!Lost()) lose_written_ = false;
  ++calls_;
  ++pending_frames_;
  // Kept at once: the game may end before the next frame, or in the middle of it.
  if (session_ != nullptr) FormatTraceLine(session_->View(), calls_, &final_);
  if (in_round_) {
    ++round_.Calls;
    round_.FinalLine = final_;
  }
  const auto now = std::chrono::steady_clock::now();
  // The run of frames now going on is written when it ends: by the timer's
  // tick, within a second.
  if (file_ != nullptr && now - last_flush_ >= kFlushInterval) {
    last_flush_ = now;
    WriteLines();
  }
}

std::string Recorder::Recording() const {
  std::string text = text_;
  if (ended_) return text;
  if (pending_frames_ > 0) text += "frames " + std::to_string(pending_frames_) + "\n";
  if (calls_ > 0) text += "# final: " + final_ + "\n";
  return text;
}

std::string Recorder::LastRound(uint16_t* Speed) const {
  const bool going = in_round_ && round_.Calls > 0;
  if (!going && !has_last_round_) return "";
  const Round& round = going ? round_ : last_round_;
  if (Speed != nullptr) *Speed = round.Start.Speed;
  // The game as the round found it, set at once, then the round's own events.
  std::string text = Heading(round.Start.Pictures, round.Start.Speed);
  if (round.Start.Daily != 0) {
    // Today's city: the day names it, and the replay draws it again.
    text += "daily " + std::to_string(round.Start.Daily) + "\n";
  } else if (round.Start.ValueCount > 0) {
    text += "random";
    for (int i = 0; i < round.Start.ValueCount; ++i) {
      text += " " + std::to_string(round.Start.Values[i]);
    }
    text += "\n";
  }
  text += StateLine(round.Start.Carried) + "\n";
  const size_t end = going ? text_.size() : round.End;
  text.append(text_, round.Begin, end - round.Begin);
  if (going && pending_frames_ > 0) text += "frames " + std::to_string(pending_frames_) + "\n";
  // Its last frame, counted from the round's own start.
  std::string final = round.FinalLine;
  SetTraceField(&final, "n", std::to_string(round.Calls));
  return text + "# final: " + final + "\n";
}

}  // namespace carpex
