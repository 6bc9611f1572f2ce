#include "tools/recorder.h"

#include <cstdio>

#include "assets/files.h"
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

// The first lines of every recording: the game that made it, and the
// language of the pictures the player saw, which the replay draws too.
std::string Heading(Language Pictures) {
  return std::string("# Carpex ") + GameVersion() + "\nlanguage " + LanguageCode(Pictures) + "\n";
}

// A trace field's comma-separated numbers with the first Count of them 0.
std::string Zeroed(std::string_view Value, int Count) {
  std::string zeroed;
  size_t at = 0;
  for (int i = 0; i < Count && at != std::string_view::npos; ++i) {
    zeroed += i > 0 ? ",0" : "0";
    at = Value.find(',', at);
    if (at != std::string_view::npos) ++at;
  }
  if (at != std::string_view::npos) zeroed += "," + std::string(Value.substr(at));
  return zeroed;
}

}  // namespace

class Recorder::NotedRandom final : public RandomSource {
 public:
  explicit NotedRandom(uint32_t Seed) { own_.Seed(Seed); }
  int32_t Random(int32_t N) override {
    const int32_t value = own_.Random(N);
    if (noted_ != nullptr) noted_->push_back(static_cast<uint32_t>(value));
    return value;
  }
  // The values drawn from now on go to Noted; nullptr: nowhere.
  void NoteInto(std::vector<uint32_t>* Noted) { noted_ = Noted; }

 private:
  GameRandom own_;
  std::vector<uint32_t>* noted_ = nullptr;
};

Recorder::Recorder(Application& Platform, std::FILE* File, bool EmptyFirst, Language Pictures)
    : ApplicationLayer(Platform), file_(File), empty_first_(EmptyFirst), pictures_(Pictures) {
  std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
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
      limit_(Limit),
      pictures_(Pictures) {
  final_.reserve(kTraceLineCapacity);
  last_flush_ = std::chrono::steady_clock::now();
  text_ = Heading(Pictures);
}

Recorder::~Recorder() {
  Finish();
}

void Recorder::Record(GameSession& Session) {
  session_ = &Session;
  // A round is replayed alone from its city's values: the game draws from
  // a generator here that notes them, the same as its own would be.
  if (in_memory_) {
    random_ = std::make_unique<NotedRandom>(seed_);
    Session.SetRandomSource(random_.get());
  }
}

uint32_t Recorder::ClockSeed() {
  seed_ = platform_.ClockSeed();
  WriteLine("seed", seed_);
  return seed_;
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
  if (in_round_) EndRound();
  // Without a frame there is no last trace line to end with.
  if (calls_ > 0) {
    Write("# final: ", 9);
    Write(final_.data(), final_.size());
    Write("\n", 1);
  }
  ended_ = true;
  if (file_ != nullptr && std::fflush(file_) != 0) write_failed_ = true;
}

bool Recorder::Finish() {
  if (file_ == nullptr) return !write_failed_;
  if (std::fclose(file_) != 0) write_failed_ = true;
  file_ = nullptr;
  return !write_failed_;
}

void Recorder::Write(const char* Text, size_t Size) {
  if (ended_) return;
  if (in_memory_) {
    text_.append(Text, Size);
  } else if (!started_) {
    held_.append(Text, Size);
  } else if (std::fwrite(Text, 1, Size, file_) != Size) {
    write_failed_ = true;
  }
}

void Recorder::WriteFrames() {
  if (pending_frames_ == 0) return;
  char line[32];
  const int n = std::snprintf(line, sizeof line, "frames %u\n", pending_frames_);
  Write(line, static_cast<size_t>(n));
  pending_frames_ = 0;
}

void Recorder::WriteLine(const char* Name, int64_t Value) {
  // A recording in memory that has no room for one more line ends here.
  if (in_memory_ && !ended_ && text_.size() + kEndRoom > limit_) WriteEnd();
  WriteFrames();
  char line[32];
  const int n = Value < 0 ? std::snprintf(line, sizeof line, "%s\n", Name)
                          : std::snprintf(line, sizeof line, "%s %lld\n", Name,
                                          static_cast<long long>(Value));
  Write(line, static_cast<size_t>(n));
}

void Recorder::WriteLanguage(Language Pictures) {
  WriteLine(Pictures == Language::English ? "language en" : "language zh");
}

void Recorder::UsePictures(Language Chosen) {
  WriteLanguage(Chosen);
  pictures_ = Chosen;
  if (session_ != nullptr) session_->UsePictures(Chosen);
}

bool Recorder::Lost() const {
  IDirectDrawSurface7* primary = session_ != nullptr ? session_->View().PrimarySurface : nullptr;
  return primary != nullptr && primary->IsLost() == DDERR_SURFACELOST;
}

void Recorder::Pass(const FormEvent& Event) {
  // A round begins and ends with a typed character: a digit on the level
  // screen, Escape from a round.
  const bool rounds = in_memory_ && session_ != nullptr && !ended_ && Event.kind == FormEvent::Char;
  if (!rounds) {
    WriteLine(EventName(Event.kind), MaxKey(Event.kind) > 0 ? Event.key : -1);
    Deliver(*form_, Event);
    return;
  }
  const FormView before = session_->View();
  const TGameState was = before.W.GameState;
  if (in_round_ && was != kLevelChoice && Event.key == 27) EndRound();
  WriteFrames();
  const size_t at = text_.size();
  WriteLine(EventName(Event.kind), Event.key);
  std::vector<uint32_t> values;
  if (was == kLevelChoice && random_ != nullptr) random_->NoteInto(&values);
  Deliver(*form_, Event);
  if (random_ != nullptr) random_->NoteInto(nullptr);
  if (was == kLevelChoice && session_->View().W.GameState == kPlaying && !ended_) {
    BeginRound(at, before);
    round_.Values = std::move(values);
  }
}

void Recorder::BeginRound(size_t At, const FormView& Before) {
  if (in_round_) EndRound();
  round_ = Round{};
  round_.Begin = At;
  round_.FirstCall = calls_;
  round_.Pictures = pictures_;
  round_.Active = Before.Active;
  round_.FrameCount = Before.FrameCount;
  round_.FramesPerSecond = Before.FramesPerSecond;
  round_.FpsShown = Before.FpsShown;
  in_round_ = true;
}

void Recorder::EndRound() {
  in_round_ = false;
  if (round_.Calls == 0) return;
  WriteFrames();
  round_.End = text_.size();
  last_round_ = std::move(round_);
  has_last_round_ = true;
}

void Recorder::FormKeyPress(uint8_t& Key) {
  Pass({FormEvent::Char, Key});
}

void Recorder::FormKeyDown(uint16_t& Key) {
  Pass({FormEvent::KeyDown, Key});
}

void Recorder::FormKeyUp(uint16_t& Key) {
  Pass({FormEvent::KeyUp, Key});
}

void Recorder::Timer1Timer() {
  Pass({FormEvent::Tick, 0});
}

void Recorder::ApplicationEvents1Deactivate() {
  Pass({FormEvent::Deactivate, 0});
}

void Recorder::ApplicationEvents1Restore() {
  Pass({FormEvent::Restore, 0});
}

void Recorder::GameLoop(bool& Done) {
  if (ended_) {
    form_->GameLoop(Done);
    return;
  }
  if (!started_) {
    // The display is set up and the game runs: what the file held may go.
    started_ = true;
    if (empty_first_ && !EmptyFile(file_)) write_failed_ = true;
    Write(held_.data(), held_.size());
    held_.clear();
  }
  // A loss is written once, before the first frame that meets it; it lasts
  // until a frame ends with the surfaces back.
  if (!lose_written_ && Lost()) {
    WriteFrames();
    Write("lose\n", 5);
    lose_written_ = true;
  }
  const bool released = in_round_ && session_->View().W.Bomb.State == kBombReleased;
  form_->GameLoop(Done);
  if (!Lost()) lose_written_ = false;
  ++calls_;
  ++pending_frames_;
  // Kept at once: the game may end before the next frame, or in the middle of it.
  if (session_ != nullptr) FormatTraceLine(session_->View(), calls_, &final_);
  if (in_round_) {
    const FormView view = session_->View();
    ++round_.Calls;
    // Only MoveBomb takes a bomb from released, and it sets where it is.
    if (released && view.W.Bomb.State != kBombReleased) round_.BombMoved = true;
    // A frame of the round's end places its banner.
    if (view.Active != 0 && view.W.GameState == kRoundOver) round_.BannerPlaced = true;
    round_.FinalLine = final_;
  }
  const auto now = std::chrono::steady_clock::now();
  // The run of frames now going on is written when it ends: by the timer's
  // tick, within a second.
  if (file_ != nullptr && now - last_flush_ >= kFlushInterval) {
    last_flush_ = now;
    if (std::fflush(file_) != 0) write_failed_ = true;
  }
}

std::string Recorder::Recording() const {
  std::string text = text_;
  if (ended_) return text;
  if (pending_frames_ > 0) text += "frames " + std::to_string(pending_frames_) + "\n";
  if (calls_ > 0) text += "# final: " + final_ + "\n";
  return text;
}

std::string Recorder::LastRound() const {
  const bool going = in_round_ && round_.Calls > 0;
  if (!going && !has_last_round_) return "";
  const Round& round = going ? round_ : last_round_;
  std::string text = Heading(round.Pictures);
  if (!round.Values.empty()) {
    text += "random";
    for (uint32_t value : round.Values) text += " " + std::to_string(value);
    text += "\n";
  }
  // The game as it stood when the round began: the frame rate shown or not,
  // the last second's frames and those since.
  if (round.FpsShown >= 1) text += "char 102\n";
  if (round.FramesPerSecond > 0) text += "frames " + std::to_string(round.FramesPerSecond) + "\n";
  text += "tick\n";
  if (round.FrameCount > 0) text += "frames " + std::to_string(round.FrameCount) + "\n";
  const uint64_t prelude = uint64_t{round.FramesPerSecond} + round.FrameCount;
  if (round.Active == 0) text += "deactivate\n";
  const size_t end = going ? text_.size() : round.End;
  text.append(text_, round.Begin, end - round.Begin);
  if (going && pending_frames_ > 0) text += "frames " + std::to_string(pending_frames_) + "\n";
  // Its last frame as the round alone ends on: counted from the script's
  // start, and what the round did not set itself as a fresh game has it.
  std::string final = round.FinalLine;
  SetTraceField(&final, "n", std::to_string(prelude + round.Calls));
  if (!round.BombMoved) SetTraceField(&final, "bomb", Zeroed(TraceField(final, "bomb"), 4));
  if (!round.BannerPlaced) SetTraceField(&final, "banner", Zeroed(TraceField(final, "banner"), 2));
  return text + "# final: " + final + "\n";
}

}  // namespace carpex
