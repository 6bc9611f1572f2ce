// The player's records: what a round adds, what is new, today's city's first
// round as the day's result, and the text they are kept as, damaged lines
// passed over.
#include "platform/common/records.h"

#include <gtest/gtest.h>

namespace carpex::common {
namespace {

RoundEnd End(RoundOutcome Outcome, uint32_t Frames = 0, uint32_t Bombs = 0) {
  return RoundEnd{Outcome, Frames, Bombs};
}

TEST(Records, ARoundAddsToItsLevelAndSpeedAndSaysWhatIsNew) {
  Records records;
  EXPECT_TRUE(records.Add(3, 100, End(RoundOutcome::Won, 3000, 20), 0).Fastest);
  const Records::News faster = records.Add(3, 100, End(RoundOutcome::Won, 2500, 25), 0);
  EXPECT_TRUE(faster.Fastest);
  EXPECT_FALSE(faster.Fewest);
  records.Add(3, 100, End(RoundOutcome::Lost), 0);
  records.Add(3, 50, End(RoundOutcome::Left, 40), 0);
  EXPECT_EQ(records.At(3, 100), (LevelRecord{2, 1, 0, 2500, 20}));
  EXPECT_EQ(records.At(3, 50), (LevelRecord{0, 0, 1, 0, 0}));

  const Records::News first = records.Add(5, 100, End(RoundOutcome::Lost, 900), 20261209);
  EXPECT_TRUE(first.DayResult);
  EXPECT_TRUE(records.Add(2, 75, End(RoundOutcome::Won, 800, 3), 20261209).Practice);
  ASSERT_NE(records.ResultOf(20261209), nullptr);
  EXPECT_EQ(records.ResultOf(20261209)->Outcome, RoundOutcome::Lost)
      << "later rounds of the day are practice";

  EXPECT_EQ(Records::Parse(records.Format()), records);
  records.Clear();
  EXPECT_EQ(records, Records());
}

TEST(Records, DamagedLinesArePassedOverAndTheRestHolds) {
  const Records records = Records::Parse(
      "level 1 speed 100 won 1 lost 0 left 0 fastest 500 fewest 4\n"
      "level 2 speed 100 won 1 lost 0 left 0 fastest 5x0 fewest 4\n"
      "level 10 speed 100 won 1 lost 0 left 0 fastest 500 fewest 4\n"
      "level 4 speed 60 won 1 lost 0 left 0 fastest 500 fewest 4\n"
      "level 5 speed 100 won 0 lost 0 left 0 fastest 500 fewest 4\n"
      "day 20260229 level 1 speed 100 won 5 5\n"
      "day 20261209 level 1 speed 100 flew 5 5\n"
      "level 6 speed 25 won 2 lost 3\n");
  EXPECT_EQ(records.At(1, 100), (LevelRecord{1, 0, 0, 500, 4}));
  for (uint8_t level : {2, 4, 5, 6}) EXPECT_EQ(records.At(level, 100), LevelRecord{}) << level;
  EXPECT_EQ(records.At(6, 25), LevelRecord{});
  EXPECT_EQ(records.ResultOf(20261209), nullptr);
}

}  // namespace
}  // namespace carpex::common
