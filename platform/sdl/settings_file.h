// Where the Linux game keeps what it remembers between runs: the file
// carpex/settings under $XDG_CONFIG_HOME (~/.config when it is not set).
#pragma once

#include <string>

#include "platform/common/settings.h"

namespace carpex::sdl {

// The file's path; "" when neither XDG_CONFIG_HOME nor HOME says where.
std::string SettingsPath();

// What the file holds; nothing remembered when it is missing, unreadable or
// damaged.
common::Settings LoadSettings(const std::string& Path);
// Writes the file whole (its folder made if need be); false when it cannot be
// written, which the game passes over: it only forgets.
bool SaveSettings(const std::string& Path, const common::Settings& Values);

}  // namespace carpex::sdl
