// The keyboard on the score in the real window, on Qt's offscreen platform:
// a phrase typed by keys and saved, the selection and the clipboard across
// measures and songs, measures in and out, lyrics through the input method,
// Space in and out of the score; the undo of each.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QSpinBox>
#include <QTest>
#include <cstdlib>

#include "app/qt/main_window_widget.h"
#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "input/clip_payload.h"
#include "input/input_tool.h"
#include "render/qt/offscreen_widget.h"
#include "render/score_view.h"
#include "song/edit_ops.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/app/window_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

class KeyboardWindowTest : public ::testing::Test {
 protected:
  KeyboardWindowTest() : m_window(test::StartTestWindow(m_startup, m_data)) {
    m_window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  }
  CSongData& Song() { return *m_window->Logic().Song(); }
  QWidget* Score() { return m_window->findChild<QWidget*>("scoreContent"); }
  OffScreenWidget* Cell(int i) {
    return m_window->findChild<OffScreenWidget*>(QString::number(CellControlNumber(i)));
  }
  // A click on the first sixteenth of shown measure `cell`, on a string
  // (0 一の糸 .. 2 三の糸), as the user aims at it.
  void ClickOn(int cell, int string) {
    OffScreenWidget* w = Cell(cell);
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, (60 - 20 * string) * w->height() / 100));
    Score()->setFocus();
  }
  void Keys(const char* keys) {
    for (const char* c = keys; *c != '\0'; ++c) {
      if (*c == ' ') {
        QTest::keyClick(Score(), Qt::Key_Space);
      } else {
        QTest::keyClick(Score(), *c);
      }
    }
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(Score(), key, modifiers);
  }
  std::int32_t At(int p) { return SlotValueAt(Song(), p); }
  std::string LyricAt(int p) {
    return std::string(FieldText(Song().m_cells[static_cast<std::size_t>(p / 2)].lyric[p % 2]));
  }
  std::vector<unsigned char> Saved(CSongData& song, const std::string& name) {
    const std::string path = m_data.Path(name);
    EXPECT_TRUE(SaveScore(song, song.m_beatsPerMeasure, song.m_keyIndex, path, 1));
    return test::ReadFile(path);
  }

  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
  test::TempDir m_startup;
  test::TempDir m_data;
  std::unique_ptr<KumoitoWindow> m_window;
};

ScoreCursor& KeyCursorOf(CKumoitoDlg& logic) {
  return logic.KeyCursor();
}

void Put(CSongData& song, int p, std::int32_t value, int length) {
  song.m_cells[static_cast<std::size_t>(p / 2)].pitch[p % 2] = value;
  for (int i = 1; i < length; ++i) {
    song.m_cells[static_cast<std::size_t>((p + i) / 2)].pitch[(p + i) % 2] = SLOT_HOLD;
  }
}

TEST_F(KeyboardWindowTest, APhraseTypedByKeysSavesAsTheSameSongWrittenByHand) {
  auto expected = CSongData::Clone(Song());
  ClickOn(0, 0);
  EXPECT_TRUE(m_window->Logic().KeyCursorShown());
  EXPECT_EQ(m_window->Logic().KeyCursor().Position(), 0);
  Keys("334 ");  // quarters on 一の糸 and a rest
  Key(Qt::Key_Up);
  Keys("[01-]");  // eighths on 二の糸, the second held on
  Key(Qt::Key_Up);
  Keys("2s+");  // 2 on 三の糸 with スクイ, and a note with it ...
  Key(Qt::Key_Down);
  Keys("0");  // ... ○ on 一の糸
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Song().m_marks.At(11, 0).together[0], kNoPitch);
  Key(Qt::Key_Y, Qt::ControlModifier);

  const PitchPlaceTable& places = m_window->Logic().ScoreView().Places();
  auto onString = [&](int p, std::int32_t pitch, int string) {
    expected->m_marks.At(p / 2, p % 2).string =
        places[pitch].string == string ? 0 : static_cast<std::uint8_t>(string + 1);
  };
  Put(*expected, 0, 51, 4);
  Put(*expected, 4, 51, 4);
  Put(*expected, 8, 53, 4);
  onString(0, 51, 0);
  onString(4, 51, 0);
  onString(8, 53, 0);  // ４ on 一の糸, where placement would take 二の糸 open
  Put(*expected, 12, SLOT_REST, 4);
  Put(*expected, 16, 53, 2);
  onString(16, 53, 1);
  Put(*expected, 18, 54, 4);
  onString(18, 54, 1);
  Put(*expected, 22, 62, 4);
  onString(22, 62, 2);
  Put(*expected, 26, SLOT_REST, 1);
  expected->m_marks.At(11, 0).technique = Technique::kSukui;
  expected->m_marks.At(11, 0).together[0] = 48;
  const auto typed = Saved(Song(), "typed.mwd");
  const auto written = Saved(*expected, "written.mwd");
  ASSERT_EQ(typed.size(), written.size());
  for (std::size_t i = 0; i < typed.size(); ++i) {
    ASSERT_EQ(typed[i], written[i]) << "at byte " << i;
  }
  EXPECT_EQ(m_window->Logic().KeyCursor().Position(), 26);
}

TEST_F(KeyboardWindowTest, SpaceTypesARestInTheScoreAndPlaysOutsideIt) {
  ClickOn(0, 0);
  Keys("3");
  Key(Qt::Key_Space);
  EXPECT_EQ(At(4), SLOT_REST);
  EXPECT_EQ(m_window->Logic().KeyCursor().Position(), 8);
  ASSERT_NE(m_window->Logic().Playback(), nullptr);
  EXPECT_FALSE(m_window->Logic().Playback()->IsPlaying());
  Key(Qt::Key_Space, Qt::ControlModifier);
  EXPECT_TRUE(m_window->Logic().Playback()->IsPlaying());
  m_window->Logic().StopPlayback();
  auto* speed = m_window->findChild<QSpinBox*>("practiceSpeed");
  speed->setFocus();
  QTest::keyClick(speed, Qt::Key_Space);
  EXPECT_TRUE(m_window->Logic().Playback()->IsPlaying());
  EXPECT_EQ(m_window->Logic().KeyCursor().Position(), 8);
  m_window->Logic().StopPlayback();
}

TEST_F(KeyboardWindowTest, TheToolAndTheCursorKeepToOnePlace) {
  ClickOn(2, 1);
  EXPECT_EQ(m_window->Logic().KeyCursor().Position(), 32);
  EXPECT_EQ(m_window->Logic().KeyCursor().String(), 1);
  EXPECT_EQ(m_window->Logic().InputTool().Measure(), 3);
  Key(Qt::Key_Right);
  EXPECT_EQ(m_window->Logic().InputTool().Beat(), 5);
  m_window->Logic().InputTool().OnBeatChanged(9);
  EXPECT_EQ(m_window->Logic().KeyCursor().Position(), 40);
  EXPECT_EQ(m_window->Logic().KeyCursor().String(), 1);
  // The cell draws the cursor; the next cell has no frame of it.
  const Surface* marked = m_window->Logic().ScoreView().CellSurface(2);
  const Surface* plain = m_window->Logic().ScoreView().CellSurface(3);
  ASSERT_TRUE(marked && plain);
  auto blue = [](const Surface* s) {
    int count = 0;
    for (int y = 0; y < s->picture.Height(); ++y) {
      for (int x = 0; x < s->picture.Width(); ++x) {
        count += s->picture.PixelAt(x, y) == kKeyCursorColor ? 1 : 0;
      }
    }
    return count;
  };
  EXPECT_GT(blue(marked), 40);
  EXPECT_EQ(blue(plain), 0);
}

TEST_F(KeyboardWindowTest, ASelectionCopiedPastesAcrossABarLineAndIntoAnotherSong) {
  ClickOn(0, 0);
  Keys("[1234");  // eighths 1 2 3 4 on 一の糸
  Song().m_marks.At(1, 0).finger = 2;
  Key(Qt::Key_Home);
  Key(Qt::Key_Right);
  for (int i = 0; i < 3; ++i) {
    Key(Qt::Key_Right, Qt::ShiftModifier);
  }
  ASSERT_TRUE(m_window->Logic().KeyCursor().Selection());
  EXPECT_EQ(*m_window->Logic().KeyCursor().Selection(), std::make_pair(2, 8));
  Key(Qt::Key_C, Qt::ControlModifier);
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  ASSERT_TRUE(mime->hasFormat(kClipMimeType));
  // Other notation programs get the measure as MusicXML, typed and as text.
  ASSERT_TRUE(mime->hasFormat(kMusicXmlClipMimeType));
  EXPECT_TRUE(LooksLikeMusicXml(mime->data(kMusicXmlClipMimeType).toStdString()));
  EXPECT_EQ(mime->text().toStdString(), mime->data(kMusicXmlClipMimeType).toStdString());

  // Another song: the clip lands on the last eighth of measure 1 and runs on.
  const std::string other = m_data.Path("other.mwd");
  auto song = test::NewSong(2);
  ASSERT_TRUE(SaveScore(*song, 4, 0, other, 1));
  m_window->Logic().OpenScore(other, false);
  ASSERT_EQ(Song().m_measureCount, 2);
  ClickOn(0, 0);
  Key(Qt::Key_End);  // the last eighth: the note value stays as it was
  EXPECT_EQ(m_window->Logic().KeyCursor().Position(), 14);
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(At(14), 50);
  EXPECT_EQ(Song().m_marks.At(7, 0).finger, 2);
  EXPECT_EQ(At(16), 51);  // over the bar line
  EXPECT_EQ(At(18), 53);
  EXPECT_EQ(At(20), SLOT_REST);
  EXPECT_EQ(m_window->Logic().History().UndoName(), "貼り付け");
  // Cut leaves rests; undo brings the notes back.
  Key(Qt::Key_Left, Qt::ShiftModifier);
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(At(18), SLOT_REST);
  EXPECT_EQ(m_window->Logic().History().UndoName(), "切り取り");
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(At(18), 53);
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(At(14), SLOT_HOLD);
  EXPECT_EQ(At(16), SLOT_REST);
  // A text of another program is no clip: nothing changes.
  QGuiApplication::clipboard()->setText("3 3 4");
  const std::size_t steps = m_window->Logic().History().UndoCount();
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(m_window->Logic().History().UndoCount(), steps);
}

// What another notation program copies: MusicXML only, by its media type or
// as plain text. It pastes at the cursor as the notes it holds, without the
// rests after its last note.
TEST_F(KeyboardWindowTest, MusicXmlOfAnotherProgramPastesAtTheCursor) {
  ClickOn(0, 0);
  Keys("[12");  // two eighths, then the measure's rests
  const std::int32_t first = At(0), second = At(2);
  Key(Qt::Key_Home);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_C, Qt::ControlModifier);
  const std::string xml =
      QGuiApplication::clipboard()->mimeData()->data(kMusicXmlClipMimeType).toStdString();
  ASSERT_FALSE(xml.empty());

  const std::string other = m_data.Path("other.mwd");
  auto song = test::NewSong(2);
  ASSERT_TRUE(SaveScore(*song, 4, 0, other, 1));
  for (const bool asText : {false, true}) {
    m_window->Logic().OpenScore(other, false);
    ClickOn(0, 0);
    m_window->Logic().KeyCursor().PlaceAt(4);
    Keys("5");
    const std::int32_t after = At(4);
    ASSERT_GE(after, 0);
    Key(Qt::Key_Home);
    auto* mime = new QMimeData;
    if (asText) {
      mime->setText(QString::fromStdString(xml));
    } else {
      mime->setData(kMusicXmlClipMimeType, QByteArray::fromStdString(xml));
    }
    QGuiApplication::clipboard()->setMimeData(mime);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(At(0), first) << asText;
    EXPECT_EQ(At(2), second) << asText;
    // The measure's rests after them stay on the clipboard.
    EXPECT_EQ(At(4), after) << asText;
    EXPECT_EQ(m_window->Logic().History().UndoName(), "貼り付け");
  }
  // A MusicXML text that is no score changes nothing.
  QGuiApplication::clipboard()->setText("<score-partwise><part id=\"P1\"></part>");
  const std::size_t steps = m_window->Logic().History().UndoCount();
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(m_window->Logic().History().UndoCount(), steps);
}

TEST_F(KeyboardWindowTest, DeleteAndMeasuresInAndOutTakeLyricsAndMarksAlong) {
  ClickOn(0, 0);
  Keys("1111");
  Keys("2s");  // measure 2
  SetFieldText(Song().m_cells[8].lyric[0], "ha");
  Song().m_marks.measures[1].flags = kRepeatStart;
  Key(Qt::Key_Home);
  Key(Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(At(16), SLOT_REST);
  EXPECT_EQ(At(32), 50);
  EXPECT_EQ(LyricAt(32), "ha");
  EXPECT_EQ(Song().m_marks.At(16, 0).technique, Technique::kSukui);
  EXPECT_EQ(Song().m_marks.measures[2].flags, kRepeatStart);
  Key(Qt::Key_Right, Qt::ControlModifier);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(At(16), SLOT_REST);
  EXPECT_EQ(At(32), SLOT_REST);
  EXPECT_EQ(m_window->Logic().History().UndoName(), "小節の削除");
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(At(32), 50);
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(At(16), 50);
  EXPECT_EQ(LyricAt(16), "ha");
  // Delete clears the note at the cursor to a rest.
  Key(Qt::Key_Home, Qt::ControlModifier);
  Key(Qt::Key_Delete);
  EXPECT_EQ(At(0), SLOT_REST);
  EXPECT_EQ(m_window->Logic().History().UndoName(), "削除");
}

TEST_F(KeyboardWindowTest, LyricsComeThroughTheInputMethodAndACutIsSaid) {
  ClickOn(0, 0);
  Keys("123");
  Key(Qt::Key_Home);
  Key(Qt::Key_L, Qt::ControlModifier);
  ASSERT_TRUE(m_window->Logic().KeyCursor().LyricMode());
  EXPECT_TRUE(Score()->testAttribute(Qt::WA_InputMethodEnabled));
  auto commit = [this](const char* utf8) {
    QInputMethodEvent event;
    event.setCommitString(QString::fromUtf8(utf8));
    QApplication::sendEvent(Score(), &event);
  };
  commit("さく");
  Key(Qt::Key_Tab);
  commit("らやよいの");
  EXPECT_EQ(LyricAt(0), "\x82\xb3\x82\xad");
  EXPECT_EQ(LyricAt(4), "\x82\xe7\x82\xe2\x82\xe6");  // らやよ: 6 of the 7 bytes
  auto* note = m_window->findChild<QLabel*>("keyboardNote");
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->text().contains(QString::fromUtf8("らやよ")));
  Key(Qt::Key_Backtab);
  EXPECT_EQ(m_window->Logic().KeyCursor().Position(), 0);
  Key(Qt::Key_Escape);
  EXPECT_FALSE(m_window->Logic().KeyCursor().LyricMode());
  EXPECT_FALSE(Score()->testAttribute(Qt::WA_InputMethodEnabled));
  Keys("5");  // a note again, not a lyric
  EXPECT_EQ(At(0), 48 + 6);
  EXPECT_EQ(LyricAt(0), "\x82\xb3\x82\xad");  // the words stay with the note typed over
}

TEST_F(KeyboardWindowTest, TheViewFollowsTheCursorDownAndBackUp) {
  const std::string path = m_data.Path("long.mwd");
  auto song = test::NewSong(100);
  ASSERT_TRUE(SaveScore(*song, 4, 0, path, 1));
  m_window->Logic().OpenScore(path, false);
  ClickOn(0, 0);
  EXPECT_EQ(m_window->Logic().ScrollPosition(), 0);
  Key(Qt::Key_End, Qt::ControlModifier);
  const int shown = m_window->Logic().ShownRows() * kScoreCellColumns;
  const int first = m_window->Logic().ScoreView().FirstShownMeasure();
  EXPECT_LE(first, 100);
  EXPECT_GT(first + shown, 100);
  Keys("3");  // typed on the 101st measure, which is made for it
  EXPECT_EQ(Song().m_measureCount, 101);
  EXPECT_EQ(At(1600), 51);
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(m_window->Logic().ScrollPosition(), 0);
}

TEST_F(KeyboardWindowTest, ADragOrAShiftClickSelectsAcrossCells) {
  ClickOn(0, 0);
  Keys("1234");
  OffScreenWidget* first = Cell(0);
  OffScreenWidget* second = Cell(1);
  ASSERT_TRUE(first && second);
  const QPoint press(3, first->height() * 6 / 10);
  // Released over the second cell, at its sixth column.
  const QPoint release =
      first->mapFromGlobal(second->mapToGlobal(QPoint(5 * second->width() / 16 + 1, press.y())));
  QTest::mousePress(first, Qt::LeftButton, {}, press);
  QTest::mouseMove(first, release);
  QTest::mouseRelease(first, Qt::LeftButton, {}, release);
  ASSERT_TRUE(m_window->Logic().KeyCursor().Selection());
  EXPECT_EQ(*m_window->Logic().KeyCursor().Selection(), std::make_pair(0, 22));
  Score()->setFocus();
  Key(Qt::Key_Delete);
  EXPECT_EQ(At(4), SLOT_HOLD);  // one rest over the first measure
  EXPECT_EQ(At(0), SLOT_REST);

  ClickOn(0, 0);
  QTest::mouseClick(second, Qt::LeftButton, Qt::ShiftModifier, QPoint(3, press.y()));
  ASSERT_TRUE(m_window->Logic().KeyCursor().Selection());
  EXPECT_EQ(*m_window->Logic().KeyCursor().Selection(), std::make_pair(0, 17));
}

TEST_F(KeyboardWindowTest, ACopyInOneWindowPastesInAnother) {
  ClickOn(0, 0);
  Keys("12");
  Key(Qt::Key_Home);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_C, Qt::ControlModifier);

  CKumoitoDlg::Options options;
  options.startupFolder = m_startup.path().string();
  options.dataFolder = m_data.Path("Kumoito2");
  KumoitoWindow other(options);
  other.show();
  other.Start();
  auto* cell = other.findChild<OffScreenWidget*>(QString::number(CellControlNumber(1)));
  ASSERT_NE(cell, nullptr);
  QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(3, cell->height() * 4 / 10));
  QWidget* score = other.findChild<QWidget*>("scoreContent");
  score->setFocus();
  QTest::keyClick(score, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(SlotValueAt(*other.Logic().Song(), 16), 49);
  EXPECT_EQ(SlotValueAt(*other.Logic().Song(), 20), 50);
  EXPECT_EQ(other.Logic().KeyCursor().String(), 1);  // clicked between the lines of 二の糸
}

TEST_F(KeyboardWindowTest, NotesFromTheEntryCallsShowInTheWindowAndAreUndoneByCtrlZ) {
  // What a MIDI keyboard does: no click, no key; the cursor shows where they went.
  KeyCursorOf(m_window->Logic()).EnterTogether(48, 67);
  KeyCursorOf(m_window->Logic()).EnterPitch(60);
  EXPECT_TRUE(m_window->Logic().KeyCursorShown());
  EXPECT_EQ(At(0), 67);
  EXPECT_EQ(Song().m_marks.At(0, 0).together[0], 48);
  EXPECT_EQ(At(4), 60);
  EXPECT_EQ(m_window->Logic().InputTool().Beat(), 9);
  EXPECT_TRUE(m_window->Logic().HasUnsavedChanges());
  Score()->setFocus();
  Key(Qt::Key_Down, Qt::AltModifier);  // 60 from ○ on 三の糸 to 7 on 二の糸
  EXPECT_EQ(Song().m_marks.At(2, 0).string, 2);
  Key(Qt::Key_Z, Qt::ControlModifier);
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(At(4), SLOT_REST);  // the rest the two-string note's entry left
  EXPECT_EQ(At(0), 67);
}

}  // namespace
}  // namespace kumoito
