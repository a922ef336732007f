#pragma once
// What the layout check found: one line per fault, as the warning channel writes them
// ("warning: FILE: WIDGET PATH: WHAT"), each distinct line once.

#include <set>
#include <string>
#include <vector>

class LayoutReports {
 public:
  void Add(const std::string& file, const std::string& path, const std::string& what);
  const std::vector<std::string>& Lines() const { return lines_; }
  bool Empty() const { return lines_.empty(); }

 private:
  std::set<std::string> seen_;
  std::vector<std::string> lines_;
};
