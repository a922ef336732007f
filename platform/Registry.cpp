#include "platform/Registry.h"

#include <cstdio>
#include <map>

#include "platform/Folders.h"

namespace platform {
namespace {

// Values are kept one a line as name=value; bytes that would break that form (control
// characters, "=", "%") are written as %XX.
std::string Escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == '=' || c == '%' || c == 0x7F) {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", c);
      out += code;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    int high = i + 2 < text.size() && text[i] == '%' ? HexDigit(text[i + 1]) : -1;
    int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
    if (low >= 0) {
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

using Values = std::map<std::string, std::string>;

Values Parse(const std::string& text) {
  Values values;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;  // not ours: skip rather than fail
    values[Unescape(line.substr(0, equals))] = Unescape(line.substr(equals + 1));
  }
  return values;
}

// The key's folder: its "\" or "/" separated parts, without empty or dot parts, which
// could otherwise climb out of the configuration folder.
std::string KeyFolder(const std::string& keyPath) {
  std::string base = UserConfigFolder();
  if (base.empty()) return {};
  std::string folder = base;
  bool any = false;
  size_t start = 0;
  while (start <= keyPath.size()) {
    size_t end = keyPath.find_first_of("\\/", start);
    if (end == std::string::npos) end = keyPath.size();
    std::string part = keyPath.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == "." || part == "..") continue;
    folder += part + "/";
    any = true;
  }
  return any ? folder : std::string();
}

}  // namespace

std::string RegistryFile(RegistryRoot root, const std::string& keyPath) {
  std::string folder = KeyFolder(keyPath);
  if (folder.empty()) return {};
  return folder + (root == RegistryRoot::CurrentUser ? "user.values" : "machine.values");
}

bool ReadRegistryValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                       std::string& value) {
  std::string file = RegistryFile(root, keyPath);
  std::string text;
  if (file.empty() || !ReadWholeFile(file, text, 16u << 20)) return false;
  Values values = Parse(text);
  auto found = values.find(name);
  if (found == values.end()) return false;
  value = found->second;
  return true;
}

bool WriteRegistryValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                        const std::string& value) {
  std::string file = RegistryFile(root, keyPath);
  if (file.empty() || !MakeFolder(file.substr(0, file.rfind('/')))) return false;
  std::string text;
  Values values;
  if (ReadWholeFile(file, text, 16u << 20)) values = Parse(text);
  values[name] = value;
  text.clear();
  for (const auto& [key, stored] : values) text += Escape(key) + "=" + Escape(stored) + "\n";
  return ReplaceWholeFile(file, text);
}

}  // namespace platform
