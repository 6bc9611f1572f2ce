// The replay tool on Windows: the game on the real DirectDraw and GDI in its
// full-screen window, with the events taken from the script instead of the
// keyboard, the timer and the activation changes.
#include <cstdio>
#include <memory>
#include <vector>

#include "graphics/ddraw_api.h"
#include "platform/win32/replay_display.h"
#include "platform/win32/win32_app.h"
#include "tools/replay_platform.h"

namespace carpex::win32 {

namespace {

class Win32ReplayPlatform final : public ReplayPlatform {
 public:
  Win32ReplayPlatform() : app_(GetModuleHandleA(nullptr), LoadFormLook()) {
    app_.SetScripted(true);
  }

  Application& App() override { return app_; }
  bool Terminated() override { return app_.TerminateRequested(); }

  void Pump(const ReplayDisplay& Display) override {
    // The main form is shown once it has been created, as the application's Run does.
    if (!shown_) {
      shown_ = true;
      app_.Show();
    }
    app_.PumpMessages();
    // Wait for DirectDraw once per change of the window between shown and
    // minimised; where it never follows (no window manager), warn once.
    HWND window = app_.Window();
    const int away = window != nullptr && IsIconic(window) ? 1 : 0;
    if (away != settled_away_) {
      settled_away_ = away;
      if (!SettleDisplay(app_, Display.Device)) {
        std::fprintf(stderr, "the display did not follow the window in time\n");
      }
    }
  }

  bool LoseSurfaces(const ReplayDisplay& Display) override {
    return LoseEverySurface(app_, Display.Device, Display.Primary);
  }

  bool ReadPicture(const ReplayDisplay& Display, std::vector<uint8_t>* Rgb) override {
    return ReadPrimary(Display.Primary, Rgb);
  }

 private:
  Win32App app_;
  bool shown_ = false;
  int settled_away_ = -1;  // the window state last waited for: 0 shown, 1 minimised
};

}  // namespace

}  // namespace carpex::win32

namespace carpex {

std::unique_ptr<ReplayPlatform> MakeReplayPlatform() {
  return std::make_unique<win32::Win32ReplayPlatform>();
}

}  // namespace carpex
