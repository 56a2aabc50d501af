#include "app/qt/help_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTextBrowser>
#include <filesystem>
#include <fstream>

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

}  // namespace
}  // namespace kumoito
