// The player's keys, gamepads and mouse as the game's events, before the form
// sees them, the same on every platform: P and the Pause key pause a round
// and go on with it, L switches the pictures and every word to the other
// language, H shows or hides the legend (the front end's own), S makes the
// game slower (100, 75, 50, 25 % and back), and K on the level screen asks
// for the player's own bomb and leave keys. A key chosen for the bomb reaches
// the form as Space, the leave key as Escape's character, so that a recording
// holds the game's own events; the keys they replace do nothing then. With
// one switch (common/one_switch.h) the bomb key, a click and a gamepad's bomb
// button play the whole game. Where the game keeps records (SetRecordKeys),
// W on the level screen asks to watch the level's best round and C to clear
// the records, once Y confirms it. Every other key reaches the form as it
// is. A key held down repeats nothing here: it acts once, when it goes down.
#pragma once

#include <bitset>
#include <cstdint>

#include "platform/common/gamepad.h"
#include "platform/common/one_switch.h"
#include "platform/common/player_keys.h"
#include "shell/form_event.h"

namespace carpex::common {

class Controls {
 public:
  struct Result {
    // The events for the form, in order.
    FormEvent Events[8] = {};
    int Count = 0;
    // The key was taken here: its character and its key-up are not the form's.
    bool Taken = false;
    // The front end shows or hides its legend.
    bool ToggleLegend = false;
    // What the player asked of the records.
    enum class RecordsAct : uint8_t { None, Clear, WatchBest } Records = RecordsAct::None;
  };

  // Where the one switch's holds are timed: the platform's clock, in
  // milliseconds (a steady clock unless told).
  void SetClock(double (*Now)()) { now_ = Now; }

  // A key (virtual-key code) went down, or repeats while held.
  Result KeyDown(uint16_t Vk, const GameView& View);
  Result KeyUp(uint16_t Vk);
  // Whether a typed character reaches the form: not one of a key taken here.
  bool Passes(uint8_t Character) const;
  // The mouse's left button on the picture went down or up: the bomb key
  // where clicks play (SetClick), the one switch when it plays.
  Result Click(bool Down, const GameView& View);
  // A gamepad's buttons (gamepad.h): pad Id holds Held now, one button
  // changed, or the pad is gone.
  Result PadUpdate(int32_t Id, uint32_t Held, const GameView& View);
  Result PadSet(int32_t Id, PadButton Button, bool Pressed, const GameView& View);
  Result PadRemove(int32_t Id, const GameView& View);
  // Once before each frame: what the one switch's hold has come to, and the
  // level a round was played at becomes the one a press starts next.
  Result Poll(const GameView& View);

  const Gamepads& Pads() const { return pads_; }
  // The level a gamepad's A or the one switch starts on the level screen.
  uint8_t Choice() const { return pads_.Choice(); }
  void SetChoice(uint8_t Level) { pads_.Choose(Level); }

  const PlayerKeys& Keys() const { return keys_; }
  void SetKeys(const PlayerKeys& Keys);
  // The page's Keys box: Vk becomes the key for Which, unless refused.
  Refusal Choose(KeyFor Which, uint16_t Vk);
  // And the gamepad's bomb button; false for one that cannot be.
  bool ChoosePadBomb(PadButton Button);

  // The choice of keys that K opens: what it asks for now, and the key it
  // refused last (0 for none) and why.
  enum class Asking : uint8_t { Nothing, Bomb, Leave };
  Asking Prompt() const { return asking_; }
  uint16_t RefusedKey() const { return refused_; }
  Refusal RefusedWhy() const { return refused_why_; }

  // W and C on the level screen (off: they reach the form).
  void SetRecordKeys(bool On) { record_keys_ = On; }
  // C asked whether to clear the records: the next key answers.
  bool AskingToClear() const { return asking_clear_; }

  void SetOneSwitch(bool On);
  bool OneSwitchOn() const { return one_switch_; }
  // A click on the picture is the bomb key (the page's always; the native
  // games' when the player asks).
  void SetClick(bool On) { click_ = On; }
  bool ClickPlays() const { return click_; }

 private:
  // The keys are the game's own while a recording is watched: they steer it.
  Result Plain(FormEvent::Kind Kind, uint16_t Vk);
  Result Asked(uint16_t Vk);
  // The one switch's sources (keys, the mouse, each pad) as one switch.
  enum : uint32_t { kSwitchKeys = 1, kSwitchMouse = 2, kSwitchPad = 4 };
  void SwitchSource(uint32_t Source, bool Down, const GameView& View, Result* Out);
  void Act(OneSwitch::Act What, Result* Out);
  void FromPads(const Gamepads::Events& Events, int32_t Id, const GameView& View, Result* Out);
  bool IsBombKey(uint16_t Vk) const;
  static double SteadyMs();

  double (*now_)() = SteadyMs;
  std::bitset<256> taken_;   // keys taken here and still held
  std::bitset<256> bombs_;   // held keys that hold the bomb key (Space) down
  std::bitset<256> switch_;  // held keys that hold the one switch down
  Gamepads pads_;
  PlayerKeys keys_;
  Asking asking_ = Asking::Nothing;
  uint16_t refused_ = 0;
  Refusal refused_why_ = Refusal::None;
  bool one_switch_ = false;
  bool record_keys_ = false;
  bool asking_clear_ = false;
  bool click_ = false;
  bool clicked_ = false;  // the click holds the bomb key down
  OneSwitch switch_state_;
  uint32_t switch_sources_ = 0;
  int pads_holding_ = 0;  // pads holding the one switch's button
};

// The next speed the S key gives: 100, 75, 50, 25 and 100 again.
uint16_t NextSpeed(uint16_t Percent);

}  // namespace carpex::common
