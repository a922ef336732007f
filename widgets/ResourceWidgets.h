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

#include "foundation/CheckedMath.h"
#include "shell/WidgetClasses.h"

// The engine's resource of the widget's "resourcename".
class TResourceWidget : public TSingleWidget {
 public:
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;

  // The resource as an image; nothing without an engine, such a resource, or an image.
  Ref<IImageResource> GetImageResource();
  const std::string& GetResourceName() const { return resourceName_; }

 protected:
  const TPropertyTable& Properties() override;

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
  // A changed name redraws.
  virtual void SetResourceName(const std::string& name);

  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;
  // The part of the image drawn now (an animation's current frame); false for none.
  virtual bool SourceRect(TRect& rect);
  // Draws Source of the image resource at X, Y in the draw and blending modes.
  void DrawImage(ISurface* surface, const TRect& source, int32_t x, int32_t y);
  int32_t ResourceLeft() const { return sourceRect_.Left; }
  int32_t ResourceTop() const { return sourceRect_.Top; }
  void SetResourceLeft(int32_t value);
  void SetResourceTop(int32_t value);
  void UpdateSourceRect();

  TRect sourceRect_;
  uint32_t fillColor_ = 0;
  uint8_t drawMode_ = dmCopyRect;
  uint8_t blendingMode_ = bmNormal;
};

// An image run by a clock of four states: a start delay, the run, a cycle delay between
// loops, and the end (state 3) until restarted or looped again. The strip animations and
// the blink share it; each says how long a run is and what the states show.
class TCycleImageWidget : public TImageWidget {
 public:
  enum : uint8_t { stStartDelay = 0, stPlaying = 1, stCycleDelay = 2, stFinished = 3 };

  void Init() override;
  void Update(int32_t dt) override;
  void Restart() override;

  uint8_t GetState() const { return state_; }
  bool IsRunning() const { return running_; }

 protected:
  // The length of one run, and what the delays and the run at the current time show.
  virtual int32_t RunTime() = 0;
  virtual void ShowDelay() = 0;
  virtual void ShowRun() = 0;
  // What the end of a run without loop shows.
  virtual void ShowEnd() = 0;
  // A looped run has ended and the clock is in the cycle delay; false stops here.
  virtual bool LoopEnded() { return true; }
  // The end: running off, state 3, ShowEnd.
  virtual void Finish();
  // Turning the loop on makes an ended run start again.
  void SetLoop(bool value);

  bool loop_ = false;
  int32_t startDelay_ = 0;
  int32_t cycleDelay_ = 0;
  bool running_ = true;
  uint8_t state_ = stStartDelay;
  bool stopOnFirst_ = false;

 private:
  // A delay of states 0 and 2: on to playing once it has passed.
  void RunDelay(int32_t delay);
};

// The strip animations: frames of "width" x "height" cut from a strip of "resourcewidth"
// by "resourceheight" at "resourceleft", "resourcetop", left to right, then row by row.
class TBaseAnimationWidget : public TCycleImageWidget {
 public:
  void SetWidth(int32_t value) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;

  int32_t GetImageIndex() const { return imageIndex_; }

 protected:
  const TPropertyTable& Properties() override;
  bool SourceRect(TRect& rect) override;
  int32_t RunTime() override { return animationTime_; }
  void ShowDelay() override { ShowFirst(); }
  // The first picture (delays and the start).
  virtual void ShowFirst() = 0;
  void Finish() override;

  void UpdateColumns();
  // "framescount": only a count above 0 is taken; the frame width follows.
  void SetFramesCount(int32_t count);
  void SetStripWidth(int32_t width);
  void SetStripLeft(int32_t left);
  void SetStripTop(int32_t top);

  int32_t framesCount_ = 0;
  int32_t stripWidth_ = 0;
  int32_t stripHeight_ = 0;
  int32_t stripLeft_ = 0;
  int32_t stripTop_ = 0;
  int32_t imageIndex_ = 0;
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

 protected:
  const TPropertyTable& Properties() override;
  void ShowFirst() override { ShowFrame(0); }
  void ShowEnd() override;
  void ShowRun() override;
  // "currentframe": the frame shown, and the clock moved to it.
  void SetCurrentFrame(int32_t n);
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

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;
  void ShowFirst() override { ShowTime(0); }
  void ShowEnd() override;
  void ShowRun() override { ShowTime(currentTime_); }

  std::vector<TFrame> frames_;
  int32_t defaultDuration_ = 0;
  int32_t sequenceIndex_ = -1;
};

// "blink_widget": an image whose transparency ramps from a start level to a peak over the
// first period and on to an end level over the second, once or in loops.
class TBlinkWidget : public TCycleImageWidget {
 public:
  void Init() override;
  void Restart() override;

  int32_t GetLoopsLeft() const { return loopsCount_; }

 protected:
  const TPropertyTable& Properties() override;
  int32_t RunTime() override { return SaturateInt32(int64_t(firstPeriod_) + secondPeriod_); }
  void ShowDelay() override { SetTransparentLevel(startLevel_); }
  void ShowRun() override;
  void ShowEnd() override { SetTransparentLevel(stopOnFirst_ ? startLevel_ : endLevel_); }
  // The last of "loops_count" loops ends the widget.
  bool LoopEnded() override;

  int32_t loopsCount_ = 0;
  // The loops a run starts with: a restart plays them all again.
  int32_t loopsTotal_ = 0;
  int32_t firstPeriod_ = 1;
  int32_t secondPeriod_ = 1;
  uint8_t startLevel_ = 0;
  uint8_t peakLevel_ = 0;
  uint8_t endLevel_ = 0;
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

  const std::string& GetSoundName() const { return soundName_; }
  bool IsPlayPending() const { return playPending_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;
  // The pan and delays of the widget's sound description, 0 without one.
  int32_t SoundValue(int32_t (ISound::*get)());
  void SetSoundDelay(void (ISound::*setMin)(int32_t), void (ISound::*setMax)(int32_t),
                     int32_t delay);

  std::string soundName_;
  bool playPending_ = true;
};
