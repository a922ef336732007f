// Scripts of input and checks come from the user's files: any text must parse into
// commands or give a message, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<platform::ScriptCommand> commands;
  std::string error;
  if (!platform::ParseScript(text, commands, error) && error.rfind("line ", 0) != 0) {
    __builtin_trap();  // every message names its line
  }
  return 0;
}
