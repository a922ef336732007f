#include "tests/support/WidgetFixture.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/XMLStorage.h"
#include "shell/ShellRegistration.h"

// ---------------------------------------------------------------------------------------
// FakeWindow

void FakeWindow::SetRoot(const Ref<IWidget>& widget) {
  if (root) root->ReleaseOwner();
  root = widget;
  if (root) root->SetOwner(this);
}

Ref<IWidget> FakeWindow::FindWidget(std::string_view path) {
  return root ? root->FindWidget(path) : nullptr;
}

Ref<ISound> FakeWindow::FindSound(const std::string& name) {
  return gameSounds ? gameSounds->FindSound(Variant(name)) : nullptr;
}

void FakeWindow::AddDirtyRect(const TRect& rect) {
  dirtyRects.push_back(rect);
  if (engine) engine->RedrawRect(rect);
}

void FakeWindow::SetCapture(const Ref<IWidget>& widget) {
  if (capture) capture->OnLoseCapture();
  capture = widget;
}

void FakeWindow::ReleaseCapture() {
  if (capture) capture->OnLoseCapture();
  capture = nullptr;
}

void FakeWindow::SetFocus(const Ref<IWidget>& widget) {
  if (focus) focus->OnKillFocus();
  focus = widget;
  if (focus) focus->OnSetFocus();
}

void FakeWindow::ClearFocus() {
  if (focus) focus->OnKillFocus();
  focus = nullptr;
}

Ref<IWidgetCollection> FakeWindow::GetChildren() {
  return root ? root->GetChildren() : nullptr;
}

void FakeWindow::ResetInput() {
  capture = nullptr;
  focus = nullptr;
  if (root) root->Invalidate();
}

Ref<IWidget> FakeWindow::WidgetAtPos(const TPoint& point) {
  return root ? root->WidgetAtPos(point) : nullptr;
}

void FakeWindow::PlaySound(const std::string& name) {
  if (root) root->PlaySound(name);
}

void FakeWindow::StopSound(const std::string& name) {
  if (!root || !engine) return;
  if (Ref<ISoundCollection> sounds = root->GetSounds())
    if (Ref<ISound> sound = sounds->FindSound(Variant(name))) engine->StopSound(sound);
}

void FakeWindow::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  events.push_back({sender ? sender->GetName() : std::string(), code, param});
}

bool FakeWindow::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  if (capture) return Ref<IWidget>(capture)->HandleMouse(message, point, keys);
  Ref<IWidget> hit = WidgetAtPos(point);
  return hit && hit->IsMouseStop() && hit->HandleMouse(message, point, keys);
}

bool FakeWindow::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) {
  return focus && Ref<IWidget>(focus)->HandleKey(message, keyCode, keyData);
}

void FakeWindow::Update(int32_t dt) {
  if (root) root->Process(dt);
}

void FakeWindow::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (root) DrawChildAt(root.get(), surface, x, y);
}

bool FakeWindow::UpdateDirtyRects() {
  if (root) root->UpdateDirtyRects(false, false);
  return true;
}

// ---------------------------------------------------------------------------------------
// Test doubles

void TestBoxWidget::Update(int32_t dt) {
  TSingleWidget::Update(dt);
  ++updates;
  lastDt = dt;
}

void TestBoxWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  drawnAt.push_back({x, y});
  // Only the surface's pixels: a box far out of it may reach past 32 bits.
  int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  int64_t right = std::min<int64_t>(int64_t(x) + width_, surface->GetWidth());
  int64_t bottom = std::min<int64_t>(int64_t(y) + height_, surface->GetHeight());
  for (int64_t j = top; j < bottom; ++j)
    for (int64_t i = left; i < right; ++i) surface->SetPixel(int32_t(i), int32_t(j), color);
}

bool TestBoxWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t) {
  mouseMessages.push_back(message);
  mousePoints.push_back(point);
  return handles;
}

const TPropertyTable& TestBoxWidget::Properties() {
  using B = TestBoxWidget;
  static const TPropertyTable table(TSingleWidget::Properties(),
                                    {
                                        Prop("color", &B::color).Hex(0xFFFFFFFF).Redraws(),
                                        Prop("caption", &B::caption).Str(),
                                        Attr("handles", &B::handles).Bool(false),
                                    });
  return table;
}

void TestFunction::SetOutput(int32_t, float value) {
  output = value;
  pushedOutputs.push_back(value);
}

void TestFunction::Calculate() {
  ++calculates;
  output = float(input * scale + offset);
}

const TPropertyTable& TestFunction::Properties() {
  using F = TestFunction;
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr("output", &F::outputName).Str(),
                                        Attr("input", &F::inputName).Str(),
                                        Attr("scale", &F::scale).Float(1.0),
                                        Attr("offset", &F::offset).Float(0.0),
                                    });
  return table;
}

void TestSound::Init() {
  TPropertyObject::Init();
  elementName_ = "sound";
}

const TPropertyTable& TestSound::Properties() {
  using S = TestSound;
  static const TPropertyTable table(TPropertyObject::Properties(),
                                    {
                                        Attr("resourcename", &S::resource).Str(),
                                        Attr("volume", &S::volume).Int(-1),
                                        Attr("pan", &S::pan).Int(-101),
                                    });
  return table;
}

void TestSoundCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  elementName_ = "sounds";
  itemElementName_ = "sound";
  SetItemClass(ClassOf<TestSound>());
}

Ref<ISound> TestSoundCollection::FindSound(const Variant& address) {
  return items_->GetAs<ISound>(address);
}

void TestSoundCollection::AddSound(const std::string& name, const std::string& resource) {
  Ref<TestSound> sound = TAbstractObject::Create<TestSound>();
  sound->SetName(name);
  sound->resource = resource;
  items_->Add(sound, name);
}

void TestSoundCollection::ItemLoaded(const Ref<IInterface>& item) {
  if (Ref<ISound> sound = Supports<ISound>(item)) items_->Add(sound, sound->GetName());
}

void RegisterWidgetTestClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterFoundationClasses();
  RegisterShellClasses();
  RegisterClassName<TestBoxWidget>("test_box");
  RegisterClassName<TestFunction>("test_function");
  SetSoundCollectionMaker([]() -> Ref<ISoundCollection> {
    return Ref<ISoundCollection>(TAbstractObject::Create<TestSoundCollection>().get());
  });
}

// ---------------------------------------------------------------------------------------
// WidgetFixture

WidgetFixture::WidgetFixture() {
  RegisterWidgetTestClasses();
  engine = Ref<FakeEngine>(new FakeEngine());
  window = TAbstractObject::Create<FakeWindow>();
  window->SetName("screen");
  window->engine = engine.get();
  screens = TAbstractObject::Create<FakeScreenOwner>();
  screens->engine = engine.get();
  window->screenOwner = screens.get();
}

WidgetFixture::~WidgetFixture() {
  window->SetRoot(nullptr);
  window->capture = nullptr;
  window->focus = nullptr;
}

Ref<IWidget> WidgetFixture::Load(const std::string& xml) {
  Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(xml);
  Ref<IWidget> widget = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(storage.get())));
  EXPECT_TRUE(widget) << "no widget from " << xml;
  return widget;
}

Ref<IWidget> WidgetFixture::Show(const std::string& xml) {
  Ref<IWidget> widget = Load(xml);
  window->SetRoot(widget);
  return widget;
}

void WidgetFixture::DirtyPass() {
  window->dirtyRects.clear();
  engine->redrawRects.clear();
  if (window->root) window->root->UpdateDirtyRects(false, false);
}

void WidgetFixture::Frame(int32_t dt) {
  if (window->root && !window->root->IsPaused()) window->root->Process(dt);
  DirtyPass();
}

TSurfacePtr WidgetFixture::NewSurface(int32_t width, int32_t height, uint32_t fill) {
  TSurfacePtr surface(new TSurface());
  surface->SetSize(width, height);
  surface->SetHasAlpha(true);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) surface->SetPixel(x, y, fill);
  return surface;
}

TSurfacePtr WidgetFixture::Render(int32_t width, int32_t height, uint32_t background) {
  TSurfacePtr frame = NewSurface(width, height, background);
  if (IWidget* root = window->root.get())
    root->Draw(frame.get(), RoundHalfEven(root->GetAnchorLeft()),
               RoundHalfEven(root->GetAnchorTop()));
  return frame;
}

TestBoxWidget* WidgetFixture::Box(const Ref<IWidget>& widget) {
  auto* box = dynamic_cast<TestBoxWidget*>(widget.get());
  EXPECT_TRUE(box) << "not a test_box";
  return box;
}
