#include "library/qt/library_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>

#include "common/file_util.h"
#include "render/qt/offscreen_widget.h"
#include "tests/library/library_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

class LibraryDialogTest : public ::testing::Test {
 protected:
  std::unique_ptr<CLibraryDlg> Make() {
    auto dlg = std::make_unique<CLibraryDlg>(dir.path().string(), root, category, nullptr);
    QObject::connect(dlg.get(), &QWidget::windowTitleChanged,
                     [this](const QString& t) { captions.push_back(t); });
    return dlg;
  }
  static bool WaitForScan(CLibraryDlg& dlg) {
    QElapsedTimer timer;
    timer.start();
    while (dlg.IsScanning() && timer.elapsed() < 30000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return !dlg.IsScanning();
  }
  static QListWidget* List(CLibraryDlg& dlg) {
    return dlg.findChild<QListWidget*>(QString::number(kIdcLibraryList));
  }
  static QComboBox* Categories(CLibraryDlg& dlg) {
    return dlg.findChild<QComboBox*>(QString::number(kIdcLibraryCategory));
  }
  static OffScreenWidget* Button(CLibraryDlg& dlg, int id) {
    return dlg.findChild<OffScreenWidget*>(QString::number(id));
  }
  static void Press(CLibraryDlg& dlg, int id) {
    QTest::mousePress(Button(dlg, id), Qt::LeftButton, {}, QPoint(44, 15));
    QTest::mouseRelease(Button(dlg, id), Qt::LeftButton, {}, QPoint(44, 15));
  }
  static std::vector<QString> Lines(CLibraryDlg& dlg) {
    std::vector<QString> lines;
    for (int i = 0; i < List(dlg)->count(); ++i) {
      lines.push_back(List(dlg)->item(i)->text());
    }
    return lines;
  }

  test::TempDir dir;
  std::string root = dir.Path("Archive");
  std::int32_t category = 0;
  std::vector<QString> captions;
};

TEST_F(LibraryDialogTest, ScansWithControlsOffThenListsTheCategory) {
  test::FillLibraryFolder(root, 2500);
  auto dlg = Make();
  EXPECT_TRUE(dlg->IsScanning());
  EXPECT_FALSE(List(*dlg)->isEnabled());
  EXPECT_FALSE(Button(*dlg, kIdcLibraryLoadButton)->isEnabled());
  EXPECT_FALSE(Button(*dlg, kIdcLibraryCancelButton)->isEnabled());
  EXPECT_EQ(Categories(*dlg)->count(), 5);
  EXPECT_EQ(Categories(*dlg)->currentText(), QString::fromUtf8("日本の有名曲"));
  EXPECT_EQ(Button(*dlg, kIdcLibraryLoadButton)->geometry(), QRect(160, 270, 88, 30));
  EXPECT_EQ(Button(*dlg, kIdcLibraryCancelButton)->geometry(), QRect(260, 270, 88, 30));

  ASSERT_TRUE(WaitForScan(*dlg));
  EXPECT_TRUE(List(*dlg)->isEnabled());
  EXPECT_TRUE(Button(*dlg, kIdcLibraryLoadButton)->isEnabled());
  // Only the first 2000 files count: the even ones are famous Japanese songs.
  const auto lines = Lines(*dlg);
  ASSERT_EQ(lines.size(), 1000u);
  EXPECT_EQ(lines.front(), "T0000");
  EXPECT_EQ(lines.back(), "T1998");
  // The caption counted the lines, then became plain again.
  ASSERT_FALSE(captions.empty());
  EXPECT_NE(std::find(captions.begin(), captions.end(), QString::fromUtf8("ライブラリ 1")),
            captions.end());
  EXPECT_NE(std::find(captions.begin(), captions.end(), QString::fromUtf8("ライブラリ 1000")),
            captions.end());
  EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("ライブラリ"));

  Categories(*dlg)->setCurrentIndex(kCategoryWorldAll);
  EXPECT_EQ(category, kCategoryWorldAll);
  EXPECT_EQ(Lines(*dlg).front(), "T0001");
  EXPECT_EQ(Lines(*dlg).size(), 1000u);
}

TEST_F(LibraryDialogTest, PickReturnsThePathCancelReturnsNothing) {
  test::FillLibraryFolder(root, 10);
  category = kCategoryEverything;
  auto dlg = Make();
  ASSERT_TRUE(WaitForScan(*dlg));
  dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  // 読込 with no line selected keeps the dialog open.
  Press(*dlg, kIdcLibraryLoadButton);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(dlg->ChosenPath(), "");
  List(*dlg)->setCurrentRow(5);
  Press(*dlg, kIdcLibraryLoadButton);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_EQ(dlg->ChosenPath(), JoinPath(root, "song0005.mwd"));

  dlg = Make();
  ASSERT_TRUE(WaitForScan(*dlg));
  dlg->show();
  List(*dlg)->setCurrentRow(2);
  Press(*dlg, kIdcLibraryCancelButton);
  EXPECT_EQ(dlg->result(), QDialog::Rejected);
  EXPECT_EQ(dlg->ChosenPath(), "");

  // Enter ends the dialog without a pick, even with a line selected.
  dlg = Make();
  ASSERT_TRUE(WaitForScan(*dlg));
  dlg->show();
  List(*dlg)->setCurrentRow(2);
  QTest::keyClick(List(*dlg), Qt::Key_Return);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dlg->ChosenPath(), "");
}

TEST_F(LibraryDialogTest, DoubleClickPicksTheLine) {
  test::FillLibraryFolder(root, 4);
  category = kCategoryEverything;
  auto dlg = Make();
  ASSERT_TRUE(WaitForScan(*dlg));
  dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  QListWidget* list = List(*dlg);
  const QPoint at = list->visualItemRect(list->item(3)).center();
  // A double-click reaches a view as a press followed by the double-click.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(dlg->ChosenPath(), JoinPath(root, "song0003.mwd"));
}

TEST_F(LibraryDialogTest, StoredCategoryIsSelectedAndAStrangeOneShowsAll) {
  test::FillLibraryFolder(root, 6);
  test::WriteFile(JoinPath(root, "song0002x.mwd"), test::Bytes(10, 0));
  category = kCategoryWorldAll;
  auto dlg = Make();
  EXPECT_EQ(Categories(*dlg)->currentIndex(), kCategoryWorldAll);
  ASSERT_TRUE(WaitForScan(*dlg));
  EXPECT_EQ(Lines(*dlg), (std::vector<QString>{"T0001", "T0003", "T0005"}));

  category = 9;
  dlg = Make();
  EXPECT_EQ(Categories(*dlg)->currentIndex(), -1);
  ASSERT_TRUE(WaitForScan(*dlg));
  const auto lines = Lines(*dlg);
  ASSERT_EQ(lines.size(), 7u);
  // The unreadable file after song0002 is named, not shown as "T0002".
  EXPECT_EQ(lines[2], "T0002");
  EXPECT_TRUE(lines[3].startsWith("song0002x.mwd"));
  EXPECT_NE(lines[3], "T0002");
  EXPECT_EQ(category, 9);
}

TEST_F(LibraryDialogTest, CategoryChangeDuringTheScanListsTheNewCategoryInOrder) {
  test::FillLibraryFolder(root, 2500);
  auto dlg = Make();
  // Let part of the scan arrive, then change the category mid-way.
  QElapsedTimer timer;
  timer.start();
  while (List(*dlg)->count() < 5 && dlg->IsScanning() && timer.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  Categories(*dlg)->setCurrentIndex(kCategoryEverything);
  ASSERT_TRUE(WaitForScan(*dlg));
  const auto lines = Lines(*dlg);
  ASSERT_EQ(lines.size(), 2000u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i], QString::asprintf("T%04d", static_cast<int>(i)));
  }
  EXPECT_EQ(category, kCategoryEverything);
}

// The library the build makes from the song sources, as a newcomer sees it.
TEST_F(LibraryDialogTest, ListsTheSampleSongsUnderTheirCategories) {
  root = KUMOITO_SAMPLE_ARCHIVE_DIR;
  auto dlg = Make();
  ASSERT_TRUE(WaitForScan(*dlg));
  auto listed = [&](int which) {
    Categories(*dlg)->setCurrentIndex(which);
    std::vector<QString> lines = Lines(*dlg);
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  auto sorted = [](std::vector<const char*> titles) {
    std::vector<QString> lines;
    for (const char* t : titles) {
      lines.push_back(QString::fromUtf8(t));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  const std::vector<const char*> japanFamous = {"さくらさくら", "荒城の月", "故郷",   "早春賦",
                                                "春が来た",     "七つの子", "ふじの山"};
  std::vector<const char*> japanAll = japanFamous;
  japanAll.push_back("茶摘");
  const std::vector<const char*> worldFamous = {"Twinkle, Twinkle, Little Star", "Ode to Joy",
                                                "Amazing Grace", "Silent Night", "Jingle Bells"};
  std::vector<const char*> worldAll = worldFamous;
  for (const char* t : {"Greensleeves", "Frere Jacques", "London Bridge", "Mary Had a Little Lamb"}) {
    worldAll.push_back(t);
  }
  std::vector<const char*> everything = japanAll;
  everything.insert(everything.end(), worldAll.begin(), worldAll.end());

  EXPECT_EQ(listed(kCategoryJapanFamous), sorted(japanFamous));
  EXPECT_EQ(listed(kCategoryJapanAll), sorted(japanAll));
  EXPECT_EQ(listed(kCategoryWorldFamous), sorted(worldFamous));
  EXPECT_EQ(listed(kCategoryWorldAll), sorted(worldAll));
  EXPECT_EQ(listed(kCategoryEverything), sorted(everything));

  // Picking a line gives the path of that song's file in the library.
  Categories(*dlg)->setCurrentIndex(kCategoryJapanAll);
  const auto items = List(*dlg)->findItems(QString::fromUtf8("春が来た"), Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1);
  List(*dlg)->setCurrentItem(items.front());
  Press(*dlg, kIdcLibraryLoadButton);
  EXPECT_EQ(dlg->ChosenPath(), JoinPath(root, "haru_ga_kita.mwd"));
}

TEST_F(LibraryDialogTest, ClosingOrDestroyingDuringTheScanIsSafe) {
  test::FillLibraryFolder(root, 2500);
  auto dlg = Make();
  dlg->show();
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  QTest::keyClick(dlg.get(), Qt::Key_Escape);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_FALSE(dlg->IsScanning());
  const int listed = List(*dlg)->count();
  // Whatever the scan had queued before it stopped is dropped.
  QTest::qWait(50);
  EXPECT_EQ(List(*dlg)->count(), listed);
  EXPECT_EQ(dlg->ChosenPath(), "");

  // Destroyed without ever being closed, while the scan runs.
  dlg = Make();
  dlg.reset();
  QTest::qWait(50);
}

}  // namespace
}  // namespace kumoito
