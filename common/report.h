#pragma once
// Coded fault reports: one line per fault on standard output, made of a
// four-letter module tag, eight upper-case hex digits and a Japanese message.
// Reporting never fails visibly, never throws and changes no state.
//
// Thread-safety: every function here may be called from any thread. Each
// report is formatted locally and written with a single call to the sink, so
// reports from several threads never interleave inside a line.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kumoito {

using ErrorCode = std::uint32_t;

// Module numbers: the top byte of an ErrorCode.
enum class Module : std::uint8_t {
  kGeneral = 0x01,            // GENE
  kMidiFormat1 = 0x03,        // M1DT
  kMidiFormat0 = 0x04,        // M0DT
  kMusicEvent = 0x06,         // MUEV
  kMidiDevice = 0x07,         // MDCT
  kMidiPlayer = 0x08,         // MDPL
  kMidiPlayback = 0x09,       // MDSP
  kMidiTrack = 0x0D,          // MDTK
  kMidiTimeSignature = 0x37,  // MDSS
};

// GENE codes raised by this program.
inline constexpr ErrorCode kGeneOutOfMemory = 0x01000002;
inline constexpr ErrorCode kGenePerformanceDropped = 0x01000004;
inline constexpr ErrorCode kGeneCannotOpenFile = 0x01000007;
inline constexpr ErrorCode kGeneDataTooLarge = 0x0100000A;
inline constexpr ErrorCode kGeneFileSizeError = 0x0100000D;
inline constexpr ErrorCode kGeneBpmConversion = 0x01000012;
inline constexpr ErrorCode kGeneTempoConversion = 0x01000013;

// Formats "<tag>%08X <message>" and hands "\n" plus that text to the sink.
void ReportLine(std::string_view tag, ErrorCode code, std::string_view message);

// Writes raw text (already starting with its own line break) to the sink, for
// the few lines that are not coded reports ("\nfile_name=...").
void ReportRaw(std::string_view text);

// The GENE table. With a detail, the line ends in " [detail]".
std::string_view GeneralErrorText(ErrorCode code);
void ReportGeneralError(ErrorCode code, std::string_view detail = {});

// Song data (SGDT, code 0): bad chord roots and empty songs without beats.
void ReportSongDataError();

// Image saving (GNLL): code 0 or the failing value of the image export.
void ReportImageError(ErrorCode code = 0);

// Where report lines go. The default writes to standard output and flushes.
// Tests install their own sink with ScopedReportCapture.
using ReportSink = std::function<void(std::string_view text)>;

// Installs a sink that collects everything reported until it goes out of
// scope, then restores the previous sink. Only one capture at a time.
class ScopedReportCapture {
 public:
  ScopedReportCapture();
  ~ScopedReportCapture();
  ScopedReportCapture(const ScopedReportCapture&) = delete;
  ScopedReportCapture& operator=(const ScopedReportCapture&) = delete;

  // Everything written so far, exactly as it would have reached stdout.
  std::string Text() const;
  void Clear();

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

// Keeps the reports made on the calling thread while it lives, instead of
// writing them, so that a reader of a foreign file can fold what the engine
// says about that file into its own message. Reports of other threads still
// reach the sink. Diversions nest; the innermost one keeps the lines.
//
// Thread-safety: one object belongs to the thread that made it.
class ScopedReportDiversion {
 public:
  ScopedReportDiversion();
  ~ScopedReportDiversion();
  ScopedReportDiversion(const ScopedReportDiversion&) = delete;
  ScopedReportDiversion& operator=(const ScopedReportDiversion&) = delete;

  // The lines kept so far, each as it would have been written, without its
  // leading line break.
  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
  friend void ReportRaw(std::string_view text);
  std::vector<std::string> m_lines;
  ScopedReportDiversion* m_outer;
};

// True while a diversion is in force on the calling thread: reports that
// are made only once per run are then not spent on a foreign file.
bool ReportsDivertedOnThisThread();

}  // namespace kumoito
