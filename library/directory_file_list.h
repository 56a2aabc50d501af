#pragma once
// CDirectoryFileList: the names of the regular files of one folder that match
// a pattern, sorted by name in byte order. Subfolders are neither listed nor
// entered. Built once at construction; read-only afterwards.
//
// Thread-safety: may be built on any thread; a finished list may be read from
// any thread.

#include <string>
#include <string_view>
#include <vector>

namespace kumoito {

class CDirectoryFileList {
 public:
  static constexpr int kMaxEntries = 29000;

  // pattern is a shell pattern ("*.mwd") matched without regard to case, as
  // the library's files come from a system that ignores it. A folder that
  // cannot be read gives an empty list. Past kMaxEntries names the rest
  // (in sorted order) are left out.
  CDirectoryFileList(std::string folder, std::string_view pattern);

  const std::string& Folder() const { return m_folder; }
  int EntryCount() const { return static_cast<int>(m_entries.size()); }
  // A file name inside Folder(); i in 0..EntryCount() - 1.
  const std::string& Entry(int i) const { return m_entries[static_cast<std::size_t>(i)]; }

 private:
  std::string m_folder;
  std::vector<std::string> m_entries;
};

}  // namespace kumoito
