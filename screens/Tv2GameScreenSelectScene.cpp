#include "screens/Tv2GameScreenSelectScene.h"

#include "foundation/Routines.h"

namespace {

const char* const kSelectSceneNames = "select_scene_names";
const char* const kSceneName = "scenename";
constexpr int64_t kSceneLabelStepX = 200;
constexpr int64_t kSceneLabelStepY = 40;

}  // namespace

Ref<IAbstractUGDObject> TTavelor2GameScreenSelectScene::FindRecord(const std::string& name) {
  Ref<IUGDSceneCollection> scenes = progress_->GetScenes();
  return scenes ? Ref<IAbstractUGDObject>(scenes->GetItem(Variant(name)).get()) : nullptr;
}

void TTavelor2GameScreenSelectScene::Show(const Ref<IParamCollection>& params) {
  TTv2LabelPickerScreen::Show(params);
  progress_ = PublishedProgress(owner_);
  taskParams_ = params;
  offered_.clear();
  if (!progress_ || !taskParams_ || !ClearLabels()) return;
  TOneArrayOfString names =
      SplitString(taskParams_->GetValue(kSelectSceneNames, Variant("")).ToString(), ';');
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (!IsOpen(name)) continue;
    MakeLabel("scene_label", name, int64_t(i) * kSceneLabelStepX, int64_t(i) * kSceneLabelStepY,
              true);
    selected_ = name;
    offered_.push_back(name);
  }
}

void TTavelor2GameScreenSelectScene::Confirm(bool /*byClick*/) {
  if (taskParams_ && SelectionOffered()) {
    taskParams_->Delete(Variant(kSelectSceneNames));
    taskParams_->SetValue(kSceneName, Variant(selected_));
  }
  Close(nullptr);
}
