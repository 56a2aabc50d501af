#pragma once
// Small file operations shared by every reader and writer of the program:
// the one way an input is read (regular files only, never waiting on a FIFO
// or a device, never more bytes than the caller can use) and the one way an
// output is written (all or nothing), with the coded reports that the score,
// settings and Standard MIDI File readers rely on. Paths are plain byte
// strings of any length; nothing here cuts a path.
//
// Thread-safety: every function may be called from any thread; two threads
// writing the same path at once get one of the two files, never a mixture.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace kumoito {

// True if path names a regular file that can be opened for reading.
bool FileExists(const std::string& path);

// The cause given for a path (or a link's end) that is a folder, FIFO,
// device or socket where a regular file was needed: "not a regular file".
std::error_code NotARegularFileError();

// The size of the regular file at path, which is opened (without waiting
// for a FIFO's writer) to be sure it is one. nullopt, with why, otherwise.
std::optional<std::uint64_t> RegularFileSize(const std::string& path, std::error_code& why);

// The whole regular file at path. A file of more than limit bytes is not
// read: nullopt with why = std::errc::file_too_large. Other failures give
// the system's cause or NotARegularFileError(). Reports nothing.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit,
                                         std::error_code& why);

// Up to n bytes of the regular file at path from offset; returns how many
// came (fewer at the file's end). fileSize, when given, receives the size.
// Reports nothing.
std::optional<std::size_t> ReadFileAt(const std::string& path, std::uint64_t offset, void* buffer,
                                      std::size_t n, std::error_code& why,
                                      std::uint64_t* fileSize = nullptr);

// Size of the file from its directory entry; 0 for a folder or a missing
// file. A size that needs more than 32 bits is reported (GENE 0100000D) and
// its low 32 bits are returned.
std::uint32_t GetFileSize32(const std::string& path);

// Reads exactly n bytes into buffer. Returns false (with a report) when the
// file cannot be opened; a short read is reported but still returns true,
// the missing bytes left as they were.
bool ReadFileExact(const std::string& path, void* buffer, std::size_t n);

// Reads up to n bytes; count receives how many came. A buffer filled to the
// last of 983040 bytes is reported as possibly too small.
bool ReadFileBytes(const std::string& path, void* buffer, std::size_t n, std::size_t& count);

enum class WriteDurability {
  kOrdinary,  // the system writes the bytes out when it likes
  kDurable,   // on disk before the call returns: a power loss leaves the old file or the new
};

// Replaces the file with n bytes. The bytes go to a temporary file in the
// same folder which is then renamed over the target, so a write that fails
// part-way, or a process killed during it, leaves the previous file as it
// was; where the file system allows, the temporary file has no name until it
// is complete. Where no file may be created in the folder but the target
// itself may be written, the target is overwritten in place. A symbolic link
// is followed (a dangling one creates its target); only a regular file is
// ever replaced. A durable write of the very bytes the file holds leaves it
// untouched (no flush, same inode). False (with a report) when the file cannot be written;
// LastWriteError then says why.
bool WriteFileBytes(const std::string& path, const void* buffer, std::size_t n,
                    WriteDurability durability = WriteDurability::kOrdinary);

// WriteFileBytes for files the user never asked for (caches): the same
// all-or-nothing write, with no report and no notice when it fails.
bool WriteFileQuietly(const std::string& path, std::string_view bytes);

// Removes the temporary files that writers killed part-way left in folder:
// regular files of this user whose name is exactly one a writer makes
// (NAME.tmp-PID-N, PID and N in digits, PID within the system's range and
// naming no running process). Nothing else is touched, links included.
// Returns how many went.
int RemoveStaleTempFiles(const std::string& folder);

// Why the last WriteFileBytes on this thread failed; empty after a success.
std::error_code LastWriteError();

// Called with the path and the cause of every failed WriteFileBytes, after
// its report (batch runs say the cause on standard error). Set it before any
// thread writes; null (the default) says nothing more.
using WriteFailureNotice = void (*)(const std::string& path, std::error_code why);
void SetWriteFailureNotice(WriteFailureNotice notice);

// Creates folder and every missing parent; existing folders are fine.
bool MakeDirectories(const std::string& folder);

// Joins a folder and a file name with '/', adding none when the folder is
// empty or already ends in '/'.
std::string JoinPath(std::string_view folder, std::string_view name);

// The per-user data folder: $XDG_CONFIG_HOME/Kumoito, or ~/.config/Kumoito
// when XDG_CONFIG_HOME is unset or empty. Created when missing.
std::string GetDataFolder();

// The per-user cache folder: $XDG_CACHE_HOME/Kumoito, or ~/.cache/Kumoito.
// Not created here.
std::string GetCacheFolder();

}  // namespace kumoito
