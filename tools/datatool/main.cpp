// datatool: what the build uses to make the sample data, what content authors use to
// check, convert, encipher and pack theirs, and what the tests drive.
#include <cstdio>
#include <cstring>

#include "tools/datatool/Commands.h"

static void PrintHelp() {
  std::puts("usage: datatool COMMAND [ARGS]\n\ncommands:");
  for (const Command& c : AllCommands()) std::printf("  %s %s\n      %s\n", c.name, c.usage, c.help);
  std::puts(
      "\nOUT: \"-\" is the standard output; a named pipe or a device is written directly; a\n"
      "symbolic link is followed and the file it leads to replaced; a file is replaced safely\n"
      "(a temporary beside it, renamed over it).");
}

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    PrintHelp();
    return argc < 2 ? 2 : 0;
  }
  for (const Command& c : AllCommands()) {
    if (std::strcmp(c.name, argv[1]) == 0) return c.run(Args(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "datatool: unknown command '%s' (see datatool --help)\n", argv[1]);
  return 2;
}
