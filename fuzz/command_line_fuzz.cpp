// libFuzzer entry for the batch command line. The input is read twice: as
// the text handed to the parser, and as arguments (split at NUL bytes) that
// RebuildCommandLine joins as main() does before parsing. Arguments that the
// parser can tell apart must come back as they went in.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace kumoito;

void CheckLimits(const CommandLine& line) {
  KUMOITO_FUZZ_CHECK(line.scorePath.size() <= kPathLength);
  KUMOITO_FUZZ_CHECK(line.imagePath.size() <= kPathLength);
  KUMOITO_FUZZ_CHECK(line.tuningWord.size() <= kTokenLength);
  const std::int32_t tuning = TuningFromWord(line.tuningWord);
  KUMOITO_FUZZ_CHECK(tuning >= 0 && tuning <= 2);
}

// C's atoi without its undefined overflow, written independently of
// AsciiToInt: the value of the digits, held at the int32 limits.
std::int32_t ReferenceAtoi(std::string_view text) {
  std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string_view::npos) {
    return 0;
  }
  const bool negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') {
    ++i;
  }
  const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                      : std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), limit);
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckLimits(ParseCommandLine(text));

  std::vector<std::string> arguments = {"kumoito"};
  for (std::size_t start = 0; start <= size;) {
    std::size_t end = text.find('\0', start);
    if (end == std::string_view::npos) {
      end = size;
    }
    arguments.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (size == 0) {
    arguments.resize(1);  // no arguments at all: the window starts
  }
  std::vector<const char*> argv;
  for (const std::string& a : arguments) {
    argv.push_back(a.c_str());
  }
  const int argc = static_cast<int>(argv.size());
  const std::string rebuilt = RebuildCommandLine(argc, argv.data());
  const CommandLine line = ParseCommandLine(rebuilt);
  CheckLimits(line);
  // Two quoted paths always make a batch run; without arguments there is none.
  KUMOITO_FUZZ_CHECK(line.batch == (argc >= 2));
  if (argc < 2) {
    KUMOITO_FUZZ_CHECK(rebuilt.empty());
    return 0;
  }

  // Arguments come back as they went in while the line is not cut and no
  // quote or blank inside them moves the parser on.
  const auto plain = [&](int i, bool blanksAllowed) {
    const std::string& a = arguments[static_cast<std::size_t>(i)];
    return a.find('"') == std::string::npos &&
           (blanksAllowed || (!a.empty() && a.find(' ') == std::string::npos));
  };
  const bool whole = rebuilt.size() <= kCommandLineLength;
  if (!whole || !plain(1, true)) {
    return 0;
  }
  KUMOITO_FUZZ_CHECK(line.scorePath == arguments[1]);
  if (argc < 3 || !plain(2, true)) {
    return 0;
  }
  KUMOITO_FUZZ_CHECK(line.imagePath == arguments[2]);
  const auto token = [&](int i) {
    return argc > i ? arguments[static_cast<std::size_t>(i)].substr(0, kTokenLength)
                    : std::string();
  };
  for (int i = 3; i < std::min(argc, 6); ++i) {
    if (!plain(i, false)) {
      return 0;
    }
  }
  KUMOITO_FUZZ_CHECK(line.firstString == ReferenceAtoi(token(3)));
  KUMOITO_FUZZ_CHECK(line.tuningWord == token(4));
  KUMOITO_FUZZ_CHECK(line.key == ReferenceAtoi(token(5)));
  return 0;
}
