// The game in a web browser: the page's canvas, keys, touch, gamepads and
// focus over the software display.
#include <emscripten.h>

#include <string>

#include "graphics/soft/control.h"
#include "platform/web/web_app.h"
#include "shell/carpex.h"
#include "shell/unit1.h"
#include "tools/trace.h"

namespace {

carpex::web::WebApp* g_app = nullptr;

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
  if (carpex::Form1 != nullptr && g_app != nullptr) {
    carpex::FormatTraceLine(carpex::Form1->View(), g_app->IdleCalls(), &line);
  }
  return line.c_str();
}

int main() {
  for (;;) {
    int status = 0;
    {
      carpex::web::WebApp app;
      // A gamepad's buttons and the page's controls mean one thing on the level
      // screen and another in a round.
      app.SetGameView([] {
        const carpex::TForm1* form = carpex::Form1;
        if (form == nullptr) return carpex::common::GameView{};
        const carpex::World& w = form->View().W;
        return carpex::common::GameView{w.GameState == carpex::kLevelChoice, w.Level,
                                        w.GameState == carpex::kRoundOver};
      });
      app.SetLanguageSwitch([](carpex::Language Pictures) {
        if (carpex::Form1 != nullptr) carpex::Form1->UsePictures(Pictures);
      });
      g_app = &app;
      status = carpex::Carpex(
          app, PageLanguage() == 1 ? carpex::Language::English : carpex::Language::Chinese);
      g_app = nullptr;
    }
    WaitForPlayAgain(status);
    // A fresh game on a fresh display, as when the page was first opened.
    soft::Reset();
  }
}
