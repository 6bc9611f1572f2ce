// The game on Linux and macOS: SDL2 window and events over the software display.
#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "assets/files.h"
#include "graphics/soft/control.h"
#include "platform/common/command_line.h"
#include "platform/common/gamepad.h"
#include "platform/sdl/sdl_app.h"
#include "platform/sdl/settings_file.h"
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
  carpex::GameCommandLine commandLine(carpex::GamePlatform::Linux);
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
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "carpex: cannot open a display to play on: %s\n", SDL_GetError());
    return 1;
  }
  if (ShowsNothing(SDL_GetCurrentVideoDriver())) {
    std::fprintf(stderr,
                 "carpex: cannot open a display to play on: no X11, Wayland or KMS display was "
                 "found (is DISPLAY set?)\n");
    SDL_Quit();
    return 1;
  }
  EndOnHangUpAndQuit();
  int status = 1;
  {
    // Shown as it was last played, unless the command line says otherwise; a
    // recording is watched in a window, where the title tells how it goes.
    const std::string settingsPath = carpex::sdl::SettingsPath();
    carpex::common::Settings start = carpex::sdl::LoadSettings(settingsPath);
    if (commandLine.Watching()) start.Presentation = carpex::common::Show::Window;
    if (commandLine.Presentation() != carpex::common::Show::Unsaid) {
      start.Presentation = commandLine.Presentation();
    }
    std::unique_ptr<carpex::sdl::SdlApp> app = carpex::sdl::SdlApp::Create(&error, start);
    if (app == nullptr) {
      std::fprintf(stderr, "carpex: %s\n", error.c_str());
    } else if (commandLine.Watching()) {
      // A gamepad steers the watching as in a round: A is Space, Back Escape.
      app->SetGameView([] { return carpex::common::GameView{false, 0, false}; });
      status = commandLine.Watch(
          *app,
          [&app](const carpex::Watcher& Watching) {
            app->SetTitle("Carpex: " + Watching.Description() + " - " + Watching.Keys());
          },
          [] {
            soft::LoseAllSurfaces();
            return true;
          });
      // Watching is not playing: how the game was last played is kept as it was.
    } else {
      // In the player's language unless told otherwise.
      const carpex::Language language =
          carpex::LocaleLanguage(SDL_getenv("LANGUAGE"), SDL_getenv("LC_ALL"),
                                 SDL_getenv("LC_MESSAGES"), SDL_getenv("LANG"));
      status = commandLine.Play(*app, language, &error, [&app](const carpex::GameSession& Session) {
        // A game controller's buttons mean one thing on the level screen and
        // another in a round.
        app->SetGameView([&Session] { return carpex::common::GameViewOf(Session.View().W); });
      });
      if (!error.empty()) std::fprintf(stderr, "carpex: %s\n", error.c_str());
      // Not being able to remember is no reason to bother the player.
      carpex::sdl::SaveSettings(settingsPath, app->Remembered());
    }
  }
  SDL_Quit();
  return status;
}
