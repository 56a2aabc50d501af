// The unsaved-changes question and the recovery file, through the window's
// logic with a face that answers as told.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <utility>

#include "app/main_window.h"
#include "app/recovery_file.h"
#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "input/input_tool.h"
#include "midi/midi_out.h"
#include "midi/timer_service.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::TempDir;

class AnsweringFace final : public MainWindowFace {
 public:
  void FillCombo(int combo, const std::vector<std::string>&) override { selection[combo] = -1; }
  void SelectCombo(int combo, int index) override { selection[combo] = index; }
  int ComboSelection(int combo) const override {
    auto it = selection.find(combo);
    return it == selection.end() ? -1 : it->second;
  }
  void SetScrollRange(int) override {}
  void SetScrollPosition(int) override {}
  void SetControlVisible(int, bool) override {}
  std::optional<std::string> AskOpenScorePath() override { return openReply; }
  std::optional<std::string> AskSaveScorePath() override {
    ++saveDialogs;
    return saveReply;
  }
  std::optional<std::string> AskExportPath() override { return std::nullopt; }
  std::string RunLibraryDialog(const std::string&, const std::string&, std::int32_t&) override {
    return libraryReply;
  }
  void RunSongInfoDialog(CSongData&) override {}
  void ShowHelp(const std::string&) override {}
  void ShowAbout() override {}
  SaveChangesChoice AskSaveChanges() override {
    ++saveQuestions;
    return saveChoice;
  }
  std::optional<bool> AskRestoreRecovery() override {
    ++restoreQuestions;
    return restoreChoice;
  }
  void Quit() override { ++quits; }
  void ShowCaption(const std::string& caption) override { captions.push_back(caption); }
  void Post(std::function<void()> task, std::chrono::milliseconds delay) override {
    posted.emplace_back(std::move(task), delay);
  }
  // Runs what is due when the clock moves on by step (the tasks posted
  // meanwhile wait for the next call).
  void Advance(std::chrono::milliseconds step) {
    auto tasks = std::exchange(posted, {});
    for (auto& [task, delay] : tasks) {
      if (delay <= step) {
        task();
      } else {
        posted.emplace_back(std::move(task), delay - step);
      }
    }
  }

  std::map<int, int> selection;
  std::optional<std::string> openReply, saveReply;
  std::string libraryReply;
  SaveChangesChoice saveChoice = SaveChangesChoice::kCancel;
  std::optional<bool> restoreChoice;
  int saveQuestions = 0, restoreQuestions = 0, saveDialogs = 0, quits = 0;
  std::vector<std::pair<std::function<void()>, std::chrono::milliseconds>> posted;
  std::vector<std::string> captions;
};

class SaveRecoveryTest : public ::testing::Test {
 protected:
  SaveRecoveryTest() {
    ::setenv("KUMOITO_MIDI_OUT", "none", 1);
    midi::SetMidiOutSystem(midi::MakePlatformMidiOutSystem());
  }
  ~SaveRecoveryTest() override { midi::SetMidiOutSystem(nullptr); }

  std::unique_ptr<CKumoitoDlg> Start(const std::string& startFile = "") {
    CKumoitoDlg::Options options;
    options.startupFolder = m_startup.path().string();
    options.dataFolder = DataFolder();
    options.cacheFolder = m_data.Path("cache");
    options.startFile = startFile;
    options.timer = &m_timer;
    auto logic = std::make_unique<CKumoitoDlg>(m_face, options);
    EXPECT_EQ(logic->Initialize(), CKumoitoDlg::StartResult::kInteractive);
    return logic;
  }
  std::string DataFolder() const { return m_data.Path("Kumoito"); }
  std::string WriteSong(const std::string& name, std::int32_t pitch) {
    auto song = test::NewSong(8);
    song->m_cells[0].pitch[0] = pitch;
    std::strcpy(song->m_info.title, "T");
    const std::string path = m_startup.Path(name);
    SaveScore(*song, 4, 0, path, 1);
    return path;
  }
  // A note on the first string at measure 1, beat position `beat`.
  static void WriteNote(CKumoitoDlg& logic, int beat) {
    logic.InputTool().SelectPosition(1, beat);
    logic.InputTool().OnTypeSelected(kTypePluck);
    logic.InputTool().OnStringSelected(1);
  }
  static std::optional<RecoveredSong> RecoveryOf(const CKumoitoDlg& logic) {
    if (!std::filesystem::exists(logic.RecoveryPath())) {
      return std::nullopt;
    }
    return ReadRecoveryFile(logic.RecoveryPath());
  }

  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
  TempDir m_startup, m_data;
  midi::ManualTimerService m_timer;
  AnsweringFace m_face;
};

TEST_F(SaveRecoveryTest, EveryKindOfChangeMakesTheSongUnsavedAndGoingBackSavedAgain) {
  auto logic = Start();
  EXPECT_FALSE(logic->HasUnsavedChanges());  // the scratch song as it was read

  const std::int32_t before = logic->Song()->m_cells[0].pitch[0];
  WriteNote(*logic, 1);
  EXPECT_TRUE(logic->HasUnsavedChanges());
  logic->Song()->m_cells[0].pitch[0] = before;
  EXPECT_FALSE(logic->HasUnsavedChanges());

  logic->InputTool().OnMeasureCountChanged(9);  // 小節数
  EXPECT_TRUE(logic->HasUnsavedChanges());
  logic->InputTool().OnMeasureCountChanged(8);
  EXPECT_FALSE(logic->HasUnsavedChanges());

  std::strcpy(logic->Song()->m_info.title, "New");  // 曲情報
  EXPECT_TRUE(logic->HasUnsavedChanges());
  std::memset(logic->Song()->m_info.title, 0, sizeof logic->Song()->m_info.title);
  logic->Song()->SetExtraText(3, "memo");  // a text only the save packs in
  EXPECT_TRUE(logic->HasUnsavedChanges());
  logic->Song()->SetExtraText(3, "");
  EXPECT_FALSE(logic->HasUnsavedChanges());

  logic->OnKeyChanged(1);  // moves every note
  EXPECT_TRUE(logic->HasUnsavedChanges());
}

TEST_F(SaveRecoveryTest, ImportedAndNewSongsStayUnsavedUntilSaved) {
  auto logic = Start();
  m_face.saveChoice = SaveChangesChoice::kDiscard;
  logic->OpenUserFile(std::string(KUMOITO_IMPORT_DATA_DIR) + "/ms_song.musicxml");
  ASSERT_FALSE(logic->OpenRefused());
  EXPECT_TRUE(logic->HasUnsavedChanges());
  EXPECT_EQ(m_face.saveQuestions, 0);  // the scratch song had nothing to lose

  const std::string saved = m_startup.Path("saved.mwd");
  m_face.saveReply = saved;
  logic->RunCommand(kCommandSave);
  EXPECT_FALSE(logic->HasUnsavedChanges());
  EXPECT_EQ(test::ReadFile(saved), ScoreFileImage(*logic->Song()));

  // A score path with no file behind it opens as a new song.
  logic->OpenUserFile(m_startup.Path("missing.mwd"));
  EXPECT_TRUE(logic->HasUnsavedChanges());
}

TEST_F(SaveRecoveryTest, QuitAsksOnlyOverUnsavedChangesAndEachAnswerDoesItsPart) {
  auto logic = Start();
  logic->RunCommand(kCommandQuit);
  EXPECT_EQ(m_face.quits, 1);
  EXPECT_EQ(m_face.saveQuestions, 0);

  WriteNote(*logic, 1);
  m_face.saveChoice = SaveChangesChoice::kCancel;
  logic->RunCommand(kCommandQuit);
  EXPECT_EQ(m_face.quits, 1);

  // 保存 whose dialog is cancelled cancels the quit as well.
  m_face.saveChoice = SaveChangesChoice::kSave;
  logic->RunCommand(kCommandQuit);
  EXPECT_EQ(m_face.saveDialogs, 1);
  EXPECT_EQ(m_face.quits, 1);

  // 保存 into a folder that is not there fails: still no quit.
  m_face.saveReply = m_startup.Path("no/such/folder/x.mwd");
  logic->RunCommand(kCommandQuit);
  EXPECT_EQ(m_face.quits, 1);
  EXPECT_TRUE(logic->HasUnsavedChanges());

  m_face.saveReply = m_startup.Path("kept.mwd");
  logic->RunCommand(kCommandQuit);
  EXPECT_EQ(m_face.quits, 2);
  EXPECT_EQ(test::ReadFile(*m_face.saveReply), ScoreFileImage(*logic->Song()));

  WriteNote(*logic, 3);
  m_face.saveChoice = SaveChangesChoice::kDiscard;
  logic->RunCommand(kCommandQuit);
  EXPECT_EQ(m_face.quits, 3);
  EXPECT_EQ(m_face.saveQuestions, 5);
}

TEST_F(SaveRecoveryTest, EveryWayOfOpeningAnotherSongAsksFirst) {
  const std::string other = WriteSong("other.mwd", 72);
  auto logic = Start();
  WriteNote(*logic, 1);
  const std::int32_t written = logic->Song()->m_cells[0].pitch[0];
  m_face.saveChoice = SaveChangesChoice::kCancel;
  m_face.openReply = other;
  m_face.libraryReply = other;

  logic->RunCommand(kCommandOpen);     // 読込
  logic->RunCommand(kCommandLibrary);  // ﾗｲﾌﾞﾗﾘ
  logic->OpenUserFile(other);          // a dropped file
  logic->OpenStartFile(other);
  EXPECT_EQ(m_face.saveQuestions, 4);
  EXPECT_EQ(logic->Song()->m_cells[0].pitch[0], written);

  m_face.saveChoice = SaveChangesChoice::kDiscard;
  logic->RunCommand(kCommandOpen);
  EXPECT_EQ(logic->Song()->m_filePath, other);
  EXPECT_FALSE(logic->HasUnsavedChanges());
}

TEST_F(SaveRecoveryTest, TheRecoveryFileFollowsTheSongWithinTwoSeconds) {
  auto logic = Start();
  const std::string scratch = logic->Song()->m_filePath;
  m_face.Advance(std::chrono::milliseconds(1000));
  EXPECT_FALSE(RecoveryOf(*logic));

  WriteNote(*logic, 1);
  m_face.Advance(std::chrono::milliseconds(999));
  EXPECT_FALSE(RecoveryOf(*logic));  // a check is due once a second
  m_face.Advance(std::chrono::milliseconds(1));
  auto held = RecoveryOf(*logic);
  ASSERT_TRUE(held);
  EXPECT_EQ(held->score, ScoreFileImage(*logic->Song()));
  EXPECT_EQ(held->sourcePath, scratch);

  WriteNote(*logic, 5);
  m_face.Advance(std::chrono::milliseconds(1000));
  held = RecoveryOf(*logic);
  ASSERT_TRUE(held);
  EXPECT_EQ(held->score, ScoreFileImage(*logic->Song()));

  // A save leaves nothing to recover at once.
  m_face.saveReply = m_startup.Path("saved.mwd");
  logic->RunCommand(kCommandSave);
  EXPECT_FALSE(std::filesystem::exists(logic->RecoveryPath()));
  WriteNote(*logic, 9);
  m_face.Advance(std::chrono::milliseconds(1000));
  EXPECT_TRUE(RecoveryOf(*logic));
  EXPECT_EQ(RecoveryOf(*logic)->sourcePath, m_startup.Path("saved.mwd"));

  // A clean end removes it.
  const std::string path = logic->RecoveryPath();
  logic->Destroy();
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SaveRecoveryTest, ASessionEndKeepsTheSongAndTheNextStartRestoresIt) {
  const std::string source = WriteSong("song.mwd", 60);
  std::vector<unsigned char> lost;
  {
    auto logic = Start(source);
    WriteNote(*logic, 5);
    logic->OnTuningChanged(2);
    lost = ScoreFileImage(*logic->Song());
    logic->PreserveForSessionEnd();  // no question, no wait for a check
    EXPECT_EQ(m_face.saveQuestions, 0);
  }
  // Nobody to ask: the song waits for a start that can.
  {
    auto logic = Start();
    EXPECT_EQ(m_face.restoreQuestions, 1);
    EXPECT_FALSE(logic->HasUnsavedChanges());
  }
  m_face.restoreChoice = true;
  {
    auto logic = Start();
    EXPECT_EQ(m_face.restoreQuestions, 2);
    EXPECT_EQ(ScoreFileImage(*logic->Song()), lost);
    EXPECT_TRUE(logic->HasUnsavedChanges());
    EXPECT_EQ(logic->Song()->m_filePath, source);
    EXPECT_EQ(m_face.ComboSelection(kTuningCombo), 2);
    // The restored song is this window's to keep now; quitting asks.
    logic->RunCommand(kCommandQuit);
    EXPECT_EQ(m_face.saveQuestions, 1);
    m_face.saveChoice = SaveChangesChoice::kDiscard;
    logic->RunCommand(kCommandQuit);
  }
  auto logic = Start();
  EXPECT_EQ(m_face.restoreQuestions, 2);  // 保存しない left nothing behind
}

TEST_F(SaveRecoveryTest, DiscardRemovesTheLostSongAndDamagedFilesAreNeverOpened) {
  {
    auto logic = Start();
    WriteNote(*logic, 1);
    logic->PreserveForSessionEnd();
  }
  m_face.restoreChoice = false;
  { auto logic = Start(); }
  EXPECT_EQ(m_face.restoreQuestions, 1);
  { auto logic = Start(); }
  EXPECT_EQ(m_face.restoreQuestions, 1);

  // A torn file of a window that is gone: refused before any question.
  std::string torn;
  {
    auto logic = Start();
    WriteNote(*logic, 1);
    logic->PreserveForSessionEnd();
    torn = logic->RecoveryPath();
  }
  auto bytes = test::ReadFile(torn);
  bytes.resize(bytes.size() - 10);
  test::WriteFile(torn, bytes);
  auto logic = Start();
  EXPECT_EQ(m_face.restoreQuestions, 1);
  EXPECT_FALSE(logic->HasUnsavedChanges());
}

TEST_F(SaveRecoveryTest, TheCaptionNamesTheSongAndMarksItUnsavedRightAfterEachChange) {
  auto logic = Start();
  // The scratch song has no title and is saved: the caption stays as the
  // window began, which scripts look the window up by.
  EXPECT_EQ(logic->Caption(), "Kumoito");
  EXPECT_TRUE(m_face.captions.empty());

  WriteNote(*logic, 1);
  m_face.Advance(std::chrono::milliseconds(0));  // the tool's redraw
  ASSERT_FALSE(m_face.captions.empty());
  EXPECT_EQ(m_face.captions.back(), "*Kumoito");

  auto song = test::NewSong(8);
  std::strcpy(song->m_info.title, Utf8ToCp932("さくらさくら").value().c_str());
  const std::string path = m_startup.Path("sakura.mwd");
  SaveScore(*song, 4, 0, path, 1);
  m_face.saveChoice = SaveChangesChoice::kDiscard;
  m_face.openReply = path;
  logic->RunCommand(kCommandOpen);
  EXPECT_EQ(m_face.captions.back(), "さくらさくら - Kumoito");

  logic->OnKeyChanged(1);
  EXPECT_EQ(m_face.captions.back(), "*さくらさくら - Kumoito");
  logic->Undo();
  EXPECT_EQ(m_face.captions.back(), "さくらさくら - Kumoito");
  logic->Redo();
  m_face.saveReply = m_startup.Path("saved.mwd");
  logic->RunCommand(kCommandSave);
  EXPECT_EQ(m_face.captions.back(), "さくらさくら - Kumoito");

  // A change that passes no step of the history shows at the next check.
  const std::size_t shown = m_face.captions.size();
  std::strcpy(logic->Song()->m_info.title, "Haru");
  EXPECT_EQ(m_face.captions.size(), shown);
  m_face.Advance(std::chrono::milliseconds(1000));
  EXPECT_EQ(m_face.captions.back(), "*Haru - Kumoito");
  // Unchanged captions are not sent again.
  m_face.Advance(std::chrono::milliseconds(1000));
  EXPECT_EQ(m_face.captions.size(), shown + 1);
}

}  // namespace
}  // namespace kumoito
