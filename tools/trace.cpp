#include "tools/trace.h"

#include <cstdio>
#include <type_traits>

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

}  // namespace carpex
