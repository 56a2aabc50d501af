// libFuzzer entry for compressed MusicXML. The input is a ZIP archive; it is
// read as an .mxl file is, root file and all, and written onto a song.

#include <cstddef>
#include <cstdint>

#include "fuzz/import_fuzz_support.h"
#include "import/file_import.h"
#include "import/mxl_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kumoito;
  fuzz::QuietReports();
  // The inflater linked in, instrumented, not the module's.
  import::SetMxlInflater(&import::InflateMxlArchive);
  const import::MxlResult archive = import::ReadMxlArchive(data, size);
  if (!archive.error) {
    KUMOITO_FUZZ_CHECK(!archive.rootPath.empty());
    KUMOITO_FUZZ_CHECK(archive.text.size() <= import::kMaxEntryBytes);
  }
  import::ImportOutcome outcome =
      import::ImportBytes(data, size, import::FileKind::kCompressedMusicXml);
  KUMOITO_FUZZ_CHECK((outcome.song != nullptr) != outcome.error.has_value());
  if (outcome.song) {
    KUMOITO_FUZZ_CHECK(!archive.error);
    fuzz::CheckSong(*outcome.song);
  }
  return 0;
}
