// What a game keeps of the player's rounds between runs: for each level and
// speed the rounds won, lost and left, the fastest win (in frames, the same
// at every speed) and the fewest bombs in a win; and for each day, the first
// round played on today's city, the day's result. Kept as text, one record a
// line; a line that is damaged is passed over, and what it held starts again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/rounds.h"

namespace carpex::common {

inline constexpr int kLevels = 10;
inline constexpr int kSpeedCount = 4;  // 100, 75, 50 and 25 %

struct LevelRecord {
  uint32_t Won = 0;
  uint32_t Lost = 0;
  uint32_t Left = 0;
  uint32_t FastestFrames = 0;  // 0: no win yet
  uint32_t FewestBombs = 0;    // of a win
  bool operator==(const LevelRecord&) const = default;
};

struct DayResult {
  uint32_t Day = 0;  // YYYYMMDD
  uint8_t Level = 0;
  uint32_t Speed = 100;
  RoundOutcome Outcome = RoundOutcome::Left;
  uint32_t Frames = 0;
  uint32_t Bombs = 0;
  bool operator==(const DayResult&) const = default;
};

class Records {
 public:
  // What a round that ended changed.
  struct News {
    bool Fastest = false;    // a new fastest win
    bool Fewest = false;     // a new fewest bombs in a win
    bool DayResult = false;  // the day's first round on today's city
    bool Practice = false;   // a later round on today's city
    bool operator==(const News&) const = default;
  };

  // Speed: 100, 75, 50 or 25 (any other counts as 100).
  const LevelRecord& At(uint8_t Level, uint32_t Speed) const;
  // A round of Level at Speed ended so; Day: the day of today's city it was
  // played on (0 for none).
  News Add(uint8_t Level, uint32_t Speed, const RoundEnd& End, uint32_t Day);
  // The result of the day, when one was played; nullptr when not.
  const DayResult* ResultOf(uint32_t Day) const;
  const std::vector<DayResult>& Days() const { return days_; }
  void Clear();

  std::string Format() const;
  static Records Parse(std::string_view Text);
  bool operator==(const Records&) const = default;

 private:
  static int SpeedIndex(uint32_t Speed);
  LevelRecord levels_[kLevels][kSpeedCount] = {};
  std::vector<DayResult> days_;
};

}  // namespace carpex::common
