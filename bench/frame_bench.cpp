// What one frame of play costs on the software display, against SDL2's own
// blitter doing the same work and against a plain memcpy of the screen; and
// what putting the picture on a screen of another size costs: enlarged by a
// whole factor into 32-bit pixels (the Windows window's and borderless work on
// the processor, before the copy to the screen), and filling a window that
// whole factors fit badly (the Linux window, reduced smoothly).
//
// After the runs the ratios are printed; the exit status is 1 when one misses
// its target (the worst-case frame no slower than SDL2's blitter in the
// arrangement of the pictures that suits SDL2 best; the full-screen opaque copy
// within 1.2 times memcpy). Before anything is timed, the frames are compared
// pixel for pixel.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "bench/scene.h"
#include "bench/sdl_compose.h"
#include "graphics/soft/control.h"
#include "platform/common/enlarge.h"
#include "platform/sdl/presenter.h"

namespace carpex::bench {
namespace {

constexpr size_t kScreenBytes = size_t{kScreenWidth} * kScreenHeight * 2;

// DrawPlaying and FlipFrame, as GameLoop calls them in the busiest frame.
void FrameOurs(benchmark::State& State) {
  WorstCaseScene scene;
  const TForm1Access form = scene.Inside();
  for (auto _ : State) {
    bool abandoned = form.DrawPlaying();
    abandoned = form.FlipFrame() || abandoned;
    benchmark::DoNotOptimize(abandoned);
  }
}

void FrameSdl(benchmark::State& State, SdlComposer::Arrangement Arrangement) {
  WorstCaseScene scene;
  SdlComposer sdl(scene, Arrangement);
  for (auto _ : State) {
    sdl.ComposeFrame();
    benchmark::ClobberMemory();
  }
}

// A 912-block city drawn into the play-field background.
void DrawCity(benchmark::State& State) {
  WorstCaseScene scene;
  const TForm1Access form = scene.Inside();
  for (auto _ : State) form.DrawCity();
}

// Recovery during a round: every surface restored and reloaded, the city redrawn.
void RestoreAll(benchmark::State& State) {
  WorstCaseScene scene;
  for (auto _ : State) {
    State.PauseTiming();
    soft::LoseAllSurfaces();
    State.ResumeTiming();
    HRESULT r = scene.Inside().RestoreAll();
    benchmark::DoNotOptimize(r);
  }
}

// The same bytes as the opaque BltFast below moves, between the same two
// surfaces' memory, so that only what BltFast adds is measured.
void CopyMemcpy(benchmark::State& State) {
  WorstCaseScene scene;
  const TForm1Access form = scene.Inside();
  DDSURFACEDESC2 from{}, to{};
  from.dwSize = to.dwSize = sizeof(DDSURFACEDESC2);
  if (form.PlayFieldBackground()->Lock(nullptr, &from, DDLOCK_WAIT, nullptr) != DD_OK ||
      form.BackBuffer()->Lock(nullptr, &to, DDLOCK_WAIT, nullptr) != DD_OK) {
    State.SkipWithError("Lock failed");
    return;
  }
  for (auto _ : State) {
    std::memcpy(to.lpSurface, from.lpSurface, kScreenBytes);
    benchmark::ClobberMemory();
  }
  form.BackBuffer()->Unlock(nullptr);
  form.PlayFieldBackground()->Unlock(nullptr);
}

// The opaque copy of every frame: the play-field background onto the back buffer.
void CopyBltFast(benchmark::State& State) {
  WorstCaseScene scene;
  const TForm1Access form = scene.Inside();
  for (auto _ : State) {
    HRESULT r =
        form.BackBuffer()->BltFast(0, 0, form.PlayFieldBackground().Get(), nullptr, DDBLTFAST_WAIT);
    benchmark::DoNotOptimize(r);
  }
}

// Draws and flips the busiest frame once, so that the front buffer holds it;
// false, with the benchmark skipped, when it could not.
bool FrameShown(const TForm1Access& Form, benchmark::State& State) {
  if (!Form.DrawPlaying() && !Form.FlipFrame()) return true;
  State.SkipWithError("no frame");
  return false;
}

// A whole frame of the busiest round enlarged Factor times into 32-bit pixels:
// what a frame that changed everywhere costs the Windows presentation.
void EnlargeWhole(benchmark::State& State, int Factor) {
  WorstCaseScene scene;
  if (!FrameShown(scene.Inside(), State)) return;
  const soft::PixelView picture = soft::FrontBuffer();
  std::vector<uint32_t> table(65536);
  for (uint32_t p = 0; p < 65536; ++p) {
    const Rgb c = FromRgb565(static_cast<uint16_t>(p));
    table[p] = uint32_t{c.R} << 16 | uint32_t{c.G} << 8 | c.B;
  }
  const ptrdiff_t pitch = ptrdiff_t{kScreenWidth} * Factor * 4;
  std::vector<uint8_t> screen(static_cast<size_t>(pitch) * kScreenHeight * Factor);
  for (auto _ : State) {
    for (int y = 0; y < kScreenHeight; ++y) {
      const auto* row = reinterpret_cast<const uint16_t*>(
          reinterpret_cast<const uint8_t*>(picture.pixels) + ptrdiff_t{y} * picture.pitch);
      common::EnlargeRow(row, 0, kScreenWidth, table.data(), 4,
                         screen.data() + ptrdiff_t{y} * Factor * pitch, Factor, pitch);
    }
    benchmark::ClobberMemory();
  }
}

// The Linux window at 1200 x 1000 (the picture filling it, reduced smoothly):
// a whole new drawing, or a frame of play (the plane and explosions move).
void SmoothWindow(benchmark::State& State, bool Whole) {
  WorstCaseScene scene;
  const TForm1Access form = scene.Inside();
  if (!FrameShown(form, State)) return;
  SDL_Surface* window = SDL_CreateRGBSurfaceWithFormat(0, 1200, 1000, 32, SDL_PIXELFORMAT_XRGB8888);
  sdl::WindowPresenter presenter;
  presenter.Accept(soft::FrontBuffer());
  const SDL_Rect* rects = nullptr;
  presenter.Compose(window, &rects);
  int n = 0;
  for (auto _ : State) {
    if (Whole) {
      presenter.Redraw();
    } else {
      State.PauseTiming();
      // Another frame: the plane a little further, as in play.
      TPlane& plane = scene.Inside().W().Plane;
      plane.X = 100 + (n++ % 400);
      form.DrawPlaying();
      form.FlipFrame();
      State.ResumeTiming();
      presenter.Accept(soft::FrontBuffer());
    }
    benchmark::DoNotOptimize(presenter.Compose(window, &rects));
  }
  SDL_FreeSurface(window);
}

// Our frame and SDL2's must be the same picture, or the comparison means nothing.
bool SamePictures() {
  WorstCaseScene scene;
  const TForm1Access form = scene.Inside();
  if (form.DrawPlaying() || form.FlipFrame()) return false;
  const soft::PixelView ours = soft::FrontBuffer();
  using A = SdlComposer::Arrangement;
  for (const A arrangement : {A::Sheets, A::RleSheets, A::RleFrames}) {
    SdlComposer sdl(scene, arrangement);
    sdl.ComposeFrame();
    const SDL_Surface* theirs = sdl.Frame();
    for (int y = 0; y < kScreenHeight; ++y) {
      const auto* row = reinterpret_cast<const uint16_t*>(
          static_cast<const uint8_t*>(theirs->pixels) + static_cast<ptrdiff_t>(y) * theirs->pitch);
      for (int x = 0; x < kScreenWidth; ++x) {
        if (ours.At(x, y) != row[x]) {
          std::fprintf(stderr, "SDL2 frame (arrangement %d) differs at (%d, %d): %04x, ours %04x\n",
                       static_cast<int>(arrangement), x, y, row[x], ours.At(x, y));
          return false;
        }
      }
    }
  }
  return true;
}

// Keeps each benchmark's CPU time per iteration for the ratios: the median of
// its repetitions when there are several, else its one run. CPU time, because
// the figures should not depend on what else the machine is doing.
class RatioReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& Runs) override {
    for (const Run& run : Runs) {
      if (run.error_occurred || run.iterations == 0) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
      Entry& e = best[run.run_name.str()];
      if (median) {
        e.median = seconds;
      } else {
        e.single = seconds;
      }
    }
    ConsoleReporter::ReportRuns(Runs);
  }
  double Seconds(const std::string& Name) const {
    const auto it = best.find(Name);
    if (it == best.end()) return -1;
    return it->second.median >= 0 ? it->second.median : it->second.single;
  }

 private:
  struct Entry {
    double median = -1;
    double single = -1;
  };
  std::map<std::string, Entry> best;
};

// Prints ours / theirs, theirs being the faster of the named runs; false when
// the ratio is above its target (a target of 0 is none).
bool PrintRatio(const RatioReporter& R, const char* What, const char* Ours,
                std::initializer_list<const char*> Theirs, double Target) {
  const double a = R.Seconds(Ours);
  double fastest = std::numeric_limits<double>::infinity();
  for (const char* name : Theirs) {
    const double b = R.Seconds(name);
    if (b > 0) fastest = std::min(fastest, b);
  }
  if (a <= 0 || fastest == std::numeric_limits<double>::infinity()) return true;  // filtered out
  const double ratio = a / fastest;
  const bool met = Target <= 0 || ratio <= Target;
  std::printf("%-44s %8.1f us / %8.1f us = %5.2f", What, a * 1e6, fastest * 1e6, ratio);
  if (Target > 0) std::printf("   (target <= %.1f: %s)", Target, met ? "met" : "MISSED");
  std::printf("\n");
  return met;
}

}  // namespace
}  // namespace carpex::bench

int main(int argc, char** argv) {
  using namespace carpex::bench;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  if (!SamePictures()) return 1;

  const auto us = benchmark::kMicrosecond;
  benchmark::RegisterBenchmark("frame/ours", FrameOurs)->Unit(us);
  using A = SdlComposer::Arrangement;
  benchmark::RegisterBenchmark("frame/SDL2_RLE_frames", FrameSdl, A::RleFrames)->Unit(us);
  benchmark::RegisterBenchmark("frame/SDL2_RLE", FrameSdl, A::RleSheets)->Unit(us);
  benchmark::RegisterBenchmark("frame/SDL2", FrameSdl, A::Sheets)->Unit(us);
  benchmark::RegisterBenchmark("DrawCity/912_blocks", DrawCity)->Unit(us);
  benchmark::RegisterBenchmark("RestoreAll/in_round", RestoreAll)->Unit(us);
  benchmark::RegisterBenchmark("copy/memcpy", CopyMemcpy)->Unit(us);
  benchmark::RegisterBenchmark("copy/BltFast", CopyBltFast)->Unit(us);
  benchmark::RegisterBenchmark("present/enlarged_2x_32bit_whole", EnlargeWhole, 2)->Unit(us);
  benchmark::RegisterBenchmark("present/enlarged_3x_32bit_whole", EnlargeWhole, 3)->Unit(us);
  benchmark::RegisterBenchmark("present/smooth_1200x1000_whole", SmoothWindow, true)->Unit(us);
  benchmark::RegisterBenchmark("present/smooth_1200x1000_frame", SmoothWindow, false)->Unit(us);

  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nRatios of CPU time per iteration (median of the repetitions):\n");
  bool met = PrintRatio(reporter, "worst-case frame, ours / SDL2 best arrangement", "frame/ours",
                        {"frame/SDL2_RLE_frames"}, 1.0);
  PrintRatio(reporter, "worst-case frame, ours / SDL2 with RLE sheets", "frame/ours",
             {"frame/SDL2_RLE"}, 0);
  PrintRatio(reporter, "worst-case frame, ours / SDL2 without RLE", "frame/ours", {"frame/SDL2"},
             0);
  met = PrintRatio(reporter, "full-screen opaque BltFast / memcpy", "copy/BltFast", {"copy/memcpy"},
                   1.2) &&
        met;
  return met ? 0 : 1;
}
