#include "app/qt/help_window.h"

#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <system_error>

#include "common/file_util.h"

namespace kumoito {
namespace {

// Help pages and their pictures are ours, but the folder they sit in is the
// user's: a page replaced by a FIFO or a huge file must not hang or swamp the
// window, so every local resource comes through the program's safe reader.
constexpr std::size_t kHelpResourceLimit = 8 * 1024 * 1024;

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

}  // namespace

void ShowHelpWindow(const std::string& indexPath, QWidget* parent) {
  static QPointer<QTextBrowser> browser;
  if (browser.isNull()) {
    browser = new HelpBrowser(parent);
    browser->setWindowFlag(Qt::Window);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setObjectName("help");
    browser->setOpenExternalLinks(true);
    browser->resize(720, 600);
  }
  browser->setWindowTitle(QString::fromUtf8("Kumoito ヘルプ"));
  const QFileInfo page(QString::fromStdString(indexPath));
  std::error_code why;
  if (RegularFileSize(indexPath, why)) {
    browser->setSource(QUrl::fromLocalFile(page.absoluteFilePath()));
  } else {
    browser->setHtml(QString::fromUtf8("<h2>ヘルプが見つかりません</h2><p>%1 がありません。</p>")
                         .arg(page.absoluteFilePath().toHtmlEscaped()));
  }
  browser->show();
  browser->raise();
}

}  // namespace kumoito
