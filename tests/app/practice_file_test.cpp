#include "app/practice_file.h"

#include <gtest/gtest.h>

namespace kumoito {
namespace {

TEST(PracticeFile, ReadsWhatItKnowsAndBringsValuesInRange) {
  const midi::PracticeSettings p = ParsePracticeSettings(
      "speed=999\r\nloop=1\nunknown=5\nloop_first=7\nloop_last=2\ncount_in=x\nnonsense\n");
  EXPECT_EQ(p.speed, 150);
  EXPECT_TRUE(p.loop);
  EXPECT_EQ(p.loopFirstMeasure, 7);
  EXPECT_EQ(p.loopLastMeasure, 7);  // never before the first
  EXPECT_FALSE(p.countIn);          // not a number: the default stays
  EXPECT_EQ(ParsePracticeSettings("speed=12").speed, 50);
  EXPECT_EQ(ParsePracticeSettings("speed=83").speed, 85);
  EXPECT_EQ(ParsePracticeSettings("").speed, 100);
}

}  // namespace
}  // namespace kumoito
