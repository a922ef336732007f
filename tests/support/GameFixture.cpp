#include "tests/support/GameFixture.h"

#include "foundation/GameDeclarations.h"
#include "foundation/GlobalOptions.h"
#include "foundation/Routines.h"
#include "foundation/XMLStorage.h"
#include "widgets/ListBoxControl.h"

// ---------------------------------------------------------------------------------------
// FakeGameEngine

void FakeGameEngine::SetOption(const std::string& name, const Variant& value) {
  if (refusedOptions.count(name)) throw Exception("option refused");
  FakeEngine::SetOption(name, value);
}

std::string FakeGameEngine::ReadTextFile(const std::string& path, const std::string& key) {
  auto it = textFiles.find(path + "|" + key);
  return it == textFiles.end() ? std::string() : it->second;
}

void FakeGameEngine::LoadResources(const Ref<IHierStorage>& storage, const std::string& group,
                                   bool) {
  storageLoads.push_back(group + ":" + (storage ? storage->GetName() : std::string()));
}

void FakeGameEngine::LoadResourcesFromFile(const std::string& path, const std::string& group,
                                           bool doPump) {
  resourceLoads.push_back({path, group, doPump});
  if (doPump && pump) pump();
}

AudioHandle FakeGameEngine::PlayMusic(const Ref<IMusic>& music) {
  if (music) playedMusic.push_back(music->GetResourceName());
  return 1;
}

void FakeGameEngine::StopMusic(const Ref<IMusic>& music) {
  if (music) stoppedMusic.push_back(music->GetResourceName());
}

// ---------------------------------------------------------------------------------------
// Screens

std::vector<std::string>& GameLog() {
  static std::vector<std::string> log;
  return log;
}

void TestGameScreen::OnShow(const Ref<IParamCollection>& params) {
  TGameScreen::OnShow(params);
  GameLog().push_back(name_ + ".OnShow(" + DescribeParams(params) + ")");
  if (onShow) onShow(*this);
}

void TestGameScreen::OnShown(const Ref<IParamCollection>& params) {
  TGameScreen::OnShown(params);
  GameLog().push_back(name_ + ".OnShown");
  if (onShown) onShown(*this);
}

void TestGameScreen::OnChildClosed(const std::string& name, const Ref<IParamCollection>& result) {
  TGameScreen::OnChildClosed(name, result);
  lastChild = name;
  lastResult = result;
  GameLog().push_back(name_ + ".OnChildClosed(" + name + "," + DescribeParams(result) + ")");
  if (onChildClosed) onChildClosed(*this);
}

void TestGameScreen::OnActivateApp(bool active) {
  TGameScreen::OnActivateApp(active);
  GameLog().push_back(name_ + ".OnActivateApp(" + std::to_string(int(active)) + ")");
}

void TestGameScreen::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  GameLog().push_back(name_ + ".Event(" + (sender ? sender->GetName() : std::string()) + "," +
                      std::to_string(code) + ")");
}

void TestSplashScreen::Show(const Ref<IParamCollection>& params) {
  TestGameScreen::Show(params);
  if (!params || !params->FindParam(Variant("LoadComplete"))) return;
  waiting = true;
  Close(nullptr);
}

void TestSplashScreen::Hide() {
  TestGameScreen::Hide();
  if (!waiting) return;
  waiting = false;
  if (!mainRequested && owner_) owner_->ShowMainScreen();
  mainRequested = true;
}

void TestControlWidget::OnSetFocus() {
  GameLog().push_back(name_ + ".SetFocus");
}

void TestControlWidget::OnKillFocus() {
  GameLog().push_back(name_ + ".KillFocus");
}

void TestControlWidget::OnLoseCapture() {
  GameLog().push_back(name_ + ".LoseCapture");
}

bool TestControlWidget::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t) {
  GameLog().push_back(name_ + ".Key(" + std::to_string(message) + "," + std::to_string(keyCode) +
                      ")");
  for (uintptr_t key : handledKeys)
    if (key == keyCode) return true;
  return false;
}

const TPropertyTable& TestControlWidget::Properties() {
  using W = TestControlWidget;
  static const TPropertyTable table(
      TestBoxWidget::Properties(),
      {
          Attr("tabstop", &W::tabStop).Bool(false),
          Custom<W>(
              "handles_keys",
              [](W& w, const Ref<IHierStorage>& node) {
                w.handledKeys.clear();
                for (const std::string& key : SplitString(ReadXmlStr(node, "handles_keys"), ','))
                  w.handledKeys.push_back(uintptr_t(std::stoul(key)));
              },
              nullptr),
      });
  return table;
}

void RegisterGameTestClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterWidgetTestClasses();
  RegisterClassName<TestGameScreen>("test_screen");
  RegisterClassName<TestSplashScreen>("test_splash");
  RegisterClassName<TestControlWidget>("test_control");
}

// ---------------------------------------------------------------------------------------
// GameFixture

GameFixture::GameFixture() {
  RegisterGameTestClasses();
  GameLog().clear();
  engine = Ref<FakeGameEngine>(new FakeGameEngine());
  engine->pump = [this] { Frame(16); };
  savedMirrored_ = MirroredOptionNames;
  MirroredOptionNames = ";FullScreenMode;WideScreenMode;MusicVolume;SoundVolume;";
  preferencePath_ = preferences.Path().string();
  SetPreferenceFolderProvider([this] { return preferencePath_; });
  GlobalOptions().Unload();
}

GameFixture::~GameFixture() {
  if (game) game->Done();
  game = nullptr;
  engine->pump = nullptr;
  GlobalOptions().Unload();
  SetPreferenceFolderProvider(nullptr);
  MirroredOptionNames = savedMirrored_;
  GameLog().clear();
}

std::string GameFixture::GameXml(const std::string& screens, const std::string& attrs,
                                 const std::string& children) {
  std::string defaults;
  for (const char* id : {"splashlogosgs", "splashgs", "maings", "closequerygs"})
    if (attrs.find(std::string(id) + "=") == std::string::npos)
      defaults += std::string(" ") + id + "=\"\"";
  return R"(<game type="Game" name="test")" + defaults + " " + attrs + ">" + children +
         "<gamescreens>" + screens + "</gamescreens></game>";
}

std::string GameFixture::ScreenXml(const std::string& id, const std::string& window,
                                   const std::string& type, const std::string& attrs) {
  return R"(<gamescreen type=")" + type + R"(" name=")" + id + "\" " + attrs + "><window>" +
         window + "</window></gamescreen>";
}

std::string GameFixture::Box(const std::string& name, int left, int top, int width, int height,
                             const std::string& attrs) {
  return R"(<widgets><widget type="test_box" name=")" + name + R"(" visible="yes" anchor_left=")" +
         std::to_string(left) + R"(" anchor_top=")" + std::to_string(top) + R"(" width=")" +
         std::to_string(width) + R"(" height=")" + std::to_string(height) + "\" " + attrs +
         "/></widgets>";
}

std::string GameFixture::HideEffect(int ms) {
  return R"(<effects><widgets><widget type="func_appearance_effect" name="hide_effect" durationtime=")" +
         std::to_string(ms) + R"("/></widgets></effects>)";
}

std::string GameFixture::ShowEffect(int ms) {
  return R"(<effects><widgets><widget type="func_appearance_effect" name="show_effect" durationtime=")" +
         std::to_string(ms) + R"("/></widgets></effects>)";
}

Ref<TGame> GameFixture::Load(const std::string& xml) {
  Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(xml);
  Ref<INamedObject> object = CreateObjectFromXml(Ref<IHierStorage>(storage.get()));
  game = Ref<TGame>(dynamic_cast<TGame*>(object.get()));
  EXPECT_TRUE(game) << "no game from " << xml;
  return game;
}

Ref<TGame> GameFixture::Start(const std::string& xml) {
  if (Load(xml)) game->Initialize(Ref<IEngine>(engine.get()));
  return game;
}

void GameFixture::Frame(int32_t dt) {
  engine->redrawRects.clear();
  game->Update(dt);
  game->InvalidateAll();
}

TSurfacePtr GameFixture::Render(int32_t width, int32_t height) {
  TSurfacePtr frame(new TSurface());
  frame->SetSize(width, height);
  frame->SetHasAlpha(true);
  frame->Clear();
  game->Draw(frame.get(), 0, 0);
  return frame;
}

std::vector<std::string> GameFixture::Stack() {
  std::vector<std::string> ids;
  Ref<IGSCollection> stack = game->GetStack();
  for (int i = 0; i < stack->Count(); ++i) ids.push_back(stack->GetScreen(Variant(i))->GetName());
  return ids;
}

TestGameScreen* GameFixture::Screen(const std::string& id) {
  Ref<IGameScreenSlave> screen = game->GetScreens()->GetScreen(Variant(id));
  auto* test = dynamic_cast<TestGameScreen*>(screen.get());
  EXPECT_TRUE(test) << id << " is no test screen";
  return test;
}

IGameScreenSlave* GameFixture::Slave(const std::string& id) {
  return game->GetScreens()->GetScreen(Variant(id)).get();
}

Ref<IWidget> GameFixture::Find(const std::string& id, const std::string& path) {
  return Slave(id)->GetWindow()->FindWidget(path);
}

std::string GameFixture::CurrentPlayer() {
  Ref<IUserProfile> current = game->GetUserProfiles()->GetCurrent();
  return current ? current->GetName() : "(none)";
}

std::vector<std::string> GameFixture::ListRows(const std::string& id, const std::string& path) {
  std::vector<std::string> rows;
  auto* list = dynamic_cast<TListBoxControl*>(Find(id, path).get());
  EXPECT_TRUE(list) << path << " is no list box";
  for (int i = 0; list && i < list->GetRowCount(); ++i) rows.push_back(list->GetRow(Variant(i)));
  return rows;
}

std::vector<std::string> GameFixture::TakeLog() {
  std::vector<std::string> log = std::move(GameLog());
  GameLog().clear();
  return log;
}
