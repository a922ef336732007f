// The word search: straight runs read both ways, words found once, all of them win.
#include <gtest/gtest.h>

#include "minigames/MiniGameFindWords.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/FeedbackFactories.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

class FindWords : public WidgetFixture {
 protected:
  FindWords() { RegisterMiniGamesClasses(); }
  // Rows of symbols ("CAT", "OXZ", "WOB"): cell (r, c) is the widget "r<r>c<c>" at
  // (c * 20, r * 20), over a background. Ids: the position unless given.
  TFindWordsWidget* ShowGame(const std::vector<std::string>& rows, const std::string& list,
                             const std::vector<int>& ids = {}, const char* counts = nullptr) {
    std::string cells, boxes;
    std::vector<TestBoxSpec> specs{{"bg", 0, 0, 200, 200}};
    int k = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
      std::vector<std::string> symbols;
      for (size_t i = 0; i < rows[r].size();) {  // characters, in UTF-8
        size_t end = i + 1;
        while (end < rows[r].size() && (uint8_t(rows[r][end]) & 0xC0) == 0x80) ++end;
        symbols.push_back(rows[r].substr(i, end - i));
        i = end;
      }
      for (size_t c = 0; c < symbols.size(); ++c, ++k) {
        std::string name = "r" + std::to_string(r) + "c" + std::to_string(c);
        std::string id = ids.empty() ? "" : " id=\"" + std::to_string(ids[size_t(k)]) + "\"";
        cells += "<cell name=\"" + name + "\" symbol=\"" + symbols[c] + "\"" + id + "/>";
        specs.push_back({name, int(c) * 20, int(r) * 20});
      }
    }
    std::string size = counts
                           ? counts
                           : "row_count=\"" + std::to_string(rows.size()) + "\" column_count=\"" +
                                 std::to_string(rows.empty() ? 0 : k / int(rows.size())) + "\"";
    Ref<IWidget> w =
        Show(R"(<widget type="mg_FindWords_widget" name="minigame_words" visible="yes"
        mousestop="yes" list=")" +
             list + "\" " + size + ">" +
             FeedbackFactories({{"select_animation", "name"},
                                {"deselect_animation", "name"},
                                {"correct_animation", "word"},
                                {"win", ""}}) +
             "<cells>" + cells + "</cells><widgets>" + TestBoxes(specs) + "</widgets></widget>");
    return dynamic_cast<TFindWordsWidget*>(w.get());
  }
  void Mouse(uint32_t message, int r, int c) {
    TPoint p{c * 20 + 5, r * 20 + 5};
    window->mouse = p;
    window->HandleMouse(message, p, 0);
  }
  void Drag(int r0, int c0, int r1, int c1) {
    Mouse(513, r0, c0);
    Frame(16);
    Mouse(512, r1, c1);
    Frame(16);
    Mouse(514, r1, c1);
  }
  const std::vector<std::string> grid{"CAT", "OXZ", "WOB"};
};

TEST_F(FindWords, RunsAreReadBothWays) {
  struct Case {
    int r0, c0, r1, c1;
    const char* found;  // '' for none
  } cases[] = {
      {0, 0, 0, 2, "CAT"},                       // along a row
      {0, 2, 0, 0, "CAT"},                       // the same row dragged backwards
      {2, 0, 2, 2, "BOW"},                       // a word laid right to left, dragged left to right
      {2, 2, 2, 0, "BOW"}, {0, 0, 2, 0, "COW"},  // a column
      {0, 0, 2, 2, "CXB"},                       // an exact diagonal
      {2, 2, 0, 0, "CXB"}, {0, 0, 1, 2, ""},     // at an angle: the first cell alone
  };
  for (const Case& c : cases) {
    TFindWordsWidget* game = ShowGame(grid, "CAT;BOW;COW;CXB");
    Drag(c.r0, c.c0, c.r1, c.c1);
    std::vector<std::string> expected;
    if (*c.found) expected.push_back(c.found);
    EXPECT_EQ(game->Found(), expected) << c.r0 << c.c0 << c.r1 << c.c1;
    EXPECT_EQ(MadeValues(game, "correct_animation", "word"), expected);
    EXPECT_FALSE(game->IsSelecting());
  }
}

TEST_F(FindWords, TheSelectionFollowsThePointer) {
  TFindWordsWidget* game = ShowGame(grid, "CAT");
  Mouse(513, 0, 0);
  EXPECT_EQ(MadeValues(game, "select_animation", "name"), (std::vector<std::string>{"r0c0"}));
  Mouse(512, 0, 2);
  Frame(16);
  EXPECT_EQ(game->SelectionNames(), (std::vector<std::string>{"r0c0", "r0c1", "r0c2"}));
  EXPECT_EQ(MadeValues(game, "deselect_animation", "name"), (std::vector<std::string>{"r0c0"}));
  Frame(16);  // the same cell: nothing new
  EXPECT_EQ(MadeWidgets(game, "select_animation_").size(), 4u);
  Mouse(512, 1, 2);  // at an angle
  Frame(16);
  EXPECT_EQ(game->SelectionNames(), (std::vector<std::string>{"r0c0"}));
  Mouse(512, 0, 2);
  Frame(16);
  window->mouse = {150, 150};  // off the cells: back to the first cell
  window->HandleMouse(512, {150, 150}, 0);
  Frame(16);
  EXPECT_EQ(game->SelectionNames(), (std::vector<std::string>{"r0c0"}));
  window->HandleMouse(514, {150, 150}, 0);  // released beside the cells: no test
  EXPECT_TRUE(game->Found().empty());
  EXPECT_FALSE(game->IsSelecting());
}

TEST_F(FindWords, AWordCountsOnceAndAllOfThemWin) {
  TFindWordsWidget* game = ShowGame(grid, "CAT;BOW;");  // a trailing ";" is no word
  Drag(0, 0, 0, 2);
  Drag(0, 2, 0, 0);
  EXPECT_EQ(MadeWidgets(game, "correct_animation_").size(), 1u);
  EXPECT_FALSE(game->IsWon());
  Drag(2, 2, 2, 0);
  EXPECT_TRUE(game->IsWon());
  EXPECT_TRUE(game->FindWidget("win"));
}

// The run's letters by ascending ids, then by descending ones, whichever way it was dragged.
TEST_F(FindWords, TheRunIsReadInTheOrderOfTheCellIds) {
  const std::vector<int> rowOrder;
  const std::vector<int> reversedRows{2, 1, 0, 5, 4, 3, 8, 7, 6};
  struct Case {
    const std::vector<int>& ids;
    const char* list;
    int c0, c1;         // along the top row "CAT"
    const char* found;  // '' for none
  } cases[] = {
      {rowOrder, "TAC;CAT", 2, 0, "CAT"},  // ascending first, though dragged from T
      {rowOrder, "TAC;CAT", 0, 2, "CAT"},
      {rowOrder, "TAC", 0, 2, "TAC"},       // descending when ascending is not listed
      {reversedRows, "TAC;CAT", 0, 2, "TAC"},
      {reversedRows, "CAT", 2, 0, "CAT"},
  };
  for (const Case& c : cases) {
    TFindWordsWidget* game = ShowGame(grid, c.list, c.ids);
    Drag(0, c.c0, 0, c.c1);
    EXPECT_EQ(game->Found(), std::vector<std::string>{c.found}) << c.list << " " << c.c0;
  }
  WarningCapture warnings;
  TFindWordsWidget* game = ShowGame(grid, "CAT", {2, 0, 1, 3, 4, 5, 6, 7, 8});
  Drag(0, 0, 0, 2);
  EXPECT_TRUE(game->Found().empty()) << "ids 2, 0, 1 read ATC";
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("\"CAT\" is nowhere"), std::string::npos);
  WarningCapture shared;
  ShowGame(grid, "CAT", {0, 1, 2, 3, 4, 5, 6, 7, 2});
  ASSERT_EQ(shared.Lines().size(), 1u);
  EXPECT_NE(shared.Lines()[0].find("two cells have the id 2"), std::string::npos);
}

TEST_F(FindWords, ASymbolIsOneUnicodeCharacter) {
  EXPECT_EQ(TFindWordsWidget::FirstCharacter("ЖЁ"), "Ж");
  EXPECT_EQ(TFindWordsWidget::FirstCharacter("é"), "é");
  EXPECT_EQ(TFindWordsWidget::FirstCharacter("\xFF"
                                             "a"),
            "\xFF");
  TFindWordsWidget* game = ShowGame({"ЖЁЙ"}, "ЙЁЖ");
  Drag(0, 0, 0, 2);
  EXPECT_TRUE(game->IsWon());
}

TEST_F(FindWords, GridsTheDataCannotFill) {
  struct Case {
    const char* counts;
    bool holdsCat;
  } cases[] = {
      {R"(row_count="3" column_count="0")", false},  // no division by zero
      {R"(row_count="1" column_count="3")", true},   // cells past the grid are ignored
      {R"(row_count="-2" column_count="3")", false},
      {R"(row_count="65" column_count="3")", false},  // refused
  };
  for (const Case& c : cases) {
    WarningCapture warnings;
    TFindWordsWidget* game = ShowGame(grid, "CAT", {}, c.counts);
    Drag(0, 0, 0, 2);
    Drag(1, 0, 2, 2);
    EXPECT_EQ(game->IsWon(), c.holdsCat) << c.counts;
    EXPECT_EQ(warnings.Lines().empty(), c.holdsCat) << c.counts;
  }
  WarningCapture warnings;
  ShowGame(grid, "CAT;DOG");
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("DOG"), std::string::npos);
}

}  // namespace
