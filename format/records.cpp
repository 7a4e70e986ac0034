#include "format/records.hpp"

namespace kin {

namespace {

void put_u32(std::string& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((v >> (8 * k)) & 0xFFu));
}

uint32_t get_u32(const std::string& in, size_t p) {
  uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(static_cast<unsigned char>(in[p + static_cast<size_t>(k)])) << (8 * k);
  return v;
}

}  // namespace

std::string encode_record(const std::vector<int32_t>& values) {
  std::string out;
  const uint32_t n = static_cast<uint32_t>(values.size() * 4);
  put_u32(out, n);
  for (int32_t v : values) put_u32(out, static_cast<uint32_t>(v));
  put_u32(out, n);
  return out;
}

void RecordWriter::end_record() {
  file_.write(encode_record(values_));
  values_.clear();
}

RecordReader::RecordReader(std::string name, Console& con)
    : name_(std::move(name)), con_(con), bytes_(read_input_file(name_, con_)) {}

RecordReader::RecordReader(std::string name, std::string bytes, Console& con)
    : name_(std::move(name)), con_(con), bytes_(std::move(bytes)) {}

void RecordReader::fail(const std::string& what) {
  file_error(con_, name_, "record " + std::to_string(record_) + ": " + what);
}

void RecordReader::next_record() {
  ++record_;
  if (pos_ >= bytes_.size()) fail("the file ends before this record");
  if (bytes_.size() - pos_ < 8) fail("the record is damaged (the file ends inside it)");
  const uint32_t n = get_u32(bytes_, pos_);
  if (n % 4 != 0 || bytes_.size() - pos_ - 8 < n) fail("the record is damaged (bad length)");
  if (get_u32(bytes_, pos_ + 4 + n) != n) fail("the record is damaged (its two lengths differ)");
  data_ = pos_ + 4;
  data_end_ = data_ + n;
  pos_ = data_end_ + 4;
}

int32_t RecordReader::get() {
  if (data_ + 4 > data_end_) fail("the record holds fewer values than are read from it");
  const uint32_t v = get_u32(bytes_, data_);
  data_ += 4;
  return static_cast<int32_t>(v);
}

}  // namespace kin
