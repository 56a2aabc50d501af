#include "app/main_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "input/input_tool.h"
#include "midi/midi_out.h"
#include "midi/playback_controller.h"
#include "midi/timer_service.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/render/render_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::ReadFile;
using test::TempDir;

// Records what the logic asks of its window and answers with set replies.
class FakeFace final : public MainWindowFace {
 public:
  void FillCombo(int combo, const std::vector<std::string>& items) override {
    combos[combo] = items;
    selection[combo] = -1;
  }
  void SelectCombo(int combo, int index) override {
    if (combos.count(combo) != 0) {
      selection[combo] = index;
    }
  }
  int ComboSelection(int combo) const override {
    auto it = selection.find(combo);
    return it == selection.end() ? -1 : it->second;
  }
  void SetScrollRange(int highest) override { scrollHighest = highest; }
  void SetScrollPosition(int position) override { scrollPosition = position; }
  void SetControlVisible(int control, bool visible) override { visibility[control] = visible; }
  std::optional<std::string> AskOpenScorePath() override { return openReply; }
  std::optional<std::string> AskSaveScorePath() override { return saveReply; }
  std::optional<std::string> AskExportPath() override { return exportReply; }
  std::string RunLibraryDialog(const std::string&, const std::string& root,
                               std::int32_t& category) override {
    libraryRoot = root;
    category = libraryCategoryReply;
    return libraryReply;
  }
  void RunSongInfoDialog(CSongData&) override { ++songInfoRuns; }
  std::optional<SettingsChoice> RunSettingsDialog(const SettingsChoice& current) override {
    settingsShown = current;
    return settingsReply;
  }
  void ShowHelp(const std::string& path) override { helpPath = path; }
  void ShowAbout() override { ++aboutRuns; }
  void Quit() override { ++quits; }
  void SetComboToolTip(int combo, const std::string& tip) override { tips[combo] = tip; }
  void ShowPractice(const midi::PracticeSettings& p, int measureCount) override {
    practice = p;
    practiceMeasures = measureCount;
  }
  void ShowRowNumbers(const std::vector<int>& firstMeasures) override {
    rowNumbers = firstMeasures;
  }
  void ShowSoundNote(const std::string& note, const std::string& detail) override {
    soundNote = note;
    soundNoteDetail = detail;
  }
  std::optional<int> AskImportPart(const std::vector<import::PartSummary>& parts,
                                   int suggested) override {
    askedParts = parts;
    return partReply ? *partReply : std::optional<int>(suggested);
  }
  // The player thread posts too.
  void Post(std::function<void()> task, std::chrono::milliseconds) override {
    std::lock_guard lock(postMutex);
    posted.push_back(std::move(task));
  }
  void RunPosted() {
    std::vector<std::function<void()>> tasks;
    {
      std::lock_guard lock(postMutex);
      tasks = std::exchange(posted, {});
    }
    for (auto& t : tasks) {
      t();
    }
  }
  // Runs what is posted (the player thread posts too) until done() holds;
  // false if it never does within 30 s.
  bool RunPostedUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 30000 && !done(); ++i) {
      RunPosted();
      if (!done()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    return done();
  }

  std::map<int, std::vector<std::string>> combos;
  std::map<int, int> selection;
  std::map<int, bool> visibility;
  std::map<int, std::string> tips;
  int scrollHighest = -1;
  int scrollPosition = -1;
  std::optional<std::string> openReply, saveReply, exportReply;
  std::string libraryReply, libraryRoot, helpPath;
  std::int32_t libraryCategoryReply = 0;
  int songInfoRuns = 0, aboutRuns = 0, quits = 0;
  std::optional<SettingsChoice> settingsShown, settingsReply;  // reply unset: cancelled
  std::optional<midi::PracticeSettings> practice;
  int practiceMeasures = 0;
  std::string soundNote, soundNoteDetail;
  std::vector<int> rowNumbers;
  std::vector<import::PartSummary> askedParts;
  std::optional<std::optional<int>> partReply;  // unset: the suggested part
  std::mutex postMutex;
  std::vector<std::function<void()>> posted;
};

class MainWindowTest : public ::testing::Test {
 protected:
  // A system of its own: what an earlier test used up of the output layer's
  // once-per-run state is not this test's.
  MainWindowTest() {
    ::setenv("KUMOITO_MIDI_OUT", "none", 1);
    midi::SetMidiOutSystem(midi::MakePlatformMidiOutSystem());
  }
  ~MainWindowTest() override { midi::SetMidiOutSystem(nullptr); }
  std::unique_ptr<CKumoitoDlg> Start(const std::string& commandLine = "",
                                     const std::string& startFile = "", bool installed = false) {
    CKumoitoDlg::Options options;
    options.startupFolder = m_startup.path().string();
    options.installedStartupFolder = installed;
    options.dataFolder = m_data.Path("deep/Kumoito");
    options.cacheFolder = m_data.Path("cache/Kumoito");
    options.commandLine = commandLine;
    options.startFile = startFile;
    options.timer = &m_timer;
    options.overrides = m_overrides;
    auto logic = std::make_unique<CKumoitoDlg>(m_face, options);
    m_result = logic->Initialize();
    return logic;
  }
  std::string WriteSong(int measures, const std::string& name = "song.mwd",
                        std::int32_t lowest = 60) {
    std::int32_t beats = 4, key = 0, m = measures;
    auto song = CSongData::LoadOrCreate("", beats, key, m);
    song->m_cells[0].pitch[0] = lowest;
    song->m_cells[1].pitch[0] = lowest + 7;
    std::strcpy(song->m_info.title, "T");
    const std::string path = m_startup.Path(name);
    SaveScore(*song, 4, 0, path, 1);
    return path;
  }

  test::ScopedFixedGlyphs m_glyphs;
  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
  TempDir m_startup;
  TempDir m_data;
  midi::ManualTimerService m_timer;
  FakeFace m_face;
  CKumoitoDlg::StartResult m_result{};
  BatchOverrides m_overrides;
};

TEST_F(MainWindowTest, FirstStartMakesTheDataFolderAndAScratchSong) {
  auto logic = Start();
  EXPECT_EQ(m_result, CKumoitoDlg::StartResult::kInteractive);
  EXPECT_EQ(ReadFile(m_data.Path("deep/Kumoito/temp.mwd")).size(), 94540u);
  ASSERT_NE(logic->Song(), nullptr);
  EXPECT_EQ(logic->Song()->m_measureCount, 8);
  EXPECT_EQ(m_face.combos[kTuningCombo], (std::vector<std::string>{"本調子", "二上り", "三下り"}));
  EXPECT_EQ(m_face.combos[kFirstStringCombo].size(), 12u);
  EXPECT_EQ(m_face.combos[kFirstStringCombo][2], "B (3本)");
  EXPECT_EQ(m_face.combos[kKeyCombo][9], "Bb");
  EXPECT_EQ(m_face.selection[kTuningCombo], 0);
  EXPECT_EQ(m_face.selection[kFirstStringCombo], 0);
  EXPECT_EQ(m_face.selection[kKeyCombo], 0);
  EXPECT_EQ(m_face.scrollHighest, 0);
  // Two buttons are hidden; the Play button carries command 3.
  EXPECT_EQ(m_face.visibility, (std::map<int, bool>{{1005, false}, {1006, false}}));
  EXPECT_EQ(logic->Control(1003).m_id, kCommandPlay);
  EXPECT_EQ(logic->Control(1011 + 10).m_id, 10);
  EXPECT_EQ(logic->InputTool().MeasureHigh(), 9);
  logic->Destroy();
  const auto settings = ReadFile(m_data.Path("deep/Kumoito/setup.ini"));
  EXPECT_EQ(settings,
            (test::Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(MainWindowTest, ScrollingIsLimitedToTheSongsRows) {
  auto logic = Start();
  logic->OpenScore(WriteSong(100), false);
  EXPECT_EQ(m_face.scrollHighest, 7);
  logic->OnScroll(ScrollAction::kPageDown);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 48);
  EXPECT_EQ(m_face.scrollPosition, 6);
  logic->OnScroll(ScrollAction::kPageDown);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 56);
  logic->OnScroll(ScrollAction::kLineUp);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 48);
  logic->OnScroll(ScrollAction::kThumbPosition, 99);
  EXPECT_EQ(m_face.scrollPosition, 7);
  logic->OnScroll(ScrollAction::kTop);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 0);
  logic->OpenScore(WriteSong(48), false);
  EXPECT_EQ(m_face.scrollHighest, 1);
  logic->OpenScore(WriteSong(40), false);
  EXPECT_EQ(m_face.scrollHighest, 0);
}

TEST_F(MainWindowTest, FewerRowsShownReachTheLastRowAndPageByThemselves) {
  auto logic = Start();
  logic->OpenScore(WriteSong(100), false);
  logic->OnScroll(ScrollAction::kBottom);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 56);
  logic->SetShownRows(2);
  EXPECT_EQ(m_face.scrollHighest, 11);  // rows 12 and 13 (97..100) last
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 56);
  logic->OnScroll(ScrollAction::kPageDown);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 72);
  logic->OnScroll(ScrollAction::kBottom);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 88);
  // More rows again: the position comes back inside the shorter range.
  logic->SetShownRows(6);
  EXPECT_EQ(logic->ShownRows(), 6);
  EXPECT_EQ(m_face.scrollHighest, 7);
  EXPECT_EQ(m_face.scrollPosition, 7);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 56);
  logic->SetShownRows(0);
  EXPECT_EQ(logic->ShownRows(), 1);
  EXPECT_EQ(m_face.scrollHighest, 12);
}

TEST_F(MainWindowTest, ATallerScoreAreaGetsCellsForEveryRowItShows) {
  auto logic = Start();
  logic->OpenScore(WriteSong(100), false);
  EXPECT_EQ(logic->CellControlCount(), kScoreCellCount);
  // Nine rows whole and a tenth cut by the bottom: cells for all ten, with
  // controls after the 48 of the smallest window.
  logic->SetShownRows(9, 10);
  EXPECT_EQ(logic->CellControlCount(), 80);
  EXPECT_EQ(logic->ScoreView().CellCount(), 80);
  EXPECT_EQ(logic->ScoreView().CellsInUse(), 80);
  EXPECT_EQ(&logic->Control(CellControlNumber(79)), &logic->Control(kMoreCellsControl + 31));
  EXPECT_NE(&logic->Control(kMoreCellsControl + 31), &logic->Control(kExportLayerControl));
  EXPECT_EQ(&logic->Control(kMoreCellsControl + 32), &logic->Control(kExportLayerControl));
  EXPECT_EQ(m_face.scrollHighest, 4);  // rows 5..13 last
  EXPECT_EQ(m_face.rowNumbers.size(), 10u);
  EXPECT_EQ(m_face.rowNumbers[9], 73);
  // A new cell shows its measure, and follows the scroll.
  EXPECT_GT(logic->ScoreView().EntryCount(79), 0);
  logic->OnScroll(ScrollAction::kBottom);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 32);
  EXPECT_EQ(logic->ScoreView().EntryCount(68), 0);  // past measure 100
  EXPECT_GT(logic->ScoreView().EntryCount(67), 0);
  logic->OnScroll(ScrollAction::kPageUp);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 0);

  // Fewer rows again: the cells stay, but only those shown are drawn.
  logic->SetShownRows(2, 3);
  EXPECT_EQ(logic->ScoreView().CellCount(), 80);
  EXPECT_EQ(logic->ScoreView().CellsInUse(), 24);
  logic->OnScroll(ScrollAction::kLineDown);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 8);
  // Back in use, a cell shows where the score is now, not where it was.
  logic->SetShownRows(9, 10);
  EXPECT_EQ(logic->ScoreView().Entry(72, 0).slot, logic->ScoreView().Entry(0, 0).slot + 72 * 24);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 8);
  // Never more rows than kMaxScoreRows.
  logic->SetShownRows(kMaxScoreRows + 5, kMaxScoreRows + 9);
  EXPECT_EQ(logic->ShownRows(), kMaxScoreRows);
  EXPECT_EQ(logic->CellControlCount(), kMaxScoreCellCount);
  EXPECT_EQ(m_face.scrollHighest, 0);
}

TEST_F(MainWindowTest, RowNumbersFollowTheScrollAndSetTheLoopsEnds) {
  auto logic = Start();
  logic->OpenScore(WriteSong(50), false);
  EXPECT_EQ(m_face.rowNumbers, (std::vector<int>{1, 9, 17, 25, 33, 41}));
  logic->OnScroll(ScrollAction::kBottom);
  // Rows past the song's end have no number, and their clicks do nothing.
  EXPECT_EQ(m_face.rowNumbers, (std::vector<int>{9, 17, 25, 33, 41, 49}));
  logic->OnScroll(ScrollAction::kTop);
  logic->OpenScore(WriteSong(20), false);
  EXPECT_EQ(m_face.rowNumbers, (std::vector<int>{1, 9, 17, 0, 0, 0}));
  const midi::PracticeSettings before = logic->Practice();
  logic->OnRowNumberClick(3, false);
  logic->OnRowNumberClick(6, false);
  logic->OnRowNumberClick(-1, true);
  EXPECT_EQ(logic->Practice().loopFirstMeasure, before.loopFirstMeasure);
  EXPECT_EQ(logic->Practice().loopLastMeasure, before.loopLastMeasure);

  // A click sets the start, Shift+click the end; the other end follows
  // rather than turn the range round.
  logic->OnRowNumberClick(1, false);
  EXPECT_EQ(logic->Practice().loopFirstMeasure, 9);
  EXPECT_EQ(logic->Practice().loopLastMeasure, 9);
  logic->OnRowNumberClick(2, true);
  EXPECT_EQ(logic->Practice().loopFirstMeasure, 9);
  EXPECT_EQ(logic->Practice().loopLastMeasure, 17);
  ASSERT_TRUE(m_face.practice.has_value());
  EXPECT_EQ(m_face.practice->loopLastMeasure, 17);
  EXPECT_EQ(m_face.practiceMeasures, 20);
  logic->OnRowNumberClick(0, true);
  EXPECT_EQ(logic->Practice().loopFirstMeasure, 1);
  EXPECT_EQ(logic->Practice().loopLastMeasure, 1);
  logic->OnRowNumberClick(2, false);
  EXPECT_EQ(logic->Practice().loopFirstMeasure, 17);
  EXPECT_EQ(logic->Practice().loopLastMeasure, 17);

  // 設定 turns them off and on again at once.
  SettingsChoice choice = logic->CurrentSettingsChoice();
  choice.preferences.measureNumbers = false;
  m_face.settingsReply = choice;
  logic->RunCommand(kCommandSettings);
  EXPECT_EQ(m_face.rowNumbers, (std::vector<int>{0, 0, 0, 0, 0, 0}));
  choice.preferences.measureNumbers = true;
  m_face.settingsReply = choice;
  logic->RunCommand(kCommandSettings);
  EXPECT_EQ(m_face.rowNumbers, (std::vector<int>{1, 9, 17, 0, 0, 0}));
}

TEST_F(MainWindowTest, ListChangesMoveStringsAndSong) {
  auto logic = Start();
  logic->OpenScore(WriteSong(8, "s.mwd", 60), false);
  logic->OnFirstStringChanged(4);  // "A"
  EXPECT_EQ(logic->Settings().firstStringValue, 9);
  EXPECT_EQ(logic->ScoreView().GetOpenStrings(), (OpenStrings{57, 62, 69}));
  EXPECT_EQ(logic->InputTool().BasePitch(), 57);
  EXPECT_EQ(logic->Song()->m_cells[0].pitch[0], 60);  // raised above the new first string

  logic->OnTuningChanged(1);
  EXPECT_EQ(logic->ScoreView().GetOpenStrings(), (OpenStrings{57, 64, 69}));
  EXPECT_EQ(logic->InputTool().Tuning(), 1);

  logic->OnFirstStringChanged(0);  // back to C
  EXPECT_EQ(logic->Song()->m_cells[0].pitch[0], 48);
  logic->OnKeyChanged(1);  // C to G: up a fifth, already above the first string
  EXPECT_EQ(logic->Settings().key, 1);
  EXPECT_EQ(logic->Song()->m_cells[0].pitch[0], 55);
  EXPECT_EQ(logic->Song()->m_keyIndex, 1);
  m_face.selection[kKeyCombo] = 1;
  logic->Destroy();
  EXPECT_EQ(ReadFile(m_data.Path("deep/Kumoito/setup.ini"))[20], 1);
}

TEST_F(MainWindowTest, CellClicksSelectTheMeasureAndBeatInTheInputTool) {
  auto logic = Start();
  logic->OpenScore(WriteSong(48), false);
  logic->OnScroll(ScrollAction::kLineDown);  // first shown measure 8
  logic->Control(1011 + 10).OnLeftButtonDown(4 * 8 + 1, 50);
  EXPECT_EQ(logic->InputTool().Measure(), 19);
  EXPECT_EQ(logic->InputTool().Beat(), 5);
}

TEST_F(MainWindowTest, OpenAndLibraryCommands) {
  auto logic = Start();
  const std::string path = WriteSong(8, "lib.mwd", 72);
  CSongData* before = logic->Song();
  logic->RunCommand(kCommandOpen);  // cancelled
  EXPECT_EQ(logic->Song(), before);

  m_face.openReply = path;
  logic->RunCommand(kCommandOpen);
  EXPECT_EQ(logic->Song()->m_cells[0].pitch[0], 48);  // key C kept, fitted above the string

  m_face.libraryReply = path;
  m_face.libraryCategoryReply = 3;
  logic->RunCommand(kCommandLibrary);
  EXPECT_EQ(m_face.libraryRoot, m_startup.Path("Archive"));
  EXPECT_EQ(logic->Settings().libraryCategory, 3);
  // The melody (C, G) is best on the open strings under 二上り in C.
  EXPECT_EQ(logic->Settings().tuning, 1);
  EXPECT_EQ(m_face.selection[kTuningCombo], 1);
  EXPECT_EQ(m_face.selection[kKeyCombo], 0);
}

TEST_F(MainWindowTest, SaveExportSettingsInfoHelpAboutQuit) {
  auto logic = Start();
  m_face.saveReply = m_startup.Path("saved.mwd");
  m_face.exportReply = m_startup.Path("page.bmp");
  logic->RunCommand(kCommandSave);
  logic->RunCommand(kCommandExport);
  // The layout, and the extension with the tuning a save records.
  EXPECT_GT(ReadFile(m_startup.Path("saved.mwd")).size(), 94540u);
  EXPECT_EQ(ReadFile(m_startup.Path("page.bmp")).size(), 54u + 1536 * (2 * 100 + 40));
  logic->RunCommand(kCommandSettings);  // cancelled: nothing changes
  EXPECT_TRUE(m_face.settingsShown.has_value());
  EXPECT_TRUE(m_boxes.Messages().empty());
  EXPECT_FALSE(std::filesystem::exists(m_data.Path("deep/Kumoito/preferences.ini")));
  logic->RunCommand(kCommandSongInfo);
  EXPECT_EQ(m_face.songInfoRuns, 1);
  logic->RunCommand(kCommandHelp);
  EXPECT_EQ(m_face.helpPath, m_startup.Path("help/index.htm"));
  logic->OnSystemCommand(kAboutCommand);
  logic->OnSystemCommand(0xF060);  // another system command
  EXPECT_EQ(m_face.aboutRuns, 1);
  logic->RunCommand(kCommandNew);
  logic->RunCommand(kCommandInputTool);
  logic->RunCommand(42);
  logic->Control(1000).OnLeftButtonDown(1, 1);  // the quit button
  EXPECT_EQ(m_face.quits, 1);
}

TEST_F(MainWindowTest, ExportWritesWhatTheExtensionNames) {
  auto logic = Start();
  const struct {
    const char* name;
    std::string start;
  } cases[] = {{"page.svg", "<?xml"},   {"page.mid", "MThd"},       {"page.PDF", "%PDF"},
               {"page.png", "\x89PNG"}, {"page.musicxml", "<?xml"}, {"page.mxl", "PK\x03\x04"},
               {"page", "BM"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_face.exportReply = m_startup.Path(c.name);
    logic->RunCommand(kCommandExport);
    const auto bytes = ReadFile(m_startup.Path(c.name));
    ASSERT_GE(bytes.size(), c.start.size());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + c.start.size()), c.start);
  }
  EXPECT_TRUE(m_boxes.Messages().empty());
}

TEST_F(MainWindowTest, AnExportThatFailsSaysWhy) {
  auto logic = Start();
  m_face.exportReply = m_startup.Path("no/such/folder/page.svg");
  logic->RunCommand(kCommandExport);
  ::setenv("KUMOITO_SOUNDFONT", "/nowhere.sf2", 1);
  m_face.exportReply = m_startup.Path("page.wav");
  logic->RunCommand(kCommandExport);
  ::unsetenv("KUMOITO_SOUNDFONT");
  const auto boxes = m_boxes.Messages();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].rfind(std::string(kOutputFailed) + "\n" + m_startup.Path("no/"), 0), 0u);
  EXPECT_NE(boxes[1].find("soundfont"), std::string::npos) << boxes[1];
  EXPECT_TRUE(ReadFile(m_startup.Path("page.wav")).empty());
}

TEST_F(MainWindowTest, PlayButtonTogglesItsCaption) {
  auto logic = Start();
  logic->Control(1003).OnLeftButtonDown(1, 1);
  logic->Control(1003).OnLeftButtonUp(1, 1);
  ASSERT_NE(logic->Playback(), nullptr);
  EXPECT_TRUE(logic->Playback()->IsPlaying());
  EXPECT_EQ(logic->Buttons().Caption(4), *Utf8ToCp932("   停　止"));
  logic->RunCommand(kCommandPlay);
  EXPECT_FALSE(logic->Playback()->IsPlaying());
  EXPECT_EQ(logic->Buttons().Caption(4), *Utf8ToCp932("   再　生"));
  const auto playData = ReadFile(m_startup.Path("play.dat"));
  ASSERT_GE(playData.size(), 4u);
  EXPECT_EQ(test::Bytes(playData.begin(), playData.begin() + 4), (test::Bytes{'M', 'T', 'h', 'd'}));
}

TEST_F(MainWindowTest, AnInstalledStartupFolderTakesNoPlayData) {
  auto logic = Start("", "", true);
  logic->RunCommand(kCommandPlay);
  logic->RunCommand(kCommandPlay);
  EXPECT_FALSE(std::filesystem::exists(m_startup.Path("play.dat")));
  EXPECT_GE(ReadFile(m_data.Path("cache/Kumoito/play.dat")).size(), 4u);
}

TEST_F(MainWindowTest, PlayDataThatCannotBeWrittenIsSaidOnceWithItsCause) {
  const std::string cache = m_data.Path("cache/Kumoito");
  const std::string playData = cache + "/play.dat";
  const struct {
    const char* what;
    std::function<void()> make;
    const char* cause;
  } cases[] = {
      {"fifo", [&] { ::mkfifo(playData.c_str(), 0600); }, "not a regular file"},
      {"folder", [&] { std::filesystem::create_directory(playData); }, "Is a directory"},
      {"device", [&] { std::filesystem::create_symlink("/dev/null", playData); },
       "not a regular file"},
      {"loop",
       [&] {
         std::filesystem::create_symlink(cache + "/other", playData);
         std::filesystem::create_symlink(playData, cache + "/other");
       },
       "Too many levels of symbolic links"},
      {"cache folder a file",
       [&] {
         std::filesystem::remove_all(cache);
         test::WriteFile(cache, test::Bytes(3, 'x'));
       },
       "Not a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(cache);
    std::filesystem::create_directories(cache);
    c.make();
    auto logic = Start("", "", true);
    const std::size_t before = m_boxes.Messages().size();
    logic->RunCommand(kCommandPlay);
    EXPECT_FALSE(logic->Playback()->IsPlaying());
    EXPECT_EQ(logic->Buttons().Caption(4), *Utf8ToCp932("   再　生"));
    const std::vector<std::string> boxes = m_boxes.Messages();
    EXPECT_EQ(
        std::vector<std::string>(boxes.begin() + static_cast<std::ptrdiff_t>(before), boxes.end()),
        (std::vector<std::string>{std::string(kOutputFailed) + "\n" + playData + "\n" + c.cause}));
    logic.reset();
  }
}

TEST_F(MainWindowTest, AStartFileOpensAsTheOpenCommandOpensIt) {
  const std::string path = WriteSong(16, "Upper.MWD", 72);
  auto logic = Start("", path);
  EXPECT_EQ(m_result, CKumoitoDlg::StartResult::kInteractive);
  ASSERT_NE(logic->Song(), nullptr);
  EXPECT_EQ(logic->Song()->m_measureCount, 16);
  EXPECT_STREQ(logic->Song()->m_info.title, "T");
  // No automatic arrangement: key C and 本調子 from the settings stay.
  EXPECT_EQ(logic->Song()->m_cells[0].pitch[0], 48);
  EXPECT_EQ(m_face.selection[kTuningCombo], 0);
  EXPECT_TRUE(m_boxes.Messages().empty());
}

TEST_F(MainWindowTest, StartFilesTheWindowCannotOpenAreSaidAndTheScratchSongStays) {
  const std::string xml = m_startup.Path("song.musicxml");
  const std::string text = m_startup.Path("song.txt");
  for (const auto& [p, content] :
       {std::pair{xml, "<score-partwise/>"}, std::pair{text, "not a melody"}}) {
    std::FILE* f = std::fopen(p.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(content, f);
    std::fclose(f);
  }
  for (const std::string& p : {xml, text, m_startup.Path("missing.mwd")}) {
    auto logic = Start("", p);
    ASSERT_NE(logic->Song(), nullptr) << p;
    EXPECT_EQ(logic->Song()->m_measureCount, 8) << p;  // the scratch song
    const auto boxes = m_boxes.Messages();
    ASSERT_FALSE(boxes.empty()) << p;
    EXPECT_NE(boxes.back().find(p), std::string::npos) << boxes.back();
    logic->Destroy();
  }
  const auto boxes = m_boxes.Messages();
  ASSERT_EQ(boxes.size(), 3u);
  const auto firstLine = [](const std::string& m) { return m.substr(0, m.find('\n')); };
  // The importer says what is wrong with the melody; a text is no melody; a
  // missing file says so.
  EXPECT_NE(firstLine(boxes[0]), firstLine(boxes[1]));
  EXPECT_NE(firstLine(boxes[1]), firstLine(boxes[2]));
}

TEST_F(MainWindowTest, AMelodyNamedAtStartIsImportedAndArranged) {
  // A MIDI file under a name that does not say so.
  const std::string path = m_startup.Path("waltz.dat");
  std::filesystem::copy_file(std::string(KUMOITO_IMPORT_DATA_DIR) + "/abc_waltz_chords.mid", path);
  auto logic = Start("", path);
  ASSERT_NE(logic->Song(), nullptr);
  EXPECT_EQ(logic->Song()->m_beatsPerMeasure, 3);
  EXPECT_NE(logic->Song()->m_measureCount, 8);
}

TEST_F(MainWindowTest, TheKeyListNamesAMinorSongsKeyAndTheAutomaticChoiceIsExplained) {
  auto logic = Start();
  EXPECT_EQ(m_face.combos[kKeyCombo][0], "C");

  // A song written in A minor (key row 15) shows the minor keys beside the
  // major ones, the choice staying where it was.
  std::int32_t beats = 4, key = 0, measures = 8;
  auto song = CSongData::LoadOrCreate("", beats, key, measures);
  song->m_cells[0].pitch[0] = 57;
  const std::string minor = m_startup.Path("minor.mwd");
  SaveScore(*song, 4, 15, minor, 1);
  logic->OnKeyChanged(2);
  logic->OpenScore(minor, false);
  EXPECT_EQ(m_face.combos[kKeyCombo][2], "D (Bm)");
  EXPECT_EQ(m_face.selection[kKeyCombo], 2);
  EXPECT_EQ(logic->Settings().key, 2);
  EXPECT_EQ(m_face.tips[kTuningCombo], "");

  // The library's arrangement says what it chose by, with the string's 本.
  m_face.libraryReply = WriteSong(8, "major.mwd", 72);
  logic->RunCommand(kCommandLibrary);
  EXPECT_EQ(m_face.combos[kKeyCombo][0], "C");
  EXPECT_NE(m_face.tips[kKeyCombo].find("自動"), std::string::npos);
  EXPECT_NE(m_face.tips[kKeyCombo].find("C (4本)"), std::string::npos);
  EXPECT_EQ(m_face.tips[kTuningCombo], m_face.tips[kKeyCombo]);
}

TEST(StartFileType, ToldByExtensionInAnyCase) {
  EXPECT_EQ(StartFileTypeOf("a/b.mwd"), StartFileType::kScore);
  EXPECT_EQ(StartFileTypeOf("B.MWD"), StartFileType::kScore);
  EXPECT_EQ(StartFileTypeOf("x.musicxml"), StartFileType::kMusicXml);
  EXPECT_EQ(StartFileTypeOf("x.mxl"), StartFileType::kMusicXml);
  EXPECT_EQ(StartFileTypeOf("x.xml"), StartFileType::kMusicXml);
  EXPECT_EQ(StartFileTypeOf("x.MID"), StartFileType::kMidi);
  EXPECT_EQ(StartFileTypeOf("x.midi"), StartFileType::kMidi);
  EXPECT_EQ(StartFileTypeOf("x.Kar"), StartFileType::kMidi);
  EXPECT_EQ(StartFileTypeOf("dir.mwd/score"), StartFileType::kOther);
  EXPECT_EQ(StartFileTypeOf(".mwd"), StartFileType::kOther);
  EXPECT_EQ(StartFileTypeOf("song.txt"), StartFileType::kOther);
}

TEST_F(MainWindowTest, PracticeSettingsAreKeptInAFileOfTheirOwn) {
  {
    auto logic = Start();
    ASSERT_TRUE(m_face.practice.has_value());
    EXPECT_EQ(m_face.practice->speed, 100);
    EXPECT_EQ(m_face.practiceMeasures, 8);
    logic->OnSpeedChanged(72);  // between steps: the nearest one
    logic->OnLoopChanged(true);
    logic->OnLoopRangeChanged(2, 3);
    logic->OnCountInChanged(true);
    EXPECT_EQ(logic->Practice().speed, 70);
  }
  EXPECT_EQ(ReadFile(m_data.Path("deep/Kumoito/setup.ini")).size(), 24u);
  const auto file = ReadFile(m_data.Path("deep/Kumoito/practice.ini"));
  EXPECT_EQ(std::string(file.begin(), file.end()),
            "speed=70\nloop=1\nloop_first=2\nloop_last=3\ncount_in=1\n");
  m_face.practice.reset();
  auto again = Start();
  ASSERT_TRUE(m_face.practice.has_value());
  EXPECT_EQ(m_face.practice->speed, 70);
  EXPECT_TRUE(m_face.practice->loop);
  EXPECT_EQ(m_face.practice->loopLastMeasure, 3);
  EXPECT_TRUE(again->Practice().countIn);
}

TEST_F(MainWindowTest, CursorMarksTheSoundingNoteAndTurnsToItsRow) {
  std::int32_t beats = 4, key = 0, m = 100;
  auto song = CSongData::LoadOrCreate("", beats, key, m);
  const int cell = 2 * (4 * 60 + 1);  // measure 61, beat 2
  song->m_cells[cell].pitch[0] = 60;
  const std::string path = m_startup.Path("long.mwd");
  SaveScore(*song, 4, 0, path, 1);
  auto logic = Start();
  logic->OpenScore(path, false);
  const std::int64_t slot = std::int64_t{cell} * 3;
  logic->OnCursor(slot);
  // Measure 61 (from 0: 60) is in row 7, the last the scroll range reaches.
  EXPECT_EQ(m_face.scrollPosition, 7);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 56);
  EXPECT_EQ(logic->ScoreView().CursorSlot(), slot);
  // The cell's picture as drawn now, asked for each time.
  auto shown = [&] { return logic->ScoreView().CellSurface(60 - 56); };
  ASSERT_NE(shown(), nullptr);
  // The kandokoro box of beat 2 (eighth 2: x = 36) on its string's line.
  int found = -1;
  for (int k = 0; k < logic->ScoreView().EntryCount(60 - 56); ++k) {
    if (logic->ScoreView().Entry(60 - 56, k).slot == slot) {
      found = k;
    }
  }
  ASSERT_GE(found, 0);
  const CellEntry& entry = logic->ScoreView().Entry(60 - 56, found);
  EXPECT_EQ(entry.eighth, 2);
  const int top = 50 - 20 * entry.string;
  EXPECT_EQ(shown()->picture.PixelAt(36, top + 1), kCursorColor);
  // Inside the shown rows nothing scrolls; at the stop the mark goes.
  logic->OnCursor(slot + 3);
  EXPECT_EQ(logic->ScoreView().FirstShownMeasure(), 56);
  EXPECT_NE(shown()->picture.PixelAt(36, top + 1), kCursorColor);
  logic->OnCursor(slot);
  logic->OnCursor(midi::kNoCursor);
  EXPECT_EQ(shown()->picture.PixelAt(36, top + 1), kWhite);
}

TEST_F(MainWindowTest, PlayWithoutSoundSaysWhyOnceThenNotesItQuietly) {
  auto logic = Start();
  m_face.RunPosted();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    logic->RunCommand(kCommandPlay);
    // Each press starts afresh: the note is the outcome of this playback.
    EXPECT_EQ(m_face.soundNote, "");
    // No output: the song ends at once, which the window hears through a post.
    ASSERT_TRUE(m_face.RunPostedUntil([&] { return !logic->Playback()->IsPlaying(); }));
    EXPECT_EQ(logic->Buttons().Caption(4), *Utf8ToCp932("   再　生"));
    // The first time a message; after it the practice row, with the reason.
    EXPECT_EQ(m_boxes.Messages().size(), 1u);
    if (round == 0) {
      EXPECT_EQ(m_face.soundNote, "");
    } else {
      EXPECT_EQ(m_face.soundNote.rfind("音を出せません", 0), 0u) << m_face.soundNote;
      EXPECT_NE(m_face.soundNoteDetail.find("KUMOITO_MIDI_OUT=none"), std::string::npos);
    }
  }
  const auto boxes = m_boxes.Messages();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("音を出せません。\n", 0), 0u);
  EXPECT_NE(boxes[0].find("KUMOITO_MIDI_OUT=none"), std::string::npos);
  EXPECT_NE(boxes[0].find("音が出ないとき"), std::string::npos);
  EXPECT_NE(m_reports.Text().find("MDCT07000001"), std::string::npos);
}

TEST_F(MainWindowTest, InputToolEditsAreRedrawnThroughThePostedMessage) {
  auto logic = Start();
  m_face.RunPosted();
  logic->InputTool().SelectPosition(1, 1);
  logic->InputTool().OnTypeSelected(kTypePluck);
  logic->InputTool().OnStringSelected(1);
  EXPECT_EQ(logic->Song()->m_cells[0].pitch[0], 53);
  EXPECT_EQ(logic->ScoreView().EntryCount(0), 1);
  EXPECT_EQ(logic->ScoreView().Entry(0, 0).kandokoro, 0);  // not redrawn yet
  ASSERT_FALSE(m_face.posted.empty());
  m_face.RunPosted();
  EXPECT_EQ(logic->ScoreView().Entry(0, 0).kandokoro, 1);
}

TEST_F(MainWindowTest, BatchConvertsAndKeepsValidSettings) {
  const std::string song = WriteSong(8, "in.mwd", 67);
  const std::string image = m_startup.Path("out.png");
  auto logic = Start("\"" + song + "\" \"" + image + "\" 9 san -1");
  EXPECT_EQ(m_result, CKumoitoDlg::StartResult::kBatchDone);
  const auto png = ReadFile(image);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');
  EXPECT_TRUE(m_face.combos.empty());
  EXPECT_EQ(logic->Playback(), nullptr);  // nothing is played in a conversion
  // Nor is anything copied to a screen that no window shows.
  EXPECT_FALSE(logic->Control(kFirstCellControl).Screen().has_value());
  logic->Destroy();
  const auto settings = ReadFile(m_data.Path("deep/Kumoito/setup.ini"));
  ASSERT_EQ(settings.size(), 24u);
  EXPECT_EQ(settings[0], 9);  // the run's own first string
  EXPECT_LE(settings[4], 2);
  EXPECT_LE(settings[20], 11);
  EXPECT_EQ(settings[23], 0);
}

// A tab copied from a teacher shows the same numbers when reopened: a save
// records the tuning, an open restores it, a conversion takes what it would
// otherwise choose itself from it.
TEST_F(MainWindowTest, ASavedTabReopensInItsTuning) {
  const auto storedTuning = [](const std::string& path) {
    std::int32_t beats = 4, key = 0, measures = 8;
    return CSongData::LoadOrCreate(path, beats, key, measures)->m_marks.tuning;
  };
  const std::string plain = WriteSong(8, "plain.mwd", 60);
  EXPECT_FALSE(storedTuning(plain).stored);
  {
    auto logic = Start();
    logic->OpenScore(plain, false);
    logic->OnTuningChanged(2);
    EXPECT_FALSE(logic->HasUnsavedChanges()) << "a song without a stored tuning is not changed";
    logic->OnFirstStringChanged(4);  // "A", value 9
    logic->OnKeyChanged(3);
    m_face.saveReply = m_startup.Path("tab.mwd");
    logic->RunCommand(kCommandSave);
    EXPECT_EQ(storedTuning(*m_face.saveReply), (TabTuning{1, 2, 9, 3}));

    logic->OnTuningChanged(0);
    logic->OnFirstStringChanged(0);
    logic->OnKeyChanged(0);
    logic->OpenUserFile(*m_face.saveReply);
    EXPECT_EQ(logic->Settings().tuning, 2);
    EXPECT_EQ(logic->Settings().firstStringValue, 9);
    EXPECT_EQ(logic->Settings().key, 3);
    EXPECT_EQ(m_face.selection[kTuningCombo], 2);
    EXPECT_EQ(m_face.selection[kFirstStringCombo], 4);
    EXPECT_EQ(m_face.selection[kKeyCombo], 3);
    EXPECT_FALSE(logic->HasUnsavedChanges());
    logic->OnTuningChanged(1);
    EXPECT_TRUE(logic->HasUnsavedChanges()) << "the tab's tuning is part of it";
    logic->Destroy();
  }
  const std::string tab = m_startup.Path("tab.mwd");
  const std::string out = m_startup.Path("out.mwd");
  Start("\"" + tab + "\" \"" + out + "\" 0 hon -1");
  ASSERT_EQ(m_result, CKumoitoDlg::StartResult::kBatchDone);
  EXPECT_EQ(storedTuning(out), (TabTuning{1, 2, 0, 3}))
      << "key and tuning kept, first string given";
  Start("\"" + tab + "\" \"" + out + "\" 0 hon 5");
  ASSERT_EQ(m_result, CKumoitoDlg::StartResult::kBatchDone);
  EXPECT_EQ(storedTuning(out), (TabTuning{1, 0, 0, 5})) << "explicit tokens win";
}

TEST_F(MainWindowTest, ExportedMusicXmlOpensInTheTuningItWasWrittenIn) {
  const std::string plain = WriteSong(8, "plain.mwd", 60);
  auto logic = Start();
  logic->OpenScore(plain, false);
  logic->OnTuningChanged(1);
  logic->OnFirstStringChanged(4);  // "A", value 9
  logic->OnKeyChanged(2);
  for (const char* name : {"tab.musicxml", "tab.mxl"}) {
    SCOPED_TRACE(name);
    m_face.exportReply = m_startup.Path(name);
    logic->RunCommand(kCommandExport);
    logic->OnTuningChanged(0);
    logic->OnFirstStringChanged(0);
    logic->OnKeyChanged(0);
    logic->OpenUserFile(*m_face.exportReply);
    // Not the tuning the automatic choice would make: the TAB staff's.
    EXPECT_EQ(logic->Settings().tuning, 1);
    EXPECT_EQ(logic->Settings().firstStringValue, 9);
    EXPECT_EQ(logic->Settings().key, 2);
    EXPECT_EQ(m_face.selection[kTuningCombo], 1);
    EXPECT_EQ(m_face.selection[kFirstStringCombo], 4);
  }
  EXPECT_TRUE(m_boxes.Messages().empty());
  logic->Destroy();
}

TEST_F(MainWindowTest, SettingsDialogChoicesAreAppliedAndKeptInTheirOwnFile) {
  const char* envFont = std::getenv("KUMOITO_SOUNDFONT");
  const std::string savedFont = envFont != nullptr ? envFont : "";
  ::unsetenv("KUMOITO_SOUNDFONT");
  {
    auto logic = Start();
    logic->RunCommand(kCommandSettings);
    ASSERT_TRUE(m_face.settingsShown.has_value());
    EXPECT_TRUE(m_face.settingsShown->lyricsShown);  // as setup.ini starts
    EXPECT_TRUE(m_face.settingsShown->titleBand);
    EXPECT_EQ(m_face.settingsShown->preferences, Preferences{});
    EXPECT_EQ(midi::SoundFontPath(), "/usr/share/sounds/sf2/default-GM.sf2");

    SettingsChoice choice;
    choice.lyricsShown = false;
    choice.titleBand = false;
    choice.preferences.language = LanguageChoice::kEnglish;
    choice.preferences.soundFont = "/opt/fonts/piano.sf2";
    choice.preferences.volume = 150;
    choice.preferences.countInLevel = 30;
    m_face.settingsReply = choice;
    logic->RunCommand(kCommandSettings);
    EXPECT_EQ(logic->Settings().lyricsShown, 0);
    EXPECT_EQ(logic->Settings().titleBand, 0);
    EXPECT_EQ(logic->CurrentSettingsChoice(), choice);
    EXPECT_EQ(logic->Practice().countInLevel, 30);
    EXPECT_EQ(midi::SoundFontPath(), "/opt/fonts/piano.sf2");
    EXPECT_DOUBLE_EQ(midi::SynthGainScale(), 1.5);
    // Written at once, not only at the end.
    EXPECT_TRUE(std::filesystem::exists(m_data.Path("deep/Kumoito/preferences.ini")));
    ::setenv("KUMOITO_SOUNDFONT", "/elsewhere.sf2", 1);
    EXPECT_EQ(midi::SoundFontPath(), "/elsewhere.sf2");  // the variable stays above it
    ::unsetenv("KUMOITO_SOUNDFONT");
  }
  const auto setup = ReadFile(m_data.Path("deep/Kumoito/setup.ini"));
  ASSERT_EQ(setup.size(), 24u);
  EXPECT_EQ(setup[12], 0);  // title band
  EXPECT_EQ(setup[16], 0);  // lyrics
  // A later start: the same choices, and the sound follows them again.
  midi::SetSynthVolume(100);
  midi::SetSoundFontChoice("");
  m_face.settingsReply.reset();
  auto again = Start();
  EXPECT_EQ(again->CurrentPreferences().volume, 150);
  EXPECT_EQ(again->CurrentPreferences().language, LanguageChoice::kEnglish);
  EXPECT_EQ(again->Practice().countInLevel, 30);
  EXPECT_DOUBLE_EQ(midi::SynthGainScale(), 1.5);
  EXPECT_FALSE(again->CurrentSettingsChoice().lyricsShown);
  again->Destroy();
  midi::SetSynthVolume(100);
  midi::SetSoundFontChoice("");
  if (!savedFont.empty()) {
    ::setenv("KUMOITO_SOUNDFONT", savedFont.c_str(), 1);
  }
}

TEST_F(MainWindowTest, BatchOptionsChangeOneRunAndLeaveTheSavedSettings) {
  const std::string song = WriteSong(8, "in.mwd", 67);
  const std::string line = "\"" + song + "\" \"" + m_startup.Path("plain.bmp") + "\" 0 hon 0";
  Start(line)->Destroy();
  const auto plain = ReadFile(m_startup.Path("plain.bmp"));
  m_overrides.titleBand = false;
  m_overrides.lyrics = false;
  Start("\"" + song + "\" \"" + m_startup.Path("bare.bmp") + "\" 0 hon 0")->Destroy();
  // The same page without the band on top.
  EXPECT_LT(ReadFile(m_startup.Path("bare.bmp")).size(), plain.size());
  const auto setup = ReadFile(m_data.Path("deep/Kumoito/setup.ini"));
  ASSERT_EQ(setup.size(), 24u);
  EXPECT_EQ(setup[12], 1);  // the saved title band stands
  EXPECT_EQ(setup[16], 1);  // and so do the lyrics
  // Turned on for a run where the settings have it off.
  m_overrides = {};
  {
    auto logic = Start();
    SettingsChoice off = logic->CurrentSettingsChoice();
    off.titleBand = false;
    m_face.settingsReply = off;
    logic->RunCommand(kCommandSettings);
  }
  m_overrides.titleBand = true;
  Start("\"" + song + "\" \"" + m_startup.Path("band.bmp") + "\" 0 hon 0")->Destroy();
  EXPECT_EQ(ReadFile(m_startup.Path("band.bmp")), plain);
}

TEST_F(MainWindowTest, TechniqueStyleFollowsTheSongThenTheSettingAndABatchOptionWins) {
  // A スクイ on the first note: the style decides where it is drawn.
  const auto writeMarked = [&](const std::string& name, TechniqueStyle style) {
    std::int32_t beats = 4, key = 0, m = 8;
    auto song = CSongData::LoadOrCreate("", beats, key, m);
    song->m_cells[0].pitch[0] = 67;
    song->m_marks.At(0, 0).technique = Technique::kSukui;
    song->m_marks.style = style;
    const std::string path = m_startup.Path(name);
    SaveScore(*song, 4, 0, path, 1);
    return path;
  };
  const std::string plain = writeMarked("plain.mwd", TechniqueStyle::kUnset);
  const std::string below = writeMarked("below.mwd", TechniqueStyle::kBelow);
  const auto convert = [&](const std::string& song, const std::string& out) {
    Start("\"" + song + "\" \"" + m_startup.Path(out) + "\" 0 hon 0")->Destroy();
    return ReadFile(m_startup.Path(out));
  };
  const auto underBars = convert(plain, "a.bmp");
  m_overrides.techniquesAbove = true;
  const auto overNumber = convert(plain, "b.bmp");
  EXPECT_NE(underBars, overNumber);
  EXPECT_EQ(convert(below, "c.bmp"), overNumber);  // the option wins over the song
  m_overrides = {};
  {
    auto logic = Start();
    EXPECT_EQ(logic->ScoreView().TechniqueStyleInUse(), TechniqueStyle::kBelow);
    SettingsChoice above = logic->CurrentSettingsChoice();
    above.preferences.techniquesAbove = true;
    m_face.settingsReply = above;
    logic->RunCommand(kCommandSettings);
    EXPECT_EQ(logic->ScoreView().TechniqueStyleInUse(), TechniqueStyle::kAbove);
  }
  EXPECT_NE(ReadFile(m_data.Path("deep/Kumoito/preferences.ini")).size(), 0u);
  EXPECT_EQ(convert(plain, "d.bmp"), overNumber);  // the saved setting
  EXPECT_EQ(convert(below, "e.bmp"), underBars);   // the song's own style wins over it
  m_overrides.techniquesAbove = false;
  EXPECT_EQ(convert(plain, "f.bmp"), underBars);
}

TEST_F(MainWindowTest, BatchRefusesValuesNoListHolds) {
  const std::string song = WriteSong(8, "in.mwd");
  for (const char* tokens : {"12 hon 0", "-1 hon 0", "0 hon 12", "0 hon -2"}) {
    const std::string image = m_startup.Path("refused.bmp");
    auto logic = Start("\"" + song + "\" \"" + image + "\" " + tokens);
    EXPECT_EQ(m_result, CKumoitoDlg::StartResult::kBatchRefused) << tokens;
    EXPECT_TRUE(ReadFile(image).empty()) << tokens;
  }
}

std::string ImportFixture(const std::string& name) {
  return std::string(KUMOITO_IMPORT_DATA_DIR) + "/" + name;
}

TEST_F(MainWindowTest, AForeignFileOpensWithArrangementAndSaysWhatMoved) {
  auto logic = Start();
  m_face.openReply = ImportFixture("abc_low_range.mid");
  logic->RunCommand(kCommandOpen);
  CSongData* song = logic->Song();
  ASSERT_NE(song, nullptr);
  EXPECT_TRUE(song->m_readFromFile);
  EXPECT_EQ(m_face.selection[kKeyCombo], logic->Settings().key);
  EXPECT_EQ(m_face.selection[kTuningCombo], logic->Settings().tuning);
  ASSERT_EQ(m_boxes.Messages().size(), 1u);
  EXPECT_NE(m_boxes.Messages()[0].find("個の音符をオクターブ"), std::string::npos);
  // Every note on the neck: none below the first string, none above the
  // third string's last stopping position.
  const int base = 48 + logic->Settings().firstStringValue;
  for (int c = 0; c < song->CellCount(); ++c) {
    for (std::int32_t v : song->m_cells[c].pitch) {
      if (v >= 0) {
        EXPECT_GE(v, base);
        EXPECT_LE(v, base + 12 + 24);
      }
    }
  }
}

TEST_F(MainWindowTest, ABrokenForeignFileKeepsTheSongAndSaysWhere) {
  auto logic = Start();
  CSongData* before = logic->Song();
  const std::string path = m_startup.Path("broken.musicxml");
  {
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fputs("<score-partwise>\n  <part id=\"P1\">\n</score-partwise>\n", f);
    std::fclose(f);
  }
  m_face.openReply = path;
  logic->RunCommand(kCommandOpen);
  EXPECT_EQ(logic->Song(), before);
  EXPECT_TRUE(logic->OpenRefused());
  ASSERT_EQ(m_boxes.Messages().size(), 1u);
  EXPECT_EQ(m_boxes.Messages()[0].rfind(path + ":3:3: ", 0), 0u) << m_boxes.Messages()[0];
}

TEST_F(MainWindowTest, APartWithSeveralLyricLinesOffersEachLine) {
  auto logic = Start();
  m_face.partReply = 1;
  logic->OpenUserFile(ImportFixture("ms_tied_verses.musicxml"));
  ASSERT_EQ(m_face.askedParts.size(), 3u);
  EXPECT_EQ(m_face.askedParts[0].name, "Voice・1番");
  EXPECT_EQ(m_face.askedParts[1].name, "Voice・2番");
  EXPECT_EQ(m_face.askedParts[2].name, "Chorus");
  // The second verse's first syllable on the first note.
  EXPECT_EQ(FieldText(logic->Song()->m_cells[0].lyric[0]), *Utf8ToCp932("あ"));
}

TEST_F(MainWindowTest, AScoreWithSeveralPartsAsksWhichIsTheMelody) {
  auto logic = Start();
  CSongData* before = logic->Song();
  m_face.openReply = ImportFixture("ms_song.musicxml");
  m_face.partReply = std::optional<int>();  // cancelled
  logic->RunCommand(kCommandOpen);
  ASSERT_EQ(m_face.askedParts.size(), 2u);
  EXPECT_EQ(m_face.askedParts[1].name, "Piano");
  EXPECT_EQ(logic->Song(), before);
  EXPECT_TRUE(m_boxes.Messages().empty());

  m_face.partReply = 1;
  logic->OpenUserFile(ImportFixture("ms_song.musicxml"));
  ASSERT_NE(logic->Song(), before);
  // The piano's first chord starts after the pick-up's rest: a whole
  // measure of rest, then its chord's top note.
  EXPECT_EQ(logic->Song()->m_cells[0].pitch[0], SLOT_REST);
  EXPECT_GE(logic->Song()->m_cells[8].pitch[0], 0);
}

// abc2midi's tune beside its chord track: both busy enough to be the melody.
TEST_F(MainWindowTest, AMidiFileWithSeveralLikelyTracksAsksWhichIsTheMelody) {
  auto logic = Start();
  CSongData* before = logic->Song();
  m_face.partReply = std::optional<int>();  // cancelled
  logic->OpenUserFile(ImportFixture("abc_waltz_chords.mid"));
  ASSERT_EQ(m_face.askedParts.size(), 3u);
  EXPECT_EQ(m_face.askedParts[0].noteCount, 14);
  EXPECT_EQ(m_face.askedParts[0].lowest, 67);   // G4
  EXPECT_EQ(m_face.askedParts[0].highest, 79);  // G5
  EXPECT_EQ(logic->Song(), before);

  // One track alone is not asked about.
  m_face.askedParts.clear();
  m_face.partReply.reset();
  logic->OpenUserFile(ImportFixture("abc_low_range.mid"));
  EXPECT_TRUE(m_face.askedParts.empty());
  EXPECT_NE(logic->Song(), before);
}

}  // namespace
}  // namespace kumoito
