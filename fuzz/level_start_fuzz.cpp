// A level of any kind started over any scene document, any lists of the player's scene and
// any used list, then played: every widget of the scene clicked, activated at its place and
// placed, hints chosen, carried objects dropped, frames run. Nothing may crash or hang, and
// the counts stay sound.
//
// Input: a byte for the level kind (0 to 5), a byte of flags (1 amulet on, 2 an object is
// carried), then three texts separated by a zero byte: the scene document, the lists of the
// player's scene as NAME=VALUE lines, and the used list.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/Random.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2LevelManagers.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "shell/Game.h"
#include "tests/support/FakeGameManagersOwner.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

struct Play : FakePlayScreenGame {
  Play() {
    Write("scenes.ini", R"(<scene_defs><scene_def name="room" filename="room.xml"/></scene_defs>)");
    Publish("scene_defs", Ref<IInterface>(LoadSceneDefRefs("scenes.ini").get()));
  }
};

// The next text of Input up to a zero byte (the rest when there is none).
std::string_view Next(std::string_view& input) {
  size_t end = input.find('\0');
  std::string_view text = input.substr(0, end);
  input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  return text;
}

void ClearGroups(FakeGameManagersOwner* owner) {
  for (uint8_t kind = gkAnimation; kind <= gkInterface; ++kind)
    if (Ref<IWidget> group = owner->GetWidgetGroup(kind))
      if (Ref<IWidgetCollection> children = group->GetChildren()) children->Clear();
  owner->SetOpenApproach(nullptr);
  owner->SetCarried(nullptr, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Play play;
  if (size < 2) return 0;
  const int kind = data[0] % 6;
  const uint8_t flags = data[1];
  std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string_view document = Next(input);
  const std::string_view lists = Next(input);
  const std::string used(Next(input));
  play.Write("room.xml", document);
  SetRandomSeed(size);

  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  Ref<TUGDScene> scene = TAbstractObject::Create<TUGDScene>();
  scene->SetName("room");
  scene->SetGenerated(true);
  for (const std::string& line : SplitString(lists, '\n')) {
    size_t equals = line.find('=');
    if (equals != std::string::npos)
      scene->SetParamValue(line.substr(0, equals), Variant(line.substr(equals + 1)));
  }
  progress->GetScenes()->Add(Ref<IUGDScene>(scene.get()));
  Ref<TUGDTask> task = TAbstractObject::Create<TUGDTask>();
  task->SetParamValue("scenename", Variant("room"));
  task->SetParamValue("scenename2", Variant("room"));
  play.owner->SetProgress(Ref<IUserGameData>(progress.get()), nullptr, nullptr,
                          Ref<IUGDTask>(task.get()));
  ClearGroups(play.owner);
  play.owner->amuletActive = flags & 1;

  Ref<TAbstractLevelManager> level =
      Supports<TAbstractLevelManager>(CreateNamedObject(LevelManagerName(kind)));
  Check(bool(level));
  play.owner->SetLevelManager(Ref<ILevelManager>(level.get()));
  level->Init(play.owner);
  level->LoadScene();
  level->StartLevel();
  scene->SetParamValue("names_activate_sequence", Variant(used));
  level->GetActivateSequence(Ref<IUGDScene>(scene.get()));

  // Every scene widget: clicked, activated at its place, placed, and hit by a drop.
  std::vector<Ref<IWidget>> widgets;
  for (uint8_t group : {gkObjects, gkLeftPart, gkRightPart, gkApproaches})
    if (Ref<IWidget> container = play.owner->GetWidgetGroup(group))
      for (int i = 0; i < container->GetChildren()->Count(); ++i)
        widgets.push_back(container->GetChildren()->GetByIndex(i));
  for (const Ref<IWidget>& widget : widgets) {
    Ref<ISceneObjectDef> object;
    Ref<ISceneObjectLocation> location;
    play.owner->GetObjectDefs(widget, object, location);
    if (flags & 2) play.owner->SetCarried(widget, object);
    const TPoint point{int32_t(widget->GetAnchorLeft()), int32_t(widget->GetAnchorTop())};
    level->ObjectClicked(widget, object, location, point);
    level->ActivateAtLocation(widget, object, point, location);
    level->AfterActivation(widget, object, location);
    level->ObjectPlaced(widget, object, location);
    level->PlacementHitTest(object, point, "", nullptr);
    level->Update();
    Check(level->RemainingCount() >= 0);
  }
  level->ChooseHintObject();
  level->ChooseWantedHintObject();
  for (int frame = 0; frame < 4; ++frame) {
    play.owner->GetWidgetGroup(gkAnimation)->Process(500);
    play.owner->GetWidgetGroup(gkAnimation)->UpdateDirtyRects(false, false);
    level->Update();
  }
  level->AllObjectsFound();
  level->StopSceneMusic();
  level->Done();
  play.owner->SetLevelManager(nullptr);
  ClearGroups(play.owner);
  return 0;
}
