#include "platform/sdl/presenter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/soft/control.h"
#include "platform/common/pixel_font.h"

namespace carpex::sdl {

namespace {

constexpr SDL_Color Opaque(common::TextColour C) {
  return SDL_Color{C.R, C.G, C.B, 255};
}
constexpr SDL_Color kTextBackground = Opaque(common::kTextFace);
constexpr SDL_Color kTextColour = Opaque(common::kTextInk);

constexpr int kColours = 1 << 16;

template <int Bpp>
inline void Store(uint8_t* To, uint32_t Value) {
  if constexpr (Bpp == 4) {
    std::memcpy(To, &Value, 4);
  } else if constexpr (Bpp == 2) {
    const uint16_t v = static_cast<uint16_t>(Value);
    std::memcpy(To, &v, 2);
  } else if constexpr (Bpp == 1) {
    *To = static_cast<uint8_t>(Value);
  } else {
    // SDL keeps 3-byte pixels in the machine's byte order.
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    To[0] = static_cast<uint8_t>(Value);
    To[1] = static_cast<uint8_t>(Value >> 8);
    To[2] = static_cast<uint8_t>(Value >> 16);
#else
    To[0] = static_cast<uint8_t>(Value >> 16);
    To[1] = static_cast<uint8_t>(Value >> 8);
    To[2] = static_cast<uint8_t>(Value);
#endif
  }
}

// Picture columns [Left, Right) of one row, each pixel Scale times across and
// the result Scale times down. Line points at the surface row where the
// picture row's first pixel goes.
template <int Bpp>
void ScaleRow(const uint16_t* From, int Left, int Right, const uint32_t* Table, uint8_t* Line,
              int Scale, int Pitch) {
  uint8_t* start = Line + static_cast<ptrdiff_t>(Left) * Scale * Bpp;
  uint8_t* to = start;
  if (Scale == 1) {
    for (int x = Left; x < Right; ++x, to += Bpp) Store<Bpp>(to, Table[From[x]]);
  } else if (Scale == 2) {
    for (int x = Left; x < Right; ++x, to += 2 * Bpp) {
      const uint32_t v = Table[From[x]];
      Store<Bpp>(to, v);
      Store<Bpp>(to + Bpp, v);
    }
  } else {
    for (int x = Left; x < Right; ++x) {
      const uint32_t v = Table[From[x]];
      for (int k = 0; k < Scale; ++k, to += Bpp) Store<Bpp>(to, v);
    }
  }
  const size_t bytes = static_cast<size_t>(to - start);
  for (int k = 1; k < Scale; ++k)
    std::memcpy(start + static_cast<ptrdiff_t>(k) * Pitch, start, bytes);
}

using RowScaler = void (*)(const uint16_t*, int, int, const uint32_t*, uint8_t*, int, int);

RowScaler ScalerFor(int BytesPerPixel) {
  switch (BytesPerPixel) {
    case 1:
      return ScaleRow<1>;
    case 2:
      return ScaleRow<2>;
    case 3:
      return ScaleRow<3>;
    default:
      return ScaleRow<4>;
  }
}

using PixelStore = void (*)(uint8_t*, uint32_t);

PixelStore StoreFor(int BytesPerPixel) {
  switch (BytesPerPixel) {
    case 1:
      return Store<1>;
    case 2:
      return Store<2>;
    case 3:
      return Store<3>;
    default:
      return Store<4>;
  }
}

uint32_t Map(const SDL_Surface* Target, SDL_Color C) {
  return SDL_MapRGB(Target->format, C.r, C.g, C.b);
}

}  // namespace

WindowPresenter::WindowPresenter()
    : picture_(new uint16_t[common::kPictureWidth * common::kPictureHeight]()),
      table_(new uint32_t[kColours]) {
  for (int y = 0; y < common::kPictureHeight; ++y) {
    dirty_left_[y] = 0;
    dirty_right_[y] = common::kPictureWidth;
  }
}

void WindowPresenter::Accept(const soft::PixelView& Picture) {
  text_count_ = 0;
  if (Picture.pixels == nullptr || Picture.width != common::kPictureWidth ||
      Picture.height != common::kPictureHeight) {
    return;
  }
  for (int y = 0; y < common::kPictureHeight; ++y) {
    const uint16_t* from =
        reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(Picture.pixels) +
                                          static_cast<ptrdiff_t>(y) * Picture.pitch);
    uint16_t* to = &picture_[static_cast<size_t>(y) * common::kPictureWidth];
    if (std::memcmp(from, to, common::kPictureWidth * 2) == 0) continue;
    int left = 0;
    int right = common::kPictureWidth;
    while (from[left] == to[left]) ++left;
    while (from[right - 1] == to[right - 1]) --right;
    std::memcpy(to + left, from + left, static_cast<size_t>(right - left) * 2);
    MarkDirty(y, left, right);
  }
}

void WindowPresenter::AddText(int32_t X, int32_t Y, const char* Chars) {
  Text& t = texts_[text_count_ < kMaxTexts ? text_count_++ : kMaxTexts - 1];
  t.X = X;
  t.Y = Y;
  std::snprintf(t.Chars, sizeof t.Chars, "%s", Chars != nullptr ? Chars : "");
}

void WindowPresenter::MarkDirty(int Y, int Left, int Right) {
  if (dirty_left_[Y] >= dirty_right_[Y]) {
    dirty_left_[Y] = static_cast<int16_t>(Left);
    dirty_right_[Y] = static_cast<int16_t>(Right);
  } else {
    dirty_left_[Y] = static_cast<int16_t>(std::min<int>(dirty_left_[Y], Left));
    dirty_right_[Y] = static_cast<int16_t>(std::max<int>(dirty_right_[Y], Right));
  }
}

// The picture pixels under a box of window pixels.
void WindowPresenter::MarkBoxDirty(const SDL_Rect& Box) {
  const int s = where_.Scale;
  const int left = std::max(0, (Box.x - where_.X) / s);
  const int right = std::min(common::kPictureWidth, (Box.x + Box.w - where_.X + s - 1) / s);
  const int top = std::max(0, (Box.y - where_.Y) / s);
  const int bottom = std::min(common::kPictureHeight, (Box.y + Box.h - where_.Y + s - 1) / s);
  for (int y = top; y < bottom && left < right; ++y) MarkDirty(y, left, right);
}

bool WindowPresenter::Fresh(const SDL_Surface* Target) const {
  return redraw_ || Target != surface_ || Target->w != surface_w_ || Target->h != surface_h_ ||
         Target->format->format != table_format_ || Target->format->palette != table_palette_ ||
         (table_palette_ != nullptr && table_palette_->version != table_version_);
}

// A new surface: its conversion table, the picture's place, all black, and
// everything to be drawn.
void WindowPresenter::Adopt(SDL_Surface* Target) {
  const SDL_PixelFormat* f = Target->format;
  if (f->format != table_format_ || f->palette != table_palette_ ||
      (f->palette != nullptr && f->palette->version != table_version_)) {
    for (int c = 0; c < kColours; ++c) {
      const COLORREF rgb = soft::FromRgb565(static_cast<uint16_t>(c));
      table_[c] = SDL_MapRGB(f, rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    }
    table_format_ = f->format;
    table_palette_ = f->palette;
    table_version_ = f->palette != nullptr ? f->palette->version : 0;
  }
  surface_ = Target;
  surface_w_ = Target->w;
  surface_h_ = Target->h;
  where_ = common::PlacePicture(Target->w, Target->h);
  redraw_ = false;
  drawn_count_ = 0;
  SDL_FillRect(Target, nullptr, Map(Target, SDL_Color{0, 0, 0, 255}));
}

int WindowPresenter::Compose(SDL_Surface* Target, const SDL_Rect** Rects) {
  rect_count_ = 0;
  *Rects = rects_;
  if (Target == nullptr || Target->format->BytesPerPixel < 1 || Target->format->BytesPerPixel > 4) {
    return 0;
  }
  const bool fresh = Fresh(Target);
  if (fresh) {
    Adopt(Target);
  } else {
    // The text boxes of the last present go: black where they were, and the
    // picture drawn again under them.
    const uint32_t black = Map(Target, SDL_Color{0, 0, 0, 255});
    for (int i = 0; i < drawn_count_; ++i) {
      SDL_FillRect(Target, &drawn_boxes_[i], black);
      MarkBoxDirty(drawn_boxes_[i]);
      AddRect(Target, drawn_boxes_[i]);
    }
  }
  const bool shrunk = where_.Width != common::kPictureWidth * where_.Scale;
  const bool whole = fresh || shrunk || updates_ == Updates::Whole;
  if (whole) {
    for (int y = 0; y < common::kPictureHeight; ++y) MarkDirty(y, 0, common::kPictureWidth);
  }
  drawn_count_ = 0;

  const bool locked = SDL_MUSTLOCK(Target);
  if (locked && SDL_LockSurface(Target) != 0) return 0;
  if (shrunk) {
    DrawShrunk(Target);
  } else {
    DrawPicture(Target);
  }
  if (locked) SDL_UnlockSurface(Target);

  for (int i = 0; i < text_count_; ++i) {
    DrawText(Target, texts_[i], &drawn_boxes_[drawn_count_]);
    AddRect(Target, drawn_boxes_[drawn_count_++]);
  }
  if (whole) {
    rect_count_ = 0;
    AddRect(Target, SDL_Rect{0, 0, Target->w, Target->h});
  } else {
    CollectRows(Target);
  }
  for (int y = 0; y < common::kPictureHeight; ++y) dirty_left_[y] = dirty_right_[y] = 0;
  return rect_count_;
}

void WindowPresenter::DrawPicture(SDL_Surface* Target) {
  const RowScaler scale = ScalerFor(Target->format->BytesPerPixel);
  const int s = where_.Scale;
  uint8_t* origin = static_cast<uint8_t*>(Target->pixels) +
                    static_cast<ptrdiff_t>(where_.Y) * Target->pitch +
                    static_cast<ptrdiff_t>(where_.X) * Target->format->BytesPerPixel;
  for (int y = 0; y < common::kPictureHeight; ++y) {
    if (dirty_left_[y] >= dirty_right_[y]) continue;
    scale(&picture_[static_cast<size_t>(y) * common::kPictureWidth], dirty_left_[y],
          dirty_right_[y], table_.get(), origin + static_cast<ptrdiff_t>(y) * s * Target->pitch, s,
          Target->pitch);
  }
}

// A window smaller than the picture: every window pixel from its nearest
// picture pixel, all of it each time (no player keeps such a window for long).
void WindowPresenter::DrawShrunk(SDL_Surface* Target) {
  const int bpp = Target->format->BytesPerPixel;
  const PixelStore store = StoreFor(bpp);
  for (int y = 0; y < where_.Height; ++y) {
    const uint16_t* from =
        &picture_[static_cast<size_t>(y * common::kPictureHeight / where_.Height) *
                  common::kPictureWidth];
    uint8_t* to = static_cast<uint8_t*>(Target->pixels) +
                  static_cast<ptrdiff_t>(where_.Y + y) * Target->pitch +
                  static_cast<ptrdiff_t>(where_.X) * bpp;
    for (int x = 0; x < where_.Width; ++x, to += bpp) {
      store(to, table_[from[x * common::kPictureWidth / where_.Width]]);
    }
  }
}

void WindowPresenter::DrawText(SDL_Surface* Target, const Text& T, SDL_Rect* Box) const {
  // At the picture's scale, so the text keeps its size on the picture as on
  // the 640 x 480 screen it was made for.
  const int s = where_.Scale;
  *Box = SDL_Rect{T.X * s, T.Y * s, common::TextWidth(T.Chars) * s, common::kCellHeight * s};
  SDL_FillRect(Target, Box, Map(Target, kTextBackground));
  constexpr int kMaxRuns = 32 * common::kCellHeight * 3;
  common::InkRun runs[kMaxRuns];
  SDL_Rect rects[kMaxRuns];
  const int n = common::TextInk(T.Chars, runs, kMaxRuns);
  for (int i = 0; i < n; ++i) {
    rects[i] = SDL_Rect{Box->x + runs[i].X * s, Box->y + runs[i].Y * s, runs[i].Width * s, s};
  }
  SDL_FillRects(Target, rects, n, Map(Target, kTextColour));
}

void WindowPresenter::AddRect(const SDL_Surface* Target, SDL_Rect R) {
  const SDL_Rect all{0, 0, Target->w, Target->h};
  SDL_Rect clipped;
  if (rect_count_ < kMaxRects && SDL_IntersectRect(&R, &all, &clipped)) {
    rects_[rect_count_++] = clipped;
  }
}

// Runs of changed rows, each as one rectangle over the columns that changed
// in any of its rows.
void WindowPresenter::CollectRows(const SDL_Surface* Target) {
  const int s = where_.Scale;
  for (int y = 0; y < common::kPictureHeight;) {
    if (dirty_left_[y] >= dirty_right_[y]) {
      ++y;
      continue;
    }
    int left = dirty_left_[y];
    int right = dirty_right_[y];
    const int top = y;
    while (y < common::kPictureHeight && dirty_left_[y] < dirty_right_[y]) {
      left = std::min<int>(left, dirty_left_[y]);
      right = std::max<int>(right, dirty_right_[y]);
      ++y;
    }
    if (updates_ == Updates::Rows) {
      left = 0;
      right = common::kPictureWidth;
    }
    AddRect(Target,
            SDL_Rect{where_.X + left * s, where_.Y + top * s, (right - left) * s, (y - top) * s});
  }
}

}  // namespace carpex::sdl
