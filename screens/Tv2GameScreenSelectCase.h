#pragma once
// The case picker ("Tavelor2GameScreenSelectCase", shown as "GS_SelectCase"): one label per
// case that the progress offers in "select_case_names" and that is not completed, made from
// the window's factory "case_label" (parameters "name" and "anchor_top" = 300 x the name's
// place in the offer) into "labels_group". A first click on a label selects its case, a
// click on the selected one confirms it: "currentcase" is written, the offer of
// "stylist_case" is cleared and the screen closes. Any control event confirms too, without
// touching "stylist_case".
//
//   <gamescreen type="Tavelor2GameScreenSelectCase" name="GS_SelectCase">
//     <window><widgetfactories><widgetfactory type="WidgetFactory" name="case_label">
//       <widgetstring><widget type="..." name="%name%" anchor_top="%anchor_top%" .../>
//       </widgetstring></widgetfactory></widgetfactories>
//       <widgets><widget type="group_widget" name="labels_group" .../>...</widgets>
//     </window>
//   </gamescreen>
//
// The labels report the picked name as their property "case" (the scene picker's:
// "scenename"). A confirmation writes only a name the current showing offers and that is
// still open: a selection kept from an earlier showing is not written.

#include <cstdint>
#include <string>
#include <vector>

#include "gameplay/Tv2Interfaces.h"
#include "screens/Tv2ProgressRecords.h"
#include "shell/GameScreen.h"

// The child of Group under Point (screen coordinates), or nothing: a label of a map or
// picker.
Ref<IWidget> LabelUnder(const Ref<IWidget>& group, const TPoint& point);

// The one case whose own offer of cases is cleared when a case is picked by clicking.
extern const char* const kStylistCase;

// What the case and scene pickers share: the label group, the labels' picking by clicks
// and the confirmation by a control.
class TTv2LabelPickerScreen : public TGameScreen {
 public:
  void SetOwner(IGameScreenOwner* owner) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) override;

  const std::string& GetSelected() const { return selected_; }

 protected:
  // The label's property that names its choice ("case", "scenename").
  virtual const char* LabelProperty() const = 0;
  // Writes the selection and closes; ByClick tells a label's second click from a control.
  virtual void Confirm(bool byClick) = 0;

  // Marks every label dead and empties the group; false without a group.
  bool ClearLabels();
  // A label from Factory for Name at Left, Top, reporting Name; nothing when the factory
  // makes none.
  Ref<IWidget> MakeLabel(const std::string& factory, const std::string& name, int64_t left,
                         int64_t top, bool withLeft);
  // The progress's record of that name (a case, a scene), or nothing.
  virtual Ref<IAbstractUGDObject> FindRecord(const std::string& name) = 0;
  // The record exists and is not completed.
  bool IsOpen(const std::string& name);
  // The selection may be written: the last showing offered it and it is still open.
  bool SelectionOffered();

  Ref<IUserGameData> progress_;
  Ref<IWidget> labelGroup_;
  std::string selected_;
  // The names that qualified at the last showing.
  std::vector<std::string> offered_;
};

class TTavelor2GameScreenSelectCase : public TTv2LabelPickerScreen {
 public:
  void Show(const Ref<IParamCollection>& params) override;

 protected:
  const char* LabelProperty() const override { return "case"; }
  void Confirm(bool byClick) override;
  Ref<IAbstractUGDObject> FindRecord(const std::string& name) override;
};
