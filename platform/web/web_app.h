// The application layer in a web browser: the software display's picture on
// the page's canvas, the page's key, touch, gamepad and focus events turned
// into the form's handlers, a 1000 ms timer on the browser's clock, and the
// idle-time loop paced by the browser's animation frames.
//
// The application contract (shell/app.h):
//  [x] WindowHandle: a token (the software display needs no window).
//  [x] Minimize: nothing to send to a task bar; the display's surfaces are
//      lost while the page is away.
//  [ ] Maximize: does nothing: a page cannot maximise itself, and the picture
//      fills the page's room whenever it shows.
//  [x] Hide, Terminate: the canvas hidden; the loop ends after what is queued.
//  [x] Sleep: until the browser's animation frame in which the next frame is due.
//  [x] WriteText: the small pixel font into the canvas's picture.
//  [x] ShowMessageBox: a box on the page, closed by its OK.
//  [x] Run: the common message loop: keys, the page's touch controls,
//      gamepads, the timer, focus and visibility.
//  [x] ClockSeed: the system clock, in microseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "assets/sprite_sheets.h"
#include "platform/common/activation.h"
#include "platform/common/gamepad.h"
#include "platform/common/message_loop.h"
#include "shell/app.h"

namespace soft {
struct PixelView;
}

namespace carpex::web {

class WebApp final : public Application, private common::MessageLoop::Host {
 public:
  // Hooks the page's events and the software display's flips.
  WebApp();
  ~WebApp() override;
  WebApp(const WebApp&) = delete;
  WebApp& operator=(const WebApp&) = delete;

  void* WindowHandle() override { return &window_token_; }
  void Minimize() override;
  void Maximize() override {}
  void Hide() override;
  void Terminate() override { loop_.Terminate(); }
  // Waits for the browser's animation frame in which the next frame of a
  // 60 Hz display is due (or Milliseconds after the last, if that is longer).
  void Sleep(uint32_t Milliseconds) override;
  void WriteText(int32_t X, int32_t Y, const char* Text) override;
  void ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) override;
  void Run(FormHandlers& Form) override;
  uint32_t ClockSeed() override;

  // How many idle calls the loop has made.
  uint64_t IdleCalls() const { return loop_.IdleCalls(); }
  // Where the game is, for what the gamepads' buttons and the page's touch
  // controls mean there.
  void SetGameView(std::function<common::GameView()> View) { view_ = std::move(View); }
  // What the page's language switch does, between two frames.
  void SetLanguageSwitch(std::function<void(Language)> Switch) { switch_ = std::move(Switch); }
  // The page's switch was turned: the pictures change before the next frame.
  void ChooseLanguage(Language Pictures) {
    chosen_ = Pictures;
    language_chosen_ = true;
  }

  // The page's event handlers leave every key and focus change for the loop,
  // which hands it to the form in a turn of its own.
  void Post(const FormEvent& Event) { loop_.Post(Event); }

 private:
  // The loop's host: the browser's clock, the gamepads read before each frame,
  // and the animation frame waited for when idle.
  double Now() override;
  bool HandleSystemEvent(bool) override { return false; }
  // The gamepads' buttons become messages, and the page learns what its
  // controls mean now.
  void Sample() override;
  void Focus(FormEvent::Kind Kind, FormHandlers& Form) override;
  // One picture per frame, with the text written after the flip.
  void AfterFrame() override {
    if (needs_present_) Present();
  }
  // The page must get the thread back: without a wait the browser would hang.
  void Wait(double) override;
  void Ending() override {}
  void OnFlip(const soft::PixelView& Front);
  void Present();
  common::GameView View() const { return view_ ? view_() : common::GameView{}; }

  static constexpr int kMaxGamepads = 4;
  common::MessageLoop loop_;
  double last_frame_ = 0;
  // When the next frame of the 60 Hz schedule is due.
  double next_frame_ = 0;
  std::function<common::GameView()> view_;
  std::function<void(Language)> switch_;
  bool language_chosen_ = false;
  Language chosen_ = Language::Chinese;
  common::Gamepads pads_;
  bool pad_seen_[kMaxGamepads] = {};
  // What the page was last told: -1 for nothing yet.
  int shown_state_ = -1;
  common::Activation activation_;
  bool needs_present_ = false;
  int window_token_ = 0;
  // The canvas's pixels, RGBA, 640 x 480.
  std::vector<uint32_t> picture_;
};

}  // namespace carpex::web
