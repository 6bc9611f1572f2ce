#include "tools/replay.h"

#include <ostream>
#include <vector>

#include "assets/files.h"
#include "assets/picture.h"
#include "shell/form_event.h"
#include "shell/session.h"
#include "tools/trace.h"

namespace carpex {

namespace {

// Random(n) from the values of the script's `random` lines that have been run.
// A request the queue cannot serve is remembered; the replay stops before the
// frame's trace line is printed.
class QueuedRandom final : public RandomSource {
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

// The whole script read once: the first malformed line stops everything.
bool CheckScript(ScriptSource& Source, const std::string& Name, std::string* Error) {
  ScriptReader reader(Source, Name);
  ScriptCommand command;
  while (reader.Next(&command, Error)) {
  }
  return Error->empty();
}

// Writes the picture now on the screen as the shot's file; false with the
// reason in *Error.
bool WriteShot(ReplayPlatform& Platform, const ReplayDisplay& Display, const std::string& File,
               const ReplayOptions& Options, std::vector<uint8_t>* Picture,
               std::vector<uint8_t>* Bytes, std::string* Error) {
  if (!Platform.ReadPicture(Display, Picture)) {
    *Error = "the screen could not be read";
    return false;
  }
  if (!EncodePicture(File, ReplayPlatform::kPictureWidth, ReplayPlatform::kPictureHeight,
                     Picture->data(), Bytes)) {
    *Error = "the picture could not be encoded";
    return false;
  }
  return WriteWholeFile(Options.ShotFolder, File, *Bytes, Options.OverwriteShots, Error);
}

// One run of a checked script: the game's session on the platform, and the
// script's commands carried out in order, with a trace line after each frame.
class Replay {
 public:
  Replay(ScriptSource& Source, const std::string& Name, std::ostream& Out, std::ostream& Err,
         ReplayPlatform& Platform, const ReplayOptions& Options)
      : source_(Source),
        name_(Name),
        quoted_name_(QuoteWord(Name, Name.size())),
        out_(Out),
        err_(Err),
        platform_(Platform),
        options_(Options),
        session_(Platform.App()),
        queue_(Source, Name) {
    line_.reserve(kTraceLineCapacity);
  }

  // The replay tool's exit status.
  int Run() {
    if (platform_.Terminated()) {
      err_ << quoted_name_ << ": the display could not be set up\n";
      status_ = kReplayFailed;
    }
    ScriptReader reader(source_, name_);
    ScriptCommand command;
    std::string error;
    while (status_ == kReplayRan && !platform_.Terminated() && reader.Next(&command, &error)) {
      queue_.before = command.Line;
      platform_.Pump(Display());
      CarryOut(command);
      if (status_ == kReplayRan) RandomFailed(command.Line);
    }
    if (status_ == kReplayRan && !error.empty()) {
      err_ << error << '\n';
      status_ = kReplayRefused;
    }
    if (status_ == kReplayRan) {
      out_.flush();
      TraceFailed();
    }
    return status_;
  }

 private:
  void CarryOut(const ScriptCommand& Command) {
    switch (Command.Op) {
      case ScriptOp::Event:
        Deliver(session_.Handlers(), Command.Event);
        break;
      case ScriptOp::Random:
        session_.SetRandomSource(&queue_);
        break;
      case ScriptOp::Seed:
        session_.SeedOwnGenerator(Command.Value);
        break;
      case ScriptOp::Language:
        session_.UsePictures(Command.Value == 1 ? Language::English : Language::Chinese);
        break;
      case ScriptOp::Lose:
        // Said on stderr: a replay that expects lost surfaces and gets none is no test.
        if (!platform_.LoseSurfaces(Display())) {
          err_ << "lose: the surfaces could not be taken away\n";
        }
        break;
      case ScriptOp::Frames:
        RunFrames(Command);
        break;
      case ScriptOp::Shot:
        Shoot(Command);
        break;
    }
  }

  void RunFrames(const ScriptCommand& Command) {
    for (uint32_t i = 0; i < Command.Value && status_ == kReplayRan; ++i) {
      bool done = true;
      platform_.Pump(Display());
      session_.Handlers().GameLoop(done);
      if (RandomFailed(Command.Line)) return;
      if (options_.AfterFrame) options_.AfterFrame(session_.View());
      FormatTraceLine(session_.View(), ++calls_, &line_);
      line_.push_back('\n');
      out_ << line_;
      TraceFailed();
    }
  }

  void Shoot(const ScriptCommand& Command) {
    if (options_.ShotFolder.empty()) return;
    std::string error;
    if (WriteShot(platform_, Display(), Command.File, options_, &picture_, &picture_file_,
                  &error)) {
      return;
    }
    err_ << quoted_name_ << ":" << Command.Line << ": cannot write "
         << QuoteWord(Command.File, Command.File.size()) << ": " << error << '\n';
    status_ = kReplayFailed;
  }

  ReplayDisplay Display() const {
    const FormView view = session_.View();
    return ReplayDisplay{view.DirectDrawDevice, view.PrimarySurface};
  }

  // A Random(n) that the queue could not serve, asked for by the command on
  // line Line or its frames, ends the replay.
  bool RandomFailed(uint64_t Line) {
    if (!queue_.failed) return false;
    if (queue_.empty) {
      err_ << quoted_name_ << ":" << Line << ": Random(" << queue_.failedN
           << ") asked for a value but the queue is empty\n";
    } else {
      err_ << quoted_name_ << ":" << Line << ": queued value " << queue_.badValue
           << " is not in 0.." << queue_.failedN - 1 << " for Random(" << queue_.failedN << ")\n";
    }
    status_ = kReplayRefused;
    return true;
  }

  bool TraceFailed() {
    if (out_) return false;
    err_ << quoted_name_ << ": cannot write the trace\n";
    status_ = kReplayFailed;
    return true;
  }

  ScriptSource& source_;
  const std::string& name_;
  const std::string quoted_name_;
  std::ostream& out_;
  std::ostream& err_;
  ReplayPlatform& platform_;
  const ReplayOptions& options_;
  int status_ = kReplayRan;
  GameSession session_;
  QueuedRandom queue_;
  std::string line_;
  std::vector<uint8_t> picture_, picture_file_;
  uint64_t calls_ = 0;
};

}  // namespace

int RunReplay(ScriptSource& Source, const std::string& Name, std::ostream& Out, std::ostream& Err,
              const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform,
              const ReplayOptions& Options) {
  std::string error;
  if (!CheckScript(Source, Name, &error)) {
    Err << error << '\n';
    return kReplayRefused;
  }
  std::unique_ptr<ReplayPlatform> platform = MakePlatform();
  Replay replay(Source.Reread(), Name, Out, Err, *platform, Options);
  return replay.Run();
}

int RunReplay(std::string_view Text, const std::string& Name, std::ostream& Out, std::ostream& Err,
              const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform,
              const ReplayOptions& Options) {
  TextSource source(Text);
  return RunReplay(source, Name, Out, Err, MakePlatform, Options);
}

}  // namespace carpex
