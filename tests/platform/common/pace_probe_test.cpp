// What the pace probe counts, read back from its report: the presents the
// game worked on, the steps from the first bomb key on, and the keys whose
// bomb reached the screen.
#include "platform/common/pace_probe.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace carpex::common {
namespace {

std::map<std::string, double> Report(const std::string& File) {
  std::map<std::string, double> lines;
  std::ifstream in(File);
  std::string name;
  double value = 0;
  while (in >> name >> value) lines[name] = value;
  return lines;
}

// One frame of the game loop: a step, the bomb as the frame left it, and the
// picture presented (worked on by the game unless an exclusive flip).
void Frame(PaceProbe& Probe, bool BombFalling, bool Worked = true) {
  Probe.FrameBegin();
  Probe.SleepBegin();
  Probe.SleepEnd();
  Probe.FrameDone(BombFalling);
  if (Worked) {
    Probe.PresentBegin();
    Probe.PresentEnd();
  }
  Probe.Presented();
  Probe.FrameEnd();
}

TEST(PaceProbe, CountsStepsFromTheFirstBombKeyAndTheKeysThatDroppedABomb) {
  const std::string file = ::testing::TempDir() + "pace_probe_report.txt";
  std::remove(file.c_str());
  ::setenv("CARPEX_PACE_REPORT", file.c_str(), 1);
  {
    PaceProbe probe;
    ::unsetenv("CARPEX_PACE_REPORT");
    ASSERT_TRUE(probe.On());
    probe.WaitsForRefresh(true);
    Frame(probe, false);  // the level screen
    Frame(probe, false);
    probe.BombKey(2.0);
    Frame(probe, true);  // its bomb, shown
    probe.BombKey(1.0);  // a bomb already on its way: this one drops none
    Frame(probe, true, false);
    Frame(probe, false);
  }
  const std::map<std::string, double> report = Report(file);
  EXPECT_EQ(report.at("frames"), 5);
  EXPECT_EQ(report.at("presents"), 4);
  EXPECT_EQ(report.at("steps"), 3);
  EXPECT_EQ(report.at("keys"), 1);
  EXPECT_EQ(report.at("waits_for_refresh"), 1);
  EXPECT_GE(report.at("key_to_present_ms_max"), 2.0);
  for (const char* series : {"frame_ms", "present_ms", "present_cpu_ms", "present_interval_ms"}) {
    EXPECT_EQ(report.count(std::string(series) + "_median"), 1u) << series;
  }
}

TEST(PaceProbe, OffWithoutAReportFile) {
  ::unsetenv("CARPEX_PACE_REPORT");
  EXPECT_FALSE(PaceProbe().On());
}

}  // namespace
}  // namespace carpex::common
