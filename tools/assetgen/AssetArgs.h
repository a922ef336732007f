#pragma once
// The parameters of one asset: the "key=value" words after its name on a line of a
// data/assets/*.txt file. Readers check ranges so that a typo in a source cannot make the
// generator allocate gigabytes or loop for ever; every error names the key.

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace assetgen {

// A bad source line or an unwritable output: the message is for the content author.
class AssetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A colour with straight (not premultiplied) alpha, each channel 0..1.
struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};

class AssetArgs {
 public:
  AssetArgs() = default;
  // Each word must be "key=value"; a repeated key is an error.
  explicit AssetArgs(const std::vector<std::string>& words);

  bool Has(const std::string& key) const { return values_.count(key) != 0; }
  std::string Text(const std::string& key, const std::string& fallback) const;
  int Int(const std::string& key, int fallback, int min, int max) const;
  double Real(const std::string& key, double fallback, double min, double max) const;
  // "rrggbb" or "rrggbbaa" in hexadecimal.
  Rgba Colour(const std::string& key, Rgba fallback) const;
  bool Flag(const std::string& key, bool fallback) const;  // "yes" or "no"
  // One of the words of `choices`; fallback when absent.
  std::string Choice(const std::string& key, const std::vector<std::string>& choices) const;

  // A key that no reader asked for is most likely a typo: refuse it.
  void CheckAllUsed() const;

 private:
  const std::string* Find(const std::string& key) const;

  std::map<std::string, std::string> values_;
  mutable std::set<std::string> used_;
};

// Parses "rrggbb" / "rrggbbaa"; false on anything else.
bool ParseColour(const std::string& text, Rgba& out);

}  // namespace assetgen
