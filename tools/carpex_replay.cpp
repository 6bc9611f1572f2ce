// carpex-replay SCRIPT (or - for standard input): runs the game headless from a
// script of events and prints one trace line per frame.
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/headless/replay.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: carpex-replay SCRIPT (or - for standard input)\n";
    return 2;
  }
  const std::string name = argv[1];
  std::string text;
  if (name == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream file(name, std::ios::binary);
    if (!file) {
      std::cerr << name << ": cannot read the script\n";
      return 2;
    }
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  std::ios::sync_with_stdio(false);
  auto platform = carpex::MakeReplayPlatform();
  return carpex::RunReplay(text, name, std::cout, std::cerr, *platform);
}
