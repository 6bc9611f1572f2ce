// Keeps the player's records as the game tells its rounds: each round that
// ends goes into the records, which are saved whole at once; a level's new
// fastest win, and the day's result on today's city, are kept as the round's
// own script (as a link carries it), saved once the round's last frame is in
// it: when the round is closed, the next begins or the game ends.
//
// Heard before the recorder that gives the scripts (added to the session
// first), so that a round closed is still the recorder's last one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/common/records.h"
#include "shell/rounds.h"

namespace carpex::common {

// Where a game keeps its records: the native games a folder (records.h's text
// as a file "records", the scripts beside it), the page the browser's storage.
class RecordStore {
 public:
  virtual ~RecordStore() = default;
  // The records' text as last saved; empty when there is none (or it cannot
  // be read).
  virtual std::string Load() = 0;
  // Whole or not at all: when it fails, what was saved before stays as it was.
  virtual bool Save(const std::string& Text) = 0;
  // A round's script under Name (BestRoundName, DayRoundName), whole or not at all.
  virtual bool SaveScript(const std::string& Name, const std::string& Script) = 0;
  // The script saved under Name gone (with the records); nothing when none is.
  virtual void RemoveScript(const std::string& Name) = 0;
};

// "best-<level>-<speed>.replay": the fastest win of a level at a speed.
std::string BestRoundName(uint8_t Level, uint16_t Speed);
// "today-<YYYYMMDD>.replay": the day's result on today's city.
std::string DayRoundName(uint32_t Day);

class RecordKeeper final : public RoundListener {
 public:
  // LastRound: the script of the round going on or last played (a recorder's).
  RecordKeeper(RecordStore& Where, std::function<std::string()> LastRound);
  ~RecordKeeper() override;
  RecordKeeper(const RecordKeeper&) = delete;
  RecordKeeper& operator=(const RecordKeeper&) = delete;

  const Records& Kept() const { return records_; }
  // What the last round that ended changed, until the next one starts.
  const Records::News& News() const { return news_; }
  // The level and speed of the last round started (the one News is of).
  uint8_t Level() const { return start_.Level; }
  uint16_t Speed() const { return start_.Speed; }
  // Every record and script gone, saved so.
  void Clear();
  // The game ends: a script still waiting for its round's last frame is saved.
  void Finish();
  // False once a save failed (the game goes on; what was kept stays).
  bool Saved() const { return saved_; }

  void RoundStarted(const RoundStart& Start) override;
  void RoundEnded(const RoundEnd& End) override;
  void RoundClosed() override;

 private:
  void SaveWaiting();

  RecordStore& store_;
  std::function<std::string()> last_round_;
  Records records_;
  Records::News news_;
  RoundStart start_;
  bool in_round_ = false;
  // Scripts to save once the round has its last frame.
  bool best_waiting_ = false;
  bool day_waiting_ = false;
  bool saved_ = true;
};

}  // namespace carpex::common
