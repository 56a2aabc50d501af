#include "input/qt/input_tool_window.h"

#include <gtest/gtest.h>

#include <memory>

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "input/input_tool.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

class InputToolWindowTest : public ::testing::Test {
 protected:
  // The owner initialises the logic before the window exists, as the main
  // window does at start-up.
  InputToolWindowTest() {
    logic.Initialize();
    logic.SetSong(song.get());
    logic.SetMeasureRange(1, song->m_measureCount + 1);
    logic.SetStringState(48, 0);
    window = std::make_unique<InputToolWindow>(logic, nullptr);
  }
  template <typename T>
  T* Control(int id) {
    T* c = window->findChild<T*>(QString::number(id));
    EXPECT_NE(c, nullptr) << id;
    return c;
  }
  void Type(QSpinBox* box, const char* text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
  }

  int redraws = 0;
  CInputDlg logic{[this] { ++redraws; }};
  std::unique_ptr<CSongData> song = test::NewSong(8);
  std::unique_ptr<InputToolWindow> window;
};

TEST_F(InputToolWindowTest, IsTheModelessPinkToolWithItsSevenControls) {
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("入力ダイアログ"));
  EXPECT_FALSE(window->isModal());
  EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(window->palette().color(QPalette::Window), QColor(255, 200, 200));

  EXPECT_EQ(Control<QComboBox>(kIdcInputType)->count(), 3);
  EXPECT_EQ(Control<QComboBox>(kIdcInputString)->count(), 3);
  EXPECT_EQ(Control<QComboBox>(kIdcInputKandokoro)->count(), 26);
  EXPECT_EQ(Control<QComboBox>(kIdcInputKandokoro)->itemText(1), QString::fromUtf8("○"));
  EXPECT_EQ(Control<QComboBox>(kIdcInputNoteValue)->count(), 17);
  EXPECT_EQ(Control<QSpinBox>(kIdcInputMeasureCount)->value(), 8);
  EXPECT_EQ(Control<QSpinBox>(kIdcInputMeasureCount)->maximum(), 128);
  EXPECT_EQ(Control<QSpinBox>(kIdcInputMeasure)->maximum(), 9);
  EXPECT_EQ(Control<QSpinBox>(kIdcInputBeat)->maximum(), 16);
  // Beat 1 holds the rest that opens the measure.
  EXPECT_EQ(Control<QComboBox>(kIdcInputType)->currentIndex(), kTypeRest);
  EXPECT_FALSE(Control<QComboBox>(kIdcInputString)->isEnabled());
  EXPECT_FALSE(Control<QComboBox>(kIdcInputNoteValue)->isEnabled());
}

TEST_F(InputToolWindowTest, ListChoicesWriteIntoTheSong) {
  Control<QComboBox>(kIdcInputType)->setCurrentIndex(kTypePluck);
  EXPECT_EQ(song->m_cells[0].pitch[0], 60);
  EXPECT_TRUE(Control<QComboBox>(kIdcInputString)->isEnabled());
  EXPECT_EQ(Control<QComboBox>(kIdcInputString)->currentIndex(), 2);
  Control<QComboBox>(kIdcInputString)->setCurrentIndex(1);
  EXPECT_EQ(song->m_cells[0].pitch[0], 53);
  Control<QComboBox>(kIdcInputKandokoro)->setCurrentIndex(0);
  Control<QComboBox>(kIdcInputString)->setCurrentIndex(0);
  EXPECT_EQ(song->m_cells[0].pitch[0], 47);
  EXPECT_EQ(redraws, 4);
  // The note value only shows: a pick stays as picked and changes nothing.
  const int shown = logic.NoteValueIndex();
  Control<QComboBox>(kIdcInputNoteValue)->setCurrentIndex(shown == 9 ? 8 : 9);
  EXPECT_EQ(Control<QComboBox>(kIdcInputNoteValue)->currentIndex(), shown == 9 ? 8 : 9);
  EXPECT_EQ(logic.NoteValueIndex(), shown);
  EXPECT_EQ(song->m_cells[0].pitch[0], 47);
  EXPECT_EQ(redraws, 4);
}

TEST_F(InputToolWindowTest, ClickedPositionShowsInTheBoxes) {
  song->m_cells[9].pitch[1] = 55;
  ASSERT_TRUE(logic.SelectPosition(2, 4));
  EXPECT_EQ(Control<QSpinBox>(kIdcInputMeasure)->value(), 2);
  EXPECT_EQ(Control<QSpinBox>(kIdcInputBeat)->value(), 4);
  EXPECT_EQ(Control<QComboBox>(kIdcInputType)->currentIndex(), kTypePluck);
  EXPECT_EQ(Control<QComboBox>(kIdcInputString)->currentIndex(), 1);
  EXPECT_EQ(Control<QComboBox>(kIdcInputKandokoro)->currentIndex(), 3);
}

TEST_F(InputToolWindowTest, TypedMeasureCountCountsOnlyWhenFinished) {
  song->m_cells[8].pitch[0] = 64;  // measure 2
  Type(Control<QSpinBox>(kIdcInputMeasureCount), "16");
  EXPECT_EQ(song->m_measureCount, 16);
  // Had "1" been taken on the way, growing again would have cleared measure 2.
  EXPECT_EQ(song->m_cells[8].pitch[0], 64);
  EXPECT_EQ(redraws, 1);
}

TEST_F(InputToolWindowTest, TextThatIsNoNumberInRangeIsNotUsed) {
  Type(Control<QSpinBox>(kIdcInputMeasureCount), "0");
  Type(Control<QSpinBox>(kIdcInputMeasureCount), "x");
  EXPECT_EQ(song->m_measureCount, 8);
  EXPECT_EQ(logic.MeasureCount(), 8);
  Type(Control<QSpinBox>(kIdcInputMeasure), "12");
  Type(Control<QSpinBox>(kIdcInputBeat), "17");
  EXPECT_EQ(logic.Measure(), 1);
  EXPECT_EQ(logic.Beat(), 1);
  EXPECT_EQ(redraws, 0);
  Type(Control<QSpinBox>(kIdcInputBeat), "7");
  EXPECT_EQ(logic.Beat(), 7);
}

TEST_F(InputToolWindowTest, EnterInANumberBoxAppliesItAndTheToolStays) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  Type(Control<QSpinBox>(kIdcInputBeat), "5");
  EXPECT_EQ(logic.Beat(), 5);
  EXPECT_TRUE(window->isVisible());
  Type(Control<QSpinBox>(kIdcInputMeasureCount), "10");
  EXPECT_EQ(song->m_measureCount, 10);
  EXPECT_TRUE(window->isVisible());
  window->close();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(InputToolWindowTest, EnterAndEscapeHideIt) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  window->show();
  QTest::keyClick(Control<QComboBox>(kIdcInputType), Qt::Key_Return);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(song->m_cells[0].pitch[0], SLOT_REST);
}

// The syllable box shows the rule's syllable until one is typed; Enter
// takes the text and the tool stays.
TEST_F(InputToolWindowTest, TheSyllableBoxWritesTheUsersSyllable) {
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  Control<QComboBox>(kIdcInputType)->setCurrentIndex(kTypePluck);  // 60: テン
  auto* box = Control<QLineEdit>(kIdcInputSyllable);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isEnabled());
  EXPECT_TRUE(box->text().isEmpty());
  EXPECT_EQ(box->placeholderText(), QString::fromUtf8("テン"));
  box->setFocus();
  QTest::keyClicks(box, "ha");
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(song->m_marks.SyllableAt(0, 0).Text(), "ha");
  box->selectAll();
  QTest::keyClicks(box, "123456789");  // over eight bytes: refused, shown back
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(song->m_marks.SyllableAt(0, 0).Text(), "ha");
  EXPECT_EQ(box->text(), "ha");
  ASSERT_TRUE(logic.SelectPosition(1, 2));  // a hold
  EXPECT_FALSE(box->isEnabled());
  EXPECT_TRUE(box->text().isEmpty());
}

}  // namespace
}  // namespace kumoito
