// The Windows program: the main routine on the Win32 application layer.
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/files.h"
#include "platform/common/command_line.h"
#include "platform/win32/registry_settings.h"
#include "platform/win32/win32_app.h"

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE /*Previous*/, LPSTR /*CommandLine*/,
                   int /*Show*/) {
  carpex::SafeStandardDescriptors();
  carpex::GameCommandLine commandLine(carpex::GamePlatform::Windows);
  std::string error;
  // Any name the system allows: the arguments in UTF-8, from the wide command line.
  const std::vector<std::string> arguments = carpex::ProgramArguments(__argc, __argv);
  std::vector<const char*> argv{"carpex"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  if (!commandLine.Parse(static_cast<int>(argv.size()), argv.data(), &error)) {
    MessageBoxA(nullptr, error.c_str(), "Carpex", MB_OK | MB_ICONERROR);
    return carpex::GameCommandLine::kRefused;
  }
  // A program without a console: the answer goes into a box.
  if (!commandLine.Answer().empty()) {
    MessageBoxA(nullptr, commandLine.Answer().c_str(), "Carpex", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  // Shown as it was last played, unless the command line says otherwise; a
  // recording is watched in a window, where the title tells how it goes.
  carpex::common::Settings start = carpex::win32::LoadRegistrySettings();
  if (commandLine.Watching()) start.Presentation = carpex::common::Show::Window;
  if (commandLine.Presentation() != carpex::common::Show::Unsaid) {
    start.Presentation = commandLine.Presentation();
  }
  carpex::win32::Win32App app(Instance, carpex::win32::LoadFormLook(), start);
  if (commandLine.Watching()) {
    // Watching is not playing: how the game was last played is kept as it was.
    return commandLine.Watch(app, [&app](const carpex::Watcher& Watching) {
      app.SetTitle("Carpex: " + Watching.Description() + " - " + Watching.Keys());
    });
  }
  // The game's own Chinese pictures unless told otherwise.
  const int status = commandLine.Play(app, carpex::Language::Chinese, &error);
  if (!error.empty()) MessageBoxA(nullptr, error.c_str(), "Carpex", MB_OK | MB_ICONERROR);
  // Not being able to remember is no reason to bother the player.
  carpex::win32::SaveRegistrySettings(app.Remembered());
  return status;
}
