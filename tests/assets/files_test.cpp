// The files the programs write: the recording's, one writer at a time, a
// symbolic link to a file that does not exist named as one, the way
// --overwrite then takes; and the files written whole (shots, settings,
// records), which a failed write never leaves half written.
#include "assets/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

namespace carpex {
namespace {

class RecordingFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = ::testing::TempDir() + "carpex-files-" + std::to_string(getpid());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directory(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string folder_;
};

// A second game asking for a file one records to is refused, even when it is
// the same program (the lock is the open file's, not the process's).
TEST_F(RecordingFile, HasOneWriter) {
  const std::string path = folder_ + "/bug.replay";
  std::FILE* first = nullptr;
  std::FILE* second = nullptr;
  std::string created, error;
  ASSERT_TRUE(OpenForWriting(path, false, &first, &created, &error)) << error;
  EXPECT_EQ(created, path);
  EXPECT_FALSE(OpenForWriting(path, true, &second, &created, &error));
  EXPECT_EQ(error, "another game is recording to it");
  EXPECT_EQ(created, "");
  std::fclose(first);
}

TEST_F(RecordingFile, ALinkToNothingIsNamedAndOverwriteCreatesWhereItLeads) {
  const std::string link = folder_ + "/bug.replay";
  ASSERT_EQ(symlink("elsewhere.replay", link.c_str()), 0);
  std::FILE* file = nullptr;
  std::string created, error;
  EXPECT_FALSE(OpenForWriting(link, false, &file, &created, &error));
  EXPECT_EQ(error,
            "it is a symbolic link to a file that does not exist (--overwrite creates that file)");
  ASSERT_TRUE(OpenForWriting(link, true, &file, &created, &error)) << error;
  EXPECT_EQ(created, folder_ + "/elsewhere.replay");
  std::fclose(file);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(std::filesystem::is_regular_file(created));

  const std::string lost = folder_ + "/lost.replay";
  ASSERT_EQ(symlink("no/such/folder/x.replay", lost.c_str()), 0);
  EXPECT_FALSE(OpenForWriting(lost, true, &file, &created, &error));
  EXPECT_EQ(error, "it is a symbolic link into a folder that does not exist");
}

}  // namespace
}  // namespace carpex

namespace carpex {
namespace {

std::string Read(const std::string& Path) {
  std::string text, error;
  EXPECT_TRUE(ReadWholeFile(Path, 1 << 20, &text, &error)) << error;
  return text;
}

// A file written whole or not at all: replaced only when asked, a folder
// never, and a write that fails part way (a full disk, a limit on a file's
// size) leaves what was there before as it was, and nothing beside it.
TEST_F(RecordingFile, IsWrittenWholeOrNotAtAll) {
  const std::vector<uint8_t> before(1000, 'a'), after(200000, 'b');
  std::string error;
  ASSERT_TRUE(WriteWholeFile(folder_, "records", before, false, &error)) << error;
  EXPECT_FALSE(WriteWholeFile(folder_, "records", after, false, &error));
  EXPECT_EQ(error, "it exists already (--overwrite replaces it)");
  std::filesystem::create_directory(folder_ + "/folder");
  EXPECT_FALSE(WriteWholeFile(folder_, "folder", before, true, &error));

  // The write fails past 64 kB, as on a disk that fills up.
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(WriteWholeFile(folder_, "records", after, true, &error) ? 1 : 0);
  }
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the cut write was said to succeed";
  EXPECT_EQ(Read(folder_ + "/records"), std::string(before.begin(), before.end()));
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 1) << "a piece of the cut write was left behind";
}

}  // namespace
}  // namespace carpex
