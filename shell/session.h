// One game session on an application layer: the form's whole life, written
// once. Making a session binds DirectDraw, creates the form and runs
// FormCreate; ending it runs FormDestroy and unbinds DirectDraw.
// In between it hands out the form's handlers, for the application layer's
// message loop or a replay's script, and the view that tools read.
#pragma once

#include <cstdint>
#include <memory>

#include "assets/sprite_sheets.h"
#include "shell/app.h"
#include "shell/form_view.h"
#include "shell/rounds.h"
#include "world/world.h"

namespace carpex {

class TForm1;

class GameSession {
 public:
  // The level choice and the banners in the language of Pictures.
  explicit GameSession(Application& App, Language Pictures = Language::Chinese);
  ~GameSession();
  GameSession(const GameSession&) = delete;
  GameSession& operator=(const GameSession&) = delete;

  // The form's handlers: the application layer hands the form its events and
  // its idle calls through them.
  FormHandlers& Handlers();
  // What tools read of the form between two frames.
  FormView View() const;
  // FormCreate could not set up the display, and told the application to end.
  bool DisplayFailed() const;

  // Random(n) of the round set-up from Source; nullptr: the game's own generator.
  void SetRandomSource(RandomSource* Source);
  // The game's own generator seeded with Seed instead of the clock.
  void SeedOwnGenerator(uint32_t Seed);
  // Every round from now on on today's city, the day's DailySeed (0: the
  // generator the game had).
  void UseDailyCity(uint32_t Day);
  uint32_t DailyCity() const;
  // Listener hears of every round from now on (a few at most); until removed
  // or the session ends.
  void AddRoundListener(RoundListener* Listener);
  void RemoveRoundListener(RoundListener* Listener);
  // What a round started now would find of the game before it; and the game
  // set so, between two frames (a round replayed alone).
  CarriedState Carried() const;
  void Carry(const CarriedState& State);

 private:
  // The tests' and benchmarks' way in (shell/form_access.h).
  friend class TForm1Access;
  std::unique_ptr<TForm1> form_;
};

}  // namespace carpex
