#include "app/main_window.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/batch_score_output.h"
#include "app/foreign_score.h"
#include "app/output_format.h"
#include "app/practice_file.h"
#include "app/recovery_file.h"
#include "app/window_texts.h"
#include "common/file_util.h"
#include "common/message_box.h"
#include "common/sjis.h"
#include "common/ui_text.h"
#include "export/musicxml/musicxml_writer.h"
#include "import/file_import.h"
#include "import/song_writer.h"
#include "input/input_tool.h"
#include "midi/midi_out.h"
#include "midi/offline_render.h"
#include "midi/playback_controller.h"
#include "render/image_file.h"
#include "render/score_export.h"
#include "render/vector_export.h"
#include "song/arrangement.h"
#include "song/key_table.h"
#include "song/score_file.h"
#include "song/score_layout.h"
#include "song/song_data.h"
#include "song/tuning.h"

namespace kumoito {
namespace {

constexpr const char* kScratchScore = "temp.mwd";
constexpr const char* kLibraryFolder = "Archive";
constexpr const char* kHelpIndex = "help/index.htm";
constexpr const char* kEnglishHelpIndex = "help/en.htm";
// Shown the first time Play finds no output, after the output's own reason.
constexpr const char* kNoSoundTitle = Ui::Mark("音を出せません。");
constexpr const char* kNoSoundAdvice = Ui::Mark(
    "音の出ない機械では KUMOITO_MIDI_OUT=wav:/tmp/play.wav として起動すると、"
    "演奏を WAV ファイルに書き出せます。詳しくはヘルプの「音が出ないとき」をご覧ください。");
// The practice row's reminder on every later silent playback.
constexpr const char* kNoSoundNote = Ui::Mark("音を出せません（ヘルプ「音が出ないとき」）");
// A start file that is not there, or that the window cannot open.
constexpr const char* kStartFileMissing = Ui::Mark("ファイルが開けませんでした。");
constexpr const char* kStartFileUnsupported = Ui::Mark(
    "このファイルは開けません。開けるのは譜面ファイル (.mwd)、MusicXML と MIDI のファイルです。");
// Within two seconds of a change, the recovery file holds it.
constexpr std::chrono::milliseconds kRecoveryCheckPeriod(1000);

const FirstStringEntry& FirstStringEntryOf(std::int32_t value) {
  for (const FirstStringEntry& entry : kFirstStringList) {
    if (entry.value == value) {
      return entry;
    }
  }
  return kFirstStringList[0];  // a batch run's -1 plays as the first row
}

std::string Cp932(const std::string& utf8) {
  return Utf8ToCp932(utf8).value_or("");
}

// Why the reader could not use the file at path, in the system's words
// where it has some.
std::string ScoreReadProblem(const std::string& path) {
  if (path.empty()) {
    return "no path given";
  }
  std::error_code why;
  const std::optional<std::uint64_t> size = RegularFileSize(path, why);
  if (!size) {
    return why.message();
  }
  return "not a score file (" + std::to_string(*size) + " bytes)";
}

// The folder a file of path is written in; "." for a bare name.
std::string ParentFolder(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// What a conversion would get wrong with a command line its parser cannot
// hold as given.
std::string CommandLineFaultText(CommandLineFault fault) {
  switch (fault) {
    case CommandLineFault::kLineTooLong:
      return "the command line is longer than " + std::to_string(kCommandLineLength) +
             " characters, so its end would be cut off";
    case CommandLineFault::kTokenTooLong:
      return "a value after the two paths is longer than " + std::to_string(kTokenLength) +
             " characters";
    case CommandLineFault::kQuoteInPath:
      return "a path holds a double quote, which the command line cannot carry";
    case CommandLineFault::kNone:
      break;
  }
  return {};
}

// A MIDI keyboard's notes entered at the score's cursor, as typed ones are:
// for the cursor's note value, moving it on, each one undoable step.
class CursorNoteEntry final : public NoteEntrySink {
 public:
  explicit CursorNoteEntry(ScoreCursor& cursor) : m_cursor(cursor) {}
  void EnterNote(int pitch) override { m_cursor.EnterPitch(pitch); }
  void EnterTogether(int low, int high) override { m_cursor.EnterTogether(low, high); }

 private:
  ScoreCursor& m_cursor;
};

// What another notation program copied, as MusicXML, as sixteenths to paste:
// the whole score it holds, without the rests after its last note, which
// would otherwise clear notes of ours past the paste.
std::optional<Clip> ClipOfMusicXml(const std::string& xml) {
  import::ImportOutcome outcome =
      import::ImportBytes(reinterpret_cast<const unsigned char*>(xml.data()), xml.size(),
                          import::FileKind::kMusicXml);
  if (!outcome.song) {
    return std::nullopt;
  }
  Clip clip = CopySlots(*outcome.song, 0, SixteenthCount(*outcome.song));
  std::size_t end = 0;
  bool sounding = false;
  for (std::size_t i = 0; i < clip.items.size(); ++i) {
    if (clip.items[i].pitch != SLOT_HOLD) {
      sounding = clip.items[i].pitch >= 0;
    }
    if (sounding) {
      end = i + 1;
    }
  }
  clip.items.resize(end);
  if (clip.items.empty()) {
    return std::nullopt;
  }
  return clip;
}

}  // namespace

StartFileType StartFileTypeOf(std::string_view path) {
  const std::string_view::size_type slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::string_view::size_type dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) {
    return StartFileType::kOther;
  }
  std::string extension(name.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "mwd") {
    return StartFileType::kScore;
  }
  if (extension == "musicxml" || extension == "mxl" || extension == "xml") {
    return StartFileType::kMusicXml;
  }
  if (extension == "mid" || extension == "midi" || extension == "kar" || extension == "smf") {
    return StartFileType::kMidi;
  }
  return StartFileType::kOther;
}

const std::array<ButtonLayout, kButtonCount> kMainButtons = {{
    {1000, Ui::Mark("   終  了"), kCommandQuit, {960, 622, 1048, 652}, true},
    {1001, Ui::Mark("   読　込"), kCommandOpen, {560, 622, 648, 652}, true},
    {1007, Ui::Mark("   保　存"), kCommandSave, {460, 622, 548, 652}, true},
    {1002, Ui::Mark("   ﾗｲﾌﾞﾗﾘ"), kCommandLibrary, {660, 622, 748, 652}, true},
    {1003, Ui::Mark("   再　生"), kCommandPlay, {660, 652, 748, 682}, true},
    {1004, Ui::Mark("   出　力"), kCommandExport, {860, 622, 948, 652}, true},
    {1005, Ui::Mark("   新　規"), kCommandNew, {460, 622, 548, 652}, false},
    {1006, Ui::Mark("  入力ﾂｰﾙ"), kCommandInputTool, {560, 652, 648, 682}, false},
    {1008, Ui::Mark("   設　定"), kCommandSettings, {460, 652, 548, 682}, true},
    {1009, Ui::Mark("   曲情報"), kCommandSongInfo, {360, 652, 448, 682}, true},
    {1010, Ui::Mark("   ヘルプ"), kCommandHelp, {960, 652, 1048, 682}, true},
}};

CKumoitoDlg::CKumoitoDlg(MainWindowFace& face, Options options)
    : m_face(face), m_options(std::move(options)) {
  AddCells(kScoreCellCount);
}

CKumoitoDlg::~CKumoitoDlg() {
  Destroy();
}

COffScreenControl& CKumoitoDlg::Control(int controlNumber) {
  if (controlNumber >= kFirstCellControl && controlNumber < kFirstCellControl + kScoreCellCount) {
    return *m_cellControls[controlNumber - kFirstCellControl];
  }
  if (controlNumber >= kMoreCellsControl &&
      controlNumber - kMoreCellsControl < CellControlCount() - kScoreCellCount) {
    return *m_cellControls[controlNumber - kMoreCellsControl + kScoreCellCount];
  }
  if (controlNumber == kExportLayerControl) {
    return m_exportLayer;
  }
  for (int i = 0; i < kButtonCount; ++i) {
    if (kMainButtons[i].control == controlNumber) {
      return m_buttonControls[i];
    }
  }
  return m_exportLayer;
}

CKumoitoDlg::StartResult CKumoitoDlg::Initialize() {
  const CommandLine line = ParseCommandLine(m_options.commandLine);
  m_batch = line.batch;
  // A conversion plays nothing: the output is opened only for a window.
  if (!line.batch && m_options.timer != nullptr) {
    m_playback = std::make_unique<midi::PlaybackController>(
        m_options.installedStartupFolder ? m_options.cacheFolder : m_options.startupFolder,
        m_options.cacheFolder, *m_options.timer,
        midi::PlaybackController::Callbacks{
            [this](std::string_view caption) { SetPlayCaption(caption); },
            [this](std::function<void()> task, std::chrono::milliseconds delay) {
              m_face.Post(std::move(task), delay);
            },
            [this](std::string_view why) { OnNoSound(why); },
            [this](std::int64_t slot) { OnCursor(slot); },
            [](const std::string& path, std::string_view why) {
              ShowMessageBox(Ui::Translate(kOutputFailed) + "\n" + path + "\n" + std::string(why));
            }});
    m_playback->ResetMidiOut();
  }

  MakeDirectories(m_options.dataFolder);
  // What writers killed part-way left behind in our own folders; a
  // conversion clears them once it is sure to run (RunBatch).
  if (!line.batch) {
    RemoveStaleTempFiles(m_options.dataFolder);
    if (!m_options.installedStartupFolder) {
      RemoveStaleTempFiles(m_options.startupFolder);
    }
  }
  m_config = std::make_unique<CConfigControl>(JoinPath(m_options.dataFolder, kSettingsFileName),
                                              &m_settings);
  m_interactive = !line.batch;
  if (m_interactive) {
    m_practice = LoadPracticeSettings(JoinPath(m_options.dataFolder, kPracticeFileName));
  }
  // A conversion takes the same settings, and never writes them.
  m_preferences = LoadPreferences(JoinPath(m_options.dataFolder, kPreferencesFileName));
  ApplySoundPreferences();
  ApplyTechniqueStyle(line.batch ? m_options.overrides.techniquesAbove : std::nullopt);
  // A conversion draws its pages from the cells' pictures; no screen shows
  // them, and the cells it does not use are never drawn.
  m_view.SetShownOnScreen(!line.batch);
  m_view.SetSyllablesShown(m_preferences.kuchijamisen);
  CreateButtons();
  CreateCells();

  StartResult result = StartResult::kInteractive;
  if (line.batch) {
    // The options of this one run; setup.ini keeps what it held.
    const SettingsBlock saved = m_settings;
    if (m_options.overrides.lyrics) {
      m_settings.lyricsShown = *m_options.overrides.lyrics ? 1 : 0;
    }
    if (m_options.overrides.titleBand) {
      m_settings.titleBand = *m_options.overrides.titleBand ? 1 : 0;
    }
    result = RunBatch(line);
    m_settings.lyricsShown = saved.lyricsShown;
    m_settings.titleBand = saved.titleBand;
  } else {
    FillCombos();
  }

  m_face.SetScrollRange(0);
  m_inputTool = std::make_unique<CInputDlg>(
      [this] { m_face.Post([this] { OnRedrawScore(); }, std::chrono::milliseconds(0)); });
  m_inputTool->Initialize();
  m_inputTool->SetHistory(&m_history);
  m_inputTool->SetOwnerCallback([this] {
    UpdateEditMark();
    FollowToolPosition();
  });
  CreateKeyCursor();
  m_cursorEntry = std::make_unique<CursorNoteEntry>(*m_keyCursor);
  m_chords.SetSink(m_cursorEntry.get());
  RewriteScratchScore();
  OpenScore(JoinPath(m_options.dataFolder, kScratchScore), false);
  if (result == StartResult::kInteractive) {
    m_recovery = std::make_unique<RecoveryStore>(m_options.dataFolder);
    OfferRecovery();
    if (!m_options.startFile.empty()) {
      OpenStartFile(m_options.startFile);
    }
    ScheduleRecoveryCheck();
  }
  return result;
}

void CKumoitoDlg::OpenStartFile(const std::string& path) {
  // Checked first: the reader would replace the scratch song by an empty
  // one, which a user who double-clicked a file cannot tell from a blank score.
  if (!FileExists(path)) {
    std::fprintf(stderr, "kumoito: cannot open \"%s\": %s\n", path.c_str(),
                 ScoreReadProblem(path).c_str());
    ShowMessageBox(Ui::Translate(kStartFileMissing) + "\n" + path);
    return;
  }
  std::optional<bool> automatic;
  switch (StartFileTypeOf(path)) {
    case StartFileType::kScore:
      automatic = false;
      break;
    case StartFileType::kMusicXml:
    case StartFileType::kMidi:
      // Imported as 読込 imports it; a file that is none says why itself.
      automatic = true;
      break;
    case StartFileType::kOther:
      // A melody under a name that does not say so is still one.
      if (IsForeignScoreFile(path)) {
        automatic = true;
      }
      break;
  }
  if (!automatic) {
    ShowMessageBox(Ui::Translate(kStartFileUnsupported) + "\n" + path);
    return;
  }
  if (ConfirmCloseSong()) {
    OpenScore(path, *automatic);
  }
}

void CKumoitoDlg::CreateButtons() {
  const auto click = [this](int id) { RunCommand(id); };
  for (int i = 0; i < kButtonCount; ++i) {
    const ButtonLayout& button = kMainButtons[i];
    COffScreenControl& control = m_buttonControls[i];
    if (i == 0) {
      m_buttons.CreateButtonGroup(control, button.rect, Cp932(Ui::Translate(button.caption)),
                                  kNormalFaceId, kPressedFaceId, -1, click, [](int) {});
    } else {
      m_buttons.AddButton(control, button.rect, Cp932(Ui::Translate(button.caption)), kNormalFaceId,
                          kPressedFaceId, -1);
    }
    control.m_id = button.command;
    if (!button.shown) {
      m_face.SetControlVisible(button.control, false);
    }
  }
}

void CKumoitoDlg::CreateCells() {
  m_basePitch = FirstStringPitch(m_settings.firstStringValue);
  m_tuning = ValidTuningIndex(m_settings.tuning);
  m_view.CreateScoreCells(*m_cellControls[0], ScoreCellRect(0), m_tuning, m_basePitch,
                          [this](int cell, int column) { OnCellClick(cell, column); });
  m_cellControls[0]->m_id = 0;
  // A window grown before the start already has the controls of its rows.
  for (int i = 1; i < CellControlCount(); ++i) {
    m_view.AddScoreCell(*m_cellControls[i], ScoreCellRect(i));
    m_cellControls[i]->m_id = i;
  }
  m_view.SetSettings(&m_settings);
  if (!m_batch) {
    m_view.SetCellsInUse(m_visibleRows * kScoreCellColumns);
  }
}

void CKumoitoDlg::AddCells(int cells) {
  const int target = std::min(cells, kMaxScoreCellCount);
  while (CellControlCount() < target) {
    const int i = CellControlCount();
    m_cellControls.push_back(std::make_unique<COffScreenControl>());
    if (m_view.CellCount() == i && i > 0 && !m_destroyed) {
      m_view.AddScoreCell(*m_cellControls[i], ScoreCellRect(i));
      m_cellControls[i]->m_id = i;
    }
  }
}

void CKumoitoDlg::FillCombos() {
  std::vector<std::string> items;
  for (const TuningEntry& t : kTuningTable) {
    items.push_back(Ui::Translate(t.name));
  }
  m_face.FillCombo(kTuningCombo, items);
  m_face.SelectCombo(kTuningCombo, ValidTuningIndex(m_settings.tuning));

  items.clear();
  int selected = -1;
  const std::int32_t firstString =
      m_settings.firstStringValue == -1 ? 0 : m_settings.firstStringValue;
  for (int i = 0; i < kFirstStringCount; ++i) {
    items.push_back(FirstStringItemText(kFirstStringList[i]));
    if (kFirstStringList[i].value == firstString) {
      selected = i;
    }
  }
  m_face.FillCombo(kFirstStringCombo, items);
  m_face.SelectCombo(kFirstStringCombo, selected);
  FillKeyCombo();
}

void CKumoitoDlg::FillKeyCombo() {
  std::vector<std::string> items;
  for (int k = 0; k < kMajorKeyCount; ++k) {
    items.push_back(KeyItemText(k, m_minorSong));
  }
  m_face.FillCombo(kKeyCombo, items);
  m_face.SelectCombo(kKeyCombo, ValidMajorKeyIndex(m_settings.key));
}

std::string CKumoitoDlg::SongTitle() const {
  return m_song ? Cp932ToUtf8Lenient(FieldText(m_song->m_info.title)) : std::string();
}

std::string CKumoitoDlg::SongFileForDialogs() const {
  if (!m_song || m_song->m_filePath.empty() ||
      m_song->m_filePath == JoinPath(m_options.dataFolder, kScratchScore)) {
    return {};
  }
  return m_song->m_filePath;
}

void CKumoitoDlg::UpdateCaption() {
  if (m_batch || !m_song) {
    return;
  }
  std::string caption = MainWindowCaption(SongTitle(), HasUnsavedChanges());
  if (caption != m_caption) {
    m_caption = std::move(caption);
    m_face.ShowCaption(m_caption);
  }
}

CKumoitoDlg::StartResult CKumoitoDlg::RunBatch(const CommandLine& line) {
  // What the parser cut off or ended early is not what was asked for: the
  // image would go to some other file, or be drawn with other values.
  if (line.fault != CommandLineFault::kNone) {
    std::fprintf(stderr, "kumoito: %s; no image written\n",
                 CommandLineFaultText(line.fault).c_str());
    return StartResult::kBatchRefused;
  }
  // Values no list holds would index the tables: refuse them before
  // anything is written.
  if (line.firstString < 0 || line.firstString >= kFirstStringCount || line.key < -1 ||
      line.key >= kMajorKeyCount) {
    std::fprintf(stderr,
                 "kumoito: first string must be 0..11 and key -1..11 (got %d and %d); "
                 "no image written\n",
                 line.firstString, line.key);
    return StartResult::kBatchRefused;
  }
  m_settings.firstStringValue = line.firstString;
  m_settings.tuning = TuningFromWord(line.tuningWord);
  // Automatic arrangement replaces the key; until then a valid row stands.
  m_settings.key = line.key == -1 ? 0 : line.key;
  RemoveStaleTempFiles(m_options.dataFolder);
  if (!m_options.installedStartupFolder) {
    RemoveStaleTempFiles(m_options.startupFolder);
  }
  OpenScore(line.scorePath, line.key == -1, true);
  if (m_openRefused) {
    return StartResult::kBatchFailed;  // the reader's message is on standard error
  }
  // Only the folder this run writes to, and only now that it will.
  RemoveStaleTempFiles(ParentFolder(line.imagePath));
  std::string why;
  if (!WriteOutput(line.imagePath, why)) {
    // A failed write has said its cause already (SetWriteFailureNotice).
    if (!LastWriteError()) {
      std::fprintf(stderr, "kumoito: nothing written to \"%s\": %s\n", line.imagePath.c_str(),
                   why.empty() ? "the song has nothing to draw" : why.c_str());
    }
    return StartResult::kBatchFailed;
  }
  return StartResult::kBatchDone;
}

PrintHeader CKumoitoDlg::MakePrintHeader() const {
  PrintHeader header;
  const auto utf8 = [](std::string_view cp932) { return Cp932ToUtf8Lenient(cp932); };
  header.title = utf8(FieldText(m_song->m_info.title));
  header.lyricist = utf8(FieldText(m_song->m_info.lyricist));
  header.composer = utf8(FieldText(m_song->m_info.composer));
  header.tuning = std::string(kTuningTable[ValidTuningIndex(m_tuning)].name);
  header.firstString = std::string(kNoteNames[((m_basePitch % 12) + 12) % 12]);
  header.key = std::string(kKeyTable[ValidKeyIndex(m_song->m_keyIndex)].name);
  header.tempo = m_song->m_info.tempo;
  return header;
}

ScorePageOptions CKumoitoDlg::PageOptions(OutputFormat format) const {
  const bool image =
      format == OutputFormat::kBmp || format == OutputFormat::kPng || format == OutputFormat::kJpeg;
  ScorePageOptions options;
  options.measureNumbers = m_options.overrides.measureNumbers.value_or(
      image ? m_preferences.imageMeasureNumbers : m_preferences.measureNumbers);
  options.syllables = m_options.overrides.kuchijamisen.value_or(
      format == OutputFormat::kPdf ? m_preferences.printKuchijamisen : m_preferences.kuchijamisen);
  return options;
}

bool CKumoitoDlg::WriteOutput(const std::string& path, std::string& why) {
  why.clear();
  switch (OutputFormatForPath(path)) {
    case OutputFormat::kBmp:
      return ExportScoreImage(m_view, m_exportLayer, path, ImageFormat::kBmp,
                              PageOptions(OutputFormat::kBmp));
    case OutputFormat::kPng:
      return ExportScoreImage(m_view, m_exportLayer, path, ImageFormat::kPng,
                              PageOptions(OutputFormat::kPng));
    case OutputFormat::kJpeg:
      return ExportScoreImage(m_view, m_exportLayer, path, ImageFormat::kJpeg,
                              PageOptions(OutputFormat::kJpeg));
    case OutputFormat::kPdf:
      return ExportScorePdf(m_view, MakePrintHeader(), path, why, PageOptions(OutputFormat::kPdf));
    case OutputFormat::kSvg:
      return ExportScoreSvg(m_view, path, why, PageOptions(OutputFormat::kSvg));
    case OutputFormat::kMidi:
      if (!midi::ExportPerformanceMidi(*m_song, path)) {
        why = "the performance cannot be written";
        return false;
      }
      return true;
    case OutputFormat::kWav:
      return midi::ExportPerformanceWav(*m_song, path, why);
    case OutputFormat::kScore:
      StoreTabTuning();
      return WriteBatchScore(*m_song, path);
    case OutputFormat::kMusicXml:
      return WriteMusicXmlOutput(path, why);
  }
  return false;
}

bool CKumoitoDlg::WriteMusicXmlOutput(const std::string& path, std::string& why) {
  // The TAB staff holds the numbers shown: the song in the strings shown.
  return musicxml::WriteMusicXmlFile(
      *m_song, OpenStringPitches(m_basePitch - kFirstStringBasePitch, m_tuning), path, why);
}

std::string CKumoitoDlg::SelectionMusicXml(int firstSlot, int endSlot) const {
  if (!m_song) {
    return {};
  }
  return musicxml::MusicXmlOfRange(*m_song,
                                   OpenStringPitches(m_basePitch - kFirstStringBasePitch, m_tuning),
                                   firstSlot, endSlot);
}

void CKumoitoDlg::RewriteScratchScore() {
  const std::string path = JoinPath(m_options.dataFolder, kScratchScore);
  std::int32_t beats = 4, key = 0, measures = 8;
  std::unique_ptr<CSongData> scratch = CSongData::LoadOrCreate(path, beats, key, measures);
  SaveScore(*scratch, scratch->m_beatsPerMeasure, scratch->m_keyIndex, path, scratch->m_headerWord);
}

void CKumoitoDlg::RebuildOpenStrings() {
  m_view.SetOpenStrings(OpenStringPitches(m_basePitch - kFirstStringBasePitch, m_tuning));
  if (m_keyCursor) {
    m_keyCursor->SetStrings(m_view.GetOpenStrings());
  }
}

void CKumoitoDlg::OpenScore(const std::string& path, bool automatic, bool mustRead) {
  OpenSong(path, automatic, nullptr, mustRead);
}

void CKumoitoDlg::OpenSong(const std::string& path, bool automatic,
                           std::unique_ptr<CSongData> given, bool mustRead) {
  m_openRefused = false;
  const bool foreign = !given && IsForeignScoreFile(path);
  ForeignSong loaded;
  if (foreign) {
    loaded =
        LoadForeignSong(path, [this](const std::vector<import::PartSummary>& parts, int suggested) {
          return m_face.AskImportPart(parts, suggested);
        });
    if (!loaded.song) {
      m_openRefused = true;
      if (loaded.error) {
        if (m_batch) {
          std::fprintf(stderr, "kumoito: %s\n", loaded.error->c_str());
        } else {
          ShowMessageBox(*loaded.error);
        }
      }
      return;
    }
  }
  std::unique_ptr<CSongData> read = given ? std::move(given) : std::move(loaded.song);
  if (!read) {
    std::int32_t beats = 0, key = 0, measures = 0;
    // A conversion draws nothing for a score it cannot read: the empty song
    // made in its place would replace the user's previous output.
    read = mustRead ? CSongData::LoadExisting(path, beats, key, measures)
                    : CSongData::LoadOrCreate(path, beats, key, measures);
    if (!read) {
      m_openRefused = true;
      std::fprintf(stderr, "kumoito: cannot read the score \"%s\": %s\n", path.c_str(),
                   ScoreReadProblem(path).c_str());
      return;
    }
  }
  m_view.SetSong(nullptr);
  if (m_inputTool) {
    m_inputTool->SetSong(nullptr);
  }
  if (m_keyCursor) {
    m_keyCursor->SetSong(nullptr);
  }
  // The steps belong to the song they were made on.
  m_history.Clear();
  m_song = std::move(read);

  // A tab saved with its tuning opens in it, so that its numbers are the
  // ones it was written with; in a conversion only where the key is left
  // to the program, and then only what it would choose (key and tuning).
  // A MusicXML TAB staff in one of our tunings is such a tab too.
  if (!given && m_song->m_marks.tuning.stored && (automatic || !m_batch)) {
    ApplyStoredTuning(m_song->m_marks.tuning, !m_batch);
    automatic = false;
  }
  // Fitting the key below keeps only the major row; the list says the
  // minor key the song was written in.
  const bool minor = kKeyTable[ValidKeyIndex(m_song->m_keyIndex)].minor == 1;
  if (!m_batch && minor != m_minorSong) {
    m_minorSong = minor;
    FillKeyCombo();
  }
  if (automatic) {
    const KeyAndTuning chosen = ChooseKeyAndTuning(*m_song, m_settings.firstStringValue);
    m_settings.key = chosen.key;
    m_settings.tuning = chosen.tuning;
    m_face.SelectCombo(kKeyCombo, chosen.key);
    m_face.SelectCombo(kTuningCombo, chosen.tuning);
  }
  if (!m_batch) {
    const std::string tip =
        automatic
            ? Ui::Format(Ui::Tr("曲を開いたとき、一の糸 %1 の開放弦に当たる音が最も多くなる"
                                "調と調子を自動で選びました。"
                                "別の調を選ぶと、曲全体がその調に移ります。"),
                         {FirstStringItemText(FirstStringEntryOf(m_settings.firstStringValue))})
            : Ui::Tr("別の調を選ぶと、曲全体がその調に移ります。");
    m_face.SetComboToolTip(kKeyCombo, tip);
    m_face.SetComboToolTip(kTuningCombo, automatic ? tip : std::string());
  }
  const int targetKey = ValidMajorKeyIndex(m_settings.key);
  m_tuning = ValidTuningIndex(m_settings.tuning);
  m_basePitch = FirstStringPitch(m_settings.firstStringValue);
  RebuildOpenStrings();
  ChangeKey(*m_song, m_song->m_keyIndex, targetKey);
  FitOctave(*m_song, m_basePitch);
  if (foreign) {
    // What the octave fitting leaves above the third string's reach.
    const int moved = import::FitIntoPlayableRange(
        *m_song, OpenStringPitches(m_basePitch - kFirstStringBasePitch, m_tuning));
    if (moved > 0) {
      loaded.notices.push_back(
          Ui::Format(Ui::Tr("演奏できる音域に入れるため、%1 個の音符をオクターブ移しました。"),
                     {std::to_string(moved)}));
    }
  }
  m_view.SetSong(m_song.get());
  m_view.RefreshScoreView();
  m_face.SetScrollRange(HighestScrollPosition());
  m_view.SetCursorSlot(kNoCursorSlot);
  m_shownMeasureCount = m_song->m_measureCount;
  if (m_interactive) {
    m_face.ShowPractice(m_practice, m_song->m_measureCount);
  }
  if (m_keyCursor) {
    m_keyCursor->SetSong(m_song.get());
  }
  if (m_inputTool) {
    m_inputTool->SetSong(m_song.get());
    m_inputTool->SetMeasureRange(1, m_song->m_measureCount + 1);
    m_inputTool->SetStringState(m_basePitch, m_tuning);
  }
  UpdateEditMark();
  // What the user sees now is what the file holds, once key and octave are
  // fitted; an import, a new song or a recovered one has no such file.
  m_savedImage.clear();
  if (!m_batch && !foreign && m_song->m_readFromFile) {
    m_savedImage = ScoreFileImage(*m_song);
  }
  UpdateRecovery();
  UpdateCaption();
  if (!loaded.notices.empty()) {
    if (m_batch) {
      for (const std::string& notice : loaded.notices) {
        std::fprintf(stderr, "kumoito: %s: %s\n", path.c_str(), notice.c_str());
      }
    } else {
      std::string text;
      for (const std::string& notice : loaded.notices) {
        text += (text.empty() ? "" : "\n") + notice;
      }
      ShowMessageBox(text);
    }
  }
}

void CKumoitoDlg::OpenUserFile(const std::string& path) {
  if (ConfirmCloseSong()) {
    OpenScore(path, IsForeignScoreFile(path));
  }
}

bool CKumoitoDlg::HasUnsavedChanges() const {
  return m_song && (m_savedImage.empty() || ScoreFileImage(*m_song) != m_savedImage);
}

bool CKumoitoDlg::ConfirmCloseSong() {
  if (!HasUnsavedChanges()) {
    return true;
  }
  switch (m_face.AskSaveChanges()) {
    case SaveChangesChoice::kSave:
      return SaveSong();
    case SaveChangesChoice::kDiscard:
      return true;
    case SaveChangesChoice::kCancel:
      break;
  }
  return false;
}

void CKumoitoDlg::ApplyStoredTuning(const TabTuning& stored, bool firstStringToo) {
  if (firstStringToo) {
    SelectFirstStringValue(stored.firstString);
  }
  m_settings.tuning = ValidTuningIndex(stored.tuning);
  m_face.SelectCombo(kTuningCombo, m_settings.tuning);
  m_settings.key = ValidMajorKeyIndex(stored.key);
  m_face.SelectCombo(kKeyCombo, m_settings.key);
}

void CKumoitoDlg::SelectFirstStringValue(std::int32_t value) {
  for (int i = 0; i < kFirstStringCount; ++i) {
    if (kFirstStringList[i].value == value) {
      m_settings.firstStringValue = value;
      m_face.SelectCombo(kFirstStringCombo, i);
    }
  }
}

void CKumoitoDlg::StoreTabTuning() {
  if (m_song) {
    m_song->m_marks.tuning =
        TabTuning{1, static_cast<std::uint8_t>(ValidTuningIndex(m_settings.tuning)),
                  static_cast<std::uint8_t>(ValidFirstStringValue(m_settings.firstStringValue)),
                  static_cast<std::uint8_t>(ValidMajorKeyIndex(m_settings.key))};
  }
}

void CKumoitoDlg::FollowStoredTuning() {
  // A song that keeps the tuning it was saved in keeps the one now shown: a
  // change of the lists is then a change of the song.
  if (m_song && m_song->m_marks.tuning.stored) {
    StoreTabTuning();
    UpdateCaption();
  }
}

bool CKumoitoDlg::SaveSong() {
  const std::optional<std::string> path = m_face.AskSaveScorePath();
  if (m_song && path && !path->empty()) {
    StoreTabTuning();
  }
  if (!m_song || !path || path->empty() ||
      !SaveScore(*m_song, m_song->m_beatsPerMeasure, m_song->m_keyIndex, *path,
                 m_song->m_headerWord)) {
    return false;
  }
  m_song->m_filePath = *path;
  m_savedImage = ScoreFileImage(*m_song);
  UpdateRecovery();
  UpdateCaption();
  return true;
}

void CKumoitoDlg::UpdateRecovery() {
  if (!m_recovery || !m_song) {
    return;
  }
  RecoveredSong now;
  now.score = ScoreFileImage(*m_song);
  if (!m_savedImage.empty() && now.score == m_savedImage) {
    if (!m_recoveryBytes.empty()) {
      m_recovery->Remove();
      m_recoveryBytes.clear();
    }
    return;
  }
  now.sourcePath = m_song->m_filePath;
  now.firstStringValue = m_settings.firstStringValue;
  now.tuning = m_tuning;
  now.key = m_settings.key;
  std::vector<unsigned char> bytes = EncodeRecovery(now);
  if (bytes != m_recoveryBytes) {
    // A write that failed has said so; the next change tries again.
    m_recovery->Write(now);
    m_recoveryBytes = std::move(bytes);
  }
}

void CKumoitoDlg::PreserveForSessionEnd() {
  UpdateRecovery();
  m_keepRecovery = true;
}

void CKumoitoDlg::StopPlayback() {
  if (m_playback && m_playback->IsPlaying()) {
    m_playback->Play(m_song.get());
  }
}

std::string CKumoitoDlg::RecoveryPath() const {
  return m_recovery ? m_recovery->Path() : std::string();
}

void CKumoitoDlg::ScheduleRecoveryCheck() {
  const std::weak_ptr<int> alive = m_alive;
  m_face.Post(
      [this, alive] {
        if (alive.expired() || m_destroyed) {
          return;
        }
        UpdateRecovery();
        UpdateCaption();
        ScheduleRecoveryCheck();
      },
      kRecoveryCheckPeriod);
}

void CKumoitoDlg::OfferRecovery() {
  for (const std::string& path : m_recovery->Orphans()) {
    const std::optional<RecoveredSong> found = ReadRecoveryFile(path);
    if (!found || found->score.size() != score_layout::kFileSize) {
      std::fprintf(stderr, "kumoito: \"%s\" is no whole recovery file; it is left alone\n",
                   path.c_str());
      continue;
    }
    const std::optional<bool> restore = m_face.AskRestoreRecovery();
    if (!restore) {
      return;  // kept for a start that can ask
    }
    if (*restore) {
      RestoreRecovered(*found);
    }
    RecoveryStore::ForgetOrphan(path);
    return;  // one song at a time; another lost one is offered at the next start
  }
}

void CKumoitoDlg::RestoreRecovered(const RecoveredSong& recovered) {
  std::int32_t beats = 4, key = 0, measures = 8;
  std::unique_ptr<CSongData> song = CSongData::LoadOrCreate("", beats, key, measures);
  song->ResetSong();
  DecodeScoreBytes(*song, recovered.score.data(), recovered.score.size());
  if (song->m_beatsPerMeasure < kMinBeatsPerMeasure ||
      song->m_beatsPerMeasure > kMaxBeatsPerMeasure) {
    std::fputs("kumoito: the recovered song has no valid time; it is not opened\n", stderr);
    return;
  }
  song->SetKeyName(song->m_keyIndex);
  song->m_filePath = recovered.sourcePath;
  // The strings and key it was shown with: the settings of a window that
  // ended abnormally were never written.
  SelectFirstStringValue(recovered.firstStringValue);
  m_settings.tuning = ValidTuningIndex(recovered.tuning);
  m_face.SelectCombo(kTuningCombo, m_settings.tuning);
  m_settings.key = ValidMajorKeyIndex(recovered.key);
  m_face.SelectCombo(kKeyCombo, m_settings.key);
  OpenSong(recovered.sourcePath, false, std::move(song));
}

int CKumoitoDlg::HighestScrollPosition() const {
  if (!m_song) {
    return 0;
  }
  return std::max(m_song->m_measureCount / kScoreCellColumns - (m_shownRows - 1), 0);
}

void CKumoitoDlg::SetShownRows(int rows, int visibleRows) {
  rows = std::clamp(rows, 1, kMaxScoreRows);
  visibleRows = std::clamp(visibleRows, rows, kMaxScoreRows);
  if (visibleRows != m_visibleRows) {
    const int before = m_view.CellCount();
    m_visibleRows = visibleRows;
    AddCells(visibleRows * kScoreCellColumns);
    if (before > 0) {
      // New cells start empty: they are filled as they come into use.
      m_view.SetCellsInUse(visibleRows * kScoreCellColumns);
      UpdateEditMark();
    }
  }
  if (rows == m_shownRows) {
    return;
  }
  m_shownRows = rows;
  if (!m_song) {
    return;
  }
  const int highest = HighestScrollPosition();
  m_face.SetScrollRange(highest);
  if (ScrollPosition() > highest) {
    m_face.SetScrollPosition(highest);
    m_view.SetFirstShownMeasure(highest * kScoreCellColumns);
    m_view.RefreshScoreView();
    UpdateEditMark();
  }
}

void CKumoitoDlg::OnFirstStringChanged(int index) {
  if (index < 0 || index >= kFirstStringCount) {
    return;
  }
  const std::int64_t before = OwnerState();
  m_settings.firstStringValue = kFirstStringList[index].value;
  m_basePitch = FirstStringPitch(m_settings.firstStringValue);
  RebuildOpenStrings();
  if (m_song) {
    // The octave fitting moves the notes: undoable with the choice.
    m_history.BeginEdit(*m_song, Ui::Tr("一の糸の変更"), before);
    FitOctave(*m_song, m_basePitch);
    FollowStoredTuning();
    m_history.CommitEdit(*m_song, OwnerState());
    UpdateCaption();
  }
  // After the fitting: the tool shows the notes as they now lie on the new
  // strings.
  if (m_inputTool) {
    m_inputTool->SetStringState(m_basePitch, m_tuning);
  }
  m_view.RefreshScoreView();
}

void CKumoitoDlg::OnTuningChanged(int index) {
  if (index < 0 || index >= kTuningCount) {
    return;
  }
  m_settings.tuning = index;
  m_tuning = index;
  FollowStoredTuning();
  RebuildOpenStrings();
  if (m_inputTool) {
    m_inputTool->SetStringState(m_basePitch, m_tuning);
  }
  m_view.RefreshScoreView();
}

void CKumoitoDlg::OnKeyChanged(int index) {
  if (!m_song || index < 0 || index >= kMajorKeyCount) {
    return;
  }
  const int oldKey = ValidMajorKeyIndex(m_settings.key);
  m_history.BeginEdit(*m_song, Ui::Tr("調の変更"), OwnerState());
  m_settings.key = index;
  ChangeKey(*m_song, oldKey, index);
  FitOctave(*m_song, m_basePitch);
  FollowStoredTuning();
  m_history.CommitEdit(*m_song, OwnerState());
  UpdateCaption();
  if (m_inputTool) {
    m_inputTool->SyncWithSong();
  }
  m_view.RefreshScoreView();
}

void CKumoitoDlg::OnScroll(ScrollAction action, int thumbPosition) {
  const int highest = HighestScrollPosition();
  int position = ScrollPosition();
  switch (action) {
    case ScrollAction::kLineUp:
      position -= 1;
      break;
    case ScrollAction::kLineDown:
      position += 1;
      break;
    case ScrollAction::kPageUp:
      position -= m_shownRows;
      break;
    case ScrollAction::kPageDown:
      position += m_shownRows;
      break;
    case ScrollAction::kThumbPosition:
      position = thumbPosition;
      break;
    case ScrollAction::kTop:
      position = 0;
      break;
    case ScrollAction::kBottom:
      position = highest;
      break;
  }
  position = std::clamp(position, 0, highest);
  m_face.SetScrollPosition(position);
  m_view.SetFirstShownMeasure(position * kScoreCellColumns);
  m_view.RefreshScoreView();
  UpdateEditMark();
}

void CKumoitoDlg::OnCellClick(int cell, int column) {
  if (!m_song || !m_inputTool) {
    return;
  }
  const int measure = m_view.FirstShownMeasure() + cell;
  m_inputTool->SelectPosition(measure + 1, column + 1);
  if (m_keyCursor) {
    m_keyCursorShown = true;
    m_keyCursor->PlaceAt(m_keyCursor->Position(), m_view.LastPressString());
  }
}

void CKumoitoDlg::OnRedrawScore() {
  if (!m_destroyed) {
    FollowMeasureCount();
    m_view.RefreshScoreView();
    UpdateEditMark();
    UpdateCaption();
  }
}

void CKumoitoDlg::FollowMeasureCount() {
  if (!m_song || m_song->m_measureCount == m_shownMeasureCount) {
    return;
  }
  m_shownMeasureCount = m_song->m_measureCount;
  const int highest = HighestScrollPosition();
  m_face.SetScrollRange(highest);
  if (ScrollPosition() > highest) {
    m_face.SetScrollPosition(highest);
    m_view.SetFirstShownMeasure(highest * kScoreCellColumns);
  }
  if (m_interactive) {
    m_face.ShowPractice(m_practice, m_song->m_measureCount);
  }
  if (m_inputTool) {
    m_inputTool->SetMeasureRange(1, m_song->m_measureCount + 1);
  }
}

std::int64_t CKumoitoDlg::OwnerState() const {
  return static_cast<std::int64_t>(m_settings.key) << 32 |
         static_cast<std::uint32_t>(m_settings.firstStringValue);
}

void CKumoitoDlg::ApplyOwnerState(std::int64_t state) {
  const auto key = static_cast<std::int32_t>(state >> 32);
  const auto firstString = static_cast<std::int32_t>(static_cast<std::uint32_t>(state));
  if (key != m_settings.key) {
    m_settings.key = key;
    m_face.SelectCombo(kKeyCombo, ValidMajorKeyIndex(key));
  }
  if (firstString != m_settings.firstStringValue) {
    m_settings.firstStringValue = firstString;
    for (int i = 0; i < kFirstStringCount; ++i) {
      if (kFirstStringList[i].value == (firstString == -1 ? 0 : firstString)) {
        m_face.SelectCombo(kFirstStringCombo, i);
      }
    }
    m_basePitch = FirstStringPitch(firstString);
    RebuildOpenStrings();
  }
}

void CKumoitoDlg::ShowChangedSong() {
  if (m_keyCursor) {
    m_keyCursor->FollowSong();
  }
  FollowMeasureCount();
  if (m_inputTool) {
    m_inputTool->SetStringState(m_basePitch, m_tuning);
    m_inputTool->SyncWithSong();
  }
  m_view.RefreshScoreView();
  UpdateEditMark();
  UpdateCaption();
}

bool CKumoitoDlg::Undo() {
  return ApplyHistoryStep(&EditHistory::Undo);
}

bool CKumoitoDlg::Redo() {
  return ApplyHistoryStep(&EditHistory::Redo);
}

bool CKumoitoDlg::ApplyHistoryStep(
    std::optional<EditHistory::Applied> (EditHistory::*step)(CSongData&)) {
  if (!m_song || m_destroyed) {
    return false;
  }
  const auto applied = (m_history.*step)(*m_song);
  if (!applied) {
    return false;
  }
  ApplyOwnerState(applied->ownerState);
  ShowChangedSong();
  return true;
}

std::string CKumoitoDlg::UndoCaption() const {
  return m_history.CanUndo() ? Ui::Format(Ui::Tr("元に戻す: %1"), {m_history.UndoName()})
                             : Ui::Tr("元に戻す");
}

std::string CKumoitoDlg::RedoCaption() const {
  return m_history.CanRedo() ? Ui::Format(Ui::Tr("やり直し: %1"), {m_history.RedoName()})
                             : Ui::Tr("やり直し");
}

std::optional<Rect> CKumoitoDlg::EditMarkRect() const {
  if (!m_song || !m_inputTool || m_song->m_beatsPerMeasure < kMinBeatsPerMeasure ||
      m_song->m_beatsPerMeasure > kMaxBeatsPerMeasure) {
    return std::nullopt;
  }
  const auto slot = m_inputTool->EditedSlot();
  if (!slot) {
    return std::nullopt;
  }
  const int cellsPerMeasure = 2 * m_song->m_beatsPerMeasure;
  const int shown = slot->cell / cellsPerMeasure - m_view.FirstShownMeasure();
  if (shown < 0 || shown >= m_view.CellsInUse()) {
    return std::nullopt;
  }
  // A cell draws the kandokoro of half beat c at (c + 1) tenths of its
  // width; the frame takes the first or second half of that place.
  const Rect cell = ScoreCellRect(shown);
  const int step = cell.Width() / 10;
  const int left =
      cell.left + (slot->cell % cellsPerMeasure + 1) * step - 2 + slot->slot * step / 2;
  return Rect{left, cell.top + 12, left + step / 2 + 8, cell.top + 70};
}

void CKumoitoDlg::UpdateEditMark() {
  if (!m_destroyed && m_interactive) {
    m_face.ShowEditMark(EditMarkRect());
    m_face.ShowRowNumbers(RowNumbers());
  }
}

void CKumoitoDlg::OnSystemCommand(int command) {
  if ((command & ~0xF) == kAboutCommand) {
    m_face.ShowAbout();
  }
}

void CKumoitoDlg::OnSpeedChanged(int percent) {
  m_practice.speed = percent;
  m_practice = ValidPracticeSettings(m_practice);
  if (m_playback) {
    m_playback->SetSpeed(m_practice.speed);
  }
}

void CKumoitoDlg::OnLoopChanged(bool on) {
  m_practice.loop = on;
}

void CKumoitoDlg::OnLoopRangeChanged(int firstMeasure, int lastMeasure) {
  m_practice.loopFirstMeasure = firstMeasure;
  m_practice.loopLastMeasure = lastMeasure;
  m_practice = ValidPracticeSettings(m_practice);
}

void CKumoitoDlg::OnCountInChanged(bool on) {
  m_practice.countIn = on;
}

std::vector<int> CKumoitoDlg::RowNumbers() const {
  std::vector<int> numbers(
      static_cast<std::size_t>(std::max(m_visibleRows, kScoreCellCount / kScoreCellColumns)), 0);
  if (!m_song || !m_preferences.measureNumbers) {
    return numbers;
  }
  for (std::size_t row = 0; row < numbers.size(); ++row) {
    const int measure = m_view.FirstShownMeasure() + static_cast<int>(row) * kScoreCellColumns;
    numbers[row] = measure < m_song->m_measureCount ? measure + 1 : 0;
  }
  return numbers;
}

void CKumoitoDlg::OnRowNumberClick(int row, bool last) {
  const std::vector<int> numbers = RowNumbers();
  if (row < 0 || row >= static_cast<int>(numbers.size()) || numbers[row] == 0) {
    return;
  }
  const int measure = numbers[row];
  if (last) {
    m_practice.loopLastMeasure = measure;
    m_practice.loopFirstMeasure = std::min(m_practice.loopFirstMeasure, measure);
  } else {
    m_practice.loopFirstMeasure = measure;
    m_practice.loopLastMeasure = std::max(m_practice.loopLastMeasure, measure);
  }
  m_practice = ValidPracticeSettings(m_practice);
  m_face.ShowPractice(m_practice, m_song->m_measureCount);
}

SettingsChoice CKumoitoDlg::CurrentSettingsChoice() const {
  SettingsChoice choice;
  choice.lyricsShown = m_settings.lyricsShown == 1;
  choice.titleBand = m_settings.titleBand == 1;
  choice.preferences = m_preferences;
  return choice;
}

void CKumoitoDlg::ApplySettings(const SettingsChoice& choice) {
  const bool lyricsChanged = (m_settings.lyricsShown == 1) != choice.lyricsShown;
  m_settings.lyricsShown = choice.lyricsShown ? 1 : 0;
  m_settings.titleBand = choice.titleBand ? 1 : 0;
  const Preferences before = m_preferences;
  m_preferences = ValidPreferences(choice.preferences);
  if (m_preferences != before) {
    SavePreferences(JoinPath(m_options.dataFolder, kPreferencesFileName), m_preferences);
  }
  if (m_preferences.measureNumbers != before.measureNumbers) {
    UpdateEditMark();
  }
  const bool syllablesChanged = m_preferences.kuchijamisen != before.kuchijamisen;
  m_view.SetSyllablesShown(m_preferences.kuchijamisen);
  ApplySoundPreferences();
  // An open output keeps the font and gain it was made with: a playback
  // under way stops (Play toggles), and the output is made again.
  if (m_playback &&
      (m_preferences.soundFont != before.soundFont || m_preferences.volume != before.volume)) {
    if (m_playback->IsPlaying()) {
      m_playback->Play(m_song.get());
    }
    m_playback->ResetMidiOut();
  }
  if (m_preferences.midiInput != before.midiInput) {
    ListenToMidiInput();
  }
  ApplyTechniqueStyle(std::nullopt);
  if (lyricsChanged || syllablesChanged ||
      m_preferences.techniquesAbove != before.techniquesAbove) {
    OnRedrawScore();
  }
}

void CKumoitoDlg::ApplyTechniqueStyle(std::optional<bool> forcedAbove) {
  const auto style = [](bool above) {
    return above ? TechniqueStyle::kAbove : TechniqueStyle::kBelow;
  };
  m_view.SetTechniqueStyle(style(m_preferences.techniquesAbove),
                           forcedAbove ? style(*forcedAbove) : TechniqueStyle::kUnset);
}

void CKumoitoDlg::SetKuchijamisenShown(bool shown) {
  SettingsChoice choice = CurrentSettingsChoice();
  choice.preferences.kuchijamisen = shown;
  ApplySettings(choice);
}

void CKumoitoDlg::ApplySoundPreferences() {
  midi::SetSoundFontChoice(m_preferences.soundFont);
  midi::SetSynthVolume(m_preferences.volume);
  m_practice.countInLevel = m_preferences.countInLevel;
}

void CKumoitoDlg::OnNoSound(std::string_view why) {
  // A box on every press would stop the window each time a key plays, for
  // news the user already has.
  if (!m_toldNoSound) {
    m_toldNoSound = true;
    m_face.TellNoSound(Ui::Translate(kNoSoundTitle) + "\n" + std::string(why) + "\n" +
                       Ui::Translate(kNoSoundAdvice));
    return;
  }
  m_face.ShowSoundNote(Ui::Translate(kNoSoundNote), std::string(why));
}

void CKumoitoDlg::OnCursor(std::int64_t slot) {
  if (m_destroyed || !m_song) {
    return;
  }
  const int measure = m_view.MeasureOfSlot(slot);
  const int first = m_view.FirstShownMeasure();
  if (measure >= 0 && measure < m_song->m_measureCount &&
      (measure < first || measure >= first + m_shownRows * kScoreCellColumns)) {
    // The music left the rows shown: its row comes to the top (or as near
    // as the scroll range allows), and the whole view is drawn once.
    const int position = std::clamp(measure / kScoreCellColumns, 0, HighestScrollPosition());
    m_face.SetScrollPosition(position);
    m_view.SetFirstShownMeasure(position * kScoreCellColumns);
    m_view.SetCursorSlot(slot);
    m_view.RefreshScoreView();
    UpdateEditMark();
    return;
  }
  m_view.SetCursorSlot(slot);
}

void CKumoitoDlg::SetPlayCaption(std::string_view utf8) {
  m_buttons.SetPlayCaption(Utf8ToCp932(Ui::Translate(utf8)).value_or(""));
  m_buttons.PresentAllButtons();
}

void CKumoitoDlg::RunCommand(int command) {
  switch (command) {
    case kCommandQuit:
      if (ConfirmCloseSong()) {
        m_face.Quit();
      }
      break;
    case kCommandOpen:
      if (auto path = m_face.AskOpenScorePath(); path && !path->empty()) {
        OpenUserFile(*path);
      }
      break;
    case kCommandLibrary: {
      const std::string root = JoinPath(m_options.startupFolder, kLibraryFolder);
      const std::string chosen =
          m_face.RunLibraryDialog(m_options.startupFolder, root, m_settings.libraryCategory);
      if (!chosen.empty() && ConfirmCloseSong()) {
        OpenScore(chosen, true);
      }
      break;
    }
    case kCommandPlay:
      if (m_song && m_playback) {
        // From where the note input tool stands; measure 1, beat 1 is the
        // whole song as before.
        const int measure = m_inputTool ? m_inputTool->Measure() : 1;
        const int beat = m_inputTool ? m_inputTool->Beat() : 1;
        // A note from an earlier silent playback is this one's to renew.
        m_face.ShowSoundNote("", "");
        m_playback->Play(m_song.get(), m_practice, measure, beat);
      }
      break;
    case kCommandExport:
      if (auto path = m_face.AskExportPath(); path && !path->empty() && m_song) {
        std::string why;
        // The image formats report their own faults; the others say why here.
        if (!WriteOutput(*path, why) && !why.empty()) {
          ShowMessageBox(Ui::Translate(kOutputFailed) + "\n" + *path + "\n" + why);
        }
      }
      break;
    case kCommandSave:
      SaveSong();
      break;
    case kCommandNew:
      // Asked first, as 読込 asks for the file before the question.
      if (auto chosen = m_face.AskNewSong(NewSongSettings{}); chosen && ConfirmCloseSong()) {
        StartNewSong(*chosen);
      }
      break;
    case kCommandSettings:
      if (auto choice = m_face.RunSettingsDialog(CurrentSettingsChoice())) {
        ApplySettings(*choice);
      }
      break;
    case kCommandSongInfo:
      if (m_song) {
        m_history.BeginEdit(*m_song, Ui::Tr("曲情報"));
        m_face.RunSongInfoDialog(*m_song);
        m_history.CommitEdit(*m_song);
        // The dialog may have re-barred the song: measure count, rows and
        // the tool's ranges follow.
        ShowChangedSong();
      }
      break;
    case kCommandHelp:
      m_face.ShowHelp(JoinPath(m_options.startupFolder, m_options.language == UiLanguage::kEnglish
                                                            ? kEnglishHelpIndex
                                                            : kHelpIndex));
      break;
    default:
      break;
  }
}

void CKumoitoDlg::Destroy() {
  if (m_destroyed) {
    return;
  }
  m_destroyed = true;
  // No keyboard event may come in while the rest goes.
  m_midiIn.reset();
  m_chords.SetSink(nullptr);
  // The player must be gone before the song and outputs it uses.
  m_playback.reset();
  // A clean end leaves nothing to recover; one the session forced keeps it.
  if (m_recovery && !m_keepRecovery) {
    m_recovery->Remove();
  }
  m_recovery.reset();
  // The lists hold the last choices; empty lists (a batch run) leave the
  // run's own values, which are valid.
  if (const int t = m_face.ComboSelection(kTuningCombo); t >= 0) {
    m_settings.tuning = t;
  }
  if (const int k = m_face.ComboSelection(kKeyCombo); k >= 0) {
    m_settings.key = k;
  }
  if (const int f = m_face.ComboSelection(kFirstStringCombo); f >= 0 && f < kFirstStringCount) {
    m_settings.firstStringValue = kFirstStringList[f].value;
  }
  m_config.reset();
  if (m_interactive) {
    SavePracticeSettings(JoinPath(m_options.dataFolder, kPracticeFileName), m_practice);
  }
  for (int i = m_buttons.Count() - 1; i >= 0; --i) {
    m_buttons.RemoveButton(i);
  }
  m_view.SetSong(nullptr);
  m_view.ReleaseAllCells();
  if (m_inputTool) {
    m_inputTool->SetOwnerCallback(nullptr);
    m_inputTool->SetSong(nullptr);
  }
  if (m_keyCursor) {
    m_keyCursor->SetSong(nullptr);
  }
  m_history.Clear();
  m_song.reset();
  m_cursorEntry.reset();
  m_inputTool.reset();
}

// ---------------------------------------------------------------------------
// The keyboard on the score.

void CKumoitoDlg::CreateKeyCursor() {
  m_keyCursor =
      std::make_unique<ScoreCursor>([this](bool songChanged) { OnKeyCursorChanged(songChanged); });
  m_keyCursor->SetHistory(&m_history);
  m_keyCursor->SetStrings(m_view.GetOpenStrings());
}

bool CKumoitoDlg::OnScoreKey(const KeyStroke& key) {
  if (!m_song || !m_keyCursor || m_destroyed) {
    return false;
  }
  const bool wasShown = m_keyCursorShown;
  m_keyCursorShown = true;
  const bool handled = m_keyCursor->OnKey(key);
  if (!handled && !wasShown) {
    FollowKeyCursor(false);
  }
  return handled;
}

void CKumoitoDlg::OnKeyCursorChanged(bool songChanged) {
  if (m_destroyed || !m_song) {
    return;
  }
  // An edit inside the measures shown draws only its measures and their
  // neighbours (a note's length and an ending's bracket reach over the bar line).
  const int measuresBefore = m_shownMeasureCount;
  std::optional<std::pair<int, int>> redraw;
  if (songChanged) {
    // An entry from elsewhere (a MIDI keyboard) shows where it went too.
    m_keyCursorShown = true;
    FollowMeasureCount();
    if (const auto range = m_keyCursor->ChangedRange();
        range && m_shownMeasureCount == measuresBefore) {
      const int perMeasure = SixteenthsPerMeasure(*m_song);
      redraw = std::make_pair(range->first / perMeasure - 1, (range->second - 1) / perMeasure + 1);
    }
    m_syncingTool = true;
    if (m_inputTool) {
      m_inputTool->SyncWithSong();
    }
    m_syncingTool = false;
    UpdateCaption();
  }
  // The tool writes where the cursor stands, as far as its 16 beat
  // positions reach (a measure of more than four beats goes further).
  const int perMeasure = SixteenthsPerMeasure(*m_song);
  const int position = m_keyCursor->Position();
  const int beat = position % perMeasure + 1;
  if (m_inputTool && beat <= kInputBeatPositions) {
    m_syncingTool = true;
    m_inputTool->SelectPosition(position / perMeasure + 1, beat);
    m_syncingTool = false;
  }
  const int first = m_view.FirstShownMeasure();
  FollowKeyCursor(songChanged && !redraw);
  // A scroll has drawn the whole view already.
  if (redraw && m_view.FirstShownMeasure() == first) {
    m_view.RefreshMeasures(redraw->first, redraw->second);
  }
  m_face.ShowKeyboardNote(m_keyCursor->Note());
}

void CKumoitoDlg::FollowToolPosition() {
  if (m_syncingTool || !m_keyCursor || !m_inputTool || !m_song) {
    return;
  }
  const auto slot = m_inputTool->EditedSlot();
  if (slot && slot->cell * 2 + slot->slot != m_keyCursor->Position()) {
    m_keyCursor->PlaceAt(slot->cell * 2 + slot->slot);
  }
}

void CKumoitoDlg::FollowKeyCursor(bool redrawAll) {
  const int perMeasure = SixteenthsPerMeasure(*m_song);
  const int measure = m_keyCursor->Position() / perMeasure;
  const int first = m_view.FirstShownMeasure();
  const int shown = m_shownRows * kScoreCellColumns;
  if (m_keyCursorShown && (measure < first || measure >= first + shown)) {
    // Going back, the cursor's row comes to the top; going on, to the bottom.
    const int row = measure / kScoreCellColumns - (measure < first ? 0 : m_shownRows - 1);
    const int position = std::clamp(row, 0, HighestScrollPosition());
    m_face.SetScrollPosition(position);
    m_view.SetFirstShownMeasure(position * kScoreCellColumns);
    redrawAll = true;
  }
  const auto selection = m_keyCursor->Selection().value_or(std::make_pair(0, 0));
  // After a change of the song the whole view is drawn once, the cursor with it.
  m_view.SetKeyCursor(m_keyCursorShown ? m_keyCursor->Position() : -1, m_keyCursor->String(),
                      selection.first, selection.second, !redrawAll);
  if (redrawAll) {
    m_view.RefreshScoreView();
  }
  UpdateEditMark();
}

std::optional<ClipboardPayload> CKumoitoDlg::CopyToClipboard(bool cut) {
  if (!m_song || !m_keyCursor) {
    return std::nullopt;
  }
  const auto clip = m_keyCursor->Copy();
  if (!clip) {
    return std::nullopt;
  }
  ClipboardPayload payload = MakeClipboardPayload(*clip, m_view.GetOpenStrings());
  if (const auto range = m_keyCursor->Selection().value_or(
          std::make_pair(m_keyCursor->Position(), m_keyCursor->Position() + 1));
      range.first < range.second) {
    // Whole measures around the sixteenths, for other notation programs.
    payload.musicxml = SelectionMusicXml(range.first / 2 * kSlotsPerCell,
                                         (range.second + 1) / 2 * kSlotsPerCell);
  }
  if (cut) {
    m_keyCursor->Cut();
  }
  return payload;
}

bool CKumoitoDlg::PasteFromClipboard(const ClipboardPayload& payload) {
  if (!m_song || !m_keyCursor) {
    return false;
  }
  std::optional<Clip> clip = ReadClipboardPayload(payload);
  if (!clip && !payload.musicxml.empty()) {
    clip = ClipOfMusicXml(payload.musicxml);
  }
  m_keyCursorShown = true;
  return clip && m_keyCursor->Paste(*clip);
}

void CKumoitoDlg::OnCellDrag(int cell, int column, int string) {
  if (!m_song || !m_keyCursor) {
    return;
  }
  const int perMeasure = SixteenthsPerMeasure(*m_song);
  const int measure = m_view.FirstShownMeasure() + cell;
  // The slot dragged onto is taken in, as the press's own was.
  const int end = measure * perMeasure + std::clamp(column, 0, perMeasure - 1) + 1;
  m_keyCursorShown = true;
  m_keyCursor->PlaceAt(end, string, true);
}

std::array<int, 3> CKumoitoDlg::CurrentOpenStrings() const {
  const auto& intervals =
      kTuningTable[static_cast<std::size_t>(ValidTuningIndex(m_tuning))].intervals;
  return {m_basePitch + intervals[0], m_basePitch + intervals[1], m_basePitch + intervals[2]};
}

std::string CKumoitoDlg::CurrentTuningName() const {
  const std::string tuning =
      Ui::Translate(kTuningTable[static_cast<std::size_t>(ValidTuningIndex(m_tuning))].name);
  for (const FirstStringEntry& entry : kFirstStringList) {
    if (kFirstStringBasePitch + entry.value == m_basePitch) {
      return tuning + " " + std::string(entry.name);
    }
  }
  return tuning;
}

void CKumoitoDlg::StartNewSong(const NewSongSettings& settings) {
  static_assert(NewSongSettings{}.tempo == kDefaultTempo);
  std::int32_t beats =
      std::clamp<std::int32_t>(settings.beatsPerMeasure, kMinBeatsPerMeasure, kMaxBeatsPerMeasure);
  std::int32_t key = 0;
  std::int32_t measures = kInputStartMeasureCount;
  std::unique_ptr<CSongData> song = CSongData::LoadOrCreate("", beats, key, measures);
  song->m_info.tempo = std::clamp(settings.tempo, kMinTempo, kMaxTempo);
  m_chords.Reset();
  OpenSong("", false, std::move(song));
}

void CKumoitoDlg::SetMidiInput(std::unique_ptr<midi::MidiInput> input) {
  m_midiIn = std::move(input);
  ListenToMidiInput();
}

void CKumoitoDlg::SetNoteEntrySink(NoteEntrySink* sink) {
  m_chords.Reset();
  m_chords.SetSink(sink != nullptr ? sink : m_cursorEntry.get());
}

void CKumoitoDlg::ListenToMidiInput() {
  m_chords.Reset();
  if (!m_midiIn || m_destroyed) {
    return;
  }
  // Called on the input's thread; Destroy stops the input before anything
  // the task would touch goes.
  m_midiIn->Listen(m_preferences.midiInput, [this](const midi::MidiInEvent& event) {
    m_face.Post(
        [alive = std::weak_ptr<int>(m_alive), this, event] {
          if (alive.lock()) {
            OnMidiInput(event);
          }
        },
        std::chrono::milliseconds(0));
  });
}

void CKumoitoDlg::OnMidiInput(const midi::MidiInEvent& event) {
  if (m_destroyed || !m_song) {
    return;
  }
  m_chords.OnEvent(event);
  ScheduleMidiFlush();
}

void CKumoitoDlg::FlushMidiInput(midi::MidiInTime now) {
  if (m_destroyed || !m_song) {
    return;
  }
  m_chords.Flush(now);
  // A timer that fired early finds the chord still open.
  ScheduleMidiFlush();
}

void CKumoitoDlg::ScheduleMidiFlush() {
  const std::optional<midi::MidiInTime> deadline = m_chords.Deadline();
  if (!deadline) {
    return;
  }
  const midi::MidiInTime wait = std::max<midi::MidiInTime>(*deadline - midi::MidiInNow(), 0);
  m_face.Post(
      [alive = std::weak_ptr<int>(m_alive), this] {
        if (alive.lock()) {
          FlushMidiInput(midi::MidiInNow());
        }
      },
      std::chrono::milliseconds((wait + 999) / 1000));
}

}  // namespace kumoito
