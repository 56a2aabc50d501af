#pragma once
// Test double of the MIDI output: ports that record every message with the
// time a clock gave when it was sent, and a system whose devices can be made
// to fail. Shared by the unit tests and the timing benchmark.
//
// Thread-safety: the log is mutex-guarded; ports may send from any thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "midi/midi_out.h"

namespace kumoito::midi::testing {

struct RecordedMessage {
  std::int64_t timeUs;
  std::vector<unsigned char> bytes;
};

class RecordingLog {
 public:
  explicit RecordingLog(std::function<std::int64_t()> clock = [] { return 0; })
      : m_clock(std::move(clock)) {}

  void Add(std::vector<unsigned char> bytes) {
    const std::int64_t t = m_clock();
    std::lock_guard lock(m_mutex);
    m_messages.push_back({t, std::move(bytes)});
  }
  std::vector<RecordedMessage> Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
  }
  void Clear() {
    std::lock_guard lock(m_mutex);
    m_messages.clear();
  }
  void CountReset() {
    std::lock_guard lock(m_mutex);
    ++m_resets;
  }
  void CountClose() {
    std::lock_guard lock(m_mutex);
    ++m_closes;
  }
  int Resets() const {
    std::lock_guard lock(m_mutex);
    return m_resets;
  }
  int Closes() const {
    std::lock_guard lock(m_mutex);
    return m_closes;
  }

 private:
  std::function<std::int64_t()> m_clock;
  mutable std::mutex m_mutex;
  std::vector<RecordedMessage> m_messages;
  int m_resets = 0;
  int m_closes = 0;
};

class RecordingPort final : public MidiOutPort {
 public:
  RecordingPort(std::shared_ptr<RecordingLog> log, bool works)
      : m_log(std::move(log)), m_works(works) {}
  bool SendShort(std::uint32_t packed) override {
    const auto status = static_cast<unsigned char>(packed);
    std::vector<unsigned char> b = {status, static_cast<unsigned char>(packed >> 8)};
    if ((status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0) {
      b.push_back(static_cast<unsigned char>(packed >> 16));
    }
    m_log->Add(std::move(b));
    return m_works;
  }
  bool SendLong(const unsigned char* bytes, std::size_t length) override {
    m_log->Add(std::vector<unsigned char>(bytes, bytes + length));
    return m_works;
  }
  bool Reset() override {
    m_log->CountReset();
    return m_works;
  }
  bool Close() override {
    m_log->CountClose();
    return m_works;
  }

 private:
  std::shared_ptr<RecordingLog> m_log;
  bool m_works;
};

class RecordingSystem final : public MidiOutSystem {
 public:
  explicit RecordingSystem(std::shared_ptr<RecordingLog> log) : m_log(std::move(log)) {}

  std::uint32_t devices = 2;
  bool mapperOpens = true;
  bool device0Opens = true;
  bool portsWork = true;

  std::uint32_t GetNumDevs() override { return devices; }
  std::unique_ptr<MidiOutPort> Open(std::uint32_t id) override {
    std::lock_guard lock(m_mutex);
    m_opened.push_back(id);
    if ((id == kMidiMapper && mapperOpens) || (id == 0 && device0Opens)) {
      return std::make_unique<RecordingPort>(m_log, portsWork);
    }
    return nullptr;
  }
  std::vector<std::uint32_t> Opened() const {
    std::lock_guard lock(m_mutex);
    return m_opened;
  }

 private:
  std::shared_ptr<RecordingLog> m_log;
  mutable std::mutex m_mutex;
  std::vector<std::uint32_t> m_opened;
};

}  // namespace kumoito::midi::testing
