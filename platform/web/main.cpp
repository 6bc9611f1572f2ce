// The game in a web browser: the page's canvas, keys, touch, gamepads and
// focus over the software display. Everything played is recorded in memory,
// for the page to save or to share its last round as a link. A recording the
// page is given (a file, a link) is watched within the game, on a display of
// its own, while the game and its recording wait as they were; the game goes
// on after it.
#include <optional>
#include <string>

#include "assets/texts.h"
#include "graphics/soft/control.h"
#include "platform/common/activation.h"
#include "platform/common/gamepad.h"
#include "platform/common/record_keeper.h"
#include "platform/web/page.h"
#include "platform/web/web_app.h"
#include "shell/carpex.h"
#include "tools/app_layer.h"
#include "tools/recorder.h"
#include "tools/trace.h"
#include "tools/watch.h"

namespace {

using carpex::web::RecordingState;
using carpex::web::WatchPhase;

// The application the page's controls go to (the game's, or a watching's),
// and the game's.
carpex::web::WebApp* g_app = nullptr;
carpex::web::WebApp* g_game_app = nullptr;
carpex::GameSession* g_session = nullptr;
carpex::Recorder* g_recorder = nullptr;
// The player's records, kept from the game's start to its end.
std::optional<carpex::common::RecordKeeper> g_keeper;
// What the last game recorded, once it has ended.
std::string g_recording;
std::string g_round;
uint16_t g_round_speed = 100;
bool g_recording_full = false;

// A recording the page offered, checked, waiting for its turn to be watched.
struct Offered {
  std::string Text;
  std::string Name;
  carpex::ScriptSummary Summary;
};
std::optional<Offered> g_offered;

// The watching's application layer on the page: a recording refused as it
// runs ends the watching at once, and the page says why once the game is
// back. The recorded game's own boxes are shown as ever.
class PageWatching final : public carpex::ApplicationLayer {
 public:
  using ApplicationLayer::ApplicationLayer;
  void ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) override {
    if (watcher_ != nullptr && !watcher_->Refusal().empty()) {
      platform_.Terminate();
      return;
    }
    platform_.ShowMessageBox(Text, Caption, Flags);
  }
  void Watching(const carpex::Watcher& Watcher) { watcher_ = &Watcher; }

 private:
  const carpex::Watcher* watcher_ = nullptr;
};

// What a recording that replays exactly proves: its last round, as the
// game tells it (the replay tool's check hears the same).
class Proof final : public carpex::RoundListener {
 public:
  void RoundStarted(const carpex::RoundStart& Start) override {
    start = Start;
    ended = false;
  }
  void RoundEnded(const carpex::RoundEnd& End) override {
    end = End;
    ended = true;
  }
  carpex::RoundStart start;
  carpex::RoundEnd end;
  bool ended = false;
};

// Watches what the page has offered, one after the other until nothing more
// is, each on a display of its own: the game's (if one runs) waits set aside,
// untouched, and is in use again afterwards. False when nothing was offered.
bool WatchOffered() {
  if (!g_offered) return false;
  carpex::web::WebApp* const game = g_app;
  while (g_offered) {
    const Offered offered = std::move(*g_offered);
    g_offered.reset();
    std::string refusal;
    {
      soft::DisplaySetAside aside;
      carpex::web::WebApp app;
      g_app = &app;
      // A gamepad steers the watching as in a round: A is Space, Back Escape.
      // What it says is in the player's language, whatever its pictures'.
      const carpex::Language player = carpex::web::PictureLanguage();
      app.SetGameView([player] {
        carpex::common::GameView view{false, 0, false};
        view.In = player;
        view.Watching = true;
        return view;
      });
      PageWatching layer(app);
      carpex::TextSource source(offered.Text);
      Proof proof;
      carpex::Watcher watcher(
          layer, source, offered.Name, offered.Summary, player,
          [&proof](const carpex::Watcher& Watching) {
            const bool exact = Watching.Now() == carpex::Watcher::Phase::Ended &&
                               Watching.Status() == carpex::kReplayRan;
            carpex::web::ShowWatching(static_cast<WatchPhase>(Watching.Now()),
                                      Watching.Description(),
                                      exact && proof.ended ? &proof.start : nullptr, &proof.end);
          },
          carpex::common::LoseDisplaySurfaces, &proof);
      layer.Watching(watcher);
      watcher.Watch();
      refusal = watcher.Refusal();
    }
    g_app = game;
    carpex::web::ShowWatching(WatchPhase::Over, "");
    if (!refusal.empty()) carpex::web::ShowRefusal(refusal);
  }
  return true;
}

// The records are heard before the recorder that gives their rounds' scripts;
// on today's city when the player chose it.
void KeepRecords(carpex::GameSession& Session, carpex::Recorder& Recorder) {
  g_keeper.emplace(carpex::web::BrowserRecords(), [&Recorder] { return Recorder.LastRound(); });
  if (const uint32_t day = carpex::web::ChosenDay()) Session.UseDailyCity(day);
  Session.AddRoundListener(&*g_keeper);
}

void EndRecords() {
  if (g_keeper) g_keeper->Finish();
  g_keeper.reset();
}

void Play() {
  carpex::web::WebApp app;
  g_app = g_game_app = &app;
  app.SetInterlude(WatchOffered);
  const carpex::Language pictures = carpex::web::PictureLanguage();
  carpex::Recorder recorder(app, carpex::web::kRecordingLimit, pictures);
  g_recorder = &recorder;
  carpex::Carpex(
      recorder,
      [&app, &recorder](carpex::GameSession& Session) {
        g_session = &Session;
        // At the speed the player chose last, which the recording names first.
        const uint16_t speed = carpex::web::ChosenSpeed();
        if (speed != 100) Session.Handlers().Handle({carpex::FormEvent::Speed, speed});
        KeepRecords(Session, recorder);
        recorder.Record(Session);
        // A gamepad's buttons and the page's controls mean one thing on the
        // level screen and another in a round.
        app.SetGameView([&Session] { return carpex::common::GameViewOf(Session.View()); });
      },
      pictures);
  EndRecords();
  g_session = nullptr;
  g_app = g_game_app = nullptr;
  g_recorder = nullptr;
  g_recording = recorder.Recording();
  g_round = recorder.LastRound(&g_round_speed);
  g_recording_full = recorder.Full();
}

}  // namespace

namespace carpex::web::answer {

void Post(const FormEvent& Event) {
  if (g_app != nullptr) g_app->Post(Event);
}

void Click(bool Down) {
  if (g_app != nullptr) g_app->PostAll(PlayerControls().Click(Down, g_app->View()));
}

// The game's, also while a recording is watched (which goes at its own).
void SetSpeed(uint16_t Percent) {
  if (g_game_app != nullptr) g_game_app->Post({FormEvent::Speed, Percent});
}

// The game's, also while a recording is watched (it stands still meanwhile).
std::string Trace() {
  std::string line;
  if (g_session != nullptr && g_game_app != nullptr) {
    FormatTraceLine(g_session->View(), g_game_app->IdleCalls(), &line);
  }
  return line;
}

void UseDay(uint32_t Day) {
  if (g_session != nullptr) g_session->UseDailyCity(Day);
}

// While no game runs the page clears its storage alone.
void ClearRecords() {
  if (g_keeper) g_keeper->Clear();
}

std::string Recording(RecordingState* State) {
  if (g_recorder == nullptr) {
    *State = g_recording_full ? RecordingState::Full : RecordingState::Ended;
    return g_recording;
  }
  *State = g_recorder->Full() ? RecordingState::Full : RecordingState::Going;
  return g_recorder->Recording();
}

std::string LastRound(uint16_t* Speed) {
  if (g_recorder != nullptr) return g_recorder->LastRound(Speed);
  *Speed = g_round_speed;
  return g_round;
}

// Checked whole as the replay tool checks it, and refused with the tool's
// one-line message; one that runs no frame has nothing to show. Taken, it is
// watched between two frames of the game, after a watching going on now,
// which ends.
std::string Watch(std::string Text, std::string Name) {
  TextSource source(Text);
  ScriptSummary summary;
  std::string message;
  if (!CheckScript(source, Name, &summary, &message)) return message;
  if (summary.Frames == 0) {
    return Say(Text::WatchNoFrame, PictureLanguage(), {QuoteWord(Name, Name.size())});
  }
  g_offered = Offered{std::move(Text), std::move(Name), summary};
  if (g_app != nullptr && g_app != g_game_app) g_app->Terminate();
  return "";
}

}  // namespace carpex::web::answer

int main() {
  for (;;) {
    Play();
    // A fresh display for what comes next, as when the page was first opened.
    soft::Reset();
    // The game has ended: the recordings offered meanwhile are watched, and
    // "Play again" starts a new one.
    do {
      carpex::web::WaitForPlayAgain();
    } while (WatchOffered());
  }
}
