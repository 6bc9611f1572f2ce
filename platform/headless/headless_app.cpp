#include "platform/headless/headless_app.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "graphics/ddraw_api.h"

namespace carpex::headless {

void HeadlessApp::WriteText(int32_t X, int32_t Y, const char* Text) {
  // A fixed buffer: this runs every frame while the frame rate is shown.
  std::snprintf(LastText, sizeof LastText, "%s", Text);
  LastTextX = X;
  LastTextY = Y;
  ++TextCount;
}

void HeadlessApp::ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) {
  MessageBoxes.push_back(MessageBoxCall{Text, Caption, Flags});
  if (EchoMessageBoxes) {
    std::string shown = Text;
    for (char& c : shown) {
      if (c == '\r') c = ' ';
    }
    std::fprintf(stderr, "%s: %s\n", Caption, shown.c_str());
  }
}

void HeadlessApp::Run(FormHandlers& Form) {
  for (uint64_t calls = 0; !Terminated && calls < MaxIdleCalls; ++calls) {
    bool done = true;
    Form.GameLoop(done);
  }
}

bool HeadlessApp::LeaveExclusive(bool Refused) {
  LeftExclusive.push_back(Refused);
  if (!CanLeaveExclusive) return false;
  Shows = Presentation::Windowed;
  return true;
}

bool HeadlessApp::PresentFrame(IDirectDraw7* /*Device*/, IDirectDrawSurface7* Primary,
                               IDirectDrawSurface7* Frame) {
  if (Primary == nullptr || Frame == nullptr) return false;
  const HRESULT r = Primary->BltFast(0, 0, Frame, nullptr, DDBLTFAST_WAIT);
  if (r == DDERR_SURFACELOST) return true;
  if (r == DD_OK) ++Presented;
  return false;
}

uint32_t HeadlessApp::ClockSeed() {
  return static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace carpex::headless
