// The function-driven particle system.

#include "widgets/ParticleSystemsFunction.h"

#include <algorithm>
#include <cmath>

#include "foundation/Params.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "widgets/ResourceWidgets.h"

namespace {

// A picture index from a cell: Trunc, or nothing for a value that is no number.
bool IndexOf(float value, int32_t& index) {
  if (!std::isfinite(value)) return false;
  index = TruncSat(value);
  return true;
}

}  // namespace

void TFunctionParticleSystem::Init() {
  TGroupWidget::Init();
  paramSpace_ = Ref<IParamSpace>(TAbstractObject::Create<TParamSpace>().get());
}

TFunctionParticleSystem::~TFunctionParticleSystem() = default;

const TPropertyTable& TFunctionParticleSystem::Properties() {
  using F = TFunctionParticleSystem;
  static const TPropertyTable table(
      TGroupWidget::Properties(),
      {
          Attr("width", &F::width_).Int().Always(),
          Attr("height", &F::height_).Int().Always(),
          Prop("init_creation_count", &F::initCreationCount_).Int().Always().WriteOnly(),
          Prop("static_images", &F::staticImages_, &F::SetStaticImages).Bool(true).Always(),
          Prop("delta_step", &F::deltaStep_).Int().Always(),
          Prop("drawmode", &F::drawMode_).Enum(TImageWidget::kDrawModes, 1).Always(),
          Prop("blendingmode", &F::blendingMode_)
              .Enum(TImageWidget::kBlendingModes, bmNormal)
              .Always(),
          Prop("count", &F::ParticleCount),
          Prop("widget", nullptr, &F::SetWidgetImage),
          Prop("surface", nullptr, &F::SetSurface),
      });
  return table;
}

// ---------------------------------------------------------------------------------------
// Loading and life

void TFunctionParticleSystem::LoadFromXml(const Ref<IHierStorage>& node) {
  TGroupWidget::LoadFromXml(node);
  capNotice_.SetFile(StorageDataFile(node));
  FreeAll();
  functions_.Unbind();
  surface_.Release(particleFunction_.get());
  paramSpace_ = Ref<IParamSpace>(TAbstractObject::Create<TParamSpace>().get());
  if (LoadObjectFromChild(Ref<IInterface>(paramSpace_.get()), node, "paramspace"))
    paramSpace_->SetOwnerSpace(nullptr);
  layout_.Build(paramSpace_.get());
  particleFunction_ = nullptr;
  if (node && node->GetChildCount("function") > 0) {
    particleFunction_ = Supports<IFunction>(CreateObjectFromChild(node, "function"));
    if (particleFunction_)
      particleFunction_->SetOwner(nullptr);
    else
      Warn(StorageDataFile(node),
           "function_particle_system \"" + name_ +
               "\": its \"function\" is of no function type; it emits nothing");
  }
}

void TFunctionParticleSystem::SaveToXml(const Ref<IHierStorage>& node) {
  TGroupWidget::SaveToXml(node);
  SaveObjectToChild(Ref<IInterface>(paramSpace_.get()), node, "paramspace");
  if (particleFunction_)
    SaveObjectToChild(Ref<IInterface>(particleFunction_.get()), node, "function");
}

void TFunctionParticleSystem::Reset() {
  FreeAll();
  surface_.Release(particleFunction_.get());
  functions_.Unbind();
  if (particleFunction_) particleFunction_->SetOwner(nullptr);
  particleFunction_ = nullptr;
  paramSpace_->ReleaseOwnerSpace();
  paramSpace_->GetParamDefs()->Clear();
  layout_.Clear();
  stepClock_.Reset();
  TGroupWidget::Reset();
}

void TFunctionParticleSystem::SetOwner(IWidgetOwner* owner) {
  TGroupWidget::SetOwner(owner);
  if (particleFunction_) {
    particleFunction_->Execute();
    functions_.Bind(particleFunction_.get(), layout_);
  }
  if (staticImages_) CollectImages();
  for (IWidget* child : children_->Widgets()) child->SetVisible(false);
}

void TFunctionParticleSystem::ReleaseOwner() {
  ReleaseImages();
  functions_.Unbind();
  surface_.Release(particleFunction_.get());
  TGroupWidget::ReleaseOwner();
}

void TFunctionParticleSystem::Invalidate() {
  TGroupWidget::Invalidate();
  if (!staticImages_) return;
  ReleaseImages();
  CollectImages();
}

void TFunctionParticleSystem::Restart() {
  stepClock_.Reset();
  TGroupWidget::Restart();
}

// ---------------------------------------------------------------------------------------
// Properties

void TFunctionParticleSystem::SetProperty(const std::string& name, const Variant& value) {
  TGroupWidget::SetProperty(name, value);
  if (!particleFunction_) return;
  // Write-only rows outside the XML ("widget", "surface") take pictures and handles, which
  // mean nothing to the function; every other value is also one of its parameters.
  const TPropertyRow* row = Properties().Writer(name);
  if (row && !row->CanRead() && !row->InXml()) return;
  if (value.IsClear() || value.GetKind() == Variant::Kind::Interface) return;
  if (std::optional<double> number = value.TryDouble())
    particleFunction_->SetParamValue(name, float(*number));
}

bool TFunctionParticleSystem::ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                                              const TPropertyRow*& writer) {
  bool fixed = TGroupWidget::ResolveProperty(name, reader, writer);
  // Writes must pass SetProperty, which hands them on to the function too.
  return fixed && !particleFunction_;
}

void TFunctionParticleSystem::SetStaticImages(bool value) {
  if (staticImages_) ReleaseImages();
  staticImages_ = value;
  if (value) CollectImages();
}

void TFunctionParticleSystem::CollectImages() {
  images_.Collect(children_->Widgets());
}

void TFunctionParticleSystem::SetWidgetImage(const Variant& value) {
  if (value.GetKind() != Variant::Kind::Interface) return;
  Ref<IWidget> widget = Supports<IWidget>(value.RawInterface());
  if (!widget) return;
  SetSurface(Variant(Ref<IInterface>(widget->GetImage().get())));
}

void TFunctionParticleSystem::SetSurface(const Variant& value) {
  surface_.Set(value, particleFunction_.get());
}

// ---------------------------------------------------------------------------------------
// Particles

int32_t TFunctionParticleSystem::Room() const {
  int64_t byCount = kMaxLiveParticles - ParticleCount();
  int64_t slots = std::max(layout_.SlotCount(), 1);
  int64_t byCells = (kMaxLiveCells - int64_t(ParticleCount()) * slots) / slots;
  return int32_t(std::max<int64_t>(0, std::min(byCount, byCells)));
}

TCellParticle* TFunctionParticleSystem::NewParticle() {
  TCellParticle* particle = pool_.Take();
  layout_.Fill(particle->cells);
  functions_.Start(layout_, particle->cells);
  return particle;
}

void TFunctionParticleSystem::FreeParticle(TCellParticle* particle) {
  pool_.Give(particle);
}

void TFunctionParticleSystem::FreeAll() {
  for (TCellParticle* particle : particles_) FreeParticle(particle);
  particles_.clear();
}

TCellParticle* TFunctionParticleSystem::CreateParticleFromParams(IParamCollection* params) {
  if (!functions_.Create() || !particleFunction_) return nullptr;
  if (Room() < 1) {
    capNotice_.Held(typeName_, name_);
    return nullptr;
  }
  functions_.SetTotalIndex(1);
  functions_.SetIndex(0);
  TCellParticle* particle = NewParticle();
  int count = params ? params->Count() : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IParam> param = params->FindParam(Variant(i));
    if (!param) continue;
    int32_t slot = layout_.SlotOf(paramSpace_.get(), param->GetName());
    std::optional<double> value = param->GetValue().TryDouble();
    if (slot >= 0 && value) particle->cells[size_t(slot)] = float(*value);
  }
  return particle;
}

void TFunctionParticleSystem::CreateParticles(int32_t n) {
  if (!functions_.Create() || !particleFunction_) return;
  if (n > Room()) {
    n = Room();
    capNotice_.Held(typeName_, name_);
  }
  if (n < 1) return;
  functions_.SetTotalIndex(float(n));
  for (int32_t i = 0; i < n; ++i) {
    functions_.SetIndex(float(i));
    TCellParticle* particle = NewParticle();
    MoveParticle(particle, 0);
    particles_.push_back(particle);
  }
}

void TFunctionParticleSystem::MoveParticle(TCellParticle* particle, int32_t dt) {
  functions_.Move(layout_, particle->cells, dt);
}

void TFunctionParticleSystem::RemoveDead() {
  if (layout_.RowCount(0) < 2) return;
  auto dead = [this](TCellParticle* particle) {
    if (!(Cell(*particle, 0, 0) > 0)) return false;
    FreeParticle(particle);
    return true;
  };
  particles_.erase(std::remove_if(particles_.begin(), particles_.end(), dead), particles_.end());
}

void TFunctionParticleSystem::SetTimeInput(int64_t time) {
  if (particleFunction_) particleFunction_->SetInput(0, float(time));
}

void TFunctionParticleSystem::Emit(int32_t dt) {
  if (!functions_.Create() || !particleFunction_) return;
  functions_.Create()->Execute();
  CreateParticles(WholeParticles(countFraction_, functions_.Count(), dt));
}

// ---------------------------------------------------------------------------------------
// The frame

void TFunctionParticleSystem::Update(int32_t dt) {
  TGroupWidget::Update(dt);
  int32_t had = ParticleCount();
  SetTimeInput(currentTime_);
  if (initCreationCount_ > 0 && currentTime_ >= 0) {
    CreateParticles(initCreationCount_);
    initCreationCount_ = 0;
  }
  for (TCellParticle* particle : particles_) MoveParticle(particle, dt);
  if (deltaStep_ < 1) {
    Emit(dt);
  } else {
    // Emission in whole steps of the step clock; a step ending before 0 emits nothing.
    stepClock_.Run(currentTime_, dt, deltaStep_, [this](int64_t, int64_t end) {
      if (end < 0) return;
      SetTimeInput(end);
      Emit(int32_t(std::min<int64_t>(end, deltaStep_)));
    });
  }
  RemoveDead();
  ComputeBounds();
  changed_ = had > 0 || ParticleCount() > 0;
}

void TFunctionParticleSystem::ComputeBounds() {
  TRect r{-1, -1, -1, -1};
  bool any = false;
  for (TCellParticle* particle : particles_) {
    int32_t index = 0;
    if (!IndexOf(Cell(*particle, 0, 3), index)) continue;
    IWidget* child = children_->WidgetAt(index);
    if (!child) continue;
    int32_t w = child->GetWidth(), h = child->GetHeight();
    int64_t left = int64_t(RoundHalfEven(Cell(*particle, 0, 1))) - w / 2;
    int64_t top = int64_t(RoundHalfEven(Cell(*particle, 0, 2))) - h / 2;
    TRect one{SaturateInt32(left), SaturateInt32(top), SaturateInt32(left + w),
              SaturateInt32(top + h)};
    if (any)
      UnionRects(r, one, r);
    else
      r = one;
    any = true;
  }
  int64_t ax = RoundHalfEven(GetLeft()), ay = RoundHalfEven(GetTop());
  bounds_ = TRect{SaturateInt32(r.Left + ax), SaturateInt32(r.Top + ay),
                  SaturateInt32(r.Right + ax), SaturateInt32(r.Bottom + ay)};
}

void TFunctionParticleSystem::Notify(int32_t code, const Variant& param) {
  if (code == 1) {
    Ref<IParamCollection> params;
    if (param.GetKind() == Variant::Kind::Interface)
      params = Supports<IParamCollection>(param.RawInterface());
    if (TCellParticle* particle = CreateParticleFromParams(params.get())) {
      MoveParticle(particle, 0);
      particles_.push_back(particle);
    }
  } else if (code == 2) {
    FreeAll();
    ComputeBounds();
    SetChanged();
    UpdateDirtyRects(false, false);
  }
}

void TFunctionParticleSystem::BeginDraw() {
  if (!staticImages_) CollectImages();
}

void TFunctionParticleSystem::EndDraw() {
  if (!staticImages_) ReleaseImages();
}

void TFunctionParticleSystem::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!surface) return;
  BeginDraw();
  for (TCellParticle* particle : particles_) DrawParticle(surface, x, particle, y);
  EndDraw();
}

void TFunctionParticleSystem::DrawParticle(ISurface* surface, int32_t x, TCellParticle* particle,
                                           int32_t y) {
  int32_t index = 0;
  if (!IndexOf(Cell(*particle, 0, 3), index)) return;
  ISurface* image = images_.At(index);
  if (!image) return;
  int32_t w = image->GetWidth(), h = image->GetHeight();
  int32_t left = SaturateInt32(int64_t(x) - w / 2 + RoundHalfEven(Cell(*particle, 0, 1)));
  int32_t top = SaturateInt32(int64_t(y) + RoundHalfEven(Cell(*particle, 0, 2)) - h / 2);
  TRect dst{left, top, SaturateInt32(int64_t(left) + w), SaturateInt32(int64_t(top) + h)};
  TRect src{0, 0, w, h};
  uint8_t alpha = ClampChannel(Cell(*particle, 0, 7));
  if (drawMode_ == TImageWidget::dmCopyRect) {
    surface->Draw(image, src, blendingMode_, uint8_t(alpha * transparentLevel_ / 256), dst);
  } else if (drawMode_ == TImageWidget::dmFillColor) {
    uint32_t color = uint32_t(alpha) << 24 | uint32_t(ClampChannel(Cell(*particle, 0, 4))) << 16 |
                     uint32_t(ClampChannel(Cell(*particle, 0, 5))) << 8 |
                     ClampChannel(Cell(*particle, 0, 6));
    surface->DrawColored(color, image, blendingMode_, transparentLevel_, dst, src);
  }
}
