// kinsort's main routine and its steps: the task file, the data file's header
// with the column dictionary, the data rows, and the normalised copy new_dat.
#pragma once

#include <string>

#include "common/console.hpp"
#include "prep/state.hpp"

namespace kinsort {

// The whole run: task.inp, the header, the rows, new_dat, then INFORM.
void READ_FILE(KinsortState& s, kin::Console& con);

// Reads task.inp: the data file name, the trait name, NCOV and the covariate
// names. Stops on a name without an extension and on a bad NCOV.
void read_task(KinsortState& s, kin::Console& con);

// Reads the data file's header line and builds the column dictionary; reports
// wrong passport names (and stops) and absent columns (and goes on).
void read_header(KinsortState& s, kin::Console& con);

// Loads the data rows into the person table through the dictionary and checks
// the number of persons and the trait codes.
void load_data(KinsortState& s, kin::Console& con);

// Writes new_dat, the person table with its columns in their fixed order.
void write_new_dat(const KinsortState& s, kin::Console& con);

// The data file's name as it is opened: the name from task.inp without its
// trailing blanks.
std::string data_file_name(const TaskBlock& t);

}  // namespace kinsort
