// The picture on window surfaces of every kind: exact colours and whole-factor
// scaling, and updates that send every changed pixel.
#include "platform/sdl/presenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "graphics/soft/control.h"

namespace carpex::sdl {
namespace {

struct Picture {
  std::vector<uint16_t> Pixels =
      std::vector<uint16_t>(common::kPictureWidth * common::kPictureHeight);
  soft::PixelView View() const {
    return soft::PixelView{Pixels.data(), common::kPictureWidth, common::kPictureHeight,
                           common::kPictureWidth * 2};
  }
};

// Every RGB565 colour, several times over.
Picture AllColours() {
  Picture p;
  for (size_t i = 0; i < p.Pixels.size(); ++i) p.Pixels[i] = static_cast<uint16_t>(i * 40503u);
  return p;
}

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;
Surface MakeSurface(int W, int H, uint32_t Format) {
  return Surface(SDL_CreateRGBSurfaceWithFormat(0, W, H, 0, Format), SDL_FreeSurface);
}

// The colour of a pixel as 0xRRGGBB.
uint32_t ColourAt(const SDL_Surface* S, int X, int Y);

uint32_t PixelAt(const SDL_Surface* S, int X, int Y) {
  const int bpp = S->format->BytesPerPixel;
  const uint8_t* p = static_cast<const uint8_t*>(S->pixels) + Y * S->pitch + X * bpp;
  uint32_t v = 0;
  for (int i = 0; i < bpp; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}

uint32_t ColourAt(const SDL_Surface* S, int X, int Y) {
  uint8_t r = 0, g = 0, b = 0;
  SDL_GetRGB(PixelAt(S, X, Y), S->format, &r, &g, &b);
  return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}

int Compose(WindowPresenter& P, SDL_Surface* S, std::vector<SDL_Rect>* Sent = nullptr) {
  const SDL_Rect* rects = nullptr;
  const int n = P.Compose(S, &rects);
  if (Sent != nullptr) Sent->assign(rects, rects + n);
  return n;
}

bool Near(uint32_t A, uint32_t B, int Tolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int d = static_cast<int>((A >> shift) & 0xFF) - static_cast<int>((B >> shift) & 0xFF);
    if (d > Tolerance || d < -Tolerance) return false;
  }
  return true;
}

TEST(PresenterTest, EveryColourExactAndScaledByAWholeFactorCentredOnBlack) {
  const Picture picture = AllColours();
  for (const uint32_t format :
       {SDL_PIXELFORMAT_XRGB8888, SDL_PIXELFORMAT_RGB24, SDL_PIXELFORMAT_XBGR8888,
        SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_RGB555, SDL_PIXELFORMAT_RGB332}) {
    SCOPED_TRACE(SDL_GetPixelFormatName(format));
    const Surface window = MakeSurface(1400, 1000, format);
    // Colours as the 16-bit display shows them; a format with fewer bits per
    // channel gets the nearest it has.
    const SDL_PixelFormat* f = window->format;
    const int tolerance = (1 << std::max({f->Rloss, f->Gloss, f->Bloss})) - 1;
    WindowPresenter presenter;
    presenter.Accept(picture.View());
    std::vector<SDL_Rect> sent;
    ASSERT_EQ(Compose(presenter, window.get(), &sent), 1);
    EXPECT_TRUE(sent[0].w == 1400 && sent[0].h == 1000);
    const common::Placement& p = presenter.PicturePlacement();
    ASSERT_TRUE(p.Scale == 2 && p.X == 60 && p.Y == 20);
    int wrong = 0, border = 0;
    for (int y = 0; y < window->h; ++y) {
      for (int x = 0; x < window->w; ++x) {
        const int gx = (x - p.X) / 2, gy = (y - p.Y) / 2;
        if (x < p.X || y < p.Y || gx >= common::kPictureWidth || gy >= common::kPictureHeight) {
          border += ColourAt(window.get(), x, y) != 0;
          continue;
        }
        const uint16_t shown = picture.Pixels[gy * common::kPictureWidth + gx];
        if (format == SDL_PIXELFORMAT_RGB565) {
          wrong += PixelAt(window.get(), x, y) != shown;
        } else {
          const COLORREF c = soft::FromRgb565(shown);
          const uint32_t want = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
          wrong += !Near(ColourAt(window.get(), x, y), want, tolerance);
        }
      }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(border, 0);
  }
}

TEST(PresenterTest, UpdatesSendEveryChangedPixelAndLittleElse) {
  Picture picture = AllColours();
  const Surface window = MakeSurface(1280, 1024, SDL_PIXELFORMAT_XRGB8888);
  WindowPresenter presenter;
  presenter.Accept(picture.View());
  presenter.AddText(0, 0, "60");
  Compose(presenter, window.get());

  // Frame after frame: a sprite moves, the text goes and comes back.
  for (int frame = 0; frame < 4; ++frame) {
    SCOPED_TRACE(frame);
    const Surface before = MakeSurface(1280, 1024, SDL_PIXELFORMAT_XRGB8888);
    SDL_BlitSurface(window.get(), nullptr, before.get(), nullptr);
    for (int y = 100 + frame; y < 116 + frame; ++y) {
      for (int x = 300 + 2 * frame; x < 348 + 2 * frame; ++x) {
        picture.Pixels[y * common::kPictureWidth + x] ^= 0x1234;
      }
    }
    presenter.Accept(picture.View());
    if (frame % 2 == 1) presenter.AddText(0, 0, "59");
    std::vector<SDL_Rect> sent;
    Compose(presenter, window.get(), &sent);

    // The same as a whole new drawing of this picture and text.
    const Surface whole = MakeSurface(1280, 1024, SDL_PIXELFORMAT_XRGB8888);
    WindowPresenter fresh;
    fresh.Accept(picture.View());
    if (frame % 2 == 1) fresh.AddText(0, 0, "59");
    Compose(fresh, whole.get());
    int wrong = 0, unsent = 0;
    long area = 0;
    for (const SDL_Rect& r : sent) area += static_cast<long>(r.w) * r.h;
    for (int y = 0; y < 1024; ++y) {
      for (int x = 0; x < 1280; ++x) {
        const uint32_t now = PixelAt(window.get(), x, y);
        wrong += now != PixelAt(whole.get(), x, y);
        if (now == PixelAt(before.get(), x, y)) continue;
        const SDL_Point at{x, y};
        bool in = false;
        for (const SDL_Rect& r : sent) in = in || SDL_PointInRect(&at, &r);
        unsent += !in;
      }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(unsent, 0);
    EXPECT_LT(area, 20000);  // the sprite's two places and the text box, at scale 2
  }
}

TEST(PresenterTest, AWindowSmallerThanThePictureGetsItShrunk) {
  Picture picture = AllColours();
  const Surface window = MakeSurface(320, 200, SDL_PIXELFORMAT_XRGB8888);
  WindowPresenter presenter;
  presenter.Accept(picture.View());
  Compose(presenter, window.get());
  const common::Placement& p = presenter.PicturePlacement();
  EXPECT_TRUE(p.Width == 266 && p.Height == 200 && p.X == 27);
  const COLORREF c = soft::FromRgb565(picture.Pixels[0]);
  EXPECT_EQ(PixelAt(window.get(), p.X, 0),
            SDL_MapRGB(window->format, c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
  EXPECT_EQ(PixelAt(window.get(), p.X - 1, 100), 0u);
}

}  // namespace
}  // namespace carpex::sdl
