// An application layer over the platform's own (the recorder, the watching):
// every call is passed on, so that a layer overrides only what it changes.
#pragma once

#include <cstdint>

#include "shell/app.h"

namespace carpex {

class ApplicationLayer : public Application {
 public:
  explicit ApplicationLayer(Application& Platform) : platform_(Platform) {}

  void* WindowHandle() override { return platform_.WindowHandle(); }
  void Minimize() override { platform_.Minimize(); }
  void Maximize() override { platform_.Maximize(); }
  void Hide() override { platform_.Hide(); }
  void Terminate() override { platform_.Terminate(); }
  void Sleep(uint32_t Milliseconds) override { platform_.Sleep(Milliseconds); }
  void WriteText(int32_t X, int32_t Y, const char* Text) override {
    platform_.WriteText(X, Y, Text);
  }
  void ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) override {
    platform_.ShowMessageBox(Text, Caption, Flags);
  }
  void Run(FormHandlers& Form) override { platform_.Run(Form); }
  uint32_t ClockSeed() override { return platform_.ClockSeed(); }
  void SetSpeed(uint16_t Percent) override { platform_.SetSpeed(Percent); }
  Presentation DisplayPresentation() override { return platform_.DisplayPresentation(); }
  bool LeaveExclusive(bool Refused) override { return platform_.LeaveExclusive(Refused); }
  bool PresentFrame(IDirectDraw7* Device, IDirectDrawSurface7* Primary,
                    IDirectDrawSurface7* Frame) override {
    return platform_.PresentFrame(Device, Primary, Frame);
  }
  void DisplayClosing() override { platform_.DisplayClosing(); }

 protected:
  Application& platform_;
};

}  // namespace carpex
