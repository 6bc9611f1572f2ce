// The game in a web browser: the page's canvas, keys, touch, gamepads and
// focus over the software display. Everything played is recorded in memory,
// for the page to save or to share its last round as a link; a recording the
// page is given (a file, a link) is watched instead of a game.
#include <emscripten.h>

#include <string>

#include "graphics/soft/control.h"
#include "platform/common/gamepad.h"
#include "platform/web/web_app.h"
#include "shell/carpex.h"
#include "tools/recorder.h"
#include "tools/trace.h"
#include "tools/watch.h"

namespace {

// An hour of play records to about 100 kB; forty times that is more than
// any session, and what a phone can hold beside the game.
constexpr size_t kRecordingLimit = 4 << 20;

carpex::web::WebApp* g_app = nullptr;
const carpex::GameSession* g_session = nullptr;
carpex::Recorder* g_recorder = nullptr;
// What the last game recorded, once it has ended.
std::string g_recording;
std::string g_round;
bool g_recording_ended = false;
// A recording the page asked to watch: its text, its name, what its check found.
std::string g_watch;
std::string g_watch_name;
carpex::ScriptSummary g_watch_summary;

// The page says the game has ended and offers to play again: resolves when
// the player asks for that (or for a recording to be watched).
EM_ASYNC_JS(void, WaitForPlayAgain, (int Status), { await Module.gameEnded(Status); });

// The language the page has chosen for the pictures (the player's switch, or
// the browser's languages): 1 English, 0 Chinese.
EM_JS(int, PageLanguage, (), { return Module.pictureLanguage() == "en" ? 1 : 0; });

// The page's side of handing texts over, in whole bytes: a text for the page
// (Module.given), and what the page offers to watch (Module.offered, 0 its
// bytes, 1 its name's).
EM_JS(void, GiveText, (const char* Text, int Size),
      { Module.given = HEAPU8.slice(Text, Text + Size); });
EM_JS(int, OfferedSize, (int Part), { return Module.offered[Part].length; });
EM_JS(void, TakeOffered, (int Part, char* Into), { HEAPU8.set(Module.offered[Part], Into); });

// What the watching shows now: its phase (0 playing, 1 paused, 2 ended, 3
// over: back to the game) and its state in words.
EM_JS(void, ShowWatching, (int Phase, const char* Text),
      { Module.showWatching(Phase, UTF8ToString(Text)); });

void Play() {
  carpex::web::WebApp app;
  g_app = &app;
  const carpex::Language pictures =
      PageLanguage() == 1 ? carpex::Language::English : carpex::Language::Chinese;
  carpex::Recorder recorder(app, kRecordingLimit, pictures);
  g_recorder = &recorder;
  const int status = carpex::Carpex(
      recorder,
      [&app, &recorder](carpex::GameSession& Session) {
        g_session = &Session;
        recorder.Record(Session);
        // A gamepad's buttons and the page's controls mean one thing on the
        // level screen and another in a round.
        app.SetGameView([&Session] { return carpex::common::GameViewOf(Session.View().W); });
        app.SetLanguageSwitch(
            [&recorder](carpex::Language Pictures) { recorder.UsePictures(Pictures); });
      },
      pictures);
  g_session = nullptr;
  g_app = nullptr;
  g_recorder = nullptr;
  g_recording = recorder.Recording();
  g_round = recorder.LastRound();
  g_recording_ended = recorder.Ended();
  // Ended to watch a recording: no "Play again" in between.
  if (g_watch.empty()) WaitForPlayAgain(status);
}

void Watch() {
  const std::string text = std::move(g_watch);
  const std::string name = std::move(g_watch_name);
  g_watch.clear();
  carpex::web::WebApp app;
  g_app = &app;
  // A gamepad steers the watching as in a round: A is Space, Back Escape.
  app.SetGameView([] { return carpex::common::GameView{false, 0, false}; });
  carpex::TextSource source(text);
  carpex::Watcher watcher(
      app, source, name, g_watch_summary,
      [](const carpex::Watcher& Watching) {
        ShowWatching(static_cast<int>(Watching.Now()), Watching.Description().c_str());
      },
      [] {
        soft::LoseAllSurfaces();
        return true;
      });
  watcher.Watch();
  g_app = nullptr;
  ShowWatching(3, "");
}

std::string Offered(int Part) {
  std::string bytes(static_cast<size_t>(OfferedSize(Part)), '\0');
  TakeOffered(Part, bytes.data());
  return bytes;
}

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

// The recording of the game being played, or of the last one, to the page
// (Module.given): a whole script that replays to its final line. Whether it
// has reached its limit (or its game has ended).
extern "C" EMSCRIPTEN_KEEPALIVE int carpex_recording() {
  const std::string text = g_recorder != nullptr ? g_recorder->Recording() : g_recording;
  GiveText(text.data(), static_cast<int>(text.size()));
  return (g_recorder != nullptr ? g_recorder->Ended() : g_recording_ended) ? 1 : 0;
}

// The last round played, as a script of its own, to the page (Module.given);
// empty when there is none.
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_round() {
  const std::string text = g_recorder != nullptr ? g_recorder->LastRound() : g_round;
  GiveText(text.data(), static_cast<int>(text.size()));
}

// The recording the page offers to watch (Module.offered: a stranger's bytes
// and name): checked whole as the replay tool checks it; refused with the
// tool's one-line message, else the game or watching now running ends between
// two frames and the recording is watched. "" when taken.
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_watch() {
  static std::string message;
  std::string text = Offered(0);
  const std::string name = Offered(1);
  carpex::TextSource source(text);
  carpex::ScriptSummary summary;
  message.clear();
  if (!carpex::CheckScript(source, name, &summary, &message)) return message.c_str();
  g_watch = std::move(text);
  g_watch_name = name;
  g_watch_summary = summary;
  if (g_app != nullptr) g_app->Terminate();
  return "";
}

int main() {
  for (;;) {
    if (g_watch.empty()) {
      Play();
    } else {
      Watch();
    }
    // A fresh display for what comes next, as when the page was first opened.
    soft::Reset();
  }
}
