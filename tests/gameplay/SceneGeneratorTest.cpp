// The scene generator: which objects it places where, which it lists as wanted, and that
// it always ends.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "foundation/Random.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2SceneGenerator.h"
#include "gameplay/Tv2UserGameData.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/GameplayFixture.h"

using namespace gameplay_test;

namespace {

// An object definition: NAME with Places locations l1.. (or the given location names).
std::string Obj(const std::string& name, int type, const std::string& category, int places,
                const std::string& attrs = {}, const std::vector<std::string>& names = {}) {
  std::string locations;
  for (int i = 0; i < places; ++i) {
    std::string location = i < int(names.size()) ? names[size_t(i)] : "l" + std::to_string(i + 1);
    locations += "<location name=\"" + location + "\" anchor_left=\"" + std::to_string(10 * i) +
                 "\" anchor_top=\"5\"/>";
  }
  // A caption of its own unless Attrs gives one.
  std::string caption =
      attrs.find("caption=") == std::string::npos ? "caption=\"obj_" + name + "\" " : std::string();
  return "<object_def name=\"" + name + "\" objecttype=\"" + std::to_string(type) +
         "\" category=\"" + category + "\" " + caption + "width=\"10\" height=\"10\" " + attrs +
         "><locations>" + locations + "</locations></object_def>";
}

std::vector<std::string> Entries(const std::string& list) {
  return SplitString(list, ';');
}

class Generator : public GameplayFixture {
 protected:
  Generator() {
    Tv2DeclarationsInit();
    StartOwner();
    PublishParticipants(
        R"(<participants>
             <participant name="client5" type="client" categories="a;b;c;d;e"/>
             <participant name="other5" type="ideal_match" categories="a;b;c;d;e"/>
             <participant name="two" type="client" categories="a;b"/>
             <participant name="six" type="client" categories="a;b;c;d;e;f"/>
             <participant name="trailing" type="client" categories="a;b;"/>
             <participant name="none" type="client" categories=""/>
           </participants>)");
  }

  void Scene(const std::string& objects) {
    WriteData("data\\scenes\\room.xml",
              "<scene_def><object_defs>" + objects + "</object_defs></scene_def>");
    PublishSceneDefs(R"(<scene_defs><scene_def name="room" filename="data\scenes\room.xml"/>
                        </scene_defs>)");
  }

  // The progress: case c, stage s, task t (of Participant), scene "room" with Params.
  void Progress(const std::string& sceneParams, const std::string& participant = {}) {
    progress = PublishProgress(
        "<usergamedata><scenes><scene name=\"room\"><params>" + sceneParams +
        "</params></scene></scenes><cases><case name=\"c\"><stages><stage name=\"s\"><tasks>"
        "<task name=\"t\" tasktype=\"0\"><params><param name=\"participant\" value=\"" +
        participant +
        "\"/></params></task></tasks></stage></stages></case></cases>"
        "</usergamedata>");
    Ref<IUGDCase> c = progress->GetCases()->GetItem(Variant("c"));
    Ref<IUGDStage> s = c->GetStages()->GetItem(Variant("s"));
    owner->SetProgress(progress, c, s, s->GetTasks()->GetItem(Variant("t")));
    scene = progress->GetScenes()->GetItem(Variant("room"));
  }

  static std::string Param(const std::string& name, const std::string& value) {
    return "<param name=\"" + name + "\" value=\"" + value + "\"/>";
  }

  bool Generate(int kind = -1) {
    Ref<TTavelor2SceneGenerator> generator = TAbstractObject::Create<TTavelor2SceneGenerator>();
    generator->Init(owner);
    bool result = generator->GenerateLevel(scene, kind);
    generator->Done();
    return result;
  }

  std::string List(const std::string& name) { return scene->GetParamValue(name).ToString(); }

  // The scene object widgets in "objects_group" that are alive, by name.
  std::set<std::string> AliveWidgets() {
    std::set<std::string> names;
    Ref<IWidgetCollection> children = owner->GetWidgetGroup(gkObjects)->GetChildren();
    for (int i = 0; i < children->Count(); ++i)
      if (!children->GetByIndex(i)->IsDead()) names.insert(children->GetByIndex(i)->GetName());
    return names;
  }

  void ClearScene() { owner->GetWidgetGroup(gkObjects)->GetChildren()->Clear(); }

  Ref<IUserGameData> progress;
  Ref<IUGDScene> scene;
};

}  // namespace

TEST(SceneGeneratorQuotas, FourGroupsOfAtMostElevenAndTheRest) {
  using Q = std::array<int32_t, 5>;
  EXPECT_EQ(TTavelor2SceneGenerator::Quotas(30), (Q{6, 6, 6, 6, 6}));
  EXPECT_EQ(TTavelor2SceneGenerator::Quotas(100), (Q{11, 11, 11, 11, 56}));
  EXPECT_EQ(TTavelor2SceneGenerator::Quotas(3), (Q{0, 0, 1, 1, 1}));
  EXPECT_EQ(TTavelor2SceneGenerator::Quotas(0), (Q{0, 0, 0, 0, 0}));
  EXPECT_EQ(TTavelor2SceneGenerator::Quotas(57), (Q{11, 11, 11, 11, 13}));
}

TEST_F(Generator, HiddenObjectsWithMorePlacesComeUpMoreOften) {
  // Four places: twelve entries for a hidden object (each place three times), four for a
  // disposable one; against one entry of a one-place object.
  struct Case {
    int type;
    const char* count;
    const char* list;
    double share;  // of the four-place object
  };
  for (const Case& c :
       {Case{0, "ho_count", "ho_names", 12.0 / 13}, Case{4, "do_count", "do_names", 4.0 / 5}}) {
    Scene(Obj("many", c.type, "", 4) + Obj("one", c.type, "", 1));
    int many = 0;
    const int runs = 300;
    for (int seed = 0; seed < runs; ++seed) {
      SetRandomSeed(uint64_t(seed));
      Progress(Param(c.count, "1"));
      ClearScene();
      ASSERT_TRUE(Generate(c.type == 0 ? 0 : 4));
      many += List(c.list).find("many/") != std::string::npos;
    }
    EXPECT_NEAR(double(many) / runs, c.share, 0.05) << c.type;
  }
}

TEST_F(Generator, ListsAreWellFormedForManySeeds) {
  std::string objects;
  const char* categories[] = {"a", "b", "c", "d", "e", "z"};
  for (int i = 0; i < 36; ++i)
    objects += Obj("h" + std::to_string(i), 0, categories[i % 6], 1 + i % 3,
                   i % 7 == 0 ? "locations_all_enabled=\"yes\"" : "");
  objects += Obj("twin", 0, "a", 1, "caption=\"obj_h0\"");  // a caption of h0's
  objects += Obj("doll", 7, "", 2) + Obj("dummy", 4, "", 3) + Obj("prop", 5, "", 1) +
             Obj("door", 6, "", 1) + Obj("pair", 1, "b", 2);
  Scene(objects);
  for (int seed = 0; seed < 150; ++seed) {
    SCOPED_TRACE(seed);
    SetRandomSeed(uint64_t(seed));
    const char* participant = seed % 3 == 0 ? "client5" : seed % 3 == 1 ? "two" : "";
    Progress(Param("ho_count", std::to_string(3 + seed % 20)) + Param("do_count", "1"),
             participant);
    ClearScene();
    bool result = Generate();
    std::set<std::string> seen;
    for (const char* key : {"ho_names", "vd_names", "io_names", "co_names", "hp_names", "do_names",
                            "ip_names", "aa_names", "ng_names"}) {
      std::string list = List(key);
      if (list.empty()) continue;
      ASSERT_EQ(list.front(), ';') << key << " " << list;
      ASSERT_EQ(list.back(), ';') << key << " " << list;
      for (const std::string& entry : Entries(list)) {
        size_t slash = entry.find('/');
        ASSERT_NE(slash, std::string::npos) << entry;
        std::string widget = entry.substr(0, slash) + "_" + entry.substr(slash + 1);
        EXPECT_TRUE(AliveWidgets().count(widget)) << key << " " << entry;
        if (std::string(key) == "ng_names") {
          EXPECT_NE(entry.substr(0, 4), "doll") << entry;
          EXPECT_EQ(List("ho_names").find(";" + entry + ";"), std::string::npos) << entry;
        }
      }
    }
    EXPECT_EQ(scene->IsGenerated(), result);
    // With a participant the hidden objects must all be there.
    if (result && participant[0]) {
      EXPECT_EQ(int(Entries(List("ho_names")).size()), 3 + seed % 20);
    }
    EXPECT_EQ(Entries(List("vd_names")).size(), 1u);
  }
}

TEST_F(Generator, FailuresChangeNothing) {
  Scene(Obj("cup", 0, "a", 1));
  Progress(Param("ho_count", "1"));
  Ref<TTavelor2SceneGenerator> generator = TAbstractObject::Create<TTavelor2SceneGenerator>();
  EXPECT_FALSE(generator->GenerateLevel(scene, -1));  // no owner
  generator->Init(owner);
  EXPECT_FALSE(generator->GenerateLevel(nullptr, -1));
  generator->Done();

  // No scene of that name (nor by "scenename"), no scene list: false, the flag as it was.
  Ref<IUGDScene> stranger =
      Ref<IUGDScene>(LoadRecord<TUGDScene>(R"(<scene name="cellar" generated="yes"/>)").get());
  generator->Init(owner);
  EXPECT_FALSE(generator->GenerateLevel(stranger, -1));
  EXPECT_TRUE(stranger->IsGenerated());
  stranger->SetParamValue("scenename", Variant("room"));
  EXPECT_TRUE(generator->GenerateLevel(stranger, -1));
  EXPECT_EQ(stranger->GetParamValue("ho_names").ToString(), ";cup/l1;");
  game->SetParamValue("scene_defs", Variant::Null());
  scene->SetGenerated(true);
  EXPECT_FALSE(generator->GenerateLevel(scene, -1));
  EXPECT_TRUE(scene->IsGenerated());
  EXPECT_TRUE(List("ho_names").empty());
  generator->Done();
}

TEST_F(Generator, KindsGenerateTheirListsAndFailWhenShort) {
  Scene(Obj("cup", 0, "a", 1) + Obj("bell", 0, "b", 2) + Obj("doll", 7, "", 1) +
        Obj("pair", 1, "a", 1) + Obj("face", 3, "a", 1, {}, {"spec"}) + Obj("gear", 2, "a", 2) +
        Obj("vase", 4, "", 2));
  struct Case {
    int kind;
    const char* count;
    bool result;
    const char* filled;  // the list written
  };
  const Case cases[] = {
      // Three wanted among two objects of five entries: short.
      {0, "2", true, "ho_names"},  {1, "3", false, "ho_names"}, {2, "1", true, "io_names"},
      {3, "", true, "hp_names"},   {4, "1", true, "do_names"},  {5, "1", false, ""},
      {-1, "9", true, "do_names"},  // without a participant one list is enough
  };
  for (const Case& c : cases) {
    Progress(Param("ho_count", c.count) + Param("io_count", c.count) + Param("do_count", c.count));
    ClearScene();
    EXPECT_EQ(Generate(c.kind), c.result) << c.kind;
    EXPECT_EQ(scene->IsGenerated(), c.result) << c.kind;
    if (*c.filled) {
      EXPECT_FALSE(List(c.filled).empty()) << c.kind;
    }
  }
  // Kind 3: the complete object at its only (special) place, then its parts.
  Progress("");
  ClearScene();
  ASSERT_TRUE(Generate(3));
  EXPECT_EQ(List("co_names"), ";face/spec;");
  EXPECT_EQ(Entries(List("hp_names")).size(), 1u);
  // A client needs every list: four hidden objects cannot be found among two.
  Progress(Param("ho_count", "4"), "two");
  EXPECT_FALSE(Generate());
  Progress(Param("ho_count", "2") + Param("io_count", "1") + Param("do_count", "1"), "two");
  EXPECT_TRUE(Generate());
  // Another participant is asked for no complete objects or parts.
  Progress(Param("ho_count", "2") + Param("io_count", "1") + Param("do_count", "1"), "other5");
  EXPECT_TRUE(Generate());
  EXPECT_TRUE(List("co_names").empty());
}

// A count of 0 or less sets no target: the list then needs at least one object listed,
// unless it is exactly its target, the count (or the candidates, when fewer) above -1.
TEST_F(Generator, ACountOfZeroOrLessIsNoTarget) {
  struct Case {
    bool objects;
    const char* count;
    bool result;
    size_t listed;
  } cases[] = {
      {false, "-3", false, 0}, {true, "-3", true, 2}, {false, "0", true, 0},
      {true, "0", true, 2},    {false, "2", true, 0}, {true, "1", true, 1},
      {true, "3", true, 2},    {false, "", true, 0},  {true, "", true, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.objects ? "objects, count " : "none, count ") + c.count);
    Scene(c.objects ? Obj("vase", 4, "", 1) + Obj("lamp", 4, "", 1) : Obj("cup", 0, "", 1));
    Progress(*c.count ? Param("do_count", c.count) : std::string());
    ClearScene();
    EXPECT_EQ(Generate(4), c.result);
    EXPECT_EQ(Entries(List("do_names")).size(), c.listed);
  }
}

TEST_F(Generator, PlacesFollowTheRules) {
  Scene(Obj("single", 4, "", 1, {}, {"spec"}) + Obj("double", 4, "", 2, {}, {"spec", "l1"}) +
        Obj("every", 4, "", 3, "locations_all_enabled=\"yes\"") + Obj("one", 4, "", 3));
  Progress("");  // no "do_count": every entry is placed
  ClearScene();
  ASSERT_TRUE(Generate(4));
  std::vector<std::string> listed = Entries(List("do_names"));
  std::multiset<std::string> names(listed.begin(), listed.end());
  EXPECT_EQ(names.count("single/spec"), 1u);
  EXPECT_EQ(names.count("double/spec"), 0u);  // "spec" only serves an only place
  EXPECT_EQ(names.count("double/l1"), 1u);
  for (const char* place : {"every/l1", "every/l2", "every/l3"}) EXPECT_EQ(names.count(place), 1u);
  int one = 0;
  for (const std::string& entry : listed) one += entry.rfind("one/", 0) == 0;
  EXPECT_EQ(one, 1);  // a placed object's other entries go
  EXPECT_EQ(listed.size(), 6u);
}

TEST_F(Generator, FirstGenerationObjectsComeFirstInTheirOrder) {
  Scene(Obj("candlestick", 4, "", 1, "first_generation=\"yes\"") +
        Obj("portrait", 4, "", 1, "first_generation=\"yes\"") +
        Obj("vase", 4, "", 2, "first_generation=\"yes\"") + Obj("thimble", 4, "", 1));
  for (int seed = 0; seed < 20; ++seed) {
    SetRandomSeed(uint64_t(seed));
    Progress(Param("do_count", "3"));
    ClearScene();
    ASSERT_TRUE(Generate(4));
    // Taken from the end of their list: the vase's second place first.
    EXPECT_EQ(List("do_names"), ";vase/l2;portrait/l1;candlestick/l1;");
    EXPECT_EQ(List("ng_names"), ";thimble/l1;");
  }
}

TEST_F(Generator, LeftoversAreShownUnlessDollsOrNamesakesOfWantedObjects) {
  Scene(Obj("cup", 0, "", 1, "first_generation=\"yes\"") +
        Obj("mug", 0, "", 1, "caption=\"obj_cup\"") + Obj("bell", 0, "", 2) +
        Obj("doll", 7, "", 2));
  Progress(Param("ho_count", "1"));
  ClearScene();
  ASSERT_TRUE(Generate(0));
  EXPECT_EQ(List("ho_names"), ";cup/l1;");
  // Leftovers are placed from the end of the list. The voodoo list places every doll
  // and has none, so it leaves "ng_names" as the hidden list wrote it.
  EXPECT_EQ(List("ng_names"), ";bell/l2;");
  std::set<std::string> alive = AliveWidgets();
  EXPECT_TRUE(alive.count("cup_l1"));
  EXPECT_TRUE(alive.count("bell_l2"));
  EXPECT_FALSE(alive.count("mug_l1"));  // a second "obj_cup" would confuse the player
  EXPECT_EQ(Entries(List("vd_names")).size(), 1u);
}

TEST_F(Generator, WithoutATargetEveryPlaceableHiddenObjectIsListed) {
  Scene(Obj("cup", 0, "a", 1) + Obj("bell", 0, "b", 2) +
        Obj("nameless", 0, "a", 1, "caption=\"\"") + Obj("key", 0, "z", 1));
  Progress("");
  ClearScene();
  EXPECT_TRUE(Generate(0));
  std::vector<std::string> listed = Entries(List("ho_names"));
  EXPECT_EQ(listed.size(), 3u);  // an object without a caption is never looked for
  EXPECT_EQ(List("ho_names").find("nameless"), std::string::npos);

  // Five names and no target: quotas of 0 -- placed, none listed, and that is a success.
  Progress("", "client5");
  ClearScene();
  EXPECT_TRUE(Generate(0));
  EXPECT_EQ(List("ho_names"), ";");
  EXPECT_TRUE(AliveWidgets().count("cup_l1"));
  EXPECT_EQ(List("ng_names").find("key"), std::string::npos);  // category z is not theirs
}

TEST_F(Generator, QuotasShareTheTargetAmongFiveCategories) {
  // Ten objects a category; thirty wanted: six from each.
  std::string objects;
  const char* categories[] = {"a", "b", "c", "d", "e"};
  for (int i = 0; i < 50; ++i) objects += Obj("o" + std::to_string(i), 0, categories[i % 5], 1);
  Scene(objects);
  for (int seed = 0; seed < 30; ++seed) {
    SetRandomSeed(uint64_t(seed));
    Progress(Param("ho_count", "30"), "client5");
    ClearScene();
    ASSERT_TRUE(Generate(0)) << seed;
    std::map<int, int> perCategory;
    for (const std::string& entry : Entries(List("ho_names")))
      ++perCategory[std::stoi(entry.substr(1, entry.find('/') - 1)) % 5];
    for (int c = 0; c < 5; ++c) EXPECT_EQ(perCategory[c], 6) << seed << " " << c;
  }
}

TEST_F(Generator, EndsWhereThePicksAndQuotasRunOut) {
  // The objects of category a cannot be placed (their entries name them up to a "/", which
  // names no object): every pick from their group fails.
  std::string objects;
  for (int i = 0; i < 6; ++i) objects += Obj("a/" + std::to_string(i), 0, "a", 2);
  for (int i = 0; i < 6; ++i) objects += Obj("b" + std::to_string(i), 0, "b", 1);
  Scene(objects);
  Progress(Param("ho_count", "4"), "two");
  ClearScene();
  Generate(0);
  EXPECT_EQ(Entries(List("ho_names")).size(), 4u);

  // Ten objects of two places each, two a category: entries run to forty, the objects
  // to ten. Nobody finds more than their quota: the second pass cannot help and stops.
  objects.clear();
  const char* categories[] = {"a", "b", "c", "d", "e"};
  for (int i = 0; i < 10; ++i) objects += Obj("o" + std::to_string(i), 0, categories[i % 5], 2);
  Scene(objects);
  Progress(Param("ho_count", "30"), "client5");
  ClearScene();
  EXPECT_FALSE(Generate(0));
  EXPECT_EQ(Entries(List("ho_names")).size(), 10u);

  // Six category names, or a trailing ";": five groups at most, the names there are.
  for (const char* participant : {"six", "trailing", "none"}) {
    Scene(Obj("p", 0, "a", 1) + Obj("q", 0, "b", 1) + Obj("r", 0, "f", 1));
    Progress(Param("ho_count", "2"), participant);
    ClearScene();
    EXPECT_TRUE(Generate(0)) << participant;
  }

  // Every place enabled, the last entry placed: nothing left to divide by.
  Scene(Obj("all", 0, "", 2, "locations_all_enabled=\"yes\""));
  Progress(Param("ho_count", "4"));
  ClearScene();
  EXPECT_TRUE(Generate(0));
  EXPECT_EQ(Entries(List("ho_names")).size(), 4u);
}

TEST_F(Generator, GeneratingAgainReplacesTheLists) {
  Scene(Obj("cup", 0, "", 1) + Obj("bell", 0, "", 1));
  Progress(Param("ho_count", "1"));
  ASSERT_TRUE(Generate(0));
  std::string first = List("ho_names") + List("ng_names");
  scene->SetGenerated(false);
  ClearScene();
  ASSERT_TRUE(Generate(0));
  EXPECT_EQ(Entries(List("ho_names")).size(), 1u);
  EXPECT_EQ(Entries(List("ng_names")).size(), 1u);
  EXPECT_EQ((List("ho_names") + List("ng_names")).size(), first.size());
}

TEST_F(Generator, SetCurrentSceneGeneratesOnceAndKeepsTheSceneOnFailure) {
  Scene(Obj("cup", 0, "", 1));
  engine->preferenceFolder = preferences.Path().string();
  Progress(Param("ho_count", "1"));
  Ref<IUserProfile> profile = game->GetUserProfiles()->GetOrCreate("Mira");
  progress->AttachProfile(profile);
  EXPECT_FALSE(owner->SetCurrentScene(nullptr));

  ASSERT_TRUE(owner->SetCurrentScene(scene));
  EXPECT_EQ(owner->GetScene(), scene);
  EXPECT_TRUE(scene->IsGenerated());
  EXPECT_EQ(engine->preferenceSaves, 1);  // the progress went into the profile at once
  EXPECT_NE(profile->GetDataStorage().find("cup/l1"), std::string::npos);

  // Generated already: no generator, and the current scene becomes the previous one.
  owner->noGenerator = true;
  Ref<IUGDScene> other =
      Ref<IUGDScene>(LoadRecord<TUGDScene>(R"(<scene name="hall" generated="yes"/>)").get());
  EXPECT_TRUE(owner->SetCurrentScene(other));
  EXPECT_EQ(owner->GetScene(), other);
  EXPECT_EQ(owner->GetPreviousScene(), scene);

  // Not generated and no generator, or a failed generation: the current scene stays.
  Ref<IUGDScene> fresh = Ref<IUGDScene>(LoadRecord<TUGDScene>(R"(<scene name="room"/>)").get());
  EXPECT_FALSE(owner->SetCurrentScene(fresh));
  owner->noGenerator = false;
  Ref<IUGDScene> unknown = Ref<IUGDScene>(LoadRecord<TUGDScene>(R"(<scene name="cellar"/>)").get());
  EXPECT_FALSE(owner->SetCurrentScene(unknown));
  EXPECT_EQ(owner->GetScene(), other);
  EXPECT_EQ(engine->preferenceSaves, 1);
}

TEST_F(Generator, ALeftoverListedTwiceStaysShown) {
  // A hidden object at all its places has each place twice among the entries; once shown,
  // its second entry finds the same widget, which stays.
  Scene(Obj("cup", 0, "", 1, "first_generation=\"yes\"") +
        Obj("lamp", 0, "", 2, "locations_all_enabled=\"yes\""));
  Progress(Param("ho_count", "1"));
  ClearScene();
  ASSERT_TRUE(Generate(0));
  EXPECT_EQ(List("ho_names"), ";cup/l1;");
  EXPECT_EQ(List("ng_names"), ";lamp/l2;lamp/l1;");
  std::set<std::string> alive = AliveWidgets();
  EXPECT_TRUE(alive.count("lamp_l1"));
  EXPECT_TRUE(alive.count("lamp_l2"));
}
