// The replay script, read a command at a time: every command with its argument
// and line, the ends of each range, what the reader lets pass, and the one-line
// message for the first malformed line.
#include "tools/script.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace carpex {
namespace {

// The commands up to the end of the script or its first malformed line, each as
// "LINE NAME ARGUMENT".
struct Reading {
  std::vector<std::string> Commands;
  std::string Error;
};

Reading ReadAll(std::string_view Text) {
  TextSource source(Text);
  ScriptReader reader(source, "s");
  Reading reading;
  ScriptCommand c;
  while (reader.Next(&c, &reading.Error)) {
    std::string text = std::to_string(c.Line) + " ";
    switch (c.Op) {
      case ScriptOp::Event:
        text += EventName(c.Event.kind);
        if (MaxKey(c.Event.kind) > 0) text += " " + std::to_string(c.Event.key);
        break;
      case ScriptOp::Random:
        text += "random";
        break;
      case ScriptOp::Seed:
        text += "seed " + std::to_string(c.Value);
        break;
      case ScriptOp::Lose:
        text += "lose";
        break;
      case ScriptOp::Frames:
        text += "frames " + std::to_string(c.Value);
        break;
      case ScriptOp::Shot:
        text += "shot " + c.File;
        break;
      case ScriptOp::Language:
        text += c.Value == 1 ? "language en" : "language zh";
        break;
    }
    reading.Commands.push_back(text);
  }
  return reading;
}

TEST(ScriptReader, EveryCommandWithItsArgumentUpToTheTopOfItsRange) {
  const Reading r = ReadAll(
      "seed 4294967295\nchar 255\ndown 65535\nup 0\ntick\ndeactivate\nrestore\n"
      "random 0 4294967295\nlose\nframes 1000000\nshot a-1_b.PNG\nlanguage en\n");
  EXPECT_EQ(r.Error, "");
  EXPECT_EQ(r.Commands,
            (std::vector<std::string>{"1 seed 4294967295", "2 char 255", "3 down 65535", "4 up 0",
                                      "5 tick", "6 deactivate", "7 restore", "8 random", "9 lose",
                                      "10 frames 1000000", "11 shot a-1_b.PNG", "12 language en"}));
}

TEST(ScriptReader, AByteOrderMarkSpacingCommentsAndCarriageReturnsAreAccepted) {
  const Reading r = ReadAll("\xEF\xBB\xBF  # set-up\r\nseed \t 9\r\n\r\nframes\t2  \r\n");
  EXPECT_EQ(r.Error, "");
  EXPECT_EQ(r.Commands, (std::vector<std::string>{"2 seed 9", "4 frames 2"}));
}

TEST(ScriptReader, AMalformedLineIsNamedInOneLine) {
  const std::map<std::string, std::string> cases = {
      {"frames 1\nfly 3\n", "'s':2: "},
      {"# comment\n\nframes 0\n", "'s':3: "},
      {"char 256\n", "'s':1: "},
      {"char\n", "'s':1: "},
      {"tick 1\n", "'s':1: "},
      {"frames 2 3\n", "'s':1: "},
      {"shot frame.bmp\n", "'s':1: "},
      {"random\n", "'s':1: "},
      {"random 1 -2\n", "'s':1: "},
      {"seed 4294967296\n", "'s':1: "},
      {"down 0x20\n", "'s':1: "},
      {"up 65536\n", "'s':1: "},
      {"shot ../x.png\n", "'s':1: "},
      {"shot docs/x.png\n", "'s':1: "},
      {"shot .x.png\n", "'s':1: "},
      {"frames 1000001\n", "'s':1: '1000001' is not a number from 1 to 1000000"},
      {"language fr\n", "'s':1: "},
      {"language en zh\n", "'s':1: "},
      // Lines that end in a carriage return alone, after a comment as well.
      {"seed 1\rframes 2\r", "'s':1: a carriage return without a line feed"},
      {"# saved on an old Mac\rframes 2\r", "'s':1: a carriage return without a line feed"},
  };
  for (const auto& [script, prefix] : cases) {
    const Reading r = ReadAll(script);
    EXPECT_EQ(r.Error.rfind(prefix, 0), 0u) << script << " gave " << r.Error;
    EXPECT_EQ(r.Error.find('\n'), std::string::npos) << "one line: " << r.Error;
  }
}

TEST(ScriptReader, AMessageQuotesAShortPieceOfTheWordWithControlsEscaped) {
  const std::string word = std::string("\x1b[2J\0\a\\", 7) + std::string(1 << 20, 'x');
  EXPECT_EQ(ReadAll("frames 1\nchar " + word + "\n" + word + "\n").Error,
            "'s':2: '\\x1b[2J\\x00\\x07\\\\" + std::string(33, 'x') +
                "'... is not a number from 0 to 255");
  EXPECT_EQ(ReadAll(word).Error, "'s':1: unknown command '\\x1b[2J\\x00\\x07\\\\xxx'...");
}

// A recording's comments name the game that made it and end it with its last
// frame's trace line; only those two are read, each only in its own form.
TEST(ScriptReader, ARecordingsVersionAndFinalLineAreReadFromItsComments) {
  TextSource source(
      "# Carpex 0.9.1\n# Carpex 1.0.0\n#final: n=1\n# final: n=1 gs=1\r\nframes 1\n"
      "# final: n=2 gs=2\n");
  ScriptReader reader(source, "s");
  ScriptCommand c;
  std::string error;
  while (reader.Next(&c, &error)) {
  }
  EXPECT_EQ(error, "");
  EXPECT_EQ(reader.Version(), "0.9.1");
  EXPECT_TRUE(reader.HasFinalLine());
  EXPECT_EQ(reader.FinalLine(), "n=2 gs=2");

  const std::string text = "# Carpex \x1b]0;x\x07\n# final: " + std::string(20000, 'x') + "\n";
  TextSource hostile(text);
  ScriptReader other(hostile, "s");
  while (other.Next(&c, &error)) {
  }
  EXPECT_EQ(other.Version(), "?");
  EXPECT_EQ(other.FinalLine().size(), ScriptReader::kMaxComment + 1 - 8);
}

}  // namespace
}  // namespace carpex
