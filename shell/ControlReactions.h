#pragma once
// A screen's reactions to its controls, listed once in a table by control name: which
// events of the control it answers and what it does. Screens look the sender up in their
// table instead of comparing its name along a chain of ifs.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/GameInterfaces.h"

template <class Screen>
struct ControlReaction {
  std::string_view control;
  // Only a button's click, or any event the control sends.
  bool clickOnly;
  void (*react)(Screen& screen, IWidget& sender);
};

// Runs the reaction of the row that names the control and answers the event; false when
// there is none.
template <class Screen, std::size_t N>
bool ReactToControl(Screen& screen, IWidget& sender, std::string_view control, int32_t code,
                    const ControlReaction<Screen> (&reactions)[N]) {
  for (const ControlReaction<Screen>& row : reactions) {
    if (row.control != control) continue;
    if (row.clickOnly && code != control_event::kButtonClick) return false;
    row.react(screen, sender);
    return true;
  }
  return false;
}
