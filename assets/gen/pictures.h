// The game's pictures, drawn in code. The sheets' sizes and frames are those
// the world cuts its sprites out by (world/sprites.h); the key colours are what
// the loader expects.
#pragma once

#include <vector>

#include "assets/gen/cjk_text.h"
#include "assets/gen/formats.h"
#include "assets/gen/image.h"
#include "world/sprites.h"

namespace carpex::assetgen {

// The level-choice picture is the one sheet whose transparent colour is not
// black, so that black can be drawn inside it.
constexpr Rgb kLevelChoiceKey{1, 1, 1};

Image DrawBackground();                       // back1: 1 x 1 black
Image DrawLevelChoice(CjkFont& Font);         // levelch1: 331 x 100, Chinese
Image DrawEnglishLevelChoice();               // levelch: the same in English
Image DrawBuildingSheet();                    // build: 48 x 48, column = style, row = kind
Image DrawPlaneSheet();                       // plane1: 96 x 16, flying and with wheels out
Image DrawExplosionSheet();                   // blow: 864 x 60, nine frames side by side
Image DrawBombSheet();                        // bomb: 16 x 16
IndexedImage DrawBannerSheet(CjkFont& Font);  // losewin1: 191 x 94, lost above, won below
Image DrawEnglishBannerSheet();               // losewin: the same in English, 24 bits

struct Icon {
  IndexedImage image;  // 32 x 32, 16 colours
  std::vector<bool> transparent;
};
Icon DrawIcon();

}  // namespace carpex::assetgen
