#pragma once
// ImportError: why a foreign file gave no melody, with the place in the
// file where one is known (XML line and column, counted from 1).
//
// Thread-safety: a value type.

#include <string>

namespace kumoito::import {

struct ImportError {
  std::string message;  // UTF-8, for the user
  int line = 0;         // 0: no place in the file
  int column = 0;
};

// "PATH:LINE:COLUMN: message", or "PATH: message" without a place.
std::string FormatImportError(const std::string& path, const ImportError& error);

}  // namespace kumoito::import
