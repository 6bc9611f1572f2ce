// What the game remembers between runs: how it was shown and the size of its
// window, the language, the legend hidden, the speed and the player's
// controls. Each platform keeps them in its usual place (the Windows registry,
// a file under $XDG_CONFIG_HOME); what is read there is checked here, and
// anything damaged or missing is as if nothing had been remembered.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "assets/language.h"
#include "platform/common/player_keys.h"

namespace carpex::common {

// How the game is shown, as the player chooses it.
enum class Show : uint8_t {
  Unsaid,      // nothing chosen: the platform's default
  FullScreen,  // on Windows with the switch to 640 x 480 x 16; on Linux the screen as it is
  Window,
  Borderless,  // Windows: over the whole monitor, no mode switch
};

// "fullscreen", "window", "borderless" ("" for Unsaid), and back; false for a
// name that is none of these.
const char* ShowName(Show How);
bool ParseShow(std::string_view Name, Show* How);

struct Settings {
  Show Presentation = Show::Unsaid;
  // The window's inside in the Window presentation, in screen pixels; 0 x 0
  // when none is remembered.
  int32_t WindowWidth = 0;
  int32_t WindowHeight = 0;
  // The language last chosen (--language, or the key that switches it);
  // none: the platform's default.
  bool LanguageChosen = false;
  Language Chosen = Language::Chinese;
  // The player hid the legend.
  bool LegendHidden = false;
  // The game's speed, in per cent (kSpeeds).
  uint16_t Speed = 100;
  // The keys chosen, one switch, and a click that drops the bomb.
  PlayerKeys Keys = {};
  bool OneSwitch = false;
  bool Click = false;
};

// A window size worth restoring: at least the picture's, and no larger than
// any screen.
bool UsableWindowSize(int64_t Width, int64_t Height);

// The settings file's text: one setting a line, "presentation window",
// "window 1280x960", "language en", "legend hidden", "speed 50", "bomb-key B",
// "leave-key Q", "pad-bomb X", "one-switch on" and "click on". A line not
// understood, or a value out of range, is passed over; the rest holds.
Settings ParseSettings(std::string_view Text);
std::string FormatSettings(const Settings& Values);

}  // namespace carpex::common
