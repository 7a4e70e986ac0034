// The JSON files of kinseg check, kinseg fit and kinseg test read against
// their written schema, docs/json.md: its key tables are parsed, and every
// key each command writes must be documented for its object with its type,
// and every required key must be written. Then what the two analyses write
// for one fit: the same Fit keys in kinseg fit's document and in each model
// of kinseg test's, and PREFIX.estimates.tsv with the same columns under both
// commands, each column a key of the Parameter object holding the same value.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kinseg_run.hpp"

namespace {

using nlohmann::json;
using kintest::kinseg;
using kintest::read_file;
using kintest::rows_of;

// A type of the schema's notation: string, integer, number, boolean, T?, [T],
// {T} or an object's name.
struct Type {
  enum Kind { kString, kInteger, kNumber, kBoolean, kArray, kMap, kObject } kind = kString;
  bool nullable = false;
  std::shared_ptr<Type> element;  // of an array or a map
  std::string object;             // of an object
};

Type parse_type(std::string t) {
  Type out;
  if (!t.empty() && t.back() == '?') {
    out = parse_type(t.substr(0, t.size() - 1));
    out.nullable = true;
    return out;
  }
  if (t.size() >= 2 && ((t.front() == '[' && t.back() == ']') || (t.front() == '{' && t.back() == '}'))) {
    out.kind = t.front() == '[' ? Type::kArray : Type::kMap;
    out.element = std::make_shared<Type>(parse_type(t.substr(1, t.size() - 2)));
    return out;
  }
  static const std::map<std::string, Type::Kind> kinds = {
      {"string", Type::kString}, {"integer", Type::kInteger}, {"number", Type::kNumber}, {"boolean", Type::kBoolean}};
  if (const auto k = kinds.find(t); k != kinds.end()) {
    out.kind = k->second;
  } else {
    out.kind = Type::kObject;
    out.object = t;
  }
  return out;
}

struct Key {
  std::string type_text;
  Type type;
  bool required = true;
};

struct Object {
  std::map<std::string, Key> keys;
  std::vector<std::string> includes;  // "Also every key of `Name`."
};

struct Schema {
  std::map<std::string, Object> objects;
  std::vector<std::string> problems;  // of the document itself
};

// The text between the first pair of backquotes after FROM, or "" (and
// FROM is moved past it).
std::string quoted(const std::string& line, size_t& from) {
  const size_t open = line.find('`', from);
  if (open == std::string::npos) return "";
  const size_t close = line.find('`', open + 1);
  if (close == std::string::npos) return "";
  from = close + 1;
  return line.substr(open + 1, close - open - 1);
}

// The cells of a table row "| a | b | c |", trimmed.
std::vector<std::string> cells(const std::string& line) {
  std::vector<std::string> out;
  size_t start = 1;
  for (size_t bar = line.find('|', start); bar != std::string::npos; bar = line.find('|', start)) {
    std::string c = line.substr(start, bar - start);
    const size_t first = c.find_first_not_of(' '), last = c.find_last_not_of(' ');
    out.push_back(first == std::string::npos ? "" : c.substr(first, last - first + 1));
    start = bar + 1;
  }
  return out;
}

// The objects of docs/json.md: a heading "## Name" or "### Name" opens one;
// a table row "| `key` | `type` | yes/no | meaning |" adds a key to it; a
// line "Also every key of `Name`." includes another's keys.
Schema read_schema(const std::string& markdown) {
  Schema s;
  std::istringstream in(markdown);
  std::string current;
  const std::string include = "Also every key of `";
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("## ", 0) == 0 || line.rfind("### ", 0) == 0) {
      current = line.substr(line.find(' ') + 1);
      if (current.find(' ') != std::string::npos) current.clear();  // a heading that names no object
      if (current.empty()) continue;
      if (s.objects.count(current)) s.problems.push_back("object " + current + " documented twice");
      s.objects[current];
    } else if (line.rfind("| `", 0) == 0 && !current.empty() && current != "Types") {
      const std::vector<std::string> c = cells(line);
      if (c.size() < 4 || (c[2] != "yes" && c[2] != "no")) continue;
      size_t at = 0;
      const std::string key = quoted(c[0], at);
      at = 0;
      const std::string type = quoted(c[1], at);
      if (key.empty() || type.empty()) continue;
      Object& o = s.objects[current];
      if (o.keys.count(key)) s.problems.push_back(current + "." + key + " documented twice");
      o.keys[key] = {type, parse_type(type), c[2] == "yes"};
    } else if (line.rfind(include, 0) == 0 && !current.empty()) {
      size_t at = 0;
      s.objects[current].includes.push_back(quoted(line, at));
    }
  }
  return s;
}

// Every key of an object, its includes' among them.
std::map<std::string, Key> all_keys(const Schema& s, const std::string& name) {
  std::map<std::string, Key> out;
  const auto o = s.objects.find(name);
  if (o == s.objects.end()) return out;
  for (const std::string& inc : o->second.includes)
    for (const auto& [k, v] : all_keys(s, inc)) out[k] = v;
  for (const auto& [k, v] : o->second.keys) out[k] = v;
  return out;
}

void check(const Schema& s, const json& j, const Type& t, const std::string& path, std::vector<std::string>& errors) {
  if (j.is_null()) {
    if (!t.nullable) errors.push_back(path + ": null where it may not be");
    return;
  }
  switch (t.kind) {
    case Type::kString:
      if (!j.is_string()) errors.push_back(path + ": not a string");
      return;
    case Type::kInteger:
      if (!j.is_number_integer()) errors.push_back(path + ": not an integer");
      return;
    case Type::kNumber:
      if (!j.is_number()) errors.push_back(path + ": not a number");
      return;
    case Type::kBoolean:
      if (!j.is_boolean()) errors.push_back(path + ": not a boolean");
      return;
    case Type::kArray:
      if (!j.is_array()) {
        errors.push_back(path + ": not an array");
        return;
      }
      for (size_t i = 0; i < j.size(); ++i) check(s, j[i], *t.element, path + "[" + std::to_string(i) + "]", errors);
      return;
    case Type::kMap:
      if (!j.is_object()) {
        errors.push_back(path + ": not an object");
        return;
      }
      for (const auto& [k, v] : j.items()) check(s, v, *t.element, path + "." + k, errors);
      return;
    case Type::kObject: {
      if (!j.is_object()) {
        errors.push_back(path + ": not an object (" + t.object + ")");
        return;
      }
      const auto keys = all_keys(s, t.object);
      for (const auto& [k, v] : j.items()) {
        const auto d = keys.find(k);
        if (d == keys.end())
          errors.push_back(path + "." + k + ": not documented for " + t.object);
        else
          check(s, v, d->second.type, path + "." + k, errors);
      }
      for (const auto& [k, d] : keys)
        if (d.required && !j.contains(k)) errors.push_back(path + ": required key " + k + " of " + t.object + " missing");
      return;
    }
  }
}

std::vector<std::string> violations(const Schema& s, const json& j, const std::string& object) {
  std::vector<std::string> errors;
  check(s, j, parse_type(object), object, errors);
  return errors;
}

std::string lines(const std::vector<std::string>& v) {
  std::string out;
  for (const auto& x : v) out += x + "\n";
  return out;
}

const std::string kExample = std::string(KINSEG_EXAMPLE_DIR) + "/input/sample.dat";

// The runs every test here reads, made once.
class WrittenJson : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new kintest::TempDir;
    schema_ = new Schema(read_schema(read_file(KINSEG_JSON_DOC)));
    for (const auto& args :
         {"check " + kExample + " --json check.json",
          "check " + kintest::kinseg_fixture("errors.csv") + " --json refused.json",
          "check " + kintest::kinseg_fixture("loops.csv") + " --json loops.json",
          "fit " + kExample + " --model mendelian:dominant --covar smoker --starts 2 --out fit",
          "fit " + kExample + " --model sporadic --starts 1 --no-profile --out sporadic",
          "test " + kExample + " --covar smoker --starts 2 --out test",
          "check " + kintest::kinseg_fixture("onset.txt") + " --onset age --json onset_check.json",
          "fit " + kintest::kinseg_fixture("onset.txt") +
              " --onset age --model mendelian:dominant --starts 1 --no-profile --out onset",
          "fit " + kintest::kinseg_fixture("two_maxima.dat") + " --model mendelian:recessive --no-profile --out two"}) {
      const auto r = kinseg(args);
      runs_ok_ = runs_ok_ && (r.status == 0 || args.find("refused") != std::string::npos);
    }
  }
  static void TearDownTestSuite() {
    delete schema_;
    delete dir_;
  }
  static const Schema& schema() { return *schema_; }
  static json read(const std::string& name) { return json::parse(read_file(name)); }
  static bool runs_ok_;

 private:
  static kintest::TempDir* dir_;
  static Schema* schema_;
};

kintest::TempDir* WrittenJson::dir_ = nullptr;
Schema* WrittenJson::schema_ = nullptr;
bool WrittenJson::runs_ok_ = true;

TEST_F(WrittenJson, TheSchemaIsWellFormed) {
  const Schema& s = schema();
  EXPECT_TRUE(s.problems.empty()) << lines(s.problems);
  for (const char* document : {"Check", "Run", "FitDocument", "Fit", "Parameter", "Start", "BatteryDocument",
                               "BatteryModel"})
    EXPECT_FALSE(all_keys(s, document).empty()) << document;
  // Every object a type names is documented, and every include.
  std::function<void(const Type&, const std::string&)> known = [&](const Type& t, const std::string& where) {
    if (t.element) known(*t.element, where);
    if (t.kind == Type::kObject) {
      EXPECT_TRUE(s.objects.count(t.object)) << where << ": " << t.object;
    }
  };
  for (const auto& [name, o] : s.objects) {
    for (const auto& [k, key] : o.keys) known(key.type, name + "." + k);
    for (const auto& inc : o.includes) EXPECT_TRUE(s.objects.count(inc)) << name << " includes " << inc;
  }
}

TEST_F(WrittenJson, EveryDocumentFollowsTheSchema) {
  ASSERT_TRUE(runs_ok_);
  const Schema& s = schema();
  const std::vector<std::pair<std::string, std::string>> documents = {{"check.json", "Check"},
                                                                      {"refused.json", "Check"},
                                                                      {"loops.json", "Check"},
                                                                      {"fit.json", "FitDocument"},
                                                                      {"sporadic.json", "FitDocument"},
                                                                      {"test.json", "BatteryDocument"},
                                                                      {"onset_check.json", "Check"},
                                                                      {"onset.json", "FitDocument"},
                                                                      {"two.json", "FitDocument"}};
  for (const auto& [file, object] : documents) EXPECT_EQ(lines(violations(s, read(file), object)), "") << file;
  EXPECT_TRUE(read("two.json")["runner_up"].is_object()) << "the RunnerUp object is read against its table";
  // The checks bite: an undocumented key, a wrong type, a required key
  // missing and a null where none may be are each found.
  json bad = read("fit.json");
  bad["parameters"][0]["mystery"] = 1;
  bad["k"] = "eight";
  bad["starts"]["list"][0].erase("status");
  bad["model"] = nullptr;
  const std::string found = lines(violations(s, bad, "FitDocument"));
  for (const char* part : {"FitDocument.parameters[0].mystery: not documented for Parameter",
                           "FitDocument.k: not an integer", "required key status of Start missing",
                           "FitDocument.model: null where it may not be"})
    EXPECT_NE(found.find(part), std::string::npos) << part << "\n" << found;
}

// kinseg fit's document and each model of kinseg test's hold one fit with
// the same keys; the profiled fit has its profile points, the refused data
// no summary.
TEST_F(WrittenJson, OneFitHasTheSameKeysUnderBothCommands) {
  ASSERT_TRUE(runs_ok_);
  const json fit = read("fit.json"), test = read("test.json");
  std::set<std::string> fit_keys;
  // The keys every fit writes (risks only come with --onset).
  for (const auto& [k, key] : all_keys(schema(), "Fit"))
    if (key.required) fit_keys.insert(k);
  auto keys_of = [&](const json& j) {
    std::set<std::string> out;
    for (const auto& [k, v] : j.items())
      if (fit_keys.count(k)) out.insert(k);
    return out;
  };
  EXPECT_EQ(keys_of(fit), fit_keys);
  const json* dominant = nullptr;
  for (const json& m : test["models"]) {
    EXPECT_EQ(keys_of(m), fit_keys) << m["model"];
    if (m["model"] == "mendelian:dominant") dominant = &m;
  }
  ASSERT_NE(dominant, nullptr);
  for (size_t i = 0; i < fit["parameters"].size(); ++i) {
    std::set<std::string> a, b;
    for (const auto& [k, v] : fit["parameters"][i].items()) a.insert(k);
    for (const auto& [k, v] : (*dominant)["parameters"][i].items()) b.insert(k);
    EXPECT_EQ(a, b) << i;
    EXPECT_EQ(fit["parameters"][i]["parameter"], (*dominant)["parameters"][i]["parameter"]);
  }
  EXPECT_EQ(fit["starts"]["list"][0].size(), (*dominant)["starts"]["list"][0].size());
  EXPECT_GE(fit["parameters"][0]["profile"].size(), 3u);  // profiled: its curve
  const json* selected = nullptr;
  for (const json& m : test["models"])
    if (m["model"] == test["selected_model"]) selected = &m;
  ASSERT_NE(selected, nullptr);
  EXPECT_TRUE((*selected)["profiled"].get<bool>());
  EXPECT_GE((*selected)["parameters"][0]["profile"].size(), 3u);
  EXPECT_TRUE(read("refused.json")["summary"].is_null());
  EXPECT_FALSE(read("loops.json")["summary"]["loops"].empty());
}

// PREFIX.estimates.tsv: the same columns under both commands, each column a
// key of the Parameter object (model the Fit's), holding the JSON's value.
TEST_F(WrittenJson, EstimatesTableHoldsTheParametersOfTheJson) {
  ASSERT_TRUE(runs_ok_);
  const auto fit_rows = rows_of(read_file("fit.estimates.tsv"));
  const auto test_rows = rows_of(read_file("test.estimates.tsv"));
  ASSERT_FALSE(fit_rows.empty());
  ASSERT_FALSE(test_rows.empty());
  EXPECT_EQ(fit_rows[0], test_rows[0]);
  const auto parameter_keys = all_keys(schema(), "Parameter");
  for (size_t c = 1; c < fit_rows[0].size(); ++c)
    EXPECT_TRUE(parameter_keys.count(fit_rows[0][c])) << fit_rows[0][c] << " is not a key of Parameter";

  auto compare = [&](const std::vector<std::vector<std::string>>& rows, const std::map<std::string, const json*>& fits,
                     const std::string& file) {
    std::map<std::string, size_t> next;  // the next parameter of each model
    size_t checked = 0;
    for (size_t r = 1; r < rows.size(); ++r) {
      ASSERT_EQ(rows[r].size(), rows[0].size()) << file << " row " << r;
      const auto f = fits.find(rows[r][0]);
      ASSERT_NE(f, fits.end()) << file << ": model " << rows[r][0];
      const json& p = (*f->second)["parameters"][next[rows[r][0]]++];
      for (size_t c = 1; c < rows[0].size(); ++c) {
        const std::string& cell = rows[r][c];
        const json& v = p[rows[0][c]];
        const std::string where = file + " row " + std::to_string(r) + " " + rows[0][c];
        if (v.is_null() || (v.is_string() && v.get<std::string>().empty()))
          EXPECT_EQ(cell, "NA") << where;
        else if (v.is_boolean())
          EXPECT_EQ(cell, v.get<bool>() ? "yes" : "no") << where;
        else if (v.is_number())
          EXPECT_EQ(std::strtod(cell.c_str(), nullptr), v.get<double>()) << where;
        else
          EXPECT_EQ(cell, v.get<std::string>()) << where;
        ++checked;
      }
    }
    EXPECT_GT(checked, 0u) << file;
    for (const auto& [model, count] : next) EXPECT_EQ(count, (*fits.at(model))["parameters"].size()) << model;
  };
  const json fit = read("fit.json"), test = read("test.json");
  compare(fit_rows, {{fit["model"].get<std::string>(), &fit}}, "fit.estimates.tsv");
  std::map<std::string, const json*> models;
  for (const json& m : test["models"])
    if (!m["lnl"].is_null()) models[m["model"].get<std::string>()] = &m;
  compare(test_rows, models, "test.estimates.tsv");
}

// PREFIX.penetrances.tsv: exactly its columns under both commands, one row
// per genotype (and sex) of every model with estimates, holding the numbers
// of the model's penetrances object (genotype 0 written all; NA where the
// JSON has null).
TEST_F(WrittenJson, PenetrancesTableHoldsThePenetrancesOfTheJson) {
  ASSERT_TRUE(runs_ok_);
  const std::vector<std::string> header = {"model", "genotype", "sex", "penetrance", "ci_low", "ci_high"};
  for (const char* name : {"fit", "sporadic", "test", "onset"}) {
    SCOPED_TRACE(name);
    const auto rows = rows_of(read_file(std::string(name) + ".penetrances.tsv"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], header);
    const json j = read(std::string(name) + ".json");
    std::vector<json> fits;
    if (j.contains("models")) {
      for (const json& m : j["models"])
        if (!m["lnl"].is_null()) fits.push_back(m);
    } else {
      fits.push_back(j);
    }
    size_t r = 1;
    for (const json& f : fits) {
      ASSERT_TRUE(f["penetrances"].is_object()) << f["model"];
      EXPECT_EQ(f["penetrances"]["lifetime_risk"].get<bool>(), std::string(name) == "onset");
      for (const json& g : f["penetrances"]["genotypes"]) {
        ASSERT_LT(r, rows.size());
        const auto& row = rows[r++];
        EXPECT_EQ(row[0], f["model"].get<std::string>());
        EXPECT_EQ(row[1], g["genotype"].get<int>() == 0 ? "all" : std::to_string(g["genotype"].get<int>()));
        EXPECT_EQ(row[2], g["sex"].get<std::string>());
        for (size_t c = 3; c < header.size(); ++c) {
          const json& v = g[header[c]];
          if (v.is_null())
            EXPECT_EQ(row[c], "NA") << row[0] << " " << header[c];
          else
            EXPECT_EQ(std::strtod(row[c].c_str(), nullptr), v.get<double>()) << row[0] << " " << header[c];
        }
      }
    }
    EXPECT_EQ(r, rows.size()) << "every row a JSON genotype's";
  }
}

}  // namespace

// Both logs open with the same lines for the same facts, as the JSON files
// hold them: program and version, command, file, date.
TEST_F(WrittenJson, BothLogsOpenWithTheRunsFacts) {
  ASSERT_TRUE(runs_ok_);
  for (const char* name : {"fit", "test"}) {
    SCOPED_TRACE(name);
    const json j = read(std::string(name) + ".json");
    const std::string head = "program: " + j["program"].get<std::string>() + " " + j["version"].get<std::string>() +
                             "\ncommand: " + j["command"].get<std::string>() + "\nfile:    " +
                             j["data"]["file"].get<std::string>() + "\nstarted: " +
                             j["started"].get<std::string>() + "\n\n";
    EXPECT_EQ(read_file(std::string(name) + ".log").substr(0, head.size()), head);
    EXPECT_EQ(j["started"].get<std::string>().size(), std::string("2026-12-10 17:55 UTC").size());
  }
}
