#include "assets/gen/pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "assets/gen/font.h"
#include "assets/gen/formats.h"

namespace carpex::assetgen {

namespace {

// ---------------------------------------------------------------- shared

// Lays `ColourTop`..`ColourBottom` (a vertical gradient between rows y0 and
// y1) over the image wherever the mask covers it.
void CompositeGradient(Image& Image, const Mask& Mask, Rgb ColourTop, Rgb ColourBottom, int Y0,
                       int Y1) {
  const int span = std::max(1, Y1 - Y0);
  for (int y = 0; y < Mask.height(); ++y) {
    const Rgb colour = Mix(ColourTop, ColourBottom, std::clamp((y - Y0) * 255 / span, 0, 255));
    for (int x = 0; x < Mask.width(); ++x) Image.Blend(x, y, colour, Mask.Get(x, y));
  }
}

// A soft halo around the ink of `Text`, cut off where it would be too dim to
// tell from the black ground.
Mask Glow(const Mask& Text, int Radius, int Gain) {
  constexpr int kFloor = 72;
  Mask glow = Text.Blurred(Radius).Blurred(Radius).Scaled(Gain, 1);
  for (int y = 0; y < glow.height(); ++y) {
    for (int x = 0; x < glow.width(); ++x) {
      if (glow.Get(x, y) < kFloor) glow.Set(x, y, 0);
    }
  }
  return glow;
}

// Left edge that centres `Text` at `Scale` in `Width`, on a whole pixel.
double CentredX(const std::string& Text, double Scale, int Width) {
  return std::floor((Width - TextUnits(Text) * Scale) / 2.0);
}

// ---------------------------------------------------------------- level choice

// The credit line of both level-choice pictures: the game's own address.
constexpr char kCredit[] = "www.carpex.example";

// ---------------------------------------------------------------- buildings

struct BuildingStyle {
  Rgb light;     // lit edges and ledges
  Rgb frame;     // the storey's structure
  Rgb dark;      // shaded edges and eaves
  Rgb window_a;  // the two kinds of window
  Rgb window_b;
  Rgb sill;
  Rgb rubble;  // shadows between broken pieces
};

// Cyan with dark-blue windows, magenta with red windows, blue with white and
// grey windows.
const std::array<BuildingStyle, kBuildingStyles> kStyles = {{
    {{150, 250, 250},
     {0, 200, 215},
     {0, 120, 140},
     {0, 24, 112},
     {16, 52, 160},
     {0, 95, 110},
     {0, 78, 92}},
    {{255, 150, 250},
     {215, 40, 205},
     {130, 20, 125},
     {220, 24, 32},
     {150, 12, 24},
     {110, 15, 105},
     {92, 12, 88}},
    {{120, 160, 255},
     {40, 80, 235},
     {20, 40, 150},
     {245, 245, 245},
     {150, 150, 165},
     {20, 40, 130},
     {16, 30, 108}},
}};

// A storey is 15 pixels wide; the 16th column stays transparent so that two
// neighbouring buildings never merge into one wall.
const std::vector<std::string> kPlainStorey = {
    "LLLLLLLLLLLLLLD.", "LFFFFFFFFFFFFFD.", "LFAAAFBBBFAAAFD.", "LFAAAFBBBFAAAFD.",
    "LFAAAFBBBFAAAFD.", "LFAAAFBBBFAAAFD.", "LFSSSFSSSFSSSFD.", "LFFFFFFFFFFFFFD.",
    "LFFFFFFFFFFFFFD.", "LFFFFFFFFFFFFFD.", "LFBBBFAAAFBBBFD.", "LFBBBFAAAFBBBFD.",
    "LFBBBFAAAFBBBFD.", "LFBBBFAAAFBBBFD.", "LFSSSFSSSFSSSFD.", "LFFFFFFFFFFFFFD.",
};

// The lower half of a roof storey: one row of windows.
const std::vector<std::string> kRoofStoreyBase = {
    "LLLLLLLLLLLLLLD.", "LFFFFFFFFFFFFFD.", "LFAAAFBBBFAAAFD.", "LFAAAFBBBFAAAFD.",
    "LFAAAFBBBFAAAFD.", "LFAAAFBBBFAAAFD.", "LFSSSFSSSFSSSFD.", "LFFFFFFFFFFFFFD.",
};

// The upper half of a roof storey, per style: pointed gable, arch, slope.
const std::array<std::vector<std::string>, kBuildingStyles> kRoofs = {{
    {
        ".......L........",
        "......LFD.......",
        ".....LFFFD......",
        "....LFFAFFD.....",
        "...LFFAAAFFD....",
        "..LFFFAAAFFFD...",
        ".LFFFFFFFFFFFD..",
        "DDDDDDDDDDDDDDD.",
    },
    {
        ".....LLLLL......",
        "...LLFFFFFDD....",
        "..LFFFFFFFFFD...",
        ".LFFFFAAAFFFFD..",
        ".LFFFAAAAAFFFD..",
        "LFFFFAAAAAFFFFD.",
        "LFFFFAAAAAFFFFD.",
        "DDDDDDDDDDDDDDD.",
    },
    {
        "LL..............",
        "LFLL............",
        "LFFFLL..........",
        "LFFFFFLL........",
        "LFFAAFFFLL......",
        "LFFAAFFFFFLL....",
        "LFFFFFFFFFFFLL..",
        "DDDDDDDDDDDDDDD.",
    },
}};

// What is left of a storey whose upper part is gone: two broken wall stumps
// and a heap of rubble.
const std::vector<std::string> kRuinedStorey = {
    "................", "................", "................", "................",
    ".L..............", "LFD.............", "LFFD............", "LFAAD.........D.",
    "LFAA.........FD.", "LFSSF.......LFD.", "LFFF.......LBBD.", "LFFD..rr...FBBD.",
    "LFF.rLFFr.LFSSD.", "LFrLFFDrFrLFFFD.", "LrFFDrLFFDrLFrD.", "rFDrLFFrDLFFrDr.",
};

void DrawStyleArt(Image& Image, int X, int Y, const std::vector<std::string>& Rows,
                  const BuildingStyle& Style) {
  DrawPixelArt(Image, X, Y, Rows,
               {{'L', Style.light},
                {'F', Style.frame},
                {'D', Style.dark},
                {'A', Style.window_a},
                {'B', Style.window_b},
                {'S', Style.sill},
                {'r', Style.rubble}});
}

// ---------------------------------------------------------------- plane

const std::vector<LegendEntry> kPlaneLegend = {
    {'W', {250, 250, 252}}, {'w', {200, 208, 222}}, {'g', {140, 148, 165}}, {'d', {96, 102, 120}},
    {'B', {24, 44, 150}},   {'b', {60, 110, 210}},  {'c', {190, 225, 255}}, {'k', {28, 28, 34}},
    {'h', {176, 176, 186}}, {'s', {112, 112, 124}},
};

const std::vector<std::string> kPlaneBody = {
    "................................................",
    "..BBB...........................................",
    "..BBWW..........................................",
    "...wWWW.........................................",
    "...wWWWW........................................",
    "....wWWWW.....................ccbb..............",
    "....wWWWWWWWWWWWWWWWWWWWWWWWWccbbbbb............",
    "....WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW.......",
    ".wwwWWWWWWWBBWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW....",
    "gggggWWWWWBWWBWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW.",
    "....wwwwwwwBBwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwgg..",
    "......gggggggggggdddddddddddddddgggggggggggg....",
};

// The landing gear, below the body: two struts and two wheels.
const std::vector<std::string> kPlaneGear = {
    "........................s.............s.........",
    ".......................kkk...........kkk........",
    "......................kkhkk.........kkhkk.......",
    ".......................kkk...........kkk........",
};

// ---------------------------------------------------------------- bomb

const std::vector<LegendEntry> kBombLegend = {
    {'H', {236, 236, 242}}, {'L', {196, 198, 206}}, {'M', {150, 152, 162}},
    {'D', {98, 100, 112}},  {'f', {120, 122, 134}}, {'F', {176, 178, 188}},
};

const std::vector<std::string> kBomb = {
    "..FFf......fFF..", "...FFf....fFF...", "....FFfMDfFF....", ".....FfMDfF.....",
    "......FMDf......", "......LMMD......", ".....HLMMDD.....", ".....HLMMMD.....",
    "....HLLMMMDD....", "....HLLMMMDD....", "....HLLMMMDD....", "....HLLMMMDD....",
    "....LLLMMMDD....", ".....LLMMDD.....", ".....LMMMDD.....", "......MMDD......",
};

// ---------------------------------------------------------------- explosion

// The eight directions of the blobs, clockwise from the right.
constexpr double kDiagonal = 0.70710678118654752;
constexpr std::array<std::array<double, 2>, 8> kDirections = {{
    {1, 0},
    {kDiagonal, kDiagonal},
    {0, 1},
    {-kDiagonal, kDiagonal},
    {-1, 0},
    {-kDiagonal, -kDiagonal},
    {0, -1},
    {kDiagonal, -kDiagonal},
}};

struct ExplosionFrame {
  double core_radius;  // the central fireball; 0 when it is gone
  double core_heat;
  double reach_x;  // how far the eight blobs are from the centre
  double reach_y;
  double squareness;   // 0: the blobs lie on an ellipse; 1: on its bounding box
  double blob_radius;  // 0: no blobs yet
  double blob_heat;
  double brightness;
};

// A small fireball that swells, splits into a ring of eight and throws them
// out to the frame's edges, where they die away.
constexpr std::array<ExplosionFrame, kExplosionFrames> kExplosionPlan = {{
    {10.0, 1.00, 0, 0, 0.0, 0.0, 0.0, 1.0},
    {12.0, 0.97, 8, 8, 0.0, 7.0, 0.92, 1.0},
    {9.0, 0.80, 13, 13, 0.0, 7.0, 0.85, 1.0},
    {0.0, 0.00, 19, 19, 0.0, 5.5, 0.80, 1.0},
    {0.0, 0.00, 22, 18.6, 0.2, 5.5, 0.70, 0.92},
    {0.0, 0.00, 27, 20.2, 0.4, 4.5, 0.60, 0.84},
    {0.0, 0.00, 32, 21.8, 0.6, 3.5, 0.50, 0.74},
    {0.0, 0.00, 37, 23.4, 0.8, 2.5, 0.40, 0.62},
    {0.0, 0.00, 42, 25.0, 1.0, 1.5, 0.30, 0.50},
}};

struct Blob {
  double x;
  double y;
  double radius;
  double heat;
  double brightness;
};

struct Colour {
  double r = 0;
  double g = 0;
  double b = 0;
};

// Fire colour by temperature 0..1: dark red, red, orange, yellow, near white.
Colour FireColour(double Heat) {
  constexpr std::array<std::array<double, 4>, 5> kStops = {{
      {0.00, 110, 12, 4},
      {0.25, 215, 45, 10},
      {0.50, 255, 135, 20},
      {0.75, 255, 215, 70},
      {1.00, 255, 250, 215},
  }};
  Heat = std::clamp(Heat, 0.0, 1.0);
  for (std::size_t i = 1; i < kStops.size(); ++i) {
    if (Heat <= kStops[i][0]) {
      const double t = (Heat - kStops[i - 1][0]) / (kStops[i][0] - kStops[i - 1][0]);
      return {kStops[i - 1][1] + (kStops[i][1] - kStops[i - 1][1]) * t,
              kStops[i - 1][2] + (kStops[i][2] - kStops[i - 1][2]) * t,
              kStops[i - 1][3] + (kStops[i][3] - kStops[i - 1][3]) * t};
    }
  }
  return {kStops.back()[1], kStops.back()[2], kStops.back()[3]};
}

constexpr double kHaloReach = 1.5;

// The light of one blob at a point: hottest in the middle, soft at the rim.
Colour BlobLight(const Blob& Blob, double X, double Y) {
  const double dx = X - Blob.x;
  const double dy = Y - Blob.y;
  const double d2 = dx * dx + dy * dy;
  const double reach = Blob.radius * kHaloReach;
  if (d2 >= reach * reach) return {};
  const double t = std::sqrt(d2) / Blob.radius;
  // A dim red glow around the fire, which the fire's soft rim fades into.
  const double glow = std::min(1.0, (kHaloReach - t) / (kHaloReach - 1.0)) * 0.4 * Blob.brightness;
  const Colour halo = {200 * glow, 40 * glow, 10 * glow};
  if (t >= 1.0) return halo;
  const Colour c = FireColour(Blob.heat * (1.0 - 0.55 * t * t));
  const double edge = std::min(1.0, (1.0 - t) * 3.0) * Blob.brightness;
  return {std::max(c.r * edge, halo.r), std::max(c.g * edge, halo.g), std::max(c.b * edge, halo.b)};
}

std::vector<Blob> ExplosionBlobs(const ExplosionFrame& F) {
  constexpr double kCentreX = kExplosionFrameWidth / 2.0;
  constexpr double kCentreY = kExplosionFrameHeight / 2.0;
  std::vector<Blob> blobs;
  if (F.core_radius > 0) blobs.push_back({kCentreX, kCentreY, F.core_radius, F.core_heat, 1.0});
  if (F.blob_radius > 0) {
    for (std::size_t k = 0; k < kDirections.size(); ++k) {
      double dx = kDirections[k][0];
      double dy = kDirections[k][1];
      if (dx != 0 && dy != 0) {
        // Diagonal blobs drift from the circle towards the frame's corners.
        const double m = kDiagonal + (1.0 - kDiagonal) * F.squareness;
        dx = dx > 0 ? m : -m;
        dy = dy > 0 ? m : -m;
      }
      // Every other blob a little smaller, so the ring does not look machined.
      const double radius = F.blob_radius * (k % 2 == 0 ? 1.0 : 0.85);
      blobs.push_back({kCentreX + dx * F.reach_x, kCentreY + dy * F.reach_y, radius, F.blob_heat,
                       F.brightness});
    }
  }
  return blobs;
}

void DrawExplosionFrame(Image& Sheet, int Frame) {
  const std::vector<Blob> blobs = ExplosionBlobs(kExplosionPlan[Frame]);
  constexpr int kSamples = 4;
  for (int y = 0; y < kExplosionFrameHeight; ++y) {
    for (int x = 0; x < kExplosionFrameWidth; ++x) {
      Colour sum;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double px = x + (sx + 0.5) / kSamples;
          const double py = y + (sy + 0.5) / kSamples;
          // Overlapping blobs show the brightest, so merged fire keeps its shape.
          Colour best;
          for (const Blob& blob : blobs) {
            const Colour c = BlobLight(blob, px, py);
            best = {std::max(best.r, c.r), std::max(best.g, c.g), std::max(best.b, c.b)};
          }
          sum = {sum.r + best.r, sum.g + best.g, sum.b + best.b};
        }
      }
      constexpr double kCount = kSamples * kSamples;
      auto channel = [](double V) {
        return static_cast<uint8_t>(std::clamp(std::lround(V), 0L, 255L));
      };
      Sheet.Set(Frame * kExplosionFrameWidth + x, y,
                {channel(sum.r / kCount), channel(sum.g / kCount), channel(sum.b / kCount)});
    }
  }
}

// ---------------------------------------------------------------- text pictures

constexpr Rgb kGlowGrey{150, 150, 158};
constexpr int kInkLevels = 16;
constexpr int kGlowLevels = 8;

struct LevelChoiceLines {
  Mask heading;
  int heading_top;
  int heading_bottom;
  Mask prompt;
  int prompt_top;
  int prompt_bottom;
};

// A yellow heading with a grey glow, a white prompt and the magenta credit
// line, on the sheet's key colour.
Image ComposeLevelChoice(const LevelChoiceLines& Lines) {
  Image image(kLevelChoiceWidth, kLevelChoiceHeight, kBlack);
  Composite(image, Glow(Lines.heading, 2, 3), 0, 0, kGlowGrey);
  CompositeGradient(image, Lines.heading, {255, 252, 170}, {255, 196, 0}, Lines.heading_top,
                    Lines.heading_bottom);
  CompositeGradient(image, Lines.prompt, {255, 255, 255}, {214, 218, 230}, Lines.prompt_top,
                    Lines.prompt_bottom);

  const int creditTop = 78;
  Mask creditInk(kLevelChoiceWidth, kLevelChoiceHeight);
  DrawText(creditInk, CentredX(kCredit, 1.5, kLevelChoiceWidth), creditTop, kCredit, 1.5);
  // Small text keeps no half-covered pixels: they would be a dim rim on the key.
  for (int y = 0; y < creditInk.height(); ++y) {
    for (int x = 0; x < creditInk.width(); ++x)
      creditInk.Set(x, y, creditInk.Get(x, y) >= 128 ? 255 : 0);
  }
  Composite(image, creditInk, 0, 0, {255, 70, 255});

  image.SnapDarkToKey(kLevelChoiceKey);
  return image;
}

// The two banners, lost above and won below, each with a grey glow; ink and
// glow come from a table of 256 colours.
IndexedImage ComposeBanners(const std::array<Mask, 2>& Inks) {
  const std::array<Rgb, 2> colours = {{{255, 64, 255}, {255, 236, 40}}};
  IndexedImage sheet;
  sheet.width = kBannerWidth;
  sheet.height = 2 * kBannerFrameHeight;
  sheet.indices.assign(static_cast<std::size_t>(sheet.width) * sheet.height, 0);
  // One table entry for every mix of ink and glow the banners use: per frame
  // 16 ink levels by 8 glow levels of that frame's colour, 256 in all.
  sheet.palette.resize(256);
  for (int frame = 0; frame < 2; ++frame) {
    for (int ink = 0; ink < kInkLevels; ++ink) {
      for (int glow = 0; glow < kGlowLevels; ++glow) {
        const Rgb ground = Dim(kGlowGrey, glow * 255 / (kGlowLevels - 1));
        sheet.palette[frame * 128 + ink * kGlowLevels + glow] =
            Mix(ground, colours[frame], ink * 255 / (kInkLevels - 1));
      }
    }
  }
  for (int frame = 0; frame < 2; ++frame) {
    const Mask glow = Glow(Inks[frame], 2, 3);
    for (int y = 0; y < kBannerFrameHeight; ++y) {
      for (int x = 0; x < kBannerWidth; ++x) {
        const int i = (Inks[frame].Get(x, y) * (kInkLevels - 1) + 127) / 255;
        const int g = (glow.Get(x, y) * (kGlowLevels - 1) + 127) / 255;
        int index = frame * 128 + i * kGlowLevels + g;
        // Whatever a 16-bit screen shows as black is the key colour itself.
        if (IsBlackAt565(sheet.palette[index])) index = 0;
        sheet.indices[static_cast<std::size_t>(frame * kBannerFrameHeight + y) * kBannerWidth + x] =
            static_cast<uint8_t>(index);
      }
    }
  }
  return sheet;
}

// ---------------------------------------------------------------- icon

// The jet in its own frame: u runs from tail to nose, v across, both in units
// of 1/sqrt(2) pixel so that turning it by 45 degrees needs no rounding. It is
// symmetric, so each part is given for v >= 0 only.
const std::vector<Point> kFuselage = {{30, 0},  {24, 2},   {14, 2.8}, {-20, 2.8},
                                      {-24, 2}, {-24, -1}, {30, -1}};
const std::vector<Point> kWing = {{10, 2.5}, {-8, 15}, {-13, 15}, {-9, 2.5}};
const std::vector<Point> kTailplane = {{-15, 2.5}, {-21, 8}, {-24, 8}, {-22, 2.5}};
const std::vector<Point> kFlame = {{-24, 1.8}, {-29, 0}, {-24, -1}};

// Which palette colour the jet has at (u, v); 0 outside it.
uint8_t JetColourAt(double U, double V) {
  const double side = std::abs(V);
  const bool lowerHalf = V > 0;  // away from the light
  if (InPolygon(kFuselage, U, side)) {
    const double cu = (U - 16) / 5;
    const double cv = V / 1.6;
    if (cu * cu + cv * cv < 1) return kVgaNavy;
    if (U > -12 && U < -9) return kVgaYellow;
    if (U > 26) return kVgaRed;
    return lowerHalf && side > 1.2 ? kVgaSilver : kVgaWhite;
  }
  if (InPolygon(kWing, U, side)) {
    if (side > 12) return kVgaRed;
    return lowerHalf ? kVgaSilver : kVgaWhite;
  }
  if (InPolygon(kTailplane, U, side)) return side > 6 ? kVgaRed : kVgaWhite;
  if (InPolygon(kFlame, U, side)) return side < 1.0 && U > -27 ? kVgaYellow : kVgaRed;
  return 0;
}

}  // namespace

// ---------------------------------------------------------------- pictures

Image DrawBackground() {
  return Image(1, 1, kBlack);
}

Image DrawLevelChoice(CjkFont& Font) {
  constexpr int kHeadingSize = 28;
  constexpr int kHeadingTop = 3;
  constexpr int kPromptSize = 16;  // the font's bitmap strike
  constexpr int kPromptTop = 45;
  LevelChoiceLines lines{
      Mask(kLevelChoiceWidth, kLevelChoiceHeight), kHeadingTop, kHeadingTop + kHeadingSize,
      Mask(kLevelChoiceWidth, kLevelChoiceHeight), kPromptTop,  kPromptTop + kPromptSize};
  // "Choose level (0-9)" and "Press a digit key (0 - 9)".
  Font.DrawCentred(lines.heading, kHeadingTop, "\u9009\u62e9\u7ea7\u522b (0-9)", kHeadingSize);
  Font.DrawCentred(lines.prompt, kPromptTop, "\u8bf7\u6309\u6570\u5b57\u952e (0 - 9)", kPromptSize);
  return ComposeLevelChoice(lines);
}

Image DrawEnglishLevelChoice() {
  constexpr double kHeadingScale = 3;
  constexpr int kHeadingTop = 5;
  constexpr double kPromptScale = 2;
  constexpr int kPromptTop = 42;
  LevelChoiceLines lines{
      Mask(kLevelChoiceWidth, kLevelChoiceHeight), kHeadingTop, kHeadingTop + 7 * 3,
      Mask(kLevelChoiceWidth, kLevelChoiceHeight), kPromptTop,  kPromptTop + 7 * 2};
  const std::string heading = "Choose Level(0-9)";
  DrawText(lines.heading, CentredX(heading, kHeadingScale, kLevelChoiceWidth), kHeadingTop, heading,
           kHeadingScale);
  const std::string prompt = "Press number key (0 - 9)";
  DrawText(lines.prompt, CentredX(prompt, kPromptScale, kLevelChoiceWidth), kPromptTop, prompt,
           kPromptScale);
  return ComposeLevelChoice(lines);
}

Image DrawBuildingSheet() {
  Image sheet(kBuildingStyles * kBuildingCell, kBlockKinds * kBuildingCell, kBlack);
  for (int style = 0; style < kBuildingStyles; ++style) {
    const int x = style * kBuildingCell;
    const BuildingStyle& s = kStyles[style];
    DrawStyleArt(sheet, x, 0, kRoofs[style], s);
    DrawStyleArt(sheet, x, kBuildingCell / 2, kRoofStoreyBase, s);
    DrawStyleArt(sheet, x, kBuildingCell, kPlainStorey, s);
    DrawStyleArt(sheet, x, 2 * kBuildingCell, kRuinedStorey, s);
  }
  return sheet;
}

Image DrawPlaneSheet() {
  Image sheet(2 * kPlaneFrameWidth, kPlaneFrameHeight, kBlack);
  DrawPixelArt(sheet, 0, 0, kPlaneBody, kPlaneLegend);
  DrawPixelArt(sheet, kPlaneFrameWidth, 0, kPlaneBody, kPlaneLegend);
  DrawPixelArt(sheet, kPlaneFrameWidth, static_cast<int>(kPlaneBody.size()), kPlaneGear,
               kPlaneLegend);
  return sheet;
}

Image DrawExplosionSheet() {
  Image sheet(kExplosionFrames * kExplosionFrameWidth, kExplosionFrameHeight, kBlack);
  for (int frame = 0; frame < kExplosionFrames; ++frame) DrawExplosionFrame(sheet, frame);
  // The fire fades out into the key colour, not into a dark rim that the key
  // would keep and that would smudge a building behind it.
  constexpr int kDimmest = 48;
  for (int y = 0; y < sheet.height(); ++y) {
    for (int x = 0; x < sheet.width(); ++x) {
      const Rgb c = sheet.Get(x, y);
      if (std::max({c.r, c.g, c.b}) < kDimmest) sheet.Set(x, y, kBlack);
    }
  }
  return sheet;
}

Image DrawBombSheet() {
  Image sheet(kBombSize, kBombSize, kBlack);
  DrawPixelArt(sheet, 0, 0, kBomb, kBombLegend);
  return sheet;
}

IndexedImage DrawBannerSheet(CjkFont& Font) {
  constexpr int kSize = 36;
  constexpr int kTop = (kBannerFrameHeight - kSize) / 2;
  // "Plane crashed" and "mission complete".
  const std::array<const char*, 2> lines = {"\u98de\u673a\u5760\u6bc1", "\u4efb\u52a1\u5b8c\u6210"};
  std::array<Mask, 2> inks;
  for (int frame = 0; frame < 2; ++frame) {
    inks[frame] = Mask(kBannerWidth, kBannerFrameHeight);
    Font.DrawCentred(inks[frame], kTop, lines[frame], kSize);
  }
  return ComposeBanners(inks);
}

Image DrawEnglishBannerSheet() {
  constexpr double kScale = 3;
  const std::array<const char*, 2> lines = {"Plane Crash", "Victory"};
  std::array<Mask, 2> inks;
  const double top = std::floor((kBannerFrameHeight - 7 * kScale) / 2.0);
  for (int frame = 0; frame < 2; ++frame) {
    inks[frame] = Mask(kBannerWidth, kBannerFrameHeight);
    DrawText(inks[frame], CentredX(lines[frame], kScale, kBannerWidth), top, lines[frame], kScale);
  }
  return ToImage(ComposeBanners(inks));
}

Icon DrawIcon() {
  constexpr int kSize = 32;
  // Where the jet's centre lies; the nose points to the upper right.
  constexpr double kCentreX = 16.5;
  constexpr double kCentreY = 15.5;
  constexpr int kSamples = 4;
  // Jet units per (rotated) pixel unit: a little over 1 keeps it clear of the edges.
  constexpr double kZoom = 1.125;

  Icon icon;
  icon.image.width = kSize;
  icon.image.height = kSize;
  icon.image.palette = kVgaPalette;
  icon.image.indices.assign(kSize * kSize, 0);
  std::vector<bool> inside(kSize * kSize, false);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      std::array<int, 16> votes{};
      int covered = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double dx = x + (sx + 0.5) / kSamples - kCentreX;
          const double dy = y + (sy + 0.5) / kSamples - kCentreY;
          const uint8_t colour = JetColourAt((dx - dy) * kZoom, (dx + dy) * kZoom);
          if (colour != 0) {
            ++votes[colour];
            ++covered;
          }
        }
      }
      if (covered * 2 < kSamples * kSamples) continue;
      const auto best = std::max_element(votes.begin(), votes.end());
      icon.image.indices[y * kSize + x] = static_cast<uint8_t>(best - votes.begin());
      inside[y * kSize + x] = true;
    }
  }
  // A black rim keeps the white jet visible on a light desktop.
  icon.transparent.assign(kSize * kSize, true);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      auto in = [&](int I, int J) {
        return I >= 0 && J >= 0 && I < kSize && J < kSize && inside[J * kSize + I];
      };
      if (in(x, y)) {
        icon.transparent[y * kSize + x] = false;
      } else if (in(x - 1, y) || in(x + 1, y) || in(x, y - 1) || in(x, y + 1)) {
        icon.image.indices[y * kSize + x] = kVgaBlack;
        icon.transparent[y * kSize + x] = false;
      }
    }
  }
  return icon;
}

}  // namespace carpex::assetgen
