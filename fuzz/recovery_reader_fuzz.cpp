// libFuzzer entry for the recovery file: the input is the file. A file the
// reader takes must be exactly what the writer makes of what it read, so
// nothing half read or padded ever passes; read from disk it gives the same.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/recovery_file.h"
#include "common/file_util.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kumoito;
  fuzz::QuietReports();
  static const std::string path = fuzz::ScratchPath("recovery.krec");
  const std::optional<RecoveredSong> song = DecodeRecovery(data, size);
  if (song) {
    const std::vector<unsigned char> again = EncodeRecovery(*song);
    KUMOITO_FUZZ_CHECK(again.size() == size && std::equal(again.begin(), again.end(), data));
    KUMOITO_FUZZ_CHECK(song->sourcePath.size() <= recovery_layout::kMaxPathLength);
  }
  // From disk too, for the files the reader takes and a sample of the rest:
  // a write per input would leave the fuzzer a few dozen runs a second.
  if ((song || size % 64 == 0) && WriteFileBytes(path, data, size)) {
    KUMOITO_FUZZ_CHECK(ReadRecoveryFile(path) == song);
  }
  return 0;
}
