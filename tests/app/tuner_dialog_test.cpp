#include "app/qt/tuner_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace kumoito {
namespace {

// An input that hands its samples over as soon as it starts, on the
// caller's thread: the model has heard all of it when Start returns.
class FixedInput final : public audio::AudioInput {
 public:
  explicit FixedInput(std::vector<float> samples) : m_samples(std::move(samples)) {}
  double SampleRate() const override { return 48000.0; }
  bool Start(Sink sink, std::string&) override {
    for (std::size_t at = 0; at < m_samples.size(); at += 240) {
      sink(m_samples.data() + at, std::min<std::size_t>(240, m_samples.size() - at));
    }
    return true;
  }
  void Stop() override {}

 private:
  std::vector<float> m_samples;
};

std::vector<float> Tone(double hz, double seconds) {
  std::vector<float> x(static_cast<std::size_t>(seconds * 48000));
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double t = static_cast<double>(i) / 48000.0;
    x[i] = static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * hz * t) +
                              0.2 * std::sin(4 * std::numbers::pi * hz * t));
  }
  return x;
}

QString TextOf(const QDialog& dialog, const char* name) {
  return dialog.findChild<QLabel*>(name)->text();
}

TEST(TunerDialogTest, ShowsTheTuningsStringsAndWhatItHears) {
  TunerDialog::Tuning hon{{48, 53, 60}, QString::fromUtf8("本調子 C")};
  // F3 twelve cents sharp.
  TunerDialog dialog(
      nullptr, [&] { return hon; },
      std::make_unique<FixedInput>(Tone(174.61 * std::exp2(12.0 / 1200), 0.5)));
  dialog.Refresh();
  EXPECT_EQ(dialog.findChild<QPushButton*>("tunerString1")->text(), QString::fromUtf8("1の糸 C3"));
  EXPECT_EQ(dialog.findChild<QPushButton*>("tunerString2")->text(), QString::fromUtf8("2の糸 F3"));
  EXPECT_EQ(dialog.findChild<QPushButton*>("tunerString3")->text(), QString::fromUtf8("3の糸 C4"));
  EXPECT_EQ(TextOf(dialog, "tunerHeard"), QString::fromUtf8("2の糸 F3 +12 セント"));
  EXPECT_TRUE(dialog.findChild<QPushButton*>("tunerString2")->isChecked());
  EXPECT_FALSE(dialog.findChild<QPushButton*>("tunerString1")->isChecked());
  EXPECT_NEAR(dialog.findChild<TunerNeedle*>("tunerNeedle")->Cents(), 12.0, 1.0);

  // 三下り at D in the main window: the window follows at its next refresh.
  hon = {{50, 55, 60}, QString::fromUtf8("三下り D")};
  dialog.Refresh();
  EXPECT_EQ(dialog.findChild<QPushButton*>("tunerString3")->text(), QString::fromUtf8("3の糸 C4"));
  EXPECT_EQ(dialog.findChild<QPushButton*>("tunerString1")->text(), QString::fromUtf8("1の糸 D3"));
  EXPECT_TRUE(TextOf(dialog, "tunerTitle").contains(QString::fromUtf8("三下り D")));
}

TEST(TunerDialogTest, AnOctaveBelowIsSaid) {
  const TunerDialog::Tuning hon{{48, 53, 60}, QString::fromUtf8("本調子 C")};
  TunerDialog dialog(
      nullptr, [&] { return hon; }, std::make_unique<FixedInput>(Tone(65.41, 0.5)));
  dialog.Refresh();
  EXPECT_EQ(TextOf(dialog, "tunerHeard"), QString::fromUtf8("1の糸 C2 0 セント (1 オクターブ下)"));
}

TEST(TunerDialogTest, NoInputIsSaidAndNothingBreaks) {
  ::setenv("KUMOITO_AUDIO_IN", "none", 1);
  ::setenv("KUMOITO_MIDI_OUT", "none", 1);
  const TunerDialog::Tuning hon{{48, 53, 60}, QString::fromUtf8("本調子 C")};
  {
    TunerDialog dialog(nullptr, [&] { return hon; });
    dialog.Refresh();
    EXPECT_TRUE(TextOf(dialog, "tunerStatus").contains("KUMOITO_AUDIO_IN"));
    EXPECT_EQ(TextOf(dialog, "tunerHeard"), QString::fromUtf8("音を聞けません"));
    // A reference tone without an output says why instead.
    dialog.findChild<QPushButton*>("tunerString1")->click();
    EXPECT_FALSE(TextOf(dialog, "tunerStatus").contains("KUMOITO_AUDIO_IN"));
    EXPECT_FALSE(TextOf(dialog, "tunerStatus").isEmpty());
  }
  // The capture device of this machine, whatever it has: either it listens
  // or the dialog says why.
  ::setenv("KUMOITO_AUDIO_IN", "default", 1);
  {
    TunerDialog dialog(nullptr, [&] { return hon; });
    dialog.Refresh();
    EXPECT_TRUE(dialog.Model() != nullptr || !TextOf(dialog, "tunerStatus").isEmpty());
  }
  ::unsetenv("KUMOITO_AUDIO_IN");
  ::unsetenv("KUMOITO_MIDI_OUT");
}

}  // namespace
}  // namespace kumoito
