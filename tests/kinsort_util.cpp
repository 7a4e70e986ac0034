#include "tests/kinsort_util.hpp"

#include <sstream>

#include "format/records.hpp"
#include "prep/kinsort.hpp"

namespace kintest {

KinsortRun run_kinsort_with(const std::map<std::string, std::string>& files, const std::string& input) {
  for (const auto& [name, content] : files) write_file(name, content);
  TestConsole tc(input);
  auto s = std::make_unique<kinsort::KinsortState>();
  KinsortRun r;
  r.status = kinsort::run_kinsort(*s, tc.con);
  r.console = tc.text();
  return r;
}

std::string records_from_text(const std::string& text) {
  std::string bytes;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream values(line);
    std::vector<int32_t> rec;
    int32_t v = 0;
    while (values >> v) rec.push_back(v);
    bytes += kin::encode_record(rec);
  }
  return bytes;
}

}  // namespace kintest
