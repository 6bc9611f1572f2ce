#include "tools/trace.h"

#include <cstdio>
#include <type_traits>

#include "tools/script.h"

namespace carpex {

namespace {

// A state code as the number the trace prints.
template <class Code>
constexpr auto Number(Code Value) {
  return static_cast<std::underlying_type_t<Code>>(Value);
}

}  // namespace

void FormatTraceLine(const FormView& Form, uint64_t Call, std::string* Out) {
  const World& w = Form.W;
  char buf[256];
  Out->clear();
  std::snprintf(buf, sizeof buf,
                "n=%llu gs=%u level=%u active=%u fc=%u fps=%u shown=%d left=%d cells=%d "
                "crashed=%u",
                static_cast<unsigned long long>(Call), Number(w.GameState), w.Level, Form.Active,
                Form.FrameCount, Form.FramesPerSecond, Form.FpsShown, w.BlocksLeft,
                CountGridCells(w), w.Crashed);
  Out->append(buf);
  const TPlane& p = w.Plane;
  std::snprintf(buf, sizeof buf, " plane=%d,%d,%d,%d,%d,%d,%u,%u", p.X, p.Y, p.WrapX, p.WrapY,
                p.Col, p.Row, Number(p.Mode), Number(p.Frame));
  Out->append(buf);
  const TBomb& b = w.Bomb;
  std::snprintf(buf, sizeof buf, " bomb=%d,%d,%d,%d,%u,%u", b.X, b.Y, b.Col, b.Row, Number(b.State),
                b.KeyHeld);
  Out->append(buf);
  std::snprintf(buf, sizeof buf, " banner=%d,%d,%u", w.ResultBanner.X, w.ResultBanner.Y,
                Number(w.ResultBanner.Frame));
  Out->append(buf);

  Out->append(" strikes=");
  bool any = false;
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    const TStrike& s = w.Strikes[i];
    if (s.State == kStrikeFree) continue;
    std::snprintf(buf, sizeof buf, "%s%d:%d:%d:%d:%d:%d:%d:%d", any ? ";" : "", i, Number(s.State),
                  s.Removed, s.Timer, s.X, s.Y, s.Building, s.Block);
    Out->append(buf);
    any = true;
  }
  if (!any) Out->append("-");

  Out->append(" expl=");
  any = false;
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    const TExplosion& e = w.Explosions[i];
    if (e.State == kExplosionFree) continue;
    std::snprintf(buf, sizeof buf, "%s%d:%u:%u:%d:%d", any ? ";" : "", i, Number(e.State), e.Frame,
                  e.X, e.Y);
    Out->append(buf);
    any = true;
  }
  if (!any) Out->append("-");

  Out->append(" heights=");
  for (int32_t i = 1; i <= kCityBuildings; ++i) {
    std::snprintf(buf, sizeof buf, "%s%d", i > 1 ? "," : "", w.Buildings[i].Height);
    Out->append(buf);
  }
  Out->append(" kinds=");
  for (int32_t i = 1; i <= kCityBuildings; ++i) {
    if (i > 1) Out->push_back(',');
    const TBuilding& building = w.Buildings[i];
    for (int32_t j = 1; j <= building.Height && j <= kBlocksPerBuilding; ++j) {
      Out->push_back(static_cast<char>('0' + Number(building.Blocks[j].Kind) % 10));
    }
  }
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
