#pragma once
// Small scripting groups that act on one other widget over their own lifetime, and a
// group that plays its children one after another. Each runs on the widget base's clock:
// "currenttime" advances every update and "timetolive" is its lifetime.
//
// "transparent_scenario" fades its linked widget (the property "widget") from
// "start_trans_level" to "end_trans_level" over its lifetime; "move_scenario" also moves
// it from ("startposx", "startposy") to ("endposx", "endposy"). At the end the widget gets
// back the level it had when it was linked (hidden with "makeinvisible") and, moved, stays
// at the end point. "sequience_transition_effect" shows its children one at a time, each
// for an equal share of "durationtime" (cycling with the extra parameter "\loop=yes"), and
// hands each the two surfaces "surface1" and "surface2". "scenario" is a test: its first
// update fills the screen with 100 widgets of the factory "Butterfly".

#include <cstdint>
#include <string>

#include "widgets/StateScenario.h"

class TTransparentScenario : public TScenario {
 public:
  void Init() override;

  // The linked widget gets back its level (hidden with "makeinvisible") and is unlinked.
  virtual void Finish();

  void Update(int32_t dt) override;
  void ReleaseOwner() override;

  const Ref<IWidget>& GetLinkedWidget() const { return linked_; }

 protected:
  const TPropertyTable& Properties() override;
  // The level at the clock's time: from the start to the end level over the lifetime.
  int32_t LevelAt(int32_t time) const;
  void SetLinkedWidget(const Ref<IWidget>& widget);

  uint8_t startLevel_ = 255;
  uint8_t endLevel_ = 255;
  uint8_t savedLevel_ = 255;
  Ref<IWidget> linked_;
  bool makeInvisible_ = false;
};

class TMoveScenario : public TTransparentScenario {
 public:
  // Also leaves the widget at the end point.
  void Finish() override;
  void Update(int32_t dt) override;
  virtual void UpdatePosition();

 protected:
  const TPropertyTable& Properties() override;

  int32_t startX_ = 0;
  int32_t startY_ = 0;
  int32_t endX_ = 0;
  int32_t endY_ = 0;
};

// "scenario": at its first update with a positive clock it pauses itself and adds 100
// widgets of the owner's factory "Butterfly" at random places to the screen's root.
class TTestScenario : public TScenario {
 public:
  void Update(int32_t dt) override;
  int32_t GetCount() const { return count_; }

 private:
  int32_t count_ = 0;
};

// Two surfaces and a duration for transition effects; its children start hidden and
// paused.
class TTransitionEffectWidget : public TScenario {
 public:
  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

  Ref<ISurface> surface1_;
  Ref<ISurface> surface2_;
  int32_t duration_ = 0;
};

class TSequienceTransitionEffectWidget : public TTransitionEffectWidget {
 public:
  void Init() override;
  void Update(int32_t dt) override;
  // Shows child I (I modulo the count with "loop"), hiding and pausing the one shown.
  void ShowFrame(int32_t index);
  int32_t GetCurrentIndex() const { return current_; }

 private:
  int32_t current_ = -1;
};
