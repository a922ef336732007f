#include "screens/Tv2GameScreenHighScores.h"

#include "foundation/Routines.h"

namespace {

const char* const kGrid = "high_scores_grid";
const char* const kButtonClassic = "button_classic";
const char* const kButtonRelax = "button_relax";

void ShowModeLabel(TGameScreen& screen, int mode) {
  if (Ref<IWidget> label = screen.FindWidget("label_playmode"))
    label->SetProperty("text_utf8", Variant("%play_mode" + std::to_string(mode) + "%"));
}

}  // namespace

void TTavelor2GameScreenHighScores::SetOwner(IGameScreenOwner* owner) {
  TGameScreen::SetOwner(owner);
  grid_ = FindWidget(kGrid);
}

void TTavelor2GameScreenHighScores::ReleaseOwner() {
  grid_ = nullptr;
  TGameScreen::ReleaseOwner();
}

void TTavelor2GameScreenHighScores::OnShow(const Ref<IParamCollection>& params) {
  TGameScreen::OnShow(params);
  if (grid_) ShowTable(1);
}

void TTavelor2GameScreenHighScores::ShowTable(uint8_t mode) {
  Ref<IHighScores> scores = owner_ ? owner_->GetHighScores() : nullptr;
  if (!scores) return;
  Ref<IRecordTableCollection> tables = scores->GetTables();
  Ref<IRecordTable> table = tables ? tables->GetItem(Variant(int(mode))) : nullptr;
  if (Ref<IWidget> grid = grid_)
    grid->SetProperty("recordtable", Variant(Ref<IInterface>(table.get())));
  ShowModeLabel(*this, mode);
  ShowWidget(kButtonClassic, mode == 1);
  ShowWidget(kButtonRelax, mode == 0);
}

void TTavelor2GameScreenHighScores::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (!sender || code != control_event::kButtonClick) return;
  std::string name = sender->GetName();
  if (name == kButtonClassic)
    ShowTable(0);
  else if (name == kButtonRelax)
    ShowTable(1);
}

void TTavelor2GameScreenHighScores::OnChildClosed(const std::string& name,
                                                  const Ref<IParamCollection>& result) {
  TGameScreen::OnChildClosed(name, result);
  if (!SameText(name, "GS_ClearHighScores") || !result ||
      result->GetValue("Button").ToString() != "button_yes")
    return;
  Ref<IHighScores> scores = owner_ ? owner_->GetHighScores() : nullptr;
  if (!scores) return;
  scores->ClearAll();
  // The tables start again from the defaults the game ships with.
  scores->LoadFromFile(GetEngine(), true);
  scores->SaveToFile(GetEngine());
  if (Ref<IWidget> grid = grid_) grid->Invalidate();
}
