// The ways of getting the game's picture onto an X window, side by side, on the
// same frames: a round played on the software display (a bomb a second, the
// frame rate shown), each frame presented at the game's pace, in a full-screen
// window of the display that DISPLAY names. Prints what each present cost.
// A measuring tool (scripts/pace.sh --candidates runs it), not a test.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "graphics/soft/control.h"
#include "platform/common/pixel_font.h"
#include "platform/headless/headless_app.h"
#include "platform/sdl/presenter.h"
#include "shell/session.h"

namespace carpex::bench {
namespace {

using sdl::WindowPresenter;

constexpr int kFrames = 300;
constexpr uint16_t kSpace = 32;

// One way of presenting: the picture of a frame, with the frame-rate text.
class Candidate {
 public:
  virtual ~Candidate() = default;
  virtual bool Open(SDL_Window* Window) = 0;
  virtual void Present(const soft::PixelView& Picture, const char* Text) = 0;
  // Lets go of what it made on the window, before the window goes.
  virtual void Close() {}
};

// A renderer with a streaming texture: clear, copy scaled, text, present.
class RendererCandidate final : public Candidate {
 public:
  explicit RendererCandidate(uint32_t Flags) : flags_(Flags) {}
  void Close() override {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
    texture_ = nullptr;
    renderer_ = nullptr;
  }
  bool Open(SDL_Window* Window) override {
    renderer_ = SDL_CreateRenderer(Window, -1, flags_);
    if (renderer_ == nullptr) return false;
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                 common::kPictureWidth, common::kPictureHeight);
    return texture_ != nullptr;
  }
  void Present(const soft::PixelView& Picture, const char* Text) override {
    SDL_UpdateTexture(texture_, nullptr, Picture.pixels, Picture.pitch);
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    const common::Placement p = common::PlacePicture(w, h);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const SDL_Rect dest{p.X, p.Y, p.Width, p.Height};
    SDL_RenderCopy(renderer_, texture_, nullptr, &dest);
    const SDL_Rect box{0, 0, common::TextWidth(Text) * p.Scale, common::kCellHeight * p.Scale};
    SDL_SetRenderDrawColor(renderer_, common::kTextFace.R, common::kTextFace.G, common::kTextFace.B,
                           255);
    SDL_RenderFillRect(renderer_, &box);
    SDL_RenderPresent(renderer_);
  }

 private:
  uint32_t flags_;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
};

// The window's own surface through the game's presenter.
class SurfaceCandidate final : public Candidate {
 public:
  explicit SurfaceCandidate(WindowPresenter::Updates How) { presenter_.SetUpdates(How); }
  bool Open(SDL_Window* Window) override {
    window_ = Window;
    return SDL_GetWindowSurface(Window) != nullptr;
  }
  void Present(const soft::PixelView& Picture, const char* Text) override {
    presenter_.Accept(Picture);
    presenter_.AddText(0, 0, Text);
    const SDL_Rect* rects = nullptr;
    const int n = presenter_.Compose(SDL_GetWindowSurface(window_), &rects);
    if (n > 0) SDL_UpdateWindowSurfaceRects(window_, rects, n);
  }

 private:
  SDL_Window* window_ = nullptr;
  WindowPresenter presenter_;
};

// The same round every time: the same city, a bomb every 60 frames.
class Round {
 public:
  Round() : random_(1234) {
    soft::Reset();
    session_ = std::make_unique<GameSession>(app_);
    session_->SetRandomSource(&random_);
    uint8_t five = '5';
    session_->Handlers().Handle({FormEvent::Char, five});
  }
  ~Round() {
    session_.reset();
    soft::Reset();
  }
  void Frame(int N) {
    FormHandlers& form = session_->Handlers();
    uint16_t space = kSpace;
    if (N % 60 == 0) form.Handle({FormEvent::KeyDown, space});
    if (N % 60 == 1) form.Handle({FormEvent::KeyUp, space});
    bool done = false;
    form.GameLoop(done);
  }

 private:
  headless::HeadlessApp app_;
  GameRandom random_;
  std::unique_ptr<GameSession> session_;
};

struct Figures {
  double median = 0, p99 = 0, max = 0;
};

bool Measure(Candidate& Candidate, Figures* Out) {
  SDL_Rect screen{0, 0, common::kPictureWidth, common::kPictureHeight};
  SDL_GetDisplayBounds(0, &screen);
  SDL_Window* window = SDL_CreateWindow("Form1", screen.x, screen.y, screen.w, screen.h,
                                        SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (window == nullptr || !Candidate.Open(window)) {
    std::fprintf(stderr, "cannot open: %s\n", SDL_GetError());
    Candidate.Close();
    if (window != nullptr) SDL_DestroyWindow(window);
    return false;
  }
  // Let the window settle at its size before anything is timed.
  for (int i = 0; i < 30; ++i) {
    SDL_PumpEvents();
    SDL_Delay(10);
  }
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

  std::vector<double> ms;
  ms.reserve(kFrames);
  {
    Round round;
    soft::PixelView picture;
    soft::SetFlipHook([&picture](const soft::PixelView& Front) { picture = Front; });
    const double ticksPerMs = static_cast<double>(SDL_GetPerformanceFrequency()) / 1000.0;
    for (int n = 0; n < kFrames; ++n) {
      SDL_Delay(16);
      SDL_PumpEvents();
      round.Frame(n);
      const uint64_t start = SDL_GetPerformanceCounter();
      Candidate.Present(picture, "60");
      ms.push_back(static_cast<double>(SDL_GetPerformanceCounter() - start) / ticksPerMs);
    }
    soft::SetFlipHook({});
  }
  Candidate.Close();
  SDL_DestroyWindow(window);
  std::sort(ms.begin(), ms.end());
  Out->median = ms[ms.size() / 2];
  Out->p99 = ms[ms.size() * 99 / 100];
  Out->max = ms.back();
  return true;
}

}  // namespace
}  // namespace carpex::bench

int main() {
  using namespace carpex::bench;
  // The window surfaces in the X server's shared memory, not through GL.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Rect screen{};
  SDL_GetDisplayBounds(0, &screen);
  SDL_DisplayMode mode{};
  SDL_GetDesktopDisplayMode(0, &mode);
  std::printf("present cost per frame on a %dx%d %d-bit screen, %d frames each (ms):\n", screen.w,
              screen.h, SDL_BITSPERPIXEL(mode.format), kFrames);
  struct Entry {
    const char* name;
    std::unique_ptr<Candidate> candidate;
  };
  Entry entries[] = {
      {"renderer (GL) + texture", std::make_unique<RendererCandidate>(SDL_RENDERER_ACCELERATED)},
      {"renderer (software) + texture", std::make_unique<RendererCandidate>(SDL_RENDERER_SOFTWARE)},
      {"window surface, whole window",
       std::make_unique<SurfaceCandidate>(WindowPresenter::Updates::Whole)},
      {"window surface, changed rows",
       std::make_unique<SurfaceCandidate>(WindowPresenter::Updates::Rows)},
      {"window surface, changed rectangles",
       std::make_unique<SurfaceCandidate>(WindowPresenter::Updates::Rects)},
  };
  for (Entry& e : entries) {
    Figures f;
    if (Measure(*e.candidate, &f)) {
      std::printf("  %-36s median %7.3f   p99 %7.3f   max %7.3f\n", e.name, f.median, f.p99, f.max);
    } else {
      std::printf("  %-36s not available\n", e.name);
    }
    std::fflush(stdout);
    e.candidate.reset();
  }
  SDL_Quit();
  return 0;
}
