// A small valid prepared pedigree file for the fuzz targets: two families,
// one covariate. Family 1 has three generations in two nuclear families
// (1, 2, 3 linked through 3, then 3, 4, 5, 6); family 2 is one nuclear family
// (1, 2, 3) and a member in no nuclear family (4). Proband codes 0, 1 and 2
// all occur.
#pragma once

#include <string>

#include "format/records.hpp"

namespace kinfuzz {

inline std::string small_prepared_file() {
  std::string b;
  for (const std::vector<int32_t>& r : std::vector<std::vector<int32_t>>{
           {2, 2, 0, 6, 10},
           {2, 0, 2, 3},
           {5, 3, 0, 3, 7, 10},
           {10, 1, 2, 3, 3, 4, 5, 6, 1, 2, 3},
           {3, 0, 0},
           {10, 1, 2, 1, 3, 2, 1, 2, 1, 2, 1},
           {2, 1, 2, 2, 0, 2, 1, 2, 2, 0},
           {1, 2, 1, 2, 1, 2, 1, 2, 2, 1},
           {1},
           {10, 30, 42, 12, 0, 5, 7, 55, 61, 20, 18},
       })
    b += kin::encode_record(r);
  return b;
}

}  // namespace kinfuzz
