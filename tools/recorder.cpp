#include "tools/recorder.h"

#include <cstdio>

#include "shell/carpex.h"
#include "shell/unit1.h"
#include "tools/files.h"
#include "tools/script.h"
#include "tools/trace.h"

namespace carpex {

namespace {
// The file reaches the disk at least this often; a run of frames is written
// when it ends, and the timer ends one every second.
constexpr auto kFlushInterval = std::chrono::seconds(1);

constexpr const char* kUsage =
    "Usage: carpex [--record FILE [--overwrite]]\n"
    "\n"
    "Keys:\n"
    "  0 to 9         choose a level on the level screen (higher: taller buildings)\n"
    "  Space, Down    drop the bomb (release the key between bombs)\n"
    "  f              show or hide the frame rate\n"
    "  Escape         leave a round; on the level screen, quit\n"
    "  Alt+Enter      full screen or a window (Linux)\n"
    "\n"
    "Gamepad (Linux):\n"
    "  A, D-pad down  drop the bomb; on the level screen, A starts the level the\n"
    "                 window's title names (D-pad left and right change it)\n"
    "  Back           as Escape\n"
    "\n"
    "Options:\n"
    "  --record FILE  record the session into FILE for a bug report;\n"
    "                 carpex-replay FILE repeats it exactly\n"
    "  --overwrite    with --record: replace FILE if it exists\n"
    "  --version      show the version\n"
    "  --help         show this help";
}  // namespace

Recorder::Recorder(Application& Platform, std::FILE* File, bool EmptyFirst)
    : platform_(Platform), file_(File), empty_first_(EmptyFirst) {
  std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
  final_.reserve(kTraceLineCapacity);
  last_flush_ = std::chrono::steady_clock::now();
}

Recorder::~Recorder() {
  Finish();
}

uint32_t Recorder::ClockSeed() {
  const uint32_t seed = platform_.ClockSeed();
  Event("seed", seed);
  return seed;
}

void Recorder::Run(FormHandlers& Form) {
  form_ = &Form;
  game_ = dynamic_cast<const TForm1*>(&Form);
  platform_.Run(*this);
  WriteFrames();
  KeepFinalLine();
  // Without a frame there is no last trace line to end with.
  if (calls_ > 0) {
    Write("# final: ", 9);
    Write(final_.data(), final_.size());
    Write("\n", 1);
  }
  if (std::fflush(file_) != 0) write_failed_ = true;
  form_ = nullptr;
}

bool Recorder::Finish() {
  if (file_ == nullptr) return !write_failed_;
  if (std::fclose(file_) != 0) write_failed_ = true;
  file_ = nullptr;
  return !write_failed_;
}

void Recorder::Write(const char* Text, size_t Size) {
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

void Recorder::Event(const char* Name, int64_t Value) {
  KeepFinalLine();
  WriteFrames();
  char line[32];
  const int n = Value < 0 ? std::snprintf(line, sizeof line, "%s\n", Name)
                          : std::snprintf(line, sizeof line, "%s %lld\n", Name,
                                          static_cast<long long>(Value));
  Write(line, static_cast<size_t>(n));
}

bool Recorder::Lost() const {
  IDirectDrawSurface7* primary = game_ != nullptr ? game_->PrimarySurface.Get() : nullptr;
  return primary != nullptr && primary->IsLost() == DDERR_SURFACELOST;
}

void Recorder::KeepFinalLine() {
  if (!frame_since_final_ || game_ == nullptr) return;
  FormatTraceLine(*game_, calls_, &final_);
  frame_since_final_ = false;
}

void Recorder::FormKeyPress(uint8_t& Key) {
  Event("char", Key);
  form_->FormKeyPress(Key);
}

void Recorder::FormKeyDown(uint16_t& Key) {
  Event("down", Key);
  form_->FormKeyDown(Key);
}

void Recorder::FormKeyUp(uint16_t& Key) {
  Event("up", Key);
  form_->FormKeyUp(Key);
}

void Recorder::Timer1Timer() {
  Event("tick");
  form_->Timer1Timer();
}

void Recorder::ApplicationEvents1Deactivate() {
  Event("deactivate");
  form_->ApplicationEvents1Deactivate();
}

void Recorder::ApplicationEvents1Restore() {
  Event("restore");
  form_->ApplicationEvents1Restore();
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
  frame_since_final_ = true;
  const auto now = std::chrono::steady_clock::now();
  // The run of frames now going on is written when it ends: by the timer's
  // tick, within a second.
  if (now - last_flush_ >= kFlushInterval) {
    last_flush_ = now;
    if (std::fflush(file_) != 0) write_failed_ = true;
  }
}

GameCommandLine::~GameCommandLine() {
  if (file_ == nullptr) return;
  // The game never started.
  std::fclose(file_);
  if (created_) std::remove(path_.c_str());
}

bool GameCommandLine::Parse(int Argc, const char* const* Argv, std::string* Error) {
  bool recording = false;
  for (int i = 1; i < Argc; ++i) {
    const std::string_view arg = Argv[i];
    // Answered before anything else is looked at or created.
    if (arg == "--version" || arg == "--help") {
      answer_ = arg == "--version" ? "Carpex " CARPEX_VERSION : kUsage;
      return true;
    }
    if (arg == "--overwrite") {
      overwrite_ = true;
    } else if (arg != "--record") {
      *Error = "unknown argument " + QuoteWord(arg, arg.size()) +
               " (the game takes --record FILE [--overwrite], --version or --help)";
      return false;
    } else if (recording) {
      *Error = "--record given twice (the game records to one FILE)";
      return false;
    } else if (i + 1 >= Argc || Argv[i + 1][0] == '\0') {
      *Error = "--record needs the FILE to write the recording to";
      return false;
    } else {
      recording = true;
      path_ = Argv[++i];
    }
  }
  if (!recording) {
    if (overwrite_) *Error = "--overwrite is for --record FILE";
    return !overwrite_;
  }
  std::string reason;
  if (OpenForWriting(path_, overwrite_, &file_, &created_, &reason)) return true;
  *Error = "cannot create the recording " + QuoteWord(path_, path_.size()) + ": " + reason;
  return false;
}

int GameCommandLine::Play(Application& App, std::string* Error) {
  if (file_ == nullptr) return Carpex(App);
  Recorder recorder(App, file_, !created_);
  file_ = nullptr;
  const int status = Carpex(recorder);
  const bool written = recorder.Finish();
  if (!recorder.Started()) {
    if (created_) std::remove(path_.c_str());
    return status;
  }
  if (!written) {
    *Error = "the recording " + QuoteWord(path_, path_.size()) + " could not be written whole";
    return 1;
  }
  return status;
}

}  // namespace carpex
