#pragma once
// Appearance effects: a screen's root widget does not appear or vanish at once. It renders
// its content into one picture and hands it to a named effect ("show_effect",
// "hide_effect"); while the effect runs, the screen is drawn only through the effect's
// animation and its own content is frozen. After a hide effect the root becomes invisible
// only when the effect ends.
//
//   <window type="appearance_effect_widget" visible="no">
//     <effects><widgets>
//       <widget type="func_appearance_effect" name="show_effect" durationtime="300"
//               surfaceparamname="picture/surface">
//         <widgets><widget type="surface_widget" name="picture" visible="yes">
//           <function_widget .../>               <!-- fades "transparentlevel" -->
//         </widget></widgets>
//       </widget>
//     </widgets></effects>
//     <widgets>...the screen's content...</widgets>
//   </window>

#include <string>

#include "shell/WidgetClasses.h"

class TAppearanceEffectCollection;

// A group that can run a named effect on a picture of itself.
class TAbstractEffectWidget : public TVisualGroupWidget, public virtual IAppearanceEffectWidget {
 public:
  void Init() override;
  ~TAbstractEffectWidget() override;

  // Starts the named effect on a fresh picture of the widget; ends a running one first.
  void ApplyEffect(const std::string& name);
  void EndEffect();
  Ref<IAppearanceEffects> GetEffects() override;
  bool IsApplyingEffect() const { return running_; }

  // Hooks: an effect was asked for (Started: it runs), an effect ended.
  virtual void OnEffectApplied(const std::string& name, bool started);
  virtual void OnEffectFinished(const std::string& name);

  void Update(int32_t dt) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  TRect GetRect() override;
  TPoint ScreenToLocal(const TPoint& point) override;
  void UpdateDirtyRects(bool forceOld, bool forceNew) override;
  bool IsMouseStop() override;
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  void Reset() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

  Ref<TAppearanceEffectCollection> effects_;
  std::string applyingName_;
  bool running_ = false;
  double offsetX_ = 0;
  double offsetY_ = 0;
  bool enableEffects_ = true;
  bool skipProcessMouse_ = true;
  bool postEffectRects_ = false;
  Ref<ISurface> captured_;
};

// "appearance_effect_widget": runs "show_effect" / "hide_effect" when its visibility
// changes. Every screen's root.
class TAppearanceEffectWidget : public TAbstractEffectWidget {
 public:
  void SetVisible(bool value) override;
  void OnEffectApplied(const std::string& name, bool started) override;
  void OnEffectFinished(const std::string& name) override;

 protected:
  bool pendingVisible_ = false;
};

// "appearance_effects": the named effects of one effect widget, as children; one runs at
// a time.
class TAppearanceEffectCollection : public TVisualGroupWidget, public virtual IAppearanceEffects {
 public:
  bool HasEffect(const std::string& name) override;
  void ApplyEffect(const std::string& name, const Ref<ISurface>& surface,
                   const Ref<IParamCollection>& params) override;
  int32_t GetState() override { return state_; }
  void SetState(int32_t state) override;

  void Update(int32_t dt) override;
  void ReleaseOwner() override;
  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

  int32_t state_ = -1;
  Ref<IAppearanceEffect> current_;
};

// One effect: runs for "durationtime" milliseconds, playing its sound at its first update.
class TAppearanceEffect : public TBehaviourWidget, public virtual IAppearanceEffect {
 public:
  void Init() override;

  void Start(const Ref<ISurface>& surface, const Ref<IParamCollection>& params) override;
  int32_t GetState() override { return state_; }
  void SetState(int32_t state) override { state_ = state; }
  // Hands the captured picture to the animation.
  virtual void SetSurface(const Ref<ISurface>& surface) = 0;

  void Restart() override;
  void Update(int32_t dt) override;
  // The start parameters, then the widget's properties.
  void SetProperty(const std::string& name, const Variant& value) override;
  bool ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                       const TPropertyRow*& writer) override;

 protected:
  const TPropertyTable& Properties() override;
  Variant DoGetProperty(const std::string& name) override;

  int32_t state_ = -1;
  int32_t duration_ = 0;
  Ref<IParamCollection> startParams_;
  std::string soundName_;
  bool soundPending_ = false;
};

// "func_appearance_effect": gives the picture to its animation as the property
// "surfaceparamname" (a widget path such as "picture/surface").
class TFunctionAppearanceEffect : public TAppearanceEffect {
 public:
  void SetSurface(const Ref<ISurface>& surface) override;

 protected:
  const TPropertyTable& Properties() override;

  std::string surfaceParamName_;
};
