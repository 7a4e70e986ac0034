// "Did you mean": the known word nearest to a mistyped one, for an unknown
// subcommand or option, and the check of a command line's options before it
// is parsed, so that a typo is named as such rather than as a stray argument.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kinseg::cli {

// The candidate nearest to word by edit distance (a letter inserted, left
// out, changed, or two neighbours swapped), when it is near enough to be
// meant: at most 2 edits, and fewer than half the word's letters; else "".
std::string nearest(const std::string& word, const std::vector<std::string>& candidates);

// The message for the first word of args (argv without the program) that
// names no subcommand or no option of its subcommand, with a suggestion when
// one is near; "" when every option is known. Words after "--" and the values
// of options are not looked at.
std::string unknown_word(const CLI::App& app, const std::vector<std::string>& args);

}  // namespace kinseg::cli
