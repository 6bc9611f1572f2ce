// The generator is deterministic and the committed files are what it draws:
// a change to a drawing that was not regenerated (or a hand-edited file)
// fails here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kGeneratedFiles[] = {
    "bitmaps/back1.bmp",    "bitmaps/levelch1.bmp", "bitmaps/build.bmp",
    "bitmaps/plane1.bmp",   "bitmaps/blow.bmp",     "bitmaps/bomb.bmp",
    "bitmaps/losewin1.bmp", "mainicon.ico",         "contact-sheet.png",
};

std::vector<char> Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "carpex-assetgen-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

int RunGenerator(const fs::path& out) {
  const std::string command = std::string("\"") + CARPEX_ASSETGEN + "\" \"" + out.string() + "\"";
  return std::system(command.c_str());
}

TEST(AssetGenerator, WritesTheSameBytesEveryTimeAndTheCommittedOnes) {
  TempDir first;
  TempDir second;
  ASSERT_FALSE(first.path().empty());
  ASSERT_FALSE(second.path().empty());
  ASSERT_EQ(RunGenerator(first.path()), 0);
  ASSERT_EQ(RunGenerator(second.path()), 0);
  for (const char* name : kGeneratedFiles) {
    SCOPED_TRACE(name);
    const std::vector<char> a = Read(first.path() / name);
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == Read(second.path() / name)) << "two runs differ";
    EXPECT_TRUE(a == Read(fs::path(CARPEX_ASSETS_DIR) / name))
        << "the committed file is not what the generator draws: build assets-regenerate";
  }
}

TEST(AssetGenerator, FailsWithoutAnOutputDirectory) {
  const std::string command = std::string("\"") + CARPEX_ASSETGEN + "\" > /dev/null 2>&1";
  EXPECT_NE(std::system(command.c_str()), 0);
}

}  // namespace
