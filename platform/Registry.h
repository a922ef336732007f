#pragma once
// Named string values under a key path, as a settings registry keeps them. Each key is
// a folder under the user's configuration folder (the key path's "\" parts as
// sub-folders) holding one small text file per root. Both roots are per user: a
// machine-wide store would need a folder every user may write into.

#include <cstdint>
#include <string>

namespace platform {

enum class RegistryRoot : uint8_t { CurrentUser, LocalMachine };

// The value's text; false when the key or the value does not exist.
bool ReadRegistryValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                       std::string& value);
// Stores the value, making the key when missing; false when it cannot be saved.
bool WriteRegistryValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        const std::string& value);

// The file that holds a key's values; empty when the key path names no folder.
std::string RegistryFile(RegistryRoot root, const std::string& keyPath);

}  // namespace platform
