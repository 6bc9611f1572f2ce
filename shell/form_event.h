// The events the application layer hands to the form between two frames, as
// one list for every front end, the replay script and the recorder: the kind
// of each, its key, and its name in a script.
#pragma once

#include <cstdint>

namespace carpex {

struct FormEvent {
  enum Kind : uint8_t {
    Char,        // a typed character (FormKeyPress)
    KeyDown,     // a virtual-key code (FormKeyDown)
    KeyUp,       // (FormKeyUp)
    Tick,        // the 1000 ms timer (Timer1Timer)
    Deactivate,  // the application was switched away from
    Restore,     // and back to
    Language,    // the level choice and the banners from now on in another
                 // language: key 0 Chinese, 1 English
    Pause,       // the player pauses a round, or goes on with it
    // The game's speed from now on, key its per cent (kSpeeds): the same
    // steps, further apart in time. A recording writes it as a comment
    // ("# speed 50"), which a replay passes over: it is no event of a script.
    Speed,
    // The player asked to leave the exclusive display for a window
    // (Alt+Enter): the form lets its display go and sets it up again,
    // windowed; a round goes on where it was. How the game is shown is not
    // recorded, so this one is in no script.
    LeaveExclusive,
  } kind;
  uint16_t key;  // the character, the virtual-key code or the language; 0 for the others
};

inline constexpr int kFormEventKinds = FormEvent::LeaveExclusive + 1;

// The game's speeds, in per cent of its own: one step each 1/60 s at 100,
// 100 / N times as far apart at N.
inline constexpr uint16_t kSpeeds[] = {100, 75, 50, 25};
constexpr bool IsSpeed(uint32_t Percent) {
  for (const uint16_t speed : kSpeeds) {
    if (speed == Percent) return true;
  }
  return false;
}

// The largest key an event of the kind carries: a character is a byte, a
// virtual-key code 16 bits, a language 0 or 1, a speed 100; 0 for the kinds
// without a key.
constexpr uint16_t MaxKey(FormEvent::Kind Kind) {
  switch (Kind) {
    case FormEvent::Char:
      return 255;
    case FormEvent::KeyDown:
    case FormEvent::KeyUp:
      return 65535;
    case FormEvent::Language:
      return 1;
    case FormEvent::Speed:
      return 100;
    default:
      return 0;
  }
}

// The event's name in a replay script and a recording; nullptr for the kinds
// that no script holds as an event.
constexpr const char* EventName(FormEvent::Kind Kind) {
  constexpr const char* kNames[kFormEventKinds] = {
      "char", "down", "up", "tick", "deactivate", "restore", "language", "pause", nullptr, nullptr};
  return kNames[Kind];
}

}  // namespace carpex
