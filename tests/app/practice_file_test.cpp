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

TEST(PracticeFile, WrittenTextReadsBackTheSame) {
  midi::PracticeSettings p;
  p.speed = 65;
  p.loop = true;
  p.loopFirstMeasure = 3;
  p.loopLastMeasure = 9;
  p.countIn = true;
  const midi::PracticeSettings back = ParsePracticeSettings(FormatPracticeSettings(p));
  EXPECT_EQ(back.speed, 65);
  EXPECT_TRUE(back.loop);
  EXPECT_EQ(back.loopFirstMeasure, 3);
  EXPECT_EQ(back.loopLastMeasure, 9);
  EXPECT_TRUE(back.countIn);
}

}  // namespace
}  // namespace kumoito
