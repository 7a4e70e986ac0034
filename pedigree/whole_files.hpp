// Output files written whole or not at all: each is written under a temporary
// name in its own directory and renamed into place only when every one of
// them has been written completely.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kinseg {

// Writes each (path, content); throws FileError (file_error.hpp) naming the
// path when one cannot be written, after removing the temporary files, so that
// no output is left half written. A failure among the final renames, after
// all files were written, leaves the earlier ones renamed.
void write_whole_files(const std::vector<std::pair<std::string, std::string>>& files);

inline void write_whole_file(const std::string& path, const std::string& content) {
  write_whole_files({{path, content}});
}

}  // namespace kinseg
