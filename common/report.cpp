#include "common/report.h"

#include <cstdio>
#include <memory>
#include <mutex>

namespace kumoito {
namespace {

thread_local ScopedReportDiversion* t_diversion = nullptr;

std::mutex g_sinkMutex;
ReportSink g_sink;  // empty: standard output

void Emit(std::string_view text) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  if (g_sink) {
    g_sink(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

constexpr std::string_view kGeneralText = "汎用処理でエラーが発生しました。";

}  // namespace

void ReportRaw(std::string_view text) {
  if (t_diversion != nullptr) {
    if (!text.empty() && text.front() == '\n') {
      text.remove_prefix(1);
    }
    t_diversion->m_lines.emplace_back(text);
    return;
  }
  Emit(text);
}

void ReportLine(std::string_view tag, ErrorCode code, std::string_view message) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(code));
  std::string line;
  line.reserve(1 + tag.size() + 8 + 1 + message.size());
  line += '\n';
  line += tag;
  line += hex;
  line += ' ';
  line += message;
  ReportRaw(line);
}

std::string_view GeneralErrorText(ErrorCode code) {
  switch (code) {
    case 0x01000002:
      return "メモリが不足しています。";
    case 0x01000004:
      return "パフォーマンスが低下しています。一旦終了して、再起動してください。";
    case 0x01000005:
      return "ファイルが見つかりませんでした。";
    case 0x01000006:
      return "16進数のデータの記述に誤りがあります。";
    case 0x01000007:
      return "ファイルが開けませんでした。ファイルリストを絶対パスで記述してみてください。\n"
             "あるいは、出力フォルダや作業フォルダの設定などを確認してください。";
    case 0x0100000A:
      return "データが大きすぎます。";
    case 0x0100000B:
      return "パラメータに誤りがあります。";
    case 0x0100000C:
      return "カレントディレクトリが取得できませんでした。";
    case 0x0100000D:
      return "ファイルサイズにエラーがあります。";
    case 0x0100000E:
      return "拍子にエラーがあります。";
    case 0x0100000F:
      return "自動編曲中にエラーが発生しました。(1)";
    case 0x01000010:
      return "楽曲解析中にエラーが発生しました。";
    case 0x01000011:
      return "自動編曲中にエラーが発生しました。(2)";
    case 0x01000012:
      return "BPM変換でエラーが発生しました。";
    case 0x01000013:
      return "テンポ変換でエラーが発生しました。";
    default:
      return kGeneralText;
  }
}

void ReportGeneralError(ErrorCode code, std::string_view detail) {
  std::string_view text = GeneralErrorText(code);
  if (detail.empty()) {
    ReportLine("GENE", code, text);
    return;
  }
  std::string message(text);
  message += " [";
  message += detail;
  message += ']';
  ReportLine("GENE", code, message);
}

void ReportSongDataError() {
  ReportLine("SGDT", 0, "楽曲情報でエラーがおきました。");
}

void ReportImageError(ErrorCode code) {
  ReportLine("GNLL", code, "画像保存でエラーがおきました。");
}

struct ScopedReportCapture::State {
  std::mutex mutex;
  std::string text;
  ReportSink previous;
};

ScopedReportCapture::ScopedReportCapture() : m_state(std::make_unique<State>()) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  m_state->previous = std::move(g_sink);
  State* state = m_state.get();
  g_sink = [state](std::string_view text) {
    std::lock_guard<std::mutex> inner(state->mutex);
    state->text.append(text);
  };
}

ScopedReportCapture::~ScopedReportCapture() {
  {
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    g_sink = std::move(m_state->previous);
  }
}

std::string ScopedReportCapture::Text() const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  return m_state->text;
}

void ScopedReportCapture::Clear() {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->text.clear();
}

ScopedReportDiversion::ScopedReportDiversion() : m_outer(t_diversion) {
  t_diversion = this;
}

ScopedReportDiversion::~ScopedReportDiversion() {
  t_diversion = m_outer;
}

bool ReportsDivertedOnThisThread() {
  return t_diversion != nullptr;
}

}  // namespace kumoito
