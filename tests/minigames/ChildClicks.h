#pragma once
// What the mini-game tests do to a game shown as the fake window's root: click its children
// by name, and find, start or end the feedback widgets it made.

#include <string>
#include <vector>

#include "tests/support/WidgetFixture.h"

namespace child_clicks {

// A left press at the centre of the game's child Name (the game sits at the origin).
inline void Press(FakeWindow& window, IWidget& game, const std::string& name) {
  Ref<IWidget> child = game.FindWidget(name);
  ASSERT_TRUE(child) << name;
  TPoint at{int32_t(child->GetAnchorLeft()) + child->GetWidth() / 2,
            int32_t(child->GetAnchorTop()) + child->GetHeight() / 2};
  window.mouse = at;
  window.HandleMouse(513, at, 1);
  window.HandleMouse(514, at, 0);
}

// The game's children whose names start with Prefix, in child order.
inline std::vector<Ref<IWidget>> Named(IWidget& game, const std::string& prefix) {
  std::vector<Ref<IWidget>> found;
  Ref<IWidgetCollection> children = game.GetChildren();
  for (int i = 0; i < children->Count(); ++i) {
    Ref<IWidget> child = children->GetByIndex(i);
    if (child->GetName().rfind(prefix, 0) == 0) found.push_back(child);
  }
  return found;
}

// Ends every feedback widget whose name starts with one of Prefixes, as their animations
// would, and takes them away.
inline void Finish(IWidget& game, const std::vector<std::string>& prefixes) {
  for (const std::string& prefix : prefixes)
    for (const Ref<IWidget>& widget : Named(game, prefix)) widget->SetDead(true);
  game.GetChildren()->RemoveDead();
}

}  // namespace child_clicks
