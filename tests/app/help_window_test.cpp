#include "app/qt/help_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QTextBrowser>
#include <filesystem>
#include <fstream>
#include <utility>

namespace kumoito {
namespace {

namespace fs = std::filesystem;

class HelpWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("kumoito-help-" + std::to_string(::getpid()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    // A FIFO without a writer blocks a plain open for ever; the alarm ends
    // the run should the window open one that way again.
    ::alarm(60);
  }
  void TearDown() override {
    ::alarm(0);
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == "help") {
        w->close();
      }
    }
    QApplication::processEvents();
    fs::remove_all(m_dir);
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(m_dir / name, std::ios::binary) << text;
  }
  static QTextBrowser* Browser() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* b = qobject_cast<QTextBrowser*>(w); b && b->objectName() == "help") {
        return b;
      }
    }
    return nullptr;
  }

  fs::path m_dir;
};

TEST_F(HelpWindowTest, PagesAndTheirLinksAreRead) {
  Write("index.htm", "<html><body><p>目次</p><a href=\"en.htm\">English</a></body></html>");
  Write("en.htm", "<html><body><p>Contents</p></body></html>");
  ShowHelpWindow((m_dir / "index.htm").string(), nullptr);
  QTextBrowser* browser = Browser();
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(browser->toPlainText().contains(QString::fromUtf8("目次")));
  browser->setSource(QUrl("en.htm"));
  EXPECT_TRUE(browser->toPlainText().contains("Contents"));
}

TEST_F(HelpWindowTest, AFifoInPlaceOfAPageNeitherBlocksNorShows) {
  ASSERT_EQ(::mkfifo((m_dir / "index.htm").c_str(), 0600), 0);
  ShowHelpWindow((m_dir / "index.htm").string(), nullptr);
  QTextBrowser* browser = Browser();
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(browser->toPlainText().contains(QString::fromUtf8("ヘルプが見つかりません")));

  // A page the index links to that became a FIFO shows nothing, at once.
  fs::remove(m_dir / "index.htm");
  Write("index.htm", "<html><body><p>目次</p></body></html>");
  ASSERT_EQ(::mkfifo((m_dir / "en.htm").c_str(), 0600), 0);
  ShowHelpWindow((m_dir / "index.htm").string(), nullptr);
  browser = Browser();
  ASSERT_NE(browser, nullptr);
  browser->setSource(QUrl("en.htm"));
  EXPECT_FALSE(browser->toPlainText().contains(QString::fromUtf8("目次")));
}

// Run again by ctest on a 640 x 400 screen (test HelpWindowOnASmallScreen).
TEST_F(HelpWindowTest, TheWindowOpensInsideTheScreenAndCanBeResized) {
  Write("index.htm", "<html><body><p>目次</p></body></html>");
  ShowHelpWindow((m_dir / "index.htm").string(), nullptr);
  QTextBrowser* browser = Browser();
  ASSERT_NE(browser, nullptr);
  QApplication::processEvents();
  const QRect room = browser->screen()->availableGeometry();
  EXPECT_TRUE(room.contains(browser->frameGeometry()));
  if (room.width() >= 760 && room.height() >= 640) {
    EXPECT_EQ(browser->size(), QSize(720, 600));
  } else {
    EXPECT_LT(browser->width() * browser->height(), 720 * 600);
  }
  // Resizable both ways: no fixed size.
  EXPECT_LT(browser->minimumWidth(), browser->width());
  EXPECT_LT(browser->minimumHeight(), browser->height());
  EXPECT_GT(browser->maximumWidth(), browser->width());
  const QSize smaller = browser->size() - QSize(50, 40);
  browser->resize(smaller);
  EXPECT_EQ(browser->size(), smaller);
}

// The program's own pages: each index leads to the walk through a first
// song, in its language, and that page covers the three steps.
TEST_F(HelpWindowTest, TheIndexesLeadToTheFirstSongPage) {
  const fs::path help = KUMOITO_HELP_DIR;
  for (const auto& [index, page] :
       {std::pair{"index.htm", "first-song.htm"}, std::pair{"en.htm", "first-song-en.htm"}}) {
    SCOPED_TRACE(index);
    ShowHelpWindow((help / index).string(), nullptr);
    QTextBrowser* browser = Browser();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(browser->toHtml().contains(QString("href=\"%1\"").arg(page)));
    browser->setSource(QUrl(page));
    // The page's ideographic spaces read as plain ones in the browser.
    const QString text = browser->toPlainText().replace(QChar(0x3000), ' ');
    for (const char* step : {"ﾗｲﾌﾞﾗﾘ", "繰り返し", "速度", "出 力", "PDF"}) {
      EXPECT_TRUE(text.contains(QString::fromUtf8(step))) << step;
    }
    browser->close();
    QApplication::processEvents();
  }
}

}  // namespace
}  // namespace kumoito
