#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(CommandLine, WhatTheBuffersCannotHoldIsMarked) {
  const std::string fits =
      "\"s.mwd\" \"" + std::string(kCommandLineLength - 18, 'i') + "\" 0 hon 1";
  ASSERT_EQ(fits.size(), kCommandLineLength);
  EXPECT_EQ(ParseCommandLine(fits).fault, CommandLineFault::kNone);
  EXPECT_EQ(ParseCommandLine(fits + "0").fault, CommandLineFault::kLineTooLong);

  const std::string image(300, 'i');
  const char* argv[] = {"kumoito", "s.mwd", image.c_str(), "0", "hon", "-1"};
  const CommandLine cut = ParseCommandLine(RebuildCommandLine(6, argv));
  EXPECT_TRUE(cut.batch);
  EXPECT_EQ(cut.fault, CommandLineFault::kLineTooLong);

  const std::string token(kTokenLength, 'h');
  EXPECT_EQ(ParseCommandLine("\"a\" \"b\" 0 " + token + " 1").fault, CommandLineFault::kNone);
  EXPECT_EQ(ParseCommandLine("\"a\" \"b\" 0 " + token + "h 1").fault,
            CommandLineFault::kTokenTooLong);
  EXPECT_EQ(ParseCommandLine("\"a\" \"b\" 0 hon 1 " + token + "h").fault, CommandLineFault::kNone)
      << "words after the third token are not read";
}

TEST(CommandLine, AQuoteInsideAPathIsMarked) {
  const std::vector<std::vector<const char*>> quoted = {
      {"kumoito", "s.mwd", "out\"q.png", "0", "hon", "-1"},
      {"kumoito", "s\"q.mwd", "out.png", "0", "hon", "-1"},
      {"kumoito", "s.mwd", "out.png\""},
      {"kumoito", "\"s.mwd", "out.png"},
      {"kumoito", "s\" \"out.png"},  // one argument that would read as two paths
  };
  for (const auto& argv : quoted) {
    const std::string line = RebuildCommandLine(static_cast<int>(argv.size()), argv.data());
    const CommandLine c = ParseCommandLine(line);
    EXPECT_TRUE(c.batch) << line;
    EXPECT_EQ(c.fault, CommandLineFault::kQuoteInPath) << line;
  }
  const char* value[] = {"kumoito", "s.mwd", "out.png", "\"7\"", "hon", "-1"};
  EXPECT_EQ(ParseCommandLine(RebuildCommandLine(6, value)).fault, CommandLineFault::kNone)
      << "a quote in a value is part of it";
}

TEST(CommandLine, RebuildQuotesTheTwoPaths) {
  const char* argv[] = {"kumoito", "my song.mwd", "out.png", "0", "hon", "-1"};
  EXPECT_EQ(RebuildCommandLine(6, argv), "\"my song.mwd\" \"out.png\" 0 hon -1");
  const char* alone[] = {"kumoito"};
  EXPECT_EQ(RebuildCommandLine(1, alone), "");
  EXPECT_FALSE(ParseCommandLine(RebuildCommandLine(1, alone)).batch);
}

TEST(CommandLine, OnePathOpensTheWindowTwoConvert) {
  const auto classify = [](std::vector<const char*> args) {
    args.insert(args.begin(), "kumoito");
    return ClassifyArguments(static_cast<int>(args.size()), args.data());
  };
  EXPECT_EQ(classify({}).kind, StartKind::kWindow);
  const StartRequest one = classify({"dir/my song.mwd"});
  EXPECT_EQ(one.kind, StartKind::kOpenFile);
  EXPECT_EQ(one.argument, "dir/my song.mwd");
  EXPECT_EQ(classify({"./-odd.mwd"}).kind, StartKind::kOpenFile);
  EXPECT_EQ(classify({"in.mwd", "out.png"}).kind, StartKind::kBatch);
  EXPECT_EQ(classify({"in.mwd", "out.png", "0", "hon", "-1"}).kind, StartKind::kBatch);
  // Paths that start with a dash still convert.
  EXPECT_EQ(classify({"-in.mwd", "out.png"}).kind, StartKind::kBatch);
  EXPECT_EQ(classify({"--help"}).kind, StartKind::kHelp);
  EXPECT_EQ(classify({"-h", "x", "y"}).kind, StartKind::kHelp);
  EXPECT_EQ(classify({"--version"}).kind, StartKind::kVersion);
  const StartRequest odd = classify({"--open"});
  EXPECT_EQ(odd.kind, StartKind::kUnknownOption);
  EXPECT_EQ(odd.argument, "--open");
}

TEST(CommandLine, OptionsBeforeThePathsOverrideOneConversion) {
  std::vector<const char*> args = {"kumoito",
                                   "--no-lyrics",
                                   "--title-band",
                                   "--lyrics",
                                   "--no-measure-numbers",
                                   "--kuchijamisen",
                                   "my song.mwd",
                                   "out.png",
                                   "0",
                                   "hon",
                                   "-1"};
  const int argc = static_cast<int>(args.size());
  const StartRequest request = ClassifyArguments(argc, args.data());
  EXPECT_EQ(request.kind, StartKind::kBatch);
  EXPECT_EQ(request.firstPath, 6);
  EXPECT_EQ(request.overrides.lyrics, true);  // the later of the two
  EXPECT_EQ(request.overrides.titleBand, true);
  EXPECT_EQ(request.overrides.measureNumbers, false);
  EXPECT_EQ(request.overrides.kuchijamisen, true);
  // The rest is the line the same conversion without options gives.
  const int skipped = request.firstPath - 1;
  EXPECT_EQ(RebuildCommandLine(argc - skipped, args.data() + skipped),
            "\"my song.mwd\" \"out.png\" 0 hon -1");

  const auto classify = [](std::vector<const char*> more) {
    more.insert(more.begin(), "kumoito");
    return ClassifyArguments(static_cast<int>(more.size()), more.data());
  };
  EXPECT_EQ(
      classify({"--kuchijamisen", "--no-kuchijamisen", "a.mwd", "b.pdf"}).overrides.kuchijamisen,
      false);
  // Without two paths after them they have nothing to apply to.
  EXPECT_EQ(classify({"--no-lyrics"}).kind, StartKind::kOptionsWithoutPaths);
  const StartRequest onePath = classify({"--title-band", "in.mwd"});
  EXPECT_EQ(onePath.kind, StartKind::kOptionsWithoutPaths);
  EXPECT_EQ(onePath.argument, "--title-band");
  // Only before the paths: after them they are tokens, as they always were.
  const StartRequest after = classify({"in.mwd", "out.png", "--lyrics"});
  EXPECT_EQ(after.kind, StartKind::kBatch);
  EXPECT_EQ(after.firstPath, 1);
  EXPECT_EQ(after.overrides, BatchOverrides{});
  // Near misses are paths, not options.
  EXPECT_EQ(classify({"--lyric", "out.png"}).firstPath, 1);
  EXPECT_EQ(classify({"--lyrics=1", "out.png"}).overrides, BatchOverrides{});
  const StartRequest style =
      classify({"--technique-style=below", "--technique-style=above", "in.mwd", "out.png"});
  EXPECT_EQ(style.kind, StartKind::kBatch);
  EXPECT_EQ(style.overrides.techniquesAbove, true);
  EXPECT_EQ(classify({"--technique-style=below", "a", "b"}).overrides.techniquesAbove, false);
  EXPECT_EQ(classify({"--technique-style=left", "out.png"}).firstPath, 1);
}

TEST(CommandLine, UsageInBothLanguagesAndTheVersion) {
  const std::string usage = UsageText();
  EXPECT_NE(usage.find("使い方: kumoito"), std::string::npos);
  EXPECT_NE(usage.find("Usage: kumoito"), std::string::npos);
  EXPECT_NE(usage.find("hon"), std::string::npos);
  for (const char* option : {"--measure-numbers", "--no-measure-numbers", "--lyrics", "--no-lyrics",
                             "--title-band", "--no-title-band", "--technique-style=below|above",
                             "--kuchijamisen", "--no-kuchijamisen"}) {
    EXPECT_NE(usage.find(std::string(" ") + option + " "), std::string::npos) << option;
  }
  EXPECT_EQ(usage.back(), '\n');
  EXPECT_EQ(VersionText(), std::string("kumoito ") + KUMOITO_VERSION + "\n");
}

}  // namespace
}  // namespace kumoito
