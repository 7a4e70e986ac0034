#include "common/free_output.hpp"

#include "common/edit_output.hpp"

namespace kin {

std::string free_line(std::initializer_list<FreeValue> values) {
  std::string line = " ";
  bool after_number = false;
  for (const FreeValue& v : values) {
    if (v.is_text) {
      if (after_number) line += ' ';
      line += v.s;
    } else {
      line += edit_I(v.i, 12);
    }
    after_number = !v.is_text;
  }
  line += '\n';
  return line;
}

}  // namespace kin
