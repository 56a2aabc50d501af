// The default capture device through ALSA: one channel of floats at 48 kHz
// (the device's plug layer converts), read a period at a time on a thread
// of the input's own.

#include <alsa/asoundlib.h>

#include <atomic>
#include <thread>
#include <vector>

#include "audio/capture/audio_input.h"
#include "common/ui_text.h"

namespace kumoito::audio {
namespace {

constexpr unsigned kRate = 48000;
// 5 ms periods within 20 ms of buffering keep the needle's delay short.
constexpr snd_pcm_uframes_t kPeriod = 240;
constexpr unsigned kLatencyMicroseconds = 20000;

class AlsaInput : public AudioInput {
 public:
  explicit AlsaInput(snd_pcm_t* pcm) : m_pcm(pcm) {}
  ~AlsaInput() override {
    Stop();
    snd_pcm_close(m_pcm);
  }

  double SampleRate() const override { return kRate; }

  bool Start(Sink sink, std::string& why) override {
    Stop();
    const int started = snd_pcm_prepare(m_pcm);
    if (started < 0) {
      why = Ui::Format(Ui::Tr("録音の装置を使えません: %1"), {snd_strerror(started)});
      return false;
    }
    m_stop = false;
    m_thread = std::thread([this, sink = std::move(sink)] { Run(sink); });
    return true;
  }

  void Stop() override {
    m_stop = true;
    if (m_thread.joinable()) {
      m_thread.join();
    }
    snd_pcm_drop(m_pcm);
  }

 private:
  void Run(const Sink& sink) {
    std::vector<float> block(kPeriod);
    while (!m_stop) {
      const snd_pcm_sframes_t got = snd_pcm_readi(m_pcm, block.data(), kPeriod);
      if (got < 0) {
        // An overrun (the thread was late) is recovered from; anything
        // else ends the listening, quietly, as the device has gone.
        if (snd_pcm_recover(m_pcm, static_cast<int>(got), 1) < 0) {
          break;
        }
        continue;
      }
      sink(block.data(), static_cast<std::size_t>(got));
    }
  }

  snd_pcm_t* m_pcm;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace

std::unique_ptr<AudioInput> OpenCaptureDevice(std::string& why) {
  snd_pcm_t* pcm = nullptr;
  int error = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_CAPTURE, 0);
  if (error >= 0) {
    error = snd_pcm_set_params(pcm, SND_PCM_FORMAT_FLOAT, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kRate,
                               1, kLatencyMicroseconds);
    if (error < 0) {
      snd_pcm_close(pcm);
    }
  }
  if (error < 0) {
    why = Ui::Format(Ui::Tr("マイクが見つかりません (録音の装置を開けません: %1)。"),
                     {snd_strerror(error)});
    return nullptr;
  }
  return std::make_unique<AlsaInput>(pcm);
}

}  // namespace kumoito::audio
