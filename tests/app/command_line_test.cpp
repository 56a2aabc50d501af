#include "app/command_line.h"

#include <gtest/gtest.h>

namespace kumoito {
namespace {

TEST(CommandLine, TwoPathsAndThreeTokens) {
  const CommandLine c = ParseCommandLine("\"song.mwd\" \"song.png\" 0 hon -1");
  EXPECT_TRUE(c.batch);
  EXPECT_EQ(c.scorePath, "song.mwd");
  EXPECT_EQ(c.imagePath, "song.png");
  EXPECT_EQ(c.firstString, 0);
  EXPECT_EQ(c.tuningWord, "hon");
  EXPECT_EQ(c.key, -1);

  const CommandLine d = ParseCommandLine("\"a b/c.mwd\" \"x.jpg\" 9 san 2");
  EXPECT_EQ(d.scorePath, "a b/c.mwd");
  EXPECT_EQ(d.firstString, 9);
  EXPECT_EQ(TuningFromWord(d.tuningWord), 2);
  EXPECT_EQ(d.key, 2);
}

TEST(CommandLine, MissingTokensAreZeroNotAutomatic) {
  const CommandLine c = ParseCommandLine("\"a.mwd\" \"b.bmp\"");
  EXPECT_TRUE(c.batch);
  EXPECT_EQ(c.firstString, 0);
  EXPECT_EQ(c.tuningWord, "");
  EXPECT_EQ(TuningFromWord(c.tuningWord), 0);
  EXPECT_EQ(c.key, 0);
}

TEST(CommandLine, OnlySpacesSeparateTokens) {
  const CommandLine c = ParseCommandLine("\"a\"\"b\"   5    futa     3   extra words");
  EXPECT_EQ(c.imagePath, "b");
  EXPECT_EQ(c.firstString, 5);
  EXPECT_EQ(c.tuningWord, "futa");
  EXPECT_EQ(c.key, 3);
  const CommandLine tab = ParseCommandLine("\"a\" \"b\" 1\tx hon 2");
  EXPECT_EQ(tab.firstString, 1);  // atoi stops at the tab, which belongs to the token
  EXPECT_EQ(tab.tuningWord, "hon");
  const CommandLine quote = ParseCommandLine("\"a\" \"b\" \"7\" hon 2");
  EXPECT_EQ(quote.firstString, 0);  // a quote in a token is part of it
}

TEST(CommandLine, TuningWordsAreCaseSensitiveAndNumbersFollowAtoi) {
  EXPECT_EQ(TuningFromWord("Hon"), 0);
  EXPECT_EQ(TuningFromWord("SAN"), 0);
  EXPECT_EQ(TuningFromWord("futa"), 1);
  EXPECT_EQ(ParseCommandLine("\"a\" \"b\" x hon 1").firstString, 0);
  EXPECT_EQ(AsciiToInt("+12abc"), 12);
  EXPECT_EQ(AsciiToInt("-"), 0);
  EXPECT_EQ(AsciiToInt("99999999999999"), 2147483647);
  EXPECT_EQ(AsciiToInt("-99999999999999"), -2147483647 - 1);
}

TEST(CommandLine, InteractiveStarts) {
  EXPECT_FALSE(ParseCommandLine("").batch);
  EXPECT_FALSE(ParseCommandLine("no quotes 1 2 3").batch);
  EXPECT_FALSE(ParseCommandLine("ends with a quote\"").batch);
  const CommandLine one = ParseCommandLine("\"only/path.mwd");
  EXPECT_TRUE(one.batch);
  EXPECT_EQ(one.scorePath, "only/path.mwd");
  EXPECT_EQ(one.imagePath, "");
}

TEST(CommandLine, OverlongInputIsCutAtItsBuffers) {
  const std::string longPath(400, 'p');
  const CommandLine c = ParseCommandLine("\"" + longPath + "\" \"b\" 1 hon 2");
  EXPECT_EQ(c.scorePath.size(), kCommandLineLength - 1);  // the line itself is cut first
  EXPECT_TRUE(c.imagePath.empty());
  const std::string longToken(50, '1');
  const CommandLine t = ParseCommandLine("\"a\" \"b\" 2 " + longToken + " 3");
  EXPECT_EQ(t.tuningWord.size(), kTokenLength);
}

TEST(CommandLine, RebuildQuotesTheTwoPaths) {
  const char* argv[] = {"kumoito", "my song.mwd", "out.png", "0", "hon", "-1"};
  EXPECT_EQ(RebuildCommandLine(6, argv), "\"my song.mwd\" \"out.png\" 0 hon -1");
  const char* alone[] = {"kumoito"};
  EXPECT_EQ(RebuildCommandLine(1, alone), "");
  EXPECT_FALSE(ParseCommandLine(RebuildCommandLine(1, alone)).batch);
}

}  // namespace
}  // namespace kumoito
