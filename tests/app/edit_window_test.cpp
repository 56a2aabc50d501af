// The main window and the input tool on Qt's offscreen platform: the keys
// and menu items of undo and redo, the tool's hiding and coming back, its
// measure count and the frame on the slot it writes.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app/qt/main_window_widget.h"
#include "common/message_box.h"
#include "common/report.h"
#include "input/input_tool.h"
#include "input/qt/input_tool_window.h"
#include "render/qt/offscreen_widget.h"
#include "render/score_view.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/app/window_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

class EditWindowTest : public ::testing::Test {
 protected:
  EditWindowTest() : m_window(test::StartTestWindow(m_startup, m_data)) {
    m_tool = m_window->findChild<InputToolWindow*>();
  }
  template <typename T>
  T* ToolControl(int id) const {
    return m_tool->findChild<T*>(QString::number(id));
  }
  CSongData& Song() { return *m_window->Logic().Song(); }
  // Makes window the active one, as a user's click would.
  static void Activate(QWidget* window) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }
  // The context menu's items as it shows them: text and whether enabled;
  // the action named `trigger` is chosen, otherwise the menu is closed.
  std::vector<std::pair<QString, bool>> ContextMenu(const QString& trigger = {}) {
    std::vector<std::pair<QString, bool>> items;
    QTimer::singleShot(50, [&items, trigger] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) {
        return;
      }
      for (QAction* action : menu->actions()) {
        if (!action->isSeparator() && action->menu() == nullptr) {
          items.emplace_back(action->text(), action->isEnabled());
        }
      }
      QAction* chosen = menu->findChild<QAction*>(trigger);
      if (!trigger.isEmpty() && chosen != nullptr) {
        chosen->trigger();
      }
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(500, 660),
                            m_window->mapToGlobal(QPoint(500, 660)));
    QApplication::sendEvent(m_window.get(), &event);
    return items;
  }

  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
  test::TempDir m_startup;
  test::TempDir m_data;
  std::unique_ptr<KumoitoWindow> m_window;
  InputToolWindow* m_tool = nullptr;
};

TEST_F(EditWindowTest, CtrlZAndCtrlYUndoAndRedoFromEitherWindow) {
  ASSERT_NE(m_tool, nullptr);
  auto* type = ToolControl<QComboBox>(kIdcInputType);
  auto* beat = ToolControl<QSpinBox>(kIdcInputBeat);
  ASSERT_TRUE(type && beat);
  beat->setValue(3);
  type->setCurrentIndex(kTypeRest);
  type->setCurrentIndex(kTypePluck);
  ASSERT_EQ(Song().m_cells[1].pitch[0], 60);

  Activate(m_window.get());
  QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Song().m_cells[1].pitch[0], SLOT_REST);
  EXPECT_EQ(type->currentIndex(), kTypeRest);  // the tool follows
  QTest::keyClick(m_window.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Song().m_cells[1].pitch[0], 60);
  EXPECT_EQ(type->currentIndex(), kTypePluck);

  // In the tool, with a number box holding the keys' focus.
  Activate(m_tool);
  beat->setFocus();
  QTest::keyClick(beat, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Song().m_cells[1].pitch[0], SLOT_REST);
  QTest::keyClick(beat, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Song().m_cells[1].pitch[0], SLOT_HOLD);
  QTest::keyClick(beat, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Song().m_cells[1].pitch[0], SLOT_REST);
  EXPECT_EQ(beat->value(), 3);
}

TEST_F(EditWindowTest, ContextMenuNamesTheNextStepsAndGreysWhatIsNone) {
  auto items = ContextMenu();
  ASSERT_GE(items.size(), 3u);
  EXPECT_EQ(items[0], std::make_pair(QString::fromUtf8("元に戻す\tCtrl+Z"), false));
  EXPECT_EQ(items[1], std::make_pair(QString::fromUtf8("やり直し\tCtrl+Y"), false));
  EXPECT_EQ(items[2].first, QString::fromUtf8("入力ツール\tCtrl+I"));

  ToolControl<QSpinBox>(kIdcInputMeasure)->setValue(3);
  ToolControl<QComboBox>(kIdcInputType)->setCurrentIndex(kTypeHold);
  items = ContextMenu();
  ASSERT_GE(items.size(), 2u);
  EXPECT_EQ(items[0], std::make_pair(QString::fromUtf8("元に戻す: 小節 3 の音\tCtrl+Z"), true));
  EXPECT_FALSE(items[1].second);

  ContextMenu("undoAction");
  EXPECT_EQ(Song().m_cells[16].pitch[0], SLOT_REST);
  items = ContextMenu();
  ASSERT_GE(items.size(), 2u);
  EXPECT_FALSE(items[0].second);
  EXPECT_EQ(items[1], std::make_pair(QString::fromUtf8("やり直し: 小節 3 の音\tCtrl+Y"), true));
}

// The context menu turns the 口三味線 row on and, chosen again, off.
TEST_F(EditWindowTest, TheContextMenuSwitchesTheSyllableRow) {
  ASSERT_FALSE(m_window->Logic().ScoreView().SyllablesShown());
  ContextMenu("kuchijamisenAction");
  EXPECT_TRUE(m_window->Logic().ScoreView().SyllablesShown());
  EXPECT_TRUE(m_window->Logic().CurrentPreferences().kuchijamisen);
  ContextMenu("kuchijamisenAction");
  EXPECT_FALSE(m_window->Logic().ScoreView().SyllablesShown());
}

TEST_F(EditWindowTest, ClosingTheToolHidesItAndCtrlIOrTheMenuBringsItBack) {
  ASSERT_NE(m_tool, nullptr);
  EXPECT_TRUE(m_tool->windowFlags() & Qt::WindowCloseButtonHint);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(m_tool));
  QTest::keyClick(m_tool, Qt::Key_Escape);
  EXPECT_FALSE(m_tool->isVisible());
  Activate(m_window.get());
  QTest::keyClick(m_window.get(), Qt::Key_I, Qt::ControlModifier);
  EXPECT_TRUE(m_tool->isVisible());

  m_tool->close();  // the close box
  EXPECT_FALSE(m_tool->isVisible());
  EXPECT_EQ(m_window->findChild<InputToolWindow*>(), m_tool);  // hidden, not gone
  ContextMenu("inputToolAction");
  EXPECT_TRUE(m_tool->isVisible());

  // Enter in a number box applies it and the tool stays; Enter elsewhere
  // closes it as before.
  auto* count = ToolControl<QSpinBox>(kIdcInputMeasureCount);
  count->setFocus();
  count->selectAll();
  QTest::keyClicks(count, "12");
  QTest::keyClick(count, Qt::Key_Return);
  EXPECT_EQ(Song().m_measureCount, 12);
  EXPECT_TRUE(m_tool->isVisible());
  QTest::keyClick(ToolControl<QComboBox>(kIdcInputType), Qt::Key_Return);
  EXPECT_FALSE(m_tool->isVisible());
  EXPECT_TRUE(m_window->isVisible());
}

TEST_F(EditWindowTest, MeasureCountIsTheOpenedSongsAndCuttingNotesIsSaidAndUndone) {
  auto song = test::NewSong(16);
  song->m_cells[8 * 12].pitch[0] = 64;  // measure 13
  const std::string path = m_startup.Path("sixteen.mwd");
  SaveScore(*song, 4, 0, path, 1);
  m_window->Logic().OpenScore(path, false);
  auto* count = ToolControl<QSpinBox>(kIdcInputMeasureCount);
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->value(), 16);
  const std::int32_t note = Song().m_cells[8 * 12].pitch[0];  // moved to the first string
  ASSERT_GE(note, 0);
  count->stepBy(1);
  EXPECT_EQ(Song().m_measureCount, 17);
  EXPECT_EQ(ToolControl<QSpinBox>(kIdcInputMeasure)->maximum(), 18);

  count->stepBy(-8);
  EXPECT_EQ(Song().m_measureCount, 9);
  ASSERT_FALSE(m_boxes.Messages().empty());
  EXPECT_EQ(m_boxes.Messages().back(), MeasuresRemovedText(1));
  Activate(m_window.get());
  QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Song().m_measureCount, 17);
  EXPECT_EQ(count->value(), 17);
  EXPECT_EQ(Song().m_cells[8 * 12].pitch[0], note);
}

TEST_F(EditWindowTest, TheFrameOnTheEditedSlotMovesWithMeasureAndBeat) {
  auto* mark = m_window->findChild<QWidget*>("editMark");
  ASSERT_NE(mark, nullptr);
  ASSERT_TRUE(mark->isVisible());
  const auto cellGeometry = [this](int control) {
    return m_window->findChild<OffScreenWidget*>(QString::number(control))->geometry();
  };
  EXPECT_TRUE(cellGeometry(kFirstCellControl).contains(mark->geometry()));
  const QRect first = mark->geometry();
  ToolControl<QSpinBox>(kIdcInputBeat)->setValue(9);
  EXPECT_GT(mark->x(), first.x());
  EXPECT_TRUE(cellGeometry(kFirstCellControl).contains(mark->geometry()));
  ToolControl<QSpinBox>(kIdcInputMeasure)->setValue(2);
  EXPECT_TRUE(cellGeometry(kFirstCellControl + 1).contains(mark->geometry()));
  EXPECT_EQ(mark->y(), first.y());
  // Clicks go through it to the cell below.
  EXPECT_TRUE(mark->testAttribute(Qt::WA_TransparentForMouseEvents));
}

}  // namespace
}  // namespace kumoito
