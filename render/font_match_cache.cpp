#include "render/font_match_cache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "common/file_util.h"

namespace kumoito {
namespace {

constexpr std::string_view kMagic = "kumoito-font-match 1";
// An answer with its fingerprint takes a few KiB (some 60 bytes for each
// configuration file, cache and font folder); a system with hundreds of
// font packages stays well below this. A bigger cache is no cache of ours
// (a link to a device, a file grown by mistake) and is never read whole.
constexpr std::size_t kMaxCacheBytes = 64 * 1024;

void StatLine(const std::string& path, std::string& out) {
  struct stat st;
  out += path;
  if (::stat(path.c_str(), &st) == 0) {
    out += ' ' + std::to_string(st.st_ino) + ' ' + std::to_string(st.st_size) + ' ' +
           std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
  } else {
    out += " -";
  }
  out += '\n';
}

// Entries of a folder in byte order, without "." and "..".
std::vector<std::string> Entries(const std::string& folder, bool foldersOnly) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    if (foldersOnly && entry->d_type != DT_DIR && entry->d_type != DT_LNK &&
        entry->d_type != DT_UNKNOWN) {
      continue;
    }
    names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

void FontFolderLines(const std::string& folder, int depth, std::string& out) {
  StatLine(folder, out);
  if (depth == 0) {
    return;
  }
  for (const std::string& name : Entries(folder, true)) {
    const std::string path = JoinPath(folder, name);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      FontFolderLines(path, depth - 1, out);
    }
  }
}

std::string Fingerprint(const FontWatchList& watched, const std::string& fontFile) {
  std::string out;
  for (const std::string& file : watched.files) {
    StatLine(file, out);
  }
  for (const std::string& folder : watched.folders) {
    StatLine(folder, out);
    for (const std::string& name : Entries(folder, false)) {
      StatLine(JoinPath(folder, name), out);
    }
  }
  for (const std::string& folder : watched.fontFolders) {
    FontFolderLines(folder, 2, out);
  }
  StatLine(fontFile, out);
  return out;
}

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

// Cuts the first line (without its newline) off rest; false when rest
// holds no whole line.
bool TakeLine(std::string_view& rest, std::string_view& line) {
  const std::string_view::size_type end = rest.find('\n');
  if (end == std::string_view::npos) {
    return false;
  }
  line = rest.substr(0, end);
  rest.remove_prefix(end + 1);
  return true;
}

bool OneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == std::string::npos;
}

}  // namespace

FontWatchList FontconfigWatchList() {
  FontWatchList list;
  for (const char* redirect : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"}) {
    if (std::getenv(redirect) != nullptr) {
      return list;
    }
  }
  const std::string home = EnvOr("HOME", "/");
  const std::string config = EnvOr("XDG_CONFIG_HOME", JoinPath(home, ".config"));
  const std::string cache = EnvOr("XDG_CACHE_HOME", JoinPath(home, ".cache"));
  const std::string data = EnvOr("XDG_DATA_HOME", JoinPath(home, ".local/share"));
  list.files = {"/etc/fonts/fonts.conf", "/etc/fonts/local.conf",
                JoinPath(config, "fontconfig/fonts.conf"), JoinPath(home, ".fonts.conf")};
  list.folders = {"/etc/fonts/conf.d",
                  JoinPath(config, "fontconfig/conf.d"),
                  JoinPath(home, ".fonts.conf.d"),
                  "/var/cache/fontconfig",
                  JoinPath(cache, "fontconfig"),
                  JoinPath(home, ".fontconfig")};
  list.fontFolders = {"/usr/share/fonts", "/usr/local/share/fonts", "/usr/X11R6/lib/X11/fonts",
                      JoinPath(data, "fonts"), JoinPath(home, ".fonts")};
  return list;
}

std::optional<FontLocation> LoadFontMatch(const std::string& cacheFile, const std::string& pattern,
                                          const FontWatchList& watched) {
  if (watched.Empty()) {
    return std::nullopt;
  }
  std::error_code why;
  const std::optional<std::string> text = ReadWholeFile(cacheFile, kMaxCacheBytes, why);
  if (!text) {
    return std::nullopt;
  }
  std::string_view rest = *text;
  FontLocation match;
  std::string_view magic, storedPattern, file, indexText;
  if (!TakeLine(rest, magic) || magic != kMagic || !TakeLine(rest, storedPattern) ||
      storedPattern != pattern || !TakeLine(rest, file) || !TakeLine(rest, indexText) ||
      indexText.empty() || indexText.size() > 5 ||
      indexText.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  match.file = std::string(file);
  match.index = std::stoi(std::string(indexText));
  // The font is opened by name later; a name that now leads to a FIFO or a
  // device would make that open wait or read without end.
  if (match.index > 0xFFFF || !RegularFileSize(match.file, why) ||
      rest != Fingerprint(watched, match.file)) {
    return std::nullopt;
  }
  return match;
}

bool StoreFontMatch(const std::string& cacheFile, const std::string& pattern,
                    const FontLocation& match, const FontWatchList& watched) {
  std::error_code why;
  if (watched.Empty() || !OneLine(pattern) || !OneLine(match.file) ||
      !RegularFileSize(match.file, why)) {
    return false;
  }
  const std::string text = std::string(kMagic) + '\n' + pattern + '\n' + match.file + '\n' +
                           std::to_string(match.index) + '\n' + Fingerprint(watched, match.file);
  // An answer too long to be read back is not kept.
  if (text.size() > kMaxCacheBytes) {
    return false;
  }
  const std::size_t slash = cacheFile.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    const std::string folder = cacheFile.substr(0, slash);
    MakeDirectories(folder);
    RemoveStaleTempFiles(folder);
  }
  // Quietly: a cache that cannot be written is no fault of the user's.
  return WriteFileQuietly(cacheFile, text);
}

}  // namespace kumoito
