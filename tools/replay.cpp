#include "tools/replay.h"

#include "tools/trace.h"

namespace carpex {

// Random(n) from the values of the script's `random` lines that have been run.
// A request the queue cannot serve is remembered; the replay stops before the
// frame's trace line is printed.
class ReplayRun::QueuedRandom final : public RandomSource {
 public:
  QueuedRandom(ScriptSource& Source, const std::string& Name) : values_(Source, Name) {}

  // Values of lines before this one may be taken (the command now running).
  uint64_t before = 0;
  bool failed = false;
  bool empty = false;
  int32_t failedN = 0;
  uint32_t badValue = 0;

  int32_t Random(int32_t N) override {
    if (failed) return 0;
    uint32_t v = 0;
    if (!values_.NextQueued(before, &v)) {
      failed = true;
      empty = true;
      failedN = N;
      return 0;
    }
    if (N <= 0 || v >= static_cast<uint32_t>(N)) {
      failed = true;
      failedN = N;
      badValue = v;
      return 0;
    }
    return static_cast<int32_t>(v);
  }

 private:
  ScriptReader values_;
};

bool CheckScript(ScriptSource& Source, const std::string& Name, ScriptSummary* Summary,
                 std::string* Error) {
  // Two readers' buffers are too large for every stack a check runs on.
  auto reader = std::make_unique<ScriptReader>(Source, Name);
  ScriptCommand command;
  *Summary = ScriptSummary{};
  while (reader->Next(&command, Error)) {
    if (command.Op == ScriptOp::Frames) Summary->Frames += command.Value;
  }
  const uint64_t bytes = reader->BytesRead();
  const uint64_t most = ScriptReader::kMaxFrames + ScriptReader::kFramesPerByte * bytes;
  if (Error->empty() && Summary->Frames > most) {
    *Error = QuoteWord(Name, Name.size()) + ": " + std::to_string(Summary->Frames) +
             " frames, more than a script of " + std::to_string(bytes) + " bytes runs (" +
             std::to_string(most) + ": " + std::to_string(ScriptReader::kMaxFrames) + " and " +
             std::to_string(ScriptReader::kFramesPerByte) + " a byte)";
  }
  Summary->HasFinalLine = reader->HasFinalLine();
  Summary->FinalLine = reader->FinalLine();
  Summary->Version = reader->Version();
  Summary->Cut = reader->Cut();
  return Error->empty();
}

ReplayRun::ReplayRun(ScriptSource& Source, const std::string& Name, ReplayPlatform& Platform,
                     const ReplayOptions& Options)
    : name_(Name),
      quoted_name_(QuoteWord(Name, Name.size())),
      platform_(Platform),
      options_(Options),
      session_(Platform.App()),
      queue_(std::make_unique<QueuedRandom>(Source, Name)),
      reader_(std::make_unique<ScriptReader>(Source, Name)) {
  line_.reserve(kTraceLineCapacity);
  if (options_.Rounds != nullptr) session_.AddRoundListener(options_.Rounds);
  if (platform_.Terminated())
    Stop(kReplayFailed, quoted_name_ + ": the display could not be set up");
}

ReplayRun::~ReplayRun() = default;

bool ReplayRun::Step(uint64_t Commands) {
  busy_ = false;
  while (status_ == kReplayRan && !ended_) {
    if (frames_left_ > 0) {
      --frames_left_;
      RunFrame();
      return status_ == kReplayRan;
    }
    if (Commands-- == 0) {
      busy_ = true;
      return false;
    }
    std::string error;
    if (platform_.Terminated() || !reader_->Next(&command_, &error)) {
      ended_ = true;
      if (!error.empty()) Stop(kReplayRefused, error);
      break;
    }
    queue_->before = command_.Line;
    // What follows the last frame may change what it left (two Escapes in one
    // turn close the game after leaving a round): its line is taken first.
    if (!line_taken_) TraceLine();
    platform_.Pump(Display());
    CarryOut(command_);
    if (status_ == kReplayRan) RandomFailed(command_.Line);
  }
  return false;
}

const std::string& ReplayRun::TraceLine() {
  if (!line_taken_) FormatTraceLine(session_.View(), calls_, &line_);
  line_taken_ = true;
  return line_;
}

void ReplayRun::Stop(int Status, std::string Message) {
  status_ = Status;
  message_ = std::move(Message);
}

void ReplayRun::CarryOut(const ScriptCommand& Command) {
  switch (Command.Op) {
    case ScriptOp::Event:
      session_.Handlers().Handle(Command.Event);
      break;
    case ScriptOp::Random:
      session_.SetRandomSource(queue_.get());
      break;
    case ScriptOp::State:
      session_.Carry(Command.Carried);
      break;
    case ScriptOp::Daily:
      session_.UseDailyCity(Command.Value);
      break;
    case ScriptOp::Speed:
      speed_ = Command.Value;
      break;
    case ScriptOp::Seed:
      session_.SeedOwnGenerator(Command.Value);
      break;
    case ScriptOp::Lose:
      // Said: a replay that expects lost surfaces and gets none is no test.
      if (!platform_.LoseSurfaces(Display()) && options_.Note) {
        options_.Note("lose: the surfaces could not be taken away");
      }
      break;
    case ScriptOp::Frames:
      frames_left_ = Command.Value;
      break;
    case ScriptOp::Shot:
      Shoot(Command);
      break;
  }
}

void ReplayRun::RunFrame() {
  bool done = true;
  platform_.Pump(Display());
  session_.Handlers().GameLoop(done);
  ++calls_;
  line_taken_ = false;
  if (RandomFailed(command_.Line)) return;
  if (options_.AfterFrame) options_.AfterFrame(session_.View());
}

void ReplayRun::Shoot(const ScriptCommand& Command) {
  if (!options_.Shoot) return;
  std::string error;
  if (options_.Shoot(Display(), Command.File, &error)) return;
  Stop(kReplayFailed, quoted_name_ + ":" + std::to_string(Command.Line) + ": cannot write " +
                          QuoteWord(Command.File, Command.File.size()) + ": " + error);
}

ReplayDisplay ReplayRun::Display() const {
  const FormView view = session_.View();
  return ReplayDisplay{view.DirectDrawDevice, view.PrimarySurface};
}

// A Random(n) that the queue could not serve, asked for by the command on
// line Line or its frames, ends the replay.
bool ReplayRun::RandomFailed(uint64_t Line) {
  if (!queue_->failed) return false;
  const std::string at = quoted_name_ + ":" + std::to_string(Line) + ": ";
  const std::string n = std::to_string(queue_->failedN);
  if (queue_->empty) {
    Stop(kReplayRefused, at + "Random(" + n + ") asked for a value but the queue is empty");
  } else {
    Stop(kReplayRefused, at + "queued value " + std::to_string(queue_->badValue) +
                             " is not in 0.." + std::to_string(queue_->failedN - 1) +
                             " for Random(" + n + ")");
  }
  return true;
}

}  // namespace carpex
