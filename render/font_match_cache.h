#pragma once
// FontMatchCache: remembers which font file fontconfig chose for a pattern,
// so that the next process opens the face without loading fontconfig's
// configuration, which costs a few milliseconds: a third of a whole
// conversion. An answer is trusted only while nothing that decided it has
// changed: fontconfig's configuration files, its caches, the font folders
// (two levels of subfolders) and the chosen file itself, compared by inode,
// size and modification time.
//
// Thread-safety: the functions keep no state; two processes writing the
// cache at once leave one of the two answers.

#include <optional>
#include <string>
#include <vector>

namespace kumoito {

struct FontLocation {
  std::string file;
  int index = 0;
  bool operator==(const FontLocation&) const = default;
};

// What fontconfig reads to answer, for this user: configuration files and
// folders, cache folders, font folders. Empty when an environment variable
// points fontconfig elsewhere (FONTCONFIG_FILE, FONTCONFIG_PATH,
// FONTCONFIG_SYSROOT): then no answer is remembered.
struct FontWatchList {
  std::vector<std::string> files;        // stated
  std::vector<std::string> folders;      // stated, with every entry
  std::vector<std::string> fontFolders;  // stated, with subfolders two levels down
  bool Empty() const { return files.empty() && folders.empty() && fontFolders.empty(); }
};
FontWatchList FontconfigWatchList();

// The answer stored in cacheFile for pattern, if everything watched (and the
// font file) is as it was when it was stored. Only a regular cache file of a
// few KiB is read, and only an answer naming a regular font file is given:
// anything else is no answer, silently.
std::optional<FontLocation> LoadFontMatch(const std::string& cacheFile, const std::string& pattern,
                                          const FontWatchList& watched);

// Stores the answer through the atomic writer, saying nothing; false when it
// cannot (the next start asks fontconfig).
bool StoreFontMatch(const std::string& cacheFile, const std::string& pattern,
                    const FontLocation& match, const FontWatchList& watched);

}  // namespace kumoito
