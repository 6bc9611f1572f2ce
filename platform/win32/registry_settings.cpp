#include "platform/win32/registry_settings.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "shell/form_event.h"

namespace carpex::win32 {

namespace {

constexpr char kKey[] = "Software\\Carpex";

// A short string value, or "" when there is none.
std::string ReadName(HKEY Key, const char* Name) {
  char text[16] = {};
  DWORD type = 0;
  DWORD size = sizeof text - 1;
  if (RegQueryValueExA(Key, Name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return "";
  }
  // The stored string may lack its terminating zero, or carry it.
  text[size < sizeof text ? size : sizeof text - 1] = '\0';
  return text;
}

bool WriteName(HKEY Key, const char* Name, const char* Value) {
  return RegSetValueExA(Key, Name, 0, REG_SZ, reinterpret_cast<const BYTE*>(Value),
                        static_cast<DWORD>(std::strlen(Value) + 1)) == ERROR_SUCCESS;
}

bool ReadNumber(HKEY Key, const char* Name, DWORD* Value) {
  DWORD type = 0;
  DWORD size = sizeof *Value;
  return RegQueryValueExA(Key, Name, nullptr, &type, reinterpret_cast<BYTE*>(Value), &size) ==
             ERROR_SUCCESS &&
         type == REG_DWORD && size == sizeof *Value;
}

}  // namespace

common::Settings LoadRegistrySettings() {
  common::Settings values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return values;
  }
  common::ParseShow(ReadName(key, "Presentation"), &values.Presentation);
  values.LanguageChosen = ParseLanguageCode(ReadName(key, "Language"), &values.Chosen);
  values.LegendHidden = ReadName(key, "Legend") == "hidden";
  DWORD speed = 0;
  if (ReadNumber(key, "Speed", &speed) && IsSpeed(speed))
    values.Speed = static_cast<uint16_t>(speed);
  // Checked as a choice in the game would be.
  common::Choose(common::KeyFor::Bomb, common::KeyNamed(ReadName(key, "BombKey")), &values.Keys);
  common::Choose(common::KeyFor::Leave, common::KeyNamed(ReadName(key, "LeaveKey")), &values.Keys);
  common::PadButton pad = common::kPadA;
  if (common::PadButtonNamed(ReadName(key, "PadBomb"), &pad) && common::ChoosablePadBomb(pad)) {
    values.Keys.PadBomb = pad;
  }
  values.OneSwitch = ReadName(key, "OneSwitch") == "on";
  values.Click = ReadName(key, "Click") == "on";
  DWORD width = 0, height = 0;
  if (ReadNumber(key, "WindowWidth", &width) && ReadNumber(key, "WindowHeight", &height) &&
      common::UsableWindowSize(width, height)) {
    values.WindowWidth = static_cast<int32_t>(width);
    values.WindowHeight = static_cast<int32_t>(height);
  }
  RegCloseKey(key);
  return values;
}

bool SaveRegistrySettings(const common::Settings& Values) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  bool written = true;
  if (Values.Presentation != common::Show::Unsaid) {
    written &= WriteName(key, "Presentation", common::ShowName(Values.Presentation));
  }
  if (Values.LanguageChosen) written &= WriteName(key, "Language", LanguageCode(Values.Chosen));
  written &= WriteName(key, "Legend", Values.LegendHidden ? "hidden" : "shown");
  const DWORD speed = Values.Speed;
  written &= RegSetValueExA(key, "Speed", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&speed),
                            sizeof speed) == ERROR_SUCCESS;
  // The defaults are written too: a key given back replaces the one chosen.
  const char* bomb = common::KeyName(Values.Keys.Bomb);
  const char* leave = common::KeyName(Values.Keys.Leave);
  written &= WriteName(key, "BombKey", bomb != nullptr ? bomb : "default");
  written &= WriteName(key, "LeaveKey", leave != nullptr ? leave : "default");
  written &= WriteName(key, "PadBomb", common::PadButtonName(Values.Keys.PadBomb));
  written &= WriteName(key, "OneSwitch", Values.OneSwitch ? "on" : "off");
  written &= WriteName(key, "Click", Values.Click ? "on" : "off");
  if (common::UsableWindowSize(Values.WindowWidth, Values.WindowHeight)) {
    const DWORD width = static_cast<DWORD>(Values.WindowWidth);
    const DWORD height = static_cast<DWORD>(Values.WindowHeight);
    written &= RegSetValueExA(key, "WindowWidth", 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&width), sizeof width) == ERROR_SUCCESS;
    written &=
        RegSetValueExA(key, "WindowHeight", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&height),
                       sizeof height) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return written;
}

}  // namespace carpex::win32
