#include "input/qt/song_info_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "common/message_box.h"
#include "common/sjis.h"
#include "common/ui_text.h"
#include "render/qt/dialog_style.h"
#include "render/qt/offscreen_widget.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

constexpr int kClientWidth = 320;
constexpr int kClientHeight = 208;
constexpr Rect kUpdateButtonRect{220, 166, 308, 196};

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QLineEdit* AddEdit(QWidget* parent, int row, int id, std::string_view label,
                   const std::string& text) {
  const int top = 16 + row * 36;
  auto* caption = new QLabel(Text(Ui::Translate(label)), parent);
  caption->setGeometry(12, top, 76, 24);
  auto* edit = new QLineEdit(Text(text), parent);
  edit->setObjectName(QString::number(id));
  edit->setGeometry(92, top, 216, 24);
  return edit;
}

// A number box on the row under the texts, its caption before it.
QSpinBox* AddNumber(QWidget* parent, int left, int id, std::string_view label, int low, int high,
                    int value) {
  constexpr int kTop = 124;
  auto* caption = new QLabel(Text(Ui::Translate(label)), parent);
  caption->setGeometry(left, kTop, 76, 24);
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::number(id));
  box->setRange(low, high);
  box->setValue(value);
  box->setGeometry(left + 80, kTop, 64, 24);
  return box;
}

}  // namespace

CSongInfoDlg::CSongInfoDlg(CSongData& song, QWidget* parent) : KumoitoDialog(parent), m_edit(song) {
  setWindowTitle(Text(Ui::Tr("曲情報")));
  setFixedSize(kClientWidth, kClientHeight);
  ApplyDialogColors(*this, kDialogBackgroundColor);

  m_buttonWidget = new OffScreenWidget(m_buttonControl, this);
  m_buttonWidget->setObjectName(QString::number(kIdcInfoButton));
  // The button's picture at the screen's pixel ratio.
  m_buttons.SetScale(devicePixelRatioF());
  m_buttons.CreateButtonGroup(
      m_buttonControl, kUpdateButtonRect, Utf8ToCp932(Ui::Tr("   更　新")).value_or(""),
      kNormalFaceId, kPressedFaceId, -1, [this](int command) { OnInfoButton(command); },
      [](int) {});
  m_buttonControl.m_id = kInfoUpdateCommand;
  m_buttons.PresentAllButtons();

  m_title = AddEdit(this, 0, kIdcInfoTitle, Ui::Mark("曲タイトル"), m_edit.Title());
  m_lyricist = AddEdit(this, 1, kIdcInfoLyricist, Ui::Mark("作詞"), m_edit.Lyricist());
  m_composer = AddEdit(this, 2, kIdcInfoComposer, Ui::Mark("作曲"), m_edit.Composer());
  m_tempo = AddNumber(this, 12, kIdcInfoTempo, Ui::Mark("テンポ ♩="), kMinTempo, kMaxTempo,
                      m_edit.Tempo());
  m_beats = AddNumber(this, 164, kIdcInfoBeats, Ui::Mark("1小節の拍数"), kMinBeatsPerMeasure,
                      kMaxBeatsPerMeasure, m_edit.BeatsPerMeasure());
}

CSongInfoDlg::~CSongInfoDlg() {
  m_buttons.ReleaseAllButtons();
  // The widget refers to the control, a member that goes before the
  // children would.
  delete m_buttonWidget;
}

void CSongInfoDlg::OnInfoButton(int command) {
  if (command != kInfoUpdateCommand) {
    return;
  }
  // Checked before anything is stored: a refused metre leaves the dialog
  // open with every edit still in it.
  if (!m_edit.BeatsFit(m_beats->value())) {
    ShowMessageBox(Ui::Tr("この拍数では曲が入りきりません。曲を短くしてから変えてください。"));
    return;
  }
  m_edit.Store(m_title->text().toStdString(), m_lyricist->text().toStdString(),
               m_composer->text().toStdString());
  m_edit.StoreMetre(m_tempo->value(), m_beats->value());
  accept();
}

}  // namespace kumoito
