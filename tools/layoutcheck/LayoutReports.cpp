#include "tools/layoutcheck/LayoutReports.h"

#include "foundation/Warnings.h"

void LayoutReports::Add(const std::string& file, const std::string& path, const std::string& what) {
  std::string line = FormatWarning(file, path + ": " + what);
  if (seen_.insert(line).second) lines_.push_back(std::move(line));
}
