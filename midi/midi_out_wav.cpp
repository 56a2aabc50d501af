// The built-in synthesizer writing what it plays into a WAV file, in real
// time: a render thread of its own keeps the file up with the steady clock,
// and every message lands at the sample of the moment it was sent. For
// machines without sound, and for tests.

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

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

// Writes what the synthesizer plays to a WAV file as time passes. Each
// message is stamped with the moment it was sent and applied at that sample
// of the file, so the file keeps the real timing even when the render thread
// falls behind on a busy machine and catches up later.
class SynthWavPort final : public MidiOutPort {
 public:
  SynthWavPort(FluidSynthCorePtr core, std::FILE* file)
      : m_core(std::move(core)), m_file(file), m_start(Clock::now()) {
    WriteWavHeader(m_file, 0);
    m_thread = std::thread([this] { Run(); });
  }
  ~SynthWavPort() override { Close(); }

  bool SendShort(std::uint32_t packed) override {
    return Queue(Message{FrameNow(), Message::kShort, packed, {}});
  }
  bool SendLong(const unsigned char* bytes, std::size_t length) override {
    return Queue(
        Message{FrameNow(), Message::kLong, 0, std::vector<unsigned char>(bytes, bytes + length)});
  }
  bool Reset() override { return Queue(Message{FrameNow(), Message::kReset, 0, {}}); }
  bool Close() override {
    if (m_file == nullptr) {
      return false;
    }
    m_endFrame = FrameNow();
    m_stop = true;
    m_thread.join();
    const bool ok = m_ok.load();
    WriteWavHeader(m_file, m_dataBytes);
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    return ok && closed;
  }

 private:
  using Clock = std::chrono::steady_clock;

  struct Message {
    std::uint64_t frame;
    enum Kind { kShort, kLong, kReset } kind;
    std::uint32_t packed;
    std::vector<unsigned char> bytes;
  };

  std::uint64_t FrameNow() const {
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - m_start).count();
    return static_cast<std::uint64_t>(ns) * kSynthSampleRate / 1'000'000'000ULL;
  }

  bool Queue(Message message) {
    if (m_file == nullptr || !m_ok) {
      return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(std::move(message));
    return true;
  }

  void Apply(const Message& m) {
    switch (m.kind) {
      case Message::kShort:
        FluidSynthShort(*m_core, m.packed);
        break;
      case Message::kLong:
        FluidSynthLong(*m_core, m.bytes.data(), m.bytes.size());
        break;
      case Message::kReset:
        FluidSynthReset(*m_core);
        break;
    }
  }

  // Renders up to frame `until`, applying each queued message at its frame.
  bool RenderUntil(std::uint64_t until) {
    while (m_rendered < until) {
      std::optional<Message> next;
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_queue.empty() && m_queue.front().frame <= m_rendered) {
          next = std::move(m_queue.front());
          m_queue.pop_front();
        }
      }
      if (next) {
        Apply(*next);
        continue;
      }
      std::uint64_t stop = until;
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_queue.empty()) {
          stop = std::min(stop, m_queue.front().frame);
        }
      }
      const int frames = static_cast<int>(std::min<std::uint64_t>(stop - m_rendered, kBlockFrames));
      if (!RenderBlock(frames)) {
        return false;
      }
      m_rendered += static_cast<std::uint64_t>(frames);
    }
    return true;
  }

  void Run() {
    const auto period = std::chrono::nanoseconds(1'000'000'000LL * kBlockFrames / kSynthSampleRate);
    auto due = m_start;
    while (!m_stop) {
      if (!RenderUntil(FrameNow())) {
        return;
      }
      due += period;
      std::this_thread::sleep_until(due);
    }
    RenderUntil(m_endFrame.load());
  }

  bool RenderBlock(int frames) {
    const std::size_t samples = static_cast<std::size_t>(frames) * kChannels;
    if (!FluidSynthRender(*m_core, m_block.data(), frames) ||
        std::fwrite(m_block.data(), sizeof m_block[0], samples, m_file) != samples) {
      m_ok = false;
      return false;
    }
    m_dataBytes += static_cast<std::uint32_t>(samples * sizeof m_block[0]);
    return true;
  }

  FluidSynthCorePtr m_core;
  std::FILE* m_file;
  const Clock::time_point m_start;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_ok{true};
  std::atomic<std::uint64_t> m_endFrame{0};
  std::mutex m_mutex;
  std::deque<Message> m_queue;    // guarded by m_mutex
  std::uint64_t m_rendered = 0;   // render thread only
  std::uint32_t m_dataBytes = 0;  // render thread only, read after join
  std::array<std::int16_t, kBlockFrames * kChannels> m_block{};
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
