#include "shell/LevelRecords.h"

#include "foundation/GameDeclarations.h"
#include "foundation/PlayerFiles.h"
#include "foundation/XMLStorage.h"

void TLevelRecord::Init() {
  TPersistObject::Init();
  elementName_ = "levelrecord";
  params_ = Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
}

void TLevelRecord::SetIntValue(const std::string& name, int32_t value) {
  params_->SetValue(name, Variant(std::to_string(value)));
}

void TLevelRecord::SetValue(const std::string& name, const std::string& text) {
  params_->SetValue(name, Variant(text));
}

int32_t TLevelRecord::GetIntValue(const std::string& name, int32_t def, bool create) {
  if (Ref<IParam> param = params_->FindParam(Variant(name))) {
    int32_t value = 0;
    return TryTextToInt(param->GetValue().ToString(), value) ? value : def;
  }
  if (create) SetIntValue(name, def);
  return def;
}

std::string TLevelRecord::GetValue(const std::string& name, const std::string& def, bool create) {
  if (Ref<IParam> param = params_->FindParam(Variant(name))) return param->GetValue().ToString();
  if (create) SetValue(name, def);
  return def;
}

int32_t TLevelRecord::GetLevelNumber() {
  int32_t level = 0;
  return TryTextToInt(name_, level) ? level : -1;
}

void TLevelRecord::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  LoadObjectFromChild(params_, node, "params");
}

void TLevelRecord::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  SaveObjectToChild(params_, node, "params");
}

// ---------------------------------------------------------------------------------------

void TLevelRecordCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  elementName_ = "levelrecords";
  itemElementName_ = "levelrecord";
  SetItemClass(ClassOf<TLevelRecord>());
}

Ref<ILevelRecord> TLevelRecordCollection::GetItem(const Variant& address) {
  return items_->GetAs<ILevelRecord>(address);
}

void TLevelRecordCollection::AddItem(const Ref<ILevelRecord>& record) {
  if (record) items_->Add(record, record->GetName());
}

void TLevelRecordCollection::ItemLoaded(const Ref<IInterface>& item) {
  AddItem(Supports<ILevelRecord>(item));
}

void TLevelRecordTable::Init() {
  TPersistObject::Init();
  elementName_ = "levelrecordtable";
  records_ = TAbstractObject::Create<TLevelRecordCollection>();
}

Ref<ILevelRecord> TLevelRecordTable::GetRecord(int32_t level) {
  return records_->GetItem(Variant(std::to_string(level)));
}

Ref<ILevelRecord> TLevelRecordTable::GetOrCreateRecord(int32_t level,
                                                       const Ref<IParamCollection>& params) {
  Ref<ILevelRecord> record = GetRecord(level);
  if (!record) {
    Ref<TLevelRecord> made = TAbstractObject::Create<TLevelRecord>();
    made->SetName(std::to_string(level));
    record = Ref<ILevelRecord>(made.get());
    records_->AddItem(record);
  }
  if (params) {
    for (int i = 0; i < params->Count(); ++i) {
      Ref<IParam> param = params->FindParam(Variant(i));
      if (param && !param->GetName().empty())
        record->GetParams()->SetValue(param->GetName(), param->GetValue());
    }
  }
  return record;
}

void TLevelRecordTable::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  LoadObjectFromChild(records_, node, "levelrecords");
}

void TLevelRecordTable::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  SaveObjectToChild(records_, node, "levelrecords");
}

void TLevelRecordTableCollection::Init() {
  TPersistItemCollection::Init();
  elementName_ = "levelrecordtables";
  itemElementName_ = "levelrecordtable";
}

Ref<ILevelRecordTable> TLevelRecordTableCollection::GetItem(const Variant& address) {
  return items_->GetAs<ILevelRecordTable>(address);
}

void TLevelRecordTableCollection::AddItem(const Ref<ILevelRecordTable>& table) {
  if (table) items_->Add(table, table->GetName());
}

void TLevelRecordTableCollection::LoadItem(const Ref<IHierStorage>& child) {
  if (Ref<ILevelRecordTable> table = GetItem(Variant(ReadXmlStr(child, "name"))))
    LoadObject(table, child);
}

// ---------------------------------------------------------------------------------------

void TLevelRecords::Init() {
  TPersistObject::Init();
  elementName_ = "highscores";
  tables_ = TAbstractObject::Create<TLevelRecordTableCollection>();
}

void TLevelRecords::SetParam(const std::string& name, const Variant& value) {
  TPersistObject::SetParam(name, value);
  if (name != "level_record_table") return;
  Ref<TLevelRecordTable> table = TAbstractObject::Create<TLevelRecordTable>(value.ToString());
  tables_->AddItem(Ref<ILevelRecordTable>(table.get()));
}

Ref<ILevelRecordTableCollection> TLevelRecords::GetTables() {
  return Ref<ILevelRecordTableCollection>(tables_.get());
}

Ref<ILevelRecord> TLevelRecords::GetRecord(const Ref<IParamCollection>& params,
                                           const std::string& tableName, int32_t level) {
  Ref<ILevelRecordTable> table = tables_->GetItem(Variant(tableName));
  return table ? table->GetOrCreateRecord(level, params) : nullptr;
}

void TLevelRecords::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  LoadObjectFromChild(tables_, node, "levelrecordtables");
}

void TLevelRecords::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  SaveObjectToChild(tables_, node, "levelrecordtables");
}

void TLevelRecords::LoadFromFile(IEngine* engine) {
  LoadPlayerOrDefaultObject(engine, *this, LevelRecordsFileName, LevelRecordsKey, "level records");
}

void TLevelRecords::SaveToFile(IEngine* engine) {
  if (Ref<IHierStorageRoot> storage = CreateXmlStorage("highscores")) {
    storage->SaveObject(this);
    SavePlayerDocument(engine, storage, LevelRecordsFileName, LevelRecordsKey);
  }
}
