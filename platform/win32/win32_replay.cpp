// The replay tool on Windows: the game on the real DirectDraw and GDI in its
// full-screen window, with the events taken from the script instead of the
// keyboard, the timer and the activation changes.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "graphics/ddraw_api.h"
#include "platform/headless/replay.h"
#include "platform/win32/replay_display.h"
#include "platform/win32/win32_app.h"
#include "shell/unit1.h"

namespace carpex {

namespace {

class Win32ReplayPlatform final : public ReplayPlatform {
 public:
  Win32ReplayPlatform() : app_(GetModuleHandleA(nullptr), LoadFormLook(GetModuleHandleA(nullptr))) {
    app_.SetScripted(true);
  }

  Application& App() override { return app_; }
  bool Terminated() override { return app_.TerminateRequested(); }

  void Pump() override {
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
    if (Form1 != nullptr && away != settled_away_) {
      settled_away_ = away;
      if (!SettleDisplay(app_, Form1->DirectDrawDevice.Get())) {
        std::fprintf(stderr, "the display did not follow the window in time\n");
      }
    }
  }

  void LoseSurfaces() override {
    // Said on stderr: a replay that expects lost surfaces and gets none is no test.
    if (Form1 == nullptr || !LoseEverySurface(app_, *Form1)) {
      std::fprintf(stderr, "lose: the surfaces could not be taken away\n");
    }
  }

  bool WriteShot(const std::string& path) override {
    if (Form1 == nullptr) return false;
    std::vector<uint8_t> rgb;
    if (!ReadPrimary(Form1->PrimarySurface.Get(), &rgb)) return false;
    return WriteRgbPicture(path, rgb);
  }

 private:
  Win32App app_;
  bool shown_ = false;
  int settled_away_ = -1;  // the window state last waited for: 0 shown, 1 minimised
};

}  // namespace

std::unique_ptr<ReplayPlatform> MakeReplayPlatform() {
  // The trace is compared byte for byte with other platforms' traces: no CR
  // before each line feed.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return std::make_unique<Win32ReplayPlatform>();
}

}  // namespace carpex
