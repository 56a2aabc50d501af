#include "app/window_texts.h"

#include <gtest/gtest.h>

#include <map>

#include "song/key_table.h"
#include "song/tuning.h"

namespace kumoito {
namespace {

TEST(MainWindowCaption, NamesTheSongAndMarksUnsavedChanges) {
  EXPECT_EQ(MainWindowCaption("さくらさくら", false), "さくらさくら - Kumoito");
  EXPECT_EQ(MainWindowCaption("さくらさくら", true), "*さくらさくら - Kumoito");
  EXPECT_EQ(MainWindowCaption("", false), "Kumoito");
  EXPECT_EQ(MainWindowCaption("", true), "*Kumoito");
  // Blanks are no title; a line break inside one would break the title bar.
  EXPECT_EQ(MainWindowCaption("   ", false), "Kumoito");
  EXPECT_EQ(MainWindowCaption("  春の海\r\n", true), "*春の海 - Kumoito");
  EXPECT_EQ(MainWindowCaption("上\n下", false), "上 下 - Kumoito");
}

// The pitch-pipe numbering players use, written out rather than computed.
TEST(FirstStringItems, ShowTheHonNumberOfEveryPitch) {
  const std::map<std::string_view, int> hon = {
      {"A", 1},  {"A#", 2}, {"B", 3}, {"C", 4},   {"C#", 5}, {"D", 6},
      {"D#", 7}, {"E", 8},  {"F", 9}, {"F#", 10}, {"G", 11}, {"G#", 12},
  };
  for (const FirstStringEntry& entry : kFirstStringList) {
    SCOPED_TRACE(std::string(entry.name));
    ASSERT_EQ(hon.count(entry.name), 1u);
    EXPECT_EQ(FirstStringItemText(entry),
              std::string(entry.name) + " (" + std::to_string(hon.at(entry.name)) + "本)");
  }
}

TEST(KeyItems, AMinorSongNamesTheRelativeMinorBesideEachKey) {
  const char* const minors[kMajorKeyCount] = {"Am",  "Em",  "Bm", "F#m", "C#m", "G#m",
                                              "D#m", "A#m", "Dm", "Gm",  "Cm",  "Fm"};
  for (int k = 0; k < kMajorKeyCount; ++k) {
    const std::string major(kKeyTable[k].name);
    EXPECT_EQ(KeyItemText(k, false), major);
    EXPECT_EQ(KeyItemText(k, true), major + " (" + minors[k] + ")");
  }
}

TEST(SuggestedFileName, TheTitleBecomesASafeFileName) {
  EXPECT_EQ(SuggestedFileName("さくらさくら", "mwd"), "さくらさくら.mwd");
  EXPECT_EQ(SuggestedFileName("さくらさくら", ""), "さくらさくら");
  EXPECT_EQ(SuggestedFileName(" AC/DC ", "mwd"), "AC_DC.mwd");
  EXPECT_EQ(SuggestedFileName("what?*", "pdf"), "what__.pdf");
  EXPECT_EQ(SuggestedFileName("..hidden", "mwd"), "hidden.mwd");
  EXPECT_EQ(SuggestedFileName("", "mwd"), "");
  EXPECT_EQ(SuggestedFileName(" \t ", "mwd"), "");
  EXPECT_EQ(SuggestedFileName("..", "mwd"), "");

  // A very long title is cut between characters, never inside one.
  std::string longTitle;
  for (int i = 0; i < 100; ++i) {
    longTitle += "桜";  // three bytes each
  }
  const std::string name = SuggestedFileName(longTitle, "mwd");
  ASSERT_LE(name.size(), 255u);
  const std::string stem = name.substr(0, name.size() - 4);
  EXPECT_EQ(stem.size() % 3, 0u);
  EXPECT_EQ(longTitle.compare(0, stem.size(), stem), 0);
  EXPECT_EQ(name.substr(name.size() - 4), ".mwd");
}

}  // namespace
}  // namespace kumoito
