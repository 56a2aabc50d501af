#include "common/report.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace kumoito {
namespace {

TEST(Report, GeneralLineWithAndWithoutPath) {
  ScopedReportCapture capture;
  ReportGeneralError(kGeneCannotOpenFile, "/tmp/a b.mwd");
  ReportGeneralError(kGeneCannotOpenFile);
  EXPECT_EQ(capture.Text(),
            "\nGENE01000007 "
            "ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\n"
            "あるいは、出力フォルダや作業フォルダの設定などを確認してください。 [/tmp/a b.mwd]"
            "\nGENE01000007 "
            "ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\n"
            "あるいは、出力フォルダや作業フォルダの設定などを確認してください。");
}

TEST(Report, GeneralTableAndItsGeneralRows) {
  EXPECT_EQ(GeneralErrorText(0x01000002), "メモリが不足しています。");
  EXPECT_EQ(GeneralErrorText(0x0100000A), "データが大きすぎます。");
  EXPECT_EQ(GeneralErrorText(0x0100000D), "ファイルサイズにエラーがあります。");
  EXPECT_EQ(GeneralErrorText(0x01000013), "テンポ変換でエラーが発生しました。");
  for (ErrorCode code : {0x01000003u, 0x01000008u, 0x01000009u, 0x01000014u, 0x00000000u}) {
    EXPECT_EQ(GeneralErrorText(code), "汎用処理でエラーが発生しました。") << std::hex << code;
  }
}

TEST(Report, CodesKeepLeadingZerosAndUpperCase) {
  ScopedReportCapture capture;
  ReportSongDataError();
  ReportImageError();
  ReportImageError(0xabc);
  ReportLine("MDTK", 0x0D00001A, "x");
  EXPECT_EQ(capture.Text(),
            "\nSGDT00000000 楽曲情報でエラーがおきました。"
            "\nGNLL00000000 画像保存でエラーがおきました。"
            "\nGNLL00000ABC 画像保存でエラーがおきました。"
            "\nMDTK0D00001A x");
}

TEST(Report, LinesFromManyThreadsStayWhole) {
  ScopedReportCapture capture;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 200; ++i) {
        ReportGeneralError(kGeneDataTooLarge);
      }
    });
  }
  for (auto& t : threads) {
    t.join();
  }
  const std::string line = "\nGENE0100000A データが大きすぎます。";
  std::string expected;
  for (int i = 0; i < 800; ++i) {
    expected += line;
  }
  EXPECT_EQ(capture.Text(), expected);
}

TEST(Report, CaptureRestoresPreviousSink) {
  ScopedReportCapture outer;
  {
    ScopedReportCapture inner;
    ReportSongDataError();
    EXPECT_FALSE(inner.Text().empty());
  }
  EXPECT_TRUE(outer.Text().empty());
  ReportSongDataError();
  EXPECT_FALSE(outer.Text().empty());
}

// A reader of a foreign file keeps what is reported on its own thread; the
// player's thread still reaches the sink meanwhile.
TEST(Report, ADiversionKeepsOnlyItsOwnThreadsLinesAndNests) {
  ScopedReportCapture capture;
  {
    ScopedReportDiversion outer;
    EXPECT_TRUE(ReportsDivertedOnThisThread());
    ReportGeneralError(kGeneDataTooLarge);
    std::thread other([] {
      EXPECT_FALSE(ReportsDivertedOnThisThread());
      ReportSongDataError();
    });
    other.join();
    {
      ScopedReportDiversion inner;
      ReportGeneralError(kGeneCannotOpenFile);
      ASSERT_EQ(inner.Lines().size(), 1u);
      EXPECT_EQ(inner.Lines()[0].rfind("GENE01000007 ", 0), 0u) << inner.Lines()[0];
    }
    ASSERT_EQ(outer.Lines().size(), 1u);
    EXPECT_EQ(outer.Lines()[0], "GENE0100000A データが大きすぎます。");
    EXPECT_EQ(capture.Text().find("GENE"), std::string::npos);
    EXPECT_NE(capture.Text().find("SGDT"), std::string::npos);
  }
  EXPECT_FALSE(ReportsDivertedOnThisThread());
  ReportGeneralError(kGeneDataTooLarge);
  EXPECT_NE(capture.Text().find("GENE0100000A"), std::string::npos);
}

}  // namespace
}  // namespace kumoito
