#include "midi/smf.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

#include "common/bytes.h"
#include "common/file_util.h"
#include "midi/midi_report.h"
#include "midi/track_ops.h"

namespace kumoito::midi {
namespace {

constexpr std::string_view kLargeEventText = "サイズが大きすぎるイベントが含まれています。";
constexpr std::string_view kBadNoteNumberText =
    "内部処理のエラーでノートナンバーが異常になりましたので０に修正しました。";

std::atomic<bool> g_largeMetaWritten{false};
std::atomic<bool> g_largeEventRead{false};
std::atomic<bool> g_badNoteRead{false};

void ReportOnce(std::atomic<bool>& flag, ErrorCode code, std::string_view text) {
  // A foreign file read for its notes must not use up the one report the
  // program's own tracks get.
  if (ReportsDivertedOnThisThread()) {
    ReportTrackError(code, text);
    return;
  }
  if (!flag.exchange(true)) {
    ReportTrackError(code, text);
  }
}

bool IsId(const unsigned char* p, const char* id) {
  return std::memcmp(p, id, 4) == 0;
}

// Reads a variable-length number of at most four bytes without passing end.
bool ReadVariableLength(const unsigned char* bytes, std::size_t end, std::size_t& pos,
                        std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= end) {
      return false;
    }
    const unsigned char b = bytes[pos++];
    value = (value << 7) | (b & 0x7Fu);
    if ((b & 0x80) == 0) {
      return true;
    }
  }
  return true;  // a fifth continuation byte is not ours to follow; the next read sees it
}

std::unique_ptr<MidiEvent> NewEvent(std::int32_t kind, std::int32_t delta, std::int32_t channel) {
  auto e = std::make_unique<MidiEvent>();
  e->kind = kind;
  e->delta = delta;
  e->channel = channel;
  return e;
}

unsigned char DataByte(std::int32_t v) {
  return static_cast<unsigned char>(std::clamp(v, 0, 127));
}

// Appends one event's bytes (after its delta) to out; false when the event
// writes nothing.
bool EncodeEvent(const MidiEvent& e, std::vector<unsigned char>& out) {
  auto channel = [&]() {
    if (e.channel < 0 || e.channel > 15) {
      ReportTrackError(kTrackBadChannel);
    }
    return static_cast<unsigned char>(e.channel & 0x0F);
  };
  auto note = [&]() {
    return static_cast<unsigned char>(e.note >= 0 && e.note <= 127 ? e.note : 0);
  };
  auto stored = [&]() {
    if (e.data && e.dataLength > 0) {
      out.insert(out.end(), e.data.get(), e.data.get() + e.dataLength);
      return true;
    }
    return false;
  };
  switch (e.kind) {
    case EV_NOTE_OFF:
      out.insert(out.end(), {static_cast<unsigned char>(0x80 | channel()), note(), 64});
      return true;
    case EV_NOTE_ON:
      out.insert(out.end(),
                 {static_cast<unsigned char>(0x90 | channel()), note(), DataByte(e.velocity)});
      return true;
    case EV_CONTROL:
      out.insert(out.end(),
                 {static_cast<unsigned char>(0xB0 | channel()),
                  DataByte(static_cast<std::int32_t>(e.subtype & 0x7F)), DataByte(e.value)});
      return true;
    case EV_PROGRAM:
      out.insert(out.end(), {static_cast<unsigned char>(0xC0 | channel()), DataByte(e.value)});
      return true;
    case EV_CHANNEL_PRESSURE:
      out.insert(out.end(), {static_cast<unsigned char>(0xD0 | channel()), DataByte(e.value)});
      return true;
    case EV_PITCH_BEND:
      out.insert(out.end(), {static_cast<unsigned char>(0xE0 | channel()),
                             static_cast<unsigned char>(e.note & 0x7F),
                             static_cast<unsigned char>(e.value & 0x7F)});
      return true;
    case EV_POLY_PRESSURE:
      if (e.dataLength > kLargeDataLength) {
        ReportTrackError(kTrackLargePolyPressure);
      }
      return stored();
    case EV_SYSEX:
    case EV_SYSEX_CONTINUATION:
      return stored();
    case EV_META: {
      const auto type = static_cast<unsigned char>(e.subtype & 0x7F);
      out.push_back(0xFF);
      out.push_back(type);
      if (type == META_END_OF_TRACK) {
        out.push_back(0);
        return true;
      }
      if (type == META_TEMPO) {
        const auto v = static_cast<std::uint32_t>(e.value);
        out.insert(out.end(), {3, static_cast<unsigned char>(v >> 16),
                               static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
        return true;
      }
      if (type == META_TIME_SIGNATURE) {
        out.push_back(4);
        for (int i = 0; i < 4; ++i) {
          out.push_back(e.data && i < e.dataLength ? e.data[static_cast<std::size_t>(i)] : 0);
        }
        return true;
      }
      const std::int32_t length = e.data ? e.dataLength : 0;
      if (length > 128 && type != 0x7F) {
        ReportOnce(g_largeMetaWritten, kTrackLargeEvent, kLargeEventText);
      }
      std::size_t n = static_cast<std::size_t>(length);
      if (type == 0x01 || type == 0x02 || type == 0x03 || type == 0x06 || type == 0x7F) {
        auto len = EncodeVariableLength(static_cast<std::uint32_t>(n));
        out.insert(out.end(), len.begin(), len.end());
      } else {
        // A one-byte length above 127 would read as a continued number.
        n = std::min<std::size_t>(n, 127);
        out.push_back(static_cast<unsigned char>(n));
      }
      if (n > 0) {
        out.insert(out.end(), e.data.get(), e.data.get() + n);
      }
      return true;
    }
    case EV_DELETED:
      return false;
    default:
      ReportTrackError(kTrackUndefinedEvent);
      return false;
  }
}

void CheckLargeEvent(const MidiEvent& e) {
  const bool modelTimbre = e.kind == EV_SYSEX && e.subtype == SYSEX_MODEL_TIMBRE;
  if (!modelTimbre && e.dataLength >= kLargeDataLength) {
    ReportOnce(g_largeEventRead, kTrackLargeEvent, kLargeEventText);
  }
}

void EmptyForm2Track(MidiSequence& sequence) {
  sequence.track = std::make_unique<MidiTrack>(sequence.capacity);
  sequence.track->form = FORM_NOTES;
  sequence.form = FORM_NOTES;
}

}  // namespace

void ResetOncePerRunReports() {
  g_largeMetaWritten = false;
  g_largeEventRead = false;
  g_badNoteRead = false;
}

std::vector<unsigned char> EncodeVariableLength(std::uint32_t value) {
  value = std::min<std::uint32_t>(value, 0x0FFFFFFF);
  unsigned char groups[4];
  int n = 0;
  do {
    groups[n++] = static_cast<unsigned char>(value & 0x7F);
    value >>= 7;
  } while (value != 0 && n < 4);
  std::vector<unsigned char> out;
  for (int i = n - 1; i >= 0; --i) {
    out.push_back(static_cast<unsigned char>(groups[i] | (i > 0 ? 0x80 : 0)));
  }
  return out;
}

std::uint32_t SysexClass(const unsigned char* d, std::int32_t length, std::int32_t* value) {
  auto at = [&](std::int32_t i) -> int { return i < length ? d[i] : -1; };
  auto matches = [&](std::int32_t from, std::initializer_list<int> bytes) {
    std::int32_t i = from;
    for (int b : bytes) {
      if (at(i++) != b) {
        return false;
      }
    }
    return true;
  };
  auto set = [&](std::int32_t i) {
    if (value != nullptr && at(i) >= 0) {
      *value = at(i);
    }
  };
  if (length < 2 || d[0] != 0xF0) {
    return 0;
  }
  if (matches(2, {0x7F, 0x7F, 0x04, 0x01}) && length >= 8) {
    set(7);
    return SYSEX_MASTER_VOLUME;
  }
  if (matches(2, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x04}) && length >= 10) {
    set(9);
    return SYSEX_MASTER_VOLUME;
  }
  if (matches(2, {0x7F, 0x7F, 0x04, 0x02}) && length >= 8) {
    set(7);
    return 40;
  }
  if (matches(2, {0x7E, 0x7F, 0x09, 0x01})) {
    return SYSEX_GM_SYSTEM_ON;
  }
  if (matches(2, {0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F})) {
    return 19;
  }
  if (matches(2, {0x43, 0x79, 0x06, 0x7F})) {
    return SYSEX_MODEL_TIMBRE;
  }
  return 0;
}

void ParseTrackChunk(const unsigned char* bytes, std::size_t capacity, MidiTrack& track,
                     std::size_t available, std::size_t start) {
  track.events.clear();
  track.buffer.clear();
  track.byteLength = 0;
  track.position = 0;
  const std::size_t end = std::min(available, capacity);
  if (bytes == nullptr || start > end || end - start < kChunkHeaderLength ||
      !(IsId(bytes + start, "MTrk") || IsId(bytes + start, "XFIH") ||
        IsId(bytes + start, "XFKM"))) {
    ReportTrackError(kTrackNotMidi);
    track.form = FORM_ON_OFF;
    return;
  }
  const std::uint64_t chunkLength = std::uint64_t{LoadBE32(bytes + start + 4)} + kChunkHeaderLength;
  if (chunkLength > end - start || chunkLength > track.capacity) {
    ReportTrackError(kTrackInternal);
    track.form = FORM_ON_OFF;
    return;
  }
  const auto length = static_cast<std::size_t>(chunkLength);
  track.buffer.assign(bytes + start, bytes + start + length);
  track.byteLength = static_cast<std::int32_t>(length);
  const unsigned char* b = track.buffer.data();

  std::size_t pos = kChunkHeaderLength;
  unsigned char previous = 0;
  while (pos < length) {
    std::uint32_t delta = 0;
    if (!ReadVariableLength(b, length, pos, delta) || pos >= length) {
      ReportTrackError(kTrackInternal);
      break;
    }
    if (track.EventCount() >= track.EventRoom()) {
      ReportTrackError(kTrackTooMuchData);
      break;
    }
    const std::size_t eventStart = pos;
    unsigned char status = b[pos];
    if (status >= 0x80) {
      ++pos;
    } else if (previous >= 0x80 && previous < 0xF0) {
      status = previous;  // running status: this byte is already data
    } else {
      ReportTrackError(kTrackUndefinedEvent);
      break;
    }
    const auto d = static_cast<std::int32_t>(delta & 0x7FFFFFFF);
    std::unique_ptr<MidiEvent> e;
    if (status < 0xF0) {
      const int kind = status & 0xF0;
      const std::size_t count = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
      if (length - pos < count) {
        ReportTrackError(kTrackInternal);
        break;
      }
      const int d1 = b[pos];
      const int d2 = count == 2 ? b[pos + 1] : 0;
      pos += count;
      e = NewEvent(kind, d, status & 0x0F);
      switch (kind) {
        case 0x90:
          if (d2 == 0) {
            e->kind = EV_NOTE_OFF;
          }
          e->note = d1;
          e->velocity = d2;
          if (d1 >= 128) {
            ReportOnce(g_badNoteRead, kTrackBadNoteNumber, kBadNoteNumberText);
            e->note = 0;
            e->velocity = 0;
          }
          break;
        case 0x80:
          e->note = d1;
          e->velocity = d2;
          break;
        case 0xA0:
          e->note = d1;
          e->value = d2;
          break;
        case 0xB0:
          e->subtype = static_cast<std::uint32_t>(d1);
          e->value = d2;
          break;
        case 0xC0:
          e->value = d1;
          if (d1 >= 128) {
            ReportTrackError(kTrackBadProgram);
            e->value = 0;
          }
          break;
        case 0xD0:
          e->value = d1;
          break;
        default:  // 0xE0
          e->note = d1 & 0x7F;
          e->value = d2 & 0x7F;
          break;
      }
      // The raw bytes always carry the status, running or not.
      unsigned char raw[3] = {status, static_cast<unsigned char>(d1),
                              static_cast<unsigned char>(d2)};
      SetEventData(*e, raw, static_cast<std::int32_t>(count + 1));
      previous = status;
    } else if (status == 0xF0) {
      const unsigned char* f7 =
          static_cast<const unsigned char*>(std::memchr(b + pos, 0xF7, length - pos));
      if (f7 == nullptr) {
        ReportTrackError(kTrackInternal);
        break;
      }
      const auto n = static_cast<std::size_t>(f7 - (b + eventStart)) + 1;
      e = NewEvent(EV_SYSEX, d, kNoChannel);
      SetEventData(*e, b + eventStart, static_cast<std::int32_t>(n));
      std::int32_t level = 0;
      e->subtype = SysexClass(b + eventStart, static_cast<std::int32_t>(n), &level);
      e->value = level;
      pos = eventStart + n;
      previous = status;
    } else if (status == 0xF7) {
      if (pos >= length || length - pos - 1 < b[pos]) {
        ReportTrackError(kTrackInternal);
        break;
      }
      const std::size_t n = 2 + b[pos];
      e = NewEvent(EV_SYSEX_CONTINUATION, d, kNoChannel);
      SetEventData(*e, b + eventStart, static_cast<std::int32_t>(n));
      pos = eventStart + n;
      previous = status;
    } else if (status == 0xFF) {
      if (pos >= length) {
        ReportTrackError(kTrackInternal);
        break;
      }
      const unsigned char type = b[pos++];
      e = NewEvent(EV_META, d, kNoChannel);
      e->subtype = type;
      std::size_t fixed = 0;
      bool isFixed = true;
      switch (type) {
        case 0x00:
          fixed = 2;
          break;
        case 0x20:
          fixed = 1;
          break;
        case 0x2F:
          fixed = 0;
          break;
        case 0x51:
          fixed = 3;
          break;
        case 0x54:
          fixed = 5;
          break;
        case 0x58:
          fixed = 4;
          break;
        case 0x59:
          fixed = 2;
          break;
        default:
          isFixed = false;
          break;
      }
      std::size_t n = fixed;
      if (isFixed) {
        // The stored length byte is skipped, not trusted.
        if (length - pos < 1 + fixed) {
          ReportTrackError(kTrackInternal);
          break;
        }
        ++pos;
      } else {
        std::uint32_t len = 0;
        if (!ReadVariableLength(b, length, pos, len) || len > length - pos) {
          ReportTrackError(kTrackInternal);
          break;
        }
        n = len;
      }
      const unsigned char* payload = b + pos;
      pos += n;
      if (type == META_END_OF_TRACK) {
        const unsigned char eot[] = {0xFF, 0x2F, 0x00};
        SetEventData(*e, eot, 3);
      } else {
        SetEventData(*e, payload, static_cast<std::int32_t>(n));
      }
      if (type == META_TEMPO) {
        e->value = static_cast<std::int32_t>((payload[0] << 16) | (payload[1] << 8) | payload[2]);
        if (e->value == 0) {
          ReportTrackError(kTrackBadTempo);
          e->value = 500000;
        }
      } else if (type == META_TIME_SIGNATURE) {
        const int numerator = payload[0];
        const int exponent = payload[1];
        // A denominator must fit the low byte of the packed value.
        if (numerator == 0 || exponent == 0 || exponent > 7) {
          ReportTrackError(kTrackBadTimeSignature);
          e->value = 4 * 256 + 4;
        } else {
          e->value = numerator * 256 + (1 << exponent);
        }
      } else if (type == 0x09) {
        e->subtype = 0x04;
      } else if (!isFixed && !((type >= 0x01 && type <= 0x07) || type == 0x7F)) {
        e->kind = EV_DELETED;
      }
    } else {
      ReportTrackError(kTrackUndefinedEvent);
      break;
    }
    CheckLargeEvent(*e);
    track.events.push_back(std::move(e));
  }
  // Reading goes on past an end of track, so a damaged chunk may hold
  // several, or events after its end.
  KeepOneEndOfTrackLast(track);
  track.form = FORM_ON_OFF;
}

bool SerializeTrack(MidiTrack& track) {
  if (track.form != FORM_ON_OFF || track.events.empty() || !IsEndOfTrack(*track.events.back())) {
    ReportTrackError(kTrackInternal);
    return false;
  }
  std::vector<unsigned char>& out = track.buffer;
  out.assign(kChunkHeaderLength, 0);
  out.reserve(std::min<std::size_t>(track.capacity, 64 * 1024));
  const std::size_t limit = track.capacity > kTrackReserve ? track.capacity - kTrackReserve : 0;
  std::vector<unsigned char> bytes;
  std::int64_t carry = 0;
  for (const auto& e : track.events) {
    bytes.clear();
    const std::int64_t delta = carry + std::max(e->delta, 0);
    if (!EncodeEvent(*e, bytes)) {
      carry = delta;  // an event that writes nothing keeps its time for the next
      continue;
    }
    carry = 0;
    auto vl =
        EncodeVariableLength(static_cast<std::uint32_t>(std::min<std::int64_t>(delta, 0x0FFFFFFF)));
    // Checked per event, so a long system exclusive cannot run past the buffer.
    if (out.size() + vl.size() + bytes.size() > limit) {
      ReportTrackError(kTrackAddFailed);
      break;
    }
    out.insert(out.end(), vl.begin(), vl.end());
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  std::memcpy(out.data(), "MTrk", 4);
  StoreBE32(out.data() + 4, static_cast<std::uint32_t>(out.size() - kChunkHeaderLength));
  track.byteLength = static_cast<std::int32_t>(out.size());
  track.form = FORM_BYTES;
  return true;
}

void ConvertToOnOff(MidiSequence& sequence) {
  if (sequence.form != FORM_NOTES || !sequence.track) {
    ReportFormat0Error(kFormat0Internal);
    return;
  }
  ExpandNotes(*sequence.track);
  sequence.form = FORM_ON_OFF;
}

void ConvertToNotes(MidiSequence& sequence) {
  if (sequence.form != FORM_ON_OFF || !sequence.track) {
    ReportFormat0Error(kFormat0Internal);
    return;
  }
  CollapseNotes(*sequence.track);
  sequence.form = FORM_NOTES;
}

bool MakeByteImage(MidiSequence& sequence) {
  if (sequence.form != FORM_ON_OFF || !sequence.track) {
    ReportFormat0Error(kFormat0Internal);
    return false;
  }
  OrderSimultaneousEvents(*sequence.track);
  if (!SerializeTrack(*sequence.track)) {
    return false;
  }
  const std::vector<unsigned char>& image = sequence.track->buffer;
  sequence.buffer.assign(kHeaderLength + image.size(), 0);
  unsigned char* h = sequence.buffer.data();
  std::memcpy(h, "MThd", 4);
  StoreBE32(h + 4, 6);
  StoreBE16(h + 8, 0);
  StoreBE16(h + 10, 1);
  StoreBE16(h + 12, static_cast<std::uint16_t>(sequence.division));
  std::memcpy(h + kHeaderLength, image.data(), image.size());
  sequence.dataLength = static_cast<std::int32_t>(sequence.buffer.size());
  sequence.track.reset();
  sequence.form = FORM_BYTES;
  return true;
}

bool WriteSequenceFile(MidiSequence& sequence, const std::string& path) {
  switch (sequence.form) {
    case FORM_NOTES: {
      ConvertToOnOff(sequence);
      const bool ok = WriteSequenceFile(sequence, path);
      ConvertToNotes(sequence);
      return ok;
    }
    case FORM_ON_OFF: {
      if (!MakeByteImage(sequence)) {
        return false;
      }
      const bool ok = WriteFileBytes(path, sequence.buffer.data(),
                                     static_cast<std::size_t>(sequence.dataLength));
      sequence.track = std::make_unique<MidiTrack>(sequence.capacity);
      ParseTrackChunk(sequence.buffer.data(), sequence.buffer.size(), *sequence.track,
                      static_cast<std::size_t>(sequence.dataLength), kHeaderLength);
      sequence.form = FORM_ON_OFF;
      return ok;
    }
    case FORM_BYTES:
      return WriteFileBytes(path, sequence.buffer.data(),
                            static_cast<std::size_t>(std::max(sequence.dataLength, 0)));
    default:
      ReportFormat0Error(kFormat0Internal);
      return false;
  }
}

void ReadSequenceImage(MidiSequence& sequence, const unsigned char* bytes, std::size_t length) {
  length = std::min<std::size_t>(length, sequence.capacity);
  const std::size_t original = length;
  sequence.buffer.assign(bytes, bytes + length);
  sequence.dataLength = static_cast<std::int32_t>(length);
  sequence.position = 0;
  unsigned char* b = sequence.buffer.data();

  bool format0 = false;
  if (length >= 4 && IsId(b, "MThd")) {
    format0 = true;
  } else if (length >= kMacBinaryLength + 4 && IsId(b + kMacBinaryLength, "MThd")) {
    std::memmove(b, b + kMacBinaryLength, length - kMacBinaryLength);
    length -= kMacBinaryLength;
    sequence.dataLength = static_cast<std::int32_t>(length);
    format0 = true;
  }
  if (format0) {
    format0 = length >= kHeaderLength && LoadBE16(b + 8) == 0 && LoadBE16(b + 10) == 1;
  }
  if (format0) {
    sequence.division = LoadBE16(b + 12);
    sequence.track = std::make_unique<MidiTrack>(sequence.capacity);
    ParseTrackChunk(b, sequence.buffer.size(), *sequence.track, length, kHeaderLength);
    sequence.form = FORM_ON_OFF;
    ConvertToNotes(sequence);
    return;
  }
  Format1File file = ReadFormat1Image(bytes, original);
  EmptyForm2Track(sequence);
  if (!file.ok) {
    return;
  }
  sequence.division = file.division;
  sequence.track = MergeFormat1Tracks(file);
  sequence.form = FORM_ON_OFF;
  ConvertToNotes(sequence);
}

void ReadSequenceFile(MidiSequence& sequence, const std::string& path, std::uint32_t capacity) {
  sequence.capacity = capacity;
  std::vector<unsigned char> bytes(capacity);
  std::size_t count = 0;
  if (!ReadFileBytes(path, bytes.data(), bytes.size(), count)) {
    // Already reported by the file layer: an empty performance.
    sequence.buffer.clear();
    sequence.dataLength = 0;
    EmptyForm2Track(sequence);
    return;
  }
  ReadSequenceImage(sequence, bytes.data(), count);
}

Format1File ReadFormat1File(const std::string& path) {
  if (GetFileSize32(path) > kBufferCapacity) {
    ReportFormat1Error(kFormat1TooLarge);
    return {};
  }
  std::vector<unsigned char> bytes(kBufferCapacity);
  std::size_t count = 0;
  if (!ReadFileBytes(path, bytes.data(), bytes.size(), count)) {
    return {};
  }
  return ReadFormat1Image(bytes.data(), count);
}

Format1File ReadFormat1Image(const unsigned char* bytes, std::size_t length) {
  Format1File file;
  if (length == 0) {
    return file;
  }
  if (length >= 4 && IsId(bytes, "MThd")) {
  } else if (length >= kMacBinaryLength + 4 && IsId(bytes + kMacBinaryLength, "MThd")) {
    bytes += kMacBinaryLength;
    length -= kMacBinaryLength;
  } else {
    ReportFormat1Error(kFormat1NotMidi);
    return file;
  }
  if (length < kHeaderLength || LoadBE16(bytes + 8) != 1) {
    ReportFormat1Error(kFormat1NotFormat1);
    return file;
  }
  std::size_t trackCount = LoadBE16(bytes + 10);
  if (trackCount >= 64) {
    ReportFormat1Error(kFormat1TrackCount);
    trackCount = 32;
  }
  file.division = LoadBE16(bytes + 12);
  std::size_t pos = kHeaderLength;
  for (std::size_t i = 0; i < trackCount && length - pos >= kChunkHeaderLength; ++i) {
    auto track = std::make_unique<MidiTrack>();
    ParseTrackChunk(bytes, length, *track, length, pos);
    file.tracks.push_back(std::move(track));
    const std::uint64_t next = pos + kChunkHeaderLength + std::uint64_t{LoadBE32(bytes + pos + 4)};
    if (next > length) {
      break;
    }
    pos = static_cast<std::size_t>(next);
  }

  int volumes = 0;
  for (const auto& t : file.tracks) {
    for (const auto& e : t->events) {
      volumes += e->kind == EV_SYSEX && e->subtype == SYSEX_MASTER_VOLUME;
    }
  }
  if (volumes > 1) {
    ReportFormat1Error(kFormat1MasterVolumes);
  } else if (volumes == 0) {
    if (file.tracks.empty()) {
      file.tracks.push_back(std::make_unique<MidiTrack>());
      file.tracks.back()->form = FORM_ON_OFF;
    }
    const unsigned char volume[] = {0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x7F, 0xF7};
    auto e = NewEvent(EV_SYSEX, 0, kNoChannel);
    SetEventData(*e, volume, sizeof volume);
    e->subtype = SYSEX_MASTER_VOLUME;
    e->value = 127;
    auto& first = file.tracks.front()->events;
    first.insert(first.begin(), std::move(e));
  }
  file.ok = true;
  return file;
}

std::unique_ptr<MidiTrack> MergeFormat1Tracks(Format1File& file) {
  auto merged = std::make_unique<MidiTrack>();
  merged->form = FORM_ON_OFF;
  struct Cursor {
    std::vector<std::unique_ptr<MidiEvent>>* events;
    std::size_t index = 0;
    std::int64_t time = 0;  // absolute time of events[index]
  };
  std::vector<Cursor> cursors;
  for (auto& t : file.tracks) {
    cursors.push_back({&t->events, 0, 0});
  }
  if (!cursors.empty()) {
    auto& first = *cursors.front().events;
    for (std::size_t i = 0; i < first.size(); ++i) {
      if (first[i]->kind == EV_META && first[i]->subtype == META_TRACK_NAME) {
        auto name = std::move(first[i]);
        first.erase(first.begin() + static_cast<std::ptrdiff_t>(i));
        if (i < first.size()) {
          first[i]->delta = ClampTicks(std::int64_t{first[i]->delta} + name->delta);
        }
        name->delta = 0;
        AppendEvent(*merged, std::move(name));
        break;
      }
    }
  }
  for (auto& c : cursors) {
    if (!c.events->empty()) {
      c.time = (*c.events)[0]->delta;
    }
  }
  std::int64_t now = 0;
  std::int64_t end = 0;
  for (;;) {
    Cursor* best = nullptr;
    for (auto& c : cursors) {
      if (c.index < c.events->size() && (best == nullptr || c.time < best->time)) {
        best = &c;
      }
    }
    if (best == nullptr) {
      break;
    }
    auto e = std::move((*best->events)[best->index]);
    const std::int64_t t = best->time;
    if (++best->index < best->events->size()) {
      best->time += (*best->events)[best->index]->delta;
    }
    end = std::max(end, t);
    // Each track's own end is replaced by one end after the last event.
    if (!e || IsEndOfTrack(*e) || e->kind == EV_DELETED) {
      continue;
    }
    e->delta = ClampTicks(t - now);
    now = t;
    if (!AppendEvent(*merged, std::move(e))) {
      break;
    }
  }
  auto eot = NewEvent(EV_META, ClampTicks(end - now), kNoChannel);
  eot->subtype = META_END_OF_TRACK;
  const unsigned char bytes[] = {0xFF, 0x2F, 0x00};
  SetEventData(*eot, bytes, 3);
  if (merged->EventCount() >= merged->EventRoom()) {
    merged->events.pop_back();
  }
  merged->events.push_back(std::move(eot));
  return merged;
}

}  // namespace kumoito::midi
