#pragma once
// "ListBoxControl": a scrolled list of text rows, one row selected. Every row is painted
// by the one child "text" (a text widget, which never draws on its own), "rowheight"
// pixels apart, in "color", and the selected row in "selectedcolor" over the child
// "image_selectedbackground". The rows lie inside the child "image_contentbox" (else the
// whole control); "button_up" and "button_down" scroll them, and report to the list box,
// not to the screen. A click on a row selects it and sends event 5, a double click sends
// event 6; Up, Down, Home and End move the selection and send event 5.

#include <cstdint>
#include <string>

#include "foundation/TMYCollection.h"
#include "widgets/ControlWidget.h"

class TListBoxControl : public TControlWidget,
                        public virtual IListBoxControl,
                        public virtual IEventHandler {
 public:
  void Init() override;
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  bool IsTabStop() override { return tabStop_ && IsVisible() && enabled_; }
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  bool MouseUp(const TPoint& point, uint32_t keys, int button) override;
  bool DoubleClick(const TPoint& point, uint32_t keys, int button) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;

  // IListBoxControl
  std::string GetRow(const Variant& key) override;
  void AddRow(const std::string& text, const std::string& key) override;
  void DeleteRow(const Variant& key) override;
  void ClearRows() override;
  void SetSelected(int32_t index) override;
  int32_t GetSelected() override { return selected_; }

  // The children's event handler: the scroll buttons scroll the list.
  IEventHandler* GetEventHandler() override { return this; }
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;
  IEngine* GetEngine() override { return TControlWidget::GetEngine(); }
  IGameScreenOwner* GetGameScreenOwner() override;

  // The row under Point (the owner's coordinates), which may lie past the last row; -1
  // outside the rows' area.
  int32_t RowAt(const TPoint& point);
  int32_t GetRowCount() const { return rows_.GetCount(); }
  int32_t GetTopRow() const { return topRow_; }
  int32_t GetVisibleRows() const { return visibleRows_; }
  int32_t GetRowHeight() const { return rowHeight_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;
  void SetTopRow(int32_t row);
  // Keeps the top row within the rows and enables the scroll buttons that can scroll.
  void RefreshScroll();
  // Selects Row by a key and keeps it in view.
  void MoveSelection(int32_t row);

  TStringCollection rows_;
  int32_t topRow_ = 0;
  int32_t selected_ = 0;
  int32_t visibleRows_ = 0;
  TPoint contentOffset_;
  int32_t rowHeight_ = 1;
  uint32_t color_ = 0;
  uint32_t selectedColor_ = 0;
  Ref<IWidget> selectedBackground_;
  Ref<IWidget> contentBox_;
};
