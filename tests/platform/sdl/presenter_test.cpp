// The picture on window surfaces of every kind: exact colours and whole-factor
// scaling, and updates that send every changed pixel.
#include "platform/sdl/presenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "graphics/soft/control.h"
#include "tests/platform/sdl/colours.h"

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

// At a whole factor and filling a room smoothly alike.
TEST(PresenterTest, UpdatesSendEveryChangedPixelAndLittleElse) {
  for (const SDL_Point size : {SDL_Point{1280, 1024}, SDL_Point{1200, 1000}}) {
    SCOPED_TRACE(size.x);
    Picture picture = AllColours();
    const Surface window = MakeSurface(size.x, size.y, SDL_PIXELFORMAT_XRGB8888);
    WindowPresenter presenter;
    presenter.Accept(picture.View());
    presenter.AddText(0, 0, "60");
    Compose(presenter, window.get());

    // Frame after frame: a sprite moves, the text goes and comes back.
    for (int frame = 0; frame < 4; ++frame) {
      SCOPED_TRACE(frame);
      const Surface before = MakeSurface(size.x, size.y, SDL_PIXELFORMAT_XRGB8888);
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
      const Surface whole = MakeSurface(size.x, size.y, SDL_PIXELFORMAT_XRGB8888);
      WindowPresenter fresh;
      fresh.Accept(picture.View());
      if (frame % 2 == 1) fresh.AddText(0, 0, "59");
      Compose(fresh, whole.get());
      int wrong = 0, unsent = 0;
      long area = 0;
      for (const SDL_Rect& r : sent) area += static_cast<long>(r.w) * r.h;
      for (int y = 0; y < size.y; ++y) {
        for (int x = 0; x < size.x; ++x) {
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
}

// A room that no whole factor fits well: filled, each window pixel inside one
// picture pixel has its colour exactly, and one across two lies between them.
TEST(PresenterTest, ARoomWholeFactorsFitBadlyIsFilledSmoothly) {
  Picture picture;
  for (int y = 0; y < common::kPictureHeight; ++y) {
    for (int x = 0; x < common::kPictureWidth; ++x) {
      picture.Pixels[y * common::kPictureWidth + x] = x % 2 == 0 ? 0xF800 : 0x001F;  // red, blue
    }
  }
  for (const SDL_Point size : {SDL_Point{1200, 1000}, SDL_Point{320, 200}}) {
    SCOPED_TRACE(size.x);
    const Surface window = MakeSurface(size.x, size.y, SDL_PIXELFORMAT_XRGB8888);
    WindowPresenter presenter;
    presenter.Accept(picture.View());
    Compose(presenter, window.get());
    const common::Placement& p = presenter.PicturePlacement();
    ASSERT_TRUE(p.Smooth);
    EXPECT_TRUE(p.Width == size.x || p.Height == size.y);
    // Black beside it, or above it.
    EXPECT_EQ(p.X > 0 ? ColourAt(window.get(), p.X - 1, p.Y) : ColourAt(window.get(), 0, p.Y - 1),
              0u);
    int exact = 0, between = 0, wrong = 0;
    for (int x = p.X; x < p.X + p.Width; ++x) {
      // The picture columns under window column x, in 1 / Width of a picture pixel.
      const long from = static_cast<long>(x - p.X) * common::kPictureWidth;
      const long to = from + common::kPictureWidth;
      const uint32_t c = ColourAt(window.get(), x, p.Y + p.Height / 2);
      const uint32_t red = c >> 16, blue = c & 0xFF;
      if (from / p.Width == (to - 1) / p.Width) {
        exact += c == ((from / p.Width) % 2 == 0 ? 0xFF0000u : 0x0000FFu);
        wrong += c != ((from / p.Width) % 2 == 0 ? 0xFF0000u : 0x0000FFu);
      } else {
        between += red + blue >= 250 && red + blue <= 260 && (c & 0xFF00) == 0;
        wrong += !(red + blue >= 250 && red + blue <= 260 && (c & 0xFF00) == 0);
      }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(exact + between, 0);
  }
}

}  // namespace
}  // namespace carpex::sdl
