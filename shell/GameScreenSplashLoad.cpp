#include "shell/GameScreenSplashLoad.h"

#include "foundation/CheckedMath.h"
#include "foundation/Routines.h"

namespace {

const char* const kProgress = "progress";
const char* const kImageLoaded = "image_loaded";

}  // namespace

// ---------------------------------------------------------------------------------------
// The steps and the synthetic clock

const TPropertyTable& TGameScreenSplashAbstractLoad::Properties() {
  using L = TGameScreenSplashAbstractLoad;
  static const TPropertyTable table(
      TGameScreenSplashSelfRefresh::Properties(),
      {
          Custom<L>("total_updates", &L::LoadTotalUpdates, &L::SaveTotalUpdates),
          Custom<L>(
              "close_after_load",
              [](L& screen, const Ref<IHierStorage>& node) {
                screen.closeAfterLoad_ = ReadXmlBool(node, "close_after_load", false);
              },
              &L::SaveCloseAfterLoad),
      });
  return table;
}

void TGameScreenSplashAbstractLoad::LoadTotalUpdates(const Ref<IHierStorage>& node) {
  totalUpdates_ = ReadXmlInt(node, "TotalUpdates", ReadXmlInt(node, "total_updates", 200));
}

void TGameScreenSplashAbstractLoad::SaveTotalUpdates(const Ref<IHierStorage>& node) {
  WriteXmlInt(node, "total_updates", totalUpdates_, true);
}

void TGameScreenSplashAbstractLoad::SaveCloseAfterLoad(const Ref<IHierStorage>& node) {
  WriteXmlBool(node, "close_after_load", closeAfterLoad_, false);
}

void TGameScreenSplashAbstractLoad::Show(const Ref<IParamCollection>& params) {
  TGameScreenSplashSelfRefresh::Show(params);
  stepCount_ = 0;
  stepIndex_ = 0;
  progress_ = FindWidget(kProgress);
  imageLoaded_ = FindWidget(kImageLoaded);
  // Every show starts from the configured time: the last show effect's is not kept.
  showTotal_ = totalUpdates_;
  timePerStep_ = showTotal_;
  finished_ = false;
  beginPending_ = true;
}

void TGameScreenSplashAbstractLoad::BeginLoading() {
  if (stepCount_ > 0) timePerStep_ = RoundHalfEven(double(showTotal_) / stepCount_);
  beginPending_ = false;
}

void TGameScreenSplashAbstractLoad::LoadStep(int32_t& index) {
  ++index;
}

void TGameScreenSplashAbstractLoad::EndLoading() {
  progress_ = nullptr;
  imageLoaded_ = nullptr;
}

int32_t TGameScreenSplashAbstractLoad::StepTime() const {
  if (stepIndex_ < stepCount_) return timePerStep_;
  // The rest of the total: with more steps than milliseconds the others took it all.
  int64_t rest = int64_t(showTotal_) - int64_t(stepCount_ - 1) * timePerStep_;
  return rest > 0 ? SaturateInt32(rest) : 0;
}

void TGameScreenSplashAbstractLoad::Update(int32_t dt) {
  if (showPending_) showTotal_ = SaturateInt32(int64_t(showTotal_) + dt);
  if (beginPending_) BeginLoading();
  if (stepIndex_ < stepCount_) {
    LoadStep(stepIndex_);
    TGameScreenSplashSelfRefresh::Update(StepTime());
    return;
  }
  if (finished_) {
    TGameScreenSplashSelfRefresh::Update(dt);
    return;
  }
  EndSteps();
}

void TGameScreenSplashAbstractLoad::EndSteps() {
  if (closeAfterLoad_) {
    // Hidden by itself, not closed through the game, which may not have it on top; so
    // its sounds are stopped here, as closing would.
    if (IEngine* engine = GetEngine()) engine->StopSoundGroup(name_);
    Hide();
  } else {
    if (Ref<IWidget> progress = progress_) progress->Show(false);
    if (Ref<IWidget> loaded = imageLoaded_) {
      loaded->SetVisible(true);
      loaded->Restart();
    }
  }
  finished_ = true;
  EndLoading();
}

void TGameScreenSplashAbstractLoad::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreenSplashSelfRefresh::OnWidgetEvent(sender, code, param);
  if (finished_ && sender && sender->GetName() == kImageLoaded) Close(nullptr);
}

void TGameScreenSplashAbstractLoad::ReleaseOwner() {
  EndLoading();
  TGameScreenSplashSelfRefresh::ReleaseOwner();
}

// ---------------------------------------------------------------------------------------
// Resources by name

void TGameScreenSplashResourceLoad::Show(const Ref<IParamCollection>& params) {
  TGameScreenSplashAbstractLoad::Show(params);
  loadList_.clear();
  unloadList_.clear();
  if (!params) return;
  unloadList_ = SplitString(params->GetValue("unload_list").ToString(), ';');
  unloadCount_ = int32_t(unloadList_.size());
  loadList_ = SplitString(params->GetValue("load_list").ToString(), ';');
  stepCount_ = int32_t(loadList_.size());
}

void TGameScreenSplashResourceLoad::BeginLoading() {
  IEngine* engine = GetEngine();
  for (int32_t i = 0; i < unloadCount_ && i < int32_t(unloadList_.size()); ++i) {
    std::string& name = unloadList_[size_t(i)];
    if (name.empty()) continue;
    bool loadedAgain = false;
    for (std::string& load : loadList_) {
      if (!SameText(load, name)) continue;
      // Stays loaded: neither unloaded nor loaded again.
      load.clear();
      loadedAgain = true;
    }
    if (loadedAgain) continue;
    if (Ref<IResource> resource = engine ? engine->GetResource(name) : nullptr) resource->Unload();
    name.clear();
  }
  unloadCount_ = 0;
  TGameScreenSplashAbstractLoad::BeginLoading();
}

void TGameScreenSplashResourceLoad::LoadStep(int32_t& index) {
  IEngine* engine = GetEngine();
  if (index >= 0 && index < int32_t(loadList_.size()) && engine) {
    const std::string& name = loadList_[size_t(index)];
    if (!name.empty())
      if (Ref<IResource> resource = engine->GetResource(name)) resource->Load();
  }
  TGameScreenSplashAbstractLoad::LoadStep(index);
}

void TGameScreenSplashResourceLoad::EndLoading() {
  loadList_.clear();
  unloadList_.clear();
  TGameScreenSplashAbstractLoad::EndLoading();
}

// ---------------------------------------------------------------------------------------
// Resource definitions

void TGameScreenSplashResourceDefsLoad::Show(const Ref<IParamCollection>& params) {
  TGameScreenSplashAbstractLoad::Show(params);
  definitions_ = nullptr;
  if (params)
    definitions_ =
        Supports<IResourceDefCollection>(params->GetValue("resource_defs").RawInterface());
  stepCount_ = definitions_ ? definitions_->Count() : 0;
}

void TGameScreenSplashResourceDefsLoad::LoadStep(int32_t& index) {
  if (Ref<IResourceDefCollection> definitions = definitions_)
    definitions->LoadResource(Variant(int(index)));
  TGameScreenSplashAbstractLoad::LoadStep(index);
}

void TGameScreenSplashResourceDefsLoad::EndLoading() {
  TGameScreenSplashAbstractLoad::EndLoading();
  // Emptied for every other holder too: the definitions were lent for this load only.
  if (Ref<IResourceDefCollection> definitions = std::move(definitions_)) definitions->Clear();
  definitions_ = nullptr;
}
