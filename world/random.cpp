// PCG32 (64-bit LCG state, XSH-RR output) on the default stream. Only fixed-width
// integer arithmetic, so a seed gives the same numbers on every compiler and platform.
#include "world/world.h"

namespace carpex {

namespace {
constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;
}  // namespace

void GameRandom::Seed(uint32_t Value) {
  state_ = 0;
  Next();
  state_ += Value;
  Next();
}

uint32_t GameRandom::Next() {
  const uint64_t old = state_;
  state_ = old * kMultiplier + kIncrement;
  const uint32_t xorshifted = static_cast<uint32_t>(((old >> 18) ^ old) >> 27);
  const uint32_t rot = static_cast<uint32_t>(old >> 59);
  return (xorshifted >> rot) | (xorshifted << ((0u - rot) & 31u));
}

int32_t GameRandom::Random(int32_t N) {
  // There is no number below n to give for n <= 0; answer 0 and leave the sequence alone.
  if (N <= 0) return 0;
  const uint32_t bound = static_cast<uint32_t>(N);
  // Values below 2^32 mod bound would make the low results more likely; draw again.
  const uint32_t threshold = (0u - bound) % bound;
  for (;;) {
    const uint32_t r = Next();
    if (r >= threshold) return static_cast<int32_t>(r % bound);
  }
}

}  // namespace carpex
