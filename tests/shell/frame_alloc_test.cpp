// No frame allocates. The whole game runs on the software display through
// thousands of frames of busy play (bombs, demolitions, explosions, crashes, won
// and lost rounds, Escape and new rounds, the frame rate shown, surfaces lost),
// and every GameLoop call is watched for heap traffic.
//
// Two places may allocate, and neither is inside an ordinary frame:
// - StartRound, which runs inside the digit's FormKeyPress (between frames) and
//   makes the round's play-field background;
// - the recovery after a loss, which reloads every picture. It runs inside the
//   first active frame after the loss, so exactly those frames are left out of
//   the count (each must be the one that restored the surfaces, and every other
//   frame must not have restored anything).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "graphics/soft/control.h"
#include "shell/app.h"
#include "shell/carpex.h"
#include "shell/session.h"
#include "tests/shell/heap_counter.h"
#include "tests/support/scripted_app.h"
#include "tools/recorder.h"

namespace carpex::alloc_test {
namespace {

uint64_t AllocationsDuring(void (*What)()) {
  const HeapCount before = HeapNow();
  What();
  return HeapNow().Allocations - before.Allocations;
}

// Makes a pointer visible to the outside, so that the compiler cannot leave an
// allocation out as unused.
void Escape(void* P) {
  asm volatile("" : : "g"(P) : "memory");
}

TEST(HeapCounter, SeesEveryWayOfAllocating) {
  SCOPED_TRACE(CountingMethod());
  EXPECT_EQ(AllocationsDuring([] {
              int* p = new int(1);
              Escape(p);
              delete p;
            }),
            1u);
  EXPECT_EQ(AllocationsDuring([] {
              char* p = new char[100];
              Escape(p);
              delete[] p;
            }),
            1u);
  EXPECT_EQ(AllocationsDuring([] {
              struct alignas(64) Wide {
                char bytes[64];
              };
              Wide* p = new Wide;
              Escape(p);
              delete p;
            }),
            1u);
  EXPECT_EQ(AllocationsDuring([] {
              std::vector<int> v(1000);
              v.push_back(1);  // grows: a second buffer
              Escape(v.data());
            }),
            2u);
  // The C library's own.
  EXPECT_EQ(AllocationsDuring([] {
              void* p = std::malloc(24);
              Escape(p);
              std::free(p);
            }),
            1u);
  EXPECT_EQ(AllocationsDuring([] {
              void* p = std::calloc(3, 8);
              Escape(p);
              std::free(p);
            }),
            1u);
  EXPECT_GE(AllocationsDuring([] {
              void* p = std::malloc(8);
              Escape(p);
              p = std::realloc(p, 4096);
              Escape(p);
              std::free(p);
            }),
            2u);
  const HeapCount before = HeapNow();
  void* p = std::malloc(16);
  Escape(p);
  std::free(p);
  EXPECT_EQ(HeapNow().Releases - before.Releases, 1u);
}

// Random(n) for the round set-up: queued values first (a city built to order),
// then the game's own generator with a fixed seed.
class PlayRandom final : public RandomSource {
 public:
  void Queue(int32_t V) {
    if (count_ < kCapacity) values_[count_++] = V;
  }
  int32_t Random(int32_t N) override {
    if (next_ < count_) return values_[next_++] % N;
    return own_.Random(N);
  }

 private:
  static constexpr int kCapacity = 256;
  int32_t values_[kCapacity] = {};
  int count_ = 0;
  int next_ = 0;
  GameRandom own_{20261208};
};

// The application layer of the headless platform, reduced to what a frame
// uses, and able to allocate inside a frame on purpose (to show that the watch
// sees it).
class PlayApp final : public testsupport::ScriptedApp {
 public:
  void Sleep(uint32_t) override {
    if (allocateWhileSleeping) Escape(std::make_unique<int>(1).get());
  }
  void WriteText(int32_t, int32_t, const char* Text) override {
    std::strncpy(lastText, Text, sizeof lastText - 1);
    ++textCount;
  }
  void ShowMessageBox(const char*, const char*, uint32_t) override { ++messageBoxes; }

  bool allocateWhileSleeping = false;
  char lastText[16] = {};
  uint64_t textCount = 0;
  int messageBoxes = 0;
};

// The game on the software display, played by a simple player, with the heap
// watched around every GameLoop call.
class BusyPlay {
 public:
  BusyPlay() {
    soft::Reset();
    session_ = std::make_unique<GameSession>(app_);
    session_->SetRandomSource(&random_);
  }
  ~BusyPlay() {
    session_.reset();
    soft::Reset();
  }

  const World& W() { return session_->View().W; }
  PlayApp& App() { return app_; }

  // A typed character; a digit on the level screen starts a round (and allocates).
  void Char(uint8_t C) {
    const TGameState state = W().GameState;
    const HeapCount before = HeapNow();
    Form().Handle({FormEvent::Char, C});
    if (state == kLevelChoice && C >= '0' && C <= '9') {
      startRoundAllocations += HeapNow().Allocations - before.Allocations;
      ++rounds;
    }
    if (C == 27 && state != kLevelChoice) ++escapes;
  }

  // A level-0 city whose buildings are all `Height` blocks tall.
  void QueueLevelZeroCity(int32_t Height) {
    for (int32_t b = 1; b <= 38; ++b) {
      random_.Queue(b % 3);
      random_.Queue(Height - 1);
    }
  }

  void LoseSurfaces() {
    soft::LoseAllSurfaces();
    lossPending_ = true;
    ++losses;
  }

  // Switched away and back, with a few idle frames between.
  void SwitchAwayAndBack() {
    soft::Deactivate();
    Form().Handle({FormEvent::Deactivate, 0});
    lossPending_ = true;
    ++losses;
    for (int i = 0; i < 5; ++i) Frame();
    soft::Activate();
    Form().Handle({FormEvent::Restore, 0});
  }

  // One GameLoop call, and the timer every 60 frames as a 60-Hz display would tick it.
  void Frame() {
    const bool meetsLoss = lossPending_ && session_->View().Active == 1;
    soft::ClearCallLog();
    const HeapCount before = HeapNow();
    bool done = true;
    Form().GameLoop(done);
    const HeapCount after = HeapNow();
    ++frames;

    const bool restored = soft::CallCount("Restore") > 0;
    if (restored != meetsLoss) {
      Note(&recoveryMismatches, restored ? "restored without a loss" : "a loss was not met");
    }
    if (restored) {
      lossPending_ = false;
      ++recoveryFrames;
      recoveryAllocations += after.Allocations - before.Allocations;
    } else if (after.Allocations != before.Allocations || after.Releases != before.Releases) {
      Note(&allocatingFrames, "allocated " +
                                  std::to_string(after.Allocations - before.Allocations) +
                                  ", released " + std::to_string(after.Releases - before.Releases));
    }
    if (const char* broken = CheckInvariants(W())) Note(&brokenFrames, broken);

    const World& w = W();
    int32_t running = 0;
    for (int32_t i = 1; i <= kExplosionSlots; ++i)
      running += w.Explosions[i].State != kExplosionFree;
    if (running > mostExplosions) mostExplosions = running;
    if (w.GameState == kRoundOver && lastState_ == kPlaying) {
      if (w.ResultBanner.Frame == kBannerWon) ++won;
      if (w.ResultBanner.Frame == kBannerLost) ++lost;
    }
    if (w.Crashed != 0 && lastState_ == kPlaying && !crashSeen_) ++crashes;
    crashSeen_ = w.Crashed != 0;
    if (w.BlocksLeft < lastBlocks_ && w.GameState == kPlaying)
      blocksDemolished += lastBlocks_ - w.BlocksLeft;
    lastBlocks_ = w.BlocksLeft;
    lastState_ = w.GameState;
    if (frames % 60 == 0) Form().Handle({FormEvent::Tick, 0});
  }

  // Frames with a player at the keys until `Finished` holds or `Limit` frames
  // have run. With `Aim`, a bomb goes only where it will hit a block; without,
  // as often as the game allows.
  template <class Done>
  void Play(Done Finished, int Limit, bool Aim) {
    for (int i = 0; i < Limit && !Finished(W()); ++i) {
      Bomb(Aim);
      Frame();
    }
  }

  // A release key goes down and comes back up on the next turn.
  void Bomb(bool Aim) {
    const World& w = W();
    uint16_t space = kVkSpace;
    if (w.Bomb.KeyHeld != 0) {
      Form().Handle({FormEvent::KeyUp, space});
      return;
    }
    if (w.GameState != kPlaying || w.Crashed != 0 || w.Bomb.State != kBombNone) return;
    // The bomb leaves one column left of the plane's cell after the next move.
    const int32_t col = (w.Plane.X + w.Plane.Step + 40) / 16 - 1;
    if (Aim && (col < 1 || col > 38 || w.Buildings[col].Height <= 0)) return;
    Form().Handle({FormEvent::KeyDown, space});
    if (w.Bomb.State == kBombReleased) ++bombs;
  }

  void Frames(int N) {
    for (int i = 0; i < N; ++i) Frame();
  }

  // What happened, for the assertions.
  int frames = 0;
  int rounds = 0, won = 0, lost = 0, crashes = 0, escapes = 0, bombs = 0;
  int blocksDemolished = 0, mostExplosions = 0;
  int losses = 0, recoveryFrames = 0;
  uint64_t startRoundAllocations = 0, recoveryAllocations = 0;
  struct Problem {
    int count = 0;
    std::vector<std::string> first;
  };
  Problem allocatingFrames, recoveryMismatches, brokenFrames;

 private:
  void Note(Problem* Tally, const std::string& What) {
    if (++Tally->count <= 5) {
      Tally->first.push_back("frame " + std::to_string(frames) + " (GameState " +
                             std::to_string(static_cast<int>(W().GameState)) + "): " + What);
    }
  }

  FormHandlers& Form() { return session_->Handlers(); }

  PlayApp app_;
  PlayRandom random_;
  std::unique_ptr<GameSession> session_;
  bool lossPending_ = false;
  bool crashSeen_ = false;
  TGameState lastState_ = kLevelChoice;
  int32_t lastBlocks_ = 0;
};

std::string Describe(const BusyPlay::Problem& Problem) {
  std::string text;
  for (const std::string& line : Problem.first) text += "\n  " + line;
  return text;
}

TEST(FrameAllocations, NoGameLoopCallAllocatesThroughTenThousandBusyFrames) {
  SCOPED_TRACE(CountingMethod());
  BusyPlay play;
  play.Frames(5);
  play.Char('f');  // the frame rate is shown from here on
  play.LoseSurfaces();
  play.Frames(10);

  // A level-0 city of three-block buildings, aimed at until it is flattened:
  // one bomb per building. Lost once while playing and switched away once.
  play.QueueLevelZeroCity(3);
  play.Char('0');
  ASSERT_EQ(play.W().BlocksLeft, 38 * 3);
  play.Play([](const World&) { return false; }, 300, true);
  play.LoseSurfaces();
  play.Play([](const World&) { return false; }, 1200, true);
  play.SwitchAwayAndBack();
  play.Play([](const World& W) { return W.GameState != kPlaying; }, 12000, true);
  ASSERT_EQ(play.won, 1) << "the level-0 city was not flattened";
  // The plane lands; the surfaces are lost under the banner.
  play.Play([](const World& W) { return W.Plane.Mode == kPlaneHitOrLanded; }, 2000, false);
  play.LoseSurfaces();
  play.Frames(30);
  play.Char(27);
  play.Frames(20);

  // Level 9 with bombs as fast as they come until the plane flies into a tower;
  // then Escape in the middle of rounds, and new ones, until the frames are in.
  for (int round = 0; play.frames < 16000 && round < 20; ++round) {
    play.Char('9');
    play.Play([](const World& W) { return W.GameState != kPlaying; }, 4000, false);
    play.Frames(40);
    play.Char(27);
    play.Frames(10);
    play.Char(round % 2 == 0 ? '0' : '4');
    play.Play([](const World& W) { return W.GameState != kPlaying; }, 300, false);
    if (round % 3 == 1) {
      play.Char('f');
      play.LoseSurfaces();
      play.Frames(3);
      play.Char('f');
    }
    play.Char(27);
    play.Frames(10);
  }

  EXPECT_GE(play.frames, 10000);
  EXPECT_EQ(play.allocatingFrames.count, 0) << Describe(play.allocatingFrames);
  EXPECT_EQ(play.recoveryMismatches.count, 0) << Describe(play.recoveryMismatches);
  EXPECT_EQ(play.brokenFrames.count, 0) << Describe(play.brokenFrames);
  EXPECT_EQ(play.recoveryFrames, play.losses) << "each loss leaves exactly one frame out";

  // The play was as busy as it was meant to be.
  EXPECT_GE(play.won, 1);
  EXPECT_GE(play.lost, 3);
  EXPECT_GE(play.crashes, 3);
  EXPECT_GE(play.escapes, 6);
  EXPECT_GE(play.bombs, 150);
  EXPECT_GE(play.blocksDemolished, 300);
  EXPECT_GE(play.mostExplosions, 3);
  EXPECT_GE(play.App().textCount, 5000u) << "the frame-rate text was written";
  EXPECT_EQ(play.App().messageBoxes, 0);

  // The counter does see the game's own allocations where they are allowed.
  EXPECT_GT(play.startRoundAllocations, 0u);
  EXPECT_GT(play.recoveryAllocations, 0u);
}

TEST(FrameAllocations, AnAllocationInsideAFrameIsSeen) {
  BusyPlay play;
  play.Char('0');
  play.Frames(3);
  play.App().allocateWhileSleeping = true;
  play.Frames(2);
  play.App().allocateWhileSleeping = false;
  play.Frames(3);
  EXPECT_EQ(play.allocatingFrames.count, 2);
}

TEST(FrameAllocations, RecordingAFrameAllocatesNothing) {
  PlayApp app;
  Recorder recorder(app, std::tmpfile());
  uint64_t frames = 0;
  uint64_t allocations = 0;
  // A round with bombs and timer ticks, every event and frame written down.
  app.Loop = [&](FormHandlers& Form) {
    uint8_t digit = '0';
    Form.Handle({FormEvent::Char, digit});
    for (int i = 0; i < 3000; ++i) {
      uint16_t space = kVkSpace;
      if (i % 8 == 0) Form.Handle({FormEvent::KeyDown, space});
      if (i % 8 == 1) Form.Handle({FormEvent::KeyUp, space});
      if (i % 60 == 0) Form.Handle({FormEvent::Tick, 0});
      const HeapCount before = HeapNow();
      bool done = true;
      Form.GameLoop(done);
      allocations += HeapNow().Allocations - before.Allocations;
      ++frames;
    }
  };
  soft::Reset();
  EXPECT_EQ(Carpex(recorder, [&](GameSession& Session) { recorder.Record(Session); }), 0);
  soft::Reset();
  EXPECT_TRUE(recorder.Finish());
  EXPECT_EQ(frames, 3000u);
  EXPECT_EQ(allocations, 0u);
}

}  // namespace
}  // namespace carpex::alloc_test
