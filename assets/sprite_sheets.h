// The pictures the game loads, each written once: the background of both
// screen-sized surfaces, and the sprite sheets in the order the display loads
// them, each with the form's surface field that holds it and its bitmap
// resource. The form's surface set, its recovery and the resource lists (the
// Windows resource script, the embedded copies) are all made from this file;
// assets/CMakeLists.txt reads the lines below as they are written.
#pragma once

// X(surface field, bitmap resource)
#define CARPEX_SPRITE_SHEETS(X)   \
  X(LevelChoiceSheet, "levelch1") \
  X(BuildingSheet, "build")       \
  X(PlaneSheet, "plane1")         \
  X(ExplosionSheet, "blow")       \
  X(BombSheet, "bomb")            \
  X(BannerSheet, "losewin1")

namespace carpex {

inline constexpr char kBackgroundPicture[] = "back1";

#define CARPEX_COUNT_SHEET(Field, Resource) +1
inline constexpr int kSpriteSheetCount = 0 CARPEX_SPRITE_SHEETS(CARPEX_COUNT_SHEET);
#undef CARPEX_COUNT_SHEET

}  // namespace carpex
