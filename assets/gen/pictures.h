// The game's pictures, drawn in code. Sizes, frame layouts and key colours are
// what the loader and the drawing expect; see the constants below.
#pragma once

#include <vector>

#include "assets/gen/cjk_text.h"
#include "assets/gen/formats.h"
#include "assets/gen/image.h"

namespace carpex::assetgen {

// The level-choice picture is the one sheet whose transparent colour is not
// black, so that black can be drawn inside it.
constexpr Rgb kLevelChoiceKey{1, 1, 1};

constexpr int kBuildingCell = 16;
constexpr int kBuildingStyles = 3;
constexpr int kBlockKinds = 3;  // roof storey, plain storey, ruined storey
constexpr int kPlaneFrameWidth = 48;
constexpr int kPlaneFrameHeight = 16;
constexpr int kExplosionFrameWidth = 96;
constexpr int kExplosionFrameHeight = 60;
constexpr int kExplosionFrames = 9;
constexpr int kBannerWidth = 191;
constexpr int kBannerFrameHeight = 47;

Image DrawBackground();                       // back1: 1 x 1 black
Image DrawLevelChoice(CjkFont& font);         // levelch1: 331 x 100, Chinese
Image DrawEnglishLevelChoice();               // levelch: the same in English
Image DrawBuildingSheet();                    // build: 48 x 48, column = style, row = kind
Image DrawPlaneSheet();                       // plane1: 96 x 16, flying and with wheels out
Image DrawExplosionSheet();                   // blow: 864 x 60, nine frames side by side
Image DrawBombSheet();                        // bomb: 16 x 16
IndexedImage DrawBannerSheet(CjkFont& font);  // losewin1: 191 x 94, lost above, won below
Image DrawEnglishBannerSheet();               // losewin: the same in English, 24 bits

struct Icon {
  IndexedImage image;  // 32 x 32, 16 colours
  std::vector<bool> transparent;
};
Icon DrawIcon();

}  // namespace carpex::assetgen
