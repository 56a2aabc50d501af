#include "app/qt/tuner_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "common/ui_text.h"
#include "midi/performance.h"

namespace kumoito {
namespace {

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

// Within this the string is in tune and the needle turns green.
constexpr double kInTuneCents = 5.0;
constexpr int kReferenceMilliseconds = 2500;

}  // namespace

QString NoteName(int note) {
  static const char* const kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                       "F#", "G",  "G#", "A",  "A#", "B"};
  return QString("%1%2").arg(kNames[((note % 12) + 12) % 12]).arg(note / 12 - 1);
}

TunerNeedle::TunerNeedle(QWidget* parent) : QWidget(parent) {
  setObjectName("tunerNeedle");
  setMinimumSize(300, 100);
}

void TunerNeedle::SetCents(bool heard, double cents) {
  m_heard = heard;
  m_cents = std::clamp(cents, -50.0, 50.0);
  update();
}

void TunerNeedle::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), palette().base());
  const double margin = 20.0;
  const double left = margin;
  const double right = width() - margin;
  const double baseline = height() - 24.0;
  auto xOf = [&](double cents) { return left + (cents + 50.0) / 100.0 * (right - left); };
  painter.setPen(palette().text().color());
  for (int c = -50; c <= 50; c += 10) {
    const double x = xOf(c);
    const double tick = c == 0 ? 24.0 : (c % 50 == 0 ? 16.0 : 8.0);
    painter.drawLine(QPointF(x, baseline), QPointF(x, baseline - tick));
    if (c % 50 == 0) {
      painter.drawText(QRectF(x - 20, baseline + 2, 40, 18), Qt::AlignCenter, QString::number(c));
    }
  }
  painter.drawLine(QPointF(left, baseline), QPointF(right, baseline));
  if (!m_heard) {
    return;
  }
  const QColor colour =
      std::abs(m_cents) <= kInTuneCents ? QColor(0, 160, 60) : QColor(210, 60, 40);
  painter.setPen(QPen(colour, 3));
  const double x = xOf(m_cents);
  painter.drawLine(QPointF(x, baseline), QPointF(x, 8));
}

TunerDialog::TunerDialog(QWidget* parent, TuningSource tuning,
                         std::unique_ptr<audio::AudioInput> input)
    : QDialog(parent), m_source(std::move(tuning)), m_input(std::move(input)) {
  setObjectName("tunerDialog");
  setWindowTitle(Text(Ui::Tr("調弦")));
  auto* layout = new QVBoxLayout(this);
  m_title = new QLabel(this);
  m_title->setObjectName("tunerTitle");
  layout->addWidget(m_title);
  auto* row = new QHBoxLayout;
  for (int s = 0; s < 3; ++s) {
    m_strings[s] = new QPushButton(this);
    m_strings[s]->setObjectName(QString("tunerString%1").arg(s + 1));
    m_strings[s]->setCheckable(true);
    m_strings[s]->setToolTip(Text(Ui::Tr("押すと基準の音が鳴ります")));
    connect(m_strings[s], &QPushButton::clicked, this, [this, s] { PlayReference(s); });
    row->addWidget(m_strings[s]);
  }
  layout->addLayout(row);
  m_needle = new TunerNeedle(this);
  layout->addWidget(m_needle);
  m_heard = new QLabel(this);
  m_heard->setObjectName("tunerHeard");
  m_heard->setAlignment(Qt::AlignCenter);
  QFont big = m_heard->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  m_heard->setFont(big);
  layout->addWidget(m_heard);
  m_status = new QLabel(this);
  m_status->setObjectName("tunerStatus");
  m_status->setWordWrap(true);
  layout->addWidget(m_status);
  m_refresh = new QTimer(this);
  m_refresh->setInterval(16);
  connect(m_refresh, &QTimer::timeout, this, &TunerDialog::Refresh);
  m_referenceEnd = new QTimer(this);
  m_referenceEnd->setSingleShot(true);
  connect(m_referenceEnd, &QTimer::timeout, this, &TunerDialog::StopReference);
  SetStrings(m_source());
  StartListening();
}

TunerDialog::~TunerDialog() {
  // The input's thread feeds the model: it stops before the model goes.
  if (m_input) {
    m_input->Stop();
  }
  StopReference();
  midi::CloseMidiOut(m_out);
}

void TunerDialog::SetStrings(const Tuning& tuning) {
  m_open = tuning.openNotes;
  m_tuningName = tuning.name;
  m_title->setText(Text(Ui::Format(Ui::Tr("%1 の三本の糸"), {tuning.name.toStdString()})));
  for (int s = 0; s < 3; ++s) {
    m_strings[s]->setText(Text(Ui::Format(
        Ui::Tr("%1の糸 %2"), {std::to_string(s + 1), NoteName(m_open[s]).toStdString()})));
  }
  if (m_model) {
    m_model->SetStrings(m_open);
  }
}

void TunerDialog::StartListening() {
  std::string why;
  if (!m_input) {
    m_input = audio::OpenAudioInput(why);
  }
  if (m_input) {
    m_model = std::make_unique<audio::TunerModel>(m_input->SampleRate(), m_open);
    audio::TunerModel* model = m_model.get();
    if (m_input->Start([model](const float* samples, std::size_t n) { model->Feed(samples, n); },
                       why)) {
      m_refresh->start();
      return;
    }
    m_input.reset();
  }
  m_status->setText(Text(why));
}

void TunerDialog::Refresh() {
  const Tuning now = m_source();
  if (now.openNotes != m_open || now.name != m_tuningName) {
    SetStrings(now);
  }
  if (!m_model) {
    m_heard->setText(Text(Ui::Tr("音を聞けません")));
    m_needle->SetCents(false, 0.0);
    return;
  }
  const audio::TunerReading r = m_model->Latest();
  m_needle->SetCents(r.heard, r.cents);
  for (int s = 0; s < 3; ++s) {
    m_strings[s]->setChecked(m_sounding == m_open[s] || (r.heard && r.string == s));
  }
  if (!r.heard) {
    m_heard->setText(Text(Ui::Tr("糸を弾いてください")));
    return;
  }
  QString octave;
  if (r.octave > 0) {
    octave = Text(Ui::Format(Ui::Tr("(%1 オクターブ上)"), {std::to_string(r.octave)}));
  } else if (r.octave < 0) {
    octave = Text(Ui::Format(Ui::Tr("(%1 オクターブ下)"), {std::to_string(-r.octave)}));
  }
  const long cents = std::lround(r.cents);
  m_heard->setText(
      Text(Ui::Format(Ui::Tr("%1の糸 %2 %3 セント %4"),
                      {std::to_string(r.string + 1),
                       NoteName(m_open[r.string] + 12 * r.octave).toStdString(),
                       (cents > 0 ? "+" : "") + std::to_string(cents), octave.toStdString()}))
          .trimmed());
}

void TunerDialog::PlayReference(int string) {
  StopReference();
  if (!m_out.handle) {
    midi::OpenMidiOut(m_out);
  }
  if (!m_out.handle) {
    m_status->setText(Text(midi::WhyNoMidiOutput()));
    return;
  }
  midi::SendProgramChange(midi::kShamisenProgram, 0, m_out);
  m_sounding = m_open[string];
  midi::SendNoteOn(m_sounding, 100, 0, m_out);
  m_referenceEnd->start(kReferenceMilliseconds);
  Refresh();
}

void TunerDialog::StopReference() {
  if (m_sounding >= 0 && m_out.handle) {
    midi::SendNoteOff(m_sounding, 0, m_out);
  }
  m_sounding = -1;
}

}  // namespace kumoito
