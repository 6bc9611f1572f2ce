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

std::vector<char> Read(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
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

int RunGenerator(const fs::path& Out) {
  const std::string command = std::string("\"") + CARPEX_ASSETGEN + "\" \"" + Out.string() + "\"";
  return std::system(command.c_str());
}

TEST(AssetGenerator, WritesTheSameBytesEveryTimeAndTheCommittedOnes) {
  TempDir first;
  TempDir second;
  ASSERT_FALSE(first.path().empty());
  ASSERT_FALSE(second.path().empty());
  ASSERT_EQ(RunGenerator(first.path()), 0);
  ASSERT_EQ(RunGenerator(second.path()), 0);
  // Every file it writes: the pictures, the cursors, the icons and the contact sheet.
  int files = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(first.path())) {
    if (!entry.is_regular_file()) continue;
    ++files;
    const fs::path name = fs::relative(entry.path(), first.path());
    SCOPED_TRACE(name.string());
    const std::vector<char> a = Read(entry.path());
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == Read(second.path() / name)) << "two runs differ";
    EXPECT_TRUE(a == Read(fs::path(CARPEX_ASSETS_DIR) / name))
        << "the committed file is not what the generator draws: build assets-regenerate";
  }
  EXPECT_EQ(files, 32);
}

TEST(AssetGenerator, FailsWithoutAnOutputDirectory) {
  const std::string command = std::string("\"") + CARPEX_ASSETGEN + "\" > /dev/null 2>&1";
  EXPECT_NE(std::system(command.c_str()), 0);
}

}  // namespace
