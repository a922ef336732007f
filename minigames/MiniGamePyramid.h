#pragma once
// "pyramid_widget": the player rebuilds shown pyramids of items. Items form levels, level
// 0 the apex; each stage draws a task (a column of items, apex on top) shown in task
// slots, and the player stacks items by clicking them in a menu. A stack equal to the
// stage's task completes the stage; after the last stage a "win" widget is made. A plain
// group widget: no "win" or "need_skip" property.
//
// Children: "menu/ITEM" (with "px", "py", "dx", "dy" and the picture's "resourcename",
// "resourcetop", "width", "height"), "pyramid" (with "px", "py"), "tasks" (with "tasks",
// the number of slots) and its "taskK/inner" groups (with "px", "py"), and "Trash".

#include <cstdint>
#include <string>
#include <vector>

#include "shell/WidgetClasses.h"

class TPyramidWidget : public TVisualGroupWidget {
 public:
  // What data may ask for at most: copies of an item in the pool a task is drawn from,
  // entries of that pool, stages.
  static constexpr int32_t kMaxCopies = 64;
  static constexpr int32_t kMaxPool = 1024;
  static constexpr int32_t kMaxStages = 256;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  // The pyramid answers every point while it is shown and takes the mouse, so the clicks
  // of its whole screen reach it; the child under the point is remembered.
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  void StackItem(const std::string& item);
  void PopItem();
  void ClearStack();

  int32_t CurrentStage() const { return currentStage_; }
  int32_t StageCount() const { return int32_t(stageTasks_.size()); }
  // Stage's task, bottom first, as item names.
  std::vector<std::string> TaskItems(int32_t stage) const;
  // The stacked widgets' paths, bottom first.
  const std::vector<std::string>& Stack() const { return stack_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  struct TItem {
    std::string name;
    int32_t level = 0;
  };

  void ParseItems(const std::string& text);
  void ParseStages(const std::string& text);
  std::string ItemsText() const;
  std::string StagesText() const;
  bool IsItem(const std::string& name) const;
  // Stage's task, bottom first: entries "item_position_stage".
  std::vector<std::string> GenerateTask(int32_t stage);
  void ShowTask();
  // A "pyramiditem" for Item into Group: placed after Previous (none: the group's own
  // "px", "py") by the menu widgets' offsets.
  Ref<IWidget> MakeItemWidget(IWidget* group, const std::string& name, const std::string& item,
                              IWidget* previous, const std::string& previousItem, int32_t z);
  bool StackMatchesTask() const;
  // The item part of a path: its last part up to the first "_".
  static std::string ItemOf(const std::string& path);

  std::vector<TItem> items_;
  std::vector<int32_t> stageSizes_;
  std::vector<std::vector<std::string>> stageTasks_;
  int32_t currentStage_ = 0;
  int32_t largestSize_ = 0;
  int32_t copies_ = 2;  // "dubl"
  Ref<IWidget> hovered_;
  std::vector<std::string> stack_;
};
