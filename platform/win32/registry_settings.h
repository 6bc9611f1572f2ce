// Where the Windows game keeps what it remembers between runs: the user's own
// settings in the registry, HKEY_CURRENT_USER\Software\Carpex.
#pragma once

#include "platform/common/settings.h"

namespace carpex::win32 {

// What the key holds; a value that is missing, of another type or out of
// range is as if it had not been remembered.
common::Settings LoadRegistrySettings();
// Writes the values; false when the key cannot be written, which the game
// passes over: it only forgets.
bool SaveRegistrySettings(const common::Settings& Values);

}  // namespace carpex::win32
