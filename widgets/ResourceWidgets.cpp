// Image, animation, blink and sound widgets.

#include "widgets/ResourceWidgets.h"

#include <algorithm>
#include <exception>

#include "engine/EngineSounds.h"
#include "foundation/CheckedMath.h"
#include "foundation/GlobalReplaceableObjectParams.h"

namespace {

// Values of data: "currenttime" and delays may be anything, so sums and products of them
// are taken in 64 bits and saturated back.
int32_t Add(int32_t a, int32_t b) {
  return SaturateInt32(int64_t(a) + b);
}

// "mod", except that a zero divisor keeps the value (a zero delay or period is no cycle).
int32_t Remainder(int32_t value, int32_t divisor) {
  return divisor == 0 ? value : ModSafe(value, divisor);
}

// Text or number to a colour, as "fillcolor" is set: bad text gives 0.
uint32_t ColorFrom(const Variant& value) {
  int32_t color = 0;
  if (value.IsString()) {
    if (!TryTextToInt(value.RawText(), color)) color = 0;
    return uint32_t(color);
  }
  return uint32_t(value.TryInt().value_or(0));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TResourceWidget

void TResourceWidget::SetOwner(IWidgetOwner* owner) {
  // First, so that redefined parameters applied by the base already reach the resource.
  engine_ = owner ? owner->GetEngine() : nullptr;
  TSingleWidget::SetOwner(owner);
}

void TResourceWidget::ReleaseOwner() {
  engine_ = nullptr;
  TSingleWidget::ReleaseOwner();
}

Ref<IImageResource> TResourceWidget::GetImageResource() {
  if (!engine_) return nullptr;
  return Supports<IImageResource>(engine_->GetResource(resourceName_));
}

void TResourceWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TSingleWidget::LoadFromXml(node);
  resourceName_ = ReadXmlStr(node, "resourcename");
}

void TResourceWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TSingleWidget::SaveToXml(node);
  WriteXmlStr(node, "resourcename", resourceName_, true);
}

// ---------------------------------------------------------------------------------------
// TImageWidget

void TImageWidget::UpdateSourceRect() {
  sourceRect_.Right = Add(sourceRect_.Left, width_);
  sourceRect_.Bottom = Add(sourceRect_.Top, height_);
}

void TImageWidget::SetWidth(int32_t value) {
  TResourceWidget::SetWidth(value);
  UpdateSourceRect();
}

void TImageWidget::SetHeight(int32_t value) {
  TResourceWidget::SetHeight(value);
  UpdateSourceRect();
}

void TImageWidget::SetResourceLeft(int32_t value) {
  if (value == sourceRect_.Left) return;
  sourceRect_.Left = value;
  UpdateSourceRect();
  SetNeedsRedraw(true);
}

void TImageWidget::SetResourceTop(int32_t value) {
  if (value == sourceRect_.Top) return;
  sourceRect_.Top = value;
  UpdateSourceRect();
  SetNeedsRedraw(true);
}

bool TImageWidget::SourceRect(TRect& rect) {
  rect = sourceRect_;
  return true;
}

void TImageWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  TRect source;
  if (surface && SourceRect(source)) DrawImage(surface, source, x, y);
}

void TImageWidget::DrawImage(ISurface* surface, const TRect& source, int32_t x, int32_t y) {
  Ref<IImageResource> image = GetImageResource();
  if (!image) return;
  Ref<ISurface> bitmap = image->GetSurface();
  if (!bitmap) return;
  TRect target{x, y, Add(x, width_), Add(y, height_)};
  uint8_t alpha = uint8_t(GetTransparentLevel());
  if (drawMode_ == dmCopyRect)
    surface->Draw(bitmap.get(), source, blendingMode_, alpha, target);
  else if (drawMode_ == dmFillColor)
    surface->DrawColored(fillColor_, bitmap.get(), blendingMode_, alpha, target, source);
}

bool TImageWidget::ContainsPoint(const TPoint& point, bool ignoreVisibility) {
  if (!TResourceWidget::ContainsPoint(point, ignoreVisibility)) return false;
  Ref<IImageResource> image = GetImageResource();
  Ref<ISurface> bitmap = image ? image->GetSurface() : nullptr;
  if (!bitmap) return true;
  TRect source;
  if (!SourceRect(source)) return false;  // nothing is drawn there
  int64_t x = int64_t(point.X) - TruncSat(anchorLeft_) + source.Left;
  int64_t y = int64_t(point.Y) - TruncSat(anchorTop_) + source.Top;
  // The rectangle test takes the right and bottom edges in; the pixels there belong to
  // the neighbour of the source rectangle (the next frame of a strip), not to this one.
  if (x >= source.Right || y >= source.Bottom) return false;
  return (bitmap->GetPixel(SaturateInt32(x), SaturateInt32(y)) >> 24) != 0;
}

Variant TImageWidget::DoGetProperty(const std::string& name) {
  if (name == "fillcolor") return Variant(int32_t(fillColor_));
  if (name == "drawmode") return Variant(int32_t(drawMode_));
  if (name == "blendingmode") return Variant(int32_t(blendingMode_));
  if (name == "resourcename") return Variant(resourceName_);
  if (name == "resourceleft") return Variant(sourceRect_.Left);
  if (name == "resourcetop") return Variant(sourceRect_.Top);
  return TResourceWidget::DoGetProperty(name);
}

void TImageWidget::SetProperty(const std::string& name, const Variant& value) {
  if (name == "fillcolor") {
    uint32_t color = ColorFrom(value);
    if (color == fillColor_) return;
    fillColor_ = color;
    SetNeedsRedraw(true);
  } else if (name == "drawmode" || name == "blendingmode") {
    auto v = value.TryInt();
    if (!v) return;
    uint8_t& field = name == "drawmode" ? drawMode_ : blendingMode_;
    if (uint8_t(*v) == field) return;
    field = uint8_t(*v);
    SetNeedsRedraw(true);
  } else if (name == "resourcename") {
    std::string text = value.ToString();
    if (text == resourceName_) return;
    resourceName_ = std::move(text);
    SetNeedsRedraw(true);
  } else if (name == "resourceleft") {
    if (auto v = value.TryInt()) SetResourceLeft(SaturateInt32(*v));
  } else if (name == "resourcetop") {
    if (auto v = value.TryInt()) SetResourceTop(SaturateInt32(*v));
  } else {
    TResourceWidget::SetProperty(name, value);
  }
}

void TImageWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TResourceWidget::LoadFromXml(node);
  sourceRect_.Left = ReadXmlInt(node, "resourceleft", 0);
  sourceRect_.Top = ReadXmlInt(node, "resourcetop", 0);
  drawMode_ = uint8_t(ReadXmlEnum(node, "drawmode", kDrawModes, dmCopyRect));
  blendingMode_ = uint8_t(ReadXmlEnum(node, "blendingmode", kBlendingModes, bmNormal));
  fillColor_ = ReadXmlHex(node, "fillcolor", 0);
  UpdateSourceRect();
}

void TImageWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TResourceWidget::SaveToXml(node);
  WriteXmlInt(node, "resourceleft", sourceRect_.Left, sourceRect_.Left > 0);
  WriteXmlInt(node, "resourcetop", sourceRect_.Top, sourceRect_.Top > 0);
  WriteXmlEnum(node, "drawmode", kDrawModes, drawMode_ != dmCopyRect, drawMode_);
  WriteXmlEnum(node, "blendingmode", kBlendingModes, blendingMode_ != bmNormal, blendingMode_);
  WriteXmlHex(node, "fillcolor", fillColor_, fillColor_ != 0);
}

// ---------------------------------------------------------------------------------------
// TBaseAnimationWidget

void TBaseAnimationWidget::Init() {
  TImageWidget::Init();
  running_ = true;
  state_ = stStartDelay;
}

void TBaseAnimationWidget::UpdateColumns() {
  columns_ = DivSafe(stripWidth_, width_);
}

void TBaseAnimationWidget::SetWidth(int32_t value) {
  TImageWidget::SetWidth(value);
  UpdateColumns();
}

void TBaseAnimationWidget::SetLoop(bool value) {
  loop_ = value;
  if (!value || state_ != stFinished) return;
  state_ = stStartDelay;
  running_ = true;
}

void TBaseAnimationWidget::Restart() {
  running_ = true;
  state_ = stStartDelay;
  TImageWidget::Restart();
}

void TBaseAnimationWidget::RunDelay(int32_t delay) {
  ShowFirst();
  if (currentTime_ < delay) return;
  state_ = stPlaying;
  currentTime_ = Remainder(currentTime_, delay);
  // The time past the delay belongs to the run: play it at once.
  if (currentTime_ != 0) Update(0);
}

void TBaseAnimationWidget::Update(int32_t dt) {
  TImageWidget::Update(dt);
  if (!running_) return;
  switch (state_) {
    case stStartDelay:
      RunDelay(startDelay_);
      break;
    case stCycleDelay:
      RunDelay(cycleDelay_);
      break;
    case stPlaying:
      if (currentTime_ >= animationTime_) {
        if (!loop_) {
          running_ = false;
          state_ = stFinished;
          ShowEnd();
          if (hideOnEnd_) SetVisible(false);
          return;
        }
        state_ = stCycleDelay;
        currentTime_ = Remainder(currentTime_, animationTime_);
      }
      ShowPlaying();
      break;
    default:
      break;
  }
}

bool TBaseAnimationWidget::SourceRect(TRect& rect) {
  // Frames run left to right, then row by row; a frame before the first has no picture.
  if (columns_ <= 0 || imageIndex_ < 0) return false;
  int64_t column = imageIndex_ % columns_;
  int64_t row = imageIndex_ / columns_;
  rect.Left = SaturateInt32(int64_t(width_) * column + stripLeft_);
  rect.Top = SaturateInt32(int64_t(height_) * row + stripTop_);
  rect.Right = Add(rect.Left, width_);
  rect.Bottom = Add(rect.Top, height_);
  return true;
}

Variant TBaseAnimationWidget::DoGetProperty(const std::string& name) {
  if (name == "animationtime") return Variant(animationTime_);
  if (name == "loop") return Variant(loop_);
  if (name == "reverse") return Variant(reverse_);
  if (name == "stoponfirst") return Variant(stopOnFirst_);
  if (name == "hide_on_end") return Variant(hideOnEnd_);
  if (name == "playing") return Variant(state_ == stPlaying);
  return TImageWidget::DoGetProperty(name);
}

void TBaseAnimationWidget::SetProperty(const std::string& name, const Variant& value) {
  try {
    auto asInt = [&](int32_t& field) {
      if (auto v = value.TryInt()) field = SaturateInt32(*v);
    };
    if (name == "loop") {
      if (auto v = value.TryBool()) SetLoop(*v);
    } else if (name == "reverse") {
      if (auto v = value.TryBool()) reverse_ = *v;
    } else if (name == "stoponfirst") {
      if (auto v = value.TryBool()) stopOnFirst_ = *v;
    } else if (name == "hide_on_end") {
      if (auto v = value.TryBool()) hideOnEnd_ = *v;
    } else if (name == "framescount") {
      auto v = value.TryInt();
      if (!v || *v <= 0) return;
      framesCount_ = SaturateInt32(*v);
      SetWidth(DivSafe(stripWidth_, framesCount_));
    } else if (name == "resourcewidth") {
      asInt(stripWidth_);
      UpdateColumns();
    } else if (name == "startdelaytime") {
      asInt(startDelay_);
    } else if (name == "cycledelaytime") {
      asInt(cycleDelay_);
    } else if (name == "resourceheight") {
      asInt(stripHeight_);
    } else if (name == "resourceleft" || name == "resourcetop") {
      // The strip moves; the image widget's copy follows so that reading gives it back.
      asInt(name == "resourceleft" ? stripLeft_ : stripTop_);
      TImageWidget::SetProperty(name, value);
    } else {
      TImageWidget::SetProperty(name, value);
    }
  } catch (const std::exception&) {
    // A value that does not convert is ignored.
  }
}

void TBaseAnimationWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TImageWidget::LoadFromXml(node);
  try {
    stripLeft_ = ReadXmlInt(node, "resourceleft", 0);
    stripTop_ = ReadXmlInt(node, "resourcetop", 0);
    framesCount_ = ReadXmlInt(node, "framescount", 0);
    stripWidth_ = ReadXmlInt(node, "resourcewidth", 0);
    stripHeight_ = ReadXmlInt(node, "resourceheight", 0);
    startDelay_ = ReadXmlInt(node, "startdelaytime", 0);
    cycleDelay_ = ReadXmlInt(node, "cycledelaytime", 0);
    loop_ = ReadXmlBool(node, "loop", false);
    reverse_ = ReadXmlBool(node, "reverse", false);
    stopOnFirst_ = ReadXmlBool(node, "stoponfirst", false);
    hideOnEnd_ = ReadXmlBool(node, "hide_on_end", false);
  } catch (const std::exception&) {
    // The keys read so far stay; the load itself goes on.
  }
  if (width_ > 0) UpdateColumns();
}

void TBaseAnimationWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TImageWidget::SaveToXml(node);
  WriteXmlInt(node, "resourceleft", stripLeft_, stripLeft_ > 0);
  WriteXmlInt(node, "resourcetop", stripTop_, stripTop_ > 0);
  WriteXmlInt(node, "framescount", framesCount_, true);
  WriteXmlInt(node, "resourcewidth", stripWidth_, true);
  WriteXmlInt(node, "resourceheight", stripHeight_, true);
  WriteXmlInt(node, "startdelaytime", startDelay_, startDelay_ != 0);
  WriteXmlInt(node, "cycledelaytime", cycleDelay_, cycleDelay_ != 0);
  WriteXmlBool(node, "loop", loop_, loop_);
  WriteXmlBool(node, "reverse", reverse_, reverse_);
  WriteXmlBool(node, "stoponfirst", stopOnFirst_, stopOnFirst_);
  WriteXmlBool(node, "hide_on_end", hideOnEnd_, hideOnEnd_);
}

// ---------------------------------------------------------------------------------------
// TAnimationWidget

void TAnimationWidget::ShowFrame(int32_t n) {
  if (reverse_) n = SaturateInt32(int64_t(framesCount_) - n - 1);
  if (n == imageIndex_) return;
  imageIndex_ = n;
  SetNeedsRedraw(true);
}

void TAnimationWidget::ShowEnd() {
  ShowFrame(stopOnFirst_ ? 0 : SaturateInt32(int64_t(framesCount_) - 1));
}

void TAnimationWidget::ShowPlaying() {
  // A run of no time shows its first frame.
  ShowFrame(SaturateInt32(DivSafe64(int64_t(framesCount_) * currentTime_, animationTime_)));
}

Variant TAnimationWidget::DoGetProperty(const std::string& name) {
  if (name == "currentframe") return Variant(imageIndex_);
  if (name == "framescount") return Variant(framesCount_);
  return TBaseAnimationWidget::DoGetProperty(name);
}

void TAnimationWidget::SetProperty(const std::string& name, const Variant& value) {
  try {
    if (name == "currentframe") {
      auto v = value.TryInt();
      if (!v) return;
      ShowFrame(SaturateInt32(*v));
      // The clock moves to the frame shown; a strip of no frames keeps the clock at 0.
      currentTime_ = SaturateInt32(DivSafe64(int64_t(imageIndex_) * animationTime_, framesCount_));
    } else if (name == "animationtime") {
      if (auto v = value.TryInt()) animationTime_ = SaturateInt32(*v);
    } else {
      TBaseAnimationWidget::SetProperty(name, value);
    }
  } catch (const std::exception&) {
  }
}

void TAnimationWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TBaseAnimationWidget::LoadFromXml(node);
  animationTime_ = ReadXmlInt(node, "animationtime", 0);
}

void TAnimationWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TBaseAnimationWidget::SaveToXml(node);
  WriteXmlInt(node, "animationtime", animationTime_, true);
}

// ---------------------------------------------------------------------------------------
// TSequenceAnimationWidget

void TSequenceAnimationWidget::Init() {
  TBaseAnimationWidget::Init();
  sequenceIndex_ = -1;
}

void TSequenceAnimationWidget::SetOwner(IWidgetOwner* owner) {
  TBaseAnimationWidget::SetOwner(owner);
  ShowTime(0);
}

void TSequenceAnimationWidget::ShowEnd() {
  ShowTime(stopOnFirst_ ? 0 : SaturateInt32(int64_t(animationTime_) - 1));
}

void TSequenceAnimationWidget::SelectIndex(int32_t i) {
  if (i < 0 || i >= int32_t(frames_.size()) || i == sequenceIndex_) return;
  sequenceIndex_ = i;
  imageIndex_ = frames_[size_t(i)].imageIndex;
  SetNeedsRedraw(true);
}

void TSequenceAnimationWidget::ShowTime(int32_t t) {
  const int32_t count = int32_t(frames_.size());
  if (count == 0) return;
  const int32_t first = reverse_ ? count - 1 : 0;
  const int32_t last = reverse_ ? 0 : count - 1;
  if (t == 0) return SelectIndex(first);
  if (int64_t(t) + 1 == animationTime_) return SelectIndex(last);
  const int32_t step = reverse_ ? -1 : 1;
  int64_t sum = 0;
  for (int32_t i = first;; i += step) {
    int64_t duration = frames_[size_t(i)].duration;
    if (sum <= t && t <= sum + duration) return SelectIndex(i);
    sum += duration;
    if (i == last) break;
  }
}

Variant TSequenceAnimationWidget::DoGetProperty(const std::string& name) {
  if (name == "currentframe") return Variant(sequenceIndex_);
  if (name == "default_duration") return Variant(defaultDuration_);
  return TBaseAnimationWidget::DoGetProperty(name);
}

void TSequenceAnimationWidget::SetProperty(const std::string& name, const Variant& value) {
  try {
    if (name == "currentframe") {
      if (auto v = value.TryInt()) SelectIndex(SaturateInt32(*v));
    } else if (name == "animationtime") {
      // The sum of the durations: read only.
    } else {
      TBaseAnimationWidget::SetProperty(name, value);
    }
  } catch (const std::exception&) {
  }
}

void TSequenceAnimationWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TBaseAnimationWidget::LoadFromXml(node);
  defaultDuration_ = ReadXmlInt(node, "default_duration", 0);
  frames_.clear();
  sequenceIndex_ = -1;
  int64_t total = 0;
  const int count = node ? node->GetChildCount("frame") : 0;
  frames_.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> child = node->GetChild("frame", i);
    TFrame frame;
    frame.imageIndex = ReadXmlInt(child, "subimage_index", 0);
    frame.duration = ReadXmlInt(child, "duration", defaultDuration_);
    total += frame.duration;
    frames_.push_back(frame);
  }
  animationTime_ = SaturateInt32(total);
}

void TSequenceAnimationWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TBaseAnimationWidget::SaveToXml(node);
  WriteXmlInt(node, "default_duration", defaultDuration_, true);
  for (const TFrame& frame : frames_) {
    Ref<IHierStorage> child = node->AddChild("frame");
    WriteXmlInt(child, "subimage_index", frame.imageIndex, true);
    WriteXmlInt(child, "duration", frame.duration, frame.duration != defaultDuration_);
  }
}

// ---------------------------------------------------------------------------------------
// TBlinkWidget

void TBlinkWidget::Init() {
  TImageWidget::Init();
  running_ = true;
  state_ = stStartDelay;
  firstPeriod_ = secondPeriod_ = 1;
}

void TBlinkWidget::Restart() {
  running_ = true;
  state_ = stStartDelay;
  loopsCount_ = loopsTotal_;
  TImageWidget::Restart();
}

void TBlinkWidget::RunDelay(int32_t delay) {
  SetTransparentLevel(startLevel_);
  if (currentTime_ < delay) return;
  state_ = stPlaying;
  currentTime_ = Remainder(currentTime_, delay);
  if (currentTime_ != 0) Update(0);
}

void TBlinkWidget::Finish() {
  running_ = false;
  state_ = stFinished;
  SetTransparentLevel(stopOnFirst_ ? startLevel_ : endLevel_);
}

void TBlinkWidget::Ramp() {
  // Integer steps truncating toward zero; the level wraps as a byte would. A period of 0
  // (or a clock before the start) divides by nothing: the ramp stays at its start.
  int64_t level;
  if (currentTime_ < firstPeriod_) {
    level = startLevel_ + DivSafe64(int64_t(peakLevel_ - startLevel_) * currentTime_, firstPeriod_);
  } else {
    int64_t into = int64_t(currentTime_) - firstPeriod_;
    level = peakLevel_ + DivSafe64(int64_t(endLevel_ - peakLevel_) * into, secondPeriod_);
  }
  SetTransparentLevel(int32_t(uint8_t(level)));
}

void TBlinkWidget::Update(int32_t dt) {
  TImageWidget::Update(dt);
  if (!running_) return;
  switch (state_) {
    case stStartDelay:
      RunDelay(startDelay_);
      break;
    case stCycleDelay:
      RunDelay(cycleDelay_);
      break;
    case stPlaying: {
      int32_t period = SaturateInt32(int64_t(firstPeriod_) + secondPeriod_);
      if (currentTime_ >= period) {
        if (!loop_) return Finish();
        state_ = stCycleDelay;
        currentTime_ = Remainder(currentTime_, period);
        if (loopsCount_ > 0 && --loopsCount_ == 0) {
          Finish();
          SetDead(true);
          return;
        }
      }
      Ramp();
      break;
    }
    default:
      break;
  }
}

Variant TBlinkWidget::DoGetProperty(const std::string& name) {
  if (name == "firstperiod") return Variant(firstPeriod_);
  if (name == "secondperiod") return Variant(secondPeriod_);
  if (name == "start_transparentlevel") return Variant(int32_t(startLevel_));
  if (name == "peak_transparentlevel") return Variant(int32_t(peakLevel_));
  if (name == "end_transparentlevel") return Variant(int32_t(endLevel_));
  if (name == "startdelaytime") return Variant(startDelay_);
  if (name == "cycledelaytime") return Variant(cycleDelay_);
  if (name == "loop") return Variant(loop_);
  if (name == "stoponfirst") return Variant(stopOnFirst_);
  return TImageWidget::DoGetProperty(name);
}

void TBlinkWidget::SetProperty(const std::string& name, const Variant& value) {
  try {
    auto asInt = [&](int32_t& field) {
      if (auto v = value.TryInt()) field = SaturateInt32(*v);
    };
    auto asLevel = [&](uint8_t& field) {
      if (auto v = value.TryInt()) field = uint8_t(*v);
    };
    if (name == "firstperiod") {
      asInt(firstPeriod_);
    } else if (name == "secondperiod") {
      asInt(secondPeriod_);
    } else if (name == "start_transparentlevel") {
      asLevel(startLevel_);
    } else if (name == "peak_transparentlevel") {
      asLevel(peakLevel_);
    } else if (name == "end_transparentlevel") {
      asLevel(endLevel_);
    } else if (name == "startdelaytime") {
      asInt(startDelay_);
    } else if (name == "cycledelaytime") {
      asInt(cycleDelay_);
    } else if (name == "loop") {
      auto v = value.TryBool();
      if (!v) return;
      loop_ = *v;
      if (loop_ && state_ == stFinished) {
        state_ = stStartDelay;
        running_ = true;
      }
    } else if (name == "stoponfirst") {
      if (auto v = value.TryBool()) stopOnFirst_ = *v;
    } else {
      TImageWidget::SetProperty(name, value);
    }
  } catch (const std::exception&) {
  }
}

void TBlinkWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TImageWidget::LoadFromXml(node);
  loop_ = ReadXmlBool(node, "loop", false);
  loopsTotal_ = loopsCount_ = ReadXmlInt(node, "loops_count", 0);
  firstPeriod_ = ReadXmlInt(node, "firstperiod", 1);
  secondPeriod_ = ReadXmlInt(node, "secondperiod", firstPeriod_);
  startLevel_ = uint8_t(std::clamp(ReadXmlInt(node, "start_transparentlevel", 0), 0, 255));
  peakLevel_ = uint8_t(std::clamp(ReadXmlInt(node, "peak_transparentlevel", 0), 0, 255));
  endLevel_ = uint8_t(std::clamp(ReadXmlInt(node, "end_transparentlevel", startLevel_), 0, 255));
  startDelay_ = ReadXmlInt(node, "startdelaytime", 0);
  cycleDelay_ = ReadXmlInt(node, "cycledelaytime", 0);
  stopOnFirst_ = ReadXmlBool(node, "stoponfirst", false);
}

void TBlinkWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TImageWidget::SaveToXml(node);
  WriteXmlBool(node, "loop", loop_, loop_);
  WriteXmlInt(node, "loops_count", loopsTotal_, loopsTotal_ != 0);
  WriteXmlInt(node, "firstperiod", firstPeriod_, firstPeriod_ != 1);
  WriteXmlInt(node, "secondperiod", secondPeriod_, secondPeriod_ != firstPeriod_);
  WriteXmlInt(node, "start_transparentlevel", startLevel_, true);
  WriteXmlInt(node, "peak_transparentlevel", peakLevel_, true);
  WriteXmlInt(node, "end_transparentlevel", endLevel_, endLevel_ != startLevel_);
  WriteXmlInt(node, "startdelaytime", startDelay_, startDelay_ != 0);
  WriteXmlInt(node, "cycledelaytime", cycleDelay_, cycleDelay_ != 0);
  WriteXmlBool(node, "stoponfirst", stopOnFirst_, stopOnFirst_);
}

// ---------------------------------------------------------------------------------------
// TSoundWidget

void TSoundWidget::Init() {
  TAbstractWidget::Init();
  playPending_ = !paused_;
}

void TSoundWidget::Update(int32_t dt) {
  TAbstractWidget::Update(dt);
  if (!playPending_) return;
  playPending_ = false;
  PlaySound(soundName_);
}

void TSoundWidget::Restart() {
  // Pending only after the base restart's own update, so the sound starts once, at the
  // next update, even when it had not played yet.
  playPending_ = false;
  TAbstractWidget::Restart();
  playPending_ = true;
}

void TSoundWidget::Pause() {
  TAbstractWidget::Pause();
  StopSound(soundName_);
}

void TSoundWidget::SetPaused(bool value) {
  if (value == paused_) return TAbstractWidget::SetPaused(value);
  // Unpausing plays the sound again from its start.
  if (value)
    Pause();
  else
    Restart();
}

Variant TSoundWidget::DoGetProperty(const std::string& name) {
  if (name == "pan" || name == "startdelaytime" || name == "cycledelaytime") {
    Ref<ISound> sound = FindSound(soundName_);
    if (!sound) return Variant(0);
    if (name == "pan") return Variant(sound->GetPan());
    if (name == "startdelaytime") return Variant(sound->GetStartDelayMin());
    return Variant(sound->GetCycleDelayMin());
  }
  return TAbstractWidget::DoGetProperty(name);
}

void TSoundWidget::SetProperty(const std::string& name, const Variant& value) {
  if (name != "pan" && name != "startdelaytime" && name != "cycledelaytime")
    return TAbstractWidget::SetProperty(name, value);
  auto v = value.TryInt();
  Ref<ISound> sound = FindSound(soundName_);
  if (!v || !sound) return;
  int32_t n = SaturateInt32(*v);
  if (name == "pan") {
    sound->SetPan(n);
  } else if (name == "startdelaytime") {
    sound->SetStartDelayMin(n);
    sound->SetStartDelayMax(n);
  } else {
    sound->SetCycleDelayMin(n);
    sound->SetCycleDelayMax(n);
  }
}

void TSoundWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TAbstractWidget::LoadFromXml(node);
  soundName_ = ReadXmlStr(node, "sound_effect_name", "sound");
  soundName_ = ReadXmlStr(node, "resourcename", soundName_);
  const std::string guid = ReadXmlStr(node, "sound_object_guid");
  Ref<ISound> sound = sounds_ ? FindSound(soundName_) : nullptr;
  if (!sound && soundName_ != "sound") {
    // A description of its own, kept in a collection of its own under "sound".
    Ref<TSoundCollection> collection = TAbstractObject::Create<TSoundCollection>();
    Ref<TSound> own = TAbstractObject::Create<TSound>();
    if (!guid.empty()) {
      own->LoadFromXml(ResolveObjectGuid(guid, node));
    } else {
      // Nothing describes the sound: it plays the resource the widget names.
      own->SetResourceName(soundName_);
    }
    own->SetName("sound");
    own->SetProperty("_object_guid", Variant(guid));
    collection->Items().Add(Ref<IInterface>(static_cast<ISound*>(own.get())), "sound");
    sounds_ = Ref<ISoundCollection>(collection.get());
    soundName_ = "sound";
    sound = Ref<ISound>(own.get());
  }
  if (sound && guid.empty()) {
    std::string loop = ReadXmlStr(node, "loop");
    if (loop == "yes") sound->SetLoop(true);
    if (loop == "no") sound->SetLoop(false);
    if (int32_t pan = ReadXmlInt(node, "pan", -101); pan >= -100) sound->SetPan(pan);
    if (int32_t delay = ReadXmlInt(node, "startdelaytime", -1); delay >= 0) {
      sound->SetStartDelayMin(delay);
      sound->SetStartDelayMax(delay);
    }
    if (int32_t delay = ReadXmlInt(node, "cycledelaytime", -1); delay >= 0) {
      sound->SetCycleDelayMin(delay);
      sound->SetCycleDelayMax(delay);
    }
  }
  playPending_ = !paused_;
}

void TSoundWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TAbstractWidget::SaveToXml(node);
  WriteXmlStr(node, "resourcename", soundName_, true);
}
