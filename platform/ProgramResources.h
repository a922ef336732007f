#pragma once
// Files embedded in the program when it is built (the archives a "res:" path names),
// found by name without regard to case. The bytes live as long as the program.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct ProgramResource {
  const uint8_t* data;
  size_t size;
};

// Adds a resource, or replaces the one of the same name. Data must outlive its use.
// The build calls this from the source that add_program_resources generates.
void RegisterProgramResource(const std::string& name, const uint8_t* data, size_t size);
void UnregisterProgramResource(const std::string& name);

std::optional<ProgramResource> FindProgramResource(const std::string& name);
