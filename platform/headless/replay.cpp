#include "platform/headless/replay.h"

#include <cstdio>
#include <cstring>
#include <ostream>

#include "graphics/directdraw.h"
#include "platform/app.h"
#include "shell/unit1.h"

namespace carpex {

namespace {

bool ParseNumber(std::string_view word, uint64_t max, uint32_t* out) {
  if (word.empty() || word.size() > 10) return false;
  uint64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > max) return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    char c = s[s.size() - suffix.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

struct OpSpec {
  const char* name;
  ReplayCommand::Op op;
  int args;      // -1: one or more
  uint64_t max;  // largest value of a numeric argument
  uint64_t min;
};

constexpr OpSpec kOps[] = {
    {"random", ReplayCommand::Op::Random, -1, 0xFFFFFFFFu, 0},
    {"seed", ReplayCommand::Op::Seed, 1, 0xFFFFFFFFu, 0},
    {"char", ReplayCommand::Op::Char, 1, 255, 0},
    {"down", ReplayCommand::Op::Down, 1, 65535, 0},
    {"up", ReplayCommand::Op::Up, 1, 65535, 0},
    {"tick", ReplayCommand::Op::Tick, 0, 0, 0},
    {"deactivate", ReplayCommand::Op::Deactivate, 0, 0, 0},
    {"restore", ReplayCommand::Op::Restore, 0, 0, 0},
    {"lose", ReplayCommand::Op::Lose, 0, 0, 0},
    {"frames", ReplayCommand::Op::Frames, 1, 0xFFFFFFFFu, 1},
    {"shot", ReplayCommand::Op::Shot, 1, 0, 0},
};

// Random(n) from the script's queue. A request the queue cannot serve is
// remembered; the replay stops before the frame's trace line is printed.
class QueuedRandom final : public RandomSource {
 public:
  std::vector<uint32_t> values;
  size_t next = 0;
  bool failed = false;
  int32_t failedN = 0;
  bool empty = false;
  uint32_t badValue = 0;

  int32_t Random(int32_t n) override {
    if (failed) return 0;
    if (next >= values.size()) {
      failed = true;
      empty = true;
      failedN = n;
      return 0;
    }
    const uint32_t v = values[next++];
    if (n <= 0 || v >= static_cast<uint32_t>(n)) {
      failed = true;
      failedN = n;
      badValue = v;
      return 0;
    }
    return static_cast<int32_t>(v);
  }
};

}  // namespace

bool ParseReplayScript(std::string_view text, const std::string& name,
                       std::vector<ReplayCommand>* commands, std::string* error) {
  commands->clear();
  int lineNumber = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto words = SplitWords(line);
    if (words.empty() || words[0][0] == '#') {
      if (end == text.size()) break;
      continue;
    }
    auto fail = [&](const std::string& what) {
      *error = name + ":" + std::to_string(lineNumber) + ": " + what;
      return false;
    };
    const OpSpec* spec = nullptr;
    for (const auto& candidate : kOps) {
      if (words[0] == candidate.name) spec = &candidate;
    }
    if (spec == nullptr) return fail("unknown command '" + std::string(words[0]) + "'");
    const size_t given = words.size() - 1;
    if (spec->args == -1 && given == 0) {
      return fail(std::string(spec->name) + " needs at least one value");
    }
    if (spec->args >= 0 && given != static_cast<size_t>(spec->args)) {
      return fail(std::string(spec->name) + " takes " + std::to_string(spec->args) +
                  (spec->args == 1 ? " argument" : " arguments") + ", not " +
                  std::to_string(given));
    }
    ReplayCommand command{spec->op, lineNumber, {}, {}};
    if (spec->op == ReplayCommand::Op::Shot) {
      if (!EndsWith(words[1], ".png") && !EndsWith(words[1], ".ppm")) {
        return fail("shot needs a file ending in .png or .ppm");
      }
      command.file = std::string(words[1]);
    } else {
      for (size_t i = 1; i < words.size(); ++i) {
        uint32_t value = 0;
        if (!ParseNumber(words[i], spec->max, &value) || value < spec->min) {
          return fail("'" + std::string(words[i]) + "' is not a number from " +
                      std::to_string(spec->min) + " to " + std::to_string(spec->max));
        }
        command.values.push_back(value);
      }
    }
    commands->push_back(std::move(command));
    if (end == text.size()) break;
  }
  return true;
}

void FormatTraceLine(const TForm1& form, uint64_t call, std::string* out) {
  const World& w = form.W;
  char buf[256];
  out->clear();
  std::snprintf(buf, sizeof buf,
                "n=%llu gs=%u level=%u active=%u fc=%u fps=%u shown=%d left=%d cells=%d "
                "crashed=%u",
                static_cast<unsigned long long>(call), w.GameState, w.Level, form.Active,
                form.FrameCount, form.FramesPerSecond, form.FpsShown, w.BlocksLeft,
                CountGridCells(w), w.Crashed);
  out->append(buf);
  const TPlane& p = w.Plane;
  std::snprintf(buf, sizeof buf, " plane=%d,%d,%d,%d,%d,%d,%u,%u", p.X, p.Y, p.WrapX, p.WrapY,
                p.Col, p.Row, p.Mode, p.Frame);
  out->append(buf);
  const TBomb& b = w.Bomb;
  std::snprintf(buf, sizeof buf, " bomb=%d,%d,%d,%d,%u,%u", b.X, b.Y, b.Col, b.Row, b.State,
                b.KeyHeld);
  out->append(buf);
  std::snprintf(buf, sizeof buf, " banner=%d,%d,%u", w.ResultBanner.X, w.ResultBanner.Y,
                w.ResultBanner.Frame);
  out->append(buf);

  out->append(" strikes=");
  bool any = false;
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    const TStrike& s = w.Strikes[i];
    if (s.State == 0) continue;
    std::snprintf(buf, sizeof buf, "%s%d:%d:%d:%d:%d:%d:%d:%d", any ? ";" : "", i, s.State,
                  s.Removed, s.Timer, s.X, s.Y, s.Building, s.Block);
    out->append(buf);
    any = true;
  }
  if (!any) out->append("-");

  out->append(" expl=");
  any = false;
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    const TExplosion& e = w.Explosions[i];
    if (e.State == 0) continue;
    std::snprintf(buf, sizeof buf, "%s%d:%u:%u:%d:%d", any ? ";" : "", i, e.State, e.Frame, e.X,
                  e.Y);
    out->append(buf);
    any = true;
  }
  if (!any) out->append("-");

  constexpr int32_t kTracedBuildings = 38;
  out->append(" heights=");
  for (int32_t i = 1; i <= kTracedBuildings; ++i) {
    std::snprintf(buf, sizeof buf, "%s%d", i > 1 ? "," : "", w.Buildings[i].Height);
    out->append(buf);
  }
  out->append(" kinds=");
  for (int32_t i = 1; i <= kTracedBuildings; ++i) {
    if (i > 1) out->push_back(',');
    const TBuilding& building = w.Buildings[i];
    for (int32_t j = 1; j <= building.Height && j <= kBlocksPerBuilding; ++j) {
      out->push_back(static_cast<char>('0' + building.Blocks[j].Kind % 10));
    }
  }
}

int RunReplay(std::string_view text, const std::string& name, std::ostream& out, std::ostream& err,
              ReplayPlatform& platform) {
  std::vector<ReplayCommand> commands;
  std::string error;
  if (!ParseReplayScript(text, name, &commands, &error)) {
    err << error << '\n';
    return 2;
  }

  int status = 0;
  DirectDraw::Bind();
  {
    TForm1 form(platform.App());
    Form1 = &form;
    QueuedRandom queue;
    form.FormCreate();
    if (platform.Terminated()) {
      err << name << ": the display could not be set up\n";
      status = 1;
    }

    std::string line;
    line.reserve(4096);
    uint64_t calls = 0;
    auto randomFailed = [&](const ReplayCommand& c) {
      if (!queue.failed) return false;
      if (queue.empty) {
        err << name << ":" << c.line << ": Random(" << queue.failedN
            << ") asked for a value but the queue is empty\n";
      } else {
        err << name << ":" << c.line << ": queued value " << queue.badValue << " is not in 0.."
            << queue.failedN - 1 << " for Random(" << queue.failedN << ")\n";
      }
      status = 2;
      return true;
    };

    for (const ReplayCommand& c : commands) {
      if (platform.Terminated()) break;
      platform.Pump();
      switch (c.op) {
        case ReplayCommand::Op::Random:
          queue.values.insert(queue.values.end(), c.values.begin(), c.values.end());
          form.SetRandomSource(&queue);
          break;
        case ReplayCommand::Op::Seed:
          form.OwnGenerator().Seed(c.values[0]);
          break;
        case ReplayCommand::Op::Char: {
          uint8_t key = static_cast<uint8_t>(c.values[0]);
          form.FormKeyPress(key);
          break;
        }
        case ReplayCommand::Op::Down: {
          uint16_t key = static_cast<uint16_t>(c.values[0]);
          form.FormKeyDown(key);
          break;
        }
        case ReplayCommand::Op::Up: {
          uint16_t key = static_cast<uint16_t>(c.values[0]);
          form.FormKeyUp(key);
          break;
        }
        case ReplayCommand::Op::Tick:
          form.Timer1Timer();
          break;
        case ReplayCommand::Op::Deactivate:
          form.ApplicationEvents1Deactivate();
          break;
        case ReplayCommand::Op::Restore:
          form.ApplicationEvents1Restore();
          break;
        case ReplayCommand::Op::Lose:
          platform.LoseSurfaces();
          break;
        case ReplayCommand::Op::Frames:
          for (uint32_t i = 0; i < c.values[0] && status == 0; ++i) {
            bool done = true;
            platform.Pump();
            form.GameLoop(done);
            if (randomFailed(c)) break;
            platform.AfterFrame(form);
            FormatTraceLine(form, ++calls, &line);
            line.push_back('\n');
            out << line;
          }
          break;
        case ReplayCommand::Op::Shot:
          if (!platform.WriteShot(c.file)) {
            err << name << ":" << c.line << ": cannot write " << c.file << '\n';
            status = 1;
          }
          break;
      }
      if (status != 0 || randomFailed(c)) break;
    }
    form.FormDestroy();
    Form1 = nullptr;
  }
  DirectDraw::Unbind();
  out.flush();
  return status;
}

}  // namespace carpex
