#pragma once
// Widget factories for mini-game tests: each factory makes a paused test box named
// "<factory>_%id%" that keeps the listed parameters as properties of the same names and
// has an empty "next" (so the queue can chain after it); "win" makes a box named "win".

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "shell/GameInterfaces.h"

// {factory, "param1,param2"}; Extra: more "widgetfactory" elements for the same block.
inline std::string FeedbackFactories(
    std::initializer_list<std::pair<const char*, const char*>> factories,
    const std::string& extra = {}) {
  std::string xml = "<widgetfactories>" + extra;
  for (const auto& [factory, params] : factories) {
    std::string extra = "\\next=";
    std::string list = params;
    for (size_t start = 0; start < list.size();) {
      size_t comma = list.find(',', start);
      if (comma == std::string::npos) comma = list.size();
      std::string p = list.substr(start, comma - start);
      extra += "\\" + p + "=%" + p + "%";
      start = comma + 1;
    }
    std::string name = std::string(factory) == "win" ? "win" : std::string(factory) + "_%id%";
    xml += std::string("<widgetfactory name=\"") + factory +
           "\" type=\"WidgetFactory\"><widgetstring><widget type=\"test_box\" name=\"" + name +
           "\" paused=\"yes\" extraparams=\"" + extra + "\"/></widgetstring></widgetfactory>";
  }
  return xml + "</widgetfactories>";
}

// "test_box" children: {name, left, top, width, height}.
struct TestBoxSpec {
  std::string name;
  int left = 0, top = 0, width = 10, height = 10;
};
inline std::string TestBoxes(const std::vector<TestBoxSpec>& boxes) {
  std::string xml;
  for (const TestBoxSpec& b : boxes)
    xml += "<widget type=\"test_box\" name=\"" + b.name + "\" anchor_left=\"" +
           std::to_string(b.left) + "\" anchor_top=\"" + std::to_string(b.top) + "\" width=\"" +
           std::to_string(b.width) + "\" height=\"" + std::to_string(b.height) +
           "\" visible=\"yes\" mousestop=\"yes\"/>";
  return xml;
}

// The children of Game whose names begin with Prefix, in the order they were made.
inline std::vector<Ref<IWidget>> MadeWidgets(IWidget* game, const std::string& prefix) {
  std::vector<Ref<IWidget>> made;
  Ref<IWidgetCollection> children = game->GetChildren();
  for (int i = 0; i < children->Count(); ++i) {
    Ref<IWidget> w = children->GetByIndex(i);
    if (w->GetName().rfind(prefix, 0) == 0) made.push_back(w);
  }
  return made;
}

// One parameter of every widget made by Factory, in order ("name" of each select...).
inline std::vector<std::string> MadeValues(IWidget* game, const std::string& factory,
                                           const std::string& param) {
  std::vector<std::string> values;
  for (const Ref<IWidget>& w : MadeWidgets(game, factory + "_"))
    values.push_back(w->GetProperty(param).ToString());
  return values;
}
