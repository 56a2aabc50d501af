#pragma once
// CKumoitoDlg: the main window's logic, free of any window system. It owns
// the current song, the settings and their file, the picture buttons, the 48
// score cells, the note input tool and the playback, runs the start-up and
// the batch conversion, and answers the window's inputs. What it needs of a
// window (combo boxes, scroll bar, dialogs, delayed tasks) it asks through
// MainWindowFace: the Qt window implements it, batch mode and tests use
// faces of their own.
//
// Thread-safety: GUI thread only. The player reaches it only through tasks
// posted with MainWindowFace::Post.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/output_format.h"
#include "app/preferences_file.h"
#include "app/ui_language.h"
#include "common/config_control.h"
#include "common/message_box.h"
#include "common/ui_text.h"
#include "import/melody.h"
#include "input/clip_payload.h"
#include "input/score_cursor.h"
#include "input/midi_entry.h"
#include "midi/midi_in.h"
#include "midi/playback_controller.h"
#include "render/button_picture.h"
#include "render/offscreen_control.h"
#include "render/score_view.h"
#include "render/vector_export.h"
#include "song/edit_history.h"

namespace kumoito {

class CSongData;
class CInputDlg;
class RecoveryStore;
struct RecoveredSong;
namespace midi {
class TimerService;
}  // namespace midi

// Said when 出力 could not write its file, before the path and the cause.
inline constexpr const char* kOutputFailed = Ui::Mark("ファイルを書き出せませんでした。");

// Control numbers of the main window.
inline constexpr int kFirstButtonControl = 1000;  // 1000..1010: picture buttons
inline constexpr int kFirstCellControl = 1011;    // 1011..1058: score cells
// The cells of rows a taller window adds, from the 49th on.
inline constexpr int kMoreCellsControl = 2000;
inline constexpr int kScrollBarControl = 1059;
inline constexpr int kTuningCombo = 1060;
inline constexpr int kFirstStringCombo = 1061;
inline constexpr int kExportLayerControl = 1062;
inline constexpr int kKeyCombo = 1063;
inline constexpr int kButtonCount = 11;

// The control number of score cell `cell` (from 0).
constexpr int CellControlNumber(int cell) {
  return cell < kScoreCellCount ? kFirstCellControl + cell
                                : kMoreCellsControl + cell - kScoreCellCount;
}

// Commands of the picture buttons.
enum Command : int {
  kCommandQuit = 0,
  kCommandOpen = 1,
  kCommandLibrary = 2,
  kCommandPlay = 3,
  kCommandExport = 4,
  kCommandNew = 5,
  kCommandInputTool = 6,
  kCommandSave = 7,
  kCommandSettings = 8,
  kCommandSongInfo = 9,
  kCommandHelp = 10,
};
inline constexpr int kAboutCommand = 16;

struct ButtonLayout {
  int control;
  const char* caption;  // UTF-8; the buttons hold CP932
  int command;
  Rect rect;
  bool shown;
};
extern const std::array<ButtonLayout, kButtonCount> kMainButtons;

// What 新規 makes: an empty song of this tempo and metre.
struct NewSongSettings {
  std::int32_t tempo = 120;
  std::int32_t beatsPerMeasure = 4;
  bool operator==(const NewSongSettings&) const = default;
};

// The answers to 「変更を保存しますか？」.
enum class SaveChangesChoice { kSave, kDiscard, kCancel };

enum class ScrollAction { kLineUp, kLineDown, kPageUp, kPageDown, kThumbPosition, kTop, kBottom };

// What the 設定 dialog shows and changes: two flags of setup.ini and the
// rest of preferences.ini.
struct SettingsChoice {
  bool lyricsShown = true;
  bool titleBand = false;
  Preferences preferences;

  bool operator==(const SettingsChoice&) const = default;
};

// What the logic needs of the window. Texts are UTF-8.
class MainWindowFace {
 public:
  virtual ~MainWindowFace() = default;
  virtual void FillCombo(int combo, const std::vector<std::string>& items) = 0;
  virtual void SelectCombo(int combo, int index) = 0;  // -1: no selection
  virtual int ComboSelection(int combo) const = 0;     // -1 when empty
  virtual void SetScrollRange(int highest) = 0;        // 0 .. highest
  virtual void SetScrollPosition(int position) = 0;
  virtual void SetControlVisible(int control, bool visible) = 0;
  // Modal dialogs; nullopt or empty when cancelled.
  virtual std::optional<std::string> AskOpenScorePath() = 0;
  virtual std::optional<std::string> AskSaveScorePath() = 0;
  virtual std::optional<std::string> AskExportPath() = 0;
  virtual std::string RunLibraryDialog(const std::string& startupFolder,
                                       const std::string& libraryRoot, std::int32_t& category) = 0;
  virtual void RunSongInfoDialog(CSongData& song) = 0;
  // 設定: the choices as the user left them; nullopt when cancelled.
  virtual std::optional<SettingsChoice> RunSettingsDialog(const SettingsChoice& current) {
    (void)current;
    return std::nullopt;
  }
  virtual void ShowHelp(const std::string& indexPath) = 0;
  virtual void ShowAbout() = 0;
  // Which part of a score with several is the melody; nullopt when the
  // user cancels. Without a window the reader's own choice stands.
  virtual std::optional<int> AskImportPart(const std::vector<import::PartSummary>& parts,
                                           int suggested) {
    (void)parts;
    return suggested;
  }
  // 「変更を保存しますか？」 before the unsaved song is closed. A face with
  // nobody to ask (a conversion) lets it go.
  virtual SaveChangesChoice AskSaveChanges() { return SaveChangesChoice::kDiscard; }
  // 新規: the tempo and metre of the new song; nullopt when cancelled. A
  // face with nobody to ask takes what it is given.
  virtual std::optional<NewSongSettings> AskNewSong(const NewSongSettings& start) { return start; }
  // 「前回保存されなかった変更があります。復元しますか？」: true for 復元. A face
  // with nobody to ask keeps the file for a start that can.
  virtual std::optional<bool> AskRestoreRecovery() { return std::nullopt; }
  // Ends the program as the quit button does.
  virtual void Quit() = 0;
  // Runs task on the GUI thread after delay; callable from any thread.
  virtual void Post(std::function<void()> task, std::chrono::milliseconds delay) = 0;
  // The practice row shows these settings; its measure boxes go up to
  // measureCount. A face without that row ignores it.
  virtual void ShowPractice(const midi::PracticeSettings&, int /*measureCount*/) {}
  // The frame around the slot the input tool writes, in client pixels at
  // 100 %; none when that slot is not shown. Only a window draws it.
  virtual void ShowEditMark(const std::optional<Rect>& /*frame*/) {}
  // The window's caption names the song and whether it is saved. Only a
  // window shows it.
  virtual void ShowCaption(const std::string& /*caption*/) {}
  // The tip a list shows under the pointer; empty for none.
  virtual void SetComboToolTip(int /*combo*/, const std::string& /*tip*/) {}
  // Why Play made no sound, the first time. A window shows it without taking
  // the keyboard, so keys pressed meanwhile still reach the score.
  virtual void TellNoSound(const std::string& text) { ShowMessageBox(text); }
  // After that, a quiet note in the practice row, its detail on hover;
  // an empty note clears it. A face without that row ignores it.
  virtual void ShowSoundNote(const std::string& /*note*/, const std::string& /*detail*/) {}
  // The number of the measure that starts each shown row (from 1; 0 for a
  // row past the song's end). Only a window shows them.
  virtual void ShowRowNumbers(const std::vector<int>& /*firstMeasures*/) {}
  // What the keyboard's last key has to say (a cut lyric, the note value);
  // empty clears it. Only a window shows it.
  virtual void ShowKeyboardNote(const std::string& /*note*/) {}
};

// The face of a run without any window system: batch conversions. Lists
// stay empty, dialogs are cancelled and nothing is shown or scheduled.
class HeadlessFace final : public MainWindowFace {
 public:
  void FillCombo(int, const std::vector<std::string>&) override {}
  void SelectCombo(int, int) override {}
  int ComboSelection(int) const override { return -1; }
  void SetScrollRange(int) override {}
  void SetScrollPosition(int) override {}
  void SetControlVisible(int, bool) override {}
  std::optional<std::string> AskOpenScorePath() override { return std::nullopt; }
  std::optional<std::string> AskSaveScorePath() override { return std::nullopt; }
  std::optional<std::string> AskExportPath() override { return std::nullopt; }
  std::string RunLibraryDialog(const std::string&, const std::string&, std::int32_t&) override {
    return {};
  }
  void RunSongInfoDialog(CSongData&) override {}
  void ShowHelp(const std::string&) override {}
  void ShowAbout() override {}
  void Quit() override {}
  void Post(std::function<void()>, std::chrono::milliseconds) override {}
};

// The kinds of file a start with one path may name, told by extension.
enum class StartFileType { kScore, kMusicXml, kMidi, kOther };
StartFileType StartFileTypeOf(std::string_view path);

class CKumoitoDlg {
 public:
  struct Options {
    std::string startupFolder;  // holds Archive, help/ and play.dat
    // The start-up folder is the installed one: play.dat goes straight to
    // cacheFolder, and no stale files are looked for there.
    bool installedStartupFolder = false;
    std::string dataFolder;               // holds setup.ini and temp.mwd
    std::string cacheFolder;              // play.dat when the start-up folder takes none
    std::string commandLine;              // as RebuildCommandLine gives it
    std::string startFile;                // opened after an interactive start-up; may be empty
    BatchOverrides overrides;             // a conversion's settings for this run only
    midi::TimerService* timer = nullptr;  // not owned; required unless batch
    // The window's texts and help; a conversion's reports never change.
    UiLanguage language = UiLanguage::kJapanese;
  };

  enum class StartResult {
    kInteractive,   // the window goes on
    kBatchDone,     // the score was converted; the program ends with status 0
    kBatchFailed,   // the score could not be read or the image not written; status 1
    kBatchRefused,  // bad values, or a command line the parser cannot hold; status 2, no image
  };

  CKumoitoDlg(MainWindowFace& face, Options options);
  ~CKumoitoDlg();
  CKumoitoDlg(const CKumoitoDlg&) = delete;
  CKumoitoDlg& operator=(const CKumoitoDlg&) = delete;

  // The start-up sequence (and the batch conversion when the command line
  // asks for one).
  StartResult Initialize();
  // Writes the settings and releases everything, in the window's order.
  void Destroy();

  // A foreign file (MusicXML, MIDI) that cannot be read is said to the
  // user and the current song stays; OpenRefused() then is true.
  // mustRead: a score that cannot be read is refused (OpenRefused) rather
  // than replaced by a new empty song.
  void OpenScore(const std::string& path, bool automatic, bool mustRead = false);
  // The lists and settings take the tuning a score was saved in; the first
  // string only when asked (a conversion takes it from its command line).
  void ApplyStoredTuning(const TabTuning& stored, bool firstStringToo);
  void SelectFirstStringValue(std::int32_t value);
  // The song records the tuning now chosen, as a save by the user does.
  void StoreTabTuning();
  void FollowStoredTuning();
  // A file named at start (the file manager's "open with"): a score opens
  // as the open command opens it; a file that cannot be read, or of a type
  // the window cannot open, is said in a message box and the current song
  // stays. The one place that decides by the file's type.
  void OpenStartFile(const std::string& path);
  // A file the user chose or dropped: a score as the open command opens it,
  // a foreign file with automatic arrangement.
  void OpenUserFile(const std::string& path);
  bool OpenRefused() const { return m_openRefused; }
  // The song differs from the file it was last opened from or saved to; a
  // song imported, made new or recovered has no such file and always does.
  bool HasUnsavedChanges() const;
  // Before the song is closed: when it is unsaved, asks whether to save it
  // and saves it through the save dialog. False when the song must stay
  // (cancelled, or the save did not happen).
  bool ConfirmCloseSong();
  // A session or a signal ends the program without a question: the unsaved
  // song goes to the recovery file, which the end then keeps.
  void PreserveForSessionEnd();
  // Brings the recovery file up to date with the song now; the window does
  // it every second on its own.
  void UpdateRecovery();
  // This window's recovery file (empty in a conversion).
  std::string RecoveryPath() const;
  // Escape: a playback under way stops; nothing else ends.
  void StopPlayback();
  void RunCommand(int command);
  void OnFirstStringChanged(int index);
  void OnTuningChanged(int index);
  void OnKeyChanged(int index);
  void OnScroll(ScrollAction action, int thumbPosition = 0);
  void OnCellClick(int cell, int column);
  void OnRedrawScore();
  void OnSystemCommand(int command);
  // The practice row. The speed also changes a playback under way; the rest
  // counts from the next Play.
  void OnSpeedChanged(int percent);
  void OnLoopChanged(bool on);
  void OnLoopRangeChanged(int firstMeasure, int lastMeasure);
  void OnCountInChanged(bool on);
  // A click on the number that starts shown row `row`: the loop starts at
  // that measure, or with `last` ends there; the other end follows when the
  // range would turn round. A row past the song's end changes nothing.
  void OnRowNumberClick(int row, bool last);
  // How many rows of cells the score area shows whole (1 .. kMaxScoreRows:
  // 6 at the smallest size, more in a taller window, fewer zoomed): the
  // scroll range reaches the song's last row with them, a page is that many
  // rows, and a playback turns the page when the music leaves them.
  // visibleRows (at least rows) counts a row cut by the area's bottom too:
  // cells are made for them all, and only theirs are drawn.
  void SetShownRows(int rows) { SetShownRows(rows, rows); }
  void SetShownRows(int rows, int visibleRows);
  int ShownRows() const { return m_shownRows; }
  // The rows that have cells a window can see (SetShownRows).
  int VisibleRows() const { return m_visibleRows; }
  // Score cells made so far, each with control CellControlNumber(i):
  // kScoreCellCount from the start, more as rows are added.
  int CellControlCount() const { return static_cast<int>(m_cellControls.size()); }
  // What the rows' numbers show now (see MainWindowFace::ShowRowNumbers).
  std::vector<int> RowNumbers() const;
  // The slot that sounds now (midi::kNoCursor: playback stopped): the view
  // marks it and turns to its row when it is not shown.
  void OnCursor(std::int64_t slot);
  // A playback found no output: said once in full, then noted quietly.
  void OnNoSound(std::string_view why);
  const midi::PracticeSettings& Practice() const { return m_practice; }
  // The open strings (MIDI notes) of the tuning and 一の糸 now chosen, and
  // the tuning's name as the list shows it: what the tuner tunes to.
  std::array<int, 3> CurrentOpenStrings() const;
  std::string CurrentTuningName() const;

  // 新規 (Ctrl+N): asks for the new song's tempo and metre, then, as 読込
  // does, whether to save the song now open; the new song starts with no
  // file and no history.
  void StartNewSong(const NewSongSettings& settings);

  // The MIDI keyboard, from the window (a conversion has none): it listens
  // to the port preferences.ini names, and what is played is entered at
  // the input tool's slot, or through the sink given instead (not owned;
  // null gives the tool's back).
  void SetMidiInput(std::unique_ptr<midi::MidiInput> input);
  midi::MidiInput* MidiInput() { return m_midiIn.get(); }
  void SetNoteEntrySink(NoteEntrySink* sink);
  // An event from the keyboard, and the end of a chord's window: GUI
  // thread (the input's own thread posts its events here).
  void OnMidiInput(const midi::MidiInEvent& event);
  void FlushMidiInput(midi::MidiInTime now);

  // Undo and redo of the song's last change (Ctrl+Z, Ctrl+Y): the score,
  // the input tool and the lists the change moved show the result. False
  // when there was nothing to undo or redo.
  bool Undo();
  bool Redo();
  // The context menu's items: "元に戻す: " and the step's name; just the verb
  // when there is none.
  std::string UndoCaption() const;
  std::string RedoCaption() const;
  const EditHistory& History() const { return m_history; }
  // Where the score marks the slot the input tool writes (ShowEditMark).
  std::optional<Rect> EditMarkRect() const;

  // The keyboard on the score (input/score_cursor.h): a key the score
  // area got, false when the cursor has no use for it. The cursor shows
  // from the first key or click on the score on, and keeps in step with
  // the input tool's position both ways.
  bool OnScoreKey(const KeyStroke& key);
  ScoreCursor& KeyCursor() { return *m_keyCursor; }
  bool KeyCursorShown() const { return m_keyCursorShown; }
  // The clipboard's payload of the selection (else the note at the cursor);
  // with cut, what it held becomes rests. None: nothing to take.
  std::optional<ClipboardPayload> CopyToClipboard(bool cut);
  // False when the payload holds nothing to paste, or it does not fit.
  bool PasteFromClipboard(const ClipboardPayload& payload);
  // A drag from the cell last pressed ends on (cell, column, string): the
  // slots between are selected.
  void OnCellDrag(int cell, int column, int string);

  // For the window that shows the controls, and for tests.
  COffScreenControl& Control(int controlNumber);
  CButtonPicture& Buttons() { return m_buttons; }
  CScoreView& ScoreView() { return m_view; }
  CInputDlg& InputTool() { return *m_inputTool; }
  const SettingsBlock& Settings() const { return m_settings; }
  const Preferences& CurrentPreferences() const { return m_preferences; }
  SettingsChoice CurrentSettingsChoice() const;
  // Takes the 設定 dialog's choices: the score and the sound follow them,
  // and preferences.ini is written at once (setup.ini at the end, as ever).
  void ApplySettings(const SettingsChoice& choice);
  // The context menu's 口三味線: the window's syllable row on or off, kept
  // as 設定 keeps it.
  void SetKuchijamisenShown(bool shown);
  CSongData* Song() { return m_song.get(); }
  midi::PlaybackController* Playback() { return m_playback.get(); }
  int ScrollPosition() const { return m_view.FirstShownMeasure() / kScoreCellColumns; }
  int HighestScrollPosition() const;
  const std::string& StartupFolder() const { return m_options.startupFolder; }
  const std::string& DataFolder() const { return m_options.dataFolder; }
  // What the window's caption shows now (ShowCaption).
  const std::string& Caption() const { return m_caption; }
  // The song's title in UTF-8; empty when it has none.
  std::string SongTitle() const;
  // The measures around the song's slots [firstSlot, endSlot) as MusicXML
  // (media type musicxml::kMusicXmlMediaType), in the strings shown: what a
  // copy puts on the clipboard for other notation programs. Empty without a
  // song.
  std::string SelectionMusicXml(int firstSlot, int endSlot) const;
  // The file the song came from or went to, for the file dialogs to start
  // beside; empty for the scratch song, which lives in the data folder.
  std::string SongFileForDialogs() const;

 private:
  // Rows of cells the score area shows whole, and those it shows at all
  // (SetShownRows).
  int m_shownRows = kScoreCellCount / kScoreCellColumns;
  int m_visibleRows = kScoreCellCount / kScoreCellColumns;
  void CreateButtons();
  // Controls (and, once the view has cells, cells) up to `cells`.
  void AddCells(int cells);
  void CreateCells();
  void FillCombos();
  // The key list, naming the relative minor keys while the song is minor.
  void FillKeyCombo();
  // Shows the caption for the song as it is now, when it changed.
  void UpdateCaption();
  void RebuildOpenStrings();
  StartResult RunBatch(const CommandLine& line);
  // The synthesizer's font and volume and the count-in clicks as
  // m_preferences has them.
  void ApplySoundPreferences();
  // The setting's style into the view; a conversion's option, when given,
  // wins over the song's own.
  void ApplyTechniqueStyle(std::optional<bool> forcedAbove);
  // Writes the current song to path in the format of its extension; false
  // with why (empty when the fault was reported already) when it cannot.
  bool WriteOutput(const std::string& path, std::string& why);
  bool WriteMusicXmlOutput(const std::string& path, std::string& why);
  PrintHeader MakePrintHeader() const;
  // The measure numbers of the page written: an option of this run decides
  // for every format, else the image follows its own setting and PDF and
  // SVG the window's.
  ScorePageOptions PageOptions(OutputFormat format) const;
  // OpenScore, with the song already made when given.
  void OpenSong(const std::string& path, bool automatic, std::unique_ptr<CSongData> given,
                bool mustRead = false);
  // 保存: false when the dialog was cancelled or the file not written.
  bool SaveSong();
  void ScheduleRecoveryCheck();
  // Offers the newest song a window that ended abnormally left unsaved.
  void OfferRecovery();
  void RestoreRecovered(const RecoveredSong& recovered);
  void RewriteScratchScore();
  void SetPlayCaption(std::string_view utf8);
  // The key row and the first string's value, which a step of the history
  // changes together with the song (a key change moves its notes).
  std::int64_t OwnerState() const;
  void ApplyOwnerState(std::int64_t state);
  // After the song changed under the view: scroll range, practice row, the
  // tool's ranges and lists, and the score.
  void ShowChangedSong();
  // Undo or Redo of the history, and what the window shows after it.
  bool ApplyHistoryStep(std::optional<EditHistory::Applied> (EditHistory::*step)(CSongData&));
  void FollowMeasureCount();
  void UpdateEditMark();
  // The keyboard's cursor: made beside the input tool; after it moved or
  // changed the song, the tool, the scroll position and the cells follow.
  void CreateKeyCursor();
  void OnKeyCursorChanged(bool songChanged);
  void FollowToolPosition();
  void FollowKeyCursor(bool redrawAll);
  std::unique_ptr<ScoreCursor> m_keyCursor;
  bool m_keyCursorShown = false;
  bool m_syncingTool = false;

  MainWindowFace& m_face;
  Options m_options;
  SettingsBlock m_settings = kDefaultSettings;
  Preferences m_preferences;
  std::unique_ptr<CConfigControl> m_config;
  std::array<COffScreenControl, kButtonCount> m_buttonControls;
  // Boxed: a window's widgets hold them while more are added.
  std::vector<std::unique_ptr<COffScreenControl>> m_cellControls;
  COffScreenControl m_exportLayer;
  CButtonPicture m_buttons;
  CScoreView m_view;
  std::unique_ptr<CSongData> m_song;
  std::unique_ptr<CInputDlg> m_inputTool;
  EditHistory m_history;
  int m_shownMeasureCount = 0;  // the measure count the ranges were set for
  std::unique_ptr<midi::PlaybackController> m_playback;
  midi::PracticeSettings m_practice;
  bool m_interactive = false;  // practice.ini is read and written only then
  std::int32_t m_basePitch = 48;
  std::int32_t m_tuning = 0;
  bool m_destroyed = false;
  bool m_batch = false;
  bool m_openRefused = false;
  // The song was written in a minor key (its key row as read).
  bool m_minorSong = false;
  std::string m_caption = "Kumoito";
  // The score bytes of the song as last opened or saved; empty when the
  // song has no file that holds it.
  std::vector<unsigned char> m_savedImage;
  std::unique_ptr<RecoveryStore> m_recovery;
  // What the recovery file holds now; empty while there is none.
  std::vector<unsigned char> m_recoveryBytes;
  bool m_keepRecovery = false;
  bool m_toldNoSound = false;
  // Listens with the port the preferences name; a chord half gathered is
  // dropped.
  void ListenToMidiInput();
  void ScheduleMidiFlush();
  std::unique_ptr<midi::MidiInput> m_midiIn;
  std::unique_ptr<NoteEntrySink> m_cursorEntry;  // a MIDI keyboard's notes to the cursor
  MidiChordGatherer m_chords;
  // Posted tasks outlive nothing: they hold this weakly.
  std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace kumoito
