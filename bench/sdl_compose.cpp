#include "bench/sdl_compose.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/soft/control.h"

namespace carpex::bench {

namespace {

SDL_Surface* NewSurface(int width, int height) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
  if (s == nullptr) {
    std::fprintf(stderr, "SDL_CreateRGBSurfaceWithFormat: %s\n", SDL_GetError());
    std::abort();
  }
  return s;
}

// A copy of one surface of the software display, with its colour key if it has one.
SDL_Surface* CopyOf(IDirectDrawSurface7* source, bool rle) {
  const soft::PixelView view = soft::SurfacePixels(source);
  SDL_Surface* s = NewSurface(view.width, view.height);
  for (int y = 0; y < view.height; ++y) {
    std::memcpy(
        static_cast<uint8_t*>(s->pixels) + static_cast<ptrdiff_t>(y) * s->pitch,
        reinterpret_cast<const uint8_t*>(view.pixels) + static_cast<ptrdiff_t>(y) * view.pitch,
        static_cast<size_t>(view.width) * 2);
  }
  DDCOLORKEY key{};
  if (source->GetColorKey(DDCKEY_SRCBLT, &key) == DD_OK) {
    SDL_SetColorKey(s, SDL_TRUE, key.dwColorSpaceLowValue);
    SDL_SetSurfaceRLE(s, rle ? 1 : 0);
  }
  return s;
}

}  // namespace

SdlComposer::SdlComposer(WorstCaseScene& scene, bool rle) : scene_(scene) {
  TForm1& form = scene.Form();
  background_ = CopyOf(form.PlayFieldBackground.Get(), rle);
  plane_ = CopyOf(form.PlaneSheet.Get(), rle);
  explosion_ = CopyOf(form.ExplosionSheet.Get(), rle);
  bomb_ = CopyOf(form.BombSheet.Get(), rle);
  back_ = NewSurface(kScreenWidth, kScreenHeight);
}

SdlComposer::~SdlComposer() {
  for (SDL_Surface* s : {background_, plane_, explosion_, bomb_, back_}) {
    SDL_FreeSurface(s);
  }
}

SDL_Surface* SdlComposer::SheetFor(IDirectDrawSurface7* sheet) const {
  TForm1& form = scene_.Form();
  if (sheet == form.PlaneSheet.Get()) return plane_;
  if (sheet == form.ExplosionSheet.Get()) return explosion_;
  return bomb_;
}

void SdlComposer::ComposeFrame() {
  SDL_BlitSurface(background_, nullptr, back_, nullptr);
  for (int i = 0; i < scene_.SpriteCount; ++i) {
    const SpriteBlit& b = scene_.Sprites[i];
    SDL_Rect src{b.Src.Left, b.Src.Top, b.Src.Right - b.Src.Left, b.Src.Bottom - b.Src.Top};
    SDL_Rect dst{b.X, b.Y, 0, 0};
    SDL_BlitSurface(SheetFor(b.Sheet), &src, back_, &dst);
  }
}

}  // namespace carpex::bench
