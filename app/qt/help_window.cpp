#include "app/qt/help_window.h"

#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace kumoito {

void ShowHelpWindow(const std::string& indexPath, QWidget* parent) {
  static QPointer<QTextBrowser> browser;
  if (browser.isNull()) {
    browser = new QTextBrowser(parent);
    browser->setWindowFlag(Qt::Window);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setObjectName("help");
    browser->setOpenExternalLinks(true);
    browser->resize(720, 600);
  }
  browser->setWindowTitle(QString::fromUtf8("Kumoito ヘルプ"));
  const QFileInfo page(QString::fromStdString(indexPath));
  if (page.isFile()) {
    browser->setSource(QUrl::fromLocalFile(page.absoluteFilePath()));
  } else {
    browser->setHtml(QString::fromUtf8("<h2>ヘルプが見つかりません</h2><p>%1 がありません。</p>")
                         .arg(page.absoluteFilePath().toHtmlEscaped()));
  }
  browser->show();
  browser->raise();
}

}  // namespace kumoito
