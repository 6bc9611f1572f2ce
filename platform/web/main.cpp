// The game in a web browser: the page's canvas, keys and focus over the
// software display.
#include <emscripten.h>

#include <string>

#include "platform/web/web_app.h"
#include "shell/carpex.h"
#include "shell/unit1.h"
#include "tools/trace.h"

namespace {

carpex::web::WebApp* g_app = nullptr;

EM_JS(void, PageEnded, (int Status), { Module.gameEnded(Status); });

}  // namespace

// The replay trace line of the game's last frame (empty before the game runs
// and after it has ended): what the browser test checks the game by, and what
// a bug report can quote.
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_trace() {
  static std::string line;
  line.clear();
  if (carpex::Form1 != nullptr && g_app != nullptr) {
    carpex::FormatTraceLine(*carpex::Form1, g_app->IdleCalls(), &line);
  }
  return line.c_str();
}

int main() {
  int status = 0;
  {
    carpex::web::WebApp app;
    g_app = &app;
    status = carpex::Carpex(app);
    g_app = nullptr;
  }
  PageEnded(status);
  return status;
}
