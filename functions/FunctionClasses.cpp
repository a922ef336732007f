#include "functions/FunctionClasses.h"

#include <exception>

#include "foundation/CheckedMath.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

// --- Children -------------------------------------------------------------------------

void TFunctionCollection::Init() {
  TTypedCreationPersistItemCollection::Init();
  elementName_ = "functions";
  itemElementName_ = "function";
}

void TFunctionCollection::Delete(const Variant& address) {
  listed_ = false;
  TTypedCreationPersistItemCollection::Delete(address);
}

void TFunctionCollection::Clear() {
  listed_ = false;
  TTypedCreationPersistItemCollection::Clear();
}

Ref<IFunction> TFunctionCollection::GetByIndex(int index) {
  return Supports<IFunction>(items_->GetByIndex(index));
}

Ref<IFunction> TFunctionCollection::GetByName(const std::string& name) {
  if (name.empty()) return nullptr;
  return Supports<IFunction>(items_->GetByKey(name));
}

bool TFunctionCollection::Add(const Ref<IFunction>& function) {
  if (!function) return false;
  listed_ = false;
  std::string name = function->GetName();
  if (name.empty()) {
    items_->AddWithAutoKey(Ref<IInterface>(function.get()));
    return true;
  }
  if (items_->Contains(name)) return false;
  items_->Add(function, name);
  return true;
}

void TFunctionCollection::ItemLoaded(const Ref<IInterface>& item) {
  // An object of another kind (a registered type that is no function) is not kept.
  if (Ref<IFunction> function = Supports<IFunction>(item)) Add(function);
}

const std::vector<IFunction*>& TFunctionCollection::Functions() {
  if (listed_) return functions_;
  functions_.clear();
  int count = items_->GetCount();
  for (int i = 0; i < count; ++i)
    if (Ref<IFunction> function = GetByIndex(i)) functions_.push_back(function.get());
  listed_ = true;
  return functions_;
}

void TFunctionCollection::SetOwnerAll(IFunctionOwner* owner) {
  for (IFunction* function : Functions()) function->SetOwner(owner);
}

void TFunctionCollection::ExecuteAll() {
  for (IFunction* function : Functions()) function->Execute();
}

void TFunctionCollection::CalculateAll() {
  for (IFunction* function : Functions()) function->Calculate();
}

void TFunctionCollection::ClearAll() {
  for (IFunction* function : Functions()) function->Clear();
}

// --- TFunction ------------------------------------------------------------------------

void TFunction::Init() {
  TPersistObject::Init();
  elementName_ = "function";
  paramSpace_ = TAbstractObject::Create<TParamSpace>();
}

void TFunction::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  LoadObjectFromChild(paramSpace_, node, "paramspace");
  preparation_ = nullptr;
  if (!node || node->GetChildCount("preparation_function") == 0) return;
  preparation_ = Supports<IFunction>(CreateObjectFromChild(node, "preparation_function"));
}

void TFunction::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  SaveObjectToChild(paramSpace_, node, "paramspace");
  if (preparation_) SaveObjectToChild(preparation_, node, "preparation_function");
}

void TFunction::SetOwner(IFunctionOwner* owner) {
  owner_ = owner;
  paramSpace_->SetOwnerSpace(owner ? owner->GetParamSpace() : nullptr);
  matrix_ = &paramSpace_->GetMatrix();
  beforeLink_ = nullptr;
  afterLink_ = nullptr;
  if (!preparation_) return;
  preparation_->SetOwner(this);
  Ref<IFunctionCollection> children = preparation_->GetFunctions();
  if (children) {
    beforeLink_ = children->GetByName("before");
    afterLink_ = children->GetByName("after");
    if (!beforeLink_ && !afterLink_) beforeLink_ = preparation_;
  } else {
    beforeLink_ = preparation_;
  }
}

void TFunction::Clear() {
  if (preparation_) preparation_->Clear();
  paramSpace_->ReleaseOwnerSpace();
  beforeLink_ = nullptr;
  afterLink_ = nullptr;
  owner_ = nullptr;
}

void TFunction::RunBefore() {
  if (beforeLink_) beforeLink_->Calculate();
}

void TFunction::RunAfter() {
  if (afterLink_) afterLink_->Calculate();
}

void TFunction::Execute() {
  RunBefore();
  DoCalculate();
  RunAfter();
}

std::string TFunction::GetParamDefName(int32_t col, int32_t row) {
  Ref<IParamDef> def = paramSpace_->GetParamDefs()->FindAt(col, row);
  return def ? def->GetName() : std::string();
}

std::string TFunction::GetParamName(int32_t col, int32_t row) {
  Ref<IParamDef> def = paramSpace_->GetParamDefs()->FindAt(col, row);
  if (!def) return {};
  std::string outName = def->GetOutName();
  return outName.empty() ? def->GetName() : outName;
}

int32_t TFunction::RowCount(int32_t col) const {
  return static_cast<int32_t>(Column(col).size());
}

const std::vector<float*>& TFunction::Column(int32_t col) const {
  static const std::vector<float*> kNone;
  if (!matrix_ || col < 0 || static_cast<size_t>(col) >= matrix_->size()) return kNone;
  return (*matrix_)[static_cast<size_t>(col)];
}

float* TFunction::Cell(int32_t col, int32_t row) const {
  const std::vector<float*>& column = Column(col);
  if (row < 0 || static_cast<size_t>(row) >= column.size()) return nullptr;
  return column[static_cast<size_t>(row)];
}

bool TFunction::AllBound(const std::vector<float*>& column) {
  for (float* cell : column)
    if (!cell) return false;
  return true;
}

// --- TComplexFunction -----------------------------------------------------------------

void TComplexFunction::Calculate() {
  functions_->CalculateAll();
}

// --- Selectors ------------------------------------------------------------------------

void TSelectorFunction::Calculate() {
  int32_t index = GetIndex();
  const std::vector<IFunction*>& children = functions_->Functions();
  if (index >= 0 && static_cast<size_t>(index) < children.size())
    children[static_cast<size_t>(index)]->Calculate();
}

int32_t TFuncSelectorFunction::GetIndex() {
  const std::vector<IFunction*>& children = functions_->Functions();
  if (children.empty()) return -1;
  IFunction* first = children.front();
  first->Calculate();
  if (first->GetOutputCount() == 0) return -1;
  return TruncSat(first->GetOutput(0));
}

int32_t TConstSelectorFunction::GetIndex() {
  float* index = Cell(2, 0);
  return index ? TruncSat(*index) : -1;
}

// --- TEvalFunction --------------------------------------------------------------------

void TEvalFunction::Init() {
  TFunction::Init();
  parser_.SetDecimalSeparator('.');
  parser_.SetArgSeparator(',');
}

void TEvalFunction::LoadFromXml(const Ref<IHierStorage>& node) {
  TFunction::LoadFromXml(node);
  expression_ = node ? node->GetChildText("expression").ToString() : std::string();
  dataFile_ = StorageDataFile(node);
}

void TEvalFunction::SaveToXml(const Ref<IHierStorage>& node) {
  TFunction::SaveToXml(node);
  if (node && !expression_.empty()) node->SetChildText("expression", Variant(expression_));
}

void TEvalFunction::SetOwner(IFunctionOwner* owner) {
  TFunction::SetOwner(owner);
  Compile();
}

void TEvalFunction::Reset(const std::string& error) {
  compiled_ = false;
  parser_.ClearExpressions();
  lastError_ = error;
  if (!error.empty()) Warn(dataFile_, "function \"" + name_ + "\" stops: " + error);
}

void TEvalFunction::Compile() {
  Reset({});
  compiled_ = true;
  try {
    Ref<IParamDefCollection> defs = paramSpace_->GetParamDefs();
    int count = defs->Count();
    for (int i = 0; i < count; ++i) {
      Ref<IParamDef> def = defs->GetByIndex(i);
      std::string name = def ? def->GetName() : std::string();
      // A cell bound to nothing stays a variable without storage: a line that uses it
      // fails to compile instead of reading nothing.
      if (!name.empty()) parser_.DefineVariable(name, paramSpace_->GetCellPtrByName(name));
    }
    if (!parser_.AddExpressions(expression_)) Reset("Error in math expression: empty line");
  } catch (const std::exception& e) {
    Reset(e.what());
  }
}

void TEvalFunction::Calculate() {
  if (!compiled_) return;
  try {
    lastValue_ = parser_.EvaluateAll();
  } catch (const std::exception& e) {
    Reset(e.what());
  }
}

void TEvalFunction::Clear() {
  Reset({});
  TFunction::Clear();
}
