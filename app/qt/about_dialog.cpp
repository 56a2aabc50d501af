#include "app/qt/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui_text.h"
#include "render/button_picture.h"
#include "render/qt/dialog_style.h"

namespace kumoito {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromStdString(Ui::Tr("バージョン情報 Kumoito")));
  setObjectName("100");
  auto* picture = new QLabel(this);
  // Drawn at the screen's pixel ratio, so that it is sharp there too.
  picture->setPixmap(QPixmap::fromImage(AppIconImage(devicePixelRatioF())));
  auto* name = new QLabel(QString::fromUtf8(kVersionText), this);
  auto* line =
      new QLabel(QString::fromStdString(Ui::Tr("三味線の勘所譜を表示・演奏・編集します。")), this);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("1");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(line);
  auto* top = new QHBoxLayout;
  top->addWidget(picture);
  top->addLayout(texts);
  top->addWidget(ok, 0, Qt::AlignTop);
  setLayout(top);
}

}  // namespace kumoito
