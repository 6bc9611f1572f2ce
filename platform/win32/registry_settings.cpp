#include "platform/win32/registry_settings.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>

namespace carpex::win32 {

namespace {

constexpr char kKey[] = "Software\\Carpex";

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
  char name[16] = {};
  DWORD type = 0;
  DWORD size = sizeof name - 1;
  if (RegQueryValueExA(key, "Presentation", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) ==
          ERROR_SUCCESS &&
      type == REG_SZ) {
    // The stored string may lack its terminating zero, or carry it.
    name[size < sizeof name ? size : sizeof name - 1] = '\0';
    common::ParseShow(name, &values.Presentation);
  }
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
    const char* name = common::ShowName(Values.Presentation);
    written &= RegSetValueExA(key, "Presentation", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                              static_cast<DWORD>(std::strlen(name) + 1)) == ERROR_SUCCESS;
  }
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
