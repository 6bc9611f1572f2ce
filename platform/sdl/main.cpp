// The game on Linux and macOS: SDL2 window and events over the software display.
#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "assets/files.h"
#include "assets/texts.h"
#include "platform/common/activation.h"
#include "platform/common/command_line.h"
#include "platform/common/gamepad.h"
#include "platform/sdl/sdl_app.h"
#include "platform/sdl/settings_file.h"
#include "platform/sdl/x11_errors.h"
#include "shell/session.h"

namespace {

extern "C" void EndAsOnTerminate(int) {
  std::raise(SIGTERM);
}

// A closed terminal (SIGHUP) or Ctrl+\ (SIGQUIT) ends the game as SIGTERM
// does, through SDL's handler: the window closes as if the player had closed
// it, and a recording is written to its end.
void EndOnHangUpAndQuit() {
  struct sigaction term {};
  if (sigaction(SIGTERM, nullptr, &term) != 0 || term.sa_handler == SIG_DFL) return;
  struct sigaction asTerm {};
  asTerm.sa_handler = EndAsOnTerminate;
  sigemptyset(&asTerm.sa_mask);
  sigaction(SIGHUP, &asTerm, nullptr);
  sigaction(SIGQUIT, &asTerm, nullptr);
}

// SDL falls back to drivers that show nothing when there is no display; the
// game runs on them only when asked to by name (SDL_VIDEODRIVER).
bool ShowsNothing(const char* Driver) {
  if (Driver == nullptr) return true;
  const std::string name = Driver;
  if (name != "offscreen" && name != "dummy") return false;
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  return asked == nullptr || name != asked;
}

}  // namespace

int main(int argc, char** argv) {
  carpex::SafeStandardDescriptors();
  // In the player's language: the one last chosen, or the locale's.
  const std::string settingsPath = carpex::sdl::SettingsPath();
  const carpex::common::Settings remembered = carpex::sdl::LoadSettings(settingsPath);
  const carpex::Language locale = carpex::LocaleLanguage(
      SDL_getenv("LANGUAGE"), SDL_getenv("LC_ALL"), SDL_getenv("LC_MESSAGES"), SDL_getenv("LANG"));
  const carpex::Language chosen = remembered.LanguageChosen ? remembered.Chosen : locale;
  carpex::GameCommandLine commandLine(carpex::GamePlatform::Linux, chosen);
  std::string error;
  if (!commandLine.Parse(argc, argv, &error)) {
    std::fprintf(stderr, "carpex: %s\n", error.c_str());
    return carpex::GameCommandLine::kRefused;
  }
  if (!commandLine.Answer().empty()) {
    const bool written = std::printf("%s\n", commandLine.Answer().c_str()) >= 0;
    return written && std::fflush(stdout) == 0 ? 0 : 1;
  }
  // The window's class, which the desktop entry names (StartupWMClass) so that
  // the task bar shows the game's icon; SDL reads it when its video starts.
  SDL_setenv("SDL_VIDEO_X11_WMCLASS", "carpex", 0);
  SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", "carpex", 0);
  carpex::Language language = commandLine.StartLanguage(remembered, locale);
  carpex::sdl::TolerateX11ErrorsFromTheStart();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "carpex: %s\n",
                 carpex::Say(carpex::Message::NoDisplay, language, {SDL_GetError()}).c_str());
    return 1;
  }
  if (ShowsNothing(SDL_GetCurrentVideoDriver())) {
    std::fprintf(stderr, "carpex: %s\n",
                 carpex::Say(carpex::Message::NoDisplay, language,
                             {carpex::Say(carpex::Message::NoDisplayFound, language)})
                     .c_str());
    SDL_Quit();
    return 1;
  }
  EndOnHangUpAndQuit();
  // The records beside the settings.
  const size_t slash = settingsPath.rfind('/');
  commandLine.KeepRecordsIn(slash == std::string::npos ? std::string()
                                                       : settingsPath.substr(0, slash));
  int status = 1;
  // Shown as it was last played, unless the command line says otherwise; a
  // recording is watched in a window, where the title tells how it goes.
  carpex::common::Settings start = commandLine.StartSettings(remembered);
  carpex::common::Settings before = remembered;
  // Played until the player quits; a kept best round asked for (W) is
  // watched in a window of its own, and then the game is played again.
  uint8_t level = 0;
  for (bool again = true; again;) {
    again = false;
    std::unique_ptr<carpex::sdl::SdlApp> app = carpex::sdl::SdlApp::Create(&error, start);
    if (app == nullptr) {
      std::fprintf(stderr, "carpex: %s\n", error.c_str());
    } else if (commandLine.Watching()) {
      // A gamepad steers the watching as in a round: A is Space, Back Escape.
      app->SetGameView([] {
        carpex::common::GameView view{false, 0, false};
        view.Watching = true;
        return view;
      });
      status = commandLine.Watch(
          *app, language,
          [&app](const carpex::Watcher& Watching) { app->SetTitle(Watching.Title()); },
          carpex::common::LoseDisplaySurfaces);
      // Watching is not playing: how the game was last played is kept as it was.
      again = commandLine.BackToPlay();
    } else {
      app->SetLevelChoice(level);
      status = commandLine.Play(
          *app, language, &error,
          [&app, &commandLine](const carpex::GameSession& Session) {
            // A game controller's buttons mean one thing on the level screen and
            // another in a round.
            app->SetGameView([&Session] { return carpex::common::GameViewOf(Session.View()); });
            app->SetRecords(
                [&commandLine](uint8_t Level, uint16_t Speed) {
                  return commandLine.Records(Level, Speed);
                },
                [&commandLine](carpex::sdl::SdlApp::RecordsAct Act, uint8_t Level, uint16_t Speed) {
                  commandLine.RecordsKey(Act, Level, Speed);
                });
          },
          start.Speed);
      if (!error.empty()) std::fprintf(stderr, "carpex: %s\n", error.c_str());
      error.clear();
      // Not being able to remember is no reason to bother the player.
      carpex::common::Settings kept = app->Remembered();
      commandLine.RememberLanguage(before, language, app->LastLanguage(language), &kept);
      carpex::sdl::SaveSettings(settingsPath, kept);
      // Played again as it was left.
      again = commandLine.Watching();
      level = app->LevelChoice();
      language = app->LastLanguage(language);
      before = kept;
      start = kept;
    }
  }
  SDL_Quit();
  return status;
}
