// The main window's undo and redo, driven without a window: every kind of
// change to the song, the lists they move, and what the tool and the score
// show after each step.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#include "app/main_window.h"
#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "input/input_tool.h"
#include "midi/midi_out.h"
#include "midi/timer_service.h"
#include "render/score_view.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/render/render_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

// A face that keeps the lists' choices, the scroll range, the edit mark
// and the posted redraws; the song-information dialog runs `editInfo`.
class EditFace final : public MainWindowFace {
 public:
  void FillCombo(int combo, const std::vector<std::string>&) override { selection[combo] = -1; }
  void SelectCombo(int combo, int index) override { selection[combo] = index; }
  int ComboSelection(int combo) const override {
    const auto it = selection.find(combo);
    return it == selection.end() ? -1 : it->second;
  }
  void SetScrollRange(int highest) override { scrollHighest = highest; }
  void SetScrollPosition(int position) override { scrollPosition = position; }
  void SetControlVisible(int, bool) override {}
  std::optional<std::string> AskOpenScorePath() override { return std::nullopt; }
  std::optional<std::string> AskSaveScorePath() override { return std::nullopt; }
  std::optional<std::string> AskExportPath() override { return std::nullopt; }
  std::string RunLibraryDialog(const std::string&, const std::string&, std::int32_t&) override {
    return {};
  }
  void RunSongInfoDialog(CSongData& song) override {
    if (editInfo) {
      editInfo(song);
    }
  }
  void ShowHelp(const std::string&) override {}
  void ShowAbout() override {}
  void Quit() override {}
  void Post(std::function<void()> task, std::chrono::milliseconds) override {
    posted.push_back(std::move(task));
  }
  void ShowPractice(const midi::PracticeSettings&, int measureCount) override {
    practiceMeasures = measureCount;
  }
  void ShowEditMark(const std::optional<Rect>& frame) override { mark = frame; }
  void RunPosted() {
    auto tasks = std::exchange(posted, {});
    for (auto& task : tasks) {
      task();
    }
  }

  std::map<int, int> selection;
  int scrollHighest = -1;
  int scrollPosition = -1;
  int practiceMeasures = 0;
  std::optional<Rect> mark;
  std::function<void(CSongData&)> editInfo;
  std::vector<std::function<void()>> posted;
};

std::vector<unsigned char> Image(const CSongData& song) {
  std::vector<unsigned char> image(94540);
  BuildScoreImage(image.data(), song, song.m_beatsPerMeasure, song.m_keyIndex, song.m_headerWord);
  return image;
}

class EditHistoryMainTest : public ::testing::Test {
 protected:
  EditHistoryMainTest() {
    ::setenv("KUMOITO_MIDI_OUT", "none", 1);
    midi::SetMidiOutSystem(midi::MakePlatformMidiOutSystem());
    CKumoitoDlg::Options options;
    options.startupFolder = m_startup.path().string();
    options.dataFolder = m_data.Path("Kumoito");
    options.cacheFolder = m_data.Path("cache");
    options.timer = &m_timer;
    m_logic = std::make_unique<CKumoitoDlg>(m_face, options);
    m_logic->Initialize();
    m_face.RunPosted();
  }
  ~EditHistoryMainTest() override {
    m_logic.reset();
    midi::SetMidiOutSystem(nullptr);
  }
  // A 16-measure song with notes in measures 1, 12 and 14, opened.
  void OpenSong() {
    auto song = test::NewSong(16);
    song->m_cells[0].pitch[0] = 60;
    song->m_cells[1].pitch[0] = 67;
    song->m_cells[8 * 11].pitch[0] = 64;
    song->m_cells[8 * 13 + 2].pitch[1] = 62;
    const std::string path = m_startup.Path("song.mwd");
    SaveScore(*song, 4, 0, path, 1);
    m_logic->OpenScore(path, false);
    m_face.RunPosted();
  }
  CInputDlg& Tool() { return m_logic->InputTool(); }

  test::ScopedFixedGlyphs m_glyphs;
  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
  test::TempDir m_startup;
  test::TempDir m_data;
  midi::ManualTimerService m_timer;
  EditFace m_face;
  std::unique_ptr<CKumoitoDlg> m_logic;
};

TEST_F(EditHistoryMainTest, EveryKindOfChangeUndoesToTheOpenedSongAndRedoesToTheLast) {
  OpenSong();
  const auto opened = Image(*m_logic->Song());
  const int openedKey = m_logic->Settings().key;
  const int openedFirstString = m_logic->Settings().firstStringValue;
  EXPECT_EQ(m_logic->UndoCaption(), "元に戻す");
  EXPECT_FALSE(m_logic->Undo());

  ASSERT_TRUE(Tool().SelectPosition(3, 5));
  Tool().OnTypeSelected(kTypePluck);
  EXPECT_EQ(m_logic->UndoCaption(), "元に戻す: 小節 3 の音");
  Tool().OnKandokoroSelected(7);
  Tool().OnMeasureCountChanged(10);
  m_face.editInfo = [](CSongData& song) { SetFieldText(song.m_info.title, "New title"); };
  m_logic->RunCommand(kCommandSongInfo);
  EXPECT_EQ(m_logic->UndoCaption(), "元に戻す: 曲情報");
  m_face.editInfo = nullptr;
  m_logic->RunCommand(kCommandSongInfo);  // closed without a change: no step
  m_logic->OnKeyChanged(2);
  m_logic->OnFirstStringChanged(4);
  m_face.RunPosted();
  const auto last = Image(*m_logic->Song());
  ASSERT_EQ(m_logic->History().UndoCount(), 6u);

  while (m_logic->Undo()) {
  }
  EXPECT_EQ(Image(*m_logic->Song()), opened);
  EXPECT_EQ(m_logic->Settings().key, openedKey);
  EXPECT_EQ(m_logic->Settings().firstStringValue, openedFirstString);
  EXPECT_EQ(m_face.ComboSelection(kKeyCombo), openedKey);
  EXPECT_EQ(m_logic->RedoCaption(), "やり直し: 小節 3 の音");
  while (m_logic->Redo()) {
  }
  EXPECT_EQ(Image(*m_logic->Song()), last);
  EXPECT_EQ(m_logic->Settings().key, 2);
  EXPECT_EQ(m_face.ComboSelection(kKeyCombo), 2);
  EXPECT_EQ(m_logic->Settings().firstStringValue, 9);
  EXPECT_EQ(m_logic->ScoreView().GetOpenStrings()[0], 57);
  EXPECT_EQ(m_logic->RedoCaption(), "やり直し");
}

TEST_F(EditHistoryMainTest, AfterEachStepTheToolTheScoreAndTheRangesShowTheSong) {
  OpenSong();
  EXPECT_EQ(Tool().MeasureCount(), 16);
  ASSERT_TRUE(Tool().SelectPosition(1, 5));
  Tool().OnTypeSelected(kTypeRest);
  m_face.RunPosted();
  EXPECT_EQ(m_logic->ScoreView().EntryCount(0), 3);
  Tool().OnMeasureCountChanged(9);
  m_face.RunPosted();
  // The cut took measures 12 and 14, which held notes.
  ASSERT_FALSE(m_boxes.Messages().empty());
  EXPECT_EQ(m_boxes.Messages().back(), MeasuresRemovedText(2));
  EXPECT_EQ(m_face.practiceMeasures, 9);
  EXPECT_EQ(Tool().MeasureHigh(), 10);

  ASSERT_TRUE(m_logic->Undo());
  EXPECT_EQ(m_logic->Song()->m_measureCount, 16);
  EXPECT_EQ(Tool().MeasureCount(), 16);
  EXPECT_EQ(Tool().MeasureHigh(), 17);
  EXPECT_EQ(m_face.practiceMeasures, 16);
  EXPECT_EQ(m_logic->ScoreView().EntryCount(8 + 3), 1);  // measure 12 again
  ASSERT_TRUE(m_logic->Undo());
  EXPECT_EQ(m_logic->ScoreView().EntryCount(0), 2);
  EXPECT_EQ(Tool().TypeIndex(), kTypeHold);  // the slot holds the note again
  ASSERT_TRUE(m_logic->Redo());
  EXPECT_EQ(m_logic->ScoreView().EntryCount(0), 3);
  EXPECT_EQ(Tool().TypeIndex(), kTypeRest);
}

TEST_F(EditHistoryMainTest, OpeningAnotherSongForgetsTheSteps) {
  OpenSong();
  ASSERT_TRUE(Tool().SelectPosition(2, 1));
  Tool().OnTypeSelected(kTypeHold);
  ASSERT_TRUE(m_logic->History().CanUndo());
  OpenSong();
  EXPECT_FALSE(m_logic->History().CanUndo());
  EXPECT_FALSE(m_logic->Undo());
}

TEST_F(EditHistoryMainTest, FirstStringChangeShowsTheNoteWhereItNowLies) {
  OpenSong();  // opened on C: the song's lowest note, 60, is fitted to 48
  ASSERT_TRUE(Tool().SelectPosition(1, 1));
  ASSERT_EQ(m_logic->Song()->m_cells[0].pitch[0], 48);
  m_logic->OnFirstStringChanged(4);  // A: the song goes up an octave
  const std::int32_t pitch = m_logic->Song()->m_cells[0].pitch[0];
  ASSERT_EQ(pitch, 60);
  const PitchPlace& place = m_logic->ScoreView().Places()[pitch];
  EXPECT_EQ(Tool().StringIndex(), place.string);
  EXPECT_EQ(Tool().KandokoroIndex(), place.position);
  m_logic->OnTuningChanged(2);
  const PitchPlace& moved = m_logic->ScoreView().Places()[pitch];
  EXPECT_EQ(Tool().StringIndex(), moved.string);
  EXPECT_EQ(Tool().KandokoroIndex(), moved.position);
}

TEST_F(EditHistoryMainTest, TheEditMarkFollowsTheToolAndTheScroll) {
  OpenSong();
  ASSERT_TRUE(Tool().SelectPosition(1, 1));
  ASSERT_TRUE(m_face.mark);
  const Rect first = *m_face.mark;
  const Rect cell0 = ScoreCellRect(0);
  EXPECT_GE(first.left, cell0.left);
  EXPECT_LE(first.right, cell0.right);
  EXPECT_GE(first.top, cell0.top);
  EXPECT_LE(first.bottom, cell0.bottom);
  Tool().OnBeatChanged(2);  // the second sixteenth of the same half beat
  EXPECT_GT(m_face.mark->left, first.left);
  Tool().OnBeatChanged(3);
  EXPECT_EQ(m_face.mark->left, first.left + cell0.Width() / 10);
  Tool().OnMeasureChanged(10);  // second row, second cell
  const Rect cell9 = ScoreCellRect(9);
  EXPECT_EQ(m_face.mark->left, first.left + (cell9.left - cell0.left));
  EXPECT_EQ(m_face.mark->top, first.top + (cell9.top - cell0.top));

  auto longSong = test::NewSong(64);
  const std::string path = m_startup.Path("long.mwd");
  SaveScore(*longSong, 4, 0, path, 1);
  m_logic->OpenScore(path, false);
  ASSERT_TRUE(Tool().SelectPosition(60, 1));
  EXPECT_FALSE(m_face.mark);                 // row 8 is below the six rows shown
  m_logic->OnScroll(ScrollAction::kBottom);  // rows 4 to 8, from measure 25
  ASSERT_TRUE(m_face.mark);
  EXPECT_EQ(m_face.mark->top, first.top + (ScoreCellRect(59 - 24).top - cell0.top));
}

}  // namespace
}  // namespace kumoito
