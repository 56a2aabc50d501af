// Compressed MusicXML: archives a notation program wrote and archives made
// to fail, and telling the formats apart by their contents.

#include "import/mxl_archive.h"

#include <gtest/gtest.h>

#include "import/file_import.h"
#include "import/musicxml_reader.h"
#include "tests/import/import_test_util.h"

namespace kumoito::import {
namespace {

using test::ContainerXml;
using test::ImportFixture;
using test::MakeZip;
using test::ReadBytes;

const std::string kScore =
    "<score-partwise><part-list><score-part id=\"P1\"/></part-list><part id=\"P1\"><measure>"
    "<attributes><divisions>1</divisions></attributes><note><pitch><step>A</step><octave>4</octave>"
    "</pitch><duration>4</duration></note></measure></part></score-partwise>";

TEST(MxlArchive, ReadsTheRootFileTheContainerNames) {
  const std::vector<unsigned char> zipped = ReadBytes(ImportFixture("ms_song.mxl"));
  const MxlResult archive = ReadMxlArchive(zipped.data(), zipped.size());
  ASSERT_FALSE(archive.error) << archive.error->message;
  EXPECT_EQ(archive.rootPath, "ms_song.xml");
  const std::vector<unsigned char> plain = ReadBytes(ImportFixture("ms_song.musicxml"));
  const MusicXmlResult a = ReadMusicXml(archive.text);
  const MusicXmlResult b = ReadMusicXml(std::string(plain.begin(), plain.end()));
  ASSERT_TRUE(a.melody && b.melody);
  ASSERT_EQ(a.melody->notes.size(), b.melody->notes.size());
  for (std::size_t i = 0; i < a.melody->notes.size(); ++i) {
    EXPECT_EQ(a.melody->notes[i].onset, b.melody->notes[i].onset);
    EXPECT_EQ(a.melody->notes[i].pitch, b.melody->notes[i].pitch);
  }
}

TEST(MxlArchive, RefusesZipsThatAreNoMusicXml) {
  const auto noContainer = MakeZip({{"score.xml", kScore}});
  MxlResult r = ReadMxlArchive(noContainer.data(), noContainer.size());
  ASSERT_TRUE(r.error);
  EXPECT_NE(r.error->message.find("META-INF/container.xml"), std::string::npos);

  const auto missingRoot = MakeZip({{"META-INF/container.xml", ContainerXml("gone.xml")}});
  EXPECT_TRUE(ReadMxlArchive(missingRoot.data(), missingRoot.size()).error);

  const std::string garbage = "PK\x03\x04 not really an archive";
  EXPECT_TRUE(
      ReadMxlArchive(reinterpret_cast<const unsigned char*>(garbage.data()), garbage.size()).error);
}

TEST(MxlArchive, RefusesEntriesTooLargeOrTooCompressedBeforeInflating) {
  const auto huge = MakeZip({{"META-INF/container.xml", ContainerXml("big.xml")},
                             {"big.xml", std::string((32u << 20) + 1, ' ')}});
  MxlResult r = ReadMxlArchive(huge.data(), huge.size());
  ASSERT_TRUE(r.error);
  EXPECT_NE(r.error->message.find("32 MiB"), std::string::npos);

  const auto dense = MakeZip({{"META-INF/container.xml", ContainerXml("dense.xml")},
                              {"dense.xml", kScore + std::string(1u << 20, ' ')}});
  r = ReadMxlArchive(dense.data(), dense.size());
  ASSERT_TRUE(r.error);
  EXPECT_NE(r.error->message.find("圧縮率"), std::string::npos);

  // Stored entries and ordinary compression pass.
  const auto stored =
      MakeZip({{"META-INF/container.xml", ContainerXml("s.xml"), true}, {"s.xml", kScore, true}});
  r = ReadMxlArchive(stored.data(), stored.size());
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.text, kScore);
}

TEST(MxlArchive, BrokenXmlInsideSaysWhichFileAndWhere) {
  const auto zipped = MakeZip({{"META-INF/container.xml", ContainerXml("in/score.xml")},
                               {"in/score.xml", "<score-partwise>\n<part>"}});
  const ImportOutcome outcome =
      ImportBytes(zipped.data(), zipped.size(), FileKind::kCompressedMusicXml);
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->line, 2);
  EXPECT_NE(outcome.error->message.find("in/score.xml"), std::string::npos);
}

TEST(FileKind, GoesByContentsWhereTheExtensionLies) {
  auto kind = [](const std::string& bytes, const std::string& path) {
    return SniffFileKind(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), path);
  };
  EXPECT_EQ(kind("MThd\0\0\0\6", "song.xml"), FileKind::kMidi);
  EXPECT_EQ(kind("PK\x03\x04", "song.mid"), FileKind::kCompressedMusicXml);
  EXPECT_EQ(kind("\xEF\xBB\xBF<?xml version='1.0'?><score-partwise>", "song.mwd"),
            FileKind::kMusicXml);
  EXPECT_EQ(kind("  \n<score-partwise>", "noextension"), FileKind::kMusicXml);
  EXPECT_EQ(kind("C \0\0\0\0\0\0", "song.mwd"), FileKind::kScore);
  EXPECT_EQ(kind("garbage", "song.MID"), FileKind::kMidi);
  EXPECT_EQ(kind("garbage", "song.musicxml"), FileKind::kMusicXml);
}

}  // namespace
}  // namespace kumoito::import
