// Scene actions: when a condition holds, and what each kind of action does, live and
// replayed at level start.

#include <gtest/gtest.h>

#include "gameplay/Tv2LevelManagers.h"
#include "gameplay/Tv2SceneDefs.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/GameplayFixture.h"

using namespace gameplay_test;

namespace {

class SceneActions : public GameplayFixture {
 protected:
  SceneActions() {
    Tv2DeclarationsInit();
    StartOwner(PlayWindow({}, R"(<widgetfactory type="WidgetFactory" name="diary_shine">
        <widgetstring><widget type="test_box" name="diary_shine"/></widgetstring>
        </widgetfactory>)"));
    progress = PublishProgress("<usergamedata/>");
    owner->SetProgress(progress, nullptr, nullptr, nullptr);
    manager = TAbstractObject::Create<THiddenShapesLevelManager>();
    manager->Init(owner);
    sceneDef = LoadRecord<TSceneDef>(
        R"(<scene_def><widgetfactories>
             <widgetfactory type="WidgetFactory" name="bats"><widgetstring>
               <widget type="test_box" name="bats" visible="yes"/></widgetstring></widgetfactory>
           </widgetfactories>
           <object_defs>
             <object_def name="key" objecttype="4" width="10" height="10"><locations>
               <location name="l1" anchor_left="10" anchor_top="10"/>
               <location name="l2" anchor_left="90" anchor_top="10"/></locations></object_def>
           </object_defs></scene_def>)");
    key = sceneDef->GetObjectDefs()->GetItem(Variant("key"));
    AddBox("shown", true);
    AddBox("hidden", false);
    Ref<IWidget> keyWidget = AddBox("key_l1", true);
    keyWidget->SetExtraParam("sceneobjectdef", Variant(Ref<IInterface>(key.get())));
  }
  ~SceneActions() override { manager->Done(); }

  Ref<IWidget> AddBox(const std::string& name, bool visible) {
    Ref<IWidget> box = Supports<IWidget>(CreateNamedObject("test_box", name));
    box->SetVisible(visible);
    owner->GetWidgetGroup(gkObjects)->GetChildren()->Add(box);
    return box;
  }

  // An action from its attributes.
  Ref<ISceneObjectAction> Action(const std::string& attrs) {
    return Ref<ISceneObjectAction>(LoadRecord<TSceneObjectAction>("<action " + attrs + "/>").get());
  }
  void Run(const Ref<ISceneObjectAction>& action, bool activating, bool byDefault = false,
           const std::string& used = ";") {
    TActionContext context;
    context.sceneDef = sceneDef.get();
    context.activating = activating;
    context.byDefault = byDefault;
    context.usedList = used;
    manager->ExecuteAction(action.get(), context);
  }
  bool Journals(const std::string& note) {
    return (";" + progress->GetJournal()).find(";" + note + ";") != std::string::npos;
  }

  Ref<IUserGameData> progress;
  Ref<THiddenShapesLevelManager> manager;
  Ref<TSceneDef> sceneDef;
  Ref<ISceneObjectDef> key;
};

}  // namespace

TEST_F(SceneActions, GateByConditionTypeActivatingAndDefault) {
  auto gate = [](int type, bool activating, bool byDefault) {
    switch (type) {
      case 0:
      case 4:
      case 8:
        return true;
      case 1:
      case 5:
      case 9:
      case 12:
      case 13:
      case 14:
        return activating;
      case 2:
      case 6:
      case 10:
        return !activating;
      case 3:
      case 7:
      case 11:
        return byDefault;
      default:
        return false;
    }
  };
  for (int type = 0; type <= 16; ++type)
    for (bool activating : {false, true})
      for (bool byDefault : {false, true}) {
        const std::string note =
            "n" + std::to_string(type) + (activating ? "a" : "r") + (byDefault ? "d" : "");
        Run(Action("condition_type=\"" + std::to_string(type) +
                   "\" action_type=\"12\" action_string=\"" + note + "\""),
            activating, byDefault);
        EXPECT_EQ(Journals(note), gate(type, activating, byDefault)) << note;
      }
}

TEST_F(SceneActions, WidgetConditionsOnShownHiddenAndMissingWidgets) {
  struct Case {
    int type;
    const char* names;
    bool holds;
  } cases[] = {
      {4, "shown", true},
      {4, "hidden", false},
      {4, "missing", false},
      {4, "shown;hidden", false},
      {4, "", true},
      {5, "shown", true},
      {8, "hidden", true},
      {8, "missing", true},
      {8, "shown", false},
      {8, "hidden;missing", true},
      {8, "missing;shown", false},
      {11, "hidden", true},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string note = "w" + std::to_string(n++);
    Run(Action("condition_type=\"" + std::to_string(c.type) + "\" condition_string=\"" + c.names +
               "\" action_type=\"12\" action_string=\"" + note + "\""),
        /*activating=*/true, /*byDefault=*/true);
    EXPECT_EQ(Journals(note), c.holds) << c.type << " " << c.names;
  }
}

TEST_F(SceneActions, CarriedItemAndCurrentObjectConditions) {
  Ref<IWidget> copy = Supports<IWidget>(CreateNamedObject("test_box", "key_copy"));
  struct Case {
    int type;
    const char* names;
    bool carrying;
    bool holds;
  } cases[] = {
      {12, "", false, true},     {12, "", true, false},          {12, "key_copy;lamp", true, true},
      {12, "lamp", true, false}, {12, "key_copy", false, false}, {13, "key", true, true},
      {13, "lamp", true, false}, {13, "", true, true},           {13, "key", false, false},
      {14, "key", true, false},  {14, "lamp", true, true},       {14, "key", false, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    owner->SetCarried(c.carrying ? copy : nullptr, c.carrying ? key : nullptr);
    const std::string note = "c" + std::to_string(n++);
    Run(Action("condition_type=\"" + std::to_string(c.type) + "\" condition_string=\"" + c.names +
               "\" action_type=\"12\" action_string=\"" + note + "\""),
        true);
    EXPECT_EQ(Journals(note), c.holds) << c.type << " '" << c.names << "' " << c.carrying;
  }
}

TEST_F(SceneActions, TakeAnObjectLiveReplayedAndTakenElsewhere) {
  auto take = Action("condition_type=\"0\" action_type=\"2\" action_string=\"key_l1\"");
  owner->TakeCalls();
  Run(take, true);
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{"EnableSceneObject(key,1)"});
  // Replayed: the scene widget comes back whatever the used list says.
  Run(take, false);
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{"EnableSceneObject(key,1)"});
  // Taken at another place already: nothing, unless every place counts.
  Run(take, true, false, ";key/l2;");
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{});
  key->SetLocationsAllEnabled(true);
  Run(take, true, false, ";key/l2;");
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{"EnableSceneObject(key,1)"});
  // Type 6 leaves the scene widget as it is.
  Run(Action("condition_type=\"0\" action_type=\"6\" action_string=\"key_l1\""), true);
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{});
}

TEST_F(SceneActions, JournalOnReplayWithoutAShine) {
  auto note = Action("condition_type=\"0\" action_type=\"12\" action_string=\"note_cellar\"");
  Run(note, false);
  EXPECT_TRUE(Journals("note_cellar"));
  EXPECT_FALSE(owner->FindWidget("ui_group/diary_shine"));
  Run(note, true);
  EXPECT_TRUE(owner->FindWidget("ui_group/diary_shine"));
  EXPECT_EQ(progress->GetJournal(), "note_cellar;");
}

TEST_F(SceneActions, ShowAWidgetAtOnceOrQueuedForLater) {
  owner->TakeCalls();
  Run(Action("condition_type=\"0\" action_type=\"0\" action_string=\"bats\""), false);
  Ref<IWidget> bats = owner->FindWidget("objects_group/bats");
  ASSERT_TRUE(bats);
  EXPECT_TRUE(bats->IsVisible());
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{});

  Run(Action("condition_type=\"0\" action_type=\"0\" action_string=\"bats\" "
             "startdelaytime=\"3000\""),
      false);
  bats = owner->FindWidget("objects_group/bats");
  ASSERT_TRUE(bats);
  EXPECT_FALSE(bats->IsVisible());
  EXPECT_TRUE(bats->IsPaused());
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{"QueueDelayedAction(bats,1,0,3000)"});
}

TEST_F(SceneActions, SwitchesApproachesAndCarrying) {
  struct Case {
    const char* attrs;
    bool activating;
    std::vector<std::string> calls;
  } cases[] = {
      {R"(action_type="3" action_string="hidden;missing")", true, {"ShowSceneWidget(hidden,1)"}},
      {R"(action_type="4" action_string="shown")", false, {"ShowSceneWidget(shown,0)"}},
      {R"(action_type="4" action_string="hidden" startdelaytime="500")",
       true,
       {"QueueDelayedAction(hidden,0,0,500)"}},
      {R"(action_type="1" action_string="chest" startdelaytime="250")",
       true,
       {"OpenApproach(chest,250)"}},
      {R"(action_type="1" action_string="chest")", false, {}},
      {R"(action_type="5" action_string="key_l1")", true, {"TakeSceneObject(key_l1,-,1,0,0,0,0)"}},
      {R"(action_type="7" action_string="key_l1")", true, {"TakeSceneObject(key_l1,-,0,0,0,0,0)"}},
      {R"(action_type="5" action_string="key_l1")", false, {}},
      {R"(action_type="13" action_string="key_l1")", true, {}},
  };
  for (const Case& c : cases) {
    owner->TakeCalls();
    Run(Action(std::string("condition_type=\"0\" ") + c.attrs), c.activating);
    EXPECT_EQ(owner->TakeCalls(), c.calls) << c.attrs;
  }
}

TEST_F(SceneActions, NamedActionsHoldByDefaultAndACycleEnds) {
  // A scene's actions are named by their place when loaded: loaded1, loaded2, ...
  sceneDef = LoadRecord<TSceneDef>(
      R"(<scene_def><actions>
           <action condition_type="0" action_type="9" action_string="loaded1"/>
           <action condition_type="0" action_type="9" action_string="loaded3"/>
           <action condition_type="0" action_type="9" action_string="loaded2"/>
           <action condition_type="0" action_type="9" action_string="loaded5"/>
           <action condition_type="3" action_type="12" action_string="note_9"/>
         </actions></scene_def>)");
  Ref<ISceneObjectActionCollection> actions = sceneDef->GetActions();
  ASSERT_TRUE(actions->GetItem(Variant("loaded5")));
  for (const char* name : {"loaded1", "loaded2"}) Run(actions->GetItem(Variant(name)), true);
  // Condition type 3 holds through a named call, not directly.
  Run(actions->GetItem(Variant("loaded5")), true);
  EXPECT_FALSE(Journals("note_9"));
  Run(actions->GetItem(Variant("loaded4")), true);
  EXPECT_TRUE(Journals("note_9"));
  Run(Action(R"(condition_type="0" action_type="9" action_string="nowhere")"), true);
}
