#pragma once
// CLibraryDlg: the modal library dialog. It lists the score files of the
// library folder by title under one of five categories while a CLibraryScan
// reads them in the background, and returns the path of the song picked.
// The scan's results are queued to the GUI thread; the scan is stopped and
// joined before the dialog ends or goes away.
//
// Thread-safety: GUI thread only.

#include <array>
#include <cstdint>
#include <string>

#include "library/library_scan.h"
#include "render/button_picture.h"
#include "render/offscreen_control.h"
#include "render/qt/dialog_style.h"

class QComboBox;
class QListWidget;

namespace kumoito {

class OffScreenWidget;

class CLibraryDlg : public KumoitoDialog {
  Q_OBJECT
 public:
  // category is the settings' library category, read and written in place;
  // it must outlive the dialog. The scan starts at once. Run with exec().
  CLibraryDlg(std::string startupFolder, std::string libraryRoot, std::int32_t& category,
              QWidget* parent);
  ~CLibraryDlg() override;

  // Empty unless a song was picked; else the library root joined with the
  // song's file name.
  std::string ChosenPath() const { return m_chosenPath; }
  // True until every file has been delivered to the list.
  bool IsScanning() const { return m_scanning; }

  // The picture buttons' callback (a double-click on a line acts as 0):
  // 0 picks the selected line, 1 cancels.
  void OnLibraryButton(int command);

  void done(int result) override;

 protected:
 private:
  void StartScan();
  void StopScan();
  void OnEntryArrived(const LibraryEntry& entry, unsigned serial);
  void OnScanFinished(unsigned serial);
  void OnCategoryChanged(int index);
  void FillList();
  void SetControlsEnabled(bool enabled);
  void UpdateCaption();

  std::string m_libraryRoot;
  std::int32_t& m_category;
  std::string m_chosenPath;
  CLibraryList m_library;
  CLibraryScan m_scan;
  bool m_scanning = false;
  // Results of a scan that has been stopped may still wait in the event
  // queue; they carry the serial of their scan and are dropped.
  unsigned m_scanSerial = 0;

  QComboBox* m_categoryBox = nullptr;
  QListWidget* m_list = nullptr;
  std::array<COffScreenControl, 2> m_buttonControls;
  std::array<OffScreenWidget*, 2> m_buttonWidgets{};
  CButtonPicture m_buttons;
};

}  // namespace kumoito
