// The widget base: owner, clock, flags, sounds, properties, paths and the function widget.

#include "shell/WidgetClasses.h"

#include "foundation/CheckedMath.h"
#include "foundation/Routines.h"
#include "shell/WidgetFactories.h"

namespace {

TSoundCollectionMaker soundCollectionMaker = nullptr;

// The function widget of a "function_widget" element: created by its "type", named, loaded
// when it loads itself; kept only when it is a function.
Ref<IFunction> LoadFunctionWidget(const Ref<IHierStorage>& node) {
  if (!node || node->GetChildCount("function_widget") == 0) return nullptr;
  Ref<IHierStorage> child = node->GetChild("function_widget", 0);
  Ref<IFunction> function = Supports<IFunction>(CreateRegisteredObject(ReadXmlStr(child, "type")));
  if (!function) return nullptr;
  std::string name = ReadXmlStr(child, "name");
  if (!name.empty()) function->SetName(name);
  LoadObject(Ref<IInterface>(function.get()), child);
  return function;
}

// Whether Text holds "/" (a property behind a widget path).
bool IsPath(std::string_view text) {
  return text.find('/') != std::string_view::npos;
}

}  // namespace

void SetSoundCollectionMaker(TSoundCollectionMaker maker) {
  soundCollectionMaker = maker;
}

Ref<ISoundCollection> NewSoundCollection() {
  return soundCollectionMaker ? soundCollectionMaker() : nullptr;
}

void DrawChildAt(IWidget* widget, ISurface* surface, int32_t x, int32_t y) {
  widget->Draw(surface, SaturateInt32(int64_t(x) + RoundHalfEven(widget->GetAnchorLeft())),
               SaturateInt32(int64_t(y) + RoundHalfEven(widget->GetAnchorTop())));
}

// ---------------------------------------------------------------------------------------
// Life

void TAbstractWidget::Init() {
  TPropertyObject::Init();
  elementName_ = "widget";
  timeRate_ = 1.0;
  initialPost_ = true;
}

TAbstractWidget::~TAbstractWidget() = default;

void TAbstractWidget::SetOwner(IWidgetOwner* owner) {
  owner_ = owner;
  ApplyRedefinedParams();
  if (!function_) return;
  function_->SetOwner(nullptr);
  RestartFunction();
  if (!paused_) EvaluateFunction();
}

void TAbstractWidget::ReleaseOwner() {
  if (function_) function_->Clear();
  owner_ = nullptr;
}

void TAbstractWidget::Process(int32_t dt) {
  if (timeRate_ != 1.0) dt = TruncSat(timeRate_ * double(dt));
  Update(dt);
}

void TAbstractWidget::Update(int32_t dt) {
  updated_ = true;
  currentTime_ = SaturateInt32(int64_t(currentTime_) + dt);
  if (timeToLive_ > 0 && currentTime_ >= timeToLive_) SetDead(true);
  EvaluateFunction();
}

void TAbstractWidget::Restart() {
  currentTime_ = 0;
  paused_ = false;
  ApplyRedefinedParams();
  RestartFunction();
  Update(0);
}

void TAbstractWidget::Show(bool value) {
  SetVisible(value);
  SetPaused(!value);
}

void TAbstractWidget::UpdateDirtyRects(bool, bool) {
  updated_ = false;
  invalidated_ = false;
}

void TAbstractWidget::Reset() {
  TPropertyObject::Reset();
  extraParams_ = nullptr;
  sounds_ = nullptr;
  SetFunctionWidget(nullptr);
}

void TAbstractWidget::SetExtraParam(const std::string& name, const Variant& value) {
  if (!extraParams_) extraParams_ = Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
  extraParams_->SetValue(name, value);
}

std::string TAbstractWidget::GetPath() {
  std::string path = owner_ ? owner_->GetPath() : std::string();
  if (!name_.empty()) path += "/" + name_;
  return path;
}

// ---------------------------------------------------------------------------------------
// Geometry and input in the base: no place of its own

TPoint TAbstractWidget::ScreenToLocalPoint(const TPoint& point) {
  return owner_ ? owner_->ScreenToLocal(point) : point;
}

TRect TAbstractWidget::GetRect() {
  double left = GetLeft();
  double top = GetTop();
  return TRect{RoundHalfEven(left), RoundHalfEven(top), RoundHalfEven(left + GetWidth()),
               RoundHalfEven(top + GetHeight())};
}

bool TAbstractWidget::ContainsPoint(const TPoint& point, bool ignoreVisibility) {
  if (!ignoreVisibility && !IsVisible()) return false;
  TRect r = GetRect();
  return point.X >= r.Left && point.X <= r.Right && point.Y >= r.Top && point.Y <= r.Bottom;
}

Ref<IWidget> TAbstractWidget::WidgetAtPos(const TPoint& point) {
  if (IsVisible() && IsMouseStop() && ContainsPoint(point, false)) return Ref<IWidget>(this);
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// Sounds

Ref<ISound> TAbstractWidget::FindSound(const std::string& name) {
  if (sounds_)
    if (Ref<ISound> sound = sounds_->FindSound(Variant(name))) return sound;
  return owner_ ? owner_->FindSound(name) : nullptr;
}

AudioHandle TAbstractWidget::PlaySound(const std::string& name, bool useGivenValues, int32_t volume,
                                       int32_t pan) {
  Ref<ISound> sound = FindSound(name);
  IEngine* engine = owner_ ? owner_->GetEngine() : nullptr;
  if (!sound || !engine) return 0;
  if (!useGivenValues) return engine->PlaySound(sound);
  int32_t oldVolume = sound->GetVolume();
  int32_t oldPan = sound->GetPan();
  sound->SetVolume(volume);
  sound->SetPan(pan);
  AudioHandle channel = 0;
  try {
    channel = engine->PlaySound(sound);
  } catch (...) {
    sound->SetVolume(oldVolume);
    sound->SetPan(oldPan);
    throw;
  }
  sound->SetVolume(oldVolume);
  sound->SetPan(oldPan);
  return channel;
}

void TAbstractWidget::StopSound(const std::string& name) {
  Ref<ISound> sound = FindSound(name);
  IEngine* engine = owner_ ? owner_->GetEngine() : nullptr;
  if (sound && engine) engine->StopSound(sound);
}

// ---------------------------------------------------------------------------------------
// Paths

Ref<IWidget> TAbstractWidget::GetChildByKey(const Variant&) {
  return nullptr;
}

Ref<IWidget> TAbstractWidget::FindWidget(std::string_view path) {
  if (path.empty()) return Ref<IWidget>(this);
  std::string_view head, rest;
  SplitWidgetPath(path, head, rest);
  if (head == ".") return FindWidget(rest);
  if (head == "..") return owner_ ? owner_->FindWidget(rest) : nullptr;
  if (head == "window:") {
    IWindow* window = owner_ ? owner_->GetWindow() : nullptr;
    return window ? window->FindWidget(rest) : nullptr;
  }
  Ref<IWidget> child = GetChildByKey(Variant(head));
  if (child && !rest.empty()) return child->FindWidget(rest);
  return child;
}

// ---------------------------------------------------------------------------------------
// Properties

bool TAbstractWidget::FindAliases(std::string_view name, std::string_view& aliases) const {
  if (aliases_.empty() || name.empty()) return false;
  std::string_view text = aliases_;
  for (size_t at = text.find('\\'); at != std::string_view::npos; at = text.find('\\', at + 1)) {
    std::string_view entry = text.substr(at + 1);
    if (entry.size() <= name.size() || entry.compare(0, name.size(), name) != 0 ||
        entry[name.size()] != '=')
      continue;
    entry.remove_prefix(name.size() + 1);
    aliases = entry.substr(0, entry.find('\\'));
    return true;
  }
  return false;
}

bool TAbstractWidget::EnterAlias(std::string_view name) {
  if (aliasDepth_ >= kMaxAliasDepth) return false;
  for (int i = 0; i < aliasDepth_; ++i)
    if (aliasStack_[i] == name) return false;
  aliasStack_[aliasDepth_++] = name;
  return true;
}

Variant TAbstractWidget::DoGetProperty(const std::string& name) {
  if (IsPath(name)) {
    std::string_view head, rest;
    SplitWidgetPath(name, head, rest);
    Ref<IWidget> widget = FindWidget(head);
    return widget ? widget->GetProperty(std::string(rest)) : Variant::Null();
  }
  if (name == "anchor_left") return Variant(GetAnchorLeft());
  if (name == "anchor_top") return Variant(GetAnchorTop());
  if (name == "transparentlevel") return Variant(GetTransparentLevel());
  if (name == "left") return Variant(GetLeft());
  if (name == "top") return Variant(GetTop());
  if (name == "width") return Variant(GetWidth());
  if (name == "height") return Variant(GetHeight());
  if (name == "currenttime") return Variant(currentTime_);
  if (name == "timetolive") return Variant(timeToLive_);
  if (name == "time_rate") return Variant(timeRate_);
  if (name == "image") return Variant(Ref<IInterface>(GetImage().get()));
  if (name == "mouse_x" || name == "mouse_y") {
    TPoint p = owner_ ? owner_->GetMousePos() : TPoint{};
    return Variant(name == "mouse_x" ? p.X : p.Y);
  }
  std::string_view aliases;
  if (FindAliases(name, aliases)) {
    if (!EnterAlias(name)) return Variant::Null();
    Variant result = Variant::Null();
    for (const std::string& alias : SplitString(aliases, ',')) {
      if (alias == name) continue;
      Variant value = GetProperty(alias);
      if (!value.IsClear()) {
        result = value;
        break;
      }
    }
    LeaveAlias();
    return result;
  }
  if (extraParams_)
    if (Ref<IParam> param = extraParams_->FindParam(Variant(name))) return param->GetValue();
  if (name == "owner") return Variant(Ref<IInterface>(owner_));
  if (name == "z") return Variant(GetZ());
  if (name == "paused") return Variant(IsPaused());
  if (name == "visible") return Variant(IsVisible());
  if (name == "enabled") return Variant(IsEnabled());
  if (name == "tabstop") return Variant(IsTabStop());
  if (name == "mousestop") return Variant(IsMouseStop());
  if (name == "dead") return Variant(IsDead());
  return TPropertyObject::DoGetProperty(name);
}

void TAbstractWidget::SetProperty(const std::string& name, const Variant& value) {
  if (IsPath(name)) {
    std::string_view head, rest;
    SplitWidgetPath(name, head, rest);
    if (Ref<IWidget> widget = FindWidget(head)) widget->SetProperty(std::string(rest), value);
    return;
  }
  if (name == "anchor_left") {
    if (auto v = value.TryDouble()) SetAnchorLeft(*v);
  } else if (name == "anchor_top") {
    if (auto v = value.TryDouble()) SetAnchorTop(*v);
  } else if (name == "transparentlevel") {
    if (auto v = value.TryInt()) SetTransparentLevel(SaturateInt32(*v));
  } else if (name == "currenttime") {
    auto v = value.TryInt();
    if (v && SaturateInt32(*v) != currentTime_) {
      SetNeedsRedraw(true);
      currentTime_ = SaturateInt32(*v);
    }
  } else if (name == "timetolive") {
    if (auto v = value.TryInt()) timeToLive_ = SaturateInt32(*v);
  } else if (name == "time_rate") {
    if (auto v = value.TryDouble()) timeRate_ = *v;
  } else {
    std::string_view aliases;
    if (FindAliases(name, aliases)) {
      if (!EnterAlias(name)) return;
      for (const std::string& alias : SplitString(aliases, ','))
        if (alias != name) SetProperty(alias, value);
      LeaveAlias();
      return;
    }
    if (extraParams_)
      if (Ref<IParam> param = extraParams_->FindParam(Variant(name))) return param->SetValue(value);
    if (name == "z") {
      if (auto v = value.TryInt()) SetZ(SaturateInt32(*v));
    } else if (name == "paused") {
      if (auto v = value.TryBool()) SetPaused(*v);
    } else if (name == "visible") {
      if (auto v = value.TryBool()) SetVisible(*v);
    } else if (name == "enabled") {
      if (auto v = value.TryBool()) SetEnabled(*v);
    } else if (name == "tabstop") {
      if (auto v = value.TryBool()) SetTabStop(*v);
    } else if (name == "mousestop") {
      if (auto v = value.TryBool()) SetMouseStop(*v);
    } else if (name == "dead") {
      if (auto v = value.TryBool()) SetDead(*v);
    } else {
      TPropertyObject::SetProperty(name, value);
    }
  }
}

void TAbstractWidget::ApplyRedefinedParams() {
  if (redefinedParams_.empty()) return;
  for (const TNameValuePair& pair : SplitNameValuePairs(redefinedParams_, '\\', '=')) {
    if (pair.Name.empty()) continue;
    try {
      SetProperty(pair.Name, GetProperty(pair.Value));
    } catch (const std::exception&) {
      // A pair that cannot be copied is skipped; the next one follows.
    }
  }
}

// ---------------------------------------------------------------------------------------
// The function widget

void TAbstractWidget::SetFunctionWidget(const Ref<IFunction>& function) {
  function_ = function;
  bindingsValid_ = false;
  outputs_.clear();
  inputs_.clear();
}

// The named outputs and inputs, looked up once: the per-frame path then allocates nothing.
void TAbstractWidget::BindFunction() {
  outputs_.clear();
  inputs_.clear();
  bindingsValid_ = true;
  if (!function_) return;
  for (int32_t i = 0; i < function_->GetOutputCount(); ++i)
    if (std::string name = function_->GetParamName(0, i); !name.empty())
      outputs_.push_back({i, std::move(name)});
  for (int32_t i = 0; i < function_->GetInputCount(); ++i)
    if (std::string name = function_->GetParamName(1, i); !name.empty())
      inputs_.push_back({i, std::move(name)});
}

void TAbstractWidget::PushFunctionInputs() {
  for (const TBinding& b : outputs_) {
    try {
      Variant value = GetProperty(b.property);
      if (value.IsClear()) continue;
      if (auto v = value.TryDouble()) function_->SetOutput(b.index, float(*v));
    } catch (const std::exception&) {
    }
  }
  for (const TBinding& b : inputs_) {
    try {
      Variant value = GetProperty(b.property);
      if (value.IsClear()) continue;
      if (auto v = value.TryDouble()) function_->SetInput(b.index, float(*v));
    } catch (const std::exception&) {
    }
  }
}

void TAbstractWidget::PullFunctionOutputs() {
  for (const TBinding& b : outputs_) {
    try {
      SetProperty(b.property, Variant(double(function_->GetOutput(b.index))));
    } catch (const std::exception&) {
    }
  }
}

void TAbstractWidget::RestartFunction() {
  if (!function_) return;
  BindFunction();
  Ref<IFunction> keep = function_;
  PushFunctionInputs();
  keep->Execute();
  PullFunctionOutputs();
}

void TAbstractWidget::EvaluateFunction() {
  if (!function_) return;
  if (!bindingsValid_) BindFunction();
  Ref<IFunction> keep = function_;  // a property write may drop it
  PushFunctionInputs();
  keep->Calculate();
  if (function_ == keep) PullFunctionOutputs();
}

// ---------------------------------------------------------------------------------------
// XML

void TAbstractWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TPropertyObject::LoadFromXml(node);
  paused_ = ReadXmlBool(node, "paused", false);
  startTime_ = ReadXmlInt(node, "currenttime", 0);
  currentTime_ = startTime_;
  timeToLive_ = ReadXmlInt(node, "timetolive", 0);
  timeRate_ = ReadXmlFloat(node, "time_rate", 1.0);
  aliases_ = ReadXmlStr(node, "aliases");
  redefinedParams_ = ReadXmlStr(node, "redefinedparams");
  std::string extra = ReadXmlStr(node, "extraparams");
  extraParams_ = extra.empty() ? nullptr : ParamsFromString(extra);
  sounds_ = nullptr;
  if (node && node->GetChildCount("sounds") > 0)
    if ((sounds_ = NewSoundCollection())) LoadObjectFromChild(Ref<IInterface>(sounds_.get()), node, "sounds");
  SetFunctionWidget(LoadFunctionWidget(node));
}

void TAbstractWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TPropertyObject::SaveToXml(node);
  WriteXmlBool(node, "paused", paused_, true);
  WriteXmlInt(node, "currenttime", startTime_, startTime_ != 0);
  WriteXmlInt(node, "timetolive", timeToLive_, timeToLive_ != 0);
  WriteXmlFloat(node, "time_rate", timeRate_, timeRate_ != 1.0);
  WriteXmlStr(node, "aliases", aliases_, !aliases_.empty());
  WriteXmlStr(node, "redefinedparams", redefinedParams_, !redefinedParams_.empty());
  if (extraParams_ && extraParams_->Count() > 0) {
    std::string text;
    for (int i = 0; i < extraParams_->Count(); ++i)
      if (Ref<IParam> p = extraParams_->FindParam(Variant(i)))
        text += "\\" + p->GetName() + "=" + p->GetValue().ToString();
    WriteXmlStr(node, "extraparams", text, true);
  }
  if (sounds_ && sounds_->Count() > 0) SaveObjectToChild(Ref<IInterface>(sounds_.get()), node, "sounds");
  if (function_) SaveObjectToChild(Ref<IInterface>(function_.get()), node, "function_widget");
}
