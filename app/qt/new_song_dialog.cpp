#include "app/qt/new_song_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/ui_text.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QSpinBox* NumberBox(const char* name, int low, int high, int value, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(low, high);
  box->setValue(value);
  return box;
}

}  // namespace

std::optional<NewSongSettings> RunNewSongDialog(const NewSongSettings& start, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName("newSongDialog");
  dialog.setWindowTitle(Text(Ui::Tr("新規")));
  auto* tempo = NumberBox("newSongTempo", kMinTempo, kMaxTempo, start.tempo, &dialog);
  auto* beats = NumberBox("newSongBeats", kMinBeatsPerMeasure, kMaxBeatsPerMeasure,
                          start.beatsPerMeasure, &dialog);
  auto* form = new QFormLayout;
  form->addRow(Text(Ui::Tr("テンポ ♩=")), tempo);
  form->addRow(Text(Ui::Tr("1小節の拍数")), beats);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Cancel)->setText(Text(Ui::Tr("キャンセル")));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  return NewSongSettings{tempo->value(), beats->value()};
}

}  // namespace kumoito
