#include "platform/ProgramResources.h"

#include <unordered_map>

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Built on first use, so that registrations from static initialisers of the program's
// own sources find it whatever their order.
std::unordered_map<std::string, ProgramResource>& Table() {
  static std::unordered_map<std::string, ProgramResource> table;
  return table;
}

}  // namespace

void RegisterProgramResource(const std::string& name, const uint8_t* data, size_t size) {
  Table()[Lower(name)] = ProgramResource{data, size};
}

void UnregisterProgramResource(const std::string& name) {
  Table().erase(Lower(name));
}

std::optional<ProgramResource> FindProgramResource(const std::string& name) {
  auto it = Table().find(Lower(name));
  if (it == Table().end()) return std::nullopt;
  return it->second;
}
