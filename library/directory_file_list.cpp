#include "library/directory_file_list.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "common/report.h"

namespace kumoito {

CDirectoryFileList::CDirectoryFileList(std::string folder, std::string_view pattern)
    : m_folder(std::move(folder)) {
  const std::string glob(pattern);
  std::error_code ec;
  std::filesystem::directory_iterator it(m_folder, ec);
  if (ec) {
    return;
  }
  try {
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
      if (ec) {
        break;
      }
      std::error_code typeError;
      // Follows links, so a link to a score counts and a folder never does.
      if (!it->is_regular_file(typeError)) {
        continue;
      }
      std::string name = it->path().filename().string();
      if (::fnmatch(glob.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
        m_entries.push_back(std::move(name));
      }
    }
  } catch (const std::bad_alloc&) {
    ReportGeneralError(kGeneOutOfMemory, m_folder);
  }
  // std::string compares as unsigned char: plain byte order.
  std::sort(m_entries.begin(), m_entries.end());
  if (m_entries.size() > static_cast<std::size_t>(kMaxEntries)) {
    m_entries.resize(kMaxEntries);
  }
}

}  // namespace kumoito
