#include "song/edit_history.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/sjis.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "song_test_util.h"

namespace kumoito {
namespace {

constexpr std::size_t kScoreImageSize = 94540;

std::vector<unsigned char> Image(const CSongData& song) {
  std::vector<unsigned char> image(kScoreImageSize);
  BuildScoreImage(image.data(), song, song.m_beatsPerMeasure, song.m_keyIndex, song.m_headerWord);
  return image;
}

// Every slot 0 and 1 of the song's cells holds a note or a hold.
void FillWithNotes(CSongData& song, std::uint32_t draw) {
  std::mt19937 random(draw);
  for (int c = 0; c < song.CellCount(); ++c) {
    for (int s = 0; s < 2; ++s) {
      song.m_cells[c].pitch[s] =
          random() % 3 == 0 ? SLOT_HOLD : static_cast<std::int32_t>(48 + random() % 30);
    }
  }
}

// One random change of the kinds the program makes: a note, a hold or a rest
// in one slot, a new measure count, or new song information.
void RandomEdit(CSongData& song, EditHistory& history, std::mt19937& random) {
  const unsigned kind = random() % 10;
  if (kind < 7) {
    const int cell = static_cast<int>(random() % static_cast<unsigned>(song.CellCount() + 8));
    const int slot = static_cast<int>(random() % 2);
    const std::int32_t value = kind < 4   ? static_cast<std::int32_t>(40 + random() % 50)
                               : kind < 6 ? SLOT_HOLD
                                          : SLOT_REST;
    history.BeginEdit(song, "note");
    song.m_cells[cell].pitch[slot] = value;
    history.CommitEdit(song);
  } else if (kind < 9) {
    history.BeginEdit(song, "measures");
    song.SetMeasureCount(static_cast<std::int32_t>(1 + random() % 40));
    history.CommitEdit(song);
  } else {
    history.BeginEdit(song, "info");
    SetFieldText(song.m_info.title, "Title " + std::to_string(random() % 1000));
    SetFieldText(song.m_info.composer, std::string(random() % 32, 'c'));
    history.CommitEdit(song);
  }
}

TEST(EditHistory, UndoEverythingGivesTheOpenedSongAndRedoTheLast) {
  for (std::uint32_t draw = 1; draw <= 6; ++draw) {
    auto song = test::NewSong(16);
    FillWithNotes(*song, draw);
    EditHistory history;
    std::vector<std::vector<unsigned char>> states{Image(*song)};
    std::mt19937 random(draw);
    while (history.UndoCount() < 300) {
      RandomEdit(*song, history, random);
      if (history.UndoCount() == states.size()) {
        states.push_back(Image(*song));
      } else {
        // A step that changed nothing is no step, and the song is unchanged.
        ASSERT_EQ(Image(*song), states.back());
      }
    }
    for (std::size_t i = states.size() - 1; i > 0; --i) {
      ASSERT_TRUE(history.Undo(*song)) << "draw " << draw << " step " << i;
      ASSERT_EQ(Image(*song), states[i - 1]) << "draw " << draw << " after undoing step " << i;
    }
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.Undo(*song));
    for (std::size_t i = 1; i < states.size(); ++i) {
      ASSERT_TRUE(history.Redo(*song));
      ASSERT_EQ(Image(*song), states[i]) << "draw " << draw << " after redoing step " << i;
    }
    EXPECT_FALSE(history.Redo(*song));
  }
}

TEST(EditHistory, NewEditClearsRedoAndNamesFollowTheSteps) {
  auto song = test::NewSong(8);
  EditHistory history;
  EXPECT_TRUE(history.UndoName().empty());
  history.BeginEdit(*song, "小節 1 の音");
  song->m_cells[0].pitch[0] = 60;
  EXPECT_TRUE(history.CommitEdit(*song));
  history.BeginEdit(*song, "小節 2 の音");
  song->m_cells[8].pitch[0] = 62;
  EXPECT_TRUE(history.CommitEdit(*song));
  EXPECT_EQ(history.UndoName(), "小節 2 の音");
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(history.UndoName(), "小節 1 の音");
  EXPECT_EQ(history.RedoName(), "小節 2 の音");

  history.BeginEdit(*song, "小節数");
  song->SetMeasureCount(4);
  EXPECT_TRUE(history.CommitEdit(*song));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_TRUE(history.RedoName().empty());
  EXPECT_EQ(history.UndoCount(), 2u);
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(song->m_measureCount, 8);
  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(song->m_cells[0].pitch[0], SLOT_REST);
  EXPECT_EQ(song->m_cells[8].pitch[0], SLOT_REST);
}

TEST(EditHistory, NestedEditsMakeOneStepAndEmptyStepsAreDropped) {
  auto song = test::NewSong(8);
  EditHistory history;
  history.BeginEdit(*song, "outer");
  song->m_cells[1].pitch[1] = 60;
  history.BeginEdit(*song, "inner");
  song->m_cells[1].pitch[1] = 65;
  EXPECT_FALSE(history.CommitEdit(*song));
  EXPECT_TRUE(history.InEdit());
  EXPECT_FALSE(history.CanUndo());  // not while a step is open
  EXPECT_TRUE(history.CommitEdit(*song));
  EXPECT_EQ(history.UndoCount(), 1u);
  EXPECT_EQ(history.UndoName(), "outer");

  history.BeginEdit(*song, "nothing");
  EXPECT_FALSE(history.CommitEdit(*song));
  EXPECT_EQ(history.UndoCount(), 1u);
  // A commit without a begin records nothing.
  EXPECT_FALSE(history.CommitEdit(*song));

  ASSERT_TRUE(history.Undo(*song));
  EXPECT_EQ(song->m_cells[1].pitch[1], SLOT_HOLD);
}

TEST(EditHistory, KeepsItsCapacityDroppingTheOldestSteps) {
  auto song = test::NewSong(64);
  EditHistory history(250);
  for (int i = 0; i < 300; ++i) {
    history.BeginEdit(*song, "note " + std::to_string(i));
    song->m_cells[i].pitch[0] = 40 + i % 50;
    history.CommitEdit(*song);
  }
  EXPECT_EQ(history.UndoCount(), 250u);
  while (history.CanUndo()) {
    history.Undo(*song);
  }
  // The first 50 notes are older than the history reaches.
  EXPECT_EQ(song->m_cells[49].pitch[0], 40 + 49);
  EXPECT_EQ(song->m_cells[50].pitch[0], SLOT_HOLD);
}

TEST(EditHistory, TwoHundredLargeStepsOfAFullSongStayUnderTwentyMebibytes) {
  auto song = test::NewSong(128);
  FillWithNotes(*song, 7);
  const auto full = Image(*song);
  EditHistory history;
  // Cutting a full song to one measure and lengthening it again rewrites
  // every cell: the largest steps there are, a hundred times each.
  for (int i = 0; i < 100; ++i) {
    history.BeginEdit(*song, "cut");
    song->SetMeasureCount(1);
    history.CommitEdit(*song);
    history.BeginEdit(*song, "lengthen");
    song->SetMeasureCount(128);
    history.CommitEdit(*song);
    if (i == 0) {
      ASSERT_NE(Image(*song), full);  // the notes are gone
    }
  }
  EXPECT_EQ(history.UndoCount(), 200u);
  EXPECT_LT(history.MemoryBytes(), 20u << 20);
  while (history.CanUndo()) {
    ASSERT_TRUE(history.Undo(*song));
  }
  EXPECT_EQ(Image(*song), full);
}

}  // namespace
}  // namespace kumoito
