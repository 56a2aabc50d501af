#include "song/edit_history.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <span>
#include <type_traits>

#include "song/song_data.h"

namespace kumoito {
namespace {

// Changed bytes closer than this are kept as one run: a run's header costs
// as much as the bytes between.
constexpr std::size_t kJoinGap = 8;
constexpr std::size_t kRunHeader = 8;
// Steps larger than this (a cut or lengthened song, new song information)
// are kept compressed; one note is a few dozen bytes and stays plain.
constexpr std::size_t kCompressAbove = 512;

template <typename T>
auto Bytes(T& member) {
  static_assert(std::is_trivially_copyable_v<std::remove_const_t<T>>);
  using Byte = std::conditional_t<std::is_const_v<T>, const unsigned char, unsigned char>;
  return std::span<Byte>(reinterpret_cast<Byte*>(&member), sizeof(T));
}

// The song's state, block by block, in one fixed order.
template <typename Song>
auto StateBlocks(Song& song) {
  return std::array{
      Bytes(song.m_beatChords),   Bytes(song.m_cells),           Bytes(song.m_info),
      Bytes(song.m_measureCount), Bytes(song.m_beatsPerMeasure), Bytes(song.m_headerWord),
      Bytes(song.m_keyIndex),     Bytes(song.m_freeText),        Bytes(song.m_beatMarkA),
      Bytes(song.m_beatMarkB),    Bytes(song.m_lowestPitch),     Bytes(song.m_highestPitch),
      Bytes(song.m_keyName),      Bytes(song.m_extraTexts),      Bytes(song.m_marks)};
}

void PutU32(std::vector<unsigned char>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<unsigned char>(v >> (8 * i)));
  }
}

std::uint32_t GetU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// First offset from `from` where a and b differ; size when none.
std::size_t FirstDifference(const unsigned char* a, const unsigned char* b, std::size_t from,
                            std::size_t size) {
  constexpr std::size_t kBlock = 64;
  while (from + kBlock <= size && std::memcmp(a + from, b + from, kBlock) == 0) {
    from += kBlock;
  }
  while (from < size && a[from] == b[from]) {
    ++from;
  }
  return from;
}

// The runs that turn before into after.
std::vector<unsigned char> DiffRuns(const std::vector<unsigned char>& before,
                                    const std::vector<unsigned char>& after) {
  std::vector<unsigned char> runs;
  const std::size_t size = before.size();
  std::size_t at = FirstDifference(before.data(), after.data(), 0, size);
  while (at < size) {
    std::size_t end = at + 1;
    for (;;) {
      while (end < size && before[end] != after[end]) {
        ++end;
      }
      const std::size_t next = FirstDifference(before.data(), after.data(), end, size);
      if (next >= size || next - end > kJoinGap) {
        break;
      }
      end = next;
    }
    PutU32(runs, static_cast<std::uint32_t>(at));
    PutU32(runs, static_cast<std::uint32_t>(end - at));
    runs.insert(runs.end(), before.begin() + static_cast<std::ptrdiff_t>(at),
                before.begin() + static_cast<std::ptrdiff_t>(end));
    runs.insert(runs.end(), after.begin() + static_cast<std::ptrdiff_t>(at),
                after.begin() + static_cast<std::ptrdiff_t>(end));
    at = FirstDifference(before.data(), after.data(), end, size);
  }
  return runs;
}

// Writes bytes at offset of the song's state, across blocks where needed.
void WriteState(CSongData& song, std::size_t offset, const unsigned char* data,
                std::size_t length) {
  std::size_t blockStart = 0;
  for (const std::span<unsigned char> block : StateBlocks(song)) {
    const std::size_t blockEnd = blockStart + block.size();
    if (length > 0 && offset < blockEnd) {
      const std::size_t inBlock = offset - blockStart;
      const std::size_t n = std::min(length, block.size() - inBlock);
      std::memcpy(block.data() + inBlock, data, n);
      offset += n;
      data += n;
      length -= n;
    }
    blockStart = blockEnd;
  }
}

}  // namespace

std::size_t SongStateSize() {
  return sizeof(CSongData::m_beatChords) + sizeof(CSongData::m_cells) + sizeof(CSongData::m_info) +
         sizeof(CSongData::m_measureCount) + sizeof(CSongData::m_beatsPerMeasure) +
         sizeof(CSongData::m_headerWord) + sizeof(CSongData::m_keyIndex) +
         sizeof(CSongData::m_freeText) + sizeof(CSongData::m_beatMarkA) +
         sizeof(CSongData::m_beatMarkB) + sizeof(CSongData::m_lowestPitch) +
         sizeof(CSongData::m_highestPitch) + sizeof(CSongData::m_keyName) +
         sizeof(CSongData::m_extraTexts) + sizeof(CSongData::m_marks);
}

void CaptureSongState(const CSongData& song, std::vector<unsigned char>& state) {
  state.resize(SongStateSize());
  std::size_t at = 0;
  for (const auto block : StateBlocks(song)) {
    std::memcpy(state.data() + at, block.data(), block.size());
    at += block.size();
  }
  assert(at == state.size());
}

EditHistory::EditHistory(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1)) {}

void EditHistory::BeginEdit(const CSongData& song, std::string_view name, std::int64_t ownerState) {
  if (m_depth++ > 0) {
    return;
  }
  m_pendingName = name;
  m_pendingOwner = ownerState;
  CaptureSongState(song, m_before);
}

bool EditHistory::CommitEdit(const CSongData& song, std::int64_t ownerState) {
  if (m_depth == 0 || --m_depth > 0) {
    return false;
  }
  CaptureSongState(song, m_now);
  Step step;
  step.runs = DiffRuns(m_before, m_now);
  if (step.runs.empty() && ownerState == m_pendingOwner) {
    return false;
  }
  step.name = std::move(m_pendingName);
  step.ownerBefore = m_pendingOwner;
  step.ownerAfter = ownerState;
  if (step.runs.size() > kCompressAbove) {
    uLongf packedSize = compressBound(static_cast<uLong>(step.runs.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, step.runs.data(),
                  static_cast<uLong>(step.runs.size()), Z_BEST_SPEED) == Z_OK &&
        packedSize < step.runs.size()) {
      packed.resize(packedSize);
      packed.shrink_to_fit();
      step.rawSize = step.runs.size();
      step.runs = std::move(packed);
    }
  }
  step.runs.shrink_to_fit();
  m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
  m_steps.push_back(std::move(step));
  if (m_steps.size() > m_capacity) {
    m_steps.pop_front();
  }
  m_done = m_steps.size();
  return true;
}

bool EditHistory::Apply(CSongData& song, const Step& step, bool after) {
  std::vector<unsigned char> inflated;
  const unsigned char* runs = step.runs.data();
  std::size_t size = step.runs.size();
  if (step.rawSize != 0) {
    inflated.resize(step.rawSize);
    uLongf got = static_cast<uLongf>(step.rawSize);
    if (uncompress(inflated.data(), &got, step.runs.data(), static_cast<uLong>(step.runs.size())) !=
            Z_OK ||
        got != step.rawSize) {
      return false;
    }
    runs = inflated.data();
    size = inflated.size();
  }
  const std::size_t stateSize = SongStateSize();
  for (std::size_t at = 0; at + kRunHeader <= size;) {
    const std::size_t offset = GetU32(runs + at);
    const std::size_t length = GetU32(runs + at + 4);
    at += kRunHeader;
    if (offset + length > stateSize || at + 2 * length > size) {
      return false;  // cannot happen with runs we wrote; never write past the song
    }
    WriteState(song, offset, runs + at + (after ? length : 0), length);
    at += 2 * length;
  }
  return true;
}

std::optional<EditHistory::Applied> EditHistory::Undo(CSongData& song) {
  if (!CanUndo()) {
    return std::nullopt;
  }
  const Step& step = m_steps[m_done - 1];
  if (!Apply(song, step, false)) {
    return std::nullopt;
  }
  --m_done;
  return Applied{step.name, step.ownerBefore};
}

std::optional<EditHistory::Applied> EditHistory::Redo(CSongData& song) {
  if (!CanRedo()) {
    return std::nullopt;
  }
  const Step& step = m_steps[m_done];
  if (!Apply(song, step, true)) {
    return std::nullopt;
  }
  ++m_done;
  return Applied{step.name, step.ownerAfter};
}

std::string_view EditHistory::UndoName() const {
  return CanUndo() ? std::string_view(m_steps[m_done - 1].name) : std::string_view();
}

std::string_view EditHistory::RedoName() const {
  return CanRedo() ? std::string_view(m_steps[m_done].name) : std::string_view();
}

void EditHistory::Clear() {
  m_steps.clear();
  m_done = 0;
  m_depth = 0;
  m_pendingName.clear();
}

std::size_t EditHistory::MemoryBytes() const {
  std::size_t bytes = m_before.capacity() + m_now.capacity();
  for (const Step& step : m_steps) {
    bytes += sizeof(Step) + step.runs.capacity() + step.name.capacity();
  }
  return bytes;
}

}  // namespace kumoito
