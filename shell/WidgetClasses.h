#pragma once
// The widget core: the base every widget derives from, widgets with a place on the screen,
// groups of widgets and their child lists, and widgets that wrap another widget.
//
// How a widget class is written (a leaf with a size of its own): its properties are
// declared once, in a table beside the class; GetProperty, SetProperty, LoadFromXml and
// SaveToXml answer from the tables of the class chain (foundation/PropertyTable.h).
//
//   class TDotWidget : public TSingleWidget {
//    public:
//     void Draw(ISurface* surface, int32_t x, int32_t y) override {
//       surface->SetPixel(x, y, color_);      // x, y: where the anchor lies on Surface
//     }
//    protected:
//     const TPropertyTable& Properties() override;
//    private:
//     uint32_t color_ = 0xFFFFFFFF;
//   };
//
//   const TPropertyTable& TDotWidget::Properties() {
//     static const TPropertyTable table(TSingleWidget::Properties(), {
//         // "$AARRGGBB" in files, left out at white; a change redraws the dot.
//         Prop("color", &TDotWidget::color_).Hex(0xFFFFFFFF).Redraws(),
//     });
//     return table;
//   }
//
// and registered in its library's Register...Classes(): RegisterClassName<TDotWidget>("dot").
// A row over a field and a setter function sends property writes through the setter and
// reads files straight into the field. A change of geometry sets changed_ (SetAnchorLeft,
// SetWidth do; a field row says Invalidates()), a change of looks calls SetNeedsRedraw(true)
// (Redraws()); the dirty-rectangle pass turns both into rectangles. Update(dt) is the
// per-frame hook (call the inherited one first); it must not allocate. LoadFromXml and
// SaveToXml are overridden only for child elements.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "functions/FunctionInterfaces.h"
#include "shell/GameInterfaces.h"

// ---------------------------------------------------------------------------------------
// The base of every widget: owner, clock, flags, sounds, properties, the function widget.

class TAbstractWidget : public TPropertyObject, public virtual IWidget {
 public:
  void Init() override;
  ~TAbstractWidget() override;

  // Properties: paths ("child/name"), the rows of the class chain, aliases, extra
  // parameters, then the rows that answer after them ("z", "visible", ..., "name"). Values
  // that do not convert are ignored.
  void SetProperty(const std::string& name, const Variant& value) override;
  // Fixed unless Name is a path or an alias or extra parameter may answer it; the bindings
  // of the function widget are made again when extra parameters are added.
  bool ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                       const TPropertyRow*& writer) override;

  virtual Ref<IWidget> GetChildByKey(const Variant& key);
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  IWidgetOwner* GetOwner() override { return owner_; }
  void Invalidate() override { needsRedraw_ = true; }
  // The flags the passes over many children read are final: read through the widget base
  // they cost a load, not a call.
  bool IsDead() final { return dead_; }
  void SetDead(bool value) override { dead_ = value; }
  bool IsPaused() final { return paused_; }
  void SetPaused(bool value) override { paused_ = value; }
  bool IsUpdated() final { return updated_; }
  void SetUpdated(bool value) override { updated_ = value; }
  void Process(int32_t dt) override;
  // The clock, the time to live and the function widget; overrides call it first.
  virtual void Update(int32_t dt);
  void Restart() override;
  void Resume() override { paused_ = false; }
  void Pause() override { paused_ = true; }
  Ref<IWidgetCollection> GetChildren() override { return nullptr; }
  Ref<IWidget> FindWidget(std::string_view path) override;

  bool IsVisible() override { return false; }
  void SetVisible(bool) override {}
  int32_t GetZ() override { return -1; }
  void SetZ(int32_t) override {}
  double GetAnchorLeft() override { return 0; }
  void SetAnchorLeft(double) override {}
  double GetAnchorTop() override { return 0; }
  void SetAnchorTop(double) override {}
  TPoint ScreenToLocalPoint(const TPoint& point) override;
  double GetTop() override { return 0; }
  double GetLeft() override { return 0; }
  int32_t GetWidth() override { return 0; }
  int32_t GetHeight() override { return 0; }
  TRect GetRect() override;
  int32_t GetTransparentLevel() override { return 255; }
  void SetTransparentLevel(int32_t) override {}
  void Draw(ISurface*, int32_t, int32_t) override {}
  Ref<ISurface> GetImage() override { return nullptr; }

  bool IsEnabled() override { return false; }
  void SetEnabled(bool) override {}
  bool IsTabStop() override { return false; }
  void SetTabStop(bool) override {}
  bool IsMouseStop() override { return false; }
  void SetMouseStop(bool) override {}
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;
  bool ContainsPoint(const TPoint& point, bool ignoreVisibility) override;
  void OnLoseCapture() override {}
  void OnKillFocus() override {}
  void OnSetFocus() override {}
  bool HandleMouse(uint32_t, const TPoint&, uint32_t) override { return false; }
  bool HandleKey(uint32_t, uintptr_t, intptr_t) override { return false; }

  AudioHandle PlaySound(const std::string& name, bool useGivenValues = false, int32_t volume = 0,
                        int32_t pan = 0) override;
  void StopSound(const std::string& name) override;
  Ref<ISoundCollection> GetSounds() override { return sounds_; }
  Ref<ISound> FindSound(const std::string& name) override;
  void Notify(int32_t, const Variant&) override {}

  void UpdateDirtyRects(bool forceOld, bool forceNew) override;
  bool WasVisible() override { return false; }
  bool NeedsRedraw() override { return needsRedraw_; }
  void SetNeedsRedraw(bool value) override { needsRedraw_ = value; }
  bool IsInvalidated() final { return invalidated_; }
  void Show(bool value) override;
  void SetExtraParam(const std::string& name, const Variant& value) override;
  std::string GetPath() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;
  void Reset() override;

  // The function bound to the properties; nothing when there is none.
  const Ref<IFunction>& GetFunctionWidget() const { return function_; }
  void SetFunctionWidget(const Ref<IFunction>& function);
  int32_t GetCurrentTime() const { return currentTime_; }
  // The "aliases" text as loaded ("\name=target,...").
  const std::string& GetAliases() const { return aliases_; }
  // Asks for the function widget's object ahead of an update that evaluates it.
  void PrefetchFunction() const {
    if (function_) __builtin_prefetch(function_.get());
  }

 protected:
  const TPropertyTable& Properties() override;
  Variant DoGetProperty(const std::string& name) override;
  void PropertyChanged(const TPropertyRow& row) override;

  // Copies every "target=source" pair of the redefined parameters.
  void ApplyRedefinedParams();
  // The function widget: restart (Execute) and evaluation (Calculate), each between
  // pushing the bound properties in and pulling the outputs back.
  void RestartFunction();
  void EvaluateFunction();

  Ref<ISoundCollection> sounds_;
  std::string aliases_;
  Ref<IParamCollection> extraParams_;
  std::string redefinedParams_;

 private:
  // One output or input of the function widget and the property it is bound to: through
  // the property's rows, or by name when the name may be answered otherwise.
  struct TBinding {
    int32_t index = 0;
    std::string property;
    const TPropertyRow* reader = nullptr;
    const TPropertyRow* writer = nullptr;
    bool byName = true;
  };
  TBinding Bind(int32_t index, std::string property);
  bool ReadBound(const TBinding& binding, double& value);
  void BindFunction();
  void PushFunctionInputs();
  void PullFunctionOutputs();
  // The aliases of Name ("\name=a,b"), or nothing; case matters.
  bool FindAliases(std::string_view name, std::string_view& aliases) const;
  bool EnterAlias(std::string_view name);
  void LeaveAlias() { --aliasDepth_; }
  bool HasExtraParam(const std::string& name) const;
  TPoint MousePos() const;
  void LoadExtraParams(const Ref<IHierStorage>& node);
  void SaveExtraParams(const Ref<IHierStorage>& node);

  // Names whose aliases are being followed: aliases that lead back to one of them are
  // not followed again.
  static constexpr int kMaxAliasDepth = 8;
  std::string_view aliasStack_[kMaxAliasDepth];
  int aliasDepth_ = 0;
  std::vector<TBinding> outputs_;
  std::vector<TBinding> inputs_;
  bool bindingsValid_ = false;

 protected:
  // What every frame reads and writes, last, next to the fields of the visual widget that
  // follow: a pass over many widgets then touches few cache lines of each.
  bool needsRedraw_ = false;
  bool dead_ = false;
  bool paused_ = false;
  bool updated_ = false;
  bool initialPost_ = true;
  bool invalidated_ = false;
  int32_t startTime_ = 0;
  int32_t currentTime_ = 0;
  int32_t timeToLive_ = 0;
  IWidgetOwner* owner_ = nullptr;
  double timeRate_ = 1.0;
  Ref<IFunction> function_;
};

// ---------------------------------------------------------------------------------------
// A place on the screen: anchors, z, visibility, transparency, and the dirty-rectangle
// pass.

class TVisualWidget : public TAbstractWidget {
 public:
  void Init() override;

  bool IsVisible() override { return visible_; }
  void SetVisible(bool value) override { visible_ = value; }
  int32_t GetZ() override { return z_; }
  void SetZ(int32_t value) override;
  double GetAnchorLeft() override { return anchorLeft_; }
  void SetAnchorLeft(double value) override;
  double GetAnchorTop() override { return anchorTop_; }
  void SetAnchorTop(double value) override;
  double GetLeft() override { return anchorLeft_; }
  double GetTop() override { return anchorTop_; }
  int32_t GetTransparentLevel() override { return transparentLevel_; }
  void SetTransparentLevel(int32_t value) override;
  bool IsMouseStop() override { return mouseStop_; }
  void SetMouseStop(bool value) override { mouseStop_ = value; }
  bool WasVisible() override { return wasVisible_; }
  Ref<ISurface> GetImage() override;
  void UpdateDirtyRects(bool forceOld, bool forceNew) override;

  // The geometry changed since the last pass.
  void SetChanged() { changed_ = true; }
  bool IsChanged() const { return changed_; }

 protected:
  const TPropertyTable& Properties() override;
  void PropertyChanged(const TPropertyRow& row) override;
  bool IsAnchored() const { return anchorLeft_ != 0 || anchorTop_ != 0; }

  // Packed: every frame's pass reads most of them.
  bool visible_ = false;
  bool wasVisible_ = false;
  bool changed_ = false;
  bool mouseStop_ = false;
  uint8_t transparentLevel_ = 255;
  int32_t z_ = 0;
  double anchorLeft_ = 0;
  double anchorTop_ = 0;
  TRect lastRect_;
  TRect newRect_;
};

// A visual widget with a width and height of its own: the base of most leaves.
class TSingleWidget : public TVisualWidget {
 public:
  virtual void SetWidth(int32_t value);
  virtual void SetHeight(int32_t value);
  int32_t GetWidth() override { return width_; }
  int32_t GetHeight() override { return height_; }

 protected:
  const TPropertyTable& Properties() override;

  int32_t width_ = 0;
  int32_t height_ = 0;
};

// "surface_widget": a surface handed over at run time (property "surface"), whole or a
// shifted part of it, copied or filled with one colour.
class TSurfaceWidget : public TVisualWidget {
 public:
  enum : uint8_t { dmCopyRect = 0, dmFillColor = 1 };

  // A value holding an ISurface, or Null to drop it.
  virtual void SetSurface(const Variant& value);
  const Ref<ISurface>& GetSurface() const { return surface_; }
  int32_t GetWidth() override { return width_; }
  int32_t GetHeight() override { return height_; }
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  // Only over pixels with alpha 11 or more.
  bool ContainsPoint(const TPoint& point, bool ignoreVisibility) override;
  void ReleaseOwner() override;

 protected:
  const TPropertyTable& Properties() override;

  Ref<ISurface> surface_;
  uint8_t drawMode_ = dmCopyRect;
  uint32_t fillColor_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t shiftTop_ = 0;
  int32_t shiftLeft_ = 0;
};

// ---------------------------------------------------------------------------------------
// Widgets that own others: what their children ask of their owner passes up to the
// widget's own owner; children's coordinates are relative to the widget's anchor.

class TOwnerWidget : public TVisualWidget, public virtual IWidgetOwner {
 public:
  IEngine* GetEngine() override;
  IWindow* GetWindow() override;
  IEventHandler* GetEventHandler() override;
  TPoint ScreenToLocal(const TPoint& point) override;
  Ref<IWidget> CreateWidgetFromFactory(const std::string& factoryName,
                                       const Ref<IParamCollection>& params) override;
  void AddDirtyRect(const TRect& rect) override;
  TPoint GetMousePos() override;
  void SetMousePos(const TPoint& point) override;
  Ref<IWidget> FindWidget(std::string_view path) override {
    return TAbstractWidget::FindWidget(path);
  }
  Ref<ISound> FindSound(const std::string& name) override {
    return TAbstractWidget::FindSound(name);
  }
  std::string GetPath() override { return TAbstractWidget::GetPath(); }
};

// ---------------------------------------------------------------------------------------
// Child lists

// The inner list of a widget collection, with exchanges by position.
class TWidgetItems : public TInterfaceCollection {
 public:
  void SwapIndex(int a, int b) { HashList().Swap(a, b); }
};

// Widgets loaded from "widgets" / "widget" elements, keyed by name. Beside the keyed list
// it keeps the widgets as plain pointers in the same order, for the per-frame loops.
class TSimpleWidgetCollection : public TTypedCreationPersistItemCollection,
                                public virtual ISimpleWidgetCollection {
 public:
  void Init() override;

  void Delete(const Variant& address) override;
  void Clear() override;
  Ref<IWidget> GetByKey(const Variant& key) override;
  Ref<IWidget> GetByIndex(int index) override;
  Ref<IWidget> GetByName(std::string_view name) override;
  bool Add(const Ref<IWidget>& widget) override;
  bool Insert(const Ref<IWidget>& widget, const std::string& key) override;

  int WidgetCount() const { return int(widgets_.size()); }
  // The widgets in order, for loops that call nothing that could change the list.
  const std::vector<IWidget*>& Widgets() const { return widgets_; }
  IWidget* WidgetAt(int index) const {
    return index >= 0 && index < int(widgets_.size()) ? widgets_[size_t(index)] : nullptr;
  }

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
  // Stores the widget under Key at Index (-1 appends); false when refused.
  bool Store(const Ref<IWidget>& widget, const std::string& key, int index);
  // Removes the item at Index from both lists. While the children update, a removed
  // widget is kept alive until the update ends: it may be the one running.
  void RemoveAt(int index);
  void SwapIndex(int a, int b);

  TWidgetItems* items() { return static_cast<TWidgetItems*>(items_.get()); }
  std::vector<IWidget*> widgets_;
  // Each widget as the widget base, beside widgets_ (nothing for widgets of other kinds):
  // what the passes fetch ahead.
  std::vector<TAbstractWidget*> bases_;
  int updateDepth_ = 0;  // updates of the children under way, nested ones counted
  std::vector<Ref<IWidget>> removedInUpdate_;
};

class TWidgetCollection : public TSimpleWidgetCollection, public virtual IWidgetCollection {
 public:
  void Init() override;
  ~TWidgetCollection() override;

  void Delete(const Variant& address) override;
  void Clear() override;
  bool Add(const Ref<IWidget>& widget) override;
  bool Insert(const Ref<IWidget>& widget, const std::string& key) override;
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  bool IsSorted() override { return sorted_; }
  void SetSorted(bool value) override;
  void SortByZ() override;
  // The z order may no longer hold: a child's z or the list changed. The next
  // SortByZIfChanged sorts; until then the order is left as it is, so a frame in which
  // nothing moved pays nothing for it.
  void ZOrderChanged() { orderChanged_ = true; }
  void SortByZIfChanged() {
    if (orderChanged_) SortByZ();
  }
  void UpdateAll(int32_t dt) override;
  void RemoveDead() override;
  void Broadcast(const std::string& name, const Variant& value) override;
  void UpdateDirtyRects(bool forceOld, bool forceNew) override;
  bool IsChanged() override { return changed_; }
  void ClearChanged() override { changed_ = false; }
  IWidget* ItemAt(int index) override { return WidgetAt(index); }

  bool IsUpdating() const { return updating_; }
  // Releases the items' owner and forgets the owner (the group is going away).
  void DetachOwner();

 private:
  void DeleteAt(int index);

  bool sorted_ = true;
  IWidgetOwner* owner_ = nullptr;
  bool changed_ = false;
  bool updating_ = false;
  bool orderChanged_ = false;
  // While sorting: (z, index) keys, then each child's new place; kept to allocate once.
  std::vector<uint64_t> sortKeys_;
  std::vector<int32_t> newPlaces_;
};

// ---------------------------------------------------------------------------------------
// Groups

// Owns its children: updates them, removes the dead ones, passes their requests up.
class TGroupWidget : public TOwnerWidget {
 public:
  void Init() override;
  ~TGroupWidget() override;

  virtual void UpdateChildren(int32_t dt);
  // The group's own factories first.
  Ref<IWidget> CreateWidgetFromFactory(const std::string& factoryName,
                                       const Ref<IParamCollection>& params) override;

  void Update(int32_t dt) override;
  void UpdateDirtyRects(bool forceOld, bool forceNew) override;
  void Restart() override;
  void Invalidate() override;
  void Resume() override;
  void Pause() override;
  void SetUpdated(bool value) override;
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  void Reset() override;
  Ref<IWidgetCollection> GetChildren() override { return Ref<IWidgetCollection>(children_.get()); }
  Ref<IWidget> GetChildByKey(const Variant& key) override;
  const Ref<IWidgetFactoryCollection>& GetFactories() const { return factories_; }
  // A child's z changed: the children are sorted again before the next pass.
  void ChildZChanged() { children_->ZOrderChanged(); }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  Ref<TWidgetCollection> children_;
  Ref<IWidgetFactoryCollection> factories_;
  // The children posted rectangles, or were added or removed, in the last pass.
  bool childrenChanged_ = false;
};

// "group_widget": draws its children in ascending z, optionally through a cached image,
// and routes the mouse by "process_mouse_type".
class TVisualGroupWidget : public TGroupWidget {
 public:
  enum : uint8_t {
    mmTopByPos = 0,
    mmTopOrSelfByPos = 1,
    mmSelfByPos = 2,
    mmGiveToAll = 3,
    mmGiveToAllByPos = 4,
    mmGiveUntilProcessByPos = 5,
  };

  virtual void SetCaching(bool value);
  bool IsCaching() const { return caching_; }
  uint8_t GetMouseMode() const { return mouseMode_; }
  void SetMouseMode(uint8_t mode) { mouseMode_ = mode; }

  TRect GetRect() override;
  double GetLeft() override { return GetRect().Left; }
  double GetTop() override { return GetRect().Top; }
  int32_t GetWidth() override { return GetRect().Width(); }
  int32_t GetHeight() override { return GetRect().Height(); }
  bool ContainsPoint(const TPoint& point, bool ignoreVisibility) override;
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  void Invalidate() override;
  void UpdateDirtyRects(bool forceOld, bool forceNew) override;
  void ReleaseOwner() override;

 protected:
  const TPropertyTable& Properties() override;
  void LoadMouseMode(const Ref<IHierStorage>& node);
  void SaveMouseMode(const Ref<IHierStorage>& node);
  // Renders the children into a new cache surface.
  void RenderCache();
  // The point moved into the children's coordinates.
  TPoint ToChildSpace(const TPoint& point);

  bool caching_ = false;
  Ref<ISurface> cacheSurface_;
  uint8_t mouseMode_ = mmTopByPos;
  TPoint lastPoint_;
  // The children posted rectangles since the cache was rendered.
  bool cacheStale_ = false;
  // The children are being drawn into the cache: straight, whatever the transparency.
  bool renderingCache_ = false;
};

// ---------------------------------------------------------------------------------------
// Widgets that work on one other widget

// Wraps one child widget and is its owner.
class TDecorateWidget : public TOwnerWidget {
 public:
  ~TDecorateWidget() override;

  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  void Update(int32_t dt) override;
  void Invalidate() override;
  void Restart() override;
  void Resume() override;
  void Pause() override;
  Ref<IWidget> GetChildByKey(const Variant&) override { return child_; }
  void Reset() override;
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;

  const Ref<IWidget>& GetChild() const { return child_; }
  // The old child releases its owner; the new one gets this widget.
  void SetChild(const Ref<IWidget>& child);

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;
  // The property "widget": a widget value, or Null (or no interface) to drop the child.
  void SetChildValue(const Variant& value);

  Ref<IWidget> child_;
};

// Takes its child's geometry and draws it.
class TBehaviourWidget : public TDecorateWidget {
 public:
  double GetLeft() override;
  double GetTop() override;
  int32_t GetWidth() override { return child_ ? child_->GetWidth() : 0; }
  int32_t GetHeight() override { return child_ ? child_->GetHeight() : 0; }
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  void UpdateDirtyRects(bool forceOld, bool forceNew) override;
};

// "replicator_widget": its child drawn in a grid of "cols" by "rows".
class TReplicatorWidget : public TDecorateWidget {
 public:
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;

 protected:
  const TPropertyTable& Properties() override;

  int32_t cols_ = 1;
  int32_t rows_ = 1;
};

// "linked_surface_widget": shows, every update, an image of the widget at
// "linked_widget_name". Renders a new image per update: meant for small widgets.
class TLinkedSurfaceWidget : public TSurfaceWidget {
 public:
  void Update(int32_t dt) override;

 protected:
  const TPropertyTable& Properties() override;

  std::string linkedPath_;
};

// Marks every child dead, removes them at once and empties the list: the children go the
// way dead widgets go (their rectangles redrawn, their owner released).
void RemoveAllChildren(IWidgetCollection* children);
inline void RemoveAllChildren(IWidget* group) {
  if (group) RemoveAllChildren(group->GetChildren().get());
}

// Draws Widget into Surface at X, Y plus its rounded anchors (how groups draw children).
void DrawChildAt(IWidget* widget, ISurface* surface, int32_t x, int32_t y);

// Where a point of Widget's own coordinates (0, 0 is its anchor) lies on the surface the
// widget is drawn into: the point plus the rounded anchors of the widget and its owners, up
// to the nearest group that draws its children into a cached surface of its own, or up to
// the screen. Saturates instead of overflowing.
TPoint GetSurfaceOffset(IWidget* widget, const TPoint& point);
