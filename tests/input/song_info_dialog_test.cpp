#include "input/qt/song_info_dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "common/message_box.h"
#include "common/sjis.h"
#include "render/qt/offscreen_widget.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

class SongInfoDialogTest : public ::testing::Test {
 protected:
  SongInfoDialogTest() {
    SetFieldText(song->m_info.title, *Utf8ToCp932("さくら"));
    SetFieldText(song->m_info.lyricist, "anon");
    SetFieldText(song->m_info.composer, "trad");
  }
  std::unique_ptr<CSongInfoDlg> Open() {
    auto dlg = std::make_unique<CSongInfoDlg>(*song, nullptr);
    dlg->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    return dlg;
  }
  static QLineEdit* Edit(CSongInfoDlg& dlg, int id) {
    return dlg.findChild<QLineEdit*>(QString::number(id));
  }
  static void Edit(CSongInfoDlg& dlg) {
    Edit(dlg, kIdcInfoTitle)->setText(QString(40, QChar('x')));
    Edit(dlg, kIdcInfoComposer)->setText(QString::fromUtf8("宮城道雄"));
  }
  void ExpectUnchanged() {
    EXPECT_EQ(std::string(song->m_info.title), *Utf8ToCp932("さくら"));
    EXPECT_STREQ(song->m_info.lyricist, "anon");
    EXPECT_STREQ(song->m_info.composer, "trad");
  }

  std::unique_ptr<CSongData> song = test::NewSong(8);
};

TEST_F(SongInfoDialogTest, ShowsTheFieldsTheButtonAndTheColours) {
  auto dlg = Open();
  EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("曲情報"));
  EXPECT_EQ(Edit(*dlg, kIdcInfoTitle)->text(), QString::fromUtf8("さくら"));
  EXPECT_EQ(Edit(*dlg, kIdcInfoLyricist)->text(), "anon");
  EXPECT_EQ(Edit(*dlg, kIdcInfoComposer)->text(), "trad");
  auto* button = dlg->findChild<OffScreenWidget*>(QString::number(kIdcInfoButton));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->geometry(), QRect(220, 166, 88, 30));
  const QImage shot = dlg->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(4, 4)), QColor(194, 194, 200));
  // The presented face, not the dialog's background, fills the button.
  EXPECT_NE(QColor(shot.pixel(264, 170)), QColor(194, 194, 200));
}

TEST_F(SongInfoDialogTest, UpdateButtonStoresTheEditsCut) {
  auto dlg = Open();
  Edit(*dlg);
  auto* button = dlg->findChild<OffScreenWidget*>(QString::number(kIdcInfoButton));
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(44, 15));
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(std::string(song->m_info.title), std::string(32, 'x'));
  EXPECT_STREQ(song->m_info.lyricist, "anon");
  EXPECT_EQ(std::string(song->m_info.composer), *Utf8ToCp932("宮城道雄"));
}

TEST_F(SongInfoDialogTest, EnterEscapeAndCloseLeaveTheSongAlone) {
  auto dlg = Open();
  Edit(*dlg);
  QTest::keyClick(Edit(*dlg, kIdcInfoTitle), Qt::Key_Return);
  EXPECT_FALSE(dlg->isVisible());
  ExpectUnchanged();

  dlg = Open();
  Edit(*dlg);
  QTest::keyClick(dlg.get(), Qt::Key_Escape);
  EXPECT_EQ(dlg->result(), QDialog::Rejected);
  ExpectUnchanged();

  dlg = Open();
  Edit(*dlg);
  dlg->close();
  ExpectUnchanged();
}

TEST_F(SongInfoDialogTest, TempoAndBeatsAreStoredByTheUpdateButtonOnly) {
  song->m_cells[8].pitch[0] = 62;
  auto dlg = Open();
  auto* tempo = dlg->findChild<QSpinBox*>(QString::number(kIdcInfoTempo));
  auto* beats = dlg->findChild<QSpinBox*>(QString::number(kIdcInfoBeats));
  ASSERT_NE(tempo, nullptr);
  ASSERT_NE(beats, nullptr);
  EXPECT_EQ(tempo->value(), kDefaultTempo);
  EXPECT_EQ(tempo->minimum(), 40);
  EXPECT_EQ(tempo->maximum(), 240);
  EXPECT_EQ(beats->value(), 4);
  tempo->setValue(72);
  beats->setValue(2);
  QTest::keyClick(dlg.get(), Qt::Key_Escape);
  EXPECT_EQ(song->m_info.tempo, kDefaultTempo);
  EXPECT_EQ(song->m_beatsPerMeasure, 4);

  dlg = Open();
  dlg->findChild<QSpinBox*>(QString::number(kIdcInfoTempo))->setValue(72);
  dlg->findChild<QSpinBox*>(QString::number(kIdcInfoBeats))->setValue(2);
  dlg->OnInfoButton(kInfoUpdateCommand);
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_EQ(song->m_info.tempo, 72);
  EXPECT_EQ(song->m_beatsPerMeasure, 2);
  EXPECT_EQ(song->m_measureCount, 16);
  EXPECT_EQ(song->m_cells[8].pitch[0], 62);
}

TEST_F(SongInfoDialogTest, AMetreTheSongCannotFitKeepsTheDialogAndEveryEdit) {
  song = test::NewSong(256);
  SetFieldText(song->m_info.title, "long");
  const ScopedMessageBoxCapture capture;
  auto dlg = Open();
  Edit(*dlg);
  dlg->findChild<QSpinBox*>(QString::number(kIdcInfoBeats))->setValue(3);
  dlg->OnInfoButton(kInfoUpdateCommand);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(capture.Messages().size(), 1u);
  EXPECT_STREQ(song->m_info.title, "long");
  EXPECT_EQ(song->m_beatsPerMeasure, 4);
}

}  // namespace
}  // namespace kumoito
