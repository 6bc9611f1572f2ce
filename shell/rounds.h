// Rounds as the game tells them: when one starts, from what, and how it ends.
// Recordings, links and kept records are built on what the game says here,
// never on reading its keys or its picture.
#pragma once

#include <cstdint>

#include "assets/language.h"
#include "world/world.h"

namespace carpex {

// What of the game a round finds and keeps from before it: the frame
// counters, whether the game is switched away from, and the world's fields
// that a round start leaves as they were and a trace line shows (where the
// last bomb fell, where the last banner stood, the demolitions' timers).
// Restored before a round's first event, they make the round alone replay
// exactly as it ran in its session.
struct CarriedState {
  uint8_t Active = 1;
  uint16_t FrameCount = 0;
  uint16_t FramesPerSecond = 0;
  int8_t FpsShown = -1;
  int32_t BombX = 0;
  int32_t BombY = 0;
  int32_t BombCol = 0;
  int32_t BombRow = 0;
  int32_t BannerX = 0;
  int32_t BannerY = 0;
  int32_t StrikeTimers[kStrikeSlots] = {};
};

// The most values a city takes from the random generator: a style and a
// height for each building.
inline constexpr int kCityValues = 2 * kCityBuildings;

struct RoundStart {
  uint8_t Level = 0;
  // The values the city took from the random generator, in order.
  uint32_t Values[kCityValues] = {};
  int ValueCount = 0;
  Language Pictures = Language::Chinese;
  CarriedState Carried;
  // Today's city: the day (YYYYMMDD) whose city the round took; 0 for none.
  uint32_t Daily = 0;
  // The game's speed when the round began, in per cent.
  uint16_t Speed = 100;
};

enum class RoundOutcome : uint8_t { Won, Lost, Left };

struct RoundEnd {
  RoundOutcome Outcome = RoundOutcome::Left;
  // The frames in which the round's world moved, up to the one that decided
  // it (or to the last before it was left).
  uint32_t Frames = 0;
  // The bombs the player let go.
  uint32_t Bombs = 0;
};

class RoundListener {
 public:
  virtual ~RoundListener() = default;
  // A digit on the level screen started a round (after its city was made).
  virtual void RoundStarted(const RoundStart& /*Start*/) {}
  // In the frame that decides it (won, lost), or when Escape leaves it while
  // it is still being played (left).
  virtual void RoundEnded(const RoundEnd& /*End*/) {}
  // Escape went back to the level screen from a round, decided or not:
  // called before the level screen shows, the world as the round's last
  // frame left it.
  virtual void RoundClosed() {}
};

}  // namespace carpex
