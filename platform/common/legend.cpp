#include "platform/common/legend.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace carpex::common {

namespace {

constexpr uint8_t kMagic[4] = {'C', 'X', 'F', '1'};
constexpr size_t kHeader = 8;
// Between two lines put side by side, in spaces' widths.
constexpr int kGap = 3;
// Around the legend, at scale 1: beside it, and over and under it (a band
// under a picture enlarged on a 1280 x 1024 screen has 32 pixels).
constexpr int kMargin = 8;
constexpr int kMarginOver = 4;
// The legend's colour: the page's, light grey on the black.
constexpr uint32_t kInk = 0xC0C0C0;

// The next character of a UTF-8 text (U+FFFD for a broken one).
char32_t NextCharacter(std::string_view& Text) {
  const auto lead = static_cast<unsigned char>(Text[0]);
  const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || static_cast<size_t>(extra) >= Text.size()) {
    Text.remove_prefix(1);
    return 0xFFFD;
  }
  char32_t c = extra == 0 ? lead : lead & (0x3Fu >> extra);
  for (int i = 1; i <= extra; ++i) c = (c << 6) | (static_cast<unsigned char>(Text[i]) & 0x3Fu);
  Text.remove_prefix(static_cast<size_t>(extra) + 1);
  return c;
}

uint32_t Read(const uint8_t* At, int Bytes) {
  uint32_t value = 0;
  for (int i = Bytes - 1; i >= 0; --i) value = value << 8 | At[i];
  return value;
}

}  // namespace

LegendFont::LegendFont(const uint8_t* Data, size_t Size) {
  if (Data == nullptr || Size < kHeader || std::memcmp(Data, kMagic, 4) != 0) return;
  const int height = Data[4];
  const size_t count = Read(Data + 6, 2);
  size_t at = kHeader;
  std::vector<Glyph> glyphs;
  for (size_t i = 0; i < count; ++i) {
    if (at + 5 > Size) return;
    const Glyph glyph{Read(Data + at, 4), Data[at + 4], at + 5};
    at += 5 + static_cast<size_t>(height) * ((glyph.Advance + 7) / 8);
    if (at > Size || (!glyphs.empty() && glyph.Code <= glyphs.back().Code)) return;
    glyphs.push_back(glyph);
  }
  data_ = Data;
  height_ = height;
  glyphs_ = std::move(glyphs);
}

const LegendFont::Glyph* LegendFont::Find(char32_t Code) const {
  const auto it = std::lower_bound(glyphs_.begin(), glyphs_.end(), Code,
                                   [](const Glyph& G, char32_t C) { return G.Code < C; });
  return it != glyphs_.end() && it->Code == Code ? &*it : nullptr;
}

int LegendFont::Width(std::string_view Text) const {
  const Glyph* box = Find(U' ');
  int width = 0;
  while (!Text.empty()) {
    const Glyph* glyph = Find(NextCharacter(Text));
    if (glyph == nullptr) glyph = box;
    width += glyph != nullptr ? glyph->Advance : 0;
  }
  return width;
}

void LegendFont::Draw(std::string_view Text, int X, int Y, int Scale, uint32_t Ink,
                      uint32_t* Pixels, int Width, int Height, int Stride) const {
  const Glyph* space = Find(U' ');
  int pen = X;
  while (!Text.empty()) {
    const Glyph* glyph = Find(NextCharacter(Text));
    if (glyph == nullptr) {
      // A missing character shows as an empty box, as a missing glyph does.
      const int w = space != nullptr ? space->Advance : height_ / 2;
      for (int i = 1; i < w - 1; ++i) {
        for (int y : {height_ / 4, height_ * 3 / 4}) {
          for (int sy = 0; sy < Scale; ++sy) {
            for (int sx = 0; sx < Scale; ++sx) {
              const int px = pen + i * Scale + sx, py = Y + y * Scale + sy;
              if (px >= 0 && px < Width && py >= 0 && py < Height) Pixels[py * Stride + px] = Ink;
            }
          }
        }
      }
      pen += w * Scale;
      continue;
    }
    const int bytes = (glyph->Advance + 7) / 8;
    for (int row = 0; row < height_; ++row) {
      const uint8_t* bits = data_ + glyph->Rows + static_cast<size_t>(row) * bytes;
      for (int column = 0; column < glyph->Advance; ++column) {
        if ((bits[column / 8] & (0x80 >> (column % 8))) == 0) continue;
        for (int sy = 0; sy < Scale; ++sy) {
          const int py = Y + row * Scale + sy;
          if (py < 0 || py >= Height) continue;
          for (int sx = 0; sx < Scale; ++sx) {
            const int px = pen + column * Scale + sx;
            if (px >= 0 && px < Width) Pixels[py * Stride + px] = Ink;
          }
        }
      }
    }
    pen += glyph->Advance * Scale;
  }
}

LegendKey LegendKeyOf(const GameView& View, int Pads, uint8_t PadChoice) {
  LegendKey key;
  key.On = View.LevelScreen ? LegendKey::Level
           : View.Paused    ? LegendKey::Paused
           : View.RoundOver ? LegendKey::Over
                            : LegendKey::Round;
  key.Pads = Pads > 0;
  key.PadChoice = key.Pads ? PadChoice : 0;
  key.In = View.In;
  key.Speed = View.Speed;
  return key;
}

LegendKey LegendKeyOf(const GameView& View, const Controls& With, const RecordsShown& Records) {
  LegendKey key = LegendKeyOf(View, With.Pads().Count(), With.Choice());
  key.AskingToClear = With.AskingToClear();
  // Where the records matter: on the level screen and after a round.
  if (key.On == LegendKey::Level || key.On == LegendKey::Over) key.Records = Records;
  key.Keys = With.Keys();
  key.OneSwitch = With.OneSwitchOn();
  // The one switch's level shows without a gamepad too.
  if (key.OneSwitch) key.PadChoice = With.Choice();
  key.Click = With.ClickPlays();
  key.Asking = With.Prompt();
  if (key.Asking != Controls::Asking::Nothing) {
    key.Refused = With.RefusedKey();
    key.RefusedWhy = With.RefusedWhy();
  }
  return key;
}

namespace {

// The lines of the choice of keys that K opened.
void AskingLines(const LegendKey& Key, std::vector<std::string>* Lines) {
  Lines->push_back(Say(
      Key.Asking == Controls::Asking::Bomb ? Text::LegendAskBomb : Text::LegendAskLeave, Key.In));
  if (Key.Refused != 0) {
    Lines->push_back(Key.RefusedWhy == Refusal::InUse
                         ? Say(Text::LegendKeyInUse, Key.In, {ShownKeyName(Key.Refused, Key.In)})
                         : Say(Text::LegendKeyUnnamed, Key.In));
  }
  Lines->push_back(Say(Text::LegendAskKeep, Key.In));
}

// A day, YYYYMMDD, as YYYY-MM-DD.
std::string DayText(uint32_t Day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", static_cast<unsigned>(Day / 10000),
                static_cast<unsigned>(Day / 100 % 100), static_cast<unsigned>(Day % 100));
  return text;
}

// What the records say of the chosen level (at the speed the legend names
// when it is not 100 %), and how to watch or clear them; Brief: the record
// alone, where room is short.
void LevelRecordLines(const LegendKey& Key, std::vector<std::string>* Lines) {
  const RecordsShown& r = Key.Records;
  const Language in = Key.In;
  const std::string level = std::to_string(r.Level);
  if (r.Daily != 0 && !r.Brief) {
    Lines->push_back(Say(Text::LegendTodayCity, in, {DayText(r.Daily)}));
  }
  const LevelRecord& kept = r.Record;
  const std::string won = std::to_string(kept.Won), lost = std::to_string(kept.Lost),
                    left = std::to_string(kept.Left);
  if (r.NoBest) {
    Lines->push_back(Say(Text::LegendNoBest, in, {level, std::to_string(Key.Speed)}));
  } else if (kept.Won + kept.Lost + kept.Left == 0) {
    Lines->push_back(Say(Text::LegendRecordNone, in, {level}));
  } else if (kept.FastestFrames == 0) {
    Lines->push_back(Say(Text::LegendRecord, in, {level, won, lost, left}));
  } else {
    Lines->push_back(Say(
        Text::LegendRecordBest, in,
        {level, won, lost, left, Seconds(kept.FastestFrames), std::to_string(kept.FewestBombs)}));
  }
  if (!r.Brief) Lines->push_back(Say(Text::LegendRecordKeys, in));
}

// What the round just ended changed.
void NewsLines(const LegendKey& Key, std::vector<std::string>* Lines) {
  const RecordsShown& r = Key.Records;
  const Language in = Key.In;
  if (r.News.Fastest) {
    Lines->push_back(Say(Text::LegendNewFastest, in, {Seconds(r.Played.FastestFrames)}));
  }
  if (r.News.Fewest) {
    Lines->push_back(Say(Text::LegendNewFewest, in, {std::to_string(r.Played.FewestBombs)}));
  }
  if (r.News.DayResult) Lines->push_back(Say(Text::LegendTodayResult, in));
  if (r.News.Practice && r.Day.Day != 0) {
    const std::string result =
        r.Day.Outcome == RoundOutcome::Won
            ? Say(Text::LegendDayWon, in, {Seconds(r.Day.Frames), std::to_string(r.Day.Bombs)})
            : Say(r.Day.Outcome == RoundOutcome::Lost ? Text::LegendDayLost : Text::LegendDayLeft,
                  in);
    Lines->push_back(Say(Text::LegendPractice, in, {result}));
  }
}

}  // namespace

std::string Seconds(uint32_t Frames) {
  // Rounded to the nearest tenth: 60 frames a second at 100 %.
  const uint64_t tenths = (static_cast<uint64_t>(Frames) * 10 + 30) / 60;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::vector<std::string> LegendLines(const LegendKey& Key) {
  std::vector<std::string> lines;
  if (Key.Asking != Controls::Asking::Nothing) {
    AskingLines(Key, &lines);
    return lines;
  }
  if (Key.AskingToClear) {
    lines.push_back(Say(Text::LegendClearAsk, Key.In));
    return lines;
  }
  const Language in = Key.In;
  const bool chosen = Key.Keys.Bomb != 0;
  const bool leave = Key.Keys.Leave != 0;
  const bool button = Key.Keys.PadBomb != kPadA;
  // Each text is filled alike: the level a gamepad starts, its bomb button,
  // the keys.
  const std::string choice = std::to_string(Key.PadChoice);
  const std::string pad = PadButtonName(Key.Keys.PadBomb);
  const std::string bombKeys = ShownBombKeys(Key.Keys, in);
  const std::string leaveKey = ShownLeaveKey(Key.Keys, in);
  auto say = [&](Text Said) {
    lines.push_back(Say(Said, in, {Said == Text::LegendSwitchWhat ? bombKeys : choice, pad}));
  };
  auto keyed = [&](Text Plain, Text Named) {
    lines.push_back(leave ? Say(Named, in, {leaveKey}) : Say(Plain, in));
  };
  auto pads = [&](Text Plain, Text Button) {
    if (Key.Pads) say(button ? Button : Plain);
  };
  auto speed = [&] {
    if (Key.Speed != 100) lines.push_back(Say(Text::LegendSpeed, in, {std::to_string(Key.Speed)}));
  };
  switch (Key.On) {
    case LegendKey::Level:
      if (Key.OneSwitch) {
        // What the switch does, with room for it where the keys' lines would
        // stand in a band under the picture (Alt+Enter is a helper's).
        say(Text::LegendSwitchWhat);
        say(Text::LegendSwitchStart);
        say(Text::LegendSwitchHold);
        speed();
      } else {
        say(Text::LegendLevels);
        pads(Text::LegendPadLevel, Text::LegendPadLevelButton);
        keyed(Text::LegendQuit, Text::LegendQuitKey);
        pads(Text::LegendPadQuit, Text::LegendPadQuit);
        speed();
        say(Text::LegendScreen);
      }
      if (Key.Records.Kept) LevelRecordLines(Key, &lines);
      say(Text::LegendLanguage);
      say(Text::LegendHide);
      break;
    case LegendKey::Paused:
      say(Text::LegendPaused);
      say(Text::LegendGoOn);
      pads(Text::LegendPadGoOn, Text::LegendPadGoOn);
      keyed(Text::LegendLeave, Text::LegendLeaveKey);
      pads(Text::LegendPadLeave, Text::LegendPadLeave);
      break;
    case LegendKey::Over:
      if (Key.Records.Kept) NewsLines(Key, &lines);
      if (Key.OneSwitch) {
        say(Text::LegendSwitchBack);
        break;
      }
      keyed(Text::LegendBack, Text::LegendBackKey);
      pads(Text::LegendPadBack, Text::LegendPadBack);
      break;
    case LegendKey::Round:
      if (Key.OneSwitch) {
        say(Text::LegendSwitchBomb);
      } else if (Key.Click) {
        lines.push_back(chosen ? Say(Text::LegendBombKeyClick, in, {bombKeys})
                               : Say(Text::LegendBombClick, in));
      } else {
        lines.push_back(chosen ? Say(Text::LegendBombKey, in, {bombKeys})
                               : Say(Text::LegendBomb, in));
      }
      pads(Text::LegendPadBomb, Text::LegendPadBombButton);
      speed();
      say(Text::LegendPause);
      pads(Text::LegendPadPause, Text::LegendPadPause);
      keyed(Text::LegendLeave, Text::LegendLeaveKey);
      pads(Text::LegendPadLeave, Text::LegendPadLeave);
      break;
  }
  return lines;
}

namespace {

// Where a line may be broken: after a space, and before and after a Chinese
// character (which stands for a word of its own).
bool BreaksAround(char32_t C) {
  return C >= 0x2E80;
}

// A line broken into pieces no wider than Width where it must be; empty when
// a word alone is wider.
std::vector<std::string> Wrap(const LegendFont& Font, const std::string& Line, int Scale,
                              int Width) {
  std::vector<std::string> pieces(1);
  std::string word;
  auto fits = [&](const std::string& Text) { return Font.Width(Text) * Scale <= Width; };
  auto place = [&] {
    if (word.empty()) return true;
    if (!fits(word)) return false;
    if (!fits(pieces.back() + word)) {
      while (!pieces.back().empty() && pieces.back().back() == ' ') pieces.back().pop_back();
      pieces.emplace_back();
    }
    pieces.back() += word;
    word.clear();
    return true;
  };
  std::string_view rest = Line;
  while (!rest.empty()) {
    const std::string_view before = rest;
    const char32_t c = NextCharacter(rest);
    const std::string character(before.substr(0, before.size() - rest.size()));
    if (BreaksAround(c) && !place()) return {};
    word += character;
    if ((c == U' ' || BreaksAround(c)) && !place()) return {};
  }
  if (!place()) return {};
  return pieces;
}

// Lines (or their pieces) at Scale from Top, each row's lines side by side
// where Centred, else one under the other from the left margin.
struct Layout {
  std::vector<std::vector<std::string>> Rows;
  int Width = 0;  // the widest row's
};

void Paint(const LegendFont& Font, const Layout& Placed, int Scale, bool Centred,
           LegendPicture* Out) {
  Out->Pixels.assign(static_cast<size_t>(Out->Width) * Out->Height, 0);
  const int gap = kGap * Font.Width(" ") * Scale;
  const int lineHeight = Font.LineHeight() * Scale;
  int y = (Out->Height - static_cast<int>(Placed.Rows.size()) * lineHeight) / 2;
  for (const std::vector<std::string>& row : Placed.Rows) {
    int width = 0;
    for (const std::string& line : row) width += Font.Width(line) * Scale + (width > 0 ? gap : 0);
    int x = Centred ? (Out->Width - width) / 2 : kMargin * Scale;
    for (const std::string& line : row) {
      Font.Draw(line, x, y, Scale, kInk, Out->Pixels.data(), Out->Width, Out->Height, Out->Width);
      x += Font.Width(line) * Scale + gap;
    }
    y += lineHeight;
  }
}

}  // namespace

bool DrawLegend(const LegendFont& Font, const std::vector<std::string>& Lines, int Width,
                int Height, const Placement& Picture, LegendPicture* Out) {
  if (!Font.Usable() || Lines.empty()) return false;
  const int below = Height - (Picture.Y + Picture.Height);
  const int right = Width - (Picture.X + Picture.Width);
  for (int scale = std::max(Picture.TextScale, 1); scale >= 1; --scale) {
    const int margin = kMargin * scale;
    const int lineHeight = Font.LineHeight() * scale;
    const int gap = kGap * Font.Width(" ") * scale;
    // A band under the picture: the lines side by side, in rows.
    Layout band;
    int x = 0;
    bool whole = true;
    for (const std::string& line : Lines) {
      const int w = Font.Width(line) * scale;
      whole = whole && w <= Width - 2 * margin;
      if (band.Rows.empty() || x + gap + w > Width - 2 * margin) {
        band.Rows.emplace_back();
        x = -gap;
      }
      band.Rows.back().push_back(line);
      x += gap + w;
    }
    if (whole &&
        static_cast<int>(band.Rows.size()) * lineHeight + 2 * kMarginOver * scale <= below) {
      *Out = LegendPicture{0, Height - below, Width, below, {}};
      Paint(Font, band, scale, true, Out);
      return true;
    }
    // A column beside it, on its right (the frame rate's text stands at the
    // window's top-left corner): one line under the other, broken where it
    // must be.
    Layout column;
    bool fits = right - 2 * margin > 0;
    for (size_t i = 0; fits && i < Lines.size(); ++i) {
      const std::vector<std::string> pieces = Wrap(Font, Lines[i], scale, right - 2 * margin);
      fits = !pieces.empty();
      for (const std::string& piece : pieces) column.Rows.push_back({piece});
    }
    if (fits &&
        static_cast<int>(column.Rows.size()) * lineHeight + 2 * kMarginOver * scale <= Height) {
      *Out = LegendPicture{Width - right, 0, right, Height, {}};
      Paint(Font, column, scale, false, Out);
      return true;
    }
  }
  return false;
}

bool DrawLegendFitting(const LegendFont& Font, LegendKey Key, int Width, int Height,
                       const Placement& Picture, LegendPicture* Out,
                       std::vector<std::string>* Lines) {
  *Lines = LegendLines(Key);
  if (DrawLegend(Font, *Lines, Width, Height, Picture, Out)) return true;
  if (!Key.Records.Kept) return false;
  // The records' lesser lines go first, then the records: the keys' lines
  // are what the legend is for.
  Key.Records.Brief = true;
  if (DrawLegend(Font, LegendLines(Key), Width, Height, Picture, Out)) return true;
  Key.Records.Kept = false;
  return DrawLegend(Font, LegendLines(Key), Width, Height, Picture, Out);
}

std::string LegendTitle(const std::vector<std::string>& Lines, bool LegendShown, Language In) {
  if (LegendShown || Lines.empty()) return Say(Text::GameName, In);
  std::string joined;
  for (const std::string& line : Lines) {
    if (!joined.empty()) joined += Say(Text::TitleJoin, In);
    joined += line;
  }
  return Say(Text::TitleWith, In, {joined});
}

}  // namespace carpex::common
