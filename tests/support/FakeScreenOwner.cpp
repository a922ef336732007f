#include "tests/support/FakeScreenOwner.h"

std::string DescribeParams(const Ref<IParamCollection>& params) {
  if (!params) return {};
  std::string text;
  for (int i = 0; i < params->Count(); ++i)
    if (Ref<IParam> param = params->FindParam(Variant(i)))
      text += param->GetName() + "=" + param->GetValue().ToString() + ";";
  return text;
}

namespace {

std::string WithParams(std::string text, const Ref<IParamCollection>& params) {
  if (params) text += "(" + DescribeParams(params) + ")";
  return text;
}

}  // namespace

bool FakeScreenOwner::ShowScreen(const std::string& id, const Ref<IParamCollection>& params) {
  shown.push_back(WithParams(id, params));
  return true;
}

bool FakeScreenOwner::CloseScreen(IGameScreenSlave* screen, const Ref<IParamCollection>& result) {
  closed.push_back(WithParams(screen ? screen->GetName() : std::string(), result));
  return screen != nullptr;
}

Variant FakeScreenOwner::GetParamValue(const std::string& name) {
  auto found = params.find(name);
  return found == params.end() ? Variant() : found->second;
}

Variant FakeScreenOwner::GetParamValueDef(const std::string& name, const Variant& def) {
  Variant value = GetParamValue(name);
  return value.IsClear() ? def : value;
}

void FakeScreenOwner::SetParamValue(const std::string& name, const Variant& value) {
  if (value.IsNull())
    params.erase(name);
  else
    params[name] = value;
}
