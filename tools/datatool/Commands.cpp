#include "tools/datatool/Commands.h"

// Each command lives in a file of its own; this table only lists them.

extern const Command kEncipherCommand;  // FileCommands.cpp
extern const Command kDecipherCommand;
extern const Command kCatCommand;
extern const Command kPackCommand;
extern const Command EvalCommand;  // EvalCommand.cpp

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      kEncipherCommand,
      kDecipherCommand,
      kCatCommand,
      kPackCommand,
      EvalCommand,
  };
  return commands;
}
