#include "foundation/RegistryRoutines.h"

#include <cstdlib>
#include <filesystem>

#include "foundation/SafeFile.h"
#include "foundation/Warnings.h"

namespace {

std::string& FolderOverride() {
  static std::string folder;
  return folder;
}

// A key path segment or value name as a file name: no separators, no "." or "..".
std::string FileNameOf(const std::string& name) {
  std::string out;
  for (char c : name) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_' || c == '.' || c == ' ';
    out += plain ? c : '_';
  }
  if (out.empty() || out == "." || out == "..") out = "_" + out;
  return out;
}

std::filesystem::path ValuePath(TRegistryRoot root, const std::string& keyPath,
                                const std::string& valueName) {
  std::filesystem::path path = RegistryFolder();
  path /= root == TRegistryRoot::CurrentUser ? "user" : "machine";
  size_t start = 0;
  while (start <= keyPath.size()) {
    size_t end = keyPath.find_first_of("\\/", start);
    if (end == std::string::npos) end = keyPath.size();
    if (end > start) path /= FileNameOf(keyPath.substr(start, end - start));
    start = end + 1;
  }
  return path / (FileNameOf(valueName) + ".value");
}

}  // namespace

void SetRegistryFolder(const std::string& folder) {
  FolderOverride() = folder;
}

std::string RegistryFolder() {
  if (!FolderOverride().empty()) return FolderOverride();
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) return config;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config";
  return {};
}

bool ReadRegistryString(TRegistryRoot root, const std::string& keyPath,
                        const std::string& valueName, std::string& value) {
  if (RegistryFolder().empty()) return false;
  // The values are the player's files by another name: read as safely.
  std::string path = ValuePath(root, keyPath, valueName).string();
  TPlayerFile file = ReadPlayerFile(path);
  if (file.state == TPlayerFileState::Damaged)
    Warn(path, "damaged (" + file.problem + "); read as no value");
  if (file.state != TPlayerFileState::Read) return false;
  value = std::move(file.bytes);
  return true;
}

bool WriteRegistryString(TRegistryRoot root, const std::string& keyPath,
                         const std::string& valueName, const std::string& value) {
  if (RegistryFolder().empty()) return false;
  std::filesystem::path path = ValuePath(root, keyPath, valueName);
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) {
    Warn(path.string(), "not saved (" + error.message() + ")");
    return false;
  }
  return SavePlayerFile(path.string(), value);
}
