// The window's full-screen state, frame and place on X11, asked of the window
// manager without waiting for its answer. SDL's own calls for these wait for
// the manager each time (about 10 ms for a move or a resize, up to 100 ms for
// full screen, and once more for every restore of a full-screen window from
// the task bar), which stalls the game's loop for frames; the window's new
// size reaches SDL, and the game, through the events that follow.
#pragma once

#include <SDL.h>

#include <memory>

namespace carpex::sdl {

class X11Window {
 public:
  // For a window that SDL shows on X11; nullptr elsewhere (then SDL's own
  // calls do the work).
  static std::unique_ptr<X11Window> For(SDL_Window* Window);
  virtual ~X11Window() = default;

  // Full screen or not. Before the window is first shown (Shown false) this
  // is the state the manager finds when it takes the window on.
  virtual void SetFullScreen(bool On, bool Shown) = 0;
  // A frame that the player can resize down to MinWidth x MinHeight, or no
  // frame and no limits.
  virtual void SetFramed(bool On, int MinWidth, int MinHeight) = 0;
  virtual void Place(const SDL_Rect& Where) = 0;
  // Sends what was asked.
  virtual void Flush() = 0;
};

// How long ago, in milliseconds, the X server took in the key press that
// Event (SDL's window system event) passes on: the server's time is the
// system's monotonic clock, in milliseconds. Negative for any other event,
// and elsewhere than on X11.
double X11KeyPressAge(const SDL_Event& Event);

}  // namespace carpex::sdl
