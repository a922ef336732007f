// The gameplay's documents come from the game's data folder, and a player's progress from
// the profile file: any bytes must load without a crash or hang, and what loaded must save
// and load back to the same document (a value the writer changes, such as a scenery
// object's hide flag written as "no", is changed once and then stays).
//
// A progress never keeps what would tie it to other files, and text that cannot be read is
// kept in the profile.
//
// The first byte picks the document (by its value modulo 5): a scene, the scene list, the
// participants, the categories, or a progress text handed to a profile.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/Warnings.h"
#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "shell/UserProfile.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Whether a warning said that reserved attributes were dropped since it was cleared.
bool& Dropped() {
  static bool dropped = false;
  return dropped;
}

struct Kind {
  const char* root;
  Ref<TPersistObject> (*make)();
};

template <class T>
Ref<TPersistObject> Make() {
  return Ref<TPersistObject>(TAbstractObject::Create<T>().get());
}

const Kind kKinds[] = {
    {"scene_def", Make<TSceneDef>},
    {"scene_defs", Make<TSceneDefRefCollection>},
    {"participants", Make<TParticipantCollection>},
    {"categories", Make<TCategoryCollection>},
    {"usergamedata", Make<TUserGameData>},
};

std::string Saved(TPersistObject& object, const char* root) {
  Ref<IHierStorageRoot> storage = CreateXmlStorage(root);
  storage->SaveObject(&object);
  return storage->GetXmlText();
}

// The object loaded from Text ("" when the text is no document).
std::string LoadAndSave(const Kind& kind, std::string_view text, bool asProfile) {
  Ref<TPersistObject> object = kind.make();
  if (asProfile) {
    // The progress arrives as a profile's data storage.
    Ref<TUserProfile> profile = TAbstractObject::Create<TUserProfile>();
    profile->SetDataStorage(std::string(text));
    auto* progress = dynamic_cast<TUserGameData*>(object.get());
    progress->AttachProfile(Ref<IUserProfile>(profile.get()));
    // Text that cannot be read is kept in the profile, out of the new story's way.
    std::string problem;
    if (!text.empty() && !ParseProgressText("fuzz", text, problem))
      Check(profile->GetDataStorage().empty() &&
            profile->GetParams()->GetValue("damaged_progress").ToString() == text);
    // What is stored back names no other file.
    std::string saved = Saved(*object, kind.root);
    ResetWarnings();
    Dropped() = false;
    Check(ParseProgressText("fuzz", saved, problem) != nullptr);
    Check(!Dropped());
    return saved;
  }
  std::string problem;
  Ref<IHierStorageRoot> storage = ParseDataText(text, problem);
  Check(storage || !problem.empty());
  if (!storage) return {};
  LoadDataGuarded("fuzz", [&] { storage->LoadObject(object.get()); });
  return Saved(*object, kind.root);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool declared = [] {
    Tv2DeclarationsInit();
    // What is dropped is said, not checked here, but for what ties a progress to other files.
    SetWarningHook([](const std::string& line) {
      if (line.find("dropped: a player's file") != std::string::npos) Dropped() = true;
    });
    return true;
  }();
  (void)declared;
  if (size == 0) return 0;
  const int index = data[0] % 5;
  const Kind& kind = kKinds[index];
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool asProfile = index == 4;
  std::string first = LoadAndSave(kind, text, asProfile);
  if (first.empty()) return 0;
  std::string second = LoadAndSave(kind, first, asProfile);
  std::string third = LoadAndSave(kind, second, asProfile);
  Check(second == third);
  return 0;
}
