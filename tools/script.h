// The replay script, read one command at a time. Nothing of the script is kept
// but the command at hand, so that a script of any length is checked whole and
// then run in a few kilobytes; the random queue is a second reader over the
// same script that takes the values of its `random` lines as they are asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "shell/form_event.h"
#include "shell/rounds.h"

namespace carpex {

// Where a script's bytes come from, read at any offset.
class ScriptSource {
 public:
  virtual ~ScriptSource() = default;
  // Up to Size bytes from Offset: how many were read (fewer only at the end),
  // or -1 when the source cannot be read (errno says why).
  virtual long long Read(uint64_t Offset, char* Buffer, size_t Size) = 0;
  // What went wrong when Read gave -1 with errno Error, for a message.
  virtual std::string Failure(int Error) const;
  // Where the script is read again after the first reading (by the run and
  // the random queue): itself, or what the first reading left behind.
  virtual ScriptSource& Reread() { return *this; }
};

// A script held in memory.
class TextSource final : public ScriptSource {
 public:
  explicit TextSource(std::string_view Text) : text_(Text) {}
  long long Read(uint64_t Offset, char* Buffer, size_t Size) override;

 private:
  std::string_view text_;
};

// A script in a file that can be read at any offset (not a pipe).
class FileSource final : public ScriptSource {
 public:
  explicit FileSource(std::FILE* File) : file_(File) {}
  long long Read(uint64_t Offset, char* Buffer, size_t Size) override;

 private:
  std::FILE* file_;
};

// The most a script may hold, for the replay tool and the games' watching
// alike: far more than any recording a player makes (an hour of play is about
// 100 kB), and little enough to be held in memory.
constexpr uint64_t kMaxScriptBytes = 64ull << 20;
// Why a longer script is refused: "the script is longer than 64 MiB".
std::string ScriptTooLong();

// A script read once, front to back, from where the stream In stands (a file,
// a pipe, a terminal, a standard input already partly read), and copied as it
// is read into Copy: read again, it is the copy that is read, so that what
// runs is what was checked even when the script is changed meanwhile. At
// most kMaxBytes are taken, so that an endless stream cannot fill the disk.
class CopyingSource final : public ScriptSource {
 public:
  static constexpr uint64_t kMaxBytes = kMaxScriptBytes;
  CopyingSource(std::FILE* In, std::FILE* Copy) : in_(In), copy_(Copy), again_(Copy) {}
  // Offsets follow each other from 0 (as the first reading asks for them).
  long long Read(uint64_t Offset, char* Buffer, size_t Size) override;
  std::string Failure(int Error) const override;
  ScriptSource& Reread() override { return again_; }

 private:
  std::FILE* in_;
  std::FILE* copy_;
  FileSource again_;
  uint64_t copied_ = 0;
  enum class Fault : uint8_t { None, Read, Copy, TooLong } fault_ = Fault::None;
};

// The version of this game, which its recordings name ("# Carpex VERSION").
const char* GameVersion();

// An event for the form (named as EventName names it), or one of the replay's
// own commands.
// Speed is a comment's ("# speed 50"): the pace a recording was played at,
// which the replay passes over (older tools pass it over as a comment).
enum class ScriptOp : uint8_t { Event, Random, Seed, Lose, Frames, Shot, State, Daily, Speed };

struct ScriptCommand {
  ScriptOp Op = ScriptOp::Event;
  uint64_t Line = 0;
  FormEvent Event{};     // event
  uint32_t Value = 0;    // seed, frames, daily, speed; an event's key (language: 0 zh, 1 en)
  std::string File;      // shot
  CarriedState Carried;  // state
};

// The `state` line that sets the game as Carried holds it (without its line feed).
std::string StateLine(const CarriedState& Carried);
// An event's line in a script (without its line feed): "char 48", "language en", "tick".
std::string EventLine(const FormEvent& Event);

// A word of a script as an error message quotes it: at most 40 bytes, in
// single quotes, anything but printable ASCII escaped, "..." when cut.
std::string QuoteWord(std::string_view Word, uint64_t WholeLength);

class ScriptReader {
 public:
  // A UTF-8 byte-order mark at the start is skipped.
  ScriptReader(ScriptSource& Source, std::string Name);
  ScriptReader(const ScriptReader&) = delete;
  ScriptReader& operator=(const ScriptReader&) = delete;

  // The next command. False at the end of the script, or with a one-line
  // message "NAME:LINE: what is wrong" (or "NAME: cannot read ...") in *Error.
  // A last line without its line feed that is no command is a recording cut
  // short (by a full disk, a crash): the script ends before it, and Cut says so.
  bool Next(ScriptCommand* Command, std::string* Error);
  // "NAME:LINE: ..." for a last line cut short; empty when there is none.
  const std::string& Cut() const { return cut_; }

  // The next value of the script's `random` lines before line Before, in
  // order; false when there is none (yet). For a script that has been read
  // whole without an error.
  bool NextQueued(uint64_t Before, uint32_t* Value);

  // What the comments read so far say about the recording: its final line
  // (the text after "# final: " on the last such line; a recording ends with
  // the trace line of its last frame so), and the version of the game that
  // made it (the word after "# Carpex " on the first such line; "?" when it
  // is no version number).
  bool HasFinalLine() const { return has_final_; }
  const std::string& FinalLine() const { return final_; }
  const std::string& Version() const { return version_; }
  // How many bytes of the script have been read.
  uint64_t BytesRead() const { return offset_; }

  // No argument is longer than this; a longer one is refused as soon as it is
  // met, without reading on (a script may be an endless stream).
  static constexpr size_t kMaxWord = 4096;
  // The most frames one `frames` line runs: over four hours of play, far more
  // than a recording writes between two timer ticks, and a bound on what a
  // line can ask of the tool.
  static constexpr uint32_t kMaxFrames = 1000000;
  // The most frames a whole script runs: kMaxFrames, and this many more for
  // each of its bytes. A recording holds at most about 4 a byte (a second of
  // play is a `frames` line and a `tick` line, 15 bytes, for at most 63
  // frames); a script's bytes can ask little more of the tool than that.
  static constexpr uint64_t kFramesPerByte = 5;
  // The most of a comment that is kept: more than any trace line.
  static constexpr size_t kMaxComment = 8192;

 private:
  int Peek(size_t Ahead = 0);
  void Skip() { ++begin_; }
  bool AtLineEnd();
  void SkipLineEnd();
  void SkipRestOfLine();
  // The rest of a comment line, read for what it says about the recording.
  // True when it was a command of a comment's (# speed N) and Command holds it.
  bool ReadComment(ScriptCommand* Command);
  // The next word of the line into word_; false at the end of the line, which
  // it then passes. Words are parted by spaces and tabs. A word longer than Limit is read no
  // further: word_cut_ says so, and word_length_ is then Limit + 1.
  bool ReadWord(size_t Limit = kMaxWord);
  // Refuses the line, or when it is the last and has no line feed, ends the
  // script before it; false either way.
  bool Fail(std::string* Error, const std::string& What);
  // The line being read is the script's last and has no line feed.
  bool CutShort();

  ScriptSource& source_;
  std::string name_;
  static constexpr size_t kBufferSize = 64 * 1024;
  char buffer_[kBufferSize];
  size_t begin_ = 0;
  size_t end_ = 0;
  uint64_t offset_ = 0;  // where the next read from the source starts
  bool at_end_ = false;
  int read_error_ = 0;  // errno of a failed read, 0 when none
  uint64_t line_ = 0;
  std::string word_;
  uint64_t word_length_ = 0;
  bool word_cut_ = false;
  bool bare_cr_ = false;    // a carriage return not followed by a line feed was met
  bool line_over_ = false;  // the line being read has been read to its end
  bool line_fed_ = false;   // ... which was a line feed
  std::string cut_;
  std::string argument_;
  uint64_t argument_length_ = 0;
  bool in_random_line_ = false;  // NextQueued: inside a `random` line
  std::string comment_;
  bool has_final_ = false;
  std::string final_;
  std::string version_;
};

}  // namespace carpex
