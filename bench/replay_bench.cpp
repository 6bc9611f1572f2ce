// What the replay tool's runner costs over a script of 1 MB: a recording as a
// player makes one (about ten hours of play), and scripts made to cost as much
// as a megabyte can ask for: a round started and left on every two lines,
// with and without a frame between, the pictures' language switched to and
// fro, a display lost before every frame or again and again before one, a
// frame's worth of events that never ends, runs of a million frames (refused),
// and as many frames as a megabyte may ask for (on the screen after a crash). Each
// runs as carpex-replay runs it (checked whole, then run, every trace line
// made), with the trace thrown away; a script the check refuses costs its
// check. Run with scripts/bench.sh --replay.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "tools/replay.h"
#include "tools/replay_platform.h"
#include "tools/script.h"

namespace carpex::bench {
namespace {

constexpr size_t kScriptBytes = 1 << 20;

// The trace goes nowhere, as to /dev/null.
class Discard final : public std::streambuf {
 protected:
  int_type overflow(int_type C) override { return traits_type::not_eof(C); }
  std::streamsize xsputn(const char*, std::streamsize N) override { return N; }
};

// Head, then Unit again and again, then Tail: 1 MB.
std::string Repeated(const std::string& Head, const std::string& Unit,
                     const std::string& Tail = "") {
  std::string text = Head;
  while (text.size() + Unit.size() + Tail.size() <= kScriptBytes) text += Unit;
  return text + Tail;
}

// A player's session as the game records it: a second of play is a run of
// frames and the timer's tick, every other one with a bomb dropped; a round
// is left for another every minute and a half.
std::string NormalRecording() {
  std::string text = "# Carpex 1.0.0\nlanguage en\nseed 20240607\nframes 40\ntick\n";
  for (uint32_t second = 0; text.size() < kScriptBytes - 64; ++second) {
    if (second % 90 == 0) {
      text += "char " + std::to_string(48 + second / 90 % 10) + "\n";
    }
    text += second % 2 == 0 ? "frames 20\ndown 32\nframes 4\nup 32\nframes 38\ntick\n"
                            : "frames 62\ntick\n";
    if (second % 90 == 89) text += "char 27\n";
  }
  return text;
}

void Replay(benchmark::State& State, const std::string& Script) {
  Discard nowhere;
  std::ostream out(&nowhere);
  std::string refusal;
  uint64_t frames = 0;
  for (auto _ : State) {
    ReplayOptions options;
    options.AfterFrame = [&](const FormView&) { ++frames; };
    std::ostringstream said;
    const int status = RunReplay(Script, "bench.replay", out, said, MakeReplayPlatform, options);
    if (status != kReplayRan) refusal = said.str();
  }
  State.counters["frames"] = static_cast<double>(frames) / static_cast<double>(State.iterations());
  State.counters["bytes"] = static_cast<double>(Script.size());
  if (!refusal.empty()) State.SetLabel("refused: " + refusal.substr(0, refusal.size() - 1));
}

void ReplayNormalRecording(benchmark::State& State) {
  Replay(State, NormalRecording());
}

void ReplayRoundStarts(benchmark::State& State) {
  Replay(State, Repeated("seed 1\n", "char 57\nchar 27\n"));
}

void ReplayRoundStartsAndFrames(benchmark::State& State) {
  Replay(State, Repeated("seed 1\n", "char 57\nchar 27\nframes 1\n"));
}

void ReplayLanguageSwitches(benchmark::State& State) {
  Replay(State, Repeated("seed 1\nchar 57\n", "language en\nlanguage zh\nframes 1\n"));
}

void ReplayLostDisplays(benchmark::State& State) {
  Replay(State, Repeated("seed 1\nchar 57\n", "lose\nframes 1\n"));
}

void ReplayLossesInOneFrame(benchmark::State& State) {
  Replay(State, Repeated("seed 1\nchar 57\nframes 1\n", "lose\n", "frames 1\n"));
}

void ReplayEventsInOneFrame(benchmark::State& State) {
  Replay(State, Repeated("seed 1\nchar 57\n", "down 32\n", "frames 1\n"));
}

void ReplayLongRunsOfFrames(benchmark::State& State) {
  Replay(State, Repeated("seed 1\n", "frames 1000000\n"));
}

void ReplayFramesAtTheBound(benchmark::State& State) {
  std::string head = "seed 1\nchar 57\n";
  constexpr size_t kLines = 256;  // room for the lines before the comments
  for (uint64_t frames =
           ScriptReader::kMaxFrames + ScriptReader::kFramesPerByte * (kScriptBytes - kLines);
       frames > 0;) {
    const uint64_t run = std::min<uint64_t>(frames, ScriptReader::kMaxFrames);
    head += "frames " + std::to_string(run) + "\n";
    frames -= run;
  }
  Replay(State, Repeated(head, "# " + std::string(98, 'x') + "\n"));
}

BENCHMARK(ReplayNormalRecording)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ReplayRoundStarts)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ReplayRoundStartsAndFrames)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ReplayLanguageSwitches)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ReplayLostDisplays)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ReplayLossesInOneFrame)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ReplayEventsInOneFrame)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ReplayLongRunsOfFrames)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ReplayFramesAtTheBound)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace carpex::bench

BENCHMARK_MAIN();
