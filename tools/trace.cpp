#include "tools/trace.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "tools/script.h"

namespace carpex {

namespace {

// A state code as the number the trace prints.
template <class Code>
constexpr auto Number(Code Value) {
  return static_cast<std::underlying_type_t<Code>>(Value);
}

// The line is written into a buffer of its greatest length and handed over
// whole: it is made for every frame, and appending piece by piece to the
// string was most of a replay's cost. A piece that would not fit is left out.
class LineWriter {
 public:
  // A number in decimal, as printf's %d and %u write it.
  template <class Integer>
  requires std::is_integral_v<Integer>
  void Put(Integer Value) {
    const auto made = std::to_chars(at_, end_, Value);
    if (made.ec == std::errc()) at_ = made.ptr;
  }
  void Put(std::string_view Text) {
    if (Text.size() > static_cast<size_t>(end_ - at_)) return;
    std::memcpy(at_, Text.data(), Text.size());
    at_ += Text.size();
  }
  void Put(char C) {
    if (at_ != end_) *at_++ = C;
  }
  // The next N characters of the line, to be written by the caller; nullptr
  // when they would not fit.
  char* Room(size_t N) {
    if (N > static_cast<size_t>(end_ - at_)) return nullptr;
    char* room = at_;
    at_ += N;
    return room;
  }
  template <class... Parts>
  void Append(const Parts&... Values) {
    (Put(Values), ...);
  }
  std::string_view Text() const { return {line_, static_cast<size_t>(at_ - line_)}; }
  void CopyTo(std::string* Out) const { Out->assign(line_, static_cast<size_t>(at_ - line_)); }

 private:
  char line_[kTraceLineCapacity];
  char* at_ = line_;
  char* const end_ = line_ + sizeof line_;
};

// The heights and kinds of the city's buildings.
void WriteCity(const World& W, LineWriter* Line) {
  Line->Put(" heights=");
  for (int32_t i = 1; i <= kCityBuildings; ++i) {
    if (i > 1) Line->Put(',');
    Line->Put(W.Buildings[i].Height);
  }
  Line->Put(" kinds=");
  for (int32_t i = 1; i <= kCityBuildings; ++i) {
    if (i > 1) Line->Put(',');
    const TBuilding& building = W.Buildings[i];
    // The height read once: a store into the line could be the building's
    // height, and the loop would read it again for every block.
    const int32_t height = std::clamp<int32_t>(building.Height, 0, kBlocksPerBuilding);
    char* kinds = Line->Room(static_cast<size_t>(height));
    if (kinds == nullptr) continue;
    for (int32_t j = 1; j <= height; ++j) {
      kinds[j - 1] = static_cast<char>('0' + Number(building.Blocks[j].Kind) % 10);
    }
  }
}

// The text WriteCity made of the city of one version, in storage of its own
// (a frame's line allocates nothing).
struct LastCity {
  uint64_t version = 0;
  size_t size = 0;
  char text[kTraceLineCapacity];
  void Keep(uint64_t Version, std::string_view Text) {
    version = Version;
    size = std::min(Text.size(), sizeof text);
    std::memcpy(text, Text.data(), size);
  }
  std::string_view Text() const { return {text, size}; }
};

}  // namespace

void FormatTraceLine(const FormView& Form, uint64_t Call, std::string* Out) {
  const World& w = Form.W;
  LineWriter line;
  line.Append("n=", Call, " gs=", Number(w.GameState), " level=", w.Level, " active=", Form.Active,
              " fc=", Form.FrameCount, " fps=", Form.FramesPerSecond, " shown=", Form.FpsShown,
              " left=", w.BlocksLeft, " cells=", CountGridCells(w), " crashed=", w.Crashed);
  const TPlane& p = w.Plane;
  line.Append(" plane=", p.X, ',', p.Y, ',', p.WrapX, ',', p.WrapY, ',', p.Col, ',', p.Row, ',',
              Number(p.Mode), ',', Number(p.Frame));
  const TBomb& b = w.Bomb;
  line.Append(" bomb=", b.X, ',', b.Y, ',', b.Col, ',', b.Row, ',', Number(b.State), ',',
              b.KeyHeld);
  line.Append(" banner=", w.ResultBanner.X, ',', w.ResultBanner.Y, ',',
              Number(w.ResultBanner.Frame));

  line.Put(" strikes=");
  bool any = false;
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    const TStrike& s = w.Strikes[i];
    if (s.State == kStrikeFree) continue;
    if (any) line.Put(';');
    line.Append(i, ':', Number(s.State), ':', s.Removed, ':', s.Timer, ':', s.X, ':', s.Y, ':',
                s.Building, ':', s.Block);
    any = true;
  }
  if (!any) line.Put('-');

  line.Put(" expl=");
  any = false;
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    const TExplosion& e = w.Explosions[i];
    if (e.State == kExplosionFree) continue;
    if (any) line.Put(';');
    line.Append(i, ':', Number(e.State), ':', e.Frame, ':', e.X, ':', e.Y);
    any = true;
  }
  if (!any) line.Put('-');

  // The city's text is made again only when the city has changed: most frames
  // change nothing of it, and reading all its blocks was most of a line's cost.
  thread_local LastCity city;
  if (city.version != w.CityVersion || w.CityVersion == 0) {
    LineWriter text;
    WriteCity(w, &text);
    city.Keep(w.CityVersion, text.Text());
  }
  line.Put(city.Text());
  line.CopyTo(Out);
}

namespace {

// The fields of a trace line in order, each "key=value".
std::string_view NextField(std::string_view* Line) {
  const size_t end = Line->find(' ');
  const std::string_view field = Line->substr(0, end);
  *Line = end == std::string_view::npos ? std::string_view() : Line->substr(end + 1);
  return field;
}

}  // namespace

std::string TraceDifference(std::string_view Watched, std::string_view Recorded) {
  if (Watched == Recorded) return "";
  while (!Watched.empty() || !Recorded.empty()) {
    const std::string_view here = NextField(&Watched);
    const std::string_view there = NextField(&Recorded);
    if (here == there) continue;
    const size_t equals = here.find('=');
    const std::string_view key = here.substr(0, equals == std::string_view::npos ? 0 : equals);
    if (!key.empty() && there.starts_with(std::string(key) + "=")) {
      const std::string_view a = here.substr(key.size() + 1), b = there.substr(key.size() + 1);
      return std::string(key) + ": " + QuoteWord(a, a.size()) + " here, " + QuoteWord(b, b.size()) +
             " in the recording";
    }
    return QuoteWord(here, here.size()) + " here, " + QuoteWord(there, there.size()) +
           " in the recording";
  }
  return "";
}

namespace {

// Where the value of field Key begins in Line, and its length; npos when none.
size_t FieldAt(std::string_view Line, std::string_view Key, size_t* Length) {
  const std::string tag = std::string(Key) + "=";
  size_t at = 0;
  if (!Line.starts_with(tag)) {
    at = Line.find(" " + tag);
    if (at == std::string_view::npos) return at;
    ++at;
  }
  at += tag.size();
  const size_t end = Line.find(' ', at);
  *Length = (end == std::string_view::npos ? Line.size() : end) - at;
  return at;
}

}  // namespace

std::string_view TraceField(std::string_view Line, std::string_view Key) {
  size_t length = 0;
  const size_t at = FieldAt(Line, Key, &length);
  return at == std::string_view::npos ? std::string_view() : Line.substr(at, length);
}

void SetTraceField(std::string* Line, std::string_view Key, std::string_view Value) {
  size_t length = 0;
  const size_t at = FieldAt(*Line, Key, &length);
  if (at != std::string_view::npos) Line->replace(at, length, Value);
}

}  // namespace carpex
