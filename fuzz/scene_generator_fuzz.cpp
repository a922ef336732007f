// The scene generator over any scene document and any task values: it must end, and what
// it writes must be well formed: every list ";"-framed, every entry an object and place
// of the scene, no more wanted hidden objects than asked for, and no voodoo doll among
// the objects merely shown.
//
// Input: a byte for the level kind (-1 to 5), a byte for the participant, a byte each
// for "ho_count", "io_count" and "do_count", four bytes of random seed, then the scene
// document.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/Random.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2SceneGenerator.h"
#include "gameplay/Tv2UserGameData.h"
#include "shell/Game.h"
#include "tests/support/FakeGameManagersOwner.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr const char* kParticipants[] = {"", "client5", "other5", "two", "six", "trailing"};

// The play screen's base in a game, with the scene list and the participants.
struct Play : FakePlayScreenGame {
  Play() {
    Write("scenes.ini", R"(<scene_defs><scene_def name="room" filename="room.xml"/></scene_defs>)");
    Write("participants.ini", R"(<participants>
        <participant name="client5" type="client" categories="a;b;c;d;e"/>
        <participant name="other5" type="ideal_match" categories="a;b;c;d;e"/>
        <participant name="two" type="client" categories="a;b"/>
        <participant name="six" type="client" categories="a;b;c;d;e;f"/>
        <participant name="trailing" type="client" categories="a;b;"/></participants>)");
    Publish("scene_defs", Ref<IInterface>(LoadSceneDefRefs("scenes.ini").get()));
    Publish("participants", Ref<IInterface>(LoadParticipants("participants.ini").get()));
  }
};

// Every entry of List names an object of Scene and one of its places.
void CheckList(const std::string& list, const Ref<ISceneDef>& scene, bool shownOnly) {
  if (list.empty()) return;
  Check(list.front() == ';' && list.back() == ';');
  for (const std::string& entry : SplitString(list, ';')) {
    size_t slash = entry.find('/');
    Check(slash != std::string::npos);
    Ref<ISceneObjectDef> object = scene->GetObjectDefs()->GetItem(Variant(entry.substr(0, slash)));
    Check(bool(object));
    Check(bool(object->GetLocations()->GetItem(Variant(entry.substr(slash + 1)))));
    if (shownOnly) Check(object->GetObjectType() != otVoodooDoll);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Play play;
  if (size < 9) return 0;
  const int kind = int(data[0] % 7) - 1;
  const char* participant = kParticipants[data[1] % 6];
  const int counts[] = {int(data[2] % 40) - 2, int(data[3] % 10) - 2, int(data[4] % 10) - 2};
  SetRandomSeed(uint64_t(data[5]) | uint64_t(data[6]) << 8 | uint64_t(data[7]) << 16 |
                uint64_t(data[8]) << 24);
  play.Write("room.xml", std::string_view(reinterpret_cast<const char*>(data) + 9, size - 9));

  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  Ref<TUGDScene> scene = TAbstractObject::Create<TUGDScene>();
  scene->SetName("room");
  scene->SetParamValue("ho_count", Variant(std::to_string(counts[0])));
  scene->SetParamValue("io_count", Variant(std::to_string(counts[1])));
  scene->SetParamValue("do_count", Variant(std::to_string(counts[2])));
  Ref<TUGDTask> task = TAbstractObject::Create<TUGDTask>();
  task->SetParamValue("participant", Variant(participant));
  play.owner->SetProgress(Ref<IUserGameData>(progress.get()), nullptr, nullptr,
                          Ref<IUGDTask>(task.get()));
  for (uint8_t group : {gkObjects, gkApproaches})
    play.owner->GetWidgetGroup(group)->GetChildren()->Clear();

  Ref<TTavelor2SceneGenerator> generator = TAbstractObject::Create<TTavelor2SceneGenerator>();
  generator->Init(play.owner);
  bool result = generator->GenerateLevel(Ref<IUGDScene>(scene.get()), kind);
  generator->Done();
  Check(scene->IsGenerated() == result);

  Ref<ISceneDef> definition =
      Supports<ISceneDefRefCollection>(play.game->GetParamValue("scene_defs").RawInterface())
          ->GetItem(Variant("room"))
          ->LoadSceneDef();
  for (const char* key : {"ho_names", "vd_names", "io_names", "co_names", "hp_names", "do_names",
                          "ip_names", "aa_names"})
    CheckList(scene->GetParamValue(key).ToString(), definition, false);
  CheckList(scene->GetParamValue("ng_names").ToString(), definition, true);
  if (counts[0] > 0)
    Check(SplitString(scene->GetParamValue("ho_names").ToString(), ';').size() <=
          size_t(counts[0]));
  return 0;
}
