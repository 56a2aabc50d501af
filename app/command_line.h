#pragma once
// The command line of a batch conversion: two quoted paths (score, image)
// and three tokens (first string, tuning word, key). The text is read by a
// small state machine, one character at a time, with the lengths of the
// buffers it was designed for: longer input is cut, never overrun, and the
// cut is marked so that a conversion can refuse what it would get wrong.
//
// Thread-safety: pure functions.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kumoito {

inline constexpr std::size_t kCommandLineLength = 255;
inline constexpr std::size_t kTokenLength = 31;
inline constexpr std::size_t kPathLength = 259;

// Why the parse does not hold the command line as given.
enum class CommandLineFault {
  kNone,
  kLineTooLong,   // over kCommandLineLength: the end was cut off
  kTokenTooLong,  // a token over kTokenLength was cut
  kQuoteInPath,   // a double quote inside a path ended it early
};

struct CommandLine {
  bool batch = false;  // a character followed the first double quote
  CommandLineFault fault = CommandLineFault::kNone;
  std::string scorePath;
  std::string imagePath;
  std::int32_t firstString = 0;  // atoi of token 1
  std::string tuningWord;        // token 2, verbatim
  std::int32_t key = 0;          // atoi of token 3; -1 asks for automatic arrangement
};

CommandLine ParseCommandLine(std::string_view text);

// The text the parser expects, from argv: the first two arguments each in
// double quotes, then the others joined by single spaces. Empty without
// arguments. A double quote inside one of the two is written doubled, so
// that the parser sees that the path goes on.
std::string RebuildCommandLine(int argc, const char* const* argv);

// The settings that options before the two paths change for one conversion
// only; unset where the saved setting stands.
struct BatchOverrides {
  std::optional<bool> measureNumbers;
  std::optional<bool> lyrics;
  std::optional<bool> titleBand;
  // Technique marks above the number, even on a song that stores its style.
  std::optional<bool> techniquesAbove;
  std::optional<bool> kuchijamisen;

  bool operator==(const BatchOverrides&) const = default;
};

// Reads the options that lead the arguments into overrides and returns the
// index of the first argument that is none of them (argc when all are).
// RebuildCommandLine(argc - i + 1, argv + i - 1) then sees the rest as if
// they had been given alone.
int ReadLeadingOptions(int argc, const char* const* argv, BatchOverrides& overrides);

// What the arguments ask for, before any of them is parsed as a conversion.
enum class StartKind {
  kWindow,               // no arguments
  kOpenFile,             // one path: the window with that file open
  kBatch,                // two paths or more: the conversion of ParseCommandLine
  kHelp,                 // --help or -h first
  kVersion,              // --version first
  kUnknownOption,        // one argument that looks like an option and is none
  kOptionsWithoutPaths,  // conversion options, but not the two paths they apply to
};

struct StartRequest {
  StartKind kind = StartKind::kWindow;
  std::string argument;      // the file of kOpenFile, the option of kUnknownOption
  BatchOverrides overrides;  // of kBatch and kOptionsWithoutPaths
  int firstPath = 1;         // the index in argv of the score path of kBatch
};

StartRequest ClassifyArguments(int argc, const char* const* argv);

// What --help and --version print, in Japanese and English.
std::string UsageText();
std::string VersionText();

// "hon" 0, "futa" 1, "san" 2, compared exactly; anything else 0.
std::int32_t TuningFromWord(std::string_view word);

// C atoi: optional blanks and sign, then digits up to the first other
// character; 0 when there are none. Saturates instead of overflowing.
std::int32_t AsciiToInt(std::string_view text);

}  // namespace kumoito
