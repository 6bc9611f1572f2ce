#include "platform/common/settings.h"

#include <charconv>

#include "platform/common/layout.h"
#include "shell/form_event.h"

namespace carpex::common {

namespace {

// Far beyond any screen, and small enough that twice it fits in 32 bits.
constexpr int64_t kLargestWindowSide = 32768;

struct NamedShow {
  Show How;
  std::string_view Name;
};
constexpr NamedShow kShows[] = {
    {Show::FullScreen, "fullscreen"}, {Show::Window, "window"}, {Show::Borderless, "borderless"}};

bool ParseNumber(std::string_view Text, int64_t* Value) {
  if (Text.empty() || Text.size() > 6) return false;
  const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), *Value);
  return error == std::errc() && end == Text.data() + Text.size();
}

}  // namespace

const char* ShowName(Show How) {
  for (const NamedShow& s : kShows) {
    if (s.How == How) return s.Name.data();
  }
  return "";
}

bool ParseShow(std::string_view Name, Show* How) {
  for (const NamedShow& s : kShows) {
    if (s.Name == Name) {
      *How = s.How;
      return true;
    }
  }
  return false;
}

bool UsableWindowSize(int64_t Width, int64_t Height) {
  return Width >= kPictureWidth && Height >= kPictureHeight && Width <= kLargestWindowSide &&
         Height <= kLargestWindowSide;
}

Settings ParseSettings(std::string_view Text) {
  Settings values;
  while (!Text.empty()) {
    const size_t end = Text.find('\n');
    std::string_view line = Text.substr(0, end);
    Text = end == std::string_view::npos ? std::string_view() : Text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, space);
    const std::string_view value = line.substr(space + 1);
    if (key == "presentation") {
      Show how = Show::Unsaid;
      if (ParseShow(value, &how)) values.Presentation = how;
    } else if (key == "language") {
      values.LanguageChosen = ParseLanguageCode(value, &values.Chosen);
    } else if (key == "legend") {
      values.LegendHidden = value == "hidden";
    } else if (key == "speed") {
      int64_t speed = 0;
      if (ParseNumber(value, &speed) && IsSpeed(static_cast<uint32_t>(speed))) {
        values.Speed = static_cast<uint16_t>(speed);
      }
    } else if (key == "bomb-key" || key == "leave-key") {
      // Checked as a choice in the game would be, against the other key.
      Choose(key == "bomb-key" ? KeyFor::Bomb : KeyFor::Leave, KeyNamed(value), &values.Keys);
    } else if (key == "pad-bomb") {
      PadButton button = kPadA;
      if (PadButtonNamed(value, &button) && ChoosablePadBomb(button)) values.Keys.PadBomb = button;
    } else if (key == "one-switch") {
      values.OneSwitch = value == "on";
    } else if (key == "click") {
      values.Click = value == "on";
    } else if (key == "window") {
      const size_t x = value.find('x');
      int64_t w = 0, h = 0;
      if (x != std::string_view::npos && ParseNumber(value.substr(0, x), &w) &&
          ParseNumber(value.substr(x + 1), &h) && UsableWindowSize(w, h)) {
        values.WindowWidth = static_cast<int32_t>(w);
        values.WindowHeight = static_cast<int32_t>(h);
      }
    }
  }
  return values;
}

std::string FormatSettings(const Settings& Values) {
  std::string text = "# Carpex remembers here how it was last played.\n";
  if (Values.Presentation != Show::Unsaid) {
    text += "presentation ";
    text += ShowName(Values.Presentation);
    text += '\n';
  }
  if (Values.LanguageChosen) text += std::string("language ") + LanguageCode(Values.Chosen) + "\n";
  if (Values.LegendHidden) text += "legend hidden\n";
  if (Values.Speed != 100 && IsSpeed(Values.Speed)) {
    text += "speed " + std::to_string(Values.Speed) + "\n";
  }
  if (const char* name = KeyName(Values.Keys.Bomb)) text += std::string("bomb-key ") + name + "\n";
  if (const char* name = KeyName(Values.Keys.Leave))
    text += std::string("leave-key ") + name + "\n";
  if (Values.Keys.PadBomb != kPadA) {
    text += std::string("pad-bomb ") + PadButtonName(Values.Keys.PadBomb) + "\n";
  }
  if (Values.OneSwitch) text += "one-switch on\n";
  if (Values.Click) text += "click on\n";
  if (UsableWindowSize(Values.WindowWidth, Values.WindowHeight)) {
    text += "window " + std::to_string(Values.WindowWidth) + "x" +
            std::to_string(Values.WindowHeight) + "\n";
  }
  return text;
}

}  // namespace carpex::common
