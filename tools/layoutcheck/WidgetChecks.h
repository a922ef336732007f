#pragma once
// The checks of one widget tree as it stands: texts that do not fit their boxes, visible
// widgets that leave the frame, image widgets that cut outside their picture or draw
// nothing, and texts that show an internal name.

#include <set>
#include <string>

#include "platform/Geometry.h"
#include "shell/GameInterfaces.h"
#include "tools/layoutcheck/LayoutReports.h"

struct CheckContext {
  std::string file;                    // the data file the tree comes from
  const std::set<std::string>* names;  // internal names, see InternalNames.h
  TRect frame;                         // the design space
  LayoutReports* reports;
};

// Root itself counts as shown: a screen that is not on the stack still shows its widgets
// when it is.
void CheckWidgetTree(const Ref<IWidget>& root, const CheckContext& context);
