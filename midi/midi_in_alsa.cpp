#include "midi/midi_in_alsa.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include <alsa/asoundlib.h>

namespace kumoito::midi {
namespace {

constexpr unsigned kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
// Our own output's client: listening to it would enter what we play.
constexpr std::string_view kOwnClientName = "Kumoito";
// The kernel's echo port repeats whatever any program plays into it, our own
// playback too, so only a user who names it gets it.
constexpr std::string_view kThroughClientName = "Midi Through";

void QuietError(const char*, int, const char*, int, const char*, ...) {}

struct ListedPort {
  MidiInPortInfo info;
  bool automatic = true;  // may be taken as "the first that appears"
};

std::optional<ListedPort> DescribePort(snd_seq_t* seq, int client, int port) {
  snd_seq_client_info_t* clientInfo = nullptr;
  snd_seq_port_info_t* portInfo = nullptr;
  snd_seq_client_info_alloca(&clientInfo);
  snd_seq_port_info_alloca(&portInfo);
  if (client == SND_SEQ_CLIENT_SYSTEM || client == snd_seq_client_id(seq) ||
      snd_seq_get_any_client_info(seq, client, clientInfo) < 0 ||
      snd_seq_get_any_port_info(seq, client, port, portInfo) < 0) {
    return std::nullopt;
  }
  const std::string clientName = snd_seq_client_info_get_name(clientInfo);
  const unsigned caps = snd_seq_port_info_get_capability(portInfo);
  if ((caps & kReadable) != kReadable || (caps & SND_SEQ_PORT_CAP_NO_EXPORT) != 0 ||
      clientName == kOwnClientName) {
    return std::nullopt;
  }
  ListedPort listed;
  listed.info.name = clientName + ":" + snd_seq_port_info_get_name(portInfo);
  listed.info.client = client;
  listed.info.port = port;
  listed.automatic = clientName != kThroughClientName;
  return listed;
}

std::vector<ListedPort> ListPorts(snd_seq_t* seq) {
  std::vector<ListedPort> out;
  snd_seq_client_info_t* client = nullptr;
  snd_seq_port_info_t* port = nullptr;
  snd_seq_client_info_alloca(&client);
  snd_seq_port_info_alloca(&port);
  snd_seq_client_info_set_client(client, -1);
  while (snd_seq_query_next_client(seq, client) >= 0) {
    const int id = snd_seq_client_info_get_client(client);
    snd_seq_port_info_set_client(port, id);
    snd_seq_port_info_set_port(port, -1);
    while (snd_seq_query_next_port(seq, port) >= 0) {
      if (auto listed = DescribePort(seq, id, snd_seq_port_info_get_port(port))) {
        out.push_back(std::move(*listed));
      }
    }
  }
  return out;
}

bool Matches(const ListedPort& port, const std::string& choice) {
  return choice == kMidiInFirst ? port.automatic : port.info.name == choice;
}

snd_seq_t* OpenSequencer() {
  snd_lib_error_set_handler(&QuietError);
  snd_seq_t* seq = nullptr;
  if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) {
    return nullptr;
  }
  return seq;
}

// Everything that touches the sequencer runs on the reader thread: the
// library's handle is not made for two threads at once. The GUI thread only
// leaves a new choice and wakes the reader through a pipe.
class AlsaMidiInput final : public MidiInput {
 public:
  AlsaMidiInput(snd_seq_t* seq, int ownPort, int wakeRead, int wakeWrite)
      : m_seq(seq), m_ownPort(ownPort), m_wakeRead(wakeRead), m_wakeWrite(wakeWrite) {}
  ~AlsaMidiInput() override {
    Stop();
    snd_seq_close(m_seq);
    close(m_wakeRead);
    close(m_wakeWrite);
  }

  std::vector<MidiInPortInfo> Ports() override { return ListAlsaMidiInputs(); }

  bool Listen(std::string_view choice, EventHandler handler) override {
    {
      const std::lock_guard<std::mutex> lock(m_mutex);
      m_choice = std::string(choice);
      m_handler = std::move(handler);
      m_rechoose = true;
    }
    if (!m_thread.joinable()) {
      m_stop = false;
      m_thread = std::thread([this] { Run(); });
    }
    Wake();
    return true;
  }

  void Stop() override {
    if (!m_thread.joinable()) {
      return;
    }
    m_stop = true;
    Wake();
    m_thread.join();
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_handler = nullptr;
  }

  std::string ConnectedPort() const override {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_connectedName;
  }

 private:
  void Wake() {
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t n = write(m_wakeWrite, &byte, 1);
  }

  void Run();
  void Rechoose();
  void Connect(const ListedPort& port);
  void Disconnect();
  void Handle(const snd_seq_event_t& ev);
  void Deliver(const MidiInEvent& event);

  snd_seq_t* m_seq;
  int m_ownPort;
  int m_wakeRead;
  int m_wakeWrite;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};

  mutable std::mutex m_mutex;  // guards the members below
  std::string m_choice = std::string(kMidiInOff);
  EventHandler m_handler;
  bool m_rechoose = false;
  std::string m_connectedName;

  // The reader thread's own.
  std::optional<snd_seq_addr_t> m_connected;
};

void AlsaMidiInput::Run() {
  const int count = snd_seq_poll_descriptors_count(m_seq, POLLIN);
  std::vector<pollfd> fds(static_cast<std::size_t>(count) + 1);
  fds[0] = {m_wakeRead, POLLIN, 0};
  snd_seq_poll_descriptors(m_seq, fds.data() + 1, static_cast<unsigned>(count), POLLIN);
  while (!m_stop) {
    bool rechoose = false;
    {
      const std::lock_guard<std::mutex> lock(m_mutex);
      rechoose = std::exchange(m_rechoose, false);
    }
    if (rechoose) {
      Rechoose();
    }
    snd_seq_event_t* ev = nullptr;
    int got = 0;
    while ((got = snd_seq_event_input(m_seq, &ev)) >= 0 || got == -ENOSPC) {
      if (got >= 0 && ev != nullptr) {
        Handle(*ev);
      }
    }
    if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
      break;
    }
    if ((fds[0].revents & POLLIN) != 0) {
      char drain[64];
      while (read(m_wakeRead, drain, sizeof drain) > 0) {
      }
    }
  }
  Disconnect();
}

void AlsaMidiInput::Rechoose() {
  Disconnect();
  std::string choice;
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    choice = m_choice;
  }
  if (choice == kMidiInOff) {
    return;
  }
  for (const ListedPort& port : ListPorts(m_seq)) {
    if (Matches(port, choice)) {
      Connect(port);
      return;
    }
  }
}

void AlsaMidiInput::Connect(const ListedPort& port) {
  if (snd_seq_connect_from(m_seq, m_ownPort, port.info.client, port.info.port) < 0) {
    return;
  }
  m_connected = snd_seq_addr_t{static_cast<unsigned char>(port.info.client),
                               static_cast<unsigned char>(port.info.port)};
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_connectedName = port.info.name;
}

void AlsaMidiInput::Disconnect() {
  if (m_connected) {
    snd_seq_disconnect_from(m_seq, m_ownPort, m_connected->client, m_connected->port);
    m_connected.reset();
  }
  const std::lock_guard<std::mutex> lock(m_mutex);
  m_connectedName.clear();
}

void AlsaMidiInput::Handle(const snd_seq_event_t& ev) {
  const bool fromConnected =
      m_connected && ev.source.client == m_connected->client && ev.source.port == m_connected->port;
  MidiInEvent event;
  event.time = MidiInNow();
  switch (ev.type) {
    case SND_SEQ_EVENT_NOTEON:
    case SND_SEQ_EVENT_NOTEOFF:
      event.kind = ev.type == SND_SEQ_EVENT_NOTEON ? MidiInEvent::Kind::kNoteOn
                                                   : MidiInEvent::Kind::kNoteOff;
      event.channel = ev.data.note.channel;
      event.number = ev.data.note.note;
      event.value = ev.data.note.velocity;
      if (fromConnected) {
        Deliver(event);
      }
      break;
    case SND_SEQ_EVENT_CONTROLLER:
      event.kind = MidiInEvent::Kind::kController;
      event.channel = ev.data.control.channel;
      event.number = static_cast<std::uint8_t>(ev.data.control.param);
      event.value = static_cast<std::uint8_t>(ev.data.control.value);
      if (fromConnected) {
        Deliver(event);
      }
      break;
    case SND_SEQ_EVENT_PORT_START:
      if (!m_connected) {
        std::string choice;
        {
          const std::lock_guard<std::mutex> lock(m_mutex);
          choice = m_choice;
        }
        const auto port = DescribePort(m_seq, ev.data.addr.client, ev.data.addr.port);
        if (choice != kMidiInOff && port && Matches(*port, choice)) {
          Connect(*port);
        }
      }
      break;
    case SND_SEQ_EVENT_PORT_EXIT:
    case SND_SEQ_EVENT_CLIENT_EXIT:
      if (m_connected && ev.data.addr.client == m_connected->client &&
          (ev.type == SND_SEQ_EVENT_CLIENT_EXIT || ev.data.addr.port == m_connected->port)) {
        m_connected.reset();
        // Another keyboard may still be there for "the first".
        Rechoose();
      }
      break;
    default:
      break;
  }
}

void AlsaMidiInput::Deliver(const MidiInEvent& event) {
  EventHandler handler;
  {
    const std::lock_guard<std::mutex> lock(m_mutex);
    handler = m_handler;
  }
  if (handler) {
    handler(event);
  }
}

}  // namespace

std::unique_ptr<MidiInput> OpenAlsaMidiInput(std::string* why) {
  const char* env = std::getenv("KUMOITO_MIDI_IN");
  if (env != nullptr && std::string_view(env) == "none") {
    if (why != nullptr) {
      *why = "MIDI input is turned off (KUMOITO_MIDI_IN=none)";
    }
    return nullptr;
  }
  snd_seq_t* seq = OpenSequencer();
  if (seq == nullptr) {
    if (why != nullptr) {
      *why = "the ALSA sequencer cannot be opened";
    }
    return nullptr;
  }
  snd_seq_set_client_name(seq, std::string(kOwnClientName).c_str());
  const int own = snd_seq_create_simple_port(
      seq, "Kumoito in", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
      SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
  int wake[2] = {-1, -1};
  if (own < 0 || pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
    snd_seq_close(seq);
    if (why != nullptr) {
      *why = "no port of our own could be made on the sequencer";
    }
    return nullptr;
  }
  // Without the announcements a keyboard plugged in later goes unseen; the
  // input still works with what is there.
  snd_seq_connect_from(seq, own, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE);
  return std::make_unique<AlsaMidiInput>(seq, own, wake[0], wake[1]);
}

std::vector<MidiInPortInfo> ListAlsaMidiInputs() {
  std::vector<MidiInPortInfo> out;
  snd_seq_t* seq = OpenSequencer();
  if (seq == nullptr) {
    return out;
  }
  for (ListedPort& port : ListPorts(seq)) {
    out.push_back(std::move(port.info));
  }
  snd_seq_close(seq);
  return out;
}

}  // namespace kumoito::midi
