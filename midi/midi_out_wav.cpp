// The built-in synthesizer writing what it plays into a WAV file, in real
// time: a render thread of its own produces one block of audio per block
// period against the steady clock, so events land in the file at the moment
// they were sent. For machines without sound, and for tests.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "common/bytes.h"
#include "midi/midi_out_backends.h"

namespace kumoito::midi {
namespace {

constexpr int kBlockFrames = 256;  // 5.8 ms at 44.1 kHz
constexpr int kChannels = 2;
constexpr std::size_t kWavHeaderSize = 44;

void WriteWavHeader(std::FILE* file, std::uint32_t dataBytes) {
  unsigned char h[kWavHeaderSize] = {'R', 'I', 'F', 'F', 0,   0,  0, 0, 'W', 'A', 'V',
                                     'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0};
  StoreLE32(h + 4, 36 + dataBytes);
  StoreLE16(h + 22, kChannels);
  StoreLE32(h + 24, kSynthSampleRate);
  StoreLE32(h + 28, kSynthSampleRate * kChannels * 2);
  StoreLE16(h + 32, kChannels * 2);
  StoreLE16(h + 34, 16);
  h[36] = 'd';
  h[37] = 'a';
  h[38] = 't';
  h[39] = 'a';
  StoreLE32(h + 40, dataBytes);
  std::fseek(file, 0, SEEK_SET);
  std::fwrite(h, 1, kWavHeaderSize, file);
}

class SynthWavPort final : public MidiOutPort {
 public:
  SynthWavPort(FluidSynthCorePtr core, std::FILE* file) : m_core(std::move(core)), m_file(file) {
    WriteWavHeader(m_file, 0);
    m_thread = std::thread([this] { Run(); });
  }
  ~SynthWavPort() override { Close(); }

  bool SendShort(std::uint32_t packed) override {
    return m_file != nullptr && FluidSynthShort(*m_core, packed);
  }
  bool SendLong(const unsigned char* bytes, std::size_t length) override {
    return m_file != nullptr && FluidSynthLong(*m_core, bytes, length);
  }
  bool Reset() override { return m_file != nullptr && FluidSynthReset(*m_core); }
  bool Close() override {
    if (m_file == nullptr) {
      return false;
    }
    m_stop = true;
    m_thread.join();
    const bool ok = m_ok.load();
    WriteWavHeader(m_file, m_dataBytes);
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    return ok && closed;
  }

 private:
  void Run() {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::nanoseconds(1'000'000'000LL * kBlockFrames / kSynthSampleRate);
    auto due = Clock::now();
    std::array<std::int16_t, kBlockFrames * kChannels> block{};
    while (!m_stop) {
      if (!FluidSynthRender(*m_core, block.data(), kBlockFrames) ||
          std::fwrite(block.data(), sizeof block[0], block.size(), m_file) != block.size()) {
        m_ok = false;
        return;
      }
      m_dataBytes += static_cast<std::uint32_t>(sizeof block);
      due += period;
      std::this_thread::sleep_until(due);
    }
  }

  FluidSynthCorePtr m_core;
  std::FILE* m_file;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_ok{true};
  std::uint32_t m_dataBytes = 0;  // render thread only, read after join
};

}  // namespace

std::unique_ptr<MidiOutPort> OpenSynthWavPort(const std::string& soundFont,
                                              const std::string& path) {
  if (path.empty()) {
    return nullptr;
  }
  auto core = CreateFluidSynthCore(soundFont);
  if (!core) {
    return nullptr;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return nullptr;
  }
  return std::make_unique<SynthWavPort>(std::move(core), file);
}

}  // namespace kumoito::midi
