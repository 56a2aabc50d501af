#include "song/kuchijamisen.h"

#include <gtest/gtest.h>

#include <string>

#include "common/sjis.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

std::string Utf8(std::string_view cp932) {
  return Cp932ToUtf8(cp932).value_or("?");
}

TEST(RuleSyllableTest, EveryStringOpenOrStoppedAndStroke) {
  struct Row {
    Technique technique;
    const char* open[3];
    const char* stopped[3];
  };
  const Row rows[] = {
      {Technique::kNone, {"ドン", "トン", "テン"}, {"ツン", "ツン", "チン"}},
      {Technique::kSukui, {"ロン", "ロン", "レン"}, {"ルン", "ルン", "リン"}},
      {Technique::kHajiki, {"ロン", "ロン", "レン"}, {"ルン", "ルン", "リン"}},
      {Technique::kUchi, {"ロン", "ロン", "レン"}, {"ルン", "ルン", "リン"}},
      {Technique::kOshi, {"ドン", "トン", "テン"}, {"ツン", "ツン", "チン"}},
      {Technique::kKeshi, {"ドン", "トン", "テン"}, {"ツン", "ツン", "チン"}},
      {Technique::kSuriUp, {"ドン", "トン", "テン"}, {"ツン", "ツン", "チン"}},
      {Technique::kSuriDown, {"ドン", "トン", "テン"}, {"ツン", "ツン", "チン"}},
  };
  for (const Row& row : rows) {
    for (int string = 0; string < 3; ++string) {
      SyllableNote note;
      note.string = string;
      note.technique = row.technique;
      EXPECT_EQ(Utf8(RuleSyllable(note)), row.open[string])
          << static_cast<int>(row.technique) << " string " << string;
      note.stopped = true;
      EXPECT_EQ(Utf8(RuleSyllable(note)), row.stopped[string])
          << static_cast<int>(row.technique) << " string " << string;
    }
  }
}

TEST(RuleSyllableTest, TogetherAndSlideArrival) {
  SyllableNote note;
  note.string = 1;
  note.together = true;
  EXPECT_EQ(Utf8(RuleSyllable(note)), "シャン");
  note.togetherStopped = true;
  EXPECT_EQ(Utf8(RuleSyllable(note)), "チャン");
  note.togetherStopped = false;
  note.stopped = true;
  EXPECT_EQ(Utf8(RuleSyllable(note)), "チャン");
  note.slideArrival = true;
  EXPECT_TRUE(RuleSyllable(note).empty());
}

// Open strings C3 F3 C4 (本調子 on C).
class SlotSyllableTest : public ::testing::Test {
 protected:
  SlotSyllableTest() : m_song(test::NewSong(2)), m_places(BuildPitchPlaces(m_open)) {}
  std::string At(int cell, int slot) const {
    return Utf8(SlotSyllable(*m_song, m_places, m_open, cell, slot));
  }
  void Put(int cell, int slot, std::int32_t value) {
    m_song->m_cells[static_cast<std::size_t>(cell)].pitch[slot] = value;
  }

  std::unique_ptr<CSongData> m_song;
  OpenStrings m_open{48, 53, 60};
  PitchPlaceTable m_places;
};

TEST_F(SlotSyllableTest, FollowsTheDrawnString) {
  Put(0, 0, 48);  // 一の糸 open
  Put(2, 0, 53);  // 二の糸 open
  Put(4, 0, 62);  // 三の糸 stopped
  Put(6, 0, 60);  // 三の糸 open, played stopped on 二の糸
  m_song->m_marks.At(6, 0).string = 2;
  Put(8, 0, 50);  // 一の糸 stopped, scooped
  m_song->m_marks.At(8, 0).technique = Technique::kSukui;
  EXPECT_EQ(At(0, 0), "ドン");
  EXPECT_EQ(At(2, 0), "トン");
  EXPECT_EQ(At(4, 0), "チン");
  EXPECT_EQ(At(6, 0), "ツン");
  EXPECT_EQ(At(8, 0), "ルン");
}

TEST_F(SlotSyllableTest, HoldsRestsAndSlides) {
  Put(0, 0, 62);
  m_song->m_marks.At(0, 0).technique = Technique::kSuriUp;
  Put(0, 1, SLOT_HOLD);
  Put(1, 0, SLOT_HOLD);
  Put(1, 1, 64);  // slid to: not struck
  Put(2, 0, SLOT_REST);
  Put(3, 0, 64);  // after a rest: struck again
  EXPECT_EQ(At(0, 0), "チン");
  EXPECT_EQ(At(0, 1), "");
  EXPECT_EQ(At(1, 1), "");
  EXPECT_EQ(At(2, 0), "");
  EXPECT_EQ(At(3, 0), "チン");
  EXPECT_EQ(At(0, 2), "");  // unused slot
}

TEST_F(SlotSyllableTest, TwoStringNotes) {
  Put(0, 0, 48);
  m_song->m_marks.At(0, 0).together = {60, kNoPitch};
  Put(2, 0, 48);
  m_song->m_marks.At(2, 0).together = {62, kNoPitch};
  Put(4, 0, 48);
  m_song->m_marks.At(4, 0).together = {48, kNoPitch};  // no other string can: a single note
  EXPECT_EQ(At(0, 0), "シャン");
  EXPECT_EQ(At(2, 0), "チャン");
  EXPECT_EQ(At(4, 0), "ドン");
}

TEST_F(SlotSyllableTest, TheUsersSyllableWinsOnNotesAndRests) {
  Put(0, 0, 48);
  Put(2, 0, SLOT_REST);
  Put(4, 0, 48);
  ASSERT_TRUE(m_song->m_marks.SyllableAt(0, 0).Assign(*Utf8ToCp932("トッ")));
  ASSERT_TRUE(m_song->m_marks.SyllableAt(2, 0).Assign(*Utf8ToCp932("イヤ")));
  ASSERT_TRUE(m_song->m_marks.SyllableAt(4, 0).Assign(""));  // silenced
  EXPECT_EQ(At(0, 0), "トッ");
  EXPECT_EQ(At(2, 0), "イヤ");
  EXPECT_EQ(At(4, 0), "");
  // On a hold the syllable has no note to stand on.
  Put(0, 0, SLOT_HOLD);
  EXPECT_EQ(At(0, 0), "");
  m_song->DropStrayMarks();
  EXPECT_TRUE(m_song->m_marks.SyllableAt(0, 0).Empty());
  EXPECT_FALSE(m_song->m_marks.SyllableAt(2, 0).Empty());
}

TEST(SyllableOverrideTest, TakesOnlyShortWholeCp932) {
  SyllableOverride s;
  EXPECT_TRUE(s.Assign(*Utf8ToCp932("チリツン")));  // 8 bytes
  EXPECT_EQ(Utf8(s.Text()), "チリツン");
  EXPECT_FALSE(s.Assign(*Utf8ToCp932("チリチリン")));   // 10 bytes
  EXPECT_FALSE(s.Assign(std::string_view("\x83", 1)));  // half a character
  EXPECT_FALSE(s.Assign("a\tb"));
  EXPECT_EQ(Utf8(s.Text()), "チリツン");  // a refused text changes nothing
  EXPECT_TRUE(s.Assign("ha"));
  EXPECT_EQ(s.Text(), "ha");
  EXPECT_EQ(s.text[2], '\0');  // no bytes of the longer one left behind
}

}  // namespace
}  // namespace kumoito
