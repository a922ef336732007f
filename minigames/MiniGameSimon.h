#pragma once
// "simon_widget": the game shows a random sequence of its element widgets and the player
// repeats it by clicking them. A completed stage lengthens the sequence, a wrong click
// shows "wrong" and a new sequence of the same length. Each stage may draw from its own
// subset ("index_buffer"); in "shootout" mode an element leaves after each stage. Won
// after "tasks_count" stages.

#include <cstdint>
#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TSimonWidget : public TMiniGameWidget {
 public:
  enum : uint8_t { kStart = 0, kShow = 1, kInput = 2, kWrong = 3, kStageDone = 4, kWon = 5 };
  // Sequences never grow longer than this, whatever the data asks.
  static constexpr int32_t kMaxLength = 1024;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  bool IsQueueBusy() override;

  void SetState(uint8_t state);
  void NextState();
  void ClickElement(const std::string& name);

  uint8_t State() const { return state_; }
  int32_t Stage() const { return stage_; }
  int32_t Matched() const { return matched_; }
  // The sequence as element names.
  std::vector<std::string> SequenceNames() const;
  const std::vector<std::string>& ActiveElements() const { return active_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  void NewSequence();
  // Grows or cuts the kept sequence to the current length, keeping neighbours apart.
  void FitSequence();
  int32_t Draw(int32_t previous) const;
  void RemoveRandomElement();
  bool IsLocked(const std::string& name) const;
  // Made from Factory and added; chained after the last queued widget or started now.
  Ref<IWidget> Chained(const std::string& factory, Ref<IParamCollection> params);
  Ref<IWidget> AtOnce(const std::string& factory, Ref<IParamCollection> params);

  std::vector<std::string> locked_;
  std::vector<std::string> active_;
  std::vector<std::vector<int32_t>> stageLists_;  // positions in the full list
  std::vector<std::string> full_;
  int32_t startSize_ = 0, increase_ = 0, stageCount_ = 0;
  int32_t stage_ = 1;
  int32_t matched_ = 0;
  std::vector<int32_t> sequence_;  // positions in the active list
  int32_t length_ = 0;
  bool shootout_ = false;
  bool snowball_ = true;
  uint8_t state_ = kStart;
  std::string lastQueuedName_;
};
