#include "kinseg/read_description.hpp"

namespace kinseg::cli {

std::string separator_text(const FileFormat& f) {
  return std::string(separator_name(f.separator)) + (f.separator_given ? " (given)" : " (found)");
}

const char* trait_word(int8_t code) {
  switch (code) {
    case kAffected: return "affected";
    case kUnaffected: return "unaffected";
    case kUnknownTrait: return "unknown";
    default: return "refused";
  }
}

std::vector<TraitValueUse> trait_value_uses(const DataRead& d) {
  std::vector<TraitValueUse> uses;
  for (int i = 0; i < d.trait_values.distinct(); ++i) {
    const int8_t code = i < static_cast<int>(d.trait_coding.code.size()) ? d.trait_coding.code[i] : 0;
    uses.push_back({d.trait_values.value(i), trait_word(code), d.trait_values.count(i)});
  }
  return uses;
}

}  // namespace kinseg::cli
