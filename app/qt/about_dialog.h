#pragma once
// The About box: the program's icon, name and version. GUI thread only.

#include <QDialog>

namespace kumoito {

inline constexpr const char* kVersionText = "Kumoito, Version 1.0";

class CAboutDlg final : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent);
};

}  // namespace kumoito
