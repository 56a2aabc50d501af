#include "app/recovery_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "common/bytes.h"
#include "common/file_util.h"

namespace kumoito {
namespace {

namespace R = recovery_layout;

constexpr const char* kNamePrefix = "recovery-";
constexpr const char* kRecoverySuffix = ".krec";
constexpr const char* kLockSuffix = ".lock";
// A file an earlier process of this one's number left: no lock says anything
// about it, so it is renamed out of the way under this prefix.
constexpr const char* kOrphanPrefix = "recovery-orphan-";

std::uint32_t Crc32(const unsigned char* data, std::size_t size) {
  uLong crc = ::crc32(0L, Z_NULL, 0);
  while (size > 0) {
    const auto chunk = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
    crc = ::crc32(crc, data, chunk);
    data += chunk;
    size -= chunk;
  }
  return static_cast<std::uint32_t>(crc);
}

void PutLE32(std::vector<unsigned char>& out, std::uint32_t v) {
  const std::size_t at = out.size();
  out.resize(at + 4);
  StoreLE32(out.data() + at, v);
}

bool EndsWith(std::string_view s, std::string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// The process number in a name of ours ("recovery-PID.krec"); 0 for any
// other name.
long ProcessOfName(std::string_view name, std::string_view suffix) {
  const std::string_view prefix = kNamePrefix;
  if (name.substr(0, prefix.size()) != prefix || !EndsWith(name, suffix)) {
    return 0;
  }
  const std::string_view digits =
      name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return 0;
  }
  return std::stol(std::string(digits));
}

std::string NameFor(long pid, const char* suffix) {
  return kNamePrefix + std::to_string(pid) + suffix;
}

std::string LockPathOf(const std::string& recoveryPath) {
  return recoveryPath.substr(0, recoveryPath.size() - std::strlen(kRecoverySuffix)) + kLockSuffix;
}

// True when no running process holds the lock at lockPath (a missing lock
// file has no holder). With removeWhenFree the free lock file goes, while
// it is held, so that no process can take a lock on a name about to vanish.
bool LockIsFree(const std::string& lockPath, bool removeWhenFree) {
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return errno == ENOENT;
  }
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (free && removeWhenFree) {
    ::unlink(lockPath.c_str());
  }
  ::close(fd);
  return free;
}

}  // namespace

std::vector<unsigned char> EncodeRecovery(const RecoveredSong& song) {
  std::vector<unsigned char> out(R::kMagic, R::kMagic + sizeof R::kMagic);
  out.reserve(R::kHeaderSize + song.sourcePath.size() + song.score.size() + R::kChecksumSize);
  PutLE32(out, R::kVersion);
  PutLE32(out, static_cast<std::uint32_t>(song.firstStringValue));
  PutLE32(out, static_cast<std::uint32_t>(song.tuning));
  PutLE32(out, static_cast<std::uint32_t>(song.key));
  PutLE32(out, static_cast<std::uint32_t>(song.sourcePath.size()));
  PutLE32(out, static_cast<std::uint32_t>(song.score.size()));
  out.insert(out.end(), song.sourcePath.begin(), song.sourcePath.end());
  out.insert(out.end(), song.score.begin(), song.score.end());
  PutLE32(out, Crc32(out.data(), out.size()));
  return out;
}

std::optional<RecoveredSong> DecodeRecovery(const unsigned char* data, std::size_t size) {
  if (size < R::kHeaderSize + R::kChecksumSize ||
      std::memcmp(data, R::kMagic, sizeof R::kMagic) != 0 || LoadLE32(data + 8) != R::kVersion) {
    return std::nullopt;
  }
  const std::size_t pathLength = LoadLE32(data + 24);
  const std::size_t scoreLength = LoadLE32(data + 28);
  // Each length is bounded before they are added, so the sum cannot wrap.
  if (pathLength > R::kMaxPathLength || scoreLength > R::kMaxScoreLength ||
      size != R::kHeaderSize + pathLength + scoreLength + R::kChecksumSize) {
    return std::nullopt;
  }
  const std::size_t body = size - R::kChecksumSize;
  if (LoadLE32(data + body) != Crc32(data, body)) {
    return std::nullopt;
  }
  RecoveredSong song;
  song.firstStringValue = LoadLE32Signed(data + 12);
  song.tuning = LoadLE32Signed(data + 16);
  song.key = LoadLE32Signed(data + 20);
  const unsigned char* path = data + R::kHeaderSize;
  song.sourcePath.assign(reinterpret_cast<const char*>(path), pathLength);
  song.score.assign(path + pathLength, path + pathLength + scoreLength);
  return song;
}

std::optional<RecoveredSong> ReadRecoveryFile(const std::string& path) {
  // One byte more than the largest file tells a longer one from a whole one.
  std::vector<unsigned char> buffer(R::kMaxFileSize + 1);
  std::size_t count = 0;
  if (!ReadFileBytes(path, buffer.data(), buffer.size(), count) || count > R::kMaxFileSize) {
    return std::nullopt;
  }
  return DecodeRecovery(buffer.data(), count);
}

bool WriteRecoveryFile(const std::string& path, const RecoveredSong& song) {
  const std::vector<unsigned char> bytes = EncodeRecovery(song);
  return WriteFileBytes(path, bytes.data(), bytes.size(), WriteDurability::kDurable);
}

RecoveryStore::RecoveryStore(std::string folder) : m_folder(std::move(folder)) {
  const long pid = ::getpid();
  m_path = JoinPath(m_folder, NameFor(pid, kRecoverySuffix));
  m_lockPath = JoinPath(m_folder, NameFor(pid, kLockSuffix));
  // Another window's start may hold our lock file for a moment while it
  // looks whether its owner runs, and may remove it if it found it free
  // just before we came: the lock counts once the name still leads to it.
  for (int attempt = 0; attempt < 200 && m_lockFd < 0; ++attempt) {
    const int fd = ::open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
      return;
    }
    struct stat held {
    }, named{};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
        ::stat(m_lockPath.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
        held.st_dev == named.st_dev) {
      m_lockFd = fd;
      break;
    }
    ::close(fd);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  struct stat st {};
  if (::stat(m_path.c_str(), &st) == 0) {
    const std::string aside = JoinPath(
        m_folder, kOrphanPrefix + std::to_string(pid) + "-" + std::to_string(st.st_mtim.tv_sec) +
                      "-" + std::to_string(st.st_mtim.tv_nsec) + kRecoverySuffix);
    ::rename(m_path.c_str(), aside.c_str());
  }
}

RecoveryStore::~RecoveryStore() {
  if (m_lockFd >= 0) {
    ::unlink(m_lockPath.c_str());
    ::close(m_lockFd);
  }
}

std::vector<std::string> RecoveryStore::Orphans() const {
  std::vector<std::pair<std::int64_t, std::string>> found;
  DIR* dir = ::opendir(m_folder.c_str());
  if (dir == nullptr) {
    return {};
  }
  const long self = ::getpid();
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (const long pid = ProcessOfName(name, kLockSuffix); pid != 0) {
      // A lock whose window ended with nothing unsaved.
      if (pid != self && !FileExists(JoinPath(m_folder, NameFor(pid, kRecoverySuffix)))) {
        LockIsFree(JoinPath(m_folder, name), true);
      }
      continue;
    }
    const std::string path = JoinPath(m_folder, name);
    const bool aside = name.rfind(kOrphanPrefix, 0) == 0 && EndsWith(name, kRecoverySuffix);
    const long pid = ProcessOfName(name, kRecoverySuffix);
    if (!aside && (pid == 0 || pid == self || !LockIsFree(LockPathOf(path), false))) {
      continue;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      continue;
    }
    const std::int64_t when =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    found.emplace_back(when, path);
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  std::vector<std::string> paths;
  for (auto& [when, path] : found) {
    paths.push_back(std::move(path));
  }
  return paths;
}

bool RecoveryStore::Write(const RecoveredSong& song) const {
  return WriteRecoveryFile(m_path, song);
}

void RecoveryStore::Remove() const {
  ::unlink(m_path.c_str());
}

void RecoveryStore::ForgetOrphan(const std::string& recoveryPath) {
  ::unlink(recoveryPath.c_str());
  LockIsFree(LockPathOf(recoveryPath), true);
}

}  // namespace kumoito
