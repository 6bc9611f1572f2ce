// XInput's gamepads as the game's: a pad plugged in is followed, its buttons
// are the controls' (A starts the level on the level screen and drops the
// bomb in a round, Back is Escape, Start pauses), a pad pulled out lets go of
// what it held, and an empty slot is asked once a second, not every frame.
#include "platform/win32/xinput_pads.h"

#include <gtest/gtest.h>

#include <string>

namespace carpex::win32 {
namespace {

constexpr uint16_t kXA = 0x1000, kXBack = 0x0020, kXStart = 0x0010, kXRight = 0x0008;
constexpr uint32_t kNotConnected = 1167;

// The system's XInput as the test sets it: each slot empty or holding buttons.
struct FakeXInput {
  bool Connected[XInputPads::kUsers] = {};
  uint16_t Buttons[XInputPads::kUsers] = {};
  int Asked[XInputPads::kUsers] = {};
  XInputGetStateFunction Function() {
    return [this](uint32_t User, XInputState* State) {
      ++Asked[User];
      if (!Connected[User]) return kNotConnected;
      State->Buttons = Buttons[User];
      return 0u;
    };
  }
};

TEST(XInputPads, PadsComeAndGoAndTheirButtonsAreTheGamesControls) {
  FakeXInput xinput;
  XInputPads pads(xinput.Function());
  common::Controls controls;
  std::string events;
  const auto post = [&](const common::Controls::Result& R) {
    for (int i = 0; i < R.Count; ++i) {
      events += (events.empty() ? "" : ", ") + std::string(EventName(R.Events[i].kind)) + " " +
                std::to_string(R.Events[i].key);
    }
  };
  common::GameView level{true, 0};
  common::GameView round{false, 0};
  double now = 0;
  pads.Poll(now, controls, level, post);
  EXPECT_EQ(controls.Pads().Count(), 0);
  EXPECT_EQ(xinput.Asked[2], 1);

  // Plugged in while the game runs: found within a second.
  xinput.Connected[2] = true;
  now += 500;
  pads.Poll(now, controls, level, post);
  EXPECT_EQ(xinput.Asked[2], 1) << "an empty slot is not asked every frame";
  now += 600;
  pads.Poll(now, controls, level, post);
  EXPECT_EQ(controls.Pads().Count(), 1);
  xinput.Buttons[2] = kXRight;
  pads.Poll(now += 16, controls, level, post);
  xinput.Buttons[2] = kXA;
  pads.Poll(now += 16, controls, level, post);
  EXPECT_EQ(events, "char 49") << "D-pad right chose level 1, A started it";
  events.clear();
  xinput.Buttons[2] = 0;
  pads.Poll(now += 16, controls, round, post);
  xinput.Buttons[2] = kXA;
  pads.Poll(now += 16, controls, round, post);
  xinput.Buttons[2] = kXA | kXStart;
  pads.Poll(now += 16, controls, round, post);
  EXPECT_EQ(events, "up 32, down 32, pause 0");
  events.clear();
  const int asked = xinput.Asked[2];
  pads.Poll(now += 16, controls, round, post);
  EXPECT_EQ(xinput.Asked[2], asked + 1) << "a pad plugged in is read every frame";

  // Pulled out with A held: the bomb key is let go, and the pad is gone.
  xinput.Connected[2] = false;
  pads.Poll(now += 16, controls, round, post);
  EXPECT_EQ(events, "up 32");
  EXPECT_EQ(controls.Pads().Count(), 0);
  events.clear();
  xinput.Connected[0] = true;
  xinput.Buttons[0] = kXBack;
  pads.Poll(now += 1000, controls, round, post);
  EXPECT_EQ(events, "char 27");

  // Without XInput on the system: nothing, and no call.
  XInputPads none(nullptr);
  EXPECT_FALSE(none.Available());
  none.Poll(now, controls, round, post);
}

}  // namespace
}  // namespace carpex::win32
