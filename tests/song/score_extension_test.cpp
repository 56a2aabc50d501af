#include "song/score_extension.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/message_box.h"
#include "common/report.h"
#include "song/edit_history.h"
#include "song/score_file.h"
#include "song/score_layout.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

namespace L = score_layout;
using namespace test;

constexpr std::uint32_t kForeignTag = 0x5A5A5A5A;  // "ZZZZ"

// Two measures of 4/4 with a note on every beat (C4 up) and one rest.
std::unique_ptr<CSongData> Melody() {
  auto song = NewSong(2);
  for (int beat = 0; beat < 8; ++beat) {
    song->m_cells[static_cast<std::size_t>(2 * beat)].pitch[0] = beat == 5 ? SLOT_REST : 60 + beat;
  }
  return song;
}

// Every kind of mark once: each technique, each finger, a player's string,
// a two- and a three-string note, ケシ on the rest, both repeat signs with a
// count, an ending, a measure repeat, the tuning and the style; the user's
// syllables on a note, on the rest (a call) and one silenced.
void MarkEverything(CSongData& song) {
  EXPECT_TRUE(song.m_marks.SyllableAt(0, 0).Assign("\x83\x60\x83\x8A"));   // チリ
  EXPECT_TRUE(song.m_marks.SyllableAt(10, 0).Assign("\x83\x43\x83\x84"));  // イヤ
  EXPECT_TRUE(song.m_marks.SyllableAt(14, 0).Assign(""));
  for (int t = 1; t < kTechniqueCount; ++t) {
    if (2 * (t - 1) != 10) {  // beat 5 is the rest
      song.m_marks.At(2 * (t - 1), 0).technique = static_cast<Technique>(t);
    }
  }
  song.m_marks.At(10, 0).technique = Technique::kKeshi;
  song.m_marks.At(0, 0).finger = 1;
  song.m_marks.At(2, 0).finger = 2;
  song.m_marks.At(4, 0).finger = 3;
  song.m_marks.At(6, 0).string = 2;
  song.m_marks.At(8, 0).together = {72, kNoPitch};
  song.m_marks.At(12, 0).together = {55, 79};
  song.m_marks.measures[0].flags = kRepeatStart;
  song.m_marks.measures[1].flags = kRepeatEnd | kMeasureRepeat;
  song.m_marks.measures[1].repeatCount = 3;
  song.m_marks.measures[1].ending = 1;
  song.m_marks.tuning = TabTuning{1, 2, 7, 9};
  song.m_marks.style = TechniqueStyle::kAbove;
}

class ScoreExtensionTest : public ::testing::Test {
 protected:
  Bytes SaveAndRead(CSongData& song, const std::string& name = "marked.mwd") {
    const std::string path = m_dir.Path(name);
    EXPECT_TRUE(SaveScore(song, song.m_beatsPerMeasure, song.m_keyIndex, path, 1));
    return ReadFile(path);
  }

  TempDir m_dir;
  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
};

TEST_F(ScoreExtensionTest, EveryMarkSurvivesSaveAndLoadAfterAnUnchangedLayout) {
  auto song = Melody();
  MarkEverything(*song);
  song->m_foreignChunks.push_back(ForeignChunk{kForeignTag, std::string("\0later\xFF", 7)});
  const Bytes file = SaveAndRead(*song);

  auto bare = Melody();
  const Bytes plain = SaveAndRead(*bare, "plain.mwd");
  ASSERT_EQ(plain.size(), L::kFileSize);
  ASSERT_GT(file.size(), L::kFileSize);
  EXPECT_TRUE(std::equal(plain.begin(), plain.end(), file.begin()))
      << "the layout's bytes must not depend on the marks";

  Loaded loaded = LoadBytes(m_dir, file);
  EXPECT_EQ(loaded.song->m_marks.notes, song->m_marks.notes);
  EXPECT_EQ(loaded.song->m_marks.measures, song->m_marks.measures);
  EXPECT_EQ(loaded.song->m_marks.syllables, song->m_marks.syllables);
  EXPECT_EQ(loaded.song->m_marks.tuning, song->m_marks.tuning);
  EXPECT_EQ(loaded.song->m_marks.style, TechniqueStyle::kAbove);
  ASSERT_EQ(loaded.song->m_foreignChunks.size(), 1u);
  EXPECT_EQ(loaded.song->m_foreignChunks[0], song->m_foreignChunks[0]);
  // Saved again, the file is the same to the byte: nothing drifts.
  EXPECT_EQ(SaveAndRead(*loaded.song, "again.mwd"), file);
  EXPECT_TRUE(m_boxes.Messages().empty());
}

TEST_F(ScoreExtensionTest, OnlyASongWithMarksOrAStoredTuningCarriesOne) {
  auto song = Melody();
  EXPECT_TRUE(EncodeScoreExtension(*song).empty());
  EXPECT_EQ(ScoreFileImage(*song).size(), L::kFileSize);
  song->m_marks.tuning = TabTuning{1, 0, 0, 0};
  EXPECT_FALSE(EncodeScoreExtension(*song).empty());
  EXPECT_GT(ScoreFileImage(*song).size(), L::kFileSize);
  // Marks on measures the song no longer has are not written.
  auto shortened = Melody();
  shortened->m_marks.At(20, 0).technique = Technique::kSukui;
  shortened->m_marks.measures[5].flags = kRepeatEnd;
  EXPECT_TRUE(shortened->m_marks.SyllableAt(30, 1).Assign("x"));
  EXPECT_TRUE(EncodeScoreExtension(*shortened).empty());
  // A silenced syllable alone is a mark worth a block.
  auto silenced = Melody();
  EXPECT_TRUE(silenced->m_marks.SyllableAt(0, 0).Assign(""));
  EXPECT_FALSE(EncodeScoreExtension(*silenced).empty());
}

TEST_F(ScoreExtensionTest, MarksNoNoteCarriesAreDroppedOnSave) {
  auto song = Melody();
  song->m_marks.At(1, 0).technique = Technique::kSukui;  // a hold
  song->m_marks.At(10, 0).finger = 2;                    // the rest: only ケシ may stay
  song->m_marks.At(10, 0).technique = Technique::kKeshi;
  song->m_marks.At(0, 2).finger = 1;           // an unused third slot
  song->m_marks.At(2, 0).together = {61, 64};  // 61 is the note itself
  Loaded loaded = LoadBytes(m_dir, SaveAndRead(*song));
  const SongMarks& m = loaded.song->m_marks;
  EXPECT_TRUE(m.At(1, 0).Empty());
  EXPECT_EQ(m.At(10, 0).technique, Technique::kKeshi);
  EXPECT_EQ(m.At(10, 0).finger, 0);
  EXPECT_TRUE(m.At(0, 2).Empty());
  EXPECT_EQ(m.At(2, 0).together[0], 64);
  EXPECT_EQ(m.At(2, 0).together[1], kNoPitch);
}

// A block of ours that cannot be trusted costs the marks, never the notes,
// and says so once; bytes past the layout that are not ours say nothing.
TEST_F(ScoreExtensionTest, DamagedExtensionsAreIgnoredWithOneMessage) {
  auto song = Melody();
  MarkEverything(*song);
  const Bytes good = SaveAndRead(*song);
  const std::size_t ext = L::kFileSize;
  struct Case {
    const char* what;
    Bytes bytes;
    bool message;
  };
  std::vector<Case> cases;
  Bytes flipped = good;
  flipped[ext + 20] ^= 0x01;
  cases.push_back({"a flipped bit", flipped, true});
  cases.push_back({"truncated", Bytes(good.begin(), good.end() - 5), true});
  cases.push_back({"only the magic", Bytes(good.begin(), good.begin() + ext + 4), true});
  Bytes version = good;
  version[ext + 4] = 2;
  cases.push_back({"an unknown version", version, true});
  Bytes length = good;
  StoreLE32(length.data() + ext + 8, 0xFFFFFFF0u);
  cases.push_back({"a length past the end", length, true});
  Bytes huge(good.begin(), good.begin() + ext + 12);
  huge.resize(ext + kMaxScoreExtensionBytes + 100, 0);
  cases.push_back({"larger than any extension", huge, true});
  Bytes junk(good.begin(), good.begin() + ext);
  junk.insert(junk.end(), {'j', 'u', 'n', 'k', 0, 1, 2});
  cases.push_back({"bytes of another writer", junk, false});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedMessageBoxCapture boxes;
    Loaded loaded = LoadBytes(m_dir, c.bytes);
    ASSERT_TRUE(loaded.song->m_readFromFile);
    EXPECT_EQ(loaded.song->m_cells[2].pitch[0], 61);
    EXPECT_FALSE(loaded.song->m_marks.AnyMark());
    EXPECT_FALSE(loaded.song->m_marks.tuning.stored);
    EXPECT_EQ(boxes.Messages().size(), c.message ? 1u : 0u);
  }
}

// A well-formed block whose entries are out of range (a later writer's
// values) loses only those entries.
TEST_F(ScoreExtensionTest, EntriesOutOfRangeDropOnlyThemselves) {
  auto song = Melody();
  song->m_marks.At(0, 0).technique = Technique::kHajiki;
  song->m_marks.At(2, 0).finger = 3;
  Bytes ext = EncodeScoreExtension(*song);
  // NOTE records start after the 12-byte header and the chunk's 8; the
  // second record's finger becomes 4.
  ASSERT_EQ(std::string(ext.begin() + 12, ext.begin() + 16), "NOTE");
  ext[12 + 8 + 8 + 4] = 4;
  StoreLE32(ext.data() + ext.size() - 4,
            static_cast<std::uint32_t>(crc32(0, ext.data(), static_cast<uInt>(ext.size() - 4))));
  auto read = Melody();
  ASSERT_EQ(DecodeScoreExtension(*read, ext.data(), ext.size()), ExtensionRead::kRead);
  EXPECT_EQ(read->m_marks.At(0, 0).technique, Technique::kHajiki);
  EXPECT_TRUE(read->m_marks.At(2, 0).Empty());
}

// KUCH records are of their own length: one that is bad is skipped whole
// and the next one still read; a record cut short by the chunk's end is
// dropped.
TEST_F(ScoreExtensionTest, BadSyllableRecordsDropOnlyThemselves) {
  auto song = Melody();
  EXPECT_TRUE(song->m_marks.SyllableAt(0, 0).Assign("ab"));
  EXPECT_TRUE(song->m_marks.SyllableAt(2, 0).Assign("cd"));
  EXPECT_TRUE(song->m_marks.SyllableAt(4, 0).Assign("ef"));
  Bytes ext = EncodeScoreExtension(*song);
  ASSERT_EQ(std::string(ext.begin() + 12, ext.begin() + 16), "KUCH");
  constexpr std::size_t kFirst = 12 + 8;
  ext[kFirst + 4] = '\x09';  // "ab" becomes a control character
  ext[kFirst + 6 + 2] = 3;   // the second record's slot is past the cell
  const std::size_t third = kFirst + 12;
  ext.insert(ext.begin() + static_cast<std::ptrdiff_t>(third + 6), {'\x01', '\x00', 0, 5, 'g'});
  StoreLE32(ext.data() + 16, LoadLE32(ext.data() + 16) + 5);  // the chunk's length
  StoreLE32(ext.data() + 8, LoadLE32(ext.data() + 8) + 5);    // the block's
  StoreLE32(ext.data() + ext.size() - 4,
            static_cast<std::uint32_t>(crc32(0, ext.data(), static_cast<uInt>(ext.size() - 4))));
  auto read = Melody();
  ASSERT_EQ(DecodeScoreExtension(*read, ext.data(), ext.size()), ExtensionRead::kRead);
  EXPECT_TRUE(read->m_marks.SyllableAt(0, 0).Empty());
  EXPECT_TRUE(read->m_marks.SyllableAt(2, 0).Empty());
  EXPECT_EQ(read->m_marks.SyllableAt(4, 0).Text(), "ef");
  EXPECT_TRUE(read->m_marks.SyllableAt(1, 0).Empty());  // the cut-short record
  // What was read writes back as a block that reads the same.
  const Bytes again = EncodeScoreExtension(*read);
  auto twice = Melody();
  ASSERT_EQ(DecodeScoreExtension(*twice, again.data(), again.size()), ExtensionRead::kRead);
  EXPECT_EQ(twice->m_marks.syllables, read->m_marks.syllables);
}

TEST_F(ScoreExtensionTest, MarksFollowUndoAndNewMeasuresStartBare) {
  auto song = Melody();
  EditHistory history;
  history.BeginEdit(*song, "mark");
  song->m_marks.At(4, 0).technique = Technique::kOshi;
  song->m_marks.measures[1].flags = kRepeatEnd;
  EXPECT_TRUE(song->m_marks.SyllableAt(4, 0).Assign("ab"));
  EXPECT_TRUE(song->m_marks.SyllableAt(8, 0).Assign("cd"));
  ASSERT_TRUE(history.CommitEdit(*song));
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_FALSE(song->m_marks.AnyMark());
  ASSERT_TRUE(history.Redo(*song));
  EXPECT_EQ(song->m_marks.At(4, 0).technique, Technique::kOshi);
  EXPECT_EQ(song->m_marks.SyllableAt(4, 0).Text(), "ab");

  // Cutting the song to one measure and growing it again leaves no mark of
  // the old second measure on the new one.
  song->SetMeasureCount(1);
  song->SetMeasureCount(2);
  EXPECT_TRUE(song->m_marks.At(8, 0).Empty());
  EXPECT_TRUE(song->m_marks.SyllableAt(8, 0).Empty());
  EXPECT_TRUE(song->m_marks.measures[1].Empty());
  EXPECT_EQ(song->m_marks.At(4, 0).technique, Technique::kOshi);
  EXPECT_EQ(song->m_marks.SyllableAt(4, 0).Text(), "ab");
  // A copy of the first measure keeps its syllables.
  auto copy = CSongData::CopyMeasures(*song, 1);
  EXPECT_EQ(copy->m_marks.SyllableAt(4, 0).Text(), "ab");
}

TEST_F(ScoreExtensionTest, ARecoveredImageKeepsItsMarks) {
  auto song = Melody();
  MarkEverything(*song);
  const std::vector<unsigned char> image = ScoreFileImage(*song);
  auto read = NewSong(1);
  read->ResetSong();
  ASSERT_TRUE(DecodeScoreBytes(*read, image.data(), image.size()));
  EXPECT_EQ(read->m_marks.notes, song->m_marks.notes);
  EXPECT_EQ(read->m_marks.syllables, song->m_marks.syllables);
  EXPECT_EQ(read->m_marks.tuning, song->m_marks.tuning);
}

}  // namespace
}  // namespace kumoito
