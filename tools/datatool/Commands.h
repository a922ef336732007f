#pragma once
// The data tool's subcommands. Each takes the arguments after its name and returns the
// process exit code: 0 success, 1 bad data (message printed), 2 bad usage.

#include <string>
#include <vector>

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;  // arguments, as printed by --help
  const char* help;   // one line
  int (*run)(const Args& args);
};

// Every subcommand, in the order --help lists them.
const std::vector<Command>& AllCommands();
