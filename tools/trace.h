// The trace line: the state of the game after one frame loop call, as the
// replay tool prints it and the recorder ends its script with.
#pragma once

#include <cstdint>
#include <string>

#include "shell/form_view.h"

namespace carpex {

// The trace line of frame loop call number Call (without the newline). Out
// is cleared first; with room reserved (kTraceLineCapacity) it allocates nothing.
void FormatTraceLine(const FormView& Form, uint64_t Call, std::string* Out);

// More than the longest trace line.
constexpr size_t kTraceLineCapacity = 8192;

}  // namespace carpex
