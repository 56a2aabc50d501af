#include "common/file_util.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

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

// Opens a regular file for reading; folders count as unopenable, as they did
// for the file class this replaces.
int OpenForReading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return -1;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
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

// Overwrites an existing regular file with n bytes and cuts it there. The
// file is opened without truncation so that it is never empty for longer
// than the write takes.
bool WriteInPlace(const std::filesystem::path& target, const unsigned char* data, std::size_t n) {
  Fd fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
  struct stat st;
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return false;
  }
  const bool ok =
      WriteFully(fd.get(), data, n) && ::ftruncate(fd.get(), static_cast<off_t>(n)) == 0;
  return (::close(fd.release()) == 0) && ok;
}

}  // namespace

bool FileExists(const std::string& path) {
  Fd fd(OpenForReading(path));
  return fd.get() >= 0;
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

bool WriteFileBytes(const std::string& path, const void* buffer, std::size_t n) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // Replace the file a symbolic link points at, not the link itself.
  fs::path target(path);
  if (fs::is_symlink(target, ec)) {
    fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) {
      target = resolved;
    }
  }
  g_lastWriteError.clear();
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  const auto fail = [&path](int error) {
    g_lastWriteError = std::error_code(error, std::generic_category());
    ReportCannotOpen("\n file_name=", path);
    return false;
  };
  struct stat st;
  const bool replacing = ::stat(target.c_str(), &st) == 0;
  if (replacing && S_ISDIR(st.st_mode)) {
    return fail(EISDIR);
  }
  std::string temp;
  int raw = -1;
  for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
    temp = target.string() + ".tmp-" + std::to_string(::getpid()) + "-" +
           std::to_string(g_tempCounter.fetch_add(1));
    // Mode 0666 lets the umask decide, as creating the file directly would.
    raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw < 0 && errno != EEXIST) {
      break;
    }
  }
  if (raw < 0) {
    const int why = errno;
    // A folder the user may not write can still hold a file they may:
    // replacing it in place loses the all-or-nothing write, not the file.
    if (replacing && WriteInPlace(target, bytes, n)) {
      return true;
    }
    return fail(why);
  }
  Fd fd(raw);
  bool ok =
      (!replacing || ::fchmod(fd.get(), st.st_mode & 07777) == 0) && WriteFully(fd.get(), bytes, n);
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
    return fail(why);
  }
  return true;
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

std::string GetDataFolder() {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg != '\0') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
      const passwd* pw = ::getpwuid(::getuid());
      home = (pw != nullptr && pw->pw_dir != nullptr) ? pw->pw_dir : "/tmp";
    }
    base = JoinPath(home, ".config");
  }
  std::string folder = JoinPath(base, "Kumoito");
  MakeDirectories(folder);
  return folder;
}

}  // namespace kumoito
