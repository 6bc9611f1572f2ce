// The application layer without a window: tests and the replay tool hand the
// form its events themselves, between two idle calls, and read back what the
// game asked of the window.
//
// The application contract (shell/app.h):
//  [x] WindowHandle: a token.
//  [x] Minimize, Maximize, Hide, Terminate: noted in the public fields.
//  [x] Sleep: added up, never slept.
//  [x] WriteText: the last text kept, and counted.
//  [x] ShowMessageBox: kept, and written to standard error when asked.
//  [ ] Run: no events of its own: idle calls only, at most MaxIdleCalls of them.
//  [x] ClockSeed: the steady clock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/app.h"

namespace carpex::headless {

class HeadlessApp final : public Application {
 public:
  struct MessageBoxCall {
    std::string Text;
    std::string Caption;
    uint32_t Flags;
  };

  void* WindowHandle() override { return &window_token_; }
  void Minimize() override { Minimized = true; }
  void Maximize() override {
    Minimized = false;
    Maximized = true;
  }
  void Hide() override { Visible = false; }
  void Terminate() override { Terminated = true; }
  void Sleep(uint32_t Milliseconds) override { SleptMs += Milliseconds; }
  void WriteText(int32_t X, int32_t Y, const char* Text) override;
  void ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) override;
  // Idle calls until the application terminates or MaxIdleCalls have run.
  void Run(FormHandlers& Form) override;
  uint32_t ClockSeed() override;
  Presentation DisplayPresentation() override { return Shows; }
  bool LeaveExclusive(bool Refused) override;
  // Windowed: the frame copied onto the primary surface, which on the software
  // display has the frame's size.
  bool PresentFrame(IDirectDraw7* Device, IDirectDrawSurface7* Primary,
                    IDirectDrawSurface7* Frame) override;

  // The presentation asked for; with CanLeaveExclusive the application goes
  // windowed when the form lets the exclusive display go.
  Presentation Shows = Presentation::Exclusive;
  bool CanLeaveExclusive = false;
  std::vector<bool> LeftExclusive;  // each LeaveExclusive's Refused
  uint64_t Presented = 0;           // frames shown by PresentFrame
  bool Minimized = false;
  bool Maximized = false;
  bool Visible = true;
  bool Terminated = false;
  uint64_t SleptMs = 0;
  uint64_t MaxIdleCalls = 0;
  bool EchoMessageBoxes = false;  // also write each message box to standard error
  std::vector<MessageBoxCall> MessageBoxes;
  // The last text written on the window, and how many times text was written.
  char LastText[32] = {};
  int32_t LastTextX = 0, LastTextY = 0;
  uint64_t TextCount = 0;

 private:
  int window_token_ = 0;
};

}  // namespace carpex::headless
