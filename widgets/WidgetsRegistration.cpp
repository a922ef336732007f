#include "widgets/WidgetsRegistration.h"

#include "widgets/ButtonControl.h"
#include "widgets/CheckBoxControl.h"
#include "widgets/ControlWidget.h"
#include "widgets/CurveWidgets.h"
#include "widgets/EditControl.h"
#include "widgets/FlashScenario.h"
#include "widgets/HighScoresGridControl.h"
#include "widgets/ListBoxControl.h"
#include "widgets/MoveWidgets.h"
#include "widgets/ParticleSystems.h"
#include "widgets/ParticleSystemsFunction.h"
#include "widgets/ParticleSystemsMulti.h"
#include "widgets/RectWidget.h"
#include "widgets/ResourceWidgets.h"
#include "widgets/SequenceControl.h"
#include "widgets/SimpleScenarios.h"
#include "widgets/StateMachineWidget.h"
#include "widgets/StateScenario.h"
#include "widgets/TextEffects.h"
#include "widgets/TextWidget.h"
#include "widgets/TrackBarControl.h"
#include "widgets/TransformWidgets.h"

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
  RegisterClassName<TMoveWidget>("move_widget");
  RegisterClassName<TCircularMotionWidget>("circular_motion_widget");
  RegisterClassName<TRectWidget>("rect_widget");
  RegisterClassName<TZoomWidget>("zoom_widget");
  RegisterClassName<TSmoothMoveWidget>("smooth_move_widget");
  RegisterClassName<TRotateWidget>("rotate_widget");
  RegisterClassName<TTimedRotateWidget>("rotate_widget_timed");
  RegisterClassName<TMaskedSurfaceWidget>("masked_widget");
  RegisterClassName<TContourWidget>("contour_widget");
  RegisterClassName<TCutSectorWidget>("cutsector_widget");
  RegisterClassName<TScrollAreaWidget>("scrollarea_widget");
  RegisterClassName<TMaskWidget>("mask_widget");
  RegisterClassName<TCurveWidget>("curve_widget");
  RegisterClassName<TControlWidget>("Control");
  RegisterClassName<TButtonControl>("ButtonControl");
  RegisterClassName<TStateScenario>("state_scenario");
  RegisterClassName<TFlashScenario>("flash_scenario");
  RegisterClassName<TCheckBoxControl>("CheckBoxControl");
  RegisterClassName<TEditControl>("EditControl");
  RegisterClassName<TListBoxControl>("ListBoxControl");
  RegisterClassName<THighScoresGridControl>("HighScoresGridControl");
  RegisterClassName<TControlTextVizualization>("control_text_vizualization");
  RegisterClassName<TControlTextShuffler>("control_text_shuffler");
  RegisterClassName<TTestScenario>("scenario");
  RegisterClassName<TTransparentScenario>("transparent_scenario");
  RegisterClassName<TMoveScenario>("move_scenario");
  RegisterClassName<TSequienceTransitionEffectWidget>("sequience_transition_effect");
  RegisterClassName<TStateMachineWidget>("statemachine_widget");
  RegisterClassName<TTrackBarControl>("TrackBarControl");
  RegisterClassName<TSequenceControl>("SequenceControl");
  RegisterClassName<TStochasticParticleSystem>("stochastic_particle_system");
  RegisterClassName<TMonteCarloParticleSystem>("montecarlo_particle_system");
  RegisterClassName<TFunctionParticleSystem>("function_particle_system");
  RegisterClassName<TMultiParticleSystem>("multi_particle_system");
}
