// The sample game's gameplay documents, read by the game's own loaders from the built
// program folder: the scene list and the atelier, the participants, the categories, the
// scenario of a new story, and the play screen's window the game file reaches through
// "_outstorage". The atelier is generated for the first task as the play screen does it,
// and its pictures load at the objects' sizes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "foundation/Cipher.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Random.h"
#include "foundation/ResourceReader.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeGameManagersOwner.h"
#include "tests/support/GameFixture.h"
#include "tests/support/WarningCapture.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The game's engine key, taken before any test: the engine harness installs a key of its
// own, which other tests leave behind.
std::string& GameKey() {
  static std::string key;
  return key;
}

class GameKeyEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Tv2DeclarationsInit();
    GameKey() = EngineFileKey;
  }
};

::testing::Environment* const kGameKeyEnvironment =
    ::testing::AddGlobalTestEnvironment(new GameKeyEnvironment);

std::set<std::string> Names(const std::string& list) {
  std::set<std::string> names;
  for (const std::string& entry : SplitString(list, ';'))
    names.insert(entry.substr(0, entry.find('/')));
  return names;
}

// The program folder as the game's working folder, as the program runs.
class GameplayData : public GameFixture {
 protected:
  GameplayData() {
    Tv2DeclarationsInit();
    RegisterGameplayTestClasses();
    before_ = std::filesystem::current_path();
    std::filesystem::current_path(SAMPLE_GAME_DIR);
    SetProgramFolder(std::string(SAMPLE_GAME_DIR) + "/");
    ClearResourceCache();
    // Hidden objects are wanted by their captions, which the language file names.
    MultiLanguages()->LoadFile(std::string(SAMPLE_GAME_DIR) + "/lang/default.lng");
  }
  ~GameplayData() override {
    MultiLanguages()->ClearStrings();
    if (owner) owner->ReleaseOwner();
    std::filesystem::current_path(before_);
    SetProgramFolder("");
    ClearResourceCache();
  }

  // The game file's "GS_Game" element, deciphered as the engine reads it.
  Ref<IHierStorage> GameScreenNode() {
    std::string hex = ReadFile(std::string(SAMPLE_GAME_DIR) + "/data/ini/Tavelor2.ini");
    std::string text = TCipher_Xtea(GameKey()).CodeString(hex, kCipherDecipher, kFormatHex);
    gameFile_ = LoadXmlStorageFromText(text);
    Ref<IHierStorage> screens = gameFile_ ? gameFile_->GetChild("gamescreens", 0) : nullptr;
    if (!screens) return nullptr;
    for (int i = 0; i < screens->GetChildCount("gamescreen"); ++i) {
      Ref<IHierStorage> screen = screens->GetChild("gamescreen", i);
      if (ReadXmlStr(screen, "name") == "GS_Game") return screen;
    }
    return nullptr;
  }

  WarningCapture warnings;
  Ref<FakeGameManagersOwner> owner;

 private:
  std::filesystem::path before_;
  Ref<IHierStorageRoot> gameFile_;
};

}  // namespace

TEST_F(GameplayData, DocumentsLoadThroughTheGamesLoaders) {
  Ref<ISceneDefRefCollection> scenes = LoadSceneDefRefs(ScenesFileName);
  ASSERT_TRUE(scenes);
  Ref<ISceneDefRef> atelierRef = scenes->GetItem(Variant("atelier"));
  ASSERT_TRUE(atelierRef);
  Ref<ISceneDef> atelier = atelierRef->LoadSceneDef();
  EXPECT_EQ(atelier->GetObjectDefs()->Count(), 11);
  EXPECT_EQ(atelier->GetSceneApproaches()->Count(), 3);
  EXPECT_EQ(atelier->GetResourceDefs()->GetGroup(), "scene");

  Ref<IParticipantCollection> participants = LoadParticipants(ParticipantsFileName);
  ASSERT_TRUE(participants);
  ASSERT_EQ(participants->Count(), 3);
  EXPECT_TRUE(participants->GetItem(Variant("odile"))->IsClient());
  EXPECT_EQ(participants->GetItem(Variant("odile"))->GetCategories(), "light;tea");
  EXPECT_TRUE(participants->GetItem(Variant("bastien"))->IsIdealMatch());
  EXPECT_TRUE(participants->GetItem(Variant("milo"))->IsIdealMatch());

  Ref<ICategoryCollection> categories = LoadCategories(CategoriesFileName);
  ASSERT_TRUE(categories);
  std::vector<std::string> names;
  for (int i = 0; i < categories->Count(); ++i)
    names.push_back(categories->GetItem(Variant(i))->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"light", "tea", "sea", "books", "clocks"}));

  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  Ref<IHierStorageRoot> scenario = LoadDataDocument(DefaultScenarioFileName);
  ASSERT_TRUE(scenario);
  progress->LoadCases(Ref<IHierStorage>(scenario.get()));
  struct Case {
    const char* caseName;
    const char* task;
    int kind;
  };
  const Case tasks[] = {{"c1_lantern", "t1", 0},        {"c1_lantern", "t2", 1},
                        {"c1_lantern", "t3", 2},        {"stylist_case", "t4", 3},
                        {"stylist_case", "t5_gift", 4}, {"stylist_case", "t6", 5}};
  for (const Case& c : tasks) {
    Ref<IUGDCase> found = progress->GetCases()->GetItem(Variant(c.caseName));
    ASSERT_TRUE(found) << c.caseName;
    Ref<IUGDTask> task = found->CurrentStage()->GetTasks()->GetItem(Variant(c.task));
    ASSERT_TRUE(task) << c.task;
    EXPECT_EQ(task->GetTaskType(), c.kind) << c.task;
  }
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

TEST_F(GameplayData, AtelierGeneratedForTheFirstTask) {
  Start(GameXml(""));
  Ref<IHierStorage> node = GameScreenNode();
  ASSERT_TRUE(node);
  Ref<IHierStorage> window = node->GetChild("window", 0);
  ASSERT_TRUE(window);
  EXPECT_NE(ReadXmlStr(window, "_outstorage").find("data\\screens\\game.xml"), std::string::npos);
  owner = TAbstractObject::Create<FakeGameManagersOwner>();
  owner->LoadFromStorage(node);
  owner->AttachOwner(game.get());
  owner->LoadWindow();
  for (uint8_t kind = gkAnimation; kind <= gkInterface; ++kind)
    EXPECT_TRUE(owner->GetWidgetGroup(kind)) << int(kind);

  game->SetParamValue("scene_defs",
                      Variant(Ref<IInterface>(LoadSceneDefRefs(ScenesFileName).get())));
  game->SetParamValue("participants",
                      Variant(Ref<IInterface>(LoadParticipants(ParticipantsFileName).get())));
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  progress->LoadCases(Ref<IHierStorage>(LoadDataDocument(DefaultScenarioFileName).get()));
  Ref<IUGDCase> lantern = progress->GetCases()->GetItem(Variant("c1_lantern"));
  Ref<IUGDStage> stage = lantern->CurrentStage();
  Ref<IUGDTask> t1 = stage->GetTasks()->GetItem(Variant("t1"));
  // The task's scene, made as the diary makes it.
  Ref<TUGDScene> scene = TAbstractObject::Create<TUGDScene>();
  scene->SetName(t1->GetParamValue("scenename").ToString());
  scene->SetParamValue("scenename", t1->GetParamValue("scenename"));
  scene->SetParamValue("ho_count", t1->GetParamValue("ho_count"));
  progress->GetScenes()->Add(Ref<IUGDScene>(scene.get()));
  owner->SetProgress(Ref<IUserGameData>(progress.get()), lantern, stage, t1);

  SetRandomSeed(1);
  ASSERT_TRUE(owner->SetCurrentScene(Ref<IUGDScene>(scene.get())));
  EXPECT_EQ(
      Names(scene->GetParamValue("ho_names").ToString()),
      (std::set<std::string>{"lantern", "oil_can", "teacup", "teapot", "wick_spool", "sugar_tin"}));
  EXPECT_EQ(scene->GetParamValue("vd_names").ToString(), ";doll_moth/l1;");
  EXPECT_EQ(Names(scene->GetParamValue("aa_names").ToString()),
            (std::set<std::string>{"door_cupboard", "door_chest", "door_easel"}));
  EXPECT_EQ(scene->GetParamValue("ip_names").ToString(), ";workbench/l1;");
  // Every listed object stands in the scene at its place.
  Ref<IWidget> lanternWidget = owner->FindWidget("objects_group/lantern_l1");
  ASSERT_TRUE(lanternWidget);
  EXPECT_EQ(lanternWidget->GetAnchorLeft(), 150);
  EXPECT_EQ(lanternWidget->GetAnchorTop(), 200);
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

// The pictures of the atelier's objects, through a real engine.
TEST(GameplayDataPictures, AtelierPicturesHaveTheObjectsSizes) {
  EngineHarness h;
  ASSERT_TRUE(h.Start());
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(SAMPLE_GAME_DIR);
  SetProgramFolder(std::string(SAMPLE_GAME_DIR) + "/");
  ClearResourceCache();

  Ref<ISceneDef> atelier =
      LoadSceneDefRefs(ScenesFileName)->GetItem(Variant("atelier"))->LoadSceneDef();
  atelier->SetEngine(h.engine.get());
  atelier->LoadResources();
  Ref<ISceneObjectDefCollection> objects = atelier->GetObjectDefs();
  ASSERT_GT(objects->Count(), 0);
  for (int i = 0; i < objects->Count(); ++i) {
    Ref<ISceneObjectDef> object = objects->GetItem(Variant(i));
    SCOPED_TRACE(object->GetName());
    Ref<IImageResource> image =
        Supports<IImageResource>(h.engine->GetResource(object->GetResourceName()));
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->GetSurface());
    EXPECT_EQ(image->GetWidth(), object->GetWidth());
    EXPECT_EQ(image->GetHeight(), object->GetHeight());
  }
  for (const char* name : {"img_SceneBackground", "img_approach_frame"})
    EXPECT_TRUE(Supports<IImageResource>(h.engine->GetResource(name))) << name;
  atelier->RemoveResources();
  atelier->ReleaseEngine();
  std::filesystem::current_path(before);
  SetProgramFolder("");
  ClearResourceCache();
}
