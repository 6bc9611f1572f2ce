// carpex-replay: runs the real game on the headless platform from a script of
// events and prints one trace line after every call of the frame loop.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace carpex {

class Application;
class TForm1;

// What the replay needs from the platform it runs the game on.
class ReplayPlatform {
 public:
  virtual ~ReplayPlatform() = default;
  virtual Application& App() = 0;
  // The application has terminated (the form was closed, or set-up failed).
  virtual bool Terminated() = 0;
  // Every surface of the display is lost, as after a switch away.
  virtual void LoseSurfaces() = 0;
  // Writes the last flipped frame as a 640 x 480 PNG or PPM (by the file's ending).
  virtual bool WriteShot(const std::string& path) = 0;
  // Called before every command and every frame (a windowed platform handles its
  // own messages here; the script supplies the game's events).
  virtual void Pump() {}
  // Called after every frame loop call, before its trace line (tests check
  // invariants here).
  virtual void AfterFrame(const TForm1& form) { (void)form; }
};

struct ReplayCommand {
  enum class Op { Random, Seed, Char, Down, Up, Tick, Deactivate, Restore, Lose, Frames, Shot };
  Op op;
  int line;
  std::vector<uint32_t> values;  // random: the values; seed, char, down, up, frames: one
  std::string file;              // shot
};

// The platform the replay tool runs on: the software display on Linux, the real
// DirectDraw in a full-screen window on Windows. Defined once per platform.
std::unique_ptr<ReplayPlatform> MakeReplayPlatform();

// Parses a whole script. On a malformed line returns false with the message
// "NAME:LINE: what is wrong" in *error.
bool ParseReplayScript(std::string_view text, const std::string& name,
                       std::vector<ReplayCommand>* commands, std::string* error);

// The trace line of one frame loop call (without the newline).
void FormatTraceLine(const TForm1& form, uint64_t call, std::string* out);

// Runs a script: trace lines to out, a one-line message to err on failure.
// Returns the exit status: 0 ran to the end (or to the Escape that closes the
// game), 2 malformed script or a Random(n) the queue cannot serve, 1 when the
// display could not be set up.
int RunReplay(std::string_view text, const std::string& name, std::ostream& out, std::ostream& err,
              ReplayPlatform& platform);

}  // namespace carpex
