#include "tools/recorder.h"

#include <cstdio>

#include "assets/files.h"
#include "shell/session.h"
#include "tools/trace.h"

namespace carpex {

namespace {
// The file reaches the disk at least this often; a run of frames is written
// when it ends, and the timer ends one every second.
constexpr auto kFlushInterval = std::chrono::seconds(1);

}  // namespace

Recorder::Recorder(Application& Platform, std::FILE* File, bool EmptyFirst, Language Pictures)
    : platform_(Platform), file_(File), empty_first_(EmptyFirst) {
  std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
  final_.reserve(kTraceLineCapacity);
  last_flush_ = std::chrono::steady_clock::now();
  // The replay draws the pictures the player saw.
  held_ = std::string("language ") + LanguageCode(Pictures) + "\n";
}

Recorder::~Recorder() {
  Finish();
}

uint32_t Recorder::ClockSeed() {
  const uint32_t seed = platform_.ClockSeed();
  WriteLine("seed", seed);
  return seed;
}

void Recorder::Run(FormHandlers& Form) {
  form_ = &Form;
  platform_.Run(*this);
  WriteEnd();
  form_ = nullptr;
}

void Recorder::WriteEnd() {
  if (ended_ || file_ == nullptr) return;
  WriteFrames();
  // Without a frame there is no last trace line to end with.
  if (calls_ > 0) {
    Write("# final: ", 9);
    Write(final_.data(), final_.size());
    Write("\n", 1);
  }
  ended_ = true;
  if (std::fflush(file_) != 0) write_failed_ = true;
}

bool Recorder::Finish() {
  if (file_ == nullptr) return !write_failed_;
  if (std::fclose(file_) != 0) write_failed_ = true;
  file_ = nullptr;
  return !write_failed_;
}

void Recorder::Write(const char* Text, size_t Size) {
  if (ended_) return;
  if (!started_) {
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
  WriteFrames();
  char line[32];
  const int n = Value < 0 ? std::snprintf(line, sizeof line, "%s\n", Name)
                          : std::snprintf(line, sizeof line, "%s %lld\n", Name,
                                          static_cast<long long>(Value));
  Write(line, static_cast<size_t>(n));
}

bool Recorder::Lost() const {
  IDirectDrawSurface7* primary = session_ != nullptr ? session_->View().PrimarySurface : nullptr;
  return primary != nullptr && primary->IsLost() == DDERR_SURFACELOST;
}

void Recorder::Pass(const FormEvent& Event) {
  WriteLine(EventName(Event.kind), MaxKey(Event.kind) > 0 ? Event.key : -1);
  Deliver(*form_, Event);
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
  form_->GameLoop(Done);
  if (!Lost()) lose_written_ = false;
  ++calls_;
  ++pending_frames_;
  // Kept at once: the game may end before the next frame, or in the middle of it.
  if (session_ != nullptr) FormatTraceLine(session_->View(), calls_, &final_);
  const auto now = std::chrono::steady_clock::now();
  // The run of frames now going on is written when it ends: by the timer's
  // tick, within a second.
  if (now - last_flush_ >= kFlushInterval) {
    last_flush_ = now;
    if (std::fflush(file_) != 0) write_failed_ = true;
  }
}

}  // namespace carpex
