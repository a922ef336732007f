#include "tools/datatool/Commands.h"

// Each command lives in a file of its own; this table only lists them.

int XmlCheckCommand(const Args& args);  // XmlCommands.cpp
int XmlToBinCommand(const Args& args);
int BinToXmlCommand(const Args& args);
extern const Command kEncipherCommand;  // FileCommands.cpp
extern const Command kDecipherCommand;
extern const Command kCatCommand;
extern const Command kPackCommand;
extern const Command EvalCommand;  // EvalCommand.cpp

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"check", "FILE", "parse an XML document (text or binary form); print the error, if any",
       XmlCheckCommand},
      {"xml2bin", "IN OUT", "convert an XML document to the binary-xml form", XmlToBinCommand},
      {"bin2xml", "IN OUT", "convert a binary-xml document to compact XML text", BinToXmlCommand},
      kEncipherCommand,
      kDecipherCommand,
      kCatCommand,
      kPackCommand,
      EvalCommand,
  };
  return commands;
}
