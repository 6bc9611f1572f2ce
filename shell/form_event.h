// The events the application layer hands to the form between two frames, as
// one list for every front end, the replay script and the recorder: the kind
// of each and its key, the one function that hands an event to the form and
// the one that names it.
#pragma once

#include <cstdint>

#include "shell/app.h"

namespace carpex {

struct FormEvent {
  // The page's controls send the first three by number (platform/web/index.html).
  enum Kind : uint8_t { Char, KeyDown, KeyUp, Tick, Deactivate, Restore } kind;
  uint16_t key;  // the character, or the virtual-key code; 0 for the others
};

inline constexpr int kFormEventKinds = FormEvent::Restore + 1;

// The largest key an event of the kind carries: a character is a byte, a
// virtual-key code 16 bits; 0 for the kinds without a key.
constexpr uint16_t MaxKey(FormEvent::Kind Kind) {
  return Kind == FormEvent::Char ? 255 : Kind <= FormEvent::KeyUp ? 65535 : 0;
}

// The event's name in a replay script and a recording.
constexpr const char* EventName(FormEvent::Kind Kind) {
  constexpr const char* kNames[kFormEventKinds] = {"char", "down",       "up",
                                                   "tick", "deactivate", "restore"};
  return kNames[Kind];
}

// Hands the event to the form's handler for it.
inline void Deliver(FormHandlers& Form, const FormEvent& Event) {
  uint8_t character = static_cast<uint8_t>(Event.key);
  uint16_t key = Event.key;
  switch (Event.kind) {
    case FormEvent::Char:
      Form.FormKeyPress(character);
      break;
    case FormEvent::KeyDown:
      Form.FormKeyDown(key);
      break;
    case FormEvent::KeyUp:
      Form.FormKeyUp(key);
      break;
    case FormEvent::Tick:
      Form.Timer1Timer();
      break;
    case FormEvent::Deactivate:
      Form.ApplicationEvents1Deactivate();
      break;
    case FormEvent::Restore:
      Form.ApplicationEvents1Restore();
      break;
  }
}

}  // namespace carpex
