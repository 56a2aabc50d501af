// The entry point of the window module: the Qt application, the message
// boxes and the main window for an interactive start.

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/qt/main_window_widget.h"
#include "app/qt/session_end.h"
#include "app/qt/translations.h"
#include "app/window_module.h"
#include "common/file_util.h"
#include "common/message_box.h"

extern "C" __attribute__((visibility("default"))) int kumoito_run_window(
    int abi, int& argc, char** argv, const kumoito::CKumoitoDlg::Options& options) {
  using namespace kumoito;
  if (abi != kWindowModuleAbi) {
    std::fputs("kumoito: the window module is of another build of the program\n", stderr);
    return 1;
  }
  QApplication app(argc, argv);
  const std::string translations = JoinPath(options.startupFolder, kTranslationsFolder);
  if (!InstallUiLanguage(app, options.language, translations) &&
      options.language != UiLanguage::kJapanese) {
    std::fprintf(stderr, "kumoito: no %s translation in %s\n",
                 std::string(LanguageCode(options.language)).c_str(), translations.c_str());
  }
  SetMessageBoxSink([](std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, "Kumoito",
                    QString::fromUtf8(text.data(), static_cast<int>(text.size())), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
  });
  {
    KumoitoWindow window(options);
    SessionEndWatcher sessionEnd;
    QObject::connect(&sessionEnd, &SessionEndWatcher::ended, &window, &KumoitoWindow::EndSession);
    window.show();
    if (window.Start() == CKumoitoDlg::StartResult::kInteractive) {
      window.exec();
    }
  }
  SetMessageBoxSink(nullptr);
  RemoveUiLanguage();
  return 0;
}
