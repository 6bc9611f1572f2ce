// The trace line's fields as the tools read and change them, and where a
// watched game first parts from its recording, said so that a stranger's
// recording cannot write to the player's terminal.
#include "tools/trace.h"

#include <gtest/gtest.h>

#include <string>

namespace carpex {
namespace {

constexpr const char* kLine = "n=12 gs=2 fps=60 shown=-1 bomb=1,2,3,4,0,0 kinds=10,,0";

TEST(TraceLine, FieldsAreReadAndSetByWholeKey) {
  EXPECT_EQ(TraceField(kLine, "n"), "12");
  EXPECT_EQ(TraceField(kLine, "kinds"), "10,,0");
  EXPECT_EQ(TraceField(kLine, "s"), "") << "no field is read by the end of its key";
  EXPECT_EQ(TraceField(kLine, "plane"), "");
  std::string line = kLine;
  SetTraceField(&line, "n", "3");
  SetTraceField(&line, "kinds", "1");
  SetTraceField(&line, "ps", "9");
  EXPECT_EQ(line, "n=3 gs=2 fps=60 shown=-1 bomb=1,2,3,4,0,0 kinds=1");
}

TEST(TraceLine, TheFirstDifferenceIsNamedWithBothValuesQuoted) {
  EXPECT_EQ(TraceDifference(kLine, kLine), "");
  std::string other = kLine;
  SetTraceField(&other, "fps", "59");
  SetTraceField(&other, "kinds", "0");
  EXPECT_EQ(TraceDifference(kLine, other), "fps: '60' here, '59' in the recording");
  EXPECT_EQ(TraceDifference("n=1 gs=2", "n=1 gs=\x1b[2J"),
            "gs: '2' here, '\\x1b[2J' in the recording");
  EXPECT_EQ(TraceDifference("n=1 gs=2", "n=1"), "'gs=2' here, '' in the recording");
}

}  // namespace
}  // namespace carpex
