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

void TCursor::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  hotSpot_ = TPoint{ReadXmlInt(node, "hotspotx", 0), ReadXmlInt(node, "hotspoty", 0)};
  if (node && node->GetChildCount("widget") > 0)
    SetWidget(Supports<IWidget>(CreateObjectFromChild(node, "widget")));
}

void TCursor::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  bool hasHotSpot = hotSpot_.X != 0 || hotSpot_.Y != 0;
  WriteXmlInt(node, "hotspotx", hotSpot_.X, hasHotSpot);
  WriteXmlInt(node, "hotspoty", hotSpot_.Y, hasHotSpot);
  if (widget_) SaveObjectToChild(Ref<IInterface>(widget_.get()), node, "widget");
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
  if (cursor) items_->Add(Ref<IInterface>(cursor.get()), cursor->GetName());
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

void TCursorCollection::LoadFromXml(const Ref<IHierStorage>& node) {
  TStaticCreationPersistItemCollection::LoadFromXml(node);
  defaultCursorName_ = ReadXmlStr(node, "default_cursor_name");
}

void TCursorCollection::SaveToXml(const Ref<IHierStorage>& node) {
  TStaticCreationPersistItemCollection::SaveToXml(node);
  WriteXmlStr(node, "default_cursor_name", defaultCursorName_, true);
}
