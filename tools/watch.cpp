#include "tools/watch.h"

#include <algorithm>

#include "tools/trace.h"
#include "world/keys.h"

namespace carpex {

namespace {

constexpr int kSlowest = -2;
constexpr int kFastest = 4;
// An idle call without a frame (below 1x) takes a frame's time.
constexpr uint32_t kFrameMs = 16;
// While it plays, what the watching shows is told at most this often: a
// window's title is no place for sixty changes a second.
constexpr auto kTellEvery = std::chrono::milliseconds(200);
constexpr int kMostSteps = 60;
constexpr uint8_t kCharEscape = 27;
constexpr uint8_t kCharPeriod = '.';
constexpr size_t kShownBytes = 60;
constexpr uint32_t kMbIconError = 0x10;

// The length of the UTF-8 character at the start of Text, 0 when it is none.
size_t CharacterLength(std::string_view Text) {
  const auto lead = static_cast<unsigned char>(Text[0]);
  const size_t length = lead < 0x80                   ? 1
                        : lead >= 0xC2 && lead < 0xE0 ? 2
                        : lead >= 0xE0 && lead < 0xF0 ? 3
                        : lead >= 0xF0 && lead < 0xF5 ? 4
                                                      : 0;
  if (length == 0 || length > Text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(Text[i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string ShownName(std::string_view Path) {
  const size_t slash = Path.find_last_of("/\\");
  std::string_view rest = slash == std::string_view::npos ? Path : Path.substr(slash + 1);
  std::string shown;
  while (!rest.empty()) {
    size_t length = CharacterLength(rest);
    const bool control =
        length == 1 && (static_cast<unsigned char>(rest[0]) < 0x20 || rest[0] == 0x7F);
    if (shown.size() + std::max<size_t>(length, 1) > kShownBytes) return shown + "...";
    if (length == 0 || control) {
      shown += '?';
      length = 1;
    } else {
      shown.append(rest.substr(0, length));
    }
    rest.remove_prefix(length);
  }
  return shown;
}

Watcher::Watcher(Application& Platform, ScriptSource& Source, std::string Name,
                 const ScriptSummary& Summary, std::function<void(const Watcher&)> Show,
                 std::function<bool()> LoseSurfaces)
    : ApplicationLayer(Platform),
      source_(Source),
      name_(std::move(Name)),
      summary_(Summary),
      show_(std::move(Show)),
      lose_(std::move(LoseSurfaces)) {
  Begin();
  // The form has said why in its box.
  failed_ = run_->Status() != kReplayRan;
}

Watcher::~Watcher() = default;

int Watcher::Watch() {
  if (failed_) return kReplayFailed;
  Tell();
  platform_.Run(*this);
  return status_;
}

void Watcher::Begin() {
  // The last run's game goes first: there is one form at a time.
  run_.reset();
  closed_ = false;
  run_ = std::make_unique<ReplayRun>(source_, name_, static_cast<ReplayPlatform&>(*this));
  phase_ = run_->Status() == kReplayRan ? Phase::Playing : Phase::Ended;
  waited_ = 0;
  steps_ = 0;
  if (phase_ == Phase::Ended) End();
}

void Watcher::Sleep(uint32_t Milliseconds) {
  if (!unseen_) platform_.Sleep(Milliseconds);
}

bool Watcher::RunFrames(int Count) {
  for (int i = 0; i < Count; ++i) {
    unseen_ = i > 0;
    const bool ran = run_->Step();
    unseen_ = false;
    if (!ran) return false;
  }
  return true;
}

void Watcher::End() {
  phase_ = Phase::Ended;
  const std::string frames = std::to_string(run_->Frames()) + " frames";
  if (run_->Status() != kReplayRan) {
    status_ = run_->Status();
    refusal_ = run_->Message();
    outcome_.clear();
    // As the replay tool says it, in a box for a game that may have no terminal.
    platform_.ShowMessageBox(refusal_.c_str(), "Carpex", kMbIconError);
    return;
  }
  if (!summary_.HasFinalLine) {
    status_ = kWatchNotExact;
    outcome_ = "ended after " + frames + ", without a final line to compare with";
    return;
  }
  const std::string difference = TraceDifference(run_->TraceLine(), summary_.FinalLine);
  status_ = difference.empty() ? kReplayRan : kWatchNotExact;
  outcome_ = difference.empty() ? "replays exactly (" + frames + ")"
                                : "differs from its final line after " + frames + ": " + difference;
}

void Watcher::Stop() {
  phase_ = Phase::Ended;
  outcome_ = "stopped at frame " + std::to_string(run_->Frames()) + " of " +
             std::to_string(summary_.Frames);
}

void Watcher::GameLoop(bool& Done) {
  Done = false;
  if (restart_) {
    restart_ = false;
    Begin();
    Tell();
  }
  const bool frame = phase_ == Phase::Playing || (phase_ == Phase::Paused && steps_ > 0);
  if (away_ || !frame) {
    // Nothing to run: the loop may wait for the player.
    Done = true;
    return;
  }
  int count = 1;
  if (phase_ == Phase::Playing && speed_ < 0) {
    if (++waited_ < (1 << -speed_)) {
      platform_.Sleep(kFrameMs);
      return;
    }
    waited_ = 0;
  } else if (phase_ == Phase::Playing) {
    count = 1 << speed_;
  }
  if (phase_ == Phase::Paused) --steps_;
  if (!RunFrames(count)) End();
  Tell(phase_ != Phase::Playing);
}

void Watcher::FormKeyDown(uint16_t& Key) {
  switch (Key) {
    case kVkEscape:
      // Escape is acted on as the character it types (a gamepad's Back types
      // it too); one held down repeats, and must not quit what it stopped.
      escape_repeated_ = escape_held_;
      escape_held_ = true;
      return;
    case kVkSpace:
      if (phase_ == Phase::Playing) {
        phase_ = Phase::Paused;
      } else if (phase_ == Phase::Paused) {
        phase_ = Phase::Playing;
        steps_ = 0;
      }
      break;
    case kVkRight:
      Step();
      break;
    case kVkUp:
      speed_ = std::min(speed_ + 1, kFastest);
      break;
    case kVkDown:
      speed_ = std::max(speed_ - 1, kSlowest);
      break;
    case kVkHome:
      restart_ = true;
      break;
    default:
      return;
  }
  Tell();
}

void Watcher::Step() {
  // Each press a frame, however quickly they come; a held key's repeats too.
  if (phase_ == Phase::Paused && steps_ < kMostSteps) ++steps_;
}

void Watcher::FormKeyUp(uint16_t& Key) {
  if (Key == kVkEscape) escape_held_ = escape_repeated_ = false;
}

void Watcher::FormKeyPress(uint8_t& Key) {
  if (Key == kCharPeriod) {
    Step();
  } else if (Key == kCharEscape && !escape_repeated_) {
    if (phase_ != Phase::Ended) {
      Stop();
    } else {
      platform_.Hide();
      platform_.Terminate();
    }
  } else {
    return;
  }
  Tell();
}

void Watcher::ApplicationEvents1Deactivate() {
  // Away, the watching waits, and the window goes where the game's would.
  away_ = true;
  platform_.Minimize();
}

void Watcher::ApplicationEvents1Restore() {
  away_ = false;
  platform_.Maximize();
}

void Watcher::LeaveExclusiveDisplay() {
  run_->Session().Handlers().LeaveExclusiveDisplay();
}

void Watcher::Tell(bool Now) {
  const auto now = std::chrono::steady_clock::now();
  if (!Now && now - told_ < kTellEvery) return;
  told_ = now;
  if (show_) show_(*this);
}

std::string Watcher::Description() const {
  if (!refusal_.empty() && phase_ == Phase::Ended) return refusal_;
  std::string version;
  if (summary_.Version.empty() || summary_.Version == "?") {
    version = " (recorded by an unknown version)";
  } else if (summary_.Version != GameVersion()) {
    version = " (recorded by Carpex " + summary_.Version + ")";
  }
  const std::string name = "'" + ShownName(name_) + "'";
  if (phase_ == Phase::Ended) return name + " " + outcome_ + version;
  const std::string speed =
      speed_ >= 0 ? std::to_string(1 << speed_) + "x" : "1/" + std::to_string(1 << -speed_) + "x";
  return name + ", frame " + std::to_string(run_->Frames()) + " of " +
         std::to_string(summary_.Frames) + ", " + speed +
         (phase_ == Phase::Paused ? ", paused" : "") + version;
}

std::string Watcher::Keys() const {
  switch (phase_) {
    case Phase::Playing:
      return "Space pauses";
    case Phase::Paused:
      return "Right: next frame";
    case Phase::Ended:
      break;
  }
  return "Escape quits";
}

}  // namespace carpex
