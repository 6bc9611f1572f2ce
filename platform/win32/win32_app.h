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
//  [x] Sleep: Windows' own in the full screen, whose flip waits for the
//      display; on the desktop until the next step's tick, sixty a second
//      (common::FramePacer), the loop waiting for it with the messages handled
//      as they come (skipped for the replay tool); further apart at a slower
//      speed (SetSpeed).
//  [x] WriteText: TextOutA on the window, in the form's font and colours.
//  [x] ShowMessageBox: MessageBoxA (one line on standard error for the replay tool).
//  [x] Run: the message loop and its idle calls; typed characters, key-downs
//      and key-ups, a click on the picture, the 1000 ms timer, deactivation,
//      and restore, each in a turn of its own; XInput's gamepads read before
//      each frame.
//  [x] ClockSeed: the performance counter, else the tick count.
//  [x] DisplayPresentation, LeaveExclusive, PresentFrame, DisplayClosing: the
//      window and borderless presentations.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/common/controls.h"
#include "platform/common/frame_pacer.h"
#include "platform/common/gamepad.h"
#include "platform/common/legend.h"
#include "platform/common/pace_probe.h"
#include "platform/common/settings.h"
#include "platform/win32/form_look.h"
#include "platform/win32/frame_presenter.h"
#include "platform/win32/xinput_pads.h"
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
  void SetSpeed(uint16_t Percent) override;
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
  // What to remember of this run: how the game was shown, the window's size,
  // the speed and the player's controls.
  common::Settings Remembered() const;

  // The window's caption says Utf8 from now on (what a recording being
  // watched shows), in any script the system has; the legend goes.
  void SetTitle(const std::string& Utf8);
  // Where the game is, for what the legend says and the keys do there.
  void SetGameView(std::function<common::GameView()> View) { view_ = std::move(View); }
  // Where the game keeps records: what the legend says of them (for the
  // level a gamepad would start, at the speed) and what W and C do.
  using RecordsAct = common::Controls::Result::RecordsAct;
  // The level a gamepad or the one switch starts (the one the records shown are of).
  uint8_t LevelChoice() const { return controls_.Choice(); }
  void SetLevelChoice(uint8_t Level) { controls_.SetChoice(Level); }
  void SetRecords(std::function<common::RecordsShown(uint8_t Level, uint16_t Speed)> Shown,
                  std::function<void(RecordsAct, uint8_t Level, uint16_t Speed)> Act) {
    records_shown_ = std::move(Shown);
    records_act_ = std::move(Act);
    controls_.SetRecordKeys(true);
  }
  // The legend beside or under the picture shows (on the desktop, where there is room).
  bool LegendShown() const { return legend_shown_; }
  // The language the game was last seen in (Unseen before it was).
  Language LastLanguage(Language Unseen) const { return language_seen_ ? language_ : Unseen; }

  // For the replay tool, which supplies the game's events itself: sleeps are
  // skipped and message boxes go to standard error instead of waiting for a click.
  void SetScripted(bool Scripted) { scripted_ = Scripted; }
  // Shows the main form, as Run does before its loop.
  void Show();
  // Handles every waiting message without a form to hand events to; false once
  // WM_QUIT has been met.
  bool PumpMessages();

 private:
  // The performance counter, slept on in Windows' whole milliseconds (the
  // timer's period set to one while the game runs).
  class CounterClock final : public common::FramePacer::Clock {
   public:
    CounterClock();
    double Now() override;
    double WaitUntil(double At) override;

   private:
    double per_ms_ = 1;
  };

  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  LRESULT Handle(UINT Message, WPARAM WParam, LPARAM LParam);
  // Takes one waiting message and dispatches it, or notes WM_QUIT; false when
  // the queue was empty.
  bool HandleOneMessage();
  // The event to the form, when there is one to hand it to.
  void Deliver(const FormEvent& Event);
  // A key through the player's own keys (P, L, H) before the form sees it.
  void KeyDown(uint16_t Vk);
  void KeyUp(uint16_t Vk);
  void DeliverAll(const common::Controls::Result& Events);
  // The left button on the picture (LParam: where, in the window's inside).
  void Click(bool Down, LPARAM LParam);
  // Before each frame: the gamepads and the one switch's hold.
  void BeforeFrame();
  common::GameView View() const { return view_ ? view_() : common::GameView{}; }
  // The legend and the caption, when what they say has changed.
  void UpdateLegend();
  // The caption in any script the system has.
  void Caption(const std::string& Utf8);
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
  common::PaceProbe pace_;
  CounterClock clock_;
  common::FramePacer pacer_{clock_};
  std::function<common::GameView()> view_;
  std::function<common::RecordsShown(uint8_t, uint16_t)> records_shown_;
  std::function<void(RecordsAct, uint8_t, uint16_t)> records_act_;
  common::Controls controls_;
  common::LegendFont legend_font_;
  bool legend_hidden_ = false;
  bool legend_shown_ = false;
  bool titled_ = false;  // SetTitle's caption stands
  std::string caption_;
  common::LegendPicture legend_;
  // What the legend was last laid out for: what it says, the way of showing
  // the game and the window's inside.
  common::LegendKey legend_key_;
  common::Show legend_show_ = common::Show::Unsaid;
  int legend_w_ = -1;
  int legend_h_ = -1;
  Language language_ = Language::Chinese;
  bool language_seen_ = false;
  uint16_t speed_ = 100;
  XInputPads pads_{nullptr};
  bool pads_loaded_ = false;
};

}  // namespace carpex::win32
