// Files as the import meets them on disk: what they are taken for, how
// they are read, and the shapes that once took the reader minutes.

#include "import/file_import.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "import/musicxml_reader.h"

namespace kumoito::import {
namespace {

namespace fs = std::filesystem;

std::string Score(const std::string& partList, const std::string& parts) {
  return "<?xml version=\"1.0\"?><score-partwise><part-list>" + partList + "</part-list>" + parts +
         "</score-partwise>";
}

std::string NotePart(const std::string& id) {
  return "<part id=\"" + id +
         "\"><measure number=\"1\"><attributes><divisions>1</divisions><time><beats>4</beats>"
         "<beat-type>4</beat-type></time></attributes><note><pitch><step>A</step><octave>4"
         "</octave></pitch><duration>4</duration></note></measure></part>";
}

std::string Recode(const std::string& utf8, const char* to) {
  iconv_t cd = ::iconv_open(to, "UTF-8");
  std::string out(utf8.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* at = out.data();
  std::size_t outLeft = out.size();
  EXPECT_NE(::iconv(cd, &in, &inLeft, &at, &outLeft), static_cast<std::size_t>(-1));
  ::iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

ImportOutcome Import(const std::string& bytes, const std::string& path) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  return ImportBytes(data, bytes.size(), SniffFileKind(data, bytes.size(), path));
}

TEST(FileImport, ManyPartsAreAllNamedFromTheirList) {
  // Listed in the other order than they come, and only the last has notes.
  constexpr int kParts = 20000;
  std::string list, parts;
  for (int i = kParts - 1; i >= 0; --i) {
    list += "<score-part id=\"P" + std::to_string(i) + "\"><part-name>Voice " + std::to_string(i) +
            "</part-name></score-part>";
  }
  for (int i = 0; i < kParts - 1; ++i) {
    parts += "<part id=\"P" + std::to_string(i) + "\"/>";
  }
  parts += NotePart("P" + std::to_string(kParts - 1));
  // A later entry of the same id names the part, as it always did; an id
  // the list lacks leaves the name empty.
  list += "<score-part id=\"P7\"><part-name>Again</part-name></score-part>";
  parts += "<part id=\"unlisted\"/>";
  const MusicXmlResult read = ReadMusicXml(Score(list, parts));
  ASSERT_FALSE(read.error) << read.error->message;
  ASSERT_EQ(read.parts.size(), static_cast<std::size_t>(kParts + 1));
  EXPECT_EQ(read.parts[0].name, "Voice 0");
  EXPECT_EQ(read.parts[7].name, "Again");
  EXPECT_EQ(read.parts[12345].name, "Voice 12345");
  EXPECT_EQ(read.parts[kParts - 1].name, "Voice 19999");
  EXPECT_EQ(read.parts[kParts].name, "");
  EXPECT_EQ(read.chosenPart, kParts - 1);
  EXPECT_EQ(read.parts[kParts - 1].noteCount, 1);
}

TEST(FileImport, MusicXmlWithAByteOrderMarkIsKnownWithoutItsExtension) {
  const std::string utf8 = Score(
      "<score-part id=\"P1\"><part-name>\xE4\xB8\x89\xE5\x91\xB3\xE7\xB7\x9A</part-name>"
      "</score-part>",
      NotePart("P1"));
  const std::string texts[] = {
      "\xFF\xFE" + Recode(utf8, "UTF-16LE"),
      "\xFE\xFF" + Recode(utf8, "UTF-16BE"),
      "\xEF\xBB\xBF" + utf8,
      // No declaration: the root element alone says it.
      "\xFF\xFE" + Recode(utf8.substr(utf8.find("<score-partwise")), "UTF-16LE"),
  };
  for (const std::string& bytes : texts) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(bytes[0])));
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(SniffFileKind(data, bytes.size(), "download"), FileKind::kMusicXml);
    const ImportOutcome outcome = Import(bytes, "download");
    ASSERT_FALSE(outcome.error) << outcome.error->message;
    ASSERT_TRUE(outcome.song);
    ASSERT_EQ(outcome.parts.size(), 1u);
    EXPECT_EQ(outcome.parts[0].name, "\xE4\xB8\x89\xE5\x91\xB3\xE7\xB7\x9A");
  }
  // UTF-16 text that is no markup stays a score for the score reader.
  const std::string plain = "\xFF\xFE" + Recode("just words", "UTF-16LE");
  EXPECT_EQ(SniffFileKind(reinterpret_cast<const unsigned char*>(plain.data()), plain.size(), "x"),
            FileKind::kScore);
}

class FileImportOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("kumoito-import-" + std::to_string(::getpid()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }
  std::string Path(const std::string& name) const { return (m_dir / name).string(); }

  fs::path m_dir;
};

TEST_F(FileImportOnDisk, SpecialFilesAreRefusedWithoutWaiting) {
  // A reader that waited for a FIFO's writer would hang here; the alarm
  // ends the test run instead of leaving it waiting for ever.
  ::alarm(60);
  for (const char* name : {"in.musicxml", "in.mid", "in.mxl", "in"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(::mkfifo(Path(name).c_str(), 0600), 0);
    EXPECT_EQ(SniffFile(Path(name)), FileKind::kScore);
    const ImportOutcome outcome = ImportFile(Path(name));
    ASSERT_TRUE(outcome.error);
    EXPECT_NE(outcome.error->message.find("not a regular file"), std::string::npos)
        << outcome.error->message;
  }
  fs::create_directory(Path("folder.musicxml"));
  EXPECT_NE(ImportFile(Path("folder.musicxml")).error->message.find("Is a directory"),
            std::string::npos);
  ::alarm(0);
}

TEST_F(FileImportOnDisk, AFileIsTakenForWhatItsBytesSay) {
  const std::string utf16 = "\xFE\xFF" + Recode(Score("", NotePart("P1")), "UTF-16BE");
  std::ofstream(Path("song"), std::ios::binary) << utf16;
  EXPECT_EQ(SniffFile(Path("song")), FileKind::kMusicXml);
  const ImportOutcome outcome = ImportFile(Path("song"));
  EXPECT_EQ(outcome.kind, FileKind::kMusicXml);
  ASSERT_TRUE(outcome.song);
  EXPECT_EQ(outcome.song->m_filePath, Path("song"));
  EXPECT_TRUE(outcome.song->m_readFromFile);
  // Over the limit: refused with the limit named, without being parsed.
  std::ofstream(Path("big.musicxml"), std::ios::binary)
      << std::string(kMaxImportFileBytes + 1, ' ');
  EXPECT_EQ(ImportFile(Path("big.musicxml")).error->message, "ファイルが 32 MiB を超えています。");
}

}  // namespace
}  // namespace kumoito::import
