// libFuzzer entry for song sources: the input is the text of a source. A
// source that parses is built into a song and stored as a score image, as
// the library build does, and that image must read back as the same song.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/sjis.h"
#include "fuzz/fuzz_support.h"
#include "library/song_source.h"
#include "song/score_file.h"
#include "song/score_layout.h"
#include "song/song_data.h"

namespace {

using namespace kumoito;

int LineCount(std::string_view text) {
  int lines = 1;
  for (char c : text) {
    lines += c == '\n';
  }
  return lines;
}

void CheckSource(const SongSource& source) {
  KUMOITO_FUZZ_CHECK(source.beatsPerMeasure >= kMinBeatsPerMeasure &&
                     source.beatsPerMeasure <= kMaxBeatsPerMeasure);
  KUMOITO_FUZZ_CHECK(source.tempo >= kMinTempo && source.tempo <= kMaxTempo);
  KUMOITO_FUZZ_CHECK(source.measureCount > 0);
  const int sixteenths = source.measureCount * source.beatsPerMeasure * kSixteenthsPerBeat;
  KUMOITO_FUZZ_CHECK(sixteenths <= 2 * kMaxCells);
  int end = 0;
  for (const SourceEvent& e : source.events) {
    // In time order and covering every measure: each event starts where the
    // one before it ended.
    KUMOITO_FUZZ_CHECK(e.start == end);
    KUMOITO_FUZZ_CHECK(e.length > 0);
    KUMOITO_FUZZ_CHECK(e.pitch == kSourceRest || (e.pitch >= 0 && e.pitch <= 127));
    KUMOITO_FUZZ_CHECK(e.lyric.size() < static_cast<std::size_t>(kLyricFieldSize));
    end = e.start + e.length;
  }
  KUMOITO_FUZZ_CHECK(end == sixteenths);
  KUMOITO_FUZZ_CHECK(source.beatChords.size() ==
                     static_cast<std::size_t>(source.measureCount * source.beatsPerMeasure));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::QuietReports();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ParsedSource parsed = ParseSongSource(text);
  if (parsed.error) {
    KUMOITO_FUZZ_CHECK(parsed.error->line >= 1 && parsed.error->line <= LineCount(text));
    KUMOITO_FUZZ_CHECK(parsed.error->column >= 1);
    KUMOITO_FUZZ_CHECK(!parsed.error->message.empty());
    (void)FormatSourceError("song.txt", *parsed.error);
    return 0;
  }
  CheckSource(parsed.song);

  // What kumoito_songc does, with the file left out.
  std::unique_ptr<CSongData> song = BuildSong(parsed.song);
  song->NormalizeCells();
  song->TrimTexts();
  song->PackExtraTexts();
  std::vector<unsigned char> image(score_layout::kFileSize);
  BuildScoreImage(image.data(), *song, song->m_beatsPerMeasure, song->m_keyIndex, 1);

  std::int32_t beats = 4, key = 0, measures = 1;
  std::unique_ptr<CSongData> read = CSongData::LoadOrCreate("", beats, key, measures);
  read->ResetSong();
  KUMOITO_FUZZ_CHECK(DecodeScoreImage(*read, image.data(), image.size()));
  KUMOITO_FUZZ_CHECK(read->m_measureCount == parsed.song.measureCount);
  KUMOITO_FUZZ_CHECK(read->m_beatsPerMeasure == parsed.song.beatsPerMeasure);
  KUMOITO_FUZZ_CHECK(read->m_keyIndex == parsed.song.keyIndex);
  KUMOITO_FUZZ_CHECK(read->m_info.tempo == parsed.song.tempo);
  KUMOITO_FUZZ_CHECK(FieldText(read->m_info.title) == FieldText(song->m_info.title));
  std::vector<unsigned char> again(score_layout::kFileSize);
  BuildScoreImage(again.data(), *read, read->m_beatsPerMeasure, read->m_keyIndex, 1);
  KUMOITO_FUZZ_CHECK(again == image);
  return 0;
}
