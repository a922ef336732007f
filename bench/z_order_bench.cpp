// Sorting a group's children by z, as the pass after a change of z does: a group of 1,000
// and 10,000 children whose z turn the whole order around (the worst case for a sort that
// moves one child at a time), and one whose order already holds (a single pass). Each
// iteration first gives every child its new z, so the figure includes one walk over the
// children besides the sort.

#include <benchmark/benchmark.h>

#include <string>

#include "foundation/XMLStorage.h"
#include "shell/ShellRegistration.h"
#include "shell/WidgetClasses.h"
#include "tests/support/NullWidgetOwner.h"

namespace {

class ZOrderBox : public TSingleWidget {};

Ref<IWidget> Group(int64_t count) {
  RegisterShellClasses();
  static bool registered = false;
  if (!registered) {
    RegisterClassName<ZOrderBox>("z_order_box");
    registered = true;
  }
  std::string xml = R"(<widget type="group_widget" name="root" visible="yes"><widgets>)";
  for (int64_t i = 0; i < count; ++i)
    xml += "<widget type=\"z_order_box\" name=\"b" + std::to_string(i) + "\" visible=\"yes\"/>";
  xml += "</widgets></widget>";
  return Supports<IWidget>(
      CreateObjectFromXml(Ref<IHierStorage>(LoadXmlStorageFromText(xml).get())));
}

// Each iteration numbers the children backwards from where they stand, so each sort turns
// the whole order around.
void BM_SortReversed(benchmark::State& state) {
  Ref<IWidget> root = Group(state.range(0));
  Ref<IWidgetCollection> children = root->GetChildren();
  const int count = children->Count();
  for (auto _ : state) {
    for (int i = 0; i < count; ++i) children->ItemAt(i)->SetZ(count - i);
    children->SortByZ();
  }
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_SortInOrder(benchmark::State& state) {
  Ref<IWidget> root = Group(state.range(0));
  Ref<IWidgetCollection> children = root->GetChildren();
  for (int i = 0; i < children->Count(); ++i) children->ItemAt(i)->SetZ(i);
  for (auto _ : state) children->SortByZ();
  state.SetItemsProcessed(state.iterations() * children->Count());
}

}  // namespace

BENCHMARK(BM_SortReversed)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortInOrder)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMicrosecond);
