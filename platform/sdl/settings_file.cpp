#include "platform/sdl/settings_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "assets/files.h"

namespace carpex::sdl {

namespace {

// A settings file is a few lines; anything larger is not one.
constexpr size_t kMaxSettingsBytes = 4096;

bool MakeFolder(const std::string& Path) {
  return mkdir(Path.c_str(), 0755) == 0 || errno == EEXIST;
}

}  // namespace

std::string SettingsPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // Only an absolute path counts (the XDG base directory rules); a relative
  // one is ignored.
  if (config != nullptr && config[0] == '/') return std::string(config) + "/carpex/settings";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.config/carpex/settings";
  return "";
}

common::Settings LoadSettings(const std::string& Path) {
  std::string text, error;
  // Only a regular file is read: a pipe put there would keep the game from starting.
  if (Path.empty() || !ReadWholeFile(Path, kMaxSettingsBytes, &text, &error)) return {};
  if (text.size() > kMaxSettingsBytes) return {};
  return common::ParseSettings(text);
}

bool SaveSettings(const std::string& Path, const common::Settings& Values) {
  const size_t slash = Path.rfind('/');
  if (Path.empty() || slash == std::string::npos || slash == 0) return false;
  const std::string folder = Path.substr(0, slash);
  // Its parent (the configuration folder itself) may not exist yet either.
  const size_t up = folder.rfind('/');
  if (up != std::string::npos && up > 0) MakeFolder(folder.substr(0, up));
  if (!MakeFolder(folder)) return false;
  const std::string text = common::FormatSettings(Values);
  std::string error;
  return WriteWholeFile(folder, Path.substr(slash + 1),
                        std::vector<uint8_t>(text.begin(), text.end()), true, &error);
}

}  // namespace carpex::sdl
