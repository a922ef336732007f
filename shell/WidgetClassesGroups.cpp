// Child lists and group widgets: z order, the per-frame update and dirty-rectangle loops,
// caching and mouse routing.

#include <algorithm>
#include <climits>

#include "foundation/CheckedMath.h"
#include "shell/WidgetClasses.h"
#include "shell/WidgetFactories.h"

namespace {

// Widgets of a large tree lie far apart in memory, and a pass over the children would
// wait for each one's object in turn. So each child is asked for a few children ahead, and
// those waits overlap. What is asked for is the few cache lines before the child's IWidget
// part: that part sits at the end of the object, right after the fields every frame reads
// (the widget classes declare those last); and the first line of the widget base, whose
// table the child's own virtual calls read.
constexpr int kPrefetchAhead = 8;
constexpr int kPrefetchBytes = 192;

void Prefetch(const std::vector<IWidget*>& widgets, const std::vector<TAbstractWidget*>& bases,
              size_t index) {
  if (index >= widgets.size()) return;
  const char* at = reinterpret_cast<const char*>(widgets[index]);
  for (int offset = -kPrefetchBytes; offset <= 0; offset += 64) __builtin_prefetch(at + offset);
  __builtin_prefetch(bases[index]);
}

// Whether a child takes its update this frame: through the widget base where there is one.
bool TakesUpdate(IWidget* widget, TAbstractWidget* base) {
  if (base) return !base->IsPaused() && !base->IsDead() && !base->IsUpdated();
  return !widget->IsPaused() && !widget->IsDead() && !widget->IsUpdated();
}

// Half way: the child's own fields have arrived, so its function widget can be asked for.
void PrefetchFunction(const std::vector<TAbstractWidget*>& bases, size_t index) {
  if (index < bases.size() && bases[index]) bases[index]->PrefetchFunction();
}

constexpr std::string_view kMouseModes =
    "top_by_pos/top_or_self_by_pos/self_by_pos/give_to_all/give_to_all_by_pos/"
    "give_until_process_by_pos";

bool IsPosition(const Variant& v) {
  return v.IsOrdinal();
}

// Clears a flag when the scope ends, also by an exception.
struct TFlagScope {
  bool& flag;
  explicit TFlagScope(bool& f) : flag(f) { flag = true; }
  ~TFlagScope() { flag = false; }
};

// Counts an update of the children under way; when the outermost one ends, the widgets
// removed meanwhile are released (their destructors may run any code, so from a list of
// their own).
struct TUpdateScope {
  int& depth;
  std::vector<Ref<IWidget>>& removed;
  TUpdateScope(int& d, std::vector<Ref<IWidget>>& r) : depth(d), removed(r) { ++depth; }
  ~TUpdateScope() {
    if (--depth > 0) return;
    std::vector<Ref<IWidget>> released;
    released.swap(removed);
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// TSimpleWidgetCollection

void TSimpleWidgetCollection::Init() {
  TTypedCreationPersistItemCollection::Init();
  elementName_ = "widgets";
  itemElementName_ = "widget";
  items_ = Ref<TInterfaceCollection>(new TWidgetItems());
}

void TSimpleWidgetCollection::ItemLoaded(const Ref<IInterface>& item) {
  if (Ref<IWidget> widget = Supports<IWidget>(item)) Add(widget);
}

bool TSimpleWidgetCollection::Store(const Ref<IWidget>& widget, const std::string& key, int index) {
  if (!widget || items_->Contains(key)) return false;
  if (index < 0 || index > int(widgets_.size())) index = int(widgets_.size());
  items_->Add(widget, key, index);
  if (items_->IndexOf(key) != index) return false;
  widgets_.insert(widgets_.begin() + index, widget.get());
  bases_.insert(bases_.begin() + index, InterfaceCast<TAbstractWidget>(widget.get()));
  return true;
}

void TSimpleWidgetCollection::RemoveAt(int index) {
  if (index < 0 || index >= int(widgets_.size())) return;
  if (updateDepth_ > 0) removedInUpdate_.emplace_back(widgets_[size_t(index)]);
  widgets_.erase(widgets_.begin() + index);
  bases_.erase(bases_.begin() + index);
  items_->Delete(Variant(index));
}

void TSimpleWidgetCollection::SwapIndex(int a, int b) {
  items()->SwapIndex(a, b);
  std::swap(widgets_[size_t(a)], widgets_[size_t(b)]);
  std::swap(bases_[size_t(a)], bases_[size_t(b)]);
}

void TSimpleWidgetCollection::Delete(const Variant& address) {
  int index = IsPosition(address)  ? int(address.RawInt())
              : address.IsString() ? items_->IndexOf(address.RawText())
                                   : -1;
  if (index < 0 || index >= int(widgets_.size())) return TPersistCollection::Delete(address);
  RemoveAt(index);
}

void TSimpleWidgetCollection::Clear() {
  widgets_.clear();
  bases_.clear();
  items_->Clear();
}

Ref<IWidget> TSimpleWidgetCollection::GetByKey(const Variant& key) {
  if (IsPosition(key)) return Ref<IWidget>(WidgetAt(int(key.RawInt())));
  if (key.IsString()) return GetByName(key.RawText());
  return nullptr;
}

Ref<IWidget> TSimpleWidgetCollection::GetByIndex(int index) {
  return Ref<IWidget>(WidgetAt(index));
}

Ref<IWidget> TSimpleWidgetCollection::GetByName(std::string_view name) {
  return Ref<IWidget>(WidgetAt(items_->IndexOf(name)));
}

bool TSimpleWidgetCollection::Add(const Ref<IWidget>& widget) {
  return widget && Store(widget, widget->GetName(), -1);
}

bool TSimpleWidgetCollection::Insert(const Ref<IWidget>& widget, const std::string& key) {
  return Store(widget, key, -1);
}

// ---------------------------------------------------------------------------------------
// TWidgetCollection

void TWidgetCollection::Init() {
  TSimpleWidgetCollection::Init();
  sorted_ = true;
}

TWidgetCollection::~TWidgetCollection() {
  widgets_.clear();
}

bool TWidgetCollection::Add(const Ref<IWidget>& widget) {
  if (!widget) return false;
  std::string name = widget->GetName();
  // A refused widget is left as it was: no owner of ours, nothing posted.
  if (items_->Contains(name)) return false;
  if (widget->GetOwner() != owner_) {
    if (widget->GetOwner()) widget->ReleaseOwner();
    widget->SetOwner(owner_);
  }
  widget->UpdateDirtyRects(false, true);
  // Added by a sibling during this frame's update: it waits for the next frame.
  if (updating_) widget->SetUpdated(true);
  changed_ = true;
  orderChanged_ = true;
  int index = -1;
  if (sorted_) {
    int z = widget->GetZ();
    index = 0;
    for (int i = int(widgets_.size()) - 1; i >= 0; --i)
      if (widgets_[size_t(i)]->GetZ() <= z) {
        index = i + 1;
        break;
      }
  }
  if (Store(widget, name, index)) return true;
  widget->ReleaseOwner();
  return false;
}

// Appended under an explicit key, wherever its z would put it.
bool TWidgetCollection::Insert(const Ref<IWidget>& widget, const std::string& key) {
  if (!TSimpleWidgetCollection::Insert(widget, key)) return false;
  orderChanged_ = true;
  return true;
}

void TWidgetCollection::SetSorted(bool value) {
  sorted_ = value;
  orderChanged_ = true;
}

void TWidgetCollection::DeleteAt(int index) {
  Ref<IWidget> widget(WidgetAt(index));
  if (!widget) return;
  if (widget->GetOwner()) {
    widget->UpdateDirtyRects(true, false);
    changed_ = true;
    widget->ReleaseOwner();
  }
  // Releasing may have changed the list; find the widget again.
  for (int i = 0; i < int(widgets_.size()); ++i)
    if (widgets_[size_t(i)] == widget.get()) return RemoveAt(i);
}

void TWidgetCollection::Delete(const Variant& address) {
  int index = IsPosition(address)  ? int(address.RawInt())
              : address.IsString() ? items_->IndexOf(address.RawText())
                                   : -1;
  if (index < 0 || index >= int(widgets_.size())) return TPersistCollection::Delete(address);
  DeleteAt(index);
}

void TWidgetCollection::Clear() {
  while (!widgets_.empty()) {
    size_t before = widgets_.size();
    DeleteAt(int(before) - 1);
    if (widgets_.size() >= before) RemoveAt(int(widgets_.size()) - 1);
  }
  items_->Clear();
}

void TWidgetCollection::SetOwner(IWidgetOwner* owner) {
  owner_ = owner;
  for (int i = 0; i < int(widgets_.size()); ++i) {
    Ref<IWidget> widget(widgets_[size_t(i)]);
    widget->SetOwner(owner);
  }
}

void TWidgetCollection::ReleaseOwner() {
  for (int i = int(widgets_.size()) - 1; i >= 0; --i) {
    if (i >= int(widgets_.size())) continue;
    Ref<IWidget> widget(widgets_[size_t(i)]);
    widget->ReleaseOwner();
  }
}

void TWidgetCollection::DetachOwner() {
  ReleaseOwner();
  owner_ = nullptr;
}

// Stable: widgets of equal z keep the order in which they were added, as the index is
// the lower half of each sort key. A list already in order costs one pass; any other is
// sorted in O(n log n) and put in place with at most n - 1 swaps.
void TWidgetCollection::SortByZ() {
  orderChanged_ = false;
  sortKeys_.clear();
  bool inOrder = true;
  int32_t previous = INT32_MIN;
  for (size_t i = 0; i < widgets_.size(); ++i) {
    const int32_t z = widgets_[i]->GetZ();
    inOrder = inOrder && previous <= z;
    previous = z;
    // The z's sign bit flipped makes the unsigned keys order as the signed z.
    sortKeys_.push_back(uint64_t(uint32_t(z) ^ 0x80000000u) << 32 | uint32_t(i));
  }
  if (inOrder) return;
  std::sort(sortKeys_.begin(), sortKeys_.end());
  newPlaces_.resize(sortKeys_.size());
  for (size_t place = 0; place < sortKeys_.size(); ++place)
    newPlaces_[uint32_t(sortKeys_[place])] = int32_t(place);
  // Each swap puts one widget at its final place.
  for (int i = 0; i < int(newPlaces_.size()); ++i) {
    while (newPlaces_[size_t(i)] != i) {
      const int to = newPlaces_[size_t(i)];
      SwapIndex(i, to);
      std::swap(newPlaces_[size_t(i)], newPlaces_[size_t(to)]);
    }
  }
}

void TWidgetCollection::UpdateAll(int32_t dt) {
  changed_ = false;
  TFlagScope updating(updating_);
  // A child removed meanwhile lives on until the loop ends, so the loop takes no
  // reference of its own to each child.
  TUpdateScope scope(updateDepth_, removedInUpdate_);
  // Children may remove siblings while they update: never past the current end. Children
  // added meanwhile wait for the next frame.
  int count = int(widgets_.size());
  for (int i = 0; i < kPrefetchAhead; ++i) Prefetch(widgets_, bases_, size_t(i));
  for (int i = 0; i < count && i < int(widgets_.size()); ++i) {
    Prefetch(widgets_, bases_, size_t(i + kPrefetchAhead));
    PrefetchFunction(bases_, size_t(i + kPrefetchAhead / 2));
    IWidget* widget = widgets_[size_t(i)];
    if (TakesUpdate(widget, bases_[size_t(i)])) widget->Process(dt);
  }
}

void TWidgetCollection::RemoveDead() {
  for (int i = int(widgets_.size()) - 1; i >= 0; --i) {
    if (i >= int(widgets_.size()) || !widgets_[size_t(i)]->IsDead()) continue;
    Ref<IWidget> widget(widgets_[size_t(i)]);
    widget->UpdateDirtyRects(true, false);
    widget->ReleaseOwner();
    for (int j = 0; j < int(widgets_.size()); ++j)
      if (widgets_[size_t(j)] == widget.get()) {
        RemoveAt(j);
        break;
      }
    changed_ = true;
  }
}

void TWidgetCollection::Broadcast(const std::string& name, const Variant& value) {
  // Any property may lead to the z (an alias, a path): the order is checked again.
  orderChanged_ = true;
  for (int i = int(widgets_.size()) - 1; i >= 0; --i) {
    if (i >= int(widgets_.size())) continue;
    Ref<IWidget> widget(widgets_[size_t(i)]);
    widget->SetProperty(name, value);
  }
}

void TWidgetCollection::UpdateDirtyRects(bool forceOld, bool forceNew) {
  // The pass only posts rectangles: nothing in it changes the list.
  for (int i = 0; i < kPrefetchAhead; ++i) Prefetch(widgets_, bases_, size_t(i));
  for (size_t i = 0; i < widgets_.size(); ++i) {
    Prefetch(widgets_, bases_, i + kPrefetchAhead);
    IWidget* widget = widgets_[i];
    if (!widget->IsVisible() && !widget->WasVisible()) {
      widget->SetUpdated(false);
      continue;
    }
    widget->UpdateDirtyRects(forceOld, forceNew);
    if (!changed_) changed_ = bases_[i] ? bases_[i]->IsInvalidated() : widget->IsInvalidated();
  }
}

// ---------------------------------------------------------------------------------------
// TOwnerWidget

IEngine* TOwnerWidget::GetEngine() {
  return owner_ ? owner_->GetEngine() : nullptr;
}

IWindow* TOwnerWidget::GetWindow() {
  return owner_ ? owner_->GetWindow() : nullptr;
}

IEventHandler* TOwnerWidget::GetEventHandler() {
  return owner_ ? owner_->GetEventHandler() : nullptr;
}

TPoint TOwnerWidget::ScreenToLocal(const TPoint& point) {
  TPoint p = ScreenToLocalPoint(point);
  return TPoint{SaturateInt32(int64_t(p.X) - RoundHalfEven(anchorLeft_)),
                SaturateInt32(int64_t(p.Y) - RoundHalfEven(anchorTop_))};
}

Ref<IWidget> TOwnerWidget::CreateWidgetFromFactory(const std::string& factoryName,
                                                   const Ref<IParamCollection>& params) {
  return owner_ ? owner_->CreateWidgetFromFactory(factoryName, params) : nullptr;
}

void TOwnerWidget::AddDirtyRect(const TRect& rect) {
  if (owner_) owner_->AddDirtyRect(rect);
}

TPoint TOwnerWidget::GetMousePos() {
  return owner_ ? owner_->GetMousePos() : TPoint{};
}

void TOwnerWidget::SetMousePos(const TPoint& point) {
  if (owner_) owner_->SetMousePos(point);
}

// ---------------------------------------------------------------------------------------
// TGroupWidget

void TGroupWidget::Init() {
  TOwnerWidget::Init();
  children_ = TAbstractObject::Create<TWidgetCollection>();
  children_->SetOwner(this);
}

TGroupWidget::~TGroupWidget() {
  // Children held elsewhere must not keep a link to this group.
  if (children_) children_->DetachOwner();
}

Ref<IWidget> TGroupWidget::CreateWidgetFromFactory(const std::string& factoryName,
                                                   const Ref<IParamCollection>& params) {
  if (factories_)
    if (Ref<IWidgetFactory> factory = factories_->GetItem(Variant(factoryName)))
      return factory->CreateWidget(params);
  return TOwnerWidget::CreateWidgetFromFactory(factoryName, params);
}

void TGroupWidget::UpdateChildren(int32_t dt) {
  children_->UpdateAll(dt);
  children_->RemoveDead();
}

void TGroupWidget::Update(int32_t dt) {
  TOwnerWidget::Update(dt);
  UpdateChildren(dt);
}

void TGroupWidget::UpdateDirtyRects(bool forceOld, bool forceNew) {
  children_->SortByZIfChanged();
  bool visible = IsVisible();
  bool childOld = wasVisible_ && (forceOld || changed_ || !visible);
  bool childNew = visible && (forceNew || changed_ || needsRedraw_ || !wasVisible_);
  children_->UpdateDirtyRects(childOld, childNew);
  TOwnerWidget::UpdateDirtyRects(forceOld, forceNew);
  childrenChanged_ = children_->IsChanged();
  if (!invalidated_) invalidated_ = childrenChanged_;
  children_->ClearChanged();
}

// Broadcasts: every child, last first, then the group itself.
template <class Op>
static void ForEachChildBackwards(TWidgetCollection& children, Op op) {
  for (int i = children.WidgetCount() - 1; i >= 0; --i) {
    if (i >= children.WidgetCount()) continue;
    Ref<IWidget> child(children.WidgetAt(i));
    op(child.get());
  }
}

void TGroupWidget::Restart() {
  ForEachChildBackwards(*children_, [](IWidget* w) { w->Restart(); });
  TOwnerWidget::Restart();
}

void TGroupWidget::Invalidate() {
  ForEachChildBackwards(*children_, [](IWidget* w) { w->Invalidate(); });
  TOwnerWidget::Invalidate();
}

void TGroupWidget::Resume() {
  ForEachChildBackwards(*children_, [](IWidget* w) { w->Resume(); });
  TOwnerWidget::Resume();
}

void TGroupWidget::Pause() {
  ForEachChildBackwards(*children_, [](IWidget* w) { w->Pause(); });
  TOwnerWidget::Pause();
}

void TGroupWidget::SetUpdated(bool value) {
  ForEachChildBackwards(*children_, [value](IWidget* w) { w->SetUpdated(value); });
  TOwnerWidget::SetUpdated(value);
}

void TGroupWidget::SetOwner(IWidgetOwner* owner) {
  TOwnerWidget::SetOwner(owner);
  children_->SetOwner(this);
}

void TGroupWidget::ReleaseOwner() {
  children_->ReleaseOwner();
  TOwnerWidget::ReleaseOwner();
}

void TGroupWidget::Reset() {
  children_->Clear();
  factories_ = nullptr;
  TOwnerWidget::Reset();
}

Ref<IWidget> TGroupWidget::GetChildByKey(const Variant& key) {
  return children_->GetByKey(key);
}

void TGroupWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TOwnerWidget::LoadFromXml(node);
  factories_ = nullptr;
  if (node && node->GetChildCount("widgetfactories") > 0) {
    factories_ =
        Ref<IWidgetFactoryCollection>(TAbstractObject::Create<TWidgetFactoryCollection>().get());
    LoadObjectFromChild(factories_, node, "widgetfactories");
  }
  LoadObjectFromChild(children_, node, "widgets");
}

void TGroupWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TOwnerWidget::SaveToXml(node);
  if (factories_) SaveObjectToChild(factories_, node, "widgetfactories");
  SaveObjectToChild(children_, node, "widgets");
}

// ---------------------------------------------------------------------------------------
// TVisualGroupWidget

TPoint TVisualGroupWidget::ToChildSpace(const TPoint& point) {
  return TPoint{SaturateInt32(int64_t(point.X) - RoundHalfEven(anchorLeft_)),
                SaturateInt32(int64_t(point.Y) - RoundHalfEven(anchorTop_))};
}

void TVisualGroupWidget::SetCaching(bool value) {
  caching_ = value;
  Invalidate();
}

TRect TVisualGroupWidget::GetRect() {
  int32_t left = RoundHalfEven(anchorLeft_);
  int32_t top = RoundHalfEven(anchorTop_);
  TRect rect{left, top, left, top};
  bool first = true;
  for (IWidget* child : children_->Widgets()) {
    if (!child->IsVisible()) continue;
    TRect r = platform::OffsetRect(child->GetRect(), left, top);
    if (first)
      rect = r;
    else
      UnionRects(rect, r, rect);
    first = false;
  }
  return rect;
}

bool TVisualGroupWidget::ContainsPoint(const TPoint& point, bool ignoreVisibility) {
  if (!ignoreVisibility && !IsVisible()) return false;
  TPoint p = ToChildSpace(point);
  for (int i = children_->WidgetCount() - 1; i >= 0; --i)
    if (children_->WidgetAt(i)->ContainsPoint(p, ignoreVisibility)) return true;
  return false;
}

Ref<IWidget> TVisualGroupWidget::WidgetAtPos(const TPoint& point) {
  if (!IsVisible() || !IsMouseStop()) return nullptr;
  lastPoint_ = point;
  switch (mouseMode_) {
    case mmTopByPos:
    case mmTopOrSelfByPos: {
      lastPoint_ = ToChildSpace(point);
      for (int i = children_->WidgetCount() - 1; i >= 0; --i)
        if (Ref<IWidget> hit = children_->WidgetAt(i)->WidgetAtPos(lastPoint_)) return hit;
      if (mouseMode_ == mmTopOrSelfByPos && ContainsPoint(point, false)) return Ref<IWidget>(this);
      return nullptr;
    }
    case mmSelfByPos:
    case mmGiveToAll:
    case mmGiveToAllByPos:
    case mmGiveUntilProcessByPos:
      return ContainsPoint(point, false) ? Ref<IWidget>(this) : nullptr;
    default:
      return nullptr;
  }
}

bool TVisualGroupWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  if (mouseMode_ == mmGiveToAll) {
    bool handled = false;
    ForEachChildBackwards(*children_, [&](IWidget* w) {
      if (w->HandleMouse(message, point, keys)) handled = true;
    });
    return handled;
  }
  if (mouseMode_ != mmGiveToAllByPos && mouseMode_ != mmGiveUntilProcessByPos) return false;
  TPoint p = ToChildSpace(lastPoint_);
  bool result = false;
  // A handler may change the children: every step checks the current list.
  for (int i = children_->WidgetCount() - 1; i >= 0; --i) {
    if (i >= children_->WidgetCount()) continue;
    Ref<IWidget> hit = children_->WidgetAt(i)->WidgetAtPos(p);
    if (!hit) continue;
    result = hit->HandleMouse(message, point, keys);
    if (result && mouseMode_ == mmGiveUntilProcessByPos) break;
  }
  return result;
}

void TVisualGroupWidget::RenderCache() {
  cacheSurface_ = nullptr;
  caching_ = false;
  renderingCache_ = true;
  Ref<ISurface> image = GetImage();
  renderingCache_ = false;
  caching_ = true;
  cacheSurface_ = image;
  cacheStale_ = false;
}

void TVisualGroupWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!surface) return;
  // A group made translucent after loading is drawn through one picture as well: drawn
  // child by child its transparency would be lost.
  if (!caching_ && !renderingCache_ && transparentLevel_ != 255) {
    caching_ = true;
    cacheSurface_ = nullptr;
  }
  if (!caching_) {
    for (IWidget* child : children_->Widgets())
      if (child->IsVisible()) DrawChildAt(child, surface, x, y);
    return;
  }
  if (cacheStale_ || children_->IsChanged() || !cacheSurface_) RenderCache();
  // Without an engine there is no image to draw from.
  if (!cacheSurface_) return;
  TRect r = GetRect();
  int32_t left = SaturateInt32(int64_t(x) - RoundHalfEven(anchorLeft_ - r.Left));
  int32_t top = SaturateInt32(int64_t(y) - RoundHalfEven(anchorTop_ - r.Top));
  int32_t w = cacheSurface_->GetWidth();
  int32_t h = cacheSurface_->GetHeight();
  surface->Draw(
      cacheSurface_.get(), TRect{0, 0, w, h}, bmNormal, transparentLevel_,
      TRect{left, top, SaturateInt32(int64_t(left) + w), SaturateInt32(int64_t(top) + h)});
}

void TVisualGroupWidget::Invalidate() {
  TGroupWidget::Invalidate();
  cacheSurface_ = nullptr;
  if (caching_ || transparentLevel_ != 255) RenderCache();
}

void TVisualGroupWidget::UpdateDirtyRects(bool forceOld, bool forceNew) {
  TGroupWidget::UpdateDirtyRects(forceOld, forceNew);
  // What the children posted is not in the cached picture yet.
  if (childrenChanged_) cacheStale_ = true;
}

void TVisualGroupWidget::ReleaseOwner() {
  cacheSurface_ = nullptr;
  TGroupWidget::ReleaseOwner();
}

// "caching" read from a file goes straight to the flag; written as a property, the
// group renders its picture again.
const TPropertyTable& TVisualGroupWidget::Properties() {
  using G = TVisualGroupWidget;
  static const TPropertyTable table(
      TGroupWidget::Properties(),
      {
          Prop("caching", &G::caching_, &G::SetCaching)
              .Bool([](G& g) { return g.transparentLevel_ != 255; })
              .SavedWhen(&G::caching_),
          Prop("cachesurface", &G::cacheSurface_).ReadOnly(),
          Prop("process_mouse_type", &G::mouseMode_).Xml(&G::LoadMouseMode, &G::SaveMouseMode),
      });
  return table;
}

// "returnselfbypos" of older files stands for "top_or_self_by_pos".
void TVisualGroupWidget::LoadMouseMode(const Ref<IHierStorage>& node) {
  int mode = ReadXmlBool(node, "returnselfbypos", false) ? mmTopOrSelfByPos : mmTopByPos;
  mouseMode_ = uint8_t(ReadXmlEnum(node, "process_mouse_type", kMouseModes, mode));
}

void TVisualGroupWidget::SaveMouseMode(const Ref<IHierStorage>& node) {
  if (mouseMode_ != mmTopByPos)
    WriteXmlEnum(node, "process_mouse_type", kMouseModes, true, mouseMode_);
}

TPoint GetSurfaceOffset(IWidget* widget, const TPoint& point) {
  int64_t x = point.X;
  int64_t y = point.Y;
  while (widget) {
    x += RoundHalfEven(widget->GetAnchorLeft());
    y += RoundHalfEven(widget->GetAnchorTop());
    // The screen (no widget) or a caching group is where the drawing surface starts.
    widget = InterfaceCast<IWidget>(widget->GetOwner());
    if (auto* group = InterfaceCast<TVisualGroupWidget>(widget); group && group->IsCaching()) break;
  }
  return TPoint{SaturateInt32(x), SaturateInt32(y)};
}
