// The player's files ("users.dat", "highscores.dat", "records.dat") sit in a folder that
// players and other programs can damage or edit. Each loader must take any bytes: no
// crash and no hang, no table longer than its maximum, and whatever loaded must save and
// load back to the same data (so nothing a player has is lost by the next save).
//
// Whatever a player file holds that would tie it to other files ("_outstorage",
// "template") is dropped, at any depth: what loaded and is saved again holds none of it.
//
// The first byte picks the file ('0' profiles, '1' high scores, '2' level records, by its
// value modulo 3); the rest is the file, read both as the game reads it (cipher text under
// the file's key) and as plain XML, so that the fuzzer reaches the loaders with documents
// it builds itself.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/GameDeclarations.h"
#include "foundation/PlayerFiles.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "gameplay/Tv2Declarations.h"
#include "shell/HighScores.h"
#include "shell/LevelRecords.h"
#include "shell/UserProfile.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A loader: a fresh object, what it holds as text (record names left out: they are made
// anew at every load), and its saved document.
struct Loader {
  std::string root;
  const std::string* key;
  Ref<IPersistObject> (*make)();
  std::string (*describe)(IPersistObject& object);
};

std::string Saved(IPersistObject& object, const std::string& root) {
  Ref<IHierStorageRoot> storage = CreateXmlStorage(root);
  storage->SaveObject(&object);
  return storage->GetXmlText();
}

// An element text of blanks only (codes 0 to 32) reads as empty, so a high-score value
// that translates to nothing but blanks comes back empty: the two count as the same.
std::string DescribeParams(const Ref<IParamCollection>& params) {
  std::string text;
  for (int i = 0; i < params->Count(); ++i) {
    Ref<IParam> param = params->FindParam(Variant(i));
    std::string value = param->GetValue().ToString();
    bool blank = std::all_of(value.begin(), value.end(),
                             [](char c) { return static_cast<unsigned char>(c) <= ' '; });
    text += param->GetName() + "=" + (blank ? std::string() : value) + ";";
  }
  return text;
}

std::string DescribeHighScores(IPersistObject& object) {
  auto& scores = dynamic_cast<THighScores&>(object);
  std::string text;
  Ref<IRecordTableCollection> tables = scores.GetTables();
  for (int t = 0; t < tables->Count(); ++t) {
    auto* table = dynamic_cast<TRecordTable*>(tables->GetItem(Variant(t)).get());
    Ref<IRecordCollection> records = table->GetRecords();
    Check(records->Count() <= std::max(table->MaxRecords(), 0));
    text += "[" + table->GetName() + "]";
    for (int i = 0; i < records->Count(); ++i)
      text += "{" + DescribeParams(records->GetItem(Variant(i))->GetParams()) + "}";
  }
  return text;
}

std::string DescribeWhole(IPersistObject& object) {
  return Saved(object, object.GetElementName());
}

const Loader kLoaders[] = {
    {"userprofiles", &UserProfilesKey,
     [] { return Ref<IPersistObject>(TAbstractObject::Create<TUserProfileCollection>().get()); },
     DescribeWhole},
    {"highscores", &HighScoresKey,
     [] {
       return Ref<IPersistObject>(TAbstractObject::Create<THighScores>(HighScoreTableParams).get());
     },
     DescribeHighScores},
    {"highscores", &LevelRecordsKey,
     [] {
       return Ref<IPersistObject>(
           TAbstractObject::Create<TLevelRecords>(LevelRecordTableParams).get());
     },
     DescribeWhole},
};

// Whether a warning said that reserved attributes were dropped since the last call.
bool& Dropped() {
  static bool dropped = false;
  return dropped;
}

// Loads the bytes read with Key; then what loaded is saved, loaded again and compared.
// What the game saves never holds what ties a player file to other files.
void LoadSaveReload(const Loader& loader, std::string_view bytes, const std::string& key) {
  std::string problem;
  Ref<IHierStorageRoot> storage = ParsePlayerDocument(bytes, key, "fuzz", problem);
  Check(storage || !problem.empty());
  if (!storage) return;
  Ref<IPersistObject> loaded = loader.make();
  storage->LoadObject(loaded.get());
  std::string held = loader.describe(*loaded);

  std::string saved = Saved(*loaded, loader.root);
  ResetWarnings();
  Dropped() = false;
  Ref<IHierStorageRoot> again = ParsePlayerDocument(saved, "", "fuzz", problem);
  Check(again != nullptr);
  Check(!Dropped());
  Ref<IPersistObject> reloaded = loader.make();
  again->LoadObject(reloaded.get());
  Check(loader.describe(*reloaded) == held);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool declared = [] {
    Tv2DeclarationsInit();
    SetWarningHook([](const std::string& line) {
      if (line.find("dropped: a player's file") != std::string::npos) Dropped() = true;
    });
    return true;
  }();
  (void)declared;
  if (size == 0) return 0;
  const Loader& loader = kLoaders[data[0] % 3];
  std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  LoadSaveReload(loader, bytes, *loader.key);
  LoadSaveReload(loader, bytes, "");
  return 0;
}
