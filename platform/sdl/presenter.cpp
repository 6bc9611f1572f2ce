#include "platform/sdl/presenter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/soft/control.h"
#include "platform/common/enlarge.h"
#include "platform/common/pixel_font.h"

namespace carpex::sdl {

namespace {

constexpr SDL_Color Opaque(common::TextColour C) {
  return SDL_Color{C.R, C.G, C.B, 255};
}
constexpr SDL_Color kTextBackground = Opaque(common::kTextFace);
constexpr SDL_Color kTextColour = Opaque(common::kTextInk);

constexpr int kColours = 1 << 16;

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
    int left = 0, right = 0;
    if (common::CopyChangedSpan(from, to, common::kPictureWidth, false, &left, &right)) {
      MarkDirty(y, left, right);
    }
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
  const int w = std::max(where_.Width, 1);
  const int h = std::max(where_.Height, 1);
  const int left = std::max(0, (Box.x - where_.X) * common::kPictureWidth / w);
  const int right = std::min(common::kPictureWidth,
                             ((Box.x + Box.w - where_.X) * common::kPictureWidth + w - 1) / w);
  const int top = std::max(0, (Box.y - where_.Y) * common::kPictureHeight / h);
  const int bottom = std::min(common::kPictureHeight,
                              ((Box.y + Box.h - where_.Y) * common::kPictureHeight + h - 1) / h);
  for (int y = top; y < bottom && left < right; ++y) MarkDirty(y, left, right);
}

// Window pixel o of Output covers picture pixels [o * Picture / Output,
// (o + 1) * Picture / Output): the shares of each, of 256, by how much of it
// the window pixel covers.
void WindowPresenter::Taps::Build(int Picture, int Output) {
  Begin.assign(static_cast<size_t>(Output) + 1, 0);
  Index.clear();
  Weight.clear();
  for (int o = 0; o < Output; ++o) {
    // In units of 1 / Output of a picture pixel.
    const long long from = static_cast<long long>(o) * Picture;
    const long long to = from + Picture;
    long long given = 0;
    for (long long p = from / Output; p * Output < to; ++p) {
      const long long covered = std::min(to, (p + 1) * Output) - std::max(from, p * Output);
      const long long upTo = std::min(to, (p + 1) * Output) - from;
      // Rounded as running totals, so that the shares add up to 256 exactly.
      const long long share = (upTo * 256 + Picture / 2) / Picture - given;
      given += share;
      if (covered <= 0 || share == 0) continue;
      Index.push_back(static_cast<int16_t>(p));
      Weight.push_back(static_cast<uint16_t>(share));
    }
    Begin[static_cast<size_t>(o) + 1] = static_cast<int32_t>(Index.size());
  }
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
  const common::Placement before = where_;
  const bool laidOut = layout_w_ == Target->w && layout_h_ == Target->h;
  where_ = laidOut ? layout_ : common::PlacePicture(Target->w, Target->h);
  if (!laidOut) legend_ = common::LegendPicture{};
  if (where_.Smooth && (!before.Smooth || before.Width != where_.Width ||
                        before.Height != where_.Height || columns_.Begin.empty())) {
    columns_.Build(common::kPictureWidth, where_.Width);
    rows_.Build(common::kPictureHeight, where_.Height);
  }
  redraw_ = false;
  drawn_count_ = 0;
  SDL_FillRect(Target, nullptr, Map(Target, SDL_Color{0, 0, 0, 255}));
  legend_drawn_ = SDL_Rect{0, 0, 0, 0};
  legend_dirty_ = true;
}

void WindowPresenter::SetLayout(int Width, int Height, const common::Placement& Picture,
                                common::LegendPicture Legend) {
  const bool moved = Picture.X != layout_.X || Picture.Y != layout_.Y ||
                     Picture.Width != layout_.Width || Picture.Height != layout_.Height;
  layout_w_ = Width;
  layout_h_ = Height;
  layout_ = Picture;
  legend_ = std::move(Legend);
  legend_dirty_ = true;
  // The picture drawn anew where it goes now.
  if (moved) redraw_ = true;
}

// The legend's picture, converted to the surface's format by SDL; black
// where the last one stood.
void WindowPresenter::DrawLegend(SDL_Surface* Target) {
  legend_dirty_ = false;
  if (legend_drawn_.w > 0) {
    SDL_FillRect(Target, &legend_drawn_, Map(Target, SDL_Color{0, 0, 0, 255}));
    AddRect(Target, legend_drawn_);
    legend_drawn_ = SDL_Rect{0, 0, 0, 0};
  }
  if (legend_.Width <= 0 || legend_.Height <= 0) return;
  SDL_Surface* from =
      SDL_CreateRGBSurfaceWithFormatFrom(legend_.Pixels.data(), legend_.Width, legend_.Height, 32,
                                         legend_.Width * 4, SDL_PIXELFORMAT_RGB888);
  if (from == nullptr) return;
  SDL_Rect to{legend_.X, legend_.Y, legend_.Width, legend_.Height};
  SDL_BlitSurface(from, nullptr, Target, &to);
  SDL_FreeSurface(from);
  legend_drawn_ = SDL_Rect{legend_.X, legend_.Y, legend_.Width, legend_.Height};
  AddRect(Target, legend_drawn_);
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
  const bool whole = fresh || updates_ == Updates::Whole;
  if (whole) {
    for (int y = 0; y < common::kPictureHeight; ++y) MarkDirty(y, 0, common::kPictureWidth);
  }
  drawn_count_ = 0;

  const bool locked = SDL_MUSTLOCK(Target);
  if (locked && SDL_LockSurface(Target) != 0) return 0;
  if (where_.Smooth) {
    DrawSmooth(Target);
  } else {
    DrawPicture(Target);
  }
  if (locked) SDL_UnlockSurface(Target);

  if (legend_dirty_) DrawLegend(Target);
  for (int i = 0; i < text_count_; ++i) {
    DrawText(Target, texts_[i], &drawn_boxes_[drawn_count_]);
    AddRect(Target, drawn_boxes_[drawn_count_++]);
  }
  if (whole) {
    rect_count_ = 0;
    AddRect(Target, SDL_Rect{0, 0, Target->w, Target->h});
  } else if (!where_.Smooth) {
    CollectRows(Target);
  }
  for (int y = 0; y < common::kPictureHeight; ++y) dirty_left_[y] = dirty_right_[y] = 0;
  return rect_count_;
}

void WindowPresenter::DrawPicture(SDL_Surface* Target) {
  const int bpp = Target->format->BytesPerPixel;
  const int s = where_.Scale;
  uint8_t* origin = static_cast<uint8_t*>(Target->pixels) +
                    static_cast<ptrdiff_t>(where_.Y) * Target->pitch +
                    static_cast<ptrdiff_t>(where_.X) * bpp;
  for (int y = 0; y < common::kPictureHeight; ++y) {
    if (dirty_left_[y] >= dirty_right_[y]) continue;
    common::EnlargeRow(&picture_[static_cast<size_t>(y) * common::kPictureWidth], dirty_left_[y],
                       dirty_right_[y], table_.get(), bpp,
                       origin + static_cast<ptrdiff_t>(y) * s * Target->pitch, s, Target->pitch);
  }
}

// The picture filling the room: each window pixel the average of the picture
// pixels it covers, weighed by how much of each it covers (what enlarging by
// a whole factor and reducing smoothly gives). Only the window pixels over
// changed picture pixels are drawn, and sent in runs of rows.
void WindowPresenter::DrawSmooth(SDL_Surface* Target) {
  const SDL_PixelFormat* f = Target->format;
  const int bpp = f->BytesPerPixel;
  const int w = where_.Width;
  int runTop = -1, runLeft = 0, runRight = 0, oy = 0;
  auto endRun = [&] {
    if (runTop >= 0) {
      AddRect(Target,
              SDL_Rect{where_.X + runLeft, where_.Y + runTop, runRight - runLeft, oy - runTop});
    }
    runTop = -1;
  };
  for (; oy < where_.Height; ++oy) {
    const int rowsFrom = rows_.Begin[oy];
    const int rowsTo = rows_.Begin[oy + 1];
    int left = common::kPictureWidth, right = 0;
    for (int t = rowsFrom; t < rowsTo; ++t) {
      const int py = rows_.Index[t];
      if (dirty_left_[py] >= dirty_right_[py]) continue;
      left = std::min<int>(left, dirty_left_[py]);
      right = std::max<int>(right, dirty_right_[py]);
    }
    if (left >= right) {
      endRun();
      continue;
    }
    const int ox0 = left * w / common::kPictureWidth;
    const int ox1 = std::min(w, (right * w + common::kPictureWidth - 1) / common::kPictureWidth);
    // The picture rows under this window row blended first, for the picture
    // columns under these window columns; then each window pixel from them.
    const int px0 = columns_.Index[columns_.Begin[ox0]];
    const int px1 = columns_.Index[columns_.Begin[ox1] - 1] + 1;
    for (int px = px0; px < px1; ++px) blended_[px][0] = blended_[px][1] = blended_[px][2] = 0;
    for (int ty = rowsFrom; ty < rowsTo; ++ty) {
      const uint16_t* row = &picture_[static_cast<size_t>(rows_.Index[ty]) * common::kPictureWidth];
      const uint32_t wy = rows_.Weight[ty];
      for (int px = px0; px < px1; ++px) {
        const Rgb c = FromRgb565(row[px]);
        blended_[px][0] += wy * c.R;
        blended_[px][1] += wy * c.G;
        blended_[px][2] += wy * c.B;
      }
    }
    uint8_t* to = static_cast<uint8_t*>(Target->pixels) +
                  static_cast<ptrdiff_t>(where_.Y + oy) * Target->pitch +
                  static_cast<ptrdiff_t>(where_.X + ox0) * bpp;
    for (int ox = ox0; ox < ox1; ++ox, to += bpp) {
      uint32_t r = 0, g = 0, b = 0;
      for (int tx = columns_.Begin[ox]; tx < columns_.Begin[ox + 1]; ++tx) {
        const uint32_t share = columns_.Weight[tx];
        const uint32_t* c = blended_[columns_.Index[tx]];
        r += share * c[0];
        g += share * c[1];
        b += share * c[2];
      }
      r = (r + 32768) >> 16;
      g = (g + 32768) >> 16;
      b = (b + 32768) >> 16;
      const uint32_t value = f->palette != nullptr
                                 ? SDL_MapRGB(f, static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                              static_cast<uint8_t>(b))
                                 : ((r >> f->Rloss) << f->Rshift) | ((g >> f->Gloss) << f->Gshift) |
                                       ((b >> f->Bloss) << f->Bshift) | f->Amask;
      common::StorePixel(to, value, bpp);
    }
    if (runTop < 0) {
      runTop = oy;
      runLeft = ox0;
      runRight = ox1;
    } else {
      runLeft = std::min(runLeft, ox0);
      runRight = std::max(runRight, ox1);
    }
  }
  endRun();
}

void WindowPresenter::DrawText(SDL_Surface* Target, const Text& T, SDL_Rect* Box) const {
  // At the picture's scale, so the text keeps its size on the picture as on
  // the 640 x 480 screen it was made for.
  const int s = where_.TextScale;
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
