// The application contract: everything the game needs from the window system
// besides the display. The shell is written against it; each front end in
// platform/ implements it (win32, sdl, web, headless), and its header opens
// with the list of what it implements.
//
// Free of <windows.h>: handles pass as void*, and no name here is one that
// windows.h makes a macro of (as it does TextOut and MessageBox), so that a
// file reads the contract alike whatever else it includes.
#pragma once

#include <cstdint>

#include "shell/form_event.h"

struct IDirectDraw7;
struct IDirectDrawSurface7;

namespace carpex {

// The pace of the game: each frame begins with a sleep of this long, and the
// timer ticks this often.
inline constexpr uint32_t kFrameSleepMs = 16;
inline constexpr uint32_t kTimerIntervalMs = 1000;

// The message box's flags (MessageBoxA's) that the application layer tells apart.
inline constexpr uint32_t kMbIconMask = 0xF0;
inline constexpr uint32_t kMbIconError = 0x10;
inline constexpr uint32_t kMbIconQuestion = 0x20;
inline constexpr uint32_t kMbIconWarning = 0x30;

// How the display shows the game's picture.
enum class Presentation : uint8_t {
  // The display taken whole at 640 x 480 x 16, each frame flipped.
  Exclusive,
  // The desktop left as it is: each frame is handed to the application, which
  // shows it in the game's window (PresentFrame).
  Windowed,
};

// The form as the application layer drives it, always between two idle calls
// (never during one): every event of every kind through Handle, and the idle
// calls through GameLoop.
class FormHandlers {
 public:
  virtual ~FormHandlers() = default;
  virtual void Handle(const FormEvent& Event) = 0;
  // The idle handler: one call per turn of the message loop with no message waiting,
  // repeated for as long as it leaves Done at false.
  virtual void GameLoop(bool& Done) = 0;
  // The program ends now, without its message loop returning: the connection
  // to the display is lost, or the system's session is ending. It may come in
  // the middle of a frame, and the program may be gone as soon as it returns:
  // the one chance to save what must not be lost (a recording). The form
  // itself has nothing to save.
  virtual void ProgramEnding() {}
};

class Application {
 public:
  virtual ~Application() = default;

  // The native window handle that the display's cooperative level is set on
  // (an HWND on Windows; an opaque token elsewhere).
  virtual void* WindowHandle() = 0;

  // Minimises the game's window to the task bar (nothing if it is there already).
  virtual void Minimize() = 0;
  // Shows the game's window maximised, over the whole screen (restoring it from
  // the task bar if it is there). Nothing happens to a window not shown yet.
  virtual void Maximize() = 0;
  // Hides the main form (FormClose).
  virtual void Hide() = 0;
  // The main form was closed: the message loop ends once the queued messages are handled.
  virtual void Terminate() = 0;

  virtual void Sleep(uint32_t Milliseconds) = 0;
  // Text on the window at a pixel position, in the form's font and colours
  // (TextOut on the form's canvas).
  virtual void WriteText(int32_t X, int32_t Y, const char* Text) = 0;
  // A modal message box (MessageBoxA's flags); returns when the player has closed it.
  virtual void ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) = 0;
  // Shows the main form and runs the message loop until the application terminates.
  virtual void Run(FormHandlers& Form) = 0;

  // The low 32 bits of the high-resolution clock (or the tick count).
  virtual uint32_t ClockSeed() = 0;

  // The time between frames from now on, at Percent of the game's speed (one
  // of kSpeeds): the game's own at 100, 100 / Percent times as long below it.
  // The frames themselves stay what they are. Nothing for a layer that sets
  // no pace (the replay tool's).
  virtual void SetSpeed(uint16_t /*Percent*/) {}

  // How the display is to be set up now.
  virtual Presentation DisplayPresentation() { return Presentation::Exclusive; }
  // The form has let the exclusive display go: Refused when the display could
  // not be had, else because the player asked for a window. The application
  // turns its window into one for the windowed presentation and answers true,
  // or false when it has none.
  virtual bool LeaveExclusive(bool /*Refused*/) { return false; }
  // Windowed: shows Frame (the finished 640 x 480 frame) in the window, on the
  // display's Primary surface. True when a surface of the display is lost: the
  // form restores them and asks again, as it would after a failed flip.
  virtual bool PresentFrame(IDirectDraw7* /*Device*/, IDirectDrawSurface7* /*Primary*/,
                            IDirectDrawSurface7* /*Frame*/) {
    return false;
  }
  // The form is about to release its display: whatever the application made
  // on it for presenting goes first.
  virtual void DisplayClosing() {}
};

}  // namespace carpex
