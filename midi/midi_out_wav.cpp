// The built-in synthesizer writing what it plays into a WAV file, in real
// time: a render thread of its own keeps the file up with the steady clock,
// and every message lands at the sample of the moment it was sent. For
// machines without sound, and for tests.
//
// The recording starts when the first note sounds, so an output that only
// waits (the idle output between songs gets a program change and nothing
// else) never replaces the recording of the song before it. It grows in a
// new file of its own beside the target (NAME.tmp-PID-N, the name the
// program's other writers use, so a start clears what a kill left) and takes
// the target's name only when closed: a reader never meets half a file, and
// a FIFO or device at the target cannot hold the render thread.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
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
#include "midi/wav_header.h"

namespace kumoito::midi {
namespace {

constexpr int kBlockFrames = 256;  // 5.8 ms at 44.1 kHz
constexpr int kChannels = kWavChannels;

std::atomic<unsigned> g_tempCounter{0};

std::string TempNameBeside(const std::string& target) {
  return target + ".tmp-" + std::to_string(::getpid()) + "-" +
         std::to_string(g_tempCounter.fetch_add(1));
}

// A new regular file beside target, or null; temp receives its name.
std::FILE* CreateTempFile(const std::string& target, std::string& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = TempNameBeside(target);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      std::FILE* file = ::fdopen(fd, "wb");
      if (file == nullptr) {
        ::close(fd);
        ::unlink(temp.c_str());
      }
      return file;
    }
    if (errno != EEXIST) {
      break;
    }
  }
  return nullptr;
}

void WriteWavHeader(std::FILE* file, std::uint32_t dataBytes) {
  unsigned char h[kWavHeaderSize];
  StoreWavHeader(h, dataBytes);
  std::fseek(file, 0, SEEK_SET);
  std::fwrite(h, 1, kWavHeaderSize, file);
}

// Writes what the synthesizer plays to a WAV file as time passes. Each
// message is stamped with the moment it was sent and applied at that sample
// of the file, so the file keeps the real timing even when the render thread
// falls behind on a busy machine and catches up later.
class SynthWavPort final : public MidiOutPort {
 public:
  SynthWavPort(FluidSynthCorePtr core, std::string path)
      : m_core(std::move(core)), m_path(std::move(path)), m_start(Clock::now()) {
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
    if (m_closed.exchange(true)) {
      return false;
    }
    m_endFrame = FrameNow();
    m_stop = true;
    m_thread.join();
    bool ok = m_ok.load();
    if (m_file != nullptr) {
      WriteWavHeader(m_file, m_dataBytes);
      ok = std::fclose(m_file) == 0 && ok;
      m_file = nullptr;
      // A failed recording leaves the previous file at the target as it was.
      ok = ok && ::rename(m_temp.c_str(), m_path.c_str()) == 0;
      if (!ok) {
        ::unlink(m_temp.c_str());
      }
    }
    return ok;
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
    if (m_closed || !m_ok) {
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

  static bool SoundsANote(const Message& m) {
    return m.kind == Message::kShort && (m.packed & 0xF0) == 0x90 && ((m.packed >> 16) & 0x7F) != 0;
  }

  // The recording starts at the frame of the first note; until then the
  // messages only set the synthesizer up, and no time needs rendering.
  bool StartRecording(std::uint64_t frame) {
    m_file = CreateTempFile(m_path, m_temp);
    if (m_file == nullptr) {
      m_ok = false;
      return false;
    }
    WriteWavHeader(m_file, 0);
    m_rendered = frame;
    return true;
  }

  std::optional<Message> PopDue(std::uint64_t frame) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_queue.empty() || m_queue.front().frame > frame) {
      return std::nullopt;
    }
    std::optional<Message> next = std::move(m_queue.front());
    m_queue.pop_front();
    return next;
  }

  // Renders up to frame `until`, applying each queued message at its frame.
  bool RenderUntil(std::uint64_t until) {
    while (m_file == nullptr) {
      std::optional<Message> next = PopDue(until);
      if (!next) {
        return true;
      }
      if (SoundsANote(*next) && !StartRecording(next->frame)) {
        return false;
      }
      Apply(*next);
    }
    while (m_rendered < until) {
      if (std::optional<Message> next = PopDue(m_rendered)) {
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
  const std::string m_path;
  std::FILE* m_file = nullptr;  // render thread until joined, then Close
  std::string m_temp;           // the file's name until Close renames it
  std::atomic<bool> m_closed{false};
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
  // Refuse at once what could never be written, without touching the file.
  const std::string::size_type slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const bool writable = ::access(path.c_str(), F_OK) == 0
                            ? ::access(path.c_str(), W_OK) == 0
                            : ::access(folder.c_str(), W_OK | X_OK) == 0;
  if (!writable) {
    return nullptr;
  }
  return std::make_unique<SynthWavPort>(std::move(core), path);
}

}  // namespace kumoito::midi
