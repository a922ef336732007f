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
