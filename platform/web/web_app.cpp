#include "platform/web/web_app.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <chrono>

#include "graphics/soft/control.h"
#include "platform/common/controls.h"
#include "platform/common/layout.h"
#include "platform/common/pixel_font.h"
#include "platform/web/keys.h"
#include "platform/web/page.h"

namespace carpex::web {

namespace {

// The game was made for a 60 Hz display: its 16 ms sleep is followed by a flip
// that waits for the next refresh, one frame a refresh (further apart at a
// slower speed). The browser's animation frames come at the display's own
// rate, a little early or late: one that comes up to a quarter of a period
// before a step is due runs it, so that a 60 Hz display's jitter costs no step
// while a faster display's frames in between (120 Hz, 144 Hz) are let pass.
constexpr double kEarly = 0.25;
// As RGBA in memory.
constexpr uint32_t Opaque(common::TextColour C) {
  return 0xFF000000u | uint32_t{C.B} << 16 | uint32_t{C.G} << 8 | C.R;
}
constexpr uint32_t kTextBackground = Opaque(common::kTextFace);
constexpr uint32_t kTextColour = Opaque(common::kTextInk);

// The application the page's events go to: the innermost of those running.
WebApp* g_current = nullptr;
// The player's keys, as the native games take them (P and Pause pause, L
// switches the language): one keyboard for the game and a watching.
common::Controls g_controls;

WebApp& Current() {
  return *g_current;
}

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* Event, void*) {
  const uint16_t vk = VirtualKey(Event->keyCode);
  if (vk == 0) return EM_FALSE;
  const bool alt = Event->altKey || Event->metaKey;
  // With Ctrl, Alt or Meta a key is the browser's shortcut (Ctrl+P prints,
  // Ctrl+L goes to the address), never the player's pause or language.
  common::Controls::Result keys;
  if (Event->ctrlKey || alt) {
    keys.Events[keys.Count++] = FormEvent{FormEvent::KeyDown, vk};
  } else {
    keys = g_controls.KeyDown(vk, Current().View());
  }
  for (int i = 0; i < keys.Count; ++i) Current().Post(keys.Events[i]);
  // The character follows its key-down, as Windows' message translation posts it.
  if (const auto ch = TypedCharacter(Event->key, Event->ctrlKey, alt); ch && !keys.Taken) {
    Current().Post({FormEvent::Char, *ch});
  }
  return MovesPage(vk) && !Event->ctrlKey && !alt;
}

EM_BOOL OnKeyUp(int, const EmscriptenKeyboardEvent* Event, void*) {
  const uint16_t vk = VirtualKey(Event->keyCode);
  if (vk == 0) return EM_FALSE;
  Current().PostAll(g_controls.KeyUp(vk));
  return MovesPage(vk);
}

EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void*) {
  Current().Post({FormEvent::Deactivate, 0});
  return EM_FALSE;
}

EM_BOOL OnFocus(int, const EmscriptenFocusEvent*, void*) {
  Current().Post({FormEvent::Restore, 0});
  return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* Event, void*) {
  Current().Post({Event->hidden ? FormEvent::Deactivate : FormEvent::Restore, 0});
  return EM_FALSE;
}

}  // namespace

WebApp::WebApp()
    : outer_(g_current),
      pacer_(clock_, common::FramePacer::kStepMs, kEarly),
      picture_(static_cast<size_t>(common::kPictureWidth) * common::kPictureHeight, 0xFF000000) {
  g_current = this;
  clock_.Frame = emscripten_get_now();
  if (outer_ == nullptr) {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    // When the keys have passed the page: a message box on it keeps its own.
    emscripten_set_keydown_callback(window, nullptr, false, OnKeyDown);
    emscripten_set_keyup_callback(window, nullptr, false, OnKeyUp);
    // The window's own focus only: captured, the focus changes of the page's
    // elements (the message box's button) would pass for it.
    emscripten_set_blur_callback(window, nullptr, false, OnBlur);
    emscripten_set_focus_callback(window, nullptr, false, OnFocus);
    emscripten_set_visibilitychange_callback(nullptr, true, OnVisibility);
  }
  soft::SetFlipHook([this](const soft::PixelView& Front) { OnFlip(Front); });
}

WebApp::~WebApp() {
  soft::SetFlipHook({});
  g_current = outer_;
  if (outer_ == nullptr) emscripten_html5_remove_all_event_listeners();
}

void WebApp::Minimize() {
  activation_.Minimize();
}

void WebApp::Hide() {
  ShowGame(false);
}

common::Controls& PlayerControls() {
  return g_controls;
}

void WebApp::SetSpeed(uint16_t Percent) {
  // The same steps, further apart: from the next one on.
  pacer_.SetPeriod(common::FramePacer::PeriodAt(Percent));
  if (outer_ == nullptr) ShowSpeed(Percent);
}

void WebApp::Sleep(uint32_t) {
  pacer_.WaitForStep();
}

double WebApp::FrameClock::WaitUntil(double At) {
  if (Frame < At) Frame = WaitForAnimationFrame(At);
  return Frame;
}

double WebApp::UntilFrame() {
  return std::max(pacer_.DueIn(), 0.0);
}

void WebApp::WriteText(int32_t X, int32_t Y, const char* Text) {
  // Into the canvas's picture: it stays there until the next flip covers it.
  const int right = std::min(X + common::TextWidth(Text), common::kPictureWidth);
  const int bottom = std::min(Y + common::kCellHeight, common::kPictureHeight);
  auto fill = [&](int Left, int Top, int Width, uint32_t Colour) {
    if (Top < std::max(Y, 0) || Top >= bottom) return;
    const int from = std::max(Left, 0);
    const int to = std::min(Left + Width, right);
    if (from < to) std::fill_n(&picture_[Top * common::kPictureWidth + from], to - from, Colour);
  };
  for (int row = Y; row < bottom; ++row) fill(X, row, right - X, kTextBackground);
  constexpr int kMaxRuns = 32 * common::kCellHeight * 3;
  common::InkRun runs[kMaxRuns];
  const int n = common::TextInk(Text, runs, kMaxRuns);
  for (int i = 0; i < n; ++i) fill(X + runs[i].X, Y + runs[i].Y, runs[i].Width, kTextColour);
  needs_present_ = true;
}

void WebApp::ShowMessageBox(const char* Text, const char* Caption, uint32_t) {
  ShowMessage(Caption != nullptr ? Caption : "", Text != nullptr ? Text : "");
}

uint32_t WebApp::ClockSeed() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

void WebApp::Run(FormHandlers& Form) {
  ShowGame(true);
  loop_.Run(Form, *this);
}

double WebApp::Now() {
  return emscripten_get_now();
}

bool WebApp::HandleSystemEvent(bool Draining) {
  if (Draining || interlude_ == nullptr || !interlude_()) return false;
  // The page is this game's again: its picture, and what its controls mean.
  ShowGame(true);
  shown_state_ = -1;
  Present();
  return true;
}

void WebApp::Wait(double) {
  clock_.Frame = WaitForAnimationFrame(0);
}

void WebApp::Focus(FormEvent::Kind Kind, FormHandlers& Form) {
  activation_.HandleFocus(Kind == FormEvent::Restore, Form);
}

void WebApp::Sample() {
  const common::GameView view = View();
  auto post = [this](const common::Controls::Result& Events) { PostAll(Events); };
  // The buttons in the standard gamepad layout.
  constexpr struct {
    int Index;
    common::PadButton Button;
  } kButtons[] = {{0, common::kPadA},
                  {8, common::kPadBack},
                  {13, common::kPadDown},
                  {14, common::kPadLeft},
                  {15, common::kPadRight},
                  {9, common::kPadStart},
                  {1, common::kPadB},
                  {2, common::kPadX},
                  {3, common::kPadY},
                  {4, common::kPadLeftShoulder},
                  {5, common::kPadRightShoulder}};
  // Away from the page, the pads are no more the game's than the keys are.
  if (!activation_.Minimized() && emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS) {
    const int pads = std::min(emscripten_get_num_gamepads(), kMaxGamepads);
    for (int i = 0; i < kMaxGamepads; ++i) {
      EmscriptenGamepadEvent pad;
      if (i >= pads || emscripten_get_gamepad_status(i, &pad) != EMSCRIPTEN_RESULT_SUCCESS ||
          !pad.connected) {
        if (pad_seen_[i]) post(g_controls.PadRemove(i, view));
        pad_seen_[i] = false;
        continue;
      }
      pad_seen_[i] = true;
      uint32_t held = 0;
      for (const auto& b : kButtons) {
        if (b.Index < pad.numButtons && pad.digitalButton[b.Index])
          held |= common::PadBit(b.Button);
      }
      post(g_controls.PadUpdate(i, held, view));
    }
  }
  post(g_controls.Poll(view));
  // Before the frame that shows the pictures in another language, so that
  // the page's words change with them.
  if (static_cast<int>(view.In) != shown_language_) {
    shown_language_ = static_cast<int>(view.In);
    ShowLanguage(view.In);
  }
  const Screen screen = view.LevelScreen ? Screen::Level
                        : view.Paused    ? Screen::Paused
                        : view.RoundOver ? Screen::Over
                                         : Screen::Round;
  const common::Gamepads& pads = g_controls.Pads();
  const int state = static_cast<int>(screen) | pads.Count() << 2 | g_controls.Choice() << 8;
  if (state != shown_state_) {
    shown_state_ = state;
    ShowControls(screen, pads.Count(), g_controls.Choice());
  }
}

void WebApp::OnFlip(const soft::PixelView& Front) {
  if (Front.pixels == nullptr || Front.width != common::kPictureWidth ||
      Front.height != common::kPictureHeight) {
    return;
  }
  uint32_t* out = picture_.data();
  for (int y = 0; y < common::kPictureHeight; ++y) {
    for (int x = 0; x < common::kPictureWidth; ++x)
      *out++ = 0xFF000000 | soft::FromRgb565(Front.At(x, y));
  }
  needs_present_ = true;
}

void WebApp::Present() {
  needs_present_ = false;
  PutPicture(picture_.data(), common::kPictureWidth, common::kPictureHeight);
}

}  // namespace carpex::web
