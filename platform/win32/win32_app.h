// The application layer on Windows: the main window, its message loop with
// the idle hook, the timer, activation changes and the canvas text. The game
// is shown in one of three ways: the exclusive full screen with its mode
// switch (the window covers the screen, DirectDraw flips), a captioned window,
// or a borderless window over the whole monitor (both on the desktop as it
// is, each frame enlarged into the window by FramePresenter). Alt+Enter goes
// from the full screen to the window, and between the window and borderless.
//
// The application contract (shell/app.h), implemented whole:
//  [x] WindowHandle: the main window's HWND, DirectDraw's cooperative window.
//  [x] Minimize, Maximize, Hide: the main window shown as asked; on the
//      desktop a switch away only pauses the game.
//  [x] Terminate: the loop ends once the messages already queued are handled.
//  [x] Sleep: Windows' own (skipped for the replay tool).
//  [x] WriteText: TextOutA on the window, in the form's font and colours.
//  [x] ShowMessageBox: MessageBoxA (one line on standard error for the replay tool).
//  [x] Run: the message loop and its idle calls; typed characters, key-downs
//      and key-ups, the 1000 ms timer, deactivation, and restore, each in a
//      turn of its own.
//  [x] ClockSeed: the performance counter, else the tick count.
//  [x] DisplayPresentation, LeaveExclusive, PresentFrame, DisplayClosing: the
//      window and borderless presentations.
#pragma once

#include <cstdint>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/common/settings.h"
#include "platform/win32/form_look.h"
#include "platform/win32/frame_presenter.h"
#include "platform/win32/pace_probe.h"
#include "shell/app.h"

namespace carpex::win32 {

// The look given by the TFORM1 resource of the program, or the designed one
// when the resource is missing or cannot be read.
FormLook LoadFormLook();

class Win32App final : public Application {
 public:
  // Messages posted to the window so that the activation handlers run between
  // two frames, like every other handler.
  static constexpr UINT kDeactivateMessage = WM_APP + 1;
  static constexpr UINT kRestoreMessage = WM_APP + 2;
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr UINT kTimerIntervalMs = 1000;

  // Creates the main window, hidden, for the way Start asks the game to be
  // shown (the exclusive full screen when it says nothing) and at the window
  // size it remembers, and starts the timer.
  Win32App(HINSTANCE Instance, const FormLook& Look,
           const common::Settings& Start = common::Settings{});
  ~Win32App() override;
  Win32App(const Win32App&) = delete;
  Win32App& operator=(const Win32App&) = delete;

  void* WindowHandle() override { return window_; }
  void Minimize() override;
  void Maximize() override;
  void Hide() override;
  void Terminate() override;
  void Sleep(uint32_t Milliseconds) override;
  void WriteText(int32_t X, int32_t Y, const char* Text) override;
  void ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) override;
  void Run(FormHandlers& Form) override;
  uint32_t ClockSeed() override;
  Presentation DisplayPresentation() override;
  bool LeaveExclusive(bool Refused) override;
  bool PresentFrame(IDirectDraw7* Device, IDirectDrawSurface7* Primary,
                    IDirectDrawSurface7* Frame) override;
  void DisplayClosing() override { presenter_.Release(); }

  HWND Window() const { return window_; }
  // Terminate has been asked for (the loop ends once the queue is handled).
  bool TerminateRequested() const { return terminate_requested_; }
  // How the game is shown now: FullScreen (exclusive), Window or Borderless.
  common::Show Shown() const { return show_; }
  // What to remember of this run: how the game was shown, the window's size.
  common::Settings Remembered() const;

  // The window's caption says Utf8 from now on (what a recording being
  // watched shows), in any script the system has.
  void SetTitle(const std::string& Utf8);

  // For the replay tool, which supplies the game's events itself: sleeps are
  // skipped and message boxes go to standard error instead of waiting for a click.
  void SetScripted(bool Scripted) { scripted_ = Scripted; }
  // Shows the main form, as Run does before its loop.
  void Show();
  // Handles every waiting message without a form to hand events to; false once
  // WM_QUIT has been met.
  bool PumpMessages();

 private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  LRESULT Handle(UINT Message, WPARAM WParam, LPARAM LParam);
  // Takes one waiting message and dispatches it, or notes WM_QUIT; false when
  // the queue was empty.
  bool HandleOneMessage();
  bool Windowed() const { return show_ != common::Show::FullScreen; }
  // Alt+Enter: the next way of showing the game.
  void SwitchPresentation();
  // Gives the window the style, place and size of the way it shows the game now.
  void ShapeWindow();
  // The monitor the window is on: all of it and its work area.
  void MonitorRects(RECT* Monitor, RECT* WorkArea) const;
  // The window's inside in the window presentation: the size remembered, or
  // the largest whole factor of the picture that fits the work area.
  SIZE WindowClientSize(const RECT& WorkArea, DWORD Style) const;
  HFONT FontFor(int Scale);

  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;  // the form's font, at font_scale_ times its height
  int font_scale_ = 0;
  HBRUSH own_brush_ = nullptr;  // the class brush when the colour is no system colour
  FormLook look_;
  FormHandlers* form_ = nullptr;
  common::Show show_ = common::Show::FullScreen;
  SIZE window_client_{0, 0};  // the window presentation's inside, as last seen (0: none yet)
  FramePresenter presenter_;
  RECT text_box_{0, 0, 0, 0};  // where the last text went, gone with the next frame
  bool iconic_ = false;
  bool paused_ = false;  // the form has been deactivated and not restored since
  bool enter_held_for_switch_ = false;
  bool terminate_requested_ = false;
  bool quit_seen_ = false;
  bool scripted_ = false;
  PaceProbe pace_;
};

}  // namespace carpex::win32
