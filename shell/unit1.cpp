#include "shell/unit1.h"

#include <cstdio>

#include "assets/form_description.h"

namespace carpex {

TForm1* Form1 = nullptr;

namespace {
constexpr uint8_t kCharEscape = 27;
constexpr uint8_t kCharZero = 48;
constexpr uint8_t kCharNine = 57;
constexpr uint8_t kCharLowerF = 102;
constexpr uint32_t kFrameSleepMs = 16;
}  // namespace

TForm1::TForm1(Application& App) : Caption(CarriedForm().Caption), App(App) {}

FormView TForm1::View() const {
  return {W,
          Active,
          FrameCount,
          FramesPerSecond,
          FpsShown,
          DirectDrawDevice.Get(),
          PrimarySurface.Get()};
}

void TForm1::FormCreate() {
  OwnRandom.Seed(App.ClockSeed());
  // GameLoop is installed as the idle handler by the application layer's Run.
  Active = 1;
  W.GameState = kLevelChoice;
  EmptySurfaceSet();
  FramesPerSecond = 0;
  FpsShown = -1;
  // Without a display there is nothing to play: the player has seen the message,
  // and the program ends instead of running on with empty surfaces.
  DisplayFailed = !OpenDisplay();
  if (DisplayFailed) App.Terminate();
}

void TForm1::FormClose() {
  App.Hide();
}

void TForm1::Close() {
  FormClose();
  App.Terminate();
}

void TForm1::StartRound(uint8_t Level) {
  GenerateCity(W, Level, *Rng);
  if (!RebuildPlayField()) return;
  DrawCity();
  ResetMovers(W);
}

void TForm1::FormKeyPress(uint8_t& Key) {
  if (W.GameState == kLevelChoice) {
    if (Key == kCharEscape) {
      Close();
    } else if (Key >= kCharZero && Key <= kCharNine) {
      W.Level = static_cast<uint8_t>(Key - kCharZero);
      StartRound(W.Level);
      W.GameState = kPlaying;
    }
  } else if (W.GameState == kPlaying || W.GameState == kRoundOver) {
    if (Key == kCharEscape) W.GameState = kLevelChoice;
  }
  if (Key == kCharLowerF) FpsShown = static_cast<int8_t>(-FpsShown);
}

void TForm1::FormKeyDown(uint16_t& Key) {
  carpex::FormKeyDown(W, Key);
}

void TForm1::FormKeyUp(uint16_t& Key) {
  carpex::FormKeyUp(W, Key);
}

void TForm1::Timer1Timer() {
  FramesPerSecond = FrameCount;
  FrameCount = 0;
}

void TForm1::ApplicationEvents1Deactivate() {
  App.Minimize();
  Active = 0;
}

void TForm1::ApplicationEvents1Restore() {
  App.Maximize();
  Active = 1;
}

void TForm1::LeaveExclusiveDisplay() {
  if (Windowed || !DirectDrawDevice || DisplayFailed) return;
  EmptySurfaceSet();
  App.LeaveExclusive(false);
  if (!SetUpDisplay(nullptr)) {
    DisplayFailed = true;
    App.Terminate();
    return;
  }
  // The round goes on: its background comes back with the city as it stands.
  if ((W.GameState == kPlaying || W.GameState == kRoundOver) && RebuildPlayField()) DrawCity();
}

void TForm1::GameLoop(bool& Done) {
  Done = false;
  App.Sleep(kFrameSleepMs);
  if (Active == 0) return;

  if (W.GameState == kLevelChoice) {
    if (DrawLevelChoice()) return;
  } else if (AdvanceFrame(W, *this)) {
    return;
  }

  if (FlipFrame()) return;
  FrameCount = static_cast<uint16_t>(FrameCount + 1);
  if (FpsShown >= 1) {
    char text[8];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(FramesPerSecond));
    App.WriteText(0, 0, text);
  }
}

}  // namespace carpex
