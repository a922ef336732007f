#include "shell/GameScreenQueryDialog.h"

#include "foundation/MultiLanguages.h"
#include "foundation/Routines.h"

namespace {

const char* const kUserName = "user_name";
const char* const kNameLabel = "label_user_profile_name";

}  // namespace

void TGameScreenQueryDialog::OnShow(const Ref<IParamCollection>& params) {
  TGameScreen::OnShow(params);
  int count = params ? params->Count() : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IParam> param = params->FindParam(Variant(i));
    if (!param) continue;
    // By name only: a path such as "" or ".." would reach widgets of other names.
    Ref<IWidget> widget = FindWidget(param->GetName());
    if (widget && SameText(widget->GetName(), param->GetName()))
      widget->SetProperty("text_utf8", param->GetValue());
  }
}

void TGameScreenQueryDialog::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (code == control_event::kButtonClick && sender)
    Close(SingleParam("Button", Variant(sender->GetName())));
}

void TGameScreenQueryDeleteProfile::OnShow(const Ref<IParamCollection>& params) {
  TGameScreenQueryDialog::OnShow(params);
  Ref<IWidget> label = FindWidget(kNameLabel);
  if (!label) return;
  label->SetProperty("text", Variant(std::string()));
  if (params && params->FindParam(Variant(kUserName)))
    label->SetProperty("text_utf8", Variant(LiteralText(params->GetValue(kUserName).ToString())));
}
