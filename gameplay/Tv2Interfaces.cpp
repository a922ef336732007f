#include "gameplay/Tv2Interfaces.h"

#include <iterator>

namespace {

// Indexed by level kind. The quest kind (5) has no panel manager.
constexpr std::string_view kLevelManagerNames[] = {
    "LevelManagerHiddenShapes", "LevelManagerHiddenNames", "LevelManagerFindIdentical",
    "LevelManagerHiddenParts",  "LevelManagerFindPlaces",  "LevelManagerQuest",
};
constexpr std::string_view kPanelManagerNames[] = {
    "PanelManagerHiddenShapes", "PanelManagerHiddenNames", "PanelManagerFindIdentical",
    "PanelManagerHiddenParts",  "PanelManagerFindPlaces",
};
constexpr std::string_view kWidgetGroupPaths[] = {
    "",
    "animation_group",
    "objects_group",
    "approaches_group",
    "left_part/objects_group",
    "right_part/objects_group",
    "background_group",
    "ui_group",
};

template <size_t N>
std::string_view Entry(const std::string_view (&table)[N], int index) {
  return index >= 0 && index < int(N) ? table[index] : std::string_view();
}

}  // namespace

std::string_view LevelManagerName(int kind) {
  return Entry(kLevelManagerNames, kind);
}

std::string_view PanelManagerName(int kind) {
  return Entry(kPanelManagerNames, kind);
}

std::string_view WidgetGroupPath(int kind) {
  return Entry(kWidgetGroupPaths, kind);
}
