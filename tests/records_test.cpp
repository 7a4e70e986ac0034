#include <gtest/gtest.h>

#include "format/records.hpp"
#include "tests/test_util.hpp"

namespace {

using kintest::stop_status;
using kintest::TestConsole;

TEST(Records, LittleEndianFramesOnDisk) {
  EXPECT_EQ(kin::encode_record({}), std::string(8, '\0'));
  EXPECT_EQ(kin::encode_record({1, -2}),
            std::string("\x08\0\0\0\x01\0\0\0\xfe\xff\xff\xff\x08\0\0\0", 16));
}

TEST(Records, WriteThenRead) {
  kintest::TempDir dir;
  TestConsole tc;
  {
    kin::RecordWriter w("r.dat", tc.con);
    w.put(7);
    w.put(-1);
    w.end_record();
    w.end_record();  // an empty record
    w.put(2147483647);
    w.end_record();
    w.close();
  }
  kin::RecordReader r("r.dat", tc.con);
  r.next_record();
  EXPECT_EQ(r.get(), 7);  // the second value is left unread
  r.next_record();
  r.next_record();
  EXPECT_EQ(r.get(), 2147483647);
}

TEST(Records, ReadingPastARecordOrTheFileEndsTheRun) {
  struct Case {
    std::string bytes;
    int records_before;  // records opened before the failing step
    bool get_value;      // the failing step reads a value (else it opens a record)
    const char* message;
  } cases[] = {
      {kin::encode_record({1}), 1, true,
       " ERROR in file IWAY.DAT: record 1: the record holds fewer values than are read from it\n"},
      {kin::encode_record({1}), 1, false, " ERROR in file IWAY.DAT: record 2: the file ends before this record\n"},
      {kin::encode_record({1, 2}).substr(0, 10), 0, false,
       " ERROR in file IWAY.DAT: record 1: the record is damaged (bad length)\n"},
      {std::string("\x04\0\0\0\x01\0\0\0\x05\0\0\0", 12), 0, false,
       " ERROR in file IWAY.DAT: record 1: the record is damaged (its two lengths differ)\n"},
      {std::string("\x03\0\0\0\x01\0\0\0\x03\0\0\0", 12), 0, false,
       " ERROR in file IWAY.DAT: record 1: the record is damaged (bad length)\n"},
      {std::string("\x04\0\0", 3), 0, false,
       " ERROR in file IWAY.DAT: record 1: the record is damaged (the file ends inside it)\n"},
  };
  for (const Case& c : cases) {
    TestConsole tc;
    kin::RecordReader r("IWAY.DAT", c.bytes, tc.con);
    for (int k = 0; k < c.records_before; ++k) r.next_record();
    if (c.get_value) r.get();
    EXPECT_EQ(stop_status([&] {
                if (c.get_value)
                  r.get();
                else
                  r.next_record();
              }),
              kin::kInputError);
    EXPECT_EQ(tc.text(), c.message);
  }
}

TEST(Records, MissingFile) {
  kintest::TempDir dir;
  TestConsole tc;
  EXPECT_EQ(stop_status([&] { kin::RecordReader r("IWAY.DAT", tc.con); }), kin::kInputError);
  EXPECT_EQ(tc.text(), " ERROR in file IWAY.DAT: cannot open the file (is it missing?)\n");
}

}  // namespace
