// The application layer on Windows: the borderless main window, its message
// loop with the idle hook, the timer, activation changes and the canvas text.
//
// The application contract (shell/app.h), implemented whole:
//  [x] WindowHandle: the main window's HWND, DirectDraw's cooperative window.
//  [x] Minimize, Maximize, Hide: the main window shown as asked.
//  [x] Terminate: the loop ends once the messages already queued are handled.
//  [x] Sleep: Windows' own (skipped for the replay tool).
//  [x] WriteText: TextOutA on the window, in the form's font and colours.
//  [x] ShowMessageBox: MessageBoxA (one line on standard error for the replay tool).
//  [x] Run: the message loop and its idle calls; typed characters, key-downs
//      and key-ups, the 1000 ms timer, deactivation, and restore from the
//      minimised state, each in a turn of its own.
//  [x] ClockSeed: the performance counter, else the tick count.
#pragma once

#include <cstdint>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/win32/form_look.h"
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

  // Creates the main window, hidden, and starts the timer.
  Win32App(HINSTANCE Instance, const FormLook& Look);
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

  HWND Window() const { return window_; }
  // Terminate has been asked for (the loop ends once the queue is handled).
  bool TerminateRequested() const { return terminate_requested_; }

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

  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH own_brush_ = nullptr;  // the class brush when the colour is no system colour
  FormLook look_;
  FormHandlers* form_ = nullptr;
  bool iconic_ = false;
  bool terminate_requested_ = false;
  bool quit_seen_ = false;
  bool scripted_ = false;
};

}  // namespace carpex::win32
