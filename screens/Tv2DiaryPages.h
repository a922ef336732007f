#pragma once
// What the diary's pages share: reading the ";"-lists of the progress and the story data.

#include <string>
#include <string_view>
#include <vector>

#include "shell/GameInterfaces.h"
#include "shell/WidgetClasses.h"

// Every item between ";" in order, empty ones included, so that two lists read side by
// side keep their positions ("a;b;" gives "a", "b", "").
std::vector<std::string> SplitListItems(std::string_view list);

// The names of a list without its empty items: the progress writes "a;b;", older data
// ";a;b", and neither separator stands for a name.
std::vector<std::string> SplitListNames(std::string_view list);

// Whether Name is one of the "/"-separated segments of Path, in any case ("page1" of
// "page1/client", but not of "page10/client").
bool PathHasSegment(std::string_view path, std::string_view name);

// The game as the widget's screen reaches it; nothing outside a screen.
IGameScreenOwner* GameOfWidget(IWidget* widget);
