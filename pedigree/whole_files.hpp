// Output files written whole or not at all, and never in place of what is not
// a file of ours: a set of outputs is checked before the work that makes it
// (each path writable: its folder there and writable, the path not a
// folder), then each file is written under a temporary name in its target's
// own folder, and only when all are complete are they renamed into place, one
// after the other with SIGINT and SIGTERM held back, so that an interruption
// leaves the old set or the new one. A temporary file is removed when the
// program is ended by SIGINT or SIGTERM.
//
// What stands at a path decides how it is written: a missing path or a
// regular file is replaced by rename; a symbolic link is followed, and what it
// points to is written as if named itself (the link stays); a character
// device or a FIFO (/dev/null, /dev/stdout, a named pipe) is written in place,
// never replaced by a file; a folder, a block device or a socket is refused.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kinseg {

// Throws FileError (file_error.hpp) naming the first path that cannot be
// written, before anything is.
void check_writable(const std::vector<std::string>& paths);

// Writes each (path, content); throws FileError naming the path when one
// cannot be written, after removing the temporary files, so that no output is
// left half written. Every target is checked again before the first rename;
// a rename that fails after that (the disk removed) leaves the earlier ones
// renamed, and says so.
void write_whole_files(const std::vector<std::pair<std::string, std::string>>& files);

inline void write_whole_file(const std::string& path, const std::string& content) {
  write_whole_files({{path, content}});
}

// Why PREFIX cannot start the names of a set of outputs ("" when it can):
// empty, or naming a folder ("dir/", ".", "..", "dir/."), which would write
// hidden files such as ".models.tsv".
std::string prefix_problem(const std::string& prefix);

}  // namespace kinseg
