// A gamepad played as the keyboard. Its buttons become the events the keys
// give: the bottom face button (A) or the D-pad's down is the bomb key, held
// and let go as Space or Down; Back (Select) types Escape. On the level screen
// A types the digit of a level instead: the one last played, or another one
// picked with the D-pad's left and right. Shared by the SDL game and the page.
#pragma once

#include <cstdint>

#include "shell/form_event.h"
#include "world/world.h"

namespace carpex::common {

// What the buttons mean depends on the game's screen: the program that ties a
// platform to the game tells it through this.
struct GameView {
  bool LevelScreen = true;
  uint8_t Level = 0;       // the level of the last round (0 before the first)
  bool RoundOver = false;  // the round has ended and its banner shows
};

// Where the game of the world W is.
inline GameView GameViewOf(const World& W) {
  return GameView{W.GameState == kLevelChoice, W.Level, W.GameState == kRoundOver};
}

enum PadButton : uint8_t { kPadA, kPadBack, kPadDown, kPadLeft, kPadRight };
constexpr uint32_t PadBit(PadButton Button) {
  return 1u << Button;
}

class Gamepads {
 public:
  // Pads followed at once; buttons of further pads are not seen.
  static constexpr int kMaxPads = 8;

  // The form's events, as the keys would give them.
  struct Events {
    FormEvent List[8];
    int Count = 0;
  };

  // Pad Id now holds the buttons in Held (PadBit values): the events for what
  // changed since the last call for that pad, in the order to deliver them.
  Events Update(int32_t Id, uint32_t Held, const GameView& View);
  // One button of pad Id went down or up: Update with the rest as they were.
  Events Set(int32_t Id, PadButton Button, bool Pressed, const GameView& View);
  // Pad Id is gone: what it held is let go, and its slot freed.
  Events Remove(int32_t Id, const GameView& View);

  // Between pad events: outside the level screen the level being played
  // becomes the one A starts next. True when Choice changed.
  bool ChooseLevelPlayed(const GameView& View);
  // The level A starts on the level screen.
  uint8_t Choice() const { return choice_; }
  // How many pads are followed.
  int Count() const;

 private:
  struct Pad {
    int32_t Id;
    uint32_t Held;
    bool Used;
  };
  Pad* Find(int32_t Id);

  Pad pads_[kMaxPads] = {};
  uint8_t choice_ = 0;
};

}  // namespace carpex::common
