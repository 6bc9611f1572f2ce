// PCG32 (64-bit LCG state, XSH-RR output) on the default stream. Only fixed-width
// integer arithmetic, so a seed gives the same numbers on every compiler and platform.
#include "world/world.h"

namespace carpex {

namespace {
constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;
}  // namespace

uint32_t DailySeed(int Year, int Month, int Day) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1) return 0;
  constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
  if (Day > kDays[Month - 1] || (Month == 2 && Day == 29 && !leap)) return 0;
  return static_cast<uint32_t>(Year) * 10000u + static_cast<uint32_t>(Month) * 100u +
         static_cast<uint32_t>(Day);
}

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
