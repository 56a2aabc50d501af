#include "app/qt/help_window.h"

#include <QFileInfo>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <system_error>

#include "app/window_placement.h"
#include "common/file_util.h"
#include "common/ui_text.h"

namespace kumoito {
namespace {

// Help pages and their pictures are ours, but the folder they sit in is the
// user's: a page replaced by a FIFO or a huge file must not hang or swamp the
// window, so every local resource comes through the program's safe reader.
constexpr std::size_t kHelpResourceLimit = 8 * 1024 * 1024;
constexpr int kPreferredWidth = 720;
constexpr int kPreferredHeight = 600;
// Small enough for any screen, large enough to read a paragraph.
constexpr int kMinimumWidth = 240;
constexpr int kMinimumHeight = 160;

class HelpBrowser final : public QTextBrowser {
 public:
  using QTextBrowser::QTextBrowser;

  QVariant loadResource(int type, const QUrl& name) override {
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (!url.isLocalFile()) {
      return QTextBrowser::loadResource(type, name);
    }
    std::error_code why;
    const auto bytes = ReadWholeFile(url.toLocalFile().toStdString(), kHelpResourceLimit, why);
    if (!bytes) {
      return {};
    }
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
  }
};

// The first opening fits the window on the screen the program is on; the
// user may resize it freely from there.
void PlaceOnScreen(QWidget& browser, const QWidget* parent, QSize decorations) {
  const QScreen* screen = parent != nullptr ? parent->screen() : browser.screen();
  if (screen == nullptr) {
    browser.resize(kPreferredWidth, kPreferredHeight);
    return;
  }
  const QRect room = screen->availableGeometry();
  const Rect at = FitWindowInside(
      Rect{room.left(), room.top(), room.left() + room.width(), room.top() + room.height()},
      kPreferredWidth, kPreferredHeight, decorations.width(), decorations.height(), kMinimumWidth,
      kMinimumHeight);
  browser.setMinimumSize(kMinimumWidth, kMinimumHeight);
  browser.resize(at.Width(), at.Height());
  browser.move(at.left, at.top);
}

}  // namespace

void ShowHelpWindow(const std::string& indexPath, QWidget* parent) {
  static QPointer<QTextBrowser> browser;
  if (browser.isNull()) {
    browser = new HelpBrowser(parent);
    browser->setWindowFlag(Qt::Window);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setObjectName("help");
    browser->setOpenExternalLinks(true);
    // Not framed yet: the main window's decorations are the best guess.
    QSize decorations(0, 0);
    if (parent != nullptr && parent->isVisible()) {
      decorations = parent->frameGeometry().size() - parent->geometry().size();
    }
    PlaceOnScreen(*browser, parent, decorations);
    browser->show();
    // Framed now: a frame larger than guessed must not push it off the screen.
    const QSize framed = browser->frameGeometry().size() - browser->geometry().size();
    if (framed != decorations) {
      PlaceOnScreen(*browser, parent, framed);
    }
  }
  browser->setWindowTitle(QString::fromStdString(Ui::Tr("Kumoito ヘルプ")));
  const QFileInfo page(QString::fromStdString(indexPath));
  std::error_code why;
  if (RegularFileSize(indexPath, why)) {
    browser->setSource(QUrl::fromLocalFile(page.absoluteFilePath()));
  } else {
    browser->setHtml(
        QString::fromStdString(Ui::Tr("<h2>ヘルプが見つかりません</h2><p>%1 がありません。</p>"))
            .arg(page.absoluteFilePath().toHtmlEscaped()));
  }
  browser->show();
  browser->raise();
}

}  // namespace kumoito
