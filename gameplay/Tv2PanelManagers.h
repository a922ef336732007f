#pragma once
// Panel managers: which objects of a level stand in the item panel, where each item widget
// goes, how a found item is taken off and how the rest close up.
//
// Every item is one record in a growable array whose length is the capacity; items in use
// sit at the front. The array always keeps a cleared record after the last item, so that a
// lookup of an unlisted object reads "not shown, count 0, no widget".

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "gameplay/Tv2Interfaces.h"

struct TPanelItem {
  Ref<ISceneObjectDef> object;
  Ref<ISceneObjectDef> pairMember;
  int32_t count = 0;
  Ref<IWidget> widget;
  bool shown = false;
  bool busy = false;
  bool found = false;
  bool hideNow = false;
  int32_t dueTime = -1;
};

class TAbstractPanelManager : public TNamedObject, public virtual IPanelManager {
 public:
  using TNamedObject::Init;

  // The operations of the panel's item records (overridden by the kinds).
  virtual void HideItem(int32_t index);
  virtual void MarkItemHidden(int32_t index);
  virtual void ShiftItem(int32_t index, int32_t& position);
  virtual void CloseGap(int32_t last, int32_t index, int32_t top, int32_t left);
  virtual bool ShiftItemStep(int32_t index, int32_t& position);
  // The first item standing for the object (or its pair member); count when none.
  virtual int32_t IndexOf(const Ref<ISceneObjectDef>& object);
  virtual Ref<IWidget> AddObject(const Ref<ISceneObjectDef>& object, int32_t left, int32_t top);
  virtual void UpdateItemCounter(int32_t index) { (void)index; }

  void Bind(IGameManagersOwner* owner, int32_t capacity) override;
  void Unbind() override;
  void AddItem(const Ref<ISceneObjectDef>& object) override;
  void FitItem(const Ref<ISceneObjectLocation>&) override {}
  void AnimateItem(const Ref<ISceneObjectDef>& object,
                   const Ref<IParamCollection>& params) override;
  void MarkItemFound(const Ref<ISceneObjectDef>&) override {}
  bool ObjectFound(const Ref<ISceneObjectDef>& object) override;
  void DecrementCount(const Ref<IWidget>& widget) override;
  bool ProcessPendingHides() override;
  void SetItemBusy(const Ref<IWidget>& widget, bool busy) override;
  void UpdateItemVisibility(const Ref<IWidget>& widget, int32_t offset) override;
  bool GetItemState(const Ref<ISceneObjectDef>& object) override;
  Ref<IWidget> GetItemWidget(const Ref<ISceneObjectDef>& object) override;
  Ref<ISceneObjectDef> GetItemObjectByWidget(const Ref<IWidget>& widget, bool second) override;
  double GetItemProperty(const Ref<ISceneObjectDef>& object, const std::string& name) override;
  Ref<ISceneObjectDef> GetPairedObject(const Ref<ISceneObjectDef>& object) override;
  bool GetItemsMouseStop() override { return itemsMouseStop_; }
  bool GetSecondFlag() override { return secondFlag_; }
  void HideAllShown() override;
  // Never below one spare record after the items.
  void SetCapacity(int32_t capacity) override;
  void ScheduleItem(const Ref<ISceneObjectDef>& object, int32_t& delay, double& x,
                    double& y) override;
  std::string GetItemPrefix() override { return {}; }
  int32_t GetRemainingCount(const Ref<ISceneObjectDef>& object) override;
  void AfterChange() override {}
  void ShowItemLabel(const TPoint&) override {}
  void SwapItems(const Ref<ISceneObjectDef>& first, const Ref<ISceneObjectDef>& second) override;
  void ResetScroll() override {}
  void ScrollLeft(const Ref<IWidget>&) override {}
  void ScrollRight(const Ref<IWidget>&) override {}
  void RefreshLayout() override {}

  int32_t GetCount() const { return count_; }
  int32_t GetInterval() const { return interval_; }
  int32_t GetNextPosition() const { return nextPosition_; }
  int32_t GetCapacity() const { return int32_t(items_.size()); }
  const TPanelItem& ItemAt(int32_t index) const { return items_[size_t(index)]; }

 protected:
  // The record of the object's item, or the spare cleared record.
  const TPanelItem& ItemOf(const Ref<ISceneObjectDef>& object);
  // The item of the widget; count when none.
  int32_t IndexOfWidget(const Ref<IWidget>& widget) const;
  void PlayPanelSound(const char* name);
  // Where the panel's point 0,0 lies on the screen.
  TPoint PanelScreenOffset();
  // Grows the array so that a cleared record follows the items.
  void KeepSpareRecord();
  // Reads the integer key from the panel; false (and a warning) when it is unreadable.
  bool ReadLayoutKey(const char* key, int32_t& value);
  // Reads the keys in order, stopping at the first unreadable one.
  bool ReadLayoutKeys(std::initializer_list<std::pair<const char*, int32_t*>> keys);
  static Ref<IParamCollection> NewParams();
  // Makes a widget from the factory through the panel, with the parameters given.
  Ref<IWidget> CreatePanelWidget(const std::string& factory, const Ref<IParamCollection>& params);
  // The move widget's parameters every kind starts from: "name" and "widgetname".
  Ref<IParamCollection> MoveParams(const Ref<IWidget>& widget);
  // The widths + intervals of the items from First up to (not including) End.
  int64_t RowWidth(int32_t first, int32_t end) const;

  Ref<IItemListPanelWidget> panel_;
  std::vector<TPanelItem> items_;
  int32_t count_ = 0;
  bool checkBusy_ = false;
  bool pending_ = false;
  bool itemsMouseStop_ = false;
  bool secondFlag_ = false;
  bool moveSoundDue_ = false;
  std::string createFactory_;
  std::string moveFactory_;
  std::string hideFactory_;
  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t nextPosition_ = 0;
  int32_t extent_ = 0;
  int32_t interval_ = 0;
  uint8_t addType_ = 0;
  double counterBaseTop_ = -2147483648.0;

 private:
  static const TPanelItem kNoItem;
};

// Found items leave with a hide animation made from the hide factory.
class TAnimHideDiscoveredPanelManeger : public TAbstractPanelManager {
 public:
  void MarkItemHidden(int32_t index) override;
  void CloseGap(int32_t last, int32_t index, int32_t top, int32_t left) override;
  virtual void PlayHideAnimation(const Ref<IWidget>& widget);
};

// Item widgets are scaled down to a maximum size and centred vertically.
class TZoomItemsPanelManager : public TAnimHideDiscoveredPanelManeger {
 public:
  void AddItem(const Ref<ISceneObjectDef>& object) override;
  void AnimateItem(const Ref<ISceneObjectDef>& object,
                   const Ref<IParamCollection>& params) override;
  double GetItemProperty(const Ref<ISceneObjectDef>& object, const std::string& name) override;

 protected:
  // Scales and centres the newest widget; the next item starts after it.
  void PlaceZoomed(const Ref<IWidget>& widget);

  int32_t maxHeight_ = 0;
  int32_t maxWidth_ = 0;
};

// One row of items of their own widths.
class TOneRowOfVarWidthItemsPanelManager : public TZoomItemsPanelManager {
 public:
  void HideItem(int32_t index) override;
  void ShiftItem(int32_t index, int32_t& position) override;
  void CloseGap(int32_t last, int32_t index, int32_t top, int32_t left) override;
  void AddItem(const Ref<ISceneObjectDef>& object) override;
  void FitItem(const Ref<ISceneObjectLocation>& location) override;

 protected:
  int32_t moveSpeed_ = 0;
  int32_t moveDelay_ = 0;
};

// "PanelManagerHiddenShapes": a row of silhouettes that turn into pictures when found.
class THiddenShapesPanelManager : public TOneRowOfVarWidthItemsPanelManager {
 public:
  void Bind(IGameManagersOwner* owner, int32_t capacity) override;
  void MarkItemFound(const Ref<ISceneObjectDef>& object) override;
  // X and Y: where the item will stand on the screen once the items due before it left.
  void ScheduleItem(const Ref<ISceneObjectDef>& object, int32_t& delay, double& x,
                    double& y) override;
  void SwapItems(const Ref<ISceneObjectDef>& first, const Ref<ISceneObjectDef>& second) override;
};

// "PanelManagerFindPlaces": a scrolling inventory of objects each to be put into its
// places, with a counter of the places still open.
class TFindPlacesPanelManager : public TOneRowOfVarWidthItemsPanelManager {
 public:
  void Bind(IGameManagersOwner* owner, int32_t capacity) override;
  void Unbind() override;
  void AnimateItem(const Ref<ISceneObjectDef>& object,
                   const Ref<IParamCollection>& params) override;
  void MarkItemFound(const Ref<ISceneObjectDef>& object) override;
  // With nothing left both scroll buttons hide.
  void DecrementCount(const Ref<IWidget>& widget) override;
  void UpdateItemCounter(int32_t index) override;
  void AfterChange() override;
  void ShowItemLabel(const TPoint& point) override;
  void ResetScroll() override;
  void ScrollLeft(const Ref<IWidget>& leaveOut) override;
  // Stops at the last item however narrow the items are.
  void ScrollRight(const Ref<IWidget>& leaveOut) override;
  void RefreshLayout() override { LayOutScrolled(nullptr); }

  int32_t GetScrollOffset() const { return scrollOffset_; }

 private:
  void LayOutScrolled(const Ref<IWidget>& leaveOut);
  // The buttons after a change: right while the items from the offset on reach the extent.
  void SetScrollButtons(int64_t widthFromOffset);
  void ShowButton(const char* path, bool visible);
  // Places of the object whose widgets stand and whose activation has not been done.
  int32_t OpenPlaces(const Ref<ISceneObjectDef>& object, const std::string& sequence);

  IGameManagersOwner* owner_ = nullptr;
  int32_t scrollOffset_ = 0;
  std::string lastHovered_;
  std::string foundNames_;
};

// Columns of fixed-size cells, filled top to bottom, left to right.
class TFixedSizeColumnsPanelManager : public TAnimHideDiscoveredPanelManeger {
 public:
  void Bind(IGameManagersOwner* owner, int32_t capacity) override;
  void HideItem(int32_t index) override;
  void ShiftItem(int32_t index, int32_t& position) override;
  // Stops after the last item.
  bool ShiftItemStep(int32_t index, int32_t& position) override;
  void AddItem(const Ref<ISceneObjectDef>& object) override;

 protected:
  bool InTopRow(const Ref<IWidget>& widget) const;

  int32_t itemsInColumn_ = 0;
  int32_t itemsPerColumn_ = 0;
  int32_t rowHeight_ = 0;
  int32_t columnWidth_ = 0;
  int32_t columnX_ = 0;
};

// "PanelManagerHiddenNames": columns of the objects' captions; objects of one caption
// share a line with a counter.
class THiddenNamesPanelManager : public TFixedSizeColumnsPanelManager {
 public:
  void Bind(IGameManagersOwner* owner, int32_t capacity) override;
  int32_t IndexOf(const Ref<ISceneObjectDef>& object) override;
  Ref<IWidget> AddObject(const Ref<ISceneObjectDef>& object, int32_t left, int32_t top) override;
  void AddItem(const Ref<ISceneObjectDef>& object) override;
  void UpdateItemCounter(int32_t index) override;
  void MarkItemFound(const Ref<ISceneObjectDef>& object) override;
  void SwapItems(const Ref<ISceneObjectDef>& first, const Ref<ISceneObjectDef>& second) override;
  void AnimateItem(const Ref<ISceneObjectDef>& object,
                   const Ref<IParamCollection>& params) override;
};

// One row whose gaps spread over the width the items leave.
class TVariateIntervalsPanelManager : public TZoomItemsPanelManager {
 public:
  // The second object of a name becomes the pair member of the first one's item.
  void AddItem(const Ref<ISceneObjectDef>& object) override;
  void MarkItemFound(const Ref<ISceneObjectDef>& object) override;
  void ScheduleItem(const Ref<ISceneObjectDef>& object, int32_t& delay, double& x,
                    double& y) override;

 protected:
  int32_t fillWidth_ = 0;
};

// "PanelManagerFindIdentical": pairs of identical objects, each item shown once its pair
// is found.
class TFindIdenticalPanelManager : public TVariateIntervalsPanelManager {
 public:
  void Bind(IGameManagersOwner* owner, int32_t capacity) override;
  void AddItem(const Ref<ISceneObjectDef>& object) override;
  void HideItem(int32_t) override {}
  void AnimateItem(const Ref<ISceneObjectDef>& object,
                   const Ref<IParamCollection>& params) override;

 private:
  std::string foundList_;
};

// Items at places the objects give (their location "spec").
class TFixedPlacedItemsPanelManager : public TAbstractPanelManager {
 public:
  void AddItem(const Ref<ISceneObjectDef>& object) override;
  double GetItemProperty(const Ref<ISceneObjectDef>& object, const std::string& name) override;

 protected:
  // The part's widget at its "spec" place (none without one).
  Ref<IWidget> PlaceItem(const Ref<ISceneObjectDef>& object);
};

// "PanelManagerHiddenParts": the complete object's picture with its parts at their places
// on it; found parts show and stay.
class THiddenPartsPanelManager : public TFixedPlacedItemsPanelManager {
 public:
  void Bind(IGameManagersOwner* owner, int32_t capacity) override;
  void Unbind() override;
  void AddItem(const Ref<ISceneObjectDef>& object) override;
  void MarkItemFound(const Ref<ISceneObjectDef>& object) override;
  void HideItem(int32_t) override {}
  std::string GetItemPrefix() override { return objectList_; }

  double GetScale() const { return scale_; }
  const Ref<IWidget>& GetCompleteWidget() const { return complete_; }

 private:
  void AddComplete(const Ref<ISceneObjectDef>& object);

  Ref<IWidget> complete_;
  std::string objectList_;
  int32_t uprightMaxWidth_ = 0;
  int32_t uprightMaxHeight_ = 0;
  int32_t lyingMaxWidth_ = 0;
  int32_t lyingMaxHeight_ = 0;
  int32_t lyingTopShift_ = 0;
  int32_t leftShift_ = 0;
  double scale_ = 1.0;
};

// Registers the five kinds under the names the play screen's table of level kinds uses.
void RegisterPanelManagerClasses();
