// libFuzzer entry for the MIDI import. The input is a Standard MIDI File;
// the melody the rule chooses and every other track and channel are read
// and written onto a song.

#include <cstddef>
#include <cstdint>

#include "fuzz/import_fuzz_support.h"
#include "import/midi_import.h"
#include "midi/smf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kumoito;
  fuzz::QuietReports();
  midi::ResetOncePerRunReports();
  const import::MidiImportResult first = import::ReadMidiMelody(data, size);
  KUMOITO_FUZZ_CHECK(first.melody.has_value() != first.error.has_value());
  if (first.melody) {
    KUMOITO_FUZZ_CHECK(first.chosenPart >= 0 &&
                       first.chosenPart < static_cast<int>(first.parts.size()));
    fuzz::CheckWritten(*first.melody);
  }
  for (int part = 0; part < static_cast<int>(first.parts.size()) && part < 4; ++part) {
    const import::MidiImportResult read = import::ReadMidiMelody(data, size, part);
    KUMOITO_FUZZ_CHECK(read.melody.has_value());
    fuzz::CheckWritten(*read.melody);
  }
  return 0;
}
