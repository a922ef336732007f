#include "widgets/FlashScenario.h"

#include <cmath>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// Operations of steps nested inside one another (a next list restarting a step whose
// previous list completes another...): past this depth they wait for the next update, so
// a long chain of instant steps cannot exhaust the stack.
constexpr int kMaxChainDepth = 64;
int chainDepth = 0;

// Counts the operations of the chain for as long as it lives and, given a flag, marks the
// step busy (starting or completing); undone on the way out, exceptions included.
class TChainStep {
 public:
  explicit TChainStep(bool* busy = nullptr) : busy_(busy) {
    if (busy_) *busy_ = true;
    ++chainDepth;
  }
  ~TChainStep() {
    if (busy_) *busy_ = false;
    --chainDepth;
  }
  TChainStep(const TChainStep&) = delete;
  TChainStep& operator=(const TChainStep&) = delete;

 private:
  bool* busy_;
};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool ParseInteger(std::string_view text, int32_t& value) {
  return !text.empty() && TryTextToInt(text, value);
}

bool ParseNumber(std::string_view text, double& value) {
  return !text.empty() && TryTextToFloat(text, value) && std::isfinite(value);
}

std::shared_ptr<const std::vector<std::string>> SplitList(std::string_view text) {
  return std::make_shared<const std::vector<std::string>>(SplitString(text, ';'));
}

std::string JoinList(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) text += ';';
    text += item;
  }
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Text forms

bool SplitOnce(std::string_view text, char separator, std::string_view& head,
               std::string_view& rest) {
  size_t at = text.find(separator);
  if (at == std::string_view::npos || at == 0) return false;
  head = text.substr(0, at);
  rest = text.substr(at + 1);
  return true;
}

std::string_view GetCommandArgument(std::string_view text) {
  std::string_view head, rest;
  return SplitOnce(text, ':', head, rest) ? rest : text;
}

TFlashDuration TFlashDuration::Parse(std::string_view text) {
  TFlashDuration d;
  if (text.empty()) return d;
  if (text == "waitmouseup") {
    d.waitMouseUp = true;
    return d;
  }
  std::string_view head, rest;
  if (!SplitOnce(text, ':', head, rest)) {
    d.valid = ParseInteger(text, d.configured);
  } else if (head == "rnd") {
    // rnd:R draws from a base of -1, rnd:B:R from B.
    std::string_view base, range;
    if (SplitOnce(rest, ':', base, range))
      d.valid = ParseInteger(base, d.configured) && ParseInteger(range, d.range);
    else
      d.valid = ParseInteger(rest, d.range);
  } else if (head == "playsound") {
    d.soundTimed = true;
    std::string_view name = rest, times, after, fallback;
    if (SplitOnce(rest, ':', name, times)) {
      if (!SplitOnce(times, ':', after, fallback)) after = times;
      d.valid = ParseInteger(after, d.range) &&
                (fallback.empty() || ParseInteger(fallback, d.configured));
    }
    d.soundName = std::string(name);
  } else {
    d.valid = false;
  }
  if (!d.valid) {
    d = TFlashDuration();
    d.valid = false;
  }
  return d;
}

std::string TFlashDuration::ToString() const {
  if (waitMouseUp) return "waitmouseup";
  if (soundTimed) {
    std::string text = "playsound:" + soundName;
    // The delay is written whenever a fallback follows, or the fallback would read back
    // as the delay.
    if (range > 0 || configured >= 0) text += ":" + std::to_string(range);
    if (configured >= 0) text += ":" + std::to_string(configured);
    return text;
  }
  if (range >= 1) {
    std::string text = "rnd";
    if (configured != -1) text += ":" + std::to_string(configured);
    return text + ":" + std::to_string(range);
  }
  return configured == -1 ? std::string() : std::to_string(configured);
}

TFlashValue TFlashValue::Parse(std::string_view text) {
  TFlashValue v;
  std::string_view flags, rest;
  v.target = std::string(text);
  if (!SplitOnce(text, ':', flags, rest)) return v;
  // The head is flags only when every word is one; else the colon is the value's own.
  TFlashValue flagged;
  for (const std::string& word : SplitString(flags, '_')) {
    if (word == "rnd")
      flagged.rnd = true;
    else if (word == "inc")
      flagged.inc = true;
    else if (word == "str")
      flagged.str = true;
    else if (word == "int")
      flagged.numeric = kInteger;
    else if (word == "float")
      flagged.numeric = kFloat;
    else
      return v;
  }
  flagged.target = std::string(rest);
  return flagged;
}

bool TFlashValue::IsInteger(std::string_view property) const {
  if (numeric != kByName) return numeric == kInteger;
  return !(property == "anchor_left" || property == "anchor_top" || property == "zoom" ||
           property == "zoomx" || property == "zoomy" || property == "angle");
}

std::string TFlashValue::ToString(std::string_view property) const {
  std::string text = IsInteger(property) ? "int" : "float";
  if (rnd) text += "_rnd";
  if (inc) text += "_inc";
  // A text value read back without its flag would no longer be a text.
  if (str) text += "_str";
  return text + ":" + target;
}

bool ParseFlashRange(std::string_view text, double& base, double& span) {
  std::string_view a, b;
  if (SplitOnce(text, ':', a, b)) return ParseNumber(a, base) && ParseNumber(b, span);
  if (SplitOnce(text, '-', a, b)) {
    double end = 0;
    if (!ParseNumber(a, base) || !ParseNumber(b, end)) return false;
    span = end - base;
    return true;
  }
  base = 0;
  return ParseNumber(text, span);
}

// ---------------------------------------------------------------------------------------
// Life

void TFlashScenario::Init() {
  TAbstractWidget::Init();
  previousList_ = SplitList({});
  nextList_ = SplitList({});
}

TFlashScenario::~TFlashScenario() = default;

void TFlashScenario::SetOwner(IWidgetOwner* owner) {
  TAbstractWidget::SetOwner(owner);
  widgetsOwner_ = nullptr;
  widgetsOwnerResolved_ = false;
  SetLinkedWidget(nullptr);
  linkedPending_ = true;
  running_ = false;
}

void TFlashScenario::ReleaseOwner() {
  widgetsOwner_ = nullptr;
  widgetsOwnerResolved_ = false;
  SetLinkedWidget(nullptr);
  // The run's values may hold widgets; the step's own lists stay.
  entries_.clear();
  TAbstractWidget::ReleaseOwner();
}

void TFlashScenario::Defer(TPending what) {
  if (what == TPending::Restart || pending_ == TPending::None) pending_ = what;
  // A restart unpauses the step, which its owner then updates; the update of this frame
  // is over for it.
  if (what == TPending::Restart) paused_ = false;
  updated_ = true;
}

void TFlashScenario::SetPaused(bool value) {
  if (!resetByPause_) return TAbstractWidget::SetPaused(value);
  if (value)
    Pause();
  else
    Restart();
}

void TFlashScenario::Restart() {
  if (starting_ || completing_ || chainDepth >= kMaxChainDepth) return Defer(TPending::Restart);
  Ref<IWidget> keep(this);
  pending_ = TPending::None;
  TChainStep step;
  // The restart's update of 0 starts the run, once.
  running_ = false;
  TAbstractWidget::Restart();
}

void TFlashScenario::Pause() {
  if (completing_) return;  // being completed already
  if (starting_ || chainDepth >= kMaxChainDepth) return Defer(TPending::Complete);
  Ref<IWidget> keep(this);
  TChainStep step(&completing_);
  if (!running_) Start();
  TAbstractWidget::Pause();
  Finish();
}

// ---------------------------------------------------------------------------------------
// A run

void TFlashScenario::Start() {
  if (starting_) return;
  Ref<IWidget> keep(this);
  TChainStep step(&starting_);
  StartDuration();
  ResolveWidgets();
  runAction_ = linked_ ? actionType_ : uint8_t(atIdle);
  if (runAction_ != atIdle && !PrepareEntries()) runAction_ = atIdle;
  if (linked_ && showOnStart_) linked_->SetVisible(true);
  currentTime_ = 0;
  std::shared_ptr<const std::vector<std::string>> list = previousList_;
  RunCommands(*list, false);
  armed_ = false;
  running_ = true;
}

void TFlashScenario::StartDuration() {
  if (duration_.soundTimed) {
    IEngine* engine = owner_ ? owner_->GetEngine() : nullptr;
    if (sound_ == 0 || !engine || !engine->IsSoundPlaying(sound_))
      sound_ = PlaySound(duration_.soundName, true, 100, 0);
    waitingForSound_ = sound_ != 0;
    if (waitingForSound_) {
      delayAfterSound_ = duration_.range;
      currentDuration_ = delayAfterSound_;
      limited_ = false;
    } else {
      delayAfterSound_ = 0;
      currentDuration_ = duration_.configured;
      limited_ = currentDuration_ >= 0;
    }
    return;
  }
  waitingForSound_ = false;
  currentDuration_ = duration_.configured;
  if (duration_.range >= 1)
    currentDuration_ = SaturateInt32(int64_t(Random(duration_.range)) + duration_.configured + 1);
  limited_ = currentDuration_ >= 0;
}

void TFlashScenario::ResolveWidgets() {
  if (!owner_) {
    widgetsOwner_ = nullptr;
    widgetsOwnerResolved_ = false;
    return;
  }
  if (!widgetsOwnerResolved_) {
    widgetsOwner_ = owner_->FindWidget(widgetsOwnerName_);
    widgetsOwnerResolved_ = true;
  }
  if (!linkedPending_) return;
  linkedPending_ = false;
  Ref<IWidget> linkedOwner =
      linkedOwnerName_.empty() ? widgetsOwner_ : owner_->FindWidget(linkedOwnerName_);
  bool named =
      !linkedOwnerName_.empty() || !linkedWidgetName_.empty() || !widgetsOwnerName_.empty();
  if (named && widgetsOwner_)
    SetLinkedWidget(linkedOwner ? linkedOwner->FindWidget(linkedWidgetName_) : nullptr);
  linkedPending_ = false;
}

bool TFlashScenario::PrepareEntries() {
  size_t count = propertyNames_.size();
  if (count != values_.size()) return false;
  entries_.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const std::string& name = propertyNames_[i];
    const TFlashValue& value = values_[i];
    TRunEntry& e = entries_[i];
    e = TRunEntry{};
    e.integer = value.IsInteger(name);
    if (linkedObject_) e.byName = !linkedObject_->ResolveProperty(name, e.reader, e.writer);
    Variant start = linked_->GetProperty(name);
    double s = 0;
    if (!start.IsClear() && !value.str) {
      auto number = start.TryDouble();
      if (!number || !std::isfinite(*number)) return false;
      s = *number;
    }
    if (runAction_ == atTracking) {
      double base = 0, span = 0;
      if (!ParseFlashRange(value.target, base, span)) return false;
      if (value.inc) base += s;
      e.low = base;
      e.high = base + span;
      continue;
    }
    if (value.str) {
      e.skip = true;
      e.end = value.inc ? Variant(start.ToString() + ";" + value.target) : Variant(value.target);
      continue;
    }
    double end = 0;
    if (value.rnd) {
      double base = 0, span = 0;
      if (!ParseFlashRange(value.target, base, span)) return false;
      end = base + span * RandomFloat();
      if (e.integer) end = double(RoundHalfEven64(end));
    } else if (!ParseNumber(value.target, end)) {
      return false;
    }
    double delta = end;
    if (currentDuration_ >= 1) {
      if (value.inc)
        end = s + delta;
      else
        delta = end - s;
    }
    e.start = s;
    e.startInt = RoundHalfEven(s);
    e.delta = delta;
    e.end = e.integer ? Variant(RoundHalfEven(end)) : Variant(end);
  }
  return true;
}

void TFlashScenario::WriteValue(size_t index, const Variant& value) {
  const TRunEntry& e = entries_[index];
  if (!e.skip && !e.byName && linkedObject_)
    return linkedObject_->WriteNumber(e.writer, value.ToDouble());
  linked_->SetProperty(propertyNames_[index], value);
}

bool TFlashScenario::ReadValue(size_t index, double& value) {
  const TRunEntry& e = entries_[index];
  if (!e.byName && linkedObject_) return linkedObject_->ReadNumber(e.reader, value);
  Variant read = linked_->GetProperty(propertyNames_[index]);
  if (read.IsClear()) return false;
  auto number = read.TryDouble();
  if (number) value = *number;
  return number.has_value();
}

void TFlashScenario::Interpolate() {
  size_t count = std::min(entries_.size(), propertyNames_.size());
  double t = currentDuration_ >= 1 ? double(currentTime_) / double(currentDuration_)
                                   : double(currentTime_);
  for (size_t i = 0; i < count; ++i) {
    const TRunEntry& e = entries_[i];
    if (e.skip) continue;
    if (e.integer) {
      int32_t v = SaturateInt32(RoundHalfEven64(double(e.startInt) + e.delta * t));
      if (!e.byName && linkedObject_)
        linkedObject_->WriteNumber(e.writer, double(v));
      else
        linked_->SetProperty(propertyNames_[i], Variant(v));
    } else {
      double v = e.start + e.delta * t;
      if (!e.byName && linkedObject_)
        linkedObject_->WriteNumber(e.writer, v);
      else
        linked_->SetProperty(propertyNames_[i], Variant(v));
    }
    if (!linked_) return;  // a property write may have released the step
  }
}

bool TFlashScenario::TrackingReached() {
  size_t count = std::min(entries_.size(), propertyNames_.size());
  for (size_t i = 0; i < count; ++i) {
    double v = 0;
    if (!ReadValue(i, v) || !(entries_[i].low <= v && v < entries_[i].high)) return false;
  }
  return true;
}

void TFlashScenario::Update(int32_t dt) {
  Ref<IWidget> keep(this);
  if (pending_ != TPending::None) {
    TPending what = std::exchange(pending_, TPending::None);
    if (what == TPending::Restart)
      Restart();
    else
      Pause();
    return;
  }
  TAbstractWidget::Update(dt);
  if (!running_) {
    Start();
    bool goOn = runAction_ == atIdle || runAction_ == atTracking || currentDuration_ == 0;
    if (!goOn || currentDuration_ == 1) return;
  }
  if (waitingForSound_) {
    IEngine* engine = owner_ ? owner_->GetEngine() : nullptr;
    if (!engine || !engine->IsSoundPlaying(sound_)) {
      waitingForSound_ = false;
      sound_ = 0;
      if (delayAfterSound_ < 1) return Pause();
      limited_ = true;
      currentDuration_ = SaturateInt32(int64_t(currentTime_) + delayAfterSound_);
      return;
    }
  }
  if (limited_ && currentTime_ >= currentDuration_) return Pause();
  if (!linked_) return;
  if (runAction_ == atLinear)
    Interpolate();
  else if (runAction_ == atTracking && TrackingReached())
    Pause();
}

void TFlashScenario::Finish() {
  Ref<IWidget> keep(this);
  if (waitingForSound_) {
    StopSound(duration_.soundName);
    waitingForSound_ = false;
    sound_ = 0;
    currentDuration_ = 0;
  }
  if (Ref<IWidget> linked = linked_) {
    if (runAction_ == atLinear) {
      size_t count = std::min(entries_.size(), propertyNames_.size());
      for (size_t i = 0; i < count && linked_; ++i) WriteValue(i, entries_[i].end);
    }
    if (hideOnEnd_) linked->SetVisible(false);
    if (linkedDeadOnEnd_) linked->SetDead(true);
  }
  running_ = false;
  if (deadOnEnd_) SetDead(true);
  RunNext();
}

// ---------------------------------------------------------------------------------------
// Lists and commands

void TFlashScenario::RunNext() {
  if (StartsWith(next_, "closegamescreen") || StartsWith(next_, "showgamescreen")) {
    std::string command = next_;
    if (command[0] == 'c')
      CloseGameScreen(GetCommandArgument(command));
    else
      ShowGameScreen(GetCommandArgument(command));
    return;
  }
  std::shared_ptr<const std::vector<std::string>> list = nextList_;
  RunCommands(*list, true);
}

void TFlashScenario::RunCommands(const std::vector<std::string>& list, bool start) {
  Ref<IWidget> owner = widgetsOwner_;
  if (!owner) return;
  for (const std::string& entry : list) {
    Ref<IWidget> widget;
    std::string_view command, argument;
    if (SplitOnce(entry, ':', command, argument)) {
      if (command == "rnd") {
        TOneArrayOfString names = SplitString(argument, ',');
        if (!names.empty())
          widget = owner->FindWidget(names[size_t(Random(int32_t(names.size())))]);
      } else if (command == "playsound") {
        PlaySound(std::string(argument), true, 100, 0);
      } else if (command == "playmusic") {
        PlayMusic(argument, true);
      } else if (command == "stopsound") {
        StopSound(std::string(argument));
      } else if (command == "stopmusic") {
        PlayMusic(argument, false);
      }
    } else {
      widget = owner->FindWidget(entry);
    }
    if (!widget) continue;
    if (start) {
      if (playNext_)
        widget->Restart();
      else
        widget->SetPaused(false);
    } else {
      if (stopPrevious_)
        widget->Pause();
      else
        widget->SetPaused(true);
    }
    widget->SetVisible(start);
  }
}

void TFlashScenario::PlayMusic(std::string_view name, bool play) {
  IEventHandler* handler = owner_ ? owner_->GetEventHandler() : nullptr;
  auto* screen = InterfaceCast<IGameScreenSlave>(handler);
  IEngine* engine = owner_ ? owner_->GetEngine() : nullptr;
  if (!screen || !engine) return;
  Ref<IMusicCollection> musics = screen->GetMusics();
  Ref<IMusic> music = musics ? musics->FindMusic(Variant(name)) : nullptr;
  if (!music) return;
  if (play)
    engine->PlayMusic(music);
  else
    engine->StopMusic(music);
}

void TFlashScenario::CloseGameScreen(std::string_view argument) {
  IEventHandler* handler = owner_ ? owner_->GetEventHandler() : nullptr;
  IGameScreenOwner* screens = handler ? handler->GetGameScreenOwner() : nullptr;
  auto* screen = InterfaceCast<IGameScreenSlave>(handler);
  if (!screens || !screen) return;
  Ref<IParamCollection> result;
  if (!argument.empty() && argument != "closegamescreen") result = ParamsFromString(argument);
  screens->CloseScreen(screen, result);
}

void TFlashScenario::ShowGameScreen(std::string_view argument) {
  IEventHandler* handler = owner_ ? owner_->GetEventHandler() : nullptr;
  IGameScreenOwner* screens = handler ? handler->GetGameScreenOwner() : nullptr;
  if (!screens) return;
  std::string_view name = argument, params;
  if (SplitOnce(argument, ':', name, params))
    screens->ShowScreen(std::string(name), ParamsFromString(params));
  else
    screens->ShowScreen(std::string(argument), nullptr);
}

// ---------------------------------------------------------------------------------------
// Mouse

Ref<IWidget> TFlashScenario::WidgetAtPos(const TPoint&) {
  return IsMouseStop() ? Ref<IWidget>(this) : nullptr;
}

bool TFlashScenario::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool handled = TAbstractWidget::HandleMouse(message, point, keys);
  if (!IsMouseStop()) return handled;
  if (input::IsButtonDown(message)) {
    armed_ = true;
  } else if (input::IsButtonUp(message) && (armed_ || duration_.waitMouseUp)) {
    Pause();
  }
  return handled;
}

// ---------------------------------------------------------------------------------------
// Properties and XML

std::string TFlashScenario::GetPropertyNames() const {
  return JoinList(propertyNames_);
}

void TFlashScenario::SetPropertyNames(const std::string& text) {
  propertyNames_ = SplitString(text, ';');
}

std::string TFlashScenario::GetValues() const {
  std::string text;
  for (const TFlashValue& value : values_) {
    if (!text.empty()) text += ';';
    text += value.target;
  }
  return text;
}

void TFlashScenario::SetValues(const std::string& text) {
  values_.clear();
  for (const std::string& item : SplitString(text, ';'))
    values_.push_back(TFlashValue::Parse(item));
}

void TFlashScenario::SetPrevious(const std::string& text) {
  previous_ = text;
  previousList_ = SplitList(text);
}

void TFlashScenario::SetNext(const std::string& text) {
  next_ = text;
  nextList_ = SplitList(text);
}

void TFlashScenario::SetActionType(int32_t value) {
  if (value >= atLinear && value <= atTracking) actionType_ = uint8_t(value);
}

void TFlashScenario::SetLinkedWidget(const Ref<IWidget>& widget) {
  linked_ = widget;
  linkedObject_ = InterfaceCast<TPropertyObject>(linked_.get());
  linkedPending_ = false;
}

void TFlashScenario::LoadDuration(const Ref<IHierStorage>& node) {
  std::string text = ReadXmlStr(node, "duration");
  duration_ = TFlashDuration::Parse(text);
  if (!duration_.valid)
    Warn(StorageDataFile(node), "flash_scenario \"" + name_ + "\": duration \"" + text +
                                    "\" not understood; the step has no duration");
}

void TFlashScenario::SaveDuration(const Ref<IHierStorage>& node) {
  std::string text = duration_.ToString();
  WriteXmlStr(node, "duration", text, !text.empty());
}

void TFlashScenario::LoadEntries(const Ref<IHierStorage>& node) {
  propertyNames_.clear();
  values_.clear();
  if (actionType_ == atIdle) return;
  SetPropertyNames(ReadXmlStr(node, "properties"));
  SetValues(ReadXmlStr(node, "value"));
  if (propertyNames_.size() != values_.size())
    Warn(StorageDataFile(node),
         "flash_scenario \"" + name_ + "\": " + std::to_string(propertyNames_.size()) +
             " properties but " + std::to_string(values_.size()) + " values; the step only waits");
}

void TFlashScenario::SaveEntries(const Ref<IHierStorage>& node) {
  if (actionType_ == atIdle || propertyNames_.empty()) return;
  WriteXmlStr(node, "properties", GetPropertyNames(), true);
  std::string text;
  for (size_t i = 0; i < values_.size(); ++i) {
    if (i) text += ';';
    text += values_[i].ToString(i < propertyNames_.size() ? propertyNames_[i] : std::string());
  }
  WriteXmlStr(node, "value", text, true);
}

const TPropertyTable& TFlashScenario::Properties() {
  using F = TFlashScenario;
  static const TPropertyTable table(
      TAbstractWidget::Properties(),
      {
          Prop("widgets_owner", &F::widgetsOwnerName_).Str(),
          Prop("linked_owner", &F::linkedOwnerName_).Str(),
          Prop("linked_widget_name", &F::linkedWidgetName_).Str(),
          Prop<F>(
              "duration", [](F& f) { return f.duration_.configured; }, &F::SetConfiguredDuration)
              .Xml(&F::LoadDuration, &F::SaveDuration),
          Prop<F>(
              "actiontype", [](F& f) { return int32_t(f.actionType_); }, &F::SetActionType)
              .Enum(kActionTypes, 0),
          // "value" is read and written with "properties", after "actiontype".
          Prop<F>("properties", &F::GetPropertyNames, &F::SetPropertyNames)
              .Xml(&F::LoadEntries, &F::SaveEntries),
          Prop<F>("value", &F::GetValues, &F::SetValues),
          Prop("show_on_start", &F::showOnStart_).Bool(),
          Prop("hide_on_end", &F::hideOnEnd_).Bool(),
          Attr("dead_on_end", &F::deadOnEnd_).Bool(),
          Attr("linked_dead_on_end", &F::linkedDeadOnEnd_).Bool(),
          Attr("play_next", &F::playNext_).Bool(true),
          Attr("stop_previos", &F::stopPrevious_).Bool(),
          Attr("mousestop", &F::mouseStop_).Bool([](F& f) { return f.duration_.waitMouseUp; }),
          Attr("reset_by_pause", &F::resetByPause_).Bool(),
          Prop<F>("previos", &F::GetPrevious, &F::SetPrevious).Str(),
          Prop<F>("next", &F::GetNext, &F::SetNext).Str(),
          Attr("z", &F::z_).Int(),
          Prop<F>(
              "widget", [](F& f) { return f.linked_; }, &F::SetLinkedWidget),
      });
  return table;
}
