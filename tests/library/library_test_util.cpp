#include "tests/library/library_test_util.h"

#include <cstdio>
#include <fstream>

#include "common/file_util.h"
#include "common/sjis.h"
#include "song/score_layout.h"

namespace kumoito::test {

namespace L = score_layout;

void WriteLibraryScore(const std::string& path, const std::string& title, int regionCode,
                       int fameScore, const std::string& composer) {
  char block[L::kInfoBlockSize] = {};
  const std::string t = Utf8ToCp932(title).value_or("");
  const std::string c = Utf8ToCp932(composer).value_or("");
  t.copy(block + L::kInfoTitle, 32);
  c.copy(block + L::kInfoComposer, 32);
  block[L::kInfoRegionCode] = static_cast<char>(regionCode);
  block[L::kInfoFameScore] = static_cast<char>(fameScore);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.seekp(static_cast<std::streamoff>(L::kInfoBlock));
  out.write(block, sizeof block);
  out.seekp(static_cast<std::streamoff>(L::kFileSize - 1));
  out.put('\0');
}

void FillLibraryFolder(const std::string& folder, int n) {
  MakeDirectories(folder);
  for (int i = 0; i < n; ++i) {
    char name[32];
    char title[32];
    std::snprintf(name, sizeof name, "song%04d.mwd", i);
    std::snprintf(title, sizeof title, "T%04d", i);
    const bool japan = i % 2 == 0;
    WriteLibraryScore(JoinPath(folder, name), title, japan ? 3 : 0, japan ? 60 : 0);
  }
}

}  // namespace kumoito::test
