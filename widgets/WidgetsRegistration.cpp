#include "widgets/WidgetsRegistration.h"

#include "widgets/FlashScenario.h"
#include "widgets/ResourceWidgets.h"
#include "widgets/SimpleScenarios.h"
#include "widgets/StateMachineWidget.h"
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
  RegisterClassName<TFlashScenario>("flash_scenario");
  RegisterClassName<TTestScenario>("scenario");
  RegisterClassName<TTransparentScenario>("transparent_scenario");
  RegisterClassName<TMoveScenario>("move_scenario");
  RegisterClassName<TSequienceTransitionEffectWidget>("sequience_transition_effect");
  RegisterClassName<TStateMachineWidget>("statemachine_widget");
}
