#include "screens/Tv2DiaryPages.h"

#include "foundation/Routines.h"

std::vector<std::string> SplitListItems(std::string_view list) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    size_t end = list.find(';', start);
    if (end == std::string_view::npos) {
      items.emplace_back(list.substr(start));
      return items;
    }
    items.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
}

std::vector<std::string> SplitListNames(std::string_view list) {
  std::vector<std::string> names = SplitListItems(list);
  std::erase(names, std::string());
  return names;
}

bool PathHasSegment(std::string_view path, std::string_view name) {
  if (name.empty()) return false;
  size_t start = 0;
  for (;;) {
    size_t end = path.find('/', start);
    std::string_view segment =
        path.substr(start, end == std::string_view::npos ? end : end - start);
    if (SameText(segment, name)) return true;
    if (end == std::string_view::npos) return false;
    start = end + 1;
  }
}

IGameScreenOwner* GameOfWidget(IWidget* widget) {
  IWidgetOwner* owner = widget ? widget->GetOwner() : nullptr;
  IEventHandler* handler = owner ? owner->GetEventHandler() : nullptr;
  return handler ? handler->GetGameScreenOwner() : nullptr;
}
