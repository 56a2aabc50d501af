#pragma once
// Builders of Standard MIDI File images for reader tests, and a temporary
// file that removes itself.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace kumoito::midi::testing {

using Bytes = std::vector<unsigned char>;

inline Bytes Chunk(const char* id, const Bytes& body) {
  Bytes out(id, id + 4);
  const auto n = static_cast<std::uint32_t>(body.size());
  out.insert(out.end(), {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
                         static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)});
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

inline Bytes Header(int format, int tracks, int division) {
  return {'M',
          'T',
          'h',
          'd',
          0,
          0,
          0,
          6,
          0,
          static_cast<unsigned char>(format),
          0,
          static_cast<unsigned char>(tracks),
          static_cast<unsigned char>(division >> 8),
          static_cast<unsigned char>(division)};
}

inline Bytes File0(const Bytes& trackBody, int division = 96) {
  Bytes out = Header(0, 1, division);
  Bytes chunk = Chunk("MTrk", trackBody);
  out.insert(out.end(), chunk.begin(), chunk.end());
  return out;
}

class TempFile {
 public:
  explicit TempFile(const char* name)
      : m_path((std::filesystem::temp_directory_path() /
                (std::string("kumoito_smf_") + std::to_string(::getpid()) + name))
                   .string()) {}
  ~TempFile() { std::remove(m_path.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

}  // namespace kumoito::midi::testing
