#include "tools/replay.h"

#include <ostream>
#include <vector>

#include "assets/files.h"
#include "assets/picture.h"
#include "graphics/directdraw.h"
#include "shell/unit1.h"
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

  int32_t Random(int32_t n) override {
    if (failed) return 0;
    uint32_t v = 0;
    if (!values_.NextQueued(before, &v)) {
      failed = true;
      empty = true;
      failedN = n;
      return 0;
    }
    if (n <= 0 || v >= static_cast<uint32_t>(n)) {
      failed = true;
      failedN = n;
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

ReplayDisplay DisplayOf(const TForm1& Form) {
  const FormView view = Form.View();
  return ReplayDisplay{view.DirectDrawDevice, view.PrimarySurface};
}

int Run(ScriptSource& Source, const std::string& Name, std::ostream& Out, std::ostream& Err,
        ReplayPlatform& Platform, const ReplayOptions& Options) {
  int status = kReplayRan;
  const std::string quotedName = QuoteWord(Name, Name.size());
  TForm1 form(Platform.App());
  Form1 = &form;
  QueuedRandom queue(Source, Name);
  form.FormCreate();
  if (Platform.Terminated()) {
    Err << quotedName << ": the display could not be set up\n";
    status = kReplayFailed;
  }

  std::string line;
  line.reserve(kTraceLineCapacity);
  std::vector<uint8_t> picture, pictureFile;
  std::string shotError;
  uint64_t calls = 0;
  auto randomFailed = [&](const ScriptCommand& c) {
    if (!queue.failed) return false;
    if (queue.empty) {
      Err << quotedName << ":" << c.Line << ": Random(" << queue.failedN
          << ") asked for a value but the queue is empty\n";
    } else {
      Err << quotedName << ":" << c.Line << ": queued value " << queue.badValue << " is not in 0.."
          << queue.failedN - 1 << " for Random(" << queue.failedN << ")\n";
    }
    status = kReplayRefused;
    return true;
  };
  auto traceFailed = [&] {
    if (Out) return false;
    Err << quotedName << ": cannot write the trace\n";
    status = kReplayFailed;
    return true;
  };

  ScriptReader reader(Source, Name);
  ScriptCommand c;
  std::string error;
  while (status == kReplayRan && !Platform.Terminated() && reader.Next(&c, &error)) {
    queue.before = c.Line;
    Platform.Pump(DisplayOf(form));
    switch (c.Op) {
      case ScriptOp::Random:
        form.SetRandomSource(&queue);
        break;
      case ScriptOp::Seed:
        form.OwnGenerator().Seed(c.Value);
        break;
      case ScriptOp::Event:
        Deliver(form, c.Event);
        break;
      case ScriptOp::Lose:
        // Said on stderr: a replay that expects lost surfaces and gets none is no test.
        if (!Platform.LoseSurfaces(DisplayOf(form))) {
          Err << "lose: the surfaces could not be taken away\n";
        }
        break;
      case ScriptOp::Frames:
        for (uint32_t i = 0; i < c.Value && status == kReplayRan; ++i) {
          bool done = true;
          Platform.Pump(DisplayOf(form));
          form.GameLoop(done);
          if (randomFailed(c)) break;
          if (Options.AfterFrame) Options.AfterFrame(form.View());
          FormatTraceLine(form.View(), ++calls, &line);
          line.push_back('\n');
          Out << line;
          traceFailed();
        }
        break;
      case ScriptOp::Shot:
        if (!Options.ShotFolder.empty() && !WriteShot(Platform, DisplayOf(form), c.File, Options,
                                                      &picture, &pictureFile, &shotError)) {
          Err << quotedName << ":" << c.Line << ": cannot write "
              << QuoteWord(c.File, c.File.size()) << ": " << shotError << '\n';
          status = kReplayFailed;
        }
        break;
    }
    if (status == kReplayRan) randomFailed(c);
  }
  if (status == kReplayRan && !error.empty()) {
    Err << error << '\n';
    status = kReplayRefused;
  }
  form.FormDestroy();
  Form1 = nullptr;
  if (status == kReplayRan) {
    Out.flush();
    traceFailed();
  }
  return status;
}

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
  DirectDraw::Bind();
  const int status = Run(Source.Reread(), Name, Out, Err, *platform, Options);
  DirectDraw::Unbind();
  return status;
}

int RunReplay(std::string_view Text, const std::string& Name, std::ostream& Out, std::ostream& Err,
              const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform,
              const ReplayOptions& Options) {
  TextSource source(Text);
  return RunReplay(source, Name, Out, Err, MakePlatform, Options);
}

}  // namespace carpex
