#include "bench/sdl_compose.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/soft/control.h"

namespace carpex::bench {

namespace {

SDL_Surface* NewSurface(int Width, int Height) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, Width, Height, 16, SDL_PIXELFORMAT_RGB565);
  if (s == nullptr) {
    std::fprintf(stderr, "SDL_CreateRGBSurfaceWithFormat: %s\n", SDL_GetError());
    std::abort();
  }
  return s;
}

// A copy of a part of one surface of the software display (the whole when
// width is 0), with its colour key if it has one.
SDL_Surface* CopyOf(IDirectDrawSurface7* Source, bool Rle, int Left = 0, int Width = 0) {
  const soft::PixelView view = soft::SurfacePixels(Source);
  if (Width == 0) Width = view.width;
  SDL_Surface* s = NewSurface(Width, view.height);
  for (int y = 0; y < view.height; ++y) {
    std::memcpy(static_cast<uint8_t*>(s->pixels) + static_cast<ptrdiff_t>(y) * s->pitch,
                reinterpret_cast<const uint8_t*>(view.pixels) +
                    static_cast<ptrdiff_t>(y) * view.pitch + static_cast<ptrdiff_t>(Left) * 2,
                static_cast<size_t>(Width) * 2);
  }
  DDCOLORKEY key{};
  if (Source->GetColorKey(DDCKEY_SRCBLT, &key) == DD_OK) {
    SDL_SetColorKey(s, SDL_TRUE, key.dwColorSpaceLowValue);
    SDL_SetSurfaceRLE(s, Rle ? 1 : 0);
  }
  return s;
}

}  // namespace

SdlComposer::SdlComposer(WorstCaseScene& Scene, Arrangement Layout) : scene_(Scene) {
  const TForm1Access form = Scene.Inside();
  const bool rle = Layout != Arrangement::Sheets;
  background_ = CopyOf(form.PlayFieldBackground().Get(), false);
  back_ = NewSurface(kScreenWidth, kScreenHeight);
  const bool cut = Layout == Arrangement::RleFrames;
  const World& w = form.W();
  Cut(form.PlaneSheet().Get(), cut ? w.Plane.Width : 0, &plane_frames_);
  Cut(form.ExplosionSheet().Get(), cut ? w.Explosions[1].FrameWidth : 0, &explosion_frames_);
  Cut(form.BombSheet().Get(), 0, &bomb_frames_);
  for (Frames* f : {&plane_frames_, &explosion_frames_, &bomb_frames_}) {
    for (int i = 0; i < f->Count; ++i) {
      f->Frame[i] = CopyOf(f->Sheet, rle, i * f->Width, f->Width);
    }
  }
}

void SdlComposer::Cut(IDirectDrawSurface7* Sheet, int Width, Frames* Into) {
  const int sheetWidth = soft::SurfacePixels(Sheet).width;
  Into->Sheet = Sheet;
  Into->Width = Width > 0 ? Width : sheetWidth;
  Into->Count = sheetWidth / Into->Width;
  if (Into->Count < 1 || Into->Count > Frames::kMax) {
    std::fprintf(stderr, "cannot cut a sheet %d wide into frames %d wide\n", sheetWidth, Width);
    std::abort();
  }
}

SdlComposer::~SdlComposer() {
  for (const Frames* f : {&plane_frames_, &explosion_frames_, &bomb_frames_}) {
    for (int i = 0; i < f->Count; ++i) SDL_FreeSurface(f->Frame[i]);
  }
  SDL_FreeSurface(background_);
  SDL_FreeSurface(back_);
}

const SdlComposer::Frames& SdlComposer::FramesFor(IDirectDrawSurface7* Sheet) const {
  if (Sheet == plane_frames_.Sheet) return plane_frames_;
  if (Sheet == explosion_frames_.Sheet) return explosion_frames_;
  return bomb_frames_;
}

void SdlComposer::ComposeFrame() {
  SDL_BlitSurface(background_, nullptr, back_, nullptr);
  for (int i = 0; i < scene_.SpriteCount; ++i) {
    const SpriteBlit& b = scene_.Sprites[i];
    const Frames& f = FramesFor(b.Sheet);
    const int frame = b.Src.Left / f.Width;
    SDL_Rect src{b.Src.Left - frame * f.Width, b.Src.Top, b.Src.Right - b.Src.Left,
                 b.Src.Bottom - b.Src.Top};
    SDL_Rect dst{b.X, b.Y, 0, 0};
    SDL_BlitSurface(f.Frame[frame], &src, back_, &dst);
  }
}

}  // namespace carpex::bench
