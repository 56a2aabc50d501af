#include "midi/midi_report.h"

#include <gtest/gtest.h>

namespace kumoito::midi {
namespace {

TEST(MidiReport, EachModulePrintsItsTagAndText) {
  ScopedReportCapture capture;
  ReportPlayerError(0x8000002);
  ReportPlaybackError(0x9000001);
  ReportTimeSignatureError(0x37000002);
  ReportDeviceError(0x7000001);
  ReportEventError();
  ReportFormat0Error(0x400000A);
  ReportFormat1Error(0x3000019);
  ReportTrackError(0xD000006);
  ReportMusicEventError(0x6000002);
  EXPECT_EQ(
      capture.Text(),
      "\nMDPL08000002 タイマーが使用できませんでした。"
      "\nMDSP09000001 Midiの演奏機能で内部エラーが発生しました。"
      "\nMDSS37000002 拍子が異常です。"
      "\nMDCT07000001 "
      "Midiデバイスのオープンに失敗しました。連続して発生する場合は、ＰＣを再起動してください。"
      "\nMDEV00000000 MidiEventでエラーが発生しました。"
      "\nM0DT0400000A 演奏の停止中に異常が発生しました。"
      "\nM1DT03000019 データが大きすぎます。"
      "\nMDTK0D000006 データの量が多すぎます。"
      "\nMUEV06000002 イベントのデータでエラーが発生しました。");
}

TEST(MidiReport, CodesOutsideATableGetTheModulesGeneralText) {
  const std::string_view track = "Midiのトラックデータでエラーが発生しました。";
  for (ErrorCode code : {0xD000004u, 0xD000009u, 0xD00000Au, 0xD00000Bu, 0xD00000Fu, 0xD000011u,
                         0xD000012u, 0xD000016u, 0xD000017u, 0xD00002Eu}) {
    EXPECT_EQ(TrackErrorText(code), track) << std::hex << code;
  }
  EXPECT_EQ(TrackErrorText(0xD00002D), "データ編集の処理に異常が発生しました。");
  EXPECT_EQ(TrackErrorText(0xD000027), "拍子に異常が発生しました。");
  const std::string_view format1 = "Midiのフォーマット１のデータでエラーが発生しました。";
  for (ErrorCode code : {0x300000Du, 0x3000013u, 0x300001Cu, 0x300001Fu, 0x3000022u}) {
    EXPECT_EQ(Format1ErrorText(code), format1) << std::hex << code;
  }
  EXPECT_EQ(Format1ErrorText(0x3000021), "内部データに異常が発生しました。");
  EXPECT_EQ(DeviceErrorText(0x7000006), "Midi制御でエラーが発生しました。");
  EXPECT_EQ(DeviceErrorText(0x7000005), "Midiのパラメータに誤りがあります。");
  EXPECT_EQ(PlayerErrorText(0x8000005), "再生位置に誤りがあります。");
}

TEST(MidiReport, TrackFaultWithTheCallersOwnText) {
  ScopedReportCapture capture;
  ReportTrackError(0xD00000B, "サイズが大きすぎるイベントが含まれています。");
  EXPECT_EQ(capture.Text(), "\nMDTK0D00000B サイズが大きすぎるイベントが含まれています。");
}

}  // namespace
}  // namespace kumoito::midi
