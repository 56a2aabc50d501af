#include "input/qt/input_tool_window.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include "common/ui_text.h"
#include "input/input_tool.h"
#include "render/qt/dialog_style.h"

namespace kumoito {
namespace {

constexpr int kLabelLeft = 12;
constexpr int kLabelWidth = 56;
constexpr int kControlLeft = 72;
constexpr int kRowTop = 12;
constexpr int kRowStep = 30;
constexpr int kRowHeight = 24;
constexpr int kClientWidth = 224;
// Seven rows for the note, four for its marks, two for its measure.
constexpr int kClientHeight = kRowTop + 13 * kRowStep + 4;

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void AddLabel(QWidget* parent, int row, std::string_view text) {
  auto* label = new QLabel(Text(Ui::Translate(text)), parent);
  label->setGeometry(kLabelLeft, kRowTop + row * kRowStep, kLabelWidth, kRowHeight);
}

QSpinBox* AddSpinBox(QWidget* parent, int row, int id, std::string_view label) {
  AddLabel(parent, row, label);
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::number(id));
  box->setGeometry(kControlLeft, kRowTop + row * kRowStep, 72, kRowHeight);
  // A number counts once it is finished (Enter, arrows, leaving the box):
  // typing "16" into the measure count must not first cut the song to 1.
  box->setKeyboardTracking(false);
  return box;
}

template <std::size_t N>
QComboBox* AddList(QWidget* parent, int row, int id, std::string_view label, int width,
                   const std::array<std::string_view, N>& items) {
  AddLabel(parent, row, label);
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::number(id));
  box->setGeometry(kControlLeft, kRowTop + row * kRowStep, width, kRowHeight);
  for (std::string_view item : items) {
    box->addItem(Text(Ui::Translate(item)));
  }
  box->setMaxVisibleItems(static_cast<int>(N));
  return box;
}

}  // namespace

InputToolWindow::InputToolWindow(CInputDlg& logic, QWidget* parent)
    : KumoitoDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint),
      m_logic(logic) {
  setModal(false);
  setWindowTitle(Text(Ui::Tr("入力ダイアログ")));
  setFixedSize(kClientWidth, kClientHeight);
  ApplyDialogColors(*this, kInputToolBackgroundColor);

  m_measureCount = AddSpinBox(this, 0, kIdcInputMeasureCount, Ui::Mark("小節数"));
  m_measure = AddSpinBox(this, 1, kIdcInputMeasure, Ui::Mark("小節"));
  m_beat = AddSpinBox(this, 2, kIdcInputBeat, Ui::Mark("拍"));
  m_type = AddList(this, 3, kIdcInputType, Ui::Mark("種別"), 100, kInputTypeItems);
  m_string = AddList(this, 4, kIdcInputString, Ui::Mark("糸"), 100, kInputStringItems);
  m_kandokoro = AddList(this, 5, kIdcInputKandokoro, Ui::Mark("勘所"), 100, kInputKandokoroItems);
  m_noteValue = AddList(this, 6, kIdcInputNoteValue, Ui::Mark("音価"), 140, kInputNoteValueItems);
  m_technique = AddList(this, 7, kIdcInputTechnique, Ui::Mark("奏法"), 100, kInputTechniqueItems);
  m_finger = AddList(this, 8, kIdcInputFinger, Ui::Mark("指"), 60, kInputFingerItems);
  m_togetherString =
      AddList(this, 9, kIdcInputTogetherString, Ui::Mark("重音"), 62, kInputTogetherStringItems);
  m_togetherKandokoro = new QComboBox(this);
  m_togetherKandokoro->setObjectName(QString::number(kIdcInputTogetherKandokoro));
  m_togetherKandokoro->setGeometry(kControlLeft + 66, kRowTop + 9 * kRowStep, 72, kRowHeight);
  for (std::string_view item : kInputKandokoroItems) {
    m_togetherKandokoro->addItem(Text(item));
  }
  AddLabel(this, 10, Ui::Mark("口三味線"));
  m_syllable = new QLineEdit(this);
  m_syllable->setObjectName(QString::number(kIdcInputSyllable));
  m_syllable->setGeometry(kControlLeft, kRowTop + 10 * kRowStep, 100, kRowHeight);
  m_syllable->setToolTip(Text(Ui::Tr("空欄で自動、- で無音")));
  m_repeat = AddList(this, 11, kIdcInputRepeat, Ui::Mark("反復"), 140, kInputRepeatItems);
  m_ending = AddList(this, 12, kIdcInputEnding, Ui::Mark("括弧"), 60, kInputEndingItems);
  for (QSpinBox* box : {m_measureCount, m_measure, m_beat}) {
    box->installEventFilter(this);
  }
  m_syllable->installEventFilter(this);

  // The logic was initialised by its owner before the first score opened;
  // initialising it here again would drop that song and its ranges.
  m_logic.SetStateChangedCallback([this] { Refresh(); });
  Refresh();

  // Refresh() blocks these signals, so only the user's own changes arrive.
  connect(m_measureCount, &QSpinBox::valueChanged, this,
          [this](int v) { m_logic.OnMeasureCountChanged(v); });
  connect(m_measure, &QSpinBox::valueChanged, this, [this](int v) { m_logic.OnMeasureChanged(v); });
  connect(m_beat, &QSpinBox::valueChanged, this, [this](int v) { m_logic.OnBeatChanged(v); });
  connect(m_type, &QComboBox::currentIndexChanged, this,
          [this](int i) { m_logic.OnTypeSelected(i); });
  connect(m_string, &QComboBox::currentIndexChanged, this,
          [this](int i) { m_logic.OnStringSelected(i); });
  connect(m_kandokoro, &QComboBox::currentIndexChanged, this,
          [this](int i) { m_logic.OnKandokoroSelected(i); });
  connect(m_technique, &QComboBox::currentIndexChanged, this,
          [this](int i) { m_logic.OnTechniqueSelected(i); });
  connect(m_finger, &QComboBox::currentIndexChanged, this,
          [this](int i) { m_logic.OnFingerSelected(i); });
  connect(m_togetherString, &QComboBox::currentIndexChanged, this, [this](int i) {
    m_logic.OnTogetherChanged(i, std::max(m_togetherKandokoro->currentIndex(), 1));
  });
  connect(m_togetherKandokoro, &QComboBox::currentIndexChanged, this,
          [this](int i) { m_logic.OnTogetherChanged(m_togetherString->currentIndex(), i); });
  // Taken when finished (Enter or leaving the box), one step for the word.
  connect(m_syllable, &QLineEdit::editingFinished, this,
          [this] { m_logic.OnSyllableEdited(m_syllable->text().trimmed().toStdString()); });
  connect(m_repeat, &QComboBox::currentIndexChanged, this,
          [this](int i) { m_logic.OnRepeatSelected(i); });
  connect(m_ending, &QComboBox::currentIndexChanged, this,
          [this](int i) { m_logic.OnEndingSelected(i); });
  // The note value has no handler: a pick stays shown until the next
  // position or note is chosen.
}

InputToolWindow::~InputToolWindow() {
  m_logic.SetStateChangedCallback(nullptr);
}

bool InputToolWindow::eventFilter(QObject* watched, QEvent* event) {
  // Enter in a number box takes its number (in the syllable box, its text)
  // and goes no further: the window would take it as its default button and
  // close.
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    auto* box = qobject_cast<QSpinBox*>(watched);
    if (box != nullptr && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      box->interpretText();
      box->selectAll();
      return true;
    }
    if (watched == m_syllable && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      m_logic.OnSyllableEdited(m_syllable->text().trimmed().toStdString());
      m_syllable->selectAll();
      return true;
    }
  }
  // Ctrl+Z and Ctrl+Y undo the song here, not the text of a number box.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    if (pressed == QKeySequence(Qt::CTRL | Qt::Key_Z) ||
        pressed == QKeySequence(Qt::CTRL | Qt::Key_Y) ||
        pressed == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)) {
      event->ignore();
      return true;
    }
  }
  return KumoitoDialog::eventFilter(watched, event);
}

void InputToolWindow::Refresh() {
  // Only the user's own changes may reach the logic, not these.
  std::vector<QSignalBlocker> blockers;
  for (QObject* control : std::initializer_list<QObject*>{
           m_measureCount, m_measure, m_beat, m_type, m_string, m_kandokoro, m_noteValue,
           m_technique, m_finger, m_togetherString, m_togetherKandokoro, m_repeat, m_ending,
           m_syllable}) {
    blockers.emplace_back(control);
  }
  m_measureCount->setRange(kInputMinMeasureCount, m_logic.MeasureCountHigh());
  m_measureCount->setValue(m_logic.MeasureCount());
  m_measure->setRange(m_logic.MeasureLow(), m_logic.MeasureHigh());
  m_measure->setValue(m_logic.Measure());
  m_beat->setRange(1, kInputBeatPositions);
  m_beat->setValue(m_logic.Beat());
  m_type->setCurrentIndex(m_logic.TypeIndex());
  m_string->setCurrentIndex(m_logic.StringIndex());
  m_kandokoro->setCurrentIndex(m_logic.KandokoroIndex());
  m_noteValue->setCurrentIndex(m_logic.NoteValueIndex());
  m_technique->setCurrentIndex(m_logic.TechniqueIndex());
  m_finger->setCurrentIndex(m_logic.FingerIndex());
  m_togetherString->setCurrentIndex(m_logic.TogetherStringIndex());
  m_togetherKandokoro->setCurrentIndex(m_logic.TogetherKandokoroIndex());
  m_repeat->setCurrentIndex(m_logic.RepeatIndex());
  m_ending->setCurrentIndex(m_logic.EndingIndex());
  m_syllable->setText(Text(m_logic.SyllableText()));
  m_syllable->setPlaceholderText(Text(m_logic.RuleSyllableText()));
  m_syllable->setEnabled(m_logic.SyllableEnabled());
  const bool enabled = m_logic.ListsEnabled();
  m_string->setEnabled(enabled);
  m_kandokoro->setEnabled(enabled);
  m_noteValue->setEnabled(enabled);
  m_finger->setEnabled(enabled);
  m_togetherString->setEnabled(enabled);
  m_togetherKandokoro->setEnabled(enabled && m_logic.TogetherStringIndex() != 0);
}

}  // namespace kumoito
