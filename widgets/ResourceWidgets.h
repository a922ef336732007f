#pragma once
// Leaf widgets that show engine resources: a still image cut out of an image resource,
// an image strip played as an animation (evenly timed, or frame by frame with durations
// of their own), an image whose transparency pulses, and a widget that plays a sound.
//
// Every clock below is the widget's own "currenttime", advanced by the base update before
// the widget's own step runs. Animations and blinks run from creation, visible or not.

#include <cstdint>
#include <string>
#include <vector>

#include "shell/WidgetClasses.h"

// The engine's resource of the widget's "resourcename".
class TResourceWidget : public TSingleWidget {
 public:
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;

  // The resource as an image; nothing without an engine, such a resource, or an image.
  Ref<IImageResource> GetImageResource();
  const std::string& GetResourceName() const { return resourceName_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  // Taken from the owner; the engine outlives every screen, so it is not held.
  IEngine* engine_ = nullptr;
  std::string resourceName_;
};

// "image_widget": a rectangle of an image resource, copied or filled with one colour.
// Hit only over pixels whose alpha is not 0.
class TImageWidget : public TResourceWidget {
 public:
  enum : uint8_t { dmCopyRect = 0, dmFillColor = 1 };
  static constexpr const char* kDrawModes = "copyrect/fillcolor";
  static constexpr const char* kBlendingModes =
      "normal/screen/overlay/linearlight/addition/maxopaque/bltfast";

  void SetWidth(int32_t value) override;
  void SetHeight(int32_t value) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  bool ContainsPoint(const TPoint& point, bool ignoreVisibility) override;
  void SetProperty(const std::string& name, const Variant& value) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  Variant DoGetProperty(const std::string& name) override;
  // The part of the image drawn now (an animation's current frame); false for none.
  virtual bool SourceRect(TRect& rect);
  // Draws Source of the image resource at X, Y in the draw and blending modes.
  void DrawImage(ISurface* surface, const TRect& source, int32_t x, int32_t y);
  void SetResourceLeft(int32_t value);
  void SetResourceTop(int32_t value);
  void UpdateSourceRect();

  TRect sourceRect_;
  uint32_t fillColor_ = 0;
  uint8_t drawMode_ = dmCopyRect;
  uint8_t blendingMode_ = bmNormal;
};

// The common clock of the strip animations: a start delay, the run, a cycle delay between
// loops, and the end (state 3) until restarted or looped again.
class TBaseAnimationWidget : public TImageWidget {
 public:
  enum : uint8_t { stStartDelay = 0, stPlaying = 1, stCycleDelay = 2, stFinished = 3 };

  void Init() override;
  void Update(int32_t dt) override;
  void Restart() override;
  void SetWidth(int32_t value) override;
  void SetProperty(const std::string& name, const Variant& value) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  uint8_t GetState() const { return state_; }
  bool IsRunning() const { return running_; }
  int32_t GetImageIndex() const { return imageIndex_; }

 protected:
  Variant DoGetProperty(const std::string& name) override;
  bool SourceRect(TRect& rect) override;

  // What the clock shows: the first picture (delays), the last one when a run without
  // loop ends, and the picture of the current time while playing.
  virtual void ShowFirst() = 0;
  virtual void ShowEnd() = 0;
  virtual void ShowPlaying() = 0;

  // A delay of states 0 and 2: on to playing once it has passed.
  void RunDelay(int32_t delay);
  void UpdateColumns();
  void SetLoop(bool value);

  bool loop_ = false;
  int32_t framesCount_ = 0;
  int32_t stripWidth_ = 0;
  int32_t stripHeight_ = 0;
  int32_t stripLeft_ = 0;
  int32_t stripTop_ = 0;
  int32_t startDelay_ = 0;
  int32_t cycleDelay_ = 0;
  bool running_ = true;
  uint8_t state_ = stStartDelay;
  int32_t imageIndex_ = 0;
  bool stopOnFirst_ = false;
  bool hideOnEnd_ = false;
  bool reverse_ = false;
  int32_t animationTime_ = 0;
  int32_t columns_ = 0;
};

// "animation_widget": "framescount" frames evenly over "animationtime".
class TAnimationWidget : public TBaseAnimationWidget {
 public:
  // Frame N of the run (counted from the end when reversed).
  void ShowFrame(int32_t n);
  void SetProperty(const std::string& name, const Variant& value) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  Variant DoGetProperty(const std::string& name) override;
  void ShowFirst() override { ShowFrame(0); }
  void ShowEnd() override;
  void ShowPlaying() override;
};

// "sequence_animation_widget": "frame" children, each a picture of the strip shown for a
// duration of its own.
class TSequenceAnimationWidget : public TBaseAnimationWidget {
 public:
  struct TFrame {
    int32_t duration = 0;
    int32_t imageIndex = 0;
  };

  void Init() override;
  void SetOwner(IWidgetOwner* owner) override;
  // The frame whose span holds T; a time on a boundary belongs to the earlier frame in
  // playing order.
  void ShowTime(int32_t t);
  // Frame I of the list, whatever the direction; nothing outside the list.
  void SelectIndex(int32_t i);
  int32_t GetSequenceIndex() const { return sequenceIndex_; }
  void SetProperty(const std::string& name, const Variant& value) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  Variant DoGetProperty(const std::string& name) override;
  void ShowFirst() override { ShowTime(0); }
  void ShowEnd() override;
  void ShowPlaying() override { ShowTime(currentTime_); }

  std::vector<TFrame> frames_;
  int32_t defaultDuration_ = 0;
  int32_t sequenceIndex_ = -1;
};

// "blink_widget": an image whose transparency ramps from a start level to a peak over the
// first period and on to an end level over the second, once or in loops.
class TBlinkWidget : public TImageWidget {
 public:
  enum : uint8_t { stStartDelay = 0, stPlaying = 1, stCycleDelay = 2, stFinished = 3 };

  void Init() override;
  void Update(int32_t dt) override;
  void Restart() override;
  void SetProperty(const std::string& name, const Variant& value) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  uint8_t GetState() const { return state_; }
  bool IsRunning() const { return running_; }
  int32_t GetLoopsLeft() const { return loopsCount_; }

 protected:
  Variant DoGetProperty(const std::string& name) override;
  void RunDelay(int32_t delay);
  // The level a run ends on.
  void Finish();
  void Ramp();

  int32_t loopsCount_ = 0;
  // The loops a run starts with: a restart plays them all again.
  int32_t loopsTotal_ = 0;
  bool loop_ = false;
  int32_t firstPeriod_ = 1;
  int32_t secondPeriod_ = 1;
  uint8_t startLevel_ = 0;
  uint8_t peakLevel_ = 0;
  uint8_t endLevel_ = 0;
  int32_t startDelay_ = 0;
  int32_t cycleDelay_ = 0;
  bool running_ = true;
  uint8_t state_ = stStartDelay;
  bool stopOnFirst_ = false;
};

// "sound_widget": plays its sound at the first update after creation, restart or
// unpausing, and stops it when paused. Draws nothing.
class TSoundWidget : public TAbstractWidget {
 public:
  void Init() override;
  void Update(int32_t dt) override;
  void Restart() override;
  void Pause() override;
  void SetPaused(bool value) override;
  void SetProperty(const std::string& name, const Variant& value) override;

  const std::string& GetSoundName() const { return soundName_; }
  bool IsPlayPending() const { return playPending_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  Variant DoGetProperty(const std::string& name) override;

  std::string soundName_;
  bool playPending_ = true;
};
