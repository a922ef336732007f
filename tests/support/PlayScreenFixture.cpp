#include "tests/support/PlayScreenFixture.h"

#include "gameplay/Tv2SceneDefs.h"
#include "platform/InputConstants.h"
#include "screens/ScreensRegistration.h"

namespace {

std::string Sounds() {
  std::string sounds = "<sounds>";
  for (const char* name :
       {"sound_level_start", "sound_success_click", "sound_wrong_click",
        "sound_wrong_clicks_penalty", "sound_add_scores", "sound_hint_ready", "sound_accent_time",
        "sound_voodoo_crystal", "sound_level_failed", "sound_level_complete",
        "sound_level_complete_voodoo", "sound_get_from_panel", "sound_special_win"})
    sounds += std::string(R"(<sound name=")") + name + R"(" resourcename=")" + name + R"("/>)";
  return sounds + "</sounds>";
}

std::string Factory(const std::string& name, const std::string& widget) {
  return R"(<widgetfactory type="WidgetFactory" name=")" + name + "\"><widgetstring>" + widget +
         "</widgetstring></widgetfactory>";
}

// A visible test box named after its factory, or %name% when the factory is given one.
std::string BoxFactory(const std::string& name, const std::string& widgetName,
                       const std::string& attrs = {}) {
  return Factory(name, R"(<widget type="test_box" name=")" + widgetName + R"(" visible="yes" )" +
                           attrs + "/>");
}

std::string Group(const std::string& name, const std::string& attrs,
                  const std::string& inner = {}) {
  return R"(<widget type="group_widget" name=")" + name + "\" " + attrs + ">" +
         (inner.empty() ? "" : "<widgets>" + inner + "</widgets>") + "</widget>";
}

std::string Leaf(const std::string& name, const std::string& attrs = R"(visible="yes")") {
  return R"(<widget type="test_box" name=")" + name + "\" " + attrs + "/>";
}

// A push button sending plain clicks.
std::string Control(const std::string& name, const std::string& attrs = {},
                    const std::string& inner = {}) {
  std::string all = attrs;
  for (const char* pair : {"visible=\"yes\"", "enabled=\"yes\"", "mousestop=\"yes\"",
                           "width=\"40\"", "height=\"40\""}) {
    std::string key(pair, std::string_view(pair).find('=') + 1);
    if (all.find(key) == std::string::npos) all += std::string(" ") + pair;
  }
  return R"(<widget type="ButtonControl" name=")" + name + "\" " + all + ">" +
         (inner.empty() ? "" : "<widgets>" + inner + "</widgets>") + "</widget>";
}

std::string SkipButton(const std::string& name, int top) {
  std::string parts;
  for (const char* part :
       {"middle_background", "middle_border", "right_background", "right_border", "bar", "reset"})
    parts += Leaf(part, R"(visible="yes" width="10" height="10")");
  parts += Leaf("left_background", R"(visible="yes" width="12" height="10")");
  parts += Leaf("left_border", R"(visible="yes" width="8" height="10")");
  parts += Leaf("bar_fin", R"(visible="yes" width="10" height="10")");
  parts += Leaf("akkumulate", R"(visible="yes" extraparams="\value=0")");
  std::string button =
      R"(<widget type="ButtonControl" name="button" visible="yes" enabled="yes" mousestop="yes" width="100" height="30"><widgets>)" +
      Leaf("text", R"(visible="yes" width="60" height="20" extraparams="\textwidth=100")") +
      "</widgets></widget>";
  return Group(name,
               "visible=\"no\" anchor_left=\"512\" anchor_top=\"" + std::to_string(top) + "\"",
               button + parts);
}

std::string Cursors() {
  std::string cursors = "<cursors>";
  for (const char* name : {"default", "amulet", "hand", "none"})
    cursors += std::string(R"(<cursor name=")") + name + R"("><widget type="group_widget" name=")" +
               name + R"("><widgets>)" + Leaf("unpressed") + Leaf("pressed", R"(visible="no")") +
               Leaf("shine", R"(visible="yes" extraparams="\fillcolor=0")") +
               "</widgets></widget></cursor>";
  return cursors + "</cursors>";
}

}  // namespace

bool PlayLevelManager::ObjectClicked(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                                     const Ref<ISceneObjectLocation>& location,
                                     const TPoint& point) {
  FakeLevelManager::ObjectClicked(widget, object, location, point);
  return object && findable.count(object->GetName()) > 0;
}

Ref<IWidget> PlayLevelManager::RunSceneAction(const std::string& name,
                                              const Ref<IParamCollection>& params) {
  FakeLevelManager::RunSceneAction(name, params);
  return name == "complete_scene" ? completeScene : nullptr;
}

void RegisterPlayScreenTestClasses() {
  RegisterGameplayTestClasses();
  RegisterScreensClasses();
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TestPlayScreen>("TestPlayScreen");
}

PlayScreenFixture::PlayScreenFixture() {
  RegisterPlayScreenTestClasses();
  manager = TAbstractObject::Create<PlayLevelManager>();
  TestPlayScreen::nextLevelManager = Ref<ILevelManager>(manager.get());
  TestPlayScreen::nextPanelManager = nullptr;
}

PlayScreenFixture::~PlayScreenFixture() {
  TestPlayScreen::nextLevelManager = nullptr;
  TestPlayScreen::nextPanelManager = nullptr;
}

std::string PlayScreenFixture::Param(const std::string& name, const std::string& value) {
  return "<param name=\"" + name + "\" value=\"" + value + "\"/>";
}

Ref<IUserGameData> PlayScreenFixture::Progress(int taskType, const std::string& taskParams,
                                               const std::string& attrs,
                                               const std::string& sceneParams) {
  progress =
      PublishProgress("<usergamedata " + attrs +
                      "><scenes><scene name=\"room\" generated=\"yes\"><params>" + sceneParams +
                      "</params></scene></scenes><cases><case name=\"c\"><stages>"
                      "<stage name=\"s\"><tasks><task name=\"t\" tasktype=\"" +
                      std::to_string(taskType) + "\"><params>" + taskParams +
                      "</params></task></tasks></stage></stages></case></cases>"
                      "</usergamedata>");
  task = progress->GetCases()
             ->GetItem(Variant("c"))
             ->GetStages()
             ->GetItem(Variant("s"))
             ->GetTasks()
             ->GetItem(Variant("t"));
  return progress;
}

std::string PlayScreenFixture::Window(const std::string& extra, const std::string& ui,
                                      const std::string& factories) {
  std::string root = Leaf("approach_obscuring_widget", R"(visible="no")") +
                     Leaf("obscuring_widget", R"(visible="no")") +
                     Leaf("black_screen", R"(visible="no")") +
                     Leaf("interface_middle_line", R"(visible="no")") +
                     Leaf("amulet_darkness", R"(visible="no" width="200" height="100")") +
                     Group("loading_screen", R"(visible="yes" z="80" extraparams="\text=")",
                           Group("inner_widget", R"(visible="yes")", Leaf("old_child"))) +
                     extra;
  std::string hint = Group(
      "hint_group", R"(visible="yes" anchor_left="20" anchor_top="74")",
      Control("button_hint", R"(width="70" height="70")",
              Leaf("image_normal", R"(visible="yes" width="70" height="70")") +
                  Leaf("image_selected", R"(visible="no" width="70" height="70")")) +
          Leaf("image_hint_front",
               R"(visible="no" extraparams="\rotate=0\angle=0\rotationtime=0\currenttime=0")") +
          Leaf("image_hint_back",
               R"(visible="no" extraparams="\rotate=0\angle=0\rotationtime=0\currenttime=0")") +
          Leaf("image_hint_after",
               R"(visible="no" extraparams="\rotate=0\angle=0\rotationtime=0\currenttime=0")"));
  std::string uiWidgets =
      hint + Leaf("clock_minute_arrow", R"(visible="yes" extraparams="\angle=0")") +
      Leaf("clock_second_arrow", R"(visible="yes" extraparams="\angle=0")") +
      Group(
          "ui_level_timer", R"(visible="yes")",
          R"(<widget type="test_box" name="timer" visible="yes" extraparams="\text="><sounds><sound name="sound_accent_time" resourcename="sound_accent_time"/></sounds></widget>)") +
      Leaf("ui_objects_count_text", R"(visible="yes" extraparams="\text=\Count=0")") +
      Leaf("ui_scores_text", R"(visible="yes" extraparams="\text=")") +
      Leaf("ui_task_type_text", R"(visible="yes" extraparams="\text=")") +
      Leaf("ui_hide_clock_group") + Leaf("panel_complete_part_back") +
      Group("buttons", R"(visible="yes")", Control("button_menu")) + Control("button_diary") +
      Control("button_amulet", R"(enabled="no")", Leaf("sign", R"(visible="no")")) +
      Control("button_amulet_return", R"(visible="no")") +
      Group("voodoo_help_text", R"(visible="no")", Leaf("start") + Leaf("stop")) +
      Leaf("button_inventory_scroll_left") + Leaf("button_inventory_scroll_right") +
      SkipButton("button_skip", -19) + SkipButton("button_skip_level", -59) + ui;
  std::string made =
      BoxFactory("start_level_anim", "start_level_anim") +
      BoxFactory("task_quest", "task_quest", R"(caption="%text%")") +
      BoxFactory("selected_task_label", "selected_task_label", R"(caption="%caption%")") +
      BoxFactory("diary_shine", "diary_shine") + BoxFactory("ps_star_circle_wide", "%name%") +
      BoxFactory("wrong_clicks_penalty", "%name%", R"(caption="%value% %seconds%")") +
      BoxFactory("combo_bonus", "%name%", R"(caption="%text% +%bonus%")") +
      BoxFactory("hint_activation", "hint_activation", R"(caption="%duration%")") +
      BoxFactory("ps_star_circle", "%name%") +
      BoxFactory("hint_scenario", "%name%",
                 R"(caption="%target_x%,%target_y%,%target_angle%,%distance_duration%" )"
                 R"(extraparams="\widget=")") +
      BoxFactory("shine_effect", "shine_effect",
                 R"(anchor_left="%anchor_left%" anchor_top="%anchor_top%")") +
      BoxFactory("moving_object", "%name%") + BoxFactory("win_level_anim", "win_level_anim") +
      BoxFactory("win_first_date_level_anim", "win_first_date_level_anim") +
      BoxFactory("loose_level_anim", "loose_level_anim") +
      BoxFactory("close_gamescreen_anim", "close_gamescreen_anim") +
      BoxFactory("tutorial_panel", "tutorial_panel", R"(caption="%text%")") + factories;
  std::string window = PlayWindow(root, made, uiWidgets);
  // The interface layer sits where the game's does.
  const std::string ui_group = R"(name="ui_group" visible="yes" z="50")";
  window.replace(window.find(ui_group), ui_group.size(), ui_group + R"( anchor_top="619")");
  return Sounds() + window;
}

void PlayScreenFixture::StartGame(const std::string& window, const std::string& type) {
  std::string screens = ScreenXml("GS_Game", window, type) + ScreenXml("GS_LevelLoading") +
                        ScreenXml("GS_LevelStat") + ScreenXml("GS_GameMenu") +
                        ScreenXml("GS_Diary");
  Start(GameXml(screens, {}, Cursors()));
  game->GetCursors()->SetCursor("default");
  if (progress) SetGameParam("user_game_data", Ref<IInterface>(progress.get()));
  Frame(16);
  Ref<IGameScreenSlave> slave = game->GetScreens()->GetScreen(Variant("GS_Game"));
  screen = dynamic_cast<TTavelor2GameScreenGame*>(slave.get());
  ASSERT_TRUE(screen) << "GS_Game is no play screen";
  screen->LoadWindow();
  // The groups on the click path take the mouse, as the game's window has them.
  for (const char* path : {"objects_group", "left_part", "left_part/objects_group", "right_part",
                           "right_part/objects_group", "approaches_group", "ui_group"})
    if (Ref<IWidget> group = W(path)) group->SetMouseStop(true);
}

void PlayScreenFixture::ShowPlayScreen(const std::string& extraParams) {
  if (!game) StartGame();
  if (!screen) return;
  Ref<IParamCollection> params =
      ParamsFromString("\\case=c\\stage=s\\task=t\\participant=odile" + extraParams);
  game->ShowScreen("GS_Game", params);
  Frame(16);
}

void PlayScreenFixture::CloseTop(const Ref<IParamCollection>& result) {
  std::vector<std::string> stack = Stack();
  if (stack.empty()) return;
  Ref<IGameScreenSlave> top = game->GetScreens()->GetScreen(Variant(stack.back()));
  game->CloseScreen(top.get(), result);
  Frame(16);
}

bool PlayScreenFixture::StartLevel(const std::string& extraParams) {
  ShowPlayScreen(extraParams);
  if (!screen) return false;
  if (Stack().empty() || Stack().back() != "GS_LevelLoading") {
    std::string stack;
    for (const std::string& id : Stack()) stack += id + " ";
    ADD_FAILURE() << "no loading screen over the play screen: " << stack;
    return false;
  }
  CloseTop();
  screen->SetInputBlocked(false);
  Frame(250);  // past the input guard; the first timer tick only clears its flag
  return screen->IsLevelRunning();
}

void PlayScreenFixture::Press(const TPoint& point, int button) {
  static const uint32_t downs[] = {input::kLeftButtonDown, input::kRightButtonDown,
                                   input::kMiddleButtonDown};
  engine->cursor = point;
  game->HandleMouse(downs[button], point, 0);
}

void PlayScreenFixture::Release(const TPoint& point, int button) {
  static const uint32_t ups[] = {input::kLeftButtonUp, input::kRightButtonUp,
                                 input::kMiddleButtonUp};
  engine->cursor = point;
  game->HandleMouse(ups[button], point, 0);
}

void PlayScreenFixture::Click(const TPoint& point, int button) {
  Press(point, button);
  Release(point, button);
}

Ref<IWidget> PlayScreenFixture::W(const std::string& path) {
  return screen ? screen->FindWidget(path) : nullptr;
}

std::vector<std::string> PlayScreenFixture::Children(const std::string& path) {
  std::vector<std::string> names;
  Ref<IWidget> widget = W(path);
  Ref<IWidgetCollection> children = widget ? widget->GetChildren() : nullptr;
  if (!children) return names;
  for (int i = 0; i < children->Count(); ++i) names.push_back(children->GetByIndex(i)->GetName());
  return names;
}

Ref<IWidget> PlayScreenFixture::AddApproach(const std::string& name) {
  Ref<IParamCollection> params =
      ParamsFromString("\\name=" + name + "\\anchor_left=212\\anchor_top=90");
  Ref<IWidget> approach = screen->CreateWidget("widget_sceneapproach", params);
  if (!approach) return nullptr;
  approach->SetVisible(false);
  approach->SetMouseStop(true);
  if (Ref<IWidget> group = W("approaches_group")) group->GetChildren()->Add(approach);
  return approach;
}

Ref<IWidget> PlayScreenFixture::AddObject(const std::string& groupPath, const std::string& name,
                                          int type, int left, int top, int w, int h) {
  Ref<TSceneObjectDef> def = TAbstractObject::Create<TSceneObjectDef>();
  def->SetName(name);
  def->SetObjectType(uint8_t(type));
  def->SetWidth(w);
  def->SetHeight(h);
  def->SetCaptionText("%" + name + "%");
  Ref<ISceneObjectDef> object(def.get());
  objects.push_back(object);
  Ref<IParamCollection> params =
      ParamsFromString("\\name=" + name + "\\anchor_left=" + std::to_string(left) +
                       "\\anchor_top=" + std::to_string(top) + "\\width=" + std::to_string(w) +
                       "\\height=" + std::to_string(h) + "\\z=0\\zoomx=1\\zoomy=1");
  Ref<IWidget> widget = screen->CreateWidget("widget_sceneobject", params);
  if (!widget) return nullptr;
  widget->SetVisible(true);
  widget->SetMouseStop(true);
  widget->SetExtraParam(TTv2GameplayScreen::kObjectDefParam,
                        Variant(Ref<IInterface>(object.get())));
  if (Ref<IWidget> group = W(groupPath)) group->GetChildren()->Add(widget);
  return widget;
}
