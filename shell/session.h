// One game session on an application layer: the form's whole life, written
// once. Making a session binds DirectDraw, creates the form (Form1) and runs
// FormCreate; ending it runs FormDestroy, clears Form1 and unbinds DirectDraw.
// In between it hands out the form's handlers, for the application layer's
// message loop or a replay's script, and the view that tools read.
#pragma once

#include <cstdint>
#include <memory>

#include "assets/sprite_sheets.h"
#include "shell/app.h"
#include "shell/form_view.h"
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
  // The level choice and the banners from now on in Chosen's pictures (between
  // two frames).
  void UsePictures(Language Chosen);

 private:
  // The tests' and benchmarks' way in (shell/form_access.h).
  friend class TForm1Access;
  std::unique_ptr<TForm1> form_;
};

}  // namespace carpex
