// The picture on the window's own surface: the 640 x 480 RGB565 picture
// scaled by a whole factor (or filling the room, reduced smoothly; see
// PlacePicture), centred on black, converted to the surface's pixel format
// through a table, and the window's text drawn over it. Only what changed
// since the last present is drawn and sent to the screen, so a frame of play
// costs a few small rectangles instead of the whole screen.
//
// Nothing is allocated after construction except when the surface's format
// changes (the conversion table is rebuilt then) or the window's size does
// (the smooth reduction's shares).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/common/layout.h"
#include "platform/common/legend.h"

namespace soft {
struct PixelView;
}

namespace carpex::sdl {

class WindowPresenter {
 public:
  // How much of the window each present sends to the screen: everything, the
  // whole width of every changed row, or the changed rows' changed columns.
  enum class Updates : uint8_t { Whole, Rows, Rects };

  WindowPresenter();

  // A new picture (640 x 480; any other size is ignored). Notes which rows and
  // columns differ from the picture before it, and removes the text: the new
  // picture covers it.
  void Accept(const soft::PixelView& Picture);
  // Text on the window at a pixel position of the 640 x 480 screen (drawn at
  // the picture's scale from the window's top-left corner), until the next
  // picture. At most kMaxTexts at once; a further one replaces the last.
  void AddText(int32_t X, int32_t Y, const char* Chars);
  // The next Compose draws the whole window (it was resized or exposed).
  void Redraw() { redraw_ = true; }
  // From the next Compose on, for a surface of Width x Height: the picture
  // placed at Picture, and the legend in the black room around it (Legend
  // with no area: none). A surface of another size gets the picture centred
  // (PlacePicture), without a legend.
  void SetLayout(int Width, int Height, const common::Placement& Picture,
                 common::LegendPicture Legend);
  void SetUpdates(Updates How) { updates_ = How; }

  // Draws into Target what changed since the last Compose and points *Rects at
  // the rectangles of Target that must go to the screen; returns how many.
  // A surface of another size or format than the last one is drawn whole.
  int Compose(SDL_Surface* Target, const SDL_Rect** Rects);

  // Where the picture sits on the last surface composed.
  const common::Placement& PicturePlacement() const { return where_; }

  static constexpr int kMaxTexts = 4;

 private:
  struct Text {
    int32_t X;
    int32_t Y;
    char Chars[32];
  };
  static constexpr int kMaxRects = common::kPictureHeight + 2 * kMaxTexts;

  bool Fresh(const SDL_Surface* Target) const;
  void Adopt(SDL_Surface* Target);
  void MarkDirty(int Y, int Left, int Right);
  void MarkBoxDirty(const SDL_Rect& Box);
  void DrawPicture(SDL_Surface* Target);
  void DrawSmooth(SDL_Surface* Target);
  void DrawText(SDL_Surface* Target, const Text& T, SDL_Rect* Box) const;
  void DrawLegend(SDL_Surface* Target);
  void AddRect(const SDL_Surface* Target, SDL_Rect R);
  void CollectRows(const SDL_Surface* Target);

  // The picture as last accepted, and per row the columns [Left, Right) that
  // have not been drawn on the surface yet.
  std::unique_ptr<uint16_t[]> picture_;
  int16_t dirty_left_[common::kPictureHeight];
  int16_t dirty_right_[common::kPictureHeight];
  // RGB565 to the surface's pixel value.
  std::unique_ptr<uint32_t[]> table_;
  uint32_t table_format_ = SDL_PIXELFORMAT_UNKNOWN;
  const SDL_Palette* table_palette_ = nullptr;
  uint32_t table_version_ = 0;

  const SDL_Surface* surface_ = nullptr;
  int surface_w_ = 0;
  int surface_h_ = 0;
  common::Placement where_;
  // For the smooth placement: the picture pixels under each window column and
  // row, with their shares of 256.
  struct Taps {
    std::vector<int32_t> Begin;  // per window pixel, where its taps start; one more at the end
    std::vector<int16_t> Index;
    std::vector<uint16_t> Weight;
    void Build(int Picture, int Output);
  };
  Taps columns_;
  Taps rows_;
  // One window row's picture rows blended, per picture column: red, green, blue.
  uint32_t blended_[common::kPictureWidth][3] = {};
  bool redraw_ = true;
  Updates updates_ = Updates::Rects;

  common::LegendPicture legend_;
  int layout_w_ = -1;
  int layout_h_ = -1;
  common::Placement layout_;
  // Where the legend was drawn last, to be cleared when it changes.
  SDL_Rect legend_drawn_{0, 0, 0, 0};
  bool legend_dirty_ = false;

  Text texts_[kMaxTexts] = {};
  int text_count_ = 0;
  // The text boxes on the screen now, in window pixels.
  SDL_Rect drawn_boxes_[kMaxTexts] = {};
  int drawn_count_ = 0;

  SDL_Rect rects_[kMaxRects] = {};
  int rect_count_ = 0;
};

}  // namespace carpex::sdl
