#include "common/file_util.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "common/report.h"

namespace kumoito {
namespace {

constexpr std::size_t kLargeReadBuffer = 983040;

// A file descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() {
    if (m_fd >= 0) {
      ::close(m_fd);
    }
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return m_fd; }
  int release() {
    int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

std::error_code NotARegularFileCode();

// Opens a regular file for reading. Anything else counts as unopenable:
// folders, as they did for the file class this replaces, and devices, FIFOs
// and sockets, which a score or settings path (or a link from one) may name
// but which are no files of ours. O_NONBLOCK keeps open() from waiting for
// a FIFO's writer; it changes nothing for a regular file.
int OpenRegular(const std::string& path, std::error_code& why, struct stat* st = nullptr) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    why = std::error_code(errno, std::generic_category());
    return -1;
  }
  struct stat own;
  struct stat* at = st != nullptr ? st : &own;
  if (::fstat(fd, at) != 0) {
    why = std::error_code(errno, std::generic_category());
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(at->st_mode)) {
    why = S_ISDIR(at->st_mode) ? std::make_error_code(std::errc::is_a_directory)
                               : NotARegularFileCode();
    ::close(fd);
    return -1;
  }
  return fd;
}

int OpenForReading(const std::string& path) {
  std::error_code ignored;
  return OpenRegular(path, ignored);
}

// Reads until n bytes have come or the file ends; returns the count.
std::size_t ReadFully(int fd, unsigned char* out, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    ssize_t got = ::read(fd, out + done, n - done);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool WriteFully(int fd, const unsigned char* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    ssize_t put = ::write(fd, data + done, n - done);
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      if (put == 0) {
        errno = ENOSPC;  // a write that takes nothing has no room left
      }
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

void ReportCannotOpen(std::string_view prefix, const std::string& path) {
  std::string line(prefix);
  line += path;
  ReportRaw(line);
  ReportGeneralError(kGeneCannotOpenFile, path);
}

std::atomic<unsigned> g_tempCounter{0};
thread_local std::error_code g_lastWriteError;
std::atomic<WriteFailureNotice> g_writeFailureNotice{nullptr};
constexpr int kMaxLinkHops = 40;

class FileErrorCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "kumoito-file"; }
  std::string message(int) const override { return "not a regular file"; }
};

}  // namespace

std::error_code NotARegularFileError() {
  static const FileErrorCategory category;
  return {1, category};
}

namespace {

std::error_code NotARegularFileCode() {
  return NotARegularFileError();
}

// Follows symbolic links from path to the name the bytes should go to. A
// link whose target does not exist yet leads to that target, so that writing
// creates it rather than replacing the link.
std::optional<std::string> ResolveLinks(const std::string& path, std::error_code& why) {
  std::string at = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st;
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      return at;
    }
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
    const ssize_t length = ::readlink(at.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
      why = std::error_code(length < 0 ? errno : ENAMETOOLONG, std::generic_category());
      return std::nullopt;
    }
    target.resize(static_cast<std::size_t>(length));
    if (target.front() != '/') {
      const std::string::size_type slash = at.rfind('/');
      target = slash == std::string::npos ? target : at.substr(0, slash + 1) + target;
    }
    at = std::move(target);
  }
  why = std::error_code(ELOOP, std::generic_category());
  return std::nullopt;
}

std::string FolderOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a folder entry durable: the rename that put a file there survives a
// power loss once this returns.
void SyncFolder(const std::string& folder) {
  Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) {
    ::fsync(fd.get());
  }
}

constexpr const char* kTempMark = ".tmp-";

// NAME.tmp-PID-N beside target, NAME being the target's file name, cut (at
// a character's start) where the whole would not fit in a folder entry: a
// name that cannot be created would leave only the unsafe in-place write.
std::string TempName(const std::string& target) {
  const std::string::size_type slash = target.rfind('/');
  const std::string::size_type nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string suffix =
      kTempMark + std::to_string(::getpid()) + "-" + std::to_string(g_tempCounter.fetch_add(1));
  std::size_t keep = target.size() - nameStart;
  if (keep + suffix.size() > NAME_MAX) {
    keep = NAME_MAX - suffix.size();
    while (keep > 1 && (static_cast<unsigned char>(target[nameStart + keep]) & 0xC0) == 0x80) {
      --keep;
    }
  }
  return target.substr(0, nameStart + keep) + suffix;
}

// Fills a new file, gives it the mode of the file it replaces and, when asked,
// makes its bytes durable. errno says why when it fails.
bool FillNewFile(int fd, const unsigned char* data, std::size_t n, const struct stat* replaced,
                 WriteDurability durability) {
  return (replaced == nullptr || ::fchmod(fd, replaced->st_mode & 07777) == 0) &&
         WriteFully(fd, data, n) && (durability == WriteDurability::kOrdinary || ::fsync(fd) == 0);
}

// The bytes go to an unnamed file in the target's folder (O_TMPFILE), which
// is given a name only once it is complete: a process killed while writing
// leaves nothing behind. Returns -1 with errno when the file system (or the
// kernel) has no unnamed files, so that a named temporary is used instead.
int WriteUnnamed(const std::string& target, const unsigned char* data, std::size_t n,
                 const struct stat* replaced, WriteDurability durability) {
#ifdef O_TMPFILE
  Fd fd(::open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    return -1;
  }
  if (!FillNewFile(fd.get(), data, n, replaced, durability)) {
    return 0;
  }
  // A name that cannot be given (no /proc, or a folder that takes no new
  // entries) sends the caller on to a named temporary file, which says why.
  const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
  if (replaced == nullptr) {
    // Nothing to replace: the finished file takes the target's name at once.
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 1
                                                                                              : -1;
  }
  // linkat never replaces, so the finished file gets a temporary name for
  // the moment of the rename.
  const std::string temp = TempName(target);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    return -1;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int why = errno;
    ::unlink(temp.c_str());
    errno = why;
    return 0;
  }
  return 1;
#else
  errno = EOPNOTSUPP;
  return -1;
#endif
}

// The same with a named temporary file beside the target; a kill leaves it,
// and RemoveStaleTempFiles clears it at the next start. -1 when no file can
// be created in the folder.
int WriteNamed(const std::string& target, const unsigned char* data, std::size_t n,
               const struct stat* replaced, WriteDurability durability) {
  std::string temp;
  int raw = -1;
  for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
    temp = TempName(target);
    // Mode 0666 lets the umask decide, as creating the file directly would.
    raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw < 0 && errno != EEXIST) {
      break;
    }
  }
  if (raw < 0) {
    return -1;
  }
  Fd fd(raw);
  bool ok = FillNewFile(fd.get(), data, n, replaced, durability);
  int why = errno;
  if (::close(fd.release()) != 0 && ok) {
    ok = false;
    why = errno;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    why = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    errno = why;
    return 0;
  }
  return 1;
}

// Overwrites an existing regular file with n bytes and cuts it there. The
// file is opened without truncation so that it is never empty for longer
// than the write takes.
bool WriteInPlace(const std::string& target, const unsigned char* data, std::size_t n,
                  WriteDurability durability) {
  Fd fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st;
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return false;
  }
  const bool ok = WriteFully(fd.get(), data, n) &&
                  ::ftruncate(fd.get(), static_cast<off_t>(n)) == 0 &&
                  (durability == WriteDurability::kOrdinary || ::fsync(fd.get()) == 0);
  return (::close(fd.release()) == 0) && ok;
}

// True when the regular file at target (whose stat is st) already holds
// exactly these n bytes.
bool HoldsBytes(const std::string& target, const struct stat& st, const unsigned char* data,
                std::size_t n) {
  if (static_cast<std::uintmax_t>(st.st_size) != n) {
    return false;
  }
  const int fd = OpenForReading(target);
  if (fd < 0) {
    return false;
  }
  std::vector<unsigned char> held(n);
  const bool same = ReadFully(fd, held.data(), n) == n && std::memcmp(held.data(), data, n) == 0;
  ::close(fd);
  return same;
}

// The largest process id plus one, as the kernel hands them out.
long PidLimit() {
  static const long limit = [] {
    long value = 0;
    std::error_code why;
    char text[32] = {};
    const std::optional<std::size_t> got =
        ReadFileAt("/proc/sys/kernel/pid_max", 0, text, sizeof text - 1, why);
    if (got && *got > 0) {
      value = std::strtol(text, nullptr, 10);
    }
    // Without /proc the largest limit Linux allows stands.
    return value > 0 ? value : 4194304L;
  }();
  return limit;
}

// The digits-only number at the start of text (at most 9 digits), its end
// in end; -1 when text does not start with a digit.
long LeadingNumber(const char* text, const char*& end) {
  long value = 0;
  end = text;
  while (*end >= '0' && *end <= '9' && end - text < 9) {
    value = value * 10 + (*end - '0');
    ++end;
  }
  return end == text || (*end >= '0' && *end <= '9') ? -1 : value;
}

// The process id in a name a writer made (NAME.tmp-PID-N), or 0 when the
// name is none of those.
long TempNamePid(const std::string& name) {
  const std::string::size_type mark = name.rfind(kTempMark);
  if (mark == std::string::npos || mark == 0) {
    return 0;
  }
  const char* end = nullptr;
  const long pid = LeadingNumber(name.c_str() + mark + std::strlen(kTempMark), end);
  if (pid <= 0 || *end != '-') {
    return 0;
  }
  const char* counterEnd = nullptr;
  if (LeadingNumber(end + 1, counterEnd) < 0 || *counterEnd != '\0') {
    return 0;
  }
  return pid < PidLimit() ? pid : 0;
}

bool IsStaleTempName(const std::string& name) {
  const long pid = TempNamePid(name);
  return pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

bool FileExists(const std::string& path) {
  Fd fd(OpenForReading(path));
  return fd.get() >= 0;
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path, std::error_code& why) {
  struct stat st;
  Fd fd(OpenRegular(path, why, &st));
  if (fd.get() < 0) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit,
                                         std::error_code& why) {
  struct stat st;
  Fd fd(OpenRegular(path, why, &st));
  if (fd.get() < 0) {
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(st.st_size) > limit) {
    why = std::make_error_code(std::errc::file_too_large);
    return std::nullopt;
  }
  // The size is a hint: a file that grows while it is read is still cut at
  // the limit, one byte past it telling that it went over.
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got =
      ReadFully(fd.get(), reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
  bytes.resize(got);
  if (got == static_cast<std::size_t>(st.st_size)) {
    char more[4096];
    while (bytes.size() <= limit) {
      const std::size_t extra = ReadFully(fd.get(), reinterpret_cast<unsigned char*>(more),
                                          std::min(sizeof more, limit + 1 - bytes.size()));
      if (extra == 0) {
        break;
      }
      bytes.append(more, extra);
    }
  }
  if (bytes.size() > limit) {
    why = std::make_error_code(std::errc::file_too_large);
    return std::nullopt;
  }
  why.clear();
  return bytes;
}

std::optional<std::size_t> ReadFileAt(const std::string& path, std::uint64_t offset, void* buffer,
                                      std::size_t n, std::error_code& why,
                                      std::uint64_t* fileSize) {
  struct stat st;
  Fd fd(OpenRegular(path, why, &st));
  if (fd.get() < 0) {
    return std::nullopt;
  }
  if (fileSize != nullptr) {
    *fileSize = static_cast<std::uint64_t>(st.st_size);
  }
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got = ::pread(fd.get(), out + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      why = std::error_code(errno, std::generic_category());
      return std::nullopt;
    }
    if (got == 0) {
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  why.clear();
  return done;
}

std::uint32_t GetFileSize32(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    return 0;
  }
  auto size = static_cast<std::uint64_t>(st.st_size);
  if (size > 0xFFFFFFFFu) {
    ReportGeneralError(kGeneFileSizeError);
  }
  return static_cast<std::uint32_t>(size & 0xFFFFFFFFu);
}

bool ReadFileExact(const std::string& path, void* buffer, std::size_t n) {
  Fd fd(OpenForReading(path));
  if (fd.get() < 0) {
    ReportCannotOpen("\nfile_name=", path);
    return false;
  }
  if (ReadFully(fd.get(), static_cast<unsigned char*>(buffer), n) < n) {
    ReportGeneralError(kGeneDataTooLarge);
  }
  return true;
}

bool ReadFileBytes(const std::string& path, void* buffer, std::size_t n, std::size_t& count) {
  Fd fd(OpenForReading(path));
  if (fd.get() < 0) {
    ReportCannotOpen("\n file_name=", path);
    count = 0;
    return false;
  }
  count = ReadFully(fd.get(), static_cast<unsigned char*>(buffer), n);
  if (n == kLargeReadBuffer && count == kLargeReadBuffer) {
    ReportGeneralError(kGeneDataTooLarge);
  }
  return true;
}

namespace {

bool WriteFileAtomically(const std::string& path, const void* buffer, std::size_t n,
                         WriteDurability durability, bool reported) {
  g_lastWriteError.clear();
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  const auto fail = [&path, reported](std::error_code why) {
    g_lastWriteError = why;
    if (!reported) {
      return false;
    }
    ReportCannotOpen("\n file_name=", path);
    if (const WriteFailureNotice notice = g_writeFailureNotice.load()) {
      notice(path, why);
    }
    return false;
  };
  const auto failErrno = [&fail](int error) {
    return fail(std::error_code(error, std::generic_category()));
  };
  std::error_code why;
  const std::optional<std::string> resolved = ResolveLinks(path, why);
  if (!resolved) {
    return fail(why);
  }
  const std::string& target = *resolved;
  struct stat st;
  const bool replacing = ::stat(target.c_str(), &st) == 0;
  if (replacing && S_ISDIR(st.st_mode)) {
    return failErrno(EISDIR);
  }
  // Only a regular file is ever replaced: renaming over a device node or a
  // FIFO a link points at would put a file in its place.
  if (replacing && !S_ISREG(st.st_mode)) {
    return fail(NotARegularFileError());
  }
  // The scratch score and the settings are rewritten at every start, mostly
  // unchanged; the two flushes of a durable write cost more than the rest of
  // a conversion, and bytes already on disk need neither.
  if (durability == WriteDurability::kDurable && replacing && HoldsBytes(target, st, bytes, n)) {
    return true;
  }
  const struct stat* replaced = replacing ? &st : nullptr;
  int done = WriteUnnamed(target, bytes, n, replaced, durability);
  if (done < 0) {
    done = WriteNamed(target, bytes, n, replaced, durability);
  }
  if (done < 0) {
    const int cause = errno;
    // A folder the user may not write can still hold a file they may:
    // replacing it in place loses the all-or-nothing write, not the file.
    if (replacing && WriteInPlace(target, bytes, n, durability)) {
      return true;
    }
    return failErrno(cause);
  }
  if (done == 0) {
    return failErrno(errno);
  }
  if (durability == WriteDurability::kDurable) {
    SyncFolder(FolderOf(target));
  }
  return true;
}

}  // namespace

bool WriteFileBytes(const std::string& path, const void* buffer, std::size_t n,
                    WriteDurability durability) {
  return WriteFileAtomically(path, buffer, n, durability, true);
}

bool WriteFileQuietly(const std::string& path, std::string_view bytes) {
  return WriteFileAtomically(path, bytes.data(), bytes.size(), WriteDurability::kOrdinary, false);
}

int RemoveStaleTempFiles(const std::string& folder) {
  int removed = 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!IsStaleTempName(name)) {
      continue;
    }
    // lstat: a link is never followed to what it names, nor removed.
    struct stat st;
    const std::string path = it->path().string();
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::unlink(path.c_str()) == 0) {
      ++removed;
    }
  }
  return removed;
}

void SetWriteFailureNotice(WriteFailureNotice notice) {
  g_writeFailureNotice = notice;
}

std::error_code LastWriteError() {
  return g_lastWriteError;
}

bool MakeDirectories(const std::string& folder) {
  if (folder.empty()) {
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && joined.back() != '/') {
    joined += '/';
  }
  joined += name;
  return joined;
}

namespace {

// $VARIABLE, or the home folder's fallback beneath it.
std::string XdgBase(const char* variable, const char* homeFallback) {
  const char* xdg = std::getenv(variable);
  if (xdg != nullptr && *xdg != '\0') {
    return xdg;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* pw = ::getpwuid(::getuid());
    home = (pw != nullptr && pw->pw_dir != nullptr) ? pw->pw_dir : "/tmp";
  }
  return JoinPath(home, homeFallback);
}

}  // namespace

std::string GetDataFolder() {
  std::string folder = JoinPath(XdgBase("XDG_CONFIG_HOME", ".config"), "Kumoito");
  MakeDirectories(folder);
  return folder;
}

std::string GetCacheFolder() {
  return JoinPath(XdgBase("XDG_CACHE_HOME", ".cache"), "Kumoito");
}

}  // namespace kumoito
