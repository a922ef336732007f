#include "screens/Tv2GameScreenSelectCase.h"

#include <algorithm>

#include "foundation/Params.h"
#include "foundation/Routines.h"
#include "platform/InputConstants.h"
#include "shell/WidgetClasses.h"

const char* const kStylistCase = "stylist_case";

namespace {

const char* const kLabelsGroup = "labels_group";
const char* const kSelectCaseNames = "select_case_names";
const char* const kCurrentCase = "currentcase";
constexpr int64_t kCaseLabelStep = 300;

}  // namespace

// ---------------------------------------------------------------------------------------
// Labels

void TTv2LabelPickerScreen::SetOwner(IGameScreenOwner* owner) {
  TGameScreen::SetOwner(owner);
  labelGroup_ = FindWidget(kLabelsGroup);
}

bool TTv2LabelPickerScreen::ClearLabels() {
  Ref<IWidgetCollection> labels = labelGroup_ ? labelGroup_->GetChildren() : nullptr;
  RemoveAllChildren(labels.get());
  return labels != nullptr;
}

Ref<IWidget> TTv2LabelPickerScreen::MakeLabel(const std::string& factory, const std::string& name,
                                              int64_t left, int64_t top, bool withLeft) {
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("name", Variant(name));
  if (withLeft) params->SetValue("anchor_left", Variant(std::to_string(left)));
  params->SetValue("anchor_top", Variant(std::to_string(top)));
  Ref<IWidget> label = CreateWidget(factory, params);
  if (!label) return nullptr;
  label->SetExtraParam(LabelProperty(), Variant(name));
  labelGroup_->GetChildren()->Add(label);
  return label;
}

bool TTv2LabelPickerScreen::IsOpen(const std::string& name) {
  Ref<IAbstractUGDObject> record = progress_ && !name.empty() ? FindRecord(name) : nullptr;
  return record && !record->IsCompleted();
}

bool TTv2LabelPickerScreen::SelectionOffered() {
  return std::find(offered_.begin(), offered_.end(), selected_) != offered_.end() &&
         IsOpen(selected_);
}

Ref<IWidget> LabelUnder(const Ref<IWidget>& group, const TPoint& point) {
  if (!group) return nullptr;
  Ref<IWidget> hit = group->WidgetAtPos(group->ScreenToLocalPoint(point));
  // The deepest widget under the point may be a part of a label: its label is the group's
  // child it lies in.
  IWidgetOwner* groupAsOwner = InterfaceCast<IWidgetOwner>(group.get());
  while (hit && hit != group) {
    IWidgetOwner* owner = hit->GetOwner();
    if (owner && owner == groupAsOwner) return hit;
    hit = Ref<IWidget>(InterfaceCast<IWidget>(owner));
  }
  return nullptr;
}

bool TTv2LabelPickerScreen::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool handled = TGameScreen::HandleMouse(message, point, keys);
  if (handled || message != input::kLeftButtonDown || !progress_) return handled;
  Ref<IWidget> label = LabelUnder(labelGroup_, point);
  if (!label) return handled;
  std::string picked = label->GetProperty(LabelProperty()).ToString();
  if (picked != selected_)
    selected_ = picked;
  else
    Confirm(true);
  return true;
}

void TTv2LabelPickerScreen::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  Confirm(false);
}

// ---------------------------------------------------------------------------------------
// Cases

Ref<IAbstractUGDObject> TTavelor2GameScreenSelectCase::FindRecord(const std::string& name) {
  Ref<IUGDCaseCollection> cases = progress_->GetCases();
  return cases ? Ref<IAbstractUGDObject>(cases->GetItem(Variant(name)).get()) : nullptr;
}

void TTavelor2GameScreenSelectCase::Show(const Ref<IParamCollection>& params) {
  TTv2LabelPickerScreen::Show(params);
  progress_ = PublishedProgress(owner_);
  offered_.clear();
  if (!progress_ || !ClearLabels()) return;
  std::string accepted;
  TOneArrayOfString names =
      SplitString(progress_->GetParamValueDef(kSelectCaseNames, Variant("")).ToString(), ';');
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (!IsOpen(name)) continue;
    MakeLabel("case_label", name, 0, int64_t(i) * kCaseLabelStep, false);
    if (offered_.empty()) selected_ = name;
    offered_.push_back(name);
    if (!accepted.empty()) accepted += ';';
    accepted += name;
  }
  // Completed cases leave the offer.
  progress_->SetParamValue(kSelectCaseNames, Variant(accepted));
}

void TTavelor2GameScreenSelectCase::Confirm(bool byClick) {
  if (SelectionOffered()) {
    progress_->SetParamValue(kCurrentCase, Variant(selected_));
    if (byClick)
      if (Ref<IUGDCase> stylist = progress_->GetCases()->GetItem(Variant(kStylistCase)))
        stylist->SetParamValue(kSelectCaseNames, Variant(""));
  }
  Close(nullptr);
}
