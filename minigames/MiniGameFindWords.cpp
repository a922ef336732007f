#include "minigames/MiniGameFindWords.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/CheckedMath.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// The characters of a UTF-8 text, each as its bytes.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> letters;
  for (size_t i = 0; i < text.size();) {
    size_t end = i + 1;
    while (end < text.size() && (uint8_t(text[end]) & 0xC0) == 0x80) ++end;
    letters.push_back(text.substr(i, end - i));
    i = end;
  }
  return letters;
}

int Sign(int32_t v) {
  return (v > 0) - (v < 0);
}

}  // namespace

const TPropertyTable& TFindWordsWidget::Properties() {
  using F = TFindWordsWidget;
  static const TPropertyTable table(TMiniGameWidget::Properties(),
                                    {
                                        Attr("row_count", &F::rowCount_).Int(),
                                        Attr("column_count", &F::columnCount_).Int(),
                                        Attr("list", &F::listText_).Str(),
                                        Attr("area_left", &F::areaLeft_).Int(),
                                        Attr("area_top", &F::areaTop_).Int(),
                                        Attr("area_width", &F::areaWidth_).Int(),
                                        Attr("area_height", &F::areaHeight_).Int(),
                                    });
  return table;
}

std::string TFindWordsWidget::FirstCharacter(const std::string& text) {
  if (text.empty()) return text;
  return Characters(text.substr(0, std::min<size_t>(text.size(), 4)))[0];
}

void TFindWordsWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  grid_.clear();
  found_.clear();
  selection_.clear();
  words_ = Split(listText_, ';');
  // A trailing ";" is no word.
  std::erase(words_, std::string());
  if (words_.empty()) WarnAboutGame("no word in \"list\": only its skip ends the game");
  int32_t rows = std::max(rowCount_, 0), columns = std::max(columnCount_, 0);
  if (rows > kMaxSide || columns > kMaxSide) {
    WarnAboutNode(node, "a word search grid of " + std::to_string(rows) + " x " +
                            std::to_string(columns) + " cells is refused (at most " +
                            std::to_string(kMaxSide) + " a side)");
    rows = columns = 0;
  }
  for (int32_t k = 0; k < rows * columns; ++k) {
    TCell cell;
    cell.id = k;
    cell.row = k / columns;
    cell.column = k % columns;
    grid_.push_back(cell);
  }
  if (Ref<IHierStorage> cells = node->GetChild("cells", 0)) {
    // Cells fill the grid in row order; those past it have no place.
    int32_t count = std::min<int32_t>(cells->GetChildCount("cell"), rows * columns);
    for (int32_t k = 0; k < count; ++k) {
      Ref<IHierStorage> c = cells->GetChild("cell", k);
      TCell& cell = grid_[size_t(k)];
      cell.id = ReadXmlInt(c, "id", k);
      cell.widget = ReadXmlStr(c, "name");
      cell.symbol = FirstCharacter(ReadXmlStr(c, "symbol", " "));
      if (Ref<IWidget> widget = FindWidget(cell.widget)) {
        cell.x = RoundHalfEven(widget->GetAnchorLeft());
        cell.y = RoundHalfEven(widget->GetAnchorTop());
      }
    }
  }
  WarnAboutSharedIds(node);
  WarnAboutAbsentWords(node);
  current_ = -1;
  playing_ = true;
  selecting_ = false;
}

bool TFindWordsWidget::GridHolds(const std::string& word) const {
  int32_t rows = grid_.empty() ? 0 : grid_.back().row + 1;
  int32_t columns = grid_.empty() ? 0 : grid_.back().column + 1;
  int32_t n = int32_t(Characters(word).size());
  std::vector<int32_t> run;
  for (const TCell& start : grid_)
    for (int dr = -1; dr <= 1; ++dr)
      for (int dc = -1; dc <= 1; ++dc) {
        if (!dr && !dc && n > 1) continue;
        int32_t endRow = start.row + dr * (n - 1), endColumn = start.column + dc * (n - 1);
        if (endRow < 0 || endRow >= rows || endColumn < 0 || endColumn >= columns) continue;
        run.clear();
        for (int32_t i = 0; i < n; ++i)
          run.push_back((start.row + dr * i) * columns + start.column + dc * i);
        auto [ascending, descending] = ReadRun(run);
        if (ascending == word || descending == word) return true;
      }
  return false;
}

void TFindWordsWidget::WarnAboutSharedIds(const Ref<IHierStorage>& node) const {
  std::vector<int32_t> ids;
  for (const TCell& cell : grid_) ids.push_back(cell.id);
  std::sort(ids.begin(), ids.end());
  auto shared = std::adjacent_find(ids.begin(), ids.end());
  if (shared != ids.end())
    WarnAboutNode(node, "two cells have the id " + std::to_string(*shared) +
                            ": a run holding both reads them in the order dragged");
}

void TFindWordsWidget::WarnAboutAbsentWords(const Ref<IHierStorage>& node) const {
  for (const std::string& word : words_)
    if (!GridHolds(word))
      WarnAboutNode(node, "the word \"" + word + "\" is nowhere in the grid");
}

int32_t TFindWordsWidget::CellNamed(const std::string& name) const {
  if (name.empty()) return -1;
  for (size_t i = 0; i < grid_.size(); ++i)
    if (grid_[i].widget == name) return int32_t(i);
  return -1;
}

int32_t TFindWordsWidget::HoveredCell() const {
  return hovered_ ? CellNamed(hovered_->GetName()) : -1;
}

std::vector<std::string> TFindWordsWidget::SelectionNames() const {
  std::vector<std::string> names;
  for (int32_t cell : selection_) names.push_back(grid_[size_t(cell)].widget);
  return names;
}

void TFindWordsWidget::CellFeedback(const char* factory, int32_t cell) {
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant(std::to_string(NextId())));
  params->SetValue("name", Variant(grid_[size_t(cell)].widget));
  EnqueueWidget(MakeChild(factory, params));
}

bool TFindWordsWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (!playing_) return result;
  if (message == input::kLeftButtonDown) Begin();
  if (message == input::kLeftButtonUp) End();
  return result;
}

void TFindWordsWidget::Begin() {
  int32_t cell = HoveredCell();
  if (cell < 0) return;
  selecting_ = true;
  selection_.assign(1, cell);
  current_ = cell;
  CellFeedback("select_animation", cell);
}

void TFindWordsWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (!selecting_ || selection_.empty()) return;
  int32_t hovered = HoveredCell();
  if (hovered < 0) {
    for (size_t i = 1; i < selection_.size(); ++i)
      CellFeedback("deselect_animation", selection_[i]);
    selection_.resize(1);
    current_ = selection_[0];
    return;
  }
  if (hovered == current_) return;
  for (int32_t cell : selection_) CellFeedback("deselect_animation", cell);
  BuildRun(selection_[0], hovered);
  for (int32_t cell : selection_) CellFeedback("select_animation", cell);
  current_ = hovered;
}

void TFindWordsWidget::BuildRun(int32_t a, int32_t b) {
  const TCell& from = grid_[size_t(a)];
  const TCell& to = grid_[size_t(b)];
  int32_t dr = to.row - from.row, dc = to.column - from.column;
  selection_.assign(1, a);
  bool straight = dr == 0 || dc == 0 || std::abs(dr) == std::abs(dc);
  if (!straight) return;
  int32_t steps = std::max(std::abs(dr), std::abs(dc));
  int32_t columns = grid_.back().column + 1;
  for (int32_t i = 1; i <= steps; ++i)
    selection_.push_back((from.row + Sign(dr) * i) * columns + from.column + Sign(dc) * i);
}

bool TFindWordsWidget::IsOpen(const std::string& word) const {
  return std::find(words_.begin(), words_.end(), word) != words_.end() &&
         std::find(found_.begin(), found_.end(), word) == found_.end();
}

std::pair<std::string, std::string> TFindWordsWidget::ReadRun(
    const std::vector<int32_t>& cells) const {
  // By the cells' ids, not by their places: data may number a grid in any order. Equal ids
  // keep the run's order.
  std::vector<const TCell*> sorted;
  for (int32_t cell : cells) sorted.push_back(&grid_[size_t(cell)]);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const TCell* a, const TCell* b) { return a->id < b->id; });
  std::string ascending, descending;
  for (const TCell* cell : sorted) ascending += cell->symbol;
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) descending += (*it)->symbol;
  return {ascending, descending};
}

std::string TFindWordsWidget::ReadSelection() const {
  auto [ascending, descending] = ReadRun(selection_);
  if (IsOpen(ascending)) return ascending;
  if (IsOpen(descending)) return descending;
  return {};
}

void TFindWordsWidget::End() {
  if (!selecting_) return;
  selecting_ = false;
  for (int32_t cell : selection_) CellFeedback("deselect_animation", cell);
  current_ = -1;
  std::string word = HoveredCell() >= 0 ? ReadSelection() : std::string();
  selection_.clear();
  if (word.empty()) return;
  found_.push_back(word);
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant(std::to_string(NextId())));
  params->SetValue("word", Variant(word));
  EnqueueWidget(MakeChild("correct_animation", params));
  Ref<IParamCollection> select = NewParams();
  select->SetValue("id", Variant(std::to_string(NextId())));
  EnqueueWidget(MakeChild("select_animation", select));
  for (const std::string& w : words_)
    if (std::find(found_.begin(), found_.end(), w) == found_.end()) return;
  Win();
}
