// The message loop of the SDL game and the page: the messages a front end
// posts to itself, each handed to the form in a turn of its own, the window
// system's events, a 1000 ms timer, the form's idle calls and the wait while
// there is nothing to do. What differs between the front ends is the Host's.
// The wait before each frame's step is made here, with the messages handled
// as they come, so that a key pressed meanwhile is in that frame's picture.
#pragma once

#include <bitset>
#include <cstdint>

#include "shell/app.h"
#include "shell/form_event.h"

namespace carpex::common {

// A message is one of the form's events. Deactivate and Restore are focus
// messages, which the front end hands over in its own way (Host::Focus); a
// focus message right after another takes its place: only the state they
// leave counts.
class MessageLoop {
 public:
  // What the loop needs from the front end.
  class Host {
   public:
    virtual ~Host() = default;
    // The clock, in milliseconds.
    virtual double Now() = 0;
    // Handles one of the window system's own events; false when none waits.
    // Draining, only those it had when the application ended.
    virtual bool HandleSystemEvent(bool Draining) = 0;
    // Once before each frame: inputs that are read, not sent, may post messages,
    // which are handled before the frame.
    virtual void Sample() = 0;
    // A focus message's turn.
    virtual void Focus(FormEvent::Kind Kind, FormHandlers& Form) = 0;
    // After each frame: the picture goes to the screen.
    virtual void AfterFrame() = 0;
    // How long, in milliseconds, until the next frame's step is due; 0 when
    // it may begin now (the frame's own sleep waits out what is left).
    virtual double UntilFrame() { return 0; }
    // Nothing waits: returns when something may have come, at the latest once
    // the timer is due in Milliseconds.
    virtual void Wait(double Milliseconds) = 0;
    // The application has ended: what the drain handles is what the window
    // system has sent by now.
    virtual void Ending() = 0;
  };

  // Left for the loop, which hands it to the form in a turn of its own.
  void Post(const FormEvent& Event);
  // Each left for the loop in a turn of its own, in order.
  void Post(const FormEvent* Events, int Count);
  // Handed to the form at once (within Run).
  void Deliver(const FormEvent& Event);
  // Turns until Terminate, then hands over what was queued by then.
  void Run(FormHandlers& Form, Host& With);
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // How many idle calls the loop has made.
  uint64_t IdleCalls() const { return idle_calls_; }

 private:
  // Enough for every key a player can press between two frames. Beyond it
  // characters and key-downs are dropped, but no key-up (a bomb key would
  // stay held) and no focus change (the game would stay paused on a page in
  // front): those are kept aside, one per key and the last focus change, and
  // handed over once the queue has been.
  static constexpr int kQueueSize = 64;

  static bool IsFocus(FormEvent::Kind Kind) {
    return Kind == FormEvent::Deactivate || Kind == FormEvent::Restore;
  }
  bool AnyKeptAside() const { return released_.any() || focus_aside_; }
  // One turn: handles one waiting message and returns true, or returns false
  // when none is waiting. Draining, no timer.
  bool HandleOne(bool Draining);

  FormHandlers* form_ = nullptr;
  Host* host_ = nullptr;
  FormEvent queue_[kQueueSize] = {};
  int queue_head_ = 0;
  int queue_count_ = 0;
  std::bitset<256> released_;  // key-ups kept aside, by virtual-key code
  bool focus_aside_ = false;
  FormEvent::Kind aside_focus_ = FormEvent::Restore;
  double next_tick_ = 0;
  bool sampled_ = false;
  bool terminated_ = false;
  uint64_t idle_calls_ = 0;
};

}  // namespace carpex::common
