#include "midi/smf.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/file_util.h"
#include "common/report.h"
#include "midi/midi_event.h"
#include "midi/track_ops.h"
#include "tests/midi/midi_test_util.h"
#include "tests/midi/smf_test_util.h"

namespace kumoito::midi {
namespace {

using namespace kumoito::midi::testing;
using V = std::vector<std::int32_t>;

MidiSequence Read(const Bytes& image) {
  MidiSequence s;
  ReadSequenceImage(s, image.data(), image.size());
  return s;
}

MidiTrack Parse(const Bytes& body) {
  Bytes chunk = Chunk("MTrk", body);
  MidiTrack t;
  ParseTrackChunk(chunk.data(), chunk.size(), t, chunk.size(), 0);
  return t;
}

Bytes ReadAll(const std::string& path) {
  Bytes b(kBufferCapacity);
  std::size_t n = 0;
  ReadFileBytes(path, b.data(), b.size(), n);
  b.resize(n);
  return b;
}

TEST(Smf, VariableLengthNumbers) {
  EXPECT_EQ(EncodeVariableLength(0), (Bytes{0x00}));
  EXPECT_EQ(EncodeVariableLength(127), (Bytes{0x7F}));
  EXPECT_EQ(EncodeVariableLength(200), (Bytes{0x81, 0x48}));
  EXPECT_EQ(EncodeVariableLength(20000), (Bytes{0x81, 0x9C, 0x20}));
  EXPECT_EQ(EncodeVariableLength(2097151), (Bytes{0xFF, 0xFF, 0x7F}));
}

TEST(Smf, WritesHeaderTrackAndEventsWithoutRunningStatus) {
  TempFile file("write.mid");
  MidiSequence s;
  s.division = 960;
  s.form = FORM_ON_OFF;
  s.track = std::make_unique<MidiTrack>();
  s.track->form = FORM_ON_OFF;
  AppendEvent(*s.track, Ev(EV_NOTE_ON, 200, 60, 64));
  AppendEvent(*s.track, Ev(EV_NOTE_OFF, 20000, 60, 0));  // velocity written as 64
  AppendEvent(*s.track, Ev(EV_NOTE_ON, 0, 62, 64));
  AppendEvent(*s.track, EndOfTrack(0));
  ASSERT_TRUE(WriteSequenceFile(s, file.Path()));
  EXPECT_EQ(s.form, FORM_ON_OFF);
  EXPECT_EQ(s.track->EventCount(), 4);
  const Bytes expected = File0({0x81, 0x48, 0x90, 60, 64, 0x81, 0x9C, 0x20, 0x80, 60, 64, 0x00,
                                0x90, 62, 64, 0x00, 0xFF, 0x2F, 0x00},
                               960);
  EXPECT_EQ(ReadAll(file.Path()), expected);
}

TEST(Smf, TrackWithoutEndIsNotWritten) {
  ScopedReportCapture capture;
  TempFile file("noend.mid");
  MidiSequence s;
  s.division = 96;
  s.form = FORM_ON_OFF;
  s.track = std::make_unique<MidiTrack>();
  s.track->form = FORM_ON_OFF;
  AppendEvent(*s.track, Ev(EV_NOTE_ON, 0, 60, 64));
  EXPECT_FALSE(WriteSequenceFile(s, file.Path()));
  EXPECT_FALSE(FileExists(file.Path()));
  EXPECT_NE(capture.Text().find("MDTK0D000001"), std::string::npos);
  EXPECT_EQ(s.track->EventCount(), 1);
}

TEST(Smf, WriterReportsBadChannelAndUndefinedKindAndKeepsTime) {
  ScopedReportCapture capture;
  MidiTrack t;
  t.form = FORM_ON_OFF;
  AppendEvent(t, Ev(EV_NOTE_ON, 5, 200, 64, 0, 17));
  AppendEvent(t, Ev(0x42, 7));
  AppendEvent(t, EndOfTrack(3));
  ASSERT_TRUE(SerializeTrack(t));
  EXPECT_NE(capture.Text().find("MDTK0D000003"), std::string::npos);
  EXPECT_NE(capture.Text().find("MDTK0D000002"), std::string::npos);
  // Note 200 is written as 0; the undefined event's 7 ticks go to the end.
  const Bytes body(t.buffer.begin() + 8, t.buffer.end());
  EXPECT_EQ(body, (Bytes{5, 0x91, 0, 64, 10, 0xFF, 0x2F, 0}));
}

TEST(Smf, ReadsRunningStatusAndVelocityZeroAsNoteOff) {
  auto t =
      Parse({0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E, 0x40, 0x10, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(Kinds(t), (V{EV_NOTE_ON, EV_NOTE_ON, EV_NOTE_OFF, EV_META}));
  EXPECT_EQ(t.events[1]->note, 0x3E);
  EXPECT_EQ(t.events[2]->note, 0x3C);
  EXPECT_EQ(Deltas(t), (V{0, 0, 16, 0}));
  EXPECT_EQ(t.events[1]->dataLength, 3);
  EXPECT_EQ(EventDataByte(*t.events[1], 0), 0x90);
}

TEST(Smf, ReadsEveryChannelKind) {
  ScopedReportCapture capture;
  auto t = Parse({0,    0xA1, 60,   5, 0, 0xB2, 7,    100,  0, 0xC3, 106,  0, 0xC3,
                  0x80, 0,    0xD4, 9, 0, 0xE5, 0x01, 0x40, 0, 0xFF, 0x2F, 0});
  ASSERT_EQ(Kinds(t), (V{0xA0, EV_CONTROL, EV_PROGRAM, EV_PROGRAM, 0xD0, EV_PITCH_BEND, EV_META}));
  EXPECT_EQ(t.events[0]->channel, 1);
  EXPECT_EQ(t.events[1]->subtype, 7u);
  EXPECT_EQ(t.events[1]->value, 100);
  EXPECT_EQ(t.events[2]->value, 106);
  EXPECT_EQ(t.events[3]->value, 0);  // program 128 repaired
  EXPECT_NE(capture.Text().find("MDTK0D00000C"), std::string::npos);
  EXPECT_EQ(t.events[4]->value, 9);
  EXPECT_EQ(t.events[5]->note, 1);
  EXPECT_EQ(t.events[5]->value, 0x40);
  EXPECT_EQ(t.events[6]->channel, 255);
}

TEST(Smf, ReadsMetaEventsWithRepairs) {
  ScopedReportCapture capture;
  auto t = Parse({0, 0xFF, 0x51, 3, 0x0B, 0x71, 0xB0,     // 750000
                  0, 0xFF, 0x51, 3, 0,    0,    0,        // tempo 0
                  0, 0xFF, 0x58, 4, 3,    2,    24,   8,  // 3/4
                  0, 0xFF, 0x58, 4, 0,    2,    24,   8,  // numerator 0
                  0, 0xFF, 0x03, 2, 'a',  'b',            // track name
                  0, 0xFF, 0x09, 1, 'x',                  // device name, kept as text
                  0, 0xFF, 0x21, 1, 0,                    // unknown: deleted
                  0, 0xFF, 0x2F, 0});
  ASSERT_EQ(t.EventCount(), 8);
  EXPECT_EQ(t.events[0]->value, 750000);
  EXPECT_EQ(t.events[1]->value, 500000);
  EXPECT_NE(capture.Text().find("MDTK0D000005"), std::string::npos);
  EXPECT_EQ(t.events[2]->value, 3 * 256 + 4);
  EXPECT_EQ(t.events[3]->value, 4 * 256 + 4);
  EXPECT_NE(capture.Text().find("MDTK0D000027"), std::string::npos);
  EXPECT_EQ(t.events[4]->dataLength, 2);
  EXPECT_EQ(t.events[5]->subtype, 0x04u);
  EXPECT_EQ(t.events[6]->kind, EV_DELETED);
  EXPECT_TRUE(IsEndOfTrack(*t.events[7]));
}

TEST(Smf, ReadsSysexAndClassifiesIt) {
  auto t = Parse({0, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,              // GM on
                  0, 0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x64, 0xF7,  // volume 100
                  0, 0xF7, 0x02, 0x01, 0x02,                                // continuation
                  0, 0xFF, 0x2F, 0});
  ASSERT_EQ(Kinds(t), (V{EV_SYSEX, EV_SYSEX, EV_SYSEX_CONTINUATION, EV_META}));
  EXPECT_EQ(t.events[0]->subtype, SYSEX_GM_SYSTEM_ON);
  EXPECT_EQ(t.events[0]->dataLength, 7);
  EXPECT_EQ(t.events[1]->subtype, SYSEX_MASTER_VOLUME);
  EXPECT_EQ(t.events[1]->value, 100);
  EXPECT_EQ(t.events[2]->dataLength, 4);
  const unsigned char balance[] = {0xF0, 7, 0x7F, 0x7F, 0x04, 0x02, 0, 0x30, 0xF7};
  std::int32_t v = 0;
  EXPECT_EQ(SysexClass(balance, sizeof balance, &v), 40u);
  EXPECT_EQ(v, 0x30);
  const unsigned char roland[] = {0xF0, 9, 0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0, 1, 0xF7};
  EXPECT_EQ(SysexClass(roland, sizeof roland, nullptr), 19u);
  const unsigned char timbre[] = {0xF0, 9, 0x43, 0x79, 0x06, 0x7F, 1, 2, 0xF7};
  EXPECT_EQ(SysexClass(timbre, sizeof timbre, nullptr), SYSEX_MODEL_TIMBRE);
  const unsigned char shortOne[] = {0xF0, 2, 0x7F};
  EXPECT_EQ(SysexClass(shortOne, sizeof shortOne, nullptr), 0u);
}

TEST(Smf, ForeignChunkAndOverlongChunkGiveEmptyTrack) {
  ScopedReportCapture capture;
  Bytes chunk = Chunk("RIFF", {0, 0xFF, 0x2F, 0});
  MidiTrack t;
  ParseTrackChunk(chunk.data(), chunk.size(), t, chunk.size(), 0);
  EXPECT_EQ(t.EventCount(), 0);
  EXPECT_NE(capture.Text().find("MDTK0D000007"), std::string::npos);
  Bytes cut = Chunk("MTrk", {0, 0xFF, 0x2F, 0});
  cut.resize(cut.size() - 1);
  capture.Clear();
  ParseTrackChunk(cut.data(), cut.size(), t, cut.size(), 0);
  EXPECT_EQ(t.EventCount(), 0);
  EXPECT_NE(capture.Text().find("MDTK0D000001"), std::string::npos);
}

TEST(Smf, TruncatedEventsStopWithReport) {
  ScopedReportCapture capture;
  EXPECT_EQ(Parse({0, 0x90, 60}).EventCount(), 0);                   // data byte missing
  EXPECT_EQ(Parse({0x81}).EventCount(), 0);                          // delta runs off
  EXPECT_EQ(Parse({0, 0x40, 0x40}).EventCount(), 0);                 // data with no status
  EXPECT_EQ(Parse({0, 0xF0, 1, 2}).EventCount(), 0);                 // no F7
  EXPECT_EQ(Parse({0, 0xFF, 0x01, 0x85, 0x00, 1}).EventCount(), 0);  // text longer than chunk
  EXPECT_EQ(Parse({0, 0xFF, 0x51, 3, 1}).EventCount(), 0);           // tempo cut short
  EXPECT_EQ(Parse({0, 0xF7, 5, 1}).EventCount(), 0);
  EXPECT_EQ(Parse({0, 0xF4}).EventCount(), 0);
  EXPECT_NE(capture.Text().find("MDTK0D000002"), std::string::npos);
}

TEST(Smf, BadNoteNumberIsReportedOncePerRun) {
  ScopedReportCapture capture;
  ResetOncePerRunReports();
  auto t = Parse({0, 0x90, 0x80, 0x40, 0, 0x90, 0x81, 0x40, 0, 0xFF, 0x2F, 0});
  EXPECT_EQ(t.events[0]->note, 0);
  EXPECT_EQ(t.events[0]->velocity, 0);
  const std::string text = capture.Text();
  EXPECT_EQ(text.find("MDTK0D000017"), text.rfind("MDTK0D000017"));
  EXPECT_NE(text.find("ノートナンバーが異常"), std::string::npos);
}

TEST(Smf, ReadBackGivesFormTwoAndMacBinaryIsSkipped) {
  const Bytes body = {0, 0x90, 60, 64, 40, 0x80, 60, 64, 0, 0xFF, 0x2F, 0};
  MidiSequence s = Read(File0(body, 960));
  EXPECT_EQ(s.form, FORM_NOTES);
  EXPECT_EQ(s.division, 960);
  ASSERT_EQ(Kinds(*s.track), (V{EV_NOTE, EV_META}));
  EXPECT_EQ(s.track->events[0]->duration, 40);
  Bytes mac(128, 0x11);
  const Bytes plain = File0(body, 960);
  mac.insert(mac.end(), plain.begin(), plain.end());
  MidiSequence m = Read(mac);
  EXPECT_EQ(m.division, 960);
  EXPECT_EQ(Kinds(*m.track), (V{EV_NOTE, EV_META}));
}

TEST(Smf, UnreadableOrForeignFileGivesEmptySequence) {
  ScopedReportCapture capture;
  MidiSequence s;
  ReadSequenceFile(s, "/nonexistent/kumoito/play.dat");
  EXPECT_EQ(s.form, FORM_NOTES);
  ASSERT_NE(s.track, nullptr);
  EXPECT_EQ(s.track->EventCount(), 0);
  EXPECT_NE(capture.Text().find("GENE01000007"), std::string::npos);
  capture.Clear();
  MidiSequence f = Read({'R', 'I', 'F', 'F', 0, 0, 0, 0});
  EXPECT_EQ(f.track->EventCount(), 0);
  EXPECT_NE(capture.Text().find("M1DT03000004"), std::string::npos);
  capture.Clear();
  MidiSequence g = Read(Header(2, 1, 96));
  EXPECT_EQ(g.track->EventCount(), 0);
  EXPECT_NE(capture.Text().find("M1DT03000002"), std::string::npos);
}

TEST(Smf, Format1TracksMergeByTimeWithMasterVolume) {
  ScopedReportCapture capture;
  Bytes image = Header(1, 2, 480);
  const Bytes t0 = Chunk("MTrk", {0,    0xFF, 0x03, 1,    'A', 0,   0xFF, 0x51, 3,    0x07,
                                  0xA1, 0x20, 20,   0xB0, 7,   100, 0,    0xFF, 0x2F, 0});
  const Bytes t1 = Chunk("MTrk", {10, 0x91, 60, 64, 0, 0xC1, 5, 20, 0x81, 60, 0, 0, 0xFF, 0x2F, 0});
  image.insert(image.end(), t0.begin(), t0.end());
  image.insert(image.end(), t1.begin(), t1.end());
  MidiSequence s = Read(image);
  EXPECT_EQ(s.form, FORM_NOTES);
  EXPECT_EQ(s.division, 480);
  ASSERT_EQ(Kinds(*s.track),
            (V{EV_META, EV_SYSEX, EV_META, EV_NOTE, EV_PROGRAM, EV_CONTROL, EV_META}));
  EXPECT_EQ(s.track->events[0]->subtype, META_TRACK_NAME);
  EXPECT_EQ(s.track->events[1]->subtype, SYSEX_MASTER_VOLUME);
  EXPECT_EQ(AbsoluteTimes(*s.track), (std::vector<std::int64_t>{0, 0, 0, 10, 10, 20, 30}));
  EXPECT_EQ(s.track->events[3]->duration, 20);
}

TEST(Smf, Format1RepeatedMasterVolumeAndTrackCountAreReported) {
  ScopedReportCapture capture;
  Bytes image = Header(1, 70, 96);
  const Bytes t =
      Chunk("MTrk", {0,    0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0,    0x64, 0xF7, 0,    0xF0,
                     0x07, 0x7F, 0x7F, 0x04, 0x01, 0,    0x60, 0xF7, 0,    0xFF, 0x2F, 0});
  image.insert(image.end(), t.begin(), t.end());
  MidiSequence s = Read(image);
  EXPECT_NE(capture.Text().find("M1DT03000001"), std::string::npos);
  EXPECT_NE(capture.Text().find("M1DT03000006"), std::string::npos);
  EXPECT_EQ(Kinds(*s.track), (V{EV_SYSEX, EV_SYSEX, EV_META}));
}

TEST(Smf, WriteReadRoundTripKeepsEveryEvent) {
  TempFile file("round.mid");
  MidiSequence s;
  s.division = 480;
  s.form = FORM_NOTES;
  s.track = std::make_unique<MidiTrack>();
  s.track->form = FORM_NOTES;
  AppendEvent(*s.track, Control(0, 7, 90));
  AppendEvent(*s.track, Note(0, 60, 100));
  AppendEvent(*s.track, Note(50, 64, 300));
  auto text = Ev(EV_META, 10);
  text->subtype = 0x01;
  text->channel = kNoChannel;
  const unsigned char hello[] = {'h', 'i'};
  SetEventData(*text, hello, 2);
  AppendEvent(*s.track, std::move(text));
  AppendEvent(*s.track, EndOfTrack(500));
  ASSERT_TRUE(WriteSequenceFile(s, file.Path()));
  EXPECT_EQ(s.form, FORM_NOTES);
  MidiSequence r;
  ReadSequenceFile(r, file.Path());
  EXPECT_EQ(Kinds(*r.track), Kinds(*s.track));
  EXPECT_EQ(AbsoluteTimes(*r.track), AbsoluteTimes(*s.track));
  EXPECT_EQ(r.track->events[2]->duration, 300);
  EXPECT_EQ(EventDataByte(*r.track->events[3], 1), 'i');
}

// Seeded random and mutated files: the reader must stay inside its buffers
// (AddressSanitizer watches) and always leave a usable form-2 sequence.
TEST(SmfFuzz, RandomAndMutatedFilesNeverReadPastTheBuffer) {
  ScopedReportCapture capture;
  std::mt19937 rng(20240605);
  const Bytes seedBody = {0, 0xFF, 0x51, 3,    0x07, 0xA1, 0x20, 0,    0xF0, 5,    0x7E, 0x7F,
                          9, 1,    0xF7, 0,    0xC0, 106,  0,    0x90, 60,   64,   40,   60,
                          0, 0,    0xFF, 0x58, 4,    3,    2,    24,   8,    0,    0xFF, 0x01,
                          2, 'a',  'b',  0x81, 0x48, 0xB0, 7,    100,  0,    0xFF, 0x2F, 0};
  const Bytes seed0 = File0(seedBody, 960);
  Bytes seed1 = Header(1, 2, 96);
  for (int i = 0; i < 2; ++i) {
    const Bytes c = Chunk("MTrk", seedBody);
    seed1.insert(seed1.end(), c.begin(), c.end());
  }
  for (int iteration = 0; iteration < 3000; ++iteration) {
    Bytes image;
    const int mode = iteration % 3;
    if (mode == 0) {
      image.resize(rng() % 200);
      for (auto& b : image)
        b = static_cast<unsigned char>(rng());
      if (image.size() >= 22 && rng() % 2) {
        const Bytes h = File0({});
        std::copy(h.begin(), h.begin() + 18, image.begin());
      }
    } else {
      image = mode == 1 ? seed0 : seed1;
      const int edits = 1 + static_cast<int>(rng() % 6);
      for (int e = 0; e < edits; ++e) {
        const std::size_t at = rng() % image.size();
        switch (rng() % 4) {
          case 0:
            image[at] = static_cast<unsigned char>(rng());
            break;
          case 1:
            image.erase(image.begin() + static_cast<std::ptrdiff_t>(at));
            break;
          case 2:
            image.insert(image.begin() + static_cast<std::ptrdiff_t>(at),
                         static_cast<unsigned char>(rng()));
            break;
          default:
            image.resize(at + 1);
            break;
        }
        if (image.empty())
          image.push_back(0);
      }
    }
    // An exact-size heap copy, so that ASan sees any read past the end.
    auto exact = std::make_unique<unsigned char[]>(image.size());
    std::copy(image.begin(), image.end(), exact.get());
    MidiSequence s;
    ReadSequenceImage(s, exact.get(), image.size());
    ASSERT_EQ(s.form, FORM_NOTES);
    ASSERT_NE(s.track, nullptr);
    MidiTrack t;
    if (image.size() > 14) {
      ParseTrackChunk(exact.get(), image.size(), t, image.size(), 14);
    }
    capture.Clear();
  }
}

}  // namespace
}  // namespace kumoito::midi
