// Fuzz target: the free-format reader. The first line of an input is a script
// of read operations, the rest is the file they read. Script tokens, separated
// by blanks:
//   a word of the letters i (integer), r (real), t (text of 20 characters) and
//     c (text of 1 character): one read request with those targets in order;
//   n: the next whole line; d<count>[/<per line>]: one-digit flag columns;
// anything else is skipped. Besides crashes and sanitizer reports, the target
// checks what every caller relies on: each request moves on by at least one
// line, texts come back at their field length, flags come in order and are
// digits, and every value read reads back the same from its own printed form.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/free_input.hpp"
#include "fuzz/harness.hpp"

namespace {

using kinfuzz::require;

// Reads `text` as one value of the kind of `t` and returns it through the same
// kind of target.
void read_back(const std::string& text, kin::FreeTarget t) {
  kinfuzz::QuietConsole qc;
  kin::FreeInput in("echo", text + "\n", qc.con);
  in.read({t});
}

void check_int(int32_t v) {
  int32_t back = v == 0 ? 1 : 0;
  try {
    read_back(std::to_string(v), kin::as_int(back));
  } catch (const kin::RunStop&) {
    require(false, "an integer read does not read back from its printed form");
  }
  require(back == v, "an integer read back differs");
}

void check_real(double v) {
  require(std::isfinite(v), "a real read is not finite");
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  double back = 0.0;
  try {
    read_back(buf, kin::as_real(back));
  } catch (const kin::RunStop&) {
    require(false, "a real read does not read back from its printed form");
  }
  require(std::memcmp(&back, &v, sizeof v) == 0, "a real read back differs");
}

void run_script(std::string_view script, kin::FreeInput& in) {
  int ops = 0;
  size_t p = 0;
  while (p < script.size() && ops < 64) {
    while (p < script.size() && script[p] == ' ') ++p;
    size_t e = p;
    while (e < script.size() && script[e] != ' ') ++e;
    const std::string_view tok = script.substr(p, e - p);
    p = e;
    if (tok.empty()) continue;
    ++ops;
    const long before = in.line_number();
    if (tok == "n") {
      in.next_line();
    } else if (tok[0] == 'd') {
      int count = 0, per = 20;
      size_t k = 1;
      for (; k < tok.size() && k < 5 && tok[k] >= '0' && tok[k] <= '9'; ++k) count = count * 10 + (tok[k] - '0');
      if (k < tok.size() && tok[k] == '/') {
        int v = 0;
        for (++k; k < tok.size() && k < 9 && tok[k] >= '0' && tok[k] <= '9'; ++k) v = v * 10 + (tok[k] - '0');
        per = v;
      }
      if (per < 1) per = 1;
      int expect = 1;
      in.read_digit_columns(count, per, [&](int f, int v) {
        require(f == expect++ && f <= count, "flags out of order");
        require(v >= 0 && v <= 9, "a flag is not a digit");
      });
      require(expect == (count < 1 ? 1 : count + 1), "flags missing");
    } else {
      if (tok.find_first_not_of("irtc") != std::string_view::npos || tok.size() > 32) continue;
      std::vector<int32_t> ints(tok.size(), 7);
      std::vector<double> reals(tok.size(), 0.5);
      std::vector<std::string> texts(tok.size(), "?");
      std::vector<kin::FreeTarget> targets;
      for (size_t k = 0; k < tok.size(); ++k) {
        switch (tok[k]) {
          case 'i': targets.push_back(kin::as_int(ints[k])); break;
          case 'r': targets.push_back(kin::as_real(reals[k])); break;
          case 't': targets.push_back(kin::as_text(texts[k], 20)); break;
          default: targets.push_back(kin::as_text(texts[k], 1)); break;
        }
      }
      in.read(targets.data(), targets.size());
      for (size_t k = 0; k < tok.size(); ++k) {
        switch (tok[k]) {
          case 'i': check_int(ints[k]); break;
          case 'r': check_real(reals[k]); break;
          case 't': require(texts[k] == "?" || texts[k].size() == 20, "a text is not 20 characters"); break;
          default: require(texts[k] == "?" || texts[k].size() == 1, "a text is not 1 character"); break;
        }
      }
    }
    require(in.line_number() > before, "an operation did not move on");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  const size_t nl = all.find('\n');
  const std::string_view script = all.substr(0, nl);
  const std::string_view content = nl == std::string_view::npos ? std::string_view() : all.substr(nl + 1);
  kinfuzz::QuietConsole qc;
  kin::FreeInput in("fuzz.inp", content, qc.con);
  try {
    run_script(script, in);
  } catch (const kin::RunStop& stop) {
    require(stop.status == kin::kInputError, "the reader stopped with another status than an input error");
  }
  return 0;
}
