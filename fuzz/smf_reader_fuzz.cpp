// libFuzzer entry for the Standard MIDI File reader. The input is a file
// image. It is read as the program can meet it: from memory and from a file,
// by the reader that takes format 0 or 1 and by the separate format-1 reader
// with its merge; then prepared for playing as the player does, written back
// with the writer and read once more.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "fuzz/fuzz_support.h"
#include "midi/midi_event.h"
#include "midi/smf.h"
#include "midi/track_ops.h"

namespace {

using namespace kumoito;
using namespace kumoito::midi;

// What every read promises, whatever the bytes: a form-2 sequence with a
// track of at most its room.
void CheckRead(const MidiSequence& sequence) {
  KUMOITO_FUZZ_CHECK(sequence.form == FORM_NOTES);
  KUMOITO_FUZZ_CHECK(sequence.track != nullptr);
  KUMOITO_FUZZ_CHECK(sequence.track->EventCount() <= sequence.track->EventRoom());
  for (const auto& e : sequence.track->events) {
    KUMOITO_FUZZ_CHECK(e != nullptr);
  }
}

// The player's preparation of a read sequence (Player::StartPlayback without
// its thread): a copy at 96 ticks per quarter, notes as on/off pairs.
void PrepareForPlaying(const MidiSequence& sequence) {
  MidiSequence copy(kBufferCapacity);
  copy.form = sequence.form;
  copy.division = sequence.division;
  copy.track = CopyTrack(*sequence.track);
  RescaleTrack(*copy.track, copy.division);
  copy.division = kPlayerDivision;
  ConvertToOnOff(copy);
}

void ReadAsFormat1(Format1File file) {
  if (file.ok) {
    KUMOITO_FUZZ_CHECK(!file.tracks.empty());
    std::unique_ptr<MidiTrack> merged = MergeFormat1Tracks(file);
    KUMOITO_FUZZ_CHECK(merged != nullptr);
    KUMOITO_FUZZ_CHECK(!merged->events.empty() && IsEndOfTrack(*merged->events.back()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::QuietReports();
  ResetOncePerRunReports();
  static const std::string input = fuzz::ScratchPath("input.mid");
  static const std::string written = fuzz::ScratchPath("written.mid");

  MidiSequence fromImage;
  ReadSequenceImage(fromImage, data, size);
  CheckRead(fromImage);
  ReadAsFormat1(ReadFormat1Image(data, size));

  if (!WriteFileBytes(input, data, size)) {
    return 0;
  }
  MidiSequence fromFile;
  ReadSequenceFile(fromFile, input);
  CheckRead(fromFile);
  // The file is the same bytes as the image, so it must read the same.
  KUMOITO_FUZZ_CHECK(fromFile.division == fromImage.division);
  KUMOITO_FUZZ_CHECK(fromFile.track->EventCount() == fromImage.track->EventCount());
  ReadAsFormat1(ReadFormat1File(input));

  PrepareForPlaying(fromFile);

  if (!WriteSequenceFile(fromFile, written)) {
    return 0;
  }
  // Writing hands the sequence back in the form it had.
  CheckRead(fromFile);
  MidiSequence again;
  ReadSequenceFile(again, written);
  CheckRead(again);
  // What the writer makes is a format-0 file of the same division.
  KUMOITO_FUZZ_CHECK(again.division == (fromFile.division & 0xFFFF));
  PrepareForPlaying(again);
  return 0;
}
