// The sprite sheets' geometry: the size of each sheet's frames and cells. The
// picture generator draws the sheets to it, the world cuts its sprites out of
// them by it, and the shell places the level choice by it.
#pragma once

#include <cstdint>

namespace carpex {

// build: a column per building style, a row per kind of block (TBlockKind);
// a block fills one cell of the world's grid.
inline constexpr int32_t kBuildingCell = 16;
inline constexpr int32_t kBuildingStyles = 3;
inline constexpr int32_t kBlockKinds = 3;

// plane1: two frames side by side (TPlaneFrame).
inline constexpr int32_t kPlaneFrameWidth = 48;
inline constexpr int32_t kPlaneFrameHeight = 16;

// blow: the explosion's frames side by side.
inline constexpr int32_t kExplosionFrameWidth = 96;
inline constexpr int32_t kExplosionFrameHeight = 60;
inline constexpr int32_t kExplosionFrames = 9;

// bomb: one picture.
inline constexpr int32_t kBombSize = 16;

// losewin1: two frames one above the other (TBannerFrame).
inline constexpr int32_t kBannerWidth = 191;
inline constexpr int32_t kBannerFrameHeight = 47;

// levelch1: one picture, drawn whole; it is placed as if it were only
// kLevelChoicePlacingHeight high.
inline constexpr int32_t kLevelChoiceWidth = 331;
inline constexpr int32_t kLevelChoiceHeight = 100;
inline constexpr int32_t kLevelChoicePlacingHeight = 36;

}  // namespace carpex
