// The world of one round: the city, the plane, the bomb, the demolitions, the
// explosions and the result banner, as plain fixed-size records, and the steps
// that advance them once per frame. Nothing here knows about windows or
// surfaces; the steps reach the picture only through the Painter below.
#pragma once

#include <cstdint>

#include "world/keys.h"
#include "world/sprites.h"

namespace carpex {

// Screen and grid geometry.
inline constexpr int32_t kScreenWidth = 640;
inline constexpr int32_t kScreenHeight = 480;
// The grid's cells are the buildings' blocks.
inline constexpr int32_t kCell = kBuildingCell;
inline constexpr int32_t kGridColumns = 40;
inline constexpr int32_t kGridRows = 30;
// A city's buildings stand in columns 1 to 38; columns 0 and 39 stay empty.
inline constexpr int32_t kCityBuildings = kGridColumns - 2;
inline constexpr int32_t kMaxBuildings = 40;
inline constexpr int32_t kBlocksPerBuilding = 30;
inline constexpr int32_t kExplosionSlots = 50;
inline constexpr int32_t kStrikeSlots = 10;

// True when (Col, Row) names a cell of Grid.
inline constexpr bool InGrid(int32_t Col, int32_t Row) {
  return Col >= 0 && Col < kGridColumns && Row >= 0 && Row < kGridRows;
}

// The codes of the records' state fields: each a type of its own, at its
// field's width, its values named in the namespace.

enum class TGameState : uint8_t { kLevelChoice = 1, kPlaying = 2, kRoundOver = 3 };
using enum TGameState;

// The row of the building sheet.
enum class TBlockKind : uint8_t { kBlockRoof = 0, kBlockStorey = 1, kBlockRuined = 2 };
using enum TBlockKind;

// Hit while playing; landed once the round is over.
enum class TPlaneMode : uint8_t {
  kPlaneGone = 0,
  kPlaneFlying = 1,
  kPlaneRowEnd = 2,
  kPlaneHitOrLanded = 3
};
using enum TPlaneMode;

// The frame of the plane sheet.
enum class TPlaneFrame : uint8_t { kPlaneCruising = 0, kPlaneWheelsDown = 1 };
using enum TPlaneFrame;

enum class TExplosionState : uint8_t {
  kExplosionFree = 0,
  kExplosionStarted = 1,
  kExplosionRunning = 2
};
using enum TExplosionState;

enum class TStrikeState : int32_t { kStrikeFree = 0, kStrikeRemoveBlock = 1, kStrikeWaiting = 2 };
using enum TStrikeState;

// At the bottom edge the bomb explodes in the same frame.
enum class TBombState : uint8_t {
  kBombNone = 0,
  kBombReleased = 1,
  kBombFalling = 2,
  kBombAtBottom = 3
};
using enum TBombState;

// The frame of the banner sheet.
enum class TBannerFrame : uint8_t { kBannerLost = 0, kBannerWon = 1 };
using enum TBannerFrame;

// Four Integers, Right and Bottom exclusive; the same layout as a Windows RECT.
struct TRect {
  int32_t Left;
  int32_t Top;
  int32_t Right;
  int32_t Bottom;
};

struct TPoint {
  int32_t X;
  int32_t Y;
};

struct TBlock {
  TBlockKind Kind;
  uint8_t Size;
  int32_t X;
  int32_t Y;
  TRect SrcRect;
  TRect* SrcRectPtr;
};

struct TBuilding {
  int8_t Style;
  int8_t Height;
  uint8_t Width;
  uint16_t X;
  TBlock Blocks[kBlocksPerBuilding + 1];  // 1-based: Blocks[1] is the bottom storey
};

struct TPlane {
  int32_t X, Y;
  int32_t WrapX, WrapY;
  int32_t Col, Row;
  int32_t Width, Height;
  TPlaneFrame Frame;
  TPlaneMode Mode;
  uint8_t Step;
  TRect SrcRect;
  TRect* SrcRectPtr;
};

struct TExplosion {
  int32_t X, Y;
  uint8_t FrameWidth;
  uint8_t FrameHeight;
  uint8_t Frame;
  uint8_t LastFrame;
  TExplosionState State;
  TRect SrcRect;
  TRect* SrcRectPtr;
};

struct TStrike {
  TStrikeState State;
  int32_t Limit;
  int32_t Removed;
  int32_t Delay;
  int32_t Timer;
  int32_t X, Y;
  int32_t Building;
  int32_t Block;
};

struct TBomb {
  int32_t X, Y;
  int32_t Col, Row;
  uint8_t Height;
  uint8_t Width;
  TBombState State;
  uint8_t Step;
  uint8_t KeyHeld;
};

struct TResultBanner {
  int32_t X, Y;
  uint16_t Width;
  uint16_t Height;
  TBannerFrame Frame;
  TRect SrcRect;
  TRect* SrcRectPtr;
};

// Every record of the round, zero-initialised, slots numbered from 1 (index 0 unused).
struct World {
  World() = default;
  // The records point into themselves (SrcRectPtr), so a copy would point into the original.
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  TGameState GameState{};
  uint8_t Level = 0;
  int32_t BuildingCount = 0;
  uint8_t StyleCount = 0;
  int32_t BlocksLeft = 0;
  uint8_t Crashed = 0;

  TBuilding Buildings[kMaxBuildings + 1] = {};
  uint8_t Grid[kGridColumns][kGridRows] = {};  // column first
  TPlane Plane = {};
  TBomb Bomb = {};
  TStrike Strikes[kStrikeSlots + 1] = {};
  TExplosion Explosions[kExplosionSlots + 1] = {};
  TResultBanner ResultBanner = {};

  // A number no other city has had, new whenever a building's height or a
  // block's kind changes (CityChanged): what was made of the city, such as a
  // trace's text of it, holds while the number stays. 0: no city yet.
  uint64_t CityVersion = 0;
};

// Random(n): a uniform integer 0..n-1.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual int32_t Random(int32_t N) = 0;
};

// Today's city: every round of a day is set up from the game's own generator
// seeded afresh with the day's number, YYYYMMDD (20261209), so that a level's
// city is the same for every player on every platform that day. 0 for a day
// that is none (13 months, 31 February, before year 1).
uint32_t DailySeed(int Year, int Month, int Day);

// The game's own generator: PCG32, so that a seed gives the same city everywhere.
class GameRandom final : public RandomSource {
 public:
  explicit GameRandom(uint32_t InitialSeed = 0) { Seed(InitialSeed); }
  void Seed(uint32_t Value);
  int32_t Random(int32_t N) override;

 private:
  uint32_t Next();
  uint64_t state_ = 0;
};

// What the steps need from the picture: the repaint of one building's column in
// the play-field background.
class Painter {
 public:
  virtual ~Painter() = default;
  // Copies the clean strip under building Index over the play-field background.
  // Returns true when the frame had to be abandoned (a lost surface that could
  // not be restored); the caller then ends the frame at once.
  virtual bool EraseBuildingStrip(int32_t Index) = 0;
  // Draws the standing blocks of building Index; a failure here only ends the
  // drawing of that building.
  virtual void DrawBuilding(uint16_t Index) = 0;
  // The picture of each state, composed after that state's steps. Each returns
  // true when the frame was abandoned.
  virtual bool DrawPlaying() = 0;
  virtual bool DrawRoundOver() = 0;
};

// Where an explosion is centred.
struct ExplosionAnchor {
  enum class Kind : uint8_t { Cell, Block, Bomb } kind;
  int32_t a, b;  // Cell: column, row. Block: top-left x, y. Bomb: top-left x, y.
  int32_t w, h;  // Bomb only: width and height of the bomb.
  static ExplosionAnchor AtCell(int32_t C, int32_t R) { return {Kind::Cell, C, R, 0, 0}; }
  static ExplosionAnchor AtBlock(int32_t X, int32_t Y) { return {Kind::Block, X, Y, 0, 0}; }
  static ExplosionAnchor AtBomb(int32_t X, int32_t Y, int32_t W, int32_t H) {
    return {Kind::Bomb, X, Y, W, H};
  }
};

// One frame of a round, playing or over: each state's steps in their order, then
// its picture. Returns true when the frame was abandoned.
bool AdvanceFrame(World& W, Painter& Picture);

// Trunc(level * 2.4) + 1.
uint8_t MinHeightForLevel(uint8_t Level);

// Round set-up, the parts that need no display: the city, Grid and BlocksLeft.
void GenerateCity(World& W, uint8_t Level, RandomSource& Rng);
// A building's height or a block's kind changed: a new CityVersion.
void CityChanged(World& W);
// Round set-up: the plane, explosions, bomb, strikes and banner back to their start.
void ResetMovers(World& W);

// The plane. Each returns true when the frame was abandoned.
bool MovePlane(World& W, Painter& Picture);
bool CrashPlane(World& W, Painter& Picture);
void UpdatePlaneCell(World& W);

// Explosions and the round's outcome.
void StartExplosion(World& W, const ExplosionAnchor& Anchor);
void AdvanceExplosions(World& W);
void PlaceResultBanner(World& W);

// The bomb and the demolitions.
void FormKeyDown(World& W, uint16_t Key);
void FormKeyUp(World& W, uint16_t Key);
void MoveBomb(World& W);
void StartStrike(World& W, int32_t Col, int32_t Row);
bool AdvanceStrikes(World& W, Painter& Picture);

// Where each sprite's picture sits on its sheet: the block's column of its
// building's style and the row of its kind, the plane's and the explosion's
// frame.
TRect BlockSrcRect(const TBuilding& B, const TBlock& K);
TRect PlaneSrcRect(const TPlane& P);
TRect ExplosionSrcRect(const TExplosion& E);

// Count of non-zero Grid cells.
int32_t CountGridCells(const World& W);

// Checks the invariants that hold between any two frames. Returns nullptr when
// they hold, otherwise a short description of the first one broken.
const char* CheckInvariants(const World& W);

}  // namespace carpex
