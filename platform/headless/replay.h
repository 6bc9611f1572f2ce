// carpex-replay: runs the real game on the headless platform from a script of
// events and prints one trace line after every call of the frame loop.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace carpex {

class TForm1;

struct ReplayCommand {
  enum class Op { Random, Seed, Char, Down, Up, Tick, Deactivate, Restore, Lose, Frames, Shot };
  Op op;
  int line;
  std::vector<uint32_t> values;  // random: the values; seed, char, down, up, frames: one
  std::string file;              // shot
};

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
int RunReplay(std::string_view text, const std::string& name, std::ostream& out,
              std::ostream& err);

// Every surface of the headless display is lost, as after a switch away.
void LoseDisplaySurfaces();

// Writes the last flipped frame as a 640 x 480 PNG or PPM (by the file's ending).
bool WriteShot(const std::string& path);

}  // namespace carpex
