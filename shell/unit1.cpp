#include "shell/unit1.h"

#include <cstdio>

#include "assets/form_description.h"

namespace carpex {

TForm1::TForm1(Application& App) : Caption(CarriedForm().Caption), App(App) {}

void TForm1::Handle(const FormEvent& Event) {
  uint8_t character = static_cast<uint8_t>(Event.key);
  uint16_t key = Event.key;
  switch (Event.kind) {
    case FormEvent::Char:
      FormKeyPress(character);
      break;
    case FormEvent::KeyDown:
      FormKeyDown(key);
      break;
    case FormEvent::KeyUp:
      FormKeyUp(key);
      break;
    case FormEvent::Tick:
      Timer1Timer();
      break;
    case FormEvent::Deactivate:
      ApplicationEvents1Deactivate();
      break;
    case FormEvent::Restore:
      ApplicationEvents1Restore();
      break;
    case FormEvent::Language:
      UsePictures(Event.key == 1 ? Language::English : Language::Chinese);
      break;
    case FormEvent::Pause:
      PauseRound();
      break;
    case FormEvent::Speed:
      ChangeSpeed(Event.key);
      break;
    case FormEvent::LeaveExclusive:
      LeaveExclusiveDisplay();
      break;
  }
}

FormView TForm1::View() const {
  return {W,
          Active,
          Paused,
          Pictures,
          FrameCount,
          FramesPerSecond,
          FpsShown,
          DirectDrawDevice.Get(),
          PrimarySurface.Get(),
          Speed};
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

int32_t TForm1::NotingRandom::Random(int32_t N) {
  const int32_t value = Source->Random(N);
  if (Into != nullptr && Into->ValueCount < kCityValues) {
    Into->Values[Into->ValueCount++] = static_cast<uint32_t>(value);
  }
  return value;
}

void TForm1::AddRoundListener(RoundListener* Listener) {
  for (RoundListener*& slot : RoundListeners) {
    if (slot == nullptr || slot == Listener) {
      slot = Listener;
      return;
    }
  }
}

void TForm1::RemoveRoundListener(RoundListener* Listener) {
  for (RoundListener*& slot : RoundListeners) {
    if (slot == Listener) slot = nullptr;
  }
}

CarriedState TForm1::Carried() const {
  CarriedState state;
  state.Active = Active;
  state.FrameCount = FrameCount;
  state.FramesPerSecond = FramesPerSecond;
  state.FpsShown = FpsShown;
  state.BombX = W.Bomb.X;
  state.BombY = W.Bomb.Y;
  state.BombCol = W.Bomb.Col;
  state.BombRow = W.Bomb.Row;
  state.BannerX = W.ResultBanner.X;
  state.BannerY = W.ResultBanner.Y;
  for (int32_t i = 1; i <= kStrikeSlots; ++i) state.StrikeTimers[i - 1] = W.Strikes[i].Timer;
  return state;
}

void TForm1::Carry(const CarriedState& State) {
  Active = State.Active != 0 ? 1 : 0;
  // A game found inactive was switched away from: a restore brings it back.
  Away = Active == 0;
  FrameCount = State.FrameCount;
  FramesPerSecond = State.FramesPerSecond;
  FpsShown = State.FpsShown >= 1 ? 1 : -1;
  W.Bomb.X = State.BombX;
  W.Bomb.Y = State.BombY;
  W.Bomb.Col = State.BombCol;
  W.Bomb.Row = State.BombRow;
  W.ResultBanner.X = State.BannerX;
  W.ResultBanner.Y = State.BannerY;
  for (int32_t i = 1; i <= kStrikeSlots; ++i) W.Strikes[i].Timer = State.StrikeTimers[i - 1];
}

void TForm1::TellRoundEnded(RoundOutcome Outcome) {
  RoundDecided = true;
  RoundSoFar.Outcome = Outcome;
  for (RoundListener* listener : RoundListeners) {
    if (listener != nullptr) listener->RoundEnded(RoundSoFar);
  }
}

void TForm1::TellRoundClosed() {
  InRound = false;
  for (RoundListener* listener : RoundListeners) {
    if (listener != nullptr) listener->RoundClosed();
  }
}

void TForm1::FormClose() {
  App.Hide();
}

void TForm1::Close() {
  FormClose();
  App.Terminate();
}

void TForm1::StartRound(uint8_t Level) {
  Noting.Source = Rng;
  if (DailySeed != 0) {
    Daily.Seed(DailySeed);
    Noting.Source = &Daily;
  }
  Noting.Into = &Starting;
  Starting.ValueCount = 0;
  GenerateCity(W, Level, Noting);
  Noting.Into = nullptr;
  if (!RebuildPlayField()) return;
  DrawCity();
  ResetMovers(W);
}

void TForm1::FormKeyPress(uint8_t& Key) {
  if (W.GameState == kLevelChoice) {
    if (Key == kCharEscape) {
      Close();
    } else if (Key >= kCharZero && Key <= kCharNine) {
      Starting.Carried = Carried();
      W.Level = static_cast<uint8_t>(Key - kCharZero);
      StartRound(W.Level);
      W.GameState = kPlaying;
      Starting.Level = W.Level;
      Starting.Pictures = Pictures;
      Starting.Daily = DailySeed;
      Starting.Speed = Speed;
      InRound = true;
      RoundDecided = false;
      RoundSoFar = RoundEnd{};
      for (RoundListener* listener : RoundListeners) {
        if (listener != nullptr) listener->RoundStarted(Starting);
      }
    }
  } else if (W.GameState == kPlaying || W.GameState == kRoundOver) {
    if (Key == kCharEscape) {
      if (!RoundDecided) TellRoundEnded(RoundOutcome::Left);
      TellRoundClosed();
      W.GameState = kLevelChoice;
      // A paused round left: the level screen is not paused.
      if (Paused) {
        Paused = false;
        Active = Away ? 0 : 1;
      }
    }
  }
  if (Key == kCharLowerF) FpsShown = static_cast<int8_t>(-FpsShown);
}

void TForm1::FormKeyDown(uint16_t& Key) {
  // No bomb is released in a paused round; its key going up is still seen.
  if (Paused) return;
  const bool held = W.Bomb.State == kBombReleased;
  carpex::FormKeyDown(W, Key);
  if (!held && W.Bomb.State == kBombReleased) ++RoundSoFar.Bombs;
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
  Away = true;
  Active = 0;
}

void TForm1::ApplicationEvents1Restore() {
  App.Maximize();
  Away = false;
  // A round the player paused stays paused when the game comes back.
  Active = Paused ? 0 : 1;
}

void TForm1::PauseRound() {
  if (W.GameState != kPlaying && W.GameState != kRoundOver) return;
  Paused = !Paused;
  Active = Away || Paused ? 0 : 1;
}

void TForm1::ChangeSpeed(uint16_t Percent) {
  if (!IsSpeed(Percent)) return;
  Speed = Percent;
  App.SetSpeed(Speed);
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
  } else {
    const bool playing = W.GameState == kPlaying;
    const bool abandoned = AdvanceFrame(W, *this);
    if (playing && InRound && !RoundDecided) {
      ++RoundSoFar.Frames;
      if (W.GameState == kRoundOver) {
        TellRoundEnded(W.ResultBanner.Frame == kBannerWon ? RoundOutcome::Won : RoundOutcome::Lost);
      }
    }
    if (abandoned) return;
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
