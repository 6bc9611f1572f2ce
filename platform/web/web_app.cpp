#include "platform/web/web_app.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <chrono>

#include "graphics/soft/control.h"
#include "platform/common/layout.h"
#include "platform/common/pixel_font.h"
#include "platform/web/keys.h"

namespace carpex::web {

namespace {

// The game was made for a 60 Hz display: its 16 ms sleep is followed by a flip
// that waits for the next refresh, one frame a refresh. The browser's animation
// frames come at the display's own rate, a little early or late: one that comes
// up to a quarter of a period before a frame is due runs it, so that a 60 Hz
// display's jitter costs no frame while a faster display's frames in between
// (120 Hz, 144 Hz) are let pass.
constexpr double kFramePeriodMs = 1000.0 / 60;
constexpr double kFrameEarlyMs = kFramePeriodMs / 4;
// As RGBA in memory.
constexpr uint32_t Opaque(common::TextColour C) {
  return 0xFF000000u | uint32_t{C.B} << 16 | uint32_t{C.G} << 8 | C.R;
}
constexpr uint32_t kTextBackground = Opaque(common::kTextFace);
constexpr uint32_t kTextColour = Opaque(common::kTextInk);

// The page's side: index.html gives Module these functions. The bodies are
// JavaScript, which the C++ formatter would take apart.
// clang-format off
EM_JS(void, PutPicture, (const void* Pixels, int Width, int Height), {
  const bytes = Width * Height * 4;
  let image = Module.carpexImage;
  // Growing the memory replaces its buffer; the image must then be made again.
  if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== Pixels) {
    image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, Pixels, bytes), Width, Height);
    Module.carpexImage = image;
  }
  Module.putPicture(image);
});
// Resolves when the player has closed the box.
EM_ASYNC_JS(void, ShowMessage, (const char* Caption, const char* Text), {
  await Module.showMessage(UTF8ToString(Caption), UTF8ToString(Text));
});
EM_JS(void, ShowGame, (bool Shown), { Module.showGame(Shown); });
// What the legend and the controls say now (Screen: 0 the level screen, 1 a
// round, 2 a round over), and the level a gamepad's A starts.
EM_JS(void, ShowControls, (int Screen, int Gamepads, int Choice), {
  Module.showControls(["level", "round", "over"][Screen], Gamepads, Choice);
});

// Resolves with the time stamp of the first animation frame at NotBefore or
// later. A hidden page gets no animation frames: there the wait is a plain
// 16 ms timer (which the browser may slow down), so that the loop still turns
// and hands the form its deactivation and the timer's ticks.
EM_ASYNC_JS(double, WaitForAnimationFrame, (double NotBefore), {
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
// clang-format on

WebApp& AppOf(void* User) {
  return *static_cast<WebApp*>(User);
}

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* Event, void* User) {
  const uint16_t vk = VirtualKey(Event->keyCode);
  if (vk == 0) return EM_FALSE;
  AppOf(User).Post({FormEvent::KeyDown, vk});
  // The character follows its key-down, as Windows' message translation posts it.
  const bool alt = Event->altKey || Event->metaKey;
  if (const auto ch = TypedCharacter(Event->key, Event->ctrlKey, alt)) {
    AppOf(User).Post({FormEvent::Char, *ch});
  }
  return MovesPage(vk) && !Event->ctrlKey && !alt;
}

EM_BOOL OnKeyUp(int, const EmscriptenKeyboardEvent* Event, void* User) {
  const uint16_t vk = VirtualKey(Event->keyCode);
  if (vk == 0) return EM_FALSE;
  AppOf(User).Post({FormEvent::KeyUp, vk});
  return MovesPage(vk);
}

EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void* User) {
  AppOf(User).Post({FormEvent::Deactivate, 0});
  return EM_FALSE;
}

EM_BOOL OnFocus(int, const EmscriptenFocusEvent*, void* User) {
  AppOf(User).Post({FormEvent::Restore, 0});
  return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* Event, void* User) {
  AppOf(User).Post({Event->hidden ? FormEvent::Deactivate : FormEvent::Restore, 0});
  return EM_FALSE;
}

WebApp* g_page_app = nullptr;

}  // namespace

// The page's own controls (touch, buttons) give what keys give: Kind is a
// FormEvent kind (0 a typed character, 1 a key-down, 2 a key-up).
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_press(int Kind, int Key) {
  if (g_page_app == nullptr || Kind < FormEvent::Char || Kind > FormEvent::KeyUp || Key < 0 ||
      Key > 0xFF) {
    return;
  }
  g_page_app->Post({static_cast<FormEvent::Kind>(Kind), static_cast<uint16_t>(Key)});
}

// The page's language switch: 1 the English pictures, 0 the Chinese ones.
extern "C" EMSCRIPTEN_KEEPALIVE void carpex_language(int English) {
  if (g_page_app != nullptr) {
    g_page_app->ChooseLanguage(English != 0 ? Language::English : Language::Chinese);
  }
}

WebApp::WebApp()
    : picture_(static_cast<size_t>(common::kPictureWidth) * common::kPictureHeight, 0xFF000000) {
  const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  // When the keys have passed the page: a message box on it keeps its own.
  emscripten_set_keydown_callback(window, this, false, OnKeyDown);
  emscripten_set_keyup_callback(window, this, false, OnKeyUp);
  // The window's own focus only: captured, the focus changes of the page's
  // elements (the message box's button) would pass for it.
  emscripten_set_blur_callback(window, this, false, OnBlur);
  emscripten_set_focus_callback(window, this, false, OnFocus);
  emscripten_set_visibilitychange_callback(this, true, OnVisibility);
  soft::SetFlipHook([this](const soft::PixelView& Front) { OnFlip(Front); });
  g_page_app = this;
}

WebApp::~WebApp() {
  g_page_app = nullptr;
  soft::SetFlipHook({});
  emscripten_html5_remove_all_event_listeners();
}

void WebApp::Minimize() {
  activation_.Minimize();
}

void WebApp::Hide() {
  ShowGame(false);
}

void WebApp::Sleep(uint32_t Milliseconds) {
  const double period = std::max<double>(Milliseconds, kFramePeriodMs);
  last_frame_ = WaitForAnimationFrame(next_frame_ - kFrameEarlyMs);
  next_frame_ += period;
  // A whole frame late (a slow display, a page that was hidden): the schedule
  // starts again from now rather than catch up.
  if (next_frame_ <= last_frame_) next_frame_ = last_frame_ + period;
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

void WebApp::Wait(double) {
  last_frame_ = WaitForAnimationFrame(0);
}

void WebApp::Focus(FormEvent::Kind Kind, FormHandlers& Form) {
  activation_.HandleFocus(Kind == FormEvent::Restore, Form);
}

void WebApp::Sample() {
  if (language_chosen_) {
    language_chosen_ = false;
    if (switch_) switch_(chosen_);
  }
  const common::GameView view = View();
  auto post = [this](const common::Gamepads::Events& Events) {
    loop_.Post(Events.List, Events.Count);
  };
  // The buttons in the standard gamepad layout.
  constexpr struct {
    int Index;
    common::PadButton Button;
  } kButtons[] = {{0, common::kPadA},
                  {8, common::kPadBack},
                  {13, common::kPadDown},
                  {14, common::kPadLeft},
                  {15, common::kPadRight}};
  // Away from the page, the pads are no more the game's than the keys are.
  if (!activation_.Minimized() && emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS) {
    const int pads = std::min(emscripten_get_num_gamepads(), kMaxGamepads);
    for (int i = 0; i < kMaxGamepads; ++i) {
      EmscriptenGamepadEvent pad;
      if (i >= pads || emscripten_get_gamepad_status(i, &pad) != EMSCRIPTEN_RESULT_SUCCESS ||
          !pad.connected) {
        if (pad_seen_[i]) post(pads_.Remove(i, view));
        pad_seen_[i] = false;
        continue;
      }
      pad_seen_[i] = true;
      uint32_t held = 0;
      for (const auto& b : kButtons) {
        if (b.Index < pad.numButtons && pad.digitalButton[b.Index])
          held |= common::PadBit(b.Button);
      }
      post(pads_.Update(i, held, view));
    }
  }
  pads_.ChooseLevelPlayed(view);
  const int screen = view.LevelScreen ? 0 : view.RoundOver ? 2 : 1;
  const int state = screen | pads_.Count() << 2 | pads_.Choice() << 8;
  if (state != shown_state_) {
    shown_state_ = state;
    ShowControls(screen, pads_.Count(), pads_.Choice());
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
