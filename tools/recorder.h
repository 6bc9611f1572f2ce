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
#include "shell/rounds.h"
#include "tools/app_layer.h"

namespace carpex {

class GameSession;

class Recorder final : public ApplicationLayer, private FormHandlers, private RoundListener {
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
  // Kept in memory for its rounds alone: what came before the round before
  // the one going on is let go, so that a game of any length keeps a round's
  // worth (LastRound; Recording is then no whole script).
  enum class RoundsOnly : uint8_t {};
  Recorder(Application& Platform, RoundsOnly, size_t Limit, Language Pictures);
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
  // last line, its display is watched for lost surfaces, and its rounds are
  // heard of.
  void Record(GameSession& Session);
  // The recording's end, written now and flushed: the frames not yet written
  // and the final line, the trace line of the last whole frame. For a game
  // that ends otherwise than by its loop returning (its X server gone, the
  // session of Windows ending), even in the middle of a frame; nothing after
  // it is written. Once only.
  void WriteEnd();
  // Writes what is left and closes the file; false when any of it could not be written.
  bool Finish();
  // A recording whose file could not be written whole (a full disk) holds the
  // whole lines written before the failure, and nothing after: so many frames
  // of the game, which it replays to. Why it failed: an errno, 0 for none.
  uint64_t FramesKept() const { return frames_kept_; }
  int WriteError() const { return write_error_; }
  // The game ran a frame: the file holds the recording.
  bool Started() const { return started_; }
  // The recording has its end (the game ended, or one kept in memory reached
  // its limit).
  bool Ended() const { return ended_; }
  // Kept in memory: the recording ended at its limit.
  bool Full() const { return full_; }

  // Kept in memory: the recording so far, as a whole script that replays to
  // its final line (the last frame's), ready to be saved.
  std::string Recording() const;
  // Kept in memory: the last round the recording holds, from the digit that
  // started it to its last frame (the round going on, or the last one played),
  // as a script of its own that replays to its own final line, beginning with
  // the speed it was played at (*Speed too); empty when no round has run a
  // frame yet.
  std::string LastRound(uint16_t* Speed = nullptr) const;

 private:
  void Handle(const FormEvent& Event) override;
  void GameLoop(bool& Done) override;
  void ProgramEnding() override { WriteEnd(); }
  void RoundStarted(const RoundStart& Start) override;
  void RoundClosed() override;
  // Today's city taken up between two frames (the page's button): written
  // before the event or the frame that could first draw a city from it.
  void NoteDaily();

  // A line between two frames (an event's, the seed's): the frames before it,
  // then Text and its line feed.
  void WriteLine(const std::string& Text);
  void WriteFrames();
  void Write(const char* Text, size_t Size);
  // The whole lines buffered go to the file; a write that fails leaves the
  // file cut back to its last whole line, and no more is written.
  void WriteLines();
  void Failed();
  // The display has lost its surfaces.
  bool Lost() const;
  // A round as the game told it, and where it is in the recording.
  struct Round {
    size_t Begin = 0;    // the offset of the line of the event that started it
    size_t End = 0;      // the offset after its last frame; 0 while it goes on
    uint64_t Calls = 0;  // its frames
    RoundStart Start;
    std::string FinalLine;  // of its last frame
  };
  void EndRound(size_t At);

  std::FILE* file_;
  bool empty_first_;
  bool started_ = false;
  std::string held_;  // written before the first frame
  bool in_memory_ = false;
  bool rounds_only_ = false;
  size_t limit_ = 0;
  std::string text_;  // the recording kept in memory
  FormHandlers* form_ = nullptr;
  GameSession* session_ = nullptr;
  size_t event_at_ = 0;  // where the line of the event being handled begins
  Round round_;          // the round going on
  bool in_round_ = false;
  Round last_round_;  // the last one that ran a frame and ended
  bool has_last_round_ = false;
  bool write_failed_ = false;
  uint64_t calls_ = 0;
  uint16_t speed_ = 100;  // as the recording says it so far
  uint32_t daily_ = 0;    // as the recording says it so far
  uint32_t pending_frames_ = 0;
  bool lose_written_ = false;
  bool ended_ = false;
  bool full_ = false;
  std::string final_;  // the trace line of the last whole frame
  std::chrono::steady_clock::time_point last_flush_;
  // The file gets whole lines only, from here: a line cut by a failed write
  // or a crash would make the rest unreadable.
  char buffer_[16 * 1024];
  size_t buffered_ = 0;
  uint64_t written_ = 0;  // the bytes of the file, whole lines
  uint64_t frames_kept_ = 0;
  int write_error_ = 0;
};

}  // namespace carpex
