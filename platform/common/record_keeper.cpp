#include "platform/common/record_keeper.h"

#include <utility>

#include "shell/form_event.h"

namespace carpex::common {

std::string BestRoundName(uint8_t Level, uint16_t Speed) {
  return "best-" + std::to_string(Level) + "-" + std::to_string(Speed) + ".replay";
}

std::string DayRoundName(uint32_t Day) {
  return "today-" + std::to_string(Day) + ".replay";
}

RecordKeeper::RecordKeeper(RecordStore& Where, std::function<std::string()> LastRound)
    : store_(Where), last_round_(std::move(LastRound)), records_(Records::Parse(Where.Load())) {}

RecordKeeper::~RecordKeeper() = default;

void RecordKeeper::Clear() {
  for (uint8_t level = 0; level < kLevels; ++level) {
    for (const uint16_t speed : kSpeeds) store_.RemoveScript(BestRoundName(level, speed));
  }
  for (const DayResult& day : records_.Days()) store_.RemoveScript(DayRoundName(day.Day));
  records_.Clear();
  news_ = {};
  best_waiting_ = day_waiting_ = false;
  saved_ = store_.Save(records_.Format()) && saved_;
}

void RecordKeeper::Finish() {
  SaveWaiting();
}

void RecordKeeper::RoundStarted(const RoundStart& Start) {
  SaveWaiting();
  start_ = Start;
  news_ = {};
  in_round_ = true;
}

void RecordKeeper::RoundEnded(const RoundEnd& End) {
  if (!in_round_) return;
  in_round_ = false;
  news_ = records_.Add(start_.Level, start_.Speed, End, start_.Daily);
  best_waiting_ = news_.Fastest;
  day_waiting_ = news_.DayResult;
  saved_ = store_.Save(records_.Format()) && saved_;
}

void RecordKeeper::RoundClosed() {
  SaveWaiting();
}

void RecordKeeper::SaveWaiting() {
  if (!best_waiting_ && !day_waiting_) return;
  const std::string script = last_round_ ? last_round_() : std::string();
  if (!script.empty()) {
    if (best_waiting_) {
      saved_ = store_.SaveScript(BestRoundName(start_.Level, start_.Speed), script) && saved_;
    }
    if (day_waiting_) saved_ = store_.SaveScript(DayRoundName(start_.Daily), script) && saved_;
  }
  best_waiting_ = day_waiting_ = false;
}

}  // namespace carpex::common
