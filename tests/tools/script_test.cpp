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

// A command as the script writes it; a random line without its values.
std::string Written(const ScriptCommand& C) {
  switch (C.Op) {
    case ScriptOp::Event:
      return EventLine(C.Event);
    case ScriptOp::State:
      return StateLine(C.Carried);
    case ScriptOp::Shot:
      return "shot " + C.File;
    case ScriptOp::Random:
      return "random";
    case ScriptOp::Lose:
      return "lose";
    case ScriptOp::Seed:
    case ScriptOp::Frames:
    case ScriptOp::Daily:
    case ScriptOp::Speed:
      break;
  }
  // The commands of one number.
  const std::map<ScriptOp, std::string> words = {{ScriptOp::Seed, "seed"},
                                                 {ScriptOp::Frames, "frames"},
                                                 {ScriptOp::Daily, "daily"},
                                                 {ScriptOp::Speed, "# speed"}};
  return words.at(C.Op) + " " + std::to_string(C.Value);
}

Reading ReadAll(std::string_view Text) {
  TextSource source(Text);
  ScriptReader reader(source, "s");
  Reading reading;
  ScriptCommand c;
  while (reader.Next(&c, &reading.Error)) {
    reading.Commands.push_back(std::to_string(c.Line) + " " + Written(c));
  }
  return reading;
}

// A state line at the edges of its ranges, as StateLine writes it.
constexpr const char* kState =
    "state active=0 fc=65535 fps=0 shown=1 bomb=-2147483648,464,-1,29 banner=224,2147483647 "
    "timers=0,1,2,3,4,5,6,7,8,-9";

TEST(ScriptReader, EveryCommandWithItsArgumentUpToTheTopOfItsRange) {
  const Reading r = ReadAll(
      "seed 4294967295\nchar 255\ndown 65535\nup 0\ntick\ndeactivate\nrestore\n"
      "random 0 4294967295\nlose\nframes 1000000\nshot a-1_b.PNG\nlanguage en\npause\n" +
      std::string(kState) + "\ndaily 20240229\n# speed 50\n# speed 33\n");
  EXPECT_EQ(r.Error, "");
  EXPECT_EQ(r.Commands, (std::vector<std::string>{
                            "1 seed 4294967295", "2 char 255", "3 down 65535", "4 up 0", "5 tick",
                            "6 deactivate", "7 restore", "8 random", "9 lose", "10 frames 1000000",
                            "11 shot a-1_b.PNG", "12 language en", "13 pause",
                            "14 " + std::string(kState), "15 daily 20240229", "16 # speed 50"}));
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
      {"pause 1\n", "'s':1: "},
      {"daily 20230229\n", "'s':1: daily takes a day as YYYYMMDD, not '20230229'"},
      {"state active=1\n", "'s':1: state takes 7 arguments, not 1"},
      {"state active=2 fc=0 fps=0 shown=1 bomb=0,0,0,0 banner=0,0 timers=0,0,0,0,0,0,0,0,0,0\n",
       "'s':1: 'active=2' is not active=a number in range"},
      {"state active=1 fc=0 fps=0 shown=0 bomb=0,0,0,0 banner=0,0 timers=0,0,0,0,0,0,0,0,0,0\n",
       "'s':1: 'shown=0' is not "},
      {"state active=1 fc=0 fps=0 shown=1 bomb=0,0,0 banner=0,0 timers=0,0,0,0,0,0,0,0,0,0\n",
       "'s':1: 'bomb=0,0,0' is not bomb=numbers in range"},
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

// A recording cut short by a full disk or a crash: a last line without its
// line feed that is no command ends the script before it; one that is a
// command is one, and a malformed line with its line feed is refused.
TEST(ScriptReader, ALastLineCutShortEndsTheScriptBeforeIt) {
  for (const char* cut : {"seed 1\nframes 2\nup 32\nf", "seed 1\nframes 2\nup 32\nfr\r",
                          "seed 1\nframes 2\nup 32\nframes 2 3"}) {
    TextSource source(cut);
    ScriptReader reader(source, "s");
    ScriptCommand c;
    std::string error;
    int commands = 0;
    while (reader.Next(&c, &error)) ++commands;
    EXPECT_EQ(error, "") << cut;
    EXPECT_EQ(commands, 3) << cut;
    EXPECT_EQ(reader.Cut(),
              "'s':4: the last line is cut short (no line feed, and no command): the script ends "
              "before it");
  }
  EXPECT_EQ(ReadAll("frames 2\nup 3").Commands, (std::vector<std::string>{"1 frames 2", "2 up 3"}));
  EXPECT_EQ(ReadAll("frames 2\nfly\n").Error, "'s':2: unknown command 'fly'");
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
