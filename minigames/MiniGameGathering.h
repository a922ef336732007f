#pragma once
// "mg_gathering_widget": the player assembles a collection of elements to match the task
// shown. A click on an element's push widget adds it, a click on its pop widget takes it
// out again; a collection that matches the current task finishes it, and the last task
// wins the game. Elements come in groups that bound how many of them the collection holds
// and whether their order counts.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TMiniGameGathering : public TMiniGameWidget {
 public:
  struct TElement {
    int32_t id = 0;
    std::string pushWidget, userPush, gamePush;
    std::string popWidget, userPop, gamePop;
  };
  struct TElemGroup {
    std::vector<TElement> elements;
    int32_t min = 0, max = 1, order = 0, id = 0;
    bool replace = false, unique = false, checkOrder = false;
  };
  using TiArray = std::vector<int32_t>;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void ReleaseOwner() override;

  // A click on the child of that name: an element's push or pop widget, or the reset
  // widget.
  void ClickWidget(const std::string& name);
  // Whether the collection meets the current task.
  bool TaskMet() const;

  const std::vector<TElemGroup>& Groups() const { return groups_; }
  const std::vector<TiArray>& Tasks() const { return tasks_; }
  const TiArray& Collection() const { return collection_; }
  int32_t CurrentTask() const { return current_; }

 private:
  struct TFound {
    int group = -1;
    const TElement* element = nullptr;
  };

  void ReadGroups(const Ref<IHierStorage>& node);
  void ReadTasks(const Ref<IHierStorage>& node);
  TiArray RandomTask(int32_t size) const;
  // The first element of that id and its group; none for an unknown id.
  TFound FindElement(int32_t id) const;
  int GroupOf(int32_t id) const { return FindElement(id).group; }
  int32_t CollectedInGroup(int group) const;
  // The game-wide and per-group order rules for the group id of a run.
  bool GroupChecksOrder(int32_t groupId) const;
  TiArray GroupRuns(const TiArray& entries) const;
  TiArray EntriesOfGroup(const TiArray& entries, int32_t groupId) const;

  void ShowTask();
  void Push(const TFound& found);
  void Pop(const TFound& found);
  void FinishTask();
  void EmptyCollection();
  // An element's widget with its five values, added to the sequence widget.
  Ref<IWidget> ElementWidget(const std::string& factory, const TElement& element, int32_t size,
                             int32_t groupCount);

  std::vector<TElemGroup> groups_;
  std::vector<TiArray> tasks_;
  int32_t current_ = 0;
  TiArray collection_;
  Ref<IWidget> sequence_;
  bool checkOrder_ = false;
  std::string resetWidget_ = "null_widget";
  std::vector<std::string> taskWidgets_;
};
