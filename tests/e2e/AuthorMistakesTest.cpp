// An author's mistakes, one at a time, each in a copy of the built program folder whose
// one document holds it: the game's own readers, or the game itself where only a level or
// the diary meets the mistake, say what they dropped, and every line they say names the
// file that holds the mistake. Without a mistake the same readers say nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/ProgramClasses.h"
#include "foundation/Cipher.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "foundation/ResourceReader.h"
#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "screens/Tv2GameScreenGame.h"
#include "tests/e2e/SampleGameFixture.h"
#include "tests/support/SampleGameEngine.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"

namespace {

namespace fs = std::filesystem;

// What meets the mistake.
enum class Reader {
  kScenes,        // the scene list and every scene it names
  kSceneWidget,   // a scene's widget factory ("scene/factory") makes its widget
  kParticipants,  // the participants
  kScenario,      // the cases of a new story
  kProgress,      // a player's progress (a new story stored, then read back)
  kLevel,         // the game plays a task ("case/task") of a new story
  kDiary,         // the game's diary starts the new story's first task
  kScreen,        // the game shows a screen of its game file for two seconds
  kGameFile,      // the game starts on its game file
};

struct Mistake {
  const char* what;  // the mistake, for the report
  const char* file;  // the document, as the game names it
  const char* from;  // text of the sample's document, replaced wherever it stands
  const char* to;    // what a careless author wrote; null: the file is one byte short
  Reader reader;
  const char* where;    // the task, scene widget or screen the reader needs
  const char* warning;  // the line said, after "warning: FILE: "
};

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

fs::path NativeOf(const fs::path& folder, std::string file) {
  for (char& c : file)
    if (c == '\\') c = '/';
  return folder / file;
}

// The built program folder's documents (not its program), with Mistake made in its file:
// enciphered documents are deciphered, changed and enciphered again.
class MistakenFolder {
 public:
  explicit MistakenFolder(const Mistake* mistake) {
    for (const char* entry : {"data", "lang", "highscores.dat"})
      fs::copy(fs::path(SAMPLE_GAME_DIR) / entry, folder_.Path() / entry,
               fs::copy_options::recursive);
    if (mistake) Make(*mistake);
  }

  std::string Path() const { return folder_.Path().string(); }

 private:
  void Make(const Mistake& m) {
    const Mistake* mistake = &m;
    const fs::path path = NativeOf(folder_.Path(), mistake->file);
    std::string bytes = ReadBytes(path);
    ASSERT_FALSE(bytes.empty()) << mistake->file;
    if (!mistake->to) {
      bytes.pop_back();
      WriteBytes(path, bytes);
      return;
    }
    const bool enciphered = HexTextProblem(bytes).empty();
    TCipher_Xtea cipher(SampleGameKey());
    if (enciphered) bytes = cipher.CodeString(bytes, kCipherDecipher, kFormatHex);
    size_t at = bytes.find(mistake->from);
    ASSERT_NE(at, std::string::npos) << mistake->file << " holds no " << mistake->from;
    for (; at != std::string::npos; at = bytes.find(mistake->from, at + std::strlen(mistake->to)))
      bytes.replace(at, std::strlen(mistake->from), mistake->to);
    if (enciphered) bytes = cipher.CodeString(bytes, kCipherEncipher, kFormatHex);
    WriteBytes(path, bytes);
  }

  TempFolder folder_;
};

// The folder as the program's working folder while it lives, its language file loaded.
class EnteredFolder {
 public:
  explicit EnteredFolder(const std::string& folder) : before_(fs::current_path()) {
    RegisterProgramClasses();
    fs::current_path(folder);
    SetProgramFolder(folder + "/");
    ClearResourceCache();
    MultiLanguages()->LoadFile(folder + "/lang/default.lng");
  }
  ~EnteredFolder() {
    MultiLanguages()->ClearStrings();
    fs::current_path(before_);
    SetProgramFolder("");
    ClearResourceCache();
  }

 private:
  fs::path before_;
};

std::string Before(const std::string& text, char separator) {
  return text.substr(0, text.find(separator));
}
std::string After(const std::string& text, char separator) {
  size_t at = text.find(separator);
  return at == std::string::npos ? std::string() : text.substr(at + 1);
}

Ref<ISceneDef> LoadScene(const std::string& name) {
  Ref<ISceneDefRefCollection> scenes = LoadSceneDefRefs(ScenesFileName);
  Ref<ISceneDefRef> ref = scenes ? scenes->GetItem(Variant(name)) : nullptr;
  return ref ? ref->LoadSceneDef() : nullptr;
}

// The readers that run without the game.
void ReadDocuments(Reader reader, const std::string& where) {
  switch (reader) {
    case Reader::kScenes: {
      Ref<ISceneDefRefCollection> scenes = LoadSceneDefRefs(ScenesFileName);
      ASSERT_TRUE(scenes);
      for (int i = 0; i < scenes->Count(); ++i) scenes->GetItem(Variant(i))->LoadSceneDef();
      break;
    }
    case Reader::kSceneWidget: {
      Ref<ISceneDef> scene = LoadScene(Before(where, '/'));
      ASSERT_TRUE(scene) << where;
      Ref<IWidget> widget = scene->CreateWidget(After(where, '/'), NewParamCollection());
      ASSERT_TRUE(widget) << where;
      for (int i = 0; i < 5; ++i) widget->Process(16);
      // As its screen lets it go: what its children hold of it goes too.
      widget->ReleaseOwner();
      break;
    }
    case Reader::kParticipants:
      ASSERT_TRUE(LoadParticipants(ParticipantsFileName));
      break;
    case Reader::kScenario: {
      Ref<TUserGameData> story = TAbstractObject::Create<TUserGameData>();
      story->LoadCases(Ref<IHierStorage>(LoadDataDocument(DefaultScenarioFileName).get()));
      EXPECT_GT(story->GetCases()->Count(), 0);
      break;
    }
    default:
      FAIL() << "not a reader of documents";
  }
}

class AuthorMistakes : public ::testing::Test {
 protected:
  // Reads or plays Mistake's copy of the program folder (the sample's own without one);
  // the warnings said meanwhile land in Lines, a failure to start in Failure.
  void Meet(const Mistake* mistake, Reader reader, const std::string& where) {
    // A player's progress is no document of the folder: it is changed as it is read back.
    MistakenFolder folder(reader == Reader::kProgress ? nullptr : mistake);
    if (HasFatalFailure()) return;
    if (reader < Reader::kProgress) {
      EnteredFolder entered(folder.Path());
      ReadDocuments(reader, where);
      return;
    }
    SampleGameEngine run(folder.Path(), SampleGameKey());
    if (!run.Ok()) {
      failure = run.Failure();
      return;
    }
    ASSERT_TRUE(run.StepUntilLoaded());
    switch (reader) {
      case Reader::kProgress:
        ReadProgressBack(run, mistake);
        break;
      case Reader::kLevel:
        run.Platform().SetFrameInterval(16);
        run.StartTask(Before(where, '/'), After(where, '/'), "");
        run.Wait(1000);
        break;
      case Reader::kDiary:
        StartFromTheDiary(run);
        break;
      case Reader::kScreen:
        ASSERT_TRUE(run.Game()->ShowScreen(where, nullptr)) << where;
        run.Wait(2000);
        break;
      default:
        break;
    }
  }

  // A new story stored in Ann's profile as the diary stores it, the mistake made in the
  // stored text, and the text read back as the diary reads it.
  void ReadProgressBack(SampleGameEngine& run, const Mistake* mistake) {
    Ref<IUserProfileCollection> profiles = run.Game()->GetUserProfiles();
    Ref<IUserProfile> ann = profiles->GetOrCreate("Ann");
    Ref<TUserGameData> story = PublishDocumentsAndNewStory(*run.Game());
    story->AttachProfile(ann);
    story->StoreToProfile(run.Game());
    story->ReleaseLinks();
    std::string text = ann->GetDataStorage();
    if (mistake) {
      size_t at = text.find(mistake->from);
      ASSERT_NE(at, std::string::npos) << text;
      text.replace(at, std::strlen(mistake->from), mistake->to);
    }
    ann->SetDataStorage(text);
    Ref<TUserGameData> read = TAbstractObject::Create<TUserGameData>();
    read->AttachProfile(ann);
    read->ReleaseLinks();
  }

  // As a player starts: the documents the main menu publishes, a current player with no
  // progress yet, the main menu's "Start" (the play screen over the diary); the stage's
  // letter closed, "Play" on the map starts the stage's first task.
  void StartFromTheDiary(SampleGameEngine& run) {
    TGame* game = run.Game();
    PublishDocumentsAndNewStory(*game);
    Ref<IUserProfileCollection> profiles = game->GetUserProfiles();
    profiles->GetOrCreate("Ann");
    profiles->SetCurrent("Ann");
    ASSERT_TRUE(game->ShowScreen("GS_Game", ParamsFromString("show_diary=1")));
    ASSERT_TRUE(run.WaitFor([&] { return run.TopScreen() == "GS_Letter"; }, 6000))
        << run.TopScreen();
    run.Wait(500);
    run.Click({512, 650});
    ASSERT_TRUE(run.WaitFor([&] { return run.TopScreen() == "GS_Diary"; }, 3000))
        << run.TopScreen();
    run.Wait(600);
    run.Click({840, 715});
    run.Wait(1000);
  }

  WarningCapture warnings;
  std::string failure;
};

const Mistake kMistakes[] = {
    // Scenes.
    {"a hidden object 0 wide", "data\\scenes\\atelier.xml",
     R"(resourcename="img_obj_lantern" width="48")", R"(resourcename="img_obj_lantern" width="0")",
     Reader::kScenes, "",
     "object_def \"lantern\": width 0: it is never seen and never found, so its level cannot "
     "be won"},
    {"a negative size", "data\\scenes\\atelier.xml", R"(resourcename="img_obj_oil_can" width="44")",
     R"(resourcename="img_obj_oil_can" width="-44")", Reader::kLevel, "c1_lantern/t1",
     "object_def \"oil_can\": width -44 is below 0: it is never seen and never found, so its "
     "level cannot be won"},
    {"an object type that is none", "data\\scenes\\atelier.xml", R"(name="teacup" objecttype="0")",
     R"(name="teacup" objecttype="9")", Reader::kScenes, "",
     "object_def \"teacup\": objecttype 9 is no object type (0 to 7); the object is never shown"},
    {"an action type that is none", "data\\scenes\\atelier.xml",
     R"(action_type="12" action_string="note_lantern")",
     R"(action_type="15" action_string="note_lantern")", Reader::kScenes, "",
     "object_def \"lantern\": action \"note_lantern\": action_type 15 is no action (0 to 12); "
     "it does nothing"},
    {"an action opening a missing approach", "data\\scenes\\atelier.xml",
     R"(action_string="chest")", R"(action_string="chets")", Reader::kScenes, "",
     "object_def \"door_chest\" location \"l1\": action \"chets\": no scene_approach of that "
     "name; it opens nothing"},
    {"an action showing a missing factory", "data\\scenes\\cellar.xml",
     R"(action_type="0" action_string="bats")", R"(action_type="0" action_string="bast")",
     Reader::kScenes, "",
     "scene_def: action \"bast\": no widgetfactory of that name; it shows nothing"},
    {"an angle that is no number", "data\\scenes\\atelier.xml",
     R"(<location name="l1" anchor_left="150" anchor_top="200"/>)",
     R"(<location name="l1" anchor_left="150" anchor_top="200" angle="nan"/>)", Reader::kScenes, "",
     "location \"l1\": angle=\"nan\" is not a number; the default is used"},
    {"a picture no resource gives", "data\\scenes\\atelier.xml", R"(resourcename="img_obj_teacup")",
     R"(resourcename="img_obj_teacap")", Reader::kLevel, "c1_lantern/t1",
     "object_def \"teacup\": resourcename \"img_obj_teacap\" names no resource; the object is "
     "not seen, yet a click there finds it"},
    // Mini-games of the scenes.
    {"a jigsaw without elements", "data\\scenes\\atelier.xml",
     R"(elements="piece_a:piece_b,piece_c;piece_b:piece_a,piece_d;piece_c:piece_a,piece_d;piece_d:piece_b,piece_c")",
     R"(elements="")", Reader::kSceneWidget, "atelier/mg_chest",
     "puzzle_widget \"minigame_jigsaw\": no \"elements\": only its skip ends the game"},
    {"a jigsaw piece's neighbour that is none", "data\\scenes\\atelier.xml",
     R"(piece_d:piece_b,piece_c")", R"(piece_d:piece_b,piece_e")", Reader::kSceneWidget,
     "atelier/mg_chest",
     "puzzle_widget \"minigame_jigsaw\": neighbour \"piece_e\" of \"piece_d\" is no other piece; "
     "it is left out"},
    {"a ring puzzle without rings", "data\\scenes\\clocktower.xml", "rings>", "rigns>",
     Reader::kSceneWidget, "clocktower/mg_dial",
     "mg_ring_widget \"minigame_rings\": no \"ring\" in \"rings\": only its skip ends the game"},
    {"a word search without words", "data\\scenes\\market.xml", R"(list="TEA;SEA")", R"(list="")",
     Reader::kSceneWidget, "market/mg_awning",
     "mg_FindWords_widget \"minigame_words\": no word in \"list\": only its skip ends the game"},
    {"a match-three board of one kind", "data\\scenes\\market.xml", R"(itemcount="4")",
     R"(itemcount="1")", Reader::kSceneWidget, "market/mg_stall",
     "MiniGame3MatchWidget \"minigame_match3\": a board of 5 x 4 with 1 kinds and runs of 3 can "
     "never be played; it is left empty"},
    {"a cell-graph link to no cell", "data\\scenes\\cellar.xml",
     R"(<link cell="5" weight="0" direction="0"/>)",
     R"(<link cell="55" weight="0" direction="0"/>)", Reader::kSceneWidget, "cellar/mg_mosaic",
     "mg_xmatch_widget \"minigame_xmatch\": cell 4 links to cell 55, which is not there; the link "
     "is left out"},
    // People and the story.
    {"a participant of no type", "data\\ini\\participants.ini",
     R"(slot="page1/client" type="client")", R"(slot="page1/client" type="Client")",
     Reader::kParticipants, "",
     "participant \"odile\": type \"Client\" is neither \"client\" nor \"ideal_match\"; the "
     "participant is neither"},
    {"a task type that is no number", "data\\ini\\scenarios\\default.ini",
     R"(<task name="t1" tasktype="0">)", R"(<task name="t1" tasktype="x">)", Reader::kScenario, "",
     "task \"t1\": tasktype=\"x\" is not an integer; the default is used"},
    {"a task type of no level kind", "data\\ini\\scenarios\\default.ini",
     R"(<task name="t1" tasktype="0">)", R"(<task name="t1" tasktype="99">)", Reader::kLevel,
     "c1_lantern/t1",
     "task \"t1\": tasktype 99 is no level kind (0 to 5); its level has nothing to play"},
    {"a time beyond the clock", "data\\ini\\scenarios\\default.ini",
     R"(<param name="given_time" value="300000"/>)",
     R"(<param name="given_time" value="99999999999"/>)", Reader::kLevel, "c1_lantern/t1",
     "task \"t1\": given_time 99999999999 is more than the clock shows (99:59); 99:59 is given"},
    {"no time given", "data\\ini\\scenarios\\default.ini",
     R"(<param name="given_time" value="300000"/>)", R"(<param name="given_time" value="0"/>)",
     Reader::kLevel, "c1_lantern/t1",
     "task \"t1\": given_time 0 is no time: the level is lost at once"},
    {"a task whose scene wants nothing", "data\\ini\\scenarios\\default.ini",
     R"(<task name="t4" tasktype="3">)", R"(<task name="t4" tasktype="0">)", Reader::kLevel,
     "stylist_case/t4",
     "task \"t4\": no object of scene \"clocktower\" that a level of kind 0 wants has a location; "
     "the level is won at once"},
    {"a task whose scene is unknown", "data\\ini\\scenarios\\default.ini",
     R"(<param name="scenename" value="atelier"/>)", R"(<param name="scenename" value="ateleir"/>)",
     Reader::kDiary, "",
     "task \"t1\": scene \"ateleir\" is not in the scene list (data\\ini\\scenes.ini); the task is "
     "done without play"},
    // The game file.
    {"a particle system asking for millions", "data\\ini\\Tavelor2.ini",
     R"(properties="emission_count" value="str:40")",
     R"(properties="emission_count" value="str:4000000")", Reader::kScreen,
     "GS_Particles",
     "stochastic_particle_system \"sparkles\": held at its cap of 25000 live particles; what it "
     "asks for beyond that is not made"},
};

// Names the file a line of the warning channel names, or the line itself without one.
std::string FileOf(const std::string& line, const std::string& expected) {
  const std::string head = "warning: " + expected + ": ";
  return line.rfind(head, 0) == 0 ? expected : line;
}

}  // namespace

TEST_F(AuthorMistakes, EachIsSaidNamingItsFile) {
  for (const Mistake& m : kMistakes) {
    SCOPED_TRACE(m.what);
    warnings.Clear();
    ResetWarnings();
    Meet(&m, m.reader, m.where);
    const std::string expected = "warning: " + std::string(m.file) + ": " + m.warning;
    EXPECT_NE(std::find(warnings.Lines().begin(), warnings.Lines().end(), expected),
              warnings.Lines().end())
        << "wanted: " << expected << "\nsaid:\n"
        << [&] {
             std::string all;
             for (const std::string& line : warnings.Lines()) all += line + "\n";
             return all;
           }();
    for (const std::string& line : warnings.Lines()) EXPECT_EQ(FileOf(line, m.file), m.file);
  }
}

// A player's progress that does not read, and a game file cut short: the player's file and
// the game file are named.
TEST_F(AuthorMistakes, FilesThatAreNoAuthorsDocumentsAreNamedToo) {
  const Mistake progress{"a level that is no number",
                         "users.dat",
                         R"(Level="1")",
                         R"(Level="x")",
                         Reader::kProgress,
                         "",
                         ""};
  Meet(&progress, progress.reader, "");
  EXPECT_EQ(warnings.Lines(),
            std::vector<std::string>{
                "warning: users.dat: usergamedata: Level=\"x\" is not an integer; the default is "
                "used"});
  const Mistake cut{"a game file a digit short",
                    "data\\ini\\Tavelor2.ini",
                    "",
                    nullptr,
                    Reader::kGameFile,
                    "",
                    ""};
  Meet(&cut, cut.reader, "");
  EXPECT_EQ(failure,
            "the sample game did not start: the game file data\\ini\\Tavelor2.ini is not "
            "hexadecimal text: odd number of hexadecimal digits");
}

// The sample game read and played the same ways says nothing.
TEST_F(AuthorMistakes, TheSampleItselfSaysNothing) {
  std::vector<std::pair<Reader, std::string>> ways;
  for (const Mistake& m : kMistakes) {
    std::pair<Reader, std::string> way{m.reader, m.where};
    if (std::find(ways.begin(), ways.end(), way) == ways.end()) ways.push_back(way);
  }
  ways.emplace_back(Reader::kProgress, "");
  for (const auto& [reader, where] : ways) {
    SCOPED_TRACE(where);
    ResetWarnings();
    Meet(nullptr, reader, where);
    EXPECT_EQ(warnings.Lines(), std::vector<std::string>{}) << int(reader) << " " << where;
    EXPECT_EQ(failure, "");
  }
}
