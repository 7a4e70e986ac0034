// A problem found in the user's pedigree file: an error that refuses the data,
// or a warning about something taken on trust (a sex read from a parent's
// role, an added parent). Problems are collected over the whole file, not
// thrown one at a time, so that the user can correct all of them in one pass.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kinseg {

enum class Severity { kError, kWarning };

struct DataProblem {
  Severity severity = Severity::kError;
  std::string kind;                // short name of the kind of problem, e.g. "duplicate-id"
  std::string file;                // the file read
  int line = 0;                    // line of the file, 0 when the problem has none
  std::string pedigree;            // the pedigree's id, empty when none
  std::vector<std::string> ids;    // the persons concerned, by their ids in the file
  std::string message;             // what is wrong, and what was expected
};

// The problems of one file. Of each kind the first kKeepPerKind are kept in
// full; the rest are counted, so that a file wrong on every row does not fill
// the memory with messages.
class DataProblems {
 public:
  static constexpr int kKeepPerKind = 1000;

  explicit DataProblems(std::string file = "") : file_(std::move(file)) {}

  void error(std::string kind, int line, std::string pedigree, std::vector<std::string> ids,
             std::string message);
  void warning(std::string kind, int line, std::string pedigree, std::vector<std::string> ids,
               std::string message);

  const std::vector<DataProblem>& all() const { return list_; }  // the ones kept
  int errors() const { return errors_; }
  int warnings() const { return warnings_; }
  // How many problems of each kind were found (kept or not).
  const std::map<std::string, int>& counts() const { return counts_; }
  bool refused() const { return errors_ > 0; }
  const std::string& file() const { return file_; }

 private:
  std::string file_;
  void add(Severity severity, std::string kind, int line, std::string pedigree,
           std::vector<std::string> ids, std::string message);

  std::vector<DataProblem> list_;
  std::map<std::string, int> counts_;
  int errors_ = 0;
  int warnings_ = 0;
};

// One problem as a line for the console: "FILE line L, pedigree P: message"
// (the parts that the problem has), after "error: " or "warning: ".
std::string describe(const DataProblem& p);

}  // namespace kinseg
