// The fuzz targets without libFuzzer: every committed corpus input and every
// input that once made a target fail (regressions/) runs through the target's
// entry function in the ordinary build, and must run clean.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_targets.h"

namespace carpex::fuzz {
namespace {

namespace fs = std::filesystem;

struct Input {
  std::string target;  // "bitmap" or "game"
  fs::path file;
};

// corpus/<target>/* and regressions/<target>/*, in name order.
std::vector<Input> Inputs() {
  std::vector<Input> inputs;
  for (const char* target : {"bitmap", "game"}) {
    for (const char* kind : {"corpus", "regressions"}) {
      const fs::path dir = fs::path(CARPEX_FUZZ_DIR) / kind / target;
      if (!fs::is_directory(dir)) continue;
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
      for (const fs::path& file : files) inputs.push_back({target, file});
    }
  }
  return inputs;
}

std::vector<uint8_t> Read(const fs::path& File) {
  std::ifstream in(File, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Names the file when a case fails, instead of dumping the struct's bytes.
void PrintTo(const Input& Input, std::ostream* Os) {
  *Os << Input.file;
}

class FuzzInput : public ::testing::TestWithParam<Input> {};

TEST_P(FuzzInput, RunsClean) {
  const Input& input = GetParam();
  const std::vector<uint8_t> bytes = Read(input.file);
  const char* problem = input.target == "bitmap" ? RunBitmapInput(bytes.data(), bytes.size())
                                                 : RunGameInput(bytes.data(), bytes.size());
  EXPECT_EQ(problem, nullptr) << input.file << ": " << problem;
}

// A test name from the file's place: corpus_game_won_level0, regressions_bitmap_crash_1a2b.
std::string NameOf(const ::testing::TestParamInfo<Input>& Info) {
  const fs::path& file = Info.param.file;
  std::string name = file.parent_path().parent_path().filename().string() + "_" +
                     Info.param.target + "_" + file.filename().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Committed, FuzzInput, ::testing::ValuesIn(Inputs()), NameOf);

TEST(FuzzCorpus, EveryTargetHasSeeds) {
  for (const char* target : {"bitmap", "game"}) {
    const fs::path dir = fs::path(CARPEX_FUZZ_DIR) / "corpus" / target;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    EXPECT_GE(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5) << dir;
  }
}

}  // namespace
}  // namespace carpex::fuzz
