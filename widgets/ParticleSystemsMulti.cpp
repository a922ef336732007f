// The multi particle system: particle types, their collection and the system.

#include "widgets/ParticleSystemsMulti.h"

#include <algorithm>
#include <cmath>

#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "widgets/ResourceWidgets.h"

namespace {

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

TRect Moved(const TRect& r, int64_t dx, int64_t dy) {
  return TRect{SaturateInt32(r.Left + dx), SaturateInt32(r.Top + dy), SaturateInt32(r.Right + dx),
               SaturateInt32(r.Bottom + dy)};
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TParticleType: loading and binding

void TParticleType::Init() {
  TPropertyObject::Init();
  elementName_ = "particle_type";
  paramSpace_ = Ref<IParamSpace>(TAbstractObject::Create<TParamSpace>().get());
}

TParticleType::~TParticleType() = default;

const TPropertyTable& TParticleType::Properties() {
  using T = TParticleType;
  static const TPropertyTable table(
      TPropertyObject::Properties(),
      {
          Attr("use_local_images", &T::useLocalImages_).Bool(false).Always(),
          Attr("static_images", &T::staticImages_).Bool(true).Always(),
          Attr("drawmode", &T::drawMode_).Enum(TImageWidget::kDrawModes, 1).Always(),
          Attr("blendingmode", &T::blendingMode_)
              .Enum(TImageWidget::kBlendingModes, bmNormal)
              .Always(),
          Attr("transparentlevel", &T::transparentLevel_).Int(255).Always(),
          Attr("particlestyle", &T::particleStyle_)
              .Enum("ordinary/afterglow", psOrdinary)
              .NotSaved(),
          Attr("alignToAnchor", &T::alignToAnchor_).Bool(false).NotSaved(),
      });
  return table;
}

void TParticleType::LoadFromXml(const Ref<IHierStorage>& node) {
  TPropertyObject::LoadFromXml(node);
  paramSpace_ = Ref<IParamSpace>(TAbstractObject::Create<TParamSpace>().get());
  LoadObjectFromChild(Ref<IInterface>(paramSpace_.get()), node, "paramspace");
  paramSpace_->SetOwnerSpace(nullptr);
  layout_.Build(paramSpace_.get());
  function_ = nullptr;
  if (node && node->GetChildCount("function") > 0) {
    function_ = Supports<IFunction>(CreateObjectFromChild(node, "function"));
    if (!function_)
      Warn(StorageDataFile(node),
           "particle_type \"" + name_ +
               "\": its \"function\" is of no function type; it emits nothing");
  }
  childTypes_ = nullptr;
  childList_.clear();
  if (node && node->GetChildCount("particle_types") > 0) {
    auto types = TAbstractObject::Create<TParticleTypeCollection>();
    childTypes_ = Ref<IParticleTypeCollection>(types.get());
    LoadObjectFromChild(Ref<IInterface>(types.get()), node, "particle_types");
    for (int i = 0; i < types->Count(); ++i)
      if (Ref<IParticleType> type = types->GetByKey(Variant(i))) childList_.push_back(type.get());
  }
  widgets_ = nullptr;
  if (node && node->GetChildCount("widgets") > 0) {
    widgets_ = TAbstractObject::Create<TWidgetCollection>();
    LoadObjectFromChild(Ref<IInterface>(static_cast<IWidgetCollection*>(widgets_.get())), node,
                        "widgets");
    // The widgets only lend their pictures.
    widgets_->Broadcast("visible", Variant(false));
  }
}

void TParticleType::SaveToXml(const Ref<IHierStorage>& node) {
  TPropertyObject::SaveToXml(node);
  SaveObjectToChild(Ref<IInterface>(paramSpace_.get()), node, "paramspace");
  if (function_) SaveObjectToChild(Ref<IInterface>(function_.get()), node, "function");
  if (childTypes_) SaveObjectToChild(Ref<IInterface>(childTypes_.get()), node, "particle_types");
  if (widgets_)
    SaveObjectToChild(Ref<IInterface>(static_cast<IWidgetCollection*>(widgets_.get())), node,
                      "widgets");
}

IFunctionOwner* TParticleType::GetFunctionOwner() {
  return function_ ? InterfaceCast<IFunctionOwner>(function_.get()) : nullptr;
}

Ref<IWidgetCollection> TParticleType::GetWidgets() {
  return Ref<IWidgetCollection>(widgets_.get());
}

void TParticleType::SetOwner(IParticleTypeOwner* owner) {
  owner_ = owner;
  system_ = owner ? owner->GetParticleSystem() : nullptr;
  if (widgets_ && system_) widgets_->SetOwner(system_->GetWidgetOwner());
  if (function_) {
    function_->SetOwner(owner ? owner->GetFunctionOwner() : nullptr);
    function_->Execute();
    BindFunctions();
  }
  localImages_.Release();
  if (useLocalImages_ && staticImages_) CollectLocalImages();
  for (IParticleType* type : childList_) type->SetOwner(this);
}

void TParticleType::ReleaseOwner() {
  for (IParticleType* type : childList_) type->ReleaseOwner();
  localImages_.Release();
  if (widgets_) widgets_->ReleaseOwner();
  UnbindFunctions();
  if (function_) {
    // The system gives its surface handle back itself; the cells only forget it.
    function_->SetParamValue("surface", 0);
    function_->Clear();
  }
  owner_ = nullptr;
  system_ = nullptr;
}

void TParticleType::BindFunctions() {
  UnbindFunctions();
  functions_.Bind(function_.get(), layout_);
}

void TParticleType::UnbindFunctions() {
  functions_.Unbind();
  mappedHolderType_ = nullptr;
  holderInputs_.clear();
}

void TParticleType::MapHolderInputs(IParticleType* holderType) {
  if (holderType == mappedHolderType_) return;
  mappedHolderType_ = holderType;
  holderInputs_.clear();
  Ref<IParamSpace> space = holderType ? holderType->GetParamSpace() : nullptr;
  Ref<IParamDefCollection> defs = space ? space->GetParamDefs() : nullptr;
  IFunction* create = functions_.Create();
  int32_t inputs = create->GetInputCount();
  for (int32_t i = 0; i < inputs; ++i) {
    std::string name = create->GetParamName(1, i);
    Ref<IParamDef> def = defs && !name.empty() ? defs->GetByName(name) : nullptr;
    holderInputs_.push_back(def ? def->GetCol() : -1);
    holderInputs_.push_back(def ? def->GetRow() : -1);
  }
}

// ---------------------------------------------------------------------------------------
// Pictures

void TParticleType::CollectLocalImages() {
  static const std::vector<IWidget*> none;
  localImages_.Collect(widgets_ ? widgets_->Widgets() : none, alignToAnchor_);
}

void TParticleType::SetStaticImages(bool value) {
  if (value == staticImages_) return;
  if (staticImages_) localImages_.Release();
  staticImages_ = value;
  if (value && useLocalImages_) CollectLocalImages();
}

void TParticleType::Prepare() {
  if (useLocalImages_ && staticImages_) CollectLocalImages();
  for (IParticleType* type : childList_) type->Prepare();
}

// Pictures that change (static_images "no") are taken before each draw, by every type.
void TParticleType::BeginDraw() {
  if (useLocalImages_ && !staticImages_) CollectLocalImages();
  for (IParticleType* type : childList_) type->BeginDraw();
}

void TParticleType::EndDraw() {
  if (useLocalImages_ && !staticImages_) localImages_.Release();
  for (IParticleType* type : childList_) type->EndDraw();
}

ISurface* TParticleType::ImageAt(int32_t index) {
  if (index < 0) return nullptr;
  if (useLocalImages_) return localImages_.At(index);
  TParticleImages* images = system_ ? system_->GetImages() : nullptr;
  return images ? images->At(index) : nullptr;
}

ISurface* TParticleType::ImageOf(const TMultiParticle& particle) {
  if (layout_.RowCount(0) < 4) return nullptr;
  float index = Cell(particle, 0, 3);
  if (!std::isfinite(index)) return nullptr;
  return ImageAt(RoundHalfEven(index));
}

// ---------------------------------------------------------------------------------------
// Particles

TMultiParticle* TParticleType::NewParticle() {
  if (system_ && !system_->HasRoom(1, layout_.SlotCount())) return nullptr;
  TMultiParticle* particle = pool_.Take();
  layout_.Fill(particle->cells);
  particle->type = this;
  particle->children.clear();
  particle->hasChildren = !childList_.empty();
  functions_.Start(layout_, particle->cells);
  if (system_) system_->ParticlesMade(1, layout_.SlotCount());
  return particle;
}

TMultiParticle* TParticleType::NewParticleFromParams(IParamCollection* params) {
  if (IFunction* create = functions_.Create(); create && params) {
    for (int i = 0; i < params->Count(); ++i) {
      Ref<IParam> param = params->FindParam(Variant(i));
      if (!param) continue;
      std::string name = param->GetName();
      if (SameText(name, "particle_type") || SameText(name, "particles_count")) continue;
      if (std::optional<double> value = param->GetValue().TryDouble())
        create->SetParamValue(name, float(*value));
    }
  }
  return NewParticle();
}

void TParticleType::FreeParticle(TMultiParticle* particle) {
  for (size_t i = particle->children.size(); i > 0; --i) {
    TMultiParticle* child = particle->children[i - 1];
    child->type->FreeParticle(child);
  }
  particle->children.clear();
  particle->type = nullptr;
  pool_.Give(particle);
  if (system_) system_->ParticlesFreed(1, layout_.SlotCount());
}

bool TParticleType::IsDead(TMultiParticle* particle) {
  if (layout_.RowCount(0) < 2) return true;
  return Cell(*particle, 0, 0) > 0 && particle->children.empty();
}

void TParticleType::MoveParticle(TMultiParticle* particle, int32_t dt) {
  if (layout_.ColCount() >= 2) functions_.Move(layout_, particle->cells, dt);
  for (size_t i = 0; i < particle->children.size(); ++i) {
    TMultiParticle* child = particle->children[i];
    child->type->MoveParticle(child, dt);
  }
  // A dying particle emits nothing.
  if (layout_.ColCount() == 0 || layout_.RowCount(0) <= 1 || Cell(*particle, 0, 0) == 0)
    for (IParticleType* type : childList_) type->Emit(particle, dt);
  RemoveDeadChildren(particle);
}

void TParticleType::RemoveDeadChildren(TMultiParticle* particle) {
  std::vector<TMultiParticle*>& children = particle->children;
  auto dead = [](TMultiParticle* child) {
    if (!child->type->IsDead(child)) return false;
    child->type->FreeParticle(child);
    return true;
  };
  children.erase(std::remove_if(children.begin(), children.end(), dead), children.end());
}

void TParticleType::Emit(TMultiParticle* holder, int32_t dt) {
  IFunction* create = functions_.Create();
  if (!holder->hasChildren || !create) return;
  MapHolderInputs(holder->type);
  for (size_t i = 0; i + 1 < holderInputs_.size(); i += 2)
    if (holderInputs_[i] >= 0)
      create->SetInput(int32_t(i / 2),
                       holder->type->Cell(*holder, holderInputs_[i], holderInputs_[i + 1]));
  create->Execute();
  int32_t n = WholeParticles(countFraction_, functions_.Count(), dt);
  if (n < 1) return;
  functions_.SetTotalIndex(float(n));
  for (int32_t i = 0; i < n; ++i) {
    functions_.SetIndex(float(i));
    TMultiParticle* particle = NewParticle();
    if (!particle) break;
    MoveParticle(particle, 0);
    holder->children.push_back(particle);
  }
}

void TParticleType::EmitChildren(TMultiParticle* holder, IParamCollection* params) {
  if (!holder->hasChildren || childList_.empty()) return;
  Ref<IParticleType> type;
  if (params) {
    std::string name = params->GetValue("particle_type", Variant(std::string())).ToString();
    if (!name.empty()) type = childTypes_->GetByKey(Variant(name));
  }
  IParticleType* chosen = type ? type.get() : childList_[0];
  int32_t n = params ? params->GetValue("particles_count", Variant(1)).ToInt(1) : 1;
  n = std::min(n, kMaxLiveParticles);
  for (int32_t i = 0; i < n; ++i) {
    TMultiParticle* particle =
        i == 0 ? chosen->NewParticleFromParams(params) : chosen->NewParticle();
    if (!particle) break;
    chosen->MoveParticle(particle, 0);
    holder->children.push_back(particle);
  }
}

int32_t TParticleType::CountParticles(TMultiParticle* holder) {
  if (!holder->hasChildren) return 0;
  int64_t count = int64_t(holder->children.size());
  for (TMultiParticle* child : holder->children)
    if (child->hasChildren) count += child->type->CountParticles(child);
  return SaturateInt32(count);
}

void TParticleType::AdvanceTime(int32_t dt) {
  if (function_ && system_) function_->SetInput(0, float(system_->GetRunningTime()));
  for (IParticleType* type : childList_) type->AdvanceTime(dt);
  if (!widgets_) return;
  widgets_->UpdateAll(dt);
  // No dirty pass runs over these widgets: they would count as updated for good.
  for (IWidget* widget : widgets_->Widgets()) widget->SetUpdated(false);
}

// ---------------------------------------------------------------------------------------
// Rectangles and drawing

bool TParticleType::GetParticleRect(TMultiParticle* particle, TRect& rect) {
  rect = TRect{};
  bool any = false;
  if (ISurface* image = ImageOf(*particle)) {
    int32_t w = image->GetWidth(), h = image->GetHeight();
    int64_t left = int64_t(RoundHalfEven(Cell(*particle, 0, 1))) - w / 2;
    int64_t top = int64_t(RoundHalfEven(Cell(*particle, 0, 2))) - h / 2;
    int64_t right = left + w, bottom = top + h;
    if (particleStyle_ == psAfterglow) {
      // Widened on the side of the trail.
      int32_t dx = RoundHalfEven(Cell(*particle, 0, 8)), dy = RoundHalfEven(Cell(*particle, 0, 9));
      (dx > 0 ? right : left) += dx;
      (dy > 0 ? bottom : top) += dy;
    }
    rect =
        TRect{SaturateInt32(left), SaturateInt32(top), SaturateInt32(right), SaturateInt32(bottom)};
    any = true;
  }
  for (TMultiParticle* child : particle->children) {
    TRect r;
    if (!child->type->GetParticleRect(child, r)) continue;
    if (any)
      UnionRects(rect, r, rect);
    else
      rect = r;
    any = true;
  }
  return any;
}

void TParticleType::DrawCopy(ISurface* surface, ISurface* image, int32_t left, int32_t top,
                             uint8_t alpha, const TMultiParticle& particle) {
  int32_t w = image->GetWidth(), h = image->GetHeight();
  TRect dst{left, top, SaturateInt32(int64_t(left) + w), SaturateInt32(int64_t(top) + h)};
  TRect src{0, 0, w, h};
  if (drawMode_ == TImageWidget::dmCopyRect) {
    surface->Draw(image, src, blendingMode_, uint8_t(alpha * transparentLevel_ / 256), dst);
  } else if (drawMode_ == TImageWidget::dmFillColor) {
    uint32_t color = uint32_t(alpha) << 24 | uint32_t(ClampChannel(Cell(particle, 0, 4))) << 16 |
                     uint32_t(ClampChannel(Cell(particle, 0, 5))) << 8 |
                     ClampChannel(Cell(particle, 0, 6));
    surface->DrawColored(color, image, blendingMode_, transparentLevel_, dst, src);
  }
}

void TParticleType::DrawParticle(ISurface* surface, int32_t x, TMultiParticle* particle,
                                 int32_t y) {
  if (ISurface* image = ImageOf(*particle)) {
    int32_t w = image->GetWidth(), h = image->GetHeight();
    uint8_t alpha = ClampChannel(Cell(*particle, 0, 7));
    int32_t left = SaturateInt32(int64_t(x) + RoundHalfEven(Cell(*particle, 0, 1)) - w / 2);
    int32_t top = SaturateInt32(int64_t(y) + RoundHalfEven(Cell(*particle, 0, 2)) - h / 2);
    if (particleStyle_ == psOrdinary) {
      DrawCopy(surface, image, left, top, alpha, *particle);
    } else if (particleStyle_ == psAfterglow) {
      float dx = Cell(*particle, 0, 8), dy = Cell(*particle, 0, 9);
      double copies = std::max(std::fabs(dy), std::fabs(dx)) * double(Cell(*particle, 0, 10));
      int32_t g = std::min(RoundHalfEven(copies), kMaxAfterglowCopies);
      if (system_) g = system_->TrailCopies(g);
      int64_t ox = RoundHalfEven(dx), oy = RoundHalfEven(dy);
      // Copy 0 sits on the particle at its alpha; copy g, at the end of the trail, is
      // transparent.
      for (int32_t i = 0; i <= g && g > 0; ++i)
        DrawCopy(surface, image, SaturateInt32(left + ox * i / g), SaturateInt32(top + oy * i / g),
                 uint8_t(alpha * (g - i) / g), *particle);
    }
  }
  for (TMultiParticle* child : particle->children) child->type->DrawParticle(surface, x, child, y);
}

// ---------------------------------------------------------------------------------------
// TParticleTypeCollection

void TParticleTypeCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  elementName_ = "particle_types";
  itemElementName_ = "particle_type";
  SetItemClass(ClassOf<TParticleType>());
}

Ref<IParticleType> TParticleTypeCollection::GetByKey(const Variant& key) {
  if (key.IsString()) return items_->GetAs<IParticleType>(key);
  std::optional<int64_t> index = key.TryInt();
  if (!index || *index < 0 || *index >= Count()) return nullptr;
  return Supports<IParticleType>(items_->GetByIndex(int(*index)));
}

bool TParticleTypeCollection::Add(const Ref<IParticleType>& type) {
  if (!type) return false;
  std::string name = type->GetName();
  if (name.empty()) {
    items_->AddWithAutoKey(Ref<IInterface>(type.get()));
    return true;
  }
  if (items_->Contains(name)) return false;
  items_->Add(Ref<IInterface>(type.get()), name);
  return true;
}

void TParticleTypeCollection::LoadFromXml(const Ref<IHierStorage>& node) {
  dataFile_ = StorageDataFile(node);
  TStaticCreationPersistItemCollection::LoadFromXml(node);
}

void TParticleTypeCollection::ItemLoaded(const Ref<IInterface>& item) {
  Ref<IParticleType> type = Supports<IParticleType>(item);
  if (type && !Add(type))
    Warn(dataFile_,
         "particle_type \"" + type->GetName() + "\" is there already; the second is dropped");
}

// ---------------------------------------------------------------------------------------
// TMultiParticleSystem

void TMultiParticleSystem::Init() {
  TVisualWidget::Init();
  rootType_ = TAbstractObject::Create<TParticleType>();
  rootType_->SetUseLocalImages(true);
}

TMultiParticleSystem::~TMultiParticleSystem() {
  FreeRoot();
  ReleaseSurface();
}

const TPropertyTable& TMultiParticleSystem::Properties() {
  using M = TMultiParticleSystem;
  static const TPropertyTable table(
      TVisualWidget::Properties(),
      {
          Attr("width", &M::width_).Int().Always(),
          Attr("height", &M::height_).Int().Always(),
          Prop("delta_step", &M::deltaStep_).Int().Always(),
          Prop("count", &M::ParticleCount),
          Prop<M>("static_images", nullptr,
                  [](M& m, bool value) { m.rootType_->SetStaticImages(value); }),
          Prop("surface", nullptr, &M::SetSurface),
      });
  return table;
}

void TMultiParticleSystem::LoadFromXml(const Ref<IHierStorage>& node) {
  FreeRoot();
  ReleaseSurface();
  TVisualWidget::LoadFromXml(node);
  capNotice_.SetFile(StorageDataFile(node));
  int32_t left = RoundHalfEven(anchorLeft_), top = RoundHalfEven(anchorTop_);
  bounds_ = TRect{left, top, SaturateInt32(int64_t(left) + width_),
                  SaturateInt32(int64_t(top) + height_)};
  rootType_ = TAbstractObject::Create<TParticleType>();
  rootType_->LoadFromXml(node);
  rootType_->SetUseLocalImages(true);
}

void TMultiParticleSystem::SaveToXml(const Ref<IHierStorage>& node) {
  TVisualWidget::SaveToXml(node);
  rootType_->SaveToXml(node);
  // The root type shares the element and has no type name of its own: without this the
  // element would be saved with an empty "type" and could not be loaded again.
  if (node && !TypeName().empty()) node->SetAttr("type", Variant(TypeName()));
}

void TMultiParticleSystem::Reset() {
  FreeRoot();
  ReleaseSurface();
  rootType_->ReleaseOwner();
  rootType_ = TAbstractObject::Create<TParticleType>();
  rootType_->SetUseLocalImages(true);
  stepClock_.Reset();
  TVisualWidget::Reset();
}

void TMultiParticleSystem::SetOwner(IWidgetOwner* owner) {
  FreeRoot();
  TVisualWidget::SetOwner(owner);
  rootType_->SetOwner(this);
  // Binding the function made its cells anew.
  surface_.Store(rootType_->GetFunction().get());
  NewRoot();
}

void TMultiParticleSystem::ReleaseOwner() {
  FreeRoot();
  ReleaseSurface();
  rootType_->ReleaseOwner();
  TVisualWidget::ReleaseOwner();
}

void TMultiParticleSystem::Invalidate() {
  TVisualWidget::Invalidate();
  rootType_->Prepare();
}

void TMultiParticleSystem::Restart() {
  stepClock_.Reset();
  TVisualWidget::Restart();
}

void TMultiParticleSystem::NewRoot() {
  FreeRoot();
  rootParticle_ = rootType_->NewParticle();
}

void TMultiParticleSystem::FreeRoot() {
  if (rootParticle_) rootType_->FreeParticle(rootParticle_);
  rootParticle_ = nullptr;
  liveParticles_ = 0;
  liveCells_ = 0;
}

bool TMultiParticleSystem::HasRoom(int32_t count, int32_t cells) {
  if (int64_t(liveParticles_) + count <= kMaxLiveParticles &&
      liveCells_ + int64_t(count) * cells <= kMaxLiveCells)
    return true;
  capNotice_.Held(typeName_, name_);
  return false;
}

int32_t TMultiParticleSystem::TrailCopies(int32_t wanted) {
  if (wanted < 1) return wanted;
  int32_t granted = std::clamp(copiesLeft_, 1, wanted);
  copiesLeft_ -= std::min(granted, copiesLeft_);
  return granted;
}

void TMultiParticleSystem::ParticlesMade(int32_t count, int32_t cells) {
  liveParticles_ += count;
  liveCells_ += int64_t(count) * cells;
}

void TMultiParticleSystem::ParticlesFreed(int32_t count, int32_t cells) {
  liveParticles_ = std::max(0, liveParticles_ - count);
  liveCells_ = std::max<int64_t>(0, liveCells_ - int64_t(count) * cells);
}

int32_t TMultiParticleSystem::ParticleCount() {
  return rootParticle_ ? rootType_->CountParticles(rootParticle_) : 0;
}

// ---------------------------------------------------------------------------------------
// Properties

void TMultiParticleSystem::SetSurface(const Variant& value) {
  surface_.Set(value, rootType_->GetFunction().get());
}

void TMultiParticleSystem::ReleaseSurface() {
  surface_.Release(rootType_ ? rootType_->GetFunction().get() : nullptr);
}

void TMultiParticleSystem::SetProperty(const std::string& name, const Variant& value) {
  TVisualWidget::SetProperty(name, value);
  Ref<IFunction> function = rootType_->GetFunction();
  if (!function || name == "delta_step" || name == "static_images" || name == "surface") return;
  if (value.IsClear() || value.GetKind() == Variant::Kind::Interface) return;
  if (std::optional<double> number = value.TryDouble())
    function->SetParamValue(name, float(*number));
}

bool TMultiParticleSystem::ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                                           const TPropertyRow*& writer) {
  bool fixed = TVisualWidget::ResolveProperty(name, reader, writer);
  // Writes must pass SetProperty, which hands them on to the root function too.
  return fixed && !rootType_->GetFunction();
}

// ---------------------------------------------------------------------------------------
// The frame

void TMultiParticleSystem::Step(int32_t dt) {
  rootType_->AdvanceTime(dt);
  if (rootParticle_) rootType_->MoveParticle(rootParticle_, dt);
}

void TMultiParticleSystem::Update(int32_t dt) {
  TVisualWidget::Update(dt);
  size_t had = rootParticle_ ? rootParticle_->children.size() : 0;
  if (deltaStep_ < 1) {
    runningTime_ = currentTime_;
    Step(dt);
  } else {
    // Whole steps of the step clock; a step that starts before 0 does nothing.
    stepClock_.Run(currentTime_, dt, deltaStep_, [this](int64_t start, int64_t end) {
      if (start < 0) return;
      runningTime_ = end;
      Step(deltaStep_);
    });
  }
  rootType_->BeginDraw();
  TRect r{};
  if (!rootParticle_ || !rootType_->GetParticleRect(rootParticle_, r)) r = TRect{};
  bounds_ = Moved(r, RoundHalfEven(anchorLeft_), RoundHalfEven(anchorTop_));
  size_t now = rootParticle_ ? rootParticle_->children.size() : 0;
  changed_ = had > 0 || now > 0;
}

void TMultiParticleSystem::Draw(ISurface* surface, int32_t x, int32_t y) {
  // Every live particle is drawn once; the trails share what is left.
  copiesLeft_ = std::max(0, kMaxDrawnCopies - liveParticles_);
  if (surface && rootParticle_) rootType_->DrawParticle(surface, x, rootParticle_, y);
  rootType_->EndDraw();
}

void TMultiParticleSystem::Notify(int32_t code, const Variant& param) {
  if (code == 1) {
    Ref<IParamCollection> params;
    if (param.GetKind() == Variant::Kind::Interface)
      params = Supports<IParamCollection>(param.RawInterface());
    if (rootParticle_) rootType_->EmitChildren(rootParticle_, params.get());
  } else if (code == 2) {
    NewRoot();
    bounds_ = Moved(TRect{}, RoundHalfEven(anchorLeft_), RoundHalfEven(anchorTop_));
    SetChanged();
    UpdateDirtyRects(false, false);
  }
}
