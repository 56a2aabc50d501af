// PDF, SVG, MIDI, WAV and MusicXML written by batch conversions, read back
// by tools of other people: poppler, librsvg, an XML parser, sox, the
// fluidsynth command, and our own Standard MIDI File and MusicXML readers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/sjis.h"
#include "import/file_import.h"
#include "midi/midi_event.h"
#include "midi/performance.h"
#include "midi/smf.h"
#include "render/vector_export.h"
#include "song/arrangement.h"
#include "song/kuchijamisen.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/app/batch_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::Capture;
using test::Have;
using test::ReadFile;

constexpr int kTempo = 120;
// One note a beat: C, D, E, F, G, A, B, C, and so on up.
constexpr int kScale[] = {60, 62, 64, 65, 67, 69, 71, 72};

class BatchFormats : public test::BatchRun {
 protected:
  // measures measures of quarter notes with a lyric each, in C.
  std::string WriteSong(int measures) {
    std::int32_t beats = 4, key = 0, count = measures;
    m_song = CSongData::LoadOrCreate("", beats, key, count);
    for (int n = 0; n < measures * 4; ++n) {
      NoteCell& cell = m_song->m_cells[static_cast<std::size_t>(n) * 2];
      cell.pitch[0] = kScale[n % 8];
      m_song->m_cells[static_cast<std::size_t>(n) * 2].pitch[1] = SLOT_HOLD;
      m_song->m_cells[static_cast<std::size_t>(n) * 2 + 1].pitch[0] = SLOT_HOLD;
      m_song->m_cells[static_cast<std::size_t>(n) * 2 + 1].pitch[1] = SLOT_HOLD;
      SetFieldText(cell.lyric[0], "\x82\xB3");  // さ
    }
    std::strcpy(m_song->m_info.title, "Scale");
    std::strcpy(m_song->m_info.composer, "Someone");
    m_song->m_info.tempo = kTempo;
    const std::string path = Path("scale.mwd");
    SaveScore(*m_song, 4, 0, path, 1);
    return path;
  }

  std::unique_ptr<CSongData> m_song;
};

TEST_F(BatchFormats, PdfIsVectorA4WithFontHeaderAndPages) {
  if (!Have("pdfinfo") || !Have("pdftotext") || !Have("pdffonts") || !Have("pdfimages")) {
    GTEST_SKIP() << "poppler-utils missing";
  }
  const std::string song = WriteSong(96);
  ASSERT_EQ(Run("'" + song + "' out.pdf 0 san 0"), 0) << Stderr();
  const std::string info = Capture("pdfinfo '" + Path("out.pdf") + "'");
  EXPECT_NE(info.find("595.276 x 841.89 pts (A4)"), std::string::npos) << info;
  // 24 rows of four with their measure numbers: five under the header, then
  // six a page.
  const int pages = LayOutPdf(96, ScorePageOptions{true}).pages;
  EXPECT_EQ(pages, 5);
  EXPECT_NE(info.find("Pages:           5\n"), std::string::npos) << info;

  const std::string fonts = Capture("pdffonts '" + Path("out.pdf") + "'");
  EXPECT_NE(fonts.find("IPAGothic"), std::string::npos) << fonts;
  EXPECT_EQ(fonts.find(" no "), std::string::npos) << "every font embedded: " << fonts;
  // Header line and one image row only: no picture of the page.
  const std::string images = Capture("pdfimages -list '" + Path("out.pdf") + "'");
  EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << images;

  const std::string text = Capture("pdftotext '" + Path("out.pdf") + "' -");
  for (const char* expected : {"Scale", "作曲 Someone", "調子 三下り", "一の糸 C", "調 C",
                               "♩ = 120", "さ", "1 / 5", "5 / 5", "93", "96"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(text.find("作詞"), std::string::npos) << "no lyricist given";
}

// Measure numbers (no kandokoro is above 20, so 21 and up can only be
// those) on every measure of PDF and SVG by default; the image page keeps
// its picture unless an option or its own setting asks; an option decides
// over the settings for one run.
TEST_F(BatchFormats, MeasureNumbersFollowTheOptionsThenTheSettings) {
  if (!Have("pdftotext") || !Have("pdfinfo") || !Have("identify")) {
    GTEST_SKIP() << "poppler-utils or imagemagick missing";
  }
  const std::string song = WriteSong(96);
  const auto pdfText = [this](const std::string& name) {
    return Capture("pdftotext '" + Path(name) + "' -");
  };
  ASSERT_EQ(Run("'" + song + "' on.pdf 0 hon 0"), 0) << Stderr();
  ASSERT_EQ(Run("--no-measure-numbers '" + song + "' off.pdf 0 hon 0"), 0) << Stderr();
  for (const char* number : {"21", "50", "77", "96"}) {
    EXPECT_NE(pdfText("on.pdf").find(number), std::string::npos) << number;
    EXPECT_EQ(pdfText("off.pdf").find(number), std::string::npos) << number;
  }
  EXPECT_NE(Capture("pdfinfo '" + Path("off.pdf") + "'").find("Pages:           4\n"),
            std::string::npos);
  EXPECT_EQ(LayOutPdf(96).pages, 4);

  ASSERT_EQ(Run("'" + song + "' default.bmp 0 hon 0"), 0) << Stderr();
  ASSERT_EQ(Run("--no-measure-numbers '" + song + "' off.bmp 0 hon 0"), 0) << Stderr();
  EXPECT_EQ(ReadFile(Path("default.bmp")), ReadFile(Path("off.bmp")));
  const auto height = [this](const std::string& name) {
    return std::atoi(Capture("identify -format '%h' '" + Path(name) + "'").c_str());
  };
  const int plainHeight = height("default.bmp");
  EXPECT_GE(plainHeight, 2400);

  // 設定 off for the window and PDF/SVG, on for images; options decide over both.
  const std::string preferences = "measure_numbers=0\nimage_measure_numbers=1\n";
  test::WriteFile(Path("config/Kumoito/preferences.ini"),
                  test::Bytes(preferences.begin(), preferences.end()));
  ASSERT_EQ(Run("'" + song + "' set.pdf 0 hon 0"), 0) << Stderr();
  EXPECT_EQ(pdfText("set.pdf").find("96"), std::string::npos);
  ASSERT_EQ(Run("--measure-numbers '" + song + "' forced.pdf 0 hon 0"), 0) << Stderr();
  EXPECT_NE(pdfText("forced.pdf").find("96"), std::string::npos);
  ASSERT_EQ(Run("'" + song + "' set.png 0 hon 0"), 0) << Stderr();
  EXPECT_EQ(height("set.png"), plainHeight + 24 * kMeasureNumberBandHeight);
  ASSERT_EQ(Run("--no-measure-numbers '" + song + "' unset.png 0 hon 0"), 0) << Stderr();
  EXPECT_EQ(height("unset.png"), plainHeight);
}

TEST_F(BatchFormats, PdfFollowsTheLyricsSwitch) {
  if (!Have("pdftotext")) {
    GTEST_SKIP() << "poppler-utils missing";
  }
  const std::string song = WriteSong(4);
  ASSERT_EQ(Run("'" + song + "' with.pdf 0 hon 0"), 0) << Stderr();
  // Byte 16 of the settings file is the lyrics switch.
  auto settings = ReadFile(Path("config/Kumoito/setup.ini"));
  ASSERT_EQ(settings.size(), 24u);
  settings[16] = 0;
  test::WriteFile(Path("config/Kumoito/setup.ini"), settings);
  ASSERT_EQ(Run("'" + song + "' without.pdf 0 hon 0"), 0) << Stderr();
  EXPECT_NE(Capture("pdftotext '" + Path("with.pdf") + "' -").find("さ"), std::string::npos);
  EXPECT_EQ(Capture("pdftotext '" + Path("without.pdf") + "' -").find("さ"), std::string::npos);
}

// The PDF carries the 口三味線 row unless told not to, in the order of the
// notes and with the user's syllable where one was written; the images leave
// it out unless asked, and then they are other pictures.
TEST_F(BatchFormats, KuchijamisenOnThePdfByDefaultAndOnImagesWhenAsked) {
  if (!Have("pdftotext")) {
    GTEST_SKIP() << "poppler-utils missing";
  }
  WriteSong(8);
  ASSERT_TRUE(m_song->m_marks.SyllableAt(2, 0).Assign(*Utf8ToCp932("トッ")));
  const std::string song = Path("kuchi.mwd");
  ASSERT_TRUE(SaveScore(*m_song, 4, 0, song, 1));
  // The run fits the song's octave to the strings first, as the window does.
  FitOctave(*m_song, FirstStringPitch(0));
  const OpenStrings open = OpenStringPitches(0, 0);
  const PitchPlaceTable places = BuildPitchPlaces(open);
  std::vector<std::string> expected;
  for (int n = 0; n < 8 * 4; ++n) {
    expected.push_back(*Cp932ToUtf8(SlotSyllable(*m_song, places, open, 2 * n, 0)));
  }
  ASSERT_EQ(expected[0], "ドン");
  ASSERT_EQ(expected[1], "トッ");

  ASSERT_EQ(Run("'" + song + "' on.pdf 0 hon 0"), 0) << Stderr();
  ASSERT_EQ(Run("--no-kuchijamisen '" + song + "' off.pdf 0 hon 0"), 0) << Stderr();
  const std::string on = Capture("pdftotext '" + Path("on.pdf") + "' -");
  std::size_t at = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::size_t found = on.find(expected[i], at);
    ASSERT_NE(found, std::string::npos) << i << " " << expected[i] << "\n" << on;
    at = found + expected[i].size();
  }
  const std::string off = Capture("pdftotext '" + Path("off.pdf") + "' -");
  for (const char* syllable : {"テン", "チン", "ツン", "トッ"}) {
    EXPECT_EQ(off.find(syllable), std::string::npos) << syllable;
  }

  ASSERT_EQ(Run("'" + song + "' default.png 0 hon 0"), 0) << Stderr();
  ASSERT_EQ(Run("--no-kuchijamisen '" + song + "' off.png 0 hon 0"), 0) << Stderr();
  ASSERT_EQ(Run("--kuchijamisen '" + song + "' on.png 0 hon 0"), 0) << Stderr();
  EXPECT_EQ(ReadFile(Path("default.png")), ReadFile(Path("off.png")));
  EXPECT_NE(ReadFile(Path("on.png")), ReadFile(Path("off.png")));

  // The settings: on for the window and images, off for the print.
  const std::string preferences = "kuchijamisen=1\nprint_kuchijamisen=0\n";
  test::WriteFile(Path("config/Kumoito/preferences.ini"),
                  test::Bytes(preferences.begin(), preferences.end()));
  ASSERT_EQ(Run("'" + song + "' set.pdf 0 hon 0"), 0) << Stderr();
  EXPECT_EQ(Capture("pdftotext '" + Path("set.pdf") + "' -").find("トッ"), std::string::npos);
  ASSERT_EQ(Run("'" + song + "' set.png 0 hon 0"), 0) << Stderr();
  EXPECT_EQ(ReadFile(Path("set.png")), ReadFile(Path("on.png")));
}

TEST_F(BatchFormats, SvgIsThePageAsVectors) {
  if (!Have("rsvg-convert") || !Have("identify") || !Have("xmllint")) {
    GTEST_SKIP() << "librsvg2-bin, imagemagick or xmllint missing";
  }
  const std::string song = WriteSong(8);
  ASSERT_EQ(Run("'" + song + "' numbered.svg 0 hon 0"), 0) << Stderr();
  ASSERT_EQ(Run("--no-measure-numbers '" + song + "' out.svg 0 hon 0"), 0) << Stderr();
  ASSERT_EQ(Run("--measure-numbers '" + song + "' numbered.bmp 0 hon 0"), 0) << Stderr();
  ASSERT_EQ(Run("'" + song + "' out.bmp 0 hon 0"), 0) << Stderr();
  // With the same options, the same size as the image page, drawn by
  // another program's renderer.
  ASSERT_EQ(std::system(("rsvg-convert '" + Path("numbered.svg") + "' -o '" +
                         Path("numbered-svg.png") + "'")
                            .c_str()),
            0);
  EXPECT_EQ(Capture("identify -format '%w %h' '" + Path("numbered-svg.png") + "'"),
            Capture("identify -format '%w %h' '" + Path("numbered.bmp") + "'"));
  EXPECT_EQ(
      Capture("identify -format '%h' '" + Path("numbered.bmp") + "'"),
      std::to_string(std::atoi(Capture("identify -format '%h' '" + Path("out.bmp") + "'").c_str()) +
                     2 * kMeasureNumberBandHeight));
  // Eight numbers more than the page without them.
  EXPECT_EQ(Capture("xmllint --xpath \"count(//*[local-name()='text'])\" '" + Path("numbered.svg") +
                    "' 2>&1"),
            "73\n");

  ASSERT_EQ(
      std::system(("rsvg-convert '" + Path("out.svg") + "' -o '" + Path("svg.png") + "'").c_str()),
      0);
  EXPECT_EQ(Capture("identify -format '%w %h' '" + Path("svg.png") + "'"),
            Capture("identify -format '%w %h' '" + Path("out.bmp") + "'"));
  // 32 kandokoro and 32 lyrics, the title; texts in the Japanese face.
  const std::string ns =
      "xmllint --xpath \"count(//*[local-name()='text'])\" '" + Path("out.svg") + "' 2>&1";
  EXPECT_EQ(Capture(ns), "65\n");
  const std::string family =
      Capture("xmllint --xpath \"string(//*[local-name()='g']/@font-family)\" '" + Path("out.svg") +
              "' 2>&1");
  EXPECT_NE(family.find("IPAGothic"), std::string::npos) << family;
  EXPECT_EQ(Capture("xmllint --xpath \"count(//*[local-name()='image'])\" '" + Path("out.svg") +
                    "' 2>&1"),
            "0\n");
  // The raster page and the vector one agree where nothing is anti-aliased:
  // the bar line and the strings left of the first note.
  const std::string compare = "compare -metric AE -extract 10x81+0+60 '" + Path("svg.png") + "' '" +
                              Path("out.bmp") + "' null: 2>&1";
  if (Have("compare")) {
    EXPECT_EQ(Capture(compare), "0");
  }
}

TEST_F(BatchFormats, MusicXmlAndCompressedMusicXmlByTheExtension) {
  const std::string song = WriteSong(2);
  ASSERT_EQ(Run("'" + song + "' out.musicxml 0 san 0"), 0) << Stderr();
  ASSERT_EQ(Run("'" + song + "' out.mxl 0 san 0"), 0) << Stderr();
  const test::Bytes plain = ReadFile(Path("out.musicxml"));
  const std::string text(plain.begin(), plain.end());
  // The TAB staff in the strings of the conversion: 三下り on C.
  EXPECT_NE(text.find("<staff-lines>3</staff-lines>"), std::string::npos);
  const std::size_t third = text.find("<staff-tuning line=\"3\">");
  ASSERT_NE(third, std::string::npos);
  const std::string a3 = text.substr(third, text.find("</staff-tuning>", third) - third);
  EXPECT_NE(a3.find("<tuning-step>A</tuning-step>"), std::string::npos) << a3;
  EXPECT_NE(a3.find("<tuning-alter>1</tuning-alter>"), std::string::npos) << a3;
  EXPECT_NE(a3.find("<tuning-octave>3</tuning-octave>"), std::string::npos) << a3;
  const test::Bytes archive = ReadFile(Path("out.mxl"));
  ASSERT_GT(archive.size(), 38u);
  EXPECT_EQ(std::string(archive.begin(), archive.begin() + 4), std::string("PK\x03\x04", 4));
  EXPECT_EQ(std::string(archive.begin() + 30, archive.begin() + 38), "mimetype");
  // Read back, it is the song of the conversion, in the tuning it was written in.
  import::ImportOutcome back = import::ImportFile(Path("out.musicxml"));
  ASSERT_TRUE(back.song) << back.error->message;
  EXPECT_EQ(back.song->m_marks.tuning, (TabTuning{1, 2, 0, 0}));
  const int shift = back.song->m_cells[0].pitch[0] - kScale[0];
  EXPECT_EQ(shift % 12, 0);
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ(back.song->m_cells[static_cast<std::size_t>(n) * 2].pitch[0], kScale[n] + shift);
    EXPECT_STREQ(back.song->m_cells[static_cast<std::size_t>(n) * 2].lyric[0], "\x82\xB3");
  }
}

TEST_F(BatchFormats, MidiIsThePerformancePlayWouldWrite) {
  const std::string song = WriteSong(2);
  ASSERT_EQ(Run("'" + song + "' out.mid 0 hon 0"), 0) << Stderr();
  midi::MidiSequence sequence;
  midi::ReadSequenceFile(sequence, Path("out.mid"));
  ASSERT_EQ(sequence.form, midi::FORM_NOTES);
  std::vector<int> notes;
  for (const auto& e : sequence.track->events) {
    if (e->kind == midi::EV_NOTE && e->velocity > 0) {
      notes.push_back(e->note);
    }
  }
  ASSERT_EQ(notes.size(), 8u);
  // Opened in C, the melody may still be moved by octaves into the
  // shamisen's range; the performance is then that of the moved song.
  const int shift = notes[0] - kScale[0];
  EXPECT_EQ(shift % 12, 0);
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ(notes[n], kScale[n] + shift);
    m_song->m_cells[static_cast<std::size_t>(n) * 2].pitch[0] += shift;
  }
  const auto expected = midi::BuildPerformanceImage(kTempo, *m_song);
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(ReadFile(Path("out.mid")), *expected);

  if (Have("fluidsynth")) {
    // The synthesizer's own player takes the file as it is.
    const std::string render = "fluidsynth -ni -g 0.5 -F '" + Path("fs.wav") +
                               "' /usr/share/sounds/sf2/default-GM.sf2 '" + Path("out.mid") +
                               "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(render.c_str()), 0);
    EXPECT_GT(ReadFile(Path("fs.wav")).size(), 44100u * 4);
  }
}

double Rms(const std::string& wav, double from, double length) {
  const std::string out = Capture("sox '" + wav + "' -n trim " + std::to_string(from) + " " +
                                  std::to_string(length) + " stat 2>&1");
  const std::size_t at = out.find("RMS     amplitude:");
  return at == std::string::npos ? -1 : std::atof(out.c_str() + at + 18);
}

TEST_F(BatchFormats, WavIsThePerformanceRendered) {
  if (!Have("soxi") || !Have("sox")) {
    GTEST_SKIP() << "sox missing";
  }
  const std::string song = WriteSong(2);  // 8 quarter notes at 120: 4 seconds
  ASSERT_EQ(Run("'" + song + "' out.wav 0 hon 0"), 0) << Stderr();
  const std::string wav = Path("out.wav");
  EXPECT_EQ(Capture("soxi -r '" + wav + "'"), "44100\n");
  EXPECT_EQ(Capture("soxi -c '" + wav + "'"), "2\n");
  EXPECT_EQ(Capture("soxi -b '" + wav + "'"), "16\n");
  const double seconds = std::atof(Capture("soxi -D '" + wav + "'").c_str());
  EXPECT_GE(seconds, 4.0 - 0.125 * 0.5);
  EXPECT_LE(seconds, 4.0 + 2.0);
  EXPECT_GT(Rms(wav, 0, seconds), 0.001);
  // Each note starts on its beat: its first 50 ms are louder than the
  // last 50 ms of the note before, which has been let go by then.
  for (int beat = 1; beat < 8; ++beat) {
    SCOPED_TRACE(beat);
    const double t = beat * 0.5;
    EXPECT_GT(Rms(wav, t + 0.005, 0.05), 1.5 * Rms(wav, t - 0.05, 0.045));
  }
}

TEST_F(BatchFormats, FailuresSayWhyOnOneLine) {
  const std::string song = WriteSong(2);
  EXPECT_EQ(Run("'" + song + "' out.wav 0 hon 0", "export KUMOITO_SOUNDFONT=/nowhere.sf2; "), 1);
  std::string err = Stderr();
  EXPECT_NE(err.find("soundfont"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_TRUE(ReadFile(Path("out.wav")).empty());
  for (const char* name : {"no/such/out.pdf", "no/such/out.svg", "no/such/out.mid"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Run("'" + song + "' '" + name + "' 0 hon 0"), 1);
    err = Stderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
}

TEST_F(BatchFormats, OnlyThePdfMapsCairoAndOnlyTheWavTheSynthesizer) {
  const std::string song = WriteSong(2);
  const struct {
    const char* out;
    bool cairo;
    bool sound;
  } cases[] = {{"o.svg", false, false},
               {"o.mid", false, false},
               {"o.png", false, false},
               {"o.pdf", true, false},
               {"o.wav", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    ASSERT_EQ(Run("'" + song + "' " + c.out + " 0 hon 0", "export LD_DEBUG=files; "), 0);
    const std::string loaded = Stderr();
    EXPECT_EQ(loaded.find("libcairo") != std::string::npos, c.cairo);
    EXPECT_EQ(loaded.find("libfluidsynth") != std::string::npos, c.sound);
    for (const char* library : {"libQt6", "libX11", "kumoito-window"}) {
      if ((c.cairo || c.sound) && std::string(library) == "libX11") {
        continue;  // brought by Cairo and by FluidSynth's SDL, in their modules
      }
      const std::size_t at = loaded.find(library);
      EXPECT_EQ(at, std::string::npos) << loaded.substr(at == std::string::npos ? 0 : at, 200);
    }
  }
}

}  // namespace
}  // namespace kumoito
