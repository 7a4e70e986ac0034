// How a file was read, in words shared by the console and JSON reports.
#pragma once

#include <string>
#include <vector>

#include "pedigree/read_sample.hpp"

namespace kinseg::cli {

// "comma", ... and whether found or given.
std::string separator_text(const FileFormat& f);

// One trait value of the file, what it was read as, and how many rows hold it.
struct TraitValueUse {
  std::string value;
  std::string meaning;  // "affected", "unaffected", "unknown" or "refused"
  long rows;
};
std::vector<TraitValueUse> trait_value_uses(const DataRead& read);

// "unaffected" ... for a trait code.
const char* trait_word(int8_t code);

}  // namespace kinseg::cli
