#include "input/qt/song_info_dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include <QLineEdit>
#include <QTest>

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
  EXPECT_EQ(button->geometry(), QRect(220, 130, 88, 30));
  const QImage shot = dlg->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(4, 4)), QColor(194, 194, 200));
  // The presented face, not the dialog's background, fills the button.
  EXPECT_NE(QColor(shot.pixel(264, 134)), QColor(194, 194, 200));
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

}  // namespace
}  // namespace kumoito
