#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "foundation/XMLStorage.h"
#include "shell/HighScores.h"
#include "tests/shell/PlayerDataTestSupport.h"

namespace {

const char* const kStructure =
    "record_structure={param=Score\\param=Player\\param=Level\\param=Const}";

Ref<TRecordTable> Table(int max) {
  return TAbstractObject::Create<TRecordTable>("name=0\\max_records=" + std::to_string(max) + "\\" +
                                               kStructure);
}

Ref<IParamCollection> Row(const std::string& pairs) {
  return ParamsFromString(pairs);
}

// "Player:Score" per record, best first; a "*" marks a preset row.
std::vector<std::string> Rows(IRecordTable& table) {
  std::vector<std::string> rows;
  Ref<IRecordCollection> records = table.GetRecords();
  for (int i = 0; i < records->Count(); ++i) {
    Ref<IParamCollection> params = records->GetItem(Variant(i))->GetParams();
    std::string row =
        params->GetValue("Player").ToString() + ":" + params->GetValue("Score").ToString();
    if (params->GetValue("Const").ToString() == "yes") row += "*";
    rows.push_back(row);
  }
  return rows;
}

// A table holding rows of those scores, players "p0", "p1", ...
Ref<TRecordTable> TableOf(int max, const std::vector<int>& scores) {
  Ref<TRecordTable> table = Table(max);
  for (size_t i = 0; i < scores.size(); ++i)
    table->AddScoreRecord(
        Row("Score=" + std::to_string(scores[i]) + "\\Player=p" + std::to_string(i)));
  return table;
}

const char* const kDeclared =
    "record_table={name=0\\max_records=10\\record_structure={param=Score\\param=Player\\"
    "param=Level\\param=Const}}\\record_table={name=1\\max_records=10\\record_structure={"
    "param=Score\\param=Player\\param=Level\\param=Const}}";

Ref<THighScores> Declared() {
  return TAbstractObject::Create<THighScores>(kDeclared);
}

void LoadXml(THighScores& scores, const std::string& xml) {
  Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(xml);
  ASSERT_TRUE(storage);
  storage->LoadObject(&scores);
}

std::string SavedXml(THighScores& scores) {
  Ref<IHierStorageRoot> storage = CreateXmlStorage("highscores");
  storage->SaveObject(&scores);
  return storage->GetXmlText();
}

std::string RecordXml(const std::string& params) {
  return "<record name=\"ignored\"><params>" + params + "</params></record>";
}

std::string ParamXml(const std::string& name, const std::string& value) {
  return "<param name=\"" + name + "\">" + value + "</param>";
}

}  // namespace

TEST(HighScores, QualifiesByScoreAndLastRow) {
  struct Case {
    const char* what;
    int max;
    std::vector<int> scores;
    const char* lastScore;  // replaces the last row's "Score"; nullptr keeps it
    bool dropLastScore;
    int score;
    bool qualifies;
  } cases[] = {
      {"zero", 3, {}, nullptr, false, 0, false},
      {"negative", 3, {}, nullptr, false, -4, false},
      {"not full", 3, {9}, nullptr, false, 1, true},
      {"full, last lower", 3, {9, 8, 2}, nullptr, false, 3, true},
      {"full, last equal", 3, {9, 8, 3}, nullptr, false, 3, false},
      {"full, last higher", 3, {9, 8, 4}, nullptr, false, 3, false},
      {"full, last score no integer counts 0", 2, {9, 8}, "abc", false, 1, true},
      {"full, last without a score", 2, {9, 8}, nullptr, true, 100, false},
      {"no room and no last row", 0, {}, nullptr, false, 5, false},
  };
  for (const Case& c : cases) {
    Ref<TRecordTable> table = TableOf(c.max, c.scores);
    Ref<IRecordCollection> records = table->GetRecords();
    if (c.lastScore || c.dropLastScore) {
      Ref<IParamCollection> last = records->GetItem(Variant(records->Count() - 1))->GetParams();
      if (c.dropLastScore)
        last->Delete(Variant("Score"));
      else
        last->SetValue("Score", Variant(c.lastScore));
    }
    EXPECT_EQ(table->Qualifies(c.score), c.qualifies) << c.what;
  }
}

TEST(HighScores, AddScoreRecordTakesQualifyingIntegerScores) {
  struct Case {
    const char* what;
    std::vector<int> scores;
    const char* params;
    bool added;
    std::vector<std::string> rows;  // afterwards
  } cases[] = {
      {"zero", {9, 8}, "Score=0\\Player=x", false, {"p0:9", "p1:8"}},
      {"negative", {9, 8}, "Score=-4\\Player=x", false, {"p0:9", "p1:8"}},
      {"no score", {9, 8}, "Player=x", false, {"p0:9", "p1:8"}},
      {"score no integer", {9, 8}, "Score=abc\\Player=x", false, {"p0:9", "p1:8"}},
      {"not full", {9, 8}, "Score=5\\Player=x", true, {"p0:9", "p1:8", "x:5"}},
      {"full, last equal", {9, 8, 3}, "Score=3\\Player=x", false, {"p0:9", "p1:8", "p2:3"}},
      {"full, last lower", {9, 8, 3}, "Score=4\\Player=x", true, {"p0:9", "p1:8", "x:4"}},
  };
  for (const Case& c : cases) {
    Ref<TRecordTable> table = TableOf(3, c.scores);
    Ref<IRecord> added = table->AddScoreRecord(Row(c.params));
    EXPECT_EQ(added != nullptr, c.added) << c.what;
    EXPECT_EQ(Rows(*table), c.rows) << c.what;
  }
}

TEST(HighScores, NewRecordGoesAfterEqualScoresAndIsTheLastIndex) {
  Ref<TRecordTable> table = TableOf(10, {9, 7, 7, 5});
  EXPECT_EQ(table->GetLastIndex(), 3);
  Ref<IRecord> added = table->AddScoreRecord(Row("Score=7\\Player=new"));
  ASSERT_TRUE(added);
  EXPECT_EQ(Rows(*table), (std::vector<std::string>{"p0:9", "p1:7", "p2:7", "new:7", "p3:5"}));
  EXPECT_EQ(table->GetLastIndex(), 3);
  EXPECT_EQ(table->GetRecords()->IndexOf(added->GetName()), 3);
  table->ResetLastIndex();
  EXPECT_EQ(table->GetLastIndex(), -1);
  // Names are made once and cannot be changed.
  std::string name = added->GetName();
  added->SetName("other");
  EXPECT_EQ(added->GetName(), name);
  EXPECT_NE(table->GetRecords()->GetItem(Variant(0))->GetName(), name);
}

TEST(HighScores, AddRecordKeepsOneRowPerPlayerButPresetRowsNeverBlock) {
  Ref<TRecordTable> table = Table(10);
  ASSERT_TRUE(table->AddScoreRecord(Row("Score=9\\Player=Ann\\Const=yes")));
  EXPECT_TRUE(table->AddRecord(Row("Score=5\\Player=Ann")));   // the preset row is nobody's
  EXPECT_FALSE(table->AddRecord(Row("Score=8\\Player=Ann")));  // her own row is there
  EXPECT_TRUE(table->AddRecord(Row("Score=8\\Player=Bob")));
  EXPECT_EQ(Rows(*table), (std::vector<std::string>{"Ann:9*", "Bob:8", "Ann:5"}));
}

TEST(HighScores, AddRecordMatchedUpdatesThePlayersRowAndSaysWhetherTheOrderChanged) {
  Ref<TRecordTable> table = TableOf(5, {9, 7, 5});  // p0, p1, p2
  // Higher, same place: the row changes, the order does not.
  EXPECT_FALSE(table->AddRecordMatched(Row("Score=8\\Player=p1\\Level=4")));
  EXPECT_EQ(Rows(*table), (std::vector<std::string>{"p0:9", "p1:8", "p2:5"}));
  EXPECT_EQ(table->GetRecords()->GetItem(Variant(1))->GetParams()->GetValue("Level").ToString(),
            "4");
  EXPECT_EQ(table->GetLastIndex(), 1);
  // Higher, new place.
  EXPECT_TRUE(table->AddRecordMatched(Row("Score=10\\Player=p1")));
  EXPECT_EQ(Rows(*table), (std::vector<std::string>{"p1:10", "p0:9", "p2:5"}));
  EXPECT_EQ(table->GetLastIndex(), 0);
  // Lower: the row takes it all the same, and moves down.
  EXPECT_TRUE(table->AddRecordMatched(Row("Score=3\\Player=p1")));
  EXPECT_EQ(Rows(*table), (std::vector<std::string>{"p0:9", "p2:5", "p1:3"}));
  EXPECT_EQ(table->GetLastIndex(), 2);
  // A player without a row of their own gets one.
  EXPECT_TRUE(table->AddRecordMatched(Row("Score=4\\Player=new")));
  EXPECT_EQ(Rows(*table), (std::vector<std::string>{"p0:9", "p2:5", "new:4", "p1:3"}));
  // A score that does not qualify changes nothing.
  EXPECT_FALSE(table->AddRecordMatched(Row("Score=0\\Player=p0")));
  EXPECT_EQ(table->GetRecords()->GetItem(Variant(0))->GetScore(), 9);
}

TEST(HighScores, AddRecordMatchedLeavesPresetRowsAlone) {
  Ref<TRecordTable> table = Table(5);
  table->AddScoreRecord(Row("Score=9\\Player=Ann\\Const=yes"));
  EXPECT_TRUE(table->AddRecordMatched(Row("Score=2\\Player=Ann")));
  EXPECT_EQ(Rows(*table), (std::vector<std::string>{"Ann:9*", "Ann:2"}));
}

TEST(HighScores, TwelveShuffledRecordsLoadAsTheBestTenInOrder) {
  const int scores[] = {40, 120, 5, 90, 120, 60, 10, 75, 30, 110, 60, 20};
  std::string records;
  for (int i = 0; i < 12; ++i)
    records += RecordXml(ParamXml("Score", std::to_string(scores[i])) +
                         ParamXml("Player", "r" + std::to_string(i)));
  Ref<THighScores> scoresTables = Declared();
  LoadXml(*scoresTables, "<highscores><recordtables><recordtable name=\"0\"><records>" + records +
                             "</records></recordtable></recordtables></highscores>");
  Ref<IRecordTable> table = scoresTables->GetTables()->GetItem(Variant("0"));
  EXPECT_EQ(Rows(*table),
            (std::vector<std::string>{"r1:120", "r4:120", "r9:110", "r3:90", "r7:75", "r5:60",
                                      "r10:60", "r0:40", "r8:30", "r11:20"}));
  EXPECT_EQ(table->GetLastIndex(), -1);
}

TEST(HighScores, UndeclaredTablesAndValuesAreDropped) {
  Ref<THighScores> scores = Declared();
  LoadXml(*scores,
          "<highscores><recordtables>"
          "<recordtable name=\"9\"><records>" +
              RecordXml(ParamXml("Score", "5")) +
              "</records></recordtable>"
              "<recordtable name=\"1\"><records>" +
              RecordXml(ParamXml("Score", "5") + ParamXml("Extra", "x")) +
              "</records></recordtable></recordtables></highscores>");
  EXPECT_EQ(scores->GetTables()->Count(), 2);
  EXPECT_FALSE(scores->GetTables()->GetItem(Variant("9")));
  Ref<IRecordTable> table = scores->GetTables()->GetItem(Variant("1"));
  ASSERT_EQ(table->GetRecords()->Count(), 1);
  EXPECT_FALSE(table->GetRecords()->GetItem(Variant(0))->GetParams()->FindParam(Variant("Extra")));
  // Adding copies only declared values either.
  Ref<IRecord> added = scores->AddScoreRecord(Row("Score=7\\Extra=y\\Player=Ann"), "1");
  ASSERT_TRUE(added);
  EXPECT_FALSE(added->GetParams()->FindParam(Variant("Extra")));
  EXPECT_EQ(added->GetParams()->Count(), 4);
  // Operations on an unknown table do nothing.
  EXPECT_FALSE(scores->Qualifies(5, "9"));
  EXPECT_FALSE(scores->AddScoreRecord(Row("Score=7"), "9"));
  EXPECT_FALSE(scores->AddRecord(Row("Score=7"), "9"));
  EXPECT_FALSE(scores->AddRecordMatched(Row("Score=7"), "9"));
  EXPECT_FALSE(SavedXml(*scores).find("name=\"9\"") != std::string::npos);
}

TEST(HighScores, DeclaredTableParameters) {
  struct Case {
    const char* params;
    int max;
  } cases[] = {{"name=a\\max_records=3", 3}, {"name=a\\max_records=many", 10}, {"name=a", 0}};
  for (const Case& c : cases) {
    Ref<TRecordTable> table = TAbstractObject::Create<TRecordTable>(c.params);
    EXPECT_EQ(table->MaxRecords(), c.max) << c.params;
    EXPECT_EQ(table->GetName(), "a");
  }
  // A table of no room keeps nothing.
  Ref<TRecordTable> none =
      TAbstractObject::Create<TRecordTable>(std::string("name=a\\") + kStructure);
  EXPECT_FALSE(none->AddScoreRecord(Row("Score=5")));
  EXPECT_EQ(none->GetRecords()->Count(), 0);
}

TEST(HighScores, ValuesTranslateOnLoadAndPercentSignsSurviveASave) {
  MultiLanguages()->SetString("main_title", "Tavelor");
  MultiLanguages()->SetString("hs_player_1", "Grace");
  Ref<THighScores> scores = Declared();
  LoadXml(*scores, "<highscores><recordtables><recordtable name=\"0\"><records>" +
                       RecordXml(ParamXml("Score", "900") + ParamXml("Player", "%hs_player_1%") +
                                 ParamXml("Const", "yes")) +
                       "</records></recordtable></recordtables></highscores>");
  ASSERT_TRUE(scores->AddRecord(Row("Score=500\\Player=a%b%c"), "0"));
  ASSERT_TRUE(scores->AddRecord(Row("Score=400\\Player=%main_title%"), "0"));
  std::vector<std::string> rows{"Grace:900*", "a%b%c:500", "%main_title%:400"};
  Ref<IRecordTable> table = scores->GetTables()->GetItem(Variant("0"));
  EXPECT_EQ(Rows(*table), rows);

  std::string xml = SavedXml(*scores);
  EXPECT_NE(xml.find(">a%%b%%c<"), std::string::npos) << xml;
  Ref<THighScores> reloaded = Declared();
  LoadXml(*reloaded, xml);
  EXPECT_EQ(Rows(*reloaded->GetTables()->GetItem(Variant("0"))), rows);
  // The player's row still matches the player: no second row.
  EXPECT_FALSE(reloaded->AddRecord(Row("Score=450\\Player=a%b%c"), "0"));
  MultiLanguages()->ClearStrings();
}

TEST(HighScores, ClearAllAndResetLastIndexesReachEveryTable) {
  Ref<THighScores> scores = Declared();
  scores->AddScoreRecord(Row("Score=5"), "0");
  scores->AddScoreRecord(Row("Score=5"), "1");
  scores->ResetLastIndexes();
  EXPECT_EQ(scores->GetTables()->GetItem(Variant(0))->GetLastIndex(), -1);
  EXPECT_EQ(scores->GetTables()->GetItem(Variant(1))->GetRecords()->Count(), 1);
  scores->ClearAll();
  EXPECT_EQ(scores->GetTables()->GetItem(Variant(0))->GetRecords()->Count(), 0);
  EXPECT_EQ(scores->GetTables()->GetItem(Variant(1))->GetRecords()->Count(), 0);
}

class HighScoresFiles : public PlayerDataTest {
 protected:
  static std::string File(const std::string& player) {
    return Encipher("<highscores><recordtables><recordtable name=\"1\"><records>" +
                        RecordXml(ParamXml("Score", "9") + ParamXml("Player", player)) +
                        "</records></recordtable></recordtables></highscores>",
                    HighScoresKey);
  }
  std::vector<std::string> Load(bool fromProgramFolder) {
    Ref<THighScores> scores = Declared();
    scores->LoadFromFile(engine.get(), fromProgramFolder);
    return Rows(*scores->GetTables()->GetItem(Variant("1")));
  }
};

TEST_F(HighScoresFiles, ThePlayersFileWinsUntilTheProgramFolderIsAskedFor) {
  program.Write("highscores.dat", File("shipped"));
  EXPECT_EQ(Load(false), (std::vector<std::string>{"shipped:9"}));
  preferences.Write("highscores.dat", File("own"));
  EXPECT_EQ(Load(false), (std::vector<std::string>{"own:9"}));
  EXPECT_EQ(Load(true), (std::vector<std::string>{"shipped:9"}));

  // Saved into the preference folder only, enciphered.
  Ref<THighScores> scores = Declared();
  scores->AddScoreRecord(Row("Score=3\\Player=new"), "0");
  scores->SaveToFile(engine.get());
  EXPECT_NE(SavedXml("highscores.dat", HighScoresKey).find(">new<"), std::string::npos);
  EXPECT_EQ(Load(true), (std::vector<std::string>{"shipped:9"}));
  EXPECT_TRUE(warnings.Lines().empty());
}
