// Every blit and flip of a whole session, one at a time, meets lost surfaces:
// with restores that work nothing the player could see or the world records
// may change; with a restore refused at that moment the game still goes on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "gfx_support.h"
#include "tools/trace.h"

namespace carpex::gfxtest {
namespace {

// Each run costs a whole session, so the sweep takes every kth call: a prime
// stride, so that over the session every position within a frame is met.
// CARPEX_SWEEP_STRIDE=1 in the environment takes every call.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kDefaultStride = 17;
#else
constexpr int kDefaultStride = 5;
#endif

int Stride() {
  const char* text = std::getenv("CARPEX_SWEEP_STRIDE");
  const int stride = text != nullptr ? std::atoi(text) : 0;
  return stride > 0 ? stride : kDefaultStride;
}

struct Step {
  bool frame;                        // a GameLoop call, traced
  std::function<void(Game&)> event;  // otherwise an event between two frames
};

// The level screen, the short round from its start until it is over (a
// demolition, explosions, a crash, the banner), Escape, the level screen again.
std::vector<Step> Session() {
  std::vector<Step> steps;
  auto frames = [&](int N) {
    for (int i = 0; i < N; ++i) steps.push_back({true, nullptr});
  };
  frames(2);
  steps.push_back({false, [](Game& G) { BeginShortRound(G); }});
  frames(kShortRoundFrames);
  steps.push_back({false, [](Game& G) { G.Key(27); }});
  frames(2);
  return steps;
}

struct Outcome {
  std::vector<std::string> trace;
  Image last;
  std::vector<int> calls;     // blits and flips of each step
  std::vector<int> restores;  // Restore calls of each step
  int refused = 0;            // Restore calls that were refused
  std::string broken;         // the first invariant that failed, and where
  TGameState finalState{};
};

// Plays the session on a fresh display. `BeforeStep` may inject faults. After
// the session one more frame, outside the sweep, shows the last picture.
Outcome Play(const std::function<void(size_t)>& BeforeStep) {
  soft::Reset();
  Outcome run;
  Game game;
  game.Create();
  soft::ClearCallLog();
  const std::vector<Step> steps = Session();
  std::string line;
  for (size_t s = 0; s < steps.size(); ++s) {
    BeforeStep(s);
    if (steps[s].frame) {
      game.Frame();
      FormatTraceLine(game.View(), run.trace.size() + 1, &line);
      run.trace.push_back(line);
      const char* broken = CheckInvariants(game.W());
      if (broken != nullptr && run.broken.empty()) {
        run.broken = std::string(broken) + " after step " + std::to_string(s);
      }
    } else {
      steps[s].event(game);
    }
    EXPECT_EQ(0u, soft::CallLogDropped());
    run.calls.push_back(soft::CallCount("BltFast") + soft::CallCount("Flip"));
    run.restores.push_back(soft::CallCount("Restore"));
    for (const soft::CallRecord& c : soft::CallLog()) {
      run.refused += std::string(c.method) == "Restore" && c.result == DDERR_WRONGMODE;
    }
    soft::ClearCallLog();
  }
  game.Frame();
  run.last = Front();
  run.finalState = game.W().GameState;
  game.Destroy();
  EXPECT_EQ(0, soft::LiveDirectDrawObjects());
  soft::Reset();
  return run;
}

class Sweep : public ::testing::Test {
 protected:
  void SetUp() override {
    base = Play([](size_t) {});
    ASSERT_EQ("", base.broken);
    for (int c : base.calls) total += c;

    // The session reaches every state and has something to lose in each.
    bool demolished = false, exploded = false, crashed = false, over = false;
    for (const std::string& l : base.trace) {
      demolished |= l.find(" strikes=-") == std::string::npos;
      exploded |= l.find(" expl=-") == std::string::npos;
      crashed |= l.find(" crashed=1") != std::string::npos;
      over |= l.find(" gs=3 ") != std::string::npos;
    }
    ASSERT_TRUE(demolished && exploded && crashed && over);
    ASSERT_NE(std::string::npos, base.trace.back().find(" gs=1 "));
    ASSERT_GT(total, 300);
  }

  // The calls before which the surfaces are lost: every Stride()th, and the last.
  std::vector<int> Sample() const {
    std::vector<int> calls;
    for (int k = 1; k <= total; k += Stride()) calls.push_back(k);
    if (calls.back() != total) calls.push_back(total);
    return calls;
  }

  // The step in which the kth blit or flip of the session happens.
  size_t StepOfCall(int K) const {
    int seen = 0;
    for (size_t s = 0; s < base.calls.size(); ++s) {
      seen += base.calls[s];
      if (K <= seen) return s;
    }
    return base.calls.size();
  }

  Outcome base;
  int total = 0;
};

TEST_F(Sweep, ALossBeforeAnyBlitOrFlipChangesNeitherTheTraceNorTheLastPicture) {
  for (int k : Sample()) {
    const Outcome run = Play([&](size_t S) {
      if (S == 0) soft::LoseBeforeCall(k);
    });
    ASSERT_EQ(base.trace, run.trace)
        << "loss before call " << k << " (step " << StepOfCall(k) << ")";
    ASSERT_TRUE(SamePicture(base.last, run.last)) << "loss before call " << k;
  }
}

TEST_F(Sweep, ALossWhoseFirstRestoreIsRefusedStillLetsTheSessionRunToItsEnd) {
  for (int k : Sample()) {
    const size_t lossStep = StepOfCall(k);
    const Outcome run = Play([&](size_t S) {
      if (S == 0) soft::LoseBeforeCall(k);
      // The restores that loading makes in that step come before its first
      // blit, so the one refused is the first restore after the loss.
      if (S == lossStep) soft::RefuseRestores(1 + base.restores[S]);
    });
    ASSERT_EQ(1 + base.restores[lossStep], run.refused) << "loss before call " << k;
    ASSERT_EQ(base.trace.size(), run.trace.size()) << "loss before call " << k;
    ASSERT_EQ("", run.broken) << "loss before call " << k;
    ASSERT_EQ(kLevelChoice, run.finalState) << "loss before call " << k;
    // Back on the level screen, nothing of the round is left to see.
    ASSERT_TRUE(SamePicture(base.last, run.last)) << "loss before call " << k;
  }
}

}  // namespace
}  // namespace carpex::gfxtest
