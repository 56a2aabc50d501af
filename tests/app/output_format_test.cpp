#include "app/output_format.h"

#include <gtest/gtest.h>

namespace kumoito {
namespace {

TEST(OutputFormat, ChosenByTheFileNamesExtensionInAnyCase) {
  EXPECT_EQ(OutputFormatForPath("a/b/song.PDF"), OutputFormat::kPdf);
  EXPECT_EQ(OutputFormatForPath("song.svg"), OutputFormat::kSvg);
  EXPECT_EQ(OutputFormatForPath("song.mid"), OutputFormat::kMidi);
  EXPECT_EQ(OutputFormatForPath("song.Midi"), OutputFormat::kMidi);
  EXPECT_EQ(OutputFormatForPath("song.wav"), OutputFormat::kWav);
  EXPECT_EQ(OutputFormatForPath("song.jpeg"), OutputFormat::kJpeg);
  EXPECT_EQ(OutputFormatForPath("song.png"), OutputFormat::kPng);
  EXPECT_EQ(OutputFormatForPath("song.musicxml"), OutputFormat::kMusicXml);
  EXPECT_EQ(OutputFormatForPath("song.MXL"), OutputFormat::kMusicXml);
}

TEST(OutputFormat, AnythingElseIsTheBitmapItAlwaysWas) {
  EXPECT_EQ(OutputFormatForPath("song"), OutputFormat::kBmp);
  EXPECT_EQ(OutputFormatForPath("song.txt"), OutputFormat::kBmp);
  // A folder's dot is not the file's extension, nor is a hidden file's name.
  EXPECT_EQ(OutputFormatForPath("out.pdf/song"), OutputFormat::kBmp);
  EXPECT_EQ(OutputFormatForPath("dir/.wav"), OutputFormat::kBmp);
}

TEST(OutputFormat, TheSaveDialogOffersEveryWrittenTypeBmpFirst) {
  EXPECT_EQ(kExportFilters[0].suffix, "bmp");
  for (const ExportFilter& f : kExportFilters) {
    SCOPED_TRACE(f.filter);
    const bool bmp = f.suffix == "bmp";
    EXPECT_EQ(OutputFormatForPath("x." + std::string(f.suffix)) == OutputFormat::kBmp, bmp);
  }
}

}  // namespace
}  // namespace kumoito
