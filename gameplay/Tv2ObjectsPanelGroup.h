#pragma once
// The item panel of the play screen ("obj_list_panel") and the widget that flies items
// into and out of it ("fly_widget").
//
// The panel decides nothing about layout: its panel manager does, and asks the panel to
// make, replace and remove item widgets and the one floating caption in the neighbouring
// "item_labels" group. The manager works once per frame through the panel's update.

#include <cstdint>
#include <string>

#include "gameplay/Tv2Interfaces.h"
#include "shell/WidgetClasses.h"
#include "widgets/MoveWidgets.h"

class TItemListPanelWidget : public TVisualGroupWidget, public virtual IItemListPanelWidget {
 public:
  // The manager's pending hides first, then the children.
  void Update(int32_t dt) override;
  // The manager holds the panel: leaving the widget tree lets it go, so the two never
  // keep each other alive past their screen.
  void ReleaseOwner() override;

  void SetPanelManager(const Ref<IPanelManager>& manager) override { manager_ = manager; }
  Ref<IPanelManager> GetPanelManager() override { return manager_; }
  // Nothing (and no parameters made) for an empty factory name.
  Ref<IWidget> CreateItemWidget(const std::string& name, const std::string& itemSource,
                                const std::string& factoryName, int32_t left, int32_t top,
                                int32_t width, int32_t height) override;
  // The new widget replaces a child of the same name at once: names stay unique.
  Ref<IWidget> CreateItem(const std::string& factoryName,
                          const Ref<IParamCollection>& params) override;
  bool LayoutItemLabels(const std::string& factoryName,
                        const Ref<IParamCollection>& params) override;
  // The reference stays held until the next label is laid out.
  void RemoveItemLabel() override;

  Ref<IWidget> GetItemLabel() const { return itemLabel_; }

 private:
  void DropItemLabel(const Ref<IWidget>& labels);

  Ref<IPanelManager> manager_;
  Ref<IWidget> itemLabel_;
};

// A move whose progress follows f(t) = t * sin(t * pi / 2): a gentle start that speeds up
// towards the end point, where it stands exactly when its time is up.
class TFlyWidget : public TMoveWidget {
 public:
  void Update(int32_t dt) override;
  void UpdatePosition() override;
};
