#include "platform/common/command_line.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "assets/files.h"
#include "shell/carpex.h"
#include "tools/recorder.h"
#include "tools/script.h"

namespace carpex {

namespace {

// For a terminal: columns of spaces.
constexpr const char* kLinuxUsage =
    "Usage: carpex [--window | --fullscreen] [--record FILE [--overwrite]] [--language zh|en]\n"
    "       carpex [--window | --fullscreen] --watch FILE\n"
    "\n"
    "Keys:\n"
    "  0 to 9         choose a level on the level screen (higher: taller buildings)\n"
    "  Space, Down    drop the bomb (release the key between bombs)\n"
    "  f              show or hide the frame rate\n"
    "  Escape         leave a round; on the level screen, quit\n"
    "  Alt+Enter      full screen or a window\n"
    "\n"
    "Gamepad:\n"
    "  A, D-pad down  drop the bomb; on the level screen, A starts the level the\n"
    "                 window's title names (D-pad left and right change it)\n"
    "  Back           as Escape\n"
    "\n"
    "Options:\n"
    "  --window       play in a window\n"
    "  --fullscreen   play in full screen\n"
    "                 (without either, the game starts as it was last played)\n"
    "  --record FILE  record the session into FILE for a bug report;\n"
    "                 carpex-replay FILE repeats it exactly\n"
    "  --overwrite    with --record: replace FILE if it exists\n"
    "  --watch FILE   watch the recording FILE (in a window unless told\n"
    "                 --fullscreen), as carpex-replay FILE runs it\n"
    "  --language zh|en\n"
    "                 the level screen and the banners in Chinese or English\n"
    "                 (on Linux the locale's language is the default, on\n"
    "                 Windows Chinese)\n"
    "  --version      show the version\n"
    "  --help         show this help\n"
    "\n"
    "Watching (the window's title tells the frame, the speed and at the end\n"
    "whether the game reached the recording's final line):\n"
    "  Space          pause or play\n"
    "  Right, .       while paused, the next frame\n"
    "  Up, Down       faster, slower (1/4x to 16x)\n"
    "  Home           from the start again\n"
    "  Escape         stop; once stopped or at the end, quit\n"
    "  A, Back        (gamepad) as Space and as Escape\n"
    "  The exit status is 0 when it replays exactly, 3 when it differs from its\n"
    "  final line, has none, or was stopped before its end, and 2 for a\n"
    "  recording carpex-replay refuses.";

// For a message box, whose font is not of fixed width: no columns. Only what
// the Windows program has (no gamepad, no replay tool).
constexpr const char* kWindowsUsage =
    "Usage: carpex.exe [--window | --borderless | --fullscreen] [--record FILE [--overwrite]] "
    "[--language zh|en]\n"
    "or: carpex.exe [--window | --borderless | --fullscreen] --watch FILE\n"
    "\n"
    "--window: in a window, enlarged as far as the screen allows\n"
    "--borderless: over the whole screen, which keeps its resolution\n"
    "--fullscreen: full screen, the screen switched to 640 x 480\n"
    "Without one, as it was last played (the first time in full screen).\n"
    "\n"
    "Keys: 0 to 9 choose a level (higher: taller buildings). Space or Down drops the bomb "
    "(release it between bombs). f shows the frame rate. Escape leaves a round, and on the "
    "level screen quits. Alt+Enter: from full screen to a window, and between a window and "
    "borderless.\n"
    "\n"
    "--language zh|en: the pictures in Chinese (without it) or English\n"
    "--record FILE: record the game into FILE for a bug report\n"
    "--overwrite: with --record, replace FILE if it exists\n"
    "--watch FILE: watch a recording, in a window unless told otherwise. Space pauses, Right "
    "or period goes a frame on, Up and Down change the speed, Home starts again, Escape "
    "stops and then quits. The title says how it goes.\n"
    "--version, --help: the version, this help";

}  // namespace

GameCommandLine::~GameCommandLine() {
  source_.reset();
  if (watched_copy_ != nullptr) std::fclose(watched_copy_);
  if (watched_file_ != nullptr) std::fclose(watched_file_);
  if (file_ == nullptr) return;
  // The game never started.
  std::fclose(file_);
  if (created_) RemoveFile(path_);
}

bool GameCommandLine::Parse(int Argc, const char* const* Argv, std::string* Error) {
  const bool windows = platform_ == GamePlatform::Windows;
  const char* kPresentations =
      windows ? "--window, --borderless or --fullscreen" : "--window or --fullscreen";
  bool recording = false;
  bool watching = false;
  for (int i = 1; i < Argc; ++i) {
    const std::string_view arg = Argv[i];
    // Answered before anything else is looked at or created.
    if (arg == "--version" || arg == "--help") {
      answer_ = arg == "--version" ? "Carpex " CARPEX_VERSION
                : windows          ? kWindowsUsage
                                   : kLinuxUsage;
      return true;
    }
    common::Show how = common::Show::Unsaid;
    const bool presentation = arg.starts_with("--") && common::ParseShow(arg.substr(2), &how) &&
                              (how != common::Show::Borderless || windows);
    if (presentation) {
      if (show_ != common::Show::Unsaid) {
        *Error = std::string("give one way of showing the game: ") + kPresentations;
        return false;
      }
      show_ = how;
    } else if (arg == "--overwrite") {
      overwrite_ = true;
    } else if (arg == "--language") {
      if (language_given_) {
        *Error = "--language given twice";
        return false;
      }
      const std::string_view code = i + 1 < Argc ? Argv[i + 1] : "";
      if (!ParseLanguageCode(code, &language_)) {
        *Error = "--language takes zh or en" +
                 (i + 1 < Argc ? ", not " + QuoteWord(code, code.size()) : std::string());
        return false;
      }
      language_given_ = true;
      ++i;
    } else if (arg == "--watch") {
      if (watching) {
        *Error = "--watch given twice (the game shows one recording)";
        return false;
      }
      if (i + 1 >= Argc || Argv[i + 1][0] == '\0') {
        *Error = "--watch needs the FILE of the recording to watch";
        return false;
      }
      watching = true;
      watched_ = Argv[++i];
    } else if (arg != "--record") {
      *Error = "unknown argument " + QuoteWord(arg, arg.size()) + " (the game takes " +
               kPresentations +
               ", --record FILE [--overwrite], --watch FILE, --language zh|en, --version or "
               "--help)";
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
  if (watching) {
    // What is watched is what was recorded: the recording's own pictures, and
    // nothing is written.
    if (recording || language_given_) {
      *Error = recording ? "--watch and --record cannot go together: watching records nothing"
                         : "--watch takes no --language: a recording names its own";
      return false;
    }
    if (overwrite_) *Error = "--overwrite is for --record FILE";
    return !overwrite_ && OpenWatched(Error);
  }
  if (!recording) {
    if (overwrite_) *Error = "--overwrite is for --record FILE";
    return !overwrite_;
  }
  std::string reason;
  if (OpenForWriting(path_, overwrite_, &file_, &created_, &reason)) {
    identity_ = IdentityOf(file_);
    return true;
  }
  *Error = "cannot create the recording " + QuoteWord(path_, path_.size()) + ": " + reason;
  return false;
}

int GameCommandLine::Play(Application& App, Language Default, std::string* Error,
                          const std::function<void(GameSession&)>& Started) {
  const Language pictures = language_given_ ? language_ : Default;
  if (file_ == nullptr) return Carpex(App, Started, pictures);
  Recorder recorder(App, file_, !created_, pictures);
  file_ = nullptr;
  const int status = Carpex(
      recorder,
      [&](GameSession& Session) {
        recorder.Record(Session);
        if (Started) Started(Session);
      },
      pictures);
  const bool written = recorder.Finish();
  if (!recorder.Started()) {
    if (created_) RemoveFile(path_);
    return status;
  }
  if (!written) {
    *Error = "the recording " + QuoteWord(path_, path_.size()) + " could not be written whole";
    return 1;
  }
  if (!StillNamed(path_, identity_)) {
    *Error = "the recording " + QuoteWord(path_, path_.size()) +
             " is lost: its file was deleted or moved while the game was recording";
    return 1;
  }
  return status;
}

bool GameCommandLine::OpenWatched(std::string* Error) {
  // As the replay tool reads a script: whole, into a private copy, from which
  // it is read again each time it is watched from its start.
  const std::string quoted = QuoteWord(watched_, watched_.size());
  watched_file_ = OpenForReading(watched_);
  if (watched_file_ == nullptr) {
    *Error = quoted + ": cannot read the script: " + std::strerror(errno);
    return false;
  }
  std::string why;
  watched_copy_ = OpenPrivateTemporaryFile(&why);
  if (watched_copy_ == nullptr) {
    *Error = quoted + ": cannot make a temporary copy of the script: " + why;
    return false;
  }
  source_ = std::make_unique<CopyingSource>(watched_file_, watched_copy_);
  if (!CheckScript(*source_, watched_, &summary_, Error)) {
    source_.reset();
    return false;
  }
  return true;
}

int GameCommandLine::Watch(Application& App, const std::function<void(const Watcher&)>& Show,
                           const std::function<bool()>& Lose) {
  Watcher watcher(App, source_->Reread(), watched_, summary_, Show, Lose);
  return watcher.Watch();
}

namespace {

// A language named by a locale or an entry of LANGUAGE: "zh_CN.UTF-8",
// "zh_TW", "zh", "en_GB@euro", ...
bool Names(std::string_view Locale, std::string_view Code) {
  return Locale.substr(0, Code.size()) == Code &&
         (Locale.size() == Code.size() || Locale[Code.size()] == '_' ||
          Locale[Code.size()] == '.' || Locale[Code.size()] == '@');
}

}  // namespace

Language LocaleLanguage(const char* LanguageList, const char* All, const char* Messages,
                        const char* Lang) {
  auto set = [](const char* Value) { return Value != nullptr && Value[0] != '\0'; };
  const std::string_view locale = set(All)        ? All
                                  : set(Messages) ? Messages
                                  : set(Lang)     ? Lang
                                                  : "C";
  if (locale == "C" || locale == "POSIX") return Language::English;
  if (set(LanguageList)) {
    std::string_view list = LanguageList;
    while (!list.empty()) {
      const size_t colon = list.find(':');
      const std::string_view entry = list.substr(0, colon);
      if (Names(entry, "zh")) return Language::Chinese;
      if (Names(entry, "en")) return Language::English;
      list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return Language::English;
  }
  return Names(locale, "zh") ? Language::Chinese : Language::English;
}

}  // namespace carpex
