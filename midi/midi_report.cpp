#include "midi/midi_report.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace kumoito::midi {
namespace {

struct Entry {
  ErrorCode code;
  std::string_view text;
};

template <std::size_t N>
std::string_view Lookup(const std::array<Entry, N>& table, ErrorCode code,
                        std::string_view general) {
  auto it =
      std::find_if(table.begin(), table.end(), [code](const Entry& e) { return e.code == code; });
  return it == table.end() ? general : it->text;
}

constexpr std::array<Entry, 6> kPlayerTable = {{
    {0x08000002, "タイマーが使用できませんでした。"},
    {0x08000003, "設定されているテンポが遅すぎます。"},
    {0x08000004, "Midiの演奏機能で内部エラーが起きました。"},
    {0x08000005, "再生位置に誤りがあります。"},
    {0x08000006, "テンポに誤りがあります。"},
    {0x08000007, "演奏情報に誤りがあります。"},
}};
constexpr std::string_view kPlayerGeneral = "Midiの演奏機能でエラーが発生しました。";

constexpr std::array<Entry, 1> kPlaybackTable = {{
    {0x09000001, "Midiの演奏機能で内部エラーが発生しました。"},
}};
constexpr std::string_view kPlaybackGeneral = "Midiの演奏機能で内部エラーが発生しました。";

constexpr std::array<Entry, 1> kTimeSignatureTable = {{
    {0x37000002, "拍子が異常です。"},
}};
constexpr std::string_view kTimeSignatureGeneral = "拍子が異常です。";

constexpr std::array<Entry, 5> kDeviceTable = {{
    {0x07000001,
     "Midiデバイスのオープンに失敗しました。連続して発生する場合は、ＰＣを再起動してください。"},
    {0x07000002, "Midiデバイスのクローズに失敗しました。"},
    {0x07000003, "Midiデバイスで音色を変更できませんでした。"},
    {0x07000004, "Midiデバイスでエクスクルーシブを送れませんでした。"},
    {0x07000005, "Midiのパラメータに誤りがあります。"},
}};
constexpr std::string_view kDeviceGeneral = "Midi制御でエラーが発生しました。";

// MDEV has a single message, whatever the code.
constexpr std::string_view kEventText = "MidiEventでエラーが発生しました。";

constexpr std::array<Entry, 2> kFormat0Table = {{
    {0x04000005, "Midiのフォーマット0のデータで内部エラーが発生しました。"},
    {0x0400000A, "演奏の停止中に異常が発生しました。"},
}};
constexpr std::string_view kFormat0General = "Midiのフォーマット0のデータでエラーが発生しました。";

constexpr std::array<Entry, 25> kFormat1Table = {{
    {0x03000001, "トラック数のエラーです。"},
    {0x03000002, "フォーマット１ではありません。"},
    {0x03000003, "Midiのフォーマット１のデータで内部エラーが発生しました。"},
    {0x03000004, "Midiファイルではないか、ファイルにマックバイナリがついています。"},
    {0x03000005, "ファイルを開けませんでした。"},
    {0x03000006, "マスターボリュームが複数設定されています。"},
    {0x03000007,
     "ドラムにプログラムチェンジが設定されています。("
     "または、チャネル10以外をドラムとして使用するシステムエクスクルーシブが設定されています。)"},
    {0x03000008, "扱えない拍子記号が含まれていました。"},
    {0x03000009, "設定されているテンポの数が多すぎます。"},
    {0x0300000A, "複数のSysExTrackがあります。"},
    {0x0300000B, "システムチャネルが重複しています。"},
    {0x0300000C, "チャネルが重複しています。"},
    {0x03000011,
     "複数プログラムチェンジのトラックを分割しようとしましたが、使用できるチャネルがありませんでし"
     "た。"},
    {0x03000012, "ドラムトラックがありませんでした。"},
    {0x03000015, "プログラムチェンジが設定されていないトラックがありましたので０を設定しました。"},
    {0x03000016, "マスターボリュームが設定されていませんでしたので127を設定しました。"},
    {0x03000017, "１つのトラックに複数のピッチベンドセンシティビティが設定されていました。"},
    {0x03000018, "ピッチベンドセンシティビティに０が設定されているトラックがありました。"},
    {0x03000019, "データが大きすぎます。"},
    {0x0300001A, "チャネル数で異常が発生しました。"},
    {0x0300001B, "開始位置で異常が発生しました。"},
    {0x0300001D, "システムエクスクルーシブに異常が発生しました。"},
    {0x0300001E, "チャネルに異常が発生しました。"},
    {0x03000020, "プログラムチェンジに異常が発生しました。"},
    {0x03000021, "内部データに異常が発生しました。"},
}};
constexpr std::string_view kFormat1General = "Midiのフォーマット１のデータでエラーが発生しました。";

constexpr std::array<Entry, 36> kTrackTable = {{
    {0x0D000001, "Midiのトラックデータで内部エラーが発生しました。"},
    {0x0D000002, "未定義のMIDIイベントが含まれていました。"},
    {0x0D000003, "チャネルに誤りがあります。"},
    {0x0D000005, "テンポに誤りがあります。"},
    {0x0D000006, "データの量が多すぎます。"},
    {0x0D000007, "MIDIファイルではないか、マックバイナリがついているファイルです。"},
    {0x0D000008,
     "ドラムで指定されている音が35(バスドラ)～81(オープントライアングル)"
     "の範囲内にありません。範囲内に調整しました。"},
    {0x0D00000C, "プログラム・チェンジで不正な番号がありました。0に調整しました。"},
    {0x0D00000D, "ノートオンが重複していました。"},
    {0x0D00000E, "ノートオフが重複していました。"},
    {0x0D000010,
     "このアルゴリズムで、トップノートは間引かないという機能は未実装です。(無視されます。)"},
    {0x0D000013, "ドラムのバンクセレクトで０以外の値が設定されていました。"},
    {0x0D000014, "ノートナンバーの異常が検出されました。"},
    {0x0D000015, "Midiのトラックデータでテンポデータの異常が検出されました。"},
    {0x0D000018, "中央音の検出に失敗しました。"},
    {0x0D000019, "演奏データが異常です。"},
    {0x0D00001A, "データの追加に失敗しました。"},
    {0x0D00001B, "演奏データが異常です。"},
    {0x0D00001C, "演奏データの分割に失敗しました。"},
    {0x0D00001D, "和音数に異常が発生しました。"},
    {0x0D00001E, "チャネルボリュームに異常が発生しました。"},
    {0x0D00001F, "トラックの結合で異常が発生しました。"},
    {0x0D000020, "チャネルに異常が発生しました。"},
    {0x0D000021, "音符に異常が発生しました。"},
    {0x0D000022, "データの追加で異常が発生しました。"},
    {0x0D000023, "データの処理で異常が発生しました。"},
    {0x0D000024, "値の異常が発生しました。"},
    {0x0D000025, "演奏開始の異常が発生しました。"},
    {0x0D000026, "トラックに異常が発生しました。"},
    {0x0D000027, "拍子に異常が発生しました。"},
    {0x0D000028, "データ追加に異常が発生しました。"},
    {0x0D000029, "データ操作に異常が発生しました。"},
    {0x0D00002A, "和音数の処理に異常が発生しました。"},
    {0x0D00002B, "ピッチベンドの処理に異常が発生しました。"},
    {0x0D00002C, "データ編集の処理に異常が発生しました。"},
    {0x0D00002D, "データ編集の処理に異常が発生しました。"},
}};
constexpr std::string_view kTrackGeneral = "Midiのトラックデータでエラーが発生しました。";

constexpr std::array<Entry, 2> kMusicEventTable = {{
    {0x06000001,
     "イベントのデータサイズが大きすぎます。MFiの機種依存の音色設定が含まれている場合は問題ありませ"
     "ん。"},
    {0x06000002, "イベントのデータでエラーが発生しました。"},
}};
constexpr std::string_view kMusicEventGeneral = "イベントのデータでエラーが発生しました。";

}  // namespace

std::string_view PlayerErrorText(ErrorCode code) {
  return Lookup(kPlayerTable, code, kPlayerGeneral);
}
std::string_view PlaybackErrorText(ErrorCode code) {
  return Lookup(kPlaybackTable, code, kPlaybackGeneral);
}
std::string_view TimeSignatureErrorText(ErrorCode code) {
  return Lookup(kTimeSignatureTable, code, kTimeSignatureGeneral);
}
std::string_view DeviceErrorText(ErrorCode code) {
  return Lookup(kDeviceTable, code, kDeviceGeneral);
}
std::string_view EventErrorText(ErrorCode) {
  return kEventText;
}
std::string_view Format0ErrorText(ErrorCode code) {
  return Lookup(kFormat0Table, code, kFormat0General);
}
std::string_view Format1ErrorText(ErrorCode code) {
  return Lookup(kFormat1Table, code, kFormat1General);
}
std::string_view TrackErrorText(ErrorCode code) {
  return Lookup(kTrackTable, code, kTrackGeneral);
}
std::string_view MusicEventErrorText(ErrorCode code) {
  return Lookup(kMusicEventTable, code, kMusicEventGeneral);
}

void ReportPlayerError(ErrorCode code) {
  ReportLine("MDPL", code, PlayerErrorText(code));
}
void ReportPlaybackError(ErrorCode code) {
  ReportLine("MDSP", code, PlaybackErrorText(code));
}
void ReportTimeSignatureError(ErrorCode code) {
  ReportLine("MDSS", code, TimeSignatureErrorText(code));
}
void ReportDeviceError(ErrorCode code) {
  ReportLine("MDCT", code, DeviceErrorText(code));
}
void ReportEventError(ErrorCode code) {
  ReportLine("MDEV", code, EventErrorText(code));
}
void ReportFormat0Error(ErrorCode code) {
  ReportLine("M0DT", code, Format0ErrorText(code));
}
void ReportFormat1Error(ErrorCode code) {
  ReportLine("M1DT", code, Format1ErrorText(code));
}
void ReportTrackError(ErrorCode code) {
  ReportLine("MDTK", code, TrackErrorText(code));
}
void ReportTrackError(ErrorCode code, std::string_view text) {
  ReportLine("MDTK", code, text);
}
void ReportMusicEventError(ErrorCode code) {
  ReportLine("MUEV", code, MusicEventErrorText(code));
}

}  // namespace kumoito::midi
