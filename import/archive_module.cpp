// The archive module's entry: the inflater and the writer that need libzip.

#include "import/mxl_archive.h"

namespace {

const kumoito::import::ArchiveBackends kBackends{&kumoito::import::InflateMxlArchive,
                                                 &kumoito::import::DeflateMxlArchive};

}  // namespace

extern "C" __attribute__((visibility("default"))) const kumoito::import::ArchiveBackends*
kumoito_archive_backends(int abi) {
  return abi == kumoito::import::kArchiveBackendsAbi ? &kBackends : nullptr;
}
