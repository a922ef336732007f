// The push button: pictures for its states, the click and the built-in actions.

#include "widgets/ButtonControl.h"

#include "foundation/Params.h"
#include "foundation/Routines.h"

namespace {

constexpr std::string_view kNormal = "image_normal";
constexpr std::string_view kSelected = "image_selected";
constexpr std::string_view kDisabled = "image_disabled";
constexpr std::string_view kHighlighter = "highlighter";

}  // namespace

void TButtonControl::Init() {
  TControlWidget::Init();
  imageState_ = isNone;
}

// The action words are compared as they are: only the file's value is lower-cased.
const TPropertyTable& TButtonControl::Properties() {
  using B = TButtonControl;
  static const TPropertyTable table(
      TControlWidget::Properties(),
      {
          Prop("actiontype", &B::actionType_).Str(),
          Prop("GSParams", &B::gsParams_).Str(),
          Prop("gamescreenname", &B::gameScreenName_).Str(),
          Prop("url", &B::url_).Str(),
          Prop("file_to_run", &B::fileToRun_).Str(),
          Prop("props_to_change", &B::propsToChange_).Str(),
          Prop("check_images", &B::checkImages_).Bool().NotSaved(),
          Prop("highlighted", &B::highlighted_, &B::SetHighlighted).Bool().NotSaved(),
      });
  return table;
}

void TButtonControl::LoadFromXml(const Ref<IHierStorage>& node) {
  TControlWidget::LoadFromXml(node);
  for (char& c : actionType_)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
}

void TButtonControl::SetOwner(IWidgetOwner* owner) {
  TControlWidget::SetOwner(owner);
  imageCheckPending_ = true;
  imageState_ = isNone;
  RefreshImage();
}

void TButtonControl::SetEnabled(bool value) {
  TControlWidget::SetEnabled(value);
  RefreshImage();
}

// ---------------------------------------------------------------------------------------
// Pictures

void TButtonControl::SetImageState(uint8_t state) {
  if (state == imageState_) return;
  imageState_ = state;
  IWidget* normal = Child(kNormal);
  IWidget* selected = Child(kSelected);
  IWidget* disabled = Child(kDisabled);
  HideChild(normal);
  HideChild(selected);
  HideChild(disabled);
  switch (state) {
    case isNormal:
      ShowChild(normal);
      break;
    case isSelected:
      ShowChild(selected ? selected : normal);
      break;
    case isDisabled:
      ShowChild(disabled ? disabled : normal);
      break;
    default:
      break;
  }
  ShowHighlighter();
}

void TButtonControl::ShowHighlighter() {
  IWidget* highlighter = Child(kHighlighter);
  if (imageState_ != isDisabled && highlighted_)
    ShowChild(highlighter);
  else
    HideChild(highlighter);
}

void TButtonControl::SetHighlighted(bool value) {
  highlighted_ = value;
  ShowHighlighter();
}

void TButtonControl::RefreshImage() {
  SetImageState(!enabled_ ? isDisabled : hovered_ ? isSelected : isNormal);
}

void TButtonControl::CheckImages() {
  IEngine* engine = Engine();
  if (checkImages_ && engine) {
    // A picture that is not there yet (an empty image) hides the button until it is.
    for (int i = 0; i < children_->WidgetCount(); ++i) {
      std::string name = children_->WidgetAt(i)->GetProperty("resourcename").ToString();
      Ref<IImageResource> image = Supports<IImageResource>(engine->GetResource(name));
      if (image && image->GetWidth() < 1 && image->GetHeight() < 1) {
        SetVisible(false);
        return;
      }
    }
  }
  imageCheckPending_ = false;
}

void TButtonControl::Update(int32_t dt) {
  if (imageCheckPending_) CheckImages();
  TControlWidget::Update(dt);
  if (!Engine()) return;
  bool inside = CursorInside();
  if (inside == hovered_) return;
  hovered_ = inside;
  RefreshImage();
  SetNeedsRedraw(true);
}

// ---------------------------------------------------------------------------------------
// The click

bool TButtonControl::MouseDown(const TPoint&, uint32_t, int button) {
  return PressForClick(button);
}

bool TButtonControl::MouseUp(const TPoint& point, uint32_t, int button) {
  return ReleaseForClick(point, button);
}

void TButtonControl::Clicked() {
  if (!RunAction()) SendEvent(control_event::kButtonClick);
  RefreshImage();
}

bool TButtonControl::RunAction() {
  IEventHandler* handler = owner_ ? owner_->GetEventHandler() : nullptr;
  auto params = [this] { return gsParams_.empty() ? nullptr : ParamsFromString(gsParams_); };
  if (actionType_ == "closegamescreen") {
    IGameScreenOwner* screens = handler ? handler->GetGameScreenOwner() : nullptr;
    auto* screen = InterfaceCast<IGameScreenSlave>(handler);
    if (screens && screen) screens->CloseScreen(screen, params());
  } else if (actionType_ == "showgamescreen") {
    IGameScreenOwner* screens = handler ? handler->GetGameScreenOwner() : nullptr;
    if (!gameScreenName_.empty() && screens) screens->ShowScreen(gameScreenName_, params());
  } else if (actionType_ == "url") {
    if (IEngine* engine = Engine()) engine->RunProgram(url_);
  } else if (actionType_ == "run_file") {
    if (IEngine* engine = Engine()) engine->OpenFile(fileToRun_);
  } else if (actionType_ == "change_props") {
    ApplyPropsToChange();
  } else {
    return false;
  }
  return true;
}

void TButtonControl::ApplyPropsToChange() {
  // A copy: a pair may set "props_to_change" itself.
  std::string props = propsToChange_;
  for (const TNameValuePair& pair : SplitNameValuePairs(props, '\\', '='))
    if (!pair.Name.empty()) SetProperty(pair.Name, Variant(pair.Value));
}
