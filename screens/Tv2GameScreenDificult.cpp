#include "screens/Tv2GameScreenDificult.h"

#include "screens/Tv2DiaryPages.h"

namespace {

const char* const kButtonTimed = "set_play_mode_timed";
const char* const kButtonUntimed = "set_play_mode_untimed";

}  // namespace

void TTv2GameScreenDificult::OnShow(const Ref<IParamCollection>& params) {
  TGameScreenNewUser::OnShow(params);
  params_ = params;
  if (params_)
    SetPlayMode(1);
  else
    Finish(false);
}

void TTv2GameScreenDificult::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreenNewUser::OnWidgetEvent(sender, code, param);
  if (!sender || code != control_event::kButtonClick) return;
  std::string name = sender->GetName();
  if (name == kButtonTimed)
    SetPlayMode(0);
  else if (name == kButtonUntimed)
    SetPlayMode(1);
}

void TTv2GameScreenDificult::SetPlayMode(uint8_t mode) {
  playMode_ = mode;
  if (Ref<IWidget> timed = FindWidget(kButtonTimed)) timed->SetEnabled(mode != 0);
  if (Ref<IWidget> untimed = FindWidget(kButtonUntimed)) untimed->SetEnabled(mode != 1);
}

void TTv2GameScreenDificult::Finish(bool accept) {
  Ref<IParamCollection> kept = std::move(params_);
  params_ = nullptr;
  Ref<IParamCollection> result;
  if (accept) {
    result = kept ? kept : NewParamCollection();
    result->SetValue("play_mode", Variant(int32_t(playMode_)));
  }
  // Kept while the screen stays (it is not the top one); a show from inside the close
  // brings parameters of its own.
  if (!Close(result) && !params_) params_ = kept;
}
