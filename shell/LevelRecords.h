#pragma once
// Level records: per named table and per level number, one record of named values (the
// results of that level, held as text). The tables are declared by the game
// (LevelRecordTableParams: "level_record_table={name=0}\level_record_table={name=1}");
// they are kept in "records.dat" (enciphered with LevelRecordsKey), read from the
// preference folder or, while the player has none, from the program folder:
//
//   <highscores><levelrecordtables>
//     <levelrecordtable name="0"><levelrecords>
//       <levelrecord name="3"><params><param name="Score" value="1200"/></params></levelrecord>
//     </levelrecords></levelrecordtable>
//   </levelrecordtables></highscores>
//
// Values are kept exactly as they are: nothing in a record is translated.

#include <cstdint>
#include <string>

#include "shell/GameInterfaces.h"

class TLevelRecord : public TPersistObject, public virtual ILevelRecord {
 public:
  void Init() override;

  void SetIntValue(const std::string& name, int32_t value) override;
  void SetValue(const std::string& name, const std::string& text) override;
  int32_t GetIntValue(const std::string& name, int32_t def, bool create) override;
  std::string GetValue(const std::string& name, const std::string& def, bool create) override;
  int32_t GetLevelNumber() override;
  Ref<IParamCollection> GetParams() override { return params_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  Ref<IParamCollection> params_;
};

// The records of one table, keyed by level number; of two loaded under one number the
// first is kept.
class TLevelRecordCollection : public TStaticCreationPersistItemCollection {
 public:
  void Init() override;
  Ref<ILevelRecord> GetItem(const Variant& address);
  void AddItem(const Ref<ILevelRecord>& record);

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};

class TLevelRecordTable : public TPersistObject, public virtual ILevelRecordTable {
 public:
  void Init() override;

  Ref<ILevelRecord> GetRecord(int32_t level) override;
  Ref<ILevelRecord> GetOrCreateRecord(int32_t level, const Ref<IParamCollection>& params) override;
  const Ref<TLevelRecordCollection>& GetRecords() const { return records_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  Ref<TLevelRecordCollection> records_;
};

// Only declared tables load; an element naming another table is skipped.
class TLevelRecordTableCollection : public TPersistItemCollection,
                                    public virtual ILevelRecordTableCollection {
 public:
  void Init() override;
  Ref<ILevelRecordTable> GetItem(const Variant& address) override;
  void AddItem(const Ref<ILevelRecordTable>& table) override;

 protected:
  void LoadItem(const Ref<IHierStorage>& child) override;
};

class TLevelRecords : public TPersistObject, public virtual ILevelRecords {
 public:
  void Init() override;
  // Each "level_record_table" item declares a table.
  void SetParam(const std::string& name, const Variant& value) override;

  Ref<ILevelRecordTableCollection> GetTables() override;
  Ref<ILevelRecord> GetRecord(const Ref<IParamCollection>& params, const std::string& tableName,
                              int32_t level) override;
  void LoadFromFile(IEngine* engine) override;
  void SaveToFile(IEngine* engine) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  Ref<TLevelRecordTableCollection> tables_;
};
