// Records a session of the game as a replay script that carpex-replay repeats:
// an application layer over the platform's own, which writes down every event
// it hands to the form and every frame, and passes everything on. The session
// is made on the recorder, and then given to it (Record) for its trace:
//
//   Recorder recorder(platform, file);
//   Carpex(recorder, [&](GameSession& Session) { recorder.Record(Session); });
//
// A recording goes into a file, or (the page's) stays in memory, where the
// last round can also be had as a script of its own.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "assets/sprite_sheets.h"
#include "shell/form_event.h"
#include "shell/form_view.h"
#include "tools/app_layer.h"

namespace carpex {

class GameSession;

class Recorder final : public ApplicationLayer, private FormHandlers {
 public:
  // Writes to File, which it closes in Finish, first the language of the
  // game's pictures. Nothing reaches File before the game's first frame (a
  // game that cannot start leaves a file there as it was); then, when
  // EmptyFirst, what File held is emptied first.
  Recorder(Application& Platform, std::FILE* File, bool EmptyFirst = false,
           Language Pictures = Language::Chinese);
  // Keeps the recording in memory, at most Limit bytes of it: once the next
  // line would pass the limit (less room for the final line), the recording
  // ends there with the final line of its last whole frame, and the game goes
  // on unrecorded. Its rounds are kept, for LastRound.
  Recorder(Application& Platform, size_t Limit, Language Pictures);
  ~Recorder() override;
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // The platform's loop, handing the events to the form through the recorder;
  // then the recording's end is written.
  void Run(FormHandlers& Form) override;
  // The clock seed the game is given, written first.
  uint32_t ClockSeed() override;
  // The rest is the platform's, passed on. How the game is shown is not
  // recorded: the game runs the same in every presentation.

  // The session being recorded: its frames are traced for the recording's
  // last line, and its display is watched for lost surfaces.
  void Record(GameSession& Session);
  // The player chose the pictures of another language (between two frames).
  void UsePictures(Language Chosen);
  // The recording's end, written now and flushed: the frames not yet written
  // and the final line, the trace line of the last whole frame. For a game
  // that ends otherwise than by its loop returning (its X server gone, the
  // session of Windows ending), even in the middle of a frame; nothing after
  // it is written. Once only.
  void WriteEnd();
  // Writes what is left and closes the file; false when any of it could not be written.
  bool Finish();
  // The game ran a frame: the file holds the recording.
  bool Started() const { return started_; }
  // The recording has its end (the game ended, or one kept in memory reached
  // its limit).
  bool Ended() const { return ended_; }

  // Kept in memory: the recording so far, as a whole script that replays to
  // its final line (the last frame's), ready to be saved.
  std::string Recording() const;
  // Kept in memory: the last round the recording holds, from the digit that
  // started it to its last frame (the round going on, or the last one played),
  // as a script of its own that replays to its own final line; empty when no
  // round has run a frame yet.
  std::string LastRound() const;

 private:
  void FormKeyPress(uint8_t& Key) override;
  void FormKeyDown(uint16_t& Key) override;
  void FormKeyUp(uint16_t& Key) override;
  void Timer1Timer() override;
  void ApplicationEvents1Deactivate() override;
  void ApplicationEvents1Restore() override;
  void LeaveExclusiveDisplay() override { form_->LeaveExclusiveDisplay(); }
  void GameLoop(bool& Done) override;
  void ProgramEnding() override { WriteEnd(); }

  // An event between two frames: the frames before it, then its own line; then
  // the form has it.
  void Pass(const FormEvent& Event);
  // A line between two frames (an event's, the seed's): the frames before it,
  // then Name and, when Value is not negative, Value.
  void WriteLine(const char* Name, int64_t Value = -1);
  void WriteFrames();
  void Write(const char* Text, size_t Size);
  void WriteLanguage(Language Pictures);
  // The display has lost its surfaces.
  bool Lost() const;
  // What a round needs to be replayed alone: the game as it stood at its
  // start, its city's random values, where it is in the recording and what
  // of the world it set itself.
  struct Round {
    size_t Begin = 0;  // the offset of its digit's line
    size_t End = 0;    // the offset after its last frame; 0 while it goes on
    uint64_t FirstCall = 0;
    uint64_t Calls = 0;  // its frames
    Language Pictures = Language::Chinese;
    uint8_t Active = 1;
    uint16_t FrameCount = 0;
    uint16_t FramesPerSecond = 0;
    int8_t FpsShown = -1;
    std::vector<uint32_t> Values;
    bool BombMoved = false;     // a released bomb fell in it
    bool BannerPlaced = false;  // it ended with a banner
    std::string FinalLine;      // of its last frame
  };
  void BeginRound(size_t At, const FormView& Before);
  void EndRound();

  // The game's generator, seeded as the form's own would be, its values noted
  // while a round is being set up.
  class NotedRandom;

  std::FILE* file_;
  bool empty_first_;
  bool started_ = false;
  std::string held_;  // written before the first frame
  bool in_memory_ = false;
  size_t limit_ = 0;
  std::string text_;  // the recording kept in memory
  Language pictures_;
  FormHandlers* form_ = nullptr;
  GameSession* session_ = nullptr;
  std::unique_ptr<NotedRandom> random_;
  Round round_;  // the round going on
  bool in_round_ = false;
  Round last_round_;  // the last one that ran a frame and ended
  bool has_last_round_ = false;
  uint32_t seed_ = 0;
  bool write_failed_ = false;
  uint64_t calls_ = 0;
  uint32_t pending_frames_ = 0;
  bool lose_written_ = false;
  bool ended_ = false;
  std::string final_;  // the trace line of the last whole frame
  std::chrono::steady_clock::time_point last_flush_;
  char buffer_[16 * 1024];
};

}  // namespace carpex
