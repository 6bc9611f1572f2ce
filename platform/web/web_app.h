// The application layer in a web browser: the software display's picture on
// the page's canvas, the page's key (taken as the native games take them,
// platform/common/controls.h), touch, gamepad and focus events turned into
// the form's handlers, a 1000 ms timer on the browser's clock, and the
// idle-time loop paced by the browser's animation frames.
//
// The application contract (shell/app.h):
//  [x] WindowHandle: a token (the software display needs no window).
//  [x] Minimize: nothing to send to a task bar; the display's surfaces are
//      lost while the page is away.
//  [ ] Maximize: does nothing: a page cannot maximise itself, and the picture
//      fills the page's room whenever it shows.
//  [x] Hide, Terminate: the canvas hidden; the loop ends after what is queued.
//  [x] Sleep: until the browser's animation frame in which the next step of
//      sixty a second is due (common::FramePacer), further apart at a slower
//      speed (SetSpeed); the loop waits for it with the page's events handled
//      as they come.
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
#include "platform/common/controls.h"
#include "platform/common/frame_pacer.h"
#include "platform/common/gamepad.h"
#include "platform/common/message_loop.h"
#include "shell/app.h"

namespace soft {
struct PixelView;
}

namespace carpex::web {

class WebApp final : public Application, private common::MessageLoop::Host {
 public:
  // Hooks the page's events and the software display's flips. One made while
  // another runs (a watching within the game) takes the page's events until
  // it goes.
  WebApp();
  ~WebApp() override;
  WebApp(const WebApp&) = delete;
  WebApp& operator=(const WebApp&) = delete;

  void* WindowHandle() override { return &window_token_; }
  void Minimize() override;
  void Maximize() override {}
  void Hide() override;
  void Terminate() override { loop_.Terminate(); }
  void Sleep(uint32_t Milliseconds) override;
  void WriteText(int32_t X, int32_t Y, const char* Text) override;
  void ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) override;
  void Run(FormHandlers& Form) override;
  uint32_t ClockSeed() override;
  // The game's own tells the page its speed (a watching's is the recording's).
  void SetSpeed(uint16_t Percent) override;

  // How many idle calls the loop has made.
  uint64_t IdleCalls() const { return loop_.IdleCalls(); }
  // Where the game is, for what the gamepads' buttons and the page's touch
  // controls mean there.
  void SetGameView(std::function<common::GameView()> View) { view_ = std::move(View); }

  // The page's event handlers leave every key and focus change for the loop,
  // which hands it to the form in a turn of its own.
  void Post(const FormEvent& Event) { loop_.Post(Event); }
  void PostAll(const common::Controls::Result& Events) { loop_.Post(Events.Events, Events.Count); }
  common::GameView View() const { return view_ ? view_() : common::GameView{}; }
  // Called between two of the loop's turns: something that takes the page
  // over for a while (a watching, on an application of its own made in the
  // meantime, which gets the page's events), the game standing still; true
  // when it did. The page is the game's again after it.
  void SetInterlude(bool (*Interlude)()) { interlude_ = Interlude; }

 private:
  // The loop's host: the browser's clock, the gamepads read before each frame,
  // and the animation frame waited for when idle.
  double Now() override;
  // The page's events come through the handlers, not here: only an interlude.
  bool HandleSystemEvent(bool Draining) override;
  // The gamepads' buttons become messages, and the page learns what its
  // controls mean now.
  void Sample() override;
  void Focus(FormEvent::Kind Kind, FormHandlers& Form) override;
  // One picture per frame, with the text written after the flip.
  void AfterFrame() override {
    if (needs_present_) Present();
  }
  double UntilFrame() override;
  // The page must get the thread back: without a wait the browser would hang.
  void Wait(double) override;
  void Ending() override {}
  void OnFlip(const soft::PixelView& Front);
  void Present();

  // The page's time is the animation frame it is in: a wait ends in the one
  // at or after the time asked for, or at once when the page is in it already.
  struct FrameClock final : common::FramePacer::Clock {
    double Now() override { return Frame; }
    double WaitUntil(double At) override;
    double Frame = 0;
  };

  static constexpr int kMaxGamepads = 4;
  // The application this one runs within, if any.
  WebApp* const outer_;
  common::MessageLoop loop_;
  bool (*interlude_)() = nullptr;
  FrameClock clock_;
  common::FramePacer pacer_;
  std::function<common::GameView()> view_;
  bool pad_seen_[kMaxGamepads] = {};
  // What the page was last told: -1 for nothing yet.
  int shown_state_ = -1;
  int shown_language_ = -1;
  common::Activation activation_;
  bool needs_present_ = false;
  int window_token_ = 0;
  // The canvas's pixels, RGBA, 640 x 480.
  std::vector<uint32_t> picture_;
};

// The player's keys, gamepads and clicks, as the native games take theirs:
// one set for the game and a watching (which takes them as they are).
common::Controls& PlayerControls();

}  // namespace carpex::web
