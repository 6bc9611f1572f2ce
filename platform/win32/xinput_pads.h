// Gamepads on Windows through XInput, played as the Linux game and the page
// play theirs (common/gamepad.h): read once before each frame, pads plugged
// in and out while the game runs. XInput's own function comes from the
// system's DLL, loaded when the game starts (platform/win32/win32_app.cpp); a
// system without one has no gamepads, and the game starts all the same. The
// function is given, so that this is tested natively with one of the tests'.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/common/controls.h"

namespace carpex::win32 {

// XINPUT_STATE as XInputGetState fills it: the packet number, then the
// gamepad's buttons, triggers and sticks.
struct XInputState {
  uint32_t Packet;
  uint16_t Buttons;
  uint8_t LeftTrigger;
  uint8_t RightTrigger;
  int16_t ThumbLX, ThumbLY, ThumbRX, ThumbRY;
};
static_assert(sizeof(XInputState) == 16, "XINPUT_STATE's layout");

// XInputGetState: 0 (ERROR_SUCCESS) with State filled, else the slot is empty
// (ERROR_DEVICE_NOT_CONNECTED).
using XInputGetStateFunction = std::function<uint32_t(uint32_t User, XInputState* State)>;

class XInputPads {
 public:
  static constexpr int kUsers = 4;
  // An empty slot is asked again after this long: asking one takes the
  // system a while, too long for every frame.
  static constexpr double kEmptySlotMs = 1000;

  // GetState null: no XInput on this system, and no gamepads.
  explicit XInputPads(XInputGetStateFunction GetState) : get_state_(std::move(GetState)) {}

  // Once before each frame, at Now (milliseconds): each pad's buttons to the
  // controls, whose events go to Post.
  void Poll(double Now, common::Controls& Controls, const common::GameView& View,
            const std::function<void(const common::Controls::Result&)>& Post);
  bool Available() const { return static_cast<bool>(get_state_); }

 private:
  XInputGetStateFunction get_state_;
  bool connected_[kUsers] = {};
  double asked_[kUsers] = {};  // when an empty slot was last asked
  bool asked_once_[kUsers] = {};
};

// XInput's buttons as the game's (PadBit values).
uint32_t PadButtonsOf(uint16_t XInputButtons);

}  // namespace carpex::win32
