#pragma once
// 調弦: the tuner window. The three open strings of the tuning and 一の糸
// chosen in the main window (each a button that sounds it on the
// synthesizer), a needle in cents and the string and octave heard. It only
// shows what the tuner model (audio/tuner) makes of the audio input.
//
// Thread-safety: GUI thread; the input's thread only feeds the model.

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "audio/capture/audio_input.h"
#include "audio/tuner/tuner_model.h"
#include "midi/midi_out.h"

class QLabel;
class QPushButton;
class QTimer;

namespace kumoito {

// The needle: -50..+50 cents, green within 5.
class TunerNeedle final : public QWidget {
  Q_OBJECT
 public:
  explicit TunerNeedle(QWidget* parent);
  void SetCents(bool heard, double cents);
  double Cents() const { return m_cents; }
  QSize sizeHint() const override { return {360, 120}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool m_heard = false;
  double m_cents = 0.0;
};

class TunerDialog final : public QDialog {
  Q_OBJECT
 public:
  struct Tuning {
    std::array<int, 3> openNotes{};
    QString name;  // "本調子 C"
  };
  // Asked at each refresh, so the window follows the main window's lists.
  using TuningSource = std::function<Tuning()>;

  // input: where the sound comes from; null opens the one KUMOITO_AUDIO_IN
  // chooses (the capture device by default).
  TunerDialog(QWidget* parent, TuningSource tuning,
              std::unique_ptr<audio::AudioInput> input = nullptr);
  ~TunerDialog() override;

  // Reads the model and redraws (the timer does it 60 times a second).
  void Refresh();
  const audio::TunerModel* Model() const { return m_model.get(); }

 private:
  void SetStrings(const Tuning& tuning);
  void StartListening();
  void PlayReference(int string);
  void StopReference();

  TuningSource m_source;
  std::array<int, 3> m_open{};
  QString m_tuningName;
  std::unique_ptr<audio::AudioInput> m_input;
  std::unique_ptr<audio::TunerModel> m_model;
  midi::MidiOut m_out;
  int m_sounding = -1;  // the MIDI note of the reference tone playing
  QLabel* m_title = nullptr;
  std::array<QPushButton*, 3> m_strings{};
  TunerNeedle* m_needle = nullptr;
  QLabel* m_heard = nullptr;
  QLabel* m_status = nullptr;
  QTimer* m_refresh = nullptr;
  QTimer* m_referenceEnd = nullptr;
};

// "C3": the name of a MIDI note, octave 4 starting at middle C.
QString NoteName(int note);

}  // namespace kumoito
