// The replay tool's platform on Linux: the headless application layer over the
// software display.
#include <memory>
#include <vector>

#include "graphics/soft/control.h"
#include "platform/headless/headless_app.h"
#include "tools/replay_platform.h"

namespace carpex::headless {

namespace {

class HeadlessReplay final : public ReplayPlatform {
 public:
  HeadlessReplay() {
    soft::Reset();
    app_.EchoMessageBoxes = true;
  }
  Application& App() override { return app_; }
  bool Terminated() override { return app_.Terminated; }
  void SkipDrawing() override { soft::SkipPixels(true); }
  bool LoseSurfaces(const ReplayDisplay&) override {
    soft::LoseAllSurfaces();
    return true;
  }
  // The front buffer; black when nothing has been flipped yet.
  bool ReadPicture(const ReplayDisplay&, std::vector<uint8_t>* Rgb) override {
    Rgb->assign(static_cast<size_t>(kPictureWidth) * kPictureHeight * 3, 0);
    const soft::PixelView view = soft::FrontBuffer();
    if (view.pixels == nullptr) return true;
    for (int y = 0; y < kPictureHeight && y < view.height; ++y) {
      for (int x = 0; x < kPictureWidth && x < view.width; ++x) {
        const COLORREF c = soft::FromRgb565(view.At(x, y));
        uint8_t* p = &(*Rgb)[(static_cast<size_t>(y) * kPictureWidth + x) * 3];
        p[0] = static_cast<uint8_t>(GetRValue(c));
        p[1] = static_cast<uint8_t>(GetGValue(c));
        p[2] = static_cast<uint8_t>(GetBValue(c));
      }
    }
    return true;
  }

 private:
  HeadlessApp app_;
};

}  // namespace

}  // namespace carpex::headless

namespace carpex {

std::unique_ptr<ReplayPlatform> MakeReplayPlatform() {
  return std::make_unique<headless::HeadlessReplay>();
}

}  // namespace carpex
