// The one form of the game: its handlers, the frame loop, the surface set and
// the drawing. The world records live in W; the form is the painter that the
// world's steps call back to repaint a building. A game session (session.h)
// makes it, runs its lifecycle and hands out its handlers.
#pragma once

#include <cstdint>
#include <string>

#include "assets/sprite_sheets.h"
#include "graphics/com_ref.h"
#include "graphics/ddraw_api.h"
#include "shell/app.h"
#include "shell/form_view.h"
#include "shell/rounds.h"
#include "world/world.h"

namespace carpex {

class TForm1 final : public Painter, public FormHandlers {
 public:
  ~TForm1() override = default;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // --- The application layer's calls, between two frames --------------------
  // Each event goes to the handler the form description names for it.
  void Handle(const FormEvent& Event) override;
  void GameLoop(bool& Done) override;

 private:
  // The one way to make the form and run its lifecycle.
  friend class GameSession;
  // The tests' and benchmarks' way in (form_access.h).
  friend class TForm1Access;

  explicit TForm1(Application& App);
  // Ends the application when the display cannot be set up (DisplayFailed).
  void FormCreate();
  void FormDestroy();
  // --- Handlers -------------------------------------------------------------
  void FormKeyPress(uint8_t& Key);
  void FormKeyDown(uint16_t& Key);
  void FormKeyUp(uint16_t& Key);
  void Timer1Timer();
  void ApplicationEvents1Deactivate();
  void ApplicationEvents1Restore();
  // The player pauses a round (or goes on with it): the frames stop as when
  // the application is switched away from, but nothing is minimised.
  void PauseRound();
  // The player's speed: the frames further apart, the steps the same.
  void ChangeSpeed(uint16_t Percent);
  void LeaveExclusiveDisplay();
  void FormClose();
  // The form's Close: asks FormClose, then ends the application (main form).
  void Close();

  void StartRound(uint8_t Level);

  // --- Rounds, as the game tells them ---------------------------------------
  static constexpr int kMaxRoundListeners = 4;
  void AddRoundListener(RoundListener* Listener);
  void RemoveRoundListener(RoundListener* Listener);
  // What a round finds of the game before it (and sets it so, for a round
  // replayed alone).
  CarriedState Carried() const;
  void Carry(const CarriedState& State);
  // The frame that has just run decided the round; Escape left or closed it.
  void TellRoundEnded(RoundOutcome Outcome);
  void TellRoundClosed();
  // Replaces the random source (tests and the replay tool queue values).
  void SetRandomSource(RandomSource* Source) { Rng = Source != nullptr ? Source : &OwnRandom; }
  // What the tools read: the trace line, the recorder, the replay's display.
  FormView View() const;

  // --- The surface set and the pictures -------------------------------------
  // The set-up chain for the application's presentation; false when one of
  // its first six steps failed, with *Refused set when the failed step was one
  // that takes the display exclusively.
  bool SetUpDisplay(bool* Refused);
  // Steps 2 to 5: the display taken whole with its flipping chain, or the
  // desktop shared with a back buffer of the game's own.
  bool TakeDisplay();
  bool ShareDesktop();
  // FormCreate's set-up: the exclusive display refused, the game goes on in a
  // window where the application has one.
  bool OpenDisplay();
  // The format of the off-screen surfaces: the display's own (nullptr), or
  // the game's own in a window.
  const DDPIXELFORMAT* SurfaceFormat() const;
  void EmptySurfaceSet();
  // A screen-sized surface holding the background picture; false when the
  // surface could not be made.
  bool MakeBackground(Ref<IDirectDrawSurface7>& Background);
  // StartRound's new play-field background; false when its surface could not be made.
  bool RebuildPlayField();
  void LoadSprite(const char* Name, Ref<IDirectDrawSurface7>& Sheet);
  void ReportError(HRESULT Code, const char* Where);
  // The level choice and the banners in this language: chosen before
  // FormCreate, or changed between two frames, when the sheets take the other
  // pictures at once (or, lost with the display, when it comes back).
  void UsePictures(Language Chosen);

  // --- Drawing --------------------------------------------------------------
  // Each returns true when the frame was abandoned.
  bool DrawLevelChoice();
  bool DrawPlaying() override;
  bool DrawRoundOver() override;
  bool FlipFrame();
  void DrawCity();
  void DrawBuilding(uint16_t Index) override;
  bool EraseBuildingStrip(int32_t Index) override;
  bool DrawPlane();
  bool DrawSprite(IDirectDrawSurface7* Sheet, TPoint Pos, const TRect& Src, TRect* OwnerSrcRect);
  static TRect ClipToScreen(const TRect& Src, TPoint Pos);
  static TPoint ClampPosition(TPoint Pos);
  // One blit under the lost-surface rule; true when the work must be abandoned.
  // An empty surface field draws nothing.
  bool Blit(IDirectDrawSurface7* Dest, int32_t X, int32_t Y, IDirectDrawSurface7* Source,
            const TRect* SrcRect, DWORD Flags);

  // --- Recovery -------------------------------------------------------------
  HRESULT RestoreAll();

  // --- Game variables -------------------------------------------------------
  World W;
  uint8_t Active = 0;
  // Why the frames stop: the application switched away from (and not
  // restored yet), the round paused by the player. Active is 0 while either is.
  bool Away = false;
  bool Paused = false;
  uint16_t Speed = 100;
  uint16_t FrameCount = 0;
  uint16_t FramesPerSecond = 0;
  int8_t FpsShown = 0;
  std::string Caption;         // from the form description, as the window's
  bool DisplayFailed = false;  // FormCreate could not set up the display
  // The display shares the desktop: the frame is handed to the application
  // instead of flipped, and the surfaces have a format of their own.
  bool Windowed = false;

  // --- The surface set, in declaration order --------------------------------
  Ref<IDirectDraw7> DirectDrawDevice;
  Ref<IDirectDrawSurface7> PrimarySurface;
  Ref<IDirectDrawSurface7> BackBuffer;
  Ref<IDirectDrawSurface7> CleanBackground;
  Ref<IDirectDrawSurface7> PlayFieldBackground;
  // LevelChoiceSheet, BuildingSheet, PlaneSheet, ExplosionSheet, BombSheet and
  // BannerSheet, from the table of the sprite sheets.
#define CARPEX_SHEET_FIELD(Field, Resource, English) Ref<IDirectDrawSurface7> Field;
  CARPEX_SPRITE_SHEETS(CARPEX_SHEET_FIELD)
#undef CARPEX_SHEET_FIELD

  // The sprite sheets' fields with their pictures, in loading order.
  struct SpriteSheet {
    Ref<IDirectDrawSurface7> TForm1::*Field;
    const char* Resource;
    const char* English;
  };
  static const SpriteSheet kSpriteSheets[kSpriteSheetCount];
  // The sheet's picture in the language chosen.
  const char* PictureOf(const SpriteSheet& Sheet) const {
    return Pictures == Language::English ? Sheet.English : Sheet.Resource;
  }
  Language Pictures = Language::Chinese;

  int32_t LevelChoiceX = 0;
  int32_t LevelChoiceY = 0;
  int32_t LastFrameCount = 0;
  int32_t LevelChoiceWidth = 0;
  int32_t LevelChoiceHeight = 0;
  Application& App;
  GameRandom OwnRandom;
  RandomSource* Rng = &OwnRandom;
  // Today's city: each round drawn from a generator seeded afresh with the day (0: none).
  uint32_t DailySeed = 0;
  GameRandom Daily;
  // The round set-up's random values go through Noting, which notes them for
  // the round's start.
  class NotingRandom final : public RandomSource {
   public:
    int32_t Random(int32_t N) override;
    RandomSource* Source = nullptr;
    RoundStart* Into = nullptr;
  };
  NotingRandom Noting;
  RoundStart Starting;
  RoundListener* RoundListeners[kMaxRoundListeners] = {};
  bool InRound = false;       // from a digit to the Escape that goes back
  bool RoundDecided = false;  // won or lost
  RoundEnd RoundSoFar;
  int RestoreDepth = 0;
  // DrawCity calls in progress (nested through RestoreAll). While a round starts the
  // new play-field background is in use although GameState is still 1, so a loss
  // then must bring it back too, or every block still to draw would meet it lost.
  int CityDrawingDepth = 0;
};

}  // namespace carpex
