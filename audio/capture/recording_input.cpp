// A recording played into the listening path, and the choice of input.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <thread>

#include "audio/capture/audio_input.h"
#include "audio/sound_file.h"
#include "common/file_util.h"
#include "common/ui_text.h"

namespace kumoito::audio {
namespace {

// Blocks of 5 ms at 48 kHz: about what a capture device delivers.
constexpr std::size_t kBlock = 240;

class RecordingInput : public AudioInput {
 public:
  RecordingInput(SoundClip clip, bool paced) : m_clip(std::move(clip)), m_paced(paced) {}
  ~RecordingInput() override { Stop(); }

  double SampleRate() const override { return m_clip.sampleRate; }

  bool Start(Sink sink, std::string&) override {
    Stop();
    m_stop = false;
    m_thread = std::thread([this, sink = std::move(sink)] { Run(sink); });
    return true;
  }

  void Stop() override {
    m_stop = true;
    if (m_thread.joinable()) {
      m_thread.join();
    }
  }

 private:
  void Run(const Sink& sink) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<float>& x = m_clip.samples;
    for (std::size_t at = 0; at < x.size() && !m_stop; at += kBlock) {
      const std::size_t n = std::min(kBlock, x.size() - at);
      if (m_paced) {
        // Each block is handed over once it would have been heard.
        const auto due =
            start +
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(static_cast<double>(at + n) / m_clip.sampleRate));
        std::this_thread::sleep_until(due);
      }
      sink(x.data() + at, n);
    }
  }

  SoundClip m_clip;
  bool m_paced;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace

std::unique_ptr<AudioInput> OpenRecordingInput(const std::string& path, bool paced,
                                               std::string& why) {
  std::error_code error;
  // Half an hour of CD sound is more than any tuning or practice needs.
  const std::optional<std::string> bytes = ReadWholeFile(path, 320u << 20, error);
  if (!bytes) {
    why = Ui::Format(Ui::Tr("録音を開けません: %1"), {path + ": " + error.message()});
    return nullptr;
  }
  std::optional<SoundClip> clip = DecodeSound(*bytes, why);
  if (!clip) {
    why = path + ": " + why;
    return nullptr;
  }
  return std::make_unique<RecordingInput>(std::move(*clip), paced);
}

std::unique_ptr<AudioInput> OpenAudioInput(std::string& why) {
  const char* setting = std::getenv("KUMOITO_AUDIO_IN");
  const std::string_view chosen = setting != nullptr ? setting : "";
  if (chosen.starts_with("wav:")) {
    return OpenRecordingInput(std::string(chosen.substr(4)), true, why);
  }
  if (chosen == "none") {
    why = Ui::Tr("音の入力は KUMOITO_AUDIO_IN=none で切られています。");
    return nullptr;
  }
  if (!chosen.empty() && chosen != "default") {
    why = Ui::Format(Ui::Tr("KUMOITO_AUDIO_IN の値が分かりません: %1"), {chosen});
    return nullptr;
  }
  return OpenCaptureDevice(why);
}

}  // namespace kumoito::audio
