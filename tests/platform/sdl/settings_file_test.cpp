// The Linux game's settings file: written and read back, and a file that is
// missing, damaged, too large, a pipe or cannot be written is only forgotten.
#include "platform/sdl/settings_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

namespace carpex::sdl {
namespace {

TEST(SettingsFileTest, RememberedWhereItCanBeAndForgottenWhereItCannot) {
  char folder[] = "/tmp/carpex-settings-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string root = folder;
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  const std::string path = SettingsPath();
  EXPECT_EQ(path, root + "/config/carpex/settings");

  EXPECT_EQ(LoadSettings(path).Presentation, common::Show::Unsaid);  // missing
  ASSERT_TRUE(SaveSettings(path, common::Settings{common::Show::Window, 900, 700}));
  const common::Settings read = LoadSettings(path);
  EXPECT_EQ(read.Presentation, common::Show::Window);
  EXPECT_EQ(read.WindowWidth, 900);

  std::ofstream(path) << "presentation window\n" << std::string(10000, '#') << "\n";
  EXPECT_EQ(LoadSettings(path).Presentation, common::Show::Unsaid) << "too large to be ours";
  std::filesystem::remove(path);
  // A pipe in its place is passed over at once: opened to be read, it would
  // wait for a writer, and the game would never start.
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  std::promise<common::Show> loaded;
  std::thread loading([&] { loaded.set_value(LoadSettings(path).Presentation); });
  std::future<common::Show> piped = loaded.get_future();
  if (piped.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "reading a pipe in the settings' place waits";
    close(open(path.c_str(), O_WRONLY));  // the writer it waits for
  }
  loading.join();
  EXPECT_EQ(piped.get(), common::Show::Unsaid);
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_EQ(LoadSettings(path).Presentation, common::Show::Unsaid);
  EXPECT_FALSE(SaveSettings(path, common::Settings{common::Show::Window, 900, 700}));
  EXPECT_FALSE(SaveSettings(root + "/no/such/deep/folder/settings", common::Settings{}));

  const char* home = getenv("HOME");
  const std::string homeBefore = home != nullptr ? home : "";
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  setenv("HOME", root.c_str(), 1);
  EXPECT_EQ(SettingsPath(), root + "/.config/carpex/settings");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", homeBefore.c_str(), 1);
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace carpex::sdl
