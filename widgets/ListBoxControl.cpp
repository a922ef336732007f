// The list box: rows, selection, scrolling, and rows painted by one text child.

#include "widgets/ListBoxControl.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "platform/InputConstants.h"

namespace {

const std::string kText = "text";
const std::string kFillColor = "fillcolor";
const std::string kEnabled = "enabled";

}  // namespace

void TListBoxControl::Init() {
  TControlWidget::Init();
  selected_ = 0;
}

const TPropertyTable& TListBoxControl::Properties() {
  using L = TListBoxControl;
  static const TPropertyTable table(TControlWidget::Properties(),
                                    {
                                        Attr("rowheight", &L::rowHeight_)
                                            .Int([](L& l) { return l.height_ / 10; })
                                            .Coordinate()
                                            .Always(),
                                        Attr("color", &L::color_).Hex().Always(),
                                        Attr("selectedcolor", &L::selectedColor_).Hex().Always(),
                                    });
  return table;
}

void TListBoxControl::LoadFromXml(const Ref<IHierStorage>& node) {
  TControlWidget::LoadFromXml(node);
  // A list under 10 pixels high without "rowheight" would have rows 0 pixels apart.
  if (rowHeight_ < 1) rowHeight_ = 1;
}

void TListBoxControl::SetOwner(IWidgetOwner* owner) {
  TControlWidget::SetOwner(owner);
  selectedBackground_ = Ref<IWidget>(Child("image_selectedbackground"));
  contentBox_ = Ref<IWidget>(Child("image_contentbox"));
  int32_t visibleHeight = height_;
  contentOffset_ = TPoint{};
  if (contentBox_) {
    contentOffset_ =
        TPoint{RoundHalfEven(contentBox_->GetLeft()), RoundHalfEven(contentBox_->GetTop())};
    visibleHeight = contentBox_->GetHeight();
  }
  visibleRows_ = DivSafe(visibleHeight, std::max(rowHeight_, 1));
}

void TListBoxControl::ReleaseOwner() {
  selectedBackground_ = nullptr;
  contentBox_ = nullptr;
  TControlWidget::ReleaseOwner();
}

// ---------------------------------------------------------------------------------------
// Rows

std::string TListBoxControl::GetRow(const Variant& key) {
  return rows_.GetItem(key);
}

void TListBoxControl::AddRow(const std::string& text, const std::string& key) {
  if (key.empty())
    rows_.AddWithAutoKey(text);
  else
    rows_.Add(text, key);
  RefreshScroll();
}

void TListBoxControl::DeleteRow(const Variant& key) {
  int32_t index = 0;
  if (key.IsOrdinal())
    index = SaturateInt32(key.RawInt());
  else if (key.IsString())
    index = rows_.IndexOf(key.RawText());
  // An absent row, or a list without rows: nothing to delete.
  if (index < 0 || index >= rows_.GetCount()) return;
  rows_.Delete(Variant(int(index)));
  int32_t count = rows_.GetCount();
  if (index == selected_)
    selected_ = count == 0 ? -1 : std::min(index, count - 1);
  else if (index < selected_)
    --selected_;  // the selection stays on its row
  SetNeedsRedraw(true);
  RefreshScroll();
}

void TListBoxControl::ClearRows() {
  rows_.Clear();
  RefreshScroll();
  selected_ = -1;
}

void TListBoxControl::SetSelected(int32_t index) {
  int32_t count = rows_.GetCount();
  bool valid = (index >= 0 && index < count) || (index == -1 && count == 0);
  if (!valid || index == selected_) return;
  selected_ = index;
  SetNeedsRedraw(true);
}

// ---------------------------------------------------------------------------------------
// Scrolling

void TListBoxControl::SetTopRow(int32_t row) {
  if (row == topRow_) return;
  topRow_ = row;
  SetNeedsRedraw(true);
}

void TListBoxControl::RefreshScroll() {
  SetNeedsRedraw(true);
  int32_t count = rows_.GetCount();
  int64_t firstFull = int64_t(count) - visibleRows_;
  if (firstFull < topRow_) SetTopRow(int32_t(std::max<int64_t>(0, firstFull)));
  if (IWidget* up = Child("button_up")) up->SetProperty(kEnabled, Variant(topRow_ > 0));
  if (IWidget* down = Child("button_down"))
    down->SetProperty(kEnabled, Variant(int64_t(topRow_) + visibleRows_ < count));
}

void TListBoxControl::OnWidgetEvent(IWidget* sender, int32_t, int32_t) {
  if (!sender) return;
  std::string name = sender->GetName();
  if (name == "button_up") {
    SetTopRow(topRow_ - 1);
    RefreshScroll();
  } else if (name == "button_down") {
    SetTopRow(SaturateInt32(int64_t(topRow_) + 1));
    RefreshScroll();
  }
}

IGameScreenOwner* TListBoxControl::GetGameScreenOwner() {
  IEventHandler* handler = owner_ ? owner_->GetEventHandler() : nullptr;
  return handler ? handler->GetGameScreenOwner() : nullptr;
}

// ---------------------------------------------------------------------------------------
// Drawing and input

void TListBoxControl::Draw(ISurface* surface, int32_t x, int32_t y) {
  TControlWidget::Draw(surface, x, y);
  IWidget* text = Child(kText);
  if (!surface || !text) return;
  int64_t originX = int64_t(x) + contentOffset_.X;
  int64_t originY = int64_t(y) + contentOffset_.Y;
  int32_t first = std::max(topRow_, 0);
  int64_t last = std::min<int64_t>(int64_t(topRow_) + visibleRows_ - 1, rows_.GetCount() - 1);
  text->SetVisible(true);
  for (int32_t i = first; i <= last; ++i) {
    int64_t rowY = originY + (int64_t(i) - topRow_) * rowHeight_;
    bool selected = i == selected_;
    text->SetProperty(kFillColor, Variant(int(selected ? selectedColor_ : color_)));
    if (selected && selectedBackground_) {
      selectedBackground_->SetVisible(true);
      selectedBackground_->Draw(
          surface, SaturateInt32(RoundHalfEven(selectedBackground_->GetAnchorLeft()) + originX),
          SaturateInt32(RoundHalfEven(selectedBackground_->GetAnchorTop()) + rowY));
      selectedBackground_->SetVisible(false);
    }
    auto* row = static_cast<const std::string*>(rows_.GetItemByIndex(i));
    // The text child translates what it is given: the row goes in as it is.
    text->SetProperty(kText, Variant(LiteralText(row ? *row : std::string())));
    text->Draw(surface, SaturateInt32(originX), SaturateInt32(rowY));
  }
  text->SetVisible(false);
}

int32_t TListBoxControl::RowAt(const TPoint& point) {
  int64_t x = int64_t(point.X) - RoundHalfEven(GetLeft());
  int64_t y = int64_t(point.Y) - RoundHalfEven(GetTop());
  int64_t rowsBottom = int64_t(contentOffset_.Y) + int64_t(visibleRows_) * rowHeight_;
  if (x < contentOffset_.X || y < contentOffset_.Y || y >= rowsBottom) return -1;
  return SaturateInt32(std::max<int64_t>(topRow_, 0) + (y - contentOffset_.Y) / rowHeight_);
}

bool TListBoxControl::MouseUp(const TPoint& point, uint32_t, int) {
  int32_t row = RowAt(point);
  if (row < 0) return false;
  Ref<IWidget> self(this);
  SetSelected(row);
  SendEvent(control_event::kListBoxClick);
  return true;
}

bool TListBoxControl::DoubleClick(const TPoint& point, uint32_t, int) {
  if (RowAt(point) < 0) return false;
  Ref<IWidget> self(this);
  SendEvent(control_event::kListBoxDoubleClick);
  return true;
}

void TListBoxControl::MoveSelection(int32_t row) {
  Ref<IWidget> self(this);
  SetSelected(row);
  SendEvent(control_event::kListBoxClick);
  if (selected_ < topRow_)
    SetTopRow(selected_);
  else if (int64_t(selected_) >= int64_t(topRow_) + visibleRows_ - 1)
    SetTopRow(SaturateInt32(int64_t(selected_) - visibleRows_ + 1));
  RefreshScroll();
}

bool TListBoxControl::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t) {
  if (!focused_ || message != input::kKeyDown) return false;
  int32_t last = rows_.GetCount() - 1;
  switch (keyCode) {
    case input::kVkEnd:
      if (selected_ >= last) return false;
      MoveSelection(last);
      return true;
    case input::kVkHome:
      if (selected_ < 1) return false;
      MoveSelection(0);
      return true;
    case input::kVkUp:
      if (selected_ < 1) return false;
      MoveSelection(selected_ - 1);
      return true;
    case input::kVkDown:
      if (selected_ >= last) return false;
      MoveSelection(selected_ + 1);
      return true;
    default:
      return false;
  }
}
