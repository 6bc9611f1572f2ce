// carpex-replay: the replay tool on this platform's replay display.
#include "tools/replay.h"
#include "tools/replay_platform.h"

int main(int argc, char** argv) {
  return carpex::ReplayTool(argc, argv, carpex::MakeReplayPlatform);
}
