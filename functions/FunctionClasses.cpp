#include "functions/FunctionClasses.h"

#include <exception>

// --- TFunction ------------------------------------------------------------------------

void TFunction::Init() {
  TAbstractObject::Init();
  paramSpace_ = TAbstractObject::Create<TParamSpace>();
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
  return def->GetOutName().empty() ? def->GetName() : def->GetOutName();
}

// --- TEvalFunction --------------------------------------------------------------------

void TEvalFunction::Init() {
  TFunction::Init();
  parser_.SetDecimalSeparator('.');
  parser_.SetArgSeparator(',');
}

void TEvalFunction::SetOwner(IFunctionOwner* owner) {
  TFunction::SetOwner(owner);
  Compile();
}

void TEvalFunction::Reset(const std::string& error) {
  compiled_ = false;
  parser_.ClearExpressions();
  lastError_ = error;
}

void TEvalFunction::Compile() {
  Reset({});
  compiled_ = true;
  try {
    Ref<IParamDefCollection> defs = paramSpace_->GetParamDefs();
    for (int i = 0; i < defs->Count(); ++i) {
      std::string name = defs->GetByIndex(i)->GetName();
      // A cell bound to nothing stays a variable without storage: a line that uses it
      // fails to compile instead of reading nothing.
      if (!name.empty()) parser_.DefineVariable(name, paramSpace_->GetCellPtrByName(name));
    }
    if (!parser_.AddExpressions(expression_)) Reset("Error in math expression: empty line");
  } catch (const std::exception& e) {
    Reset(e.what());
  } catch (...) {
    Reset("Error in math expression");
  }
}

void TEvalFunction::Calculate() {
  if (!compiled_) return;
  try {
    lastValue_ = parser_.EvaluateAll();
  } catch (const std::exception& e) {
    Reset(e.what());
  } catch (...) {
    Reset("Error in math expression");
  }
}

void TEvalFunction::Clear() {
  Reset({});
  TFunction::Clear();
}
