#include <memory>

#include "platform/headless/headless_app.h"
#include "platform/headless/replay.h"

namespace carpex {

namespace {

class HeadlessReplay final : public ReplayPlatform {
 public:
  HeadlessReplay() { app_.EchoMessageBoxes = true; }
  Application& App() override { return app_; }
  bool Terminated() override { return app_.Terminated; }
  void LoseSurfaces() override {}
  bool WriteShot(const std::string&) override { return false; }

 private:
  HeadlessApp app_;
};

}  // namespace

std::unique_ptr<ReplayPlatform> MakeReplayPlatform() { return std::make_unique<HeadlessReplay>(); }

}  // namespace carpex
