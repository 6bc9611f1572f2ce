#include "tools/watch.h"

#include <algorithm>

#include "tools/trace.h"
#include "world/keys.h"

namespace carpex {

namespace {

constexpr int kSlowest = -2;
constexpr int kFastest = 4;
// While it plays, what the watching shows is told at most this often: a
// window's title is no place for sixty changes a second.
constexpr auto kTellEvery = std::chrono::milliseconds(200);
constexpr int kMostSteps = 60;
// An idle call carries out the commands before a frame in slices of this
// many, until this much time has gone: the loop hears the player in between.
constexpr uint64_t kCommandsInASlice = 64;
constexpr auto kLongestCall = std::chrono::milliseconds(10);
constexpr uint8_t kCharPeriod = '.';
constexpr size_t kShownBytes = 60;

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
                 const ScriptSummary& Summary, Language In,
                 std::function<void(const Watcher&)> Show, std::function<bool()> LoseSurfaces,
                 RoundListener* Rounds)
    : ApplicationLayer(Platform),
      source_(Source),
      name_(std::move(Name)),
      summary_(Summary),
      in_(In),
      rounds_(Rounds),
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
  ReplayOptions options;
  options.Rounds = rounds_;
  run_ = std::make_unique<ReplayRun>(source_, name_, static_cast<ReplayPlatform&>(*this), options);
  phase_ = run_->Status() == kReplayRan ? Phase::Playing : Phase::Ended;
  waited_ = 0;
  steps_ = 0;
  if (phase_ == Phase::Ended) End();
}

void Watcher::Sleep(uint32_t Milliseconds) {
  // At the pace the frame was played at: the recording's speed comes before
  // its frames.
  if (run_->Speed() != paced_) {
    paced_ = static_cast<uint16_t>(run_->Speed());
    platform_.SetSpeed(paced_);
  }
  if (!unseen_) platform_.Sleep(Milliseconds);
}

int Watcher::RunFrames(int Count) {
  const auto until = std::chrono::steady_clock::now() + kLongestCall;
  for (int i = 0; i < Count; ++i) {
    unseen_ = i > 0;
    bool ran = run_->Step(kCommandsInASlice);
    while (!ran && run_->Busy() && std::chrono::steady_clock::now() < until) {
      ran = run_->Step(kCommandsInASlice);
    }
    unseen_ = false;
    if (!ran) return run_->Busy() ? i : -1;
  }
  return Count;
}

void Watcher::End() {
  phase_ = Phase::Ended;
  const std::string name = ShownName(name_);
  const std::string frames = std::to_string(run_->Frames());
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
    outcome_ =
        Say(summary_.Cut.empty() ? Text::WatchNoFinal : Text::WatchNoFinalCut, in_, {name, frames});
    return;
  }
  const std::string difference = TraceDifference(run_->TraceLine(), summary_.FinalLine);
  status_ = difference.empty() ? kReplayRan : kWatchNotExact;
  outcome_ = difference.empty() ? Say(Text::WatchExact, in_, {name, frames})
                                : Say(Text::WatchDiffers, in_, {name, frames, difference});
}

void Watcher::Stop() {
  phase_ = Phase::Ended;
  outcome_ =
      Say(Text::WatchStopped, in_,
          {ShownName(name_), std::to_string(run_->Frames()), std::to_string(summary_.Frames)});
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
      // An idle call without a frame (below 1x) takes a frame's time.
      platform_.Sleep(kFrameSleepMs);
      return;
    }
    waited_ = 0;
  } else if (phase_ == Phase::Playing) {
    count = 1 << speed_;
  }
  const int ran = RunFrames(count);
  if (ran < 0) {
    End();
  } else if (phase_ == Phase::Paused && ran > 0) {
    --steps_;
  }
  Tell(phase_ != Phase::Playing);
}

void Watcher::Handle(const FormEvent& Event) {
  switch (Event.kind) {
    case FormEvent::Char:
      Typed(static_cast<uint8_t>(Event.key));
      break;
    case FormEvent::KeyDown:
      KeyDown(Event.key);
      break;
    case FormEvent::KeyUp:
      KeyUp(Event.key);
      break;
    case FormEvent::Deactivate:
      // Away, the watching waits, and the window goes where the game's would.
      away_ = true;
      platform_.Minimize();
      break;
    case FormEvent::Restore:
      away_ = false;
      platform_.Maximize();
      break;
    case FormEvent::LeaveExclusive:
      run_->Session().Handlers().Handle(Event);
      break;
    default:
      // The recording has its own pictures, pauses and timer.
      break;
  }
}

void Watcher::KeyDown(uint16_t Key) {
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

void Watcher::KeyUp(uint16_t Key) {
  if (Key == kVkEscape) escape_held_ = escape_repeated_ = false;
}

void Watcher::Typed(uint8_t Key) {
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
    version = Say(Text::WatchUnknownVersion, in_);
  } else if (summary_.Version != GameVersion()) {
    version = Say(Text::WatchOtherVersion, in_, {summary_.Version});
  }
  if (phase_ == Phase::Ended) return outcome_ + version;
  std::string speed =
      speed_ >= 0 ? std::to_string(1 << speed_) + "x" : "1/" + std::to_string(1 << -speed_) + "x";
  if (run_->Speed() != 100) {
    speed = Say(Text::WatchPlayedAt, in_, {speed, std::to_string(run_->Speed())});
  }
  return Say(phase_ == Phase::Paused ? Text::WatchPaused : Text::WatchPlaying, in_,
             {ShownName(name_), std::to_string(run_->Frames()), std::to_string(summary_.Frames),
              speed}) +
         version;
}

std::string Watcher::Keys() const {
  switch (phase_) {
    case Phase::Playing:
      return Say(Text::WatchKeyPause, in_);
    case Phase::Paused:
      return Say(Text::WatchKeyStep, in_);
    case Phase::Ended:
      break;
  }
  return Say(Text::WatchKeyQuit, in_);
}

}  // namespace carpex
