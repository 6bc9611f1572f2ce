// The game in a web browser: the page's canvas, keys, touch, gamepads and
// focus over the software display.
#include <emscripten.h>

#include <string>

#include "graphics/soft/control.h"
#include "platform/common/gamepad.h"
#include "platform/web/web_app.h"
#include "shell/carpex.h"
#include "tools/trace.h"

namespace {

carpex::web::WebApp* g_app = nullptr;
const carpex::GameSession* g_session = nullptr;

// The page says the game has ended and offers to play again: resolves when
// the player asks for that.
EM_ASYNC_JS(void, WaitForPlayAgain, (int Status), { await Module.gameEnded(Status); });

// The language the page has chosen for the pictures (the player's switch, or
// the browser's languages): 1 English, 0 Chinese.
EM_JS(int, PageLanguage, (), { return Module.pictureLanguage() == "en" ? 1 : 0; });

}  // namespace

// The replay trace line of the game's last frame (empty before the game runs
// and after it has ended): what the browser test checks the game by, and what
// a bug report can quote.
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_trace() {
  static std::string line;
  line.clear();
  if (g_session != nullptr && g_app != nullptr) {
    carpex::FormatTraceLine(g_session->View(), g_app->IdleCalls(), &line);
  }
  return line.c_str();
}

int main() {
  for (;;) {
    int status = 0;
    {
      carpex::web::WebApp app;
      g_app = &app;
      const carpex::Language pictures =
          PageLanguage() == 1 ? carpex::Language::English : carpex::Language::Chinese;
      status = carpex::Carpex(
          app,
          [&app](carpex::GameSession& Session) {
            g_session = &Session;
            // A gamepad's buttons and the page's controls mean one thing on the
            // level screen and another in a round.
            app.SetGameView([&Session] { return carpex::common::GameViewOf(Session.View().W); });
            app.SetLanguageSwitch(
                [&Session](carpex::Language Pictures) { Session.UsePictures(Pictures); });
          },
          pictures);
      g_session = nullptr;
      g_app = nullptr;
    }
    WaitForPlayAgain(status);
    // A fresh game on a fresh display, as when the page was first opened.
    soft::Reset();
  }
}
