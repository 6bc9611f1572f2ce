// The trace line: the state of the game after one frame loop call, as the
// replay tool prints it and the recorder ends its script with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "shell/form_view.h"

namespace carpex {

// The trace line of frame loop call number Call (without the newline). Out
// is cleared first; with room reserved (kTraceLineCapacity) it allocates nothing.
void FormatTraceLine(const FormView& Form, uint64_t Call, std::string* Out);

// More than the longest trace line.
constexpr size_t kTraceLineCapacity = 8192;

// Where the trace line Watched first parts from Recorded, for the player:
// empty when they are the same, else the first field that differs with both
// values, each quoted as a script's words are (a recorded line is a
// stranger's text): "plane: '586,464' here, '588,464' in the recording".
std::string TraceDifference(std::string_view Watched, std::string_view Recorded);

// The value of field Key ("n", "bomb", ...) of a trace line; empty when none.
std::string_view TraceField(std::string_view Line, std::string_view Key);
// Sets the value of field Key ("n", "bomb", ...) of a trace line; nothing when
// the line has no such field.
void SetTraceField(std::string* Line, std::string_view Key, std::string_view Value);

}  // namespace carpex
