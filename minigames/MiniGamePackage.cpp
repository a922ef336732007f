#include "minigames/MiniGamePackage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// A cell taken by another item or of another group is only a last resort.
constexpr int64_t kOccupiedPenalty = 1000;
constexpr int64_t kForeignPenalty = 1000;
constexpr int64_t kNoCellScore = 9999;
constexpr double kMaxRememberDistance = 1366;

// "dx" "x" "dy"; what does not read counts as 0.
TPackageWidget::TPart ParsePart(const std::string& text) {
  TPackageWidget::TPart part;
  size_t x = text.find('x');
  TryTextToInt(text.substr(0, x), part.dx);
  if (x != std::string::npos) TryTextToInt(text.substr(x + 1), part.dy);
  return part;
}

int64_t Distance(int32_t dx, int32_t dy) {
  return int64_t(std::llround(std::sqrt(double(dx) * dx + double(dy) * dy)));
}

}  // namespace

const TPropertyTable& TPackageWidget::Properties() {
  using P = TPackageWidget;
  static const TPropertyTable table(TMiniGameWidget::Properties(),
                                    {
                                        Attr("infelicity", &P::infelicity_).Int(),
                                        Attr("infelicity_x", &P::infelicityX_).Int(&P::infelicity_),
                                        Attr("infelicity_y", &P::infelicityY_).Int(&P::infelicity_),
                                        Attr("shuffle", &P::shuffle_).Bool(),
                                        Attr("switch", &P::switch_).Bool(),
                                        Attr("return", &P::return_).Bool(),
                                        Attr("hide_full_group", &P::hideFullGroup_).Bool(),
                                        Attr("engage_alien", &P::engageAlien_).Bool(true),
                                        Attr("cellcount", &P::cellCount_).Int(),
                                    });
  return table;
}

void TPackageWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  // The tolerances follow "infelicity" unless given themselves.
  if (ReadXmlStr(node, "infelicity_x").empty()) infelicityX_ = infelicity_;
  if (ReadXmlStr(node, "infelicity_y").empty()) infelicityY_ = infelicity_;
  cells_.clear();
  int32_t count = std::min(std::max(cellCount_, 0), node->GetChildCount("cell"));
  for (int32_t i = 0; i < count; ++i) {
    Ref<IHierStorage> c = node->GetChild("cell", i);
    TCell cell;
    cell.widget = ReadXmlStr(c, "name");
    Ref<IWidget> widget = FindWidget(cell.widget);
    cell.x = ReadXmlInt(c, "x", widget ? RoundHalfEven(widget->GetAnchorLeft()) : 0);
    cell.y = ReadXmlInt(c, "y", widget ? RoundHalfEven(widget->GetAnchorTop()) : 0);
    cell.group = ReadXmlInt(c, "group", 0);
    cells_.push_back(std::move(cell));
  }
  items_.clear();
  for (int32_t i = 0; i < node->GetChildCount("item"); ++i) {
    Ref<IHierStorage> it = node->GetChild("item", i);
    TItem item;
    item.name = ReadXmlStr(it, "name");
    item.group = ReadXmlInt(it, "group", 0);
    for (const std::string& part : Split(ReadXmlStr(it, "cells"), ';'))
      if (!part.empty()) item.parts.push_back(ParsePart(part));
    items_.push_back(std::move(item));
  }
  solvedOnce_ = false;
  dragging_ = false;
  dragged_.clear();
  rememberedCell_ = -1;
  if (shuffle_) Shuffle();
  playing_ = true;
}

TPackageWidget::TItem* TPackageWidget::FindItem(const std::string& name) {
  for (TItem& item : items_)
    if (item.name == name) return &item;
  return nullptr;
}

const TPackageWidget::TItem* TPackageWidget::FindItem(const std::string& name) const {
  return const_cast<TPackageWidget*>(this)->FindItem(name);
}

TPoint TPackageWidget::ChildMouse() {
  return ToChildSpace(ScreenToLocalPoint(owner_ ? owner_->GetMousePos() : TPoint{}));
}

bool TPackageWidget::LiesOn(IWidget* widget, const TPart& part, const TCell& cell, int32_t& dx,
                            int32_t& dy) const {
  if (!widget) return false;
  int64_t x = int64_t(part.dx) + RoundHalfEven(widget->GetAnchorLeft());
  int64_t y = int64_t(part.dy) + RoundHalfEven(widget->GetAnchorTop());
  int64_t offX = x - cell.x, offY = y - cell.y;
  if (std::llabs(offX) > infelicityX_ || std::llabs(offY) > infelicityY_) return false;
  dx = int32_t(offX);
  dy = int32_t(offY);
  return true;
}

// ---------------------------------------------------------------------------------------
// Clicks and drags

bool TPackageWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message != input::kLeftButtonDown || !playing_) return result;
  std::string name = hovered_ ? hovered_->GetName() : std::string();
  if (!hovered_ || !FindItem(name)) {
    dragged_.clear();
    return result;
  }
  if (dragging_ && name == dragged_) {
    EndDrag();
    return result;
  }
  dragged_ = name;
  if (Ref<IWidget> widget = FindWidget(name))
    dragOffset_ = {SaturateInt32(RoundHalfEven(widget->GetAnchorLeft()) - int64_t(mouse_.X)),
                   SaturateInt32(RoundHalfEven(widget->GetAnchorTop()) - int64_t(mouse_.Y))};
  BeginDrag(name);
  return result;
}

void TPackageWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (!dragging_) return;
  // Cells follow their widgets.
  for (TCell& cell : cells_)
    if (Ref<IWidget> widget = FindWidget(cell.widget)) {
      cell.x = RoundHalfEven(widget->GetAnchorLeft());
      cell.y = RoundHalfEven(widget->GetAnchorTop());
    }
  TPoint mouse = ChildMouse();
  if (IsOutsideBlock(mouse)) return EndDrag();
  if (Ref<IWidget> widget = FindWidget(dragged_)) {
    widget->SetAnchorLeft(double(int64_t(mouse.X) + dragOffset_.X));
    widget->SetAnchorTop(double(int64_t(mouse.Y) + dragOffset_.Y));
  }
}

void TPackageWidget::BeginDrag(const std::string& name) {
  PlaySound("pick", true, 100);
  dragging_ = true;
  const TItem* item = FindItem(name);
  Ref<IWidget> widget = FindWidget(name);
  rememberedCell_ = -1;
  double nearest = kMaxRememberDistance;
  if (item && !item->parts.empty())
    for (size_t c = 0; c < cells_.size(); ++c) {
      int32_t dx = 0, dy = 0;
      if (cells_[c].occupant != name || !LiesOn(widget.get(), item->parts[0], cells_[c], dx, dy))
        continue;
      double distance = std::sqrt(double(dx) * dx + double(dy) * dy);
      if (distance < nearest) {
        nearest = distance;
        rememberedCell_ = int32_t(c);
      }
    }
  if (rememberedCell_ < 0) rememberedCell_ = FindFreeCell();
  Lift(name, true);
  Ref<IParamCollection> params = NewParams();
  params->SetValue("name", Variant(name));
  MakeFeedback("pick", params);
}

void TPackageWidget::Lift(const std::string& name, bool refresh) {
  for (TCell& cell : cells_)
    if (cell.occupant == name) cell.occupant.clear();
  if (Ref<IWidget> widget = FindWidget(name)) widget->SetZ(5);
  if (refresh) UpdateCells("null_widget");
}

int32_t TPackageWidget::FindFreeCell() const {
  if (!playing_ || cells_.empty()) return -1;
  for (int32_t c = int32_t(cells_.size()) - 1; c >= 0; --c)
    if (cells_[size_t(c)].occupant.empty()) return c;
  return rememberedCell_;
}

bool TPackageWidget::PlaceItem(const std::string& name) {
  TItem* item = FindItem(name);
  Ref<IWidget> widget = FindWidget(name);
  if (!item || !widget) return false;
  // Occupants under the parts; one that differs from the one counted just before counts
  // again.
  int32_t occupants = 0;
  std::string counted;
  for (const TPart& part : item->parts)
    for (const TCell& cell : cells_) {
      int32_t dx = 0, dy = 0;
      if (cell.occupant.empty() || !LiesOn(widget.get(), part, cell, dx, dy)) continue;
      if (cell.occupant != counted) ++occupants;
      counted = cell.occupant;
    }
  // The choice is made first and written only when the drop is valid: a refused drop
  // leaves every item on the cells it had.
  bool mayTake = switch_ ? occupants < 2 : occupants == 0;
  std::vector<int32_t> chosen;
  int32_t snapX = 0, snapY = 0;
  std::string displaced;
  for (const TPart& part : item->parts) {
    if (!mayTake) break;
    int64_t best = kNoCellScore;
    int32_t bestCell = -1, bestDx = 0, bestDy = 0;
    for (size_t c = 0; c < cells_.size(); ++c) {
      int32_t dx = 0, dy = 0;
      if (!LiesOn(widget.get(), part, cells_[c], dx, dy)) continue;
      bool taken = !cells_[c].occupant.empty() ||
                   std::find(chosen.begin(), chosen.end(), int32_t(c)) != chosen.end();
      int64_t score =
          Distance(dx, dy) + (taken ? kOccupiedPenalty : 0) +
          (std::abs(int64_t(cells_[c].group)) != std::abs(int64_t(item->group)) ? kForeignPenalty
                                                                                : 0);
      if (score < best) {
        best = score;
        bestCell = int32_t(c);
        bestDx = dx;
        bestDy = dy;
      }
    }
    if (bestCell < 0) {
      chosen.clear();
      break;
    }
    if (!cells_[size_t(bestCell)].occupant.empty()) displaced = cells_[size_t(bestCell)].occupant;
    chosen.push_back(bestCell);
    snapX = -bestDx;
    snapY = -bestDy;
  }
  std::vector<int32_t> distinct = chosen;
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  if (chosen.empty() || distinct.size() != item->parts.size()) {
    Lift(name, true);
    return false;
  }
  for (int32_t c : chosen) cells_[size_t(c)].occupant = name;
  widget->SetZ(3);
  widget->SetAnchorLeft(widget->GetAnchorLeft() + snapX);
  widget->SetAnchorTop(widget->GetAnchorTop() + snapY);
  UpdateCells(name);
  if (switch_ && !displaced.empty()) {
    dragged_ = displaced;
    if (Ref<IWidget> other = FindWidget(displaced))
      dragOffset_ = {SaturateInt32(RoundHalfEven(other->GetAnchorLeft()) - int64_t(mouse_.X)),
                     SaturateInt32(RoundHalfEven(other->GetAnchorTop()) - int64_t(mouse_.Y))};
    BeginDrag(displaced);
  } else {
    dragging_ = false;
  }
  return true;
}

void TPackageWidget::EndDrag() {
  std::string name = dragged_;
  if (!PlaceItem(name)) {
    if (return_) ReturnItem(name);
    dragging_ = false;
    PlaySound("unpick", true, 100);
    Ref<IParamCollection> params = NewParams();
    params->SetValue("name", Variant(name));
    if (!MakeFeedback("no_cell", params))
      if (Ref<IWidget> widget = FindWidget(name)) PushInsideBlock(widget.get());
  }
  if (hideFullGroup_) {
    CheckFullGroups();
    UpdateCells("null_widget");
  }
  // Solved once: set before Win, which drops a dragged item through here again.
  if (!solvedOnce_ && IsSolved()) {
    solvedOnce_ = true;
    Win();
  }
}

void TPackageWidget::PushInsideBlock(IWidget* widget) {
  double left = widget->GetAnchorLeft(), top = widget->GetAnchorTop();
  double right = double(blockLeft_) + blockWidth_ - widget->GetWidth();
  double bottom = double(blockTop_) + blockHeight_ - widget->GetHeight();
  left = std::max(std::min(left, right), double(blockLeft_));
  top = std::max(std::min(top, bottom), double(blockTop_));
  widget->SetAnchorLeft(left);
  widget->SetAnchorTop(top);
}

void TPackageWidget::MoveOnto(const TItem& item, const TCell& cell) {
  Ref<IWidget> widget = FindWidget(item.name);
  if (!widget) return;
  TPart first = item.parts.empty() ? TPart{} : item.parts[0];
  widget->SetAnchorLeft(double(int64_t(cell.x) - first.dx));
  widget->SetAnchorTop(double(int64_t(cell.y) - first.dy));
}

void TPackageWidget::ReturnItem(const std::string& name) {
  const TItem* item = FindItem(name);
  if (!item) return;
  int32_t cell = rememberedCell_ >= 0 && rememberedCell_ < int32_t(cells_.size()) ? rememberedCell_
                                                                                  : FindFreeCell();
  if (cell < 0) return;
  // The item's first part goes back onto the cell.
  MoveOnto(*item, cells_[size_t(cell)]);
  PlaceItem(name);
}

void TPackageWidget::Win(const Ref<IParamCollection>& params) {
  if (dragging_) EndDrag();
  TMiniGameWidget::Win(params);
}

// ---------------------------------------------------------------------------------------
// Cells and groups

void TPackageWidget::UpdateCells(const std::string& placed) {
  int mark = 0;
  bool lifted = false;
  for (TCell& cell : cells_) {
    const char* factory = "no_cell";
    const TItem* occupant = cell.occupant.empty() ? nullptr : FindItem(cell.occupant);
    bool ofPlaced = !cell.occupant.empty() && cell.occupant == placed;
    if (occupant && occupant->group == cell.group) {
      factory = "green_cell";
      if (ofPlaced && mark != -1) mark = 1;
    } else if (occupant && engageAlien_) {
      factory = "red_cell";
      if (ofPlaced) mark = -1;
    } else if (occupant) {
      PlaySound("unpick", true, 100);
      lifted = true;
      mark = 0;
    }
    Ref<IParamCollection> params = NewParams();
    params->SetValue("id", Variant(std::to_string(NextId())));
    params->SetValue("x", Variant::Integer(cell.x));
    params->SetValue("y", Variant::Integer(cell.y));
    params->SetValue("widget_name", Variant(cell.widget));
    params->SetValue("visible", Variant(cell.visible));
    if (!cell.occupant.empty()) params->SetValue("name", Variant(cell.occupant));
    if (Ref<IWidget> widget = MakeChild(factory, params)) AppendNext(widget, cell.tail);
    if (!cell.occupant.empty()) {
      if (mark == 1) PlaySound("correct", true, 100);
      if (mark == -1) PlaySound("wrong", true, 100);
    }
  }
  // A foreign cell refused the item just placed: it leaves its cells, which show so.
  if (lifted && placed != "null_widget") {
    Lift(placed, false);
    UpdateCells("null_widget");
  }
}

void TPackageWidget::CheckFullGroups() {
  for (size_t first = 0; first < items_.size(); ++first) {
    int32_t group = items_[first].group;
    bool seen = false;
    for (size_t i = 0; i < first && !seen; ++i) seen = items_[i].group == group;
    if (seen) continue;
    bool full = true;
    for (size_t i = first; i < items_.size() && full; ++i) {
      if (items_[i].group != group) continue;
      Ref<IWidget> widget = FindWidget(items_[i].name);
      for (const TPart& part : items_[i].parts) {
        bool onOccupied = false;
        for (const TCell& cell : cells_) {
          int32_t dx = 0, dy = 0;
          onOccupied |= !cell.occupant.empty() && LiesOn(widget.get(), part, cell, dx, dy);
        }
        if (!onOccupied) full = false;
      }
    }
    for (TCell& cell : cells_) {
      const TItem* occupant = cell.occupant.empty() ? nullptr : FindItem(cell.occupant);
      if (occupant && occupant->group == group) cell.visible = !full;
    }
    if (full) {
      Ref<IParamCollection> params = NewParams();
      params->SetValue("group_id", Variant::Integer(group));
      MakeFeedback("full_group", params);
    }
  }
}

bool TPackageWidget::IsSolved() const {
  for (const TItem& item : items_) {
    bool placed = false;
    for (const TCell& cell : cells_)
      placed |= cell.occupant == item.name &&
                std::abs(int64_t(cell.group)) == std::abs(int64_t(item.group));
    if (!placed) return false;
  }
  return true;
}

void TPackageWidget::Shuffle() {
  for (const TItem& item : items_) {
    int32_t free = int32_t(std::count_if(cells_.begin(), cells_.end(),
                                         [](const TCell& c) { return c.occupant.empty(); }));
    // No free cell left: the remaining items stay where they are.
    if (free == 0) return;
    int32_t n = Random(free);
    size_t count = cells_.size();
    for (size_t step = 0; step < count; ++step) {
      TCell& cell = cells_[(1 + step) % count];
      if (!cell.occupant.empty() || n-- > 0) continue;
      MoveOnto(item, cell);
      PlaceItem(item.name);
      break;
    }
  }
}
