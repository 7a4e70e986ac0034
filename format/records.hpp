// Unformatted sequential records of 4-byte integers, the form of the prepared
// pedigree file that kinsort writes and kinfit reads.
//
// A record on disk: a 4-byte little-endian length n, n bytes of data (n/4
// little-endian 4-byte signed integers), the same length again. An empty
// record is the two lengths holding 0. Nothing precedes the first record or
// follows the last. The byte order is fixed, whatever the host's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/console.hpp"
#include "common/text_file.hpp"

namespace kin {

// Name of the prepared pedigree file as kinsort writes it and as kinfit opens it.
inline constexpr const char* kPreparedFileWritten = "iway.dat";
inline constexpr const char* kPreparedFileRead = "IWAY.DAT";

// Collects one record at a time and appends it to the file.
class RecordWriter {
 public:
  RecordWriter(std::string name, Console& con) : file_(std::move(name), con, OutFile::kBinary) {}
  void put(int32_t v) { values_.push_back(v); }
  template <class It>
  void put(It first, It last) {
    values_.insert(values_.end(), first, last);
  }
  // Writes the values put since the last record as one record.
  void end_record();
  void close() { file_.close(); }

 private:
  OutFile file_;
  std::vector<int32_t> values_;
};

// Reads the records of a file in order. A read past the values of the current
// record, a missing record or a damaged frame ends the run with the error
// report naming the file; values beyond those read are ignored.
class RecordReader {
 public:
  RecordReader(std::string name, Console& con);  // a regular file that exists
  RecordReader(std::string name, std::string bytes, Console& con);

  // Starts the next record (counted from 1 in reports).
  void next_record();
  int32_t get();
  int record() const { return record_; }
  const std::string& name() const { return name_; }

 private:
  [[noreturn]] void fail(const std::string& what);

  std::string name_;
  Console& con_;
  std::string bytes_;
  size_t pos_ = 0;       // start of the next record
  size_t data_ = 0;      // next value of the current record
  size_t data_end_ = 0;  // end of the current record's data
  int record_ = 0;       // ordinal of the current record
};

// Encoding of one record, for writers and tests.
std::string encode_record(const std::vector<int32_t>& values);

}  // namespace kin
