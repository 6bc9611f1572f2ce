#include "platform/common/controls.h"

#include <chrono>

#include "world/keys.h"

namespace carpex::common {

namespace {

constexpr uint16_t kVkP = 'P';
constexpr uint16_t kVkL = 'L';
constexpr uint16_t kVkH = 'H';
constexpr uint16_t kVkS = 'S';
constexpr uint16_t kVkK = 'K';
constexpr uint16_t kVkC = 'C';
constexpr uint16_t kVkW = 'W';
constexpr uint16_t kVkY = 'Y';

void Add(Controls::Result* Out, FormEvent::Kind Kind, uint16_t Key) {
  Out->Events[Out->Count++] = FormEvent{Kind, Key};
}

}  // namespace

uint16_t NextSpeed(uint16_t Percent) {
  for (size_t i = 0; i + 1 < std::size(kSpeeds); ++i) {
    if (kSpeeds[i] == Percent) return kSpeeds[i + 1];
  }
  return kSpeeds[0];
}

double Controls::SteadyMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool Controls::IsBombKey(uint16_t Vk) const {
  return keys_.Bomb != 0 ? Vk == keys_.Bomb : Vk == kVkSpace || Vk == kVkDown;
}

Controls::Result Controls::Plain(FormEvent::Kind Kind, uint16_t Vk) {
  Result out;
  Add(&out, Kind, Vk);
  return out;
}

Controls::Result Controls::KeyDown(uint16_t Vk, const GameView& View) {
  Result out;
  if (Vk >= taken_.size()) return Plain(FormEvent::KeyDown, Vk);
  if (taken_.test(Vk)) {
    // Held down: the key has acted already; a held bomb key repeats as
    // Space would.
    out.Taken = true;
    if (bombs_.test(Vk)) Add(&out, FormEvent::KeyDown, kVkSpace);
    return out;
  }
  if (asking_ != Asking::Nothing && !View.Watching) {
    taken_.set(Vk);
    return Asked(Vk);
  }
  if (asking_clear_) {
    // Y alone clears; any other key keeps them.
    asking_clear_ = false;
    taken_.set(Vk);
    out.Taken = true;
    if (Vk == kVkY) out.Records = Result::RecordsAct::Clear;
    return out;
  }
  const bool own = Vk == kVkP || Vk == kVkPause || Vk == kVkL || Vk == kVkH;
  const bool records = record_keys_ && (Vk == kVkC || Vk == kVkW);
  const bool more = !View.Watching && (Vk == kVkS || ((Vk == kVkK || records) && View.LevelScreen));
  if (own || more) {
    out.Taken = true;
    taken_.set(Vk);
    if (Vk == kVkH) {
      out.ToggleLegend = true;
    } else if (Vk == kVkL) {
      const uint16_t other = OtherLanguage(View.In) == Language::English ? 1 : 0;
      Add(&out, FormEvent::Language, other);
    } else if (Vk == kVkS) {
      Add(&out, FormEvent::Speed, NextSpeed(View.Speed));
    } else if (Vk == kVkK) {
      asking_ = Asking::Bomb;
      refused_ = 0;
    } else if (Vk == kVkC) {
      asking_clear_ = true;
    } else if (Vk == kVkW) {
      out.Records = Result::RecordsAct::WatchBest;
    } else {
      Add(&out, FormEvent::Pause, 0);
    }
    return out;
  }
  // A recording watched is steered by the keys as they are.
  if (View.Watching) return Plain(FormEvent::KeyDown, Vk);
  if (one_switch_ && IsBombKey(Vk)) {
    taken_.set(Vk);
    switch_.set(Vk);
    out.Taken = true;
    SwitchSource(kSwitchKeys, true, View, &out);
    return out;
  }
  const bool leave = keys_.Leave != 0 && Vk == keys_.Leave;
  const bool bomb = keys_.Bomb != 0 && Vk == keys_.Bomb;
  // The keys a chosen one replaces do nothing.
  const bool replaced = (keys_.Bomb != 0 && (Vk == kVkSpace || Vk == kVkDown)) ||
                        (keys_.Leave != 0 && Vk == kVkEscape);
  if (!leave && !bomb && !replaced) return Plain(FormEvent::KeyDown, Vk);
  taken_.set(Vk);
  out.Taken = true;
  if (bomb) {
    bombs_.set(Vk);
    Add(&out, FormEvent::KeyDown, kVkSpace);
  } else if (leave) {
    Add(&out, FormEvent::Char, kCharEscape);
  }
  return out;
}

Controls::Result Controls::Asked(uint16_t Vk) {
  Result out;
  out.Taken = true;
  refused_ = 0;
  if (Vk == kVkK) {
    // Kept as it is: the next key, or the end.
    asking_ = asking_ == Asking::Bomb ? Asking::Leave : Asking::Nothing;
  } else if (Vk == kVkBack) {
    SetKeys(PlayerKeys{});
    asking_ = Asking::Nothing;
  } else if (const Refusal why = Choose(asking_ == Asking::Bomb ? KeyFor::Bomb : KeyFor::Leave, Vk);
             why != Refusal::None) {
    refused_ = Vk;
    refused_why_ = why;
  } else {
    asking_ = asking_ == Asking::Bomb ? Asking::Leave : Asking::Nothing;
  }
  return out;
}

Controls::Result Controls::KeyUp(uint16_t Vk) {
  Result out;
  if (Vk >= taken_.size() || !taken_.test(Vk)) return Plain(FormEvent::KeyUp, Vk);
  taken_.reset(Vk);
  out.Taken = true;
  if (bombs_.test(Vk)) {
    bombs_.reset(Vk);
    Add(&out, FormEvent::KeyUp, kVkSpace);
  }
  if (switch_.test(Vk)) {
    switch_.reset(Vk);
    if (switch_.none()) SwitchSource(kSwitchKeys, false, GameView{}, &out);
  }
  return out;
}

bool Controls::Passes(uint8_t Character) const {
  const uint8_t upper = Character >= 'a' && Character <= 'z' ? Character - 'a' + 'A' : Character;
  return !taken_.test(upper);
}

Controls::Result Controls::Click(bool Down, const GameView& View) {
  Result out;
  if (asking_ != Asking::Nothing && Down) return out;
  if (one_switch_ && !View.Watching) {
    SwitchSource(kSwitchMouse, Down, View, &out);
  } else if ((click_ || View.Watching) && Down != clicked_) {
    clicked_ = Down;
    Add(&out, Down ? FormEvent::KeyDown : FormEvent::KeyUp, kVkSpace);
  }
  return out;
}

void Controls::SwitchSource(uint32_t Source, bool Down, const GameView& View, Result* Out) {
  const bool was = switch_sources_ != 0;
  switch_sources_ = Down ? switch_sources_ | Source : switch_sources_ & ~Source;
  const bool is = switch_sources_ != 0;
  if (is && !was) Act(switch_state_.Down(now_(), View), Out);
  if (!is && was) Act(switch_state_.Up(now_()), Out);
}

void Controls::Act(OneSwitch::Act What, Result* Out) {
  switch (What) {
    case OneSwitch::Act::None:
      break;
    case OneSwitch::Act::Start:
      Add(Out, FormEvent::Char, static_cast<uint16_t>(kCharZero + pads_.Choice()));
      break;
    case OneSwitch::Act::NextLevel:
      pads_.ChooseNext();
      break;
    case OneSwitch::Act::Quit:
    case OneSwitch::Act::Back:
      Add(Out, FormEvent::Char, kCharEscape);
      break;
    case OneSwitch::Act::BombDown:
      Add(Out, FormEvent::KeyDown, kVkSpace);
      break;
    case OneSwitch::Act::BombUp:
      Add(Out, FormEvent::KeyUp, kVkSpace);
      break;
  }
}

void Controls::FromPads(const Gamepads::Events& Events, int32_t, const GameView& View,
                        Result* Out) {
  const uint32_t bomb = PadBit(pads_.BombButton());
  if (asking_ == Asking::Bomb && !View.Watching) {
    // A gamepad's button asked for: its bomb button. What the pad gave the
    // form meanwhile is let go of, never pressed.
    for (int b = 0; b < kPadButtons; ++b) {
      const auto button = static_cast<PadButton>(b);
      if ((Events.Pressed & PadBit(button)) == 0) continue;
      if (ChoosePadBomb(button)) {
        asking_ = Asking::Nothing;
        refused_ = 0;
        break;
      }
    }
    for (int i = 0; i < Events.Count; ++i) {
      if (Events.List[i].kind == FormEvent::KeyUp) Out->Events[Out->Count++] = Events.List[i];
    }
    return;
  }
  for (int i = 0; i < Events.Count; ++i) Out->Events[Out->Count++] = Events.List[i];
  if (!one_switch_ || View.Watching) return;
  // The pads hold the switch while any of them holds its button.
  if (Events.Pressed & bomb) ++pads_holding_;
  if ((Events.Released & bomb) && pads_holding_ > 0) --pads_holding_;
  SwitchSource(kSwitchPad, pads_holding_ > 0, View, Out);
}

Controls::Result Controls::PadUpdate(int32_t Id, uint32_t Held, const GameView& View) {
  Result out;
  FromPads(pads_.Update(Id, Held, View), Id, View, &out);
  return out;
}

Controls::Result Controls::PadSet(int32_t Id, PadButton Button, bool Pressed,
                                  const GameView& View) {
  Result out;
  FromPads(pads_.Set(Id, Button, Pressed, View), Id, View, &out);
  return out;
}

Controls::Result Controls::PadRemove(int32_t Id, const GameView& View) {
  Result out;
  FromPads(pads_.Remove(Id, View), Id, View, &out);
  return out;
}

Controls::Result Controls::Poll(const GameView& View) {
  Result out;
  pads_.ChooseLevelPlayed(View);
  if (one_switch_ && !View.Watching) Act(switch_state_.Held(now_()), &out);
  return out;
}

void Controls::SetKeys(const PlayerKeys& Keys) {
  PlayerKeys keys;
  // Each as it would be chosen: what cannot be is the default.
  common::Choose(KeyFor::Bomb, Keys.Bomb, &keys);
  common::Choose(KeyFor::Leave, Keys.Leave, &keys);
  if (ChoosablePadBomb(Keys.PadBomb)) keys.PadBomb = Keys.PadBomb;
  keys_ = keys;
  pads_.SetBombButton(keys_.PadBomb);
}

Refusal Controls::Choose(KeyFor Which, uint16_t Vk) {
  PlayerKeys keys = keys_;
  const Refusal why = common::Choose(Which, Vk, &keys);
  if (why == Refusal::None) keys_ = keys;
  return why;
}

bool Controls::ChoosePadBomb(PadButton Button) {
  if (!ChoosablePadBomb(Button)) return false;
  keys_.PadBomb = Button;
  pads_.SetBombButton(Button);
  return true;
}

void Controls::SetOneSwitch(bool On) {
  one_switch_ = On;
  pads_.SetSwitch(On);
}

}  // namespace carpex::common
