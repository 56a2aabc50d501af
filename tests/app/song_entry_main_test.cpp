// The main window's MIDI keyboard, 新規 and 曲情報's metre, driven without a
// window: a double stands for the keyboard, a face answers the questions.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#include "app/main_window.h"
#include "common/message_box.h"
#include "common/report.h"
#include "input/input_tool.h"
#include "midi/midi_out.h"
#include "midi/timer_service.h"
#include "song/meter.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/render/render_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using Kind = midi::MidiInEvent::Kind;

class EntryFace final : public MainWindowFace {
 public:
  void FillCombo(int, const std::vector<std::string>&) override {}
  void SelectCombo(int combo, int index) override { selection[combo] = index; }
  int ComboSelection(int combo) const override {
    const auto it = selection.find(combo);
    return it == selection.end() ? -1 : it->second;
  }
  void SetScrollRange(int highest) override { scrollHighest = highest; }
  void SetScrollPosition(int) override {}
  void SetControlVisible(int, bool) override {}
  std::optional<std::string> AskOpenScorePath() override { return std::nullopt; }
  std::optional<std::string> AskSaveScorePath() override { return savePath; }
  std::optional<std::string> AskExportPath() override { return std::nullopt; }
  std::string RunLibraryDialog(const std::string&, const std::string&, std::int32_t&) override {
    return {};
  }
  void RunSongInfoDialog(CSongData& song) override {
    if (editInfo) {
      editInfo(song);
    }
  }
  std::optional<NewSongSettings> AskNewSong(const NewSongSettings& start) override {
    ++newSongAsked;
    EXPECT_EQ(start, NewSongSettings{});
    return newSong;
  }
  SaveChangesChoice AskSaveChanges() override {
    ++saveAsked;
    return saveChoice;
  }
  void ShowHelp(const std::string&) override {}
  void ShowAbout() override {}
  void Quit() override {}
  void Post(std::function<void()> task, std::chrono::milliseconds delay) override {
    posted.push_back(std::move(task));
    delays.push_back(delay);
  }
  void RunPosted() {
    auto tasks = std::exchange(posted, {});
    for (auto& task : tasks) {
      task();
    }
  }

  std::map<int, int> selection;
  int scrollHighest = -1;
  std::optional<std::string> savePath;
  std::function<void(CSongData&)> editInfo;
  std::optional<NewSongSettings> newSong;
  int newSongAsked = 0;
  SaveChangesChoice saveChoice = SaveChangesChoice::kCancel;
  int saveAsked = 0;
  std::vector<std::function<void()>> posted;
  std::vector<std::chrono::milliseconds> delays;
};

// The keyboard's double: it remembers what it was told to listen to, and
// plays through the handler it was given, as its own thread would.
class FakeMidiInput final : public midi::MidiInput {
 public:
  std::vector<midi::MidiInPortInfo> Ports() override { return {}; }
  bool Listen(std::string_view choice, EventHandler handler) override {
    choices.emplace_back(choice);
    m_handler = std::move(handler);
    return true;
  }
  void Stop() override { m_handler = nullptr; }
  std::string ConnectedPort() const override { return {}; }
  void Play(Kind kind, int note, int velocity, midi::MidiInTime time) {
    ASSERT_TRUE(m_handler);
    m_handler(
        {kind, 0, static_cast<std::uint8_t>(note), static_cast<std::uint8_t>(velocity), time});
  }
  std::vector<std::string> choices;

 private:
  EventHandler m_handler;
};

class SongEntryMainTest : public ::testing::Test {
 protected:
  SongEntryMainTest() {
    ::setenv("KUMOITO_MIDI_OUT", "none", 1);
    midi::SetMidiOutSystem(midi::MakePlatformMidiOutSystem());
    CKumoitoDlg::Options options;
    options.startupFolder = m_startup.path().string();
    options.dataFolder = m_data.Path("Kumoito");
    options.cacheFolder = m_data.Path("cache");
    options.timer = &m_timer;
    m_logic = std::make_unique<CKumoitoDlg>(m_face, options);
    m_logic->Initialize();
    m_face.RunPosted();
  }
  ~SongEntryMainTest() override {
    m_logic.reset();
    midi::SetMidiOutSystem(nullptr);
  }
  // An 8-measure 4/4 song saved and opened: a quarter note at its start.
  void OpenSong() {
    auto song = test::NewSong(8);
    song->m_cells[0].pitch[0] = 60;
    song->m_cells[2].pitch[0] = SLOT_REST;
    const std::string path = m_startup.Path("song.mwd");
    SaveScore(*song, 4, 0, path, 1);
    m_logic->OpenScore(path, false);
    m_face.RunPosted();
  }
  FakeMidiInput& Keyboard() {
    auto input = std::make_unique<FakeMidiInput>();
    FakeMidiInput& keyboard = *input;
    m_logic->SetMidiInput(std::move(input));
    return keyboard;
  }
  CSongData& Song() { return *m_logic->Song(); }

  test::ScopedFixedGlyphs m_glyphs;
  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
  test::TempDir m_startup;
  test::TempDir m_data;
  midi::ManualTimerService m_timer;
  EntryFace m_face;
  std::unique_ptr<CKumoitoDlg> m_logic;
};

TEST_F(SongEntryMainTest, KeysPlayedAreEnteredAtTheToolsSlotOnceTheChordWindowCloses) {
  OpenSong();
  FakeMidiInput& keyboard = Keyboard();
  EXPECT_EQ(keyboard.choices, (std::vector<std::string>{"first"}));
  ASSERT_TRUE(m_logic->InputTool().SelectPosition(1, 1));
  EXPECT_FALSE(m_logic->HasUnsavedChanges());
  const std::int32_t opened = Song().m_cells[0].pitch[0];
  m_face.RunPosted();
  m_face.delays.clear();

  // Long past: the window is over whenever the flush runs.
  const midi::MidiInTime t = midi::MidiInNow() - 1'000'000;
  keyboard.Play(Kind::kNoteOn, 62, 90, t);
  EXPECT_EQ(Song().m_cells[0].pitch[0], opened) << "only queued to the GUI thread so far";
  m_face.RunPosted();  // the event; it schedules the window's end
  EXPECT_EQ(Song().m_cells[0].pitch[0], opened);
  m_face.RunPosted();
  EXPECT_EQ(Song().m_cells[0].pitch[0], 62);
  EXPECT_EQ(Song().m_cells[2].pitch[0], SLOT_REST) << "a quarter, as the note under the tool";
  EXPECT_EQ(m_logic->InputTool().Beat(), 5);
  EXPECT_TRUE(m_logic->HasUnsavedChanges());

  // Struck together: a two-string note at the next slot.
  keyboard.Play(Kind::kNoteOn, 48, 80, t + 100'000);
  keyboard.Play(Kind::kNoteOn, 60, 80, t + 110'000);
  keyboard.Play(Kind::kNoteOn, 60, 0, t + 200'000);
  m_face.RunPosted();
  m_face.RunPosted();
  EXPECT_EQ(Song().m_cells[2].pitch[0], 60);
  EXPECT_EQ(Song().m_marks.At(2, 0).together[0], 48);

  EXPECT_EQ(m_logic->History().UndoCount(), 2u);
  ASSERT_TRUE(m_logic->Undo());
  ASSERT_TRUE(m_logic->Undo());
  EXPECT_EQ(Song().m_cells[0].pitch[0], opened);
  EXPECT_FALSE(m_logic->HasUnsavedChanges());
}

TEST_F(SongEntryMainTest, AChordStillOpenWaitsForItsWindowAndTheChosenPortIsListenedTo) {
  OpenSong();
  FakeMidiInput& keyboard = Keyboard();
  const std::int32_t opened = Song().m_cells[0].pitch[0];
  m_face.RunPosted();
  m_face.delays.clear();
  keyboard.Play(Kind::kNoteOn, 64, 90, midi::MidiInNow() + 60'000'000);
  const auto waits = [this] {
    return std::count_if(m_face.delays.begin(), m_face.delays.end(),
                         [](auto d) { return d > std::chrono::milliseconds(59'000); });
  };
  m_face.RunPosted();
  EXPECT_EQ(waits(), 1) << "the flush waits for the window's end";
  m_face.RunPosted();  // early: the chord stays open and is waited for again
  EXPECT_EQ(Song().m_cells[0].pitch[0], opened);
  EXPECT_EQ(waits(), 2);
  m_logic->FlushMidiInput(midi::MidiInNow() + 60'030'000);
  EXPECT_EQ(Song().m_cells[0].pitch[0], 64);

  SettingsChoice choice = m_logic->CurrentSettingsChoice();
  choice.preferences.midiInput = "Keys:Port 1";
  m_logic->ApplySettings(choice);
  EXPECT_EQ(keyboard.choices.back(), "Keys:Port 1");
  EXPECT_EQ(LoadPreferences(m_data.Path("Kumoito/preferences.ini")).midiInput, "Keys:Port 1");
}

TEST_F(SongEntryMainTest, NewSongAsksItsSettingsThenWhetherToSaveAndStartsEmpty) {
  OpenSong();
  ASSERT_TRUE(m_logic->InputTool().SelectPosition(1, 1));
  m_logic->InputTool().OnTypeSelected(kTypeRest);  // an unsaved change
  ASSERT_TRUE(m_logic->HasUnsavedChanges());

  m_face.newSong = std::nullopt;  // the settings dialog cancelled
  m_logic->RunCommand(kCommandNew);
  EXPECT_EQ(m_face.saveAsked, 0);
  EXPECT_EQ(Song().m_cells[0].pitch[0], SLOT_REST);

  m_face.newSong = NewSongSettings{72, 3};
  m_face.saveChoice = SaveChangesChoice::kCancel;
  m_logic->RunCommand(kCommandNew);
  EXPECT_EQ(m_face.saveAsked, 1);
  EXPECT_EQ(Song().m_filePath, m_startup.Path("song.mwd")) << "cancelled: the song stays";
  EXPECT_TRUE(m_logic->History().CanUndo());

  m_face.saveChoice = SaveChangesChoice::kDiscard;
  m_logic->RunCommand(kCommandNew);
  m_face.RunPosted();
  EXPECT_EQ(m_face.saveAsked, 2);
  EXPECT_EQ(Song().m_info.tempo, 72);
  EXPECT_EQ(Song().m_beatsPerMeasure, 3);
  EXPECT_EQ(Song().m_measureCount, kInputStartMeasureCount);
  EXPECT_EQ(Song().m_cells[0].pitch[0], SLOT_REST);
  EXPECT_EQ(Song().m_cells[6].pitch[0], SLOT_REST) << "measure 2 starts after three beats";
  EXPECT_TRUE(Song().m_filePath.empty());
  EXPECT_FALSE(m_logic->History().CanUndo());
  EXPECT_EQ(m_logic->SongFileForDialogs(), "");

  // Saved, the next 新規 asks nothing more than the settings.
  m_face.savePath = m_startup.Path("new.mwd");
  m_face.saveChoice = SaveChangesChoice::kSave;
  m_logic->RunCommand(kCommandNew);
  EXPECT_EQ(m_face.saveAsked, 3);
  ASSERT_TRUE(test::ReadFile(m_startup.Path("new.mwd")).size() > 0);
  m_face.newSong = NewSongSettings{500, 12};  // out of range: brought inside
  m_logic->RunCommand(kCommandNew);
  EXPECT_EQ(m_face.saveAsked, 4) << "a new song has no file: it always asks";
  EXPECT_EQ(Song().m_info.tempo, kMaxTempo);
  EXPECT_EQ(Song().m_beatsPerMeasure, kMaxBeatsPerMeasure);
}

TEST_F(SongEntryMainTest, SongInfoMetreReBarsAsOneStepAndTheRangesFollow) {
  OpenSong();
  m_face.editInfo = [](CSongData& song) {
    song.m_info.tempo = 90;
    ASSERT_TRUE(ChangeBeatsPerMeasure(song, 2));
  };
  m_logic->RunCommand(kCommandSongInfo);
  m_face.RunPosted();
  EXPECT_EQ(Song().m_measureCount, 16);
  EXPECT_EQ(m_logic->InputTool().MeasureCount(), 16);
  EXPECT_EQ(m_logic->InputTool().MeasureHigh(), 17);
  EXPECT_EQ(m_face.scrollHighest, m_logic->HighestScrollPosition());
  EXPECT_EQ(m_logic->UndoCaption(), "元に戻す: 曲情報");
  EXPECT_EQ(m_logic->History().UndoCount(), 1u);

  ASSERT_TRUE(m_logic->Undo());
  EXPECT_EQ(Song().m_beatsPerMeasure, 4);
  EXPECT_EQ(Song().m_measureCount, 8);
  EXPECT_EQ(Song().m_info.tempo, kDefaultTempo);
  EXPECT_EQ(m_logic->InputTool().MeasureHigh(), 9);
  EXPECT_FALSE(m_logic->HasUnsavedChanges());
  ASSERT_TRUE(m_logic->Redo());
  EXPECT_EQ(Song().m_beatsPerMeasure, 2);
}

}  // namespace
}  // namespace kumoito
