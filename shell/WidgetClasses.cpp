// The widget base: owner, clock, flags, sounds, properties, paths and the function widget.

#include "shell/WidgetClasses.h"

#include "engine/EngineSounds.h"
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
  LoadObject(function, child);
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
  if (soundCollectionMaker) return soundCollectionMaker();
  return TAbstractObject::Create<TSoundCollection>();
}

void RemoveAllChildren(IWidgetCollection* children) {
  if (!children) return;
  for (int i = 0; i < children->Count(); ++i)
    if (Ref<IWidget> child = children->GetByIndex(i)) child->SetDead(true);
  children->RemoveDead();
  children->Clear();
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
  if (!extraParams_)
    extraParams_ = Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
  // A new name may answer before a row the function widget is bound to.
  if (!extraParams_->FindParam(Variant(name))) bindingsValid_ = false;
  extraParams_->SetValue(name, value);
}

std::string TAbstractWidget::GetPath() {
  std::string path = owner_ ? owner_->GetPath() : std::string();
  if (!name_.empty()) path.append(1, '/').append(name_);
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
  return PlaySoundWithValues(*engine, sound, volume, pan);
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

const TPropertyTable& TAbstractWidget::Properties() {
  using W = TAbstractWidget;
  static const TPropertyTable table(
      TPropertyObject::Properties(),
      {
          Attr("paused", &W::paused_).Bool().Always(),
          // The clock starts from the file's "currenttime", and again on every restart.
          Attr<W>(
              "currenttime", [](W& w) { return w.startTime_; },
              [](W& w, int32_t time) { w.startTime_ = w.currentTime_ = time; })
              .Int(),
          Prop("timetolive", &W::timeToLive_).Int(),
          Prop("time_rate", &W::timeRate_).Float(1.0),
          Attr("aliases", &W::aliases_).Str(),
          Attr("redefinedparams", &W::redefinedParams_).Str(),
          Custom<W>("extraparams", &W::LoadExtraParams, &W::SaveExtraParams),

          Prop("anchor_left", &W::GetAnchorLeft, &W::SetAnchorLeft).Coordinate(),
          Prop("anchor_top", &W::GetAnchorTop, &W::SetAnchorTop).Coordinate(),
          Prop("transparentlevel", &W::GetTransparentLevel, &W::SetTransparentLevel),
          Prop("left", &W::GetLeft),
          Prop("top", &W::GetTop),
          Prop("width", &W::GetWidth),
          Prop("height", &W::GetHeight),
          Prop("currenttime", &W::currentTime_).Redraws(),
          Prop("image", &W::GetImage),
          Prop<W>("mouse_x", [](W& w) { return w.MousePos().X; }),
          Prop<W>("mouse_y", [](W& w) { return w.MousePos().Y; }),

          Prop<W>("owner", [](W& w) { return Variant(Ref<IInterface>(w.owner_)); }).AfterAliases(),
          Prop("z", &W::GetZ, &W::SetZ).AfterAliases(),
          Prop("paused", &W::IsPaused, &W::SetPaused).AfterAliases(),
          Prop("visible", &W::IsVisible, &W::SetVisible).AfterAliases(),
          Prop("enabled", &W::IsEnabled, &W::SetEnabled).AfterAliases(),
          Prop("tabstop", &W::IsTabStop, &W::SetTabStop).AfterAliases(),
          Prop("mousestop", &W::IsMouseStop, &W::SetMouseStop).AfterAliases(),
          Prop("dead", &W::IsDead, &W::SetDead).AfterAliases(),
      });
  return table;
}

TPoint TAbstractWidget::MousePos() const {
  return owner_ ? owner_->GetMousePos() : TPoint{};
}

void TAbstractWidget::LoadExtraParams(const Ref<IHierStorage>& node) {
  std::string extra = ReadXmlStr(node, "extraparams");
  extraParams_ = extra.empty() ? nullptr : ParamsFromString(extra);
}

void TAbstractWidget::SaveExtraParams(const Ref<IHierStorage>& node) {
  if (!extraParams_ || extraParams_->Count() == 0) return;
  std::string text;
  for (int i = 0; i < extraParams_->Count(); ++i)
    if (Ref<IParam> p = extraParams_->FindParam(Variant(i)))
      text.append(1, '\\').append(p->GetName()).append(1, '=').append(p->GetValue().ToString());
  WriteXmlStr(node, "extraparams", text, true);
}

bool TAbstractWidget::HasExtraParam(const std::string& name) const {
  return extraParams_ && extraParams_->FindParam(Variant(name));
}

void TAbstractWidget::PropertyChanged(const TPropertyRow& row) {
  if (row.Redraws()) SetNeedsRedraw(true);
}

Variant TAbstractWidget::DoGetProperty(const std::string& name) {
  // A path: the widget it leads to answers the rest.
  if (IsPath(name)) {
    std::string_view head, rest;
    SplitWidgetPath(name, head, rest);
    Ref<IWidget> widget = FindWidget(head);
    return widget ? widget->GetProperty(std::string(rest)) : Variant::Null();
  }
  const TPropertyRow* row = Properties().Reader(name);
  if (row && !row->AfterAliases()) return row->Get(*this);
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
  return row ? row->Get(*this) : Variant::Null();
}

void TAbstractWidget::SetProperty(const std::string& name, const Variant& value) {
  // A path: the widget it leads to takes the rest.
  if (IsPath(name)) {
    std::string_view head, rest;
    SplitWidgetPath(name, head, rest);
    if (Ref<IWidget> widget = FindWidget(head)) widget->SetProperty(std::string(rest), value);
    return;
  }
  const TPropertyRow* row = Properties().Writer(name);
  if (row && !row->AfterAliases()) return WriteProperty(*row, value);
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
  if (row) WriteProperty(*row, value);
}

bool TAbstractWidget::ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                                      const TPropertyRow*& writer) {
  reader = writer = nullptr;
  if (IsPath(name)) return false;
  reader = Properties().Reader(name);
  writer = Properties().Writer(name);
  // A name no row answers may be answered by code of a class's own.
  if (!reader && !writer) return false;
  bool shadowable = !reader || reader->AfterAliases() || !writer || writer->AfterAliases();
  std::string_view aliases;
  return !(shadowable && (FindAliases(name, aliases) || HasExtraParam(name)));
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

TAbstractWidget::TBinding TAbstractWidget::Bind(int32_t index, std::string property) {
  TBinding binding;
  binding.index = index;
  binding.byName = !ResolveProperty(property, binding.reader, binding.writer);
  binding.property = std::move(property);
  return binding;
}

// The named outputs and inputs, looked up once: the per-frame path then reads and writes
// through the properties' rows and allocates nothing.
void TAbstractWidget::BindFunction() {
  outputs_.clear();
  inputs_.clear();
  bindingsValid_ = true;
  if (!function_) return;
  for (int32_t i = 0; i < function_->GetOutputCount(); ++i)
    if (std::string name = function_->GetParamName(0, i); !name.empty())
      outputs_.push_back(Bind(i, std::move(name)));
  for (int32_t i = 0; i < function_->GetInputCount(); ++i)
    if (std::string name = function_->GetParamName(1, i); !name.empty())
      inputs_.push_back(Bind(i, std::move(name)));
}

bool TAbstractWidget::ReadBound(const TBinding& binding, double& value) {
  if (!binding.byName) return ReadNumber(binding.reader, value);
  Variant read = GetProperty(binding.property);
  if (read.IsClear()) return false;
  auto number = read.TryDouble();
  if (number) value = *number;
  return number.has_value();
}

void TAbstractWidget::PushFunctionInputs() {
  double value = 0;
  for (const TBinding& b : outputs_) {
    try {
      if (ReadBound(b, value)) function_->SetOutput(b.index, float(value));
    } catch (const std::exception&) {
    }
  }
  for (const TBinding& b : inputs_) {
    try {
      if (ReadBound(b, value)) function_->SetInput(b.index, float(value));
    } catch (const std::exception&) {
    }
  }
}

void TAbstractWidget::PullFunctionOutputs() {
  for (const TBinding& b : outputs_) {
    try {
      double value = function_->GetOutput(b.index);
      if (b.byName)
        SetProperty(b.property, Variant(value));
      else
        WriteNumber(b.writer, value);
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
// XML: the attributes are rows; the children here.

void TAbstractWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TPropertyObject::LoadFromXml(node);
  sounds_ = nullptr;
  if (node && node->GetChildCount("sounds") > 0)
    if ((sounds_ = NewSoundCollection())) LoadObjectFromChild(sounds_, node, "sounds");
  SetFunctionWidget(LoadFunctionWidget(node));
}

void TAbstractWidget::SaveToXml(const Ref<IHierStorage>& node) {
  TPropertyObject::SaveToXml(node);
  if (sounds_ && sounds_->Count() > 0) SaveObjectToChild(sounds_, node, "sounds");
  if (function_) SaveObjectToChild(function_, node, "function_widget");
}
