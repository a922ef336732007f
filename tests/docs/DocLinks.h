#pragma once
// The relative links of the documentation's Markdown pages and whether they resolve: to
// a file or folder of the tree, and to a heading of the page when they name an anchor.

#include <filesystem>
#include <string>
#include <vector>

// The anchor a heading's text gets when the page is shown: lower case; letters, digits,
// "-" and "_" kept, blanks become "-", everything else goes.
std::string HeadingAnchor(const std::string& heading);

// The anchors of a page's headings; a second heading of the same text gets "-1", a third
// "-2", and so on.
std::vector<std::string> PageAnchors(const std::string& markdown);

struct TDocLink {
  int line = 0;        // from 1
  std::string target;  // as written, "path#anchor", "path" or "#anchor"
};

// The links "[text](target)" and images "![text](target)" outside code (fenced or
// indented blocks and `spans`), with the line they start on. Addresses with a scheme
// ("https:", "mailto:") are left out.
std::vector<TDocLink> RelativeLinks(const std::string& markdown);

// Every link of the page at path that does not resolve, one line each:
// "PAGE:LINE: TARGET: why".
std::vector<std::string> BrokenLinks(const std::filesystem::path& page);
