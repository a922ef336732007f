// The documentation's links: how anchors and links are read, and that every relative link
// of README.md and docs/ resolves.
#include <gtest/gtest.h>

#include "tests/docs/DocLinks.h"
#include "tests/support/TempFolder.h"

TEST(DocLinks, AnchorsAreTheHeadingsAsPagesShowThem) {
  struct Case {
    const char* heading;
    const char* anchor;
  } cases[] = {
      {"Set-up", "set-up"},
      {"The sample game: writing game data", "the-sample-game-writing-game-data"},
      {"Controls: buttons, check boxes, fields", "controls-buttons-check-boxes-fields"},
      {"`flash_scenario` steps", "flash_scenario-steps"},
      {"After a level (the statistics)", "after-a-level-the-statistics"},
  };
  for (const Case& c : cases) EXPECT_EQ(HeadingAnchor(c.heading), c.anchor) << c.heading;
  EXPECT_EQ(PageAnchors("# Top\n\n## Traps\n```\n# not a heading\n```\n### Traps\n#hashtag\n"),
            (std::vector<std::string>{"top", "traps", "traps-1"}));
}

TEST(DocLinks, LinksOutsideCodeAreFoundWithTheirLines) {
  const char* page =
      "See [the program](program.md) and ![shot](shot.png \"title\").\n"
      "Not `[code](in-a-span.md)`, not [the web](https://example.org).\n"
      "\n"
      "    [indented](code.md)\n"
      "```\n"
      "[fenced](code.md)\n"
      "```\n"
      "- [a list item](#traps), then [another](a/b.md#c)\n";
  std::vector<TDocLink> links = RelativeLinks(page);
  ASSERT_EQ(links.size(), 4u);
  struct Want {
    int line;
    const char* target;
  } wants[] = {{1, "program.md"}, {1, "shot.png"}, {8, "#traps"}, {8, "a/b.md#c"}};
  for (size_t i = 0; i < links.size(); ++i) {
    EXPECT_EQ(links[i].line, wants[i].line) << i;
    EXPECT_EQ(links[i].target, wants[i].target) << i;
  }
}

TEST(DocLinks, MissingFilesAndAnchorsAreReported) {
  TempFolder folder;
  folder.Write("docs/other.md", "# Other\n\n## Its part\n");
  folder.Write("docs/shot.png", "png");
  folder.Write("docs/page.md",
               "# Page\n[a](other.md) [b](other.md#its-part) [c](#page) [d](shot.png)\n"
               "[e](missing.md) [f](other.md#nowhere) [g](#nowhere) [h](shot.png#x)\n");
  std::vector<std::string> broken = BrokenLinks(folder / "docs/page.md");
  ASSERT_EQ(broken.size(), 4u);
  const char* wants[] = {"missing.md: no such file", "other.md#nowhere: no heading",
                         "#nowhere: no heading", "shot.png#x: an anchor in what is not a page"};
  for (size_t i = 0; i < broken.size(); ++i) {
    EXPECT_NE(broken[i].find(":3: "), std::string::npos) << broken[i];
    EXPECT_NE(broken[i].find(wants[i]), std::string::npos) << broken[i];
  }
}

TEST(DocLinks, EveryRelativeLinkOfTheDocumentationResolves) {
  const std::filesystem::path root = SOURCE_ROOT;
  std::vector<std::filesystem::path> pages = {root / "README.md"};
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root / "docs"))
    if (entry.path().extension() == ".md") pages.push_back(entry.path());
  EXPECT_GT(pages.size(), 1u) << "no pages under docs/";
  for (const std::filesystem::path& page : pages)
    for (const std::string& problem : BrokenLinks(page)) ADD_FAILURE() << problem;
}
