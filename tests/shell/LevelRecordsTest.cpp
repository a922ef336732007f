#include <string>

#include "foundation/XMLStorage.h"
#include "shell/LevelRecords.h"
#include "tests/shell/PlayerDataTestSupport.h"

namespace {

Ref<TLevelRecords> Records() {
  return TAbstractObject::Create<TLevelRecords>(kLevelRecordTables);
}

}  // namespace

class LevelRecordsTest : public PlayerDataTest {};

TEST_F(LevelRecordsTest, ValuesByNameWithDefaults) {
  struct Case {
    const char* what;
    const char* stored;  // nullptr: absent
    bool create;
    int intValue;
    std::string textValue;
    const char* storedAfter;  // nullptr: still absent
  } cases[] = {
      {"present", "42", false, 42, "42", "42"},
      {"no integer", "lots", true, 5, "lots", "lots"},
      {"absent, created", nullptr, true, 5, "5", "5"},
      {"absent, not created", nullptr, false, 5, "5", nullptr},
  };
  for (const Case& c : cases) {
    for (bool asText : {false, true}) {
      Ref<TLevelRecords> records = Records();
      Ref<ILevelRecord> record = records->GetRecord(nullptr, "0", 3);
      ASSERT_TRUE(record);
      if (c.stored) record->SetValue("x", c.stored);
      if (asText) {
        EXPECT_EQ(record->GetValue("x", "5", c.create), c.textValue) << c.what;
      } else {
        EXPECT_EQ(record->GetIntValue("x", 5, c.create), c.intValue) << c.what;
      }
      Ref<IParam> param = record->GetParams()->FindParam(Variant("x"));
      EXPECT_EQ(param != nullptr, c.storedAfter != nullptr) << c.what;
      if (param && c.storedAfter) {
        EXPECT_EQ(param->GetValue().ToString(), c.storedAfter) << c.what;
      }
    }
  }
}

TEST_F(LevelRecordsTest, RecordsAreMadeOnceAndTakeTheGivenValues) {
  Ref<TLevelRecords> records = Records();
  Ref<ILevelRecord> record = records->GetRecord(ParamsFromString("Score=10\\time=30"), "1", 7);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->GetName(), "7");
  EXPECT_EQ(record->GetLevelNumber(), 7);
  Ref<ILevelRecord> again = records->GetRecord(ParamsFromString("Score=12"), "1", 7);
  EXPECT_EQ(again, record);
  EXPECT_EQ(record->GetIntValue("Score", 0, false), 12);
  EXPECT_EQ(record->GetIntValue("time", 0, false), 30);
  record->SetIntValue("time", -4);
  EXPECT_EQ(record->GetValue("time", "", false), "-4");
  EXPECT_EQ(records->GetTables()->GetItem(Variant("1"))->GetRecord(7), record);
  EXPECT_FALSE(records->GetTables()->GetItem(Variant("0"))->GetRecord(7));
}

TEST_F(LevelRecordsTest, UndeclaredTableGivesNothingAndMakesNothing) {
  Ref<TLevelRecords> records = Records();
  EXPECT_FALSE(records->GetRecord(ParamsFromString("Score=1"), "9", 1));
  EXPECT_EQ(records->GetTables()->Count(), 2);
  Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(
      R"(<highscores><levelrecordtables><levelrecordtable name="9"><levelrecords>)"
      R"(<levelrecord name="1"/></levelrecords></levelrecordtable>)"
      R"(<levelrecordtable name="0"><levelrecords><levelrecord name="abc"/>)"
      R"(</levelrecords></levelrecordtable></levelrecordtables></highscores>)");
  storage->LoadObject(records.get());
  EXPECT_EQ(records->GetTables()->Count(), 2);
  EXPECT_FALSE(records->GetTables()->GetItem(Variant("9")));
  Ref<TLevelRecordTable> table(
      dynamic_cast<TLevelRecordTable*>(records->GetTables()->GetItem(Variant("0")).get()));
  ASSERT_EQ(table->GetRecords()->Count(), 1);
  EXPECT_EQ(table->GetRecords()->GetItem(Variant("abc"))->GetLevelNumber(), -1);
}

TEST_F(LevelRecordsTest, SavedUnderTheHighScoresRootAndReadBack) {
  Ref<TLevelRecords> records = Records();
  records->GetRecord(ParamsFromString("Score=1200\\timename=%x%"), "0", 3);
  records->SaveToFile(engine.get());
  std::string xml = SavedXml("records.dat", LevelRecordsKey);
  EXPECT_EQ(xml.rfind("<highscores><levelrecordtables><levelrecordtable name=\"0\">", 0), 0u)
      << xml;
  Ref<TLevelRecords> loaded = Records();
  loaded->LoadFromFile(engine.get());
  Ref<ILevelRecord> record = loaded->GetRecord(nullptr, "0", 3);
  EXPECT_EQ(record->GetIntValue("Score", 0, false), 1200);
  EXPECT_EQ(record->GetValue("timename", "", false), "%x%") << "records are not translated";
}

TEST_F(LevelRecordsTest, TheProgramFolderServesWhileThePlayerHasNone) {
  program.Write("records.dat",
                Encipher(R"(<highscores><levelrecordtables><levelrecordtable name="1">)"
                         R"(<levelrecords><levelrecord name="2"><params>)"
                         R"(<param name="Score" value="77"/></params></levelrecord>)"
                         R"(</levelrecords></levelrecordtable></levelrecordtables></highscores>)",
                         LevelRecordsKey));
  Ref<TLevelRecords> records = Records();
  records->LoadFromFile(engine.get());
  EXPECT_EQ(records->GetRecord(nullptr, "1", 2)->GetIntValue("Score", 0, false), 77);

  preferences.Write("records.dat",
                    Encipher("<highscores><levelrecordtables/></highscores>", LevelRecordsKey));
  Ref<TLevelRecords> own = Records();
  own->LoadFromFile(engine.get());
  EXPECT_FALSE(own->GetTables()->GetItem(Variant("1"))->GetRecord(2));
  EXPECT_TRUE(warnings.Lines().empty());
}
