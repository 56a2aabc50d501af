#pragma once
// The 設定 dialog: shows a SettingsChoice and gives back what the user left
// in it; the main window's logic applies and stores it. It lists the MIDI
// keyboards there are as it opens. GUI thread only.

#include <QDialog>

#include "app/main_window.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace kumoito {

class CSettingsDlg final : public QDialog {
  Q_OBJECT
 public:
  CSettingsDlg(const SettingsChoice& current, QWidget* parent);
  SettingsChoice Choice() const;

 private:
  void ChooseSoundFont();

  SettingsChoice m_start;  // what the dialog does not show stays as it was
  QCheckBox* m_lyrics = nullptr;
  QCheckBox* m_titleBand = nullptr;
  QCheckBox* m_imageMeasureNumbers = nullptr;
  QCheckBox* m_measureNumbers = nullptr;
  QComboBox* m_techniqueStyle = nullptr;
  QCheckBox* m_kuchijamisen = nullptr;
  QCheckBox* m_printKuchijamisen = nullptr;
  QComboBox* m_language = nullptr;
  QLineEdit* m_soundFont = nullptr;
  QSpinBox* m_volume = nullptr;
  QSpinBox* m_countInLevel = nullptr;
  QComboBox* m_midiInput = nullptr;
};

}  // namespace kumoito
