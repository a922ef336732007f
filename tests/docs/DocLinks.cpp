#include "tests/docs/DocLinks.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The lines outside code blocks, each with its `spans` blanked out; code lines are empty.
std::vector<std::string> ProseLines(const std::string& markdown) {
  std::vector<std::string> lines = Lines(markdown);
  bool fenced = false;
  bool previousBlank = true;
  bool inIndentedBlock = false;
  for (std::string& line : lines) {
    bool blank = line.find_first_not_of(" \t") == std::string::npos;
    std::string trimmed = blank ? std::string() : line.substr(line.find_first_not_of(" \t"));
    if (StartsWith(trimmed, "```") || StartsWith(trimmed, "~~~")) {
      fenced = !fenced;
      line.clear();
      previousBlank = false;
      continue;
    }
    // An indented block starts after a blank line; list items' continuations are prose.
    bool indented = StartsWith(line, "    ") || StartsWith(line, "\t");
    if (!blank) inIndentedBlock = indented && (previousBlank || inIndentedBlock);
    if (fenced || (inIndentedBlock && !blank)) {
      line.clear();
    } else {
      bool inSpan = false;
      for (char& c : line) {
        if (c == '`') inSpan = !inSpan;
        if (inSpan || c == '`') c = ' ';
      }
    }
    previousBlank = blank;
  }
  return lines;
}

bool HasScheme(const std::string& target) {
  size_t colon = target.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  return std::all_of(target.begin(), target.begin() + long(colon),
                     [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

}  // namespace

std::string HeadingAnchor(const std::string& heading) {
  std::string anchor;
  for (char c : heading) {
    unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '-' || c == '_' || u >= 0x80)
      anchor += char(std::tolower(u));
    else if (c == ' ')
      anchor += '-';
  }
  return anchor;
}

std::vector<std::string> PageAnchors(const std::string& markdown) {
  std::vector<std::string> anchors;
  std::map<std::string, int> seen;
  bool fenced = false;
  for (const std::string& line : Lines(markdown)) {
    if (StartsWith(line, "```") || StartsWith(line, "~~~")) fenced = !fenced;
    if (fenced || !StartsWith(line, "#")) continue;
    size_t text = line.find_first_not_of('#');
    if (text == std::string::npos || text > 6 || line[text] != ' ') continue;
    std::string heading = line.substr(text + 1);
    while (!heading.empty() && (heading.back() == ' ' || heading.back() == '#')) heading.pop_back();
    std::string anchor = HeadingAnchor(heading);
    int count = seen[anchor]++;
    anchors.push_back(count == 0 ? anchor : anchor + "-" + std::to_string(count));
  }
  return anchors;
}

std::vector<TDocLink> RelativeLinks(const std::string& markdown) {
  std::vector<TDocLink> links;
  std::vector<std::string> lines = ProseLines(markdown);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    for (size_t at = line.find("]("); at != std::string::npos; at = line.find("](", at + 2)) {
      size_t end = line.find(')', at + 2);
      if (end == std::string::npos) break;
      std::string target = line.substr(at + 2, end - at - 2);
      // A title after the address: [text](path "title").
      if (size_t blank = target.find(' '); blank != std::string::npos) target.resize(blank);
      if (target.empty() || HasScheme(target)) continue;
      links.push_back({int(i + 1), target});
    }
  }
  return links;
}

std::vector<std::string> BrokenLinks(const std::filesystem::path& page) {
  std::vector<std::string> broken;
  std::string text = ReadAll(page);
  for (const TDocLink& link : RelativeLinks(text)) {
    auto report = [&](const std::string& why) {
      broken.push_back(page.string() + ":" + std::to_string(link.line) + ": " + link.target +
                       ": " + why);
    };
    size_t hash = link.target.find('#');
    std::string path = link.target.substr(0, hash);
    std::string anchor = hash == std::string::npos ? std::string() : link.target.substr(hash + 1);
    std::filesystem::path target = path.empty() ? page : page.parent_path() / path;
    std::error_code error;
    if (!std::filesystem::exists(target, error)) {
      report("no such file");
      continue;
    }
    if (anchor.empty()) continue;
    if (std::filesystem::is_directory(target, error) || target.extension() != ".md") {
      report("an anchor in what is not a page");
      continue;
    }
    std::vector<std::string> anchors = PageAnchors(ReadAll(target));
    if (std::find(anchors.begin(), anchors.end(), anchor) == anchors.end())
      report("no heading of that anchor");
  }
  return broken;
}
