#include "platform/common/gamepad.h"

#include "world/keys.h"

namespace carpex::common {

namespace {

constexpr uint8_t kLevels = 10;

void Add(Gamepads::Events& Out, FormEvent::Kind Kind, uint16_t Key) {
  Out.List[Out.Count++] = FormEvent{Kind, Key};
}

}  // namespace

bool Gamepads::ChooseLevelPlayed(const GameView& View) {
  if (View.LevelScreen || View.Level == choice_ || View.Level >= kLevels) return false;
  choice_ = View.Level;
  return true;
}

void Gamepads::ChooseNext() {
  choice_ = static_cast<uint8_t>((choice_ + 1) % kLevels);
}

Gamepads::Pad* Gamepads::Find(int32_t Id) {
  for (Pad& p : pads_) {
    if (p.Used && p.Id == Id) return &p;
  }
  return nullptr;
}

Gamepads::Events Gamepads::Update(int32_t Id, uint32_t Held, const GameView& View) {
  Events out;
  ChooseLevelPlayed(View);
  Pad* pad = Find(Id);
  if (pad == nullptr) {
    for (Pad& p : pads_) {
      if (!p.Used) {
        p = Pad{Id, 0, true};
        pad = &p;
        break;
      }
    }
    if (pad == nullptr) return out;
  }
  const uint32_t pressed = Held & ~pad->Held;
  const uint32_t released = pad->Held & ~Held;
  pad->Held = Held;
  out.Pressed = pressed;
  out.Released = released;

  // A's part is the bomb button's; a button chosen instead of A replaces the
  // D-pad's down too. The one switch's button gives nothing here.
  const uint32_t bomb = switch_ && !View.Watching ? 0 : PadBit(bomb_);
  const uint32_t down = bomb_ == kPadA ? PadBit(kPadDown) : 0;
  // Let go first: a button moved from one hand to the other in one sample
  // still gives a key-down after its key-up.
  if (released & bomb) Add(out, FormEvent::KeyUp, kVkSpace);
  if (released & down) Add(out, FormEvent::KeyUp, kVkDown);
  if (View.LevelScreen) {
    if (pressed & PadBit(kPadLeft))
      choice_ = static_cast<uint8_t>((choice_ + kLevels - 1) % kLevels);
    if (pressed & PadBit(kPadRight)) ChooseNext();
    if (pressed & bomb) Add(out, FormEvent::Char, static_cast<uint16_t>('0' + choice_));
  } else if (pressed & bomb) {
    Add(out, FormEvent::KeyDown, kVkSpace);
  }
  if (pressed & down) Add(out, FormEvent::KeyDown, kVkDown);
  if (pressed & PadBit(kPadBack)) Add(out, FormEvent::Char, kCharEscape);
  if (pressed & PadBit(kPadStart)) Add(out, FormEvent::Pause, 0);
  return out;
}

Gamepads::Events Gamepads::Set(int32_t Id, PadButton Button, bool Pressed, const GameView& View) {
  const Pad* pad = Find(Id);
  const uint32_t held = pad != nullptr ? pad->Held : 0;
  return Update(Id, Pressed ? held | PadBit(Button) : held & ~PadBit(Button), View);
}

Gamepads::Events Gamepads::Remove(int32_t Id, const GameView& View) {
  const Events out = Update(Id, 0, View);
  if (Pad* pad = Find(Id)) pad->Used = false;
  return out;
}

int Gamepads::Count() const {
  int n = 0;
  for (const Pad& p : pads_) n += p.Used ? 1 : 0;
  return n;
}

}  // namespace carpex::common
