// libFuzzer entry for the MusicXML reader. The input is the text of a
// MusicXML file; every part of it is read and written onto a song.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/import_fuzz_support.h"
#include "import/musicxml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kumoito;
  fuzz::QuietReports();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const import::MusicXmlResult first = import::ReadMusicXml(text);
  KUMOITO_FUZZ_CHECK(first.melody.has_value() != first.error.has_value());
  if (first.error) {
    KUMOITO_FUZZ_CHECK(!first.error->message.empty());
    KUMOITO_FUZZ_CHECK(first.error->line >= 0 && first.error->column >= 0);
  }
  for (int part = 0; part < static_cast<int>(first.parts.size()) && part < 4; ++part) {
    const import::MusicXmlResult read = import::ReadMusicXml(text, part);
    if (read.melody) {
      KUMOITO_FUZZ_CHECK(read.chosenPart == part);
      fuzz::CheckWritten(*read.melody);
    }
  }
  return 0;
}
