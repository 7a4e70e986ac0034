#include "kinseg/genotype_file.hpp"

#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "pedigree/file_error.hpp"

namespace kinseg::cli {

namespace {

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> f;
  std::string::size_type start = 0;
  while (true) {
    const auto tab = line.find('\t', start);
    f.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return f;
    start = tab + 1;
  }
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

int column(const std::vector<std::string>& header, std::initializer_list<const char*> names) {
  for (size_t i = 0; i < header.size(); ++i)
    for (const char* n : names)
      if (lower(header[i]) == n) return static_cast<int>(i);
  return -1;
}

}  // namespace

CarrierProbabilities read_carrier_probabilities(const std::string& path, const Sample& sample, int k) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) throw FileError(path + ": a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError("cannot read " + path);
  const std::string pedigree = sample.pedigree_ids[static_cast<size_t>(k)];
  std::map<std::string, int> member;
  for (int m = 0; m < sample.size(k); ++m) member[sample.ids[static_cast<size_t>(sample.first(k) + m)]] = m;

  CarrierProbabilities out;
  out.carrier.assign(static_cast<size_t>(sample.size(k)), std::nan(""));
  std::vector<int> row_of(static_cast<size_t>(sample.size(k)), 0);
  std::string line;
  int number = 0;
  auto refuse = [&](const std::string& what) {
    throw GenotypeFileError(path + " line " + std::to_string(number) + ": " + what);
  };
  std::vector<std::string> header;
  int ped = -1, id = -1, carrier = -1, p[3] = {-1, -1, -1};
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1) {
      header = fields(line);
      ped = column(header, {"family", "pedigree", "ped", "famid"});
      id = column(header, {"id", "person", "iid"});
      carrier = column(header, {"carrier"});
      p[0] = column(header, {"p1"});
      p[1] = column(header, {"p2"});
      p[2] = column(header, {"p3"});
      if (ped < 0 || id < 0 || (carrier < 0 && (p[0] < 0 || p[1] < 0)))
        refuse("expected a header line naming the columns family (or pedigree), id, and carrier or p1 and p2 "
               "(tab-separated)");
      continue;
    }
    if (line.empty()) continue;
    const std::vector<std::string> f = fields(line);
    if (f.size() != header.size())
      refuse(std::to_string(f.size()) + " fields where the header has " + std::to_string(header.size()));
    if (f[static_cast<size_t>(ped)] != pedigree) continue;
    const auto it = member.find(f[static_cast<size_t>(id)]);
    if (it == member.end()) refuse("pedigree " + pedigree + " has no person " + f[static_cast<size_t>(id)]);
    const int m = it->second;
    if (row_of[static_cast<size_t>(m)] > 0)
      refuse("person " + f[static_cast<size_t>(id)] + " of pedigree " + pedigree + " again (first on line " +
             std::to_string(row_of[static_cast<size_t>(m)]) + ")");
    row_of[static_cast<size_t>(m)] = number;
    // A probability, or NaN for NA / empty.
    auto value = [&](int col) {
      const std::string& v = f[static_cast<size_t>(col)];
      if (v.empty() || v == "NA") return std::nan("");
      char* end = nullptr;
      const double x = std::strtod(v.c_str(), &end);
      if (end == v.c_str() || *end != '\0' || !(x >= 0.0 && x <= 1.0))
        refuse(header[static_cast<size_t>(col)] + " \"" + v + "\" is not a probability (a number from 0 to 1)");
      return x;
    };
    double c;
    if (carrier >= 0) {
      c = value(carrier);
    } else {
      const double p1 = value(p[0]), p2 = value(p[1]);
      c = p1 + p2;
      if (p[2] >= 0) {
        const double p3 = value(p[2]);
        if (!std::isnan(c) && !std::isnan(p3) && std::fabs(c + p3 - 1.0) > 1e-6)
          refuse("p1 + p2 + p3 = " + std::to_string(c + p3) + ", not 1");
      }
      if (c > 1.0 && c < 1.0 + 1e-6) c = 1.0;
      if (c > 1.0) refuse("p1 + p2 = " + std::to_string(c) + ", more than 1");
    }
    out.carrier[static_cast<size_t>(m)] = c;
  }
  if (number == 0) {
    number = 1;
    refuse("the file is empty; expected a header line");
  }
  for (double c : out.carrier) out.without += std::isnan(c);
  return out;
}

}  // namespace kinseg::cli
