// A gamepad played as the keyboard. Its buttons become the events the keys
// give: the bottom face button (A) or the D-pad's down is the bomb key, held
// and let go as Space or Down; Back (Select) types Escape; Start pauses a round
// and goes on with it. On the level screen
// A types the digit of a level instead: the one last played, or another one
// picked with the D-pad's left and right. The player may give A's part to
// another button, which then replaces A and the D-pad's down. Shared by the
// games on every platform (common/controls.h holds it).
#pragma once

#include <cstdint>

#include "assets/language.h"
#include "shell/form_event.h"
#include "world/world.h"

namespace carpex::common {

// What the buttons mean depends on the game's screen: the program that ties a
// platform to the game tells it through this.
struct GameView {
  bool LevelScreen = true;
  uint8_t Level = 0;                // the level of the last round (0 before the first)
  bool RoundOver = false;           // the round has ended and its banner shows
  bool Paused = false;              // the player paused the round
  Language In = Language::English;  // the pictures' language, and the player's
  uint16_t Speed = 100;             // the game's, in per cent
  bool Watching = false;            // a recording is shown: the keys steer it as they are
  bool BombFalling = false;         // a bomb is on its way (what the pace probe times keys by)
};

// Where the game is, from the session's view of it (shell/form_view.h's
// FormView, which the front ends' mains see and this layer does not).
template <class FormViewOfSession>
GameView GameViewOf(const FormViewOfSession& View) {
  const World& w = View.W;
  GameView view{w.GameState == kLevelChoice, w.Level, w.GameState == kRoundOver, View.Paused,
                View.Pictures};
  view.Speed = View.Speed;
  view.BombFalling = w.Bomb.State != kBombNone;
  return view;
}

enum PadButton : uint8_t {
  kPadA,
  kPadBack,
  kPadDown,
  kPadLeft,
  kPadRight,
  kPadStart,
  kPadB,
  kPadX,
  kPadY,
  kPadLeftShoulder,
  kPadRightShoulder,
};
inline constexpr int kPadButtons = kPadRightShoulder + 1;
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
    // The buttons that went down and up (PadBit values).
    uint32_t Pressed = 0;
    uint32_t Released = 0;
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
  // Level becomes the one A starts (a game played again after a watching).
  void Choose(uint8_t Level) { choice_ = Level % 10; }
  // The next level becomes the one A starts (after 9, 0).
  void ChooseNext();
  // The button that plays A's part (A itself: A and the D-pad's down).
  void SetBombButton(PadButton Button) { bomb_ = Button; }
  PadButton BombButton() const { return bomb_; }
  // The bomb button is the one switch's (common/one_switch.h): it gives no
  // events of its own, only Pressed and Released.
  void SetSwitch(bool On) { switch_ = On; }
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
  PadButton bomb_ = kPadA;
  bool switch_ = false;
};

}  // namespace carpex::common
