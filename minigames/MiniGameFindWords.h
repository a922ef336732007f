#pragma once
// "mg_FindWords_widget": the word search. The player presses on a letter cell and drags
// along a row, a column or an exact diagonal; on release the run's letters are read in the
// order of the cells' ids, ascending and then descending, and a listed word not yet found
// is marked. Every word found wins the game.

#include <string>
#include <utility>
#include <vector>

#include "minigames/MiniGame.h"

class TFindWordsWidget : public TMiniGameWidget {
 public:
  // Rows or columns past this are refused: a grid of cells is laid out by hand.
  static constexpr int32_t kMaxSide = 64;

  struct TCell {
    int32_t id = 0;
    std::string widget;
    std::string symbol = " ";  // one character, in UTF-8
    int32_t row = 0, column = 0;
    int32_t x = 0, y = 0;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  const std::vector<std::string>& Found() const { return found_; }
  // The selected cells' widget names, from the cell where the press began.
  std::vector<std::string> SelectionNames() const;
  bool IsSelecting() const { return selecting_; }
  // The first character of Text (UTF-8), the whole text when it is shorter.
  static std::string FirstCharacter(const std::string& text);

 protected:
  const TPropertyTable& Properties() override;

 private:
  // The cell (grid index) whose widget has that name, -1 for none.
  int32_t CellNamed(const std::string& name) const;
  int32_t HoveredCell() const;
  void Begin();
  void End();
  // The grid indexes from A to B along a row, a column or an exact diagonal; A alone for
  // any other direction.
  void BuildRun(int32_t a, int32_t b);
  // The symbols of the cells (grid indexes) in ascending id order, then in descending.
  std::pair<std::string, std::string> ReadRun(const std::vector<int32_t>& cells) const;
  // The listed word not yet found that the selection reads, either way; '' for none.
  std::string ReadSelection() const;
  bool IsOpen(const std::string& word) const;
  void WarnAboutSharedIds(const Ref<IHierStorage>& node) const;
  void WarnAboutAbsentWords(const Ref<IHierStorage>& node) const;
  // Whether some straight run of the grid reads Word, as a selection would.
  bool GridHolds(const std::string& word) const;
  void CellFeedback(const char* factory, int32_t cell);

  int32_t rowCount_ = 0, columnCount_ = 0;
  std::string listText_;
  int32_t areaLeft_ = 0, areaTop_ = 0, areaWidth_ = 0, areaHeight_ = 0;
  std::vector<TCell> grid_;  // row by row
  std::vector<std::string> words_;
  std::vector<std::string> found_;
  std::vector<int32_t> selection_;
  int32_t current_ = -1;
  bool selecting_ = false;
};
