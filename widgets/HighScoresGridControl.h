#pragma once
// "HighScoresGridControl": a table of records (a high-score table, handed over at run time
// as the property "recordtable") drawn as columns of text. Each column names a value of
// the records and the child text widget that paints it, once per row, "rowheight" pixels
// apart, starting where the child stands; the row of the record added last is painted in
// "selectedcolor", the others in "color". Values of the column named by
// "column_name_with_format_number" are integers shown with thousands separators.
//
//   <widget type="HighScoresGridControl" name="high_scores_grid" width="500" height="400"
//           rowheight="40" column_name_with_format_number="Score" visible="yes">
//     <columns><column name="Player" widgetname="player"/>
//              <column name="Score" widgetname="score"/></columns>
//     <widgets> the text widgets "player" and "score" at the first row's place </widgets>
//   </widget>
//
// The column widgets are drawn only through the grid, never as children.

#include <cstdint>
#include <string>
#include <vector>

#include "widgets/ControlWidget.h"

class THighScoresGridControl : public TControlWidget {
 public:
  struct TGridColumn {
    std::string name;        // the record's value shown
    std::string widgetName;  // the child text widget that paints it
  };

  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  // The grid posts its own rectangle only: what its column widgets are given while it
  // draws is no change of theirs.
  void UpdateDirtyRects(bool forceOld, bool forceNew) override;
  void Reset() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  const std::vector<TGridColumn>& GetColumns() const { return columns_; }
  const Ref<IRecordTable>& GetRecordTable() const { return table_; }
  // An interface that is no record table, or Null, leaves the grid without one; values of
  // other kinds are ignored.
  void SetRecordTable(const Variant& value);

 protected:
  const TPropertyTable& Properties() override;
  // The text of a cell: the value as it is, or an integer of the format column grouped.
  std::string CellText(const Variant& value, bool formatted) const;

  int32_t rowHeight_ = 0;
  std::vector<TGridColumn> columns_;
  Ref<IRecordTable> table_;
  uint32_t color_ = 0;
  uint32_t selectedColor_ = 0;
  int32_t fontHeight_ = 0;
  std::string formatColumn_;
};
