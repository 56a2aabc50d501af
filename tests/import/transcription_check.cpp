// Every library song played by our offline synthesizer, the WAV read back
// by the recording import, and its notes compared with those the
// performance struck: a note is right when a transcribed note of its pitch
// class starts within a sixteenth of it. Prints a line per song and fails
// when any song has fewer than 95 % right.
//
// Usage: kumoito_transcription_check SONG_SOURCE_FOLDER WORK_FOLDER [-v]
// (-v names each note missed)

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "import/recording_import.h"
#include "library/song_source.h"
#include "midi/midi_out_backends.h"
#include "midi/offline_render.h"
#include "midi/performance.h"
#include "song/song_data.h"

namespace {

using namespace kumoito;

struct Struck {
  double seconds = 0.0;
  int pitch = 0;
};

std::vector<Struck> StruckNotes(const CSongData& song) {
  std::vector<Struck> notes;
  const auto image = midi::BuildPerformanceImage(song.m_info.tempo, song);
  if (!image) {
    return notes;
  }
  for (const midi::TimedMessage& m : midi::ScheduleMessages(image->data(), image->size())) {
    const unsigned status = m.packed & 0xF0;
    const unsigned velocity = (m.packed >> 16) & 0x7F;
    if (status == 0x90 && velocity > 0) {
      notes.push_back({static_cast<double>(m.frame) / midi::kSynthSampleRate,
                       static_cast<int>((m.packed >> 8) & 0x7F)});
    }
  }
  return notes;
}

struct Score {
  int right = 0;
  int heard = 0;
};

Score Compare(const std::vector<Struck>& truth, const import::RecordingImportResult& read,
              double sixteenth, bool verbose) {
  Score score;
  std::vector<Struck> got;
  const double beat = read.grid.BeatSeconds();
  for (const import::MelodyNote& n : read.melody->notes) {
    got.push_back({read.grid.origin + n.onset.ToDouble() * beat, n.pitch});
  }
  score.heard = static_cast<int>(got.size());
  std::vector<bool> used(got.size(), false);
  for (const Struck& t : truth) {
    bool found = false;
    for (std::size_t i = 0; i < got.size() && !found; ++i) {
      if (!used[i] && std::abs(got[i].seconds - t.seconds) <= sixteenth &&
          (got[i].pitch - t.pitch) % 12 == 0) {
        used[i] = true;
        found = true;
        ++score.right;
      }
    }
    if (!found && verbose) {
      std::printf("  missed %d at %.3f s\n", t.pitch, t.seconds);
    }
  }
  return score;
}

}  // namespace

int main(int argc, char** argv) {
  const bool verbose = argc == 4 && std::string(argv[3]) == "-v";
  if (argc != 3 && !verbose) {
    std::fprintf(stderr, "usage: %s SONG_SOURCE_FOLDER WORK_FOLDER\n", argv[0]);
    return 2;
  }
  std::vector<std::filesystem::path> sources;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
    if (entry.path().extension() == ".txt") {
      sources.push_back(entry.path());
    }
  }
  std::sort(sources.begin(), sources.end());
  std::filesystem::create_directories(argv[2]);
  bool allGood = !sources.empty();
  double totalAudio = 0.0;
  double totalTime = 0.0;
  double totalCpu = 0.0;
  // x_real: the sound's length over the wall time taken; x_cpu: over the
  // processor time, which other work on a busy machine does not change.
  std::printf("%-18s %7s %6s %6s %8s %9s %6s %6s\n", "song", "seconds", "notes", "heard", "right",
              "tempo", "x_real", "x_cpu");
  for (const auto& source : sources) {
    std::error_code why;
    const auto text = ReadWholeFile(source.string(), 1u << 20, why);
    const ParsedSource parsed = text ? ParseSongSource(*text) : ParsedSource{};
    if (!text || parsed.error) {
      std::printf("%s: cannot be read\n", source.filename().c_str());
      allGood = false;
      continue;
    }
    const auto song = BuildSong(parsed.song);
    const std::string wav = (std::filesystem::path(argv[2]) / source.stem()).string() + ".wav";
    std::string failure;
    if (!midi::ExportPerformanceWav(*song, wav, failure)) {
      std::printf("%s: no WAV: %s\n", source.filename().c_str(), failure.c_str());
      return 77;  // no sound module or soundfont here: nothing can be checked
    }
    const auto bytes = ReadWholeFile(wav, import::kMaxRecordingFileBytes, why);
    if (!bytes) {
      allGood = false;
      continue;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const import::RecordingImportResult read = import::ReadRecordingMelody(
        reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size());
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double seconds = static_cast<double>(bytes->size() - 44) / 4.0 / midi::kSynthSampleRate;
    totalAudio += seconds;
    totalTime += took;
    totalCpu += cpu;
    const std::vector<Struck> truth = StruckNotes(*song);
    if (!read.melody || truth.empty()) {
      std::printf("%-18s nothing heard\n", source.stem().c_str());
      allGood = false;
      continue;
    }
    const Score score = Compare(truth, read, 15.0 / song->m_info.tempo, verbose);
    const double share = 100.0 * score.right / static_cast<double>(truth.size());
    std::printf("%-18s %7.1f %6zu %6d %7.1f%% %4d/%-4d %6.0f %6.0f\n", source.stem().c_str(),
                seconds, truth.size(), score.heard, share, read.grid.bpm, song->m_info.tempo,
                seconds / took, seconds / std::max(cpu, 1e-9));
    if (verbose) {
      for (const audio::HeardNote& h : read.heard) {
        std::printf("  heard %d (%.2f) at %.3f-%.3f s\n", h.pitch, h.note, h.onset, h.end);
      }
    }
    std::fflush(stdout);
    allGood = allGood && share >= 95.0;
  }
  std::printf(
      "all songs: %.1f s of sound transcribed at %.0fx real time (%.0fx on processor time)\n",
      totalAudio, totalAudio / std::max(totalTime, 1e-9), totalAudio / std::max(totalCpu, 1e-9));
  return allGood ? 0 : 1;
}
