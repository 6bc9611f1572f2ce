#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "assets/files.h"
#include "assets/picture.h"
#include "tools/replay.h"
#include "tools/replay_platform.h"
#include "tools/trace.h"
#include "tools/watch.h"

namespace carpex {

namespace {

// A script is read whole before any of it runs; what is wrong with it is said.
bool Checked(ScriptSource& Source, const std::string& Name, std::ostream& Err,
             ScriptSummary* Summary) {
  std::string error;
  if (CheckScript(Source, Name, Summary, &error)) return true;
  Err << error << '\n';
  return false;
}

}  // namespace

int RunReplay(ScriptSource& Source, const std::string& Name, std::ostream& Out, std::ostream& Err,
              const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform,
              const ReplayOptions& Options) {
  ScriptSummary summary;
  if (!Checked(Source, Name, Err, &summary)) return kReplayRefused;
  std::unique_ptr<ReplayPlatform> platform = MakePlatform();
  ReplayOptions options = Options;
  // The trace goes out some lines at a time: a line is about a kilobyte, and
  // a stream writes each line that long on its own, a system call a frame.
  constexpr size_t kBatch = 64 * 1024;
  std::string batch;
  batch.reserve(kBatch + kTraceLineCapacity + 1);
  const auto writeBatch = [&] {
    Out.write(batch.data(), static_cast<std::streamsize>(batch.size()));
    batch.clear();
  };
  // A note comes after the lines of the frames before it.
  const auto note =
      Options.Note ? Options.Note : [&Err](const std::string& Note) { Err << Note << '\n'; };
  options.Note = [&](const std::string& Note) {
    writeBatch();
    note(Note);
  };
  std::vector<uint8_t> picture, bytes;
  if (Options.ShotFolder.empty()) {
    platform->SkipDrawing();
  } else {
    options.Shoot = [&](const ReplayDisplay& Display, const std::string& File, std::string* Error) {
      if (!platform->ReadPicture(Display, &picture)) {
        *Error = "the screen could not be read";
        return false;
      }
      if (!EncodePicture(File, ReplayPlatform::kPictureWidth, ReplayPlatform::kPictureHeight,
                         picture.data(), &bytes)) {
        *Error = "the picture could not be encoded";
        return false;
      }
      return WriteWholeFile(Options.ShotFolder, File, bytes, Options.OverwriteShots, Error);
    };
  }
  ReplayRun run(Source.Reread(), Name, *platform, options);
  while (run.Step()) {
    batch += run.TraceLine();
    batch += '\n';
    if (batch.size() >= kBatch) writeBatch();
    if (!Out) break;
  }
  writeBatch();
  if (run.Status() != kReplayRan) {
    Err << run.Message() << '\n';
    return run.Status();
  }
  // What a recording cut short holds was replayed: said, but no failure.
  if (!summary.Cut.empty()) Err << summary.Cut << '\n';
  if (Out) Out.flush();
  if (!Out) {
    Err << QuoteWord(Name, Name.size()) << ": cannot write the trace\n";
    return kReplayFailed;
  }
  return kReplayRan;
}

int RunReplay(std::string_view Text, const std::string& Name, std::ostream& Out, std::ostream& Err,
              const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform,
              const ReplayOptions& Options) {
  TextSource source(Text);
  return RunReplay(source, Name, Out, Err, MakePlatform, Options);
}

namespace {

// The rounds of a script as the game tells them: the last one that ended.
class RoundsHeard final : public RoundListener {
 public:
  void RoundStarted(const RoundStart& Start) override {
    start = Start;
    started = true;
    ended = false;
  }
  void RoundEnded(const RoundEnd& End) override {
    end = End;
    ended = true;
  }
  RoundStart start;
  RoundEnd end;
  bool started = false;
  bool ended = false;
};

// "2026-12-09" of a day's DailySeed.
std::string Day(uint32_t Daily) {
  char text[16];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", Daily / 10000, Daily / 100 % 100, Daily % 100);
  return text;
}

}  // namespace

int CheckReplay(ScriptSource& Source, const std::string& Name, std::ostream& Out, std::ostream& Err,
                const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform) {
  ScriptSummary summary;
  if (!Checked(Source, Name, Err, &summary)) return kReplayRefused;
  std::unique_ptr<ReplayPlatform> platform = MakePlatform();
  platform->SkipDrawing();
  RoundsHeard rounds;
  ReplayOptions options;
  options.Rounds = &rounds;
  options.Note = [&Err](const std::string& Note) { Err << Note << '\n'; };
  ReplayRun run(Source.Reread(), Name, *platform, options);
  uint32_t speed = 100;
  while (run.Step()) speed = run.Speed();
  if (run.Status() != kReplayRan) {
    Err << run.Message() << '\n';
    return run.Status();
  }
  const std::string quoted = QuoteWord(Name, Name.size());
  if (!rounds.started || !rounds.ended) {
    Out << quoted << ": no round " << (rounds.started ? "ended" : "was played") << '\n';
    return kWatchNotExact;
  }
  // What is claimed: the last round's outcome, at the speed it was played,
  // on its day's city; proved when the game reaches the recording's final line.
  const RoundEnd& end = rounds.end;
  const bool won = end.Outcome == RoundOutcome::Won;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", end.Frames / 60.0);
  Out << quoted << ": "
      << (won                                 ? "won"
          : end.Outcome == RoundOutcome::Lost ? "lost"
                                              : "left")
      << " in " << end.Frames << " frames (" << seconds << " s at 100 %), " << end.Bombs
      << (end.Bombs == 1 ? " bomb" : " bombs") << ", level " << int{rounds.start.Level}
      << ", speed " << speed << " %";
  if (rounds.start.Daily != 0) Out << ", today's city of " << Day(rounds.start.Daily);
  const std::string difference =
      summary.HasFinalLine ? TraceDifference(run.TraceLine(), summary.FinalLine) : "";
  if (!summary.HasFinalLine) {
    Out << "; no final line to prove it\n";
  } else if (!difference.empty()) {
    Out << "; differs from its final line: " << difference << '\n';
  } else {
    Out << "; replays exactly\n";
  }
  return won && summary.HasFinalLine && difference.empty() ? kReplayRan : kWatchNotExact;
}

namespace {

constexpr char kUsage[] =
    "usage: carpex-replay [--shots FOLDER [--overwrite] | --check] SCRIPT (or - for standard "
    "input)";

// For --help: what the tool does, beside its usage line.
constexpr char kHelp[] =
    "\n"
    "Runs the game headless from SCRIPT, a replay script or a recording made with\n"
    "carpex --record, and prints one trace line per frame.\n"
    "\n"
    "  --shots FOLDER  write the pictures of the script's shot lines into FOLDER\n"
    "  --overwrite     with --shots: replace pictures that exist already\n"
    "  --check         instead of the trace, say how its last round ended (won,\n"
    "                  lost or left), in how many frames, with how many bombs, at\n"
    "                  which level and speed, on which day's city, and whether the\n"
    "                  recording replays to its final line: status 0 for a win\n"
    "                  that does, 3 otherwise\n"
    "  --help          show this help\n"
    "\n"
    "Exit status: 0 the script ran to its end, 1 the display, a picture or the\n"
    "trace could not be written, 2 the script or the command line was refused.";

int Refuse(const std::string& Message) {
  std::cerr << "carpex-replay: " << Message << '\n';
  return kReplayRefused;
}

}  // namespace

int ReplayTool(int Argc, char** Argv, std::unique_ptr<ReplayPlatform> (*MakePlatform)()) {
  SafeStandardDescriptors();
  ReplayOptions options;
  std::string name;
  bool named = false, shots = false, check = false;
  const std::vector<std::string> args = ProgramArguments(Argc, Argv);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help") {
      std::cout << kUsage << kHelp << '\n' << std::flush;
      return std::cout ? kReplayRan : kReplayFailed;
    }
    if (arg == "--shots") {
      if (shots) return Refuse("--shots given twice");
      if (i + 1 >= args.size() || args[i + 1].empty()) return Refuse("--shots needs a FOLDER");
      shots = true;
      options.ShotFolder = args[++i];
    } else if (arg == "--overwrite") {
      options.OverwriteShots = true;
    } else if (arg == "--check") {
      check = true;
    } else if (named || (arg.size() > 1 && arg[0] == '-')) {
      std::cerr << kUsage << '\n';
      return kReplayRefused;
    } else {
      named = true;
      name = arg;
    }
  }
  if (!named) {
    std::cerr << kUsage << '\n';
    return kReplayRefused;
  }
  if (options.OverwriteShots && !shots) return Refuse("--overwrite is for --shots FOLDER");
  if (check && shots) return Refuse("--check shows no pictures: it takes no --shots");
  if (shots && !IsFolder(options.ShotFolder)) {
    return Refuse("cannot write shots into " +
                  QuoteWord(options.ShotFolder, options.ShotFolder.size()) +
                  ": it is not a folder");
  }
  const std::string quoted = QuoteWord(name, name.size());
  std::FILE* file = name == "-" ? stdin : OpenForReading(name);
  if (file == nullptr) {
    std::cerr << quoted << ": cannot read the script: " << std::strerror(errno) << '\n';
    return kReplayRefused;
  }
  // The script is read twice, checked whole and then run: the second time
  // from a private copy made during the first.
  std::string error;
  std::FILE* copy = OpenPrivateTemporaryFile(&error);
  if (copy == nullptr) {
    std::cerr << quoted << ": cannot make a temporary copy of the script: " << error << '\n';
    if (file != stdin) std::fclose(file);
    return kReplayRefused;
  }
  std::ios::sync_with_stdio(false);
  CopyingSource source(file, copy);
  const int status = check ? CheckReplay(source, name, std::cout, std::cerr, MakePlatform)
                           : RunReplay(source, name, std::cout, std::cerr, MakePlatform, options);
  std::fclose(copy);
  if (file != stdin) std::fclose(file);
  return status;
}

}  // namespace carpex
