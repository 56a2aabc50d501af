#include "app/command_line.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>

namespace kumoito {
namespace {

// A path can outgrow its buffer only in a line over its own limit, which is
// marked already.
static_assert(kPathLength >= kCommandLineLength);

bool AppendLimited(std::string& to, char c, std::size_t limit) {
  if (to.size() < limit) {
    to.push_back(c);
    return true;
  }
  return false;
}

}  // namespace

std::int32_t AsciiToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) {
      value = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    }
  }
  value = negative ? -value : value;
  if (value > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(value);
}

CommandLine ParseCommandLine(std::string_view text) {
  const std::string_view line = text.substr(0, kCommandLineLength);
  CommandLine result;
  auto fault = [&](CommandLineFault f) {
    if (result.fault == CommandLineFault::kNone) {
      result.fault = f;
    }
  };
  if (text.size() > kCommandLineLength) {
    fault(CommandLineFault::kLineTooLong);
  }
  // Each path is followed by a space or the end of the line; anything else
  // right after its closing quote means that the quote was inside it.
  auto closePath = [&](std::size_t at) {
    if (at + 1 < line.size() && line[at + 1] != ' ') {
      fault(CommandLineFault::kQuoteInPath);
    }
  };
  std::string tokens[3];
  int state = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    switch (state) {
      case 0:
        if (c == '"') {
          state = 1;
        }
        break;
      case 1:
        result.batch = true;
        if (c == '"') {
          closePath(i);
          state = 2;
        } else {
          AppendLimited(result.scorePath, c, kPathLength);
        }
        break;
      case 2:
        if (c == '"') {
          state = 3;
        }
        break;
      case 3:
        if (c == '"') {
          closePath(i);
          state = 4;
        } else {
          AppendLimited(result.imagePath, c, kPathLength);
        }
        break;
      case 4:
      case 5:
      case 6: {
        std::string& token = tokens[state - 4];
        if (c == ' ') {
          if (!token.empty()) {
            ++state;
          }
        } else if (!AppendLimited(token, c, kTokenLength)) {
          fault(CommandLineFault::kTokenTooLong);
        }
        break;
      }
      default:
        break;
    }
  }
  result.firstString = AsciiToInt(tokens[0]);
  result.tuningWord = tokens[1];
  result.key = AsciiToInt(tokens[2]);
  return result;
}

std::string RebuildCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) {
      line += ' ';
    }
    if (i <= 2) {
      line += '"';
      for (const char* c = argv[i]; *c != '\0'; ++c) {
        line += *c;
        if (*c == '"') {
          line += '"';
        }
      }
      line += '"';
    } else {
      line += argv[i];
    }
  }
  return line;
}

int ReadLeadingOptions(int argc, const char* const* argv, BatchOverrides& overrides) {
  struct Option {
    std::string_view name;
    std::optional<bool> BatchOverrides::*setting;
    bool value;
  };
  static constexpr Option kOptions[] = {
      {"--measure-numbers", &BatchOverrides::measureNumbers, true},
      {"--no-measure-numbers", &BatchOverrides::measureNumbers, false},
      {"--lyrics", &BatchOverrides::lyrics, true},
      {"--no-lyrics", &BatchOverrides::lyrics, false},
      {"--title-band", &BatchOverrides::titleBand, true},
      {"--no-title-band", &BatchOverrides::titleBand, false},
      {"--technique-style=above", &BatchOverrides::techniquesAbove, true},
      {"--technique-style=below", &BatchOverrides::techniquesAbove, false},
      {"--kuchijamisen", &BatchOverrides::kuchijamisen, true},
      {"--no-kuchijamisen", &BatchOverrides::kuchijamisen, false},
  };
  int i = 1;
  for (; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto* option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                      [&](const Option& o) { return o.name == arg; });
    if (option == std::end(kOptions)) {
      break;
    }
    overrides.*(option->setting) = option->value;  // the last of a pair wins
  }
  return i;
}

StartRequest ClassifyArguments(int argc, const char* const* argv) {
  if (argc < 2) {
    return {};
  }
  BatchOverrides overrides;
  const int firstPath = ReadLeadingOptions(argc, argv, overrides);
  if (firstPath > 1) {
    // Only a conversion takes them: the window keeps the saved settings.
    StartRequest request;
    request.kind = argc - firstPath >= 2 ? StartKind::kBatch : StartKind::kOptionsWithoutPaths;
    request.argument = argv[1];
    request.overrides = overrides;
    request.firstPath = firstPath;
    return request;
  }
  const std::string_view first = argv[1];
  if (first == "--help" || first == "-h") {
    return {StartKind::kHelp, {}, {}};
  }
  if (first == "--version") {
    return {StartKind::kVersion, {}, {}};
  }
  if (argc > 2) {
    return {StartKind::kBatch, {}, {}};
  }
  // A file whose name starts with a dash is still reached as ./-name.
  if (first.size() > 1 && first[0] == '-') {
    return {StartKind::kUnknownOption, std::string(first), {}};
  }
  return {StartKind::kOpenFile, std::string(first), {}};
}

std::string UsageText() {
  return "使い方: kumoito [譜面ファイル]\n"
         "        kumoito [変換の設定...] \"譜面.mwd\" \"画像.png\" [一の糸 調子 調]\n"
         "\n"
         "譜面ファイル (MusicXML・MIDI も) を一つ渡すと、それを開いた画面で起動します。\n"
         "二つのパスを渡すと、画面を出さずに譜面を画像に変換して終わります。\n"
         "  一の糸  0..11 (0 = C, 9 = A, 11 = B)\n"
         "  調子    hon 本調子, futa 二上り, san 三下り\n"
         "  調      0..11 (C, G, D, A, E, B, F#, C#, F, Bb, Eb, Ab)\n"
         "          -1 なら調と調子を自動で選びます\n"
         "書く形式は拡張子で決まります: .png PNG、.jpg/.jpeg JPEG、.pdf PDF、.svg SVG、\n"
         ".mid/.midi MIDI、.wav WAV、.mwd 譜面ファイル、その他は BMP。\n"
         "変換の設定は二つのパスの前に置き、その回だけ「設定」の値に代わります:\n"
         "  --lyrics / --no-lyrics                  歌詞を描く / 描かない\n"
         "  --title-band / --no-title-band          画像に題名の帯を付ける / 付けない\n"
         "  --measure-numbers / --no-measure-numbers  小節番号を付ける / 付けない\n"
         "                                          (指定がなければ PDF・SVG "
         "は付け、画像は付けない)\n"
         "  --technique-style=below|above           奏法を音価の線の下 / 数字の上に描く\n"
         "  --kuchijamisen / --no-kuchijamisen      口三味線を描く / 描かない\n"
         "                                          (指定がなければ PDF は描き、画像・SVG "
         "は描かない)\n"
         "\n"
         "Usage: kumoito [SCORE]\n"
         "       kumoito [CONVERSION-OPTION...] \"SCORE.mwd\" \"IMAGE.png\" [FIRST-STRING TUNING "
         "KEY]\n"
         "\n"
         "With one score file (or MusicXML or MIDI file) the window opens with it.\n"
         "With two paths the score is converted to an image without a window.\n"
         "  FIRST-STRING  0..11 (0 = C, 9 = A, 11 = B)\n"
         "  TUNING        hon, futa or san\n"
         "  KEY           0..11 (C, G, D, A, E, B, F#, C#, F, Bb, Eb, Ab)\n"
         "                -1 lets the program choose key and tuning\n"
         "The output follows the extension: .png PNG, .jpg/.jpeg JPEG, .pdf PDF, .svg SVG,\n"
         ".mid/.midi MIDI, .wav WAV, .mwd a score file, BMP otherwise.\n"
         "Conversion options go before the two paths and replace the saved settings\n"
         "for that run only:\n"
         "  --lyrics / --no-lyrics                  draw the lyrics or not\n"
         "  --title-band / --no-title-band          the title band on the image or not\n"
         "  --measure-numbers / --no-measure-numbers  measure numbers on every measure or not\n"
         "                                          (unless given: on PDF and SVG, not on images)\n"
         "  --technique-style=below|above           techniques under the note-value bars\n"
         "                                          or above the number\n"
         "  --kuchijamisen / --no-kuchijamisen      the 口三味線 syllables under the strings or "
         "not\n"
         "                                          (unless given: on PDF, not on images and SVG)\n"
         "\n"
         "  -h, --help     この説明 / this text\n"
         "  --version      版 / the version\n";
}

std::string VersionText() {
  return std::string("kumoito ") + KUMOITO_VERSION + "\n";
}

std::int32_t TuningFromWord(std::string_view word) {
  if (word == "hon") {
    return 0;
  }
  if (word == "futa") {
    return 1;
  }
  if (word == "san") {
    return 2;
  }
  return 0;
}

}  // namespace kumoito
