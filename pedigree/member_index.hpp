// The members of one pedigree by id: an open-addressing hash table from the
// id text to the member number, rebuilt for each pedigree in time and memory
// proportional to the pedigree's size (a sample of a million persons in
// thousands of pedigrees is indexed without a table per pedigree or a clear
// of a large one).
#pragma once

#include <algorithm>
#include <functional>
#include <string_view>
#include <vector>

namespace kinseg {

class MemberIndex {
 public:
  MemberIndex() { reset(0); }

  // Empties the index for a pedigree of about `members` ids.
  void reset(size_t members) {
    size_t cap = 16;
    while (cap < 2 * members + 2) cap *= 2;
    if (slots_.size() < cap) {
      slots_.resize(cap);
      keys_.resize(cap);
    }
    mask_ = cap - 1;
    std::fill(slots_.begin(), slots_.begin() + static_cast<long>(cap), -1);
    used_ = 0;
  }

  // The member of id, or -1.
  int find(std::string_view id) const {
    for (size_t i = std::hash<std::string_view>()(id) & mask_;; i = (i + 1) & mask_) {
      if (slots_[i] < 0) return -1;
      if (keys_[i] == id) return slots_[i];
    }
  }

  // Adds id as member m; when id is already there, returns its member and
  // adds nothing, else returns -1. The table grows as needed; `id` must stay
  // valid while the index is in use.
  int insert(std::string_view id, int m) {
    if (2 * (used_ + 1) > mask_ + 1) grow();
    for (size_t i = std::hash<std::string_view>()(id) & mask_;; i = (i + 1) & mask_) {
      if (slots_[i] < 0) {
        slots_[i] = m;
        keys_[i] = id;
        ++used_;
        return -1;
      }
      if (keys_[i] == id) return slots_[i];
    }
  }

 private:
  void grow() {
    std::vector<int> old_slots(slots_.begin(), slots_.begin() + static_cast<long>(mask_ + 1));
    std::vector<std::string_view> old_keys(keys_.begin(), keys_.begin() + static_cast<long>(mask_ + 1));
    reset(used_ * 2 + 2);
    for (size_t i = 0; i < old_slots.size(); ++i)
      if (old_slots[i] >= 0) insert(old_keys[i], old_slots[i]);
  }

  std::vector<int> slots_;
  std::vector<std::string_view> keys_;
  size_t mask_ = 0;
  size_t used_ = 0;
};

}  // namespace kinseg
