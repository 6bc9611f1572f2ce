#include <cstdio>
#include <memory>
#include <vector>

#include "platform/headless/headless_app.h"
#include "platform/headless/replay.h"
#include "platform/soft/control.h"
#include "tools/png.h"

namespace carpex {

namespace {

bool HasEnding(const std::string& path, const char* ending) {
  const std::string e = ending;
  if (path.size() < e.size()) return false;
  for (size_t i = 0; i < e.size(); ++i) {
    char c = path[path.size() - e.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != e[i]) return false;
  }
  return true;
}

// The front buffer as 8-bit RGB; black when nothing has been flipped yet.
std::vector<uint8_t> FrontBufferRgb() {
  constexpr int kWidth = 640, kHeight = 480;
  std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3, 0);
  const soft::PixelView view = soft::FrontBuffer();
  if (view.pixels == nullptr) return rgb;
  for (int y = 0; y < kHeight && y < view.height; ++y) {
    for (int x = 0; x < kWidth && x < view.width; ++x) {
      const COLORREF c = soft::FromRgb565(view.At(x, y));
      uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
      p[0] = static_cast<uint8_t>(GetRValue(c));
      p[1] = static_cast<uint8_t>(GetGValue(c));
      p[2] = static_cast<uint8_t>(GetBValue(c));
    }
  }
  return rgb;
}

bool WritePpm(const std::string& path, const std::vector<uint8_t>& rgb) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::fprintf(f, "P6\n640 480\n255\n");
  const bool ok = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
  return std::fclose(f) == 0 && ok;
}

class HeadlessReplay final : public ReplayPlatform {
 public:
  HeadlessReplay() {
    soft::Reset();
    app_.EchoMessageBoxes = true;
  }
  Application& App() override { return app_; }
  bool Terminated() override { return app_.Terminated; }
  void LoseSurfaces() override { soft::LoseAllSurfaces(); }
  bool WriteShot(const std::string& path) override {
    const std::vector<uint8_t> rgb = FrontBufferRgb();
    if (HasEnding(path, ".ppm")) return WritePpm(path, rgb);
    return WritePng(path, 640, 480, rgb.data());
  }

 private:
  HeadlessApp app_;
};

}  // namespace

std::unique_ptr<ReplayPlatform> MakeReplayPlatform() {
  return std::make_unique<HeadlessReplay>();
}

}  // namespace carpex
