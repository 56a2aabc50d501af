#pragma once
// Helpers for library tests: score files that hold only what the library
// reads (the information block), written sparse so that thousands of them
// cost no disk space.

#include <string>

namespace kumoito::test {

// A 94540-byte score file whose information block has the title and
// composer (UTF-8, stored as CP932), the region code and the fame score.
void WriteLibraryScore(const std::string& path, const std::string& title, int regionCode,
                       int fameScore, const std::string& composer = "");

// A folder of n such files named "song0000.mwd" ... with titles "T0000" ...,
// region 3 and fame 60 on even numbers, region 0 and fame 0 on odd ones.
void FillLibraryFolder(const std::string& folder, int n);

}  // namespace kumoito::test
