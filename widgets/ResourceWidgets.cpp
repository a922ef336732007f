// Image, animation, blink and sound widgets.

#include "widgets/ResourceWidgets.h"

#include <algorithm>
#include <exception>

#include "engine/EngineSounds.h"
#include "foundation/CheckedMath.h"
#include "foundation/GlobalReplaceableObjectParams.h"

namespace {

// "mod", except that a zero divisor keeps the value (a zero delay or period is no cycle).
int32_t Remainder(int32_t value, int32_t divisor) {
  return divisor == 0 ? value : ModSafe(value, divisor);
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

// Image widgets answer "resourcename" as a property.
const TPropertyTable& TResourceWidget::Properties() {
  static const TPropertyTable table(
      TSingleWidget::Properties(),
      {
          Attr("resourcename", &TResourceWidget::resourceName_).Str().Always(),
      });
  return table;
}

// ---------------------------------------------------------------------------------------
// TImageWidget

const TPropertyTable& TImageWidget::Properties() {
  using I = TImageWidget;
  static const TPropertyTable table(
      TResourceWidget::Properties(),
      {
          Prop("resourceleft", &I::ResourceLeft, &I::SetResourceLeft)
              .Int()
              .Coordinate()
              .SavedWhen([](I& i) { return i.sourceRect_.Left > 0; }),
          Prop("resourcetop", &I::ResourceTop, &I::SetResourceTop)
              .Int()
              .Coordinate()
              .SavedWhen([](I& i) { return i.sourceRect_.Top > 0; }),
          Prop("drawmode", &I::drawMode_).Enum(kDrawModes, dmCopyRect).Redraws(),
          Prop("blendingmode", &I::blendingMode_).Enum(kBlendingModes, bmNormal).Redraws(),
          Prop("fillcolor", &I::fillColor_).Hex().Redraws(),
          Prop("resourcename", &I::resourceName_, &I::SetResourceName),
      });
  return table;
}

void TImageWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TResourceWidget::LoadFromXml(node);
  // The source rectangle takes the size just read.
  UpdateSourceRect();
}

void TImageWidget::SetResourceName(const std::string& name) {
  if (name == resourceName_) return;
  resourceName_ = name;
  SetNeedsRedraw(true);
}

void TImageWidget::UpdateSourceRect() {
  sourceRect_.Right = SaturatingAdd(sourceRect_.Left, width_);
  sourceRect_.Bottom = SaturatingAdd(sourceRect_.Top, height_);
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
  TRect target{x, y, SaturatingAdd(x, width_), SaturatingAdd(y, height_)};
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

// ---------------------------------------------------------------------------------------
// TCycleImageWidget

void TCycleImageWidget::Init() {
  TImageWidget::Init();
  running_ = true;
  state_ = stStartDelay;
}

void TCycleImageWidget::SetLoop(bool value) {
  loop_ = value;
  if (!value || state_ != stFinished) return;
  state_ = stStartDelay;
  running_ = true;
}

void TCycleImageWidget::Restart() {
  running_ = true;
  state_ = stStartDelay;
  TImageWidget::Restart();
}

void TCycleImageWidget::Finish() {
  running_ = false;
  state_ = stFinished;
  ShowEnd();
}

void TCycleImageWidget::RunDelay(int32_t delay) {
  ShowDelay();
  if (currentTime_ < delay) return;
  state_ = stPlaying;
  currentTime_ = Remainder(currentTime_, delay);
  // The time past the delay belongs to the run: play it at once.
  if (currentTime_ != 0) Update(0);
}

void TCycleImageWidget::Update(int32_t dt) {
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
      int32_t runTime = RunTime();
      if (currentTime_ >= runTime) {
        if (!loop_) return Finish();
        state_ = stCycleDelay;
        currentTime_ = Remainder(currentTime_, runTime);
        if (!LoopEnded()) return;
      }
      ShowRun();
      break;
    }
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------
// TBaseAnimationWidget

// The strip's place, "framescount", the strip's size and the delays are written, never
// read, as properties: reading "resourceleft" gives the picture's own.
const TPropertyTable& TBaseAnimationWidget::Properties() {
  using B = TBaseAnimationWidget;
  static const TPropertyTable table(
      TCycleImageWidget::Properties(),
      {
          Prop("resourceleft", &B::stripLeft_, &B::SetStripLeft)
              .Int()
              .Coordinate()
              .SavedWhen([](B& b) { return b.stripLeft_ > 0; })
              .WriteOnly(),
          Prop("resourcetop", &B::stripTop_, &B::SetStripTop)
              .Int()
              .Coordinate()
              .SavedWhen([](B& b) { return b.stripTop_ > 0; })
              .WriteOnly(),
          Prop("framescount", &B::framesCount_, &B::SetFramesCount).Int().Always().WriteOnly(),
          Prop("resourcewidth", &B::stripWidth_, &B::SetStripWidth)
              .Int()
              .Coordinate()
              .Always()
              .WriteOnly(),
          Prop("resourceheight", &B::stripHeight_).Int().Coordinate().Always().WriteOnly(),
          Prop("startdelaytime", &B::startDelay_).Int().WriteOnly(),
          Prop("cycledelaytime", &B::cycleDelay_).Int().WriteOnly(),
          Prop("loop", &B::loop_, &B::SetLoop).Bool(),
          Prop("reverse", &B::reverse_).Bool(),
          Prop("stoponfirst", &B::stopOnFirst_).Bool(),
          Prop("hide_on_end", &B::hideOnEnd_).Bool(),
          Prop<B>("playing", [](B& b) { return b.state_ == stPlaying; }),
          Prop("animationtime", &B::animationTime_).ReadOnly(),
      });
  return table;
}

void TBaseAnimationWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TCycleImageWidget::LoadFromXml(node);
  if (width_ > 0) UpdateColumns();
}

void TBaseAnimationWidget::UpdateColumns() {
  columns_ = DivSafe(stripWidth_, width_);
}

void TBaseAnimationWidget::SetWidth(int32_t value) {
  TCycleImageWidget::SetWidth(value);
  UpdateColumns();
}

void TBaseAnimationWidget::SetFramesCount(int32_t count) {
  if (count <= 0) return;
  framesCount_ = count;
  SetWidth(DivSafe(stripWidth_, framesCount_));
}

void TBaseAnimationWidget::SetStripWidth(int32_t width) {
  stripWidth_ = width;
  UpdateColumns();
}

// The strip moves; the image widget's copy follows so that reading gives it back.
void TBaseAnimationWidget::SetStripLeft(int32_t left) {
  stripLeft_ = left;
  SetResourceLeft(left);
}

void TBaseAnimationWidget::SetStripTop(int32_t top) {
  stripTop_ = top;
  SetResourceTop(top);
}

void TBaseAnimationWidget::Finish() {
  TCycleImageWidget::Finish();
  if (hideOnEnd_) SetVisible(false);
}

bool TBaseAnimationWidget::SourceRect(TRect& rect) {
  // Frames run left to right, then row by row; a frame before the first has no picture.
  if (columns_ <= 0 || imageIndex_ < 0) return false;
  int64_t column = imageIndex_ % columns_;
  int64_t row = imageIndex_ / columns_;
  rect.Left = SaturateInt32(int64_t(width_) * column + stripLeft_);
  rect.Top = SaturateInt32(int64_t(height_) * row + stripTop_);
  rect.Right = SaturatingAdd(rect.Left, width_);
  rect.Bottom = SaturatingAdd(rect.Top, height_);
  return true;
}

// ---------------------------------------------------------------------------------------
// TAnimationWidget

const TPropertyTable& TAnimationWidget::Properties() {
  using A = TAnimationWidget;
  static const TPropertyTable table(TBaseAnimationWidget::Properties(),
                                    {
                                        Prop("currentframe", &A::imageIndex_, &A::SetCurrentFrame),
                                        Prop("framescount", &A::framesCount_).ReadOnly(),
                                        Prop("animationtime", &A::animationTime_).Int().Always(),
                                    });
  return table;
}

void TAnimationWidget::ShowFrame(int32_t n) {
  if (reverse_) n = SaturateInt32(int64_t(framesCount_) - n - 1);
  if (n == imageIndex_) return;
  imageIndex_ = n;
  SetNeedsRedraw(true);
}

void TAnimationWidget::SetCurrentFrame(int32_t n) {
  ShowFrame(n);
  // The clock moves to the frame shown; a strip of no frames keeps the clock at 0.
  currentTime_ = SaturateInt32(DivSafe64(int64_t(imageIndex_) * animationTime_, framesCount_));
}

void TAnimationWidget::ShowEnd() {
  ShowFrame(stopOnFirst_ ? 0 : SaturateInt32(int64_t(framesCount_) - 1));
}

void TAnimationWidget::ShowRun() {
  // A run of no time shows its first frame.
  ShowFrame(SaturateInt32(DivSafe64(int64_t(framesCount_) * currentTime_, animationTime_)));
}

// ---------------------------------------------------------------------------------------
// TSequenceAnimationWidget

// "animationtime" is the sum of the durations: read only.
const TPropertyTable& TSequenceAnimationWidget::Properties() {
  using Q = TSequenceAnimationWidget;
  static const TPropertyTable table(
      TBaseAnimationWidget::Properties(),
      {
          Prop("currentframe", &Q::sequenceIndex_, &Q::SelectIndex),
          Prop("default_duration", &Q::defaultDuration_).Int().Always().ReadOnly(),
      });
  return table;
}

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

void TSequenceAnimationWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TBaseAnimationWidget::LoadFromXml(node);
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
  for (const TFrame& frame : frames_) {
    Ref<IHierStorage> child = node->AddChild("frame");
    WriteXmlInt(child, "subimage_index", frame.imageIndex, true);
    WriteXmlInt(child, "duration", frame.duration, frame.duration != defaultDuration_);
  }
}

// ---------------------------------------------------------------------------------------
// TBlinkWidget

const TPropertyTable& TBlinkWidget::Properties() {
  using B = TBlinkWidget;
  static const TPropertyTable table(
      TCycleImageWidget::Properties(),
      {
          Prop("loop", &B::loop_, &B::SetLoop).Bool(),
          Attr<B>(
              "loops_count", [](B& b) { return b.loopsTotal_; },
              [](B& b, int32_t loops) { b.loopsTotal_ = b.loopsCount_ = loops; })
              .Int(),
          Prop("firstperiod", &B::firstPeriod_).Int(1),
          Prop("secondperiod", &B::secondPeriod_).Int(&B::firstPeriod_),
          Prop("start_transparentlevel", &B::startLevel_).Int().Always(),
          Prop("peak_transparentlevel", &B::peakLevel_).Int().Always(),
          Prop("end_transparentlevel", &B::endLevel_).Int(&B::startLevel_),
          Prop("startdelaytime", &B::startDelay_).Int(),
          Prop("cycledelaytime", &B::cycleDelay_).Int(),
          Prop("stoponfirst", &B::stopOnFirst_).Bool(),
      });
  return table;
}

void TBlinkWidget::Init() {
  TCycleImageWidget::Init();
  firstPeriod_ = secondPeriod_ = 1;
}

void TBlinkWidget::Restart() {
  loopsCount_ = loopsTotal_;
  TCycleImageWidget::Restart();
}

bool TBlinkWidget::LoopEnded() {
  if (loopsCount_ <= 0 || --loopsCount_ != 0) return true;
  Finish();
  SetDead(true);
  return false;
}

void TBlinkWidget::ShowRun() {
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

// ---------------------------------------------------------------------------------------
// TSoundWidget

// The pan and the delays are those of the widget's sound description; setting a delay
// sets its least and its greatest value.
const TPropertyTable& TSoundWidget::Properties() {
  using S = TSoundWidget;
  static const TPropertyTable table(
      TAbstractWidget::Properties(),
      {
          Attr("resourcename", &S::soundName_).Str().Always(),
          Prop<S>(
              "pan", [](S& s) { return s.SoundValue(&ISound::GetPan); },
              [](S& s, int32_t pan) {
                if (Ref<ISound> sound = s.FindSound(s.soundName_)) sound->SetPan(pan);
              }),
          Prop<S>(
              "startdelaytime", [](S& s) { return s.SoundValue(&ISound::GetStartDelayMin); },
              [](S& s, int32_t delay) {
                s.SetSoundDelay(&ISound::SetStartDelayMin, &ISound::SetStartDelayMax, delay);
              }),
          Prop<S>(
              "cycledelaytime", [](S& s) { return s.SoundValue(&ISound::GetCycleDelayMin); },
              [](S& s, int32_t delay) {
                s.SetSoundDelay(&ISound::SetCycleDelayMin, &ISound::SetCycleDelayMax, delay);
              }),
      });
  return table;
}

int32_t TSoundWidget::SoundValue(int32_t (ISound::*get)()) {
  Ref<ISound> sound = FindSound(soundName_);
  return sound ? (sound.get()->*get)() : 0;
}

void TSoundWidget::SetSoundDelay(void (ISound::*setMin)(int32_t), void (ISound::*setMax)(int32_t),
                                 int32_t delay) {
  if (Ref<ISound> sound = FindSound(soundName_)) {
    (sound.get()->*setMin)(delay);
    (sound.get()->*setMax)(delay);
  }
}

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
    collection->Items().Add(own, "sound");
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
