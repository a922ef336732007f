#include "minigames/MiniGame.h"

#include <cmath>

#include "foundation/CheckedMath.h"
#include "foundation/Exceptions.h"
#include "foundation/Params.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "foundation/XmlAttributes.h"

namespace {

bool HasValue(const Variant& v) { return !v.IsEmpty() && !v.IsNull(); }

// A number of a placement; nothing written counts as 0.
double PlacementNumber(std::string_view text) {
  if (text.empty()) return 0;
  double value = 0;
  if (!TryTextToFloat(text, value))
    throw Exception("'" + std::string(text) + "' is not a valid floating point value");
  return value;
}

}  // namespace

const TPropertyTable& TMiniGameWidget::Properties() {
  using M = TMiniGameWidget;
  static const TPropertyTable table(TVisualGroupWidget::Properties(), {
      Attr("follow_widgets", &M::followText_).Str(),
      Attr("follow_left", &M::followLeft_).Int(),
      Attr("follow_top", &M::followTop_).Int(),
      Attr("follow_width", &M::followWidth_).Int(),
      Attr("follow_height", &M::followHeight_).Int(),
      Attr("follow_mask", &M::followMask_).Str("null_widget"),
      Attr("block_left", &M::blockLeft_).Int(),
      Attr("block_top", &M::blockTop_).Int(),
      Attr("block_width", &M::blockWidth_).Int([](M& m) { return m.GetWidth(); }),
      Attr("block_height", &M::blockHeight_).Int([](M& m) { return m.GetHeight(); }),
      Attr("block_drag", &M::blockDrag_).Bool(),
      // Each read of "id" hands out the next number: templates name their copies by it.
      Prop<M>("id", [](M& m) { return Variant::Integer(m.NextId()); }),
      // Setting "need_skip", whatever the value, is the player's request to skip (the play
      // screen's skip list hands it "0;", which is no Boolean): taken as it comes.
      Prop<M>("need_skip", [](M& m) { return Variant(m.skipOffered_); },
              [](M& m, const Variant&) { m.Skip(); }),
      Prop<M>("win", [](M& m) { return m.won_; }),
  });
  return table;
}

void TMiniGameWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::LoadFromXml(node);
  idCounter_ = 0;
  won_ = false;
  if (!node) return;
  dataFile_ = StorageDataFile(node);
  lastQueued_ = "null_widget";
  // The size of the children loaded just now, which the attributes could not see.
  if (ReadXmlStr(node, "block_width").empty()) blockWidth_ = GetWidth();
  if (ReadXmlStr(node, "block_height").empty()) blockHeight_ = GetHeight();
  follow_ = ParseFollowWidgets(followText_);
}

void TMiniGameWidget::WarnAboutGame(const std::string& what) const {
  Warn(dataFile_, typeName_ + " \"" + name_ + "\": " + what);
}

void TMiniGameWidget::SetOwner(IWidgetOwner* owner) {
  TVisualGroupWidget::SetOwner(owner);
  // A game solved before it was attached has nothing left to skip.
  skipOffered_ = !won_;
}

void TMiniGameWidget::ReleaseOwner() {
  TVisualGroupWidget::ReleaseOwner();
  hovered_ = nullptr;
  follow_.clear();
}

Ref<IWidget> TMiniGameWidget::WidgetAtPos(const TPoint& point) {
  hovered_ = TVisualGroupWidget::WidgetAtPos(point);
  if (!follow_.empty()) FollowMouse(point);
  return hovered_ ? Ref<IWidget>(this) : nullptr;
}

bool TMiniGameWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TVisualGroupWidget::HandleMouse(message, point, keys);
  mouse_ = ToChildSpace(ScreenToLocalPoint(point));
  return result;
}

// ---------------------------------------------------------------------------------------
// The result protocol

void TMiniGameWidget::EndGame() {
  playing_ = false;
  skipOffered_ = false;
  won_ = true;
  HideFollowWidgets();
  SetCursor("default");
}

void TMiniGameWidget::KillChild(const std::string& name) {
  if (Ref<IWidget> child = children_->GetByName(name)) {
    child->SetDead(true);
    children_->RemoveDead();
  }
}

void TMiniGameWidget::Win(const Ref<IParamCollection>& params) {
  EndGame();
  if (HasChild("win")) return;
  Ref<IParamCollection> p = params ? params : NewParams();
  if (Ref<IWidget> widget = CreateWidgetFromFactory("win", p)) {
    children_->Add(widget);
    EnqueueWidget(widget);
  }
}

// ---------------------------------------------------------------------------------------
// The feedback queue

Ref<IParamCollection> TMiniGameWidget::NewParams() {
  return Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
}

Ref<IWidget> TMiniGameWidget::MakeChild(const std::string& factory,
                                        const Ref<IParamCollection>& params) {
  Ref<IWidget> widget = CreateWidgetFromFactory(factory, params ? params : NewParams());
  if (widget) children_->Add(widget);
  return widget;
}

Ref<IWidget> TMiniGameWidget::MakeFeedback(const std::string& factory,
                                           Ref<IParamCollection> params) {
  if (!params) params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  Ref<IWidget> widget = MakeChild(factory, params);
  EnqueueWidget(widget);
  return widget;
}

std::string TMiniGameWidget::GetAlias(IWidget* widget, std::string_view name) {
  if (!widget) return {};
  auto* abstract = InterfaceCast<TAbstractWidget>(widget);
  if (!abstract) return {};
  std::string aliases = abstract->GetAliases();
  std::erase(aliases, ' ');
  std::string key = "\\" + std::string(name) + "=";
  size_t at = aliases.find(key);
  if (at == std::string::npos) return {};
  std::string_view rest = std::string_view(aliases).substr(at + 1);
  rest = rest.substr(0, rest.find('\\'));
  std::vector<std::string> pieces = Split(rest, '=');
  return pieces.size() > 1 ? pieces[1] : std::string();
}

Ref<IWidget> TMiniGameWidget::InnerOf(IWidget* tail, bool& hasAlias) {
  // An alias forwarding "next" to an inner widget ends in a separator and "next".
  std::string alias = GetAlias(tail, "next");
  alias = alias.size() > 5 ? alias.substr(0, alias.size() - 5) : std::string();
  hasAlias = !alias.empty();
  return hasAlias ? tail->FindWidget(alias) : nullptr;
}

void TMiniGameWidget::ChainAfter(IWidget* tail, const Ref<IWidget>& widget) {
  bool hasAlias = false;
  Ref<IWidget> inner = tail ? InnerOf(tail, hasAlias) : nullptr;
  if (!tail || tail->IsDead() || (inner && inner->IsDead())) {
    widget->SetPaused(false);
    return;
  }
  Variant next = tail->GetProperty("next");
  if (!HasValue(next)) {
    widget->SetPaused(false);
    return;
  }
  tail->SetProperty("next", Variant(next.ToString() + ";" + widget->GetName()));
}

void TMiniGameWidget::EnqueueWidget(const Ref<IWidget>& widget) {
  if (!widget) return;
  Ref<IWidget> tail = FindWidget(lastQueued_);
  ChainAfter(tail.get(), widget);
  lastQueued_ = widget->GetName();
}

void TMiniGameWidget::AppendNext(const Ref<IWidget>& widget, Ref<IWidget>& tail) {
  if (!widget) return;
  ChainAfter(tail.get(), widget);
  tail = widget;
}

bool TMiniGameWidget::IsQueueBusy() {
  Ref<IWidget> tail = FindWidget(lastQueued_);
  if (!tail) return false;
  bool hasAlias = false;
  Ref<IWidget> inner = InnerOf(tail.get(), hasAlias);
  if (!hasAlias) return !tail->IsDead();
  return inner && !inner->IsDead();
}

void TMiniGameWidget::CopyNumberedParams(const Ref<IParamCollection>& params, IWidget* widget,
                                         std::string_view prefix) {
  params->SetValue("id", Variant::Integer(NextId()));
  CopyNumbered(params, widget, prefix);
}

void TMiniGameWidget::CopyNumbered(const Ref<IParamCollection>& params, IWidget* widget,
                                   std::string_view prefix) {
  if (!widget) return;
  for (int n = 1;; ++n) {
    std::string name = std::string(prefix) + std::to_string(n);
    Variant value = widget->GetProperty(name);
    if (!HasValue(value)) break;
    params->SetValue(name, value);
  }
}

// ---------------------------------------------------------------------------------------
// Helpers for the games

std::vector<std::string> TMiniGameWidget::Split(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      pieces.emplace_back(text.substr(start));
      return pieces;
    }
    pieces.emplace_back(text.substr(start, at - start));
    start = at + 1;
  }
}

bool TMiniGameWidget::IsOutsideBlock(const TPoint& point) const {
  if (!blockDrag_) return false;
  int64_t right = int64_t(blockLeft_) + blockWidth_;
  int64_t bottom = int64_t(blockTop_) + blockHeight_;
  return point.X < blockLeft_ || point.X > right || point.Y < blockTop_ || point.Y > bottom;
}

std::string TMiniGameWidget::GetHoveredWidgetName() {
  TPoint mouse = owner_ ? owner_->GetMousePos() : TPoint{};
  WidgetAtPos(ScreenToLocalPoint(mouse));
  return hovered_ ? hovered_->GetName() : std::string("null_widget");
}

// ---------------------------------------------------------------------------------------
// Follow widgets

std::vector<TMiniGameWidget::TFollowRecord> TMiniGameWidget::ParseFollowWidgets(
    std::string_view text) {
  std::vector<TFollowRecord> records;
  if (text.empty()) return records;
  for (const std::string& entry : Split(text, ';')) {
    size_t colon = entry.find(':');
    TFollowRecord record;
    record.name = entry.substr(0, colon);
    if (record.name.empty()) continue;
    if (colon != std::string::npos) {
      // [kx][_bx][x[ky][_by]]: what is not written is 0.
      std::string_view rest = std::string_view(entry).substr(colon + 1);
      size_t x = rest.find('x');
      std::string_view first = rest.substr(0, x);
      std::string_view second = x == std::string_view::npos ? std::string_view() : rest.substr(x + 1);
      auto factorOffset = [](std::string_view part, double& k, double& b) {
        size_t bar = part.find('_');
        k = PlacementNumber(part.substr(0, bar));
        b = bar == std::string_view::npos ? 0 : PlacementNumber(part.substr(bar + 1));
      };
      factorOffset(first, record.kx, record.bx);
      factorOffset(second, record.ky, record.by);
    }
    records.push_back(std::move(record));
  }
  return records;
}

void TMiniGameWidget::SetCursor(const char* name) {
  IEventHandler* handler = GetEventHandler();
  IGameScreenOwner* screens = handler ? handler->GetGameScreenOwner() : nullptr;
  if (Ref<ICursorCollection> cursors = screens ? screens->GetCursors() : nullptr)
    if (cursors->GetCurrentCursor()) cursors->SetCursor(name);
}

void TMiniGameWidget::HideFollowWidgets() {
  for (const TFollowRecord& record : follow_)
    if (Ref<IWidget> widget = FindWidget(record.name)) widget->SetVisible(false);
}

bool TMiniGameWidget::InFollowArea(const TPoint& ownerPoint) {
  if (Ref<IWidget> mask = FindWidget(followMask_))
    return mask->ContainsPoint(ToChildSpace(ownerPoint), false);
  int64_t x = ownerPoint.X, y = ownerPoint.Y;
  return followLeft_ <= x && x < int64_t(followLeft_) + followWidth_ && followTop_ <= y &&
         y < int64_t(followTop_) + followHeight_;
}

void TMiniGameWidget::FollowMouse(const TPoint& point) {
  if (!playing_) return;
  if (!InFollowArea(point)) {
    SetCursor("default");
    HideFollowWidgets();
    return;
  }
  SetCursor("none");
  TPoint child = ToChildSpace(point);
  int64_t dx = int64_t(point.X) - child.X, dy = int64_t(point.Y) - child.Y;
  bool shown = false;
  for (const TFollowRecord& record : follow_) {
    Ref<IWidget> widget = FindWidget(record.name);
    if (!widget) continue;
    double left = child.X * record.kx + record.bx;
    double top = child.Y * record.ky + record.by;
    widget->SetAnchorLeft(left);
    widget->SetAnchorTop(top);
    TPoint p{RoundHalfEven(left), RoundHalfEven(top)};
    if (InFollowArea(TPoint{SaturateInt32(p.X + dx), SaturateInt32(p.Y + dy)})) {
      widget->SetVisible(true);
      shown = true;
    } else {
      widget->SetVisible(false);
      if (!shown) SetCursor("default");
    }
  }
}
