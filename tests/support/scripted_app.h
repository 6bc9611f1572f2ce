// The platform under a game a test drives by hand: a window that does
// nothing, a fixed clock seed, and a message loop that is the test's own.
#pragma once

#include <cstdint>
#include <functional>

#include "shell/app.h"

namespace carpex::testsupport {

class ScriptedApp : public Application {
 public:
  explicit ScriptedApp(uint32_t Seed = 1) : seed_(Seed) {}

  void* WindowHandle() override { return &token_; }
  void Minimize() override {}
  void Maximize() override {}
  void Hide() override {}
  void Terminate() override { terminated = true; }
  void Sleep(uint32_t) override {
    if (OnSleep) OnSleep();
  }
  void WriteText(int32_t, int32_t, const char*) override {}
  void ShowMessageBox(const char*, const char*, uint32_t) override {}
  void Run(FormHandlers& Form) override {
    if (Loop) Loop(Form);
  }
  uint32_t ClockSeed() override { return seed_; }

  std::function<void(FormHandlers&)> Loop;
  // The frame's sleep at its start: inside the frame.
  std::function<void()> OnSleep;
  bool terminated = false;

 private:
  uint32_t seed_;
  int token_ = 0;
};

}  // namespace carpex::testsupport
