// carpex-replay SCRIPT (or - for standard input): runs the game from a script
// of events and prints one trace line per frame.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/replay_platform.h"
#include "tools/replay.h"

namespace {

// A copy of a stream that cannot be read twice (standard input, a pipe) in a
// temporary file; nullptr with the reason in *Error.
std::FILE* CopyToTemporaryFile(std::FILE* In, std::string* Error) {
  static char buffer[64 * 1024];
  // Read before the copy is made: were standard input closed, the copy would
  // take its descriptor.
  size_t n = std::fread(buffer, 1, sizeof buffer, In);
  std::FILE* copy = nullptr;
  if (std::ferror(In)) {
    *Error = std::string("cannot read the script: ") + std::strerror(errno);
  } else if ((copy = std::tmpfile()) == nullptr) {
    *Error = std::string("cannot make a temporary copy: ") + std::strerror(errno);
  }
  while (copy != nullptr && Error->empty()) {
    if (n > 0 && std::fwrite(buffer, 1, n, copy) != n) {
      *Error = std::string("cannot make a temporary copy: ") + std::strerror(errno);
    } else if (n < sizeof buffer) {
      if (std::ferror(In)) *Error = std::string("cannot read the script: ") + std::strerror(errno);
      break;
    }
    n = std::fread(buffer, 1, sizeof buffer, In);
  }
  if (!Error->empty() && copy != nullptr) {
    std::fclose(copy);
    copy = nullptr;
  }
  return copy;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: carpex-replay SCRIPT (or - for standard input)\n";
    return carpex::kReplayRefused;
  }
  const std::string name = argv[1];
  std::FILE* file = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    std::cerr << name << ": cannot read the script: " << std::strerror(errno) << '\n';
    return carpex::kReplayRefused;
  }
  // The script is read twice, checked whole and then run.
  std::FILE* script = file;
  if (std::fseek(file, 0, SEEK_SET) != 0) {
    std::string error;
    script = CopyToTemporaryFile(file, &error);
    if (script == nullptr) {
      std::cerr << name << ": " << error << '\n';
      return carpex::kReplayRefused;
    }
  }
  std::ios::sync_with_stdio(false);
  carpex::FileSource source(script);
  const int status =
      carpex::RunReplay(source, name, std::cout, std::cerr, carpex::MakeReplayPlatform);
  if (script != stdin) std::fclose(script);
  if (file != script && file != stdin) std::fclose(file);
  return status;
}
