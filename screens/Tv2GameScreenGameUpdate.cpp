// The play screen's frame: the level clock, delayed switches, fades, the timer with its
// bank, hands and pulse, the score count-up, the hint button's charge and the hint
// itself, the idle shine and the detection of the level's completion.

#include <cmath>

#include "engine/EngineRoutines.h"
#include "engine/EngineSounds.h"
#include "foundation/CheckedMath.h"
#include "foundation/Params.h"
#include "screens/Tv2GameScreenGame.h"

namespace {

constexpr int32_t kPulseBelowMs = 10000;
constexpr int32_t kPulseStep = 7;
constexpr int32_t kLoadingFadeStep = 30;
constexpr int32_t kBlackFadeStep = 40;
constexpr double kHintSpeed = 600;  // px/s
// Within this many degrees the turning hint images count as pointing at the target.
constexpr double kPointingTolerance = 4;

double Angle(const Ref<IWidget>& widget) {
  return widget->GetPropertyDef("angle", Variant(0)).ToDouble();
}

double Normalised(double degrees) {
  double value = std::fmod(degrees, 360.0);
  return value < 0 ? value + 360 : value;
}

IWidget* OwnerWidget(const Ref<IWidget>& widget) {
  return InterfaceCast<IWidget>(widget->GetOwner());
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The frame

void TTavelor2GameScreenGame::Update(int32_t dt) {
  TTv2GameplayScreen::Update(dt);
  // A close-up hidden by its own data (a won game's feedback) is closed, so that the
  // presses go to the scene the player sees again.
  if (openApproach_ && !openApproach_->IsVisible()) CloseApproach();
  levelClock_ = SaturatingAdd(levelClock_, dt);
  ProcessDelayedActions(dt);
  UpdateFades();
  TickTimer(dt);
  if (closed_) return;
  AddScores(0);
  if (!amuletMode_) UpdateHintCharge();
  WatchQuestText();
  if (levelManager_) levelManager_->Update();
  if (closed_) return;
  if (!userGameData_ || userGameData_->GetDebugMode() == 0) {
    if (completionPending_ && (!completionScenario_ || completionScenario_->IsDead())) {
      completionPending_ = false;
      levelOver_ = true;
      ReselectCursor();
      LevelWon();
      if (closed_) return;
    }
    if (levelManager_ && levelManager_->AllObjectsFound() && !levelOver_ &&
        !(completionScenario_ && !completionScenario_->IsDead())) {
      completionPending_ = true;
      completionScenario_ = levelManager_->RunSceneAction("complete_scene", NewParamCollection());
      AddToAnimations(completionScenario_);
    }
  }
  idle_ = SaturatingAdd(idle_, dt);
  if (idle_ > kIdleShineMs) {
    idle_ = 0;
    IdleShine();
  }
}

// As the timer text would play it at volume 100, without looking it up by name (a name
// long enough to be copied into the heap) at every update.
void TTavelor2GameScreenGame::PlayAccentSound() {
  IEngine* engine = GetEngine();
  if (accentSound_ && engine) PlaySoundWithValues(*engine, accentSound_, 100, 0);
}

void TTavelor2GameScreenGame::TickTimer(int32_t elapsed) {
  if (inputBlocked_ || questShowing_) return;
  int32_t step = elapsed;
  int32_t charge = elapsed;
  if (banked_ > 0 || elapsed >= kMaxTimerStep) {
    banked_ = SaturatingAdd(banked_, elapsed);
    if (banked_ <= kMaxTimerStep) {
      step = banked_;
      banked_ = 0;
    } else {
      step = kMaxTimerStep;
      banked_ -= kMaxTimerStep;
    }
    charge = 0;
  }
  if (firstTick_) {
    firstTick_ = false;
  } else if (!timed_) {
    timer_ = SaturatingAdd(timer_, step);
  } else if (timer_ >= 1) {
    timer_ = SaturatingAdd(timer_, -int64_t(step));
  } else {
    LevelFailed();
    return;
  }
  DecayClickCounters(charge);
  hintCharge_ = SaturatingAdd(hintCharge_, charge);
  if (!timed_) return;

  const int32_t seconds = timer_ / 1000;
  if (timerText_) {
    if (seconds != lastSecondShown_) {
      lastSecondShown_ = seconds;
      timerText_->SetProperty("text", Variant(FormatMinSec(seconds, timeSeparator_)));
    }
    if (pulseStep_ == 0) {
      if (timer_ < kPulseBelowMs) pulseStep_ = kPulseStep;
      PlayAccentSound();
    } else {
      int32_t level = timerText_->GetTransparentLevel();
      if (level < kPulseStep || level > 255 - kPulseStep) pulseStep_ = -pulseStep_;
      timerText_->SetTransparentLevel(ModSafe(level + pulseStep_, 256));
    }
  }
  if (secondHand_) {
    int32_t angle = ModSafe(SaturatingAdd(180, int64_t(seconds) * 6), 360);
    if (Angle(secondHand_) != angle) {
      secondHand_->SetProperty("angle", Variant(angle));
      if (minuteHand_) {
        int32_t minute = ModSafe(SaturatingAdd(180, seconds / 10), 360);
        if (Angle(minuteHand_) != minute) minuteHand_->SetProperty("angle", Variant(minute));
      }
    }
  }
}

void TTavelor2GameScreenGame::AddScores(int32_t points) {
  pendingScore_ = SaturatingAdd(pendingScore_, points);
  if (pendingScore_ <= 0) return;
  if (int64_t(countStep_) * countStep_ < pendingScore_)
    ++countStep_;
  else
    --countStep_;
  int32_t amount = std::min(countStep_, pendingScore_);
  if (amount < 0) amount = 0;
  pendingScore_ -= amount;
  shownScore_ = SaturatingAdd(shownScore_, amount);
  ShowScoreText();
  static const std::string kAddScores = "sound_add_scores";
  PlaySound(kAddScores);
}

void TTavelor2GameScreenGame::UpdateObjectsLeftCount() {
  if (!objectsCountText_ || !levelManager_) return;
  int32_t count = levelManager_->LeftToFindCount();
  objectsCountText_->SetProperty("text", Variant(std::to_string(count)));
  objectsCountText_->SetProperty("Count", Variant(count));
}

int32_t TTavelor2GameScreenGame::GetTimeSinceLastFind() {
  return SaturateInt32(int64_t(levelClock_) - lastFind_);
}

// ---------------------------------------------------------------------------------------
// Input blocking, black screen, fades

void TTavelor2GameScreenGame::SetInputBlocked(bool value) {
  if (noLevelRunning_) return;
  inputBlocked_ = value;
  if (obscuring_) obscuring_->SetVisible(obscuringSwitch_ && value);
  if (Ref<IWidget> activation = ChildNamed(animationGroup_, "hint_activation"))
    activation->SetPaused(value);
}

void TTavelor2GameScreenGame::SetBlackScreen(bool value) {
  blackScreen_ = value;
  if (value && blackScreenWidget_ && !blackScreenWidget_->IsVisible()) {
    blackScreenWidget_->SetTransparentLevel(0);
    blackScreenWidget_->SetVisible(true);
  }
}

void TTavelor2GameScreenGame::UpdateFades() {
  if (inputBlocked_) return;
  if (loadingScreen_ && loadingScreen_->IsVisible()) {
    int32_t level = loadingScreen_->GetTransparentLevel();
    if (level <= kLoadingFadeStep)
      loadingScreen_->SetVisible(false);
    else
      loadingScreen_->SetTransparentLevel(level - kLoadingFadeStep);
  }
  if (blackScreenWidget_ && blackScreenWidget_->IsVisible()) {
    int32_t level = blackScreenWidget_->GetTransparentLevel();
    if (blackScreen_ && level < 255) {
      blackScreenWidget_->SetTransparentLevel(std::min(255, level + kBlackFadeStep));
    } else if (!blackScreen_ && level > 0) {
      if (level <= kBlackFadeStep) {
        blackScreenWidget_->SetTransparentLevel(0);
        blackScreenWidget_->SetVisible(false);
      } else {
        blackScreenWidget_->SetTransparentLevel(level - kBlackFadeStep);
      }
    }
  }
}

void TTavelor2GameScreenGame::WatchQuestText() {
  if (!questShowing_ || ChildNamed(animationGroup_, questName_)) return;
  questShowing_ = false;
  questName_ = "none";
  PauseScene(false);
}

// ---------------------------------------------------------------------------------------
// Hints

void TTavelor2GameScreenGame::SetHintImages(bool visible, bool rotate, double angle) {
  for (const Ref<IWidget>& image : {hintFront_, hintBack_}) {
    if (!image) continue;
    image->SetVisible(visible);
    image->SetProperty("rotate", Variant(rotate));
    image->SetProperty("angle", Variant(angle));
  }
}

void TTavelor2GameScreenGame::UpdateHintCharge() {
  if (!hintButton_ || !hintButton_->IsVisible()) return;
  if (hintAfter_ && hintAfter_->IsVisible()) {
    hintAfter_->SetVisible(false);
    PlayHintActivation();
  }
  if (inputBlocked_) {
    if (hintButton_->IsEnabled()) {
      if (hintBack_) hintBack_->SetVisible(false);
      if (hintAfter_) hintAfter_->SetVisible(false);
      hintButton_->SetEnabled(false);
    }
    if (hintFront_) hintFront_->SetVisible(false);
    return;
  }
  // Decided only when the state changes: the ready sparkle must not restart each frame
  // while the charge stands at the requirement.
  const bool ready = hintCharge_ >= hintRequirement_;
  if (ready != hintButton_->IsEnabled()) {
    hintButton_->SetEnabled(ready);
    if (ready && hintGroup_ && hintGroup_->IsVisible()) {
      SetHintImages(true, false, 0);
      if (hintAfter_) {
        hintAfter_->SetVisible(false);
        hintAfter_->SetProperty("rotate", Variant(false));
        hintAfter_->SetProperty("angle", Variant(0));
      }
      OnHintReady();
    } else {
      if (hintFront_) hintFront_->SetVisible(false);
      if (hintBack_) hintBack_->SetVisible(false);
    }
    pointingAngle_ = 0;
  }
  if (!hintButton_->IsEnabled() || !hintFront_) return;
  Ref<IWidget> selected = hintButton_->FindWidget("image_selected");
  if (!selected) return;
  const Ref<IWidget> images[] = {hintFront_, hintBack_, hintAfter_};
  if (selected->IsVisible()) {
    const bool rotating = hintFront_->GetPropertyDef("rotate", Variant(false)).ToBool();
    if (!rotating && pointingAngle_ == 0) {
      for (const Ref<IWidget>& image : images) {
        if (!image) continue;
        image->SetProperty("rotationtime", Variant(-2000));
        image->SetProperty("currenttime", Variant(0));
        image->SetProperty("rotate", Variant(true));
      }
      hintTarget_ = FindHintTarget();
      if (hintTarget_) ShowHint(hintTarget_);
    } else if (pointingAngle_ != 0 && std::abs(Normalised(Angle(hintFront_)) -
                                               Normalised(pointingAngle_)) < kPointingTolerance) {
      for (const Ref<IWidget>& image : images) {
        if (!image) continue;
        image->SetProperty("rotate", Variant(false));
        image->SetProperty("angle", Variant(pointingAngle_));
      }
    }
  } else if (Angle(hintFront_) != 0) {
    for (const Ref<IWidget>& image : images) {
      if (!image) continue;
      image->SetProperty("currenttime", Variant(0));
      image->SetProperty("angle", Variant(0));
      image->SetProperty("rotate", Variant(false));
    }
    pointingAngle_ = 0;
  }
}

void TTavelor2GameScreenGame::PlayHintActivation() {
  KillAnimationWidget("hint_activation");
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("angle", Variant(-90));
  params->SetValue("duration", Variant(hintRequirement_));
  params->SetValue("anchor_left", Variant(20));
  params->SetValue("anchor_top", Variant(693));
  params->SetValue("radius", Variant(35));
  if (Ref<IWidget> activation = MakeWidget("hint_activation", params)) {
    activation->SetPaused(inputBlocked_);
    AddToAnimations(activation);
  }
  hintReady_ = true;
  hintCharge_ = 0;
}

void TTavelor2GameScreenGame::OnHintReady() {
  if (hintReady_) {
    hintReady_ = false;
    PlaySound("sound_hint_ready");
  }
  KillAnimationWidget("hint_activationps_star_circle");
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("name", Variant("hint_activationps_star_circle"));
  params->SetValue("radius", Variant(35));
  params->SetValue("duration", Variant(2500));
  params->SetValue("x", Variant(kHintX));
  params->SetValue("y", Variant(kHintY));
  AddToAnimations(MakeWidget("ps_star_circle", params));
}

void TTavelor2GameScreenGame::UseHint() {
  if (HintMiniGame()) return;
  if (!hintTarget_) hintTarget_ = FindHintTarget();
  if (!hintTarget_) {
    if (levelManager_) levelManager_->ShowHintText("hint_cupidon_out_of_cash");
    return;
  }
  hintScenario_ = MakeWidget("hint_scenario", ShowHint(hintTarget_));
  // The parameters give the target's place but no path to it: the scenario that zooms it
  // is handed the widget itself, before it joins the group and looks for one by name.
  if (hintScenario_) hintScenario_->SetProperty("widget", Variant(Ref<IInterface>(hintTarget_.get())));
  AddToAnimations(hintScenario_);
  // A target once shown is found or known: the next hint chooses again.
  hintTarget_ = nullptr;
  hintCharge_ = 0;
  if (hintAfter_) {
    hintAfter_->SetProperty("rotate", Variant(false));
    hintAfter_->SetProperty("angle", Variant(pointingAngle_));
    hintAfter_->SetVisible(true);
  }
  hintsUsed_ = SaturatingAdd(hintsUsed_, 1);
  hintRequirement_ = SaturatingAdd(hintRequirement_, kHintCost);
}

Ref<IWidget> TTavelor2GameScreenGame::FindHintTarget() {
  Ref<IWidget> container = openApproach_ ? openApproach_ : objectsGroup_;
  Ref<IWidget> target;
  if (Ref<IWidgetCollection> children = container ? container->GetChildren() : nullptr) {
    for (int i = 0; i < children->Count(); ++i) {
      Ref<IWidget> child = children->GetByIndex(i);
      if (!child || child->GetPropertyDef("hint", Variant(0)).ToInt() == 0) continue;
      target = child;
      std::string inner = child->GetPropertyDef("hint_target", Variant("")).ToString();
      if (!inner.empty())
        if (Ref<IWidget> named = child->FindWidget(inner)) target = named;
    }
  }
  if (!target && levelManager_) target = levelManager_->ChooseWantedHintObject();
  return target;
}

Ref<IParamCollection> TTavelor2GameScreenGame::ShowHint(const Ref<IWidget>& target) {
  double x = target->GetAnchorLeft();
  double y = target->GetAnchorTop();
  IWidget* owner = OwnerWidget(target);
  auto byHalf = [&](const Ref<IWidget>& half) {
    x += half->GetLeft() - half->GetPropertyDef("shiftleft", Variant(0)).ToDouble();
    y += half->GetAnchorTop() - half->GetPropertyDef("shifttop", Variant(0)).ToDouble();
  };
  if (LevelKind() == 2) {
    if (owner && leftObjects_ && owner == leftObjects_.get() && leftPart_) {
      byHalf(leftPart_);
    } else if (owner && rightObjects_ && owner == rightObjects_.get() && rightPart_) {
      byHalf(rightPart_);
    } else if (owner) {
      x += owner->GetLeft();
      y += owner->GetAnchorTop();
    }
  } else if (owner && owner->GetName() != "objects_group") {
    x += owner->GetLeft();
    y += owner->GetAnchorTop();
  }
  pointingAngle_ = std::atan2(x - kHintX, kHintY - y) * 180 / M_PI;
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("target_x", Variant(x));
  params->SetValue("target_y", Variant(y));
  params->SetValue("target_angle", Variant(pointingAngle_));
  double distance = std::hypot(x - kHintX, y - kHintY);
  params->SetValue("distance_duration", Variant(RoundHalfEven(distance * 1000 / kHintSpeed)));
  params->SetValue("button_widgetname", Variant("ui_group/hint_group/button_hint"));
  params->SetValue("name", Variant("hint_scenario_" + target->GetName()));
  return params;
}

void TTavelor2GameScreenGame::IdleShine() {
  if (amuletMode_ || !task_ || LevelKind() == 2 || !levelManager_) return;
  auto noShine = [](const Ref<IWidget>& group) {
    Ref<IWidgetCollection> children = group ? group->GetChildren() : nullptr;
    if (!children) return false;
    for (int i = 0; i < children->Count(); ++i)
      if (Ref<IWidget> child = children->GetByIndex(i))
        if (child->GetPropertyDef("dont_shine_areas", Variant(0)).ToInt() == 1) return true;
    return false;
  };
  if (noShine(animationGroup_) || noShine(openApproach_ ? openApproach_ : objectsGroup_)) return;
  Ref<IWidget> target = levelManager_->ChooseHintObject();
  if (!target || target == shineObject_) return;
  Ref<IParamCollection> params = NewParamCollection();
  double left = target->GetLeft(), top = target->GetTop();
  if (openApproach_) {
    left += openApproach_->GetAnchorLeft();
    top += openApproach_->GetAnchorTop();
  }
  params->SetValue("anchor_left", Variant(left));
  params->SetValue("anchor_top", Variant(top));
  if (Ref<ISurface> image = target->GetImage()) {
    if (Ref<IWidget> old = std::move(shineWidget_)) old->SetDead(true);
    if (animationGroup_) animationGroup_->GetChildren()->RemoveDead();
    shineWidget_ = MakeWidget("shine_effect", params);
    if (shineWidget_) {
      shineWidget_->SetPaused(true);
      shineWidget_->SetProperty("surface", Variant(Ref<IInterface>(image.get())));
      AddToAnimations(shineWidget_);
      shineWidget_->SetPaused(false);
    }
  }
  shineObject_ = target;
}
