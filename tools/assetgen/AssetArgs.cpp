#include "tools/assetgen/AssetArgs.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace assetgen {

AssetArgs::AssetArgs(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    const size_t eq = word.find('=');
    if (eq == std::string::npos || eq == 0)
      throw AssetError("'" + word + "' is not a key=value parameter");
    const std::string key = word.substr(0, eq);
    if (!values_.emplace(key, word.substr(eq + 1)).second)
      throw AssetError("parameter '" + key + "' is given twice");
  }
}

const std::string* AssetArgs::Find(const std::string& key) const {
  auto it = values_.find(key);
  if (it == values_.end()) return nullptr;
  used_.insert(key);
  return &it->second;
}

std::string AssetArgs::Text(const std::string& key, const std::string& fallback) const {
  const std::string* v = Find(key);
  return v ? *v : fallback;
}

int AssetArgs::Int(const std::string& key, int fallback, int min, int max) const {
  const std::string* v = Find(key);
  if (!v) return fallback;
  errno = 0;
  char* end = nullptr;
  const long n = std::strtol(v->c_str(), &end, 10);
  if (v->empty() || *end != '\0' || errno == ERANGE)
    throw AssetError("parameter '" + key + "': '" + *v + "' is not a whole number");
  if (n < min || n > max)
    throw AssetError("parameter '" + key + "': " + *v + " is outside " + std::to_string(min) +
                     ".." + std::to_string(max));
  return static_cast<int>(n);
}

double AssetArgs::Real(const std::string& key, double fallback, double min, double max) const {
  const std::string* v = Find(key);
  if (!v) return fallback;
  char* end = nullptr;
  const double x = std::strtod(v->c_str(), &end);
  if (v->empty() || *end != '\0' || !std::isfinite(x))
    throw AssetError("parameter '" + key + "': '" + *v + "' is not a number");
  if (x < min || x > max) throw AssetError("parameter '" + key + "': " + *v + " is out of range");
  return x;
}

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseColour(const std::string& text, Rgba& out) {
  if (text.size() != 6 && text.size() != 8) return false;
  float channels[4] = {0, 0, 0, 1};
  for (size_t i = 0; i < text.size(); i += 2) {
    const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    channels[i / 2] = static_cast<float>(hi * 16 + lo) / 255.0f;
  }
  out = {channels[0], channels[1], channels[2], channels[3]};
  return true;
}

Rgba AssetArgs::Colour(const std::string& key, Rgba fallback) const {
  const std::string* v = Find(key);
  if (!v) return fallback;
  Rgba c;
  if (!ParseColour(*v, c))
    throw AssetError("parameter '" + key + "': '" + *v + "' is not a colour rrggbb or rrggbbaa");
  return c;
}

bool AssetArgs::Flag(const std::string& key, bool fallback) const {
  const std::string* v = Find(key);
  if (!v) return fallback;
  if (*v == "yes") return true;
  if (*v == "no") return false;
  throw AssetError("parameter '" + key + "': '" + *v + "' is neither yes nor no");
}

std::string AssetArgs::Choice(const std::string& key,
                              const std::vector<std::string>& choices) const {
  const std::string* v = Find(key);
  if (!v) return choices.front();
  for (const std::string& c : choices)
    if (*v == c) return c;
  std::string list;
  for (const std::string& c : choices) list += (list.empty() ? "" : ", ") + c;
  throw AssetError("parameter '" + key + "': '" + *v + "' is not one of " + list);
}

void AssetArgs::CheckAllUsed() const {
  for (const auto& [key, value] : values_)
    if (!used_.count(key)) throw AssetError("unknown parameter '" + key + "'");
}

}  // namespace assetgen
