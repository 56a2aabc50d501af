#pragma once
// CSongInfoDlg: the modal dialog that edits the title, lyricist, composer,
// tempo and beats per measure of the current song in place. Only its "更新" picture button stores
// the edits; Enter, Escape and the close box leave the song as it was.
//
// Thread-safety: GUI thread only.

#include "input/song_info_edit.h"
#include "render/button_picture.h"
#include "render/offscreen_control.h"
#include "render/qt/dialog_style.h"

class QLineEdit;
class QSpinBox;

namespace kumoito {

class CSongData;
class OffScreenWidget;

class CSongInfoDlg : public KumoitoDialog {
  Q_OBJECT
 public:
  // The song must outlive the dialog. Run it with exec().
  CSongInfoDlg(CSongData& song, QWidget* parent);
  ~CSongInfoDlg() override;

  // The picture button's callback: command 0 stores the edits and ends the
  // dialog; any other command does nothing.
  void OnInfoButton(int command);

 protected:
 private:
  CSongInfoEdit m_edit;
  QLineEdit* m_title = nullptr;
  QLineEdit* m_lyricist = nullptr;
  QLineEdit* m_composer = nullptr;
  QSpinBox* m_tempo = nullptr;
  QSpinBox* m_beats = nullptr;
  COffScreenControl m_buttonControl;
  CButtonPicture m_buttons;
  OffScreenWidget* m_buttonWidget = nullptr;
};

}  // namespace kumoito
