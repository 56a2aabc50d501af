// Every song of the sample library, read from its source the way the build
// reads it, saved and opened again as the program opens it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "library/song_source.h"
#include "song/arrangement.h"
#include "song/score_file.h"
#include "song/score_layout.h"
#include "song/song_data.h"
#include "song/tuning.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

namespace fs = std::filesystem;

struct LibrarySong {
  std::string name;
  SongSource source;
};

std::vector<LibrarySong> LoadLibrary() {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(KUMOITO_SONG_SOURCE_DIR)) {
    if (entry.path().extension() == ".txt") {
      paths.push_back(entry.path());
    }
  }
  std::sort(paths.begin(), paths.end());
  std::vector<LibrarySong> songs;
  for (const fs::path& path : paths) {
    std::ifstream in(path, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    ParsedSource parsed = ParseSongSource(text);
    EXPECT_FALSE(parsed.error) << FormatSourceError(path.string(), *parsed.error);
    songs.push_back({path.stem().string(), std::move(parsed.song)});
  }
  return songs;
}

// The notes of a song as they sound: each starts at a pitch slot and lasts
// until the next slot that is not a hold.
std::vector<SourceEvent> SoundingNotes(const CSongData& song) {
  std::vector<SourceEvent> notes;
  const int sixteenths = 2 * song.CellCount();
  bool sounding = false;
  for (int i = 0; i < sixteenths; ++i) {
    const NoteCell& cell = song.m_cells[static_cast<std::size_t>(i / 2)];
    const std::int32_t v = cell.pitch[i % 2];
    if (v == SLOT_HOLD) {
      if (sounding) {
        ++notes.back().length;
      }
      continue;
    }
    sounding = v >= 0;
    if (sounding) {
      notes.push_back({i, 1, v, std::string(FieldText(cell.lyric[i % 2]))});
    }
  }
  return notes;
}

class LibrarySongs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_songs = new std::vector<LibrarySong>(LoadLibrary()); }
  static void TearDownTestSuite() {
    delete s_songs;
    s_songs = nullptr;
  }

  // Builds and saves the song, then opens the file as the library does.
  std::unique_ptr<CSongData> SaveAndOpen(const LibrarySong& song) {
    auto built = BuildSong(song.source);
    const std::string path = m_dir.Path(song.name + ".mwd");
    EXPECT_TRUE(SaveScore(*built, built->m_beatsPerMeasure, built->m_keyIndex, path, 1));
    EXPECT_EQ(test::ReadFile(path).size(), score_layout::kFileSize);
    std::int32_t beats = 4, key = 0, measures = 1;
    return CSongData::LoadOrCreate(path, beats, key, measures);
  }

  static std::vector<LibrarySong>* s_songs;
  test::TempDir m_dir;
  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
};

std::vector<LibrarySong>* LibrarySongs::s_songs = nullptr;

TEST_F(LibrarySongs, FillEveryCategoryOfTheLibrary) {
  int japanese = 0, japaneseFamous = 0, other = 0, otherVeryFamous = 0;
  for (const LibrarySong& song : *s_songs) {
    SCOPED_TRACE(song.name);
    EXPECT_FALSE(song.source.source.empty());
    EXPECT_FALSE(song.source.composer.empty());
    if (song.source.regionCode == 3) {
      ++japanese;
      japaneseFamous += song.source.fameScore >= 60 ? 1 : 0;
      // Japanese songs are sung from the tablature: every one has words.
      EXPECT_TRUE(std::any_of(song.source.events.begin(), song.source.events.end(),
                              [](const SourceEvent& e) { return !e.lyric.empty(); }));
    } else {
      ++other;
      otherVeryFamous += song.source.fameScore >= 100 ? 1 : 0;
    }
  }
  // The library dialog files songs by region and fame. A newcomer should
  // find a full list of famous Japanese songs, and "all Japanese songs"
  // should show something more than the famous ones.
  EXPECT_GE(s_songs->size(), 16u);
  EXPECT_GE(japanese, 8);
  EXPECT_GE(japaneseFamous, japanese - 2);
  EXPECT_LT(japaneseFamous, japanese);
  EXPECT_GE(other, 8);
  EXPECT_GE(otherVeryFamous, 3);
}

TEST_F(LibrarySongs, KeepEveryNoteLyricAndChordThroughTheScoreFile) {
  ASSERT_GE(s_songs->size(), 16u);
  for (const LibrarySong& song : *s_songs) {
    SCOPED_TRACE(song.name);
    const SongSource& source = song.source;
    auto opened = SaveAndOpen(song);
    EXPECT_EQ(opened->m_measureCount, source.measureCount);
    EXPECT_EQ(opened->m_beatsPerMeasure, source.beatsPerMeasure);
    EXPECT_EQ(opened->m_keyIndex, source.keyIndex);
    EXPECT_EQ(FieldText(opened->m_info.title), source.title);
    EXPECT_EQ(FieldText(opened->m_info.composer), source.composer);
    EXPECT_EQ(FieldText(opened->m_info.lyricist), source.lyricist);
    EXPECT_EQ(opened->m_info.tempo, source.tempo);
    EXPECT_EQ(opened->m_info.reserved3[10], source.regionCode);
    EXPECT_EQ(opened->m_info.infoText[5], source.fameScore);

    std::vector<SourceEvent> expected;
    std::copy_if(source.events.begin(), source.events.end(), std::back_inserter(expected),
                 [](const SourceEvent& e) { return e.pitch != kSourceRest; });
    const std::vector<SourceEvent> notes = SoundingNotes(*opened);
    ASSERT_EQ(notes.size(), expected.size());
    const int sixteenthsPerMeasure = source.beatsPerMeasure * kSixteenthsPerBeat;
    for (std::size_t i = 0; i < notes.size(); ++i) {
      SCOPED_TRACE("note " + std::to_string(i));
      EXPECT_EQ(notes[i].start, expected[i].start);
      EXPECT_EQ(notes[i].length, expected[i].length);
      EXPECT_EQ(notes[i].pitch, expected[i].pitch);
      EXPECT_EQ(notes[i].lyric, expected[i].lyric);
      // The program's own measure of a note agrees (it counts eighths).
      const int start = notes[i].start;
      EXPECT_EQ(opened->NoteLength((start % sixteenthsPerMeasure) / 2, start / sixteenthsPerMeasure,
                                   start % 2) *
                    2,
                notes[i].length);
    }

    ASSERT_EQ(static_cast<int>(source.beatChords.size()), opened->BeatCount());
    for (int b = 0; b < opened->BeatCount(); ++b) {
      SCOPED_TRACE("beat " + std::to_string(b));
      EXPECT_EQ(FieldText(opened->m_beatChords[b].chord), source.beatChords[b].chord);
      EXPECT_EQ(FieldText(opened->m_beatChords[b].chordMid), source.beatChords[b].chordMid);
    }
  }
  EXPECT_EQ(m_reports.Text(), "");
  EXPECT_TRUE(m_boxes.Messages().empty());
}

// What the main window does when it opens a song with automatic arrangement,
// for every first-string pitch a player may have set.
TEST_F(LibrarySongs, ArrangeOntoTheNeckForEveryFirstString) {
  for (const LibrarySong& song : *s_songs) {
    for (std::int32_t v = 0; v < kFirstStringCount; ++v) {
      SCOPED_TRACE(song.name + " first string " + std::to_string(v));
      auto opened = SaveAndOpen(song);
      const KeyAndTuning choice = ChooseKeyAndTuning(*opened, v);
      ChangeKey(*opened, opened->m_keyIndex, choice.key);
      FitOctave(*opened, kFirstStringBasePitch + v);
      const OpenStrings open = OpenStringPitches(v, choice.tuning);
      const PitchPlaceTable places = BuildPitchPlaces(open);
      opened->UpdatePitchRange();
      EXPECT_GE(opened->m_lowestPitch, open[0]);
      for (const SourceEvent& note : SoundingNotes(*opened)) {
        const PitchPlace& place = places[note.pitch];
        EXPECT_GE(place.position, 1) << "at " << note.start;
        EXPECT_LE(place.position, kMaxPosition) << "at " << note.start;
        // Played where it sounds, not folded down an octave.
        EXPECT_EQ(open[static_cast<std::size_t>(place.string)] + place.position - 1, note.pitch)
            << "at " << note.start;
      }
    }
  }
  EXPECT_EQ(m_reports.Text(), "");
}

}  // namespace
}  // namespace kumoito
