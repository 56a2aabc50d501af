#include "tests/song/song_test_util.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>

#include "song/score_layout.h"

namespace kumoito::test {

namespace fs = std::filesystem;
namespace L = score_layout;

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  m_path = fs::temp_directory_path() /
           ("kumoito-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(m_path);
  fs::create_directories(m_path);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(m_path, ec);
}

namespace {

bool SetImmutable(const fs::path& folder, bool on) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return false;
  }
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
}

}  // namespace

LockedFolder::LockedFolder(fs::path path) : m_folder(std::move(path)) {
  std::error_code ec;
  m_isFolder = fs::is_directory(m_folder, ec);
  if (::geteuid() == 0) {
    m_immutable = SetImmutable(m_folder, true);
  } else {
    fs::permissions(m_folder,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, ec);
  }
  // Believe only a write that fails.
  const fs::path probe = m_isFolder ? m_folder / "lock-probe" : m_folder;
  const int fd = m_isFolder ? ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)
                            : ::open(probe.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    Unlock();
    if (m_isFolder) {
      fs::remove(probe, ec);
    }
  } else {
    m_locked = true;
  }
}

LockedFolder::~LockedFolder() {
  Unlock();
}

void LockedFolder::Unlock() {
  std::error_code ec;
  if (m_immutable) {
    SetImmutable(m_folder, false);
    m_immutable = false;
  }
  fs::permissions(m_folder, m_isFolder ? fs::perms::owner_all : fs::perms::owner_write,
                  fs::perm_options::add, ec);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void PutLE32(Bytes& b, std::size_t offset, std::int32_t v) {
  auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) {
    b[offset + i] = static_cast<unsigned char>(u >> (8 * i));
  }
}

void PutLE16(Bytes& b, std::size_t offset, std::int16_t v) {
  auto u = static_cast<std::uint16_t>(v);
  b[offset] = static_cast<unsigned char>(u);
  b[offset + 1] = static_cast<unsigned char>(u >> 8);
}

std::int32_t GetLE32(const Bytes& b, std::size_t offset) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) {
    u |= static_cast<std::uint32_t>(b[offset + i]) << (8 * i);
  }
  return static_cast<std::int32_t>(u);
}

void PutText(Bytes& b, std::size_t offset, const std::string& text) {
  std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
}

Bytes MakeCurrentImage(std::size_t size, std::int32_t measures, std::int16_t beats,
                       std::int32_t key) {
  Bytes b(std::max(size, L::kFileSize), 0);
  for (int c = 0; c < kMaxCells; ++c) {
    const std::size_t p = L::kCellBlock + c * L::kCellRecordSize;
    const bool measureStart = c % 2 == 0 && (beats <= 0 || (c / 2) % beats == 0);
    PutLE32(b, p, measureStart ? SLOT_REST : SLOT_HOLD);
    PutLE32(b, p + 4, SLOT_HOLD);
    PutLE32(b, p + 8, SLOT_NONE);
  }
  PutLE32(b, L::kInfoBlock + L::kInfoValueB, 1);
  PutLE32(b, L::kInfoBlock + L::kInfoTempo, 120);
  PutLE32(b, L::kHeader + L::kHeaderMeasureCount, measures);
  PutLE16(b, L::kHeader + L::kHeaderBeatsPerMeasure, beats);
  PutLE16(b, L::kHeader + L::kHeaderWord, 1);
  PutLE32(b, L::kHeader + L::kHeaderKey, key);
  b.resize(size);
  return b;
}

Loaded LoadBytes(const TempDir& dir, const Bytes& bytes, std::int32_t beats, std::int32_t key,
                 std::int32_t measures) {
  const std::string path = dir.Path("song.mwd");
  WriteFile(path, bytes);
  Loaded loaded{nullptr, beats, key, measures};
  loaded.song = CSongData::LoadOrCreate(path, loaded.beats, loaded.key, loaded.measures);
  return loaded;
}

std::unique_ptr<CSongData> NewSong(std::int32_t measures, std::int32_t beats, std::int32_t key) {
  return CSongData::LoadOrCreate("", beats, key, measures);
}

}  // namespace kumoito::test
