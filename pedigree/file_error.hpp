// A file that cannot be read or written at all: the command line ends with
// exit status 2 and the message, which names the file.
#pragma once

#include <stdexcept>

namespace kinseg {

class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kinseg
