#include "midi/offline_render.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "common/file_util.h"
#include "midi/midi_event.h"
#include "midi/midi_out.h"
#include "midi/performance.h"
#include "midi/smf.h"
#include "song/song_data.h"

namespace kumoito::midi {
namespace {

constexpr std::int32_t kDefaultBpm = 120;

std::uint32_t Pack(std::int32_t status, std::int32_t d1, std::int32_t d2) {
  return (static_cast<std::uint32_t>(status) & 0xFF) |
         ((static_cast<std::uint32_t>(d1) & 0x7F) << 8) |
         ((static_cast<std::uint32_t>(d2) & 0x7F) << 16);
}

}  // namespace

std::vector<TimedMessage> ScheduleMessages(const unsigned char* bytes, std::size_t length) {
  std::vector<TimedMessage> out;
  MidiSequence sequence;
  ReadSequenceImage(sequence, bytes, length);
  if (sequence.form != FORM_NOTES || !sequence.track || sequence.division <= 0) {
    return out;
  }
  ConvertToOnOff(sequence);
  const double division = sequence.division;
  std::int32_t bpm = kDefaultBpm;
  double seconds = 0;
  for (const auto& e : sequence.track->events) {
    seconds += e->delta * 60.0 / (bpm * division);
    const auto frame = static_cast<std::uint64_t>(std::llround(seconds * kSynthSampleRate));
    const std::int32_t channel = e->channel & 0x0F;
    switch (e->kind) {
      case EV_NOTE_ON:
        out.push_back({frame, Pack(0x90 | channel, e->note, e->velocity)});
        break;
      case EV_NOTE_OFF:
        out.push_back({frame, Pack(0x80 | channel, e->note, 0)});
        break;
      case EV_CONTROL:
        if (e->subtype < 128) {
          out.push_back(
              {frame, Pack(0xB0 | channel, static_cast<std::int32_t>(e->subtype), e->value)});
        }
        break;
      case EV_PROGRAM:
        out.push_back({frame, Pack(0xC0 | channel, e->value, 0)});
        break;
      case EV_PITCH_BEND:
        out.push_back({frame, Pack(0xE0 | channel, e->note, e->value)});
        break;
      case EV_META:
        // The player's limits: under a millisecond a beat is 60 bpm, and
        // nothing plays slower than 10.
        if (e->subtype == META_TEMPO) {
          bpm = e->value / 1000 == 0 ? 60 : std::max(60000 / (e->value / 1000), 10);
        }
        break;
      default:
        break;
    }
  }
  return out;
}

bool ExportPerformanceMidi(const CSongData& song, const std::string& path) {
  return BuildPerformance(path, song.m_info.tempo, song);
}

bool ExportPerformanceWav(const CSongData& song, const std::string& path, std::string& why) {
  const std::string soundFont = SoundFontPath();
  if (!FileExists(soundFont)) {
    why = "no soundfont at " + soundFont + " (KUMOITO_SOUNDFONT names another)";
    return false;
  }
  std::string missing;
  const SoundBackends* backends = SoundModule(&missing);
  if (backends == nullptr) {
    why = missing;
    return false;
  }
  const auto image = BuildPerformanceImage(song.m_info.tempo, song);
  if (!image) {
    why = "the song's performance cannot be built";
    return false;
  }
  const std::vector<TimedMessage> messages = ScheduleMessages(image->data(), image->size());
  std::vector<unsigned char> wav;
  if (!backends->renderOfflineWav(soundFont, messages.data(), messages.size(), wav, why)) {
    return false;
  }
  if (!WriteFileBytes(path, wav.data(), wav.size())) {
    why = LastWriteError().message();
    return false;
  }
  return true;
}

}  // namespace kumoito::midi
