#include "kinseg/suggest.hpp"

#include <algorithm>

namespace kinseg::cli {

namespace {

// Edit distance with transpositions of neighbours (optimal string alignment).
size_t distance(const std::string& a, const std::string& b) {
  const size_t n = a.size(), m = b.size();
  std::vector<std::vector<size_t>> d(n + 1, std::vector<size_t>(m + 1, 0));
  for (size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (size_t i = 1; i <= n; ++i)
    for (size_t j = 1; j <= m; ++j) {
      const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[n][m];
}

std::string with_hint(const std::string& text, const std::string& suggestion) {
  return suggestion.empty() ? text : text + "; did you mean " + suggestion + "?";
}

}  // namespace

std::string nearest(const std::string& word, const std::vector<std::string>& candidates) {
  std::string best;
  size_t best_distance = 0;
  for (const std::string& c : candidates) {
    const size_t d = distance(word, c);
    if (best.empty() || d < best_distance) {
      best = c;
      best_distance = d;
    }
  }
  // Letters that count, without the dashes of an option.
  const size_t letters = word.size() - std::min(word.find_first_not_of('-'), word.size());
  if (best.empty() || best_distance > 2 || 2 * best_distance >= letters) return "";
  return best;
}

std::string unknown_word(const CLI::App& app, const std::vector<std::string>& args) {
  if (args.empty()) return "";
  const std::string& first = args.front();
  if (first.compare(0, 2, "--") == 0) {  // an option of the program itself: --help, --version
    std::vector<std::string> own;
    for (const CLI::Option* o : app.get_options())
      for (const std::string& l : o->get_lnames()) own.push_back("--" + l);
    const std::string name = first.substr(0, first.find('='));
    if (std::find(own.begin(), own.end(), name) != own.end()) return "";
    return with_hint("no option " + name, nearest(name, own)) + " (an option of a subcommand comes after it)";
  }
  if (first.empty() || first[0] == '-') return "";
  std::vector<std::string> names;
  const CLI::App* sub = nullptr;
  for (const CLI::App* s : app.get_subcommands([](const CLI::App*) { return true; })) {
    names.push_back(s->get_name());
    if (s->get_name() == first) sub = s;
  }
  if (!sub) {
    std::string list;
    for (size_t i = 0; i < names.size(); ++i) list += (i ? ", " : "") + names[i];
    return with_hint("no subcommand \"" + first + "\"", nearest(first, names)) + " (the subcommands: " + list + ")";
  }
  std::vector<std::string> options;
  for (const CLI::Option* o : sub->get_options())
    for (const std::string& l : o->get_lnames()) options.push_back("--" + l);
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") break;
    if (a.size() < 3 || a.compare(0, 2, "--") != 0) continue;
    const std::string name = a.substr(0, a.find('='));
    if (std::find(options.begin(), options.end(), name) != options.end()) continue;
    return with_hint(first + ": no option " + name, nearest(name, options));
  }
  return "";
}

}  // namespace kinseg::cli
