#include "shell/GameCursors.h"

// ---------------------------------------------------------------------------------------
// TCursor

void TCursor::Init() {
  TPersistObject::Init();
  elementName_ = "cursor";
}

void TCursor::SetWidget(const Ref<IWidget>& widget) {
  widget_ = widget;
  if (widget_) widget_->SetVisible(false);
}

// Both coordinates of the hot spot are written when either is not 0.
const TPropertyTable& TCursor::Properties() {
  using C = TCursor;
  auto moved = [](C& c) { return c.hotSpot_.X != 0 || c.hotSpot_.Y != 0; };
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr<C>(
                                            "hotspotx", [](C& c) { return c.hotSpot_.X; },
                                            [](C& c, int32_t x) { c.hotSpot_.X = x; })
                                            .Int()
                                            .Coordinate()
                                            .SavedWhen(moved),
                                        Attr<C>(
                                            "hotspoty", [](C& c) { return c.hotSpot_.Y; },
                                            [](C& c, int32_t y) { c.hotSpot_.Y = y; })
                                            .Int()
                                            .Coordinate()
                                            .SavedWhen(moved),
                                    });
  return table;
}

void TCursor::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  if (node && node->GetChildCount("widget") > 0)
    SetWidget(Supports<IWidget>(CreateObjectFromChild(node, "widget")));
}

void TCursor::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  if (widget_) SaveObjectToChild(widget_, node, "widget");
}

// ---------------------------------------------------------------------------------------
// TCursorCollection

void TCursorCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  elementName_ = "cursors";
  itemElementName_ = "cursor";
  SetItemClass(ClassOf<TCursor>());
}

Ref<ICursor> TCursorCollection::GetItem(const Variant& address) {
  return items_->GetAs<ICursor>(address);
}

void TCursorCollection::AddItem(const Ref<ICursor>& cursor) {
  if (cursor) items_->Add(cursor, cursor->GetName());
}

void TCursorCollection::ItemLoaded(const Ref<IInterface>& item) {
  AddItem(Supports<ICursor>(item));
}

bool TCursorCollection::SetCursor(const std::string& name) {
  Ref<ICursor> cursor = GetItem(Variant(name));
  if (!cursor) return false;
  if (Ref<IWidget> old = currentWidget_) {
    old->SetVisible(false);
    old->UpdateDirtyRects(false, false);
  }
  current_ = cursor;
  currentWidget_ = cursor->GetWidget();
  if (currentWidget_) currentWidget_->SetVisible(true);
  return true;
}

std::string TCursorCollection::GetDefaultCursorName() {
  if (Contains(defaultCursorName_)) return defaultCursorName_;
  Ref<ICursor> first = GetItem(Variant(0));
  return first ? first->GetName() : std::string();
}

void TCursorCollection::Clear() {
  TStaticCreationPersistItemCollection::Clear();
  current_ = nullptr;
  currentWidget_ = nullptr;
}

const TPropertyTable& TCursorCollection::Properties() {
  static const TPropertyTable table(
      TStaticCreationPersistItemCollection::Properties(),
      {
          Attr("default_cursor_name", &TCursorCollection::defaultCursorName_).Str().Always(),
      });
  return table;
}
