// kinsort's global tables: the person table, the column dictionary and the
// boundary tables of pedigrees, ways and member lists. One object holds a
// whole run; the program keeps it in static storage, tests build their own.
#pragma once

#include <cstdint>
#include <string>

#include "common/tables.hpp"
#include "common/table_limits.hpp"

namespace kinsort {

// Columns of the person table.
enum DataColumn : int {
  kPed = 1, kId = 2, kFa = 3, kMo = 4, kSex = 5, kProb = 6, kTrait = 7,
  kCov1 = 8,  // covariate j is column kCov1 + j - 1
};
inline constexpr int kDataColumns = 7 + kMaxCov;

// The person table: one row per data row in data-file order, then N and NCOV.
struct DataBlock {
  kin::Table2<int32_t, kMaxPersons, kDataColumns> row;  // row(i, column)
  int32_t N = 0;
  int32_t NCOV = 0;
  int32_t& operator()(int i, int col) { return row(i, col); }
  const int32_t& operator()(int i, int col) const { return row(i, col); }
};

// What task.inp and the data file's header say.
struct TaskBlock {
  std::string data_file;           // 20 characters, blank-padded
  std::string trait_name;          // 20 characters
  std::string cov_name[kMaxCov];   // covariate j at j - 1
  std::string col_name[kMaxColumns];
  int32_t ncol = 0;                // number of columns of the header
  // The column dictionary: column numbers counted from 1, 0 = not found.
  int32_t col_sex = 0;
  int32_t col_prob = 0;
  int32_t col_trait = 0;
  kin::Table1<int32_t, kMaxCov> col_cov;
};

// One entry of the member index: a member's id and the family that lists it.
struct MemberEntry {
  int32_t id;
  int32_t family;
};

// Working tables of I_WAY, rebuilt for each pedigree.
struct PedigreeWork {
  kin::Table1<int32_t, kMaxPersons> taken;    // per person of the pedigree, in row order
  kin::Table1<int32_t, kMaxMembers> list;     // member lists of its nuclear families
  kin::Table1<int32_t, kMaxWays + 2> bounds;  // boundary table of the families over `list`
  kin::Table1<int32_t, kMaxWays> placed;      // per family: placed in the peeling order
  // The entries of `list` sorted by id, then family: finds the families that
  // list a person without going through every list.
  kin::Table1<MemberEntry, kMaxMembers> index;
};

struct KinsortState {
  TaskBlock task;
  DataBlock DATA;
  kin::Table1<int32_t, kMaxPedigrees + 2> BUF1;  // pedigrees over person rows
  kin::Table1<int32_t, kMaxPedigrees + 2> BUF3;  // pedigrees over ways
  kin::Table1<int32_t, kMaxWays + 2> BUF4;       // ways over the member list
  kin::Table1<int32_t, kMaxWays> BUF5;           // link person of each way
  kin::Table1<int32_t, kMaxMembers> BUF6;        // member lists of all ways
  PedigreeWork work;
};

}  // namespace kinsort
