// Loads a function from arbitrary XML text by its registered type, binds it, prepares it,
// runs a few frames and saves it again: nothing may crash or hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzXml.h"
#include "functions/FunctionClasses.h"
#include "functions/FunctionRegistration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegisterFunctionsClasses();
  Ref<IHierStorageRoot> root = ParseFuzzXml(data, size);
  if (!root) return 0;
  Ref<IFunction> function = Supports<IFunction>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
  if (!function) return 0;
  function->SetOwner(nullptr);
  function->Execute();
  Ref<IPathFunction> path = Supports<IPathFunction>(function);
  for (int32_t step = 0; step < 4; ++step) {
    function->Calculate();
    if (path) {
      path->SetStep(step * 997 - 5);
      TRect bounds;
      path->GetBounds(bounds);
    }
  }
  for (int32_t i = 0; i < function->GetOutputCount(); ++i) function->GetOutput(i);
  Ref<IHierStorageRoot> saved = CreateXmlStorage("function");
  SaveObject(function, Ref<IHierStorage>(saved.get()));
  function->Clear();
  function->Calculate();
  return 0;
}
