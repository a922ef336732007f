#include "widgets/WidgetsRegistration.h"

#include "widgets/ButtonControl.h"
#include "widgets/CheckBoxControl.h"
#include "widgets/ControlWidget.h"
#include "widgets/EditControl.h"
#include "widgets/HighScoresGridControl.h"
#include "widgets/ListBoxControl.h"
#include "widgets/ResourceWidgets.h"
#include "widgets/SequenceControl.h"
#include "widgets/TextWidget.h"
#include "widgets/TrackBarControl.h"

void RegisterWidgetsClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TImageWidget>("image_widget");
  RegisterClassName<TBlinkWidget>("blink_widget");
  RegisterClassName<TAnimationWidget>("animation_widget");
  RegisterClassName<TTextWidget>("text_widget");
  RegisterClassName<TSoundWidget>("sound_widget");
  RegisterClassName<TSequenceAnimationWidget>("sequence_animation_widget");
  RegisterClassName<TControlWidget>("Control");
  RegisterClassName<TButtonControl>("ButtonControl");
  RegisterClassName<TCheckBoxControl>("CheckBoxControl");
  RegisterClassName<TEditControl>("EditControl");
  RegisterClassName<TListBoxControl>("ListBoxControl");
  RegisterClassName<THighScoresGridControl>("HighScoresGridControl");
  RegisterClassName<TTrackBarControl>("TrackBarControl");
  RegisterClassName<TSequenceControl>("SequenceControl");
}
