#pragma once
// KumoitoWindow: the main window on screen. It lays out the picture buttons,
// the 48 score cells, the three combo boxes and the scroll bar at their
// client-pixel places, with the practice row (speed, loop, count-in) below
// them, and forwards every input to CKumoitoDlg, which it owns. It is the
// logic's MainWindowFace. Space plays and stops. Enter and Escape never
// close it (Escape stops a playback); the close box, 終了 and Ctrl+Q ask
// about unsaved changes first.
//
// Thread-safety: GUI thread only, except Post, which any thread may call.

#include <QFont>
#include <QPointer>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "app/dialog_folder.h"
#include "app/main_window.h"
#include "app/window_size.h"
#include "app/window_zoom.h"
#include "render/qt/dialog_style.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QScrollArea;
class QScrollBar;
class QSpinBox;
class QLabel;
class QMenu;

namespace kumoito {

class OffScreenWidget;
class InputToolWindow;
class ScoreKeysWidget;
class TunerDialog;
namespace midi {
class TimerService;
}

class KumoitoWindow final : public KumoitoDialog, public MainWindowFace {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 1064;
  // The practice row adds its 32 pixels below the 692 of the controls above.
  static constexpr int kPracticeRowTop = 692;
  // Everything from here down follows the bottom edge when the window grows.
  static constexpr int kScoreAreaBottom = 620;
  // The score area ends where the scroll bar begins.
  static constexpr int kScrollBarLeft = 1040;
  static constexpr int kClientHeight = 724;

  KumoitoWindow(CKumoitoDlg::Options options, QWidget* parent = nullptr);
  ~KumoitoWindow() override;

  // Runs the start-up sequence; false when the program should end at once.
  CKumoitoDlg::StartResult Start();
  CKumoitoDlg& Logic() { return *m_logic; }

  // 拡大: the user's choice of zoom step for the tablature in the score area
  // (the context menu's, and the keys' and Ctrl+wheel's through the same
  // logic); false when it is no step or changes nothing. The choice is kept
  // in the data folder.
  bool ChooseZoom(int percent);
  int ZoomPercent() const { return m_zoom.Current(); }
  // The session or a signal ends the program: no question, the unsaved
  // song is kept in the recovery file for the next start.
  void EndSession();

  // MainWindowFace
  void FillCombo(int combo, const std::vector<std::string>& items) override;
  void SelectCombo(int combo, int index) override;
  int ComboSelection(int combo) const override;
  void SetScrollRange(int highest) override;
  void SetScrollPosition(int position) override;
  void SetControlVisible(int control, bool visible) override;
  std::optional<std::string> AskOpenScorePath() override;
  std::optional<std::string> AskSaveScorePath() override;
  std::optional<std::string> AskExportPath() override;
  std::string RunLibraryDialog(const std::string& startupFolder, const std::string& libraryRoot,
                               std::int32_t& category) override;
  void RunSongInfoDialog(CSongData& song) override;
  std::optional<SettingsChoice> RunSettingsDialog(const SettingsChoice& current) override;
  void ShowHelp(const std::string& indexPath) override;
  void ShowAbout() override;
  std::optional<int> AskImportPart(const std::vector<import::PartSummary>& parts,
                                   int suggested) override;
  SaveChangesChoice AskSaveChanges() override;
  std::optional<NewSongSettings> AskNewSong(const NewSongSettings& start) override;
  std::optional<bool> AskRestoreRecovery() override;
  void Quit() override;
  void Post(std::function<void()> task, std::chrono::milliseconds delay) override;
  void ShowPractice(const midi::PracticeSettings& practice, int measureCount) override;
  void ShowEditMark(const std::optional<Rect>& frame) override;
  void ShowCaption(const std::string& caption) override;
  void SetComboToolTip(int combo, const std::string& tip) override;
  void TellNoSound(const std::string& text) override;
  void ShowSoundNote(const std::string& note, const std::string& detail) override;
  void ShowRowNumbers(const std::vector<int>& firstMeasures) override;
  void ShowKeyboardNote(const std::string& note) override;

  // 入力ツール and Ctrl+I: the input tool comes back where it was.
  void ShowInputTool();
  InputToolWindow* InputWindow() const { return m_inputWindow; }
  // 調弦: the tuner, opened once and raised after (context menu).
  void ShowTuner();
  TunerDialog* Tuner() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;
  void reject() override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A score or a MusicXML or MIDI file dropped on the window opens as from
  // the open command.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QComboBox* Combo(int combo) const;
  void OnScrollAction(int action);
  void PlaceInputWindow();
  void CreatePracticeRow();
  // Draws the score cells at the zoom times the pixel ratio of the screen the
  // window is on, and the buttons at that ratio.
  void FollowPixelRatio();
  // Puts a child on its client rectangle, moved by the window's growth from
  // then on.
  void Place(QWidget* widget, const Rect& r);
  void Place(QWidget* widget, const Rect& r, WindowAnchor anchor);
  // Every placed child where the zoom and the window's size put it.
  void LayOut();
  std::string WindowSizePath() const;
  void KeepWindowSize();
  // Sizes and places the score's cells for the zoom in use, pictures too.
  void ApplyZoom();
  // The score area takes the room above the rows of controls; its content
  // is as wide as the zoomed rows and scrolls sideways when they are wider.
  void LayOutScore();
  void AddZoomMenu(QMenu& menu);
  void AddEditMenu(QMenu& menu);
  // 新規 in the context menu and on Ctrl+N.
  void AddNewSongMenu(QMenu& menu);
  void AddNewSongKey();
  // Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z in window, for the history.
  void AddHistoryKeys(QWidget* window);
  void PlaceEditMark();
  // Widgets for the cells and row numbers the logic has made since; only
  // the rows in use are shown.
  void FollowCellCount();
  // The file dialogs open where the song is (or the library, or the user's
  // music folder), suggest suggestedName, and remember where they were left.
  void PrepareFileDialog(QFileDialog& dialog, FileDialogPurpose purpose,
                         const std::string& suggestedName);
  std::optional<std::string> FinishFileDialog(QFileDialog& dialog);
  std::string DialogFolderPath() const;
  // The keyboard on the score: the area that takes its keys while it has
  // the focus (Space then types a rest and Ctrl+Space plays), the clipboard
  // keys, the input method in lyric mode, drags and Shift+clicks that select.
  ScoreKeysWidget* CreateScoreKeys();
  bool OnScoreKeyPress(QKeyEvent& event);
  bool WantsScoreKey(const QKeyEvent& event) const;
  bool ExtendSelectionTo(QWidget* child, QPoint at);
  ScoreKeysWidget* m_scoreKeys = nullptr;
  QLabel* m_keyboardNote = nullptr;

  std::unique_ptr<midi::TimerService> m_timer;
  std::unique_ptr<CKumoitoDlg> m_logic;
  std::map<int, OffScreenWidget*> m_controlWidgets;
  std::vector<OffScreenWidget*> m_cellWidgets;
  QComboBox* m_tuning = nullptr;
  QComboBox* m_firstString = nullptr;
  QComboBox* m_key = nullptr;
  QScrollBar* m_scrollBar = nullptr;
  QSpinBox* m_speed = nullptr;
  QCheckBox* m_loop = nullptr;
  QSpinBox* m_loopFirst = nullptr;
  QSpinBox* m_loopLast = nullptr;
  QComboBox* m_countIn = nullptr;
  QLabel* m_soundNote = nullptr;
  InputToolWindow* m_inputWindow = nullptr;
  QPointer<TunerDialog> m_tuner;
  QWidget* m_editMark = nullptr;
  std::vector<QLabel*> m_rowNumbers;
  std::optional<Rect> m_editMarkRect;
  bool m_filling = false;
  bool m_followingScreen = false;
  WindowZoom m_zoom;
  QScrollArea* m_scoreArea = nullptr;
  QWidget* m_scoreContent = nullptr;
  struct PlacedWidget {
    QWidget* widget;
    Rect rect;
    WindowAnchor anchor;
  };
  std::vector<PlacedWidget> m_placed;
  std::string m_dataFolder;
};

}  // namespace kumoito
