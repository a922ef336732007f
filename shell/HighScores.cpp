#include "shell/HighScores.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "engine/EngineRoutines.h"
#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/PlayerFiles.h"
#include "foundation/XMLStorage.h"

namespace {

std::atomic<int> recordCounter{0};

std::string ParamText(const Ref<IParamCollection>& params, const std::string& name,
                      const std::string& def = {}) {
  if (!params) return def;
  Ref<IParam> param = params->FindParam(Variant(name));
  return param ? param->GetValue().ToString() : def;
}

// Def when the value is missing or no integer.
int32_t ParamInt(const Ref<IParamCollection>& params, const std::string& name, int32_t def) {
  Ref<IParam> param = params ? params->FindParam(Variant(name)) : nullptr;
  int32_t value = def;
  return param && TryTextToInt(param->GetValue().ToString(), value) ? value : def;
}

// A preset row belongs to nobody.
bool IsPlayersOwn(const Ref<IRecord>& record, const std::string& player) {
  Ref<IParamCollection> params = record->GetParams();
  return ParamText(params, "Player") == player && ParamText(params, "Const", "no") != "yes";
}

// Every "%" doubled: translation at load turns it back into one.
std::string ProtectPercent(const std::string& text) {
  return ReplaceAll(text, "%", "%%");
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Records

void TRecord::Init() {
  TPersistObject::Init();
  elementName_ = "record";
  name_ = "Record" + std::to_string(++recordCounter);
  params_ = Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
}

void TRecord::SetParam(const std::string& name, const Variant& value) {
  std::string text = value.ToString();
  // Construction parameters, not properties: each "param" item declares one field.
  if (name == "param" && !text.empty()) params_->SetValue(text, Variant(std::string()));
}

int32_t TRecord::GetScore() {
  return ParamInt(params_, "Score", -1);
}

void TRecord::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  Ref<IHierStorage> params = node ? node->GetChild("params", 0) : nullptr;
  if (!params) return;
  int count = params->GetChildCount("param");
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> child = params->GetChild("param", i);
    if (!child) continue;
    if (Ref<IParam> param = params_->FindParam(Variant(ReadXmlStr(child, "name"))))
      param->SetValue(Variant(TranslateText(child->GetText().ToString())));
  }
}

void TRecord::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  Ref<IHierStorage> params = node->AddChild("params");
  for (int i = 0; i < params_->Count(); ++i) {
    Ref<IParam> param = params_->FindParam(Variant(i));
    if (!param) continue;
    Ref<IHierStorage> child = params->AddChild("param");
    child->SetAttr("name", Variant(param->GetName()));
    child->SetText(Variant(ProtectPercent(param->GetValue().ToString())));
  }
}

Ref<IRecord> TRecordCollection::GetItem(const Variant& address) {
  return items_->GetAs<IRecord>(address);
}

void TRecordCollection::AddItem(const Ref<IRecord>& record) {
  if (record) items_->Add(record, record->GetName());
}

void TRecordCollection::MoveItem(const Ref<IRecord>& record, int position) {
  if (record) items_->MoveItem(record->GetName(), Variant(position));
}

// ---------------------------------------------------------------------------------------
// Tables

void TRecordTable::Init() {
  TPersistObject::Init();
  elementName_ = "recordtable";
  records_ = TAbstractObject::Create<TRecordCollection>();
  maxRecords_ = 0;
  lastIndex_ = -1;
}

void TRecordTable::SetParam(const std::string& name, const Variant& value) {
  TPersistObject::SetParam(name, value);
  // Construction parameters, not properties: the game declares its tables with them.
  if (name == "record_structure") {
    recordStructure_ = value.ToString();
  } else if (name == "max_records") {
    int32_t count = 0;
    maxRecords_ = TryTextToInt(value.ToString(), count) ? count : 10;
  }
}

Ref<IRecordCollection> TRecordTable::GetRecords() {
  return Ref<IRecordCollection>(records_.get());
}

bool TRecordTable::Qualifies(int32_t score) {
  if (score <= 0) return false;
  int count = records_->Count();
  if (count < maxRecords_) return true;
  Ref<IRecord> last = count > 0 ? records_->GetItem(Variant(count - 1)) : nullptr;
  Ref<IParam> lastScore = last ? last->GetParams()->FindParam(Variant("Score")) : nullptr;
  if (!lastScore) return false;
  // A last score that is no integer counts as 0.
  return ParamInt(last->GetParams(), "Score", 0) < score;
}

Ref<TRecord> TRecordTable::NewRecord(const Ref<IParamCollection>& params) {
  Ref<TRecord> record = TAbstractObject::Create<TRecord>(recordStructure_);
  Ref<IParamCollection> values = record->GetParams();
  for (int i = 0; i < values->Count(); ++i) {
    Ref<IParam> value = values->FindParam(Variant(i));
    Ref<IParam> given = params && value ? params->FindParam(Variant(value->GetName())) : nullptr;
    if (given) value->SetValue(given->GetValue());
  }
  return record;
}

void TRecordTable::InsertRecord(const Ref<TRecord>& record) {
  records_->AddItem(Ref<IRecord>(record.get()));
  SortByScore();
  lastIndex_ = records_->IndexOf(record->GetName());
  // A record sorted below the maximum goes again, leaving the last index past the end.
  while (records_->Count() > std::max(maxRecords_, 0))
    records_->Delete(Variant(records_->Count() - 1));
}

bool TRecordTable::SortByScore() {
  std::vector<std::pair<int32_t, Ref<IRecord>>> rows;
  for (int i = 0; i < records_->Count(); ++i) {
    Ref<IRecord> record = records_->GetItem(Variant(i));
    rows.emplace_back(record->GetScore(), record);
  }
  bool ordered = true;
  for (size_t i = 1; i < rows.size() && ordered; ++i) ordered = rows[i - 1].first >= rows[i].first;
  if (ordered) return false;
  // The best of the unsorted front goes to the end, over and over; between equal scores
  // the first record wins, or else the one nearest the end of the front, which keeps
  // records of one score in their order.
  for (int k = int(rows.size()) - 1; k >= 0; --k) {
    int candidate = 0;
    for (int j = k; j >= 1; --j)
      if (rows[j].first > rows[candidate].first) candidate = j;
    auto row = std::move(rows[candidate]);
    rows.erase(rows.begin() + candidate);
    rows.push_back(std::move(row));
  }
  records_->Clear();
  for (auto& row : rows) records_->AddItem(row.second);
  return true;
}

Ref<IRecord> TRecordTable::AddScoreRecord(const Ref<IParamCollection>& params) {
  int32_t score = ParamInt(params, "Score", -1);
  if (score <= 0 || !Qualifies(score)) return nullptr;
  Ref<TRecord> record = NewRecord(params);
  InsertRecord(record);
  return Ref<IRecord>(record.get());
}

Ref<IRecord> TRecordTable::AddRecord(const Ref<IParamCollection>& params) {
  std::string player = ParamText(params, "Player");
  for (int i = 0; i < records_->Count(); ++i)
    if (IsPlayersOwn(records_->GetItem(Variant(i)), player)) return nullptr;
  return AddScoreRecord(params);
}

bool TRecordTable::AddRecordMatched(const Ref<IParamCollection>& params) {
  std::string player = ParamText(params, "Player");
  if (!Qualifies(ParamInt(params, "Score", 0))) return false;
  for (int i = 0; i < records_->Count(); ++i) {
    Ref<IRecord> record = records_->GetItem(Variant(i));
    if (!IsPlayersOwn(record, player)) continue;
    // The player's row takes the new values even when its old score was higher.
    Ref<IParamCollection> values = record->GetParams();
    for (int v = 0; v < values->Count(); ++v) {
      Ref<IParam> value = values->FindParam(Variant(v));
      Ref<IParam> given = value ? params->FindParam(Variant(value->GetName())) : nullptr;
      if (given) value->SetValue(given->GetValue());
    }
    bool changed = SortByScore();
    lastIndex_ = records_->IndexOf(record->GetName());
    return changed;
  }
  AddScoreRecord(params);
  return true;
}

void TRecordTable::Clear() {
  ResetLastIndex();
  records_->Clear();
}

void TRecordTable::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  Ref<IHierStorage> records = node ? node->GetChild("records", 0) : nullptr;
  int count = records ? records->GetChildCount("record") : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> child = records->GetChild("record", i);
    if (!child) continue;
    Ref<TRecord> record = TAbstractObject::Create<TRecord>(recordStructure_);
    record->LoadFromStorage(child);
    InsertRecord(record);
  }
  ResetLastIndex();
}

void TRecordTable::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  Ref<IHierStorage> records = node->AddChild("records");
  for (int i = 0; i < records_->Count(); ++i)
    SaveObjectToChild(records_->GetItem(Variant(i)), records, "record");
}

Ref<IRecordTable> TRecordTableCollection::GetItem(const Variant& address) {
  return items_->GetAs<IRecordTable>(address);
}

void TRecordTableCollection::AddItem(const Ref<IRecordTable>& table) {
  if (table) items_->Add(table, table->GetName());
}

// ---------------------------------------------------------------------------------------
// All tables

void THighScores::Init() {
  TPersistObject::Init();
  elementName_ = "highscores";
  tables_ = TAbstractObject::Create<TRecordTableCollection>();
}

void THighScores::SetParam(const std::string& name, const Variant& value) {
  TPersistObject::SetParam(name, value);
  if (name != "record_table") return;
  Ref<TRecordTable> table = TAbstractObject::Create<TRecordTable>(value.ToString());
  tables_->AddItem(Ref<IRecordTable>(table.get()));
}

Ref<IRecordTableCollection> THighScores::GetTables() {
  return Ref<IRecordTableCollection>(tables_.get());
}

bool THighScores::Qualifies(int32_t score, const std::string& tableName) {
  Ref<IRecordTable> table = tables_->GetItem(Variant(tableName));
  return table && table->Qualifies(score);
}

Ref<IRecord> THighScores::AddScoreRecord(const Ref<IParamCollection>& params,
                                         const std::string& tableName) {
  Ref<IRecordTable> table = tables_->GetItem(Variant(tableName));
  return table ? table->AddScoreRecord(params) : nullptr;
}

Ref<IRecord> THighScores::AddRecord(const Ref<IParamCollection>& params,
                                    const std::string& tableName) {
  Ref<IRecordTable> table = tables_->GetItem(Variant(tableName));
  return table ? table->AddRecord(params) : nullptr;
}

bool THighScores::AddRecordMatched(const Ref<IParamCollection>& params,
                                   const std::string& tableName) {
  Ref<IRecordTable> table = tables_->GetItem(Variant(tableName));
  return table && table->AddRecordMatched(params);
}

void THighScores::ClearAll() {
  for (int i = 0; i < tables_->Count(); ++i)
    if (Ref<IRecordTable> table = tables_->GetItem(Variant(i))) table->Clear();
}

void THighScores::ResetLastIndexes() {
  for (int i = 0; i < tables_->Count(); ++i)
    if (Ref<IRecordTable> table = tables_->GetItem(Variant(i))) table->ResetLastIndex();
}

void THighScores::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  Ref<IHierStorage> tables = node ? node->GetChild("recordtables", 0) : nullptr;
  int count = tables ? tables->GetChildCount("recordtable") : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> child = tables->GetChild("recordtable", i);
    if (!child) continue;
    // Only declared tables load; others in the file are dropped.
    if (Ref<IRecordTable> table = tables_->GetItem(Variant(ReadXmlStr(child, "name"))))
      LoadObject(table, child);
  }
}

void THighScores::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  Ref<IHierStorage> tables = node->AddChild("recordtables");
  for (int i = 0; i < tables_->Count(); ++i)
    SaveObjectToChild(tables_->GetItem(Variant(i)), tables, "recordtable");
}

void THighScores::LoadFromFile(IEngine* engine, bool fromProgramFolder) {
  LoadPlayerOrDefaultObject(engine, *this, HighScoresFileName, HighScoresKey, "high scores",
                            fromProgramFolder);
}

void THighScores::SaveToFile(IEngine* engine) {
  if (Ref<IHierStorageRoot> storage = CreateXmlStorage("highscores")) {
    storage->SaveObject(this);
    SavePlayerDocument(engine, storage, HighScoresFileName, HighScoresKey);
  }
}
