#include "library/library_scan.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "common/file_util.h"
#include "common/report.h"
#include "common/sjis.h"
#include "library/directory_file_list.h"
#include "song/score_layout.h"

namespace kumoito {
namespace {

namespace layout = score_layout;

// Shown after the file name of a file whose information could not be read.
constexpr const char* kNoInfoMark = Ui::Mark(" （曲情報を読めません）");

std::string BlockText(const unsigned char* block, std::size_t offset, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(block + offset);
  return std::string(text, FieldLength(text, size));
}

}  // namespace

std::optional<LibrarySongInfo> ReadLibrarySongInfo(const std::string& path) {
  unsigned char block[layout::kInfoBlockSize];
  std::error_code why;
  const std::optional<std::size_t> got =
      ReadFileAt(path, layout::kInfoBlock, block, sizeof block, why);
  if (!got || *got < sizeof block) {
    return std::nullopt;
  }
  LibrarySongInfo info;
  info.title = BlockText(block, layout::kInfoTitle, layout::kInfoTitleSub - layout::kInfoTitle);
  info.composer =
      BlockText(block, layout::kInfoComposer, layout::kInfoComposerSub - layout::kInfoComposer);
  info.regionCode = block[layout::kInfoRegionCode];
  info.fameScore = block[layout::kInfoFameScore];
  return info;
}

bool PassesCategory(const LibraryEntry& entry, std::int32_t category) {
  if (category < kCategoryJapanFamous || category > kCategoryWorldAll) {
    return true;
  }
  if (!entry.info) {
    return false;
  }
  const bool japan = entry.info->regionCode == kJapanRegionCode;
  switch (category) {
    case kCategoryJapanFamous:
      return japan && entry.info->fameScore >= kJapanFamousScore;
    case kCategoryJapanAll:
      return japan;
    case kCategoryWorldFamous:
      return !japan && entry.info->fameScore >= kWorldFamousScore;
    default:
      return !japan;
  }
}

std::string LibraryLineText(const LibraryEntry& entry) {
  if (entry.info) {
    return Cp932ToUtf8Lenient(entry.info->title);
  }
  return entry.fileName + Ui::Translate(kNoInfoMark);
}

void CLibraryList::Clear() {
  m_files.clear();
  m_lines.clear();
}

bool CLibraryList::Add(LibraryEntry entry) {
  const bool shown = PassesCategory(entry, m_category);
  m_files.push_back(std::move(entry));
  if (shown) {
    m_lines.push_back(m_files.size() - 1);
  }
  return shown;
}

void CLibraryList::SetCategory(std::int32_t category) {
  m_category = category;
  m_lines.clear();
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    if (PassesCategory(m_files[i], m_category)) {
      m_lines.push_back(i);
    }
  }
}

CLibraryScan::~CLibraryScan() {
  Cancel();
}

bool CLibraryScan::Start(std::string folder, EntryCallback onEntry, DoneCallback onDone) {
  Cancel();
  m_cancel.store(false);
  try {
    m_thread = std::thread([this, folder = std::move(folder), onEntry = std::move(onEntry),
                            onDone = std::move(onDone)] {
      try {
        const CDirectoryFileList files(folder, kLibraryPattern);
        const int count = std::min(files.EntryCount(), kLibraryMaxFiles);
        for (int i = 0; i < count; ++i) {
          if (m_cancel.load()) {
            return;
          }
          LibraryEntry entry;
          entry.fileName = files.Entry(i);
          entry.info = ReadLibrarySongInfo(JoinPath(folder, entry.fileName));
          if (onEntry) {
            onEntry(entry);
          }
        }
      } catch (const std::bad_alloc&) {
        // The files delivered so far stay listed; the dialog still opens up.
        ReportGeneralError(kGeneOutOfMemory, folder);
      }
      if (!m_cancel.load() && onDone) {
        onDone();
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void CLibraryScan::Cancel() {
  m_cancel.store(true);
  Join();
}

void CLibraryScan::Join() {
  if (m_thread.joinable()) {
    m_thread.join();
  }
}

}  // namespace kumoito
