#include "import/recording_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/file_import.h"
#include "tests/audio/audio_test_util.h"

namespace kumoito::import {
namespace {

using audio::BeatGrid;
using audio::HeardNote;

HeardNote Heard(double onset, double end, int pitch) {
  return HeardNote{onset, end, static_cast<double>(pitch), pitch};
}

TEST(RecordingImport, NotesLastToTheirSilenceOrTheNextNoteOnTheGrid) {
  BeatGrid grid;
  grid.bpm = 60;
  grid.origin = 1.0;
  // A quarter ringing into the next note, an eighth that stops early, a
  // knock shorter than a sixteenth, and two notes heard at one instant.
  const Melody melody =
      MelodyFromHeardNotes({Heard(1.0, 2.4, 60), Heard(2.0, 2.45, 62), Heard(3.0, 3.02, 64),
                            Heard(3.5, 5.0, 65), Heard(3.51, 5.0, 65)},
                           grid);
  ASSERT_EQ(melody.notes.size(), 5u);
  EXPECT_EQ(melody.tempo, 60.0);
  EXPECT_EQ(melody.notes[0].onset, Rational(0));
  EXPECT_EQ(melody.notes[0].duration, Rational(1));
  EXPECT_EQ(melody.notes[1].onset, Rational(1));
  EXPECT_EQ(melody.notes[1].duration, Rational(1, 2));
  EXPECT_EQ(melody.notes[2].duration, Rational(1, 4));
  EXPECT_EQ(melody.notes[3].onset, Rational(5, 2));
  EXPECT_EQ(melody.notes[3].pitch, 65);
  // The second went a sixteenth on; the first ends there.
  EXPECT_EQ(melody.notes[3].duration, Rational(1, 4));
  EXPECT_EQ(melody.notes[4].onset, Rational(11, 4));
  EXPECT_EQ(melody.notes[4].duration, Rational(5, 4));
}

TEST(RecordingImport, RecordingsAreKnownByBytesOrName) {
  const std::string wav("RIFF\x24\0\0\0WAVEfmt ", 16);
  EXPECT_EQ(SniffFileKind(reinterpret_cast<const unsigned char*>(wav.data()), wav.size(), "x"),
            FileKind::kRecording);
  const unsigned char junk[] = {1, 2, 3, 4};
  EXPECT_EQ(SniffFileKind(junk, 4, "take.FLAC"), FileKind::kRecording);
  EXPECT_EQ(SniffFileKind(junk, 4, "take.ogg"), FileKind::kRecording);
  EXPECT_EQ(SniffFileKind(junk, 4, "take.mwd"), FileKind::kScore);
  const ImportOutcome broken = ImportBytes(junk, 4, FileKind::kRecording);
  EXPECT_FALSE(broken.song);
  ASSERT_TRUE(broken.error);
  EXPECT_FALSE(broken.error->message.empty());
}

TEST(RecordingImport, ASoxTuneBecomesASongAtItsTempo) {
  if (!audio::test::HaveSox()) {
    GTEST_SKIP() << "sox is not installed";
  }
  const std::vector<audio::test::SoxNote> tune = {
      {"C4", 4}, {"D4", 4}, {"E4", 2}, {"F4", 2}, {"G4", 4}, {"A4", 2}, {"G4", 2},
      {"F4", 4}, {"E4", 8}, {"D4", 2}, {"C4", 2}, {"D4", 4}, {"C4", 8}, {"C4", 8}};
  const std::string path = audio::test::TempPath("tune.wav");
  ASSERT_FALSE(audio::test::MakeSoxSequence(path, tune, 100, 0.01).empty());
  const std::string bytes = audio::test::ReadBytes(path);
  const ImportOutcome outcome = ImportFileBytes(bytes, path);
  EXPECT_EQ(outcome.kind, FileKind::kRecording);
  ASSERT_TRUE(outcome.song) << (outcome.error ? outcome.error->message : "");
  EXPECT_EQ(outcome.song->m_info.tempo, 100);
  const RecordingImportResult read =
      ReadRecordingMelody(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  ASSERT_TRUE(read.melody);
  ASSERT_EQ(read.melody->notes.size(), tune.size());
  static const int kPitches[] = {60, 62, 64, 65, 67, 69, 67, 65, 64, 62, 60, 62, 60, 60};
  int at = 0;
  for (std::size_t i = 0; i < tune.size(); ++i) {
    EXPECT_EQ(read.melody->notes[i].pitch, kPitches[i]) << "note " << i;
    EXPECT_EQ(read.melody->notes[i].onset, Rational(at, 4)) << "note " << i;
    at += tune[i].sixteenths;
  }
  ASSERT_EQ(outcome.notices.size(), 1u);
  EXPECT_NE(outcome.notices[0].find("14"), std::string::npos) << outcome.notices[0];
}

}  // namespace
}  // namespace kumoito::import
