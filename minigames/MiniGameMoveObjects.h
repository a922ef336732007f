#pragma once
// "mg_move_widget": the listed items are dragged around inside the block rectangle. The
// game has no win of its own; only its skip ends it.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TMoverWidget : public TMiniGameWidget {
 public:
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void ReleaseOwner() override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  const std::string& DraggedItem() const { return dragged_; }
  bool IsDragging() const { return dragging_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  bool IsItem(const std::string& name) const;
  void PickUp(const Ref<IWidget>& item);
  // Puts the dragged item back inside the block rectangle and lets it go.
  void Drop();
  void MakeItemFeedback(const std::string& factory);

  std::vector<std::string> items_;
  int32_t itemCount_ = 0;
  bool shuffle_ = false;
  std::string dragged_ = "null_widget";
  TPoint offset_;
  bool dragging_ = false;
};
