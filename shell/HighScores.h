#pragma once
// The high-score tables: each a list of records ordered by descending "Score" and cut to
// its maximum, declared by the game (HighScoreTableParams):
//
//   record_table={name=0\max_records=10\record_structure={param=Score\param=Player\...}}
//
// A record holds exactly the values its table declares. "Player" says whose it is; a
// record whose "Const" is "yes" is a preset row that belongs to nobody. They are kept in
// "highscores.dat" (enciphered with HighScoresKey), read from the preference folder or,
// while the player has none, from the program folder, where the game ships its own:
//
//   <highscores><recordtables><recordtable name="0"><records>
//     <record name="Record7"><params>
//       <param name="Score">5000</param><param name="Player">%hs_player_1%</param>
//       <param name="Const">yes</param>
//     </params></record>
//   </records></recordtable></recordtables></highscores>
//
// Values are translated as they load, so shipped rows may name language keys; every "%"
// of a value is saved as "%%", so what a player typed reads back as it was.

#include <cstdint>
#include <string>

#include "shell/GameInterfaces.h"

class TRecord : public TPersistObject, public virtual IRecord {
 public:
  void Init() override;
  // Each "param" item declares an empty value of that name; the name stays the one made
  // at creation.
  void SetParam(const std::string& name, const Variant& value) override;
  void SetName(const std::string&) override {}

  Ref<IParamCollection> GetParams() override { return params_; }
  int32_t GetScore() override;

  // Only declared values are taken, translated.
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  Ref<IParamCollection> params_;
};

class TRecordCollection : public TCollection, public virtual IRecordCollection {
 public:
  Ref<IRecord> GetItem(const Variant& address) override;
  void AddItem(const Ref<IRecord>& record) override;
  void MoveItem(const Ref<IRecord>& record, int position) override;
};

class TRecordTable : public TPersistObject, public virtual IRecordTable {
 public:
  void Init() override;
  // "name", "record_structure" and "max_records" (10 when it is no integer; without it
  // the table keeps nothing).
  void SetParam(const std::string& name, const Variant& value) override;

  Ref<IRecordCollection> GetRecords() override;
  int32_t GetLastIndex() override { return lastIndex_; }
  void ResetLastIndex() override { lastIndex_ = -1; }
  bool Qualifies(int32_t score) override;
  Ref<IRecord> AddScoreRecord(const Ref<IParamCollection>& params) override;
  Ref<IRecord> AddRecord(const Ref<IParamCollection>& params) override;
  bool AddRecordMatched(const Ref<IParamCollection>& params) override;
  void Clear() override;

  // Records load in file order, each inserted as if added, so the table ends up ordered
  // and no longer than its maximum.
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  int32_t MaxRecords() const { return maxRecords_; }
  const std::string& RecordStructure() const { return recordStructure_; }

  // Into descending score order; a record ranks below every earlier one of its score.
  // False when the order was right already.
  bool SortByScore();

 private:
  // A record of the declared structure holding Params' values of those names.
  Ref<TRecord> NewRecord(const Ref<IParamCollection>& params);
  // Appends, sorts, marks it as the last one, then cuts the table to its maximum.
  void InsertRecord(const Ref<TRecord>& record);

  Ref<TRecordCollection> records_;
  std::string recordStructure_;
  int32_t maxRecords_ = 0;
  int32_t lastIndex_ = -1;
};

class TRecordTableCollection : public TCollection, public virtual IRecordTableCollection {
 public:
  Ref<IRecordTable> GetItem(const Variant& address) override;
  void AddItem(const Ref<IRecordTable>& table) override;
};

class THighScores : public TPersistObject, public virtual IHighScores {
 public:
  void Init() override;
  // Each "record_table" item declares a table; the file cannot add any.
  void SetParam(const std::string& name, const Variant& value) override;

  Ref<IRecordTableCollection> GetTables() override;
  bool Qualifies(int32_t score, const std::string& tableName) override;
  Ref<IRecord> AddScoreRecord(const Ref<IParamCollection>& params,
                              const std::string& tableName) override;
  Ref<IRecord> AddRecord(const Ref<IParamCollection>& params,
                         const std::string& tableName) override;
  bool AddRecordMatched(const Ref<IParamCollection>& params, const std::string& tableName) override;
  void ClearAll() override;
  void ResetLastIndexes() override;
  void LoadFromFile(IEngine* engine, bool fromProgramFolder) override;
  void SaveToFile(IEngine* engine) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  Ref<TRecordTableCollection> tables_;
};
