#include "tools/datatool/Commands.h"

// Each command lives in a file of its own; this table only lists them.

extern const Command EvalCommand;

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      EvalCommand,
  };
  return commands;
}
