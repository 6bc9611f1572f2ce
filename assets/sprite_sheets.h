// The pictures the game loads, each written once: the background of both
// screen-sized surfaces, and the sprite sheets in the order the display loads
// them, each with the form's surface field that holds it and its bitmap
// resource, in Chinese (the game's own) and in English. The form's surface
// set, its recovery and the resource lists (the Windows resource script, the
// embedded copies) are all made from this file; assets/CMakeLists.txt reads
// the lines below as they are written.
#pragma once

#include <cstdint>

#include "assets/language.h"

// X(surface field, bitmap resource, the same in English). The twins of a
// sheet have the same size, frames and key colour: only their text differs.
#define CARPEX_SPRITE_SHEETS(X)              \
  X(LevelChoiceSheet, "levelch1", "levelch") \
  X(BuildingSheet, "build", "build")         \
  X(PlaneSheet, "plane1", "plane1")          \
  X(ExplosionSheet, "blow", "blow")          \
  X(BombSheet, "bomb", "bomb")               \
  X(BannerSheet, "losewin1", "losewin")

namespace carpex {

inline constexpr char kBackgroundPicture[] = "back1";

#define CARPEX_COUNT_SHEET(Field, Resource, English) +1
inline constexpr int kSpriteSheetCount = 0 CARPEX_SPRITE_SHEETS(CARPEX_COUNT_SHEET);
#undef CARPEX_COUNT_SHEET

}  // namespace carpex
