// What is saved stays what it was: every XML source of the sample game (data/*.xml,
// data/ini/*.xml) and every fixture under data/saved/fixtures is loaded through the
// loaders the program uses and saved again, and the saved bytes must equal the files under
// data/saved/expected, byte for byte.
//
// A change that means to change what is saved writes the expected files anew with
// SAVED_BYTES_UPDATE=1 in the environment; the difference then shows in the commit.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "engine/EngineRegistration.h"
#include "engine/EngineResourceDefs.h"
#include "engine/EngineResources.h"
#include "engine/EngineSounds.h"
#include "foundation/GeneralClasses.h"
#include "foundation/GlobalReplaceableObjectParams.h"
#include "foundation/Params.h"
#include "foundation/Random.h"
#include "foundation/ResourceReader.h"
#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "shell/CustomSettings.h"
#include "shell/GameCursors.h"
#include "shell/HighScores.h"
#include "shell/LevelRecords.h"
#include "shell/ResourceFiles.h"
#include "shell/ShellRegistration.h"
#include "shell/UserProfile.h"
#include "shell/WidgetFactories.h"
#include "tests/support/TempFolder.h"
#include "widgets/WidgetsRegistration.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSaved = fs::path(SOURCE_ROOT) / "tests/widgets/data/saved";
const fs::path kFixtures = kSaved / "fixtures";
const fs::path kExpected = kSaved / "expected";
const fs::path kSampleData = fs::path(SOURCE_ROOT) / "data";
const fs::path kSampleSources = kSampleData / "ini";

// The game's tables of high scores and level records, as its declarations make them.
const char* const kHighScoreTables =
    "\\record_table={name=0\\max_records=10\\record_structure={param=Score\\param=Player"
    "\\param=Level\\param=Const}}\\record_table={name=1\\max_records=10\\record_structure={"
    "param=Score\\param=Player\\param=Level\\param=Const}}";
const char* const kLevelRecordTables = "\\level_record_table={name=0}\\level_record_table={name=1}";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The collections that documents hold as plain elements, by element name.
Ref<IInterface> CollectionFor(const std::string& element) {
  if (element == "params") return TAbstractObject::Create<TParamCollection>();
  if (element == "global_replaceable_object_params") return GlobalReplaceableObjectParams();
  if (element == "sounds") return TAbstractObject::Create<TSoundCollection>();
  if (element == "musics") return TAbstractObject::Create<TMusicCollection>();
  if (element == "cursors") return TAbstractObject::Create<TCursorCollection>();
  if (element == "resourcefiles") return TAbstractObject::Create<TResourceFileCollection>();
  if (element == "custom_settings") return TAbstractObject::Create<TCustomSettingsCollection>();
  if (element == "commands") return TAbstractObject::Create<TSettingsCommandCollection>();
  if (element == "widgetfactories") return TAbstractObject::Create<TWidgetFactoryCollection>();
  if (element == "userprofiles") return TAbstractObject::Create<TUserProfileCollection>();
  // The level records' own element is "highscores" too; fixtures name them apart.
  if (element == "level_records") return TAbstractObject::Create<TLevelRecords>(kLevelRecordTables);
  if (element == "highscores") return TAbstractObject::Create<THighScores>(kHighScoreTables);
  if (element == "resource_defs") return TAbstractObject::Create<TResourceDefCollection>();
  return nullptr;
}

// A resource list as the engine reads it: each "resource" of "content" made by its type and
// loaded from its element; saved back as one "resource" element each.
void SaveResourceList(const Ref<IHierStorage>& source, const Ref<IHierStorage>& target) {
  Ref<IHierStorage> content = source->GetChild("content", 0);
  Ref<IHierStorage> out = target->AddChild("content");
  int count = content ? content->GetChildCount("resource") : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> section = content->GetChild("resource", i);
    Ref<IResourceSlave> resource =
        CreateResourceByType(ReadXmlStr(section, "type"), ReadXmlStr(section, "name"));
    Ref<IHierStorage> saved = out->AddChild("resource");
    if (!resource) continue;
    LoadObject(resource, section);
    SaveObject(resource, saved);
  }
}

// Loads the object of Source the way the program does and saves it into Target.
void SaveThroughLoaders(const Ref<IHierStorage>& source, const Ref<IHierStorage>& target) {
  std::string element = source->GetName();
  if (element == "resources") return SaveResourceList(source, target);
  // A custom settings file: its commands, as the game reads them.
  if (element == "settings") {
    if (Ref<IHierStorage> commands = source->GetChild("commands", 0))
      SaveThroughLoaders(commands, target->AddChild("commands"));
    return;
  }
  if (Ref<IInterface> collection = CollectionFor(element)) {
    LoadObject(collection, source);
    SaveObject(collection, target);
    return;
  }
  // Anything else is created by its "type"; an unregistered type leaves the element empty.
  if (Ref<INamedObject> object = CreateObjectFromXml(source)) SaveObject(object, target);
}

// The saved text of a document, and of every file the saving wrote beside it.
struct Saved {
  std::string text;
  std::vector<std::pair<std::string, std::string>> files;  // relative path, bytes
};

// High-score records are named by a count of the whole run ("Record7"): the count is left
// out, so that the bytes do not depend on what ran before.
std::string WithoutRecordCounts(std::string text) {
  static const std::regex kRecordName(R"(name="Record[0-9]+")");
  return std::regex_replace(text, kRecordName, R"(name="Record")");
}

// Where two texts part, with some of what follows in each.
std::string FirstDifference(const std::string& saved, const std::string& expected) {
  size_t at = 0;
  while (at < saved.size() && at < expected.size() && saved[at] == expected[at]) ++at;
  size_t from = at < 40 ? 0 : at - 40;
  return "at byte " + std::to_string(at) + ":\n  saved    ..." + saved.substr(from, 120) +
         "\n  expected ..." + expected.substr(from, 120);
}

Saved SaveDocument(const fs::path& source) {
  TempFolder folder;
  fs::path before = fs::current_path();
  fs::current_path(folder.Path());
  SetProgramFolder(folder.Path().string() + "/");
  GlobalReplaceableObjectParams()->Clear();
  ClearXmlStorageRegistry();
  // Widgets that draw at random when they load (a state machine's first action) save what
  // they drew: the same every time.
  SetRandomSeed(1);

  Saved saved;
  Ref<IHierStorageRoot> document = LoadXmlStorageFromText(ReadFile(source));
  std::string root = document->GetName();
  Ref<IHierStorageRoot> out = CreateXmlStorage(root);
  if (root == "fixtures") {
    // One object per child, saved into a child of the same name.
    int count = document->GetChildCount("");
    for (int i = 0; i < count; ++i) {
      Ref<IHierStorage> child = document->GetChild("", i);
      SaveThroughLoaders(child, out->AddChild(child->GetName()));
    }
  } else {
    SaveThroughLoaders(Ref<IHierStorage>(document.get()), Ref<IHierStorage>(out.get()));
  }
  saved.text = WithoutRecordCounts(out->GetXmlText());

  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder.Path()))
    if (entry.is_regular_file())
      saved.files.emplace_back(fs::relative(entry.path(), folder.Path()).generic_string(),
                               ReadFile(entry.path()));
  std::sort(saved.files.begin(), saved.files.end());

  GlobalReplaceableObjectParams()->Clear();
  ClearXmlStorageRegistry();
  fs::current_path(before);
  return saved;
}

std::vector<fs::path> Sources() {
  std::vector<fs::path> sources;
  for (const fs::path& folder : {kSampleData, kSampleSources, kFixtures})
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
      if (entry.is_regular_file() && entry.path().extension() == ".xml")
        sources.push_back(entry.path());
  std::sort(sources.begin(), sources.end());
  return sources;
}

class SavedBytes : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The widgets' own sounds as the program makes them, whatever other tests installed.
    SetSoundCollectionMaker(nullptr);
    RegisterFoundationClasses();
    RegisterEngineClasses();
    RegisterFunctionsClasses();
    RegisterShellClasses();
    RegisterWidgetsClasses();
  }

  // Where the saved bytes of Source are kept: by folder ("sample" or "fixtures") and name.
  // Files the saving wrote beside it take the document's name, a dot and their own path.
  static fs::path ExpectedFor(const fs::path& source, const std::string& written = {}) {
    std::string group = source.parent_path() == kFixtures ? "fixtures" : "sample";
    std::string name = source.stem().string() + (written.empty() ? ".xml" : "." + written);
    return kExpected / group / name;
  }
};

TEST_F(SavedBytes, EverySourceSavesAsBefore) {
  const bool update = std::getenv("SAVED_BYTES_UPDATE") != nullptr;
  std::vector<fs::path> sources = Sources();
  ASSERT_GE(sources.size(), 9u) << "the sample game's sources and the fixtures";
  for (const fs::path& source : sources) {
    SCOPED_TRACE(source.string());
    Saved saved = SaveDocument(source);
    std::vector<std::pair<fs::path, std::string>> outputs{{ExpectedFor(source), saved.text}};
    for (const auto& [relative, bytes] : saved.files) {
      std::string flat = relative;
      std::replace(flat.begin(), flat.end(), '/', '_');
      outputs.emplace_back(ExpectedFor(source, flat), bytes);
    }
    for (const auto& [expected, bytes] : outputs) {
      if (update) {
        WriteFile(expected, bytes);
        continue;
      }
      ASSERT_TRUE(fs::exists(expected)) << "no expected file " << expected;
      std::string before = ReadFile(expected);
      EXPECT_TRUE(bytes == before)
          << expected << " saved differently " << FirstDifference(bytes, before);
    }
  }
}

}  // namespace
