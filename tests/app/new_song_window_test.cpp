// 新規 and the MIDI keyboard's setting in the real window, on Qt's offscreen
// platform: the dialogs are answered as a user would answer them.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "app/qt/main_window_widget.h"
#include "common/message_box.h"
#include "common/report.h"
#include "input/input_tool.h"
#include "song/song_data.h"
#include "tests/app/window_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

// Runs answer on the modal widget named name as soon as it is up; gives up
// after some seconds, so that a dialog that never came fails this test
// rather than answering the next one's.
void WhenModal(const QString& name, std::function<void(QWidget*)> answer, int triesLeft = 500) {
  QTimer::singleShot(10, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal->objectName() != name) {
      if (triesLeft > 0) {
        WhenModal(name, answer, triesLeft - 1);
      }
      return;
    }
    answer(modal);
  });
}

void AnswerNewSong(int tempo, int beats) {
  WhenModal("newSongDialog", [=](QWidget* dialog) {
    dialog->findChild<QSpinBox*>("newSongTempo")->setValue(tempo);
    dialog->findChild<QSpinBox*>("newSongBeats")->setValue(beats);
    static_cast<QDialog*>(dialog)->accept();
  });
}

void AnswerSaveChanges(const char* button, bool* asked = nullptr) {
  WhenModal("saveChangesBox", [=](QWidget* box) {
    if (asked != nullptr) {
      *asked = true;
    }
    box->findChild<QPushButton*>(button)->click();
  });
}

class NewSongWindowTest : public ::testing::Test {
 protected:
  NewSongWindowTest() : m_window(test::StartTestWindow(m_startup, m_data)) {
    m_window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  }
  CSongData& Song() { return *m_window->Logic().Song(); }
  void ChangeTheSong() {
    CInputDlg& tool = m_window->Logic().InputTool();
    ASSERT_TRUE(tool.SelectPosition(1, 3));
    tool.OnTypeSelected(kTypePluck);
    ASSERT_TRUE(m_window->Logic().HasUnsavedChanges());
  }
  void ChooseFromContextMenu(const char* action) {
    QTimer::singleShot(50, [action] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) {
        return;
      }
      if (QAction* chosen = menu->findChild<QAction*>(action)) {
        chosen->trigger();
      }
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(500, 660),
                            m_window->mapToGlobal(QPoint(500, 660)));
    QApplication::sendEvent(m_window.get(), &event);
  }

  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
  test::TempDir m_startup;
  test::TempDir m_data;
  std::unique_ptr<KumoitoWindow> m_window;
};

TEST_F(NewSongWindowTest, CtrlNAsksTheMetreThenWhetherToSaveTheUnsavedSong) {
  ChangeTheSong();
  const std::int32_t changed = Song().m_cells[1].pitch[0];

  bool asked = false;
  AnswerNewSong(90, 3);
  AnswerSaveChanges("cancel", &asked);
  QTest::keyClick(m_window.get(), Qt::Key_N, Qt::ControlModifier);
  EXPECT_TRUE(asked);
  EXPECT_EQ(Song().m_cells[1].pitch[0], changed) << "cancelled: the song stays";
  EXPECT_EQ(Song().m_beatsPerMeasure, 4);

  asked = false;
  m_window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  AnswerNewSong(90, 3);
  AnswerSaveChanges("discard", &asked);
  QTest::keyClick(m_window.get(), Qt::Key_N, Qt::ControlModifier);
  EXPECT_TRUE(asked);
  EXPECT_EQ(Song().m_info.tempo, 90);
  EXPECT_EQ(Song().m_beatsPerMeasure, 3);
  EXPECT_EQ(Song().m_cells[1].pitch[0], SLOT_HOLD);
  EXPECT_FALSE(m_window->Logic().History().CanUndo());
  EXPECT_EQ(m_window->Logic().InputTool().MeasureHigh(), kInputStartMeasureCount + 1);
}

TEST_F(NewSongWindowTest, TheContextMenuOffersItAndACancelledDialogAsksNothing) {
  ChangeTheSong();
  WhenModal("newSongDialog", [](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
  ChooseFromContextMenu("newSongAction");
  EXPECT_TRUE(m_window->Logic().HasUnsavedChanges());
  EXPECT_GE(Song().m_cells[1].pitch[0], 0) << "nothing asked, nothing made";

  AnswerNewSong(120, 2);
  AnswerSaveChanges("discard");
  ChooseFromContextMenu("newSongAction");
  EXPECT_EQ(Song().m_beatsPerMeasure, 2);
}

TEST_F(NewSongWindowTest, TheSettingsDialogListsTheKeyboardChoicesAndKeepsAnAbsentOne) {
  SettingsChoice choice = m_window->Logic().CurrentSettingsChoice();
  choice.preferences.midiInput = "Absent keyboard:Port 1";
  m_window->Logic().ApplySettings(choice);
  QStringList items;
  WhenModal("settingsDialog", [&items](QWidget* dialog) {
    auto* list = dialog->findChild<QComboBox*>("settingsMidiInput");
    for (int i = 0; i < list->count(); ++i) {
      items << list->itemData(i).toString();
    }
    items << list->currentData().toString();
    list->setCurrentIndex(1);  // 使わない
    QMetaObject::invokeMethod(dialog, "accept");
  });
  m_window->Logic().RunCommand(kCommandSettings);
  ASSERT_GE(items.size(), 4);
  EXPECT_EQ(items[0], "first");
  EXPECT_EQ(items[1], "off");
  EXPECT_TRUE(items.contains("Absent keyboard:Port 1"));
  EXPECT_EQ(items.back(), "Absent keyboard:Port 1") << "shown as chosen";
  EXPECT_EQ(m_window->Logic().CurrentPreferences().midiInput, "off");
}

}  // namespace
}  // namespace kumoito
