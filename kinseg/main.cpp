// kinseg: segregation analysis of a binary trait in the pedigree files
// geneticists keep. Subcommands: check, export, eval, fit, test, draw. Exit status 0
// done, 1 the data are refused, 2 bad usage or a file that cannot be read or
// written.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "kinseg/command.hpp"
#include "kinseg/suggest.hpp"

#ifndef KINSEG_VERSION
#define KINSEG_VERSION ""
#endif

int main(int argc, char** argv) {
  using namespace kinseg::cli;
  const std::string version = std::string(KINSEG_VERSION).empty() ? "0.2.0" : KINSEG_VERSION;
  CLI::App app("kinseg " + version +
                   ": segregation analysis of a binary trait in pedigrees. Messages go to standard error "
                   "(prefixed kinseg:), results to standard output or files. Exit status: 0 done, 1 the "
                   "data are refused (every problem listed), 2 bad usage or a file that cannot be read or "
                   "written.",
               "kinseg");
  app.set_version_flag("--version", "kinseg " + version);
  app.require_subcommand(1);
  // Help lines: a required option says so in words; subcommands made after
  // this share the formatter.
  app.get_formatter()->label("REQUIRED", "(required)");
  std::vector<Command> commands = {add_check_command(app), add_export_command(app), add_eval_command(app),
                                   add_fit_command(app), add_battery_command(app),
                                   add_draw_command(app)};
  kinseg::cli::version() = version;
  for (int i = 0; i < argc; ++i) {
    // Words with blanks, quotes or shell characters are quoted, so that the
    // line can be run again.
    std::string arg = i == 0 ? "kinseg" : argv[i];
    if (arg.empty() || arg.find_first_of(" \t'\"$`\\") != std::string::npos) {
      std::string quoted = "'";
      for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
      arg = quoted + "'";
    }
    kinseg::cli::command_line() += (i ? " " : "") + arg;
  }
  if (argc == 1) {
    std::cerr << "kinseg: a subcommand is needed: check, export, eval, fit, test or draw (kinseg test DATA runs "
                 "the whole analysis of a pedigree file)\nkinseg: see kinseg --help\n";
    return kUsage;
  }
  // A mistyped subcommand or option is named as such, with the nearest
  // known word, before CLI11 would call it a stray argument.
  const std::string unknown = unknown_word(app, std::vector<std::string>(argv + 1, argv + argc));
  if (!unknown.empty()) {
    std::string sub;
    for (const Command& c : commands)
      if (argc > 1 && c.app->get_name() == argv[1]) sub = c.app->get_name() + " ";
    std::cerr << "kinseg: " << unknown << "\nkinseg: see kinseg " << sub << "--help\n";
    return kUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e) == 0 ? kDone : kUsage;  // --help, --version
    std::string sub;
    for (const Command& c : commands)
      if (c.app->parsed()) sub = c.app->get_name() + " ";
    std::cerr << "kinseg: " << e.what() << "\nkinseg: see kinseg " << sub << "--help\n";
    return kUsage;
  }
  try {
    for (const Command& c : commands)
      if (c.app->parsed()) return c.run();
  } catch (const std::bad_alloc&) {
    std::cerr << "kinseg: out of memory\n";
  } catch (const std::exception& e) {
    // Not expected: every problem of the data is reported as such.
    std::cerr << "kinseg: internal error: " << e.what() << "\n";
  }
  return kUsage;
}
