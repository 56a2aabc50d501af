#include "song/marks.h"

#include <algorithm>

#include "common/sjis.h"

namespace kumoito {

bool SongMarks::AnyMark() const {
  return style != TechniqueStyle::kUnset ||
         std::any_of(notes.begin(), notes.end(), [](const NoteMarks& m) { return !m.Empty(); }) ||
         std::any_of(measures.begin(), measures.end(),
                     [](const MeasureMarks& m) { return !m.Empty(); }) ||
         std::any_of(syllables.begin(), syllables.end(),
                     [](const SyllableOverride& s) { return !s.Empty(); });
}

void SongMarks::ClearCells(int from, int to) {
  from = std::clamp(from, 0, kMarkCellCount);
  to = std::clamp(to, from, kMarkCellCount);
  std::fill(notes.begin() + Slot(from, 0), notes.begin() + Slot(to, 0), NoteMarks{});
  std::fill(syllables.begin() + Slot(from, 0), syllables.begin() + Slot(to, 0), SyllableOverride{});
}

bool ValidSyllableText(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(kMaxSyllableBytes)) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsSjisLeadByte(c)) {
      ++i;  // the pair is checked whole by the conversion below
    } else if (c < 0x20 || c == 0x7F || c == 0x80 || c == 0xA0 || c >= 0xFD) {
      return false;
    }
  }
  return Cp932ToUtf8(text).has_value();
}

bool SyllableOverride::Assign(std::string_view cp932) {
  if (!ValidSyllableText(cp932)) {
    return false;
  }
  *this = SyllableOverride{};
  set = 1;
  length = static_cast<std::uint8_t>(cp932.size());
  std::copy(cp932.begin(), cp932.end(), text.begin());
  return true;
}

void SongMarks::ClearMeasures(int from, int to) {
  from = std::clamp(from, 0, kMarkMeasureCount);
  to = std::clamp(to, from, kMarkMeasureCount);
  std::fill(measures.begin() + from, measures.begin() + to, MeasureMarks{});
}

}  // namespace kumoito
