#include "widgets/WidgetsRegistration.h"

#include "widgets/ResourceWidgets.h"
#include "widgets/StateScenario.h"
#include "widgets/TextWidget.h"

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
  RegisterClassName<TStateScenario>("state_scenario");
}
