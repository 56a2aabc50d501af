#include "app/output_format.h"

#include <cctype>
#include <filesystem>

namespace kumoito {

OutputFormat OutputFormatForPath(std::string_view path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  for (const OutputFormatEntry& entry : kOutputFormats) {
    if (entry.extension == extension) {
      return entry.format;
    }
  }
  return OutputFormat::kBmp;
}

}  // namespace kumoito
