#include "app/qt/main_window_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "app/qt/translations.h"
#include "app/window_size.h"
#include "app/window_zoom.h"
#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "input/input_tool.h"
#include "input/qt/input_tool_window.h"
#include "midi/midi_out.h"
#include "midi/playback_controller.h"
#include "render/qt/offscreen_widget.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    ::setenv("KUMOITO_MIDI_OUT", "none", 1);
    CKumoitoDlg::Options options;
    options.startupFolder = m_startup.path().string();
    options.dataFolder = m_data.Path("Kumoito");
    m_window = std::make_unique<KumoitoWindow>(options);
    m_window->show();
    m_result = m_window->Start();
  }
  template <typename T>
  T* Find(int control) const {
    return m_window->findChild<T*>(QString::number(control));
  }

  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
  test::TempDir m_startup;
  test::TempDir m_data;
  std::unique_ptr<KumoitoWindow> m_window;
  CKumoitoDlg::StartResult m_result{};
};

TEST_F(WindowTest, ControlsSitAtTheirPlacesWithTheirContents) {
  EXPECT_EQ(m_result, CKumoitoDlg::StartResult::kInteractive);
  EXPECT_EQ(m_window->width(), KumoitoWindow::kClientWidth);
  auto* quit = Find<OffScreenWidget>(1000);
  ASSERT_NE(quit, nullptr);
  EXPECT_EQ(quit->geometry(), QRect(960, 622, 88, 30));
  EXPECT_TRUE(Find<OffScreenWidget>(1003)->isVisible());
  EXPECT_FALSE(Find<OffScreenWidget>(1005)->isVisible());
  EXPECT_FALSE(Find<OffScreenWidget>(1006)->isVisible());
  EXPECT_EQ(Find<OffScreenWidget>(1011 + 47)->geometry(),
            QRect(10 + 128 * 7, 10 + 102 * 5, 128, 100));
  // The cells show the scratch song's first measure: its rest on the middle line.
  ASSERT_TRUE(Find<OffScreenWidget>(1011)->Control().Screen().has_value());
  auto* tuning = Find<QComboBox>(kTuningCombo);
  ASSERT_NE(tuning, nullptr);
  EXPECT_EQ(tuning->count(), 3);
  EXPECT_EQ(tuning->currentText(), QString::fromUtf8("本調子"));
  EXPECT_EQ(Find<QComboBox>(kFirstStringCombo)->itemText(4), QString::fromUtf8("A (1本)"));
  EXPECT_EQ(Find<QComboBox>(kKeyCombo)->currentIndex(), 0);
}

TEST_F(WindowTest, ListChoicesReachTheLogic) {
  Find<QComboBox>(kFirstStringCombo)->setCurrentIndex(4);
  EXPECT_EQ(m_window->Logic().Settings().firstStringValue, 9);
  Find<QComboBox>(kTuningCombo)->setCurrentIndex(2);
  EXPECT_EQ(m_window->Logic().Settings().tuning, 2);
  Find<QComboBox>(kKeyCombo)->setCurrentIndex(1);
  EXPECT_EQ(m_window->Logic().Settings().key, 1);
}

TEST_F(WindowTest, ButtonsRunTheirCommandsOnThePress) {
  auto* settings = Find<OffScreenWidget>(1008);
  bool cancelled = false;
  QTimer::singleShot(0, [&] {
    if (auto* dialog = QApplication::activeModalWidget(); dialog != nullptr) {
      cancelled = dialog->objectName() == "settingsDialog";
      QMetaObject::invokeMethod(dialog, "reject");
    }
  });
  QTest::mousePress(settings, Qt::LeftButton, {}, QPoint(40, 15));
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(m_boxes.Messages().empty());
  QTest::mouseRelease(settings, Qt::LeftButton, {}, QPoint(40, 15));

  auto* play = Find<OffScreenWidget>(1003);
  QTest::mouseClick(play, Qt::LeftButton, {}, QPoint(40, 15));
  ASSERT_NE(m_window->Logic().Playback(), nullptr);
  EXPECT_TRUE(m_window->Logic().Playback()->IsPlaying());
  EXPECT_EQ(m_window->Logic().Buttons().Caption(4), *Utf8ToCp932("   停　止"));
  QTest::mouseClick(play, Qt::LeftButton, {}, QPoint(40, 15));
  EXPECT_FALSE(m_window->Logic().Playback()->IsPlaying());
  EXPECT_EQ(m_window->Logic().Buttons().Caption(4), *Utf8ToCp932("   再　生"));
}

// Run again by ctest at QT_SCALE_FACTOR=2 (test ScoreCellsAtPixelRatioTwo).
TEST_F(WindowTest, TheSettingsDialogShowsTheSettingsAndStoresWhatIsChanged) {
  const std::string file = m_data.Path("Kumoito/preferences.ini");
  bool seen = false;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->objectName(), "settingsDialog");
    auto* lyrics = dialog->findChild<QCheckBox*>("settingsLyrics");
    auto* volume = dialog->findChild<QSpinBox*>("settingsVolume");
    auto* language = dialog->findChild<QComboBox*>("settingsLanguage");
    auto* font = dialog->findChild<QLineEdit*>("settingsSoundFont");
    auto* style = dialog->findChild<QComboBox*>("settingsTechniqueStyle");
    ASSERT_TRUE(lyrics && volume && language && font && style);
    EXPECT_EQ(style->currentIndex(), 0);  // below the bars until chosen
    EXPECT_EQ(style->count(), 2);
    // As the settings stand: lyrics on, the usual volume, the default font.
    EXPECT_TRUE(lyrics->isChecked());
    EXPECT_EQ(volume->value(), 100);
    EXPECT_EQ(language->currentIndex(), 0);
    EXPECT_TRUE(font->text().isEmpty());
    EXPECT_EQ(font->placeholderText(), "/usr/share/sounds/sf2/default-GM.sf2");
    EXPECT_NE(dialog->findChild<QPushButton*>("settingsSoundFontBrowse"), nullptr);
    seen = true;
    lyrics->setChecked(false);
    volume->setValue(80);
    language->setCurrentIndex(2);
    style->setCurrentIndex(1);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  m_window->Logic().RunCommand(kCommandSettings);
  ASSERT_TRUE(seen);
  EXPECT_EQ(m_window->Logic().Settings().lyricsShown, 0);
  EXPECT_EQ(m_window->Logic().CurrentPreferences().volume, 80);
  EXPECT_EQ(m_window->Logic().CurrentPreferences().language, LanguageChoice::kEnglish);
  QFile stored(QString::fromStdString(file));
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  const QByteArray text = stored.readAll();
  EXPECT_TRUE(text.contains("volume=80\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("language=en\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("technique_style=above\n")) << text.toStdString();
  EXPECT_EQ(m_window->Logic().ScoreView().TechniqueStyleInUse(), TechniqueStyle::kAbove);
  midi::SetSynthVolume(100);
}

// 口三味線: off on the screen and on for the print until 設定 says otherwise;
// turned on, the window's cells carry the row at once.
TEST_F(WindowTest, TheKuchijamisenCheckboxTurnsTheRowOnInTheWindow) {
  const std::string file = m_data.Path("Kumoito/preferences.ini");
  EXPECT_FALSE(m_window->Logic().ScoreView().SyllablesShown());
  bool seen = false;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    auto* shown = dialog->findChild<QCheckBox*>("settingsKuchijamisen");
    auto* print = dialog->findChild<QCheckBox*>("settingsPrintKuchijamisen");
    ASSERT_TRUE(shown && print);
    EXPECT_FALSE(shown->isChecked());
    EXPECT_TRUE(print->isChecked());
    seen = true;
    shown->setChecked(true);
    print->setChecked(false);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  m_window->Logic().RunCommand(kCommandSettings);
  ASSERT_TRUE(seen);
  EXPECT_TRUE(m_window->Logic().CurrentPreferences().kuchijamisen);
  EXPECT_FALSE(m_window->Logic().CurrentPreferences().printKuchijamisen);
  EXPECT_TRUE(m_window->Logic().ScoreView().SyllablesShown());
  QFile stored(QString::fromStdString(file));
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  const QByteArray text = stored.readAll();
  EXPECT_TRUE(text.contains("kuchijamisen=1\nprint_kuchijamisen=0\n")) << text.toStdString();
  stored.close();

  // The context menu's switch turns the window's row off and keeps it so.
  m_window->Logic().SetKuchijamisenShown(false);
  EXPECT_FALSE(m_window->Logic().ScoreView().SyllablesShown());
  EXPECT_FALSE(m_window->Logic().CurrentPreferences().printKuchijamisen);
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  EXPECT_TRUE(stored.readAll().contains("kuchijamisen=0\n"));
}

TEST_F(WindowTest, ScoreCellsFollowThePixelRatioAndClicksKeepTheirColumn) {
  const double ratio = m_window->devicePixelRatioF();
  if (const char* factor = std::getenv("QT_SCALE_FACTOR"); factor != nullptr) {
    EXPECT_EQ(ratio, std::atof(factor));
  }
  auto* cell = Find<OffScreenWidget>(1011 + 2);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->size(), QSize(128, 100));
  const auto& screen = cell->Control().Screen();
  ASSERT_TRUE(screen.has_value());
  EXPECT_EQ(screen->Width(), static_cast<int>(std::lround(128 * ratio)));
  EXPECT_EQ(screen->Height(), static_cast<int>(std::lround(100 * ratio)));
  // Logical column 4 of cell 2: measure 3, beat position 5.
  QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(4 * 8 + 3, 50));
  EXPECT_EQ(m_window->Logic().InputTool().Measure(), 3);
  EXPECT_EQ(m_window->Logic().InputTool().Beat(), 5);
}

// Run again by ctest on a 1366 x 768 offscreen screen (test
// MainWindowZoomsOnALaptopScreen); the default offscreen screen is smaller.
TEST_F(WindowTest, EveryZoomStepScalesTheScoreOnlyAndClicksKeepTheirColumn) {
  auto* label = m_window->findChild<QLabel*>();
  ASSERT_NE(label, nullptr);
  const int fontPixels = QFontInfo(label->font()).pixelSize();
  auto* area = m_window->findChild<QScrollArea*>("scoreArea");
  ASSERT_NE(area, nullptr);
  EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
  EXPECT_EQ(m_window->Logic().ShownRows(), 6);
  const double ratio = m_window->devicePixelRatioF();
  auto* cell = Find<OffScreenWidget>(1011 + 2);
  // Shown whole at each step: above 100 % the rows are wider than the area,
  // and its sideways bar takes a little of its height.
  const std::map<int, int> rows = {{100, 6}, {125, 4}, {150, 3}, {200, 2}, {300, 1}};
  for (int step : kZoomSteps) {
    SCOPED_TRACE(step);
    EXPECT_EQ(m_window->ChooseZoom(step), step != 100);
    EXPECT_EQ(m_window->ZoomPercent(), step);
    // The window, its controls and their texts stay as they are.
    EXPECT_EQ(m_window->size(), QSize(1064, 724));
    EXPECT_EQ(Find<OffScreenWidget>(1000)->geometry(), QRect(960, 622, 88, 30));
    EXPECT_EQ(Find<QComboBox>(kTuningCombo)->geometry(), QRect(10, 644, 90, 26));
    EXPECT_EQ(QFontInfo(label->font()).pixelSize(), fontPixels);
    EXPECT_EQ(area->geometry(), QRect(0, 0, 1040, 620));
    EXPECT_EQ(area->horizontalScrollBar()->isVisible(), step > 100);
    EXPECT_EQ(m_window->Logic().ShownRows(), rows.at(step));
    // Cell 2 from 1x (266, 10), 128 x 100, its picture sharp at the step
    // times the screen's ratio.
    const double f = step / 100.0;
    const QRect at = cell->geometry();
    EXPECT_NEAR(at.left(), 266 * f, 1);
    EXPECT_NEAR(at.width(), 128 * f, 1);
    ASSERT_TRUE(cell->Control().Screen().has_value());
    EXPECT_EQ(cell->Control().Screen()->Width(), static_cast<int>(std::lround(at.width() * ratio)));
    // The first and last zoomed pixels of 1x column 4 (x 32..39): measure
    // 3, beat position 5; the next pixel is column 5.
    const int firstPixel = static_cast<int>(std::lround((266 + 32) * f)) - at.left();
    const int lastPixel = static_cast<int>(std::lround((266 + 40) * f)) - at.left() - 1;
    QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(firstPixel, at.height() / 2));
    EXPECT_EQ(m_window->Logic().InputTool().Measure(), 3);
    EXPECT_EQ(m_window->Logic().InputTool().Beat(), 5);
    QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(lastPixel, at.height() / 2));
    EXPECT_EQ(m_window->Logic().InputTool().Beat(), 5);
    QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(lastPixel + 1, at.height() / 2));
    EXPECT_EQ(m_window->Logic().InputTool().Beat(), 6);
  }
  // At 150 % exactly as the edge rule puts it.
  ASSERT_TRUE(m_window->ChooseZoom(150));
  EXPECT_EQ(cell->geometry(), QRect(399, 15, 192, 150));
  // Sideways to the end of the row: its last cell comes into the area.
  QScrollBar* sideways = area->horizontalScrollBar();
  sideways->setValue(sideways->maximum());
  auto* last = Find<OffScreenWidget>(1011 + 7);
  const QRect lastInWindow(last->mapTo(m_window.get(), QPoint(0, 0)), last->size());
  EXPECT_LE(lastInWindow.right(), 1039);
  EXPECT_GE(lastInWindow.left(), 0);

  // Kept in the data folder for the next run.
  EXPECT_EQ(LoadZoomPercent(m_data.Path("Kumoito") + "/" + kZoomFileName), 150);
  // The keys and Ctrl+wheel step through the same choices, down to 100 %.
  m_window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  QTest::keyClick(m_window.get(), Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(m_window->ZoomPercent(), 125);
  QTest::keyClick(m_window.get(), Qt::Key_Equal, Qt::ControlModifier);
  EXPECT_EQ(m_window->ZoomPercent(), 150);
  const QPoint over(50, 50);
  QWheelEvent up(over, area->viewport()->mapToGlobal(over), QPoint(), QPoint(0, 120), Qt::NoButton,
                 Qt::ControlModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(area->viewport(), &up);
  EXPECT_EQ(m_window->ZoomPercent(), 200);
  QTest::keyClick(m_window.get(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(m_window->ZoomPercent(), 100);
  EXPECT_FALSE(m_window->ChooseZoom(100));  // there already
  EXPECT_EQ(cell->geometry(), QRect(266, 10, 128, 100));
  EXPECT_FALSE(sideways->isVisible());
}

TEST_F(WindowTest, AZoomedScoreScrollsToTheSongsLastRow) {
  std::int32_t beats = 4, key = 0, measures = 100;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  const std::string path = m_startup.Path("long.mwd");
  SaveScore(*song, 4, 0, path, 1);
  m_window->Logic().OpenScore(path, false);
  auto* bar = Find<QScrollBar>(kScrollBarControl);
  EXPECT_EQ(bar->maximum(), 7);
  ASSERT_TRUE(m_window->ChooseZoom(200));
  // Two rows shown whole: the range reaches row 12 (measures 97..100) with
  // them, and a page is two rows.
  EXPECT_EQ(bar->maximum(), 11);
  EXPECT_EQ(bar->pageStep(), 2);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(m_window->Logic().ScoreView().FirstShownMeasure(), 16);
  // The rows' numbers grow with the score and still set the loop's ends.
  for (int step : kZoomSteps) {
    SCOPED_TRACE(step);
    m_window->ChooseZoom(step);
    auto* second = m_window->findChild<QLabel*>("rowNumber1");
    const double f = step / 100.0;
    EXPECT_NEAR(second->geometry().top(), 112 * f, 1);
    EXPECT_NEAR(second->geometry().width(), 21 * f, 1);
    EXPECT_EQ(second->text(), "25");
    QTest::mouseClick(second, Qt::LeftButton, {}, second->rect().center());
    QTest::mouseClick(m_window->findChild<QLabel*>("rowNumber0"), Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(2, 2));
    EXPECT_EQ(m_window->Logic().Practice().loopFirstMeasure, 17);
    EXPECT_EQ(m_window->Logic().Practice().loopLastMeasure, 17);
  }
  ASSERT_TRUE(m_window->ChooseZoom(200));
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(m_window->Logic().ScoreView().FirstShownMeasure(), 88);
  // Back at 100 % the position comes inside the shorter range.
  ASSERT_TRUE(m_window->ChooseZoom(100));
  EXPECT_EQ(bar->maximum(), 7);
  EXPECT_EQ(m_window->Logic().ScoreView().FirstShownMeasure(), 56);
  EXPECT_EQ(bar->value(), 7);
}

// Run again by ctest on a 1366 x 768 offscreen screen (test
// MainWindowGrowsOnALaptopScreen).
TEST_F(WindowTest, AGrownWindowKeepsTheRowsAtTheBottomAndItsSizeForTheNextRun) {
  EXPECT_EQ(m_window->size(), QSize(1064, 724));
  EXPECT_EQ(m_window->minimumSize(), QSize(1064, 724));
  auto* quit = Find<OffScreenWidget>(1000);
  auto* cell = Find<OffScreenWidget>(1011 + 47);
  auto* bar = Find<QScrollBar>(kScrollBarControl);
  auto* speed = m_window->findChild<QSpinBox*>("practiceSpeed");
  ASSERT_NE(speed, nullptr);
  const QRect speedAt = speed->geometry();
  EXPECT_EQ(bar->geometry(), QRect(1040, 10, 17, 610));

  m_window->resize(1300, 760);
  QCoreApplication::processEvents();
  ASSERT_EQ(m_window->size(), QSize(1300, 760));
  // 236 wider and 36 taller: the rows below the score go down by 36, the
  // cells stay, the scroll bar keeps to the right edge and grows.
  EXPECT_EQ(quit->geometry(), QRect(960, 622 + 36, 88, 30));
  EXPECT_EQ(Find<QComboBox>(kTuningCombo)->geometry(), QRect(10, 644 + 36, 90, 26));
  EXPECT_EQ(speed->geometry(), speedAt.translated(0, 36));
  EXPECT_EQ(cell->geometry(), QRect(10 + 128 * 7, 10 + 102 * 5, 128, 100));
  EXPECT_EQ(bar->geometry(), QRect(1040 + 236, 10, 17, 610 + 36));
  // A moved button still takes its clicks.
  QTest::mouseClick(Find<OffScreenWidget>(1003), Qt::LeftButton, {}, QPoint(40, 15));
  ASSERT_NE(m_window->Logic().Playback(), nullptr);
  EXPECT_TRUE(m_window->Logic().Playback()->IsPlaying());
  m_window->Logic().StopPlayback();
  // Clicks on a cell still reach its own column.
  QTest::mouseClick(Find<OffScreenWidget>(1011 + 2), Qt::LeftButton, {}, QPoint(4 * 8 + 3, 50));
  EXPECT_EQ(m_window->Logic().InputTool().Measure(), 3);
  EXPECT_EQ(m_window->Logic().InputTool().Beat(), 5);

  // Never below the smallest size.
  m_window->resize(900, 600);
  QCoreApplication::processEvents();
  EXPECT_EQ(m_window->size(), QSize(1064, 724));
  EXPECT_EQ(quit->geometry(), QRect(960, 622, 88, 30));
  m_window->resize(1300, 760);
  QCoreApplication::processEvents();

  // Kept in the data folder when the window closes, and used by the next.
  const std::string kept = m_data.Path("Kumoito") + "/" + kWindowSizeFileName;
  m_window->close();
  EXPECT_EQ(LoadWindowSize(kept, 1064, 724), (KeptWindowSize{1300, 760, false}));
  CKumoitoDlg::Options options;
  options.startupFolder = m_startup.path().string();
  options.dataFolder = m_data.Path("Kumoito");
  KumoitoWindow again(options);
  again.show();
  ASSERT_EQ(again.Start(), CKumoitoDlg::StartResult::kInteractive);
  EXPECT_EQ(again.size(), QSize(1300, 760));
  EXPECT_EQ(again.findChild<OffScreenWidget*>("1000")->geometry(), QRect(960, 658, 88, 30));
}

TEST_F(WindowTest, ATallerWindowShowsMoreRowsAndTheSmallestOneWhatItAlwaysDid) {
  std::int32_t beats = 4, key = 0, measures = 100;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  const std::string path = m_startup.Path("long.mwd");
  SaveScore(*song, 4, 0, path, 1);
  m_window->Logic().OpenScore(path, false);
  auto* bar = Find<QScrollBar>(kScrollBarControl);
  EXPECT_EQ(m_window->Logic().ShownRows(), 6);
  EXPECT_EQ(m_window->findChild<OffScreenWidget*>("2000"), nullptr);

  // 306 pixels taller: three more rows of 102, the ninth ending at the
  // area's bottom (926).
  m_window->resize(1064, 724 + 306);
  QCoreApplication::processEvents();
  ASSERT_EQ(m_window->height(), 724 + 306);
  EXPECT_EQ(m_window->Logic().ShownRows(), 9);
  EXPECT_EQ(bar->maximum(), 13 - 9);
  EXPECT_EQ(bar->pageStep(), 9);
  auto* seventh = m_window->findChild<OffScreenWidget*>("2000");
  auto* last = m_window->findChild<OffScreenWidget*>(QString::number(2000 + 23));
  ASSERT_TRUE(seventh && last);
  EXPECT_TRUE(last->isVisible());
  EXPECT_EQ(seventh->geometry(), QRect(10, 10 + 102 * 6, 128, 100));
  EXPECT_EQ(last->geometry(), QRect(10 + 128 * 7, 10 + 102 * 8, 128, 100));
  EXPECT_EQ(m_window->findChild<OffScreenWidget*>(QString::number(2000 + 24)), nullptr);
  ASSERT_TRUE(last->Control().Screen().has_value());
  // The rows below the score keep to the bottom; the cells of the first
  // rows stay where they were.
  EXPECT_EQ(Find<OffScreenWidget>(1000)->geometry(), QRect(960, 622 + 306, 88, 30));
  EXPECT_EQ(Find<OffScreenWidget>(1011 + 47)->geometry(),
            QRect(10 + 128 * 7, 10 + 102 * 5, 128, 100));
  auto* ninth = m_window->findChild<QLabel*>("rowNumber8");
  ASSERT_NE(ninth, nullptr);
  EXPECT_TRUE(ninth->isVisible());
  EXPECT_EQ(ninth->text(), "65");
  EXPECT_EQ(ninth->geometry(), QRect(1, 10 + 102 * 8, 21, 11));
  // A click on a new cell reaches its measure, one on its number the loop.
  QTest::mouseClick(m_window->findChild<OffScreenWidget*>("2001"), Qt::LeftButton, {},
                    QPoint(4 * 8 + 3, 50));
  EXPECT_EQ(m_window->Logic().InputTool().Measure(), 50);
  EXPECT_EQ(m_window->Logic().InputTool().Beat(), 5);
  QTest::mouseClick(ninth, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 5));
  EXPECT_EQ(m_window->Logic().Practice().loopLastMeasure, 65);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(m_window->Logic().ScoreView().FirstShownMeasure(), 32);
  EXPECT_EQ(ninth->text(), "97");

  // A row cut by the bottom is drawn too, and scrolled by a line.
  m_window->resize(1064, 724 + 356);
  QCoreApplication::processEvents();
  EXPECT_EQ(m_window->Logic().ShownRows(), 9);
  EXPECT_EQ(m_window->Logic().VisibleRows(), 10);
  auto* cut = m_window->findChild<OffScreenWidget*>(QString::number(2000 + 24));
  ASSERT_NE(cut, nullptr);
  EXPECT_TRUE(cut->isVisible());

  // Back at the smallest size: six rows exactly as before, the others out
  // of sight and no longer drawn.
  m_window->resize(1064, 724);
  QCoreApplication::processEvents();
  EXPECT_EQ(m_window->Logic().ShownRows(), 6);
  EXPECT_EQ(bar->maximum(), 7);
  EXPECT_EQ(bar->value(), 4);  // still inside the range
  EXPECT_EQ(m_window->Logic().ScoreView().FirstShownMeasure(), 32);
  EXPECT_FALSE(seventh->isVisible());
  EXPECT_EQ(m_window->Logic().ScoreView().CellsInUse(), 48);
  EXPECT_EQ(Find<OffScreenWidget>(1011 + 47)->geometry(),
            QRect(10 + 128 * 7, 10 + 102 * 5, 128, 100));
  EXPECT_TRUE(Find<OffScreenWidget>(1011 + 47)->isVisible());
  EXPECT_EQ(Find<OffScreenWidget>(1000)->geometry(), QRect(960, 622, 88, 30));

  // A window that starts tall has its rows' cells drawn from the start.
  m_window->resize(1064, 724 + 306);
  m_window->close();
  CKumoitoDlg::Options options;
  options.startupFolder = m_startup.path().string();
  options.dataFolder = m_data.Path("Kumoito");
  KumoitoWindow again(options);
  again.show();
  ASSERT_EQ(again.Start(), CKumoitoDlg::StartResult::kInteractive);
  EXPECT_EQ(again.Logic().ShownRows(), 9);
  auto* ninthRow = again.findChild<OffScreenWidget*>(QString::number(2000 + 16));
  ASSERT_NE(ninthRow, nullptr);
  EXPECT_EQ(ninthRow->geometry(), QRect(10, 10 + 102 * 8, 128, 100));
  ASSERT_TRUE(ninthRow->Control().Screen().has_value());
  EXPECT_EQ(ninthRow->Control().Screen()->Height(),
            static_cast<int>(std::lround(100 * again.devicePixelRatioF())));
}

TEST_F(WindowTest, AMaximisedWindowFillsTheScreenAndIsKeptMaximised) {
  m_window->showMaximized();
  QCoreApplication::processEvents();
  const QRect available = m_window->screen()->availableGeometry();
  ASSERT_TRUE(m_window->isMaximized());
  if (available.width() < 1064 || available.height() < 724) {
    return;  // the smallest size is larger than this screen
  }
  const int extraHeight = m_window->height() - 724;
  EXPECT_GT(m_window->width(), 1064);
  EXPECT_EQ(Find<OffScreenWidget>(1000)->geometry(), QRect(960, 622 + extraHeight, 88, 30));
  EXPECT_EQ(Find<QScrollBar>(kScrollBarControl)->geometry().right(), m_window->width() - 8);
  m_window->close();
  const auto kept = LoadWindowSize(m_data.Path("Kumoito") + "/" + kWindowSizeFileName, 1064, 724);
  ASSERT_TRUE(kept.has_value());
  EXPECT_TRUE(kept->maximized);
}

TEST_F(WindowTest, ScrollBarPagesThroughALongSong) {
  std::int32_t beats = 4, key = 0, measures = 100;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  const std::string path = m_startup.Path("long.mwd");
  SaveScore(*song, 4, 0, path, 1);
  m_window->Logic().OpenScore(path, false);
  auto* bar = Find<QScrollBar>(kScrollBarControl);
  EXPECT_EQ(bar->maximum(), 7);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(m_window->Logic().ScoreView().FirstShownMeasure(), 48);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(m_window->Logic().ScoreView().FirstShownMeasure(), 56);
  EXPECT_EQ(bar->value(), 7);
}

TEST_F(WindowTest, RowNumbersSitBesideTheRowsAndSetTheLoopsEnds) {
  std::int32_t beats = 4, key = 0, measures = 20;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  const std::string path = m_startup.Path("twenty.mwd");
  SaveScore(*song, 4, 0, path, 1);
  m_window->Logic().OpenScore(path, false);
  auto* first = m_window->findChild<QLabel*>("rowNumber0");
  auto* second = m_window->findChild<QLabel*>("rowNumber1");
  auto* third = m_window->findChild<QLabel*>("rowNumber2");
  auto* fourth = m_window->findChild<QLabel*>("rowNumber3");
  ASSERT_TRUE(first && second && third && fourth);
  EXPECT_EQ(first->text(), "1");
  EXPECT_EQ(third->text(), "17");
  EXPECT_TRUE(third->isVisible());
  EXPECT_FALSE(fourth->isVisible());  // past the song's end
  // In the corner the row's first cell leaves free, over the cell.
  EXPECT_EQ(second->geometry(), QRect(1, 112, 21, 11));
  auto* cell = Find<OffScreenWidget>(1011 + 8);
  EXPECT_TRUE(cell->geometry().intersects(second->geometry()));
  EXPECT_EQ(m_window->childAt(5 + 8, 112 + 5), second);

  auto* loopFirst = m_window->findChild<QSpinBox*>("practiceLoopFirst");
  auto* loopLast = m_window->findChild<QSpinBox*>("practiceLoopLast");
  QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(loopFirst->value(), 9);
  EXPECT_EQ(loopLast->value(), 9);
  QTest::mouseClick(third, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 5));
  EXPECT_EQ(loopFirst->value(), 9);
  EXPECT_EQ(loopLast->value(), 17);
  EXPECT_EQ(m_window->Logic().Practice().loopLastMeasure, 17);
  // The click sets the loop, not the input tool's place.
  EXPECT_EQ(m_window->Logic().InputTool().Measure(), 1);

  // They follow the scroll, and a grown or zoomed window.
  measures = 60;
  auto longer = CSongData::LoadOrCreate("", beats, key, measures);
  SaveScore(*longer, 4, 0, path, 1);
  m_window->Logic().OpenScore(path, false);
  EXPECT_TRUE(fourth->isVisible());
  Find<QScrollBar>(kScrollBarControl)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(first->text(), "9");
  EXPECT_EQ(m_window->findChild<QLabel*>("rowNumber5")->text(), "49");
  m_window->resize(1200, 800);
  QCoreApplication::processEvents();
  EXPECT_EQ(second->geometry(), QRect(1, 112, 21, 11));
  EXPECT_EQ(m_window->childAt(5 + 8, 112 + 5), second);
}

// Answers the next modal file dialog with path, as a user typing it would.
void AnswerNextFileDialog(const std::string& path) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, path] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      poll->deleteLater();
      dialog->selectFile(QString::fromStdString(path));
      QMetaObject::invokeMethod(dialog, "accept");
    }
  });
  poll->start(10);
}

TEST_F(WindowTest, ExportOffersEveryTypeBmpFirstAndSuffixesTheChosenOne) {
  QStringList filters;
  QString shownFirst;
  auto* poll = new QTimer;
  const std::string typed = m_startup.Path("page");
  QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      return;
    }
    poll->deleteLater();
    filters = dialog->nameFilters();
    shownFirst = dialog->selectedNameFilter();
    // The user picks the PDF type and types a name without extension.
    // (the signals the type list sends when a user picks from it)
    if (auto* types = dialog->findChild<QComboBox*>("fileTypeCombo")) {
      types->setCurrentIndex(3);
      emit types->activated(3);
      emit types->textActivated(types->currentText());
    }
    dialog->selectFile(QString::fromStdString(typed));
    QMetaObject::invokeMethod(dialog, "accept");
  });
  poll->start(10);
  QTest::mouseClick(Find<OffScreenWidget>(1004), Qt::LeftButton, {}, QPoint(40, 15));
  EXPECT_EQ(filters, (QStringList{"BMP 画像 (*.bmp)", "PNG 画像 (*.png)",
                                  "JPEG 画像 (*.jpg *.jpeg)", "PDF 文書 (*.pdf)",
                                  "SVG 画像 (*.svg)", "MIDI ファイル (*.mid)", "WAV 音声 (*.wav)",
                                  "MusicXML 楽譜 (*.musicxml)", "圧縮 MusicXML 楽譜 (*.mxl)"}));
  EXPECT_EQ(shownFirst, "BMP 画像 (*.bmp)");
  const auto pdf = test::ReadFile(typed + ".pdf");
  ASSERT_GE(pdf.size(), 4u);
  EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 4), "%PDF");
}

TEST_F(WindowTest, ExportsNumberTheMeasuresAsTheSettingsSay) {
  std::int32_t beats = 4, key = 0, measures = 30;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  const std::string path = m_startup.Path("thirty.mwd");
  SaveScore(*song, 4, 0, path, 1);
  m_window->Logic().OpenScore(path, false);
  const auto exportTo = [this](const std::string& name) {
    AnswerNextFileDialog(m_startup.Path(name));
    QTest::mouseClick(Find<OffScreenWidget>(1004), Qt::LeftButton, {}, QPoint(40, 15));
    return test::ReadFile(m_startup.Path(name));
  };
  // No kandokoro reads 21 or more: such a text is a measure's number.
  const auto numbers = [](const test::Bytes& svg) {
    const std::string text(svg.begin(), svg.end());
    int found = 0;
    for (int m = 21; m <= 30; ++m) {
      found += text.find(">" + std::to_string(m) + "</text>") != std::string::npos;
    }
    return found;
  };
  // By default every measure of the SVG has its number; the image page has
  // none and keeps its size.
  EXPECT_EQ(numbers(exportTo("on.svg")), 10);
  const test::Bytes plain = exportTo("plain.bmp");
  const auto bitmapHeight = [](const test::Bytes& bmp) {
    EXPECT_GE(bmp.size(), 26u);
    return bmp.size() < 26u ? 0
                            : std::abs(static_cast<std::int32_t>(bmp[22] | bmp[23] << 8 |
                                                                 bmp[24] << 16 | bmp[25] << 24));
  };
  EXPECT_EQ(bitmapHeight(plain) % 100, m_window->Logic().Settings().titleBand == 1 ? 40 : 0);

  // 設定: off for the window and the vector pages, on for images.
  SettingsChoice choice = m_window->Logic().CurrentSettingsChoice();
  choice.preferences.measureNumbers = false;
  choice.preferences.imageMeasureNumbers = true;
  m_window->Logic().ApplySettings(choice);
  EXPECT_EQ(numbers(exportTo("off.svg")), 0);
  EXPECT_FALSE(m_window->findChild<QLabel*>("rowNumber0")->isVisible());
  EXPECT_EQ(bitmapHeight(exportTo("numbered.bmp")),
            bitmapHeight(plain) + 8 * kMeasureNumberBandHeight);
  choice.preferences.imageMeasureNumbers = false;
  m_window->Logic().ApplySettings(choice);
  EXPECT_EQ(exportTo("again.bmp"), plain);
}

TEST_F(WindowTest, InputToolEditsTheNewSongRightAfterStart) {
  auto* tool = m_window->findChild<InputToolWindow*>();
  ASSERT_NE(tool, nullptr);
  EXPECT_TRUE(tool->isVisible());
  auto* measure = tool->findChild<QSpinBox*>(QString::number(kIdcInputMeasure));
  auto* measureCount = tool->findChild<QSpinBox*>(QString::number(kIdcInputMeasureCount));
  auto* type = tool->findChild<QComboBox*>(QString::number(kIdcInputType));
  ASSERT_NE(measure, nullptr);
  ASSERT_NE(measureCount, nullptr);
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(measure->minimum(), 1);
  EXPECT_EQ(measure->maximum(), 9);

  // The second score cell shows measure 2; its first column is beat 1.
  QTest::mouseClick(Find<OffScreenWidget>(1012), Qt::LeftButton, {}, QPoint(2, 50));
  EXPECT_EQ(measure->value(), 2);
  type->setCurrentIndex(kTypePluck);
  const int oldCount = measureCount->value();
  measureCount->stepBy(9 - oldCount);
  EXPECT_EQ(measureCount->value(), 9);

  const std::string path = m_startup.Path("first.mwd");
  AnswerNextFileDialog(path);
  QTest::mouseClick(Find<OffScreenWidget>(1007), Qt::LeftButton, {}, QPoint(40, 15));
  ASSERT_TRUE(std::filesystem::exists(path));
  std::int32_t beats = 0, key = 0, measures = 0;
  const auto saved = CSongData::LoadOrCreate(path, beats, key, measures);
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->m_measureCount, 9);
  EXPECT_EQ(saved->m_cells[8].pitch[0], 60);
}

TEST_F(WindowTest, InputToolOpensWhollyOnTheScreen) {
  auto* tool = m_window->findChild<InputToolWindow*>();
  ASSERT_NE(tool, nullptr);
  const QRect available = m_window->screen()->availableGeometry();
  EXPECT_TRUE(available.contains(tool->frameGeometry()))
      << tool->frameGeometry().x() << "," << tool->frameGeometry().y();
}

TEST_F(WindowTest, PracticeRowSitsBelowTheControlsWithJapaneseLabels) {
  EXPECT_EQ(m_window->height(), KumoitoWindow::kClientHeight);
  QStringList labels;
  for (const QLabel* label : m_window->findChildren<QLabel*>()) {
    if (label->geometry().top() >= KumoitoWindow::kPracticeRowTop &&
        label->objectName() != "practiceSoundNote") {
      labels << label->text();
    }
  }
  EXPECT_EQ(labels, (QStringList{QString::fromUtf8("速度"), QString::fromUtf8("開始小節"),
                                 QString::fromUtf8("終了小節"), QString::fromUtf8("カウント")}));
  auto* speed = m_window->findChild<QSpinBox*>("practiceSpeed");
  auto* loop = m_window->findChild<QCheckBox*>("practiceLoop");
  auto* first = m_window->findChild<QSpinBox*>("practiceLoopFirst");
  auto* last = m_window->findChild<QSpinBox*>("practiceLoopLast");
  auto* countIn = m_window->findChild<QComboBox*>("practiceCountIn");
  ASSERT_TRUE(speed && loop && first && last && countIn);
  for (const QWidget* w :
       {static_cast<QWidget*>(speed), static_cast<QWidget*>(loop), static_cast<QWidget*>(first),
        static_cast<QWidget*>(last), static_cast<QWidget*>(countIn)}) {
    EXPECT_GE(w->geometry().top(), KumoitoWindow::kPracticeRowTop);
    EXPECT_LE(w->geometry().bottom(), KumoitoWindow::kClientHeight);
  }
  EXPECT_EQ(loop->text(), QString::fromUtf8("繰り返し"));
  EXPECT_EQ(speed->value(), 100);
  EXPECT_EQ(speed->minimum(), 50);
  EXPECT_EQ(speed->maximum(), 150);
  EXPECT_EQ(speed->singleStep(), 5);
  EXPECT_EQ(first->maximum(), 8);  // the scratch song's measures
  EXPECT_EQ(countIn->itemText(1), QString::fromUtf8("1小節"));

  speed->setValue(70);
  loop->setChecked(true);
  last->setValue(4);
  first->setValue(6);  // past the last: the last follows
  countIn->setCurrentIndex(1);
  const midi::PracticeSettings& p = m_window->Logic().Practice();
  EXPECT_EQ(p.speed, 70);
  EXPECT_TRUE(p.loop);
  EXPECT_EQ(p.loopFirstMeasure, 6);
  EXPECT_EQ(p.loopLastMeasure, 6);
  EXPECT_EQ(last->value(), 6);
  EXPECT_TRUE(p.countIn);
}

TEST_F(WindowTest, SpacePlaysAndStopsEvenFromANumberBox) {
  m_window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  auto* speed = m_window->findChild<QSpinBox*>("practiceSpeed");
  speed->setFocus();
  QTest::keyClick(speed, Qt::Key_Space);
  ASSERT_NE(m_window->Logic().Playback(), nullptr);
  EXPECT_TRUE(m_window->Logic().Playback()->IsPlaying());
  QTest::keyClick(speed, Qt::Key_Space);
  EXPECT_FALSE(m_window->Logic().Playback()->IsPlaying());
  EXPECT_EQ(speed->value(), 100);
}

// Without any output, Space after Space: the first silent playback says why
// in a box that neither blocks nor takes the keys; the later ones only
// write a note in the practice row.
TEST_F(WindowTest, NoSoundIsSaidOnceWithoutBlockingThenNotedInThePracticeRow) {
  m_window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  auto* note = m_window->findChild<QLabel*>("practiceSoundNote");
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->text().isEmpty());
  EXPECT_GE(note->geometry().top(), KumoitoWindow::kPracticeRowTop);
  EXPECT_LE(note->geometry().right(), KumoitoWindow::kClientWidth);
  const auto messages = [this] {
    int shown = 0;
    for (const QWidget* w : m_window->findChildren<QWidget*>("noSoundMessage")) {
      shown += w->isVisible() ? 1 : 0;
    }
    return shown;
  };
  const auto playToTheEnd = [this] {
    QTest::keyClick(m_window.get(), Qt::Key_Space);
    ASSERT_NE(m_window->Logic().Playback(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_window->Logic().Playback()->IsPlaying(); }));
  };
  playToTheEnd();
  ASSERT_TRUE(QTest::qWaitFor([&] { return messages() == 1; }));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == m_window.get(); }));
  EXPECT_TRUE(m_boxes.Messages().empty());
  EXPECT_TRUE(note->text().isEmpty());
  // The keys still reach the window with the message up.
  playToTheEnd();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !note->text().isEmpty(); }));
  EXPECT_TRUE(note->text().startsWith(QString::fromUtf8("音を出せません")));
  EXPECT_FALSE(note->toolTip().isEmpty());
  EXPECT_EQ(messages(), 1);
  EXPECT_TRUE(m_boxes.Messages().empty());
}

// Clicks the button named button of the next modal box named box, once it
// is up; what it said goes to text.
void AnswerNextBox(const char* box, const char* button, QString* text = nullptr) {
  QTimer::singleShot(0, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal->objectName() != box) {
      AnswerNextBox(box, button, text);
      return;
    }
    if (text != nullptr) {
      for (auto* b : modal->findChildren<QPushButton*>()) {
        *text += b->text() + "|";
      }
    }
    if (auto* b = modal->findChild<QPushButton*>(button)) {
      b->click();
    }
  });
}

TEST_F(WindowTest, EnterAndEscapeNeverEndTheProgramAndEnterAppliesANumber) {
  QTest::keyClick(m_window.get(), Qt::Key_Escape);
  QTest::keyClick(m_window.get(), Qt::Key_Return);
  QTest::keyClick(m_window.get(), Qt::Key_Enter);
  EXPECT_TRUE(m_window->isVisible());

  auto* last = m_window->findChild<QSpinBox*>("practiceLoopLast");
  ASSERT_NE(last, nullptr);
  last->setFocus();
  last->selectAll();
  QTest::keyClicks(last, "5");
  QTest::keyClick(last, Qt::Key_Return);
  QTest::keyClick(last, Qt::Key_Escape);
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(m_window->Logic().Practice().loopLastMeasure, 5);
}

TEST_F(WindowTest, TheCloseBoxAsksOverUnsavedChangesAndCancelKeepsTheWindow) {
  Find<QComboBox>(kKeyCombo)->setCurrentIndex(3);  // moves every note of the song
  ASSERT_TRUE(m_window->Logic().HasUnsavedChanges());
  QString buttons;
  AnswerNextBox("saveChangesBox", "cancel", &buttons);
  m_window->close();
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(buttons, QString::fromUtf8("保存|保存しない|キャンセル|"));

  // Ctrl+Q asks the same; 保存しない ends, and the settings are written.
  m_window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  AnswerNextBox("saveChangesBox", "discard");
  QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(m_window->isVisible());
  const auto settings = test::ReadFile(m_data.Path("Kumoito/setup.ini"));
  ASSERT_EQ(settings.size(), 24u);
  EXPECT_EQ(settings[20], 3);
}

TEST_F(WindowTest, SavingFromTheQuestionGoesThroughTheSaveDialog) {
  Find<QComboBox>(kKeyCombo)->setCurrentIndex(2);
  const std::string saved = m_startup.Path("kept.mwd");
  AnswerNextBox("saveChangesBox", "save");
  // Then the save dialog: the path typed and accepted.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog != nullptr) {
      poll.stop();
      dialog->selectFile(QString::fromStdString(saved));
      QMetaObject::invokeMethod(dialog, "accept");
    }
  });
  poll.start(10);
  m_window->close();
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_GT(test::ReadFile(saved).size(), 94540u);  // with the tuning a save records
}

TEST_F(WindowTest, AnEndedSessionKeepsTheUnsavedSongForTheNextStart) {
  Find<QComboBox>(kKeyCombo)->setCurrentIndex(4);
  const std::string recovery = m_window->Logic().RecoveryPath();
  m_window->EndSession();  // no question: nobody may be there to answer
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_TRUE(std::filesystem::exists(recovery));

  CKumoitoDlg::Options options;
  options.startupFolder = m_startup.path().string();
  options.dataFolder = m_data.Path("Kumoito");
  KumoitoWindow next(options);
  next.show();
  QString buttons;
  AnswerNextBox("restoreBox", "restore", &buttons);
  ASSERT_EQ(next.Start(), CKumoitoDlg::StartResult::kInteractive);
  EXPECT_EQ(buttons, QString::fromUtf8("復元|破棄|"));
  EXPECT_TRUE(next.Logic().HasUnsavedChanges());
  EXPECT_EQ(next.findChild<QComboBox*>(QString::number(kKeyCombo))->currentIndex(), 4);
  AnswerNextBox("saveChangesBox", "discard");
  next.close();
  EXPECT_FALSE(next.isVisible());
}

TEST(WindowStartFile, AScoreNamedAtStartIsShownAndScrolls) {
  ::setenv("KUMOITO_MIDI_OUT", "none", 1);
  ScopedReportCapture reports;
  ScopedMessageBoxCapture boxes;
  test::TempDir startup, data;
  std::int32_t beats = 4, key = 0, measures = 48;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  song->m_cells[0].pitch[0] = 62;
  const std::string path = startup.Path("long.mwd");
  SaveScore(*song, 4, 0, path, 1);

  CKumoitoDlg::Options options;
  options.startupFolder = startup.path().string();
  options.dataFolder = data.Path("Kumoito");
  options.startFile = path;
  KumoitoWindow window(options);
  window.show();
  ASSERT_EQ(window.Start(), CKumoitoDlg::StartResult::kInteractive);
  EXPECT_EQ(window.Logic().Song()->m_measureCount, 48);
  EXPECT_GE(window.Logic().Song()->m_cells[0].pitch[0], 0);  // the note, not the scratch rest
  // 48 measures are six rows: one more than the window shows.
  EXPECT_EQ(window.findChild<QScrollBar*>(QString::number(kScrollBarControl))->maximum(), 1);
  EXPECT_TRUE(boxes.Messages().empty());
}

TEST_F(WindowTest, TheOpenDialogOffersScoresMusicXmlMidiAndRecordings) {
  QStringList filters;
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &filters] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      poll->deleteLater();
      filters = dialog->nameFilters();
      QMetaObject::invokeMethod(dialog, "reject");
    }
  });
  poll->start(10);
  QTest::mouseClick(Find<OffScreenWidget>(1001), Qt::LeftButton, {}, QPoint(40, 15));
  ASSERT_EQ(filters.size(), 5);
  EXPECT_TRUE(filters[0].startsWith(QString::fromUtf8("対応する全ての形式 (")));
  for (const char* pattern : {"*.mwd", "*.musicxml", "*.xml", "*.mxl", "*.mid", "*.midi", "*.kar",
                              "*.wav", "*.flac", "*.ogg"}) {
    EXPECT_TRUE(filters[0].contains(pattern)) << pattern;
  }
  EXPECT_EQ(filters[1], QString::fromUtf8("譜面ファイル (*.mwd)"));
  EXPECT_EQ(filters[2], "MusicXML (*.musicxml *.xml *.mxl)");
  EXPECT_EQ(filters[3], QString::fromUtf8("MIDI ファイル (*.mid *.midi *.kar)"));
  EXPECT_EQ(filters[4], QString::fromUtf8("録音 (*.wav *.flac *.ogg)"));
}

// Drops a file on the window as a file manager would.
bool Drop(QWidget& window, const std::string& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(500, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  if (!enter.isAccepted()) {
    return false;
  }
  QDropEvent drop(QPointF(500, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
  return true;
}

// The tune and its chord track are both likely melodies: the window asks,
// naming each track's channel, note count and range, the rule's choice first.
TEST_F(WindowTest, ADroppedMidiFileOpensArranged) {
  CSongData* before = m_window->Logic().Song();
  QStringList items;
  int current = -1;
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &items, &current] {
    if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      poll->deleteLater();
      items = dialog->comboBoxItems();
      current = static_cast<int>(items.indexOf(dialog->textValue()));
      QMetaObject::invokeMethod(dialog, "accept");
    }
  });
  poll->start(10);
  ASSERT_TRUE(Drop(*m_window, std::string(KUMOITO_IMPORT_DATA_DIR) + "/abc_waltz_chords.mid"));
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[0], QString::fromUtf8("トラック 2 (ch 1) (14 音, G4〜G5)"));
  EXPECT_EQ(current, 0);
  CSongData* song = m_window->Logic().Song();
  ASSERT_NE(song, before);
  EXPECT_EQ(song->m_beatsPerMeasure, 3);
  EXPECT_EQ(Find<QComboBox>(kKeyCombo)->currentIndex(), m_window->Logic().Settings().key);
  EXPECT_EQ(Find<QComboBox>(kTuningCombo)->currentIndex(), m_window->Logic().Settings().tuning);
}

TEST_F(WindowTest, ADroppedScoreWithSeveralPartsAsksForTheMelody) {
  QStringList items;
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &items] {
    if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      poll->deleteLater();
      items = dialog->comboBoxItems();
      dialog->setTextValue(items.value(1));
      QMetaObject::invokeMethod(dialog, "accept");
    }
  });
  poll->start(10);
  ASSERT_TRUE(Drop(*m_window, std::string(KUMOITO_IMPORT_DATA_DIR) + "/ms_song.musicxml"));
  ASSERT_EQ(items.size(), 2);
  EXPECT_TRUE(items[0].startsWith("Voice"));
  EXPECT_TRUE(items[1].startsWith("Piano"));
  // The piano's part: a measure of rest (the pick-up's), then its chords.
  CSongData* song = m_window->Logic().Song();
  EXPECT_EQ(song->m_cells[0].pitch[0], SLOT_REST);
  EXPECT_GE(song->m_cells[8].pitch[0], 0);
  EXPECT_EQ(song->m_cells[10].pitch[0], SLOT_HOLD);
}

TEST(QtTranslations, StandardDialogsSpeakJapanese) {
  ASSERT_TRUE(InstallQtJapanese(*QCoreApplication::instance()))
      << "qtbase_ja.qm is missing (qt6-translations-l10n)";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
            QString::fromUtf8("キャンセル"));
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"),
            QString::fromUtf8("名前を付けて保存"));
  // The dialog the program shows, as it shows it.
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.show();
  auto* box = dialog.findChild<QDialogButtonBox*>();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
}

// The text part of a list box, where its items are drawn.
int ComboTextWidth(QComboBox& box) {
  QStyleOptionComboBox option;
  option.initFrom(&box);
  return box.style()
      ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box)
      .width();
}

TEST_F(WindowTest, TheCaptionFollowsTheSongAndTheListsTextsFitTheirBoxes) {
  EXPECT_EQ(m_window->windowTitle(), "Kumoito");
  m_window->Logic().InputTool().SelectPosition(1, 1);
  m_window->Logic().InputTool().OnTypeSelected(kTypePluck);
  m_window->Logic().InputTool().OnStringSelected(1);
  // The tool's redraw is posted.
  EXPECT_TRUE(QTest::qWaitFor([this] { return m_window->windowTitle() == "*Kumoito"; }, 2000))
      << m_window->windowTitle().toStdString();

  // A song in A minor with a title, opened as 読込 opens it.
  std::int32_t beats = 4, key = 0, measures = 8;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  song->m_cells[0].pitch[0] = 57;
  std::strcpy(song->m_info.title, Utf8ToCp932("さくらさくら").value().c_str());
  const std::string path = m_startup.Path("sakura.mwd");
  SaveScore(*song, 4, 15, path, 1);
  m_window->Logic().OpenScore(path, false);
  EXPECT_EQ(m_window->windowTitle(), QString::fromUtf8("さくらさくら - Kumoito"));

  for (const int number : {kFirstStringCombo, kKeyCombo}) {
    QComboBox* box = Find<QComboBox>(number);
    ASSERT_EQ(box->count(), 12);
    const int room = ComboTextWidth(*box);
    for (int i = 0; i < box->count(); ++i) {
      SCOPED_TRACE(box->itemText(i).toStdString());
      EXPECT_LE(box->fontMetrics().horizontalAdvance(box->itemText(i)), room);
    }
  }
  EXPECT_EQ(Find<QComboBox>(kKeyCombo)->itemText(6), "F# (D#m)");
  EXPECT_EQ(Find<QComboBox>(kFirstStringCombo)->currentText(), QString::fromUtf8("C (4本)"));
  EXPECT_FALSE(Find<QComboBox>(kKeyCombo)->toolTip().isEmpty());
}

TEST_F(WindowTest, FileDialogsOpenBesideTheSongSuggestItsTitleAndRememberTheFolder) {
  std::filesystem::create_directories(m_startup.Path("songs"));
  std::int32_t beats = 4, key = 0, measures = 8;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  std::strcpy(song->m_info.title, "Haru no umi");
  const std::string path = m_startup.Path("songs/spring.mwd");
  SaveScore(*song, 4, 0, path, 1);

  struct Seen {
    QString folder, file;
  };
  // Looks at the next file dialog, then accepts it with `typed` (or cancels).
  const auto answer = [](Seen& seen, const QString& typed) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &seen, typed] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) {
        return;
      }
      poll->deleteLater();
      seen.folder = dialog->directory().absolutePath();
      seen.file = QFileInfo(dialog->selectedFiles().value(0)).fileName();
      if (typed.isEmpty()) {
        QMetaObject::invokeMethod(dialog, "reject");
        return;
      }
      dialog->selectFile(typed);
      QMetaObject::invokeMethod(dialog, "accept");
    });
    poll->start(10);
  };

  // The scratch song lives in the data folder, which is no place to offer.
  Seen first;
  answer(first, {});
  QTest::mouseClick(Find<OffScreenWidget>(1007), Qt::LeftButton, {}, QPoint(40, 15));
  EXPECT_NE(first.folder.toStdString(), m_window->Logic().DataFolder());
  EXPECT_NE(first.folder.toStdString(), m_startup.path().string());

  m_window->Logic().OpenScore(path, false);
  Seen save;
  answer(save, {});
  QTest::mouseClick(Find<OffScreenWidget>(1007), Qt::LeftButton, {}, QPoint(40, 15));
  EXPECT_EQ(save.folder.toStdString(), m_startup.Path("songs"));
  EXPECT_EQ(save.file, "spring.mwd");

  // 出力 suggests the title; the type chosen adds its extension.
  std::filesystem::create_directories(m_data.Path("pages"));
  Seen out;
  answer(out, QString::fromStdString(m_data.Path("pages/haru")));
  QTest::mouseClick(Find<OffScreenWidget>(1004), Qt::LeftButton, {}, QPoint(40, 15));
  EXPECT_EQ(out.folder.toStdString(), m_startup.Path("songs"));
  EXPECT_EQ(out.file, "Haru no umi.bmp");  // the first type's extension, until another is chosen
  EXPECT_TRUE(std::filesystem::exists(m_data.Path("pages/haru.bmp")));

  // A song with no file of its own: the folder last used comes back.
  m_window->Logic().OpenScore(m_data.Path("Kumoito/temp.mwd"), false);
  Seen open;
  answer(open, {});
  QTest::mouseClick(Find<OffScreenWidget>(1001), Qt::LeftButton, {}, QPoint(40, 15));
  EXPECT_EQ(open.folder.toStdString(), m_data.Path("pages"));
}

}  // namespace
}  // namespace kumoito
