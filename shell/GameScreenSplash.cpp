#include "shell/GameScreenSplash.h"

#include <exception>

#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

namespace {

const char* const kLoadComplete = "LoadComplete";
const char* const kImageLoading = "image_loading";
const char* const kImageLoaded = "image_loaded";
const char* const kProgress = "progress";
const char* const kRefreshContent = "refresh_content";
const char* const kPosition = "position";

}  // namespace

// ---------------------------------------------------------------------------------------
// Splash

const TPropertyTable& TGameScreenSplash::Properties() {
  using S = TGameScreenSplash;
  static const TPropertyTable table(
      TGameScreen::Properties(), {
                                     Attr("wait_button_name", &S::waitButtonName_).Str().Always(),
                                 });
  return table;
}

Ref<IWidget> TGameScreenSplash::WaitButton() {
  if (waitButtonName_.empty()) return nullptr;
  return FindWidget(waitButtonName_);
}

void TGameScreenSplash::Show(const Ref<IParamCollection>& params) {
  TGameScreen::Show(params);
  if (!params || !params->FindParam(Variant(kLoadComplete))) return;
  try {
    waitingForLoad_ = true;
    if (WaitButton())
      ShowLoadComplete();
    else
      Close(nullptr);
  } catch (const std::exception& error) {
    // The start goes on whatever the screen's widgets did; the author hears of it.
    Warn(name_, error.what());
  }
}

void TGameScreenSplash::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (!sender || waitButtonName_.empty()) return;
  if (sender->GetName() == waitButtonName_ || sender == WaitButton().get()) Close(nullptr);
}

void TGameScreenSplash::Hide() {
  TGameScreen::Hide();
  if (waitingForLoad_) FinishLoading();
}

void TGameScreenSplash::FinishLoading() {
  waitingForLoad_ = false;
  bool first = !mainScreenRequested_;
  mainScreenRequested_ = true;
  if (first && owner_) owner_->ShowMainScreen();
}

// ---------------------------------------------------------------------------------------
// Progress

const TPropertyTable& TGameScreenSplashProgress::Properties() {
  using P = TGameScreenSplashProgress;
  static const TPropertyTable table(
      TGameScreenSplash::Properties(),
      {
          Custom<P>("total_updates", &P::LoadTotalUpdates, &P::SaveTotalUpdates),
      });
  return table;
}

void TGameScreenSplashProgress::LoadTotalUpdates(const Ref<IHierStorage>& node) {
  totalUpdates_ = ReadXmlFloat(node, "TotalUpdates", ReadXmlFloat(node, "total_updates", 200.0));
}

void TGameScreenSplashProgress::SaveTotalUpdates(const Ref<IHierStorage>& node) {
  WriteXmlFloat(node, "total_updates", totalUpdates_, true);
}

void TGameScreenSplashProgress::ShowLoadComplete() {
  if (Ref<IWidget> button = WaitButton()) button->Show(true);
  if (Ref<IWidget> loading = FindWidget(kImageLoading)) loading->Show(false);
  if (Ref<IWidget> loaded = FindWidget(kImageLoaded)) loaded->Show(true);
  if (Ref<ICursorCollection> cursors = owner_ ? owner_->GetCursors() : nullptr)
    cursors->SetCursor(cursors->GetDefaultCursorName());
  loadShown_ = true;
}

void TGameScreenSplashProgress::FinishLoading() {
  TGameScreenSplash::FinishLoading();
  if (IEngine* engine = GetEngine()) {
    engine->RemoveResources("splash");
    engine->RemoveResources("splash2");
  }
}

void TGameScreenSplashProgress::Update(int32_t dt) {
  TGameScreenSplash::Update(dt);
  if (loadShown_) return;
  Ref<IWidget> loading = FindWidget(kImageLoading);
  if (!loading || !loading->IsVisible()) return;
  Ref<IWidget> progress = loading->FindWidget(kProgress);
  if (!progress) return;
  if (progressCount_ < INT32_MAX) ++progressCount_;
  // A total of 0 or less has nothing to count towards: the bar is full.
  double position = totalUpdates_ > 0 ? progressCount_ / totalUpdates_ : 1.0;
  progress->SetProperty(kPosition, Variant(position));
  loading->Process(1);
}

// ---------------------------------------------------------------------------------------
// Logos

void TGameScreenSplashLogos::Show(const Ref<IParamCollection>& params) {
  closing_ = false;
  TGameScreen::Show(params);
}

void TGameScreenSplashLogos::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (code != control_event::kSequenceEnd || closing_) return;
  closing_ = Close(nullptr);
}

// ---------------------------------------------------------------------------------------
// Self-refresh

const TPropertyTable& TGameScreenSplashSelfRefresh::Properties() {
  using R = TGameScreenSplashSelfRefresh;
  static const TPropertyTable table(
      TGameScreen::Properties(),
      {
          Attr("refresh_on_first_show", &R::refreshOnFirstShow_).Bool().Always(),
      });
  return table;
}

void TGameScreenSplashSelfRefresh::LoadFromXml(const Ref<IHierStorage>& node) {
  ownXml_ = node ? node->GetXml().ToString() : std::string();
  refreshOnFirstShow_ = ReadXmlBool(node, "refresh_on_first_show", false);
  refresh_ = refreshOnFirstShow_;
  if (refresh_)
    SetName(ReadXmlStr(node, "name"));
  else
    TGameScreen::LoadFromXml(node);
}

void TGameScreenSplashSelfRefresh::OnShow(const Ref<IParamCollection>& params) {
  if (refresh_) Rebuild();
  refresh_ = true;
  TGameScreen::OnShow(params);
}

void TGameScreenSplashSelfRefresh::Rebuild() {
  if (root_) root_->ReleaseOwner();
  Ref<IHierStorageRoot> storage;
  try {
    storage = LoadXmlStorageFromText(ownXml_);
  } catch (const std::exception& error) {
    Warn(name_, error.what());
  }
  if (storage) {
    Reset();
    // The whole screen, as the base class reads it: this class read only the name.
    TGameScreen::LoadFromXml(Ref<IHierStorage>(storage.get()));
    LoadWindow();
  }
  // Loading the window gave the root its owner; without a window it still needs one.
  if (root_ && owner_ && root_->GetOwner() != static_cast<IWidgetOwner*>(this)) SetOwner(owner_);
}

void TGameScreenSplashSelfRefreshFactory::OnShow(const Ref<IParamCollection>& params) {
  TGameScreenSplashSelfRefresh::OnShow(params);
  Ref<IWidget> content = CreateWidget(kRefreshContent, params);
  Ref<IWidgetCollection> children = root_ ? root_->GetChildren() : nullptr;
  if (content && children) children->Add(content);
}
