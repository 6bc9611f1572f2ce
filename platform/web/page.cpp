#include "platform/web/page.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>

#include "assets/texts.h"
#include "platform/common/language.h"
#include "platform/common/layout.h"
#include "platform/web/keys.h"
#include "platform/web/web_app.h"
#include "world/keys.h"
#include "world/world.h"

// The page's side: game.js gives Module these functions. The bodies are
// JavaScript, which the C++ formatter would take apart.
// clang-format off
EM_JS(void, PagePutPicture, (const void* Pixels, int Width, int Height), {
  const bytes = Width * Height * 4;
  let image = Module.carpexImage;
  // Growing the memory replaces its buffer; the image must then be made again.
  if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== Pixels) {
    image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, Pixels, bytes), Width, Height);
    Module.carpexImage = image;
  }
  Module.putPicture(image);
});
EM_ASYNC_JS(void, PageShowMessage, (const char* Caption, const char* Text), {
  await Module.showMessage(UTF8ToString(Caption), UTF8ToString(Text));
});
EM_JS(void, PageShowGame, (bool Shown), { Module.showGame(Shown); });
EM_JS(void, PageShowControls, (int Screen, int Gamepads, int Choice), {
  Module.showControls(["level", "round", "paused", "over"][Screen], Gamepads, Choice);
});
EM_JS(void, PageShowLanguage, (const char* Code), { Module.showLanguage(UTF8ToString(Code)); });
EM_JS(void, PageShowSpeed, (int Percent), { Module.showSpeed(Percent); });
// A hidden page gets no animation frames: there the wait is a plain 16 ms
// timer (which the browser may slow down), so that the loop still turns and
// hands the form its deactivation and the timer's ticks.
EM_ASYNC_JS(double, PageWaitForAnimationFrame, (double NotBefore), {
  for (;;) {
    const time = await new Promise(resolve => {
      const hidden = () => {
        document.removeEventListener("visibilitychange", hidden);
        resolve(performance.now());
      };
      if (document.hidden) {
        setTimeout(hidden, 16);
        return;
      }
      document.addEventListener("visibilitychange", hidden);
      requestAnimationFrame(time => {
        document.removeEventListener("visibilitychange", hidden);
        resolve(time);
      });
    });
    if (time >= NotBefore) return time;
  }
});
EM_ASYNC_JS(void, PageWaitForPlayAgain, (), { await Module.gameEnded(); });
EM_JS(void, PageShowRefusal, (const char* Why), { Module.refused(UTF8ToString(Why)); });
// What a watching proves, as the page reads it: "won|lost|left FRAMES BOMBS
// LEVEL SPEED DAY" (DAY 0 for none), or "".
EM_JS(void, PageShowWatching, (int Phase, const char* Text, int Outcome, int Frames, int Bombs,
                               int Level, int Speed, int Day), {
  const proof = Outcome < 0 ? "" :
      [["won", "lost", "left"][Outcome], Frames, Bombs, Level, Speed, Day].join(" ");
  Module.showWatching(["playing", "paused", "ended", "over"][Phase], UTF8ToString(Text), proof);
});
// The records' text or a kept round under Name in the browser's storage, or
// (Text null) the round gone: false when the storage refused it.
EM_JS(bool, PageStore, (const char* Name, const char* Text, int Size),
      { return Module.store(UTF8ToString(Name), Text ? UTF8ToString(Text, Size) : null); });
// Texts cross in whole bytes: one for the page (Module.given), and one the
// game asks the page for by name (Module.ask: "language", "browser
// languages", "speed", "day", "records", "offered", "offered name"), its
// size first.
EM_JS(void, PageGive, (const char* Text, int Size),
      { Module.given = HEAPU8.slice(Text, Text + Size); });
EM_JS(int, PageAsk, (const char* What), {
  Module.asked = Module.ask(UTF8ToString(What));
  return Module.asked.length;
});
EM_JS(void, PageTake, (char* Into), {
  HEAPU8.set(Module.asked, Into);
  Module.asked = null;
});

// clang-format on

namespace carpex::web {

namespace {

// A short text, printf's way.
template <typename... Values>
std::string Format(const char* Pattern, Values... Of) {
  char text[512];
  const int n = std::snprintf(text, sizeof text, Pattern, Of...);
  return std::string(text, static_cast<size_t>(std::clamp(n, 0, int{sizeof text} - 1)));
}

std::string Ask(const char* What) {
  std::string bytes(static_cast<size_t>(PageAsk(What)), '\0');
  PageTake(bytes.data());
  return bytes;
}

// A number the page gives by name; 0 for none.
uint32_t AskNumber(const char* What) {
  uint32_t number = 0;
  for (const char c : Ask(What)) {
    number = c >= '0' && c <= '9' && number < 100000000 ? number * 10 + (c - '0') : 0;
  }
  return number;
}

class Storage final : public common::RecordStore {
 public:
  std::string Load() override { return Ask("records"); }
  bool Save(const std::string& Text) override { return Store("records", Text); }
  bool SaveScript(const std::string& Name, const std::string& Script) override {
    return Store(Name.c_str(), Script);
  }
  void RemoveScript(const std::string& Name) override { PageStore(Name.c_str(), nullptr, 0); }

 private:
  static bool Store(const char* Name, const std::string& Text) {
    return PageStore(Name, Text.data(), static_cast<int>(Text.size()));
  }
};

void Give(const std::string& Text) {
  PageGive(Text.data(), static_cast<int>(Text.size()));
}

// The events' kinds by name, the keys the page's controls press, the
// languages' keys, the picture's size and the limits.
std::string Facts() {
  std::string events;
  for (int kind = 0; kind < kFormEventKinds; ++kind) {
    const char* name = EventName(static_cast<FormEvent::Kind>(kind));
    if (name != nullptr) events += Format("%s\"%s\":%d", events.empty() ? "" : ",", name, kind);
  }
  std::string speeds;
  for (const uint16_t speed : kSpeeds) speeds += Format("%s%d", speeds.empty() ? "" : ",", speed);
  return Format(
      "{\"events\":{%s},\"keys\":{\"Escape\":%d,\"Space\":%d,\"Home\":%d,\"Up\":%d,"
      "\"Right\":%d,\"Down\":%d},\"speeds\":[%s],\"languages\":{\"%s\":%d,\"%s\":%d},"
      "\"width\":%d,\"height\":%d,\"recordingLimit\":%zu,\"watchLimit\":%zu,"
      "\"linkLimit\":%zu}",
      events.c_str(), kVkEscape, kVkSpace, kVkHome, kVkUp, kVkRight, kVkDown, speeds.c_str(),
      LanguageCode(Language::Chinese), static_cast<int>(Language::Chinese),
      LanguageCode(Language::English), static_cast<int>(Language::English), common::kPictureWidth,
      common::kPictureHeight, kRecordingLimit, kWatchLimit, kLinkLimit);
}

// A JSON string's characters.
std::string Quoted(std::string_view Text) {
  std::string json = "\"";
  for (const char c : Text) {
    if (c == '"' || c == '\\') json += '\\';
    json += c;
  }
  return json + '"';
}

Language LanguageOf(int Key) {
  return Key == static_cast<int>(Language::English) ? Language::English : Language::Chinese;
}

// The player's keys as JSON: the codes the page keeps, and their names in In.
std::string Keys(Language In) {
  const common::Controls& controls = PlayerControls();
  const common::PlayerKeys& keys = controls.Keys();
  std::string pads;
  for (int b = 0; b < common::kPadButtons; ++b) {
    const auto button = static_cast<common::PadButton>(b);
    if (!common::ChoosablePadBomb(button)) continue;
    pads += Format("%s[%d,%s]", pads.empty() ? "" : ",", b,
                   Quoted(common::PadButtonName(button)).c_str());
  }
  return Format(
      "{\"bomb\":%d,\"leave\":%d,\"pad\":%d,\"oneSwitch\":%s,\"bombName\":%s,"
      "\"leaveName\":%s,\"padName\":%s,\"pads\":[%s]}",
      keys.Bomb, keys.Leave, static_cast<int>(keys.PadBomb),
      controls.OneSwitchOn() ? "true" : "false", Quoted(common::ShownBombKeys(keys, In)).c_str(),
      Quoted(common::ShownLeaveKey(keys, In)).c_str(),
      Quoted(common::PadButtonName(keys.PadBomb)).c_str(), pads.c_str());
}

// Every text of the table in one language, as JSON, by the texts' names.
std::string Texts(Language In) {
  static constexpr const char* kNames[] = {
#define CARPEX_TEXT_NAME(Name, English, Chinese) #Name,
      CARPEX_TEXTS(CARPEX_TEXT_NAME)
#undef CARPEX_TEXT_NAME
  };
  std::string json = "{";
  for (int i = 0; i < kTextCount; ++i) {
    json += Format("%s\"%s\":\"", i > 0 ? "," : "", kNames[i]);
    for (const char c : std::string_view(TextOf(static_cast<Text>(i), In))) {
      if (c == '"' || c == '\\') json += '\\';
      if (c == '\n') {
        json += "\\n";
        continue;
      }
      json += c;
    }
    json += '"';
  }
  return json + "}";
}

}  // namespace

void PutPicture(const uint32_t* Pixels, int Width, int Height) {
  PagePutPicture(Pixels, Width, Height);
}

void ShowMessage(const char* Caption, const char* Text) {
  PageShowMessage(Caption, Text);
}

void ShowGame(bool Shown) {
  PageShowGame(Shown);
}

void ShowControls(Screen Now, int Gamepads, int Choice) {
  PageShowControls(static_cast<int>(Now), Gamepads, Choice);
}

void ShowLanguage(Language Now) {
  PageShowLanguage(LanguageCode(Now));
}

void ShowSpeed(uint16_t Percent) {
  PageShowSpeed(Percent);
}

uint16_t ChosenSpeed() {
  const uint32_t percent = AskNumber("speed");
  return IsSpeed(percent) ? static_cast<uint16_t>(percent) : 100;
}

uint32_t ChosenDay() {
  const uint32_t day = AskNumber("day");
  return DailySeed(static_cast<int>(day / 10000), static_cast<int>(day / 100 % 100),
                   static_cast<int>(day % 100)) == day
             ? day
             : 0;
}

common::RecordStore& BrowserRecords() {
  static Storage storage;
  return storage;
}

double WaitForAnimationFrame(double NotBefore) {
  return PageWaitForAnimationFrame(NotBefore);
}

void WaitForPlayAgain() {
  PageWaitForPlayAgain();
}

Language PictureLanguage() {
  Language pictures = Language::Chinese;
  ParseLanguageCode(Ask("language"), &pictures);
  return pictures;
}

void ShowWatching(WatchPhase Now, const std::string& Text, const RoundStart* Start,
                  const RoundEnd* End) {
  if (Start == nullptr || End == nullptr) {
    PageShowWatching(static_cast<int>(Now), Text.c_str(), -1, 0, 0, 0, 0, 0);
    return;
  }
  PageShowWatching(static_cast<int>(Now), Text.c_str(), static_cast<int>(End->Outcome),
                   static_cast<int>(End->Frames), static_cast<int>(End->Bombs), Start->Level,
                   Start->Speed, static_cast<int>(Start->Daily));
}

void ShowRefusal(const std::string& Why) {
  PageShowRefusal(Why.c_str());
}

}  // namespace carpex::web

namespace answer = carpex::web::answer;

// What the page needs of the game's numbers, as JSON: the events' kinds by
// their names in a script ("char", "down", "up", "language", ...), the keys
// its controls press, the languages' keys, the picture's size, and the limits
// on recordings and links, in bytes and characters.
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_facts() {
  static const std::string facts = carpex::web::Facts();
  return facts.c_str();
}

// Where the picture goes in a room of the page, in device pixels, as JSON:
// its place and size, the whole factor it is enlarged by, and whether it is
// then reduced smoothly.
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_place(int Width, int Height) {
  static std::string placed;
  const carpex::common::Placement p =
      carpex::common::PlacePicture(Width, Height, carpex::common::kPageShare);
  placed = carpex::web::Format(
      "{\"x\":%d,\"y\":%d,\"width\":%d,\"height\":%d,\"scale\":%d,\"smooth\":%s}", p.X, p.Y,
      p.Width, p.Height, p.Scale, p.Smooth ? "true" : "false");
  return placed.c_str();
}

// Every word the page shows, in the language Language (a FormEvent's key for
// it, carpex_facts names them), as JSON by the texts' names
// (assets/texts.h): each with its places {0} to {9} for the page to fill.
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_texts(int Language) {
  static std::string texts;
  texts = carpex::web::Texts(carpex::web::LanguageOf(Language));
  return texts.c_str();
}

// The pictures the browser's languages ask for: "zh" or "en".
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_browser_language() {
  return carpex::LanguageCode(carpex::ListedLanguage(carpex::web::Ask("browser languages")));
}

// The page's own controls (touch, buttons, the language switch, the pause
// button) give what keys give: Kind is a FormEvent's kind (carpex_facts names them), Key its key.
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_press(int Kind, int Key) {
  using carpex::FormEvent;
  const bool pressable = Kind == FormEvent::Char || Kind == FormEvent::KeyDown ||
                         Kind == FormEvent::KeyUp || Kind == FormEvent::Language ||
                         Kind == FormEvent::Pause;
  if (!pressable || Key < 0 || Key > carpex::MaxKey(static_cast<FormEvent::Kind>(Kind))) return;
  answer::Post({static_cast<FormEvent::Kind>(Kind), static_cast<uint16_t>(Key)});
}

// The replay trace line of the game's last frame (empty before the game runs
// and after it has ended): what the browser test checks the game by, and what
// a bug report can quote.
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_trace() {
  static std::string line;
  line = answer::Trace();
  return line.c_str();
}

// The recording to the page (Module.given), and how it stands: "going",
// "full" (it reached its limit while the game went on) or "ended" (with its
// game).
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_recording() {
  carpex::web::RecordingState state = carpex::web::RecordingState::Going;
  carpex::web::Give(answer::Recording(&state));
  switch (state) {
    case carpex::web::RecordingState::Going:
      break;
    case carpex::web::RecordingState::Full:
      return "full";
    case carpex::web::RecordingState::Ended:
      return "ended";
  }
  return "going";
}

// The last round played, as a script of its own, to the page (Module.given);
// empty when there is none. Its speed, in per cent.
extern "C" EMSCRIPTEN_KEEPALIVE int carpex_round() {
  uint16_t speed = 100;
  carpex::web::Give(answer::LastRound(&speed));
  return speed;
}

// A click or a touch on the picture went down (1) or up (0): the bomb key, or
// the one switch.
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_click(int Down) {
  answer::Click(Down != 0);
}

// The page's speed control: the game's speed from now on, in per cent (one of
// carpex_facts' speeds).
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_speed(int Percent) {
  if (carpex::IsSpeed(static_cast<uint32_t>(Percent))) {
    answer::SetSpeed(static_cast<uint16_t>(Percent));
  }
}

// What the page kept of the player's controls: the bomb and leave keys
// (virtual-key codes, 0 for the defaults), the gamepad's bomb button
// (carpex_keys names them) and one switch. What cannot be is the default.
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_set_player(int Bomb, int Leave, int Pad,
                                                       int OneSwitch) {
  carpex::common::Controls& controls = carpex::web::PlayerControls();
  carpex::common::PlayerKeys keys;
  keys.Bomb = static_cast<uint16_t>(Bomb);
  keys.Leave = static_cast<uint16_t>(Leave);
  if (Pad >= 0 && Pad < carpex::common::kPadButtons) {
    keys.PadBomb = static_cast<carpex::common::PadButton>(Pad);
  }
  controls.SetKeys(keys);
  controls.SetOneSwitch(OneSwitch != 0);
  // On the page a click or a touch always drops the bomb.
  controls.SetClick(true);
}

// The Keys box: the key of a browser's key event (its keyCode) for the bomb
// (Which 0) or for leaving (1). "" when it is taken, else why not, in the
// language Language.
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_choose_key(int Which, int KeyCode,
                                                              int Language) {
  using carpex::common::Refusal;
  static std::string said;
  const uint16_t vk = carpex::web::VirtualKey(static_cast<uint32_t>(KeyCode));
  const Refusal why = carpex::web::PlayerControls().Choose(
      Which == 0 ? carpex::common::KeyFor::Bomb : carpex::common::KeyFor::Leave, vk);
  const carpex::Language in = carpex::web::LanguageOf(Language);
  said = why == Refusal::None ? ""
         : why == Refusal::InUse
             ? carpex::Say(carpex::Text::LegendKeyInUse, in, {carpex::common::ShownKeyName(vk, in)})
             : carpex::Say(carpex::Text::LegendKeyUnnamed, in);
  return said.c_str();
}

// The gamepad's bomb button (one of carpex_keys' "pads").
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_choose_pad(int Button) {
  if (Button >= 0 && Button < carpex::common::kPadButtons) {
    carpex::web::PlayerControls().ChoosePadBomb(static_cast<carpex::common::PadButton>(Button));
  }
}

// The player's controls as JSON: the codes the page keeps ("bomb", "leave",
// "pad", "oneSwitch"), their names in the language Language ("bombName",
// "leaveName", "padName"), and the buttons a gamepad's bomb may be ("pads":
// [button, name] each).
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_keys(int Language) {
  static std::string keys;
  keys = carpex::web::Keys(carpex::web::LanguageOf(Language));
  return keys.c_str();
}

// The recording the page offers to watch ("offered", "offered name": a
// stranger's bytes and their name): "" when taken, else why it is refused.
extern "C" EMSCRIPTEN_KEEPALIVE const char* carpex_watch() {
  static std::string message;
  message = answer::Watch(carpex::web::Ask("offered"), carpex::web::Ask("offered name"));
  return message.c_str();
}

// "Today's city": every round from now on on the city of Day (YYYYMMDD, the
// UTC date), the same for every player that day. A day that is none is passed over.
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_day(int Day) {
  const auto day = static_cast<uint32_t>(Day);
  if (Day > 0 && carpex::DailySeed(Day / 10000, Day / 100 % 100, Day % 100) == day) {
    answer::UseDay(day);
  }
}

// "Clear records": the records and the rounds kept with them gone.
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_clear_records() {
  answer::ClearRecords();
}
