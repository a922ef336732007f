#pragma once
// The game's mouse cursors: each a widget tree drawn with its hot spot at the mouse
// position. Exactly one, the current cursor, is visible; screens switch cursors by name.
//
//   <cursors default_cursor_name="arrow">
//     <cursor name="arrow" hotspotx="2" hotspoty="1">
//       <widget type="group_widget" name="arrow">...children "pressed", "unpressed"...</widget>
//     </cursor>
//   </cursors>

#include <string>

#include "shell/GameInterfaces.h"

class TCursor : public TPersistObject, public virtual ICursor {
 public:
  void Init() override;

  Ref<IWidget> GetWidget() override { return widget_; }
  void SetWidget(const Ref<IWidget>& widget) override;
  TPoint GetHotSpot() override { return hotSpot_; }
  void SetHotSpot(const TPoint& point) override { hotSpot_ = point; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  TPoint hotSpot_;
  Ref<IWidget> widget_;
};

class TCursorCollection : public TStaticCreationPersistItemCollection,
                          public virtual ICursorCollection {
 public:
  void Init() override;

  Ref<ICursor> GetItem(const Variant& address) override;
  void AddItem(const Ref<ICursor>& cursor) override;
  Ref<ICursor> GetCurrentCursor() override { return current_; }
  bool SetCursor(const std::string& name) override;
  std::string GetDefaultCursorName() override;
  // The current cursor's widget, without a reference taken (for the per-frame paths).
  IWidget* CurrentWidget() const { return currentWidget_.get(); }

  void Clear() override;

 protected:
  const TPropertyTable& Properties() override;
  void ItemLoaded(const Ref<IInterface>& item) override;

 private:
  std::string defaultCursorName_;
  Ref<ICursor> current_;
  Ref<IWidget> currentWidget_;
};
