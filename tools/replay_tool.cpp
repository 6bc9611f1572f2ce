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

namespace carpex {

int RunReplay(ScriptSource& Source, const std::string& Name, std::ostream& Out, std::ostream& Err,
              const std::function<std::unique_ptr<ReplayPlatform>()>& MakePlatform,
              const ReplayOptions& Options) {
  std::string error;
  ScriptSummary summary;
  if (!CheckScript(Source, Name, &summary, &error)) {
    Err << error << '\n';
    return kReplayRefused;
  }
  std::unique_ptr<ReplayPlatform> platform = MakePlatform();
  ReplayOptions options = Options;
  if (!options.Note) options.Note = [&Err](const std::string& Note) { Err << Note << '\n'; };
  std::vector<uint8_t> picture, bytes;
  if (!Options.ShotFolder.empty()) {
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
    Out << run.TraceLine() << '\n';
    if (!Out) break;
  }
  if (run.Status() != kReplayRan) {
    Err << run.Message() << '\n';
    return run.Status();
  }
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

constexpr char kUsage[] =
    "usage: carpex-replay [--shots FOLDER [--overwrite]] SCRIPT (or - for standard input)";

// For --help: what the tool does, beside its usage line.
constexpr char kHelp[] =
    "\n"
    "Runs the game headless from SCRIPT, a replay script or a recording made with\n"
    "carpex --record, and prints one trace line per frame.\n"
    "\n"
    "  --shots FOLDER  write the pictures of the script's shot lines into FOLDER\n"
    "  --overwrite     with --shots: replace pictures that exist already\n"
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
  bool named = false, shots = false;
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
  const int status = RunReplay(source, name, std::cout, std::cerr, MakePlatform, options);
  std::fclose(copy);
  if (file != stdin) std::fclose(file);
  return status;
}

}  // namespace carpex
