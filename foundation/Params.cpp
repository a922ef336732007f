#include "foundation/Params.h"

#include "foundation/Routines.h"

void TParam::Init() {
  TPersistObject::Init();
  elementName_ = "param";
}

// Values are read as strings and written as text, always.
const TPropertyTable& TParam::Properties() {
  using P = TParam;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr<P>(
              "value", [](P& p) { return p.value_.ToString(); },
              [](P& p, const std::string& text) { p.value_ = Variant(text); })
              .Str()
              .Always(),
      });
  return table;
}

// ---------------------------------------------------------------------------------------

void TParamCollection::Init() {
  TPersistCollection::Init();
  elementName_ = "params";
  itemElementName_ = "param";
}

void TParamCollection::SetParam(const std::string& name, const Variant& value) {
  TPersistCollection::SetParam(name, value);
  SetValue(name, value);
}

Ref<IParam> TParamCollection::FindParam(const Variant& address) {
  return items_->GetAs<IParam>(address);
}

void TParamCollection::AddParam(const Ref<IParam>& param) {
  if (param) items_->Add(param, param->GetName());
}

void TParamCollection::SetValue(const std::string& name, const Variant& value) {
  if (Ref<IParam> param = Supports<IParam>(items_->GetByKey(name))) return param->SetValue(value);
  Ref<TParam> param = TAbstractObject::Create<TParam>();
  param->SetName(name);
  param->SetValue(value);
  AddParam(Ref<IParam>(param.get()));
}

Variant TParamCollection::GetValue(const std::string& name, const Variant& def) {
  Ref<IParam> param = Supports<IParam>(items_->GetByKey(name));
  return param ? param->GetValue() : def;
}

void TParamCollection::LoadItem(const Ref<IHierStorage>& child) {
  SetValue(ReadXmlStr(child, "name"), Variant(ReadXmlStr(child, "value")));
}

bool TParamCollection::SaveItem(const Ref<IInterface>& item, const Ref<IHierStorage>& child) {
  Ref<IParam> param = Supports<IParam>(item);
  if (!param || !child) return false;
  child->SetAttr("name", Variant(param->GetName()));
  child->SetAttr("value", Variant(param->GetValue().ToString()));
  return true;
}

// ---------------------------------------------------------------------------------------

void TPersistParamsObject::Init() {
  TPersistObject::Init();
  params_ = Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
}

Variant TPersistParamsObject::GetParamValue(const std::string& name) {
  return params_->GetValue(name, Variant::Null());
}

Variant TPersistParamsObject::GetParamValueDef(const std::string& name, const Variant& def) {
  return params_->GetValue(name, def);
}

void TPersistParamsObject::SetParamValue(const std::string& name, const Variant& value) {
  params_->SetValue(name, value);
}

void TPersistParamsObject::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  LoadObjectFromChild(params_, node, "params", 0);
}

void TPersistParamsObject::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  SaveObjectToChild(params_, node, "params");
}

// ---------------------------------------------------------------------------------------

void CopyParams(const Ref<IParamCollection>& source, const Ref<IParamCollection>& target) {
  if (!source || !target) return;
  for (int i = 0; i < source->Count(); ++i)
    if (Ref<IParam> param = source->FindParam(Variant(i)))
      target->SetValue(param->GetName(), param->GetValue());
}

Ref<IParamCollection> CloneParams(const Ref<IParamCollection>& source) {
  if (!source) return nullptr;
  Ref<IParamCollection> copy = NewParamCollection();
  CopyParams(source, copy);
  return copy;
}

Ref<IParamCollection> NewParamCollection() {
  return Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
}

Ref<IParamCollection> SingleParam(const std::string& name, const Variant& value) {
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue(name, value);
  return params;
}

Ref<IParamCollection> ParamsFromString(std::string_view text) {
  TTwoArrayOfString pairs = SplitNameValuePairs(text, '\\', '=');
  if (pairs.empty()) return nullptr;
  Ref<IParamCollection> params = NewParamCollection();
  for (const TNameValuePair& pair : pairs) params->SetValue(pair.Name, Variant(pair.Value));
  return params;
}

void SetParamBool(const Ref<IParamCollection>& params, const std::string& name, bool value,
                  bool condition) {
  if (params && condition) params->SetValue(name, Variant(value ? "yes" : "no"));
}
