// The application layer on SDL2: one window showing the software display's
// picture, full screen or framed and resizable (Alt+Enter switches), keyboard,
// game controller and activation events turned into the form's handlers, a
// 1000 ms timer, and the idle-time loop. Switching to another window pauses
// the game and leaves its window where it is: the display was never switched,
// so there is nothing to give back. The steps come sixty a second; where
// drawing is accelerated each picture goes to the screen at a refresh of the
// display, whole.
//
// The application contract (shell/app.h), implemented whole:
//  [x] WindowHandle: the SDL window (the software display needs no more).
//  [x] Minimize: the game paused; the window stays, and no surface is lost.
//  [x] Maximize: back from the task bar, full screen (or the window, after Alt+Enter).
//  [x] Hide, Terminate: the window hidden; the loop ends after what is queued.
//  [x] Sleep: until the next step's tick, sixty a second (common::FramePacer),
//      further apart at a slower speed (SetSpeed); the loop waits for it with
//      the events handled as they come.
//  [x] WriteText: the small pixel font over the picture, until the next flip.
//  [x] ShowMessageBox: SDL's message box, and the text on standard error.
//  [x] Run: the common message loop: keys, game controllers, a click on the
//      picture, the timer, focus and switching away.
//  [x] ClockSeed: SDL's performance counter.
//  [ ] The windowed display (DisplayPresentation and the rest): the software
//      display's picture is shown in the window whatever its presentation.
#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/common/activation.h"
#include "platform/common/controls.h"
#include "platform/common/frame_pacer.h"
#include "platform/common/gamepad.h"
#include "platform/common/layout.h"
#include "platform/common/legend.h"
#include "platform/common/message_loop.h"
#include "platform/common/pace_probe.h"
#include "platform/common/settings.h"
#include "platform/sdl/presenter.h"
#include "platform/sdl/swap_wait.h"
#include "platform/sdl/x11_window.h"
#include "shell/app.h"

namespace soft {
struct PixelView;
}

namespace carpex::sdl {

class SdlApp final : public Application, private common::MessageLoop::Host {
 public:
  // Opens the (hidden) window and its surface, over the whole screen or, when
  // Start says Window, framed at the size it remembers (the picture's if
  // none), and hooks the software display's flips. SDL's video must be
  // initialised. nullptr, with the reason in *Error, when any of it fails.
  static std::unique_ptr<SdlApp> Create(std::string* Error,
                                        const common::Settings& Start = common::Settings{});
  ~SdlApp() override;
  SdlApp(const SdlApp&) = delete;
  SdlApp& operator=(const SdlApp&) = delete;

  void* WindowHandle() override { return window_; }
  void Minimize() override;
  void Maximize() override;
  void Hide() override;
  void Terminate() override { loop_.Terminate(); }
  void Sleep(uint32_t Milliseconds) override;
  void WriteText(int32_t X, int32_t Y, const char* Text) override;
  void ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) override;
  void Run(FormHandlers& Form) override;
  uint32_t ClockSeed() override;
  void SetSpeed(uint16_t Percent) override;

  SDL_Window* Window() const { return window_; }
  // Where the picture sits in the window.
  const common::Placement& PicturePlacement() const { return presenter_.PicturePlacement(); }
  // Switched away from: the game is paused.
  bool Away() const { return activation_.Minimized(); }
  // Full screen, or a window with a frame that the player can resize.
  void SetWindowed(bool Windowed);
  bool Windowed() const { return windowed_; }
  // What to remember of this run: full screen or a window, the window's size,
  // the speed and the player's controls.
  common::Settings Remembered();
  // How many pictures have gone to the screen.
  uint64_t Presents() const { return presents_; }
  // Message boxes are written to standard error only (for tests).
  void SetQuietMessageBoxes(bool Quiet) { quiet_boxes_ = Quiet; }
  // Where the game is, for what the game controllers' buttons mean there.
  void SetGameView(std::function<common::GameView()> View) { view_ = std::move(View); }
  // Where the game keeps records: what the legend says of them (for the
  // level a gamepad would start, at the speed) and what W and C do.
  using RecordsAct = common::Controls::Result::RecordsAct;
  // The level a gamepad or the one switch starts (the one the records shown are of).
  uint8_t LevelChoice() const { return controls_.Choice(); }
  void SetLevelChoice(uint8_t Level) { controls_.SetChoice(Level); }
  void SetRecords(std::function<common::RecordsShown(uint8_t Level, uint16_t Speed)> Shown,
                  std::function<void(RecordsAct, uint8_t Level, uint16_t Speed)> Act);
  // The window's title says Title from now on, whatever the game is doing
  // (what a recording being watched shows); the legend goes.
  void SetTitle(std::string Title);
  // The legend beside or under the picture shows (where there is room for it).
  bool LegendShown() const { return legend_shown_; }
  // The language the game was last seen in (Unseen before it was).
  Language LastLanguage(Language Unseen) const { return language_seen_ ? language_ : Unseen; }

  // The window as the window system has it at this moment: the game is
  // active while the window has the keyboard focus and is not minimised.
  struct WindowState {
    bool Focused = false;
    bool Minimized = false;
  };
  // Where the window's state is read (SDL's view of it unless tests give their own).
  void SetWindowStateSource(std::function<WindowState()> Source) { state_ = std::move(Source); }

 private:
  SdlApp() = default;
  // The loop's host: SDL's events and clock; key-downs and key-ups go to the
  // form at once, a character in a turn of its own after its key-down.
  double Now() override { return static_cast<double>(SDL_GetTicks64()); }
  bool HandleSystemEvent(bool Draining) override;
  // The one switch's holds, before each frame.
  void Sample() override;
  // A focus message's turn: whatever its kind, the window's state as it is now
  // says whether the game has been switched away from or back to.
  void Focus(FormEvent::Kind Kind, FormHandlers& Form) override;
  void AfterFrame() override;
  double UntilFrame() override;
  void Wait(double Milliseconds) override;
  void Ending() override { SDL_PumpEvents(); }
  void HandleEvent(const SDL_Event& Event);
  // A bomb key went down: the probe times the picture that shows its bomb.
  void BombKey(const SDL_Event& Event);
  // The application learns of it now and tells the form between frames; by
  // then more changes may have come, and the state they left is what counts.
  void PostFocus(FormEvent::Kind Kind) { loop_.Post({Kind, 0}); }
  void CloseWindow();
  // The windowed presentation's frame, size and place (Shown: the window is
  // on the screen already, else it is what the manager finds when it maps it).
  void FrameWindow(bool Shown);
  // A renderer that waits for the display's refresh, where drawing is
  // accelerated (or one asked for by name): false when there is none.
  bool UseRenderer();
  // What the picture is composed on: the window's own surface, or the
  // renderer's copy of it.
  SDL_Surface* Target();
  void ScreenSize(int* Width, int* Height);
  // The display's refresh period where the window is, in milliseconds.
  double RefreshMs();
  void OnFlip(const soft::PixelView& Front);
  void Present();
  // Alt+Enter: true when the key event was the switch (or its release).
  bool SwitchKey(const SDL_Event& Event);
  // Game controllers plugged in and out, and their buttons: their events are
  // posted, as the page posts them.
  void HandleController(const SDL_Event& Event);
  // The left button on the picture.
  void HandleClick(const SDL_Event& Event);
  void Post(const common::Controls::Result& Events) { loop_.Post(Events.Events, Events.Count); }
  common::GameView View() const { return view_ ? view_() : common::GameView{}; }
  // The legend and the window's title, when what they say has changed.
  void UpdateLegend();

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_Surface* canvas_ = nullptr;  // the window's picture, which the texture takes
  std::unique_ptr<SwapWait> swap_;
  bool vsync_ = true;  // the renderer's presents wait for the refresh
  common::SystemClock clock_;
  common::FramePacer pacer_{clock_};
  std::unique_ptr<X11Window> x11_;  // null: SDL's own calls
  std::function<WindowState()> state_;
  WindowPresenter presenter_;
  common::MessageLoop loop_;
  // Switched away from or back: no surface is lost, the display was never switched.
  common::Activation activation_{false};
  bool hidden_ = true;
  bool windowed_ = false;
  // The window's size in the windowed presentation, as last seen there (0:
  // none yet, the largest whole factor of the picture that fits).
  int window_w_ = 0;
  int window_h_ = 0;
  bool enter_held_for_switch_ = false;
  // The event that ended the last wait, handled in the next turn.
  SDL_Event waited_{};
  bool waited_event_ = false;
  bool needs_present_ = false;
  bool quiet_boxes_ = false;
  uint64_t presents_ = 0;
  // When the last message box was shown (SDL ticks, as event timestamps).
  uint32_t box_opened_ = 1;
  uint32_t box_closed_ = 0;
  common::PaceProbe pace_;
  // When the X server took in the last key press (for the pace probe).
  std::chrono::steady_clock::time_point x_key_pressed_{};
  std::string title_;  // SetTitle's, when given
  std::string shown_title_;
  common::Controls controls_;
  common::LegendFont legend_font_;
  bool legend_hidden_ = false;
  Language language_ = Language::Chinese;
  bool language_seen_ = false;
  bool legend_shown_ = false;
  // What the legend was last laid out for: what it says and the window's size.
  common::LegendKey legend_key_;
  int legend_w_ = -1;
  int legend_h_ = -1;
  std::function<common::GameView()> view_;
  std::function<common::RecordsShown(uint8_t, uint16_t)> records_shown_;
  std::function<void(RecordsAct, uint8_t, uint16_t)> records_act_;
  bool controllers_ = false;
  uint16_t speed_ = 100;
};

// A message box text with its line breaks as SDL shows them: Windows' "\r\n"
// and a lone "\r" both become "\n".
std::string UnixLineBreaks(const char* Text);
// The SDL message box kind for MessageBoxA's icon flags.
uint32_t MessageBoxKind(uint32_t Flags);

}  // namespace carpex::sdl
