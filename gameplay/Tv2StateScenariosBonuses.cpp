#include "gameplay/Tv2StateScenariosBonuses.h"

#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/XmlAttributes.h"

const TPropertyTable& TStateScenarioFlyBonus::Properties() {
  using S = TStateScenarioFlyBonus;
  static const TPropertyTable table(TStateScenarioWaitWidgetsGameManager::Properties(),
                                    {
                                        Custom<S>("fly_bonus", &S::LoadLook, nullptr),
                                    });
  return table;
}

// Read apart from the group's own rows: "width" and "height" here size the text, not
// the group.
void TStateScenarioFlyBonus::LoadLook(const Ref<IHierStorage>& node) {
  width_ = ReadXmlInt(node, "width", 400);
  height_ = ReadXmlInt(node, "height", 40);
  textAlign_ = ReadXmlStr(node, "textalign", "");
  pushDownInRight_ = ReadXmlBool(node, "push_down_in_right", false);
  endPosX_ = ReadXmlStr(node, "endposx", "");
  endPosY_ = ReadXmlStr(node, "endposy", "");
  text_ = ReadXmlStr(node, "text", "");
  font_ = ReadXmlStr(node, "font", "");
  drawMode_ = ReadXmlStr(node, "drawmode", "copyrect");
  color_ = ReadXmlHex(node, "color", 0);
}

void TStateScenarioFlyBonus::OnEnterHook() {
  int32_t x = 0, y = -50;
  std::string align = textAlign_;
  const TPoint onScreen = GetSurfaceOffset(this, TPoint{0, 0});
  if (int64_t(width_) + onScreen.X > kRightEdge) {
    if (align.empty()) align = "right";
    x = SaturateInt32(int64_t(x) - width_);
    if (pushDownInRight_) y += 40;
  } else if (align.empty()) {
    align = "left";
  }
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("x1", Variant(x));
  params->SetValue("x2", endPosX_.empty() ? Variant(x) : Variant(endPosX_));
  params->SetValue("width", Variant(width_));
  params->SetValue("height", Variant(height_));
  params->SetValue("y1", Variant(y));
  params->SetValue("y2", endPosY_.empty() ? Variant(y - 50) : Variant(endPosY_));
  params->SetValue("text", Variant(text_));
  params->SetValue("font", Variant(font_));
  params->SetValue("drawmode", Variant(drawMode_));
  params->SetValue("color", Variant(int32_t(color_)));
  params->SetValue("textalign", Variant(align));

  Ref<IWidget> text = CreateChildWidget("gamefield_fly_bonus_text", params, false);
  Ref<IWidget> fly = CreateChildWidget("gamefield_fly_bonus", params, true);
  if (fly) {
    fly->SetProperty("currenttime", Variant(-1000));
    if (text) fly->SetProperty("surface", Variant(Ref<IInterface>(text->GetImage().get())));
  }
  if (!text) return;
  if (text->GetAnchorLeft() + width_ + 20 > DesignWidth)
    text->SetAnchorLeft(text->GetAnchorLeft() - (width_ + 20));
  text->SetDead(true);
}

const TPropertyTable& TStateScenarioPenalty::Properties() {
  using S = TStateScenarioPenalty;
  static const TPropertyTable table(TStateScenarioWaitWidgetsGameManager::Properties(),
                                    {
                                        Attr("duration", &S::duration_).Int(0),
                                    });
  return table;
}

void TStateScenarioPenalty::OnEnterHook() {
  if (gameOwner_) gameOwner_->SetBlackScreen(true);
  RestartTimer(duration_);
}

void TStateScenarioPenalty::OnExitHook() {
  if (gameOwner_) gameOwner_->SetBlackScreen(false);
  TStateScenarioWaitWidgetsGameManager::OnExitHook();
}
