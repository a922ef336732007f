// What a level costs before it starts: reading a scene document (200 objects of four
// places each, and 2,000), and generating a player's scene from it (five categories,
// thirty wanted objects) with the widgets made plainly, the document read once
// beforehand, and once more with the document read as the game reads it at every
// generation.
#include <benchmark/benchmark.h>

#include <string>

#include "foundation/Random.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2SceneGenerator.h"
#include "gameplay/Tv2UserGameData.h"
#include "shell/Game.h"
#include "tests/support/FakeGameManagersOwner.h"

namespace {

const char* const kCategories[] = {"light", "tea", "sea", "books", "clocks"};

// Objects of every kind the generator lists, most of them hidden objects, each in one of
// the five categories, each with Places places.
std::string SceneDocument(int objects, int places) {
  std::string text = "<scene_def><object_defs>";
  for (int i = 0; i < objects; ++i) {
    int type = i % 10 < 7 ? 0 : i % 10 == 7 ? 4 : i % 10 == 8 ? 5 : 7;
    std::string name = "obj" + std::to_string(i);
    text += "<object_def name=\"" + name + "\" objecttype=\"" + std::to_string(type) +
            "\" caption=\"cap_" + name + "\" category=\"" + kCategories[i % 5] +
            "\" resourcename=\"img_" + name + "\" width=\"40\" height=\"30\"><locations>";
    for (int l = 0; l < places; ++l)
      text += "<location name=\"l" + std::to_string(l + 1) + "\" anchor_left=\"" +
              std::to_string(10 + i % 900) + "\" anchor_top=\"" + std::to_string(20 + l * 100) +
              "\" zoom=\"1.25\"/>";
    text += "</locations></object_def>";
  }
  return text + "</object_defs></scene_def>";
}

Ref<TSceneDef> LoadScene(const std::string& text) {
  std::string problem;
  Ref<IHierStorageRoot> storage = ParseDataText(text, problem);
  Ref<TSceneDef> scene = TAbstractObject::Create<TSceneDef>();
  storage->LoadObject(scene.get());
  return scene;
}

void BM_LoadScene(benchmark::State& state) {
  Tv2DeclarationsInit();
  const std::string text = SceneDocument(int(state.range(0)), 4);
  for (auto _ : state) benchmark::DoNotOptimize(LoadScene(text));
  state.counters["objects"] = double(state.range(0));
}
BENCHMARK(BM_LoadScene)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

// A scene-list entry that hands out one scene read beforehand: what generation costs
// without reading its document.
class TPreloadedSceneRef : public TNamedObject, public virtual ISceneDefRef {
 public:
  Ref<ISceneDef> scene;
  std::string GetFileName() override { return {}; }
  void SetFileName(const std::string&) override {}
  Ref<ISceneDef> LoadSceneDef() override { return scene; }
};

// The play screen's base in a game, over a folder holding the scene document.
struct Play : FakePlayScreenGame {
  Ref<IUGDScene> scene;

  Play() {
    Write("room.xml", SceneDocument(200, 4));
    Write("scenes.ini", R"(<scene_defs><scene_def name="room" filename="room.xml"/></scene_defs>)");
    Write("participants.ini", R"(<participants><participant name="odile" type="client"
                                   categories="light;tea;sea;books;clocks"/></participants>)");
    Publish("participants", Ref<IInterface>(LoadParticipants("participants.ini").get()));
    Ref<TUGDTask> task = TAbstractObject::Create<TUGDTask>();
    task->SetParamValue("participant", Variant("odile"));
    owner->SetProgress(nullptr, nullptr, nullptr, Ref<IUGDTask>(task.get()));
    Ref<TUGDScene> room = TAbstractObject::Create<TUGDScene>();
    room->SetName("room");
    room->SetParamValue("ho_count", Variant("30"));
    room->SetParamValue("do_count", Variant("4"));
    scene = Ref<IUGDScene>(room.get());
  }

  bool Generate(benchmark::State& state) {
    // The widgets of the last round go first; that is not the generation's.
    state.PauseTiming();
    owner->GetWidgetGroup(gkObjects)->GetChildren()->Clear();
    scene->SetGenerated(false);
    state.ResumeTiming();
    Ref<TTavelor2SceneGenerator> generator = TAbstractObject::Create<TTavelor2SceneGenerator>();
    generator->Init(owner);
    bool result = generator->GenerateLevel(scene, -1);
    generator->Done();
    return result;
  }
};

void BM_GenerateLevel(benchmark::State& state) {
  static Play play;
  const bool readDocument = state.range(0) != 0;
  if (readDocument) {
    play.Publish("scene_defs", Ref<IInterface>(LoadSceneDefRefs("scenes.ini").get()));
  } else {
    Ref<TSceneDefRefCollection> list = TAbstractObject::Create<TSceneDefRefCollection>();
    Ref<TPreloadedSceneRef> ref = TAbstractObject::Create<TPreloadedSceneRef>();
    ref->SetName("room");
    ref->scene = LoadSceneDefRefs("scenes.ini")->GetItem(Variant("room"))->LoadSceneDef();
    list->Add(Ref<ISceneDefRef>(ref.get()));
    play.Publish("scene_defs", list);
  }
  SetRandomSeed(1);
  bool generated = true;
  for (auto _ : state) generated = play.Generate(state) && generated;
  if (!generated) state.SkipWithError("the scene did not generate");
  state.SetLabel(readDocument ? "with the document read" : "document read beforehand");
}
BENCHMARK(BM_GenerateLevel)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
