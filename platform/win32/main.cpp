// The Windows program: the main routine on the Win32 application layer.
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/files.h"
#include "platform/common/command_line.h"
#include "platform/win32/registry_settings.h"
#include "platform/win32/win32_app.h"

namespace {

// A box of the program's own (its words in any script the system has).
void Box(const std::string& Utf8, UINT Flags) {
  auto wide = [](const std::string& Text) {
    std::wstring out(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, Text.c_str(), -1, nullptr, 0)), L'\0');
    if (!out.empty())
      MultiByteToWideChar(CP_UTF8, 0, Text.c_str(), -1, out.data(), static_cast<int>(out.size()));
    return out;
  };
  MessageBoxW(nullptr, wide(Utf8).c_str(), L"Carpex", Flags);
}

// %APPDATA%\Carpex in UTF-8 (any name the system allows); empty without APPDATA.
std::string RecordsFolder() {
  const wchar_t* data = _wgetenv(L"APPDATA");
  if (data == nullptr || data[0] == L'\0') return "";
  const int size = WideCharToMultiByte(CP_UTF8, 0, data, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string folder(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, data, -1, folder.data(), size, nullptr, nullptr);
  folder.resize(static_cast<size_t>(size) - 1);
  return folder + "\\Carpex";
}

}  // namespace

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE /*Previous*/, LPSTR /*CommandLine*/,
                   int /*Show*/) {
  carpex::SafeStandardDescriptors();
  // In the language last chosen; the first time in the game's own Chinese.
  const carpex::common::Settings remembered = carpex::win32::LoadRegistrySettings();
  carpex::GameCommandLine commandLine(
      carpex::GamePlatform::Windows,
      remembered.LanguageChosen ? remembered.Chosen : carpex::Language::Chinese);
  std::string error;
  // Any name the system allows: the arguments in UTF-8, from the wide command line.
  const std::vector<std::string> arguments = carpex::ProgramArguments(__argc, __argv);
  std::vector<const char*> argv{"carpex"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  if (!commandLine.Parse(static_cast<int>(argv.size()), argv.data(), &error)) {
    Box(error, MB_OK | MB_ICONERROR);
    return carpex::GameCommandLine::kRefused;
  }
  // A program without a console: the answer goes into a box.
  if (!commandLine.Answer().empty()) {
    Box(commandLine.Answer(), MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  // The records in the user's application data, %APPDATA%\Carpex.
  commandLine.KeepRecordsIn(RecordsFolder());
  // Shown as it was last played, unless the command line says otherwise; a
  // recording is watched in a window, where the title tells how it goes.
  carpex::common::Settings start = commandLine.StartSettings(remembered);
  carpex::common::Settings before = remembered;
  // The game's own Chinese pictures unless told otherwise, or switched last time.
  carpex::Language language = commandLine.StartLanguage(remembered, carpex::Language::Chinese);
  int status = 1;
  // Played until the player quits; a kept best round asked for (W) is
  // watched, and then the game is played again.
  uint8_t level = 0;
  for (bool again = true; again;) {
    again = false;
    carpex::win32::Win32App app(Instance, carpex::win32::LoadFormLook(), start);
    if (commandLine.Watching()) {
      // The keys and a gamepad steer the watching as they are.
      app.SetGameView([] {
        carpex::common::GameView view{false, 0, false};
        view.Watching = true;
        return view;
      });
      // Watching is not playing: how the game was last played is kept as it
      // was. Its words are the player's, as the game's are.
      status = commandLine.Watch(app, language, [&app](const carpex::Watcher& Watching) {
        app.SetTitle(Watching.Title());
      });
      again = commandLine.BackToPlay();
      continue;
    }
    app.SetLevelChoice(level);
    status = commandLine.Play(
        app, language, &error,
        [&app, &commandLine](const carpex::GameSession& Session) {
          app.SetGameView([&Session] { return carpex::common::GameViewOf(Session.View()); });
          app.SetRecords(
              [&commandLine](uint8_t Level, uint16_t Speed) {
                return commandLine.Records(Level, Speed);
              },
              [&commandLine](carpex::win32::Win32App::RecordsAct Act, uint8_t Level,
                             uint16_t Speed) { commandLine.RecordsKey(Act, Level, Speed); });
        },
        start.Speed);
    if (!error.empty()) Box(error, MB_OK | MB_ICONERROR);
    error.clear();
    // Not being able to remember is no reason to bother the player.
    carpex::common::Settings kept = app.Remembered();
    commandLine.RememberLanguage(before, language, app.LastLanguage(language), &kept);
    carpex::win32::SaveRegistrySettings(kept);
    // Played again as it was left.
    again = commandLine.Watching();
    level = app.LevelChoice();
    language = app.LastLanguage(language);
    before = kept;
    start = kept;
  }
  return status;
}
