#include "platform/win32/xinput_pads.h"

namespace carpex::win32 {

namespace {

// XINPUT_GAMEPAD_* of the buttons the game knows.
constexpr struct {
  uint16_t XInput;
  common::PadButton Pad;
} kButtons[] = {
    {0x1000, common::kPadA},
    {0x2000, common::kPadB},
    {0x4000, common::kPadX},
    {0x8000, common::kPadY},
    {0x0020, common::kPadBack},
    {0x0010, common::kPadStart},
    {0x0002, common::kPadDown},
    {0x0004, common::kPadLeft},
    {0x0008, common::kPadRight},
    {0x0100, common::kPadLeftShoulder},
    {0x0200, common::kPadRightShoulder},
};

}  // namespace

uint32_t PadButtonsOf(uint16_t XInputButtons) {
  uint32_t held = 0;
  for (const auto& b : kButtons) {
    if (XInputButtons & b.XInput) held |= common::PadBit(b.Pad);
  }
  return held;
}

void XInputPads::Poll(double Now, common::Controls& Controls, const common::GameView& View,
                      const std::function<void(const common::Controls::Result&)>& Post) {
  if (!get_state_) return;
  for (uint32_t user = 0; user < kUsers; ++user) {
    if (!connected_[user] && asked_once_[user] && Now - asked_[user] < kEmptySlotMs) continue;
    XInputState state{};
    const bool connected = get_state_(user, &state) == 0;
    asked_[user] = Now;
    asked_once_[user] = true;
    const auto id = static_cast<int32_t>(user);
    if (!connected) {
      // Pulled out: what it held is let go.
      if (connected_[user]) Post(Controls.PadRemove(id, View));
      connected_[user] = false;
      continue;
    }
    connected_[user] = true;
    Post(Controls.PadUpdate(id, PadButtonsOf(state.Buttons), View));
  }
}

}  // namespace carpex::win32
