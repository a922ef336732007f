// The high-score grid: columns of a record table painted cell by cell.

#include "widgets/HighScoresGridControl.h"

#include "engine/EngineRoutines.h"
#include "foundation/CheckedMath.h"
#include "foundation/XmlAttributes.h"

namespace {

const std::string kFillColor = "fillcolor";
const std::string kTextUtf8 = "text_utf8";

}  // namespace

const TPropertyTable& THighScoresGridControl::Properties() {
  using G = THighScoresGridControl;
  static const TPropertyTable table(
      TControlWidget::Properties(),
      {
          Attr("rowheight", &G::rowHeight_)
              .Int([](G& g) { return g.height_ / 10; })
              .Coordinate()
              .Always(),
          Attr("font_height", &G::fontHeight_).Int(&G::rowHeight_).Coordinate().Always(),
          Attr("color", &G::color_).Hex().Always(),
          Attr("selectedcolor", &G::selectedColor_).Hex().Always(),
          Attr("column_name_with_format_number", &G::formatColumn_).Str(),
          Prop<G>(
              "recordtable", [](G& g) { return Variant(Ref<IInterface>(g.table_.get())); },
              &G::SetRecordTable),
      });
  return table;
}

void THighScoresGridControl::SetRecordTable(const Variant& value) {
  if (value.GetKind() == Variant::Kind::Interface)
    table_ = Supports<IRecordTable>(value.RawInterface());
  else if (value.IsClear())
    table_ = nullptr;
  else
    return;
  SetNeedsRedraw(true);
}

void THighScoresGridControl::LoadFromXml(const Ref<IHierStorage>& node) {
  TControlWidget::LoadFromXml(node);
  columns_.clear();
  Ref<IHierStorage> columns = node ? node->GetChild("columns", 0) : nullptr;
  if (!columns) return;
  int count = columns->GetChildCount("column");
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> column = columns->GetChild("column", i);
    columns_.push_back(TGridColumn{ReadXmlStr(column, "name"), ReadXmlStr(column, "widgetname")});
  }
}

void THighScoresGridControl::SaveToXml(const Ref<IHierStorage>& node) {
  TControlWidget::SaveToXml(node);
  if (columns_.empty() || !node) return;
  Ref<IHierStorage> columns = node->AddChild("columns");
  for (const TGridColumn& c : columns_) {
    Ref<IHierStorage> column = columns->AddChild("column");
    WriteXmlStr(column, "name", c.name, true);
    WriteXmlStr(column, "widgetname", c.widgetName, true);
  }
}

void THighScoresGridControl::Reset() {
  columns_.clear();
  TControlWidget::Reset();
}

// ---------------------------------------------------------------------------------------
// Drawing

std::string THighScoresGridControl::CellText(const Variant& value, bool formatted) const {
  if (!formatted) return value.ToString();
  if (value.IsOrdinal()) return FormatThousands(value.RawInt());
  int32_t number = 0;
  // Not an integer: drawn as it stands.
  if (value.IsString() && TryTextToInt(value.RawText(), number)) return FormatThousands(number);
  return value.ToString();
}

void THighScoresGridControl::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!surface || !table_) return;
  Ref<IRecordCollection> records = table_->GetRecords();
  if (!records) return;
  int32_t count = records->Count();
  int32_t selected = table_->GetLastIndex();
  for (const TGridColumn& column : columns_) {
    IWidget* cell = Child(column.widgetName);
    if (!cell) continue;
    bool formatted = column.name == formatColumn_;
    int64_t left = int64_t(x) + RoundHalfEven(cell->GetAnchorLeft());
    int64_t top = int64_t(y) + RoundHalfEven(cell->GetAnchorTop());
    for (int32_t i = 0; i < count; ++i) {
      cell->SetProperty(kFillColor, Variant(int(i == selected ? selectedColor_ : color_)));
      Ref<IRecord> record = records->GetItem(Variant(int(i)));
      Ref<IParamCollection> params = record ? record->GetParams() : nullptr;
      Ref<IParam> param = params ? params->FindParam(Variant(column.name)) : nullptr;
      if (!param) continue;
      Variant value = param->GetValue();
      if (value.IsClear() || (value.IsString() && value.RawText().empty())) continue;
      // The text widget translates what it is given: the cell goes in as it is.
      cell->SetProperty(kTextUtf8, Variant(LiteralText(CellText(value, formatted))));
      cell->Draw(surface, SaturateInt32(left), SaturateInt32(top + int64_t(rowHeight_) * i));
    }
  }
}

void THighScoresGridControl::UpdateDirtyRects(bool forceOld, bool forceNew) {
  TVisualWidget::UpdateDirtyRects(forceOld, forceNew);
  for (IWidget* child : children_->Widgets()) child->SetUpdated(false);
  children_->ClearChanged();
}
