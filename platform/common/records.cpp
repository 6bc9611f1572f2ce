#include "platform/common/records.h"

#include <algorithm>
#include <charconv>

namespace carpex::common {

namespace {

constexpr uint32_t kSpeedOf[kSpeedCount] = {100, 75, 50, 25};
// The days kept: far more than a player looks back at, and a bound on the file.
constexpr size_t kMostDays = 400;

constexpr const char* kOutcomes[] = {"won", "lost", "left"};

// The words of a line, split at spaces.
std::vector<std::string_view> Words(std::string_view Line) {
  std::vector<std::string_view> words;
  while (!Line.empty()) {
    const size_t space = Line.find(' ');
    if (space != 0) words.push_back(Line.substr(0, space));
    Line = space == std::string_view::npos ? std::string_view() : Line.substr(space + 1);
  }
  return words;
}

bool Number(std::string_view Word, uint32_t* Value) {
  if (Word.empty() || Word.size() > 9) return false;
  const auto [end, error] = std::from_chars(Word.data(), Word.data() + Word.size(), *Value);
  return error == std::errc() && end == Word.data() + Word.size();
}

}  // namespace

int Records::SpeedIndex(uint32_t Speed) {
  for (int i = 0; i < kSpeedCount; ++i) {
    if (kSpeedOf[i] == Speed) return i;
  }
  return 0;
}

const LevelRecord& Records::At(uint8_t Level, uint32_t Speed) const {
  return levels_[std::min<int>(Level, kLevels - 1)][SpeedIndex(Speed)];
}

Records::News Records::Add(uint8_t Level, uint32_t Speed, const RoundEnd& End, uint32_t Day) {
  News news;
  if (Level >= kLevels) return news;
  LevelRecord& r = levels_[Level][SpeedIndex(Speed)];
  switch (End.Outcome) {
    case RoundOutcome::Won:
      ++r.Won;
      news.Fastest = r.FastestFrames == 0 || End.Frames < r.FastestFrames;
      news.Fewest = r.Won == 1 || End.Bombs < r.FewestBombs;
      if (news.Fastest) r.FastestFrames = End.Frames;
      if (news.Fewest) r.FewestBombs = End.Bombs;
      break;
    case RoundOutcome::Lost:
      ++r.Lost;
      break;
    case RoundOutcome::Left:
      ++r.Left;
      break;
  }
  if (Day != 0) {
    news.Practice = ResultOf(Day) != nullptr;
    news.DayResult = !news.Practice;
    if (news.DayResult) {
      days_.push_back(
          DayResult{Day, Level, kSpeedOf[SpeedIndex(Speed)], End.Outcome, End.Frames, End.Bombs});
      if (days_.size() > kMostDays) days_.erase(days_.begin());
    }
  }
  return news;
}

const DayResult* Records::ResultOf(uint32_t Day) const {
  for (const DayResult& d : days_) {
    if (d.Day == Day) return &d;
  }
  return nullptr;
}

void Records::Clear() {
  *this = Records();
}

std::string Records::Format() const {
  std::string text = "# Carpex keeps the player's records here.\n";
  // Each number after its word, as one line's words come.
  const auto add = [&text](const char* Word, uint32_t Number) {
    text += Word;
    text += std::to_string(Number);
  };
  for (int level = 0; level < kLevels; ++level) {
    for (int s = 0; s < kSpeedCount; ++s) {
      const LevelRecord& r = levels_[level][s];
      if (r == LevelRecord{}) continue;
      add("level ", level);
      add(" speed ", kSpeedOf[s]);
      add(" won ", r.Won);
      add(" lost ", r.Lost);
      add(" left ", r.Left);
      add(" fastest ", r.FastestFrames);
      add(" fewest ", r.FewestBombs);
      text += '\n';
    }
  }
  for (const DayResult& d : days_) {
    add("day ", d.Day);
    add(" level ", d.Level);
    add(" speed ", d.Speed);
    text += ' ';
    text += kOutcomes[static_cast<int>(d.Outcome)];
    add(" ", d.Frames);
    add(" ", d.Bombs);
    text += '\n';
  }
  return text;
}

Records Records::Parse(std::string_view Text) {
  Records records;
  while (!Text.empty()) {
    const size_t end = Text.find('\n');
    const std::vector<std::string_view> w = Words(Text.substr(0, end));
    Text = end == std::string_view::npos ? std::string_view() : Text.substr(end + 1);
    uint32_t v[6] = {};
    if (w.size() == 14 && w[0] == "level" && w[2] == "speed" && w[4] == "won" && w[6] == "lost" &&
        w[8] == "left" && w[10] == "fastest" && w[12] == "fewest" && Number(w[1], &v[0]) &&
        v[0] < kLevels && Number(w[3], &v[1]) && kSpeedOf[SpeedIndex(v[1])] == v[1]) {
      LevelRecord r;
      if (Number(w[5], &r.Won) && Number(w[7], &r.Lost) && Number(w[9], &r.Left) &&
          Number(w[11], &r.FastestFrames) && Number(w[13], &r.FewestBombs) &&
          (r.Won > 0) == (r.FastestFrames > 0)) {
        records.levels_[v[0]][SpeedIndex(v[1])] = r;
      }
    } else if (w.size() == 9 && w[0] == "day" && w[2] == "level" && w[4] == "speed" &&
               Number(w[1], &v[0]) &&
               DailySeed(static_cast<int>(v[0] / 10000), static_cast<int>(v[0] / 100 % 100),
                         static_cast<int>(v[0] % 100)) == v[0] &&
               Number(w[3], &v[1]) && v[1] < kLevels && Number(w[5], &v[2]) &&
               kSpeedOf[SpeedIndex(v[2])] == v[2] && Number(w[7], &v[3]) && Number(w[8], &v[4]) &&
               records.ResultOf(v[0]) == nullptr && records.days_.size() < kMostDays) {
      for (int o = 0; o < 3; ++o) {
        if (w[6] == kOutcomes[o]) {
          records.days_.push_back(DayResult{v[0], static_cast<uint8_t>(v[1]), v[2],
                                            static_cast<RoundOutcome>(o), v[3], v[4]});
        }
      }
    }
  }
  return records;
}

}  // namespace carpex::common
