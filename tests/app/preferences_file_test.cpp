#include "app/preferences_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

Preferences Sample() {
  Preferences p;
  p.measureNumbers = false;
  p.imageMeasureNumbers = true;
  p.techniquesAbove = true;
  p.kuchijamisen = true;
  p.printKuchijamisen = false;
  p.language = LanguageChoice::kEnglish;
  p.soundFont = "/home/user/音色/My Font.sf2";
  p.volume = 150;
  p.countInLevel = 0;
  p.midiInput = "USB MIDI Keyboard:USB MIDI Keyboard MIDI 1";
  return p;
}

TEST(PreferencesFile, RoundTripsThroughTheFileAndMissingGivesTheDefaults) {
  test::TempDir dir;
  const std::string path = dir.Path("preferences.ini");
  EXPECT_EQ(LoadPreferences(path), Preferences{});
  // The image page keeps its picture until asked, unlike the others.
  EXPECT_TRUE(Preferences{}.measureNumbers);
  EXPECT_FALSE(Preferences{}.imageMeasureNumbers);
  EXPECT_FALSE(Preferences{}.techniquesAbove);
  // The syllables are a learner's print: on the PDF, not on the screen.
  EXPECT_FALSE(Preferences{}.kuchijamisen);
  EXPECT_TRUE(Preferences{}.printKuchijamisen);
  EXPECT_TRUE(ParsePreferences("kuchijamisen=1\n").kuchijamisen);
  EXPECT_FALSE(ParsePreferences("print_kuchijamisen=0\n").printKuchijamisen);
  EXPECT_TRUE(ParsePreferences("print_kuchijamisen=no\n").printKuchijamisen);
  ASSERT_TRUE(SavePreferences(path, Sample()));
  EXPECT_EQ(LoadPreferences(path), Sample());
  for (const LanguageChoice language :
       {LanguageChoice::kSystem, LanguageChoice::kJapanese, LanguageChoice::kEnglish}) {
    Preferences p;
    p.language = language;
    EXPECT_EQ(ParsePreferences(FormatPreferences(p)).language, language);
  }
  // A folder where the file should be is no file: the defaults.
  std::filesystem::create_directory(dir.Path("folder.ini"));
  EXPECT_EQ(LoadPreferences(dir.Path("folder.ini")), Preferences{});
}

TEST(PreferencesFile, DamagedLinesLeaveTheDefaultsAndValuesAreBroughtInside) {
  const Preferences p = ParsePreferences(
      "volume=9999\r\ncount_in_level=-4\nmeasure_numbers=yes\nlanguage=fr\n"
      "garbage\n=\nvolume\nunknown=1\n");
  EXPECT_EQ(p.volume, kMaxVolume);
  EXPECT_EQ(p.countInLevel, 0);
  EXPECT_TRUE(p.measureNumbers);  // not a number: the default stays
  EXPECT_EQ(p.language, LanguageChoice::kSystem);
  // Only the two words are a style; anything else keeps the one before.
  EXPECT_TRUE(ParsePreferences("technique_style=above\ntechnique_style=1\n").techniquesAbove);
  EXPECT_FALSE(ParsePreferences("technique_style=above\ntechnique_style=below\n").techniquesAbove);
  EXPECT_EQ(ParsePreferences("volume=1").volume, kMinVolume);
  EXPECT_EQ(ParsePreferences("volume=12x").volume, 100);
  // The last of two lines wins, as a hand-edited file would expect.
  EXPECT_EQ(ParsePreferences("volume=50\nvolume=70\n").volume, 70);
}

TEST(PreferencesFile, OnlyAWholeAbsoluteFontPathIsKept) {
  EXPECT_EQ(ParsePreferences("sound_font=/a/b.sf2").soundFont, "/a/b.sf2");
  EXPECT_EQ(ParsePreferences("sound_font=/a/b=c.sf2").soundFont, "/a/b=c.sf2");
  // Relative to whatever folder the program started in: no stable meaning.
  EXPECT_EQ(ParsePreferences("sound_font=b.sf2").soundFont, "");
  EXPECT_EQ(ParsePreferences(std::string("sound_font=/a\tb.sf2")).soundFont, "");
  EXPECT_EQ(ParsePreferences("sound_font=/" + std::string(kMaxSoundFontPath, 'x')).soundFont, "");
  // Written, a path with a line break would become two lines.
  Preferences bad;
  bad.soundFont = "/a.sf2\nvolume=10";
  EXPECT_EQ(FormatPreferences(bad).find("volume=10\n"), std::string::npos);
  EXPECT_EQ(ParsePreferences(FormatPreferences(bad)), Preferences{});
}

TEST(PreferencesFile, MidiInputIsTheFirstPortUnlessAUsableNameOrOffIsGiven) {
  EXPECT_EQ(Preferences{}.midiInput, "first");
  EXPECT_EQ(ParsePreferences("midi_input=off\n").midiInput, "off");
  EXPECT_EQ(ParsePreferences("midi_input=Keys:Port 1\n").midiInput, "Keys:Port 1");
  EXPECT_EQ(ParsePreferences("midi_input=\n").midiInput, "first");
  EXPECT_EQ(ParsePreferences("midi_input=a\tb\n").midiInput, "first");
  EXPECT_EQ(ParsePreferences("midi_input=" + std::string(kMaxMidiInputName + 1, 'x')).midiInput,
            "first");
  Preferences bad;
  bad.midiInput = "Keys\nvolume=10";
  EXPECT_EQ(ParsePreferences(FormatPreferences(bad)), Preferences{});
}

TEST(PreferencesFile, AnOversizedFileNeverYieldsACutFontPath) {
  test::TempDir dir;
  const std::string path = dir.Path("preferences.ini");
  {
    std::ofstream out(path, std::ios::binary);
    out << "volume=60\n" << std::string(8192 - 10 - 20, '#') << "\n";
    // Crosses the reader's limit: only its beginning would be read.
    out << "sound_font=/usr/share/sounds/sf2/other.sf2\n";
  }
  const Preferences p = LoadPreferences(path);
  EXPECT_EQ(p.volume, 60);
  EXPECT_EQ(p.soundFont, "");
}

}  // namespace
}  // namespace kumoito
