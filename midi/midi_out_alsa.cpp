// "Device 0": the first ALSA sequencer port that accepts output, reached
// through a port of our own with direct (unqueued) delivery.

#include <cstdint>
#include <memory>
#include <vector>

#include <alsa/asoundlib.h>

#include "midi/midi_out_backends.h"

namespace kumoito::midi {
namespace {

constexpr unsigned kWanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;

struct PortAddress {
  int client;
  int port;
};

// Lists writable ports of other clients, in client and port order.
std::vector<PortAddress> ListPorts(snd_seq_t* seq) {
  std::vector<PortAddress> out;
  snd_seq_client_info_t* client = nullptr;
  snd_seq_port_info_t* port = nullptr;
  snd_seq_client_info_malloc(&client);
  snd_seq_port_info_malloc(&port);
  const int self = snd_seq_client_id(seq);
  snd_seq_client_info_set_client(client, -1);
  while (snd_seq_query_next_client(seq, client) >= 0) {
    const int id = snd_seq_client_info_get_client(client);
    if (id == self || id == SND_SEQ_CLIENT_SYSTEM) {
      continue;
    }
    snd_seq_port_info_set_client(port, id);
    snd_seq_port_info_set_port(port, -1);
    while (snd_seq_query_next_port(seq, port) >= 0) {
      if ((snd_seq_port_info_get_capability(port) & kWanted) == kWanted) {
        out.push_back({id, snd_seq_port_info_get_port(port)});
      }
    }
  }
  snd_seq_port_info_free(port);
  snd_seq_client_info_free(client);
  return out;
}

class AlsaPort final : public MidiOutPort {
 public:
  AlsaPort(snd_seq_t* seq, int ownPort, snd_midi_event_t* encoder)
      : m_seq(seq), m_port(ownPort), m_encoder(encoder) {}
  ~AlsaPort() override { Close(); }

  bool SendShort(std::uint32_t packed) override {
    const unsigned char bytes[3] = {static_cast<unsigned char>(packed),
                                    static_cast<unsigned char>(packed >> 8),
                                    static_cast<unsigned char>(packed >> 16)};
    const int status = bytes[0] & 0xF0;
    const std::size_t n = (status == 0xC0 || status == 0xD0) ? 2 : 3;
    return Send(bytes, n);
  }
  bool SendLong(const unsigned char* bytes, std::size_t length) override {
    return Send(bytes, length);
  }
  bool Reset() override {
    if (m_seq == nullptr) {
      return false;
    }
    bool ok = true;
    for (unsigned char channel = 0; channel < 16; ++channel) {
      const unsigned char off[3] = {static_cast<unsigned char>(0xB0 | channel), 123, 0};
      ok = Send(off, 3) && ok;
    }
    return ok;
  }
  bool Close() override {
    if (m_seq == nullptr) {
      return false;
    }
    snd_midi_event_free(m_encoder);
    const bool ok = snd_seq_close(m_seq) == 0;
    m_seq = nullptr;
    return ok;
  }

 private:
  bool Send(const unsigned char* bytes, std::size_t length) {
    if (m_seq == nullptr) {
      return false;
    }
    snd_midi_event_reset_encode(m_encoder);
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    if (snd_midi_event_encode(m_encoder, bytes, static_cast<long>(length), &ev) <= 0 ||
        ev.type == SND_SEQ_EVENT_NONE) {
      return false;
    }
    snd_seq_ev_set_source(&ev, m_port);
    snd_seq_ev_set_subs(&ev);
    snd_seq_ev_set_direct(&ev);
    return snd_seq_event_output_direct(m_seq, &ev) >= 0;
  }

  snd_seq_t* m_seq;
  int m_port;
  snd_midi_event_t* m_encoder;
};

// Failures are reported as MDCT lines by the caller; ALSA's own lines on
// standard error would only repeat them.
void QuietError(const char*, int, const char*, int, const char*, ...) {}

snd_seq_t* OpenSequencer() {
  snd_lib_error_set_handler(&QuietError);
  snd_seq_t* seq = nullptr;
  if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
    return nullptr;
  }
  return seq;
}

}  // namespace

int CountAlsaOutputPorts() {
  snd_seq_t* seq = OpenSequencer();
  if (seq == nullptr) {
    return 0;
  }
  const int n = static_cast<int>(ListPorts(seq).size());
  snd_seq_close(seq);
  return n;
}

std::unique_ptr<MidiOutPort> OpenAlsaPort(int client, int port) {
  snd_seq_t* seq = OpenSequencer();
  if (seq == nullptr) {
    return nullptr;
  }
  snd_seq_set_client_name(seq, "Kumoito");
  PortAddress target{client, port};
  if (client < 0) {
    const auto ports = ListPorts(seq);
    if (ports.empty()) {
      snd_seq_close(seq);
      return nullptr;
    }
    target = ports.front();
  }
  const int own = snd_seq_create_simple_port(
      seq, "Kumoito out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
      SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
  snd_midi_event_t* encoder = nullptr;
  if (own < 0 || snd_seq_connect_to(seq, own, target.client, target.port) < 0 ||
      snd_midi_event_new(4096, &encoder) < 0) {
    snd_seq_close(seq);
    return nullptr;
  }
  return std::make_unique<AlsaPort>(seq, own, encoder);
}

}  // namespace kumoito::midi
