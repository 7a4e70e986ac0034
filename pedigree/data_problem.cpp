#include "pedigree/data_problem.hpp"

#include <utility>

namespace kinseg {

void DataProblems::add(Severity severity, std::string kind, int line, std::string pedigree,
                       std::vector<std::string> ids, std::string message) {
  (severity == Severity::kError ? errors_ : warnings_)++;
  if (++counts_[kind] > kKeepPerKind) return;
  list_.push_back({severity, std::move(kind), file_, line, std::move(pedigree), std::move(ids),
                   std::move(message)});
}

void DataProblems::error(std::string kind, int line, std::string pedigree,
                         std::vector<std::string> ids, std::string message) {
  add(Severity::kError, std::move(kind), line, std::move(pedigree), std::move(ids), std::move(message));
}

void DataProblems::warning(std::string kind, int line, std::string pedigree,
                           std::vector<std::string> ids, std::string message) {
  add(Severity::kWarning, std::move(kind), line, std::move(pedigree), std::move(ids),
      std::move(message));
}

std::string describe(const DataProblem& p) {
  std::string s = p.severity == Severity::kError ? "error: " : "warning: ";
  std::string where = p.file;
  if (p.line > 0) where += (where.empty() ? "line " : " line ") + std::to_string(p.line);
  if (!p.pedigree.empty()) where += (where.empty() ? "pedigree " : ", pedigree ") + p.pedigree;
  if (!where.empty()) s += where + ": ";
  return s + p.message;
}

}  // namespace kinseg
