#include "app/qt/settings_dialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/ui_text.h"
#include "midi/midi_in_alsa.h"
#include "midi/midi_out_backends.h"

namespace kumoito {
namespace {

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

// The list's rows in the order of LanguageChoice.
// Each language names itself, so that a user lost in the other one finds it.
constexpr const char* kLanguageItems[] = {Ui::Mark("システムに合わせる"), "日本語", "English"};

// Rows in the order of Preferences::techniquesAbove (false, true).
constexpr const char* kTechniqueStyleItems[] = {Ui::Mark("下 (音価の線の下に片仮名)"),
                                                Ui::Mark("上 (数字の上に記号)")};

QSpinBox* PercentBox(const char* name, int low, int high, int value, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(low, high);
  box->setSingleStep(10);
  box->setSuffix(" %");
  box->setValue(value);
  return box;
}

// The keyboards' list: the first that appears, none, the ports there are
// now, and the chosen one when it is not plugged in (it is kept, not lost).
QComboBox* MidiInputList(const std::string& chosen, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName("settingsMidiInput");
  list->addItem(Text(Ui::Tr("最初に見つかったキーボード")), QString(kMidiInputFirst));
  list->addItem(
      Text(Ui::Tr("使わない")),
      QString::fromUtf8(midi::kMidiInOff.data(), static_cast<qsizetype>(midi::kMidiInOff.size())));
  for (const midi::MidiInPortInfo& port : midi::ListAlsaMidiInputs()) {
    list->addItem(Text(port.name), Text(port.name));
  }
  int index = list->findData(Text(chosen));
  if (index < 0) {
    list->addItem(Text(Ui::Format(Ui::Tr("%1 (接続されていません)"), {chosen})), Text(chosen));
    index = list->count() - 1;
  }
  list->setCurrentIndex(index);
  return list;
}

}  // namespace

CSettingsDlg::CSettingsDlg(const SettingsChoice& current, QWidget* parent)
    : QDialog(parent), m_start(current) {
  setWindowTitle(Text(Ui::Tr("設定")));
  setObjectName("settingsDialog");
  const Preferences& p = current.preferences;

  m_lyrics = new QCheckBox(Text(Ui::Tr("歌詞を表示する")), this);
  m_lyrics->setObjectName("settingsLyrics");
  m_lyrics->setChecked(current.lyricsShown);
  m_titleBand = new QCheckBox(Text(Ui::Tr("書き出す画像に題名の帯を付ける")), this);
  m_titleBand->setObjectName("settingsTitleBand");
  m_titleBand->setChecked(current.titleBand);
  // The window's rows and the PDF and SVG pages.
  m_measureNumbers = new QCheckBox(Text(Ui::Tr("小節番号を表示する")), this);
  m_measureNumbers->setObjectName("settingsMeasureNumbers");
  m_measureNumbers->setChecked(p.measureNumbers);
  m_imageMeasureNumbers =
      new QCheckBox(Text(Ui::Tr("書き出す画像 (BMP/PNG/JPEG) にも小節番号を付ける")), this);
  m_imageMeasureNumbers->setObjectName("settingsImageMeasureNumbers");
  m_imageMeasureNumbers->setChecked(p.imageMeasureNumbers);
  m_kuchijamisen = new QCheckBox(Text(Ui::Tr("口三味線を表示する")), this);
  m_kuchijamisen->setObjectName("settingsKuchijamisen");
  m_kuchijamisen->setChecked(p.kuchijamisen);
  m_printKuchijamisen = new QCheckBox(Text(Ui::Tr("印刷用の PDF に口三味線を付ける")), this);
  m_printKuchijamisen->setObjectName("settingsPrintKuchijamisen");
  m_printKuchijamisen->setChecked(p.printKuchijamisen);

  m_techniqueStyle = new QComboBox(this);
  m_techniqueStyle->setObjectName("settingsTechniqueStyle");
  for (const char* item : kTechniqueStyleItems) {
    m_techniqueStyle->addItem(Text(Ui::Translate(item)));
  }
  m_techniqueStyle->setCurrentIndex(p.techniquesAbove ? 1 : 0);

  m_language = new QComboBox(this);
  m_language->setObjectName("settingsLanguage");
  for (const char* item : kLanguageItems) {
    m_language->addItem(Text(Ui::Translate(item)));
  }
  m_language->setCurrentIndex(static_cast<int>(p.language));

  m_soundFont = new QLineEdit(QString::fromStdString(p.soundFont), this);
  m_soundFont->setObjectName("settingsSoundFont");
  m_soundFont->setPlaceholderText(Text(midi::kDefaultSoundFont));
  auto* browse = new QPushButton(Text(Ui::Tr("参照...")), this);
  browse->setObjectName("settingsSoundFontBrowse");
  connect(browse, &QPushButton::clicked, this, &CSettingsDlg::ChooseSoundFont);
  auto* fontRow = new QHBoxLayout;
  fontRow->addWidget(m_soundFont, 1);
  fontRow->addWidget(browse);

  m_volume = PercentBox("settingsVolume", kMinVolume, kMaxVolume, p.volume, this);
  m_countInLevel = PercentBox("settingsCountInLevel", 0, kMaxCountInLevel, p.countInLevel, this);
  m_countInLevel->setSpecialValueText(Text(Ui::Tr("無音")));

  m_midiInput = MidiInputList(p.midiInput, this);

  auto* form = new QFormLayout;
  form->addRow(m_lyrics);
  form->addRow(m_titleBand);
  form->addRow(m_measureNumbers);
  form->addRow(m_imageMeasureNumbers);
  form->addRow(Text(Ui::Tr("奏法の位置")), m_techniqueStyle);
  form->addRow(m_kuchijamisen);
  form->addRow(m_printKuchijamisen);
  form->addRow(Text(Ui::Tr("言語（次の起動から）")), m_language);
  form->addRow(Text(Ui::Tr("音色ファイル")), fontRow);
  form->addRow(Text(Ui::Tr("音量")), m_volume);
  form->addRow(Text(Ui::Tr("カウントの音量")), m_countInLevel);
  form->addRow(Text(Ui::Tr("MIDI キーボード")), m_midiInput);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(Text(Ui::Tr("キャンセル")));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

SettingsChoice CSettingsDlg::Choice() const {
  SettingsChoice choice = m_start;
  choice.lyricsShown = m_lyrics->isChecked();
  choice.titleBand = m_titleBand->isChecked();
  Preferences& p = choice.preferences;
  p.measureNumbers = m_measureNumbers->isChecked();
  p.imageMeasureNumbers = m_imageMeasureNumbers->isChecked();
  p.techniquesAbove = m_techniqueStyle->currentIndex() == 1;
  p.kuchijamisen = m_kuchijamisen->isChecked();
  p.printKuchijamisen = m_printKuchijamisen->isChecked();
  p.language = static_cast<LanguageChoice>(std::max(m_language->currentIndex(), 0));
  p.soundFont = m_soundFont->text().trimmed().toStdString();
  p.volume = m_volume->value();
  p.countInLevel = m_countInLevel->value();
  p.midiInput = m_midiInput->currentData().toString().toStdString();
  return choice;
}

void CSettingsDlg::ChooseSoundFont() {
  QFileDialog dialog(this, Text(Ui::Tr("音色ファイル")));
  dialog.setObjectName("soundFontDialog");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(
      {Text(Ui::Tr("音色ファイル (*.sf2 *.sf3)")), Text(Ui::Tr("すべてのファイル (*)"))});
  const QString shown = m_soundFont->text().trimmed().isEmpty() ? Text(midi::kDefaultSoundFont)
                                                                : m_soundFont->text().trimmed();
  dialog.setDirectory(QFileInfo(shown).absolutePath());
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    m_soundFont->setText(dialog.selectedFiles().first());
  }
}

}  // namespace kumoito
