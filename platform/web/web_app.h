// The application layer in a web browser: the software display's picture on
// the page's canvas, the page's key, touch, gamepad and focus events turned
// into the form's handlers, a 1000 ms timer on the browser's clock, and the
// idle-time loop paced by the browser's animation frames.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <vector>

#include "shell/app.h"
#include "platform/common/gamepad.h"

namespace soft {
struct PixelView;
}

namespace carpex::web {

class WebApp final : public Application {
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
  void Terminate() override { terminated_ = true; }
  // Waits for the browser's animation frame in which the next frame of a
  // 60 Hz display is due (or Milliseconds after the last, if that is longer).
  void Sleep(uint32_t Milliseconds) override;
  void TextOut(int32_t X, int32_t Y, const char* Text) override;
  void MessageBox(const char* Text, const char* Caption, uint32_t Flags) override;
  void Run(FormHandlers& Form) override;
  uint32_t ClockSeed() override;

  // How many idle calls the loop has made.
  uint64_t IdleCalls() const { return idle_calls_; }
  // Where the game is, for what the gamepads' buttons and the page's touch
  // controls mean there.
  void SetGameView(std::function<common::GameView()> View) { view_ = std::move(View); }

  // A message the page's event handlers leave for the loop, which hands it to
  // the form in a turn of its own. A focus change right after another takes
  // its place: only the state they leave counts.
  struct Message {
    enum Kind : uint8_t { Char, KeyDown, KeyUp, Deactivate, Restore } kind;
    uint16_t key;
  };
  void Post(Message M);

 private:
  // Enough for every key a player can press between two frames. Beyond it
  // characters and key-downs are dropped, but no key-up (a bomb key would
  // stay held) and no focus change (the game would stay paused on a page in
  // front): those are kept aside, one per key and the last focus change, and
  // handed over once the queue has been.
  static constexpr int kQueueSize = 64;

  static bool IsFocus(Message::Kind Kind) {
    return Kind == Message::Deactivate || Kind == Message::Restore;
  }
  bool Aside() const { return released_.any() || focus_aside_; }
  bool HandleOneMessage();
  void Deliver(const Message& M);
  void OnFlip(const soft::PixelView& Front);
  void Present();
  common::GameView View() const { return view_ ? view_() : common::GameView{}; }
  // Once a frame, before it: the gamepads' buttons become messages (true when
  // there are new ones), and the page learns what its controls mean now.
  bool PollInput();

  static constexpr int kMaxGamepads = 4;
  FormHandlers* form_ = nullptr;
  Message queue_[kQueueSize] = {};
  int queue_head_ = 0;
  int queue_count_ = 0;
  std::bitset<256> released_;  // key-ups kept aside, by virtual-key code
  bool focus_aside_ = false;
  Message::Kind aside_focus_ = Message::Restore;
  double next_tick_ = 0;
  double last_frame_ = 0;
  // When the next frame of the 60 Hz schedule is due.
  double next_frame_ = 0;
  bool polled_ = false;
  std::function<common::GameView()> view_;
  common::Gamepads pads_;
  bool pad_seen_[kMaxGamepads] = {};
  // What the page was last told: -1 for nothing yet.
  int shown_state_ = -1;
  bool terminated_ = false;
  bool minimized_ = false;
  bool needs_present_ = false;
  uint64_t idle_calls_ = 0;
  int window_token_ = 0;
  // The canvas's pixels, RGBA, 640 x 480.
  std::vector<uint32_t> picture_;
};

}  // namespace carpex::web
