// An output file of the run: created when missing, rewritten from its start
// when present, closed when the object goes (also when a stop unwinds the run).
// A file that cannot be created or written ends the run with the error report
// naming it.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "common/console.hpp"

namespace kin {

// Where report lines of a run go: an output file, or a string in tests.
class Unit {
 public:
  virtual ~Unit() = default;
  virtual void write(std::string_view bytes) = 0;
};

class StringUnit : public Unit {
 public:
  void write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

class OutFile : public Unit {
 public:
  enum Mode { kText, kBinary };
  OutFile(std::string name, Console& con, Mode mode = kText);
  ~OutFile();
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;

  const std::string& name() const { return name_; }
  void write(std::string_view bytes) override;
  // Closes the file now; a failure to write it out ends the run.
  void close();

 private:
  std::string name_;
  Console& con_;
  std::FILE* f_ = nullptr;
};

// The whole content of an input file. A name that leads nowhere, to a
// directory or to anything else that is not a regular file, or a file that
// cannot be read, ends the run with the error report naming it.
std::string read_input_file(const std::string& name, Console& con);

// True when a file of this name exists in the current directory.
bool file_exists(const std::string& name);

// The name under which to open an input file: the name itself when such a file
// exists, else the one file of the current directory whose name differs from it
// only in the case of letters (as on a file system that ignores case), else the
// name itself, so that the open fails naming it.
std::string name_ignoring_case(const std::string& name);

}  // namespace kin
