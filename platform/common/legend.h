// What the native games say to the player around the picture: the keys that
// apply now (on the level screen, in a round, paused, after a round), in the
// player's language, drawn in the black room beside or under the picture with
// the legend's font (assets/legend_font.bin), or said in the window's title
// where there is no room.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/texts.h"
#include "platform/common/controls.h"
#include "platform/common/gamepad.h"
#include "platform/common/layout.h"
#include "platform/common/records.h"

namespace carpex::common {

// The legend's font as the games carry it; empty (nothing drawn) when its
// bytes are not a font.
class LegendFont {
 public:
  LegendFont() = default;
  LegendFont(const uint8_t* Data, size_t Size);
  bool Usable() const { return !glyphs_.empty(); }
  int LineHeight() const { return height_; }
  // Width in pixels of a UTF-8 text at scale 1; a character the font lacks
  // counts as a box of the space's width.
  int Width(std::string_view Text) const;
  // Ink of Text with its cell's top-left at (X, Y), each font pixel Scale x
  // Scale, into Pixels (Stride values a row, Width x Height of them, clipped).
  void Draw(std::string_view Text, int X, int Y, int Scale, uint32_t Ink, uint32_t* Pixels,
            int Width, int Height, int Stride) const;

 private:
  struct Glyph {
    char32_t Code;
    uint8_t Advance;
    size_t Rows;  // offset of its first row in data_
  };
  const Glyph* Find(char32_t Code) const;
  const uint8_t* data_ = nullptr;
  std::vector<Glyph> glyphs_;
  int height_ = 0;
};

// What the legend says of the records, where the game keeps them: the
// chosen level's at the speed on the level screen, and after a round what it
// changed.
struct RecordsShown {
  bool Kept = false;
  uint8_t Level = 0;    // the level a gamepad or the one switch would start
  LevelRecord Record;   // its record at the speed
  Records::News News;   // of the round last played
  LevelRecord Played;   // that round's level's record at its speed
  uint32_t Daily = 0;   // today's city's day (YYYYMMDD), 0 for none
  DayResult Day;        // its result; Day.Day 0: none yet
  bool NoBest = false;  // W found no best round kept
  bool Brief = false;   // the record alone, where the room is short
  bool operator==(const RecordsShown&) const = default;
};

// What the legend says depends on: where the game is, whether a gamepad is
// connected and which level its A starts, the language, the speed, and the
// player's controls (the keys chosen or being chosen, one switch, the click).
// Compared every frame, so that the lines are made again only when it changes.
struct LegendKey {
  enum Screen : uint8_t { Level, Round, Paused, Over } On = Level;
  bool Pads = false;
  uint8_t PadChoice = 0;
  Language In = Language::English;
  uint16_t Speed = 100;
  PlayerKeys Keys = {};
  bool OneSwitch = false;
  bool Click = false;
  Controls::Asking Asking = Controls::Asking::Nothing;
  uint16_t Refused = 0;
  Refusal RefusedWhy = Refusal::None;
  bool AskingToClear = false;
  RecordsShown Records;
  bool operator==(const LegendKey&) const = default;
};
LegendKey LegendKeyOf(const GameView& View, int Pads, uint8_t PadChoice);
LegendKey LegendKeyOf(const GameView& View, const Controls& With, const RecordsShown& Records = {});

// A number of frames as seconds at 100 %, with one decimal ("12.3").
std::string Seconds(uint32_t Frames);

// The legend's lines: what the keys do where the game is, a gamepad's too
// when one is connected.
std::vector<std::string> LegendLines(const LegendKey& Key);

// A legend laid out in a window: the rectangle it takes (window pixels,
// beside or under the picture, never over it) and its picture, 0x00RRGGBB
// values a row, top row first.
struct LegendPicture {
  int X = 0, Y = 0, Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;
};

// Lays Lines out in the black room of a Width x Height window around the
// picture placed at Picture (centred, as PlacePicture places it), never over
// it: in a band under it (the lines side by side, in rows), or else in a
// column beside it on its right (one under the other, broken where they must
// be), at the largest whole scale up to the picture's at which they all fit.
// False when there is no room for them all.
bool DrawLegend(const LegendFont& Font, const std::vector<std::string>& Lines, int Width,
                int Height, const Placement& Picture, LegendPicture* Out);

// LegendLines(Key) drawn as DrawLegend draws them; where they do not all
// fit, the records say less, or nothing. *Lines: the lines in full (for the
// title when there is no room at all).
bool DrawLegendFitting(const LegendFont& Font, LegendKey Key, int Width, int Height,
                       const Placement& Picture, LegendPicture* Out,
                       std::vector<std::string>* Lines);

// The window's title: the game's name alone when the legend shows, else with
// the legend's lines.
std::string LegendTitle(const std::vector<std::string>& Lines, bool LegendShown, Language In);

}  // namespace carpex::common
